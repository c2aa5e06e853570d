#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sampling/memory.h"
#include "sampling/network.h"
#include "sampling_machine.h"

TEST(MemorySampling, MebiBytesAndVirtualRamLoad) {
    const struct { uint64_t bytes; int32_t mib; } mebi[] = {
        {0, 0}, {1048576, 0}, {1048577, 1}, {1572864, 1}, {2097152, 2},
        {4294967296ull, 4096}, {(1ull << 52) + (5ull << 20), 5},   // low 32 bits kept
    };
    for (const auto& c : mebi) EXPECT_EQ(c.mib, MebiBytes(c.bytes)) << c.bytes << " bytes";

    const struct { uint64_t avail, total; int8_t load; } loads[] = {
        {305, 1000, 70},       // 30.5 % available: the available share truncates
        {1000, 1000, 0}, {0, 1000, 100}, {0, 0, 0} /* no commit limit */, {1, 3, 67},
    };
    for (const auto& c : loads) {
        FakeOs os;
        os.memory.ullAvailPageFile = c.avail;
        os.memory.ullTotalPageFile = c.total;
        Unit unit{};
        EXPECT_EQ(c.load, SampleVirtualRam(os, unit)) << c.avail << " of " << c.total;
    }
}

TEST(MemorySampling, RamAndVramSteps) {
    Machine m;
    Unit& ram = m.Add(UNIT_RAM, "RAM Usage");
    Unit& vram = m.Add(UNIT_VRAM, "VRAM Usage");
    m.os.memory.ullTotalPhys = 2097152;
    m.os.memory.ullTotalPageFile = 4ull << 30;
    const struct { uint32_t load; uint64_t availPhys, availPageFile; const char* figures; } steps[] = {
        // A first load of 0 is no change.
        {0, 1048576, 4ull << 30, "ram 0 dirty 0 idle 0/2 MiB, vram 0 dirty 0 4096/4096 MiB, meters 0 0"},
        // The physical load plays no part in VRAM.
        {42, 1048576, 1ull << 30, "ram 42 dirty 1 meter 0/2 MiB, vram 75 dirty 1 1024/4096 MiB, meters 42 75"},
        // Same loads, more free: the figures are refreshed, nothing is dirty.
        {42, 2097152, (1ull << 30) + (1 << 20),
         "ram 42 dirty 0 meter 2/2 MiB, vram 75 dirty 0 1025/4096 MiB, meters 42 75"},
    };
    for (const auto& step : steps) {
        m.os.memory.dwMemoryLoad = step.load;
        m.os.memory.ullAvailPhys = step.availPhys;
        m.os.memory.ullAvailPageFile = step.availPageFile;
        ram.dirty = vram.dirty = 0;
        m.Poll();
        char figures[200];
        std::snprintf(figures, sizeof figures,
                      "ram %d dirty %d %s %d/%d MiB, vram %d dirty %d %d/%d MiB, meters %d %d",
                      ram.value, ram.dirty,
                      ram.activity == ACTIVITY_METER ? "meter" : ram.activity == ACTIVITY_IDLE ? "idle" : "?",
                      ram.ramFreeMB, ram.ramTotalMB, vram.value,
                      vram.dirty, vram.vramFreeMB, vram.vramTotalMB, m.state.LastMeterValue[kLastRamMeter],
                      m.state.LastMeterValue[kLastVramMeter]);
        EXPECT_EQ(step.figures, std::string(figures));
    }
    EXPECT_EQ(ACTIVITY_METER, vram.activity);
    EXPECT_EQ((std::vector<uint32_t>(6, 64)), m.os.memoryLengthsGiven);
}

TEST(NetworkSampling, LightsFollowTheOctets) {
    Machine m;
    m.os.AddInterface(24, "lo");
    m.os.AddInterface(6, "eth0");
    Unit& nic = m.Add(UNIT_NIC, "NIC #1 Usage");
    nic.nicIndex = 1;
    IfRow& row = m.os.interfaces[1];
    const struct { uint32_t in, out; int8_t activity; int32_t dirty; } steps[] = {
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
    for (const auto& step : steps) {
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
    const struct {
        const char* what;
        int32_t nicIndex;
        uint32_t sizeAnswer, fetchAnswer;
        int failAllocation;   // 1: the probe's buffer, 2: the table's
    } cases[] = {
        {"a row beyond the table", 3, kErrorInsufficientBuffer, kErrorSuccess, 0},
        {"a negative row", -1, kErrorInsufficientBuffer, kErrorSuccess, 0},
        {"size probe not supported", 0, kErrorNotSupported, kErrorSuccess, 0},
        {"size probe rejected", 0, kErrorInvalidParameter, kErrorSuccess, 0},
        {"size probe succeeding", 0, kErrorSuccess, kErrorSuccess, 0},
        {"fetch failing", 0, kErrorInsufficientBuffer, kErrorNotSupported, 0},
        {"no memory for the probe", 0, kErrorInsufficientBuffer, kErrorSuccess, 1},
        {"no memory for the table", 0, kErrorInsufficientBuffer, kErrorSuccess, 2},
    };
    for (const auto& c : cases) {
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
    nic.value = -5;
    const struct { const char* what; uint32_t index, speed, tick, in, out; int32_t value; } steps[] = {
        {"the first sample sets the baseline", 12, 8000, 1000, 0xFFFFFF00u, 5000, 0},
        {"in wraps: 456 bytes in 1 s", 12, 8000, 2000, 0xC8, 5200, 45},
        {"the larger direction: out 200 in 1 s", 12, 8000, 3000, 0xC8, 5400, 20},
        {"clamped: 2000 bytes a second", 12, 8000, 3500, 0xC8, 6400, 100},
        {"same tick: figure and baseline kept", 12, 8000, 3500, 0xFFF, 9999, 100},
        {"the whole interval since 3500", 12, 8000, 4500, 0xC8 + 300, 6400, 30},
        {"idle", 12, 8000, 5500, 0xC8 + 300, 6400, 0},
        {"before the tick count wraps", 12, 8000, 0xFFFFFE0Cu, 0xC8 + 300, 6400, 0},
        {"750 bytes over the 1000 ms across the wrap", 12, 8000, 500, 0xC8 + 300, 7150, 75},
        {"another interface at the row: a new baseline", 13, 8000, 1500, 0xC8 + 300, 107150, 0},
        {"an unknown speed gives 0", 13, 7, 2500, 0xC8 + 300, 207150, 0},
    };
    for (const auto& step : steps) {
        row.dwIndex = step.index;
        row.dwSpeed = step.speed;
        os.tickCount = step.tick;
        row.dwInOctets = step.in;
        row.dwOutOctets = step.out;
        SampleNetworkInterface(os, nic, state);
        EXPECT_EQ(step.value, nic.value) << step.what;
    }
    EXPECT_EQ(13u, state.PrevInterfaceSamples[1].ifIndex);
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
