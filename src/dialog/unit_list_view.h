#pragma once
// The main dialog's unit list (IDC_UNIT_LIST): one row per listed Unit, seven
// columns of facts and a check box that says whether the Unit is monitored.
#include <windows.h>

#include "units/unit.h"

// Deletes every row and column of `listView` and, when `list` is a list,
// rebuilds the seven columns and one row per Unit whose `hidden` is 0, in
// list order, with its check box from `enabled`. Nothing happens without a
// list view window; a null `list` leaves it without columns and rows.
void FillUnitList(HWND listView, Unit* list);

// While the dialog is visible, rewrites the "Free %" and "Port 0x378" cells of
// every row from its Unit.
void RefreshUnitList(HWND dialog, Unit* list);

// WM_NOTIFY from the unit list. NM_CLICK keeps a single selection: only the
// clicked row stays selected, and a click below the last row leaves none.
// LVN_ITEMCHANGED of the selected row makes its Unit current, takes `enabled`
// from the row's check box and answers true: the options panel must show the
// new current Unit. Changes of unselected rows, other codes and other
// controls change nothing and answer false.
bool OnUnitListNotify(const NMHDR* header, Unit** currentUnit);
