#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sampling/drive.h"
#include "sampling_machine.h"

namespace {

const char kDrive0[] = "\\\\.\\PHYSICALDRIVE0";
const char kDriveC[] = "\\\\.\\C:";
const char kDriveD[] = "\\\\.\\D:";
constexpr uint64_t kMiB = 1048576;
constexpr uint64_t kGiB = 1073741824;

}  // namespace

TEST(DriveSampling, LightsFollowTheCounters) {
    Machine m;
    Unit& drive = m.Add(DRIVE_NO_ROOT_DIR, kDrive0);
    m.os.devices = {kDrive0};
    FakeDisk& disk = m.os.disks[kDrive0];
    m.Close();
    const struct { uint32_t reads, writes; int8_t activity; int32_t dirty; } steps[] = {
        {0, 7, ACTIVITY_WRITE, 1},        // write only
        {3, 9, ACTIVITY_READWRITE, 1},    // both
        {3, 9, ACTIVITY_IDLE, 1},         // unchanged: back to idle, a change
        {3, 9, ACTIVITY_IDLE, 0},         // still unchanged: nothing to show
        {5, 9, ACTIVITY_READ, 1},         // read only
        {5, 9, ACTIVITY_IDLE, 1},
        {0, 0, ACTIVITY_IDLE, 0},         // counters restarted: taken, not shown
        {0, 4, ACTIVITY_WRITE, 1},
        {0, 8, ACTIVITY_WRITE, 0},        // still writing: no further update
    };
    int pass = 0;
    for (const auto& step : steps) {
        ++pass;
        disk.readCount = step.reads;
        disk.writeCount = step.writes;
        drive.dirty = 0;
        EXPECT_EQ(1, m.Poll()) << "pass " << pass;
        EXPECT_EQ(step.activity, drive.activity) << "pass " << pass;
        EXPECT_EQ(step.dirty, drive.dirty) << "pass " << pass;
        EXPECT_EQ(step.reads, drive.readCounter) << "pass " << pass;
        EXPECT_EQ(step.writes, drive.writeCounter) << "pass " << pass;
    }
    // Each pass: one buffer, open, query for 88 bytes, free space of the path with a backslash, close.
    EXPECT_EQ(pass, m.os.calls["OpenDevice"]);
    EXPECT_EQ(pass, m.os.calls["CloseDevice"]);
    EXPECT_EQ(std::vector<uint32_t>(pass, 88u), m.os.performanceBytesAsked);
    EXPECT_EQ(std::vector<std::string>(pass, std::string(kDrive0) + "\\"), m.os.freeSpacePaths);
    EXPECT_EQ(pass, m.os.calls["AllocateZeroed"]);
    EXPECT_EQ(0, m.os.calls["ShowMessageBox"]);
}

TEST(DriveSampling, FreeSpaceFigures) {
    const struct {
        bool readable;
        uint64_t total, free;
        int32_t value, divisor;
        char unit;
        uint32_t freeScaled, totalScaled;
    } cases[] = {
        {true, kGiB, kGiB / 2, 50, 1048576, 'M', 512, 1024},      // exactly 1 GiB
        {true, kGiB + 1, kGiB / 4, 24, 1073741824, 'G', 0, 1},
        {true, 500000000000, 123456789012, 24, 1073741824, 'G', 114, 465},
        {true, kMiB + 1, kMiB, 99, 1048576, 'M', 1, 1},
        {true, kMiB, 1000, 0, 1, ' ', 1000, 1048576},             // exactly 1 MiB
        {true, 5 * kGiB, 0, -1, 1073741824, 'G', 0, 5},           // full: -1, not 0
        {true, 0, 0, -1, 1, ' ', 0, 0},
        {false, 9 * kGiB, kGiB, -1, 1, ' ', 0, 0},                // query fails
        {true, 8000 * kGiB, 8000 * kGiB, 100, 1073741824, 'G', 8000, 8000},
    };
    for (const auto& c : cases) {
        FakeOs os;
        os.freeSpace["\\\\.\\C:\\"] = {c.readable, c.total, c.free};
        Unit unit{};
        std::snprintf(unit.name, sizeof unit.name, "%s", kDriveC);
        unit.value = 77;
        ReadFreeSpace(os, unit);
        std::string label = "total " + std::to_string(c.total) + " free " + std::to_string(c.free);
        EXPECT_EQ(c.value, unit.value) << label;
        EXPECT_EQ(c.divisor, unit.sizeDivisor) << label;
        EXPECT_EQ(c.unit, unit.sizeUnit) << label;
        EXPECT_EQ(c.freeScaled, unit.freeScaled) << label;
        EXPECT_EQ(c.totalScaled, unit.totalScaled) << label;
    }

    // A path that already ends in a backslash gets no second one.
    FakeOs os;
    Unit unit{};
    std::snprintf(unit.name, sizeof unit.name, "\\\\.\\C:\\");
    ReadFreeSpace(os, unit);
    EXPECT_EQ((std::vector<std::string>{"\\\\.\\C:\\"}), os.freeSpacePaths);
}

TEST(DriveSampling, OnlyEnabledDrivesOfTheSampledKindsAreAsked) {
    Machine m;
    m.os.devices = {kDriveC, kDriveD, "\\\\.\\E:", kDrive0};
    m.Add(DRIVE_CDROM, kDriveD);             // letters of other types: never sampled
    m.Add(DRIVE_REMOVABLE, "\\\\.\\E:");
    m.Add(DRIVE_FIXED, kDriveC).enabled = 0;
    Unit& cpu = m.Add(UNIT_CPU, "CPU Usage");
    cpu.enabled = 0;
    cpu.sampleDue = 1;
    m.Add(UNIT_RAM, "RAM Usage").enabled = 0;
    m.Add(UNIT_VRAM, "VRAM Usage").enabled = 0;
    m.Add(UNIT_NIC, "NIC #0 Usage").enabled = 0;
    m.Close();
    EXPECT_EQ(1, m.Poll());
    // Only the pass's own buffer: not one platform call for any Unit.
    EXPECT_EQ((std::map<std::string, int>{{"AllocateZeroed", 1}, {"FreeMemory", 1}}), m.os.calls);
    EXPECT_EQ(1, cpu.sampleDue) << "a disabled CPU Unit keeps its due flag";
}

TEST(DriveSampling, NoBufferNoSample) {
    Machine m;
    m.os.devices = {kDriveC};
    Unit& c = m.Add(DRIVE_FIXED, kDriveC);
    Unit& ram = m.Add(UNIT_RAM, "RAM Usage");
    m.os.memory.dwMemoryLoad = 40;
    m.Close();
    m.os.failAllocationNumber = m.os.allocations + 1;
    EXPECT_EQ(0, m.Poll());
    EXPECT_EQ(0, m.os.calls["OpenDevice"]);
    EXPECT_EQ(0, m.os.calls["QueryMemoryStatus"]);
    EXPECT_EQ(0, ram.value);
    EXPECT_EQ(0, c.activity);
    EXPECT_EQ(1, m.Poll()) << "the next pass has its buffer";
    EXPECT_EQ(40, ram.value);

    Unit* empty = nullptr;
    EXPECT_EQ(1, PollUnits(m.os, &empty, m.options, m.state)) << "an empty list";
}

// An unplugged drive is passed over; the Units after it are still sampled, and the pass returns 0.
TEST(DriveSampling, UnopenableDriveDoesNotStopThePass) {
    Machine m;
    m.os.devices = {kDrive0, kDriveD};
    m.os.disks[kDrive0] = {true, 1, 1};
    m.os.disks[kDriveD] = {true, 2, 2};
    m.os.memory.dwMemoryLoad = 55;
    Unit& first = m.Add(DRIVE_NO_ROOT_DIR, kDrive0);
    Unit& gone = m.Add(DRIVE_FIXED, kDriveC);
    gone.writeCounter = 4;
    gone.activity = ACTIVITY_WRITE;
    gone.value = 12;
    Unit& after = m.Add(DRIVE_FIXED, kDriveD);
    Unit& ram = m.Add(UNIT_RAM, "RAM Usage");
    EXPECT_EQ(0, m.Poll());
    EXPECT_EQ(ACTIVITY_READWRITE, first.activity);
    EXPECT_EQ(4u, gone.writeCounter);
    EXPECT_EQ(ACTIVITY_WRITE, gone.activity);
    EXPECT_EQ(12, gone.value) << "an unopened drive keeps its figures";
    EXPECT_EQ(ACTIVITY_READWRITE, after.activity) << "the drive after it was sampled";
    EXPECT_EQ(2u, after.readCounter);
    EXPECT_EQ(55, ram.value) << "the memory Unit after it was sampled";
    EXPECT_EQ((std::vector<std::string>{kDrive0, kDriveC, kDriveD}), m.os.opened);
    EXPECT_EQ(2, m.os.calls["CloseDevice"]);

    m.os.devices.insert(kDriveC);
    EXPECT_EQ(1, m.Poll()) << "complete once every drive opens";
}

TEST(DriveSampling, FailedQueryGivesOneWarningAndKeepsTheLight) {
    for (int answer : {6, 7}) {   // IDYES, IDNO
        Machine m;
        m.os.devices = {kDrive0, kDriveC, kDriveD};
        m.os.disks[kDrive0] = {true, 5, 7};   // kDriveC has no record: its query fails
        m.os.disks[kDriveD] = {true, 1, 1};
        m.os.freeSpace["\\\\.\\C:\\"] = {true, 2 * kGiB, kGiB};
        m.os.messageBoxAnswer = answer;
        Unit& d0 = m.Add(DRIVE_NO_ROOT_DIR, kDrive0);
        Unit& c = m.Add(DRIVE_FIXED, kDriveC);
        c.readCounter = 4;
        c.writeCounter = 3;
        c.activity = ACTIVITY_READ;
        m.Add(DRIVE_FIXED, kDriveD);
        bool pendingWhileShown = true;
        int nestedResult = -1;
        m.os.onMessageBox = [&] {
            pendingWhileShown = m.state.PerfCounterWarningPending;
            // The box's message loop runs further passes: they show no box.
            nestedResult = PollUnits(m.os, &m.list, m.options, m.state);
            EXPECT_TRUE(m.os.commands.empty()) << "the command runs after the box";
        };
        EXPECT_TRUE(m.state.PerfCounterWarningPending) << "a fresh state has the warning pending";
        EXPECT_EQ(1, m.Poll());
        m.os.onMessageBox = nullptr;
        c.dirty = 0;
        EXPECT_EQ(1, m.Poll());
        // The buffer holds the previous drive's counts: a failed query must not take them.
        EXPECT_EQ(4u, c.readCounter);
        EXPECT_EQ(3u, c.writeCounter);
        EXPECT_EQ(ACTIVITY_READ, c.activity);
        EXPECT_EQ(0, c.dirty);

        ASSERT_EQ(1u, m.os.messageBoxes.size()) << answer;
        const FakeMessageBox& box = m.os.messageBoxes[0];
        EXPECT_EQ(nullptr, box.owner);
        EXPECT_EQ("Blinkwatch ERROR:\n\nBlinkwatch can't display activity indicators since the "
                  "systems performance counters have been disabled.\nthis might be fixed by running "
                  "the following command: diskperf -y\ndo you want to try this now?\n",
                  box.text);
        EXPECT_EQ("Blinkwatch FAILURE", box.caption);
        EXPECT_EQ(0x2014u, box.style);
        EXPECT_FALSE(pendingWhileShown) << "the flag falls before the box";
        EXPECT_EQ(1, nestedResult);
        EXPECT_EQ(answer == 6 ? std::vector<std::string>{"diskperf -y"} : std::vector<std::string>{},
                  m.os.commands) << answer;
        // The pass went on after the box; free space is still refreshed.
        EXPECT_EQ(-1, d0.value) << "no free space for a physical drive";
        EXPECT_EQ(50, c.value);
        EXPECT_EQ(9u, m.os.freeSpacePaths.size()) << "three drives in three passes";
    }
}
