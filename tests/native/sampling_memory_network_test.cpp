#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sampling/memory.h"
#include "sampling/network.h"
#include "sampling_machine.h"

TEST(MemorySampling, MebiBytes) {
    const struct { uint64_t bytes; int32_t mib; } cases[] = {
        {0, 0}, {1048576, 0}, {1048577, 1}, {1572864, 1}, {2097152, 2},
        {4294967296ull, 4096}, {(1ull << 52) + (5ull << 20), 5},   // low 32 bits kept
    };
    for (const auto& c : cases) EXPECT_EQ(c.mib, MebiBytes(c.bytes)) << c.bytes << " bytes";
}

TEST(MemorySampling, RamStep) {
    Machine m;
    Unit& ram = m.Add(UNIT_RAM, "RAM Usage");
    ram.dirty = 0;
    m.os.memory.dwMemoryLoad = 0;
    m.os.memory.ullTotalPhys = 2097152;
    m.os.memory.ullAvailPhys = 1048576;
    m.Poll();
    EXPECT_EQ(0, ram.dirty) << "a first load of 0 is no change";
    EXPECT_EQ(ACTIVITY_IDLE, ram.activity);
    EXPECT_EQ(0, ram.ramFreeMB);
    EXPECT_EQ(2, ram.ramTotalMB);

    m.os.memory.dwMemoryLoad = 42;
    m.Poll();
    EXPECT_EQ(42, ram.value);
    EXPECT_EQ(1, ram.dirty);
    EXPECT_EQ(ACTIVITY_METER, ram.activity);
    EXPECT_EQ(42, m.state.LastMeterValue[kLastRamMeter]);

    // Same load, more memory free: the figure is refreshed, nothing is dirty.
    ram.dirty = 0;
    m.os.memory.ullAvailPhys = 2097152;
    m.Poll();
    EXPECT_EQ(0, ram.dirty);
    EXPECT_EQ(2, ram.ramFreeMB);
    EXPECT_EQ((std::vector<uint32_t>{64, 64, 64}), m.os.memoryLengthsGiven);
}

TEST(MemorySampling, VirtualRamLoad) {
    const struct { uint64_t avail, total; int8_t load; } cases[] = {
        {305, 1000, 70},       // 30.5 % available: the available share truncates
        {1000, 1000, 0},
        {0, 1000, 100},
        {0, 0, 0},             // no commit limit
        {1, 3, 67},
    };
    for (const auto& c : cases) {
        FakeOs os;
        os.memory.ullAvailPageFile = c.avail;
        os.memory.ullTotalPageFile = c.total;
        Unit unit{};
        EXPECT_EQ(c.load, SampleVirtualRam(os, unit)) << c.avail << " of " << c.total;
    }

    Machine m;
    Unit& vram = m.Add(UNIT_VRAM, "VRAM Usage");
    m.os.memory.ullTotalPageFile = 4ull << 30;
    m.os.memory.ullAvailPageFile = 1ull << 30;
    m.os.memory.dwMemoryLoad = 99;   // the physical figure plays no part
    vram.dirty = 0;
    m.Poll();
    EXPECT_EQ(75, vram.value);
    EXPECT_EQ(1, vram.dirty);
    EXPECT_EQ(ACTIVITY_METER, vram.activity);
    EXPECT_EQ(1024, vram.vramFreeMB);
    EXPECT_EQ(4096, vram.vramTotalMB);
    EXPECT_EQ(75, m.state.LastMeterValue[kLastVramMeter]);
    EXPECT_EQ(0, m.state.LastMeterValue[kLastRamMeter]);
    vram.dirty = 0;
    m.os.memory.ullAvailPageFile = (1ull << 30) + (1 << 20);
    m.Poll();
    EXPECT_EQ(0, vram.dirty) << "same load";
    EXPECT_EQ(1025, vram.vramFreeMB);
}

TEST(NetworkSampling, LightsFollowTheOctets) {
    Machine m;
    m.os.AddInterface(24, "lo");
    m.os.AddInterface(6, "eth0");
    Unit& nic = m.Add(UNIT_NIC, "NIC #1 Usage");
    nic.nicIndex = 1;
    IfRow& row = m.os.interfaces[1];
    struct Step {
        uint32_t in, out;
        int8_t activity;
        int32_t dirty;
    };
    const Step steps[] = {
        {0, 0, ACTIVITY_IDLE, 0},
        {500, 0, ACTIVITY_READ, 1},        // receiving
        {500, 80, ACTIVITY_WRITE, 1},      // sending
        {900, 90, ACTIVITY_READWRITE, 1},
        {900, 90, ACTIVITY_IDLE, 1},
        {900, 90, ACTIVITY_IDLE, 0},
        {0, 90, ACTIVITY_IDLE, 0},         // a counter back to 0: taken, not shown
        {0, 95, ACTIVITY_WRITE, 1},
        {0, 99, ACTIVITY_WRITE, 0},
    };
    int pass = 0;
    for (const Step& step : steps) {
        ++pass;
        row.dwInOctets = step.in;
        row.dwOutOctets = step.out;
        nic.dirty = 0;
        m.Poll();
        EXPECT_EQ(step.activity, nic.activity) << "pass " << pass;
        EXPECT_EQ(step.dirty, nic.dirty) << "pass " << pass;
        EXPECT_EQ(step.in, nic.readCounter) << "pass " << pass;
        EXPECT_EQ(step.in, nic.prevReadCounter) << "pass " << pass;
        EXPECT_EQ(step.out, nic.writeCounter) << "pass " << pass;
    }
    // Each sample probes the size with 0 bytes, then fetches with what it asked for.
    ASSERT_EQ(2u * pass, m.os.tableSizesOffered.size());
    EXPECT_EQ(0u, m.os.tableSizesOffered[0]);
    EXPECT_EQ(4u + 2 * 860, m.os.tableSizesOffered[1]);
}

TEST(NetworkSampling, NoRowNoSample) {
    struct Case {
        const char* what;
        int32_t nicIndex;
        uint32_t sizeAnswer, fetchAnswer;
        int failAllocation;   // 1: the probe's buffer, 2: the table's
    };
    const Case cases[] = {
        {"a row beyond the table", 3, kErrorInsufficientBuffer, kErrorSuccess, 0},
        {"a negative row", -1, kErrorInsufficientBuffer, kErrorSuccess, 0},
        {"size probe not supported", 0, kErrorNotSupported, kErrorSuccess, 0},
        {"size probe rejected", 0, kErrorInvalidParameter, kErrorSuccess, 0},
        {"size probe succeeding", 0, kErrorSuccess, kErrorSuccess, 0},
        {"fetch failing", 0, kErrorInsufficientBuffer, kErrorNotSupported, 0},
        {"no memory for the probe", 0, kErrorInsufficientBuffer, kErrorSuccess, 1},
        {"no memory for the table", 0, kErrorInsufficientBuffer, kErrorSuccess, 2},
    };
    for (const Case& c : cases) {
        FakeOs os;
        SamplerState state{};
        os.AddInterface(24, "lo").dwInOctets = 1000;
        os.AddInterface(6, "eth0").dwOutOctets = 2000;
        os.sizeQueryAnswer = c.sizeAnswer;
        os.fetchAnswer = c.fetchAnswer;
        os.failAllocationNumber = c.failAllocation;
        Unit nic{};
        nic.kind = UNIT_NIC;
        nic.nicIndex = c.nicIndex;
        nic.readCounter = nic.prevReadCounter = 7;
        nic.writeCounter = nic.prevWriteCounter = 9;
        nic.activity = ACTIVITY_READ;
        NetworkStep(os, nic, state);
        EXPECT_EQ(7u, nic.readCounter) << c.what;
        EXPECT_EQ(9u, nic.writeCounter) << c.what;
        EXPECT_EQ(ACTIVITY_IDLE, nic.activity) << "the light goes idle: " << c.what;
        EXPECT_EQ(1, nic.dirty) << c.what;
        EXPECT_EQ(0, nic.value) << c.what;
        EXPECT_EQ(0, os.liveBlocks) << c.what;
    }
}

TEST(NetworkSampling, UsageOfTheLink) {
    FakeOs os;
    SamplerState state{};
    os.AddInterface(24, "lo");
    IfRow& row = os.AddInterface(6, "eth0");
    row.dwIndex = 12;
    row.dwSpeed = 8000;   // 1000 bytes a second
    Unit nic{};
    nic.nicIndex = 1;
    struct Step {
        const char* what;
        uint32_t tick, in, out;
        int32_t value;
    };
    const Step steps[] = {
        {"the first sample sets the baseline", 1000, 0xFFFFFF00u, 5000, 0},
        {"in wraps: 456 bytes in 1 s", 2000, 0x000000C8u, 5200, 45},
        {"the larger direction: out 200 in 1 s", 3000, 0x000000C8u, 5400, 20},
        {"clamped: 2000 bytes a second", 3500, 0x000000C8u, 6400, 100},
        {"same tick: figure and baseline kept", 3500, 0x00000FFFu, 9999, 100},
        {"the whole interval since 3500", 4500, 0x000000C8u + 300, 6400, 30},
        {"idle", 5500, 0x000000C8u + 300, 6400, 0},
    };
    nic.value = -5;
    for (const Step& step : steps) {
        os.tickCount = step.tick;
        row.dwInOctets = step.in;
        row.dwOutOctets = step.out;
        SampleNetworkInterface(os, nic, state);
        EXPECT_EQ(step.value, nic.value) << step.what;
    }
    // The tick count wraps too.
    os.tickCount = 0xFFFFFE0Cu;
    SampleNetworkInterface(os, nic, state);
    os.tickCount = 500;
    row.dwOutOctets += 750;
    SampleNetworkInterface(os, nic, state);
    EXPECT_EQ(75, nic.value) << "750 bytes over the 1000 ms across the wrap";

    // Another interface now at the row: a new baseline, not a rate.
    row.dwIndex = 13;
    row.dwOutOctets += 100000;
    os.tickCount = 1500;
    SampleNetworkInterface(os, nic, state);
    EXPECT_EQ(0, nic.value);
    EXPECT_EQ(13u, state.PrevInterfaceSamples[1].ifIndex);

    // An unknown speed gives 0.
    row.dwSpeed = 7;
    row.dwOutOctets += 100000;
    os.tickCount = 2500;
    SampleNetworkInterface(os, nic, state);
    EXPECT_EQ(0, nic.value);
    EXPECT_FALSE(state.PrevInterfaceSamples[0].taken) << "row 0 was never sampled";
}

TEST(NetworkSampling, LinkUsageBounds) {
    EXPECT_EQ(0, LinkUsage(1000, 1000, 1000, 0));
    EXPECT_EQ(0, LinkUsage(1000, 1000, 0, 8000));
    EXPECT_EQ(100, LinkUsage(0xFFFFFFFFu, 0, 1, 8));
    EXPECT_EQ(0, LinkUsage(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu));
    EXPECT_EQ(1, LinkUsage(1250000, 0, 1000, 1000000000));   // 10 Mbit/s on 1 Gbit/s
    EXPECT_EQ(99, LinkUsage(0, 999, 1000, 8000));            // truncated
}
