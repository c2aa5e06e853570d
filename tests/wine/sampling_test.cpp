// The sampling services and steps against the real platform, as Wine presents it.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_os.h"
#include "platform/win32/win32_os_sampling.h"
#include "sampling/cpu.h"
#include "sampling/drive.h"
#include "sampling/memory.h"
#include "sampling/network.h"
#include "sampling/poll_units.h"
#include "units/unit_list.h"

namespace {

uint32_t ProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

// Keeps processor 0 busy while it lives.
struct BusyThread {
    std::atomic<bool> stop{false};
    std::thread thread{[this] {
        SetThreadAffinityMask(GetCurrentThread(), 1);
        while (!stop.load()) {
        }
    }};
    ~BusyThread() {
        stop = true;
        thread.join();
    }
};

// Win32Os with scripted per-processor records, for the Windows 2000 fallback.
class ScriptedProcessorsOs : public Win32Os {
public:
    std::vector<ProcessorTimes> records;
    int32_t status = kStatusSuccess;
    int32_t QueryProcessorTimes(ProcessorTimes* out, uint32_t bytes, uint32_t* returned) override {
        uint32_t size = static_cast<uint32_t>(records.size() * sizeof(ProcessorTimes));
        if (size > bytes) size = bytes;
        std::memcpy(out, records.data(), size);
        *returned = status == kStatusSuccess ? size : 0;
        return status;
    }
};

// Win32Os whose warning box is answered Yes by the test and whose command is
// only recorded: no modal box blocks the run and no real diskperf runs.
class AnsweringOs : public Win32Os {
public:
    std::vector<std::string> boxes, commands;
    int ShowMessageBox(WindowHandle, const char* text, const char*, uint32_t) override {
        boxes.push_back(text);
        return IDYES;
    }
    int RunCommand(const char* command) override {
        commands.push_back(command);
        return 0;
    }
};

}  // namespace

TEST(Win32Sampling, CpuLoadsRiseWithABusyThread) {
    Win32Os os;
    SamplerState state{};
    GlobalOptions options{};
    options.ProcessorCount = ProcessorCount();
    ASSERT_GE(options.ProcessorCount, 1u);
    Unit cpu0{};
    cpu0.value = -7;

    // The first samples cover the time since the system started.
    int8_t sinceStart = SampleCpuTotal(os, state);
    EXPECT_TRUE(sinceStart >= 0 && sinceStart <= 100) << +sinceStart;
    SampleCpuPerProcessor(os, cpu0, options, state);
    EXPECT_TRUE(cpu0.value >= 0 && cpu0.value <= 100) << cpu0.value;
    EXPECT_NE(0u, state.PrevSystemTimes.kernel);
    EXPECT_NE(0u, state.PrevProcessorTimes[0].kernel);

    BusyThread busy;
    Sleep(50);
    SampleCpuTotal(os, state);
    SampleCpuPerProcessor(os, cpu0, options, state);
    Sleep(600);
    int8_t total = SampleCpuTotal(os, state);
    SampleCpuPerProcessor(os, cpu0, options, state);
    // One processor of n fully busy: at least half of its share shows, however
    // coarse the platform's clock and whatever else the machine runs.
    EXPECT_GE(total, static_cast<int>(50 / options.ProcessorCount)) << "total load";
    EXPECT_LE(total, 100);
    EXPECT_GE(cpu0.value, 50) << "load of the busy processor";
    EXPECT_LE(cpu0.value, 100);
}

TEST(Win32Sampling, SystemTimesAsSumsOfProcessorTimes) {
    ScriptedProcessorsOs os;
    os.records.resize(2);
    os.records[0].IdleTime = 100; os.records[0].KernelTime = 300; os.records[0].UserTime = 50;
    os.records[1].IdleTime = 7; os.records[1].KernelTime = 11; os.records[1].UserTime = 13;
    uint64_t t[3] = {1, 2, 3};
    ASSERT_TRUE(SumProcessorTimes(os, &t[0], &t[1], &t[2]));
    EXPECT_EQ((std::vector<uint64_t>{107, 311, 63}), std::vector<uint64_t>(t, t + 3));
    os.status = static_cast<int32_t>(0xC0000004u);
    t[0] = t[1] = t[2] = 5;
    EXPECT_FALSE(SumProcessorTimes(os, &t[0], &t[1], &t[2]));
    EXPECT_EQ((std::vector<uint64_t>{5, 5, 5}), std::vector<uint64_t>(t, t + 3)) << "left as they were";

    // The real per-processor times sum to about the real system times.
    Win32Os real;
    uint64_t sums[3] = {};
    ASSERT_TRUE(SumProcessorTimes(real, &sums[0], &sums[1], &sums[2]));
    ASSERT_TRUE(real.QuerySystemTimes(&t[0], &t[1], &t[2]));
    const uint64_t slack = 100000000ull * ProcessorCount();   // 10 s a processor
    for (int k = 0; k < 3; ++k) {
        EXPECT_LE(sums[k], t[k] + slack) << "time " << k;
        EXPECT_GE(sums[k] + slack, t[k]) << "time " << k;
    }
}

TEST(Win32Sampling, MemoryFiguresAgreeWithThePlatform) {
    Win32Os os;
    Unit unit{};
    int8_t ramLoad = SampleRam(os, unit);
    int8_t vramLoad = SampleVirtualRam(os, unit);
    MEMORYSTATUSEX status;
    std::memset(&status, 0xcc, sizeof status);
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));

    EXPECT_EQ(MebiBytes(status.ullTotalPhys), unit.ramTotalMB);
    EXPECT_EQ(MebiBytes(status.ullTotalPageFile), unit.vramTotalMB);
    EXPECT_GT(unit.ramTotalMB, 0);
    // Free memory and loads move between the two queries; allow for that.
    EXPECT_NEAR(MebiBytes(status.ullAvailPhys), unit.ramFreeMB, 256);
    EXPECT_NEAR(MebiBytes(status.ullAvailPageFile), unit.vramFreeMB, 256);
    EXPECT_NEAR(static_cast<int>(status.dwMemoryLoad), ramLoad, 10);
    EXPECT_NEAR(100 - static_cast<int>(status.ullAvailPageFile * 100 / status.ullTotalPageFile), vramLoad, 10);
    EXPECT_TRUE(vramLoad >= 0 && vramLoad <= 100) << +vramLoad;
}

TEST(Win32Sampling, LoopbackTrafficLightsTheLoopbackRow) {
    // The loopback row of the sorted table.
    ULONG size = 0;
    ASSERT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetIfTable(nullptr, &size, TRUE));
    std::vector<char> buffer(size);
    auto* table = reinterpret_cast<MIB_IFTABLE*>(buffer.data());
    ASSERT_EQ(static_cast<DWORD>(NO_ERROR), GetIfTable(table, &size, TRUE));
    int32_t loopback = -1;
    for (DWORD k = 0; k < table->dwNumEntries; ++k)
        if (table->table[k].dwType == IF_TYPE_SOFTWARE_LOOPBACK) loopback = static_cast<int32_t>(k);
    ASSERT_GE(loopback, 0) << "Wine always lists the loopback interface";

    Win32Os os;
    SamplerState state{};
    Unit nic{};
    nic.kind = UNIT_NIC;
    nic.nicIndex = loopback;
    NetworkStep(os, nic, state);
    uint32_t inBefore = nic.readCounter;
    uint32_t outBefore = nic.writeCounter;
    EXPECT_TRUE(state.PrevInterfaceSamples[loopback].taken);

    // Datagrams to itself over the loopback interface.
    WSADATA wsa;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &wsa));
    SOCKET self = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    ASSERT_EQ(0, bind(self, any, sizeof address));
    ASSERT_EQ(0, getsockname(self, any, &length));
    constexpr int kChunk = 16384, kChunks = 16;
    std::vector<char> data(kChunk, 'b');
    for (int c = 0; c < kChunks; ++c) {
        ASSERT_EQ(kChunk, sendto(self, data.data(), kChunk, 0, any, sizeof address));
        ASSERT_EQ(kChunk, recv(self, data.data(), kChunk, 0));
    }
    closesocket(self);
    WSACleanup();

    // As after an idle poll: the light must come on, and be shown.
    nic.activity = ACTIVITY_IDLE;
    nic.dirty = 0;
    NetworkStep(os, nic, state);
    // Loopback traffic is counted as received and as sent.
    EXPECT_GE(nic.readCounter - inBefore, static_cast<uint32_t>(kChunk * kChunks));
    EXPECT_GE(nic.writeCounter - outBefore, static_cast<uint32_t>(kChunk * kChunks));
    EXPECT_EQ(ACTIVITY_READWRITE, nic.activity);
    EXPECT_EQ(1, nic.dirty);
    EXPECT_TRUE(nic.value >= 0 && nic.value <= 100) << nic.value;
}

TEST(Win32Sampling, DiskServicesAndTheWarningPath) {
    Win32Os os;
    DeviceHandle drive = os.OpenDevice("\\\\.\\PHYSICALDRIVE0");
    ASSERT_NE(nullptr, drive);
    DiskPerformance record;
    std::memset(&record, 0xcc, sizeof record);
    SetLastError(0xdeadbeef);
    // Wine has no disk performance counters: "not supported".
    EXPECT_FALSE(os.QueryDiskPerformance(drive, &record, kDiskPerformanceRequestBytes));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), GetLastError());
    os.CloseDevice(drive);

    uint64_t total = 0, free = 0;
    ASSERT_TRUE(os.QueryDiskFreeSpace("\\\\.\\C:\\", &total, &free));
    ULARGE_INTEGER available, expectedTotal, expectedFree;
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &expectedTotal, &expectedFree));
    EXPECT_EQ(expectedTotal.QuadPart, total);
    EXPECT_NEAR(static_cast<double>(expectedFree.QuadPart), static_cast<double>(free), 1e9);

    total = free = 77;
    EXPECT_FALSE(os.QueryDiskFreeSpace("\\\\.\\PHYSICALDRIVE0\\", &total, &free));
    EXPECT_EQ(77u, total) << "a failed query leaves the counts";
    EXPECT_EQ(77u, free);

    // So the warning path runs, with the box answered Yes.
    AnsweringOs answering;
    SamplerState state{};
    GlobalOptions options{};
    Unit* list = nullptr;
    ASSERT_EQ(1, AppendUnit(answering, &list));
    const struct { const char* name; uint32_t kind; } drives[] = {
        {"\\\\.\\PHYSICALDRIVE0", DRIVE_NO_ROOT_DIR}, {"\\\\.\\C:", DRIVE_FIXED}};
    for (const auto& d : drives) {
        ASSERT_EQ(1, AppendUnit(answering, &list));
        std::snprintf(list->name, sizeof list->name, "%s", d.name);
        list->kind = d.kind;
        list->enabled = 1;
    }
    Unit* c = list;
    ASSERT_EQ(1, AppendUnit(answering, &list));
    EXPECT_EQ(1, PollUnits(answering, &list, options, state));
    EXPECT_EQ(1, PollUnits(answering, &list, options, state));

    EXPECT_EQ(1u, answering.boxes.size()) << "one box for the whole run";
    EXPECT_EQ((std::vector<std::string>{"diskperf -y"}), answering.commands);
    EXPECT_FALSE(state.PerfCounterWarningPending);
    EXPECT_EQ(ACTIVITY_IDLE, c->activity);
    EXPECT_TRUE(c->value >= 0 && c->value <= 100) << "the drive letter still shows its free space";
    EXPECT_NE(0u, c->totalScaled);
    FreeUnitList(answering, &list);
}

TEST(Win32Sampling, MessageBoxAndCommandServices) {
    Win32Os os;
    static const char kCaption[] = "Blinkwatch sampling test box";
    bool found = false;
    std::thread presser([&] {   // presses Yes on the box once it appears
        for (int attempt = 0; attempt < 3000 && !found; ++attempt, Sleep(10))
            if (HWND box = FindWindowA(nullptr, kCaption)) found = PostMessageA(box, WM_COMMAND, IDYES, 0);
    });
    int answer = os.ShowMessageBox(nullptr, "Press Yes", kCaption, kPerfCounterWarningStyle);
    presser.join();
    EXPECT_TRUE(found) << "the box appeared";
    EXPECT_EQ(IDYES, answer);

    EXPECT_EQ(3, os.RunCommand("exit 3")) << "the interpreter's exit code comes back";
    EXPECT_NE(0u, os.QueryTickCount());
}
