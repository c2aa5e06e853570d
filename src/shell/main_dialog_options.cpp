#include "shell/main_dialog_options.h"

#include <commctrl.h>

#include <array>

#include "resources/resource_ids.h"
#include "settings/option_rules.h"
#include "units/unit_list.h"

namespace {

using CommandHandler = void (*)(const OptionCommand&);

struct CommandRow {
    int id;
    bool editBox;   // reacts to EN_CHANGE only
    CommandHandler handler;
};

constexpr std::array<CommandRow, 26> kOptionCommands = {{
    {IDC_SHOW_IN_TRAY, false, OnShowInTray},
    {IDC_PARALLEL_PORT, false, OnParallelPort},
    {IDC_READ_BIT1, false, OnPortBit},
    {IDC_READ_BIT2, false, OnPortBit},
    {IDC_READ_BIT3, false, OnPortBit},
    {IDC_READ_BIT4, false, OnPortBit},
    {IDC_READ_BIT5, false, OnPortBit},
    {IDC_READ_BIT6, false, OnPortBit},
    {IDC_READ_BIT7, false, OnPortBit},
    {IDC_READ_BIT8, false, OnPortBit},
    {IDC_WRITE_BIT1, false, OnPortBit},
    {IDC_WRITE_BIT2, false, OnPortBit},
    {IDC_WRITE_BIT3, false, OnPortBit},
    {IDC_WRITE_BIT4, false, OnPortBit},
    {IDC_WRITE_BIT5, false, OnPortBit},
    {IDC_WRITE_BIT6, false, OnPortBit},
    {IDC_WRITE_BIT7, false, OnPortBit},
    {IDC_WRITE_BIT8, false, OnPortBit},
    {IDC_POLL_INTERVAL, true, OnPollInterval},
    {IDC_START_DELAY, true, OnStartDelay},
    {IDC_ALTERNATE_ICONS, false, OnAlternateIcons},
    {IDC_SINGLE_ICON, false, OnSingleIcon},
    {IDC_METER_INTERVAL, true, OnMeterInterval},
    {IDC_KEYBOARD_LED, false, OnKeyboardLed},
    {IDC_STATIC_ICON, false, OnStaticIcon},
    {IDC_MULTI_CPU, false, OnMultiCpu},
}};

Unit* Current(const OptionCommand& command) {
    return command.currentUnit != nullptr ? *command.currentUnit : nullptr;
}

void RefreshPanel(const OptionCommand& command) {
    if (command.panel == nullptr) return;
    RefreshOptionsPanel(command.dialog, command.currentUnit, command.options, *command.panel);
}

// The box's value as GetDlgItemInt reads it without a sign: 0 for an empty
// box or text that is not a number.
uint32_t TypedNumber(const OptionCommand& command) {
    BOOL translated = FALSE;
    return GetDlgItemInt(command.dialog, command.id, &translated, FALSE);
}

constexpr UINT kSelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;
constexpr UINT kUncheckedImage = 1;

void SetItemState(HWND listView, int item, UINT state, UINT mask) {
    LVITEMA change{};
    change.state = state;
    change.stateMask = mask;
    SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&change));
}

UINT ItemState(HWND listView, int item, UINT mask) {
    return static_cast<UINT>(SendMessageA(listView, LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
}

int FirstSelectedItem(HWND listView) {
    return static_cast<int>(
        SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

}  // namespace

int BoxState(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0; }

void OnShowInTray(const OptionCommand& command) {
    if (Unit* unit = Current(command)) unit->showInTray = BoxState(command.dialog, command.id);
}

void OnParallelPort(const OptionCommand& command) {
    if (Unit* unit = Current(command))
        unit->parallelPortEnabled = static_cast<int16_t>(BoxState(command.dialog, command.id));
    RefreshPanel(command);
}

void OnPortBit(const OptionCommand& command) {
    ReadMaskCheckBox(command.dialog, command.id, command.currentUnit);
}

void OnPollInterval(const OptionCommand& command) {
    if (command.options != nullptr) command.options->Pollinterval = ClampPollInterval(TypedNumber(command));
}

void OnMeterInterval(const OptionCommand& command) {
    if (command.options != nullptr)
        command.options->Pollintervalmeters = ClampMeterInterval(TypedNumber(command));
}

void OnStartDelay(const OptionCommand& command) {
    if (command.options != nullptr) command.options->Startwithosdelay = ClampStartDelay(TypedNumber(command));
}

void OnAlternateIcons(const OptionCommand& command) {
    if (command.options != nullptr) command.options->AlternativeIcons = BoxState(command.dialog, command.id);
}

void OnSingleIcon(const OptionCommand& command) {
    if (command.options != nullptr) command.options->SingleIconMode = BoxState(command.dialog, command.id);
    RefreshPanel(command);
}

void OnKeyboardLed(const OptionCommand& command) {
    if (command.options != nullptr) command.options->KeyboardLED = BoxState(command.dialog, command.id);
    RefreshPanel(command);
}

void OnStaticIcon(const OptionCommand& command) {
    if (command.options != nullptr) command.options->Staticicon = BoxState(command.dialog, command.id);
}

void OnMultiCpu(const OptionCommand& command) {
    if (command.options != nullptr) command.options->ShowCPUUsageMulti = BoxState(command.dialog, command.id);
}

int DispatchOptionCommand(const OptionCommand& command) {
    for (const CommandRow& row : kOptionCommands) {
        if (row.id != command.id) continue;
        if (!row.editBox || command.code == EN_CHANGE) row.handler(command);
        return 1;
    }
    return 0;
}

// Keeps a single selection: whatever the list selected, only the clicked row
// stays selected, and a click below the last row leaves none. The list allows
// a range to be selected (shift-click), so every selected row is cleared, not
// only the first; the bound keeps a control that refuses the change from
// holding the loop.
void OnUnitListClick(HWND listView, int clickedItem) {
    const int rows = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int k = 0; k < rows; ++k) {
        const int selected = FirstSelectedItem(listView);
        if (selected < 0) break;
        SetItemState(listView, selected, 0, LVIS_SELECTED);
    }
    if (clickedItem != -1) SetItemState(listView, clickedItem, kSelectedAndFocused, kSelectedAndFocused);
    UpdateWindow(listView);
}

// A change of the selected row makes its Unit current; a change of any other
// row (a check box ticked while another row is selected) is ignored.
void OnUnitListItemChanged(HWND dialog, HWND listView, int item, Unit** currentUnit,
                           GlobalOptions* options, OptionsPanelState& panel) {
    if (item < 0 || currentUnit == nullptr || *currentUnit == nullptr) return;
    char name[kPathLength] = {};
    LVITEMA query{};
    query.mask = LVIF_TEXT;
    query.iItem = item;
    query.pszText = name;
    query.cchTextMax = static_cast<int>(sizeof name);
    SendMessageA(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    if ((ItemState(listView, item, LVIS_SELECTED) & LVIS_SELECTED) == 0) return;
    Unit* unit = FindUnitByName(*currentUnit, name);
    const UINT image = (ItemState(listView, item, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12;
    unit->enabled = image == kUncheckedImage ? 0 : 1;
    *currentUnit = unit;
    RefreshOptionsPanel(dialog, currentUnit, options, panel);
}

BOOL OnUnitListNotify(HWND dialog, const NMHDR* header, Unit** currentUnit,
                      GlobalOptions* options, OptionsPanelState& panel) {
    if (header == nullptr || header->idFrom != IDC_UNIT_LIST) return FALSE;
    if (header->code == static_cast<UINT>(NM_CLICK)) {
        const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(header);
        OnUnitListClick(header->hwndFrom, click->iItem);
    } else if (header->code == static_cast<UINT>(LVN_ITEMCHANGED)) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        OnUnitListItemChanged(dialog, header->hwndFrom, change->iItem, currentUnit, options, panel);
    }
    return FALSE;
}
