#pragma once
// From the process entry to the running main dialog and back to an exit code.
#include <windows.h>

#include "dialog/dialog_state.h"

// Exit codes of the process besides discovery's and the dialog's own.
constexpr int kExitAlreadyRunningOrTooOld = 5;

// The program proper: the single-instance guard (a second launch says so,
// has the running one show its window and ends), the start-up switch
// (`commandTail` is lower-cased in place), the start-up checks (discovery,
// which may end the program with code 1, and the Windows version gate, code
// 5), the window class, the common controls and the modal main dialog, whose
// result is the exit code.
int BlinkwatchMain(HINSTANCE instance, char* commandTail, DialogState& state);
