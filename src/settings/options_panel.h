#pragma once
// The "Unit options" and "Global options" groups of the main dialog: setting
// the controls from the current Unit and the global options, and reading the
// sixteen port-bit boxes back into the Unit's masks.
#include <windows.h>

#include "shell/global_options.h"
#include "units/unit.h"

// The panel's process-wide state: the unit list is filled by the first
// refresh that has a Unit handle, once in the life of the dialog.
struct OptionsPanelState {
    int32_t unitListFilled;
};

// Sets the controls. With a Unit handle: fills the unit list on the first
// call, then shows the Unit's tray and port boxes and its sixteen mask bits
// (a null *unit fills an empty list and leaves these boxes alone). With the
// options: applies the three enabling rules, checks the six global boxes and
// writes the three number boxes, whose change notifications bring the values
// into range. Either pointer may be null. Returns 0.
int RefreshOptionsPanel(HWND dialog, Unit** unit, GlobalOptions* options,
                        OptionsPanelState& panel);

// Copies the state of the port-bit box `controlId` into its bit of the current
// Unit's read or write mask. Returns 0.
int ReadMaskCheckBox(HWND dialog, int controlId, Unit** currentUnit);
