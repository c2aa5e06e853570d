#pragma once
// Icons drawn at run time with GDI: a base icon with a Unit's character on it,
// and the load meters. Both draw on a copy of the given icon's colour bitmap
// at its own size and keep its mask, so a new icon is exactly as transparent
// as the one it was drawn on.
#include <windows.h>

#include <array>

#include "platform/indicator_types.h"

// What every drawing uses and none changes: a memory device context and the
// fonts by size. Each is made at the first drawing that needs it and kept,
// since a meter is redrawn on every change of its load, and making a font and
// fitting it to the DC is the dearest step of a drawing; all are released
// with the object.
class IconDrawingTools {
public:
    IconDrawingTools() = default;
    ~IconDrawingTools();
    IconDrawingTools(const IconDrawingTools&) = delete;
    IconDrawingTools& operator=(const IconDrawingTools&) = delete;

    HDC Dc();                              // null when none can be made
    HFONT Font(LONG height, LONG width);   // null when none can be made

private:
    struct SizedFont {
        LONG height, width;
        HFONT font;
    };
    HDC dc_ = nullptr;
    std::array<SizedFont, 4> fonts_{};     // icons come in one or two sizes
};

// A copy of `icon` with `text` centred on it in one line. `icon` is left
// intact. Null on failure; `icon` itself when only the final icon creation
// failed. The caller owns a new icon.
HICON DrawOverlayText(IconDrawingTools& tools, HICON icon, const char* text);

// A load meter on a copy of `icon`: the background, a bar rising from the
// bottom and the percentage. Null on failure; `icon` itself when only the
// final icon creation failed. `icon` is not released here: the presenter
// releases the meter it replaces, because only it knows which icons are shared.
HICON DrawMeterIcon(IconDrawingTools& tools, HICON icon, const MeterStyle& style);

// A new icon of `size` x `size` pixels from 0xRRGGBB values, row by row from
// the top, with an all-opaque mask; its colour bitmap is compatible with the
// screen, like a loaded icon's, so that the drawings above work on it. Null
// on failure, or for a size above 256. The caller owns it.
HICON MakeOpaqueIcon(const uint32_t* pixels, int size);
