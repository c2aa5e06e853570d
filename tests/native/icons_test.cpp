// The committed icons are exactly what their generator writes, and each is a
// 32 x 32, 256-colour, one-image icon with an all-opaque mask.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const kIconFiles[] = {"idle.ico", "read.ico", "write.ico", "readwrite.ico",
                                  "alt_idle.ico", "alt_read.ico", "alt_write.ico",
                                  "alt_readwrite.ico", "meter.ico"};

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

uint32_t Read16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
    return Read16(b, at) | Read16(b, at + 2) << 16;
}

}  // namespace

TEST(Icons, CommittedFilesAreTheGeneratorsOutputOneOpaque32x32ImageOf256Colours) {
    char folder[] = "/tmp/blinkwatch-icons-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    std::string command = std::string(MAKE_ICONS_PATH) + " " + folder;
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    for (const char* name : kIconFiles) {
        std::vector<uint8_t> made = ReadFile(std::string(folder) + "/" + name);
        std::vector<uint8_t> b = ReadFile(std::string(ICONS_FOLDER) + "/" + name);
        std::remove((std::string(folder) + "/" + name).c_str());
        EXPECT_TRUE(made == b) << name << " differs from the generator's output; run make_icons " << ICONS_FOLDER;
        ASSERT_EQ(2238u, b.size()) << name;
        EXPECT_EQ(1u, Read16(b, 2)) << name << ": an icon";
        EXPECT_EQ(1u, Read16(b, 4)) << name << ": one image";
        EXPECT_EQ(32, b[6]) << name;
        EXPECT_EQ(32, b[7]) << name;
        EXPECT_EQ(0, b[8]) << name << ": 256 colours";
        EXPECT_EQ(8u, Read16(b, 12)) << name << ": bits per pixel";
        EXPECT_EQ(2216u, Read32(b, 14)) << name;
        EXPECT_EQ(22u, Read32(b, 18)) << name;
        EXPECT_EQ(40u, Read32(b, 22)) << name << ": header size";
        EXPECT_EQ(64u, Read32(b, 30)) << name << ": colour and mask rows";
        EXPECT_EQ(8u, Read16(b, 36)) << name;
        const size_t mask = 22 + 40 + 1024 + 1024;
        for (size_t k = mask; k < b.size(); ++k) ASSERT_EQ(0, b[k]) << name << ": opaque at byte " << k;
    }
    std::remove(folder);
    // The meter base keeps a black last column and row under every meter.
    std::vector<uint8_t> meter = ReadFile(std::string(ICONS_FOLDER) + "/meter.ico");
    const size_t palette = 22 + 40, pixels = palette + 1024;
    for (int k = 0; k < 32; ++k) {
        uint8_t bottom = meter[pixels + k];              // row 31 is stored first
        uint8_t right = meter[pixels + k * 32 + 31];
        for (uint8_t index : {bottom, right})
            EXPECT_EQ(0u, Read32(meter, palette + index * 4u) & 0xFFFFFF) << "pixel " << k;
    }
}
