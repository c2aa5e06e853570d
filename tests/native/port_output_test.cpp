#include <gtest/gtest.h>

#include <vector>

#include "fake_os.h"
#include "indicators/port_output.h"

namespace {

using Bytes = std::vector<int>;

Unit PortUnit(uint8_t readMask, uint8_t writeMask) {
    Unit unit{};
    unit.enabled = 1;
    unit.parallelPortEnabled = 1;
    unit.parallelPortReadMask = readMask;
    unit.parallelPortWriteMask = writeMask;
    return unit;
}

}  // namespace

TEST(ParallelPort, ReadThenWriteThenIdle) {
    FakeOs os;
    os.portLibraryPresent = true;
    PortState port{};
    Unit a = PortUnit(0x01, 0x02);

    a.activity = ACTIVITY_IDLE;
    EXPECT_EQ(0, WriteParallelPort(os, port, a));
    EXPECT_EQ(Bytes{}, os.portWrites) << "nothing is written before a line is first lit";

    for (int8_t state : {ACTIVITY_READ, ACTIVITY_WRITE, ACTIVITY_WRITE, ACTIVITY_IDLE, ACTIVITY_IDLE}) {
        a.activity = state;
        EXPECT_EQ(0, WriteParallelPort(os, port, a));
    }
    // The read line stays lit while the Unit only writes, until it is idle.
    EXPECT_EQ((Bytes{0x01, 0x03, 0x00}), os.portWrites);
    EXPECT_EQ((std::vector<int16_t>{0x378, 0x378, 0x378}), os.portAddresses);
    EXPECT_EQ((std::vector<std::string>{"inpout32.dll"}), os.portLibraryNames) << "loaded once";
    EXPECT_EQ((std::vector<std::string>{"Out32"}), os.portFunctionNames);

    a.activity = ACTIVITY_READWRITE;
    WriteParallelPort(os, port, a);
    a.activity = ACTIVITY_METER;   // a meter's state clears its lines like idle
    WriteParallelPort(os, port, a);
    EXPECT_EQ((Bytes{0x01, 0x03, 0x00, 0x03, 0x00}), os.portWrites);
}

TEST(ParallelPort, SharedLinesAndHeldStates) {
    FakeOs os;
    os.portLibraryPresent = true;
    PortState port{};
    Unit a = PortUnit(0x01, 0x10);
    Unit b = PortUnit(0x01, 0x20);

    // One update: A reads, then B, idle, clears the shared line again.
    a.activity = ACTIVITY_READ;
    b.activity = ACTIVITY_IDLE;
    WriteParallelPort(os, port, a);
    WriteParallelPort(os, port, b);
    EXPECT_EQ((Bytes{0x01, 0x00}), os.portWrites);

    // A read held poll after poll is written once.
    os.portWrites.clear();
    for (int poll = 0; poll < 5; ++poll) WriteParallelPort(os, port, a);
    EXPECT_EQ((Bytes{0x01}), os.portWrites);

    // B's writing adds its own line; A's read line stays.
    b.activity = ACTIVITY_WRITE;
    WriteParallelPort(os, port, b);
    EXPECT_EQ((Bytes{0x01, 0x21}), os.portWrites);
    EXPECT_EQ(0x01, port.readByte);
    EXPECT_EQ(0x20, port.writeByte);
    EXPECT_EQ(0x21, port.lastValue);
}

TEST(ParallelPort, WithoutTheLibraryNothingIsWrittenAndTheLoadIsRetried) {
    FakeOs os;
    PortState port{};
    Unit a = PortUnit(0x01, 0x02);
    a.activity = ACTIVITY_READ;
    for (int poll = 0; poll < 3; ++poll) EXPECT_EQ(-1, WriteParallelPort(os, port, a));
    EXPECT_EQ(3u, os.portLibraryNames.size());
    EXPECT_TRUE(os.portFunctionNames.empty());
    EXPECT_EQ(Bytes{}, os.portWrites);
    EXPECT_EQ(0, port.readByte) << "activity is not folded without a port";

    os.portLibraryPresent = true;   // the library appears: the next call loads it
    EXPECT_EQ(0, WriteParallelPort(os, port, a));
    EXPECT_EQ((Bytes{0x01}), os.portWrites);
    EXPECT_EQ(4u, os.portLibraryNames.size());
}

TEST(ParallelPort, ALibraryWithoutOut32IsNoPortAndIsNeverCalled) {
    FakeOs os;
    os.portLibraryPresent = true;
    os.portHasOut32 = false;
    PortState port{};
    Unit a = PortUnit(0x01, 0x02);
    a.activity = ACTIVITY_READWRITE;
    for (int poll = 0; poll < 3; ++poll) EXPECT_EQ(-1, WriteParallelPort(os, port, a));
    EXPECT_EQ(1u, os.portLibraryNames.size()) << "the library stays loaded";
    EXPECT_EQ(1u, os.portFunctionNames.size());
    EXPECT_EQ(Bytes{}, os.portWrites);
    EXPECT_EQ(0, os.calls["WritePortByteThroughNull"]);
}

TEST(KeyboardLed, StrokesOnlyWhenTheToggleDiffers) {
    struct Case { int16_t state; int wanted; size_t strokes; int16_t after; };
    const Case cases[] = {
        {1, 1, 0, 1},          // already on
        {0, 0, 0, 0},          // already off
        {0, 1, 2, 1},          // off, wanted on: one press and one release
        {1, 0, 2, 0},
        {-32767, 1, 2, -32768},   // held down: always differs, always toggled
        {-32768, 0, 2, -32767},
    };
    for (const Case& c : cases) {
        FakeOs os;
        os.keyStates[kScrollLockKey] = c.state;
        EXPECT_EQ(0, SetKeyboardLed(os, kScrollLockKey, c.wanted));
        ASSERT_EQ(c.strokes, os.keyStrokes.size()) << "state " << c.state << " wanted " << c.wanted;
        EXPECT_EQ(c.after, os.keyStates[kScrollLockKey]) << "state " << c.state;
        if (c.strokes == 2) {
            EXPECT_EQ(0x91, os.keyStrokes[0].virtualKey);
            EXPECT_EQ(0x45, os.keyStrokes[0].scanCode);
            EXPECT_EQ(1u, os.keyStrokes[0].flags) << "press: extended key";
            EXPECT_EQ(0x91, os.keyStrokes[1].virtualKey);
            EXPECT_EQ(0x45, os.keyStrokes[1].scanCode);
            EXPECT_EQ(3u, os.keyStrokes[1].flags) << "release: extended key, key up";
        }
    }
}
