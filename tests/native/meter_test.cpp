#include <gtest/gtest.h>

#include <tuple>

#include "indicators/meter.h"

namespace {

std::tuple<int, int, int> C(Rgb colour) { return {colour.red, colour.green, colour.blue}; }

}  // namespace

TEST(Meter, BarHeightIsPercentOfThePaintedRows) {
    struct Case { int32_t percent, height, rows; };
    const Case cases[] = {
        {0, 32, 0}, {3, 32, 0}, {4, 32, 1}, {50, 32, 15}, {99, 32, 30}, {100, 32, 31},
        {50, 16, 7}, {100, 1, 0}, {100, 0, 0}, {100, -4, 0},
        {-1, 32, 0}, {-100, 32, 0}, {101, 32, 31}, {INT32_MAX, 32, 31}, {INT32_MIN, 32, 0},
        {100, INT32_MAX, INT32_MAX - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.rows, MeterBarHeight(c.percent, c.height)) << "percent " << c.percent << ", height " << c.height;
}

TEST(Meter, DynamicCpuColourRunsFromGreenToRed) {
    EXPECT_EQ(C({0, 255, 0}), C(DynamicCpuColour(0))) << "0%";
    EXPECT_EQ(C({2, 253, 0}), C(DynamicCpuColour(1))) << "1%";
    EXPECT_EQ(C({127, 128, 0}), C(DynamicCpuColour(50))) << "50%";
    EXPECT_EQ(C({255, 0, 0}), C(DynamicCpuColour(100))) << "100%";
    EXPECT_EQ(C({255, 0, 0}), C(DynamicCpuColour(250))) << "over 100% counts as 100%";
    EXPECT_EQ(C({0, 255, 0}), C(DynamicCpuColour(-20))) << "below 0% counts as 0%";
}

TEST(Meter, StyleFollowsKindAndOptions) {
    GlobalOptions options{};
    uint8_t* colours[] = {&options.Color_cpu_red, &options.Color_cpu_green, &options.Color_cpu_blue,
                          &options.Color_ram_red, &options.Color_ram_green, &options.Color_ram_blue,
                          &options.Color_vram_red, &options.Color_vram_green, &options.Color_vram_blue,
                          &options.Color_background_red, &options.Color_background_green,
                          &options.Color_background_blue};
    uint8_t next = 1;
    for (uint8_t* colour : colours) *colour = next++;
    Unit unit{};
    unit.value = 50;
    struct Case { uint32_t kind; int dynamic; bool hasBar; Rgb bar; const char* what; };
    const Case cases[] = {
        {UNIT_CPU, 0, true, {1, 2, 3}, "fixed CPU colour"},
        {UNIT_CPU, 1, true, {127, 128, 0}, "dynamic CPU colour"},
        {UNIT_RAM, 1, true, {4, 5, 6}, "RAM ignores the dynamic flag"},
        {UNIT_VRAM, 1, true, {7, 8, 9}, "virtual RAM"},
        {UNIT_NIC, 1, false, {}, "network"}, {DRIVE_FIXED, 1, false, {}, "drive"},
        {DRIVE_NO_ROOT_DIR, 1, false, {}, "physical drive"}, {DRIVE_UNKNOWN, 1, false, {}, "unknown"},
    };
    for (const Case& c : cases) {
        unit.kind = c.kind;
        options.Color_cpu_dynamic = c.dynamic;
        MeterStyle style = MeterStyleFor(unit, options);
        EXPECT_EQ(50, style.percent) << c.what;
        EXPECT_EQ(c.hasBar, style.hasBar) << c.what;
        if (c.hasBar) { EXPECT_EQ(C(c.bar), C(style.bar)) << c.what; }
        EXPECT_EQ(C({10, 11, 12}), C(style.background)) << c.what;
    }
    // The text shows the value as it is, even outside 0..100.
    unit.kind = UNIT_CPU;
    unit.value = 140;
    MeterStyle style = MeterStyleFor(unit, options);
    EXPECT_EQ(140, style.percent);
    EXPECT_EQ(C({255, 0, 0}), C(style.bar)) << "140% coloured as 100%";
}

TEST(Meter, FontWidthsAreFractionsOfTheBitmapAndNeverZero) {
    struct Case { int32_t width, meter, overlay; };
    for (const Case& c : {Case{32, 8, 10}, Case{16, 4, 5}, Case{8, 2, 2}, Case{7, 1, 2}, Case{2, 1, 1},
                          Case{1, 1, 1}, Case{0, 1, 1}}) {
        EXPECT_EQ(c.meter, MeterFontWidth(c.width)) << c.width;
        EXPECT_EQ(c.overlay, OverlayFontWidth(c.width)) << c.width;
    }
}
