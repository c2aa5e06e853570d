#pragma once
// The poll pass: one fresh sample of every enabled Unit, run on every tick of
// the activity timer just before the tray icons are updated.
#include "platform/os.h"
#include "sampling/sampler_state.h"
#include "units/global_options.h"
#include "units/unit.h"

// Visits every Unit of the list that `list` points into and samples each
// enabled one by its kind: fixed drive letters and physical drives, CPU Units
// whose sample is due, RAM, VRAM and network interfaces. Disabled Units get no
// platform call. A drive that cannot be opened is passed over. True when every
// Unit was sampled, false when a drive could not be opened.
bool PollUnits(Os& os, Unit* list, const GlobalOptions& options, SamplerState& state);

// The load indicators' timer: every CPU Unit's sample falls due at the next
// pass, and with MeterStyle=Graph every meter's next graph column too.
void MarkSamplesDue(Unit* list, const GlobalOptions& options);

// Empties every meter's graph, as at a start of monitoring.
void ClearMeterHistories(Unit* list);
