#include "settings/unit_list_view.h"

#include <commctrl.h>

#include "resources/resource_ids.h"
#include "settings/unit_list_text.h"
#include "units/unit_list.h"

static_assert(kUnitListExtendedStyles ==
                  (LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP),
              "the list's extended styles");

namespace {

// A list view has far fewer columns than this; the bound only keeps a
// misbehaving control from holding the loop forever.
constexpr int kMaxColumnDeletes = 256;

constexpr UINT kCheckedImage = 2;
constexpr UINT kUncheckedImage = 1;

void DeleteEverything(HWND listView) {
    SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
    for (int k = 0; k < kMaxColumnDeletes; ++k)
        if (!SendMessageA(listView, LVM_DELETECOLUMN, 0, 0)) break;
}

void InsertColumns(HWND listView) {
    SendMessageA(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kUnitListExtendedStyles);
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

}  // namespace

int FillUnitList(HWND /*dialog*/, HWND listView, Unit** currentUnit) {
    if (listView == nullptr) return 0;
    DeleteEverything(listView);
    if (currentUnit == nullptr || *currentUnit == nullptr) return 0;
    InsertColumns(listView);
    // Rows go in at the top while the walk runs from the tail to the head, so
    // the list ends up in list order.
    for (Unit* unit = LastUnit(*currentUnit); unit != nullptr; unit = unit->prev)
        if (unit->hidden == 0) InsertUnitRow(listView, *unit);
    return 0;
}

int RefreshUnitList(HWND dialog, Unit** currentUnit, const GlobalOptions* /*options*/) {
    if (!IsWindowVisible(dialog) || currentUnit == nullptr || *currentUnit == nullptr) return 0;
    HWND listView = GetDlgItem(dialog, IDC_UNIT_LIST);
    WalkForward(*currentUnit, [listView](Unit& unit) {
        LVFINDINFOA find{};
        find.flags = LVFI_STRING;
        find.psz = unit.name;
        const int row = static_cast<int>(SendMessageA(listView, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>(&find)));
        if (row < 0) return;   // a hidden Unit has no row
        SetCell(listView, row, kColumnFree, RefreshCellText(unit, kColumnFree));
        SetCell(listView, row, kColumnPort, RefreshCellText(unit, kColumnPort));
    });
    return 1;
}
