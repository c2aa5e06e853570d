#include "dialog/option_rules.h"

namespace {

uint32_t ClampUnsigned(uint32_t value, uint32_t low, uint32_t high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

}  // namespace

PortBitTarget FindPortBit(int controlId) {
    for (size_t k = 0; k < kPortBitBoxes.size(); ++k) {
        const uint8_t bit = static_cast<uint8_t>(1u << k);
        if (kPortBitBoxes[k].readId == controlId) return {true, false, bit};
        if (kPortBitBoxes[k].writeId == controlId) return {true, true, bit};
    }
    return {false, false, 0};
}

void ApplyPortBitState(Unit& unit, int controlId, int boxState) {
    const PortBitTarget target = FindPortBit(controlId);
    if (!target.found || (boxState != 0 && boxState != 1)) return;
    uint8_t& mask = target.writeMask ? unit.parallelPortWriteMask : unit.parallelPortReadMask;
    if (boxState == 1) mask = static_cast<uint8_t>(mask | target.bit);
    else mask = static_cast<uint8_t>(mask & ~target.bit);
}

bool PortBitChecked(uint8_t mask, int labelIndex) {
    if (labelIndex < 0 || labelIndex > 7) return false;
    return (mask >> labelIndex) & 1u;
}

bool KeyboardLedBoxEnabled(const GlobalOptions& options) { return options.SingleIconMode != 0; }

bool StaticIconBoxEnabled(const GlobalOptions& options) {
    return options.SingleIconMode != 0 && options.KeyboardLED != 0;
}

bool MultiCpuBoxEnabled(const GlobalOptions& options) { return options.ProcessorCount > 1; }

uint32_t ClampPollInterval(uint32_t typed) {
    return ClampUnsigned(typed, kPollIntervalMin, kPollIntervalMax);
}

uint32_t ClampMeterInterval(uint32_t typed) {
    return ClampUnsigned(typed, kMeterIntervalMin, kMeterIntervalMax);
}

int32_t ClampStartDelay(uint32_t typed) {
    const int32_t delay = static_cast<int32_t>(typed);
    if (delay < kStartDelayMin) return kStartDelayMin;
    if (delay > kStartDelayMax) return kStartDelayMax;
    return delay;
}
