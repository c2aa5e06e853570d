#pragma once
// The sampler's process-wide state: what the previous samples left behind for
// the next ones. One record, zero apart from the pending warning, that the
// program keeps for its whole run and a test can start afresh.
#include <array>
#include <cstdint>

#include "platform/sampling_records.h"
#include "units/interface_table.h"

constexpr uint32_t kMaxInterfaceRows = 256;    // interface rows whose usage is followed
constexpr uint32_t kMaxProcessorRecords = 256;  // processors the per-processor query has room for

// Idle, kernel and user time in 100-nanosecond units; kernel includes idle.
struct CpuTimes {
    uint64_t idle;
    uint64_t kernel;
    uint64_t user;
};

// The octet counters of one interface-table row at its previous sample.
struct InterfaceSample {
    bool taken;          // a sample of this row exists
    uint32_t ifIndex;    // the interface that had the row then
    uint32_t inOctets;
    uint32_t outOctets;
    uint32_t tick;       // milliseconds since the system started
};

struct SamplerState {
    CpuTimes PrevSystemTimes{};                                  // the previous total sample
    std::array<CpuTimes, kMaxProcessors> PrevProcessorTimes{};   // per processor
    // The last processor load published, per processor; entry 0 also the total.
    std::array<int32_t, kMaxProcessors> LastMeterValue{};
    int32_t LastRamValue = 0;                // the last memory loads published
    int32_t LastVramValue = 0;
    bool PerfCounterWarningPending = true;   // falls at the first failed disk query
    // Within one poll pass the processor total is sampled once and shown by
    // every CPU Unit: a second sample right after the first would cover an
    // empty interval and read 0. The interface table, whose fetch is the
    // dearest call of a pass, is fetched once and read by every network Unit;
    // the memory status once for the two memory Units.
    bool InPollPass = false;
    bool TotalTakenThisPass = false;
    int8_t TotalThisPass = 0;
    bool TableTakenThisPass = false;
    bool MemoryTakenThisPass = false;        // RAM and VRAM share one memory status
    MemoryStatus MemoryThisPass{};
    InterfaceTable Interfaces;               // kept between passes, grown when too small
    std::array<InterfaceSample, kMaxInterfaceRows> PrevInterfaceSamples{};
};
