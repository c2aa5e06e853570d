#include "sampling/network.h"

#include <algorithm>

#include "sampling/counters.h"

namespace {

// One direction's rate as a percentage of the link, clamped to 100. Both
// products fit in 64 bits: the delta is below 2^32, the speed in bytes
// below 2^29.
uint64_t DirectionUsage(uint32_t delta, uint32_t elapsedMs, uint32_t bytesPerSecond) {
    uint64_t percent = static_cast<uint64_t>(delta) * 100u * 1000u /
                       (static_cast<uint64_t>(elapsedMs) * bytesPerSecond);
    return std::min<uint64_t>(percent, 100);
}

// Both counters go backwards when the adapter is reset (a resume from sleep,
// a driver restart) and when one passes 2^32. A wrap leaves a difference,
// modulo 2^32, that the link could carry in the interval; a reset leaves one
// far above it. The bound is doubled for the tick count's coarse steps.
bool CountersWereReset(const InterfaceSample& previous, const IfRow& row, uint32_t elapsedMs) {
    const uint64_t carried = 2 * static_cast<uint64_t>(row.dwSpeed / 8) * elapsedMs / 1000;
    auto reset = [carried](uint32_t now, uint32_t before) { return now < before && now - before > carried; };
    return reset(row.dwInOctets, previous.inOctets) || reset(row.dwOutOctets, previous.outOctets);
}

// The usage against the row's previous sample, which becomes this one. The
// first sample of a row, of another interface now at that row, or after a
// reset of the adapter only sets the baseline. Two samples within the same
// millisecond tick keep the figure and the baseline, so that the next sample
// covers the whole interval.
void UpdateUsage(Unit& unit, InterfaceSample& previous, const IfRow& row, uint32_t tick) {
    bool sameInterface = previous.taken && previous.ifIndex == row.dwIndex;
    uint32_t elapsed = tick - previous.tick;   // modulo 2^32: the tick count wraps
    if (sameInterface && elapsed == 0) return;
    unit.value = sameInterface && !CountersWereReset(previous, row, elapsed) ? LinkUsage(row.dwInOctets - previous.inOctets,
                                           row.dwOutOctets - previous.outOctets, elapsed,
                                           row.dwSpeed)
                               : 0;
    previous = {true, row.dwIndex, row.dwInOctets, row.dwOutOctets, tick};
}

}  // namespace

int32_t LinkUsage(uint32_t inDelta, uint32_t outDelta, uint32_t elapsedMs, uint32_t speedBits) {
    uint32_t bytesPerSecond = speedBits / 8;
    if (bytesPerSecond == 0 || elapsedMs == 0) return 0;
    uint64_t in = DirectionUsage(inDelta, elapsedMs, bytesPerSecond);
    uint64_t out = DirectionUsage(outDelta, elapsedMs, bytesPerSecond);
    return static_cast<int32_t>(in > out ? in : out);
}

void SampleNetworkInterface(Os& os, Unit& unit, SamplerState& state) {
    InterfaceTable& table = state.Interfaces;
    if (!(state.InPollPass && state.TableTakenThisPass)) {
        table.Fetch(os);
        state.TableTakenThisPass = state.InPollPass;
    }
    if (unit.nicIndex < 0 || static_cast<uint32_t>(unit.nicIndex) >= table.Rows()) {
        // Without a sample no traffic is seen: the usage figure falls with the
        // light instead of showing what the interface carried before it went away.
        unit.value = 0;
        return;
    }
    const IfRow& row = table.Row(static_cast<uint32_t>(unit.nicIndex));
    unit.readCounter = row.dwInOctets;
    unit.writeCounter = row.dwOutOctets;
    if (static_cast<uint32_t>(unit.nicIndex) < kMaxInterfaceRows)
        UpdateUsage(unit, state.PrevInterfaceSamples[unit.nicIndex], row, os.QueryTickCount());
}

void NetworkStep(Os& os, Unit& unit, SamplerState& state) {
    SampleNetworkInterface(os, unit, state);
    int8_t activity =
        static_cast<int8_t>(CounterActivity(unit.writeCounter, unit.prevWriteCounter, ACTIVITY_WRITE) +
                            CounterActivity(unit.readCounter, unit.prevReadCounter, ACTIVITY_READ));
    if (activity != unit.activity) {
        unit.activity = activity;
        unit.dirty = 1;
    }
}
