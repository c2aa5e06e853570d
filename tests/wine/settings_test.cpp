// The settings file through the real profile functions on real files, the
// dialog rectangle from a real window, and the Run value in the real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/win32_os.h"
#include "settings/settings_file.h"
#include "shell/run_value.h"
#include "units/unit_list.h"

namespace {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Files in the temporary folder, removed at the end of the test.
struct TempFiles {
    std::vector<std::string> files;
    ~TempFiles() {
        for (const std::string& file : files) DeleteFileA(file.c_str());
    }
    std::string File(const char* name) {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        files.push_back(std::string(base) + "blinkwatch-" + std::to_string(GetCurrentProcessId()) + "-" + name);
        return files.back();
    }
};

// Start marker, a physical drive, a processor and end marker, with the settings path set.
struct SettingsOwner {
    Win32Os& os;
    Unit* list = nullptr;
    GlobalOptions options{};
    SettingsOwner(Win32Os& owner, const std::string& path) : os(owner) {
        for (const char* name : {"", "\\\\.\\PHYSICALDRIVE0", "CPU Usage", ""}) {
            AppendUnit(os, &list);
            std::snprintf(list->name, sizeof list->name, "%s", name);
        }
        SetPath(path);
    }
    ~SettingsOwner() { FreeUnitList(os, &list); }
    void SetPath(const std::string& path) {
        std::snprintf(options.SettingsPath, sizeof options.SettingsPath, "%s", path.c_str());
    }
    Unit& Start() { return *FirstUnit(list); }
    Unit& Named(const char* name) { return *FindUnitByName(list, name); }
};

// A hidden top-level window whose normal rectangle is set.
struct PlacedWindow {
    HWND window = CreateWindowExA(0, "STATIC", "settings test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    PlacedWindow(LONG left, LONG top, LONG right, LONG bottom) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        placement.showCmd = SW_HIDE;
        placement.rcNormalPosition = {left, top, right, bottom};
        SetWindowPlacement(window, &placement);
    }
    ~PlacedWindow() { DestroyWindow(window); }
    WindowHandle handle() const { return reinterpret_cast<WindowHandle>(window); }
};

std::string Profile(const char* section, const char* key, const std::string& path) {
    char value[256];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, path.c_str());
    return value;
}

}  // namespace

TEST(Win32Settings, FileWrittenFromNothingAndReadBack) {
    Win32Os os;
    TempFiles folder;
    std::string path = folder.File("Blinkwatch.ini");
    SettingsOwner s(os, path);
    EXPECT_EQ(0, LoadSettings(os, &s.list, &s.options));
    EXPECT_EQ(100u, s.options.Pollinterval) << "defaults without a file";
    EXPECT_EQ(255u, s.options.Color_ram_blue);

    PlacedWindow dialog(-37, 5, 493, 415);   // partly off the left edge of the screen
    s.options.DialogWindow = dialog.handle();
    s.options.Pollinterval = 250;
    s.options.Color_background_blue = 200;
    s.Start().enabled = 1;
    s.Start().parallelPortReadMask = 0x81;
    s.Named("\\\\.\\PHYSICALDRIVE0").parallelPortEnabled = 1;
    s.Named("\\\\.\\PHYSICALDRIVE0").parallelPortWriteMask = 0xF0;
    EXPECT_EQ(0, SaveSettings(os, &s.list, &s.options));

    // Wine keeps the empty-named section as the keys in front of the first
    // header, without a header; Windows appends "[]" after GENERALOPTIONS.
    std::string expected = ReadWholeFile(BLINKWATCH_WINE_DATA "/settings_from_nothing.ini");
    ASSERT_FALSE(expected.empty()) << "expected file not found";
    EXPECT_EQ(expected, ReadWholeFile(path));
    EXPECT_EQ("4294967259", Profile("generaloptions", "windowposleft", path));
    EXPECT_EQ("Yes", Profile("", "Enabled", path)) << "the empty-named section reads back";

    // Loading that file and saving it elsewhere (no dialog: the loaded
    // rectangle) writes the same text: every stored field came back.
    SettingsOwner loaded(os, path);
    EXPECT_EQ(0, LoadSettings(os, &loaded.list, &loaded.options));
    EXPECT_EQ(-37, loaded.options.WindowPosLeft);
    EXPECT_EQ(1, loaded.Start().enabled);
    std::string copy = folder.File("copy.ini");
    loaded.SetPath(copy);
    EXPECT_EQ(0, SaveSettings(os, &loaded.list, &loaded.options));
    EXPECT_EQ(expected, ReadWholeFile(copy));
}

TEST(Win32Settings, ASaveKeepsWhatItDoesNotKnow) {
    Win32Os os;
    TempFiles folder;
    std::string path = folder.File("Blinkwatch.ini");
    std::ofstream(path, std::ios::binary)
        << "[GeneralOptions]\r\nPOLLINTERVAL=40\r\nFutureOption=kept\r\n"
           "[Old Unit]\r\nEnabled=Yes\r\nParallelPortReadMask=7\r\n"
           "[cpu usage]\r\nenabled=yes\r\nParallelPortSeparateRW=No\r\n[Other Program]\r\nx=1\r\n";
    SettingsOwner s(os, path);
    EXPECT_EQ(0, LoadSettings(os, &s.list, &s.options));
    EXPECT_EQ(40u, s.options.Pollinterval);
    EXPECT_EQ(1, s.Named("CPU Usage").enabled) << "sections and keys in any letter case";
    EXPECT_EQ(0, SaveSettings(os, &s.list, &s.options));   // no dialog: the loaded rectangle

    const struct { const char* section; const char* key; const char* value; } values[] = {
        {"GENERALOPTIONS", "FutureOption", "kept"}, {"Old Unit", "Enabled", "Yes"},
        {"Old Unit", "ParallelPortReadMask", "7"}, {"Other Program", "x", "1"},
        {"GENERALOPTIONS", "Pollinterval", "40"},
        {"CPU Usage", "ParallelPortSeparateRW", "No"},   // from the port switch
        {"GENERALOPTIONS", "WindowPosLeft", "100"},
        {"GENERALOPTIONS", "Color_background_blue", "64"},   // completed
    };
    for (const auto& v : values) EXPECT_EQ(v.value, Profile(v.section, v.key, path)) << v.key;
    std::string text = ReadWholeFile(path);
    EXPECT_NE(std::string::npos, text.find("POLLINTERVAL=40\r\n")) << "replaced in place:\n" << text;
    EXPECT_LT(text.find("[Old Unit]"), text.find("[cpu usage]")) << text;
}

TEST(Win32Settings, ProfileAndWindowServices) {
    Win32Os os;
    TempFiles folder;
    std::string path = folder.File("values.ini");
    std::ofstream(path, std::ios::binary) << "[s]\r\nlong=" + std::string(62, '0') + "12" +
                                                 std::string(300, '9') + "\r\nbinary=\x01\xff\x80" "abc\r\n";
    char value[kSettingValueLength];
    std::memset(value, 0xcc, sizeof value);
    EXPECT_EQ(63u, os.ReadProfileValue("S", "LONG", "x", value, sizeof value, path.c_str()));
    EXPECT_EQ(std::string(62, '0') + "1", value);
    EXPECT_EQ(3u, os.ReadProfileValue("s", "missing", "0x0", value, sizeof value, path.c_str()));
    EXPECT_STREQ("0x0", value);
    EXPECT_EQ(6u, os.ReadProfileValue("s", "binary", "", value, sizeof value, path.c_str()));
    EXPECT_EQ(3u, os.ReadProfileValue("s", "x", "def", value, sizeof value,
                                      folder.File("missing.ini").c_str()));
    EXPECT_FALSE(os.WriteProfileValue("s", "k", "v", folder.File("no such folder\\a.ini").c_str()));

    int32_t r[4] = {1, 2, 3, 4};
    EXPECT_FALSE(os.QueryWindowNormalRect(nullptr, &r[0], &r[1], &r[2], &r[3]));
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), std::vector<int32_t>(r, r + 4)) << "left as they were";
    PlacedWindow window(-20, -10, 300, 200);
    ASSERT_TRUE(os.QueryWindowNormalRect(window.handle(), &r[0], &r[1], &r[2], &r[3]));
    EXPECT_EQ((std::vector<int32_t>{-20, -10, 300, 200}), std::vector<int32_t>(r, r + 4));
}

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value as "type:bytes", or "<missing>".
std::string RunValue() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return "<missing>";
    char data[1024];
    DWORD type = 0, size = sizeof data;
    LONG status = RegQueryValueExA(key, "Blinkwatch", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status != ERROR_SUCCESS ? "<missing>" : std::to_string(type) + ":" + std::string(data, size);
}

// As the value must be stored: REG_SZ, the length counting the terminating zero.
std::string Stored(const std::string& executable) {
    return std::to_string(REG_SZ) + ":\"" + executable + "\" /STARTUP" + std::string(1, '\0');
}

// The real platform, except that the executable has been moved.
class MovedExecutableOs : public Win32Os {
public:
    std::string path;
    uint32_t QueryModulePath(char* buffer, uint32_t size) override {
        if (path.empty() || path.size() >= size) return 0;
        std::snprintf(buffer, size, "%s", path.c_str());
        return static_cast<uint32_t>(path.size());
    }
};

}  // namespace

TEST(Win32RunValue, WrittenOverwrittenAfterAMoveAndDeleted) {
    Win32Os os;
    char executable[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, executable, MAX_PATH));
    EXPECT_EQ(1, UpdateRunValue(os, 1));
    EXPECT_EQ(Stored(executable), RunValue());

    MovedExecutableOs moved;
    moved.path = "C:\\Program Files\\Blink watch tools\\blinkwatch.exe";
    EXPECT_EQ(1, UpdateRunValue(moved, 1));
    EXPECT_EQ(Stored(moved.path), RunValue());
    moved.path.clear();
    EXPECT_EQ(0, UpdateRunValue(moved, 1)) << "without a path nothing is written";
    EXPECT_EQ(Stored("C:\\Program Files\\Blink watch tools\\blinkwatch.exe"), RunValue());

    // Unticking deletes the value; a second time nothing is reported.
    for (int time = 1; time <= 2; ++time) {
        EXPECT_EQ(1, UpdateRunValue(os, 0)) << time;
        EXPECT_EQ("<missing>", RunValue()) << time;
    }
}

TEST(Win32RunValue, ModulePathIsWholeOrNothing) {
    Win32Os os;
    char path[MAX_PATH];
    uint32_t length = os.QueryModulePath(path, sizeof path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::strlen(path), length);
    EXPECT_NE(nullptr, std::strstr(path, "wine_settings_tests.exe")) << path;

    // The platform cuts a long path without terminating it; the service answers no path.
    char shortBuffer[10];
    std::memset(shortBuffer, 'x', sizeof shortBuffer);
    EXPECT_EQ(0u, os.QueryModulePath(shortBuffer, sizeof shortBuffer));
    EXPECT_STREQ("", shortBuffer);
}
