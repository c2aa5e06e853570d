// One ActivityTimer tick, PollUnits then UpdateTrayIcons, on a machine of
// enabled Units (two physical drives, four fixed letters, four processors,
// RAM, VRAM and the argument's number of network interfaces), against the
// tests' scripted Os, which answers at once. Reports the time of one tick, once
// with nothing changing and once with every Unit changing, and the platform
// calls of one tick by service: under Wine each of those costs far more than
// the program's own code (0.1 to 3 ms where it reaches the Wine server).
#include <benchmark/benchmark.h>

#include "fake_os.h"
#include "indicators/tray_presenter.h"
#include "sampling/poll_units.h"
#include "units/discovery.h"

namespace {

constexpr uint32_t kProcessors = 4;
const char* const kDrives[] = {"\\\\.\\PHYSICALDRIVE0", "\\\\.\\PHYSICALDRIVE1", "\\\\.\\C:", "\\\\.\\D:",
                               "\\\\.\\E:", "\\\\.\\F:"};

struct Machine {
    FakeOs os;
    GlobalOptions options{};
    Unit* list = nullptr;
    SamplerState sampler{};
    PresenterState presenter{};
    bool changing;
    uint32_t step = 0;

    Machine(bool changingMachine, int64_t interfaces) : changing(changingMachine) {
        for (const char* drive : kDrives) {
            os.devices.insert(drive);
            os.driveTypes[drive + 4] = std::strncmp(drive + 4, "PHYSICAL", 8) == 0 ? DRIVE_NO_ROOT_DIR : DRIVE_FIXED;
            os.disks[drive] = {true, 0, 0, true, 500ull << 30, 200ull << 30};
        }
        for (int64_t k = 0; k < interfaces; ++k) os.AddInterface(static_cast<uint32_t>(k + 1), 0, 0, 100000000);
        os.processors.resize(kProcessors);
        os.memory = {sizeof(MemoryStatus), 40, 8ull << 30, 3ull << 30, 16ull << 30, 9ull << 30};
        options.ProcessorCount = kProcessors;
        // A busy machine shows each processor (a meter redrawn on every
        // sample); a quiet one shows the total, redrawn only when it moves.
        options.ShowCPUUsageMulti = changing ? 1 : 0;
        options.AlternativeIcons = options.Color_cpu_dynamic = 1;
        DiscoverUnits(os, &list, options);
        WalkForward(list, [](Unit& unit) { unit.enabled = unit.prev != nullptr; });
        sampler.PerfCounterWarningPending = false;   // a one-time box, not part of a tick
        for (int i = 0; i < 30; ++i) Tick();         // icons added, icon sets built, baselines set
        os.calls.clear();
    }
    ~Machine() { FreeUnitList(list); }

    // Moves every counter while changing: reads on odd ticks and writes on even
    // ones, so that every light changes its state on every tick.
    void Move() {
        if (!changing) return;
        bool odd = step % 2 != 0;
        for (const char* drive : kDrives) (odd ? os.disks[drive].reads : os.disks[drive].writes) += 3;
        for (IfRow& row : os.interfaces) (odd ? row.dwInOctets : row.dwOutOctets) += 1500;
        os.idle += 1000 + step % 7 * 100;
        os.kernel += 1500;
        os.user += 500;
        for (ProcessorTimes& p : os.processors) p.IdleTime += 100 + step % 5 * 9, p.KernelTime += 400, p.UserTime += 300;
        os.memory.dwMemoryLoad = 40 + step % 20;
        os.memory.ullAvailPageFile = (9ull << 30) + step % 20 * (200ull << 20);
    }

    void Tick() {
        ++step;
        os.tick += 100;
        Move();
        // The meter timer (1500 ms) marks the processors due every 15th
        // activity tick (100 ms); a busy run samples them on every tick.
        bool due = changing || step % 15 == 0;
        WalkAll(list, [due](Unit& unit) { unit.sampleDue |= unit.kind == UNIT_CPU && due; });
        PollUnits(os, list, options, sampler);
        UpdateTrayIcons(os, nullptr, list, options, presenter);
        os.tray.clear();
    }
};

void RunTicks(benchmark::State& state, bool changing) {
    Machine machine(changing, state.range(0));
    for (auto _ : state) machine.Tick();
    double ticks = static_cast<double>(state.iterations());
    for (const auto& service : machine.os.calls) state.counters[service.first] = service.second / ticks;
}

void TickNothingChanges(benchmark::State& state) { RunTicks(state, false); }
void TickEveryUnitChanges(benchmark::State& state) { RunTicks(state, true); }

BENCHMARK(TickNothingChanges)->ArgName("interfaces")->Arg(1)->Arg(4);
BENCHMARK(TickEveryUnitChanges)->ArgName("interfaces")->Arg(1)->Arg(4);

}  // namespace

BENCHMARK_MAIN();
