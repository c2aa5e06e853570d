// In total mode every CPU Unit shows the same processor total: the pass takes
// one sample and hands it to each due Unit.
#include <gtest/gtest.h>

#include "sampling_machine.h"

TEST(CpuTotal, OnePassSamplesTheTotalOnceForEveryCpuUnit) {
    Machine m;
    m.options.ProcessorCount = 2;
    Unit& first = m.Add(UNIT_CPU, "CPU #0 Usage");
    Unit& second = m.Add(UNIT_CPU, "CPU #1 Usage");
    second.cpuIndex = 1;
    m.Close();

    // 62.6 % busy since the start: kernel 1000 (idle 374 of it), user 0.
    m.os.systemIdle = 374;
    m.os.systemKernel = 1000;
    first.sampleDue = second.sampleDue = 1;
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
