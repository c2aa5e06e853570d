#include "sampling/poll_units.h"

#include "sampling/cpu.h"
#include "sampling/drive.h"
#include "sampling/memory.h"
#include "sampling/network.h"
#include "units/unit_list.h"

namespace {

bool IsMeter(const Unit& unit) {
    return unit.kind == UNIT_CPU || unit.kind == UNIT_RAM || unit.kind == UNIT_VRAM;
}

// The Unit's load as the newest sample of its graph; the oldest falls out of a
// full history. Only a history that changed is shown again, and then only by
// a Unit's own icon: the single icon does not show it.
void AddGraphColumn(Unit& unit, const GlobalOptions& options) {
    MeterHistory& history = unit.history;
    const MeterHistory before = history;
    if (history.count < history.samples.size()) ++history.count;
    else std::copy(history.samples.begin() + 1, history.samples.end(), history.samples.begin());
    history.samples[history.count - 1] = static_cast<int8_t>(ClampPercent(unit.value));
    unit.activity = ACTIVITY_METER;
    if (history.count == before.count && history.samples == before.samples) return;
    if (options.SingleIconMode == 0) unit.dirty = 1;
}

// Runs every step that matches the Unit's kind; false when it is a drive that
// could not be opened.
bool SampleUnit(Os& os, Unit& unit, const GlobalOptions& options, SamplerState& state) {
    const bool columnDue = unit.sampleDue != 0 && options.MeterStyle == kMeterGraph;
    bool sampled = true;
    if (IsSampledDrive(unit)) sampled = DriveStep(os, unit, options, state);
    if (unit.kind == UNIT_CPU && unit.sampleDue != 0) CpuStep(os, unit, options, state);
    if (unit.kind == UNIT_RAM) RamStep(os, unit, state);
    if (unit.kind == UNIT_VRAM) VirtualRamStep(os, unit, state);
    if (unit.kind == UNIT_NIC) NetworkStep(os, unit, state);
    if (columnDue) AddGraphColumn(unit, options);
    unit.sampleDue = 0;
    return sampled;
}

}  // namespace

bool PollUnits(Os& os, Unit* list, const GlobalOptions& options, SamplerState& state) {
    // An unplugged drive must not freeze the indicators listed after it: it
    // is passed over, and the pass still reports that it was incomplete.
    bool complete = true;
    // A pass may run inside another one (the warning box lets timer ticks
    // through): the outer pass keeps its shared total and table.
    bool outerPass = state.InPollPass;
    state.InPollPass = true;
    if (!outerPass) state.TotalTakenThisPass = state.TableTakenThisPass = state.MemoryTakenThisPass = false;
    WalkForward(list, [&](Unit& unit) {
        if (unit.enabled == 0) return;
        if (!SampleUnit(os, unit, options, state)) complete = false;
    });
    state.InPollPass = outerPass;
    return complete;
}

void MarkSamplesDue(Unit* list, const GlobalOptions& options) {
    const bool graph = options.MeterStyle == kMeterGraph;
    WalkAll(list, [graph](Unit& unit) {
        if (unit.kind == UNIT_CPU || (graph && IsMeter(unit))) unit.sampleDue = 1;
    });
}

void ClearMeterHistories(Unit* list) {
    WalkAll(list, [](Unit& unit) { unit.history = MeterHistory{}; });
}
