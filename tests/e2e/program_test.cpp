// The real blinkwatch.exe under Wine, seen through the stand-in tray and driven from outside: each flow once.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>
#include <set>

#include "program.h"
#include "resources/resource_ids.h"
#include "version.h"

namespace {

// Fast polls and two meter icons, RAM and virtual RAM, with a test's own global options.
const std::string kGeneral = "[GENERALOPTIONS]\r\nPollinterval=50\r\nPollintervalmeters=100\r\n";
std::string Settings(const std::string& options = "") {
    return kGeneral + options + "[RAM Usage]\r\nEnabled=Yes\r\n[VRAM Usage]\r\nEnabled=Yes\r\n";
}
constexpr char kTitle[] = "Blinkwatch V" BLINKWATCH_VERSION " - The Blinkwatch developers";
const std::string kCorner = "WindowPosLeft=40\r\nWindowPosTop=30\r\n";

std::string Text(HWND window, int id = 0xFFFF) {   // by default a message box's text
    char text[1024] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

std::string Answer(const Program& program, const char* title, WPARAM button = IDOK) {   // the box's text
    HWND box = program.Window(title);
    std::string text = "no box titled " + std::string(title);
    Eventually([&] { return box == nullptr || !(text = Text(box)).empty(); });   // the box comes before its text
    PostMessageA(box, WM_COMMAND, button, 0);
    return text;
}

std::string RunValue() {   // "" when there is none
    char data[1024] = {};
    DWORD size = sizeof data;
    RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Blinkwatch", RRF_RT_REG_SZ, 0, data, &size);
    return data;
}

size_t presses = 0;   // of Scroll Lock, by any program, seen by a keyboard hook on this thread
LRESULT CALLBACK CountScrollLockPresses(int code, WPARAM message, LPARAM data) {
    presses += code == HC_ACTION && message == WM_KEYDOWN && reinterpret_cast<const KBDLLHOOKSTRUCT*>(data)->vkCode == VK_SCROLL;
    return CallNextHookEx(nullptr, code, message, data);
}

struct E2e : ::testing::Test {
    // Waits for the program's main dialog, then for `count` icons in the tray.
    ::testing::AssertionResult Ready(const Program& program, size_t count) {
        dialog = program.Window(kTitle);
        return dialog != nullptr ? Icons(count) : ::testing::AssertionFailure() << "no main dialog";
    }
    ::testing::AssertionResult Icons(size_t count) {
        if (Eventually([&] { return tray.icons.size() == count; })) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << tray.icons.size() << " icons in the tray, expected " << count;
    }
    void ExpectEnded(const Program& program) {
        EXPECT_EQ(0u, program.Exit());
        EXPECT_TRUE(tray.icons.empty()) << tray.icons.size() << " icons left after quitting";
    }
    RECT AtCorner() const {
        RECT rect = {};
        EXPECT_TRUE(Eventually([&] { return GetWindowRect(dialog, &rect) && rect.left == 40 && rect.top == 30; }))
            << "at " << rect.left << "," << rect.top << ", not at the saved corner 40,30";
        return rect;
    }

    TrayHost tray;
    HWND dialog = nullptr;
};

}  // namespace

TEST_F(E2e, FirstTicksThenALaunchOnAnOldWindowsIsRefused) {
    // A damaged rectangle (right of left, bottom above top).
    Program first(Settings(kCorner + "WindowPosRight=10\r\nWindowPosBottom=5\r\n"));
    ASSERT_TRUE(Ready(first, 2));
    RECT rect = AtCorner(), quit = {};
    GetWindowRect(GetDlgItem(dialog, IDC_QUIT), &quit);
    EXPECT_TRUE(PtInRect(&rect, {quit.right - 1, quit.bottom - 1})) << "the dialog cuts off its Quit button";
    tray.icons.begin()->second.Click(WM_RBUTTONDBLCLK);
    ExpectEnded(first);

    // With it gone, a launch on a Windows older than 2000 (as Wine is told to report) is refused.
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version", REG_SZ, "nt40", 5);
    Program old("");
    EXPECT_EQ("Blinkwatch requires at least Windows 2000", Answer(old, "Blinkwatch can't start"));
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version");
    EXPECT_EQ(5u, old.Exit());
}

// Posted messages are handled in order: Start pressed after tray clicks, or About after Enter, shows those done.
TEST_F(E2e, ClicksButtonsAndKeysOnTheWindow) {
    const std::string rectangle = kCorner + "WindowPosRight=940\r\nWindowPosBottom=730\r\nFuture=1\r\n";
    Program program(Settings(rectangle));
    ASSERT_TRUE(Ready(program, 2));
    const RECT rect = AtCorner();
    EXPECT_EQ(std::make_pair(940L, 730L), std::make_pair(rect.right, rect.bottom)) << "a roomy rectangle stays";
    EXPECT_TRUE(IsWindowVisible(dialog)) << "a normal launch shows the window";

    // The first double-click keeps the window shown; single clicks do nothing.
    const TrayCall icon = tray.icons.begin()->second;
    for (UINT mouse : {WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_RBUTTONDOWN}) icon.Click(mouse);
    PostMessageA(dialog, WM_COMMAND, IDC_START, 0);
    EXPECT_TRUE(Icons(0)) << "Start stops monitoring";
    EXPECT_EQ("Enable", Text(dialog, IDC_START));
    EXPECT_TRUE(IsWindowVisible(dialog));
    PostMessageA(dialog, WM_COMMAND, IDC_START, 0);
    EXPECT_TRUE(Icons(2)) << "and starts it again";
    EXPECT_EQ("Disable", Text(dialog, IDC_START));
    icon.Click(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Eventually([&] { return !IsWindowVisible(dialog); })) << "the next double-click hides";
    icon.Click(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Eventually([&] { return IsWindowVisible(dialog) != FALSE; })) << "and the next shows";

    // "Start with os" sets the Run value at once, the file at Apply (Enter), which the About box follows.
    SendDlgItemMessageA(dialog, IDC_START_WITH_OS, BM_CLICK, 0, 0);
    EXPECT_EQ("\"" + program.folder + "\\blinkwatch.exe\" /STARTUP", RunValue());
    EXPECT_EQ(Settings(rectangle), program.Settings());
    PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(dialog, WM_COMMAND, IDC_ABOUT, 0);
    const std::string about = Answer(program, "About Blinkwatch V" BLINKWATCH_VERSION), saved = program.Settings();
    // Saved, what was there kept; the build stamp is time, then date.
    EXPECT_EQ(0u, saved.find(kGeneral + rectangle + "StartWithOs=Yes\r\n")) << saved;
    EXPECT_TRUE(std::regex_search(about, std::regex("^Blinkwatch: Compiled: \\d\\d:\\d\\d:\\d\\d, "
                                                    "[A-Z][a-z][a-z] [ \\d]\\d \\d{4}\n"))) << about;
    EXPECT_EQ(BLINKWATCH_WEB_ADDRESS[0] != '\0', about.find("http") != std::string::npos) << "an address only when the build names one";
    EXPECT_TRUE(std::regex_search(about, std::regex("\nUpdates: \\S"))) << "and a place for updates either way";
    SendDlgItemMessageA(dialog, IDC_START_WITH_OS, BM_CLICK, 0, 0);
    EXPECT_EQ("", RunValue()) << "unticking deletes the value";

    PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    ExpectEnded(program);
    EXPECT_EQ(saved, program.Settings()) << "Escape quits without saving";
}

TEST_F(E2e, StartupLaunchWaitsHiddenWithTheSingleIcon) {
    Program program(Settings("Startwithosdelay=2\r\nSingleIconMode=Yes\r\n"), "/StartUp");
    const DWORD launched = GetTickCount();
    ASSERT_TRUE(Ready(program, 0));
    Eventually([&] {   // during the delay, up to the first fault
        EXPECT_FALSE(IsWindowVisible(dialog));
        EXPECT_NE(dialog, GetForegroundWindow()) << "a hidden window must not take the keyboard";
        EXPECT_TRUE(tray.icons.empty());
        EXPECT_NE(0, SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, nullptr)) << "answers";
        return HasFailure() || GetTickCount() - launched > 1500;
    });
    ASSERT_TRUE(Icons(1));
    EXPECT_GE(GetTickCount() - launched, 2000u) << "icons only after the delay";
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ("Blinkwatch", tray.icons.begin()->second.tip);
    // Only its own registered request shows the window: a private message leaves it hidden (Start shows it handled).
    PostMessageA(dialog, WM_APP + 1, 0, 0), PostMessageA(dialog, WM_COMMAND, IDC_START, 0);
    EXPECT_TRUE(Eventually([&] { return Text(dialog, IDC_START) == "Enable"; }));
    EXPECT_FALSE(IsWindowVisible(dialog));
    PostMessageA(dialog, WM_COMMAND, IDC_START, 0);
    Program second(Settings());   // nobody can reach a hidden window without an icon: a second launch shows it
    EXPECT_EQ("Blinkwatch is already running!", Answer(second, "Warning"));
    EXPECT_EQ(5u, second.Exit());
    EXPECT_TRUE(Eventually([&] { return IsWindowVisible(dialog) && GetForegroundWindow() == dialog; }))
        << "the running window is shown in front";
    EXPECT_EQ(1u, tray.icons.size()) << "and keeps its icon";
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    ExpectEnded(program);
}

// A static single icon never changes; after a new tray it is back, also while stopped: the way to a hidden window.
TEST_F(E2e, AnEarlyHideHoldsAndTheSingleIconComesBackToAStoppedProgram) {
    Program program(Settings("SingleIconMode=Yes\r\nStaticicon=Yes\r\nShowCPUUsageMulti=Yes\r\n[CPU #0 Usage]\r\nEnabled=Yes\r\n"));
    PostMessageA(program.Window(kTitle), WM_COMMAND, IDC_HIDE, 0);   // before the dialog manager first shows it
    ASSERT_TRUE(Ready(program, 1));
    const size_t from = tray.calls.size();
    Eventually([] { return false; }, 1500);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "shown after an early Hide";
    EXPECT_EQ(0, std::count_if(tray.calls.begin() + from, tray.calls.end(), [](auto& c) { return c.message == NIM_MODIFY; }))
        << "changes that change nothing";
    PostMessageA(dialog, WM_COMMAND, IDC_START, 0);   // stopped, then the shell restarts with an empty tray
    Eventually([&] { return Text(dialog, IDC_START) == "Enable"; }), tray.icons.clear();
    PostMessageA(dialog, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ASSERT_TRUE(Icons(1));
    tray.icons.begin()->second.Click(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Eventually([&] { return IsWindowVisible(dialog) != FALSE; }));
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    ExpectEnded(program);
}

TEST_F(E2e, ThePortLibraryIsNeverTakenFromTheCurrentDirectory) {
    // The stand-in library leaves "<its path>.loaded" beside itself when a process loads it.
    const std::string library = "Z:" + std::string(std::getenv("BLINKWATCH_PORT_LIBRARY")), name = library.substr(library.rfind('/'));
    const std::string current = std::filesystem::temp_directory_path().string() + "blinkwatch-e2e-current";
    auto loaded = [&](const std::string& folder) { return GetFileAttributesA((folder + name + ".loaded").c_str()) != INVALID_FILE_ATTRIBUTES; };
    std::error_code ignored;
    std::filesystem::remove_all(current, ignored), std::filesystem::create_directory(current);   // as an earlier run left it
    ASSERT_TRUE(CopyFileA(library.c_str(), (current + name).c_str(), FALSE));
    Program program(Settings("[NIC #0 Usage]\r\nEnabled=Yes\r\nTrayicon=No\r\nParallelPortMonitorEnabled=Yes\r\n"), "", current);
    ASSERT_TRUE(Ready(program, 2));
    ASSERT_TRUE(CopyFileA(library.c_str(), (program.folder + name).c_str(), FALSE));
    EXPECT_TRUE(Eventually([&] { return loaded(program.folder); })) << "beside the program, looked for again at each update";
    EXPECT_FALSE(loaded(current)) << "loaded from the folder the program was started in";
}

TEST_F(E2e, OnlineHelpOpensTheGuideBesideTheProgramAndWithoutItTheWebPageOrNothing) {
    Program program(Settings());
    ASSERT_TRUE(Ready(program, 2));
    // Whatever opens .html files and web pages in this prefix adds what it was asked to open to a file.
    const std::string opened = std::filesystem::temp_directory_path().string() + "blinkwatch-e2e-opened.txt",
                      command = "cmd.exe /c echo %1>> \"" + opened + "\"", classes = "Software\\Classes\\";
    DeleteFileA(opened.c_str());
    for (std::string key : {".html", "BlinkwatchTest.html\\shell\\open\\command", "http\\shell\\open\\command"}) {
        const std::string value = key == ".html" ? "BlinkwatchTest.html" : command;
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, (classes + key).c_str(), nullptr, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
    }
    // Without the guide: the web page when the build names an address, else nothing.
    const std::string page = *BLINKWATCH_WEB_ADDRESS ? BLINKWATCH_WEB_ADDRESS "/documentation/Blinkwatch/index.html\r\n" : "";
    for (const std::string& expected : {page, page + program.folder + "\\Blinkwatch.html\r\n"}) {   // then with the guide
        SendMessageA(dialog, WM_COMMAND, IDC_ONLINE_HELP, 0);
        std::string what;
        Eventually([&] { return (what = std::string(std::istreambuf_iterator<char>(std::ifstream(opened, std::ios::binary).rdbuf()), {})).size() >= expected.size(); });
        EXPECT_EQ(expected, what);
        std::ofstream(program.folder + "\\Blinkwatch.html") << "<html></html>";
    }
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, (classes + ".html").c_str(), nullptr, REG_SZ, "htmlfile", 9);
}

TEST_F(E2e, ScrollLockFollowsTheSingleIconOncePerUpdate) {
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, CountScrollLockPresses, GetModuleHandleA(nullptr), 0);
    // Processors sampled every second update (one every 50 ms): the LED goes on and off, once in each update.
    Program program(Settings("SingleIconMode=Yes\r\nKeyboardLED=Yes\r\nShowCPUUsageMulti=Yes\r\n[CPU #0 Usage]\r\nEnabled=Yes\r\n"));
    ASSERT_TRUE(Ready(program, 1));
    const DWORD start = (presses = 0, GetTickCount());
    Eventually([] { return false; }, 3000);
    EXPECT_LE(presses, (GetTickCount() - start) / 50 + 2) << "presses in " << GetTickCount() - start << " ms";
    const size_t pressed = (SendDlgItemMessageA(dialog, IDC_KEYBOARD_LED, BM_CLICK, 0, 0), presses);
    Eventually([] { return false; }, 1000);
    EXPECT_EQ(pressed, presses) << "presses with the box unticked";
    UnhookWindowsHookEx(hook);
}

// A processor busy and idle in turn: its graph shows columns of different heights (counted up from the bottom row).
TEST_F(E2e, MeterGraphShowsTheLoadsHistory) {
    Program program(Settings("MeterStyle=Graph\r\n[CPU Usage]\r\nEnabled=Yes\r\n[CPU #0 Usage]\r\nEnabled=Yes\r\n"));
    ASSERT_TRUE(Ready(program, 3));
    std::set<UINT> heights;   // of the newest 15 columns
    EXPECT_TRUE(Eventually([&] {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 150;) {}   // busy, then idle while the tray is served
        const auto found = std::find_if(tray.icons.begin(), tray.icons.end(), [](auto& i) { return i.second.tip[0] == 'C'; });
        const TrayCall& cpu = found != tray.icons.end() ? found->second : TrayCall{};
        heights.clear();
        for (UINT x = cpu.width > 16 ? cpu.width - 16 : 0, y = cpu.height - 1; x + 1 < cpu.width; heights.insert(cpu.height - 1 - y), ++x, y = cpu.height - 1)
            while (y > 0 && cpu.Pixel(x, y - 1) != 0x400040) --y;
        return heights.size() >= 3;
    })) << heights.size() << " heights";
}

// IconSize=Auto at 100 to 200 % (LogPixels, read at a process's start): every icon at the small-icon size of a
// DPI-aware program, as on Windows; without the key the resources at Wine's large-icon size, as ever.
TEST_F(E2e, EveryIconIsTheTaskbarsSmallIconSize) {
    const char *desktop = "Control Panel\\Desktop", *automatic = "IconSize=Auto\r\n";
    DWORD saved = 0, length = sizeof saved;
    const bool had = RegGetValueA(HKEY_CURRENT_USER, desktop, "LogPixels", RRF_RT_REG_DWORD, nullptr, &saved, &length) == 0;
    const struct { DWORD dpi; const char* key; UINT size; } cases[] = {{144, automatic, 24}, {144, "", 48}, {96, automatic, 16},
                                                                        {120, automatic, 20}, {192, automatic, 32}};
    for (const auto& c : cases) {
        RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &c.dpi, sizeof c.dpi);
        const size_t from = (tray.icons.clear(), tray.calls.size());
        Program program(Settings(c.key));
        EXPECT_TRUE(Ready(program, 2));
        Eventually([] { return false; }, 1000);   // and the updates that follow
        std::set<std::pair<UINT, UINT>> sizes;
        for (size_t k = from; k < tray.calls.size(); ++k)
            if (tray.calls[k].width != 0) sizes.insert({tray.calls[k].width, tray.calls[k].height});
        EXPECT_EQ((std::set<std::pair<UINT, UINT>>{{c.size, c.size}}), sizes) << c.dpi << " DPI, " << c.key;
    }
    if (had) RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &saved, sizeof saved);
    else RegDeleteKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels");
}

// Apply killed at random moments, as from the task manager: each time the file is the old one or the new one,
// whole. 40 sections, nearly every key still to be added; the kills spread over three times an Apply's time.
TEST_F(E2e, ApplyKilledAtAnyMomentLeavesTheOldFileOrTheNew) {
    std::string old = kGeneral + kCorner, applied, damaged;
    for (int k = 1; k < 40; ++k) old += "[Unit " + std::to_string(k) + "]\r\n; by hand\r\nNote=" + std::string(220, '.') + "\r\n";
    Program program(old);
    DWORD start = 0;
    std::vector<DWORD> applyMs;   // of three Applies sent: each is done when the call returns
    std::mt19937 random(GetTickCount());
    int counts[3] = {};            // old, new, damaged
    for (int kill = -3; kill < 200; ++kill) {
        program.End(), program.Launch(old, "", program.folder);
        ASSERT_TRUE(Ready(program, 0));
        AtCorner();   // the rectangle Apply writes
        start = GetTickCount();
        if (kill < 0) {
            SendMessageTimeoutA(dialog, WM_COMMAND, IDC_APPLY, 0, SMTO_NORMAL, 20000, nullptr), applyMs.push_back(GetTickCount() - start);
            std::sort(applyMs.begin(), applyMs.end()), applied = program.Settings();
            continue;
        }
        const DWORD at = std::uniform_int_distribution<DWORD>(0, 3 * applyMs[1] + 5)(random);
        PostMessageA(dialog, WM_COMMAND, IDC_APPLY, 0);
        while (GetTickCount() - start < at) {}
        program.End();
        const std::string file = program.Settings();
        ++counts[file == old ? 0 : file == applied ? 1 : (damaged = file, 2)];
    }
    std::printf("Apply %lu ms; 200 kills: %d old, %d new, %d damaged\n", applyMs[1], counts[0], counts[1], counts[2]);
    EXPECT_EQ(0, counts[2]) << "old " << old.size() << " bytes, new " << applied.size() << ", one damaged " << damaged.size();
    EXPECT_TRUE(counts[0] > 0 && counts[1] > 0) << "the kills came too early or too late to tell";
}
