#pragma once
// The geometry and colours of a load meter icon, and of the overlay text.
// Only the painting itself is platform code; everything it measures or
// chooses is decided here.
#include <cstdint>

#include "platform/indicator_types.h"
#include "shell/global_options.h"
#include "units/unit.h"

// A load percentage brought into 0..100 for the bar and its colour. The
// samplers give 0..100; anything else must not draw outside the icon.
int32_t ClampPercent(int32_t percent);

// Rows of the bar in a bitmap `height` pixels high: percent x (height - 1) / 100,
// truncated; 0 when either is 0 or less.
int32_t MeterBarHeight(int32_t percent, int32_t height);

// The CPU colour that follows the load: red percent x 255 / 100, green the rest.
Rgb DynamicCpuColour(int32_t percent);

// The background, bar colour and text of a Unit's meter from its kind and value.
MeterStyle MeterStyleFor(const Unit& unit, const GlobalOptions& options);

// Font cell widths: a quarter of the bitmap width for the meter's number, a
// third for the overlay character; never 0, which would ask the platform for
// its own (far too wide) default.
int32_t MeterFontWidth(int32_t bitmapWidth);
int32_t OverlayFontWidth(int32_t bitmapWidth);

constexpr Rgb kMeterTextColour{235, 235, 255};
constexpr Rgb kOverlayTextColour{235, 235, 235};
constexpr const char* kIconFontFace = "Tahoma";
constexpr uint32_t kIconTextFormat = 0x25;   // single line, centred both ways
constexpr uint8_t kIconFontQuality = 4;      // antialiased
