#pragma once
// The "Unit options" and "Global options" groups of the main dialog: the
// controls set from the current Unit and the global options, and each
// control's change written back to them in memory at once.
#include <windows.h>

#include "units/global_options.h"
#include "units/unit.h"

// Sets the controls. With a Unit: its tray and port boxes and its sixteen mask
// bits. With the options: the three enabling rules, the six global boxes and
// the three number boxes, whose change notifications bring their values into
// range through OnOptionCommand. Either may be null.
void RefreshOptionsPanel(HWND dialog, const Unit* unit, GlobalOptions* options);

// Copies the state of the port-bit box `controlId` into its bit of the Unit's
// read or write mask.
void ReadMaskCheckBox(HWND dialog, int controlId, Unit& unit);

// A command of an option control (`code` is its notification code): check
// boxes act on any notification, the three number boxes on EN_CHANGE only.
// The panel is shown again where a change enables or disables other boxes.
// False for an id that is no option control.
bool OnOptionCommand(HWND dialog, int id, int code, Unit* currentUnit, GlobalOptions& options);
