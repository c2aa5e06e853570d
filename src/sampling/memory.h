#pragma once
// Physical (RAM) and virtual (VRAM, the commit charge) memory load, and the
// two steps of the poll pass that publish them. Both are the machine's
// figures, so a 32-bit and a 64-bit build show the same: the process's own
// address space, which differs between them, is never shown.
#include <cstdint>

#include "platform/os.h"
#include "sampling/sampler_state.h"
#include "units/unit.h"

// Whole mebibytes of a byte count: 0 up to 1 MiB, truncated above.
int32_t MebiBytes(uint64_t bytes);

// Fills ramFreeMB and ramTotalMB; answers the platform's physical memory load.
int8_t SampleRam(Os& os, Unit& unit, SamplerState& state);

// Fills vramFreeMB and vramTotalMB; answers the share of the commit limit in
// use, the available share truncated (30.5 % available gives 70); 0 without
// a commit limit.
int8_t SampleVirtualRam(Os& os, Unit& unit, SamplerState& state);

// Refresh the figures and publish a changed load (value, ACTIVITY_METER, dirty).
void RamStep(Os& os, Unit& unit, SamplerState& state);
void VirtualRamStep(Os& os, Unit& unit, SamplerState& state);
