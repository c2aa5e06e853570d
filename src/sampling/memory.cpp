#include "sampling/memory.h"

#include "sampling/counters.h"

namespace {

// The memory status with its length set; a failed query leaves it zero.
// Within a poll pass the RAM and VRAM Units share one query.
const MemoryStatus& QueryStatus(Os& os, SamplerState& state) {
    if (state.InPollPass && state.MemoryTakenThisPass) return state.MemoryThisPass;
    MemoryStatus& status = state.MemoryThisPass;
    status = MemoryStatus{};
    status.dwLength = sizeof status;
    os.QueryMemoryStatus(&status);
    state.MemoryTakenThisPass = state.InPollPass;
    return status;
}

void Publish(Unit& unit, int8_t load, int32_t& lastPublished) {
    if (load == lastPublished) return;
    unit.dirty = 1;
    unit.activity = ACTIVITY_METER;
    lastPublished = load;
    unit.value = load;
}

}  // namespace

int32_t MebiBytes(uint64_t bytes) {
    if (bytes <= kMebiByte) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(bytes / kMebiByte));
}

int8_t SampleRam(Os& os, Unit& unit, SamplerState& state) {
    const MemoryStatus& status = QueryStatus(os, state);
    unit.ramFreeMB = MebiBytes(status.ullAvailPhys);
    unit.ramTotalMB = MebiBytes(status.ullTotalPhys);
    return static_cast<int8_t>(ClampPercent(status.dwMemoryLoad));
}

int8_t SampleVirtualRam(Os& os, Unit& unit, SamplerState& state) {
    const MemoryStatus& status = QueryStatus(os, state);
    int64_t load = 0;
    if (status.ullTotalPageFile != 0) {
        // Signed 64-bit as the figures are; done unsigned so that absurd
        // figures wrap instead of overflowing.
        uint64_t availableShare = (status.ullAvailPageFile * 100u) / status.ullTotalPageFile;
        load = 100 - static_cast<int64_t>(availableShare);
    }
    unit.vramFreeMB = MebiBytes(status.ullAvailPageFile);
    unit.vramTotalMB = MebiBytes(status.ullTotalPageFile);
    return static_cast<int8_t>(ClampPercent(load));   // more available than the total: 0
}

void RamStep(Os& os, Unit& unit, SamplerState& state) {
    Publish(unit, SampleRam(os, unit, state), state.LastRamValue);
}

void VirtualRamStep(Os& os, Unit& unit, SamplerState& state) {
    Publish(unit, SampleVirtualRam(os, unit, state), state.LastVramValue);
}
