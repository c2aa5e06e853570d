#include <gtest/gtest.h>

#include "settings/option_rules.h"

TEST(OptionRules, PortBitBoxesMapToTheirMaskAndBit) {
    const struct { int id; bool write; uint8_t bit; } cases[] = {
        {114, false, 1}, {115, false, 2}, {120, false, 4}, {121, false, 8},
        {122, false, 16}, {123, false, 32}, {124, false, 64}, {125, false, 128},
        {135, true, 1}, {134, true, 2}, {128, true, 4}, {129, true, 8},
        {130, true, 16}, {131, true, 32}, {132, true, 64}, {133, true, 128},
    };
    for (const auto& c : cases) {
        const PortBitTarget target = FindPortBit(c.id);
        EXPECT_TRUE(target.found) << "id " << c.id;
        EXPECT_EQ(c.write, target.writeMask) << "id " << c.id;
        EXPECT_EQ(c.bit, target.bit) << "id " << c.id;
    }
    for (int id : {0, 103, 111, 113, 116, 119, 126, 127, 136, -1})
        EXPECT_FALSE(FindPortBit(id).found) << "id " << id;
}

TEST(OptionRules, ApplyingABoxSetsOrClearsOnlyItsBit) {
    Unit unit{};
    ApplyPortBitState(unit, 120, 1);   // "Read" 3
    EXPECT_EQ(4, unit.parallelPortReadMask);
    EXPECT_EQ(0, unit.parallelPortWriteMask);

    unit.parallelPortWriteMask = 0xFF;
    ApplyPortBitState(unit, 135, 0);   // "Write" 1
    EXPECT_EQ(4, unit.parallelPortReadMask);
    EXPECT_EQ(0xFE, unit.parallelPortWriteMask);

    ApplyPortBitState(unit, 134, 0);   // "Write" 2
    ApplyPortBitState(unit, 125, 1);   // "Read" 8
    EXPECT_EQ(0x84, unit.parallelPortReadMask);
    EXPECT_EQ(0xFC, unit.parallelPortWriteMask);

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
    GlobalOptions options{};
    options.ProcessorCount = 1;
    EXPECT_FALSE(KeyboardLedBoxEnabled(options));
    EXPECT_FALSE(StaticIconBoxEnabled(options));
    EXPECT_FALSE(MultiCpuBoxEnabled(options));
    options.KeyboardLED = 1;                  // without single icon mode: both stay disabled
    EXPECT_FALSE(KeyboardLedBoxEnabled(options));
    EXPECT_FALSE(StaticIconBoxEnabled(options));
    options.KeyboardLED = 0;
    options.SingleIconMode = 1;
    EXPECT_TRUE(KeyboardLedBoxEnabled(options));
    EXPECT_FALSE(StaticIconBoxEnabled(options));
    options.KeyboardLED = 1;
    EXPECT_TRUE(StaticIconBoxEnabled(options));
    options.ProcessorCount = 2;
    EXPECT_TRUE(MultiCpuBoxEnabled(options));
    options.ProcessorCount = 0;
    EXPECT_FALSE(MultiCpuBoxEnabled(options));
}

TEST(OptionRules, NumberRanges) {
    const struct { uint32_t typed; uint32_t poll; uint32_t meter; int32_t delay; } cases[] = {
        {0, 25, 25, 1},              // an empty box reads as 0
        {1, 25, 25, 1},
        {5, 25, 25, 5},
        {24, 25, 25, 24},
        {25, 25, 25, 25},
        {300, 300, 300, 300},
        {301, 301, 301, 300},
        {999, 999, 999, 300},
        {10000, 10000, 10000, 300},
        {10001, 10000, 10001, 300},
        {20000, 10000, 20000, 300},
        {30000, 10000, 30000, 300},
        {50000, 10000, 50000, 300},
        {60000, 10000, 50000, 300},
        {2147483647u, 10000, 50000, 300},
        {2147483648u, 10000, 50000, 1},   // negative when compared signed
        {4294967295u, 10000, 50000, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.poll, ClampPollInterval(c.typed)) << "typed " << c.typed;
        EXPECT_EQ(c.meter, ClampMeterInterval(c.typed)) << "typed " << c.typed;
        EXPECT_EQ(c.delay, ClampStartDelay(c.typed)) << "typed " << c.typed;
    }
}
