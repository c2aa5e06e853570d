#pragma once
// The main dialog's handlers for the option controls and the unit list: each
// changes the current Unit or the global options in memory at once, and the
// panel is shown again where a change enables or disables other boxes.
#include <windows.h>

#include "settings/options_panel.h"
#include "shell/global_options.h"
#include "units/unit.h"

// One option command: the box's id, the notification code (the high word of
// wParam) and the state the dialog shares with its handlers.
struct OptionCommand {
    HWND dialog;
    int id;
    int code;
    Unit** currentUnit;
    GlobalOptions* options;
    OptionsPanelState* panel;
};

// The state of a check box as the handlers store it: 1 ticked, 0 not.
int BoxState(HWND dialog, int id);

void OnShowInTray(const OptionCommand& command);
void OnParallelPort(const OptionCommand& command);
void OnPortBit(const OptionCommand& command);
void OnPollInterval(const OptionCommand& command);
void OnMeterInterval(const OptionCommand& command);
void OnStartDelay(const OptionCommand& command);
void OnAlternateIcons(const OptionCommand& command);
void OnSingleIcon(const OptionCommand& command);
void OnKeyboardLed(const OptionCommand& command);
void OnStaticIcon(const OptionCommand& command);
void OnMultiCpu(const OptionCommand& command);

// Runs the handler of an option control: check boxes on any notification, the
// three number boxes on EN_CHANGE only. Returns 1 when the id belongs to an
// option control (handled or ignored by its notification code), 0 for any
// other id. The dialog procedure answers FALSE for all of them.
int DispatchOptionCommand(const OptionCommand& command);

// NM_CLICK on the unit list at `clickedItem` (-1 below the last row).
void OnUnitListClick(HWND listView, int clickedItem);

// LVN_ITEMCHANGED of row `item` of the unit list.
void OnUnitListItemChanged(HWND dialog, HWND listView, int item, Unit** currentUnit,
                           GlobalOptions* options, OptionsPanelState& panel);

// WM_NOTIFY from the unit list: NM_CLICK keeps a single selection;
// LVN_ITEMCHANGED of the selected row makes its Unit current, takes `enabled`
// from the row's check box and shows the Unit's options. Notifications of
// other controls and other codes do nothing. Always FALSE.
BOOL OnUnitListNotify(HWND dialog, const NMHDR* header, Unit** currentUnit,
                      GlobalOptions* options, OptionsPanelState& panel);
