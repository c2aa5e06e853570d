#include "sampling/poll_units.h"

#include "sampling/cpu.h"
#include "sampling/drive.h"
#include "sampling/memory.h"
#include "sampling/network.h"
#include "units/unit_list.h"

namespace {

// Runs every step that matches the Unit's kind; false when it is a drive that
// could not be opened.
bool SampleUnit(Os& os, Unit& unit, const GlobalOptions& options, SamplerState& state) {
    bool sampled = true;
    if (IsSampledDrive(unit)) sampled = DriveStep(os, unit, options, state);
    if (unit.kind == UNIT_CPU && unit.sampleDue != 0) CpuStep(os, unit, options, state);
    if (unit.kind == UNIT_RAM) RamStep(os, unit, state);
    if (unit.kind == UNIT_VRAM) VirtualRamStep(os, unit, state);
    if (unit.kind == UNIT_NIC) NetworkStep(os, unit, state);
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
