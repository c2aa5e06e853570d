#include <numeric>

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
    WindowHandle dialog = os.trayWindow = reinterpret_cast<WindowHandle>(uintptr_t{0x4242});

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
        unit.activity = activity;
        unit.value = value;
        unit.dirty = 1;
        return Update();
    }
};

}  // namespace

TEST(Presenter, IconsAreAddedThenShowTheirOwnImageAndTipAndFollowActivity) {
    Presenter p;
    p.list.Add("\\\\.\\PHYSICALDRIVE12", DRIVE_NO_ROOT_DIR).sizeUnit = 'G';
    Unit& c = p.list.Add("\\\\.\\C:", DRIVE_FIXED);
    std::strcpy(c.label, "System"), std::strcpy(c.fileSystem, "NTFS");
    c.freeScaled = 4000000000u, c.totalScaled = 4100000000u, c.sizeUnit = 'M', c.value = 30;
    std::strcpy(p.list.Add("NIC #0 Usage", UNIT_NIC).label, "eth0");
    const std::string tip = " Drive: \\\\.\\C:\nVolume: System\nFilesystem: NTFS\nFree capacity: 4000000000 / 4100000000MB (30%)";
    EXPECT_EQ((Calls{"add 102 147 No update yet", "add 101 147 No update yet", "add 100 147 No update yet"}),
              p.Update()) << "last discovered first, with the idle icon and no tip of their own";
    EXPECT_EQ(1, p.os.calls["YieldTimeSlice"]) << "an update ends by giving up its time slice";
    EXPECT_EQ((Calls{"modify 102 @ on 147 Network (0):\nUsage: 0%\nDescription: eth0", "modify 101 C on 147" + tip,
                     "modify 100 1 on 147 Drive: \\\\.\\PHYSICALDRIVE12\nVolume: \nFilesystem: \nFree capacity: 0 / 0GB (0%)"}),
              p.Update());
    // activity, dirty -> the call; a held state sends nothing, the same image again the tooltip alone.
    const struct { int8_t activity; int32_t dirty; const char* call; } steps[] = {
        {ACTIVITY_READ, 1, "modify 101 C on 137"}, {ACTIVITY_READ, 0, nullptr}, {ACTIVITY_WRITE, 1, "modify 101 C on 138"},
        {ACTIVITY_READWRITE, 1, "modify 101 C on 146"}, {ACTIVITY_IDLE, 1, "modify 101 C on 147"}, {5, 1, "tip 101"}};
    for (const auto& step : steps) {
        c.activity = step.activity, c.dirty = step.dirty;
        EXPECT_EQ(step.call ? Calls{step.call + tip} : Calls{}, p.Update()) << int{step.activity};
    }
    c.showInTray = 0;
    EXPECT_EQ((Calls{"delete 101"}), p.Update());
    EXPECT_EQ(Calls{}, p.Update());
    c.showInTray = 1;
    p.list["NIC #0 Usage"].enabled = 0, p.list["NIC #0 Usage"].dirty = 1;
    EXPECT_EQ((Calls{"delete 102", "add 101 147 No update yet"}), p.Update());
    EXPECT_EQ((Calls{"modify 101 C on 147" + tip}), p.Update());
    RemoveTrayIcons(p.os, p.dialog, p.list.end);
    EXPECT_EQ((Calls{"delete 100", "delete 101"}), p.Take()) << "first discovered first";
    EXPECT_EQ((Calls{"add 101 147 No update yet", "add 100 147 No update yet"}), p.Update());
    EXPECT_EQ(15, p.os.calls["DrawIconText"]) << "each Unit's five icons are drawn once";
    EXPECT_EQ(5, p.os.calls["LoadProgramIcon"]) << "the base icons are loaded once";
    // An icon the shell lost without a word, whose add after the failed change is refused too,
    // is tried again at the next update.
    p.Update();
    p.os.trayIcons.erase(101);
    p.os.trayRefusesAdds = true;
    EXPECT_EQ((Calls{"modify 101 C on 138" + tip, "add 101 C on 138" + tip}), p.Show(c, ACTIVITY_WRITE, 30));
    EXPECT_EQ((Calls{"add 101 147 No update yet"}), p.Update()) << "once an update, not in a loop";
    Presenter q;   // one Unit showing its own idle icon; in the other set the new one takes its handle
    q.list.Add("\\\\.\\E:", DRIVE_FIXED);
    q.Update(), q.Update();
    q.options.AlternativeIcons = 1;
    EXPECT_EQ("modify 100 E on 107", q.Update().at(0).substr(0, 19));
}

TEST(Presenter, MetersAreRedrawnOnTheirOwnIconInTheirColours) {
    Presenter p;
    Unit& cpu = p.list.Add("CPU Usage", UNIT_CPU);
    Unit& ram = p.list.Add("RAM Usage", UNIT_RAM);
    Unit& vram = p.list.Add("VRAM Usage", UNIT_VRAM);
    cpu.cpuIndex = 3;
    ram.ramFreeMB = vram.vramFreeMB = 1200, ram.ramTotalMB = vram.vramTotalMB = 4096;
    std::iota(&p.options.Color_cpu_red, &p.options.Color_background_blue + 1, uint8_t{1});   // 1, 2, 3, ...
    p.Update();
    EXPECT_EQ("modify 100 ~ on 147 CPU(3):\nUsage: 0%", p.Update().at(2)) << "idle until the first sample";
    // Unit, dynamic colour, load -> its modify: the meter drawn on the previous one.
    const struct { Unit* unit; int32_t dynamic, value; std::string call; } draws[] = {
        {&cpu, 1, 50, "100 meter 50 50 10/11/12 127/128/0 on ~ on 148 CPU(3):\nUsage: 50%"},
        {&cpu, 1, 140, "100 meter 140 100 10/11/12 255/0/0 on meter 50 50 10/11/12 127/128/0 on ~ on 148 CPU"},
        {&cpu, 1, -20, "100 meter -20 0 10/11/12 0/255/0 on meter 140"},
        {&cpu, 0, 1, "100 meter 1 1 10/11/12 1/2/3 on meter -20"},
        {&ram, 1, 101, "101 meter 101 100 10/11/12 4/5/6 on ~ on 148 RAM:\nUsage: 101%\nFree: 1200MB / 4096MB"},
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
    EXPECT_EQ(15u, p.os.liveIcons.size()) << "each replaced meter is released";
    p.os.drawingsFail = 1;
    EXPECT_EQ((Calls{"modify 100 none CPU(3):\nUsage: 21%"}), p.Show(cpu, ACTIVITY_METER, 21));
    EXPECT_EQ(14u, p.os.liveIcons.size()) << "a failed drawing drops the old meter too";
    p.os.drawingsFail = 0;
    EXPECT_EQ("modify 100 meter 22 22 10/11/12 56/199/0 on 148 ", p.Show(cpu, ACTIVITY_METER, 22).at(0).substr(0, 48))
        << "an empty slot is drawn on the meter base icon";
    p.os.drawingsFail = 2;
    EXPECT_EQ((Calls{"tip 100 CPU(3):\nUsage: 60%"}), p.Show(cpu, ACTIVITY_METER, 60)) << "the old meter is kept";
    p.os.drawingsFail = 0;
    EXPECT_EQ("modify 100 meter 60 ", p.Show(cpu, ACTIVITY_METER, 60).at(0).substr(0, 20)) << "and drawn when it can be";
    // The other icon set: every Unit's icons released and drawn anew, on the new base icons.
    p.options.AlternativeIcons = 1;
    p.os.drawingsFail = 1;
    EXPECT_EQ("modify 102 none", p.Update().at(0).substr(0, 15));
    EXPECT_EQ(0u, p.os.liveIcons.size());
    p.os.drawingsFail = 0;
    EXPECT_EQ("modify 102 ~ on 107", p.Show(vram, 0).at(0).substr(0, 19)) << "an empty set is built again";
    EXPECT_EQ("modify 100 meter 22 ", p.Show(cpu, ACTIVITY_METER, 22).at(0).substr(0, 20)) << "on the new icon";
    p.os.missingIcons = {IDI_READ};
    p.options.AlternativeIcons = 0;
    p.Update();
    p.os.missingIcons.clear();
    p.Update();
    EXPECT_EQ(20, p.os.calls["LoadProgramIcon"]) << "a set without its read icon loads again";
    // A Unit added again with the image of the Unit before it, whose handle its own next meter then takes:
    // the fake's check that a new tooltip goes over the image the tray shows fails if it is sent alone.
    ram.showInTray = 0, p.Update();
    ram.showInTray = 1, p.Show(vram, ACTIVITY_METER, 30);
    ram.value = 11, p.Show(vram, ACTIVITY_METER, 40);
}

TEST(Presenter, SingleIconFoldsWhatChangedAndDrivesTheLed) {
    Presenter p;
    Unit& c = p.list.Add("\\\\.\\C:", DRIVE_FIXED);
    Unit& cpu = p.list.Add("CPU Usage", UNIT_CPU);
    Unit& d = p.list.Add("\\\\.\\D:", DRIVE_FIXED);
    d.showInTray = 0;   // plays no part in single icon mode
    p.Update();
    p.options.SingleIconMode = p.options.KeyboardLED = 1;
    EXPECT_EQ((Calls{"delete 100", "delete 101", "add 0 147 Blinkwatch", "tip 0 Blinkwatch", "tip 0 Blinkwatch",
                     "tip 0 Blinkwatch"}), p.Update())
        << "the per-unit icons go at the first Unit (the end marker), then the single icon comes; "
           "every Unit marked since the first update folds in";
    // unit, activity -> calls, Scroll Lock; a load change keeps the idle icon.
    const struct { Unit* unit; int8_t activity; Calls calls; int16_t led; } steps[] = {
        {&d, ACTIVITY_READ, {"modify 0 137 Blinkwatch"}, 1}, {nullptr, 0, {}, 0},
        {&c, ACTIVITY_WRITE, {"modify 0 138 Blinkwatch"}, 1}, {&cpu, ACTIVITY_METER, {"modify 0 147 Blinkwatch"}, 1}};
    for (const auto& step : steps) {
        if (step.unit != nullptr) step.unit->activity = step.activity, step.unit->dirty = 1;
        EXPECT_EQ(step.calls, p.Update()) << int{step.activity};
        EXPECT_EQ(step.led, p.os.keyStates[kScrollLockKey]) << int{step.activity};
    }
    EXPECT_EQ(0, p.os.calls["DrawIconMeter"]);
    cpu.dirty = d.dirty = 1;
    EXPECT_EQ((Calls{"modify 0 137 Blinkwatch", "tip 0 Blinkwatch"}), p.Update()) << "fold 2, then 11: the same image";
    p.options.KeyboardLED = 0, p.options.Staticicon = 1;
    size_t strokes = p.os.keyStrokes.size();
    p.os.trayIcons.erase(0);   // lost, as a per-unit icon can be, and then refused
    p.os.trayRefusesAdds = true;
    p.Show(c, ACTIVITY_READ);
    p.os.trayRefusesAdds = false;
    EXPECT_EQ("add 0 147 Blinkwatch", p.Update().at(0)) << "a single icon lost and refused comes back next time";
    p.os.trayIcons.erase(0);
    EXPECT_EQ((Calls{"tip 0 Blinkwatch", "add 0 147 Blinkwatch"}), p.Show(c, ACTIVITY_READ)) << "also with the same image";
    EXPECT_EQ(strokes, p.os.keyStrokes.size()) << "the LED is left alone without the option";
    RemoveTrayIcons(p.os, p.dialog, p.list.end);
    EXPECT_EQ(Calls{}, p.Take()) << "stopping leaves the single icon";
    p.options.SingleIconMode = 0;
    EXPECT_EQ((Calls{"delete 0", "add 101 147 No update yet", "add 100 147 No update yet"}), p.Update());
    p.options.SingleIconMode = 1;
    p.Update();
    RemoveSingleIcon(p.os, p.dialog, p.state);
    RemoveSingleIcon(p.os, p.dialog, p.state);
    EXPECT_EQ((Calls{"delete 0"}), p.Take()) << "quitting removes it once";
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
        EXPECT_EQ(library ? 1 : 2, q.os.libraryLoads) << "a missing library is looked for again";
        EXPECT_TRUE(q.os.portBytes.empty());
    }
    // Key state, wanted -> strokes; a key held down reads negative and always differs.
    const struct { int16_t state; int wanted; Calls strokes; } keys[] = {
        {1, 1, {}}, {0, 0, {}}, {0, 1, {"down", "up"}}, {1, 0, {"down", "up"}}, {-32767, 1, {"down", "up"}}};
    for (const auto& k : keys) {
        FakeOs os;
        os.keyStates[kScrollLockKey] = k.state;
        SetKeyboardLed(os, kScrollLockKey, k.wanted);
        EXPECT_EQ(k.strokes, os.keyStrokes) << k.state << " " << k.wanted;
    }
}
