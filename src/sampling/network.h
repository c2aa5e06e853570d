#pragma once
// Network interfaces: their octet counters turned into receive and send
// lights, and their usage of the link.
#include <cstdint>

#include "platform/os.h"
#include "sampling/sampler_state.h"
#include "units/unit.h"

// Reads the octet counters of table row unit.nicIndex into readCounter (in)
// and writeCounter (out), and its usage into `value`. The table is fetched
// once per poll pass, for every network Unit of it. Any failure of the table
// queries, or a row beyond the table, leaves the counters as they were and
// the usage at 0.
void SampleNetworkInterface(Os& os, Unit& unit, SamplerState& state);

// Samples the interface and shows sending as ACTIVITY_WRITE, receiving as
// ACTIVITY_READ, both as ACTIVITY_READWRITE, for one poll after a counter moved.
void NetworkStep(Os& os, Unit& unit, SamplerState& state);

// The usage of a link in percent, 0..100: the larger of the receive and send
// rates between two samples `elapsedMs` apart, over the link's speed in bytes
// per second (`speedBits` / 8). 0 for an unknown speed or no elapsed time.
int32_t LinkUsage(uint32_t inDelta, uint32_t outDelta, uint32_t elapsedMs, uint32_t speedBits);
