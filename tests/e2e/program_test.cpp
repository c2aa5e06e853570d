// The shipped blinkwatch.exe as a process under Wine, seen through a stand-in
// tray and driven from outside as a user and the shell would.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "program.h"
#include "tray_host.h"

namespace {

constexpr UINT kTrayCallback = WM_USER + 6;
constexpr int kStartButton = 109;
constexpr int kStartWithOsBox = 136;
constexpr DWORD kWait = 20000;

// A settings file that monitors RAM and VRAM, polling fast, with more global
// options if given.
std::string MeterSettings(const std::string& moreOptions = "") {
    return "[GENERALOPTIONS]\r\nPollinterval=50\r\nPollintervalmeters=100\r\n" + moreOptions +
           "[RAM Usage]\r\nEnabled=Yes\r\n[VRAM Usage]\r\nEnabled=Yes\r\n";
}

// A program folder that is removed when the test ends.
struct Folder {
    std::string path;
    explicit Folder(const std::string& settings) : path(MakeProgramFolder(settings)) {}
    ~Folder() { RemoveProgramFolder(path); }
};

std::set<UINT> UnitIds(TrayHost& host) {
    std::set<UINT> ids;
    for (const auto& icon : host.Icons())
        if (icon.first != 0) ids.insert(icon.first);
    return ids;
}

bool HasTipStartingWith(TrayHost& host, const std::string& prefix) {
    for (const auto& icon : host.Icons())
        if (icon.second.tip.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

UINT IdWithTip(TrayHost& host, const std::string& prefix) {
    for (const auto& icon : host.Icons())
        if (icon.second.tip.compare(0, prefix.size(), prefix) == 0) return icon.first;
    return 0;
}

bool MeterIconsShown(TrayHost& host) {
    return HasTipStartingWith(host, "RAM:\nUsage: ") && HasTipStartingWith(host, "Virtual RAM:\nUsage: ");
}

std::string ControlText(HWND dialog, int id) {
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &result) != 0;
}

// A registry value of Wine's that the test sets and always removes again.
struct WineVersionOverride {
    explicit WineVersionOverride(const char* version) {
        RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version", REG_SZ, version,
                        static_cast<DWORD>(std::strlen(version) + 1));
    }
    ~WineVersionOverride() { RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version"); }
};

std::string RunValue() {
    char data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                     "Blinkwatch", RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "<none>";
    return data;
}

// Closing the window quits with exit code 0.
void QuitAndExpectZero(Program& program, HWND dialog) {
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program.WaitForExit(kWait));
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ShippedExecutable().empty()) << "BLINKWATCH_EXE is not set";
        ASSERT_TRUE(host.ready());
    }
    TrayHost host;
};

}  // namespace

TEST_F(ProgramTest, FirstTicksAddIconsThenShowTooltipsAndMeters) {
    Folder folder(MeterSettings());
    Program program(folder.path, "");
    ASSERT_TRUE(program.started());
    ASSERT_NE(nullptr, program.MainDialog());

    ASSERT_TRUE(Eventually([&] { return UnitIds(host).size() == 2; }, kWait));
    for (const TrayCall& call : host.Calls()) {
        if (call.message != NIM_ADD) continue;
        EXPECT_EQ("No update yet", call.tip) << "id " << call.id;
        EXPECT_EQ(7u, call.flags);
        EXPECT_EQ(kTrayCallback, call.callbackMessage);
        EXPECT_EQ(32u, call.width);
    }
    ASSERT_TRUE(Eventually([&] { return MeterIconsShown(host); }, kWait));
    TrayCall ram = host.Icons()[IdWithTip(host, "RAM:\nUsage: ")];
    EXPECT_NE(std::string::npos, ram.tip.find("\nFree: ")) << ram.tip;
    EXPECT_EQ(RGB(64, 0, 64), ram.Pixel(0, 0)) << "the meter's default background";

    QuitAndExpectZero(program, program.MainDialog());
    EXPECT_TRUE(host.Icons().empty());
}

TEST_F(ProgramTest, SecondLaunchWarnsAndEndsWithFive) {
    Folder folder(MeterSettings());
    Program first(folder.path, "");
    ASSERT_TRUE(Eventually([&] { return MeterIconsShown(host); }, kWait));
    std::set<UINT> before = UnitIds(host);

    Program second(folder.path, "");
    HWND box = second.FindWindowTitled("Warning", kWait);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Blinkwatch is already running!", MessageBoxText(box));
    PressOk(box);
    EXPECT_EQ(5u, second.WaitForExit(kWait));
    EXPECT_EQ(before, UnitIds(host)) << "the running copy keeps its icons";

    // A right double-click on any icon beeps and quits with 0, leaving no icon.
    ASSERT_TRUE(host.Click(*before.begin(), WM_RBUTTONDBLCLK));
    EXPECT_EQ(0u, first.WaitForExit(kWait));
    EXPECT_TRUE(host.Icons().empty());
}

TEST_F(ProgramTest, WindowsOlderThan2000IsRefused) {
    Folder folder("");
    WineVersionOverride nt4("nt40");
    Program program(folder.path, "");
    HWND box = program.FindWindowTitled("Blinkwatch can't start", kWait);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Blinkwatch requires at least Windows 2000", MessageBoxText(box));
    PressOk(box);
    EXPECT_EQ(5u, program.WaitForExit(kWait));
}

TEST_F(ProgramTest, StartButtonStopsAndRestartsMonitoring) {
    Folder folder(MeterSettings());
    Program program(folder.path, "");
    HWND dialog = program.MainDialog();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(Eventually([&] { return MeterIconsShown(host); }, kWait));
    EXPECT_EQ("Disable", ControlText(dialog, kStartButton));

    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kStartButton, BN_CLICKED), 0);
    EXPECT_TRUE(Eventually([&] { return host.Icons().empty(); }, kWait));
    EXPECT_EQ("Enable", ControlText(dialog, kStartButton));

    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kStartButton, BN_CLICKED), 0);
    EXPECT_EQ("Disable", ControlText(dialog, kStartButton));
    EXPECT_TRUE(Eventually([&] { return UnitIds(host).size() == 2; }, kWait));
    QuitAndExpectZero(program, dialog);
}

TEST_F(ProgramTest, LeftDoubleClicksShowAndHideTheWindow) {
    Folder folder(MeterSettings());
    Program program(folder.path, "");
    HWND dialog = program.MainDialog();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(Eventually([&] { return !UnitIds(host).empty(); }, kWait));
    UINT id = *UnitIds(host).begin();
    EXPECT_TRUE(IsWindowVisible(dialog)) << "a normal launch shows the window";

    // The window is shown but not yet known to be: the first click keeps it shown.
    ASSERT_TRUE(host.Click(id, WM_LBUTTONDBLCLK));
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(dialog));
    ASSERT_TRUE(host.Click(id, WM_LBUTTONDBLCLK));
    EXPECT_TRUE(Eventually([&] { return !IsWindowVisible(dialog); }, kWait));
    ASSERT_TRUE(host.Click(id, WM_LBUTTONDOWN));   // single clicks do nothing
    ASSERT_TRUE(host.Click(id, WM_RBUTTONDOWN));
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(dialog));
    ASSERT_TRUE(host.Click(id, WM_LBUTTONDBLCLK));
    EXPECT_TRUE(Eventually([&] { return IsWindowVisible(dialog) != FALSE; }, kWait));
    QuitAndExpectZero(program, dialog);
}

TEST_F(ProgramTest, EnterAppliesAndEscapeQuitsWithoutSaving) {
    Folder folder(MeterSettings());
    Program program(folder.path, "");
    HWND dialog = program.MainDialog();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(Eventually([&] { return !UnitIds(host).empty(); }, kWait));

    PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(Eventually([&] {
        return ReadSettingsFile(folder.path).find("WindowPosBottom=") != std::string::npos;
    }, kWait));
    std::string saved = ReadSettingsFile(folder.path);
    // Keys already in the file keep their place; the others are appended.
    EXPECT_NE(std::string::npos, saved.find("[GENERALOPTIONS]\r\nPollinterval=50\r\nPollintervalmeters=100\r\n"
                             "StartWithOs=No\r\nAlternativeIcons=Yes\r\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("[RAM Usage]\r\nEnabled=Yes\r\n")) << saved;

    // A change without Apply is not saved by quitting.
    HWND alternate = GetDlgItem(dialog, 152);
    SendMessageA(alternate, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(152, BN_CLICKED), reinterpret_cast<LPARAM>(alternate));
    PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(0u, program.WaitForExit(kWait));
    EXPECT_EQ(saved, ReadSettingsFile(folder.path));
    EXPECT_TRUE(host.Icons().empty());
}

TEST_F(ProgramTest, StartWithOsWritesTheRunValueAtOnce) {
    Folder folder(MeterSettings());
    Program program(folder.path, "");
    HWND dialog = program.MainDialog();
    ASSERT_NE(nullptr, dialog);
    HWND box = GetDlgItem(dialog, kStartWithOsBox);

    SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kStartWithOsBox, BN_CLICKED), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ("\"" + folder.path + "\\blinkwatch.exe\" /STARTUP", RunValue());
    EXPECT_EQ(MeterSettings(), ReadSettingsFile(folder.path)) << "the file waits for Apply";

    SendMessageA(box, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kStartWithOsBox, BN_CLICKED), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ("<none>", RunValue());
    QuitAndExpectZero(program, dialog);
}

TEST_F(ProgramTest, StartupLaunchHidesWaitsAnsweringThenShowsIcons) {
    Folder folder(MeterSettings("Startwithosdelay=3\r\n"));
    DWORD launched = GetTickCount();
    Program program(folder.path, "/StartUp");
    HWND dialog = program.MainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(Eventually([&] { return !IsWindowVisible(dialog); }, 2000)) << "hidden at once";
    EXPECT_NE(dialog, GetForegroundWindow()) << "a hidden window must not take the keyboard";
    // During the delay: no icon, yet the window answers messages.
    while (GetTickCount() - launched < 2500) {
        EXPECT_TRUE(UnitIds(host).empty());
        EXPECT_TRUE(Answers(dialog));
        Sleep(100);
    }
    ASSERT_TRUE(Eventually([&] { return UnitIds(host).size() == 2; }, kWait));
    EXPECT_GE(GetTickCount() - launched, 3000u);
    EXPECT_FALSE(IsWindowVisible(dialog));
    QuitAndExpectZero(program, dialog);
}

TEST_F(ProgramTest, TaskbarCreatedBringsEveryIconBack) {
    Folder folder(MeterSettings());
    Program program(folder.path, "");
    HWND dialog = program.MainDialog();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(Eventually([&] { return MeterIconsShown(host); }, kWait));
    std::set<UINT> before = UnitIds(host);

    host.Clear();
    PostMessageA(dialog, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    auto readded = [&](const std::vector<TrayCall>& calls) {
        std::set<UINT> added;
        for (const TrayCall& call : calls)
            if (call.message == NIM_ADD) added.insert(call.id);
        return added == before;
    };
    EXPECT_TRUE(host.WaitFor(readded, std::chrono::milliseconds(kWait)));
    QuitAndExpectZero(program, dialog);
}

TEST_F(ProgramTest, SingleIconModeShowsOneIcon) {
    Folder folder(MeterSettings("SingleIconMode=Yes\r\n"));
    Program program(folder.path, "");
    HWND dialog = program.MainDialog();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(Eventually([&] { return host.Icons().count(0) == 1; }, kWait));
    Sleep(500);
    std::map<UINT, TrayCall> icons = host.Icons();
    ASSERT_EQ(1u, icons.size());
    EXPECT_EQ("Blinkwatch", icons[0].tip);

    host.Clear();
    PostMessageA(dialog, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(host.WaitFor([](const std::vector<TrayCall>& calls) {
        for (const TrayCall& call : calls)
            if (call.message == NIM_ADD && call.id == 0) return true;
        return false;
    }, std::chrono::milliseconds(kWait)));
    QuitAndExpectZero(program, dialog);
    EXPECT_TRUE(host.Icons().empty()) << "quitting removes the single icon";
}

TEST_F(ProgramTest, SavedRectangleAtFirstPaintAndTheAboutBox) {
    // A damaged rectangle (right of left, bottom above top) still gives the
    // whole dialog, at the saved corner.
    RECT natural = {};
    {
        Folder damaged(MeterSettings("WindowPosLeft=40\r\nWindowPosTop=30\r\nWindowPosRight=10\r\n"
                                     "WindowPosBottom=5\r\n"));
        Program program(damaged.path, "");
        HWND dialog = program.MainDialog();
        ASSERT_NE(nullptr, dialog);
        EXPECT_TRUE(Eventually([&] {
            GetWindowRect(dialog, &natural);
            return natural.left == 40 && natural.top == 30;
        }, kWait)) << natural.left << "," << natural.top;
        EXPECT_GT(natural.right - natural.left, 400);
        EXPECT_GT(natural.bottom - natural.top, 300);
        QuitAndExpectZero(program, dialog);
    }
    // A roomier rectangle is taken as it is.
    LONG right = 40 + (natural.right - natural.left) + 60;
    LONG bottom = 30 + (natural.bottom - natural.top) + 50;
    Folder folder(MeterSettings("WindowPosLeft=40\r\nWindowPosTop=30\r\nWindowPosRight=" +
                                std::to_string(right) + "\r\nWindowPosBottom=" + std::to_string(bottom) +
                                "\r\n"));
    Program program(folder.path, "");
    HWND dialog = program.MainDialog();
    ASSERT_NE(nullptr, dialog);
    RECT rect = {};
    EXPECT_TRUE(Eventually([&] {
        GetWindowRect(dialog, &rect);
        return rect.left == 40 && rect.top == 30 && rect.right == right && rect.bottom == bottom;
    }, kWait)) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;

    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(149, BN_CLICKED), 0);
    HWND about = program.FindWindowTitled("About Blinkwatch V1.08", kWait);
    ASSERT_NE(nullptr, about);
    std::string text = MessageBoxText(about);
    // The build time (hh:mm:ss) comes before the build date ("Mmm dd yyyy",
    // a single-digit day padded with a blank as the compiler gives it).
    const std::string head = "Blinkwatch: Compiled: ";
    ASSERT_EQ(head, text.substr(0, head.size())) << text;
    std::string stamp = text.substr(head.size(), text.find('\n') - head.size());
    ASSERT_EQ(21u, stamp.size()) << stamp;
    EXPECT_EQ(':', stamp[2]);
    EXPECT_EQ(':', stamp[5]);
    EXPECT_EQ(", ", stamp.substr(8, 2));
    EXPECT_NE(std::string::npos, std::string("JanFebMarAprMayJunJulAugSepOctNovDec").find(stamp.substr(10, 3)));
    EXPECT_EQ("\n\nSpecial thanks to:", text.substr(head.size() + 21, 20));
    PressOk(about);
    EXPECT_TRUE(Eventually([&] { return !IsWindow(about); }, kWait));
    EXPECT_TRUE(Answers(dialog));
    QuitAndExpectZero(program, dialog);
}

TEST_F(ProgramTest, QuittingWhileTheDiskWarningIsOpenLeavesNoIcon) {
    // Under Wine the disk counters cannot be read, so the first tick that
    // samples a drive opens the warning box. Quit from the tray meanwhile.
    Folder folder(MeterSettings() + "[\\\\.\\PHYSICALDRIVE0]\r\nEnabled=Yes\r\n");
    Program program(folder.path, "");
    HWND dialog = program.MainDialog();
    ASSERT_NE(nullptr, dialog);
    HWND box = program.FindWindowTitled("Blinkwatch FAILURE", kWait);
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::string::npos, MessageBoxText(box).find("diskperf -y"));
    PostMessageA(dialog, kTrayCallback, 100, WM_RBUTTONDBLCLK);
    Sleep(500);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    EXPECT_EQ(0u, program.WaitForExit(kWait));
    for (const TrayCall& call : host.Calls())
        EXPECT_NE(static_cast<DWORD>(NIM_ADD), call.message) << "icon " << call.id << " added after quitting";
    EXPECT_TRUE(host.Icons().empty());
}
