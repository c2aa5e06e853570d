// One ActivityTimer tick, PollUnits then UpdateTrayIcons, on a machine of
// twenty enabled Units (two physical drives, four fixed letters, four
// processors, RAM, VRAM and eight network interfaces), against an Os that
// answers at once. Reports the time and the heap allocations of one tick,
// once with nothing changing and once with every Unit changing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "indicators/tray_presenter.h"
#include "platform/os.h"
#include "sampling/poll_units.h"
#include "sampling/sampler_state.h"
#include "shell/global_options.h"
#include "units/discovery.h"
#include "units/unit_list.h"

namespace {

std::atomic<long> heapAllocations{0};

}  // namespace

// Every allocation through new in the process is counted.
__attribute__((noinline)) void* operator new(size_t bytes) {
    ++heapAllocations;
    if (void* block = std::malloc(bytes ? bytes : 1)) return block;
    throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* block) noexcept { std::free(block); }
__attribute__((noinline)) void operator delete(void* block, size_t) noexcept { std::free(block); }

namespace {

constexpr int kInterfaces = 8;
constexpr int kProcessors = 4;

// A machine whose counters move only when `changing` is set.
class BenchOs : public Os {
public:
    bool changing = false;
    uint64_t step = 0;   // advanced once per tick
    long osAllocations = 0;

    void* AllocateZeroed(size_t bytes) override {
        ++osAllocations;
        return std::calloc(1, bytes ? bytes : 1);
    }
    void FreeMemory(void* block) override { std::free(block); }
    DeviceHandle OpenDevice(const char* path) override {
        static const char* const kDevices[] = {"\\\\.\\PHYSICALDRIVE0", "\\\\.\\PHYSICALDRIVE1", "\\\\.\\C:",
                                               "\\\\.\\D:", "\\\\.\\E:", "\\\\.\\F:"};
        for (const char* device : kDevices)
            if (std::strcmp(device, path) == 0) return reinterpret_cast<DeviceHandle>(1);
        return nullptr;
    }
    void CloseDevice(DeviceHandle) override {}
    uint32_t QueryDriveType(const char* root) override {
        return std::strncmp(root, "PHYSICAL", 8) == 0 ? DRIVE_NO_ROOT_DIR : DRIVE_FIXED;
    }
    bool QueryVolumeInformation(const char*, char* volume, char* fileSystem) override {
        std::strcpy(volume, "Data");
        std::strcpy(fileSystem, "NTFS");
        return true;
    }
    uint32_t QueryInterfaceTable(IfTable* table, uint32_t* size, bool) override {
        uint32_t needed = static_cast<uint32_t>(sizeof(uint32_t) + kInterfaces * sizeof(IfRow));
        if (*size < needed) {
            *size = needed;
            return kErrorInsufficientBuffer;
        }
        table->dwNumEntries = kInterfaces;
        for (uint32_t k = 0; k < kInterfaces; ++k) {
            IfRow& row = IfTableRow(*table, k);
            row = IfRow{};
            row.dwIndex = k + 1;
            row.dwType = 6;
            row.dwSpeed = 100000000;
            row.dwDescrLen = 8;
            std::memcpy(row.bDescr, "Ethernet", 8);
            row.dwInOctets = static_cast<uint32_t>(OddSteps() * 1500 * (k + 1));
            row.dwOutOctets = static_cast<uint32_t>(EvenSteps() * 700 * (k + 1));
        }
        return kErrorSuccess;
    }
    bool QueryDiskPerformance(DeviceHandle, DiskPerformance* record, uint32_t bytes) override {
        DiskPerformance filled{};
        filled.ReadCount = static_cast<uint32_t>(OddSteps() * 3);
        filled.WriteCount = static_cast<uint32_t>(EvenSteps() * 2);
        std::memcpy(record, &filled, bytes < sizeof filled ? bytes : sizeof filled);
        return true;
    }
    bool QueryDiskFreeSpace(const char*, uint64_t* total, uint64_t* free) override {
        *total = 500ull << 30;
        *free = (200ull << 30) + Moving() * 4096;
        return true;
    }
    bool QuerySystemTimes(uint64_t* idle, uint64_t* kernel, uint64_t* user) override {
        // Busy share changes with every tick while changing.
        uint64_t t = Moving() + 1;
        *idle = t * 1000000 + (changing ? (step % 7) * 100000 : 0);
        *kernel = t * 1500000;
        *user = t * 500000;
        return true;
    }
    int32_t QueryProcessorTimes(ProcessorTimes* records, uint32_t bytes, uint32_t* returned) override {
        uint32_t count = bytes / sizeof(ProcessorTimes);
        if (count > kProcessors) count = kProcessors;
        for (uint32_t i = 0; i < count; ++i) {
            records[i] = ProcessorTimes{};
            uint64_t t = Moving() + 1;
            records[i].IdleTime = static_cast<int64_t>(t * 100000 * (i + 1) + (changing ? (step % 5) * 9000 : 0));
            records[i].KernelTime = static_cast<int64_t>(t * 400000);
            records[i].UserTime = static_cast<int64_t>(t * 300000);
        }
        *returned = count * static_cast<uint32_t>(sizeof(ProcessorTimes));
        return kStatusSuccess;
    }
    bool QueryMemoryStatus(MemoryStatus* status) override {
        status->dwMemoryLoad = 40 + static_cast<uint32_t>(changing ? step % 20 : 0);
        status->ullTotalPhys = 8ull << 30;
        status->ullAvailPhys = (3ull << 30) + Moving() * (1 << 20);
        status->ullTotalPageFile = 16ull << 30;
        status->ullAvailPageFile = (9ull << 30) + (changing ? step % 20 : 0) * (200ull << 20);
        return true;
    }
    uint32_t QueryTickCount() override { return static_cast<uint32_t>(step * 100); }
    int ShowMessageBox(WindowHandle, const char*, const char*, uint32_t) override { return 7; }
    int RunCommand(const char*) override { return 0; }
    uint32_t ReadProfileValue(const char*, const char*, const char* fallback, char* buffer, uint32_t size,
                              const char*) override {
        std::snprintf(buffer, size, "%s", fallback);
        return static_cast<uint32_t>(std::strlen(buffer));
    }
    bool WriteProfileValue(const char*, const char*, const char*, const char*) override { return true; }
    bool QueryWindowNormalRect(WindowHandle, int32_t*, int32_t*, int32_t*, int32_t*) override { return false; }
    uint32_t QueryModulePath(char* buffer, uint32_t) override {
        buffer[0] = '\0';
        return 0;
    }
    RegistryKeyHandle OpenUserRegistryKey(const char*) override { return nullptr; }
    void CloseRegistryKey(RegistryKeyHandle) override {}
    bool WriteRegistryString(RegistryKeyHandle, const char*, const char*, uint32_t) override { return false; }
    bool DeleteRegistryValue(RegistryKeyHandle, const char*) override { return false; }
    void NotifyTray(uint32_t, const TrayRecord& record) override { benchmark::DoNotOptimize(record.tip[0]); }
    IconHandle LoadProgramIcon(WindowHandle, int resourceId) override { return Icon(resourceId); }
    IconHandle DrawIconText(IconHandle, const char*) override { return Icon(++nextIcon_); }
    IconHandle DrawIconMeter(IconHandle, const MeterStyle&) override { return Icon(++nextIcon_); }
    void ReleaseIcon(IconHandle) override {}
    LibraryHandle LoadPortLibrary(const char*) override { return nullptr; }
    PortOutputHandle FindPortOutput(LibraryHandle, const char*) override { return nullptr; }
    void WritePortByte(PortOutputHandle, int16_t, int16_t) override {}
    int16_t ReadKeyState(int) override { return 0; }
    void SendKeyStroke(int, uint8_t, uint32_t) override {}
    void YieldTimeSlice() override {}

private:
    // Counters that advance with the ticks only while the machine is changing;
    // reads move on odd ticks and writes on even ones, so that every light
    // changes its state on every tick.
    uint64_t Moving() const { return changing ? step : 0; }
    uint64_t OddSteps() const { return changing ? (step + 1) / 2 : 0; }
    uint64_t EvenSteps() const { return changing ? step / 2 : 0; }
    static IconHandle Icon(uintptr_t n) { return reinterpret_cast<IconHandle>(n); }
    uintptr_t nextIcon_ = 10000;
};

struct Machine {
    BenchOs os;
    GlobalOptions options{};
    Unit* current = nullptr;
    SamplerState sampler{};
    PresenterState presenter{};

    explicit Machine(bool changing) {
        os.changing = false;
        options.ProcessorCount = kProcessors;
        // A busy machine shows each processor (a meter redrawn on every
        // sample); a quiet one shows the total, redrawn only when it moves.
        options.ShowCPUUsageMulti = changing ? 1 : 0;
        options.AlternativeIcons = 1;
        options.Color_cpu_dynamic = 1;
        DiscoverUnits(os, &current, options);
        WalkForward(current, [](Unit& unit) {
            if (unit.prev != nullptr) unit.enabled = 1;
        });
        // The warning about disabled disk counters is a one-time box; it is
        // not part of a tick.
        sampler.PerfCounterWarningPending = 0;
        os.changing = changing;
        for (int i = 0; i < 30; ++i) Tick();   // icons added, icon sets built, baselines set
    }
    ~Machine() { FreeUnitList(os, &current); }

    void Tick() {
        ++os.step;
        // The meter timer (1500 ms) marks the processors due every 15th
        // activity tick (100 ms); a busy run samples them on every tick.
        bool due = os.changing || os.step % 15 == 0;
        WalkAll(current, [due](Unit& unit) {
            if (unit.kind == UNIT_CPU && due) unit.sampleDue = 1;
        });
        PollUnits(os, &current, options, sampler);
        UpdateTrayIcons(os, nullptr, &current, &options, presenter);
    }
};

// How many Units of the list the tray update modified in one tick.
long DirtyUnits(Machine& machine) {
    long dirty = 0;
    WalkForward(machine.current, [&](Unit& unit) { dirty += unit.dirty; });
    return dirty;
}

void RunTicks(benchmark::State& state, bool changing) {
    Machine machine(changing);
    long enabled = 0;
    WalkForward(machine.current, [&](Unit& unit) { enabled += unit.enabled; });
    ++machine.os.step;
    WalkAll(machine.current, [&](Unit& unit) {
        if (unit.kind == UNIT_CPU && changing) unit.sampleDue = 1;
    });
    PollUnits(machine.os, &machine.current, machine.options, machine.sampler);
    state.counters["changed_per_tick"] = static_cast<double>(DirtyUnits(machine));
    UpdateTrayIcons(machine.os, nullptr, &machine.current, &machine.options, machine.presenter);
    long newBefore = heapAllocations;
    long osBefore = machine.os.osAllocations;
    for (auto _ : state) machine.Tick();
    double ticks = static_cast<double>(state.iterations());
    state.counters["units"] = static_cast<double>(enabled);
    state.counters["new_per_tick"] = static_cast<double>(heapAllocations - newBefore) / ticks;
    state.counters["os_allocs_per_tick"] = static_cast<double>(machine.os.osAllocations - osBefore) / ticks;
}

void TickNothingChanges(benchmark::State& state) { RunTicks(state, false); }
void TickEveryUnitChanges(benchmark::State& state) { RunTicks(state, true); }

BENCHMARK(TickNothingChanges);
BENCHMARK(TickEveryUnitChanges);

}  // namespace

BENCHMARK_MAIN();
