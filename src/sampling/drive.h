#pragma once
// Drives: their performance counters turned into read and write lights, their
// free space into the tooltip's figures, and the warning shown when the
// platform's disk performance counters are switched off.
#include <cstdint>

#include "platform/os.h"
#include "sampling/sampler_state.h"
#include "units/global_options.h"
#include "units/unit.h"

constexpr const char* kPerfCounterWarningText =
    "Blinkwatch ERROR:\n\nBlinkwatch can't display activity indicators since the systems "
    "performance counters have been disabled.\nthis might be fixed by running the following "
    "command: diskperf -y\ndo you want to try this now?\n";
constexpr const char* kPerfCounterWarningCaption = "Blinkwatch FAILURE";
constexpr uint32_t kPerfCounterWarningStyle = 0x2014;   // MB_YESNO | MB_ICONERROR | MB_TASKMODAL
constexpr int kAnswerYes = 6;                            // IDYES
constexpr const char* kEnableCountersCommand = "diskperf -y";

// The drives a poll pass samples: physical drives and fixed drive letters.
inline bool IsSampledDrive(const Unit& unit) {
    return unit.kind == DRIVE_FIXED || unit.kind == DRIVE_NO_ROOT_DIR;
}

// Samples one drive: its lights from the performance counters, and its free
// space when its tooltip is about to be sent (the Unit is marked, or its icon
// is about to be added). False when the drive cannot be opened; the Unit is
// then left as it was.
bool DriveStep(Os& os, Unit& unit, const GlobalOptions& options, SamplerState& state);

// The free space of every enabled drive that a pass samples, for when the
// figures are about to be shown outside a tooltip. A drive that cannot be
// opened (unplugged) keeps its last figures.
void RefreshFreeSpace(Os& os, Unit* list);

// Offers to switch the counters on, once per process: clears the pending flag,
// asks the user and on Yes runs the command.
void ShowPerfCounterWarning(Os& os, SamplerState& state);
