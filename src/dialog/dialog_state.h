#pragma once
// Everything the program keeps for its whole run, in one record that the main
// dialog receives at creation: the options, the handle of the unit list, the
// sampler's and presenter's state, and the window and timer state of the
// dialog. A test creates a fresh one, with an Os of its choice.
#include <array>
#include <cstdint>

#include "indicators/tray_presenter.h"
#include "platform/os.h"
#include "sampling/sampler_state.h"
#include "units/global_options.h"
#include "units/unit.h"

struct DialogState {
    Os* os = nullptr;
    GlobalOptions options{};
    Unit* CurrentUnit = nullptr;     // the Unit the options panel shows; the list's handle
    bool StartupLaunch = false;      // the command line held the start-up switch
    bool monitoring = false;         // the timers run and the tray is kept up to date
    bool visible = false;            // shown by the user (a normal launch starts shown but false)
    bool firstPaintPending = false;  // the saved rectangle is applied at the first paint
    std::array<uintptr_t, 4> timerIds{};   // as started: activity, list refresh, meter, refresh-all
    SamplerState sampler{};
    PresenterState presenter{};
    // The window stays hidden until the user asks for it: in a start-up
    // launch, and after a Hide that came before it was first shown.
    bool keepHidden = false;
    // Monitoring waits for the start-up delay (timers paused meanwhile).
    bool startupDelayPending = false;
    // An activity tick is running: the disk-counter warning it may show is a
    // modal box whose loop delivers further ticks and tray clicks meanwhile.
    bool inActivityTick = false;
    // WM_CLOSE has removed the icons; nothing may add them again.
    bool closing = false;
    // Registered messages: the shell's broadcast of a new tray, and another
    // launch's request to show the window.
    uint32_t taskbarCreatedMessage = 0;
    uint32_t showRequestMessage = 0;
};
