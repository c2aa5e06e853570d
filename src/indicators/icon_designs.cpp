#include "indicators/icon_designs.h"

#include <algorithm>
#include <cstdlib>

const std::array<Rgb, kDesignColourCount> kDesignPalette = {{
    {0, 0, 0}, {255, 255, 255}, {223, 223, 223}, {192, 192, 192}, {128, 128, 128},
    {0, 176, 0}, {208, 0, 0}, {240, 208, 0}, {0, 0, 128},
    {0, 255, 0}, {0, 72, 0}, {255, 40, 40}, {88, 0, 0},
    {0, 160, 0}, {224, 0, 0},
}};

namespace {

// A length of the 32-pixel design at `size`, rounded to the nearest pixel.
int Scaled(int length, int size) { return (length * size + 16) / 32; }

struct Canvas {
    int size;
    uint8_t* pixels;
    void Put(int x, int y, DesignColour colour) {   // a box of a tiny design may reach past the edge
        if (x >= 0 && y >= 0 && x < size && y < size) pixels[static_cast<size_t>(y) * size + x] = colour;
    }
};

// A flat square of `fill` in a grey frame that is raised outside and sunken
// inside, lit from the top left. The outer edge, the grey ring and the inner
// edge stay one pixel wide; the face band between them scales.
void BevelledSquare(Canvas& canvas, DesignColour fill) {
    const int last = canvas.size - 1, face = std::max(1, Scaled(2, canvas.size));
    for (int y = 0; y < canvas.size; ++y)
        for (int x = 0; x < canvas.size; ++x) {
            const int depth = std::min(std::min(x, y), std::min(last - x, last - y));
            const bool farSide = x + depth == last || y + depth == last;   // right or bottom edge
            DesignColour colour = fill;
            if (depth == 0) colour = farSide ? kBlack : kWhite;
            else if (depth == 1) colour = farSide ? kShadowGrey : kLightGrey;
            else if (depth <= 1 + face) colour = kFaceGrey;
            else if (depth == 2 + face) colour = farSide ? kWhite : kShadowGrey;
            canvas.Put(x, y, colour);
        }
}

// A box with a one-pixel frame between the rows of the 32-pixel design.
void FillBox(Canvas& canvas, int top, int bottom, DesignColour frame, DesignColour fill) {
    const int left = Scaled(4, canvas.size), right = canvas.size - 1 - Scaled(5, canvas.size);
    top = Scaled(top, canvas.size), bottom = Scaled(bottom, canvas.size);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const bool edge = y == top || y == bottom || x == left || x == right;
            canvas.Put(x, y, edge ? frame : fill);
        }
}

// Two bars on black: the upper one green (reading), the lower one red (writing).
void StackedBars(Canvas& canvas, bool readLit, bool writeLit) {
    FillBox(canvas, 4, 13, kShadowGrey, readLit ? kLitGreen : kDarkGreen);
    FillBox(canvas, 17, 26, kShadowGrey, writeLit ? kLitRed : kDarkRed);
}

// A green square crossed by a red X, with a black last column and row, which
// a meter drawn on it keeps. The X's lines are three pixels wide from 24
// pixels on, one below.
void CrossedSquare(Canvas& canvas) {
    const int last = canvas.size - 1, halfWidth = (canvas.size + 8) / 32;
    for (int y = 0; y < last; ++y)
        for (int x = 0; x < last; ++x) {
            const bool onCross = std::abs(x - y) <= halfWidth || std::abs(x + y - (last - 1)) <= halfWidth;
            canvas.Put(x, y, onCross ? kMeterRed : kMeterGreen);
        }
}

}  // namespace

void DrawDesign(IconDesign design, int size, uint8_t* indices) {
    if (size < 1) return;
    Canvas canvas{size, indices};
    std::fill(indices, indices + static_cast<size_t>(size) * size, kBlack);
    switch (design) {
    case IconDesign::Idle: BevelledSquare(canvas, kDarkBlue); break;
    case IconDesign::Read: BevelledSquare(canvas, kGreen); break;
    case IconDesign::Write: BevelledSquare(canvas, kRed); break;
    case IconDesign::ReadWrite: BevelledSquare(canvas, kYellow); break;
    case IconDesign::AltIdle: StackedBars(canvas, false, false); break;
    case IconDesign::AltRead: StackedBars(canvas, true, false); break;
    case IconDesign::AltWrite: StackedBars(canvas, false, true); break;
    case IconDesign::AltReadWrite: StackedBars(canvas, true, true); break;
    case IconDesign::Meter: CrossedSquare(canvas); break;
    }
}
