#include <numeric>
#include <random>

#include "fake_os.h"
#include "indicators/tray_presenter.h"
#include "resources/icon_ids.h"

namespace {

using Calls = std::vector<std::string>;

struct Presenter {
    FakeOs os;
    TestList list;
    GlobalOptions options{};
    PresenterState state{};
    WindowHandle dialog = reinterpret_cast<WindowHandle>(uintptr_t{0x4242});

    Calls Update() {
        UpdateTrayIcons(os, dialog, list.end, options, state);
        return Take();
    }
    Calls Take() {
        Calls calls = os.tray;
        os.tray.clear();
        EXPECT_EQ(0, os.badReleases) << "a shared or unknown icon was released";
        return calls;
    }
    Calls Show(Unit& unit, int8_t activity, int32_t value = 0) {
        unit.activity = activity, unit.value = value, unit.dirty = 1;
        return Update();
    }
};

}  // namespace

// Lights and meters under a shell that loses, keeps, restarts or refuses icons, and a user who switches
// everything on and off. After every update in which the shell refused nothing, the tray shows exactly the
// icons the settings call for, with their Units' current image and tooltip (a lost icon once its Unit changes);
// an update after such a quiet one has no refused call; drawn icons are released; quitting empties the tray.
TEST(Presenter, RandomShellsAndUsersConverge) {
    static const int normal[] = {147, 138, 137, 146}, alternate[] = {107, 140, 139, 141};   // base icon by activity
    const char* events[] = {"lose", "restart", "kept", "busy", "busy applied", "icon set", "single", "enabled",
                            "shown", "disable", "static", "refresh all", "", ""};
    for (uint32_t seed = 1; seed <= 100; ++seed) {
        Presenter p;
        std::mt19937 random(seed);
        auto number = [&](int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); };
        std::vector<Unit*> units = {&p.list.Add("\\\\.\\C:", DRIVE_FIXED), &p.list.Add("CPU Usage", UNIT_CPU),
                                    &p.list.Add("RAM Usage", UNIT_RAM), &p.list.Add("NIC #0 Usage", UNIT_NIC)};
        bool monitoring = true, settled = false;
        std::set<uint32_t> lost;   // the program finds out at the icon's next change
        std::string log = "seed " + std::to_string(seed) + ":";
        for (int step = 0; step < 200; ++step) {
            for (Unit* u : units)
                if (number(3) == 0) u->dirty = 1, u->activity = u->kind == UNIT_CPU || u->kind == UNIT_RAM ? (u->value = number(101), ACTIVITY_METER) : number(4);
            Unit& some = *units[number(4)];
            const int event = number(14), id = number(2) ? some.trayId : 0;
            log += " " + std::to_string(step) + " " + events[event] + " " + some.name + ";";
            switch (event) {
            case 0: if (p.os.trayIcons.erase(id)) lost.insert(id); break;
            case 1: p.os.trayIcons.clear(); [[fallthrough]];
            case 2: ForgetTrayIcons(p.list.end, p.state); break;
            case 3: case 4: p.os.busyRefusals = 1 + number(2), p.os.busyApplies = event == 4; break;
            case 5: p.options.AlternativeIcons ^= 1; break;
            case 6: p.options.SingleIconMode ^= 1; break;
            case 7: some.enabled ^= 1; break;
            case 8: some.showInTray ^= 1; break;
            case 9: if (!(monitoring = !monitoring)) RemoveTrayIcons(p.os, p.dialog, p.list.end); break;
            case 10: p.options.Staticicon ^= 1; break;
            case 11: for (Unit* u : units) u->dirty = 1; break;
            }
            const bool quiet = event > 4 && lost.empty(), injected = p.os.busyRefusals > 0;
            for (Unit* u : units)
                if (u->dirty) lost.erase(p.options.SingleIconMode ? 0 : u->trayId);   // due to be put again
            const int refused = p.os.refusedCalls;
            if (monitoring) p.Update();
            EXPECT_TRUE(!monitoring || !quiet || !settled || refused == p.os.refusedCalls) << log;
            EXPECT_TRUE(monitoring || p.os.trayIcons.size() == p.os.trayIcons.count(0)) << "disabled: " << log;
            settled = monitoring && !injected;
            for (const auto& icon : p.os.trayIcons) lost.erase(icon.first);
            if (!settled) continue;
            const int* base = p.options.AlternativeIcons ? alternate : normal;
            std::map<uint32_t, std::pair<std::string, std::string>> expected, shown = p.os.trayIcons;
            for (Unit* u : units) {
                char overlay[2], tip[kTrayTipLength];
                FormatOverlayText(*u, overlay), FormatTooltip(*u, tip);
                if (WantsOwnIcon(*u, p.options) && !lost.count(u->trayId))
                    expected[u->trayId] = {u->activity == ACTIVITY_METER ? "meter " + std::to_string(u->value) + " "
                                                                         : overlay + (" on " + std::to_string(base[u->activity])), tip};
            }
            if (p.options.SingleIconMode && !lost.count(0)) expected[0] = {"the base icon of what changed", "Blinkwatch"};
            for (auto& [id, icon] : shown) {
                if (id == 0 && std::find(base, base + 4, std::atoi(icon.first.c_str())) != base + 4) icon.first = expected[0].first;
                if (icon.first.rfind("meter ", 0) == 0) icon.first.erase(icon.first.find(' ', 6) + 1);   // drawn on meters
            }
            ASSERT_EQ(expected, shown) << log;
        }
        if (number(2)) ForgetTrayIcons(p.list.end, p.state);   // "TaskbarCreated" just before quitting
        RemoveTrayIcons(p.os, p.dialog, p.list.end), RemoveSingleIcon(p.os, p.dialog, p.state);
        EXPECT_TRUE(p.os.trayIcons.empty()) << log;
        std::set<IconHandle> held;
        for (Unit* u : units) held.insert({u->iconIdle, u->iconRead, u->iconWrite, u->iconReadWrite, u->iconMeter});
        for (const auto& [icon, what] : p.os.liveIcons) EXPECT_TRUE(held.count(icon)) << what << " not released, " << log;
    }
}

TEST(Presenter, IconsShowTheirUnitsImageTooltipAndMeter) {
    Presenter p;
    Unit& cpu = p.list.Add("CPU Usage", UNIT_CPU);
    Unit& ram = p.list.Add("RAM Usage", UNIT_RAM);
    Unit& vram = p.list.Add("VRAM Usage", UNIT_VRAM);
    cpu.cpuIndex = 3;
    ram.ramFreeMB = vram.vramFreeMB = 1200, ram.ramTotalMB = vram.vramTotalMB = 4096;
    p.list.Add("\\\\.\\PHYSICALDRIVE12", DRIVE_NO_ROOT_DIR).sizeUnit = 'G';
    std::strcpy(p.list.Add("\\\\.\\C:", DRIVE_FIXED).label, std::string(200, 'L').c_str());
    std::strcpy(p.list.Add("NIC #0 Usage", UNIT_NIC).label, "eth0");
    std::iota(&p.options.Color_cpu_red, &p.options.Color_background_blue + 1, uint8_t{1});   // 1, 2, 3, ...
    EXPECT_EQ((Calls{"add 105 @ on 147 Network (0):\nUsage: 0%\nDescription: eth0",
                     "add 104 C on 147 Drive: \\\\.\\C:\nVolume: " + std::string(105, 'L'),   // cut at 127 characters
                     "add 103 1 on 147 Drive: \\\\.\\PHYSICALDRIVE12\nVolume: \nFilesystem: \nFree capacity: 0 / 0GB (0%)",
                     "add 102 ~ on 147 Virtual RAM:\nUsage: 0%\nFree: 1200MB / 4096MB",
                     "add 101 ~ on 147 RAM:\nUsage: 0%\nFree: 1200MB / 4096MB", "add 100 ~ on 147 CPU(3):\nUsage: 0%"}),
              p.Update()) << "last discovered first; a meter is idle until its first sample";
    EXPECT_EQ(Calls{}, p.Update()) << "nothing changed, nothing sent";
    EXPECT_EQ("30 5 2", std::to_string(p.os.calls["DrawIconText"]) + " " + std::to_string(p.os.calls["LoadProgramIcon"]) +
                            " " + std::to_string(p.os.calls["YieldTimeSlice"]))
        << "each Unit's five icons drawn once, the base icons loaded once, the time slice given up after each update";
    // Unit, dynamic colour, load -> its modify: the meter drawn on the previous one.
    const struct { Unit* unit; int32_t dynamic, value; std::string call; } draws[] = {
        {&cpu, 1, 50, "100 meter 50 50 10/11/12 127/128/0 on ~ on 148 CPU(3):\nUsage: 50%"},
        {&cpu, 1, 100, "100 meter 100 100 10/11/12 255/0/0 on meter 50 50 10/11/12 127/128/0 on ~ on 148 CPU"},
        {&cpu, 0, 1, "100 meter 1 1 10/11/12 1/2/3 on meter 100"},
        {&ram, 1, 0, "101 meter 0 0 10/11/12 4/5/6 on ~ on 148 RAM:\nUsage: 0%\nFree: 1200MB / 4096MB"},
        {&vram, 1, 7, "102 meter 7 7 10/11/12 7/8/9 on ~ on 148 Virtual RAM:\nUsage: 7%\nFree: 1200MB / 4096MB"}};
    for (const auto& d : draws) {
        p.options.Color_cpu_dynamic = d.dynamic;
        Calls calls = p.Show(*d.unit, ACTIVITY_METER, d.value);
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ("modify " + d.call, calls[0].substr(0, 7 + d.call.size())) << d.value;
    }
    vram.vramFreeMB = 1000;
    EXPECT_EQ((Calls{"tip 102 Virtual RAM:\nUsage: 7%\nFree: 1000MB / 4096MB"}), p.Show(vram, ACTIVITY_METER, 7))
        << "the same load: the meter is not drawn again";
    EXPECT_EQ(30u, p.os.liveIcons.size()) << "each replaced meter is released";
    p.os.drawingsFail = 1;
    EXPECT_EQ((Calls{"modify 100 none CPU(3):\nUsage: 21%"}), p.Show(cpu, ACTIVITY_METER, 21));
    EXPECT_EQ(29u, p.os.liveIcons.size()) << "a failed drawing drops the old meter too";
    p.os.drawingsFail = 0;
    EXPECT_EQ("modify 100 meter 22 22 10/11/12 56/199/0 on 148 ", p.Show(cpu, ACTIVITY_METER, 22).at(0).substr(0, 48))
        << "an empty slot is drawn on the meter base icon";
    p.os.drawingsFail = 2;
    EXPECT_EQ((Calls{"tip 100 CPU(3):\nUsage: 60%"}), p.Show(cpu, ACTIVITY_METER, 60)) << "the old meter is kept";
    p.os.drawingsFail = 0;
    EXPECT_EQ("modify 100 meter 60 ", p.Show(cpu, ACTIVITY_METER, 60).at(0).substr(0, 20)) << "and drawn when it can be";
    p.os.missingIcons = {IDI_ALT_READ}, p.options.AlternativeIcons = 1, p.Update();
    p.os.missingIcons.clear(), p.Update();
    EXPECT_EQ(15, p.os.calls["LoadProgramIcon"]) << "a set without its read icon loads again";
}

TEST(Presenter, SingleIconFoldsWhatChangedAndDrivesTheLed) {
    Presenter p;
    Unit& c = p.list.Add("\\\\.\\C:", DRIVE_FIXED);
    Unit& cpu = p.list.Add("CPU Usage", UNIT_CPU);
    Unit& d = p.list.Add("\\\\.\\D:", DRIVE_FIXED);
    d.showInTray = 0;   // plays no part in single icon mode
    p.Update();
    p.options.SingleIconMode = p.options.KeyboardLED = 1;
    EXPECT_EQ((Calls{"delete 100", "delete 101", "add 0 147 Blinkwatch"}), p.Update());
    // Units changed -> the update's calls, Scroll Lock. Only lights choose the image, and only until a load
    // change has been folded in (Units are visited from the last discovered, D, back to C).
    const struct { std::vector<std::pair<Unit*, int8_t>> changed; Calls calls; int16_t led; } steps[] = {
        {{{&d, ACTIVITY_READ}}, {"modify 0 137 Blinkwatch"}, 1}, {{}, {}, 0},
        {{{&c, ACTIVITY_WRITE}}, {"modify 0 138 Blinkwatch"}, 1}, {{{&cpu, ACTIVITY_METER}}, {"modify 0 147 Blinkwatch"}, 1},
        {{{&d, ACTIVITY_READ}, {&cpu, ACTIVITY_METER}}, {"modify 0 137 Blinkwatch"}, 1},
        {{{&c, ACTIVITY_READ}, {&cpu, ACTIVITY_METER}}, {"modify 0 147 Blinkwatch"}, 1}};
    for (const auto& step : steps) {   // the LED changes with one press and release, or none
        const size_t strokes = p.os.keyStrokes.size() + (step.led != p.os.keyToggles[kScrollLockKey] ? 2 : 0);
        for (auto [unit, activity] : step.changed) unit->activity = activity, unit->dirty = 1;
        EXPECT_EQ(step.calls, p.Update()) << step.changed.size();
        EXPECT_EQ(std::make_pair(step.led, strokes), std::make_pair(p.os.keyToggles[kScrollLockKey], p.os.keyStrokes.size()));
    }
    // The user's press is read back by the next update, which puts the LED right; a key held down (negative)
    // shows its toggle state all the same.
    p.os.keyToggles[kScrollLockKey] = p.os.keyStates[kScrollLockKey] = 0;
    p.Show(c, ACTIVITY_READ);
    p.os.keyStates[kScrollLockKey] = static_cast<int16_t>(0x8001);
    p.Show(c, ACTIVITY_WRITE);
    const size_t strokes = p.os.keyStrokes.size();
    EXPECT_EQ("0 1 8", std::to_string(p.os.calls["DrawIconMeter"]) + " " + std::to_string(p.os.keyToggles[kScrollLockKey]) + " " +
                           std::to_string(strokes)) << "no meter drawn in single icon mode; the LED on, after four changes";
    p.options.KeyboardLED = 0, p.options.Staticicon = 1;
    EXPECT_EQ((Calls{"modify 0 147 Blinkwatch"}), p.Show(d, ACTIVITY_WRITE));
    EXPECT_EQ((Calls{"tip 0 Blinkwatch"}), p.Show(c, ACTIVITY_READ)) << "the image it shows is not sent again";
    EXPECT_EQ(strokes, p.os.keyStrokes.size()) << "the LED is left alone without the option";
    RemoveTrayIcons(p.os, p.dialog, p.list.end);
    EXPECT_EQ(Calls{}, p.Take()) << "stopping leaves the single icon";
}

TEST(Indicators, PortLinesFollowTheUnitsThatLitThem) {
    Presenter p;
    p.os.portLibrary = true;
    Unit& a = p.list.Add("\\\\.\\C:", DRIVE_FIXED);
    Unit& b = p.list.Add("\\\\.\\D:", DRIVE_FIXED);
    Unit& off = p.list.Add("\\\\.\\E:", DRIVE_FIXED);
    a.parallelPortReadMask = off.parallelPortReadMask = b.parallelPortReadMask = 0x01;
    a.parallelPortWriteMask = 0x02, b.parallelPortWriteMask = 0x20;
    a.parallelPortEnabled = b.parallelPortEnabled = 1;   // `off` has its output switched off
    // a, b -> bytes written in that update (b is visited first); b idle clears
    // the shared line a set before it; a held state writes nothing.
    const struct { int8_t a, b; std::vector<int> bytes; } steps[] = {
        {ACTIVITY_IDLE, ACTIVITY_IDLE, {}}, {ACTIVITY_READ, ACTIVITY_IDLE, {1}}, {ACTIVITY_READ, ACTIVITY_IDLE, {0, 1}},
        {ACTIVITY_WRITE, ACTIVITY_WRITE, {0x21, 0x23}}, {ACTIVITY_IDLE, ACTIVITY_METER, {0x02, 0x00}},
        {ACTIVITY_READWRITE, ACTIVITY_IDLE, {0x03}}, {ACTIVITY_IDLE, ACTIVITY_READ, {0x00}}};
    for (const auto& step : steps) {
        a.activity = step.a, b.activity = step.b;
        p.Update();
        EXPECT_EQ(step.bytes, p.os.portBytes) << int{step.a} << " " << int{step.b};
        p.os.portBytes.clear();
    }
    EXPECT_EQ(1, p.os.libraryLoads) << "loaded once";
    for (bool library : {false, true}) {   // without it, or without Out32, nothing is written
        Presenter q;
        q.os.portLibrary = library, q.os.portHasOut32 = !library;
        Unit& unit = q.list.Add("\\\\.\\C:", DRIVE_FIXED);
        unit.parallelPortEnabled = unit.parallelPortReadMask = 1, unit.activity = ACTIVITY_READ;
        q.Update(), q.Update();
        EXPECT_EQ(std::make_pair(library ? 1 : 2, true), std::make_pair(q.os.libraryLoads, q.os.portBytes.empty()))
            << "nothing written; a missing library is looked for again";
    }
}
