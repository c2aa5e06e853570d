#include "platform/win32/icon_drawing.h"

#include <cstdio>

namespace {

constexpr char kFontFace[] = "Tahoma";
constexpr UINT kTextPlacement = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
constexpr Rgb kMeterTextColour{235, 235, 255};
constexpr Rgb kOverlayTextColour{235, 235, 235};

COLORREF ToColorRef(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

// The colour and mask bitmaps that GetIconInfo copies for its caller.
struct IconParts {
    ICONINFO info{};
    IconParts() = default;
    IconParts(const IconParts&) = delete;
    IconParts& operator=(const IconParts&) = delete;
    ~IconParts() {
        if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
        if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    }
};

// The text and its font: as high as the bitmap, and as wide as the bitmap's
// width divided by `widthDivisor` (never 0, which would ask for the font's
// own, far wider, default).
struct TextStyle {
    const char* text;
    LONG widthDivisor;
    Rgb colour;
};

// Draws the text centred in one line in `full` with a font as high as the
// bitmap; should the font not be made, with the DC's own font. False when the
// text was not drawn.
bool DrawCentredText(IconDrawingTools& tools, HDC dc, RECT full, const BITMAP& bitmap,
                     const TextStyle& style) {
    LONG width = bitmap.bmWidth / style.widthDivisor;
    HFONT font = tools.Font(bitmap.bmHeight, width > 0 ? width : 1);
    HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(style.colour));
    int height = DrawTextA(dc, style.text, -1, &full, kTextPlacement);
    if (font != nullptr) SelectObject(dc, previousFont);
    return height != 0;
}

// The frame both drawings share: copy the icon's bitmaps, paint the colour
// bitmap in a memory DC, draw the text and make a new icon with the same mask.
// Fills exclude the right and bottom edges, so the last column and row keep
// the base icon's pixels.
template <class Paint>
HICON DrawOnIconCopy(IconDrawingTools& tools, HICON icon, const TextStyle& text, Paint paint) {
    IconParts parts;
    if (!GetIconInfo(icon, &parts.info)) return nullptr;
    HDC dc = tools.Dc();
    if (dc == nullptr) return nullptr;
    BITMAP bitmap{};
    if (parts.info.hbmColor == nullptr ||
        GetObjectA(parts.info.hbmColor, sizeof bitmap, &bitmap) == 0)
        return nullptr;
    RECT full{0, 0, bitmap.bmWidth - 1, bitmap.bmHeight - 1};
    HGDIOBJ previous = SelectObject(dc, parts.info.hbmColor);
    if (previous == nullptr) return nullptr;
    paint(dc, full, bitmap.bmHeight);
    bool drawn = DrawCentredText(tools, dc, full, bitmap, text);
    bool restored = SelectObject(dc, previous) != nullptr;
    if (!drawn || !restored) return nullptr;
    HICON made = CreateIconIndirect(&parts.info);
    return made != nullptr ? made : icon;
}

void FillWith(HDC dc, const RECT& area, Rgb colour) {
    HBRUSH brush = CreateSolidBrush(ToColorRef(colour));
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

// One pixel column per sample, the newest in the last painted column; a brush
// is made only where the colour changes from the column before.
void PaintGraph(HDC dc, const RECT& full, int height, const MeterStyle& meter) {
    HBRUSH brush = nullptr;
    Rgb colour{};
    for (LONG i = 0; i < meter.columns; ++i) {
        const LONG x = full.right - meter.columns + i;
        if (x < 0) continue;
        if (brush == nullptr || !(meter.columnColour[i] == colour)) {
            if (brush != nullptr) DeleteObject(brush);
            colour = meter.columnColour[i];
            brush = CreateSolidBrush(ToColorRef(colour));
        }
        RECT column{x, (height - 1) - MeterBarRows(meter.columnPercent[i], height), x + 1, height - 1};
        FillRect(dc, &column, brush);
    }
    if (brush != nullptr) DeleteObject(brush);
}

}  // namespace

IconDrawingTools::~IconDrawingTools() {
    for (const SizedFont& sized : fonts_)
        if (sized.font != nullptr) DeleteObject(sized.font);
    if (dc_ != nullptr) DeleteDC(dc_);
}

HDC IconDrawingTools::Dc() {
    if (dc_ == nullptr) dc_ = CreateCompatibleDC(nullptr);
    return dc_;
}

HFONT IconDrawingTools::Font(LONG height, LONG width) {
    for (const SizedFont& sized : fonts_)
        if (sized.font != nullptr && sized.height == height && sized.width == width) return sized.font;
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfQuality = ANTIALIASED_QUALITY;
    std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", kFontFace);
    HFONT made = CreateFontIndirectA(&font);
    if (made == nullptr) return nullptr;
    // A free slot, or else the last one: no drawing holds a font when it ends.
    SizedFont* slot = &fonts_.back();
    for (SizedFont& sized : fonts_) {
        if (sized.font != nullptr) continue;
        slot = &sized;
        break;
    }
    if (slot->font != nullptr) DeleteObject(slot->font);
    *slot = {height, width, made};
    return made;
}

HICON DrawOverlayText(IconDrawingTools& tools, HICON icon, const char* text) {
    if (text == nullptr) return nullptr;
    TextStyle style{text, 3, kOverlayTextColour};
    return DrawOnIconCopy(tools, icon, style, [](HDC, const RECT&, int) {});
}

HICON DrawMeterIcon(IconDrawingTools& tools, HICON icon, const MeterStyle& meter) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", meter.percent);
    TextStyle style{number, 4, kMeterTextColour};
    return DrawOnIconCopy(tools, icon, style, [&meter](HDC dc, const RECT& full, int height) {
        FillWith(dc, full, meter.background);
        if (!meter.hasBar || height <= 1) return;
        if (meter.graph) return PaintGraph(dc, full, height, meter);
        RECT bar{0, (height - 1) - MeterBarRows(meter.barPercent, height), full.right, height - 1};
        FillWith(dc, bar, meter.bar);
    });
}

HICON MakeOpaqueIcon(const uint32_t* pixels, int size) {
    // Mask rows are padded to 16 bits; all zero: every pixel opaque.
    static constexpr int kLargest = 256;
    static const std::array<uint8_t, kLargest / 8 * kLargest> kOpaqueMask{};
    if (pixels == nullptr || size <= 0 || size > kLargest) return nullptr;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return nullptr;
    IconParts parts;
    parts.info.fIcon = TRUE;
    parts.info.hbmColor = CreateCompatibleBitmap(screen, size, size);
    parts.info.hbmMask = CreateBitmap(size, size, 1, 1, kOpaqueMask.data());
    BITMAPINFO format{};
    format.bmiHeader = {sizeof format.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const bool filled = parts.info.hbmColor != nullptr && parts.info.hbmMask != nullptr &&
                        SetDIBits(screen, parts.info.hbmColor, 0, size, pixels, &format, DIB_RGB_COLORS) == size;
    ReleaseDC(nullptr, screen);
    return filled ? CreateIconIndirect(&parts.info) : nullptr;
}
