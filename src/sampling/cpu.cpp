#include "sampling/cpu.h"

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
    if (idle100 == 0 || span == 0) return 100;
    // In unsigned arithmetic: inconsistent times must not overflow the subtraction.
    return static_cast<int64_t>(100u - static_cast<uint64_t>(DivideTruncated(idle100, span)));
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
    return static_cast<int8_t>(load);
}

void SampleCpuPerProcessor(Os& os, Unit& unit, const GlobalOptions& options, SamplerState& state) {
    std::array<ProcessorTimes, kMaxProcessors> records{};
    // More processors than the buffer holds are not asked for: the query
    // would write past its end.
    uint32_t count = options.ProcessorCount < kMaxProcessors ? options.ProcessorCount : kMaxProcessors;
    uint32_t returned = 0;
    int32_t status = os.QueryProcessorTimes(
        records.data(), count * static_cast<uint32_t>(sizeof(ProcessorTimes)), &returned);
    if (status != kStatusSuccess || returned % sizeof(ProcessorTimes) != 0) return;
    uint32_t filled = returned / sizeof(ProcessorTimes);
    uint32_t i = unit.cpuIndex;
    // Only a record the platform filled is a sample of that processor.
    if (i >= count || i >= filled) return;
    int64_t load = ProcessorLoad(records[i], state.PrevProcessorTimes[i]);
    state.PrevProcessorTimes[i] = {static_cast<uint64_t>(records[i].IdleTime),
                                   static_cast<uint64_t>(records[i].KernelTime),
                                   static_cast<uint64_t>(records[i].UserTime)};
    unit.value = static_cast<uint8_t>(load);
}

void CpuStep(Os& os, Unit& unit, const GlobalOptions& options, SamplerState& state) {
    unit.sampleDue = 0;
    if (options.ShowCPUUsageMulti != 0) {
        SampleCpuPerProcessor(os, unit, options, state);
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
