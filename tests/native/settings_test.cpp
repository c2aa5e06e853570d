// The value rules, the defaults and the path; the file on disk and a round trip through it are checked under Wine.
#include "fake_os.h"
#include "settings/settings_file.h"

TEST(Settings, LoadTakesDefaultsAndTheFilesValuesSaveWritesEveryKey) {
    FakeOs os;
    TestList list;
    GlobalOptions o{};
    std::strcpy(o.SettingsPath, "C:\\Blinkwatch\\Blinkwatch.ini");
    Unit& drive = list.Add("\\\\.\\PHYSICALDRIVE0", DRIVE_NO_ROOT_DIR);
    Unit& cpu = list.Add("CPU Usage", UNIT_CPU);
    Unit& nic = list.Add("NIC #0 Usage", UNIT_NIC);
    list.end->enabled = 77;   // the end marker is neither loaded nor saved
    o.Pollinterval = 9;       // what the record held before plays no part
    cpu.showInTray = 0;
    // By kind: a number from its leading digits modulo 2^32, a byte its low 8 bits, no hexadecimal;
    // a yes/no false only for "no" in any letter case.
    const char* values[][3] = {
        {"generaloptions", "pollinterval", "abc"}, {"GENERALOPTIONS", "Color_ram_blue", "300"},
        {"GENERALOPTIONS", "Pollintervalmeters", " \t+12abc"}, {"GENERALOPTIONS", "Startwithosdelay", "4294967301"},
        {"GENERALOPTIONS", "StartWithOs", "no "}, {"GENERALOPTIONS", "Color_cpu_red", "- 3"},
        {"GENERALOPTIONS", "WindowPosLeft", "4294967288"}, {"GENERALOPTIONS", "AlternativeIcons", "NO"}, {"GENERALOPTIONS", "WindowPosTop", "-20"},
        {"\\\\.\\PHYSICALDRIVE0", "Enabled", ""}, {"\\\\.\\PHYSICALDRIVE0", "ParallelPortReadMask", "15"},
        {"\\\\.\\PHYSICALDRIVE0", "ParallelPortWriteMask", "0x0F"}, {"NIC #0 Usage", "ParallelPortReadMask", "256"},
        {"NIC #0 Usage", "ParallelPortSeparateRW", "Yes"}, {"", "Trayicon", "No"}};   // the start marker's section
    for (const auto& v : values) os.profile[FakeOs::Key(v[0], v[1])] = v[2];
    LoadSettings(os, &cpu, o);
    char fields[256];
    std::snprintf(fields, sizeof fields, "%d %d %u %u %d %d %d %d %d %d %d %d %d %d %d %d", o.StartWithOs,
                  o.Startwithosdelay, o.Pollinterval, o.Pollintervalmeters, o.AlternativeIcons, o.Color_cpu_dynamic,
                  o.Color_cpu_red, o.Color_cpu_green, o.Color_ram_blue, o.Color_vram_red, o.Color_background_green,
                  o.Color_background_blue, o.WindowPosTop, o.WindowPosLeft, o.WindowPosRight, o.WindowPosBottom);
    EXPECT_STREQ("1 5 0 12 0 1 0 128 44 228 0 64 -20 -8 630 510", fields);
    std::string units;
    WalkAll(list.end, [&](Unit& u) {
        std::snprintf(fields, sizeof fields, "%d %d %d %d %d,", u.enabled, u.showInTray, u.parallelPortEnabled,
                      u.parallelPortReadMask, u.parallelPortWriteMask);
        units += fields;
    });
    EXPECT_EQ("0 0 0 0 0,1 1 0 15 0,0 1 0 0 0,0 1 0 0 0,77 1 0 0 0,", units);
    EXPECT_TRUE(os.profileWrites.empty()) << "loading writes nothing";
    // Keys a user adds by hand: on only for their one word, in any letter case; never written (below).
    for (auto [meter, stable, on] : {std::tuple{"GrApH", "YES", "11"}, {"graphs", "yes please", "00"}, {"Bar", "", "00"}}) {
        os.profile[FakeOs::Key(kGeneralSection, "MeterStyle")] = meter, os.profile[FakeOs::Key(kGeneralSection, "StableTrayIds")] = stable;
        LoadSettings(os, nullptr, o);
        EXPECT_EQ(on, std::to_string(o.MeterStyle == kMeterGraph) + std::to_string(o.StableTrayIds)) << meter << " " << stable;
    }

    drive.parallelPortEnabled = 1, nic.parallelPortWriteMask = 200;
    EXPECT_EQ(SaveResult::Saved, SaveSettings(os, list.end, o));
    EXPECT_EQ(28u + 4 * 6, os.profileWrites.size()) << "every key, none for the end marker";
    EXPECT_EQ("Yes 200 4294967288", os.profile[FakeOs::Key(drive.name, "ParallelPortSeparateRW")] + " " +
                                        os.profile[FakeOs::Key(nic.name, "ParallelPortWriteMask")] + " " +
                                        os.profile[FakeOs::Key("GENERALOPTIONS", "WindowPosLeft")]);
    EXPECT_EQ(FakeOs::Key(kGeneralSection, "WindowPosBottom"), os.profileWrites.back()) << "the rectangle last";
    for (size_t failsAt : {0, 1, 51}) {   // the first write refused leaves the file as it was, a later one does not
        os.profileFailsAt = failsAt, os.profileWrites.clear();
        EXPECT_EQ(failsAt == 0 ? SaveResult::NothingWritten : SaveResult::PartlyWritten, SaveSettings(os, list.end, o));
        EXPECT_EQ(failsAt + 1, os.profileWrites.size()) << "nothing more is tried after a write that failed";
    }
    os.profile.clear(), os.profileFailsAt = SIZE_MAX, o.SettingsPath[0] = '\0';
    EXPECT_EQ(SaveResult::NothingWritten, SaveSettings(os, list.end, o));
    LoadSettings(os, nullptr, o);
    EXPECT_EQ(std::make_pair(true, 100u), std::make_pair(os.profile.empty(), o.Pollinterval)) << "no path: nothing written, defaults";
}

TEST(Settings, FileBesideTheProgram) {
    const struct { std::string module, settings; } paths[] = {
        {"C:\\Tools\\blinkwatch.exe", "C:\\Tools\\Blinkwatch.ini"}, {"C:\\blinkwatch.exe", "C:\\Blinkwatch.ini"}, {"b.exe", "Blinkwatch.ini"},
        {"\\\\server\\share\\bw\\x.exe", "\\\\server\\share\\bw\\Blinkwatch.ini"},
        {"C:\\" + std::string(250, 'd') + "\\b.exe", ""},   // would not fit: no file at all
        {"", ""}};
    for (const auto& p : paths) {
        FakeOs os;
        os.modulePath = p.module;
        GlobalOptions options{};
        options.SettingsPath[0] = 'x';
        BuildSettingsPath(os, options);
        EXPECT_EQ(std::make_pair(p.settings, !p.settings.empty()), std::make_pair(std::string(options.SettingsPath),
                  BuildPathBesideProgram(os, kSettingsFileName, options.SettingsPath))) << p.module;
    }
}
