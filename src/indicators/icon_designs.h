#pragma once
// The nine base icon designs, drawn at any square size: the 32 x 32 resources
// are these designs at 32, and icons made at the taskbar's size are the same
// designs with their bands, boxes and lines placed for that size, never a
// stretched picture.
#include <array>
#include <cstdint>

#include "platform/indicator_types.h"

enum class IconDesign {
    Idle, Read, Write, ReadWrite,                   // a flat square in a bevelled frame
    AltIdle, AltRead, AltWrite, AltReadWrite,       // two stacked bars, lit or dark
    Meter,                                          // a green square crossed by a red X
};

enum DesignColour : uint8_t {
    kBlack, kWhite, kLightGrey, kFaceGrey, kShadowGrey,
    kGreen, kRed, kYellow, kDarkBlue,
    kLitGreen, kDarkGreen, kLitRed, kDarkRed,
    kMeterGreen, kMeterRed,
    kDesignColourCount
};

// The colour of each palette index.
extern const std::array<Rgb, kDesignColourCount> kDesignPalette;

// The design at `size` x `size` pixels into `indices` (size x size palette
// indices, row by row from the top). Nothing for a size below 1.
void DrawDesign(IconDesign design, int size, uint8_t* indices);
