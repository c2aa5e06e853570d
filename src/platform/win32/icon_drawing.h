#pragma once
// Icons drawn at run time with GDI: a base icon with a Unit's character on it,
// and the load meters. Both draw on a copy of the given icon's colour bitmap
// at its own size and keep its mask, so a new icon is exactly as transparent
// as the one it was drawn on.
#include <windows.h>

#include "platform/indicator_types.h"

// A copy of `icon` with `text` centred on it in one line. `icon` is left
// intact. Null on failure; `icon` itself when only the final icon creation
// failed. The caller owns a new icon.
HICON DrawOverlayText(HICON icon, const char* text);

// A load meter on a copy of `icon`: the background, a bar rising from the
// bottom and the percentage. Null on failure; `icon` itself when only the
// final icon creation failed. `icon` is not released here: the presenter
// releases the meter it replaces, because only it knows which icons are shared.
HICON DrawMeterIcon(HICON icon, const MeterStyle& style);
