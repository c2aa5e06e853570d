#include <gtest/gtest.h>

#include "indicators/meter.h"

namespace {

void ExpectColour(Rgb expected, Rgb actual, const char* what) {
    EXPECT_EQ(expected.red, actual.red) << what;
    EXPECT_EQ(expected.green, actual.green) << what;
    EXPECT_EQ(expected.blue, actual.blue) << what;
}

GlobalOptions ColouredOptions() {
    GlobalOptions options{};
    options.Color_cpu_red = 1;
    options.Color_cpu_green = 2;
    options.Color_cpu_blue = 3;
    options.Color_ram_red = 4;
    options.Color_ram_green = 5;
    options.Color_ram_blue = 6;
    options.Color_vram_red = 7;
    options.Color_vram_green = 8;
    options.Color_vram_blue = 9;
    options.Color_background_red = 10;
    options.Color_background_green = 11;
    options.Color_background_blue = 12;
    return options;
}

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
        EXPECT_EQ(c.rows, MeterBarHeight(c.percent, c.height))
            << "percent " << c.percent << ", height " << c.height;
}

TEST(Meter, DynamicCpuColourRunsFromGreenToRed) {
    ExpectColour({0, 255, 0}, DynamicCpuColour(0), "0%");
    ExpectColour({2, 253, 0}, DynamicCpuColour(1), "1%");
    ExpectColour({127, 128, 0}, DynamicCpuColour(50), "50%");
    ExpectColour({255, 0, 0}, DynamicCpuColour(100), "100%");
    ExpectColour({255, 0, 0}, DynamicCpuColour(250), "over 100% counts as 100%");
    ExpectColour({0, 255, 0}, DynamicCpuColour(-20), "below 0% counts as 0%");
}

TEST(Meter, StyleFollowsKindAndOptions) {
    GlobalOptions options = ColouredOptions();
    Unit unit{};
    unit.value = 50;

    unit.kind = UNIT_CPU;
    MeterStyle style = MeterStyleFor(unit, options);
    EXPECT_EQ(50, style.percent);
    EXPECT_TRUE(style.hasBar);
    ExpectColour({1, 2, 3}, style.bar, "fixed CPU colour");
    ExpectColour({10, 11, 12}, style.background, "background");

    options.Color_cpu_dynamic = 1;
    ExpectColour({127, 128, 0}, MeterStyleFor(unit, options).bar, "dynamic CPU colour");

    unit.kind = UNIT_RAM;
    ExpectColour({4, 5, 6}, MeterStyleFor(unit, options).bar, "RAM ignores the dynamic flag");
    unit.kind = UNIT_VRAM;
    ExpectColour({7, 8, 9}, MeterStyleFor(unit, options).bar, "virtual RAM");

    for (uint32_t kind : {UNIT_NIC, DRIVE_FIXED, DRIVE_NO_ROOT_DIR, DRIVE_UNKNOWN}) {
        unit.kind = kind;
        style = MeterStyleFor(unit, options);
        EXPECT_FALSE(style.hasBar) << "kind " << kind;
        ExpectColour({10, 11, 12}, style.background, "background of a kind without a bar");
    }

    // The text shows the value as it is, even outside 0..100.
    unit.kind = UNIT_CPU;
    unit.value = 140;
    style = MeterStyleFor(unit, options);
    EXPECT_EQ(140, style.percent);
    ExpectColour({255, 0, 0}, style.bar, "140% coloured as 100%");
}

TEST(Meter, FontWidthsAreFractionsOfTheBitmapAndNeverZero) {
    EXPECT_EQ(8, MeterFontWidth(32));
    EXPECT_EQ(10, OverlayFontWidth(32));
    EXPECT_EQ(4, MeterFontWidth(16));
    EXPECT_EQ(5, OverlayFontWidth(16));
    for (int32_t width : {0, 1, 2}) {
        EXPECT_EQ(1, MeterFontWidth(width)) << width;
        EXPECT_EQ(1, OverlayFontWidth(width)) << width;
    }
    EXPECT_EQ(1, MeterFontWidth(7));
    EXPECT_EQ(2, MeterFontWidth(8));
}
