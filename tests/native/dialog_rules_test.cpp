// The portable rules of the dialog, its activity tick and the command line; the controls are driven under Wine.
#include <numeric>
#include <random>

#include "fake_os.h"
#include "dialog/dialog_actions.h"
#include "indicators/meter.h"
#include "sampling/poll_units.h"
#include "dialog/option_rules.h"
#include "dialog/unit_list_text.h"
#include "shell/command_line.h"

TEST(DialogRules, PortBitBoxesEnablingRulesAndNumberRanges) {
    // box, state -> masks after it, from 0x5A and 0xA5: its own bit of its own mask; indeterminate changes nothing.
    const struct { int id, state, read, write; } boxes[] = {
        {IDC_READ_BIT1, 1, 0x5B, 0xA5}, {IDC_READ_BIT2, 0, 0x58, 0xA5}, {IDC_READ_BIT8, 1, 0xDA, 0xA5},
        {IDC_WRITE_BIT1, 0, 0x5A, 0xA4}, {IDC_WRITE_BIT2, 1, 0x5A, 0xA7}, {IDC_WRITE_BIT8, 0, 0x5A, 0x25},
        {IDC_WRITE_BIT3, 2, 0x5A, 0xA5}, {IDC_SHOW_IN_TRAY, 1, 0x5A, 0xA5}, {IDC_READ_BIT8 + 1, 1, 0x5A, 0xA5}};
    for (const auto& b : boxes) {
        Unit unit{};
        unit.parallelPortReadMask = 0x5A, unit.parallelPortWriteMask = 0xA5;
        ApplyPortBitState(unit, b.id, b.state);
        EXPECT_EQ(b.read << 8 | b.write, unit.parallelPortReadMask << 8 | unit.parallelPortWriteMask) << b.id;
    }
    EXPECT_EQ("1110000", std::to_string(PortBitChecked(0x42, 1)) + std::to_string(PortBitChecked(0xC0, 7)) +
                           std::to_string(PortBitChecked(0x43, 0)) + std::to_string(PortBitChecked(0xFF, 8)) +
                           std::to_string(PortBitChecked(0xFF, -1)) + std::to_string(PortBitChecked(0, 3)) +
                           std::to_string(PortBitChecked(0x08, 2)));
    // single icon, LED, processors -> LED box, static box, multi-CPU box enabled.
    const struct { int32_t single, led; uint32_t cpus; const char* enabled; } rules[] = {
        {0, 1, 1, "000"}, {0, 1, 2, "001"}, {1, 0, 0, "100"}, {1, 1, 1, "110"}};
    for (const auto& r : rules) {
        GlobalOptions o{};
        o.SingleIconMode = r.single, o.KeyboardLED = r.led, o.ProcessorCount = r.cpus;
        EXPECT_EQ(r.enabled, std::to_string(KeyboardLedBoxEnabled(o)) + std::to_string(StaticIconBoxEnabled(o)) +
                                 std::to_string(MultiCpuBoxEnabled(o)));
    }
    // typed -> activity interval, load interval, delay (compared signed).
    const struct { uint32_t typed, poll, meter; int32_t delay; } ranges[] = {
        {0, 25, 25, 1}, {24, 25, 25, 24}, {25, 25, 25, 25}, {301, 301, 301, 300}, {10001, 10000, 10001, 300},
        {50001, 10000, 50000, 300}, {2147483648u, 10000, 50000, 1}};
    for (const auto& r : ranges)
        EXPECT_EQ(std::make_tuple(r.poll, r.meter, r.delay),
                  std::make_tuple(ClampPollInterval(r.typed), ClampMeterInterval(r.typed), ClampStartDelay(r.typed))) << r.typed;
}

TEST(DialogRules, UnitListCells) {
    // kind, value -> "Free %" when the list is filled, then at each refresh (the free share of a load).
    const struct { uint32_t kind; int32_t value; const char* cells; } cases[] = {
        {DRIVE_FIXED, 37, "37% 37%"}, {DRIVE_NO_ROOT_DIR, -1, "-1% -1%"}, {UNIT_CPU, 30, "30% 70%"}, {UNIT_RAM, 0, "0% 100%"},
        {UNIT_VRAM, 99, "99% 1%"}, {UNIT_NIC, 0, "0% 100%"}, {UNIT_NIC + 1, 1, "1% 1%"}, {UNIT_CPU, INT32_MIN, "-2147483648% 2147483748%"}};
    for (const auto& c : cases) {
        Unit unit{};
        unit.kind = c.kind, unit.value = c.value;
        EXPECT_EQ(c.cells, std::string(FillCellText(unit, kColumnFree).data()) + " " + RefreshCellText(unit, kColumnFree).data());
    }
    Unit unit{};
    unit.kind = 9;
    std::memset(unit.name, 'n', sizeof unit.name);   // a full buffer without its zero
    unit.parallelPortEnabled = 1;
    std::string cells;
    for (int column = 0; column <= 7; ++column) cells += std::string(FillCellText(unit, column).data()) + "|";
    EXPECT_EQ(std::string(63, 'n') + "|???|0%|No|||0x378||", cells);
    EXPECT_STREQ("", RefreshCellText(unit, kColumnTray).data()) << "only two columns are refreshed";
}

TEST(DialogRules, CommandTailAndStartupSwitch) {
    const struct { const char* line; const char* tail; } lines[] = {
        {"\"C:\\Program Files\\b.exe\" /STARTUP", "/STARTUP"}, {"\"C:\\b.exe\"/s", "/s"}, {"\"\" rest", "rest"}, {"b.exe\t\t  a  b", "a  b"},
        {"\"C:\\Program Files\\b.exe /StartUp", "\"C:\\Program Files\\b.exe /StartUp"},   // no closing quote
        {"b.exe   ", ""}, {"", ""}, {"  leading", "leading"}};
    for (const auto& l : lines) EXPECT_STREQ(l.tail, CommandTail(l.line)) << "[" << l.line << "]";
    const struct { const char* tail; bool found; const char* lowered; } switches[] = {
        {"/STARTUP", true, "/startup"}, {"x-StartUpY", true, "x-startupy"}, {"", false, ""}, {"startup", false, "startup"},
        {"/start up", false, "/start up"}, {"/\xC4STARTUP", false, "/\xC4startup"}};
    for (const auto& s : switches) {
        std::string tail = s.tail;
        EXPECT_EQ(s.found, HasStartupSwitch(tail.data())) << "[" << s.tail << "]";
        EXPECT_EQ(s.lowered, tail);
    }
    EXPECT_TRUE(*CommandTail(nullptr) == '\0' && !HasStartupSwitch(nullptr)) << "no command line";
}

TEST(DialogActions, TicksAfterAnIconSetChangeAndAQuitAndApplyThatFails) {
    FakeOs os;
    TestList list;
    DialogState state{&os};
    state.CurrentUnit = list.end, state.monitoring = true;
    Unit& c = list.Add("\\\\.\\C:", DRIVE_FIXED);
    FakeDisk& disk = os.disks[c.name] = {true, 0, 0, true, 100, 50};
    os.devices = {"\\\\.\\C:"};
    RunActivityTick(nullptr, state);
    disk.free = 20, state.options.AlternativeIcons = 1;
    RunActivityTick(nullptr, state);
    EXPECT_EQ("modify 100 C on 107 ", os.tray.back().substr(0, 20));
    EXPECT_NE(std::string::npos, os.tray.back().find("(20%)")) << "another icon set resends the tooltips, read anew";
    // Switched-off counters: the warning box's loop delivers a tick, skipped, and the user quits meanwhile.
    disk.counters = false, c.dirty = 1, os.tray.clear();
    os.whileBoxOpen = [&] { RunActivityTick(nullptr, state), state.closing = true, RemoveTrayIcons(os, nullptr, list.end); };
    RunActivityTick(nullptr, state);
    EXPECT_EQ(std::vector<std::string>{"delete 100"}, os.tray) << "no icon added after quitting";
    // Apply says which file it could not write, and what to do, a different thing for each cause; saved, nothing.
    std::strcpy(state.options.SettingsPath, "C:\\B.ini"), os.whileBoxOpen = nullptr, os.boxes.clear();
    for (FileResult cause : {FileResult::Done, FileResult::ReadOnly, FileResult::Denied, FileResult::DiskFull, FileResult::Failed})
        os.steps = 0, os.failAt = 1, os.failure = cause, ApplySettings(nullptr, state);   // the new file not made
    os.failAt = -1, os.heldOpen = 1000, ApplySettings(nullptr, state);
    ASSERT_EQ(5u, std::set<std::string>(os.boxes.begin(), os.boxes.end()).size());
    for (const std::string& box : os.boxes) EXPECT_EQ(0u, box.find("Blinkwatch could not write its settings to\nC:\\B.ini\n"));
}

// With MeterStyle=Graph a meter shows one column per tick of the load timer, newest at the right, each in the colour of
// its load, and the newest one's number: a load that moves between columns changes the tooltip alone, and a steady
// history sends nothing. A start empties it; without the key no column is taken.
TEST(DialogActions, MeterGraphsFollowTheLoadTimerAndStartEmpty) {
    FakeOs os;
    TestList list;
    DialogState state{&os};
    state.CurrentUnit = list.end, state.monitoring = true, state.options.MeterStyle = kMeterGraph, state.options.Color_cpu_dynamic = 1;
    Unit* meters[] = {&list.Add("CPU Usage", UNIT_CPU), &list.Add("RAM Usage", UNIT_RAM), &list.Add("VRAM Usage", UNIT_VRAM)};
    list.Add("NIC #0 Usage", UNIT_NIC), os.memory.ullTotalPageFile = 100;   // a light takes no column
    auto tick = [&](bool column) {   // the kinds of its tray calls
        if (column) MarkSamplesDue(list.end, state.options);
        os.tray.clear(), RunActivityTick(nullptr, state);
        return std::accumulate(os.tray.begin(), os.tray.end(), std::string(), [](auto a, auto& call) { return a + call.substr(0, 4); });
    };
    tick(false), tick(false);
    std::mt19937 random(7);
    std::vector<int> loads;
    for (int n = 1; n <= 110; ++n) {   // busy, then idle: steady once the last busy column has left
        const int load = n < 40 ? std::uniform_int_distribution<int>(1, 100)(random) : 0;
        os.memory.dwMemoryLoad = load, os.memory.ullAvailPageFile = 100 - load, os.idle += 100 - load, os.kernel += 100;
        loads.push_back(load);
        EXPECT_EQ(n < 40 + 63 ? "modimodimodi" : "", tick(true)) << n;
        os.memory.dwMemoryLoad = n < 40 ? 100 - load : load;
        EXPECT_EQ(n < 40 && load != 50 ? "tip " : "", tick(false)) << n << " between two columns";
        for (Unit* meter : meters) {
            const MeterStyle look = MeterStyleFor(*meter, state.options);
            const std::vector<int> shown(look.columnPercent.begin(), look.columnPercent.begin() + look.columns);
            ASSERT_EQ(std::vector<int>(loads.end() - std::min<size_t>(n, kMeterGraphColumns), loads.end()), shown) << n;
            EXPECT_EQ(loads.back(), look.percent) << "the number is the newest column's";
            for (size_t i = 0; i < shown.size(); ++i)
                EXPECT_TRUE(look.columnColour[i] == (meter != meters[0] ? look.bar : DynamicCpuColour(shown[i])));
        }
    }
    RemoveTrayIcons(os, nullptr, list.end), PrepareMonitoringStart(state), tick(false), tick(false);
    EXPECT_EQ(std::make_pair(true, uint8_t{0}), std::make_pair(os.lastMeter.graph, os.lastMeter.columns)) << "empty after a start";
    state.options.MeterStyle = kMeterBar, tick(true);
    EXPECT_EQ(0, meters[1]->history.count + meters[1]->sampleDue) << "no graph, no column";
}
