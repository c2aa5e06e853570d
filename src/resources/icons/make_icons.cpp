// Writes the program's nine icons into a folder: the base designs at 32 x 32
// pixels, 256 colours, one image each, with an all-opaque mask.
//
//   make_icons OUTPUT_FOLDER
//
// The .ico files beside this source are its output; a test checks that they
// still are, byte for byte.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "indicators/icon_designs.h"

namespace {

constexpr int kSize = 32;

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
std::vector<uint8_t> IconFile(IconDesign design) {
    std::array<uint8_t, kSize * kSize> image{};
    DrawDesign(design, kSize, image.data());
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
        Rgb rgb = k < kDesignPalette.size() ? kDesignPalette[k] : Rgb{};
        out.push_back(rgb.blue); out.push_back(rgb.green); out.push_back(rgb.red); out.push_back(0);
    }
    for (int y = kSize - 1; y >= 0; --y) out.insert(out.end(), image.begin() + y * kSize, image.begin() + (y + 1) * kSize);
    out.insert(out.end(), kMask, 0);
    return out;
}

struct IconFileSpec {
    const char* fileName;
    IconDesign design;
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
        {"idle.ico", IconDesign::Idle},      // 147
        {"read.ico", IconDesign::Read},         // 137
        {"write.ico", IconDesign::Write},          // 138
        {"readwrite.ico", IconDesign::ReadWrite},   // 146
        {"alt_idle.ico", IconDesign::AltIdle},  // 107
        {"alt_read.ico", IconDesign::AltRead},   // 139
        {"alt_write.ico", IconDesign::AltWrite},  // 140
        {"alt_readwrite.ico", IconDesign::AltReadWrite},   // 141
        {"meter.ico", IconDesign::Meter},               // 148
    }};
    for (const IconFileSpec& icon : icons) {
        std::string path = std::string(argv[1]) + "/" + icon.fileName;
        if (!WriteFile(path, IconFile(icon.design))) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
