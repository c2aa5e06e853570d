#pragma once
// Activity shown outside the screen: lamps on the parallel port's eight data
// lines, and the Scroll Lock LED.
#include <cstdint>

#include "platform/os.h"
#include "units/unit.h"

constexpr int16_t PARALLEL_PORT_ADDRESS = 0x378;
constexpr const char* kPortOutputName = "Out32";

constexpr int kScrollLockKey = 0x91;
constexpr uint8_t kLedScanCode = 0x45;   // whatever the key; the virtual key decides

// Process-wide port state; zero at start, never reset.
struct PortState {
    uint8_t readByte;            // lines lit for Units last seen reading
    uint8_t writeByte;           // lines lit for Units last seen writing
    uint8_t lastValue;           // the byte last written to the port
    LibraryHandle library;       // the port library, kept once loaded
    PortOutputHandle output;     // its Out32; null when the library lacks it
};

// Folds the Unit's activity into the port bytes and writes the port when the
// combined byte changed. Nothing happens without port output: the library is
// missing (its load is tried again on the next call) or has no Out32.
void WriteParallelPort(Os& os, PortState& port, const Unit& unit);

// Brings the key's toggle state (and its LED) to `wantedState` (0 or 1) with
// one synthetic press and release. The state read back changes only when the
// thread reads its input again, so a second call before that would undo the
// first: the presenter calls it once an update.
void SetKeyboardLed(Os& os, int virtualKey, int wantedState);
