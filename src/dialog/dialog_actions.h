#pragma once
// What the main dialog does that needs no window of its own: one tick of the
// activity timer, and Apply.
#include "dialog/dialog_state.h"

// Loads the icon set first, so that a new set's resent tooltips carry figures
// the poll has just read. The pass may show the disk-counter warning, a modal
// box whose loop delivers further ticks (skipped) and the user's commands
// meanwhile: if the program quits or stops monitoring then, the update must
// not add the removed icons again.
void RunActivityTick(WindowHandle dialog, DialogState& state);

// What each start of monitoring takes afresh, once every per-unit icon is
// removed: the tray ids (from the Units' names with StableTrayIds), empty
// meter graphs and the icon size.
void PrepareMonitoringStart(DialogState& state);

// Writes the settings file. A file that cannot be written (read-only, in a
// folder the user may not write to, held open by another program, on a full
// disk) is said, not passed over: the next start would quietly come back with
// the old settings. The box says what the user can do about it.
void ApplySettings(WindowHandle dialog, DialogState& state);

// Before the dialog exists: with IconSize=Auto in the settings file the
// process becomes DPI-aware, so that the dialog and the icons are made at
// the display's real size. Nothing else is asked of the platform otherwise.
void PrepareIconSize(DialogState& state);

// Chooses the icon size again: at each start of monitoring, and when the
// taskbar, the display or a system setting changed. The next tick makes
// every icon again when the size differs.
void RereadIconSize(DialogState& state);
