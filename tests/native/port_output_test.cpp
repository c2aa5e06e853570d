#include <gtest/gtest.h>

#include <vector>

#include "fake_os.h"
#include "indicators/port_output.h"

namespace {

using Bytes = std::vector<int>;

struct Port {
    FakeOs os;
    PortState state{};
    explicit Port(bool present = true) { os.portLibraryPresent = present; }
    int Write(Unit& unit, int8_t activity) {
        unit.activity = activity;
        return WriteParallelPort(os, state, unit);
    }
};

Unit PortUnit(uint8_t readMask, uint8_t writeMask) {
    Unit unit{};
    unit.enabled = unit.parallelPortEnabled = 1;
    unit.parallelPortReadMask = readMask;
    unit.parallelPortWriteMask = writeMask;
    return unit;
}

}  // namespace

TEST(ParallelPort, ReadThenWriteThenIdle) {
    Port port;
    Unit a = PortUnit(0x01, 0x02);
    EXPECT_EQ(0, port.Write(a, ACTIVITY_IDLE));
    EXPECT_EQ(Bytes{}, port.os.portWrites) << "nothing is written before a line is first lit";
    for (int8_t state : {ACTIVITY_READ, ACTIVITY_WRITE, ACTIVITY_WRITE, ACTIVITY_IDLE, ACTIVITY_IDLE})
        EXPECT_EQ(0, port.Write(a, state));
    // The read line stays lit while the Unit only writes, until it is idle.
    EXPECT_EQ((Bytes{0x01, 0x03, 0x00}), port.os.portWrites);
    EXPECT_EQ((std::vector<int16_t>{0x378, 0x378, 0x378}), port.os.portAddresses);
    EXPECT_EQ((std::vector<std::string>{"inpout32.dll"}), port.os.portLibraryNames) << "loaded once";
    EXPECT_EQ((std::vector<std::string>{"Out32"}), port.os.portFunctionNames);

    port.Write(a, ACTIVITY_READWRITE);
    port.Write(a, ACTIVITY_METER);   // a meter's state clears its lines like idle
    EXPECT_EQ((Bytes{0x01, 0x03, 0x00, 0x03, 0x00}), port.os.portWrites);
}

TEST(ParallelPort, SharedLinesAndHeldStates) {
    Port port;
    Unit a = PortUnit(0x01, 0x10);
    Unit b = PortUnit(0x01, 0x20);
    port.Write(a, ACTIVITY_READ);
    port.Write(b, ACTIVITY_IDLE);   // in the same update B, idle, clears the shared line again
    for (int poll = 0; poll < 5; ++poll) port.Write(a, ACTIVITY_READ);   // a held read is written once
    port.Write(b, ACTIVITY_WRITE);   // B adds its own line; A's read line stays
    EXPECT_EQ((Bytes{0x01, 0x00, 0x01, 0x21}), port.os.portWrites);
}

TEST(ParallelPort, WithoutTheLibraryOrOut32NothingIsWritten) {
    Port missing(false);
    Unit a = PortUnit(0x01, 0x02);
    for (int poll = 0; poll < 3; ++poll) EXPECT_EQ(-1, missing.Write(a, ACTIVITY_READ));
    EXPECT_EQ(3u, missing.os.portLibraryNames.size()) << "the load is retried";
    EXPECT_TRUE(missing.os.portFunctionNames.empty());
    EXPECT_EQ(0, missing.state.readByte) << "activity is not folded without a port";
    missing.os.portLibraryPresent = true;   // the library appears: the next call loads it
    EXPECT_EQ(0, missing.Write(a, ACTIVITY_READ));
    EXPECT_EQ((Bytes{0x01}), missing.os.portWrites);

    Port noOut32;   // treated as no port, and never called through an empty pointer
    noOut32.os.portHasOut32 = false;
    for (int poll = 0; poll < 3; ++poll) EXPECT_EQ(-1, noOut32.Write(a, ACTIVITY_READWRITE));
    EXPECT_EQ(1u, noOut32.os.portLibraryNames.size()) << "the library stays loaded";
    EXPECT_EQ(1u, noOut32.os.portFunctionNames.size());
    EXPECT_EQ(Bytes{}, noOut32.os.portWrites);
}

TEST(KeyboardLed, StrokesOnlyWhenTheToggleDiffers) {
    struct Case { int16_t state; int wanted; size_t strokes; int16_t after; };
    const Case cases[] = {
        {1, 1, 0, 1}, {0, 0, 0, 0}, {0, 1, 2, 1}, {1, 0, 2, 0},
        {-32767, 1, 2, -32768}, {-32768, 0, 2, -32767},   // held down: always differs, always toggled
    };
    for (const Case& c : cases) {
        FakeOs os;
        os.keyStates[kScrollLockKey] = c.state;
        EXPECT_EQ(0, SetKeyboardLed(os, kScrollLockKey, c.wanted));
        ASSERT_EQ(c.strokes, os.keyStrokes.size()) << "state " << c.state << " wanted " << c.wanted;
        EXPECT_EQ(c.after, os.keyStates[kScrollLockKey]) << "state " << c.state;
        for (size_t k = 0; k < c.strokes; ++k) {   // press, then release: extended key, scan code 0x45
            EXPECT_EQ(0x91, os.keyStrokes[k].virtualKey);
            EXPECT_EQ(0x45, os.keyStrokes[k].scanCode);
            EXPECT_EQ(k == 0 ? 1u : 3u, os.keyStrokes[k].flags) << "stroke " << k;
        }
    }
}
