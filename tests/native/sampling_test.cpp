#include "fake_os.h"
#include "sampling/drive.h"
#include "sampling/memory.h"
#include "sampling/network.h"
#include "sampling/poll_units.h"

namespace {

constexpr uint64_t kMiB = 1048576, kGiB = 1073741824;
const char kC[] = "\\\\.\\C:";
const char kD[] = "\\\\.\\D:";

struct Sampler {
    FakeOs os;
    TestList list;
    GlobalOptions options{};
    SamplerState state{};
    bool Poll() { return PollUnits(os, list.end, options, state); }
};

// "activity/dirty", and more figures after it.
std::string Light(const Unit& u) { return std::to_string(u.activity) + "/" + std::to_string(u.dirty); }
std::string Light(const Unit& u, int64_t a, int64_t b) { return Light(u) + " " + std::to_string(a) + " " + std::to_string(b); }

}  // namespace

TEST(Sampling, DriveLightsFollowTheCountersAndFreeSpaceTheVolume) {
    Sampler s;
    Unit& c = s.list.Add(kC, DRIVE_FIXED);
    s.os.devices = {kC};
    FakeDisk& disk = s.os.disks[kC];
    // reads, writes -> activity/dirty: unchanged counts fall back to idle once; a counter restarted at 0 is not shown.
    const struct { uint32_t reads, writes; const char* light; } steps[] = {
        {0, 7, "1/1"}, {3, 9, "3/1"}, {3, 9, "0/1"}, {3, 9, "0/0"}, {5, 9, "2/1"},
        {6, 9, "2/0"}, {0, 0, "0/1"}, {0, 4, "1/1"}};
    for (const auto& step : steps) {
        disk.reads = step.reads, disk.writes = step.writes, c.dirty = 0;
        EXPECT_TRUE(s.Poll());
        EXPECT_EQ(step.light, Light(c)) << step.reads << " reads, " << step.writes << " writes";
    }
    // total, free -> percent, divisor, unit, scaled figures; the bounds are strict.
    const struct { bool sized; uint64_t total, free; std::string figures; } volumes[] = {
        {true, kGiB, kGiB / 2, "50 1048576 M 512/1024"}, {true, kGiB + 1, kGiB / 4, "24 1073741824 G 0/1"},
        {true, kMiB + 1, kMiB, "99 1048576 M 1/1"}, {true, kMiB, 1000, "0 1   1000/1048576"},
        {true, 5 * kGiB, 0, "-1 1073741824 G 0/5"}, {true, 50, 200, "100 1   200/50"},
        {true, UINT64_MAX, UINT64_MAX / 3, "33 1073741824 G 1431655765/4294967295"},
        {true, 0, 5, "-1 1   5/0"}, {false, 9 * kGiB, kGiB, "-1 1   0/0"}};
    for (const auto& v : volumes) {
        disk = {true, 6, 0, v.sized, v.total, v.free};
        c.dirty = 1;   // its tooltip is about to be sent
        s.Poll();
        char figures[96];
        std::snprintf(figures, sizeof figures, "%d %d %c %u/%u", c.value, c.sizeDivisor, c.sizeUnit,
                      c.freeScaled, c.totalScaled);
        EXPECT_EQ(v.figures, figures) << "total " << v.total << ", free " << v.free;
    }
    // Free space is asked only for a tooltip about to be sent (the Unit is marked, or its icon is to be
    // added), or on request for every enabled drive that passes sample and that opens.
    c.dirty = 0, c.tray.state = TRAY_ICON_SHOWN, disk = {true, 6, 0, true, 400, 100}, s.Poll();
    EXPECT_EQ(-1, c.value);
    c.tray.state = TRAY_ICON_UNCERTAIN, disk.free = 300, s.Poll();
    EXPECT_EQ(75, c.value);
    disk.free = 100, s.list.Add("\\\\.\\E:", DRIVE_CDROM), s.list.Add("\\\\.\\F:", DRIVE_FIXED).enabled = 0;
    int asked = s.os.calls["QueryDiskFreeSpace"];
    RefreshFreeSpace(s.os, s.list.end);
    EXPECT_EQ("25 1", std::to_string(c.value) + " " + std::to_string(s.os.calls["QueryDiskFreeSpace"] - asked));
    std::strcpy(c.name, "\\\\.\\C:\\"), s.os.devices = {c.name}, disk = {true, 0, 0, true, 100, 25};   // no second backslash
    RefreshFreeSpace(s.os, s.list.end);
    EXPECT_EQ(25, c.value);
    s.os.devices.clear(), disk.free = 50, RefreshFreeSpace(s.os, s.list.end);
    EXPECT_EQ(25, c.value) << "an unplugged drive keeps its figures";
}

TEST(Sampling, APassSkipsWhatItMustAndGoesOnPastAnUnpluggedDrive) {
    Sampler s;
    s.os.devices = {kC, kD, "\\\\.\\E:"};
    for (uint32_t kind : {uint32_t{DRIVE_CDROM}, uint32_t{DRIVE_REMOVABLE}, uint32_t{DRIVE_REMOTE}})
        s.list.Add("\\\\.\\E:", kind);
    for (uint32_t kind : {UNIT_CPU, UNIT_RAM, UNIT_VRAM, UNIT_NIC, uint32_t{DRIVE_FIXED}})
        s.list.Add("off", kind).enabled = 0;
    s.list["off"].sampleDue = 1;
    s.list.Add("CPU Usage", UNIT_CPU);   // enabled, but no sample due
    EXPECT_TRUE(s.Poll());
    EXPECT_TRUE(s.os.calls.empty()) << "a disabled or not due Unit, or a letter of another type, costs no call";

    Unit& gone = s.list.Add("\\\\.\\PHYSICALDRIVE3", DRIVE_NO_ROOT_DIR);
    gone.activity = ACTIVITY_WRITE, gone.value = 12;
    Unit& d = s.list.Add(kD, DRIVE_FIXED);
    s.os.disks[kD].reads = 2;
    s.os.memory = {sizeof(MemoryStatus), 55, 0, 0, 10, 4};
    Unit& ram = s.list.Add("RAM Usage", UNIT_RAM);
    Unit& vram = s.list.Add("VRAM Usage", UNIT_VRAM);
    EXPECT_FALSE(s.Poll()) << "an incomplete pass";
    EXPECT_EQ("1/0 12 0", Light(gone, gone.value, 0)) << "left as it was";
    EXPECT_EQ("2/1 55 60", Light(d, ram.value, vram.value)) << "the Units after it are sampled";
    EXPECT_EQ(s.os.calls["OpenDevice"] - 1, s.os.calls["CloseDevice"]);
    EXPECT_EQ(1, s.list["off"].sampleDue) << "a disabled CPU Unit keeps its due flag";
}

TEST(Sampling, SwitchedOffCountersWarnOnceAndKeepTheLight) {
    Sampler s;
    s.os.answer = 6;   // Yes
    s.os.devices = {kC, kD};
    s.os.disks[kC] = {false, 8, 9}, s.os.disks[kD] = {false};
    Unit& c = s.list.Add(kC, DRIVE_FIXED);
    c.readCounter = 4, c.activity = ACTIVITY_READ, s.list.Add(kD, DRIVE_FIXED);
    bool nestedComplete = false;
    s.os.whileBoxOpen = [&] {   // the box's loop runs further passes: no second box, no command yet
        nestedComplete = s.Poll() && s.os.commands.empty();
    };
    EXPECT_TRUE(s.Poll() && nestedComplete);
    ASSERT_EQ(1u, s.os.boxes.size());   // a Yes/No question that offers the command, before anything else
    EXPECT_NE(std::string::npos, s.os.boxes[0].find("command: diskperf -y\ndo you want to try this now?\n|Blinkwatch FAILURE|8212"));
    EXPECT_EQ(std::vector<std::string>{"diskperf -y"}, s.os.commands);
    EXPECT_EQ("2/0 4", Light(c) + " " + std::to_string(c.readCounter)) << "the stale record is not taken";
}

TEST(Sampling, ProcessorLoads) {
    // Each step adds idle, busy kernel and user time: the total truncates the busy share, a processor the idle share.
    const struct { uint64_t idle, busyKernel, user; int32_t total, dirty, perProcessor; } steps[] = {
        {374, 226, 400, 62, 1, 63}, {374, 226, 400, 62, 0, 63}, {1, 499, 500, 99, 1, 100},
        {0, 0, 0, 0, 1, 100}, {1000, 0, 0, 0, 0, 0}, {0, 300, 700, 100, 1, 100},
        // times that went backwards: 0 or 100, and no division by 0 or -1 goes wrong
        {10, UINT64_MAX - 9, 0, 0, 1, 100}, {1, UINT64_MAX - 1, 0, 100, 1, 100},
        {UINT64_MAX, 0, 0, 0, 1, 0}, {1ull << 61, UINT64_MAX - (1ull << 61), 0, 0, 0, 100}};
    // The total; each processor where the platform fills what fits of a buffer for the processors it was
    // told of; each processor where it refuses that buffer (it has more processors) with the length it needs.
    for (int mode : {0, 1, 2}) {
        const bool multi = mode != 0;
        Sampler s;
        s.options.ProcessorCount = 2, s.options.ShowCPUUsageMulti = multi;
        Unit& cpu0 = s.list.Add("CPU #0 Usage", UNIT_CPU);
        Unit& cpu1 = s.list.Add("CPU #1 Usage", UNIT_CPU);
        cpu1.cpuIndex = 1;
        s.os.processors.resize(40), s.os.refusesShortBuffer = mode == 2;
        for (const auto& step : steps) {
            s.os.processors[1] = {static_cast<int64_t>(s.os.idle += step.idle),
                                  static_cast<int64_t>(s.os.kernel += step.idle + step.busyKernel),
                                  static_cast<int64_t>(s.os.user += step.user), 0, 0, 0};
            cpu0.dirty = cpu1.dirty = 0, cpu0.sampleDue = cpu1.sampleDue = 1;
            s.Poll();
            EXPECT_EQ(multi ? step.perProcessor : step.total, cpu1.value) << step.idle << " " << multi;
            EXPECT_EQ(multi ? 1 : step.dirty, cpu1.dirty) << "a per-processor sample always redraws";
            EXPECT_EQ("9 0", std::to_string(cpu1.activity) + " " + std::to_string(cpu1.sampleDue));
            EXPECT_EQ(multi ? cpu0.value : cpu1.value, cpu0.value) << "one total per pass, shown by every CPU";
        }
        EXPECT_EQ(multi ? 0 : 10, s.os.calls["QuerySystemTimes"]);
        if (!multi) continue;
        for (int32_t status : {5, kStatusSuccess}) {   // no usable answer, then a record the platform did not fill
            s.os.processorStatus = status, s.os.processors.resize(status == 5 ? 2 : 1);
            s.os.processors.back().IdleTime += 900, s.os.processors.back().KernelTime += 900;   // idle, if taken
            cpu1.sampleDue = 1, s.Poll();   // the load stays
        }
        EXPECT_EQ("9/1 100 0", Light(cpu1, cpu1.value, 0));
    }
}

TEST(Sampling, MemoryLoadsAndFigures) {
    FakeOs os;
    SamplerState state{};
    Unit ram{}, vram{};
    // Memory status -> "load free/total dirty" of RAM, then VRAM; whole MiB above 1 MiB; VRAM truncates the free share.
    const struct { uint32_t load; uint64_t total, avail, pageTotal, pageAvail; std::string figures; } cases[] = {
        {40, 2 * kMiB, kMiB, 1000 * kMiB, 305 * kMiB, "40 0/2 1 70 305/1000 1"}, {40, 3 * kMiB / 2, kMiB + 1, 100, 100, "40 1/1 0 0 0/0 1"},
        {99, 8 * kGiB, 0, 0, 0, "99 0/8192 1 0 0/0 0"}, {7, kMiB, kMiB, 5 * kMiB, 0, "7 0/0 1 100 0/5 1"},
        {150, 0, 0, 100, 300, "100 0/0 1 0 0/0 1"}};   // absurd figures: 0..100 all the same
    for (const auto& c : cases) {
        os.memory = {sizeof(MemoryStatus), c.load, c.total, c.avail, c.pageTotal, c.pageAvail};
        ram.dirty = vram.dirty = 0, RamStep(os, ram, state), VirtualRamStep(os, vram, state);
        char text[64];
        std::snprintf(text, sizeof text, "%d %d/%d %d %d %d/%d %d", ram.value, ram.ramFreeMB, ram.ramTotalMB, ram.dirty,
                      vram.value, vram.vramFreeMB, vram.vramTotalMB, vram.dirty);
        EXPECT_EQ(c.figures, text);
        EXPECT_EQ(ACTIVITY_METER * 2, ram.activity + vram.activity) << "meters from their first change on";
    }
    Sampler s;   // in a pass, one status for both, and a new one at the next pass
    Unit& passRam = (s.list.Add("VRAM Usage", UNIT_VRAM), s.list.Add("RAM Usage", UNIT_RAM));
    s.os.memory.dwLength = sizeof(MemoryStatus), s.Poll(), s.os.memory.dwMemoryLoad = 50, s.Poll();
    EXPECT_EQ("50 2", std::to_string(passRam.value) + " " + std::to_string(s.os.calls["QueryMemoryStatus"]));
}

TEST(Sampling, NetworkLightsAndUsage) {
    Sampler s;
    Unit& nic0 = s.list.Add("NIC #0 Usage", UNIT_NIC);
    Unit& nic = s.list.Add("NIC #1 Usage", UNIT_NIC);
    nic.nicIndex = 1;
    s.os.AddInterface(7, 0, 5);
    s.os.AddInterface(9, 1000, 0, 80000);   // 10000 bytes a second
    // tick, in, out, interface of row 1 -> light, usage: the first sample sets the baseline, one in the same
    // millisecond keeps it; counters and ticks wrap modulo 2^32; another interface at the row starts over.
    const struct { uint32_t tick, in, out, index; const char* light; int32_t usage; } steps[] = {
        {1000, 1000, 0, 9, "2/1", 0}, {2000, 3000, 500, 9, "3/1", 20}, {2000, 3000, 900, 9, "1/1", 20},
        {3000, 3000, 900, 9, "0/1", 4}, {3001, 3001, 900, 9, "2/1", 10}, {4000, UINT32_MAX - 999, 900, 9, "2/0", 100},
        {UINT32_MAX - 99, UINT32_MAX - 999, 900, 9, "0/1", 0}, {400, 499, 900, 9, "2/1", 29},
        {500, 1499, 901, 4, "3/1", 0}, {1500, 2499, 901, 4, "2/1", 10},
        {2500, 100, 0, 4, "2/0", 0}, {3500, 1100, 0, 4, "2/0", 10}};   // the adapter reset: a new baseline
    for (const auto& step : steps) {
        s.os.tick = step.tick;
        IfRow& row = s.os.interfaces[1];
        row.dwInOctets = step.in, row.dwOutOctets = step.out, row.dwIndex = step.index;
        nic.dirty = 0;
        s.Poll();
        EXPECT_EQ(step.light, Light(nic)) << "tick " << step.tick;
        EXPECT_EQ(step.usage, nic.value) << "tick " << step.tick;
    }
    EXPECT_EQ(13, s.os.calls["QueryInterfaceTable"]) << "one table a pass for both Units, the size asked once";
    EXPECT_EQ("0/1 5", Light(nic0) + " " + std::to_string(nic0.writeCounter)) << "row 0 is sampled too";
    // A row beyond the table, or a table that cannot be had: no traffic, no usage.
    nic.nicIndex = 2;
    s.Poll();
    EXPECT_EQ("0/1 0 1100", Light(nic, nic.value, nic.readCounter));
    nic.nicIndex = 1, nic.value = 55, s.os.fetchAnswer = 31;
    s.Poll();
    EXPECT_EQ(0, nic.value);
}
