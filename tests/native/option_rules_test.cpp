// The sixteen boxes' ids and bits are pinned through the dialog in
// tests/wine/dialog_test.cpp; here the edges of the rules.
#include <gtest/gtest.h>

#include "settings/option_rules.h"

TEST(OptionRules, PortBitBoxesChangeOnlyTheirBitAndNothingElse) {
    for (int id : {0, 103, 111, 113, 116, 119, 126, 127, 136, -1})
        EXPECT_FALSE(FindPortBit(id).found) << "id " << id;

    Unit unit{};
    unit.parallelPortReadMask = 0x84;
    unit.parallelPortWriteMask = 0xFC;
    // An indeterminate state and an id that is no bit box change nothing.
    ApplyPortBitState(unit, 120, 2);
    ApplyPortBitState(unit, 111, 1);
    ApplyPortBitState(unit, 133, -1);
    EXPECT_EQ(0x84, unit.parallelPortReadMask);
    EXPECT_EQ(0xFC, unit.parallelPortWriteMask);

    EXPECT_TRUE(PortBitChecked(0x84, 2));
    EXPECT_TRUE(PortBitChecked(0x84, 7));
    EXPECT_FALSE(PortBitChecked(0x84, 0));
    EXPECT_FALSE(PortBitChecked(0xFF, 8));
    EXPECT_FALSE(PortBitChecked(0xFF, -1));
}

TEST(OptionRules, EnablingRules) {
    const struct { int32_t single, led; uint32_t cpus; bool ledBox, staticBox, multiBox; } cases[] = {
        {0, 0, 1, false, false, false}, {0, 1, 2, false, false, true}, {1, 0, 0, true, false, false},
        {1, 1, 1, true, true, false},
    };
    for (const auto& c : cases) {
        GlobalOptions options{};
        options.SingleIconMode = c.single;
        options.KeyboardLED = c.led;
        options.ProcessorCount = c.cpus;
        SCOPED_TRACE(testing::Message() << "single " << c.single << " led " << c.led << " cpus " << c.cpus);
        EXPECT_EQ(c.ledBox, KeyboardLedBoxEnabled(options));
        EXPECT_EQ(c.staticBox, StaticIconBoxEnabled(options));
        EXPECT_EQ(c.multiBox, MultiCpuBoxEnabled(options));
    }
}

TEST(OptionRules, NumberRanges) {
    const struct { uint32_t typed; uint32_t poll; uint32_t meter; int32_t delay; } cases[] = {
        {0, 25, 25, 1},   // an empty box reads as 0
        {24, 25, 25, 24},
        {25, 25, 25, 25},
        {300, 300, 300, 300},
        {301, 301, 301, 300},
        {10000, 10000, 10000, 300},
        {10001, 10000, 10001, 300},
        {50000, 10000, 50000, 300},
        {50001, 10000, 50000, 300},
        {2147483647u, 10000, 50000, 300},
        {2147483648u, 10000, 50000, 1},   // negative when compared signed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.poll, ClampPollInterval(c.typed)) << "typed " << c.typed;
        EXPECT_EQ(c.meter, ClampMeterInterval(c.typed)) << "typed " << c.typed;
        EXPECT_EQ(c.delay, ClampStartDelay(c.typed)) << "typed " << c.typed;
    }
}
