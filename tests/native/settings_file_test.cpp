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

// Every stored global option, for comparisons that print what differs.
std::string Describe(const GlobalOptions& o) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "%d %d %u %u %d %d %d %d %d %d %d %d cpu=%u,%u,%u ram=%u,%u,%u vram=%u,%u,%u "
                  "bg=%u,%u,%u pos=%d,%d,%d,%d",
                  o.StartWithOs, o.AlternativeIcons, o.Pollinterval, o.Pollintervalmeters,
                  o.Startwithosdelay, o.ShowCPUUsage, o.ShowCPUUsageMulti, o.ShowFreeMem,
                  o.SingleIconMode, o.KeyboardLED, o.Staticicon, o.Color_cpu_dynamic,
                  o.Color_cpu_red, o.Color_cpu_green, o.Color_cpu_blue, o.Color_ram_red,
                  o.Color_ram_green, o.Color_ram_blue, o.Color_vram_red, o.Color_vram_green,
                  o.Color_vram_blue, o.Color_background_red, o.Color_background_green,
                  o.Color_background_blue, o.WindowPosTop, o.WindowPosLeft, o.WindowPosRight,
                  o.WindowPosBottom);
    return text;
}

// Every element's stored fields and identity, end marker included.
std::string DescribeUnits(Unit* list) {
    std::string all;
    WalkAll(list, [&](Unit& u) {
        char text[kPathLength + 160];
        std::snprintf(text, sizeof text, "[%s] id=%d %d %d %d %u %u\n", u.name, u.trayId, u.enabled,
                      u.showInTray, u.parallelPortEnabled, u.parallelPortReadMask,
                      u.parallelPortWriteMask);
        all += text;
    });
    return all;
}

// StartWithOs AlternativeIcons Pollinterval Pollintervalmeters Startwithosdelay ShowCPUUsage
// ShowCPUUsageMulti ShowFreeMem SingleIconMode KeyboardLED Staticicon Color_cpu_dynamic ...
const char kDefaults[] = "0 1 100 1500 1 0 0 0 0 0 0 1 cpu=16,128,16 ram=64,64,255 "
                         "vram=228,128,16 bg=64,0,64 pos=100,100,630,510";

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
        EXPECT_EQ(kDefaults, Describe(s.options)) << unreadable;
        EXPECT_EQ("[] id=0 0 1 0 0 0\n[\\\\.\\PHYSICALDRIVE0] id=0 0 1 0 0 0\n"
                  "[CPU Usage] id=0 0 1 0 0 0\n[NIC #0 Usage] id=0 0 1 0 0 0\n[] id=0 77 1 0 0 0\n",
                  DescribeUnits(s.list)) << unreadable;
        EXPECT_EQ(0, s.os.calls["WriteProfileValue"]) << "loading writes nothing";
        EXPECT_EQ(unreadable ? 1u : 0u, s.os.profiles.count(kPath));
    }
}

TEST(SettingsFile, ValuesLoadByTheRules) {
    Settings s;
    s.File() = Lines({
        "[GeneralOptions]", "Color_ram_blue=300", "Pollinterval=abc", "Pollintervalmeters=5",
        "Startwithosdelay=-8", "WINDOWPOSLEFT=4294967288", "windowpostop=  +12abc",
        "Color_cpu_red=-1", "StartWithOs=yes", "AlternativeIcons=No", "ShowCPUUsage=",
        "ShowFreeMem=0", "KeyboardLED=false", "Staticicon=NO",
        "[\\\\.\\physicaldrive0]", "ParallelPortReadMask=15", "ParallelPortWriteMask=0x0F",
        "ParallelPortMonitorEnabled=yes", "ParallelPortSeparateRW=No", "Trayicon=no",
        "[cpu usage]", "enabled=", "trayicon= No ",
        "[NIC #0 Usage]", "ParallelPortReadMask=256", "ParallelPortWriteMask=255", "Enabled=Yes",
        "[]", "Enabled=Yes", "ParallelPortReadMask=3",
    });
    s.Load();
    const GlobalOptions& o = s.options;
    EXPECT_EQ(44u, o.Color_ram_blue);
    EXPECT_EQ(0u, o.Pollinterval);
    EXPECT_EQ(5u, o.Pollintervalmeters);
    EXPECT_EQ(-8, o.Startwithosdelay);
    EXPECT_EQ(-8, o.WindowPosLeft);
    EXPECT_EQ(12, o.WindowPosTop);
    EXPECT_EQ(255u, o.Color_cpu_red);
    EXPECT_EQ(1, o.StartWithOs);
    EXPECT_EQ(0, o.AlternativeIcons);
    EXPECT_EQ(1, o.ShowCPUUsage) << "empty is true";
    EXPECT_EQ(1, o.ShowFreeMem) << "0 is true";
    EXPECT_EQ(1, o.KeyboardLED) << "false is true";
    EXPECT_EQ(0, o.Staticicon);
    EXPECT_EQ(630, o.WindowPosRight) << "missing keys keep their defaults";
    Unit& drive = s.Named("\\\\.\\PHYSICALDRIVE0");
    EXPECT_EQ(15u, drive.parallelPortReadMask);
    EXPECT_EQ(0u, drive.parallelPortWriteMask);
    EXPECT_EQ(1, drive.parallelPortEnabled) << "ParallelPortSeparateRW is never read";
    EXPECT_EQ(0, drive.showInTray);
    EXPECT_EQ(1, s.Named("CPU Usage").enabled) << "empty is true";
    EXPECT_EQ(0, s.Named("CPU Usage").showInTray) << "' No ' read without its blanks";
    EXPECT_EQ(0u, s.Named("NIC #0 Usage").parallelPortReadMask);
    EXPECT_EQ(255u, s.Named("NIC #0 Usage").parallelPortWriteMask);
    EXPECT_EQ(1, s.Named("NIC #0 Usage").enabled);
    EXPECT_EQ(1, s.Start().enabled) << "the start marker reads the empty-named section";
    EXPECT_EQ(3u, s.Start().parallelPortReadMask);
    EXPECT_EQ(77, LastUnit(s.list)->enabled) << "the end marker is not loaded";

    // Values are read as 63 characters: the 64th and later are never seen.
    Settings longValue;
    longValue.File() = Lines({"[GENERALOPTIONS]", "Pollinterval=" + std::string(62, '0') + "12" +
                                                      std::string(500, '9')});
    longValue.Load();
    EXPECT_EQ(1u, longValue.options.Pollinterval);
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
    EXPECT_EQ(kDefaults, Describe(options));
    EXPECT_EQ(0, SaveSettings(s.os, &none, &options));
    EXPECT_EQ(0, LoadSettings(s.os, nullptr, &options));
    EXPECT_EQ(0, LoadSettings(s.os, &none, nullptr));
}

TEST(SettingsFile, FileWrittenFromNothingHasTheKeysInOrder) {
    Settings s({"CPU Usage"});
    s.Load();
    s.os.windowLeft = 12; s.os.windowTop = 34; s.os.windowRight = 560; s.os.windowBottom = 470;
    s.options.DialogWindow = reinterpret_cast<WindowHandle>(0x1234);
    s.Save();
    std::vector<std::string> expected = {
        "[GENERALOPTIONS]", "StartWithOs=No", "AlternativeIcons=Yes", "Pollinterval=100",
        "Pollintervalmeters=1500", "Startwithosdelay=1", "ShowCPUUsage=No", "ShowCPUUsageMulti=No",
        "ShowFreeMem=No", "SingleIconMode=No", "KeyboardLED=No", "Staticicon=No",
        "Color_cpu_dynamic=Yes", "Color_cpu_red=16", "Color_cpu_green=128", "Color_cpu_blue=16",
        "Color_ram_red=64", "Color_ram_green=64", "Color_ram_blue=255", "Color_vram_red=228",
        "Color_vram_green=128", "Color_vram_blue=16", "Color_background_red=64",
        "Color_background_green=0", "Color_background_blue=64", "WindowPosTop=34",
        "WindowPosLeft=12", "WindowPosRight=560", "WindowPosBottom=470"};
    for (const char* section : {"[]", "[CPU Usage]"})
        for (const char* line : {section, "Enabled=No", "Trayicon=Yes", "ParallelPortMonitorEnabled=No",
                                 "ParallelPortSeparateRW=No", "ParallelPortReadMask=0",
                                 "ParallelPortWriteMask=0"})
            expected.push_back(line);
    EXPECT_EQ(Lines(expected), s.File());
    EXPECT_EQ(std::vector<WindowHandle>{reinterpret_cast<WindowHandle>(0x1234)}, s.os.windowsQueried);
    EXPECT_EQ(28 + 2 * 6, s.os.calls["WriteProfileValue"]);
}

TEST(SettingsFile, SaveThenLoadKeepsEveryStoredField) {
    Settings s;
    GlobalOptions& o = s.options;
    o.StartWithOs = 1; o.AlternativeIcons = 0; o.Pollinterval = 25; o.Pollintervalmeters = 50000;
    o.Startwithosdelay = 300; o.ShowCPUUsage = 1; o.ShowCPUUsageMulti = 1; o.ShowFreeMem = 1;
    o.SingleIconMode = 1; o.KeyboardLED = 1; o.Staticicon = 1; o.Color_cpu_dynamic = 0;
    o.Color_cpu_red = 1; o.Color_cpu_green = 2; o.Color_cpu_blue = 3; o.Color_ram_red = 4;
    o.Color_ram_green = 5; o.Color_ram_blue = 6; o.Color_vram_red = 7; o.Color_vram_green = 8;
    o.Color_vram_blue = 9; o.Color_background_red = 0; o.Color_background_green = 254;
    o.Color_background_blue = 255;
    // The dialog was moved partly off the left edge of the screen.
    s.os.windowLeft = -37; s.os.windowTop = 5; s.os.windowRight = 493; s.os.windowBottom = 415;
    s.Start().enabled = 1;
    s.Start().showInTray = 0;
    Unit& drive = s.Named("\\\\.\\PHYSICALDRIVE0");
    drive.enabled = 1; drive.parallelPortEnabled = 1;
    drive.parallelPortReadMask = 0x81; drive.parallelPortWriteMask = 0xFF;
    s.Named("NIC #0 Usage").showInTray = 0;
    s.Save();
    EXPECT_NE(std::string::npos, s.File().find("WindowPosLeft=4294967259\r\n")) << s.File();

    Settings fresh;
    fresh.File() = s.File();
    fresh.Load();
    o.WindowPosLeft = -37; o.WindowPosTop = 5; o.WindowPosRight = 493; o.WindowPosBottom = 415;
    EXPECT_EQ(Describe(o), Describe(fresh.options));
    EXPECT_EQ(DescribeUnits(s.list), DescribeUnits(fresh.list));
}

TEST(SettingsFile, SaveCompletesAFileAndKeepsWhatItDoesNotKnow) {
    Settings s({"CPU Usage"});
    s.File() = Lines({
        "; written by hand", "[GENERALOPTIONS]", "pollinterval=250", "Future=kept", "",
        "[Gone Unit]", "Enabled=Yes", "[CPU Usage]", "ParallelPortMonitorEnabled=Yes",
        "ParallelPortSeparateRW=No", "Comment without equals", "[Other]", "x=1"});
    s.Load();
    EXPECT_EQ(250u, s.options.Pollinterval);
    s.os.windowRectReadable = false;   // the loaded rectangle is written back
    s.Save();

    std::vector<std::string> lines;
    const std::string& text = s.File();
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    auto position = [&](const std::string& line) {
        for (size_t k = 0; k < lines.size(); ++k)
            if (lines[k] == line) return static_cast<int>(k);
        return -1;
    };
    for (const char* kept : {"; written by hand", "[Gone Unit]", "Enabled=Yes",
                             "Comment without equals", "x=1", "WindowPosTop=100", "WindowPosLeft=100",
                             "WindowPosRight=630", "Color_background_blue=64", "Enabled=No",
                             "Trayicon=Yes"})
        EXPECT_NE(-1, position(kept)) << kept << " missing:\n" << text;
    EXPECT_EQ(position("[GENERALOPTIONS]") + 1, position("pollinterval=250")) << "replaced in place";
    EXPECT_EQ(position("Future=kept") + 1, position("StartWithOs=No")) << "appended to the section";
    EXPECT_EQ(position("WindowPosBottom=510") + 2, position("[Gone Unit]")) << text;
    EXPECT_EQ(position("[CPU Usage]") + 1, position("ParallelPortMonitorEnabled=Yes"));
    EXPECT_EQ(position("[CPU Usage]") + 2, position("ParallelPortSeparateRW=Yes"))
        << "written from the port switch";
    EXPECT_EQ(position("[Other]") - 1, position("ParallelPortWriteMask=0")) << text;
    EXPECT_EQ(static_cast<int>(lines.size()) - 7, position("[]")) << "new section at the end";
}

TEST(SettingsFile, NoPathOrNoWritableFileWritesNothing) {
    Settings empty, unterminated, readOnly;
    empty.options.SettingsPath[0] = '\0';
    empty.os.profiles[""] = Lines({"[GENERALOPTIONS]", "Pollinterval=7"});
    std::memset(unterminated.options.SettingsPath, 'x', sizeof unterminated.options.SettingsPath);
    for (Settings* s : {&empty, &unterminated}) {
        s->Load();
        s->Save();
        EXPECT_EQ(kDefaults, Describe(s->options));
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
        ASSERT_EQ(Describe(s.options), Describe(again.options));
        ASSERT_EQ(DescribeUnits(s.list), DescribeUnits(again.list));
    }
}
