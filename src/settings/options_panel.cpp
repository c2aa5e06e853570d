#include "settings/options_panel.h"

#include "resources/resource_ids.h"
#include "settings/option_rules.h"
#include "settings/unit_list_view.h"

namespace {

void Check(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND dialog, int id, bool enabled) {
    EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
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

}  // namespace

int RefreshOptionsPanel(HWND dialog, Unit** unit, GlobalOptions* options,
                        OptionsPanelState& panel) {
    if (unit != nullptr) {
        if (panel.unitListFilled == 0) {
            panel.unitListFilled = 1;
            FillUnitList(dialog, GetDlgItem(dialog, IDC_UNIT_LIST), unit);
        }
        if (*unit != nullptr) ShowUnit(dialog, **unit);
    }
    if (options != nullptr) ShowOptions(dialog, *options);
    return 0;
}

int ReadMaskCheckBox(HWND dialog, int controlId, Unit** currentUnit) {
    if (currentUnit == nullptr || *currentUnit == nullptr) return 0;
    const UINT state = IsDlgButtonChecked(dialog, controlId);
    return ApplyPortBitState(**currentUnit, controlId, static_cast<int>(state));
}
