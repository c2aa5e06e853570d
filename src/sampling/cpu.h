#pragma once
// Processor load: the total over all processors from the system times, or one
// processor's load from the per-processor times, and the CPU step of the poll
// pass that publishes it.
#include <cstdint>

#include "platform/os.h"
#include "sampling/sampler_state.h"
#include "units/global_options.h"
#include "units/unit.h"

// Samples a due CPU Unit: clears sampleDue, measures by the mode
// ShowCPUUsageMulti selects and marks the Unit dirty when its meter must be
// redrawn (every per-processor sample; a changed total).
void CpuStep(Os& os, Unit& unit, const GlobalOptions& options, SamplerState& state);

// The total load since the previous total sample, truncated (99.9 % busy
// gives 99); 0 for an empty interval.
int8_t SampleCpuTotal(Os& os, SamplerState& state);

// The load of processor unit.cpuIndex since its previous sample into `value`,
// the idle share truncated (0.5 % idle gives 100); 100 for an empty interval.
// `value` is left as it was when the platform gives no usable answer.
void SampleCpuPerProcessor(Os& os, Unit& unit, SamplerState& state);
