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
