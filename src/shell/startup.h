#pragma once
// From the process entry to the running main dialog and back to an exit code.
#include <windows.h>

#include "shell/shell_state.h"

// Exit codes of the process.
constexpr int kExitNormal = 0;
constexpr int kExitAlreadyRunningOrTooOld = 5;

// The checks the dialog runs first at initialisation: discovery (which may end
// the process with code 1), the Windows version gate (code 5), the class icon,
// and the queued Start command. Returns TRUE.
BOOL RunStartupChecks(HWND dialog, ShellState& state);

// The single instance guard, the start-up switch, the window class, the common
// controls and the modal main dialog. `commandTail` is lower-cased in place.
// Its result is the exit code.
int BlinkwatchMain(HINSTANCE instance, HINSTANCE previous, char* commandTail, int show,
                   ShellState& state);
