#include "dialog/dialog_actions.h"

#include <cstdio>

#include "indicators/icon_size.h"
#include "sampling/poll_units.h"
#include "settings/settings_file.h"
#include "units/discovery.h"

namespace {

constexpr uint32_t kWarningBoxStyle = 0x30;   // MB_ICONWARNING

// What the user can do about a file that could not be written.
const char* SaveAdvice(FileResult result) {
    switch (result) {
    case FileResult::ReadOnly:
        return "The file is read-only: untick Read-only in its Properties, then Apply again.";
    case FileResult::InUse:
        return "Another program holds the file open: close it there, then Apply again.";
    case FileResult::Denied:
        return "You may not write to that folder (Program Files, for one): move Blinkwatch to a folder of your own, "
               "or give yourself the right to write there, then Apply again.";
    case FileResult::DiskFull:
        return "The disk is full: make room on it, then Apply again.";
    default:
        return "Apply again once the file can be written.";
    }
}

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

void PrepareMonitoringStart(DialogState& state) {
    AssignTrayIds(state.CurrentUnit, state.options);
    ClearMeterHistories(state.CurrentUnit);
    RereadIconSize(state);
}

void ApplySettings(WindowHandle dialog, DialogState& state) {
    const FileResult result = SaveSettings(*state.os, state.CurrentUnit, state.options);
    if (result == FileResult::Done) return;
    const char* file = state.options.SettingsPath[0] != '\0' ? state.options.SettingsPath : kSettingsFileName;
    char text[kPathLength + 320];
    std::snprintf(text, sizeof text,
                  "Blinkwatch could not write its settings to\n%s\n\nThe settings in that file stay as they were. %s",
                  file, SaveAdvice(result));
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
