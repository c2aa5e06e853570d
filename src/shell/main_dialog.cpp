#include "shell/main_dialog.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cstdio>

#include "indicators/tray_presenter.h"
#include "resources/resource_ids.h"
#include "sampling/poll_units.h"
#include "settings/options_panel.h"
#include "shell/run_value.h"
#include "settings/settings_file.h"
#include "settings/unit_list_view.h"
#include "shell/main_dialog_options.h"
#include "shell/startup.h"
#include "units/unit_list.h"

namespace {

// The project's web site; the online help lives under its documentation path.
constexpr char kWebSite[] = "http://www.blinkwatch.example";
constexpr char kHelpPath[] = "/documentation/Blinkwatch/index.html";

ShellState& StateOf(HWND dialog) {
    return *reinterpret_cast<ShellState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

WindowHandle Handle(HWND dialog) { return reinterpret_cast<WindowHandle>(dialog); }

void BuildSettingsPath(GlobalOptions& options) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    path[MAX_PATH - 1] = '\0';   // a path of MAX_PATH characters comes back unterminated
    PathRemoveFileSpecA(path);
    PathAppendA(path, "Blinkwatch.ini");
    std::snprintf(options.SettingsPath, sizeof options.SettingsPath, "%s", path);
}

BOOL OnInitDialog(HWND dialog, ShellState& state) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    state.keepHidden = state.StartupLaunch != 0;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    state.options.ProcessorCount = info.dwNumberOfProcessors;
    RunStartupChecks(dialog, state);
    SetWindowTextA(dialog, kDialogTitle);
    BuildSettingsPath(state.options);
    state.options.DialogWindow = Handle(dialog);
    state.options.FirstPaintPending = 1;
    LoadSettings(*state.os, &state.CurrentUnit, &state.options);
    RefreshOptionsPanel(dialog, &state.CurrentUnit, &state.options, state.panel);
    PostMessageA(dialog, WM_DEFERRED_START, 0, 0);
    return TRUE;
}

void KillMonitoringTimers(HWND dialog) {
    KillTimer(dialog, kActivityTimer);
    KillTimer(dialog, kListRefreshTimer);
    KillTimer(dialog, kMeterTimer);
}

// The Start button toggles monitoring: a full stop, and from stopped a start.
void OnStart(HWND dialog, ShellState& state) {
    KillMonitoringTimers(dialog);
    RemoveTrayIcons(*state.os, Handle(dialog), &state.CurrentUnit);
    SetDlgItemTextA(dialog, IDC_START, "Enable");
    state.MonitoringToggle = static_cast<int8_t>(state.MonitoringToggle + 1);
    if (state.MonitoringToggle > 1) {
        GlobalOptions& options = state.options;
        options.TimerIds[0] = static_cast<uint32_t>(SetTimer(dialog, kActivityTimer, options.Pollinterval, nullptr));
        options.TimerIds[1] = static_cast<uint32_t>(SetTimer(dialog, kListRefreshTimer, kListRefreshPeriod, nullptr));
        options.TimerIds[2] = static_cast<uint32_t>(SetTimer(dialog, kMeterTimer, options.Pollintervalmeters, nullptr));
        options.TimerIds[3] = static_cast<uint32_t>(SetTimer(dialog, kRefreshAllTimer, kRefreshAllPeriod, nullptr));
        state.MonitoringToggle = 0;
        SetDlgItemTextA(dialog, IDC_START, "Disable");
    }
}

void OnAbout(HWND dialog) {
    char text[4096];
    FormatAboutText(text, sizeof text);
    MessageBoxA(dialog, text, "About Blinkwatch V1.08", MB_ICONINFORMATION);
}

void OnOnlineHelp() {
    char address[256];
    std::snprintf(address, sizeof address, "%s%s", kWebSite, kHelpPath);
    ShellExecuteA(GetActiveWindow(), "open", address, nullptr, nullptr, SW_SHOW);
}

void SetVisible(HWND dialog, ShellState& state, bool visible) {
    state.options.VisibleState = visible ? 1 : 0;
    if (!visible) {
        ShowWindow(dialog, SW_HIDE);
        return;
    }
    state.keepHidden = false;
    // Bring the window up in front: the tray click came from the shell, so
    // the program is allowed to take the foreground.
    SetForegroundWindow(dialog);
    ShowWindow(dialog, SW_SHOWNORMAL);
}

BOOL OnCommand(HWND dialog, ShellState& state, WPARAM wParam) {
    int id = LOWORD(wParam);
    switch (id) {
    case IDC_APPLY:
        SaveSettings(*state.os, &state.CurrentUnit, &state.options);
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
        state.options.StartWithOs = IsDlgButtonChecked(dialog, IDC_START_WITH_OS) == BST_CHECKED ? 1 : 0;
        UpdateRunValue(*state.os, state.options.StartWithOs == 1 ? 1 : 0);
        return FALSE;
    case IDC_HIDE:
        SetVisible(dialog, state, false);
        return FALSE;
    case IDC_ONLINE_HELP:
        OnOnlineHelp();
        return FALSE;
    default:
        DispatchOptionCommand(OptionCommand{dialog, id, HIWORD(wParam), &state.CurrentUnit,
                                            &state.options, &state.panel});
        return FALSE;
    }
}

// One poll pass and one tray update. The pass may show the disk-counter
// warning, a modal box during which the program quits or stops monitoring if
// the user says so: the update then must not add the removed icons again.
// Ticks that arrive while the box is open are skipped.
void OnActivityTick(HWND dialog, ShellState& state) {
    if (state.inActivityTick) return;
    state.inActivityTick = true;
    PollUnits(*state.os, &state.CurrentUnit, state.options, state.sampler);
    if (!state.closing && state.MonitoringToggle == 0)
        UpdateTrayIcons(*state.os, Handle(dialog), &state.CurrentUnit, &state.options, state.presenter);
    state.inActivityTick = false;
}

// The wait of a start-up launch is over: stop and start monitoring again, as
// two presses of the Start button would.
void OnStartupDelayOver(HWND dialog, ShellState& state) {
    KillTimer(dialog, kStartupDelayTimer);
    state.startupDelayPending = false;
    PostMessageA(dialog, WM_COMMAND, IDC_START, 0);
    PostMessageA(dialog, WM_COMMAND, IDC_START, 0);
}

void OnTimer(HWND dialog, ShellState& state, WPARAM timer) {
    const uint32_t* ids = state.options.TimerIds;
    if (timer == ids[0]) {
        OnActivityTick(dialog, state);
    } else if (timer == ids[1]) {
        RefreshUnitList(dialog, &state.CurrentUnit, &state.options);
    } else if (timer == ids[2]) {
        WalkAll(state.CurrentUnit, [](Unit& unit) {
            if (unit.kind == UNIT_CPU) unit.sampleDue = 1;
        });
    } else if (timer == ids[3]) {
        WalkForward(state.CurrentUnit, [](Unit& unit) { unit.dirty = 1; });
    } else if (timer == kStartupDelayTimer && state.startupDelayPending) {
        OnStartupDelayOver(dialog, state);
    }
}

void OnTrayIcon(HWND dialog, ShellState& state, LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        SetVisible(dialog, state, state.options.VisibleState != 1);
    } else if (mouseMessage == WM_RBUTTONDBLCLK) {
        Beep(440, 50);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
}

// A start-up launch hides the window and waits before monitoring. The wait
// is a timer, not a sleep: the program keeps answering messages meanwhile.
// Monitoring, started by the Start command queued ahead of this message, is
// paused so that no icon appears before the wait is over.
void OnDeferredStart(HWND dialog, ShellState& state) {
    if (state.StartupLaunch == 0) return;
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
void OnFirstPaint(HWND dialog, GlobalOptions& options) {
    if (options.FirstPaintPending != 1) return;
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
    options.FirstPaintPending = 0;
}

BOOL OnClose(HWND dialog, ShellState& state) {
    state.closing = true;
    KillTimer(dialog, kActivityTimer);
    KillTimer(dialog, kListRefreshTimer);
    RemoveTrayIcons(*state.os, Handle(dialog), &state.CurrentUnit);
    RemoveSingleIcon(*state.os, Handle(dialog), state.presenter);
    EndDialog(dialog, 0);
    return TRUE;
}

// The shell has (re)started with an empty tray: forget what was added, so the
// next update adds every icon again.
void OnTaskbarCreated(ShellState& state) {
    WalkAll(state.CurrentUnit, [](Unit& unit) { unit.trayIconAdded = 0; });
    state.presenter.singleIconShown = 0;
}

}  // namespace

void FormatAboutText(char* buffer, size_t size) {
    std::snprintf(buffer, size,
                  "Blinkwatch: Compiled: %s, %s\n\n"
                  "Special thanks to:\n"
                  "Beta testing:\n   everyone who ran the early builds\n"
                  "Suggestions:\n   the users who wrote in with ideas\n"
                  "Others:\n   the mingw-w64 and Wine projects\n"
                  "And last but not least\n   you, for using Blinkwatch\n\n"
                  "Blinkwatch is made by the Blinkwatch developers.\n"
                  "Updates: %s\n"
                  "Alternatives:\n   %s/alternatives/monitors.html\n   %s/alternatives/leds.html\n\n"
                  "Please send reports and suggestions through %s/contact.html",
                  __TIME__, __DATE__, kWebSite, kWebSite, kWebSite, kWebSite);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog(dialog, *reinterpret_cast<ShellState*>(lParam));
    if (GetWindowLongPtrA(dialog, DWLP_USER) == 0) return FALSE;
    ShellState& state = StateOf(dialog);
    switch (message) {
    case WM_COMMAND:
        return OnCommand(dialog, state, wParam);
    case WM_NOTIFY:
        return OnUnitListNotify(dialog, reinterpret_cast<const NMHDR*>(lParam), &state.CurrentUnit,
                                &state.options, state.panel);
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
        OnFirstPaint(dialog, state.options);
        return FALSE;
    case WM_WINDOWPOSCHANGING:
        // The dialog manager shows a modal dialog when its queue first runs
        // empty; a start-up launch must stay hidden until the user asks.
        if (state.keepHidden) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        return FALSE;
    case WM_CLOSE:
        return OnClose(dialog, state);
    default:
        if (state.taskbarCreatedMessage != 0 && message == state.taskbarCreatedMessage)
            OnTaskbarCreated(state);
        return FALSE;
    }
}
