#include "dialog/dialog_actions.h"

#include <cstdio>

#include "indicators/icon_size.h"
#include "sampling/poll_units.h"
#include "settings/settings_file.h"

namespace {

constexpr uint32_t kWarningBoxStyle = 0x30;   // MB_ICONWARNING

}  // namespace

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

void ApplySettings(WindowHandle dialog, DialogState& state) {
    SaveResult result = SaveSettings(*state.os, state.CurrentUnit, state.options);
    if (result == SaveResult::Saved) return;
    const char* file = state.options.SettingsPath[0] != '\0' ? state.options.SettingsPath : kSettingsFileName;
    const char* outcome = result == SaveResult::NothingWritten
                              ? "The settings in that file stay as they were."
                              : "That file now holds only part of the new settings: Apply again to write them all.";
    char text[kPathLength + 160];
    std::snprintf(text, sizeof text, "Blinkwatch could not write its settings to\n%s\n\n%s", file, outcome);
    state.os->ShowMessageBox(dialog, text, "Blinkwatch", kWarningBoxStyle);
}

void PrepareIconSize(DialogState& state) {
    BuildSettingsPath(*state.os, state.options);
    LoadIconSizeOption(*state.os, state.options);
    if (state.options.IconSize == kIconSizeAuto) state.os->BecomeDpiAware();
}

void RereadIconSize(DialogState& state) {
    state.presenter.iconSize = ChooseIconSize(*state.os, state.options);
}
