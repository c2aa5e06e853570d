#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "fake_os.h"
#include "settings/run_value.h"
#include "settings/settings_file.h"
#include "units/unit_list.h"

namespace {

struct Settings {
    FakeOs os;
    TestList list;
    GlobalOptions options{};
    Settings() {
        std::strcpy(options.SettingsPath, "C:\\Blinkwatch\\Blinkwatch.ini");
        for (const char* name : {"\\\\.\\PHYSICALDRIVE0", "CPU Usage", "NIC #0 Usage"}) list.Add(name, UNIT_CPU);
        list.end->enabled = 77;   // the end marker is neither loaded nor saved
    }
    std::string& Value(const char* section, const char* key) { return os.profile[FakeOs::Key(section, key)]; }
};

// Every stored field of the options and the Units, as text.
std::string Fields(const GlobalOptions& o, Unit* list) {
    char text[512];
    std::snprintf(text, sizeof text, "%d %d %u %u %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d",
                  o.StartWithOs, o.Startwithosdelay, o.Pollinterval, o.Pollintervalmeters, o.AlternativeIcons,
                  o.SingleIconMode, o.KeyboardLED, o.Staticicon, o.ShowCPUUsage, o.ShowCPUUsageMulti,
                  o.ShowFreeMem, o.Color_cpu_dynamic, o.Color_cpu_red, o.Color_cpu_green, o.Color_cpu_blue,
                  o.Color_ram_red, o.Color_ram_green, o.Color_ram_blue, o.Color_vram_red, o.Color_vram_green,
                  o.Color_vram_blue, o.Color_background_red, o.Color_background_green, o.Color_background_blue,
                  o.WindowPosTop, o.WindowPosLeft, o.WindowPosRight, o.WindowPosBottom);
    std::string fields = text;
    WalkAll(list, [&](Unit& u) {
        std::snprintf(text, sizeof text, " [%s %d %d %d %d %d]", u.name, u.enabled, u.showInTray,
                      u.parallelPortEnabled, u.parallelPortReadMask, u.parallelPortWriteMask);
        fields += text;
    });
    return fields;
}

}  // namespace

TEST(Settings, ValueRules) {
    for (const char* no : {"no", "No", "NO", "nO"}) EXPECT_FALSE(ParseYesNo(no)) << no;
    for (const char* yes : {"", "0", "false", "off", "yes", "n", "no ", " no", "noo", "n\xd6"})
        EXPECT_TRUE(ParseYesNo(yes)) << "'" << yes << "'";
    const struct { const char* text; uint32_t number; } numbers[] = {
        {"", 0}, {"abc", 0}, {"5", 5}, {"0x0F", 0}, {"15", 15}, {"-8", 4294967288u}, {"  +12abc", 12},
        {"4294967295", 4294967295u}, {"4294967296", 0}, {"4294967301", 5}, {"\t 7", 7}, {"\n\v\f\r9", 9},
        {"+-3", 0}, {"- 3", 0}, {"3 4", 3}, {"-2147483648", 2147483648u}, {"\xff" "12", 0}};
    for (const auto& n : numbers) EXPECT_EQ(n.number, ParseNumber(n.text)) << "'" << n.text << "'";
}

TEST(Settings, LoadTakesDefaultsAndTheFilesValuesByTheirKind) {
    Settings s;
    s.options.Pollinterval = 9;   // what the record held before plays no part
    s.list["CPU Usage"].showInTray = 0;
    s.Value("generaloptions", "pollinterval") = "abc";
    s.Value("GENERALOPTIONS", "Color_ram_blue") = "300";
    s.Value("GENERALOPTIONS", "WindowPosLeft") = "4294967288";
    s.Value("GENERALOPTIONS", "AlternativeIcons") = "NO";
    s.Value("\\\\.\\PHYSICALDRIVE0", "Enabled") = "";
    s.Value("\\\\.\\PHYSICALDRIVE0", "ParallelPortReadMask") = "15";
    s.Value("\\\\.\\PHYSICALDRIVE0", "ParallelPortWriteMask") = "0x0F";
    s.Value("NIC #0 Usage", "ParallelPortReadMask") = "256";
    s.Value("NIC #0 Usage", "ParallelPortSeparateRW") = "Yes";   // written, never read
    s.Value("", "Trayicon") = "No";                               // the start marker's section
    LoadSettings(s.os, &s.list["CPU Usage"], s.options);
    EXPECT_EQ("0 1 0 1500 0 0 0 0 0 0 0 1 16 128 16 64 64 44 228 128 16 64 0 64 100 -8 630 510"
              " [ 0 0 0 0 0] [\\\\.\\PHYSICALDRIVE0 1 1 0 15 0] [CPU Usage 0 1 0 0 0]"
              " [NIC #0 Usage 0 1 0 0 0] [ 77 1 0 0 0]",
              Fields(s.options, s.list.end));
    EXPECT_TRUE(s.os.profileWrites.empty()) << "loading writes nothing";
    GlobalOptions unknown{};   // without a path: the defaults, nothing asked
    unknown.Pollinterval = 9;
    LoadSettings(s.os, nullptr, unknown);
    EXPECT_EQ(100u, unknown.Pollinterval);
}

TEST(Settings, WhatIsSavedLoadsBackWhateverTheFields) {
    std::mt19937 random(42);
    for (int round = 0; round < 200; ++round) {
        Settings s;
        GlobalOptions& o = s.options;
        for (int32_t* field : {&o.StartWithOs, &o.Startwithosdelay, &o.AlternativeIcons, &o.SingleIconMode,
                               &o.KeyboardLED, &o.Staticicon, &o.ShowCPUUsage, &o.ShowCPUUsageMulti,
                               &o.ShowFreeMem, &o.Color_cpu_dynamic, &o.WindowPosTop, &o.WindowPosLeft,
                               &o.WindowPosRight, &o.WindowPosBottom})
            *field = round % 3 == 0 ? static_cast<int32_t>(random()) : static_cast<int32_t>(random() % 3) - 1;
        o.Pollinterval = random();
        o.Pollintervalmeters = random();
        for (uint8_t* colour = &o.Color_cpu_red; colour <= &o.Color_background_blue; ++colour)
            *colour = static_cast<uint8_t>(random());
        WalkForward(s.list.end, [&](Unit& u) {
            u.enabled = static_cast<int32_t>(random() % 2);
            u.showInTray = static_cast<int32_t>(random() % 2);
            u.parallelPortEnabled = static_cast<int16_t>(random() % 2);
            u.parallelPortReadMask = static_cast<uint8_t>(random());
            u.parallelPortWriteMask = static_cast<uint8_t>(random());
        });
        SaveSettings(s.os, s.list.end, o);
        EXPECT_EQ(28u + 4 * 6, s.os.profileWrites.size()) << "every key, the end marker's none";
        for (const char* name : {"", "\\\\.\\PHYSICALDRIVE0", "CPU Usage", "NIC #0 Usage"})
            EXPECT_EQ(s.Value(name, "ParallelPortMonitorEnabled"), s.Value(name, "ParallelPortSeparateRW"));
        Settings again;
        again.os.profile = s.os.profile;
        LoadSettings(again.os, again.list.end, again.options);
        // Flags come back as 0 or 1; everything else as it was.
        for (int32_t* flag : {&o.StartWithOs, &o.AlternativeIcons, &o.SingleIconMode, &o.KeyboardLED,
                              &o.Staticicon, &o.ShowCPUUsage, &o.ShowCPUUsageMulti, &o.ShowFreeMem,
                              &o.Color_cpu_dynamic})
            *flag = *flag != 0;
        ASSERT_EQ(Fields(o, s.list.end), Fields(again.options, again.list.end)) << "round " << round;
    }
    Settings unwritable;
    unwritable.os.profileWritable = false;
    SaveSettings(unwritable.os, unwritable.list.end, unwritable.options);
    unwritable.options.SettingsPath[0] = '\0';
    unwritable.os.profileWritable = true;
    SaveSettings(unwritable.os, unwritable.list.end, unwritable.options);
    EXPECT_TRUE(unwritable.os.profile.empty()) << "without a path nothing is written";
}

TEST(Settings, FileBesideTheProgramAndTheRunValue) {
    const struct { std::string module, settings; } paths[] = {
        {"C:\\Tools\\blinkwatch.exe", "C:\\Tools\\Blinkwatch.ini"},
        {"C:\\blinkwatch.exe", "C:\\Blinkwatch.ini"},
        {"\\\\server\\share\\bw\\x.exe", "\\\\server\\share\\bw\\Blinkwatch.ini"},
        {"C:\\" + std::string(250, 'd') + "\\b.exe", ""},   // would not fit: no file at all
        {"", ""}};
    for (const auto& p : paths) {
        FakeOs os;
        os.modulePath = p.module;
        GlobalOptions options{};
        options.SettingsPath[0] = 'x';
        BuildSettingsPath(os, options);
        EXPECT_EQ(p.settings, options.SettingsPath) << p.module;
    }
    FakeOs os;
    os.modulePath = "C:\\Program Files\\Blinkwatch\\blinkwatch.exe";
    const std::string value = std::string(kRunKeyPath) + "\\Blinkwatch";
    UpdateRunValue(os, true);
    EXPECT_EQ("\"C:\\Program Files\\Blinkwatch\\blinkwatch.exe\" /STARTUP", os.registry[value]);
    UpdateRunValue(os, false);
    UpdateRunValue(os, false);
    EXPECT_EQ(0u, os.registry.count(value));
    os.modulePath = "";
    UpdateRunValue(os, true);
    EXPECT_EQ(0u, os.registry.count(value)) << "without the program's path nothing is written";
}
