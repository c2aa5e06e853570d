#include <gtest/gtest.h>

#include <vector>

#include "sampling/cpu.h"
#include "sampling_machine.h"

namespace {

// Moves the system times on by one interval of the given shares (in
// thousandths of the interval): kernel includes idle.
void Advance(FakeOs& os, uint64_t idle, uint64_t kernelBusy, uint64_t user) {
    os.systemIdle += idle;
    os.systemKernel += idle + kernelBusy;
    os.systemUser += user;
}

void AdvanceProcessor(ProcessorTimes& record, int64_t idle, int64_t kernelBusy, int64_t user) {
    record.IdleTime += idle;
    record.KernelTime += idle + kernelBusy;
    record.UserTime += user;
}

}  // namespace

TEST(CpuSampling, TotalLoad) {
    FakeOs os;
    SamplerState state{};
    // The first sample covers the time since the system started.
    Advance(os, 374, 226, 400);          // 62.6 % busy
    EXPECT_EQ(62, SampleCpuTotal(os, state));
    EXPECT_EQ(374u, state.PrevSystemTimes.idle);
    EXPECT_EQ(600u, state.PrevSystemTimes.kernel);
    EXPECT_EQ(400u, state.PrevSystemTimes.user);
    Advance(os, 1, 499, 500);            // 99.9 % busy: truncated
    EXPECT_EQ(99, SampleCpuTotal(os, state));
    EXPECT_EQ(0, SampleCpuTotal(os, state)) << "an empty interval";
    Advance(os, 1000, 0, 0);
    EXPECT_EQ(0, SampleCpuTotal(os, state)) << "all idle";
    Advance(os, 0, 300, 700);
    EXPECT_EQ(100, SampleCpuTotal(os, state)) << "all busy";
    EXPECT_EQ(5, os.calls["QuerySystemTimes"]);
}

TEST(CpuSampling, TotalModeStep) {
    Machine m;
    m.options.ProcessorCount = 2;
    Unit& cpu = m.Add(UNIT_CPU, "CPU Usage");
    cpu.dirty = 0;

    Advance(m.os, 374, 226, 400);
    EXPECT_EQ(1, m.Poll());
    EXPECT_EQ(0, m.os.calls["QuerySystemTimes"]) << "not due: not sampled";

    cpu.sampleDue = 1;
    m.Poll();
    EXPECT_EQ(0, cpu.sampleDue);
    EXPECT_EQ(62, cpu.value);
    EXPECT_EQ(1, cpu.dirty);
    EXPECT_EQ(ACTIVITY_METER, cpu.activity);
    EXPECT_EQ(62, m.state.LastMeterValue[0]);

    // The same load again changes nothing.
    cpu.dirty = 0;
    cpu.sampleDue = 1;
    Advance(m.os, 374, 226, 400);
    m.Poll();
    EXPECT_EQ(62, cpu.value);
    EXPECT_EQ(0, cpu.dirty);
    EXPECT_EQ(2, m.os.calls["QuerySystemTimes"]);
    EXPECT_EQ(0, m.os.calls["QueryProcessorTimes"]);

    cpu.sampleDue = 1;
    Advance(m.os, 900, 50, 50);
    m.Poll();
    EXPECT_EQ(10, cpu.value);
    EXPECT_EQ(1, cpu.dirty);
    EXPECT_EQ(10, m.state.LastMeterValue[0]);
}

TEST(CpuSampling, PerProcessorLoad) {
    FakeOs os;
    SamplerState state{};
    GlobalOptions options{};
    options.ProcessorCount = 2;
    os.processors.resize(2);
    ProcessorTimes& p0 = os.processors[0];
    ProcessorTimes& p1 = os.processors[1];
    Unit unit0{};
    Unit unit1{};
    unit1.cpuIndex = 1;

    AdvanceProcessor(p0, 374, 226, 400);   // 37.4 % idle: the idle share truncates to 37
    AdvanceProcessor(p1, 5, 495, 500);     // 0.5 % idle: rounds up to 100
    EXPECT_EQ(0, SampleCpuPerProcessor(os, unit0, options, state));
    EXPECT_EQ(0, SampleCpuPerProcessor(os, unit1, options, state));
    EXPECT_EQ(63, unit0.value);
    EXPECT_EQ(100, unit1.value);
    EXPECT_EQ(374u, state.PrevProcessorTimes[0].idle);
    EXPECT_EQ(600u, state.PrevProcessorTimes[0].kernel);
    EXPECT_EQ(400u, state.PrevProcessorTimes[0].user);
    EXPECT_EQ(5u, state.PrevProcessorTimes[1].idle);
    EXPECT_EQ((std::vector<uint32_t>{96, 96}), os.processorBytesAsked) << "48 bytes a processor";

    SampleCpuPerProcessor(os, unit0, options, state);
    EXPECT_EQ(100, unit0.value) << "an empty interval";
    AdvanceProcessor(p0, 0, 500, 500);
    SampleCpuPerProcessor(os, unit0, options, state);
    EXPECT_EQ(100, unit0.value) << "no idle time";
    AdvanceProcessor(p0, 1000, 0, 0);
    SampleCpuPerProcessor(os, unit0, options, state);
    EXPECT_EQ(0, unit0.value) << "all idle";
    // Inconsistent times (more idle than the whole interval) are not clamped:
    // 100 - 200, taken as an unsigned 8-bit number.
    p0.IdleTime += 2000;
    p0.KernelTime += 1000;
    SampleCpuPerProcessor(os, unit0, options, state);
    EXPECT_EQ(156, unit0.value);

    // More processors than the tables hold: the query is capped at 32 records.
    options.ProcessorCount = 40;
    SampleCpuPerProcessor(os, unit0, options, state);
    EXPECT_EQ(1536u, os.processorBytesAsked.back());
}

TEST(CpuSampling, PerProcessorWithoutAnswerKeepsTheValue) {
    FakeOs os;
    SamplerState state{};
    GlobalOptions options{};
    options.ProcessorCount = 2;
    os.AddProcessor(100, 300, 200);
    os.AddProcessor(100, 300, 200);
    Unit unit{};
    unit.cpuIndex = 1;

    struct Failure {
        const char* what;
        int32_t status;
        int64_t returnedBytes;
    };
    const Failure failures[] = {
        {"no query entry point", kStatusEntryPointNotFound, -1},
        {"a failed query", static_cast<int32_t>(0xC0000004u), -1},
        {"a length that is no multiple of 48", kStatusSuccess, 95},
        {"a record the query did not fill", kStatusSuccess, 48},
    };
    int calls = 0;
    for (const Failure& failure : failures) {
        os.processorStatus = failure.status;
        os.processorReturnedBytes = failure.returnedBytes;
        unit.value = 42;
        EXPECT_EQ(0, SampleCpuPerProcessor(os, unit, options, state)) << failure.what;
        EXPECT_EQ(42, unit.value) << failure.what;
        EXPECT_EQ(0u, state.PrevProcessorTimes[1].kernel) << failure.what;
        EXPECT_EQ(++calls, os.calls["QueryProcessorTimes"]) << "asked again: " << failure.what;
    }
    os.processorStatus = kStatusSuccess;
    os.processorReturnedBytes = -1;
    SampleCpuPerProcessor(os, unit, options, state);
    EXPECT_EQ(80, unit.value) << "the first answer covers the time since start";
}

TEST(CpuSampling, PerProcessorStepMarksEverySample) {
    Machine m;
    m.options.ProcessorCount = 2;
    m.options.ShowCPUUsageMulti = 1;
    m.os.processors.resize(2);
    ProcessorTimes& p0 = m.os.processors[0];
    ProcessorTimes& p1 = m.os.processors[1];
    Unit& cpu0 = m.Add(UNIT_CPU, "CPU #0 Usage");
    Unit& cpu1 = m.Add(UNIT_CPU, "CPU #1 Usage");
    cpu1.cpuIndex = 1;
    for (int pass = 1; pass <= 2; ++pass) {
        AdvanceProcessor(p0, 374, 226, 400);
        AdvanceProcessor(p1, 900, 0, 100);
        cpu0.dirty = cpu1.dirty = 0;
        cpu0.sampleDue = cpu1.sampleDue = 1;
        m.Poll();
        EXPECT_EQ(63, cpu0.value) << "pass " << pass;
        EXPECT_EQ(10, cpu1.value) << "pass " << pass;
        EXPECT_EQ(1, cpu0.dirty) << "dirty even when unchanged, pass " << pass;
        EXPECT_EQ(1, cpu1.dirty) << "pass " << pass;
        EXPECT_EQ(ACTIVITY_METER, cpu1.activity);
        EXPECT_EQ(0, cpu1.sampleDue);
        EXPECT_EQ(63, m.state.LastMeterValue[0]);
        EXPECT_EQ(10, m.state.LastMeterValue[1]);
    }
    // A failed sample still marks the Unit for redrawing with its old value.
    m.os.processorStatus = kStatusEntryPointNotFound;
    cpu0.dirty = 0;
    cpu0.sampleDue = 1;
    m.Poll();
    EXPECT_EQ(1, cpu0.dirty);
    EXPECT_EQ(63, cpu0.value);
    EXPECT_EQ(0, m.os.calls["QuerySystemTimes"]);
}

TEST(CpuSampling, EachModeAdvancesOnlyItsOwnTimes) {
    Machine m;
    m.options.ProcessorCount = 1;
    m.os.processors.resize(1);
    ProcessorTimes& p0 = m.os.processors[0];
    Unit& cpu = m.Add(UNIT_CPU, "CPU Usage");

    // Total mode over the first interval: 20 % busy.
    Advance(m.os, 800, 100, 100);
    AdvanceProcessor(p0, 800, 100, 100);
    cpu.sampleDue = 1;
    m.Poll();
    EXPECT_EQ(20, cpu.value);

    // Per-processor mode: its first sample reaches back to the start.
    Advance(m.os, 0, 500, 500);
    AdvanceProcessor(p0, 0, 500, 500);
    m.options.ShowCPUUsageMulti = 1;
    cpu.sampleDue = 1;
    m.Poll();
    EXPECT_EQ(60, cpu.value) << "(2000 - 800) of 2000 busy";

    // Back to the total: its interval runs from its own last sample.
    Advance(m.os, 1000, 0, 0);
    AdvanceProcessor(p0, 1000, 0, 0);
    m.options.ShowCPUUsageMulti = 0;
    cpu.sampleDue = 1;
    m.Poll();
    EXPECT_EQ(50, cpu.value) << "1000 of 2000 busy since the last total";
    EXPECT_EQ(50, m.state.LastMeterValue[0]);
}
