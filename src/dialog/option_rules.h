#pragma once
// The rules of the options panel that do not depend on the platform: which
// port-bit box edits which bit of which mask, when the three dependent global
// boxes are enabled, and the ranges the number boxes impose.
#include <array>
#include <cstdint>

#include "resources/resource_ids.h"
#include "units/global_options.h"
#include "units/unit.h"

// One column of port-bit boxes: label n ("1".."8") stands for bit n-1.
struct PortBitBoxes {
    int readId;
    int writeId;
};

constexpr std::array<PortBitBoxes, 8> kPortBitBoxes = {{
    {IDC_READ_BIT1, IDC_WRITE_BIT1},
    {IDC_READ_BIT2, IDC_WRITE_BIT2},
    {IDC_READ_BIT3, IDC_WRITE_BIT3},
    {IDC_READ_BIT4, IDC_WRITE_BIT4},
    {IDC_READ_BIT5, IDC_WRITE_BIT5},
    {IDC_READ_BIT6, IDC_WRITE_BIT6},
    {IDC_READ_BIT7, IDC_WRITE_BIT7},
    {IDC_READ_BIT8, IDC_WRITE_BIT8},
}};

// Where a port-bit box writes: the mask of the Unit and the bit's value.
struct PortBitTarget {
    bool found;       // false for an id that is no port-bit box
    bool writeMask;   // parallelPortWriteMask, else parallelPortReadMask
    uint8_t bit;      // 1, 2, 4, ... 128
};

PortBitTarget FindPortBit(int controlId);

// Copies a box state into the Unit's mask: 1 sets the bit, 0 clears it, any
// other state (and any id that is no port-bit box) changes nothing.
void ApplyPortBitState(Unit& unit, int controlId, int boxState);

// Whether a mask has the bit of label index 0..7 set: the box's check.
bool PortBitChecked(uint8_t mask, int labelIndex);

// The enabling rules of the three dependent global boxes.
bool KeyboardLedBoxEnabled(const GlobalOptions& options);
bool StaticIconBoxEnabled(const GlobalOptions& options);
bool MultiCpuBoxEnabled(const GlobalOptions& options);

// The number boxes' ranges. Each takes the box's value read as an unsigned
// number (0 for an empty box or text that is not a number).
constexpr uint32_t kPollIntervalMin = 25;
constexpr uint32_t kPollIntervalMax = 10000;
constexpr uint32_t kMeterIntervalMin = 25;
constexpr uint32_t kMeterIntervalMax = 50000;
constexpr int32_t kStartDelayMin = 1;
constexpr int32_t kStartDelayMax = 300;

uint32_t ClampPollInterval(uint32_t typed);
uint32_t ClampMeterInterval(uint32_t typed);
// The delay is compared as a signed 32-bit number: 2147483648 and more count
// as negative and become the lower bound.
int32_t ClampStartDelay(uint32_t typed);
