#include "sampling/cpu.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// a / b truncated toward zero, also for the one quotient that does not fit.
int64_t DivideTruncated(int64_t a, int64_t b) {
    if (b == -1) return static_cast<int64_t>(0 - static_cast<uint64_t>(a));
    return a / b;
}

// later - earlier as a signed count; the platform's counters only grow, but a
// wrapped or reset counter must not make the arithmetic undefined.
int64_t Delta(uint64_t later, uint64_t earlier) { return static_cast<int64_t>(later - earlier); }

int64_t TimesHundred(int64_t x) { return static_cast<int64_t>(static_cast<uint64_t>(x) * 100u); }

int64_t Sum(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

// The per-processor load of one record against that processor's previous one.
int64_t ProcessorLoad(const ProcessorTimes& now, const CpuTimes& before) {
    int64_t idle100 = TimesHundred(Delta(static_cast<uint64_t>(now.IdleTime), before.idle));
    int64_t span = Delta(static_cast<uint64_t>(now.KernelTime) + static_cast<uint64_t>(now.UserTime),
                         before.kernel + before.user);
    if (span == 0) return 100;
    // Times that went backwards give absurd shares: shown as 0 or 100.
    int64_t idleShare = std::clamp<int64_t>(DivideTruncated(idle100, span), 0, 100);
    return 100 - idleShare;
}

// Every processor's record into `records`, asked with room for all of them
// whatever count the system reports (a 32-bit program is told of 32 at most):
// a platform that refuses a buffer short of a record per processor (Windows'
// kernel) answers as well as one that fills what fits (Wine). The number of
// records filled, 0 without a usable answer.
using ProcessorRecords = std::array<ProcessorTimes, kMaxProcessorRecords>;
uint32_t QueryAllProcessorTimes(Os& os, ProcessorRecords& records) {
    uint32_t returned = 0;
    if (os.QueryProcessorTimes(records.data(), sizeof records, &returned) != kStatusSuccess ||
        returned % sizeof(ProcessorTimes) != 0)
        return 0;
    return std::min<uint32_t>(returned / sizeof(ProcessorTimes), kMaxProcessorRecords);
}

}  // namespace

int8_t SampleCpuTotal(Os& os, SamplerState& state) {
    // A failing query leaves the times at zero; it is not told apart.
    uint64_t idle = 0;
    uint64_t kernel = 0;
    uint64_t user = 0;
    os.QuerySystemTimes(&idle, &kernel, &user);
    const CpuTimes& prev = state.PrevSystemTimes;
    int64_t di = Delta(idle, prev.idle);
    int64_t dk = Delta(kernel, prev.kernel);
    int64_t du = Delta(user, prev.user);
    int64_t busy = TimesHundred(Sum(Sum(dk, du), -di));
    int64_t span = Sum(dk, du);
    if (span == 0) span = 1;   // an empty interval: no time was busy either
    int64_t load = DivideTruncated(busy, span);
    state.PrevSystemTimes = {idle, kernel, user};
    return static_cast<int8_t>(ClampPercent(load));   // times that went backwards: 0 or 100
}

void SampleCpuPerProcessor(Os& os, Unit& unit, SamplerState& state) {
    const uint32_t i = unit.cpuIndex;
    ProcessorRecords records;   // filled by the query; only what it filled is read
    // Only a record the platform filled is a sample of that processor.
    if (i >= kMaxProcessors || i >= QueryAllProcessorTimes(os, records)) return;
    const ProcessorTimes& record = records[i];
    int64_t load = ProcessorLoad(record, state.PrevProcessorTimes[i]);
    state.PrevProcessorTimes[i] = {static_cast<uint64_t>(record.IdleTime), static_cast<uint64_t>(record.KernelTime),
                                   static_cast<uint64_t>(record.UserTime)};
    unit.value = static_cast<int32_t>(load);
}

void CpuStep(Os& os, Unit& unit, const GlobalOptions& options, SamplerState& state) {
    unit.sampleDue = 0;
    if (options.ShowCPUUsageMulti != 0) {
        SampleCpuPerProcessor(os, unit, state);
        state.LastMeterValue[unit.cpuIndex % kMaxProcessors] = unit.value;   // discovery makes 32 at most
        unit.dirty = 1;
        unit.activity = ACTIVITY_METER;
        return;
    }
    if (!(state.InPollPass && state.TotalTakenThisPass)) {
        state.TotalThisPass = SampleCpuTotal(os, state);
        state.TotalTakenThisPass = state.InPollPass;
    }
    int8_t v = state.TotalThisPass;
    int32_t& last = state.LastMeterValue[unit.cpuIndex % kMaxProcessors];
    if (v == last) return;
    unit.dirty = 1;
    unit.activity = ACTIVITY_METER;
    last = v;
    unit.value = v;
}
