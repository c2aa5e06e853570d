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

    // A real Unit as discovery leaves it, enabled.
    Unit& Add(uint32_t kind, const char* name) {
        AppendUnit(os, &list);
        Unit& unit = *list;
        unit.kind = kind;
        unit.trayId = nextTrayId++;
        unit.enabled = 1;
        unit.dirty = 1;
        std::snprintf(unit.name, sizeof unit.name, "%s", name);
        return unit;
    }
    void Close() { AppendUnit(os, &list); }      // the end marker
    void Update() { UpdateTrayIcons(os, dialog, &list, &options, state); }

    // An icon by what it is: "147" for a base icon, "147:C" for the character
    // C drawn on it, "meter50(...)" for a meter at 50% drawn on an icon.
    std::string Name(IconHandle icon) const {
        if (icon == nullptr) return "none";
        auto drawn = os.drawnIcons.find(icon);
        if (drawn == os.drawnIcons.end())
            return std::to_string(reinterpret_cast<uintptr_t>(icon));
        if (drawn->second.meter)
            return "meter" + std::to_string(drawn->second.style.percent) + "(" +
                   Name(drawn->second.source) + ")";
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
            EXPECT_EQ(504u, call.record.size) << text;
            EXPECT_EQ(7u, call.record.flags) << text;
            EXPECT_EQ(1030u, call.record.callbackMessage) << text;
            EXPECT_EQ(dialog, call.record.window) << text;
        }
        os.trayCalls.clear();
        return described;
    }
};

}  // namespace

TEST_F(TrayPresenter, FirstUpdateAddsIdleIconsThenEachUnitShowsItsOwn) {
    Unit& drive0 = Add(DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE0");
    Unit& c = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& drive12 = Add(DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE12");
    Close();
    for (Unit* unit : {&drive0, &c, &drive12}) {
        std::snprintf(unit->label, sizeof unit->label, "%s", unit == &c ? "System" : "");
        unit->sizeUnit = 'G';
    }
    c.freeScaled = 12;
    c.totalScaled = 40;
    c.value = 30;
    std::snprintf(c.fileSystem, sizeof c.fileSystem, "NTFS");

    Update();
    EXPECT_EQ((std::vector<int>{IDI_IDLE, IDI_READ, IDI_WRITE, IDI_READWRITE, IDI_METER}), os.iconLoads);
    EXPECT_EQ((Strings{"add 102 147 No update yet", "add 101 147 No update yet",
                       "add 100 147 No update yet"}),
              TakeCalls());
    EXPECT_EQ(100, drive0.trayIconAdded);
    EXPECT_EQ(102, drive12.trayIconAdded);
    EXPECT_EQ(1, c.dirty);
    EXPECT_EQ("yield", os.indicatorLog.back());
    EXPECT_EQ(1, os.yields);

    Update();
    EXPECT_EQ((Strings{
                  "modify 102 147:1 Drive: \\\\.\\PHYSICALDRIVE12\nVolume: \nFilesystem: \nFree capacity: 0 / 0GB (0%)",
                  "modify 101 147:C Drive: \\\\.\\C:\nVolume: System\nFilesystem: NTFS\nFree capacity: 12 / 40GB (30%)",
                  "modify 100 147:0 Drive: \\\\.\\PHYSICALDRIVE0\nVolume: \nFilesystem: \nFree capacity: 0 / 0GB (0%)"}),
              TakeCalls());
    EXPECT_EQ("147:1", Name(drive12.iconIdle));
    EXPECT_EQ("137:1", Name(drive12.iconRead));
    EXPECT_EQ("138:1", Name(drive12.iconWrite));
    EXPECT_EQ("146:1", Name(drive12.iconReadWrite));
    EXPECT_EQ("148:1", Name(drive12.iconMeter));
    EXPECT_EQ(0, c.dirty);
    EXPECT_EQ(5u, os.iconLoads.size()) << "the base icons are loaded once";

    Update();
    EXPECT_EQ(Strings{}, TakeCalls()) << "nothing changed, nothing sent";
    EXPECT_EQ(15u, os.liveIcons.size());
}

TEST_F(TrayPresenter, ActivityChoosesTheIconAndAHeldStateSendsNothing) {
    Unit& drive = Add(DRIVE_FIXED, "\\\\.\\D:");
    Close();
    Update();
    Update();
    TakeCalls();

    struct Step { int8_t activity; int dirty; const char* expected; };
    const Step steps[] = {
        {ACTIVITY_READ, 1, "137:D"},
        {ACTIVITY_READ, 0, nullptr},   // read again: the sampler did not mark it
        {ACTIVITY_WRITE, 1, "138:D"},
        {ACTIVITY_READWRITE, 1, "146:D"},
        {ACTIVITY_IDLE, 1, "147:D"},
        {5, 1, "147:D"},               // an unknown state shows idle
    };
    for (const Step& step : steps) {
        drive.activity = step.activity;
        drive.dirty = step.dirty;
        Update();
        Strings calls = TakeCalls();
        if (step.expected == nullptr) {
            EXPECT_EQ(Strings{}, calls) << "activity " << int{step.activity};
            continue;
        }
        ASSERT_EQ(1u, calls.size()) << "activity " << int{step.activity};
        EXPECT_EQ(0u, calls[0].find(std::string("modify 100 ") + step.expected + " Drive:"))
            << calls[0];
    }
    EXPECT_EQ(5, os.calls["DrawIconText"]) << "the icon set is built once";
}

TEST_F(TrayPresenter, OverlayCharacters) {
    struct Case { uint32_t kind; const char* name; const char* text; };
    const Case cases[] = {
        {DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE12", "1"},
        {DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE1", "1"},
        {DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE", " "},   // too short: a blank
        {DRIVE_NO_ROOT_DIR, "", " "},
        {DRIVE_FIXED, "\\\\.\\E:", "E"},
        {DRIVE_FIXED, "\\\\.", " "},
        {DRIVE_UNKNOWN, "\\\\.\\F:", "!"},
        {DRIVE_REMOVABLE, "\\\\.\\A:", "!"},
        {DRIVE_REMOTE, "\\\\.\\N:", "!"},
        {DRIVE_CDROM, "\\\\.\\R:", "!"},
        {DRIVE_RAMDISK, "\\\\.\\Z:", "!"},
        {UNIT_CPU, "CPU Usage", "~"},
        {UNIT_RAM, "RAM Usage", "~"},
        {UNIT_VRAM, "VRAM Usage", "~"},
        {UNIT_NIC, "NIC #0 Usage", "@"},
    };
    for (const Case& c : cases) {
        Unit unit{};
        unit.kind = c.kind;
        std::snprintf(unit.name, sizeof unit.name, "%s", c.name);
        char text[2] = {'x', 'x'};
        FormatOverlayText(unit, text);
        EXPECT_STREQ(c.text, text) << c.name;
    }
    // A name that fills its whole buffer without a terminating zero.
    Unit full{};
    full.kind = DRIVE_NO_ROOT_DIR;
    std::memset(full.name, 'P', sizeof full.name);
    char text[2];
    FormatOverlayText(full, text);
    EXPECT_STREQ("P", text);
}

TEST_F(TrayPresenter, TooltipsOfEveryKind) {
    char tip[kTrayTipLength];
    Unit cpu{};
    cpu.kind = UNIT_CPU;
    cpu.cpuIndex = 3;
    cpu.value = 42;
    FormatTooltip(cpu, tip);
    EXPECT_STREQ("CPU(3):\nUsage: 42%", tip);

    Unit ram{};
    ram.kind = UNIT_RAM;
    ram.value = 61;
    ram.ramFreeMB = 1200;
    ram.ramTotalMB = 4096;
    FormatTooltip(ram, tip);
    EXPECT_STREQ("RAM:\nUsage: 61%\nFree: 1200MB / 4096MB", tip);

    Unit vram{};
    vram.kind = UNIT_VRAM;
    vram.value = 7;
    vram.vramFreeMB = 9000;
    vram.vramTotalMB = 9999;
    FormatTooltip(vram, tip);
    EXPECT_STREQ("Virtual RAM:\nUsage: 7%\nFree: 9000MB / 9999MB", tip);

    Unit nic{};
    nic.kind = UNIT_NIC;
    nic.nicIndex = 2;
    nic.value = 13;
    std::snprintf(nic.label, sizeof nic.label, "Intel PRO/1000");
    FormatTooltip(nic, tip);
    EXPECT_STREQ("Network (2):\nUsage: 13%\nDescription: Intel PRO/1000", tip);

    Unit drive{};
    drive.kind = DRIVE_FIXED;
    std::snprintf(drive.name, sizeof drive.name, "\\\\.\\C:");
    std::snprintf(drive.label, sizeof drive.label, "N/A");
    std::snprintf(drive.fileSystem, sizeof drive.fileSystem, "FAT32");
    drive.freeScaled = 4000000000u;   // unsigned figures print unsigned
    drive.totalScaled = 4100000000u;
    drive.sizeUnit = ' ';
    drive.value = -1;
    FormatTooltip(drive, tip);
    EXPECT_STREQ("Drive: \\\\.\\C:\nVolume: N/A\nFilesystem: FAT32\nFree capacity: 4000000000 / 4100000000 B (-1%)",
                 tip);
    drive.sizeUnit = '\0';   // not sampled yet: still the whole text
    FormatTooltip(drive, tip);
    EXPECT_STREQ("Drive: \\\\.\\C:\nVolume: N/A\nFilesystem: FAT32\nFree capacity: 4000000000 / 4100000000 B (-1%)",
                 tip);

    // A long volume label: the tip is cut to its first 127 characters.
    std::memset(drive.label, 'L', 200);
    drive.label[200] = '\0';
    drive.sizeUnit = 'M';
    FormatTooltip(drive, tip);
    std::string expected = "Drive: \\\\.\\C:\nVolume: " + std::string(200, 'L');
    EXPECT_EQ(expected.substr(0, 127), std::string(tip));
    EXPECT_EQ(127u, std::strlen(tip));

    // Text buffers without terminating zeros are read no further than their size.
    std::memset(drive.name, 'N', sizeof drive.name);
    std::memset(drive.label, 'L', sizeof drive.label);
    std::memset(drive.fileSystem, 'F', sizeof drive.fileSystem);
    FormatTooltip(drive, tip);
    EXPECT_EQ("Drive: " + std::string(120, 'N'), std::string(tip));
}

TEST_F(TrayPresenter, MetersAreRedrawnOnTheirOwnIconAndTheOldOneReleased) {
    Unit& cpu = Add(UNIT_CPU, "CPU Usage");
    Close();
    options.Color_cpu_dynamic = 1;
    Update();
    Update();
    EXPECT_EQ((Strings{"add 100 147 No update yet", "modify 100 147:~ CPU(0):\nUsage: 0%"}), TakeCalls())
        << "idle until the first load sample";

    cpu.activity = ACTIVITY_METER;
    cpu.value = 50;
    cpu.dirty = 1;
    IconHandle overlayMeter = cpu.iconMeter;
    Update();
    EXPECT_EQ((Strings{"modify 100 meter50(148:~) CPU(0):\nUsage: 50%"}), TakeCalls());
    EXPECT_EQ(0u, os.liveIcons.count(overlayMeter)) << "the replaced meter icon is released";
    const FakeOs::DrawnIcon& drawn = os.drawnIcons[cpu.iconMeter];
    EXPECT_EQ(127, drawn.style.bar.red);
    EXPECT_EQ(128, drawn.style.bar.green);
    EXPECT_TRUE(drawn.style.hasBar);

    cpu.value = 75;
    cpu.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"modify 100 meter75(meter50(148:~)) CPU(0):\nUsage: 75%"}), TakeCalls());
    EXPECT_EQ(5u, os.liveIcons.size()) << "one icon per slot, whatever the number of redraws";
    EXPECT_EQ(0, os.badReleases);
}

TEST_F(TrayPresenter, AFailedMeterDrawingReleasesTheOldMeterAndRecoversOnTheBase) {
    Unit& ram = Add(UNIT_RAM, "RAM Usage");
    Close();
    Update();
    Update();
    TakeCalls();
    ram.activity = ACTIVITY_METER;
    ram.value = 20;
    ram.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"modify 100 meter20(148:~) RAM:\nUsage: 20%\nFree: 0MB / 0MB"}), TakeCalls());
    IconHandle meter = ram.iconMeter;

    os.meterDrawFails = true;
    ram.value = 21;
    ram.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"modify 100 none RAM:\nUsage: 21%\nFree: 0MB / 0MB"}), TakeCalls());
    EXPECT_EQ(nullptr, ram.iconMeter);
    EXPECT_EQ(0u, os.liveIcons.count(meter)) << "the dropped meter icon is not leaked";

    os.meterDrawFails = false;
    ram.value = 22;
    ram.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"modify 100 meter22(148) RAM:\nUsage: 22%\nFree: 0MB / 0MB"}), TakeCalls())
        << "an empty meter slot is drawn anew on the meter base icon";

    // Only the final icon creation failed: the previous meter stays, unreleased.
    os.meterDrawKeepsIcon = true;
    meter = ram.iconMeter;
    ram.value = 23;
    ram.dirty = 1;
    Update();
    EXPECT_EQ(meter, ram.iconMeter);
    EXPECT_EQ(1u, os.liveIcons.count(meter));
    EXPECT_EQ(5u, os.liveIcons.size());
    EXPECT_EQ(0, os.badReleases);
}

TEST_F(TrayPresenter, TogglingAlternativeIconsReloadsAndRebuilds) {
    Unit& drive = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& cpu = Add(UNIT_CPU, "CPU Usage");
    Close();
    Update();
    Update();
    TakeCalls();
    os.iconLoads.clear();

    options.AlternativeIcons = 1;
    Update();
    EXPECT_EQ((std::vector<int>{IDI_ALT_IDLE, IDI_ALT_READ, IDI_ALT_WRITE, IDI_ALT_READWRITE, IDI_METER}),
              os.iconLoads);
    Strings calls = TakeCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(0u, calls[0].find("modify 101 107:~ CPU(0)")) << calls[0];
    EXPECT_EQ(0u, calls[1].find("modify 100 107:C Drive:")) << calls[1];
    EXPECT_EQ("139:C", Name(drive.iconRead));
    EXPECT_EQ("148:~", Name(cpu.iconMeter));
    EXPECT_EQ(10u, os.liveIcons.size()) << "the old sets are released";
    EXPECT_EQ(0, os.badReleases);

    os.iconLoads.clear();
    options.AlternativeIcons = 0;
    drive.activity = ACTIVITY_WRITE;
    Update();
    EXPECT_EQ((std::vector<int>{IDI_IDLE, IDI_READ, IDI_WRITE, IDI_READWRITE, IDI_METER}), os.iconLoads);
    calls = TakeCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(0u, calls[1].find("modify 100 138:C Drive:")) << calls[1];
    EXPECT_EQ(10u, os.liveIcons.size());
    EXPECT_EQ(0, os.badReleases);
}

TEST_F(TrayPresenter, FailedOverlayDrawingsAndMissingBaseIcons) {
    Unit& drive = Add(DRIVE_FIXED, "\\\\.\\C:");
    Close();
    os.missingIcons = {IDI_READ};
    Update();
    EXPECT_EQ(5u, os.iconLoads.size());
    os.missingIcons.clear();
    os.textDrawFails = true;
    Update();   // the read icon was missing: the whole set loads again
    EXPECT_EQ(10u, os.iconLoads.size());
    EXPECT_EQ((Strings{"add 100 147 No update yet", "modify 100 none Drive: \\\\.\\C:\nVolume: \nFilesystem: \nFree capacity: 0 / 0 B (0%)"}),
              TakeCalls());
    EXPECT_EQ(nullptr, drive.iconIdle);

    // While the idle slot is empty the set is built again on each modify.
    os.textDrawFails = false;
    os.textDrawKeepsIcon = true;   // only the final icon creation fails: slots hold base icons
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
    Update();
    Update();
    TakeCalls();

    a.showInTray = 0;
    Update();
    EXPECT_EQ((Strings{"delete 100"}), TakeCalls());
    EXPECT_EQ(0, a.trayIconAdded);
    Update();
    EXPECT_EQ(Strings{}, TakeCalls());

    a.showInTray = 1;
    Update();
    Strings calls = TakeCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("add 100 147 No update yet", calls[0]);
    Update();
    calls = TakeCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(0u, calls[0].find("modify 100 147:C Drive:")) << calls[0];

    // A Unit added after another in the same update carries that one's icon and tip.
    b.enabled = 0;
    Update();
    EXPECT_EQ((Strings{"delete 101"}), TakeCalls());
    b.enabled = 1;
    a.trayIconAdded = 0;   // as if the shell had lost the icon
    a.dirty = 1;
    b.dirty = 1;
    Update();
    calls = TakeCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("add 101 147 No update yet", calls[0]);
    EXPECT_EQ("add 100 147 No update yet", calls[1]);
    b.dirty = 1;
    a.trayIconAdded = 0;
    Update();
    calls = TakeCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("modify 101 147:@ Network (0):\nUsage: 0%\nDescription: ", calls[0]);
    EXPECT_EQ("add 100 147:@ Network (0):\nUsage: 0%\nDescription: ", calls[1]);
}

TEST_F(TrayPresenter, PortIsWrittenForEveryPortUnitInWalkOrderBeforeItsIcon) {
    os.portLibraryPresent = true;
    Unit& a = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& b = Add(DRIVE_FIXED, "\\\\.\\D:");
    Unit& c = Add(DRIVE_FIXED, "\\\\.\\E:");
    Close();
    for (Unit* unit : {&a, &b, &c}) {
        unit->parallelPortEnabled = 1;
        unit->activity = ACTIVITY_READ;
    }
    a.parallelPortReadMask = 0x01;
    b.parallelPortReadMask = 0x02;
    c.parallelPortReadMask = 0x04;
    b.enabled = 0;   // a disabled Unit drives nothing
    Update();
    EXPECT_EQ((Strings{"port 0x04", "tray 0 102", "port 0x05", "tray 0 100", "yield"}), os.indicatorLog);

    os.indicatorLog.clear();
    options.SingleIconMode = 1;   // the port follows in single icon mode too
    a.activity = ACTIVITY_IDLE;
    a.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"tray 2 100", "tray 2 102", "tray 0 0", "tray 1 0", "tray 1 0", "port 0x04",
                       "tray 1 0", "yield"}),
              os.indicatorLog);
}

TEST_F(TrayPresenter, SingleIconShowsWhatChangedAndDrivesTheLed) {
    Unit& drive = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& hidden = Add(DRIVE_FIXED, "\\\\.\\D:");
    Close();
    hidden.showInTray = 0;   // plays no part in single icon mode
    options.SingleIconMode = 1;
    options.KeyboardLED = 1;
    Update();
    // Added after the first Unit visited (the end marker); both drives were
    // dirty from discovery, idle: the modifies carry the idle icon.
    EXPECT_EQ((Strings{"add 0 147 Blinkwatch", "modify 0 147 Blinkwatch", "modify 0 147 Blinkwatch"}),
              TakeCalls());
    EXPECT_EQ(1, state.singleIconShown);
    EXPECT_EQ(0, os.calls["DrawIconText"]) << "no per-unit icons in single icon mode";

    os.keyStrokes.clear();
    drive.activity = ACTIVITY_READ;
    drive.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"modify 0 137 Blinkwatch"}), TakeCalls());
    EXPECT_EQ(1, os.keyStates[kScrollLockKey]) << "Scroll Lock on after a change";
    EXPECT_EQ(2u, os.keyStrokes.size());

    Update();
    EXPECT_EQ(Strings{}, TakeCalls()) << "no change, no modify";
    EXPECT_EQ(0, os.keyStates[kScrollLockKey]) << "Scroll Lock off after a quiet update";
    EXPECT_EQ(4u, os.keyStrokes.size());

    hidden.activity = ACTIVITY_WRITE;
    hidden.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"modify 0 138 Blinkwatch"}), TakeCalls());

    options.KeyboardLED = 0;
    os.keyStrokes.clear();
    int keyReads = os.calls["ReadKeyState"];
    drive.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"modify 0 137 Blinkwatch"}), TakeCalls());
    EXPECT_TRUE(os.keyStrokes.empty());
    EXPECT_EQ(keyReads, os.calls["ReadKeyState"]) << "the LED is left alone without KeyboardLED";
}

TEST_F(TrayPresenter, SingleIconFoldsAMeterChangeAndKeepsItsIcon) {
    Unit& drive = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& cpu = Add(UNIT_CPU, "CPU Usage");
    Close();
    options.SingleIconMode = 1;
    drive.dirty = 0;
    cpu.dirty = 0;
    Update();
    TakeCalls();

    // The CPU is visited first: the fold is 9, then 11, and the icon stays idle.
    cpu.activity = ACTIVITY_METER;
    cpu.dirty = 1;
    drive.activity = ACTIVITY_READ;
    drive.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"modify 0 147 Blinkwatch", "modify 0 147 Blinkwatch"}), TakeCalls());
    EXPECT_EQ(0, os.calls["DrawIconMeter"]);

    // With Staticicon every modify carries the idle icon.
    options.Staticicon = 1;
    drive.activity = ACTIVITY_READWRITE;
    drive.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"modify 0 147 Blinkwatch"}), TakeCalls());
}

TEST_F(TrayPresenter, SwitchingModesAndStoppingAndQuitting) {
    Unit& a = Add(DRIVE_FIXED, "\\\\.\\C:");
    Unit& b = Add(DRIVE_FIXED, "\\\\.\\D:");
    Close();
    Update();
    Update();
    TakeCalls();

    options.SingleIconMode = 1;
    Update();
    // After the first Unit: every per-unit icon deleted, first discovered
    // first, then the single icon added.
    // The end marker, marked by the first load of the base icons and never
    // shown, is folded too: the next Unit's turn sends an idle modify.
    EXPECT_EQ((Strings{"delete 100", "delete 101", "add 0 147 Blinkwatch", "modify 0 147 Blinkwatch"}),
              TakeCalls());
    EXPECT_EQ(0, a.trayIconAdded);
    EXPECT_EQ(0, b.trayIconAdded);

    // Stopping in single icon mode leaves the single icon.
    RemoveTrayIcons(os, dialog, &list);
    EXPECT_EQ(Strings{}, TakeCalls());

    options.SingleIconMode = 0;
    a.dirty = 1;
    Update();
    EXPECT_EQ((Strings{"delete 0", "add 101 147 No update yet", "add 100 147 No update yet"}), TakeCalls());
    EXPECT_EQ(0, state.singleIconShown);

    // Stopping in per-unit mode removes every per-unit icon; the icon sets stay.
    RemoveTrayIcons(os, dialog, &list);
    EXPECT_EQ((Strings{"delete 100", "delete 101"}), TakeCalls());
    EXPECT_EQ(0, a.trayIconAdded);
    EXPECT_NE(nullptr, a.iconIdle);
    Update();
    EXPECT_EQ((Strings{"add 101 147 No update yet", "add 100 147 No update yet"}), TakeCalls())
        << "they return with the next update";

    // Quitting in single icon mode removes the single icon, once.
    options.SingleIconMode = 1;
    Update();
    TakeCalls();
    RemoveTrayIcons(os, dialog, &list);
    RemoveSingleIcon(os, dialog, state);
    RemoveSingleIcon(os, dialog, state);
    EXPECT_EQ((Strings{"delete 0"}), TakeCalls());
    EXPECT_EQ(0, state.singleIconShown);

    // Clearing what was added (as after a restart of the shell) adds it again.
    Update();
    EXPECT_EQ("add 0 147 Blinkwatch", TakeCalls().at(0));
}

TEST_F(TrayPresenter, EmptyAndMissingInputsAreHarmless) {
    UpdateTrayIcons(os, dialog, &list, nullptr, state);
    EXPECT_EQ(0u, os.iconLoads.size());
    Unit* none = nullptr;
    UpdateTrayIcons(os, dialog, &none, &options, state);
    UpdateTrayIcons(os, dialog, nullptr, &options, state);
    EXPECT_EQ(Strings{}, TakeCalls());
    EXPECT_EQ(2, os.yields);
    EXPECT_EQ(0, RemoveTrayIcons(os, dialog, nullptr));
    EXPECT_EQ(0, RemoveTrayIcons(os, dialog, &none));
    EXPECT_EQ(0, RemoveSingleIcon(os, dialog, state));

    // Only the two markers: nothing to show.
    Close();
    Update();
    EXPECT_EQ(Strings{}, TakeCalls());
}
