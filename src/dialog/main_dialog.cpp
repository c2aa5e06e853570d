#include "dialog/main_dialog.h"

#include <shellapi.h>

#include <cstdio>

#include "dialog/dialog_actions.h"
#include "dialog/options_panel.h"
#include "dialog/unit_list_view.h"
#include "resources/icon_ids.h"
#include "resources/resource_ids.h"
#include "sampling/drive.h"
#include "sampling/poll_units.h"
#include "settings/run_value.h"
#include "settings/settings_file.h"
#include "units/unit_list.h"
#include "version.h"

namespace {

// Timers of the dialog; their ticks arrive as WM_TIMER.
constexpr UINT_PTR kActivityTimer = 1025;
constexpr UINT_PTR kListRefreshTimer = 1026;
constexpr UINT_PTR kMeterTimer = 1027;
constexpr UINT_PTR kRefreshAllTimer = 1029;
constexpr UINT_PTR kStartupDelayTimer = 1031;   // ends the wait of a start-up launch
constexpr UINT kListRefreshPeriod = 5000;
constexpr UINT kRefreshAllPeriod = 60000;

constexpr char kDialogTitle[] = "Blinkwatch V" BLINKWATCH_VERSION " - The Blinkwatch developers";
// The icon of the title bar and the task button: both bars lit.
constexpr int kApplicationIcon = IDI_ALT_READWRITE;

// The project's web address as the build names it, empty when it names none;
// the online help page lives under its documentation path.
constexpr char kWebAddress[] = BLINKWATCH_WEB_ADDRESS;
constexpr char kHelpPath[] = "/documentation/Blinkwatch/index.html";
// The user guide that the release puts beside the program.
constexpr char kGuideFileName[] = "Blinkwatch.html";

DialogState& StateOf(HWND dialog) {
    return *reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

WindowHandle Handle(HWND dialog) { return reinterpret_cast<WindowHandle>(dialog); }

BOOL OnInitDialog(HWND dialog, DialogState& state) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    state.keepHidden = state.StartupLaunch;
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(kApplicationIcon));
    SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    PostMessageA(dialog, WM_COMMAND, IDC_START, 0);
    SetWindowTextA(dialog, kDialogTitle);
    BuildSettingsPath(*state.os, state.options);
    state.firstPaintPending = true;
    LoadSettings(*state.os, state.CurrentUnit, state.options);
    FillUnitList(GetDlgItem(dialog, IDC_UNIT_LIST), state.CurrentUnit);
    RefreshOptionsPanel(dialog, state.CurrentUnit, &state.options);
    PostMessageA(dialog, WM_DEFERRED_START, 0, 0);
    return TRUE;
}

void KillMonitoringTimers(HWND dialog) {
    KillTimer(dialog, kActivityTimer);
    KillTimer(dialog, kListRefreshTimer);
    KillTimer(dialog, kMeterTimer);
}

// The Start button toggles monitoring: a full stop, and from stopped a start.
// The periods are read only here, so a changed interval acts at the next start.
void OnStart(HWND dialog, DialogState& state) {
    KillMonitoringTimers(dialog);
    RemoveTrayIcons(*state.os, Handle(dialog), state.CurrentUnit);
    SetDlgItemTextA(dialog, IDC_START, "Enable");
    state.monitoring = !state.monitoring;
    if (!state.monitoring) return;
    PrepareMonitoringStart(state);
    const GlobalOptions& options = state.options;
    state.timerIds = {SetTimer(dialog, kActivityTimer, options.Pollinterval, nullptr),
                      SetTimer(dialog, kListRefreshTimer, kListRefreshPeriod, nullptr),
                      SetTimer(dialog, kMeterTimer, options.Pollintervalmeters, nullptr),
                      SetTimer(dialog, kRefreshAllTimer, kRefreshAllPeriod, nullptr)};
    SetDlgItemTextA(dialog, IDC_START, "Disable");
}

// Everything is written, the dialog's normal rectangle as it is now.
void OnApply(HWND dialog, DialogState& state) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (GetWindowPlacement(dialog, &placement)) {
        state.options.WindowPosLeft = placement.rcNormalPosition.left;
        state.options.WindowPosTop = placement.rcNormalPosition.top;
        state.options.WindowPosRight = placement.rcNormalPosition.right;
        state.options.WindowPosBottom = placement.rcNormalPosition.bottom;
    }
    ApplySettings(Handle(dialog), state);
}

// Where updates, alternatives and reports are found: on the project's web
// site when the build names one, otherwise where every user of the release
// can look: the page the zip came from, and programs that come with Windows.
void FormatAddressLines(char (&text)[1024]) {
    if (kWebAddress[0] == '\0') {
        std::snprintf(text, sizeof text,
                      "Updates: where you downloaded Blinkwatch\n"
                      "Alternatives (both part of Windows):\n   Task Manager: processor and memory load\n"
                      "   Performance Monitor: disk and network counters\n\n"
                      "Please send reports and suggestions through\nthe page you downloaded Blinkwatch from");
        return;
    }
    std::snprintf(text, sizeof text,
                  "Updates: %s\n"
                  "Alternatives:\n   %s/alternatives/monitors.html\n   %s/alternatives/leds.html\n\n"
                  "Please send reports and suggestions through %s/contact.html",
                  kWebAddress, kWebAddress, kWebAddress, kWebAddress);
}

void OnAbout(HWND dialog) {
    char addresses[1024];
    FormatAddressLines(addresses);
    char text[4096];
    std::snprintf(text, sizeof text,
                  "Blinkwatch: Compiled: %s, %s\n\n"
                  "Special thanks to:\n"
                  "Beta testing:\n   everyone who ran the early builds\n"
                  "Suggestions:\n   the users who wrote in with ideas\n"
                  "Others:\n   the mingw-w64 and Wine projects\n"
                  "And last but not least\n   you, for using Blinkwatch\n\n"
                  "Blinkwatch is made by the Blinkwatch developers.\n"
                  "Guide: %s, beside the program\n%s",
                  __TIME__, __DATE__, kGuideFileName, addresses);
    MessageBoxA(dialog, text, "About Blinkwatch V" BLINKWATCH_VERSION, MB_ICONINFORMATION);
}

// Opens the guide beside the program when it is there, else the web page
// when the build names a web address, else nothing. A failure to open stays
// silent.
void OnOnlineHelp(Os& os) {
    char target[kPathLength];
    if (!BuildPathBesideProgram(os, kGuideFileName, target) || GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES) {
        if (kWebAddress[0] == '\0') return;
        std::snprintf(target, sizeof target, "%s%s", kWebAddress, kHelpPath);
    }
    ShellExecuteA(GetActiveWindow(), "open", target, nullptr, nullptr, SW_SHOW);
}

// A hidden window stays hidden until the user asks for it, also when the
// dialog manager would show it for the first time later on.
void SetVisible(HWND dialog, DialogState& state, bool visible) {
    state.visible = visible;
    state.keepHidden = !visible;
    if (!visible) {
        ShowWindow(dialog, SW_HIDE);
        return;
    }
    // Bring the window up in front: the tray click came from the shell, so
    // the program is allowed to take the foreground.
    SetForegroundWindow(dialog);
    ShowWindow(dialog, SW_SHOWNORMAL);
}

BOOL OnCommand(HWND dialog, DialogState& state, WPARAM wParam) {
    const int id = LOWORD(wParam);
    switch (id) {
    case IDC_APPLY:
        OnApply(dialog, state);
        return TRUE;
    case IDC_QUIT:
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    case IDC_ABOUT:
        OnAbout(dialog);
        return TRUE;
    case IDC_START:
        OnStart(dialog, state);
        return FALSE;
    case IDC_START_WITH_OS:
        state.options.StartWithOs = IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0;
        UpdateRunValue(*state.os, state.options.StartWithOs == 1);
        return FALSE;
    case IDC_HIDE:
        SetVisible(dialog, state, false);
        return FALSE;
    case IDC_ONLINE_HELP:
        OnOnlineHelp(*state.os);
        return FALSE;
    default:
        OnOptionCommand(dialog, id, HIWORD(wParam), state.CurrentUnit, state.options);
        return FALSE;
    }
}

// The wait of a start-up launch is over: stop and start monitoring again, as
// two presses of the Start button would.
void OnStartupDelayOver(HWND dialog, DialogState& state) {
    KillTimer(dialog, kStartupDelayTimer);
    state.startupDelayPending = false;
    PostMessageA(dialog, WM_COMMAND, IDC_START, 0);
    PostMessageA(dialog, WM_COMMAND, IDC_START, 0);
}

void OnTimer(HWND dialog, DialogState& state, WPARAM timer) {
    const auto& ids = state.timerIds;
    if (timer == ids[0]) {
        RunActivityTick(Handle(dialog), state);
    } else if (timer == ids[1]) {
        // The list shows the drives' free space, which passes ask only for tooltips.
        if (IsWindowVisible(dialog)) RefreshFreeSpace(*state.os, state.CurrentUnit);
        RefreshUnitList(dialog, state.CurrentUnit);
    } else if (timer == ids[2]) {
        MarkSamplesDue(state.CurrentUnit, state.options);
    } else if (timer == ids[3]) {
        WalkForward(state.CurrentUnit, [](Unit& unit) { unit.dirty = 1; });
    } else if (timer == kStartupDelayTimer && state.startupDelayPending) {
        OnStartupDelayOver(dialog, state);
    }
}

void OnTrayIcon(HWND dialog, DialogState& state, LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        SetVisible(dialog, state, !state.visible);
    } else if (mouseMessage == WM_RBUTTONDBLCLK) {
        Beep(440, 50);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
}

// A start-up launch hides the window and waits before monitoring. The wait
// is a timer, not a sleep: the program keeps answering messages meanwhile.
// Monitoring, started by the Start command queued ahead of this message, is
// paused so that no icon appears before the wait is over.
void OnDeferredStart(HWND dialog, DialogState& state) {
    if (!state.StartupLaunch) return;
    SetVisible(dialog, state, false);
    KillMonitoringTimers(dialog);
    state.startupDelayPending = true;
    UINT delay = static_cast<UINT>(state.options.Startwithosdelay) * 1000u;
    // Without a timer the wait cannot end: start at once rather than never.
    if (SetTimer(dialog, kStartupDelayTimer, delay, nullptr) == 0) OnStartupDelayOver(dialog, state);
}

// The saved rectangle at the first paint. It is never made smaller than the
// dialog's own size from its template: a rectangle saved with other fonts, or
// a damaged one (right left of left), would cut off the buttons or hide the
// window altogether.
void OnFirstPaint(HWND dialog, DialogState& state) {
    if (!state.firstPaintPending) return;
    state.firstPaintPending = false;
    const GlobalOptions& options = state.options;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(dialog, &placement);
    const RECT& own = placement.rcNormalPosition;
    int64_t width = static_cast<int64_t>(own.right) - own.left;
    int64_t height = static_cast<int64_t>(own.bottom) - own.top;
    RECT saved = {options.WindowPosLeft, options.WindowPosTop, options.WindowPosRight,
                  options.WindowPosBottom};
    if (static_cast<int64_t>(saved.right) - saved.left < width)
        saved.right = static_cast<LONG>(saved.left + width);
    if (static_cast<int64_t>(saved.bottom) - saved.top < height)
        saved.bottom = static_cast<LONG>(saved.top + height);
    placement.rcNormalPosition = saved;
    SetWindowPlacement(dialog, &placement);
}

// The shell has a new tray, which may have lost every icon: the next update
// puts them back. While monitoring is stopped no update comes, and the single
// icon, which stays then, is put back at once.
void OnTaskbarCreated(HWND dialog, DialogState& state) {
    ForgetTrayIcons(state.CurrentUnit, state.presenter);
    RereadIconSize(state);
    if (!state.monitoring && !state.closing) RestoreSingleIcon(*state.os, Handle(dialog), state.presenter);
}

BOOL OnClose(HWND dialog, DialogState& state) {
    state.closing = true;
    KillMonitoringTimers(dialog);
    RemoveTrayIcons(*state.os, Handle(dialog), state.CurrentUnit);
    RemoveSingleIcon(*state.os, Handle(dialog), state.presenter);
    EndDialog(dialog, 0);
    return TRUE;
}

}  // namespace

void RegisterMainDialogClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefDlgProcA;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = MAIN_DIALOG_CLASS;
    RegisterClassA(&windowClass);
}

void ShowRunningDialog() {
    HWND running = FindWindowA(MAIN_DIALOG_CLASS, nullptr);
    if (running == nullptr) return;
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    // This launch was started by the user and may take the foreground: it
    // passes that on, for the running program to come to the front.
    AllowSetForegroundWindow(process);
    PostMessageA(running, RegisterWindowMessageA(kShowRequestMessageName), 0, 0);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog(dialog, *reinterpret_cast<DialogState*>(lParam));
    if (GetWindowLongPtrA(dialog, DWLP_USER) == 0) return FALSE;
    DialogState& state = StateOf(dialog);
    switch (message) {
    case WM_COMMAND:
        return OnCommand(dialog, state, wParam);
    case WM_NOTIFY:
        if (OnUnitListNotify(reinterpret_cast<const NMHDR*>(lParam), &state.CurrentUnit))
            RefreshOptionsPanel(dialog, state.CurrentUnit, &state.options);
        return FALSE;
    case WM_TIMER:
        OnTimer(dialog, state, wParam);
        return FALSE;
    case WM_TRAYICON:
        OnTrayIcon(dialog, state, lParam);
        return FALSE;
    case WM_DEFERRED_START:
        OnDeferredStart(dialog, state);
        return FALSE;
    case WM_PAINT:
        OnFirstPaint(dialog, state);
        return FALSE;
    case WM_WINDOWPOSCHANGING:
        // The dialog manager shows and activates a modal dialog when its queue
        // first runs empty; a start-up launch must stay hidden, and must not
        // take the keyboard from the user's window, until the user asks.
        if (state.keepHidden) {
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            position->flags = (position->flags & ~SWP_SHOWWINDOW) | SWP_NOACTIVATE;
        }
        return FALSE;
    case WM_CLOSE:
        return OnClose(dialog, state);
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
        RereadIconSize(state);
        return FALSE;
    default:
        if (state.taskbarCreatedMessage != 0 && message == state.taskbarCreatedMessage) {
            OnTaskbarCreated(dialog, state);
        } else if (state.showRequestMessage != 0 && message == state.showRequestMessage) {
            SetVisible(dialog, state, true);
        }
        return FALSE;
    }
}
