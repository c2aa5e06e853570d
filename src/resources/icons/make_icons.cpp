// Writes the program's nine icons into a folder: 32 x 32 pixels, 256 colours,
// one image each, with an all-opaque mask.
//
//   make_icons OUTPUT_FOLDER
//
// The .ico files beside this source are its output; a test checks that they
// still are, byte for byte.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;

enum Colour : uint8_t {
    kBlack, kWhite, kLightGrey, kFaceGrey, kShadowGrey,
    kGreen, kRed, kYellow, kDarkBlue,
    kLitGreen, kDarkGreen, kLitRed, kDarkRed,
    kMeterGreen, kMeterRed,
    kColourCount
};

// Red, green, blue of each colour; the rest of the 256 palette entries are black.
constexpr std::array<std::array<uint8_t, 3>, kColourCount> kPalette = {{
    {0, 0, 0}, {255, 255, 255}, {223, 223, 223}, {192, 192, 192}, {128, 128, 128},
    {0, 176, 0}, {208, 0, 0}, {240, 208, 0}, {0, 0, 128},
    {0, 255, 0}, {0, 72, 0}, {255, 40, 40}, {88, 0, 0},
    {0, 160, 0}, {224, 0, 0},
}};

using Image = std::array<std::array<uint8_t, kSize>, kSize>;   // [row][column], row 0 on top

// A flat square of `fill` in a grey frame that is raised outside and sunken
// inside, lit from the top left.
Image BevelledSquare(Colour fill) {
    Image image{};
    const int last = kSize - 1;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            int depth = std::min(std::min(x, y), std::min(last - x, last - y));
            bool farSide = x + depth == last || y + depth == last;   // right or bottom edge
            Colour colour = fill;
            if (depth == 0) colour = farSide ? kBlack : kWhite;
            else if (depth == 1) colour = farSide ? kShadowGrey : kLightGrey;
            else if (depth <= 3) colour = kFaceGrey;
            else if (depth == 4) colour = farSide ? kWhite : kShadowGrey;
            image[y][x] = colour;
        }
    }
    return image;
}

void FillBox(Image& image, int top, int bottom, Colour frame, Colour fill) {
    for (int y = top; y <= bottom; ++y)
        for (int x = 4; x <= kSize - 6; ++x) {
            bool edge = y == top || y == bottom || x == 4 || x == kSize - 6;
            image[y][x] = edge ? frame : fill;
        }
}

// Two bars on black: the upper one green (reading), the lower one red (writing).
Image StackedBars(bool readLit, bool writeLit) {
    Image image{};
    FillBox(image, 4, 13, kShadowGrey, readLit ? kLitGreen : kDarkGreen);
    FillBox(image, 17, 26, kShadowGrey, writeLit ? kLitRed : kDarkRed);
    return image;
}

// A green square crossed by a red X, with a black last column and row, which
// a meter drawn on it keeps.
Image CrossedSquare() {
    Image image{};
    const int last = kSize - 1;
    for (int y = 0; y < last; ++y)
        for (int x = 0; x < last; ++x) {
            bool onCross = std::abs(x - y) <= 1 || std::abs(x + y - (last - 1)) <= 1;
            image[y][x] = onCross ? kMeterRed : kMeterGreen;
        }
    return image;
}

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// The .ico file of one 8-bit image: directory, bitmap header, palette, pixels
// from the bottom row up, and a mask of zeros (every pixel opaque).
std::vector<uint8_t> IconFile(const Image& image) {
    constexpr uint32_t kHeader = 40, kColours = 256 * 4, kPixels = kSize * kSize;
    constexpr uint32_t kMask = kSize * (kSize / 8);
    std::vector<uint8_t> out;
    Put16(out, 0); Put16(out, 1); Put16(out, 1);                 // icon directory, one image
    out.push_back(kSize); out.push_back(kSize); out.push_back(0); out.push_back(0);
    Put16(out, 1); Put16(out, 8);                                // planes, bits per pixel
    Put32(out, kHeader + kColours + kPixels + kMask);
    Put32(out, 6 + 16);                                          // the image follows the entry
    Put32(out, kHeader); Put32(out, kSize); Put32(out, 2 * kSize);   // colour and mask rows
    Put16(out, 1); Put16(out, 8);
    Put32(out, 0); Put32(out, kPixels + kMask);
    for (int k = 0; k < 4; ++k) Put32(out, 0);
    for (size_t k = 0; k < 256; ++k) {
        std::array<uint8_t, 3> rgb = k < kPalette.size() ? kPalette[k] : std::array<uint8_t, 3>{};
        out.push_back(rgb[2]); out.push_back(rgb[1]); out.push_back(rgb[0]); out.push_back(0);
    }
    for (int y = kSize - 1; y >= 0; --y) out.insert(out.end(), image[y].begin(), image[y].end());
    out.insert(out.end(), kMask, 0);
    return out;
}

struct IconFileSpec {
    const char* fileName;
    Image image;
};

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_FOLDER\n");
        return 2;
    }
    const std::array<IconFileSpec, 9> icons = {{
        {"idle.ico", BevelledSquare(kDarkBlue)},      // 147
        {"read.ico", BevelledSquare(kGreen)},         // 137
        {"write.ico", BevelledSquare(kRed)},          // 138
        {"readwrite.ico", BevelledSquare(kYellow)},   // 146
        {"alt_idle.ico", StackedBars(false, false)},  // 107
        {"alt_read.ico", StackedBars(true, false)},   // 139
        {"alt_write.ico", StackedBars(false, true)},  // 140
        {"alt_readwrite.ico", StackedBars(true, true)},   // 141
        {"meter.ico", CrossedSquare()},               // 148
    }};
    for (const IconFileSpec& icon : icons) {
        std::string path = std::string(argv[1]) + "/" + icon.fileName;
        if (!WriteFile(path, IconFile(icon.image))) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
