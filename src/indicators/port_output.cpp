#include "indicators/port_output.h"

namespace {

// Loads the library on first need. True when Out32 can be called.
bool PortOutputReady(Os& os, PortState& port) {
    if (port.library == nullptr) {
        port.library = os.LoadPortLibrary();
        if (port.library == nullptr) return false;
        // A library without Out32 stays loaded and counts as no port output:
        // its exports will not change while the process runs.
        port.output = os.FindPortOutput(port.library, kPortOutputName);
    }
    return port.output != nullptr;
}

void FoldActivity(PortState& port, const Unit& unit) {
    switch (unit.activity) {
    case ACTIVITY_WRITE:
        port.writeByte |= unit.parallelPortWriteMask;
        break;
    case ACTIVITY_READ:
        port.readByte |= unit.parallelPortReadMask;
        break;
    case ACTIVITY_READWRITE:
        port.writeByte |= unit.parallelPortWriteMask;
        port.readByte |= unit.parallelPortReadMask;
        break;
    default:   // idle, or a meter: this Unit's lines go dark
        port.readByte &= static_cast<uint8_t>(~unit.parallelPortReadMask);
        port.writeByte &= static_cast<uint8_t>(~unit.parallelPortWriteMask);
        break;
    }
}

}  // namespace

void WriteParallelPort(Os& os, PortState& port, const Unit& unit) {
    if (!PortOutputReady(os, port)) return;
    FoldActivity(port, unit);
    uint8_t value = port.readByte | port.writeByte;
    if (value != port.lastValue) {
        port.lastValue = value;
        os.WritePortByte(port.output, PARALLEL_PORT_ADDRESS, value);
    }
}

void SetKeyboardLed(Os& os, int virtualKey, int wantedState) {
    const int toggled = os.ReadKeyState(virtualKey) & 1;   // also while the key is held down
    if (toggled != wantedState) {
        os.SendKeyStroke(virtualKey, kLedScanCode, kKeyExtended);
        os.SendKeyStroke(virtualKey, kLedScanCode, kKeyExtended | kKeyUp);
    }
}
