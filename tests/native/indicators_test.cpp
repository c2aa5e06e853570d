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

// A shell that loses, keeps, restarts, refuses or is gone for a while (a poll every 100 ms), and a user who switches
// everything and presses Scroll Lock (held down or not). The fake shell fails a change that repeats what it accepted.
// A second after a busy or missing shell, the tray shows just the icons called for, with their image and tooltip (a
// lost icon from its next change on, all after "TaskbarCreated", the single icon also while stopped); the single icon
// folds every change, shows the lights that changed first, no meter drawn, and Scroll Lock whether anything changed.
// No shell: at most two calls a second. No refusal follows an update without one; quitting empties the tray.
TEST(Presenter, RandomShellsAndUsersConverge) {
    static const int normal[] = {147, 138, 137, 146}, alternate[] = {107, 140, 139, 141};   // base icon by activity
    const char* events[] = {"lose", "restart", "kept", "busy", "busy applied", "gone", "icon set", "single",
                            "enabled", "shown", "disable", "static", "led", "refresh all", "press", ""};
    for (uint32_t seed = 1; seed <= 100; ++seed) {
        Presenter p;
        std::mt19937 random(seed);
        auto number = [&](int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); };
        std::vector<Unit*> units = {&p.list.Add("\\\\.\\C:", DRIVE_FIXED), &p.list.Add("CPU Usage", UNIT_CPU),
                                    &p.list.Add("RAM Usage", UNIT_RAM), &p.list.Add("NIC #0 Usage", UNIT_NIC)};
        bool monitoring = true, settled = false, calm = false, singleShown = false, stoppedUnsure = false;
        uint32_t quietFrom = 0;     // a second after the last refusal
        int loadedSet = -1, goneUpdates = 0, goneCalls = 0, goneSteps = 0;
        std::string singleImage;    // what the single icon is to show
        std::set<uint32_t> lost;    // the program finds out at the icon's next change
        std::string log = "seed " + std::to_string(seed) + ":";
        auto taskbarCreated = [&] {
            ForgetTrayIcons(p.list.end, p.state), p.os.acknowledged.clear(), lost.clear(), quietFrom = p.os.tick;
            const int before = p.os.troubledCalls;
            if (!monitoring) RestoreSingleIcon(p.os, p.dialog, p.state);
            if (before != p.os.troubledCalls) quietFrom += 1000, stoppedUnsure = true;   // no update tries again
        };
        for (int step = 0; step < 200; ++step) {
            p.os.tick += 100;
            for (Unit* u : units)
                if (number(3) == 0) u->dirty = 1, u->activity = u->kind == UNIT_CPU || u->kind == UNIT_RAM ? (u->value = number(101), ACTIVITY_METER) : number(4);
            Unit& some = *units[number(4)];
            const int event = goneUpdates > 0 ? 99 : number(16), id = number(2) ? some.trayId : 0;
            log += " " + std::to_string(step) + (monitoring ? "" : "(off)") + " " + (event < 16 ? events[event] : "") + " " + some.name + ";";
            const int refused = p.os.refusedCalls, troubled = p.os.troubledCalls, troubledPuts = p.os.troubledPuts;
            switch (event) {
            case 0: if (p.os.trayIcons.erase(id)) lost.insert(id); break;
            case 1: p.os.trayIcons.clear(); [[fallthrough]];
            case 2: taskbarCreated(); break;
            case 3: case 4: p.os.busyRefusals = 1 + number(2), p.os.busyApplies = event == 4, some.showInTray ^= number(2); break;
            case 5: p.os.shellGone = true, goneUpdates = 1 + number(40), goneCalls = goneSteps = 0; break;
            case 6: p.options.AlternativeIcons ^= 1; break;
            case 7: p.options.SingleIconMode ^= 1; break;
            case 8: some.enabled ^= 1; break;
            case 9: some.showInTray ^= 1; break;
            case 10: if (!(monitoring = !monitoring)) RemoveTrayIcons(p.os, p.dialog, p.list.end), stoppedUnsure = !settled; break;
            case 11: p.options.Staticicon ^= 1; break;
            case 12: p.options.KeyboardLED ^= 1; break;
            case 13: for (Unit* u : units) u->dirty = 1; break;
            case 14: p.os.keyStates[kScrollLockKey] = static_cast<int16_t>((p.os.keyToggles[kScrollLockKey] ^= 1) | number(2) << 15); break;
            }
            const bool quiet = event > 5 && event < 99 && lost.empty(), injected = p.os.busyRefusals > 0;
            const int* base = p.options.AlternativeIcons ? alternate : normal;
            bool pending = false;
            int fold = 0, foldImage = 0;
            for (auto u = units.rbegin(); u != units.rend(); ++u)   // the last discovered first
                if ((*u)->dirty || loadedSet != p.options.AlternativeIcons)
                    pending = true, fold |= (*u)->activity, foldImage = fold < 4 ? fold : foldImage;
            const int calls = p.os.calls["NotifyTray"], refusedBefore = p.os.refusedCalls;
            const size_t strokes = p.os.keyStrokes.size();
            const int16_t toggled = p.os.keyToggles[kScrollLockKey], meters = p.os.calls["DrawIconMeter"];
            if (monitoring) {
                for (auto& c : p.Update()) log += " [" + c + "]";
                loadedSet = p.options.AlternativeIcons, singleShown = p.options.SingleIconMode;
                if (!singleShown) singleImage.clear();
                else if (pending || singleImage.empty()) singleImage = std::to_string(base[p.options.Staticicon ? 0 : foldImage]);
                goneCalls += p.os.calls["NotifyTray"] - calls;
            }
            p.os.busyRefusals = 0;   // a busy spell lasts one update
            if (monitoring && singleShown) {
                const bool led = p.options.KeyboardLED, on = fold != 0;
                EXPECT_EQ(strokes + (led ? 2 * (toggled != on) : 0), p.os.keyStrokes.size()) << log;
                EXPECT_TRUE(meters == p.os.calls["DrawIconMeter"] && (!led || on == (p.os.keyToggles[kScrollLockKey] != 0)) &&
                            std::none_of(units.begin(), units.end(), [](Unit* u) { return u->dirty != 0; })) << "all folded; " << log;
            }
            if (p.os.shellGone) {
                ++goneSteps, settled = calm = false;
                EXPECT_LE(goneCalls, 2 + 2 * (100 * goneSteps / 1000) + 3 * 5) << "three deletes an icon; " << log;
                if (--goneUpdates == 0) p.os.shellGone = false, p.os.trayIcons.clear(), taskbarCreated();
                continue;
            }
            EXPECT_TRUE(!quiet || !calm || refusedBefore == p.os.refusedCalls) << log;
            if (troubledPuts != p.os.troubledPuts) quietFrom = p.os.tick + 1000;
            settled = !injected && troubled == p.os.troubledCalls && p.os.tick >= quietFrom;
            calm = settled && refused == p.os.refusedCalls;
            for (const auto& icon : p.os.trayIcons) lost.erase(icon.first);
            std::map<uint32_t, std::pair<std::string, std::string>> expected, shown = p.os.trayIcons;
            if (singleShown && !lost.count(0)) expected[0] = {singleImage, "Blinkwatch"};
            if (!monitoring) {
                stoppedUnsure |= troubled != p.os.troubledCalls, settled = calm = false;
                ASSERT_TRUE(stoppedUnsure || shown.count(0) == expected.count(0)) << log;
                continue;
            }
            if (!settled) continue;
            for (Unit* u : units) {
                char overlay[2], tip[kTrayTipLength];
                FormatOverlayText(*u, overlay), FormatTooltip(*u, tip);
                if (WantsOwnIcon(*u, p.options) && !lost.count(u->trayId))
                    expected[u->trayId] = {u->activity == ACTIVITY_METER ? "meter " + std::to_string(u->value) + " "
                                                                         : overlay + (" on " + std::to_string(base[u->activity])), tip};
            }
            for (auto& [id, icon] : shown)
                if (icon.first.rfind("meter ", 0) == 0) icon.first.erase(icon.first.find(' ', 6) + 1);   // drawn on meters
            ASSERT_EQ(expected, shown) << log;
        }
        if (number(2)) taskbarCreated();   // "TaskbarCreated" just before quitting
        p.os.busyRefusals = 0, p.os.shellGone = false;
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
    EXPECT_EQ("30 5 1", std::to_string(p.os.calls["DrawIconText"]) + " " + std::to_string(p.os.calls["LoadProgramIcon"]) +
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
    EXPECT_EQ(Calls{}, p.Show(vram, ACTIVITY_METER, 7)) << "nothing new";
    EXPECT_EQ(0, vram.dirty);
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
    p.os.missingIcons.clear(), p.os.drawingsFail = 2, p.Update();
    EXPECT_EQ(15, p.os.calls["LoadProgramIcon"]) << "a set without its read icon loads again";
    p.os.drawingsFail = 0, p.options.AlternativeIcons = 0, p.Update();   // releases the Units' icons: base icons now
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
    // a, b -> bytes written (b visited first); b idle clears the line it shares with a; a held state writes nothing.
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
