// The new file's text, a save failing or cut off at each step, the path; reading the file is checked under Wine.
#include <numeric>

#include "fake_os.h"
#include "settings/ini_text.h"
#include "settings/settings_file.h"

// The first section and key of a name count, in any letter case and spacing; lines before any section, later
// namesakes, comments and unknown keys stay as written. Line breaks, a missing last one, a UTF-8 mark.
TEST(Settings, NewTextKeepsWhatTheUserWrote) {
    const std::vector<IniEntry> entries = {{"GENERALOPTIONS", "Pollinterval", "100"}, {"GENERALOPTIONS", "StartWithOs", "Yes"},
                                           {"CPU Usage", "Enabled", "No"}, {"CPU Usage", "Trayicon", "Yes"}};
    const struct { std::string file, expected; } cases[] = {
        {"", "[GENERALOPTIONS]\r\nPollinterval=100\r\nStartWithOs=Yes\r\n[CPU Usage]\r\nEnabled=No\r\nTrayicon=Yes\r\n"},
        {"; mine\r\nPollinterval=7\r\n[generaloptions] ; too\r\n  POLLINTERVAL \t=  250  \r\npollinterval=300\r\n;StartWithOs=No\r\n"
         "Future=1\r\n\r\n \r\n[Other]\r\nStartWithOs=No\r\n[GENERALOPTIONS]\r\nStartWithOs=No\r\n[cpu usage]\r\nXnabled=1\r\nenabled",
         "; mine\r\nPollinterval=7\r\n[generaloptions] ; too\r\n  POLLINTERVAL \t=  100\r\npollinterval=300\r\n;StartWithOs=No\r\n"
         "Future=1\r\nStartWithOs=Yes\r\n\r\n \r\n[Other]\r\nStartWithOs=No\r\n[GENERALOPTIONS]\r\nStartWithOs=No\r\n[cpu usage]\r\n"
         "Xnabled=1\r\nenabled=No\r\nTrayicon=Yes\r\n"},
        {"\xEF\xBB\xBF[CPU Usage]\nTrayicon= No\n ENABLED \n[GENERALOPTIONS]\nStartWithOs = No",
         "\xEF\xBB\xBF[CPU Usage]\nTrayicon= Yes\n ENABLED=No\n[GENERALOPTIONS]\nStartWithOs = Yes\nPollinterval=100\n"},
        {";\n[GENERALOPTIONS]\n[CPU Usage]\n", ";\n[GENERALOPTIONS]\nPollinterval=100\nStartWithOs=Yes\n[CPU Usage]\nEnabled=No\nTrayicon=Yes\n"}};
    auto set = [&](const std::string& file) {
        TextBuffer text;
        EXPECT_TRUE(SetIniValues(file.data(), file.size(), entries.data(), entries.size(), text));
        return std::string(text.Data(), text.Size());
    };
    for (const auto& c : cases) EXPECT_EQ(std::make_pair(c.expected, c.expected), std::make_pair(set(c.file), set(c.expected))) << c.file;
}

// Cut off (the program killed) or failing at every step of the file services in turn, the settings file is the
// old one or the new one, whole; a failure leaves it as it was and the new file gone, left by a crash or not.
TEST(Settings, SaveLeavesTheOldFileOrTheNewAtEveryStep) {
    TestList list;
    list.Add("\\\\.\\PHYSICALDRIVE0", DRIVE_NO_ROOT_DIR).parallelPortEnabled = 1;
    GlobalOptions o{};
    const std::string path = "C:\\B\\Blinkwatch.ini", newFile = path + ".new";
    const std::string old = "[GENERALOPTIONS]\r\n;" + std::string(9000, 'x') + "\r\nStartWithOs=Yes\r\n";
    auto save = [&](FakeOs& os) {   // the result, whether the new file is gone, the file
        std::strcpy(o.SettingsPath, path.c_str()), os.files = {{path, old}, {newFile, "left by a crash"}};
        const FileResult result = SaveSettings(os, list.end, o);
        return std::make_tuple(result, os.files.count(newFile) == 0, os.files[path]);
    };
    FakeOs clean;
    const auto [result, gone, saved] = save(clean);
    ASSERT_EQ(std::make_pair(FileResult::Done, true), std::make_pair(result, gone));
    EXPECT_TRUE(saved.find("[GENERALOPTIONS]\r\n;x") == 0 && saved.find("[]") == std::string::npos) << "nothing for the markers";
    EXPECT_NE(std::string::npos, saved.find("ParallelPortSeparateRW=Yes\r\n")) << "the port switch, once more";
    EXPECT_EQ(28 + 6, std::count(saved.begin(), saved.end(), '=')) << "every global option, every key of the drive";
    int outcomes[2] = {};
    for (int step = 0; step <= clean.steps; ++step) {   // the last one: cut off after the rename
        FakeOs cut, failing;
        cut.crashAt = step, failing.failAt = step, failing.failure = FileResult::DiskFull;
        const std::string file = std::get<2>(save(cut));
        EXPECT_TRUE(file == old || file == saved) << "cut off at step " << step;
        ++outcomes[file == saved];
        if (step < clean.steps) { EXPECT_EQ(std::make_tuple(FileResult::DiskFull, true, old), save(failing)) << step; }
    }
    EXPECT_TRUE(outcomes[0] > 2 && outcomes[1] > 0) << "cut off before and after the rename";
    // A file held open is tried again, for a while.
    FakeOs briefly, held, pathless;
    briefly.heldOpen = 2, held.heldOpen = 1000;
    EXPECT_EQ(std::make_tuple(FileResult::Done, true, saved), save(briefly));
    EXPECT_EQ(std::make_tuple(FileResult::InUse, true, old), save(held));
    const uint32_t waited = std::accumulate(held.pauses.begin(), held.pauses.end(), 0u);
    EXPECT_TRUE(waited >= 200 && waited <= 1000) << waited << " ms";
    o.SettingsPath[0] = '\0';
    EXPECT_EQ(std::make_pair(FileResult::Failed, 0), std::make_pair(SaveSettings(pathless, list.end, o), pathless.steps));
}

TEST(Settings, FileBesideTheProgram) {
    const struct { std::string module, settings; } paths[] = {
        {"C:\\Tools\\blinkwatch.exe", "C:\\Tools\\Blinkwatch.ini"}, {"C:\\blinkwatch.exe", "C:\\Blinkwatch.ini"}, {"b.exe", "Blinkwatch.ini"},
        {"\\\\server\\share\\bw\\x.exe", "\\\\server\\share\\bw\\Blinkwatch.ini"}, {"", ""},
        {"C:\\" + std::string(250, 'd') + "\\b.exe", ""}};   // would not fit: no file at all
    for (const auto& p : paths) {
        FakeOs os;
        GlobalOptions options{};
        os.modulePath = p.module, options.SettingsPath[0] = 'x';
        BuildSettingsPath(os, options);
        EXPECT_EQ(std::make_pair(p.settings, !p.settings.empty()), std::make_pair(std::string(options.SettingsPath),
                  BuildPathBesideProgram(os, kSettingsFileName, options.SettingsPath))) << p.module;
    }
}
