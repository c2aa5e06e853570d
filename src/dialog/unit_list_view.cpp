#include "dialog/unit_list_view.h"

#include <commctrl.h>

#include "resources/resource_ids.h"
#include "dialog/unit_list_text.h"
#include "units/unit_list.h"

namespace {

// A list view has far fewer columns than this; the bound only keeps a
// misbehaving control from holding the loop forever.
constexpr int kMaxColumnDeletes = 256;

constexpr UINT kSelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;

// State images of a row's check box.
constexpr UINT kUncheckedImage = 1;
constexpr UINT kCheckedImage = 2;

void DeleteEverything(HWND listView) {
    SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
    for (int k = 0; k < kMaxColumnDeletes; ++k)
        if (!SendMessageA(listView, LVM_DELETECOLUMN, 0, 0)) break;
}

void InsertColumns(HWND listView) {
    SendMessageA(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    for (int k = 0; k < kUnitListColumnCount; ++k) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_CENTER;
        column.cx = 0;
        column.pszText = const_cast<char*>(kUnitListColumnTitles[k]);
        column.iSubItem = k;
        SendMessageA(listView, LVM_INSERTCOLUMNA, k, reinterpret_cast<LPARAM>(&column));
    }
}

void SetCell(HWND listView, int row, int column, const CellText& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.data());
    SendMessageA(listView, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void SizeColumn(HWND listView, int column, int how) {
    SendMessageA(listView, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(how, 0));
}

void SetCheckBox(HWND listView, int row, int32_t enabled) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(enabled != 0 ? kCheckedImage : kUncheckedImage);
    SendMessageA(listView, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// Inserts the Unit's row at the top and fills its cells. Each cell is written
// before its column is sized, so every column shows its widest text in full.
void InsertUnitRow(HWND listView, const Unit& unit) {
    CellText name = FillCellText(unit, kColumnUnit);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = 0;
    item.pszText = name.data();
    const int row = static_cast<int>(SendMessageA(listView, LVM_INSERTITEMA, 0,
                                                  reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;   // no row to write into; the others stay as they are
    SizeColumn(listView, kColumnUnit, LVSCW_AUTOSIZE);
    SetCell(listView, row, kColumnType, FillCellText(unit, kColumnType));
    SizeColumn(listView, kColumnType, LVSCW_AUTOSIZE);
    for (int column = kColumnFree; column <= kColumnPort; ++column) {
        SetCell(listView, row, column, FillCellText(unit, column));
        SizeColumn(listView, column, LVSCW_AUTOSIZE_USEHEADER);
    }
    SetCheckBox(listView, row, unit.enabled);
}

void SetItemState(HWND listView, int item, UINT state, UINT mask) {
    LVITEMA change{};
    change.state = state;
    change.stateMask = mask;
    SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&change));
}

UINT ItemState(HWND listView, int item, UINT mask) {
    return static_cast<UINT>(SendMessageA(listView, LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
}

// Whatever the list selected, only the clicked row stays selected. The list
// allows a range to be selected (shift-click), so every selected row is
// cleared, not only the first; the bound keeps a control that refuses the
// change from holding the loop.
void OnUnitListClick(HWND listView, int clickedItem) {
    const int rows = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int k = 0; k < rows; ++k) {
        const int selected = static_cast<int>(SendMessageA(
            listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
        if (selected < 0) break;
        SetItemState(listView, selected, 0, LVIS_SELECTED);
    }
    if (clickedItem != -1) SetItemState(listView, clickedItem, kSelectedAndFocused, kSelectedAndFocused);
    UpdateWindow(listView);
}

bool OnUnitListItemChanged(HWND listView, int item, Unit** currentUnit) {
    if (item < 0 || *currentUnit == nullptr) return false;
    char name[kPathLength] = {};
    LVITEMA query{};
    query.mask = LVIF_TEXT;
    query.iItem = item;
    query.pszText = name;
    query.cchTextMax = static_cast<int>(sizeof name);
    SendMessageA(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    if ((ItemState(listView, item, LVIS_SELECTED) & LVIS_SELECTED) == 0) return false;
    Unit* unit = FindUnitByName(*currentUnit, name);
    const UINT image = (ItemState(listView, item, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12;
    unit->enabled = image == kUncheckedImage ? 0 : 1;
    *currentUnit = unit;
    return true;
}

}  // namespace

void FillUnitList(HWND listView, Unit* list) {
    if (listView == nullptr) return;
    DeleteEverything(listView);
    if (list == nullptr) return;
    InsertColumns(listView);
    // Rows go in at the top while the walk runs from the tail to the head, so
    // the list ends up in list order.
    for (Unit* unit = LastUnit(list); unit != nullptr; unit = unit->prev)
        if (unit->hidden == 0) InsertUnitRow(listView, *unit);
}

void RefreshUnitList(HWND dialog, Unit* list) {
    if (!IsWindowVisible(dialog)) return;
    HWND listView = GetDlgItem(dialog, IDC_UNIT_LIST);
    WalkForward(list, [listView](Unit& unit) {
        LVFINDINFOA find{};
        find.flags = LVFI_STRING;
        find.psz = unit.name;
        const int row = static_cast<int>(SendMessageA(listView, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>(&find)));
        if (row < 0) return;   // a hidden Unit has no row
        SetCell(listView, row, kColumnFree, RefreshCellText(unit, kColumnFree));
        SetCell(listView, row, kColumnPort, RefreshCellText(unit, kColumnPort));
    });
}

bool OnUnitListNotify(const NMHDR* header, Unit** currentUnit) {
    if (header == nullptr || header->idFrom != IDC_UNIT_LIST) return false;
    if (header->code == static_cast<UINT>(NM_CLICK)) {
        const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(header);
        OnUnitListClick(header->hwndFrom, click->iItem);
    } else if (header->code == static_cast<UINT>(LVN_ITEMCHANGED)) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        return OnUnitListItemChanged(header->hwndFrom, change->iItem, currentUnit);
    }
    return false;
}
