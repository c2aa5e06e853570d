#pragma once
// Everything the program keeps for its whole run, in one record that the main
// dialog receives at creation: the options, the handle of the unit list, the
// sampler's and presenter's state, and the shell's own flags. A test creates
// a fresh one, with an Os of its choice.
#include <cstdint>

#include "indicators/tray_presenter.h"
#include "platform/os.h"
#include "settings/options_panel.h"
#include "sampling/sampler_state.h"
#include "shell/global_options.h"
#include "units/unit.h"

struct ShellState {
    Os* os = nullptr;
    GlobalOptions options{};
    Unit* CurrentUnit = nullptr;     // the Unit the options panel shows; the list's handle
    int8_t MonitoringToggle = 1;     // 1 while monitoring is stopped, 0 while it runs
    int32_t StartupLaunch = 0;       // the command line held the start-up switch
    SamplerState sampler{};
    PresenterState presenter{};
    OptionsPanelState panel{};
    // A start-up launch keeps the window hidden until the user asks for it.
    bool keepHidden = false;
    // Monitoring waits for the start-up delay (timers paused meanwhile).
    bool startupDelayPending = false;
    // An activity tick is running: the disk-counter warning it may show is a
    // modal box whose loop delivers further ticks and tray clicks meanwhile.
    bool inActivityTick = false;
    // WM_CLOSE has removed the icons; nothing may add them again.
    bool closing = false;
    // The shell's broadcast after it (re)starts: every icon must be added again.
    uint32_t taskbarCreatedMessage = 0;
};
