#pragma once
// What the indicators hand to the platform: the record of one tray call, the
// look of one load meter, and the keyboard event flags.
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/handles.h"

// Notification-area messages.
constexpr uint32_t kTrayAdd = 0;
constexpr uint32_t kTrayModify = 1;
constexpr uint32_t kTrayDelete = 2;

constexpr uint32_t kTrayCallbackMessage = 1030;   // WM_USER + 6: the icons' mouse messages to the dialog
constexpr size_t kTrayTipLength = 128;            // 127 characters and the terminating zero

// One tray call: the icon `id` of `window`, with its image and tooltip. The
// platform adds the record's size and flags and the callback message. A
// change with `tipOnly` leaves out the image, which the tray already shows:
// the shell's copy of an image is the dearest part of a change.
struct TrayRecord {
    WindowHandle window;
    uint32_t id;
    IconHandle icon;
    char tip[kTrayTipLength];
    bool tipOnly;   // a change (never an add) of the tooltip alone
};

struct Rgb {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

inline bool operator==(Rgb a, Rgb b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// The most samples a meter's graph holds: one per painted column of the
// widest meter icon the platform hands out (64 pixels, the last column unpainted).
constexpr size_t kMeterGraphColumns = 63;

// What one meter shows: a bar `barPercent` (0..100) of the icon's painted
// rows high, in `bar` on `background`, and the number `percent` on top.
// A graph instead of the bar shows `columns` samples, the newest in the
// rightmost painted column: each one pixel column `columnPercent` of the
// painted rows high in its `columnColour`; columns with no sample keep the background.
struct MeterStyle {
    int32_t percent;      // printed as it is
    int32_t barPercent;   // 0..100
    Rgb background;
    bool hasBar;          // false for kinds without a bar colour
    Rgb bar;
    bool graph;
    uint8_t columns;      // 0..kMeterGraphColumns, oldest first
    std::array<uint8_t, kMeterGraphColumns> columnPercent;
    std::array<Rgb, kMeterGraphColumns> columnColour;
};

// The rows of a meter's bar in an icon `height` pixels high: `barPercent` of
// the painted rows, truncated. The last row, like the last column, is never
// painted and keeps the base icon's pixels. 64-bit, so a tall icon stays exact.
constexpr int32_t MeterBarRows(int32_t barPercent, int32_t height) {
    return height <= 1 ? 0 : static_cast<int32_t>(int64_t{barPercent} * (height - 1) / 100);
}

inline bool operator==(const MeterStyle& a, const MeterStyle& b) {
    return a.percent == b.percent && a.barPercent == b.barPercent && a.background == b.background &&
           a.hasBar == b.hasBar && a.bar == b.bar && a.graph == b.graph && a.columns == b.columns &&
           a.columnPercent == b.columnPercent && a.columnColour == b.columnColour;
}

// Keyboard event flags.
constexpr uint32_t kKeyExtended = 1;
constexpr uint32_t kKeyUp = 2;
