#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fake_os.h"
#include "indicators/tray_presenter.h"
#include "resources/icon_ids.h"
#include "units/unit_list.h"

namespace {

using Strings = std::vector<std::string>;

class TrayPresenter : public ::testing::Test {
protected:
    FakeOs os;
    GlobalOptions options{};
    PresenterState state{};
    Unit* list = nullptr;
    WindowHandle dialog = reinterpret_cast<WindowHandle>(uintptr_t{0x4242});
    int32_t nextTrayId = kFirstTrayId;

    TrayPresenter() { AppendUnit(os, &list); }   // the start marker
    ~TrayPresenter() override { FreeUnitList(os, &list); }

    // An enabled Unit as discovery leaves it.
    Unit& Add(uint32_t kind, const char* name) {
        AppendUnit(os, &list);
        Unit& unit = *list;
        unit.kind = kind;
        unit.trayId = nextTrayId++;
        unit.enabled = unit.dirty = 1;
        std::snprintf(unit.name, sizeof unit.name, "%s", name);
        return unit;
    }
    void Close() { AppendUnit(os, &list); }      // the end marker
    void Update() { UpdateTrayIcons(os, dialog, &list, &options, state); }
    void UpdateIdleTwice() { Update(); Update(); TakeCalls(); }
    Strings Change(Unit& unit, int8_t activity, int dirty = 1) {
        unit.activity = activity;
        unit.dirty = dirty;
        Update();
        return TakeCalls();
    }

    // "147" for a base icon, "147:C" for C drawn on it, "meter50(...)" for a meter drawn on an icon.
    std::string Name(IconHandle icon) const {
        if (icon == nullptr) return "none";
        auto drawn = os.drawnIcons.find(icon);
        if (drawn == os.drawnIcons.end()) return std::to_string(reinterpret_cast<uintptr_t>(icon));
        if (drawn->second.meter)
            return "meter" + std::to_string(drawn->second.style.percent) + "(" + Name(drawn->second.source) + ")";
        return Name(drawn->second.source) + ":" + drawn->second.text;
    }

    // The tray calls since the last look, as "add 100 147 No update yet".
    Strings TakeCalls() {
        static const char* const kMessages[] = {"add", "modify", "delete"};
        Strings described;
        for (const FakeOs::TrayCall& call : os.trayCalls) {
            std::string text = std::string(kMessages[call.message]) + " " + std::to_string(call.record.id);
            if (call.message != kTrayDelete) text += " " + Name(call.record.icon) + " " + call.record.tip;
            described.push_back(text);
            EXPECT_EQ(7u, call.record.flags) << text;
            EXPECT_EQ(1030u, call.record.callbackMessage) << text;
            EXPECT_EQ(dialog, call.record.window) << text;
        }
        os.trayCalls.clear();
        return described;
    }
};

void SetDrive(Unit& u) {
    u.kind = DRIVE_FIXED;
    std::snprintf(u.name, sizeof u.name, "\\\\.\\C:");
    std::snprintf(u.label, sizeof u.label, "N/A");
    std::snprintf(u.fileSystem, sizeof u.fileSystem, "FAT32");
    u.freeScaled = 4000000000u;   // unsigned figures print unsigned
    u.totalScaled = 4100000000u;
    u.sizeUnit = ' ';
    u.value = -1;
}

const char kDriveTip[] =
    "Drive: \\\\.\\C:\nVolume: N/A\nFilesystem: FAT32\nFree capacity: 4000000000 / 4100000000 B (-1%)";
const char kEmptyDriveTip[] = "Drive: \\\\.\\C:\nVolume: \nFilesystem: \nFree capacity: 0 / 0 B (0%)";

}  // namespace

TEST_F(TrayPresenter, FirstUpdateAddsIdleIconsThenEachUnitShowsItsOwnAndAHeldStateSendsNothing) {
    Unit& drive0 = Add(DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE0");
    Unit& c = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& drive12 = Add(DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE12");
    Close();
    for (Unit* unit : {&drive0, &c, &drive12}) unit->sizeUnit = 'G';
    std::snprintf(c.label, sizeof c.label, "System");
    std::snprintf(c.fileSystem, sizeof c.fileSystem, "NTFS");
    c.freeScaled = 12;
    c.totalScaled = 40;
    c.value = 30;
    const std::string cTip = "Drive: \\\\.\\C:\nVolume: System\nFilesystem: NTFS\nFree capacity: 12 / 40GB (30%)";

    Update();
    EXPECT_EQ((std::vector<int>{IDI_IDLE, IDI_READ, IDI_WRITE, IDI_READWRITE, IDI_METER}), os.iconLoads);
    EXPECT_EQ((Strings{"add 102 147 No update yet", "add 101 147 No update yet", "add 100 147 No update yet"}),
              TakeCalls());
    Update();
    EXPECT_EQ((Strings{
                  "modify 102 147:1 Drive: \\\\.\\PHYSICALDRIVE12\nVolume: \nFilesystem: \nFree capacity: 0 / 0GB (0%)",
                  "modify 101 147:C " + cTip,
                  "modify 100 147:0 Drive: \\\\.\\PHYSICALDRIVE0\nVolume: \nFilesystem: \nFree capacity: 0 / 0GB (0%)"}),
              TakeCalls());

    struct Step { int8_t activity; int dirty; const char* icon; };
    const Step steps[] = {
        {ACTIVITY_READ, 1, "137:C"}, {ACTIVITY_READ, 0, nullptr},   // held: the sampler leaves it unmarked
        {ACTIVITY_WRITE, 1, "138:C"}, {ACTIVITY_READWRITE, 1, "146:C"},
        {ACTIVITY_IDLE, 1, "147:C"}, {5, 1, "147:C"},               // an unknown state shows idle
    };
    for (const Step& step : steps) {
        Strings expected;
        if (step.icon != nullptr) expected.push_back(std::string("modify 101 ") + step.icon + " " + cTip);
        EXPECT_EQ(expected, Change(c, step.activity, step.dirty)) << "activity " << int{step.activity};
    }
    EXPECT_EQ(5u, os.iconLoads.size()) << "the base icons are loaded once";
    EXPECT_EQ(15, os.calls["DrawIconText"]) << "each Unit's icon set is built once";
}

TEST_F(TrayPresenter, OverlayCharacters) {
    struct Case { uint32_t kind; const char* name; const char* text; };
    const Case cases[] = {
        {DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE12", "1"}, {DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE1", "1"},
        {DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE", " "}, {DRIVE_NO_ROOT_DIR, "", " "},   // too short: a blank
        {DRIVE_FIXED, "\\\\.\\E:", "E"}, {DRIVE_FIXED, "\\\\.", " "}, {DRIVE_UNKNOWN, "\\\\.\\F:", "!"},
        {DRIVE_REMOVABLE, "\\\\.\\A:", "!"}, {DRIVE_REMOTE, "\\\\.\\N:", "!"}, {DRIVE_CDROM, "\\\\.\\R:", "!"},
        {DRIVE_RAMDISK, "\\\\.\\Z:", "!"}, {UNIT_CPU, "CPU Usage", "~"}, {UNIT_RAM, "RAM Usage", "~"},
        {UNIT_VRAM, "VRAM Usage", "~"}, {UNIT_NIC, "NIC #0 Usage", "@"},
    };
    for (const Case& c : cases) {
        Unit unit{};
        unit.kind = c.kind;
        std::snprintf(unit.name, sizeof unit.name, "%s", c.name);
        char text[2] = {'x', 'x'};
        FormatOverlayText(unit, text);
        EXPECT_STREQ(c.text, text) << c.name;
    }
    Unit full{};   // a name filling its whole buffer without a terminating zero
    full.kind = DRIVE_NO_ROOT_DIR;
    std::memset(full.name, 'P', sizeof full.name);
    char text[2];
    FormatOverlayText(full, text);
    EXPECT_STREQ("P", text);
}

TEST_F(TrayPresenter, TooltipsOfEveryKindCutTo127Characters) {
    struct Case { void (*set)(Unit&); std::string tip; };
    const Case cases[] = {
        {[](Unit& u) { u.kind = UNIT_CPU; u.cpuIndex = 3; u.value = 42; }, "CPU(3):\nUsage: 42%"},
        {[](Unit& u) { u.kind = UNIT_RAM; u.value = 61; u.ramFreeMB = 1200; u.ramTotalMB = 4096; },
         "RAM:\nUsage: 61%\nFree: 1200MB / 4096MB"},
        {[](Unit& u) { u.kind = UNIT_VRAM; u.value = 7; u.vramFreeMB = 9000; u.vramTotalMB = 9999; },
         "Virtual RAM:\nUsage: 7%\nFree: 9000MB / 9999MB"},
        {[](Unit& u) {
             u.kind = UNIT_NIC; u.nicIndex = 2; u.value = 13;
             std::snprintf(u.label, sizeof u.label, "Intel PRO/1000");
         }, "Network (2):\nUsage: 13%\nDescription: Intel PRO/1000"},
        {SetDrive, kDriveTip},
        {[](Unit& u) { SetDrive(u); u.sizeUnit = '\0'; }, kDriveTip},   // not sampled yet: the whole text
        {[](Unit& u) { SetDrive(u); std::memset(u.label, 'L', 200); u.label[200] = '\0'; },
         ("Drive: \\\\.\\C:\nVolume: " + std::string(200, 'L')).substr(0, 127)},
        // Text buffers without terminating zeros are read no further than their size.
        {[](Unit& u) {
             SetDrive(u);
             std::memset(u.name, 'N', sizeof u.name);
             std::memset(u.label, 'L', sizeof u.label);
             std::memset(u.fileSystem, 'F', sizeof u.fileSystem);
         }, "Drive: " + std::string(120, 'N')},
    };
    for (const Case& c : cases) {
        Unit unit{};
        c.set(unit);
        char tip[kTrayTipLength];
        FormatTooltip(unit, tip);
        EXPECT_EQ(c.tip, std::string(tip));
    }
}

TEST_F(TrayPresenter, MetersAreRedrawnOnTheirOwnIconAndTheOldOneReleasedEvenWhenDrawingFails) {
    Unit& cpu = Add(UNIT_CPU, "CPU Usage");
    Close();
    options.Color_cpu_dynamic = 1;
    Update();
    Update();
    EXPECT_EQ((Strings{"add 100 147 No update yet", "modify 100 147:~ CPU(0):\nUsage: 0%"}), TakeCalls())
        << "idle until the first load sample";
    cpu.activity = ACTIVITY_METER;
    auto Load = [&](int32_t value) { cpu.value = value; cpu.dirty = 1; Update(); return TakeCalls(); };

    IconHandle meter = cpu.iconMeter;
    EXPECT_EQ((Strings{"modify 100 meter50(148:~) CPU(0):\nUsage: 50%"}), Load(50));
    EXPECT_EQ(0u, os.liveIcons.count(meter)) << "the replaced meter icon is released";
    EXPECT_EQ(127, os.drawnIcons[cpu.iconMeter].style.bar.red);
    EXPECT_EQ(128, os.drawnIcons[cpu.iconMeter].style.bar.green);
    EXPECT_EQ((Strings{"modify 100 meter75(meter50(148:~)) CPU(0):\nUsage: 75%"}), Load(75));
    EXPECT_EQ(5u, os.liveIcons.size()) << "one icon per slot, whatever the number of redraws";

    meter = cpu.iconMeter;
    os.meterDrawFails = true;
    EXPECT_EQ((Strings{"modify 100 none CPU(0):\nUsage: 21%"}), Load(21));
    EXPECT_EQ(0u, os.liveIcons.count(meter)) << "the dropped meter icon is not leaked";
    os.meterDrawFails = false;
    EXPECT_EQ((Strings{"modify 100 meter22(148) CPU(0):\nUsage: 22%"}), Load(22))
        << "an empty meter slot is drawn anew on the meter base icon";

    os.meterDrawKeepsIcon = true;   // only the final icon creation failed: the previous meter stays
    meter = cpu.iconMeter;
    Load(23);
    EXPECT_EQ(meter, cpu.iconMeter);
    EXPECT_EQ(1u, os.liveIcons.count(meter));
    EXPECT_EQ(0, os.badReleases);
}

TEST_F(TrayPresenter, TogglingAlternativeIconsReloadsAndRebuilds) {
    Unit& drive = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& cpu = Add(UNIT_CPU, "CPU Usage");
    Close();
    UpdateIdleTwice();
    os.iconLoads.clear();

    options.AlternativeIcons = 1;
    Update();
    EXPECT_EQ((std::vector<int>{IDI_ALT_IDLE, IDI_ALT_READ, IDI_ALT_WRITE, IDI_ALT_READWRITE, IDI_METER}),
              os.iconLoads);
    EXPECT_EQ((Strings{"modify 101 107:~ CPU(0):\nUsage: 0%", std::string("modify 100 107:C ") + kEmptyDriveTip}),
              TakeCalls());
    EXPECT_EQ("139:C", Name(drive.iconRead));
    EXPECT_EQ("148:~", Name(cpu.iconMeter));
    EXPECT_EQ(10u, os.liveIcons.size()) << "the old sets are released";
    EXPECT_EQ(0, os.badReleases);

    os.iconLoads.clear();
    options.AlternativeIcons = 0;
    drive.activity = ACTIVITY_WRITE;
    Update();
    EXPECT_EQ((std::vector<int>{IDI_IDLE, IDI_READ, IDI_WRITE, IDI_READWRITE, IDI_METER}), os.iconLoads);
    EXPECT_EQ((Strings{"modify 101 147:~ CPU(0):\nUsage: 0%", std::string("modify 100 138:C ") + kEmptyDriveTip}),
              TakeCalls());
}

TEST_F(TrayPresenter, FailedOverlayDrawingsAndMissingBaseIcons) {
    Unit& drive = Add(DRIVE_FIXED, "\\\\.\\C:");
    Close();
    os.missingIcons = {IDI_READ};
    Update();
    EXPECT_EQ(5u, os.iconLoads.size());
    os.missingIcons.clear();
    os.textDrawFails = true;
    Update();
    EXPECT_EQ(10u, os.iconLoads.size()) << "the read icon was missing: the whole set loads again";
    EXPECT_EQ((Strings{"add 100 147 No update yet", std::string("modify 100 none ") + kEmptyDriveTip}), TakeCalls());

    // While the idle slot is empty the set is built again on each modify;
    // when only the final icon creation fails, the slots hold the base icons.
    os.textDrawFails = false;
    os.textDrawKeepsIcon = true;
    drive.dirty = 1;
    Update();
    EXPECT_EQ(10, os.calls["DrawIconText"]);
    EXPECT_EQ(FakeOs::ProgramIcon(IDI_IDLE), drive.iconIdle);
    EXPECT_EQ(FakeOs::ProgramIcon(IDI_METER), drive.iconMeter);

    // Base icons held in slots are never released, not even when the set changes.
    options.AlternativeIcons = 1;
    os.textDrawKeepsIcon = false;
    Update();
    EXPECT_EQ(0, os.calls["ReleaseIcon"]);
    EXPECT_EQ(0, os.badReleases);
    EXPECT_EQ("107:C", Name(drive.iconIdle));
}

TEST_F(TrayPresenter, ShowInTrayAndEnabledAddAndDelete) {
    Unit& a = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& b = Add(UNIT_NIC, "NIC #0 Usage");
    Close();
    UpdateIdleTwice();

    a.showInTray = 0;
    Update();
    EXPECT_EQ((Strings{"delete 100"}), TakeCalls());
    Update();
    EXPECT_EQ(Strings{}, TakeCalls());
    a.showInTray = 1;
    Update();
    EXPECT_EQ((Strings{"add 100 147 No update yet"}), TakeCalls());
    Update();
    EXPECT_EQ((Strings{std::string("modify 100 147:C ") + kEmptyDriveTip}), TakeCalls());

    b.enabled = 0;
    Update();
    EXPECT_EQ((Strings{"delete 101"}), TakeCalls());
    b.enabled = 1;
    a.trayIconAdded = 0;   // as if the shell had lost the icon
    a.dirty = b.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"add 101 147 No update yet", "add 100 147 No update yet"}), TakeCalls());
    // A Unit added after another in the same update carries that one's icon and tip.
    b.dirty = 1;
    a.trayIconAdded = 0;
    Update();
    EXPECT_EQ((Strings{"modify 101 147:@ Network (0):\nUsage: 0%\nDescription: ",
                       "add 100 147:@ Network (0):\nUsage: 0%\nDescription: "}),
              TakeCalls());
}

TEST_F(TrayPresenter, PortIsWrittenForEveryPortUnitInWalkOrderBeforeItsIcon) {
    os.portLibraryPresent = true;
    Unit& a = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& b = Add(DRIVE_FIXED, "\\\\.\\D:");
    Unit& c = Add(DRIVE_FIXED, "\\\\.\\E:");
    Close();
    uint8_t mask = 0x01;
    for (Unit* unit : {&a, &b, &c}) {
        unit->parallelPortEnabled = 1;
        unit->activity = ACTIVITY_READ;
        unit->parallelPortReadMask = mask;
        mask <<= 1;
    }
    b.enabled = 0;   // a disabled Unit drives nothing
    Update();
    EXPECT_EQ((Strings{"port 0x04", "tray 0 102", "port 0x05", "tray 0 100", "yield"}), os.indicatorLog);

    os.indicatorLog.clear();
    options.SingleIconMode = 1;   // the port follows in single icon mode too
    Change(a, ACTIVITY_IDLE);
    EXPECT_EQ((Strings{"tray 2 100", "tray 2 102", "tray 0 0", "tray 1 0", "tray 1 0", "port 0x04", "tray 1 0",
                       "yield"}),
              os.indicatorLog);
}

TEST_F(TrayPresenter, SingleIconShowsWhatChangedAndDrivesTheLed) {
    Unit& drive = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& hidden = Add(DRIVE_FIXED, "\\\\.\\D:");
    Close();
    hidden.showInTray = 0;   // plays no part in single icon mode
    options.SingleIconMode = options.KeyboardLED = 1;
    Update();
    // Added after the end marker's turn; both drives, dirty and idle, modify with the idle icon.
    EXPECT_EQ((Strings{"add 0 147 Blinkwatch", "modify 0 147 Blinkwatch", "modify 0 147 Blinkwatch"}), TakeCalls());
    EXPECT_EQ(0, os.calls["DrawIconText"]) << "no per-unit icons in single icon mode";

    os.keyStrokes.clear();
    EXPECT_EQ((Strings{"modify 0 137 Blinkwatch"}), Change(drive, ACTIVITY_READ));
    EXPECT_EQ(1, os.keyStates[kScrollLockKey]) << "Scroll Lock on after a change";
    EXPECT_EQ(2u, os.keyStrokes.size());
    Update();
    EXPECT_EQ(Strings{}, TakeCalls()) << "no change, no modify";
    EXPECT_EQ(0, os.keyStates[kScrollLockKey]) << "Scroll Lock off after a quiet update";
    EXPECT_EQ(4u, os.keyStrokes.size());

    EXPECT_EQ((Strings{"modify 0 138 Blinkwatch"}), Change(hidden, ACTIVITY_WRITE));

    options.KeyboardLED = 0;
    os.keyStrokes.clear();
    int keyReads = os.calls["ReadKeyState"];
    EXPECT_EQ((Strings{"modify 0 137 Blinkwatch"}), Change(drive, ACTIVITY_READ));
    EXPECT_TRUE(os.keyStrokes.empty());
    EXPECT_EQ(keyReads, os.calls["ReadKeyState"]) << "the LED is left alone without KeyboardLED";
}

TEST_F(TrayPresenter, SingleIconFoldsAMeterChangeAndKeepsItsIcon) {
    Unit& drive = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& cpu = Add(UNIT_CPU, "CPU Usage");
    Close();
    options.SingleIconMode = 1;
    drive.dirty = cpu.dirty = 0;
    Update();
    TakeCalls();

    // The CPU is visited first: the fold is 9, then 11, and the icon stays idle.
    cpu.activity = ACTIVITY_METER;
    drive.activity = ACTIVITY_READ;
    cpu.dirty = drive.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"modify 0 147 Blinkwatch", "modify 0 147 Blinkwatch"}), TakeCalls());
    EXPECT_EQ(0, os.calls["DrawIconMeter"]);

    options.Staticicon = 1;   // every modify carries the idle icon
    EXPECT_EQ((Strings{"modify 0 147 Blinkwatch"}), Change(drive, ACTIVITY_READWRITE));
}

TEST_F(TrayPresenter, SwitchingModesAndStoppingAndQuitting) {
    Unit& a = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& b = Add(DRIVE_FIXED, "\\\\.\\D:");
    Close();
    UpdateIdleTwice();

    // Every per-unit icon deleted, first discovered first, then the single
    // icon added; the end marker is folded too, so an idle modify follows.
    options.SingleIconMode = 1;
    Update();
    EXPECT_EQ((Strings{"delete 100", "delete 101", "add 0 147 Blinkwatch", "modify 0 147 Blinkwatch"}), TakeCalls());
    EXPECT_EQ(0, a.trayIconAdded);
    EXPECT_EQ(0, b.trayIconAdded);
    RemoveTrayIcons(os, dialog, &list);
    EXPECT_EQ(Strings{}, TakeCalls()) << "stopping in single icon mode leaves the single icon";

    options.SingleIconMode = 0;
    a.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"delete 0", "add 101 147 No update yet", "add 100 147 No update yet"}), TakeCalls());

    // Stopping in per-unit mode removes every per-unit icon; the icon sets stay.
    RemoveTrayIcons(os, dialog, &list);
    EXPECT_EQ((Strings{"delete 100", "delete 101"}), TakeCalls());
    EXPECT_NE(nullptr, a.iconIdle);
    Update();
    EXPECT_EQ((Strings{"add 101 147 No update yet", "add 100 147 No update yet"}), TakeCalls())
        << "they return with the next update";

    // Quitting in single icon mode removes the single icon, once.
    options.SingleIconMode = 1;
    Update();
    EXPECT_EQ("add 0 147 Blinkwatch", TakeCalls().at(2)) << "the single icon is added again after per-unit mode";
    RemoveTrayIcons(os, dialog, &list);
    RemoveSingleIcon(os, dialog, state);
    RemoveSingleIcon(os, dialog, state);
    EXPECT_EQ((Strings{"delete 0"}), TakeCalls());
    Update();
    EXPECT_EQ("add 0 147 Blinkwatch", TakeCalls().at(0)) << "what was removed is added again";
}

TEST_F(TrayPresenter, EmptyAndMissingInputsAreHarmless) {
    UpdateTrayIcons(os, dialog, &list, nullptr, state);
    EXPECT_EQ(0u, os.iconLoads.size());
    Unit* none = nullptr;
    UpdateTrayIcons(os, dialog, &none, &options, state);
    UpdateTrayIcons(os, dialog, nullptr, &options, state);
    EXPECT_EQ(2, os.yields);
    EXPECT_EQ(0, RemoveTrayIcons(os, dialog, nullptr));
    EXPECT_EQ(0, RemoveTrayIcons(os, dialog, &none));
    EXPECT_EQ(0, RemoveSingleIcon(os, dialog, state));
    Close();   // only the two markers: nothing to show
    Update();
    EXPECT_EQ(Strings{}, TakeCalls());
}
