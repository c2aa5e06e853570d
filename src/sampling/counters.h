#pragma once
// Rules the samplers share: a counter that only grows turned into one half of
// a light's state, and the size units of memory and drive figures.
#include <cstdint>

#include "units/unit.h"

constexpr uint64_t kMebiByte = 1048576;
constexpr uint64_t kGibiByte = 1073741824;

// `bit` when the counter moved since `seen` (which then takes the new value);
// idle when it did not move, or moved to 0 because the counters restarted.
inline int8_t CounterActivity(uint32_t now, uint32_t& seen, int8_t bit) {
    if (now == seen) return ACTIVITY_IDLE;
    seen = now;
    return now != 0 ? bit : ACTIVITY_IDLE;
}
