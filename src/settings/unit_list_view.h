#pragma once
// The main dialog's unit list (IDC_UNIT_LIST): one row per listed Unit, seven
// columns of facts and a check box that says whether the Unit is monitored.
#include <windows.h>

#include "shell/global_options.h"
#include "units/unit.h"

// The list view's extended styles: grid lines, check boxes, full-row select
// and label tips, set all at once.
constexpr DWORD kUnitListExtendedStyles = 0x4025;

// Deletes every row and column of `listView` and, when *currentUnit is a
// list, rebuilds the seven columns and one row per Unit whose `hidden` is 0,
// in list order, with its check box from `enabled`. Nothing happens without a
// list view window; a null *currentUnit leaves it without columns and rows.
// Returns 0.
int FillUnitList(HWND dialog, HWND listView, Unit** currentUnit);

// While the dialog is visible, rewrites the "Free %" and "Port 0x378" cells of
// every row from its Unit. Returns 1 after a refresh, 0 when the dialog is
// hidden or there is no list. The options are not used.
int RefreshUnitList(HWND dialog, Unit** currentUnit, const GlobalOptions* options);
