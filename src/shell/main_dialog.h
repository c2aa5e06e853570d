#pragma once
// The main dialog: the program's one window and its spine. Its procedure
// handles initialisation, the commands, the unit list's notifications, the
// timers that drive sampling and the tray, and the tray icons' mouse messages.
#include <windows.h>

#include "platform/indicator_types.h"
#include "shell/shell_state.h"

// Timers of the dialog; their ticks arrive as WM_TIMER.
constexpr UINT_PTR kActivityTimer = 1025;
constexpr UINT_PTR kListRefreshTimer = 1026;
constexpr UINT_PTR kMeterTimer = 1027;
constexpr UINT_PTR kRefreshAllTimer = 1029;
constexpr UINT_PTR kStartupDelayTimer = 1031;   // ends the wait of a start-up launch
constexpr UINT kListRefreshPeriod = 5000;
constexpr UINT kRefreshAllPeriod = 60000;

constexpr UINT WM_TRAYICON = kTrayCallbackMessage;   // callback message of every tray icon (WM_USER + 6)
constexpr UINT WM_DEFERRED_START = WM_APP;  // posted once at the end of initialisation

// The window title before the makers' notice.
constexpr char kDialogTitle[] = "Blinkwatch V1.08 - The Blinkwatch developers";

// The dialog procedure. The initialisation parameter is the ShellState.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The text of the About box (build time and date first, then the notices).
void FormatAboutText(char* buffer, size_t size);
