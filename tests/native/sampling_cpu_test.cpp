#include <gtest/gtest.h>

#include <vector>

#include "sampling/cpu.h"
#include "sampling_machine.h"

namespace {

// Moves the times on by one interval (in thousandths of it): kernel includes idle.
void Advance(FakeOs& os, uint64_t idle, uint64_t kernelBusy, uint64_t user) {
    os.systemIdle += idle;
    os.systemKernel += idle + kernelBusy;
    os.systemUser += user;
}

void Advance(ProcessorTimes& record, int64_t idle, int64_t kernelBusy, int64_t user) {
    record.IdleTime += idle;
    record.KernelTime += idle + kernelBusy;
    record.UserTime += user;
}

}  // namespace

TEST(CpuSampling, TotalModeStep) {
    Machine m;
    m.options.ProcessorCount = 2;
    Unit& cpu = m.Add(UNIT_CPU, "CPU Usage");
    Advance(m.os, 374, 226, 400);
    EXPECT_EQ(1, m.Poll());
    EXPECT_EQ(0, m.os.calls["QuerySystemTimes"]) << "not due: not sampled";

    const struct { uint64_t idle, kernelBusy, user; int32_t value, dirty; } steps[] = {
        {0, 0, 0, 62, 1},          // 62.6 % busy since the system started
        {374, 226, 400, 62, 0},    // the same load again: no change
        {1, 499, 500, 99, 1},      // 99.9 % busy: truncated
        {0, 0, 0, 0, 1},           // an empty interval
        {1000, 0, 0, 0, 0},        // all idle
        {0, 300, 700, 100, 1},     // all busy
        {900, 50, 50, 10, 1},
    };
    int pass = 0;
    for (const auto& step : steps) {
        ++pass;
        Advance(m.os, step.idle, step.kernelBusy, step.user);
        cpu.dirty = 0;
        cpu.sampleDue = 1;
        m.Poll();
        EXPECT_EQ(0, cpu.sampleDue) << pass;
        EXPECT_EQ(step.value, cpu.value) << pass;
        EXPECT_EQ(step.dirty, cpu.dirty) << pass;
        EXPECT_EQ(ACTIVITY_METER, cpu.activity) << pass;
        EXPECT_EQ(step.value, m.state.LastMeterValue[0]) << pass;
    }
    EXPECT_EQ(7, m.os.calls["QuerySystemTimes"]);
    EXPECT_EQ(0, m.os.calls["QueryProcessorTimes"]);
}

TEST(CpuSampling, PerProcessorLoad) {
    FakeOs os;
    SamplerState state{};
    GlobalOptions options{};
    options.ProcessorCount = 2;
    os.processors.resize(2);
    ProcessorTimes& p0 = os.processors[0];
    Unit unit0{};
    Unit unit1{};
    unit1.cpuIndex = 1;

    Advance(p0, 374, 226, 400);                 // 37.4 % idle: the idle share truncates to 37
    Advance(os.processors[1], 5, 495, 500);     // 0.5 % idle: rounds up to 100
    EXPECT_EQ(0, SampleCpuPerProcessor(os, unit0, options, state));
    EXPECT_EQ(0, SampleCpuPerProcessor(os, unit1, options, state));
    EXPECT_EQ(63, unit0.value);
    EXPECT_EQ(100, unit1.value);
    EXPECT_EQ((std::vector<uint32_t>{96, 96}), os.processorBytesAsked) << "48 bytes a processor";

    const struct { int64_t idle, kernel, user; int32_t value; const char* what; } steps[] = {
        {0, 0, 0, 100, "an empty interval"},
        {0, 500, 500, 100, "no idle time"},
        {1000, 1000, 0, 0, "all idle"},
        {2000, 1000, 0, 156, "more idle than the interval: 100 - 200 as 8 bits"},
    };
    for (const auto& step : steps) {
        p0.IdleTime += step.idle;
        p0.KernelTime += step.kernel;
        p0.UserTime += step.user;
        SampleCpuPerProcessor(os, unit0, options, state);
        EXPECT_EQ(step.value, unit0.value) << step.what;
    }

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
    const struct { const char* what; int32_t status; int64_t returnedBytes; } failures[] = {
        {"no query entry point", kStatusEntryPointNotFound, -1},
        {"a failed query", static_cast<int32_t>(0xC0000004u), -1},
        {"a length that is no multiple of 48", kStatusSuccess, 95},
        {"a record the query did not fill", kStatusSuccess, 48},
    };
    int calls = 0;
    for (const auto& failure : failures) {
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
    Unit& cpu0 = m.Add(UNIT_CPU, "CPU #0 Usage");
    Unit& cpu1 = m.Add(UNIT_CPU, "CPU #1 Usage");
    cpu1.cpuIndex = 1;
    for (int pass = 1; pass <= 3; ++pass) {
        Advance(m.os.processors[0], 374, 226, 400);
        Advance(m.os.processors[1], 900, 0, 100);
        // The third pass fails: the Unit is still marked for redrawing with its old value.
        if (pass == 3) m.os.processorStatus = kStatusEntryPointNotFound;
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
    EXPECT_EQ(0, m.os.calls["QuerySystemTimes"]);
}

TEST(CpuSampling, EachModeAdvancesOnlyItsOwnTimes) {
    Machine m;
    m.options.ProcessorCount = 1;
    m.os.processors.resize(1);
    Unit& cpu = m.Add(UNIT_CPU, "CPU Usage");
    const struct { uint64_t idle, kernelBusy, user; int32_t multi, value; const char* what; } steps[] = {
        {800, 100, 100, 0, 20, "total over the first interval"},
        {0, 500, 500, 1, 60, "per processor, from the start: (2000 - 800) of 2000 busy"},
        {1000, 0, 0, 0, 50, "total again: 1000 of 2000 busy since its own last sample"},
    };
    for (const auto& step : steps) {
        Advance(m.os, step.idle, step.kernelBusy, step.user);
        Advance(m.os.processors[0], static_cast<int64_t>(step.idle), static_cast<int64_t>(step.kernelBusy),
                static_cast<int64_t>(step.user));
        m.options.ShowCPUUsageMulti = step.multi;
        cpu.sampleDue = 1;
        m.Poll();
        EXPECT_EQ(step.value, cpu.value) << step.what;
        EXPECT_EQ(step.value, m.state.LastMeterValue[0]) << step.what;
    }
}
