#pragma once
// The main dialog: the program's one window and its spine. Its procedure
// handles initialisation, the commands, the unit list's notifications, the
// timers that drive sampling and the tray, and the tray icons' mouse messages.
#include <windows.h>

#include "dialog/dialog_state.h"
#include "platform/indicator_types.h"

constexpr UINT WM_TRAYICON = kTrayCallbackMessage;   // every tray icon's mouse messages
constexpr UINT WM_DEFERRED_START = WM_APP;          // posted once at the end of initialisation
// Another launch asks for the window with this registered message: a fixed
// private one could come from any program.
constexpr char kShowRequestMessageName[] = "Blinkwatch: show the window";

// Registers the dialog's window class (the dialog manager's own procedure and
// extra bytes), which the template names.
void RegisterMainDialogClass(HINSTANCE instance);

// The dialog procedure. The initialisation parameter is the DialogState,
// whose options hold ProcessorCount and whose CurrentUnit is the discovered list.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// From another launch: asks the running program to show its window in front,
// even a start-up launch that keeps it hidden.
void ShowRunningDialog();
