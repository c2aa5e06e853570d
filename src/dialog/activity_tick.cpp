#include "dialog/activity_tick.h"

#include "sampling/poll_units.h"

void RunActivityTick(WindowHandle dialog, DialogState& state) {
    if (state.inActivityTick) return;
    state.inActivityTick = true;
    Os& os = *state.os;
    LoadIconSet(os, dialog, state.CurrentUnit, state.options, state.presenter);
    PollUnits(os, state.CurrentUnit, state.options, state.sampler);
    if (!state.closing && state.monitoring)
        UpdateTrayIcons(os, dialog, state.CurrentUnit, state.options, state.presenter);
    state.inActivityTick = false;
}
