// The settings file through the real profile functions on real files, the
// dialog rectangle from a real window, and the Run value in the real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/win32_os.h"
#include "settings/settings_file.h"
#include "shell/run_value.h"
#include "units/unit_list.h"

namespace {

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
        std::fclose(file);
    }
    return text;
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file) << path;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

// A fresh folder under the temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        std::snprintf(path_, sizeof path_, "%sblinkwatch-settings-%lu", base, GetCurrentProcessId());
        CreateDirectoryA(path_, nullptr);
    }
    ~TempFolder() {
        for (const std::string& file : files_) DeleteFileA(file.c_str());
        RemoveDirectoryA(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string File(const char* name) {
        files_.push_back(std::string(path_) + "\\" + name);
        return files_.back();
    }

private:
    char path_[MAX_PATH];
    std::vector<std::string> files_;
};

// A list of start marker, a physical drive, a processor and end marker.
struct UnitListOwner {
    Win32Os& os;
    Unit* list = nullptr;
    explicit UnitListOwner(Win32Os& owner) : os(owner) {
        for (const char* name : {"", "\\\\.\\PHYSICALDRIVE0", "CPU Usage", ""}) {
            AppendUnit(os, &list);
            std::snprintf(list->name, sizeof list->name, "%s", name);
        }
    }
    ~UnitListOwner() { FreeUnitList(os, &list); }
    UnitListOwner(const UnitListOwner&) = delete;
    UnitListOwner& operator=(const UnitListOwner&) = delete;
    Unit& Start() { return *FirstUnit(list); }
    Unit& Named(const char* name) { return *FindUnitByName(list, name); }
};

// A hidden top-level window whose normal rectangle is set.
class PlacedWindow {
public:
    PlacedWindow(LONG left, LONG top, LONG right, LONG bottom) {
        window_ = CreateWindowExA(0, "STATIC", "settings test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        WINDOWPLACEMENT placement;
        ZeroMemory(&placement, sizeof placement);
        placement.length = sizeof placement;
        placement.showCmd = SW_HIDE;
        placement.rcNormalPosition = {left, top, right, bottom};
        SetWindowPlacement(window_, &placement);
    }
    ~PlacedWindow() { DestroyWindow(window_); }
    PlacedWindow(const PlacedWindow&) = delete;
    PlacedWindow& operator=(const PlacedWindow&) = delete;
    WindowHandle handle() const { return reinterpret_cast<WindowHandle>(window_); }

private:
    HWND window_;
};

std::string Profile(const char* section, const char* key, const std::string& path) {
    char value[256];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, path.c_str());
    return value;
}

}  // namespace

TEST(Win32Settings, FileWrittenFromNothingAndReadBack) {
    Win32Os os;
    TempFolder folder;
    std::string path = folder.File("Blinkwatch.ini");
    UnitListOwner units(os);
    GlobalOptions options{};
    std::snprintf(options.SettingsPath, sizeof options.SettingsPath, "%s", path.c_str());
    EXPECT_EQ(0, LoadSettings(os, &units.list, &options));
    EXPECT_EQ(100u, options.Pollinterval) << "defaults without a file";
    EXPECT_EQ(255u, options.Color_ram_blue);

    // The dialog sits partly off the left edge of the screen.
    PlacedWindow dialog(-37, 5, 493, 415);
    options.DialogWindow = dialog.handle();
    options.Pollinterval = 250;
    options.Color_background_blue = 200;
    units.Start().enabled = 1;
    units.Start().parallelPortReadMask = 0x81;
    Unit& drive = units.Named("\\\\.\\PHYSICALDRIVE0");
    drive.parallelPortEnabled = 1;
    drive.parallelPortWriteMask = 0xF0;
    EXPECT_EQ(0, SaveSettings(os, &units.list, &options));

    // Wine differs from Windows in one place here: it keeps the empty-named
    // section as the block of keys in front of the first header and writes it
    // there without a header, where Windows appends a section headed "[]"
    // after GENERALOPTIONS. Everything else is in the order of the writes.
    std::string expected = ReadWholeFile(BLINKWATCH_WINE_DATA "/settings_from_nothing.ini");
    ASSERT_FALSE(expected.empty()) << "expected file not found";
    EXPECT_EQ(expected, ReadWholeFile(path));
    EXPECT_EQ("4294967259", Profile("generaloptions", "windowposleft", path));
    EXPECT_EQ("Yes", Profile("", "Enabled", path)) << "the empty-named section reads back";

    // Loading that file and saving it elsewhere writes the same text: every
    // stored field came back, the start marker's included.
    UnitListOwner loadedUnits(os);
    GlobalOptions loaded{};
    std::string copy = folder.File("copy.ini");
    std::snprintf(loaded.SettingsPath, sizeof loaded.SettingsPath, "%s", path.c_str());
    EXPECT_EQ(0, LoadSettings(os, &loadedUnits.list, &loaded));
    EXPECT_EQ(-37, loaded.WindowPosLeft);
    EXPECT_EQ(1, loadedUnits.Start().enabled);
    std::snprintf(loaded.SettingsPath, sizeof loaded.SettingsPath, "%s", copy.c_str());
    EXPECT_EQ(0, SaveSettings(os, &loadedUnits.list, &loaded));   // no dialog: the loaded rectangle
    EXPECT_EQ(expected, ReadWholeFile(copy));
}

TEST(Win32Settings, ASaveKeepsWhatItDoesNotKnow) {
    Win32Os os;
    TempFolder folder;
    std::string path = folder.File("Blinkwatch.ini");
    WriteWholeFile(path,
                   "[GeneralOptions]\r\nPOLLINTERVAL=40\r\nFutureOption=kept\r\n"
                   "[Old Unit]\r\nEnabled=Yes\r\nParallelPortReadMask=7\r\n"
                   "[cpu usage]\r\nenabled=yes\r\nParallelPortSeparateRW=No\r\n"
                   "[Other Program]\r\nx=1\r\n");
    UnitListOwner units(os);
    GlobalOptions options{};
    std::snprintf(options.SettingsPath, sizeof options.SettingsPath, "%s", path.c_str());
    EXPECT_EQ(0, LoadSettings(os, &units.list, &options));
    EXPECT_EQ(40u, options.Pollinterval);
    EXPECT_EQ(1, units.Named("CPU Usage").enabled) << "sections and keys in any letter case";
    EXPECT_EQ(0, SaveSettings(os, &units.list, &options));   // no dialog: the loaded rectangle

    EXPECT_EQ("kept", Profile("GENERALOPTIONS", "FutureOption", path));
    EXPECT_EQ("Yes", Profile("Old Unit", "Enabled", path));
    EXPECT_EQ("7", Profile("Old Unit", "ParallelPortReadMask", path));
    EXPECT_EQ("1", Profile("Other Program", "x", path));
    EXPECT_EQ("40", Profile("GENERALOPTIONS", "Pollinterval", path));
    EXPECT_EQ("No", Profile("CPU Usage", "ParallelPortSeparateRW", path)) << "from the port switch";
    EXPECT_EQ("100", Profile("GENERALOPTIONS", "WindowPosLeft", path));
    EXPECT_EQ("64", Profile("GENERALOPTIONS", "Color_background_blue", path)) << "completed";
    std::string text = ReadWholeFile(path);
    EXPECT_NE(std::string::npos, text.find("POLLINTERVAL=40\r\n")) << "replaced in place:\n" << text;
    EXPECT_LT(text.find("[Old Unit]"), text.find("[cpu usage]")) << text;
}

TEST(Win32Settings, ProfileAndWindowServices) {
    Win32Os os;
    TempFolder folder;
    std::string path = folder.File("values.ini");
    WriteWholeFile(path, "[s]\r\nlong=" + std::string(62, '0') + "12" + std::string(300, '9') +
                             "\r\nbinary=\x01\xff\x80" "abc\r\n");
    char value[kSettingValueLength];
    std::memset(value, 0xcc, sizeof value);
    EXPECT_EQ(63u, os.ReadProfileValue("S", "LONG", "x", value, sizeof value, path.c_str()));
    EXPECT_EQ(std::string(62, '0') + "1", value);
    EXPECT_EQ(3u, os.ReadProfileValue("s", "missing", "0x0", value, sizeof value, path.c_str()));
    EXPECT_STREQ("0x0", value);
    EXPECT_EQ(6u, os.ReadProfileValue("s", "binary", "", value, sizeof value, path.c_str()));
    EXPECT_EQ(3u, os.ReadProfileValue("s", "x", "def", value, sizeof value,
                                      folder.File("missing.ini").c_str()));

    std::string unwritable = folder.File("no such folder\\Blinkwatch.ini");
    EXPECT_FALSE(os.WriteProfileValue("s", "k", "v", unwritable.c_str()));

    int32_t left = 1, top = 2, right = 3, bottom = 4;
    EXPECT_FALSE(os.QueryWindowNormalRect(nullptr, &left, &top, &right, &bottom));
    EXPECT_EQ(1, left);
    EXPECT_EQ(4, bottom);
    PlacedWindow window(-20, -10, 300, 200);
    ASSERT_TRUE(os.QueryWindowNormalRect(window.handle(), &left, &top, &right, &bottom));
    EXPECT_EQ(-20, left);
    EXPECT_EQ(-10, top);
    EXPECT_EQ(300, right);
    EXPECT_EQ(200, bottom);
}

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RegistryValue {
    bool present = false;
    DWORD type = 0;
    std::string data;   // the stored bytes
};

RegistryValue ReadRunValue() {
    RegistryValue value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return value;
    char data[1024];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, "Blinkwatch", nullptr, &value.type, reinterpret_cast<BYTE*>(data),
                         &size) == ERROR_SUCCESS) {
        value.present = true;
        value.data.assign(data, size);
    }
    RegCloseKey(key);
    return value;
}

// Puts the Run value, and the Run key itself when it was missing, back as
// they were before the test.
class RunValueRestorer {
public:
    RunValueRestorer() : saved_(ReadRunValue()) {
        HKEY key;
        keyExisted_ = RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (keyExisted_) RegCloseKey(key);
    }
    ~RunValueRestorer() {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
        if (saved_.present)
            RegSetValueExA(key, "Blinkwatch", 0, saved_.type,
                           reinterpret_cast<const BYTE*>(saved_.data.data()),
                           static_cast<DWORD>(saved_.data.size()));
        else
            RegDeleteValueA(key, "Blinkwatch");
        RegCloseKey(key);
        if (!keyExisted_) RegDeleteKeyA(HKEY_CURRENT_USER, kRunKey);
    }
    RunValueRestorer(const RunValueRestorer&) = delete;
    RunValueRestorer& operator=(const RunValueRestorer&) = delete;

private:
    RegistryValue saved_;
    bool keyExisted_;
};

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

void ExpectRunValue(const std::string& command) {
    RegistryValue value = ReadRunValue();
    ASSERT_TRUE(value.present) << "no Run value";
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
    EXPECT_EQ(command + std::string(1, '\0'), value.data) << "the length counts the terminating zero";
}

}  // namespace

TEST(Win32RunValue, WrittenOverwrittenAfterAMoveAndDeleted) {
    RunValueRestorer restorer;
    Win32Os os;
    char executable[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, executable, MAX_PATH));
    EXPECT_EQ(1, UpdateRunValue(os, 1));
    ExpectRunValue("\"" + std::string(executable) + "\" /STARTUP");

    MovedExecutableOs moved;
    moved.path = "C:\\Program Files\\Blink watch tools\\blinkwatch.exe";
    EXPECT_EQ(1, UpdateRunValue(moved, 1));
    ExpectRunValue("\"C:\\Program Files\\Blink watch tools\\blinkwatch.exe\" /STARTUP");

    // Without a path nothing is written and the value stays.
    moved.path.clear();
    EXPECT_EQ(0, UpdateRunValue(moved, 1));
    ExpectRunValue("\"C:\\Program Files\\Blink watch tools\\blinkwatch.exe\" /STARTUP");

    // Unticking deletes the value, whichever copy wrote it; a second time
    // there is nothing to delete and nothing is reported.
    EXPECT_EQ(1, UpdateRunValue(os, 0));
    EXPECT_FALSE(ReadRunValue().present);
    EXPECT_EQ(1, UpdateRunValue(os, 0));
    EXPECT_FALSE(ReadRunValue().present);
}

TEST(Win32RunValue, ModulePathIsWholeOrNothing) {
    Win32Os os;
    char path[MAX_PATH];
    uint32_t length = os.QueryModulePath(path, sizeof path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::strlen(path), length);
    EXPECT_NE(nullptr, std::strstr(path, "wine_settings_tests.exe")) << path;

    // The platform cuts a long path without terminating it; the service
    // answers no path instead.
    char shortBuffer[10];
    std::memset(shortBuffer, 'x', sizeof shortBuffer);
    EXPECT_EQ(0u, os.QueryModulePath(shortBuffer, sizeof shortBuffer));
    EXPECT_STREQ("", shortBuffer);
}
