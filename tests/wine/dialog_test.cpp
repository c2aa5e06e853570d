// The main dialog created from template 100 in this process, with a small
// dialog procedure that dispatches to the program's handlers, driven with
// messages: the unit list, clicks on its rows, the options panel.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/win32_os.h"
#include "resources/resource_ids.h"
#include "settings/options_panel.h"
#include "settings/unit_list_view.h"
#include "shell/main_dialog_options.h"
#include "units/unit_list.h"

namespace {

struct DialogState {
    Unit* currentUnit = nullptr;
    GlobalOptions options{};
    OptionsPanelState panel{};
};

DialogState* g_state = nullptr;

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState& s = *g_state;
    switch (message) {
    case WM_INITDIALOG:
        RefreshOptionsPanel(dialog, &s.currentUnit, &s.options, s.panel);
        return TRUE;
    case WM_COMMAND:
        DispatchOptionCommand({dialog, LOWORD(wParam), HIWORD(wParam), &s.currentUnit, &s.options, &s.panel});
        return FALSE;
    case WM_NOTIFY:
        return OnUnitListNotify(dialog, reinterpret_cast<NMHDR*>(lParam), &s.currentUnit, &s.options,
                                s.panel);
    default:
        return FALSE;
    }
}

struct MachineUnit {
    const char* name;
    uint32_t kind;
    int32_t value, enabled, hidden;
    const char* label;
    const char* fileSystem;
};

// As discovery builds it: between two hidden end markers, with the CD-ROM and
// the removable letter hidden.
const MachineUnit kMachine[] = {
    {"", 0, 0, 0, 1, "", ""},
    {"\\\\.\\PHYSICALDRIVE0", DRIVE_NO_ROOT_DIR, -1, 1, 0, "", ""},
    {"\\\\.\\C:", DRIVE_FIXED, 37, 0, 0, "System", "NTFS"},
    {"\\\\.\\D:", DRIVE_CDROM, 0, 0, 1, "N/A", "N/A"},
    {"\\\\.\\E:", DRIVE_REMOVABLE, 0, 0, 1, "N/A", "N/A"},
    {"CPU Usage", UNIT_CPU, 0, 1, 0, "", ""},
    {"RAM Usage", UNIT_RAM, 0, 0, 0, "", ""},
    {"VRAM Usage", UNIT_VRAM, 0, 0, 0, "", ""},
    {"NIC #0 Usage", UNIT_NIC, 0, 1, 0, "eth0", "Ethernet"},
    {"", 0, 0, 0, 1, "", ""},
};

using Cells = std::vector<std::string>;
const Cells kListedNames = {"\\\\.\\PHYSICALDRIVE0", "\\\\.\\C:", "CPU Usage", "RAM Usage", "VRAM Usage",
                            "NIC #0 Usage"};

// Builds kMachine with CurrentUnit on the end marker; each test then calls Open().
class MainDialog : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&init);
        g_state = &state_;
        state_.options.ProcessorCount = 1;
        for (const MachineUnit& m : kMachine) {
            ASSERT_EQ(1, AppendUnit(os_, &list_));
            Unit& u = *list_;
            std::snprintf(u.name, sizeof u.name, "%s", m.name);
            std::snprintf(u.label, sizeof u.label, "%s", m.label);
            std::snprintf(u.fileSystem, sizeof u.fileSystem, "%s", m.fileSystem);
            u.kind = m.kind;
            u.value = m.value;
            u.enabled = m.enabled;
            u.hidden = m.hidden;
        }
        state_.currentUnit = list_;
    }

    void TearDown() override {
        if (dialog_ != nullptr) DestroyWindow(dialog_);
        FreeUnitList(os_, &list_);
        g_state = nullptr;
    }

    void Open() {
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     TestDialogProc, 0);
        ASSERT_NE(nullptr, dialog_);
        listView_ = GetDlgItem(dialog_, IDC_UNIT_LIST);
        ASSERT_NE(nullptr, listView_);
        Pump();
    }

    void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    Unit* Named(const char* name) { return FindUnitByName(list_, name); }

    int Rows() { return ListView_GetItemCount(listView_); }
    int Columns() { return Header_GetItemCount(ListView_GetHeader(listView_)); }

    std::string Cell(int row, int column) {
        char text[260] = {};
        ListView_GetItemText(listView_, row, column, text, sizeof text);
        return text;
    }

    Cells ColumnCells(int column) {
        Cells cells;
        for (int row = 0; row < Rows(); ++row) cells.push_back(Cell(row, column));
        return cells;
    }

    void Select(int row) { ListView_SetItemState(listView_, row, LVIS_SELECTED, LVIS_SELECTED); }
    void SetCheckImage(int row, UINT image) {
        ListView_SetItemState(listView_, row, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
    }

    std::vector<int> SelectedRows() {
        std::vector<int> rows;
        for (int row = 0; row < Rows(); ++row)
            if (ListView_GetItemState(listView_, row, LVIS_SELECTED) & LVIS_SELECTED) rows.push_back(row);
        return rows;
    }

    // A click as the list view (or another control, by `from`) reports it.
    BOOL NotifyClick(int item, UINT_PTR from = IDC_UNIT_LIST) {
        NMITEMACTIVATE click{};
        click.hdr = {listView_, from, static_cast<UINT>(NM_CLICK)};
        click.iItem = item;
        return OnUnitListNotify(dialog_, &click.hdr, &state_.currentUnit, &state_.options, state_.panel);
    }

    // A real left click on the middle of a row's label, through the list view's mouse messages.
    void ClickRow(int row) {
        RECT label{};
        ListView_GetItemRect(listView_, row, &label, LVIR_LABEL);
        const LPARAM at = MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2);
        PostMessageA(listView_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(listView_, WM_LBUTTONUP, 0, at);
        Pump();
    }

    void Click(int id) {
        SendDlgItemMessageA(dialog_, id, BM_CLICK, 0, 0);
        Pump();
    }

    bool Checked(int id) { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }

    std::string BoxText(int id) {
        char text[64] = {};
        GetDlgItemTextA(dialog_, id, text, sizeof text);
        return text;
    }

    Win32Os os_;
    Unit* list_ = nullptr;
    DialogState state_;
    HWND dialog_ = nullptr;
    HWND listView_ = nullptr;
};

}  // namespace

TEST_F(MainDialog, FillShowsTheListedUnitsInListOrder) {
    Named("\\\\.\\C:")->showInTray = 0;
    Named("NIC #0 Usage")->parallelPortEnabled = 1;
    Open();

    EXPECT_EQ(0x4025u, ListView_GetExtendedListViewStyle(listView_));
    ASSERT_EQ(7, Columns());
    const char* titles[] = {"Unit", "Type", "Free %", "Tray", "Volumename", "Filesystem", "Port 0x378"};
    for (int k = 0; k < 7; ++k) {
        char title[64] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        ASSERT_TRUE(ListView_GetColumn(listView_, k, &column));
        EXPECT_STREQ(titles[k], title);
        if (k > 0) {
            EXPECT_EQ(LVCFMT_CENTER, column.fmt & LVCFMT_JUSTIFYMASK) << "column " << k;
        }
        EXPECT_GT(column.cx, 0) << "column " << k << " is sized to its contents";
    }

    // No row for the markers, the CD-ROM or the removable letter.
    EXPECT_EQ(kListedNames, ColumnCells(0));
    EXPECT_EQ((Cells{"Drive: No Root", "Drive: Fixed", "Extension", "Extension", "Extension", "Network"}),
              ColumnCells(1));
    EXPECT_EQ((Cells{"-1%", "37%", "0%", "0%", "0%", "0%"}), ColumnCells(2));
    EXPECT_EQ((Cells{"Yes", "No", "Yes", "Yes", "Yes", "Yes"}), ColumnCells(3));
    EXPECT_EQ((Cells{"", "System", "", "", "", "eth0"}), ColumnCells(4));
    EXPECT_EQ((Cells{"", "NTFS", "", "", "", "Ethernet"}), ColumnCells(5));
    EXPECT_EQ((Cells{"No", "No", "No", "No", "No", "0x378"}), ColumnCells(6));
    const UINT images[] = {2, 1, 2, 1, 1, 2};
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(images[row], ListView_GetItemState(listView_, row, LVIS_STATEIMAGEMASK) >> 12) << row;

    // Setting the check boxes while filling changed no Unit, and nothing is selected.
    EXPECT_EQ(0, Named("\\\\.\\C:")->enabled);
    EXPECT_EQ(1, Named("CPU Usage")->enabled);
    EXPECT_EQ(LastUnit(list_), state_.currentUnit);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_EQ(1, state_.panel.unitListFilled);

    // Before any selection the Unit boxes show and edit the end marker only.
    EXPECT_TRUE(Checked(IDC_SHOW_IN_TRAY));
    Click(IDC_PARALLEL_PORT);
    EXPECT_EQ(1, LastUnit(list_)->parallelPortEnabled);
    int ported = 0;
    WalkAll(list_, [&ported](Unit& u) { ported += u.parallelPortEnabled; });
    EXPECT_EQ(2, ported) << "the end marker and the NIC";

    // A second fill rebuilds; a later refresh of the panel does not fill again.
    EXPECT_EQ(0, FillUnitList(dialog_, listView_, &state_.currentUnit));
    EXPECT_EQ(7, Columns());
    EXPECT_EQ(kListedNames, ColumnCells(0));
    Named("RAM Usage")->hidden = 1;
    RefreshOptionsPanel(dialog_, &state_.currentUnit, &state_.options, state_.panel);
    EXPECT_EQ(6, Rows());

    Unit* none = nullptr;
    EXPECT_EQ(0, RefreshUnitList(dialog_, &none, nullptr));
    EXPECT_EQ(0, FillUnitList(dialog_, listView_, &none));
    EXPECT_EQ(0, Rows());
    EXPECT_EQ(0, Columns());
    EXPECT_EQ(0, FillUnitList(dialog_, nullptr, &state_.currentUnit)) << "no list view window";
}

TEST_F(MainDialog, RefreshRewritesOnlyFreeAndPortAndOnlyWhileVisible) {
    Open();
    Named("CPU Usage")->value = 30;
    Named("RAM Usage")->value = 45;
    Named("NIC #0 Usage")->value = 12;
    Unit* c = Named("\\\\.\\C:");
    c->value = 36;
    c->parallelPortEnabled = 1;
    Named("\\\\.\\PHYSICALDRIVE0")->showInTray = 0;
    Named("\\\\.\\D:")->value = 99;   // hidden: has no row

    ShowWindow(dialog_, SW_HIDE);
    EXPECT_EQ(0, RefreshUnitList(dialog_, &state_.currentUnit, &state_.options));
    EXPECT_EQ((Cells{"-1%", "37%", "0%", "0%", "0%", "0%"}), ColumnCells(2));

    ShowWindow(dialog_, SW_SHOW);
    EXPECT_EQ(1, RefreshUnitList(dialog_, &state_.currentUnit, nullptr));
    EXPECT_EQ((Cells{"-1%", "36%", "70%", "55%", "100%", "88%"}), ColumnCells(2));
    EXPECT_EQ((Cells{"No", "0x378", "No", "No", "No", "No"}), ColumnCells(6));
    EXPECT_EQ((Cells{"Yes", "Yes", "Yes", "Yes", "Yes", "Yes"}), ColumnCells(3)) << "Tray is not refreshed";
}

TEST_F(MainDialog, ClickingRowsKeepsOneSelectionAndOnlyTheSelectedRowsBoxCounts) {
    Open();
    Unit* c = Named("\\\\.\\C:");
    c->parallelPortEnabled = 1;
    c->showInTray = 0;

    ClickRow(1);
    EXPECT_EQ(std::vector<int>{1}, SelectedRows());
    ASSERT_EQ(c, state_.currentUnit);
    EXPECT_EQ(0, c->enabled) << "row 1's box is unticked";
    EXPECT_FALSE(Checked(IDC_SHOW_IN_TRAY));
    EXPECT_TRUE(Checked(IDC_PARALLEL_PORT));

    // A range the list selected itself (as a shift-click does) is dropped at the click.
    Select(3);
    Select(4);
    ASSERT_EQ((std::vector<int>{1, 3, 4}), SelectedRows());
    NotifyClick(2);
    EXPECT_EQ(std::vector<int>{2}, SelectedRows());
    EXPECT_EQ(Named("CPU Usage"), state_.currentUnit);
    EXPECT_TRUE(Checked(IDC_SHOW_IN_TRAY));
    EXPECT_FALSE(Checked(IDC_PARALLEL_PORT));

    // Any row that becomes selected makes its Unit current. A click below the
    // last row leaves nothing selected and the current Unit as it was.
    Select(5);
    EXPECT_EQ(Named("NIC #0 Usage"), state_.currentUnit);
    NotifyClick(-1);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_EQ(Named("NIC #0 Usage"), state_.currentUnit);

    // A check box counts only for the selected row.
    Unit* ram = Named("RAM Usage");
    NotifyClick(3);
    ASSERT_EQ(ram, state_.currentUnit);

    SetCheckImage(1, 2);   // C:'s box, while RAM is selected
    EXPECT_EQ(0, c->enabled);
    EXPECT_EQ(ram, state_.currentUnit);
    SetCheckImage(3, 2);
    EXPECT_EQ(1, ram->enabled);
    SetCheckImage(3, 1);
    EXPECT_EQ(0, ram->enabled);

    NotifyClick(1);   // C: selected takes its box's state
    EXPECT_EQ(c, state_.currentUnit);
    EXPECT_EQ(1, c->enabled);

    EXPECT_EQ(FALSE, NotifyClick(0, 999)) << "another control's notification";
    EXPECT_EQ(std::vector<int>{1}, SelectedRows());
}

TEST_F(MainDialog, EnablingRulesAndTheGlobalBoxes) {
    state_.options.ShowCPUUsageMulti = 1;
    state_.options.KeyboardLED = 1;
    Open();
    EXPECT_FALSE(Enabled(IDC_KEYBOARD_LED));
    EXPECT_FALSE(Enabled(IDC_STATIC_ICON));
    EXPECT_FALSE(Enabled(IDC_MULTI_CPU)) << "one processor";
    EXPECT_TRUE(Checked(IDC_MULTI_CPU)) << "a disabled box still shows its option";

    Click(IDC_SINGLE_ICON);
    EXPECT_EQ(1, state_.options.SingleIconMode);
    EXPECT_TRUE(Enabled(IDC_KEYBOARD_LED));
    EXPECT_TRUE(Enabled(IDC_STATIC_ICON)) << "keyboard LED was already on";
    Click(IDC_KEYBOARD_LED);
    EXPECT_EQ(0, state_.options.KeyboardLED);
    EXPECT_FALSE(Enabled(IDC_STATIC_ICON)) << "the keyboard box refreshes the panel";
    Click(IDC_KEYBOARD_LED);

    state_.options.SingleIconMode = 0;   // the static icon box does not refresh the panel
    Click(IDC_STATIC_ICON);
    EXPECT_EQ(1, state_.options.Staticicon);
    EXPECT_TRUE(Enabled(IDC_KEYBOARD_LED));
    state_.options.SingleIconMode = 1;

    Click(IDC_SINGLE_ICON);
    EXPECT_EQ(0, state_.options.SingleIconMode);
    EXPECT_FALSE(Enabled(IDC_KEYBOARD_LED));
    EXPECT_FALSE(Enabled(IDC_STATIC_ICON));
    EXPECT_EQ(1, state_.options.KeyboardLED) << "options keep their values";
    EXPECT_EQ(1, state_.options.Staticicon);

    state_.options.ProcessorCount = 2;
    RefreshOptionsPanel(dialog_, nullptr, &state_.options, state_.panel);
    EXPECT_TRUE(Enabled(IDC_MULTI_CPU));
    Click(IDC_MULTI_CPU);
    EXPECT_EQ(0, state_.options.ShowCPUUsageMulti);
    Click(IDC_ALTERNATE_ICONS);
    EXPECT_EQ(1, state_.options.AlternativeIcons);

    // Check boxes take their state on any notification, not only a click.
    CheckDlgButton(dialog_, IDC_ALTERNATE_ICONS, BST_UNCHECKED);
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_ALTERNATE_ICONS, BN_SETFOCUS),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDC_ALTERNATE_ICONS)));
    EXPECT_EQ(0, state_.options.AlternativeIcons);

    // The other commands are the dialog's own: no option handler takes them.
    for (int id : {IDC_APPLY, IDC_QUIT, IDC_START, IDC_START_WITH_OS, IDC_ABOUT, IDC_HIDE, IDC_ONLINE_HELP,
                   IDC_UNIT_LIST, 0, 999}) {
        const OptionCommand command{dialog_, id, BN_CLICKED, &state_.currentUnit, &state_.options, &state_.panel};
        EXPECT_EQ(0, DispatchOptionCommand(command)) << "id " << id;
    }
}

TEST_F(MainDialog, UnitBoxesAndTheSixteenMaskBoxes) {
    Open();
    Unit* c = Named("\\\\.\\C:");
    NotifyClick(1);
    ASSERT_EQ(c, state_.currentUnit);
    auto masks = [](const Unit* u) { return u->parallelPortReadMask << 8 | u->parallelPortWriteMask; };

    // Read box k+1 sets bit k of the read mask only, write box k+1 bit k of the write mask; then clearing.
    const int readIds[] = {114, 115, 120, 121, 122, 123, 124, 125};
    const int writeIds[] = {135, 134, 128, 129, 130, 131, 132, 133};
    for (int k = 0; k < 8; ++k) {
        Click(readIds[k]);
        EXPECT_EQ(((2 << k) - 1) << 8 | ((1 << k) - 1), masks(c)) << "read box " << k + 1;
        Click(writeIds[k]);
        EXPECT_EQ(((2 << k) - 1) * 0x101, masks(c)) << "write box " << k + 1;
    }
    for (int k = 0; k < 8; ++k) {
        const int cleared = 0xFF & ~((2 << k) - 1);
        Click(readIds[k]);
        EXPECT_EQ(cleared << 8 | (cleared | 1 << k), masks(c)) << "read box " << k + 1;
        Click(writeIds[k]);
        EXPECT_EQ(cleared * 0x101, masks(c)) << "write box " << k + 1;
    }

    // The panel shows another Unit's masks bit by bit.
    Unit* cpu = Named("CPU Usage");
    cpu->parallelPortReadMask = 0xA5;
    cpu->parallelPortWriteMask = 0x3C;
    NotifyClick(2);
    ASSERT_EQ(cpu, state_.currentUnit);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(((0xA5 >> k) & 1) != 0, Checked(readIds[k])) << "read box " << k + 1;
        EXPECT_EQ(((0x3C >> k) & 1) != 0, Checked(writeIds[k])) << "write box " << k + 1;
    }

    Click(IDC_SHOW_IN_TRAY);
    EXPECT_EQ(0, cpu->showInTray);
    Click(IDC_PARALLEL_PORT);
    EXPECT_EQ(1, cpu->parallelPortEnabled);
    EXPECT_EQ(0, c->parallelPortEnabled) << "the other Unit is untouched";
    EXPECT_EQ(1, c->showInTray);
    EXPECT_EQ(1, RefreshUnitList(dialog_, &state_.currentUnit, nullptr));
    EXPECT_EQ("0x378", Cell(2, 6));
    EXPECT_EQ("Yes", Cell(2, 3)) << "the Tray cell keeps its text";
}

TEST_F(MainDialog, NumberBoxesClampTheOptionAndKeepTheirText) {
    state_.options.Pollinterval = 5;   // as a settings file may hold them
    state_.options.Pollintervalmeters = 60000;
    state_.options.Startwithosdelay = 0;
    Open();
    GlobalOptions& o = state_.options;
    EXPECT_EQ((Cells{"5", "60000", "0"}),
              (Cells{BoxText(IDC_POLL_INTERVAL), BoxText(IDC_METER_INTERVAL), BoxText(IDC_START_DELAY)}));
    EXPECT_EQ((std::vector<int64_t>{25, 50000, 1}),
              (std::vector<int64_t>{o.Pollinterval, o.Pollintervalmeters, o.Startwithosdelay}));

    // Each text differs from the box's last one; the option holds a stray value before each.
    const struct { int id; const char* typed; uint32_t expected; } cases[] = {
        {IDC_POLL_INTERVAL, "20000", 10000}, {IDC_POLL_INTERVAL, "5", 25}, {IDC_POLL_INTERVAL, "", 25},
        {IDC_METER_INTERVAL, "", 25},        {IDC_METER_INTERVAL, "60000", 50000},
        {IDC_START_DELAY, "999", 300},       {IDC_START_DELAY, "", 1},
    };
    for (const auto& c : cases) {
        o.Pollinterval = o.Pollintervalmeters = 777;
        o.Startwithosdelay = 777;
        SetDlgItemTextA(dialog_, c.id, c.typed);
        Pump();
        const uint32_t actual = c.id == IDC_POLL_INTERVAL    ? o.Pollinterval
                                : c.id == IDC_METER_INTERVAL ? o.Pollintervalmeters
                                                             : static_cast<uint32_t>(o.Startwithosdelay);
        EXPECT_EQ(c.expected, actual) << "box " << c.id << " typed \"" << c.typed << "\"";
        EXPECT_EQ(c.typed, BoxText(c.id)) << "the box keeps what was typed";
    }

    // Typed key by key, each character's change is clamped as it comes.
    HWND box = GetDlgItem(dialog_, IDC_POLL_INTERVAL);
    for (char key : {'4', '0', '0'}) SendMessageA(box, WM_CHAR, key, 0);
    EXPECT_EQ(400u, o.Pollinterval);

    // Notifications other than EN_CHANGE are ignored.
    o.Pollinterval = 777;
    for (WORD code : {EN_SETFOCUS, EN_KILLFOCUS, EN_UPDATE, EN_MAXTEXT})
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_POLL_INTERVAL, code), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(777u, o.Pollinterval);
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_POLL_INTERVAL, EN_CHANGE), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(400u, o.Pollinterval);
}
