#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "fake_os.h"
#include "settings/settings_file.h"
#include "units/unit_list.h"

namespace {

constexpr char kPath[] = "C:\\Tools\\Blinkwatch.ini";

// Start marker, the named Units, end marker (never loaded: enabled 77); `list` is the end marker.
struct Settings {
    FakeOs os;
    GlobalOptions options{};
    Unit* list = nullptr;

    explicit Settings(const std::vector<std::string>& names = {"\\\\.\\PHYSICALDRIVE0", "CPU Usage",
                                                               "NIC #0 Usage"}) {
        std::snprintf(options.SettingsPath, sizeof options.SettingsPath, "%s", kPath);
        AppendUnit(os, &list);
        for (const std::string& name : names) {
            AppendUnit(os, &list);
            std::snprintf(list->name, sizeof list->name, "%s", name.c_str());
        }
        AppendUnit(os, &list);
        list->enabled = 77;
    }
    ~Settings() {
        FreeUnitList(os, &list);
        EXPECT_EQ(0, os.liveBlocks);
    }
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    void Load() { EXPECT_EQ(0, LoadSettings(os, &list, &options)); }
    void Save() { EXPECT_EQ(0, SaveSettings(os, &list, &options)); }
    Unit& Start() { return *FirstUnit(list); }
    Unit& Named(const char* name) { return *FindUnitByName(list, name); }
    std::string& File() { return os.profiles[kPath]; }
};

// Every key in the order it is written, with its default and another value.
struct Key { const char* name; const char* byDefault; const char* other; };
const Key kGeneralKeys[] = {
    {"StartWithOs", "No", "Yes"}, {"AlternativeIcons", "Yes", "No"}, {"Pollinterval", "100", "25"},
    {"Pollintervalmeters", "1500", "50000"}, {"Startwithosdelay", "1", "300"},
    {"ShowCPUUsage", "No", "Yes"}, {"ShowCPUUsageMulti", "No", "Yes"}, {"ShowFreeMem", "No", "Yes"},
    {"SingleIconMode", "No", "Yes"}, {"KeyboardLED", "No", "Yes"}, {"Staticicon", "No", "Yes"},
    {"Color_cpu_dynamic", "Yes", "No"}, {"Color_cpu_red", "16", "1"}, {"Color_cpu_green", "128", "2"},
    {"Color_cpu_blue", "16", "3"}, {"Color_ram_red", "64", "4"}, {"Color_ram_green", "64", "5"},
    {"Color_ram_blue", "255", "6"}, {"Color_vram_red", "228", "7"}, {"Color_vram_green", "128", "8"},
    {"Color_vram_blue", "16", "9"}, {"Color_background_red", "64", "0"},
    {"Color_background_green", "0", "254"}, {"Color_background_blue", "64", "255"}};
const Key kUnitKeys[] = {
    {"Enabled", "No", "Yes"}, {"Trayicon", "Yes", "No"}, {"ParallelPortMonitorEnabled", "No", "Yes"},
    {"ParallelPortSeparateRW", "No", "Yes"}, {"ParallelPortReadMask", "0", "129"},
    {"ParallelPortWriteMask", "0", "255"}};

// A whole file as SaveSettings writes it: the general section with the window
// position (top, left, right, bottom), then one section per name.
std::string Expected(bool other, std::vector<int32_t> window, const std::vector<std::string>& units) {
    std::string text = "[GENERALOPTIONS]\r\n";
    for (const Key& key : kGeneralKeys) text += std::string(key.name) + "=" + (other ? key.other : key.byDefault) + "\r\n";
    const char* windowKeys[] = {"WindowPosTop", "WindowPosLeft", "WindowPosRight", "WindowPosBottom"};
    for (int k = 0; k < 4; ++k)
        text += std::string(windowKeys[k]) + "=" + std::to_string(static_cast<uint32_t>(window[k])) + "\r\n";
    for (const std::string& unit : units) {
        text += "[" + unit + "]\r\n";
        for (const Key& key : kUnitKeys) text += std::string(key.name) + "=" + (other ? key.other : key.byDefault) + "\r\n";
    }
    return text;
}
const std::vector<int32_t> kDefaultWindow = {100, 100, 630, 510};
const std::vector<std::string> kNames = {"", "\\\\.\\PHYSICALDRIVE0", "CPU Usage", "NIC #0 Usage"};

// The file a save of these fields writes into nothing, with no dialog to ask.
std::string Written(GlobalOptions options, Unit* list) {
    FakeOs scratch;
    scratch.windowRectReadable = false;
    std::snprintf(options.SettingsPath, sizeof options.SettingsPath, "%s", kPath);
    EXPECT_EQ(0, SaveSettings(scratch, &list, &options));
    return scratch.profiles[kPath];
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace

TEST(SettingsValues, YesNoAndNumberRules) {
    for (const char* no : {"no", "No", "NO", "nO"}) EXPECT_FALSE(ParseYesNo(no)) << no;
    for (const char* yes : {"", "0", "false", "off", "yes", "n", "no ", " no", "noo", "n\xd6"})
        EXPECT_TRUE(ParseYesNo(yes)) << "'" << yes << "'";

    const struct { const char* text; uint32_t expected; } cases[] = {
        {"", 0}, {"abc", 0}, {"5", 5}, {"0x0F", 0}, {"0x0", 0}, {"15", 15},
        {"-8", 4294967288u}, {"  +12abc", 12}, {"4294967288", 4294967288u},
        {"4294967295", 4294967295u}, {"4294967296", 0}, {"4294967301", 5}, {"\t 7", 7},
        {"+-3", 0}, {"--3", 0}, {"- 3", 0}, {"3 4", 3}, {"-0", 0}, {"2147483648", 2147483648u},
        {"-2147483648", 2147483648u}, {"\xff" "12", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, ParseNumber(c.text)) << "'" << c.text << "'";
}

TEST(SettingsFile, NoFileOrAnUnreadableOneGivesTheDefaults) {
    for (bool unreadable : {false, true}) {
        Settings s;
        s.options.Pollinterval = 9;   // the record's earlier state plays no part
        s.Start().showInTray = 0;
        if (unreadable) {
            s.File() = Lines({"[GENERALOPTIONS]", "Pollinterval=7", "[CPU Usage]", "Enabled=Yes"});
            s.os.unreadableProfiles.insert(kPath);
        }
        s.Load();
        EXPECT_EQ(Expected(false, kDefaultWindow, kNames), Written(s.options, s.list)) << unreadable;
        EXPECT_EQ(0, s.os.calls["WriteProfileValue"]) << "loading writes nothing";
        EXPECT_EQ(unreadable ? 1u : 0u, s.os.profiles.count(kPath));
    }
}

// Each file loads as the defaults but for the lines listed, here as a save writes them.
TEST(SettingsFile, ValuesLoadByTheRules) {
    const struct { std::string file; const char* section; std::vector<std::string> loaded; } cases[] = {
        {"[GeneralOptions]\nColor_ram_blue=300\nPollinterval=abc\nPollintervalmeters=5",
         "GENERALOPTIONS", {"Color_ram_blue=44", "Pollinterval=0", "Pollintervalmeters=5"}},
        {"[generaloptions]\nStartwithosdelay=-8\nWINDOWPOSLEFT=4294967288\nwindowpostop=  +12abc\n"
         "Color_cpu_red=-1", "GENERALOPTIONS",
         {"Startwithosdelay=4294967288", "WindowPosLeft=4294967288", "WindowPosTop=12", "Color_cpu_red=255"}},
        {"[GENERALOPTIONS]\nStartWithOs=yes\nAlternativeIcons=No\nShowCPUUsage=\nShowFreeMem=0\n"
         "KeyboardLED=false\nColor_cpu_dynamic=NO", "GENERALOPTIONS",
         {"StartWithOs=Yes", "AlternativeIcons=No", "ShowCPUUsage=Yes", "ShowFreeMem=Yes",
          "KeyboardLED=Yes", "Color_cpu_dynamic=No"}},
        // Values are read as 63 characters: the 64th and later are never seen.
        {"[GENERALOPTIONS]\nPollinterval=" + std::string(62, '0') + "12" + std::string(500, '9'),
         "GENERALOPTIONS", {"Pollinterval=1"}},
        {"[\\\\.\\physicaldrive0]\nParallelPortReadMask=15\nParallelPortWriteMask=0x0F\n"
         "ParallelPortMonitorEnabled=yes\nParallelPortSeparateRW=No\nTrayicon=no", "\\\\.\\PHYSICALDRIVE0",
         {"ParallelPortReadMask=15", "ParallelPortWriteMask=0", "ParallelPortMonitorEnabled=Yes",
          "ParallelPortSeparateRW=Yes" /* never read */, "Trayicon=No"}},
        {"[cpu usage]\nenabled=\ntrayicon= No ", "CPU Usage", {"Enabled=Yes", "Trayicon=No"}},
        {"[NIC #0 Usage]\nParallelPortReadMask=256\nParallelPortWriteMask=255", "NIC #0 Usage",
         {"ParallelPortReadMask=0", "ParallelPortWriteMask=255"}},
        {"[]\nEnabled=Yes\nParallelPortReadMask=3", "", {"Enabled=Yes", "ParallelPortReadMask=3"}},
    };
    for (const auto& c : cases) {
        std::string expected = Expected(false, kDefaultWindow, kNames);
        for (const std::string& line : c.loaded) {
            size_t at = expected.find("\r\n" + line.substr(0, line.find('=') + 1),
                                      expected.find("[" + std::string(c.section) + "]\r\n")) + 2;
            expected.replace(at, expected.find("\r\n", at) - at, line);
        }
        Settings s;
        s.File() = c.file;
        s.Load();
        EXPECT_EQ(expected, Written(s.options, s.list)) << c.file;
        EXPECT_EQ(77, LastUnit(s.list)->enabled) << "the end marker is not loaded";
    }
}

TEST(SettingsFile, LoadStartsFromAnyElementAndWithoutAList) {
    Settings s;
    s.File() = Lines({"[CPU Usage]", "Enabled=Yes", "[]", "Trayicon=No"});
    Unit* middle = &s.Named("CPU Usage");
    Unit* current = middle->prev;
    EXPECT_EQ(0, LoadSettings(s.os, &current, &s.options));
    EXPECT_EQ(middle->prev, current) << "CurrentUnit is not moved";
    EXPECT_EQ(1, middle->enabled);
    EXPECT_EQ(0, s.Start().showInTray);

    Unit* none = nullptr;
    GlobalOptions options{};
    std::snprintf(options.SettingsPath, sizeof options.SettingsPath, "%s", kPath);
    EXPECT_EQ(0, LoadSettings(s.os, &none, &options));
    EXPECT_EQ(Expected(false, kDefaultWindow, {}), Written(options, nullptr));
    EXPECT_EQ(0, SaveSettings(s.os, &none, &options));
    EXPECT_EQ(0, LoadSettings(s.os, nullptr, &options));
    EXPECT_EQ(0, LoadSettings(s.os, &none, nullptr));
}

TEST(SettingsFile, FileWrittenFromNothingHasTheKeysInOrderAndTheDialogRectangle) {
    Settings s({"CPU Usage"});
    s.Load();
    s.os.windowLeft = -12; s.os.windowTop = 34; s.os.windowRight = 560; s.os.windowBottom = 470;
    s.options.DialogWindow = reinterpret_cast<WindowHandle>(0x1234);
    s.Save();
    EXPECT_EQ(Expected(false, {34, -12, 560, 470}, {"", "CPU Usage"}), s.File());
    EXPECT_EQ(std::vector<WindowHandle>{reinterpret_cast<WindowHandle>(0x1234)}, s.os.windowsQueried);
    EXPECT_EQ(28 + 2 * 6, s.os.calls["WriteProfileValue"]);
}

TEST(SettingsFile, LoadThenSaveKeepsEveryStoredField) {
    Settings s;
    // The dialog was saved partly off the left edge of the screen.
    const std::string file = Expected(true, {5, -37, 493, 415}, kNames);
    ASSERT_NE(std::string::npos, file.find("WindowPosLeft=4294967259\r\n"));
    s.File() = file;
    s.Load();
    EXPECT_EQ(-37, s.options.WindowPosLeft);
    EXPECT_EQ(file, Written(s.options, s.list));
}

TEST(SettingsFile, SaveCompletesAFileAndKeepsWhatItDoesNotKnow) {
    Settings s({"CPU Usage"});
    s.File() = Lines({
        "; written by hand", "[GENERALOPTIONS]", "pollinterval=250", "Future=kept", "",
        "[Gone Unit]", "Enabled=Yes", "[CPU Usage]", "ParallelPortMonitorEnabled=Yes",
        "ParallelPortSeparateRW=No", "Comment without equals", "[Other]", "x=1"});
    s.Load();
    s.os.windowRectReadable = false;   // the loaded rectangle is written back
    s.Save();

    // Known keys are replaced in place, new ones appended to their section
    // (after a comment, before a blank line), new sections appended at the end.
    std::string general = Expected(false, kDefaultWindow, {});
    general.erase(0, general.find("\r\n") + 2);
    general.erase(general.find("Pollinterval=100\r\n"), 18);
    std::string units = Expected(false, kDefaultWindow, {""});
    EXPECT_EQ(Lines({"; written by hand", "[GENERALOPTIONS]", "pollinterval=250", "Future=kept"}) +
                  general +
                  Lines({"", "[Gone Unit]", "Enabled=Yes", "[CPU Usage]", "ParallelPortMonitorEnabled=Yes",
                         "ParallelPortSeparateRW=Yes" /* from the port switch */, "Comment without equals",
                         "Enabled=No", "Trayicon=Yes", "ParallelPortReadMask=0", "ParallelPortWriteMask=0",
                         "[Other]", "x=1"}) +
                  units.substr(units.find("[]\r\n")),
              s.File());
}

TEST(SettingsFile, NoPathOrNoWritableFileWritesNothing) {
    Settings empty, unterminated, readOnly;
    empty.options.SettingsPath[0] = '\0';
    empty.os.profiles[""] = Lines({"[GENERALOPTIONS]", "Pollinterval=7"});
    std::memset(unterminated.options.SettingsPath, 'x', sizeof unterminated.options.SettingsPath);
    for (Settings* s : {&empty, &unterminated}) {
        s->Load();
        s->Save();
        EXPECT_EQ(Expected(false, kDefaultWindow, kNames), Written(s->options, s->list));
        EXPECT_EQ(0, s->os.calls["ReadProfileValue"]);
        EXPECT_EQ(0, s->os.calls["WriteProfileValue"]);
    }

    readOnly.File() = Lines({"[GENERALOPTIONS]", "Pollinterval=7"});
    readOnly.os.readOnlyProfiles.insert(kPath);
    readOnly.Load();
    EXPECT_EQ(7u, readOnly.options.Pollinterval);
    readOnly.options.Pollinterval = 8;
    readOnly.Save();
    EXPECT_EQ(Lines({"[GENERALOPTIONS]", "Pollinterval=7"}), readOnly.File()) << "left as it was";
}

TEST(FakeProfile, FollowsTheProfileRules) {
    FakeOs os;
    char value[8];
    EXPECT_EQ(3u, os.ReadProfileValue("S", "k", "def", value, sizeof value, "p"));
    EXPECT_STREQ("def", value);
    os.profiles["p"] = "[s]\nK = v1 \n[S]\nk=v2\n[t]\r\n k=v3\n\n";
    EXPECT_EQ(2u, os.ReadProfileValue("S", "k", "def", value, sizeof value, "p"));
    EXPECT_STREQ("v1", value) << "case-insensitive, the first duplicate wins, blanks trimmed";
    os.WriteProfileValue("T", "K", "new", "p");
    os.WriteProfileValue("T", "j", "added", "p");
    os.WriteProfileValue("", "e", "empty", "p");
    EXPECT_EQ("[s]\r\nK = v1 \r\n[S]\r\nk=v2\r\n[t]\r\nk=new\r\nj=added\r\n\r\n[]\r\ne=empty\r\n",
              os.profiles["p"]);
    EXPECT_EQ(3u, os.ReadProfileValue("t", "J", "", value, 4, "p"));
    EXPECT_STREQ("add", value) << "cut to the buffer";
    os.profiles["p"] = "k=before\n[a]\nk=1\n";
    EXPECT_EQ(3u, os.ReadProfileValue("", "k", "def", value, sizeof value, "p"))
        << "lines before the first header belong to no section";
}

// Random and damaged files: nothing crashes, flags load as 0 or 1, the list is
// left as it was, and a save followed by a load reproduces the fields.
TEST(SettingsFile, RandomAndDamagedFilesLoadSafely) {
    const std::vector<std::string> pieces = {
        "[GENERALOPTIONS]", "[generaloptions]", "[]", "[CPU Usage]", "[\\\\.\\PHYSICALDRIVE0]",
        "[NIC #0 Usage", "StartWithOs", "Enabled", "Trayicon", "Pollinterval", "Color_ram_blue",
        "ParallelPortReadMask", "ParallelPortMonitorEnabled", "WindowPosLeft", "=", "==", "no",
        "NO", "-8", "4294967288", "  +12abc", "300", "0x0F", "\r\n", "\n", "\r", "[", "]", " ",
        "\t", ";", std::string(1, '\0'), std::string(200, 'x'), std::string(90, '9')};
    Settings reference;
    reference.Load();
    reference.Save();
    const std::string valid = reference.File();

    std::mt19937 random(20261206);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (int round = 0; round < 600; ++round) {
        std::string file;
        if (round % 2 == 0) {
            for (size_t n = pick(80); n > 0; --n)
                file += pick(4) == 0 ? std::string(1, static_cast<char>(pick(256)))
                                     : pieces[pick(pieces.size())];
        } else {
            file = valid;
            for (size_t n = 1 + pick(6); n > 0 && !file.empty(); --n) {
                size_t at = pick(file.size());
                switch (pick(4)) {
                case 0: file[at] = static_cast<char>(pick(256)); break;
                case 1: file.erase(at, pick(40)); break;
                case 2: file.insert(at, file.substr(pick(file.size()), pick(60))); break;
                default: file.resize(at); break;
                }
            }
        }
        Settings s;
        s.File() = file;
        Unit* current = s.list;
        s.Load();
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(current, s.list);
        const GlobalOptions& o = s.options;
        for (int32_t flag : {o.StartWithOs, o.AlternativeIcons, o.ShowCPUUsage, o.ShowCPUUsageMulti,
                             o.ShowFreeMem, o.SingleIconMode, o.KeyboardLED, o.Staticicon,
                             o.Color_cpu_dynamic})
            ASSERT_TRUE(flag == 0 || flag == 1) << flag;
        std::string names;
        WalkAll(s.list, [&](Unit& u) {
            names += std::string(u.name) + "|";
            if (&u == s.list) return;
            for (int flag : std::initializer_list<int>{u.enabled, u.showInTray, u.parallelPortEnabled})
                EXPECT_TRUE(flag == 0 || flag == 1) << u.name;
        });
        ASSERT_EQ("|\\\\.\\PHYSICALDRIVE0|CPU Usage|NIC #0 Usage||", names);
        ASSERT_EQ(77, LastUnit(s.list)->enabled) << "the end marker is never loaded";

        s.os.windowRectReadable = false;
        s.Save();
        Settings again;
        again.File() = s.File();
        again.Load();
        ASSERT_EQ(Written(s.options, s.list), Written(again.options, again.list));
    }
}
