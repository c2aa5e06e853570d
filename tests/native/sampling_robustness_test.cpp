// The processor total shared by every CPU Unit of a pass; figures no healthy
// platform gives, and a pass run inside another one, which must neither crash
// (the sanitizers watch) nor leave a wrong figure behind.
#include <gtest/gtest.h>

#include <cstdint>

#include "sampling_machine.h"

namespace {

// Two CPU Units in total mode, the system 62.6 % busy since the start.
void AddTwoProcessors(Machine& m, Unit*& first, Unit*& second) {
    m.options.ProcessorCount = 2;
    first = &m.Add(UNIT_CPU, "CPU #0 Usage");
    second = &m.Add(UNIT_CPU, "CPU #1 Usage");
    second->cpuIndex = 1;
    m.Close();
    m.os.systemIdle = 374;
    m.os.systemKernel = 1000;
    first->sampleDue = second->sampleDue = 1;
}

}  // namespace

TEST(SamplingRobustness, AbsurdFiguresDoNotCrash) {
    Machine m;
    Unit& c = m.Add(DRIVE_FIXED, "\\\\.\\C:");
    m.os.devices = {"\\\\.\\C:"};
    m.os.disks["\\\\.\\C:"] = FakeDisk{};
    // More free bytes than the whole volume, the volume below 100 bytes.
    m.os.freeSpace["\\\\.\\C:\\"] = {true, 50, UINT64_MAX};
    EXPECT_EQ(1, m.Poll());   // no division by zero on the way
    EXPECT_EQ(50u, c.totalScaled);
    EXPECT_EQ(' ', c.sizeUnit);

    // A processor record whose idle time times 100 wraps to the lowest
    // 64-bit value (2^61 × 100 = 25 × 2^63), over a span of one unit.
    Machine cpu;
    cpu.options.ProcessorCount = 1;
    cpu.options.ShowCPUUsageMulti = 1;
    Unit& unit = cpu.Add(UNIT_CPU, "CPU Usage");
    cpu.os.AddProcessor(INT64_C(0x2000000000000000), 1, 0);
    unit.sampleDue = 1;
    cpu.Poll();   // the sanitizers fail the test on an overflow
    EXPECT_EQ(ACTIVITY_METER, unit.activity);
}

TEST(SamplingRobustness, APassInsideTheWarningBoxKeepsTheOuterTotal) {
    Machine m;
    m.Add(DRIVE_NO_ROOT_DIR, "\\\\.\\PHYSICALDRIVE0");   // no counters: the box opens
    m.os.devices = {"\\\\.\\PHYSICALDRIVE0"};
    m.os.disks["\\\\.\\PHYSICALDRIVE0"].performanceWorks = false;
    Unit* first = nullptr;
    Unit* second = nullptr;
    AddTwoProcessors(m, first, second);
    // While the box is open a timer tick runs a whole pass of its own.
    m.os.onMessageBox = [&] { m.Poll(); };
    m.Poll();
    EXPECT_EQ(62, first->value);
    EXPECT_EQ(62, second->value) << "the outer pass must not sample an empty interval";
}

TEST(SamplingRobustness, AVanishedInterfaceShowsNoUsage) {
    Machine m;
    m.os.AddInterface(6, "eth0").dwSpeed = 8000;   // 1000 bytes a second
    Unit& nic = m.Add(UNIT_NIC, "NIC #0 Usage");
    m.os.tickCount = 1000;
    m.Poll();
    m.os.interfaces[0].dwInOctets = 500;
    m.os.tickCount = 2000;
    m.Poll();
    EXPECT_EQ(50, nic.value);
    m.os.interfaces.clear();   // the interface is gone
    m.os.tickCount = 3000;
    m.Poll();
    EXPECT_EQ(0, nic.value);
    EXPECT_EQ(ACTIVITY_IDLE, nic.activity);
}

TEST(CpuTotal, OnePassSamplesTheTotalOnceForEveryCpuUnit) {
    Machine m;
    Unit* firstUnit = nullptr;
    Unit* secondUnit = nullptr;
    AddTwoProcessors(m, firstUnit, secondUnit);
    Unit& first = *firstUnit;
    Unit& second = *secondUnit;
    m.Poll();
    EXPECT_EQ(1, m.os.calls["QuerySystemTimes"]);
    EXPECT_EQ(62, first.value);
    EXPECT_EQ(62, second.value) << "the second Unit must not sample an empty interval";
    EXPECT_EQ(1, second.dirty);
    EXPECT_EQ(ACTIVITY_METER, second.activity);

    // The same load again: nobody changes, nobody is marked.
    first.dirty = second.dirty = 0;
    m.os.systemIdle += 374;
    m.os.systemKernel += 1000;
    first.sampleDue = second.sampleDue = 1;
    m.Poll();
    EXPECT_EQ(2, m.os.calls["QuerySystemTimes"]);
    EXPECT_EQ(0, first.dirty);
    EXPECT_EQ(0, second.dirty);

    // A Unit that is not due keeps its figure; the due one follows the total.
    m.os.systemIdle += 100;
    m.os.systemKernel += 1000;
    first.sampleDue = 1;
    m.Poll();
    EXPECT_EQ(90, first.value);
    EXPECT_EQ(62, second.value);
    second.sampleDue = 1;
    m.os.systemIdle += 100;
    m.os.systemKernel += 1000;
    m.Poll();
    EXPECT_EQ(90, second.value);
}
