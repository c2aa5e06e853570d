#include "dialog/options_panel.h"

#include "dialog/option_rules.h"
#include "resources/resource_ids.h"

namespace {

void Check(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND dialog, int id, bool enabled) {
    EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

// The state of a check box as the options store it: 1 ticked, 0 not.
int32_t BoxState(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0;
}

// A number box's value as GetDlgItemInt reads it without a sign: 0 for an
// empty box or text that is not a number.
uint32_t TypedNumber(HWND dialog, int id) {
    BOOL translated = FALSE;
    return GetDlgItemInt(dialog, id, &translated, FALSE);
}

void ShowUnit(HWND dialog, const Unit& unit) {
    Check(dialog, IDC_SHOW_IN_TRAY, unit.showInTray != 0);
    Check(dialog, IDC_PARALLEL_PORT, unit.parallelPortEnabled != 0);
    for (int k = 0; k < static_cast<int>(kPortBitBoxes.size()); ++k)
        Check(dialog, kPortBitBoxes[k].readId, PortBitChecked(unit.parallelPortReadMask, k));
    for (int k = 0; k < static_cast<int>(kPortBitBoxes.size()); ++k)
        Check(dialog, kPortBitBoxes[k].writeId, PortBitChecked(unit.parallelPortWriteMask, k));
}

// Writing a number box raises its EN_CHANGE, and the dialog's handler stores
// the value brought into range, so each option is in range after this.
void ShowOptions(HWND dialog, const GlobalOptions& options) {
    Enable(dialog, IDC_KEYBOARD_LED, KeyboardLedBoxEnabled(options));
    Enable(dialog, IDC_STATIC_ICON, StaticIconBoxEnabled(options));
    Enable(dialog, IDC_MULTI_CPU, MultiCpuBoxEnabled(options));
    Check(dialog, IDC_SINGLE_ICON, options.SingleIconMode != 0);
    Check(dialog, IDC_START_WITH_OS, options.StartWithOs != 0);
    Check(dialog, IDC_ALTERNATE_ICONS, options.AlternativeIcons != 0);
    Check(dialog, IDC_MULTI_CPU, options.ShowCPUUsageMulti != 0);
    Check(dialog, IDC_KEYBOARD_LED, options.KeyboardLED != 0);
    Check(dialog, IDC_STATIC_ICON, options.Staticicon != 0);
    // Each write may change the record through the handler, so every value
    // is read only when its box is written.
    SetDlgItemInt(dialog, IDC_START_DELAY, static_cast<UINT>(options.Startwithosdelay), FALSE);
    SetDlgItemInt(dialog, IDC_POLL_INTERVAL, options.Pollinterval, FALSE);
    SetDlgItemInt(dialog, IDC_METER_INTERVAL, options.Pollintervalmeters, FALSE);
}

// A number box's change: the typed value, brought into range.
void OnNumberBox(HWND dialog, int id, GlobalOptions& options) {
    const uint32_t typed = TypedNumber(dialog, id);
    if (id == IDC_POLL_INTERVAL) options.Pollinterval = ClampPollInterval(typed);
    if (id == IDC_METER_INTERVAL) options.Pollintervalmeters = ClampMeterInterval(typed);
    if (id == IDC_START_DELAY) options.Startwithosdelay = ClampStartDelay(typed);
}

}  // namespace

void RefreshOptionsPanel(HWND dialog, const Unit* unit, GlobalOptions* options) {
    if (unit != nullptr) ShowUnit(dialog, *unit);
    if (options != nullptr) ShowOptions(dialog, *options);
}

void ReadMaskCheckBox(HWND dialog, int controlId, Unit& unit) {
    ApplyPortBitState(unit, controlId, static_cast<int>(IsDlgButtonChecked(dialog, controlId)));
}

bool OnOptionCommand(HWND dialog, int id, int code, Unit* currentUnit, GlobalOptions& options) {
    if (FindPortBit(id).found) {
        if (currentUnit != nullptr) ReadMaskCheckBox(dialog, id, *currentUnit);
        return true;
    }
    switch (id) {
    case IDC_POLL_INTERVAL:
    case IDC_METER_INTERVAL:
    case IDC_START_DELAY:
        if (code == EN_CHANGE) OnNumberBox(dialog, id, options);
        return true;
    case IDC_SHOW_IN_TRAY:
        if (currentUnit != nullptr) currentUnit->showInTray = BoxState(dialog, id);
        return true;
    case IDC_ALTERNATE_ICONS: options.AlternativeIcons = BoxState(dialog, id); return true;
    case IDC_STATIC_ICON: options.Staticicon = BoxState(dialog, id); return true;
    case IDC_MULTI_CPU: options.ShowCPUUsageMulti = BoxState(dialog, id); return true;
    case IDC_PARALLEL_PORT:
        if (currentUnit != nullptr)
            currentUnit->parallelPortEnabled = static_cast<int16_t>(BoxState(dialog, id));
        break;
    case IDC_SINGLE_ICON: options.SingleIconMode = BoxState(dialog, id); break;
    case IDC_KEYBOARD_LED: options.KeyboardLED = BoxState(dialog, id); break;
    default: return false;
    }
    // These change what other boxes show or whether they are enabled.
    RefreshOptionsPanel(dialog, currentUnit, &options);
    return true;
}
