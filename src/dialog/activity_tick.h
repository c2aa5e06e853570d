#pragma once
// One tick of the activity timer: the icon set, a poll pass, the tray update.
#include "dialog/dialog_state.h"

// Loads the icon set first, so that a new set's resent tooltips carry figures
// the poll has just read. The pass may show the disk-counter warning, a modal
// box whose loop delivers further ticks (skipped) and the user's commands
// meanwhile: if the program quits or stops monitoring then, the update must
// not add the removed icons again.
void RunActivityTick(WindowHandle dialog, DialogState& state);
