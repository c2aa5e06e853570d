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
#include "settings/option_rules.h"
#include "settings/options_panel.h"
#include "settings/unit_list_view.h"
#include "shell/main_dialog_options.h"
#include "units/discovery.h"
#include "units/unit_list.h"

namespace {

// What the dialog procedure shares with the handlers; one per test.
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
    case WM_COMMAND: {
        const OptionCommand command{dialog, LOWORD(wParam), HIWORD(wParam), &s.currentUnit, &s.options,
                                    &s.panel};
        DispatchOptionCommand(command);
        return FALSE;
    }
    case WM_NOTIFY:
        return OnUnitListNotify(dialog, reinterpret_cast<NMHDR*>(lParam), &s.currentUnit, &s.options,
                                s.panel);
    default:
        return FALSE;
    }
}

struct UnitSpec {
    const char* name;
    uint32_t kind;
    int32_t value;
    int32_t enabled;
    int32_t hidden;
    const char* label;
    const char* fileSystem;
};

// The machine of these tests, between its two hidden end markers, as
// discovery would build it: a physical drive, a fixed letter, a CD-ROM and a
// removable letter (both hidden), the processors, memory and an interface.
const UnitSpec kMachine[] = {
    {"\\\\.\\PHYSICALDRIVE0", DRIVE_NO_ROOT_DIR, -1, 1, 0, "", ""},
    {"\\\\.\\C:", DRIVE_FIXED, 37, 0, 0, "System", "NTFS"},
    {"\\\\.\\D:", DRIVE_CDROM, 0, 0, 1, "N/A", "N/A"},
    {"\\\\.\\E:", DRIVE_REMOVABLE, 0, 0, 1, "N/A", "N/A"},
    {"CPU Usage", UNIT_CPU, 0, 1, 0, "", ""},
    {"RAM Usage", UNIT_RAM, 0, 0, 0, "", ""},
    {"VRAM Usage", UNIT_VRAM, 0, 0, 0, "", ""},
    {"NIC #0 Usage", UNIT_NIC, 0, 1, 0, "eth0", "Ethernet"},
};

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&init);
        g_state = &state_;
        state_.options.ProcessorCount = 1;
        state_.options.Pollinterval = 100;
        state_.options.Pollintervalmeters = 1500;
        state_.options.Startwithosdelay = 10;
    }

    void TearDown() override {
        if (dialog_ != nullptr) DestroyWindow(dialog_);
        if (list_ != nullptr) FreeUnitList(os_, &list_);
        g_state = nullptr;
    }

    // Builds kMachine and leaves CurrentUnit on the end marker.
    void BuildMachine() {
        ASSERT_EQ(1, AppendUnit(os_, &list_));
        list_->hidden = 1;
        int32_t trayId = kFirstTrayId;
        for (const UnitSpec& spec : kMachine) {
            ASSERT_EQ(1, AppendUnit(os_, &list_));
            Unit& u = *list_;
            std::snprintf(u.name, sizeof u.name, "%s", spec.name);
            std::snprintf(u.label, sizeof u.label, "%s", spec.label);
            std::snprintf(u.fileSystem, sizeof u.fileSystem, "%s", spec.fileSystem);
            u.kind = spec.kind;
            u.value = spec.value;
            u.enabled = spec.enabled;
            u.hidden = spec.hidden;
            u.trayId = trayId++;
        }
        ASSERT_EQ(1, AppendUnit(os_, &list_));
        list_->hidden = 1;
        state_.currentUnit = list_;
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

    int Rows() { return static_cast<int>(SendMessageA(listView_, LVM_GETITEMCOUNT, 0, 0)); }

    int Columns() {
        HWND header = reinterpret_cast<HWND>(SendMessageA(listView_, LVM_GETHEADER, 0, 0));
        return header == nullptr ? 0 : static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    }

    std::string Cell(int row, int column) {
        char text[260] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(listView_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }

    std::vector<std::string> ColumnCells(int column) {
        std::vector<std::string> cells;
        for (int row = 0; row < Rows(); ++row) cells.push_back(Cell(row, column));
        return cells;
    }

    int CheckImage(int row) {
        return static_cast<int>(SendMessageA(listView_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12);
    }

    void SetCheckImage(int row, int image) {
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(image);
        SendMessageA(listView_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }

    std::vector<int> SelectedRows() {
        std::vector<int> rows;
        for (int row = 0; row < Rows(); ++row)
            if (SendMessageA(listView_, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) rows.push_back(row);
        return rows;
    }

    // A click as the list view reports it to the dialog.
    void NotifyClick(int item) {
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = listView_;
        click.hdr.idFrom = IDC_UNIT_LIST;
        click.hdr.code = NM_CLICK;
        click.iItem = item;
        click.iSubItem = 0;
        SendMessageA(dialog_, WM_NOTIFY, IDC_UNIT_LIST, reinterpret_cast<LPARAM>(&click));
    }

    // A real left click on the middle of a row's label, through the mouse
    // messages of the list view.
    void ClickRow(int row) {
        RECT label{};
        label.left = LVIR_LABEL;
        SendMessageA(listView_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&label));
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

    void Type(int id, const char* text) {
        SetDlgItemTextA(dialog_, id, text);
        Pump();
    }

    Win32Os os_;
    Unit* list_ = nullptr;
    DialogState state_;
    HWND dialog_ = nullptr;
    HWND listView_ = nullptr;
};

const std::vector<std::string> kListedNames = {
    "\\\\.\\PHYSICALDRIVE0", "\\\\.\\C:", "CPU Usage", "RAM Usage", "VRAM Usage", "NIC #0 Usage"};

}  // namespace

TEST_F(MainDialog, FillShowsTheListedUnitsInListOrder) {
    BuildMachine();
    Named("\\\\.\\C:")->showInTray = 0;
    Named("NIC #0 Usage")->parallelPortEnabled = 1;
    Open();

    EXPECT_EQ(static_cast<LRESULT>(kUnitListExtendedStyles),
              SendMessageA(listView_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(0x4025u, kUnitListExtendedStyles);
    ASSERT_EQ(7, Columns());
    const char* titles[] = {"Unit", "Type", "Free %", "Tray", "Volumename", "Filesystem", "Port 0x378"};
    for (int k = 0; k < 7; ++k) {
        char title[64] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        ASSERT_TRUE(SendMessageA(listView_, LVM_GETCOLUMNA, k, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(titles[k], title);
        if (k > 0) {
            EXPECT_EQ(LVCFMT_CENTER, column.fmt & LVCFMT_JUSTIFYMASK) << "column " << k;
        }
        EXPECT_GT(column.cx, 0) << "column " << k << " is sized to its contents";
    }

    // No row for the markers, the CD-ROM or the removable letter.
    EXPECT_EQ(kListedNames, ColumnCells(0));
    EXPECT_EQ((std::vector<std::string>{"Drive: No Root", "Drive: Fixed", "Extension", "Extension",
                                        "Extension", "Network"}),
              ColumnCells(1));
    EXPECT_EQ((std::vector<std::string>{"-1%", "37%", "0%", "0%", "0%", "0%"}), ColumnCells(2));
    EXPECT_EQ((std::vector<std::string>{"Yes", "No", "Yes", "Yes", "Yes", "Yes"}), ColumnCells(3));
    EXPECT_EQ((std::vector<std::string>{"", "System", "", "", "", "eth0"}), ColumnCells(4));
    EXPECT_EQ((std::vector<std::string>{"", "NTFS", "", "", "", "Ethernet"}), ColumnCells(5));
    EXPECT_EQ((std::vector<std::string>{"No", "No", "No", "No", "No", "0x378"}), ColumnCells(6));
    const int images[] = {2, 1, 2, 1, 1, 2};
    for (int row = 0; row < 6; ++row) EXPECT_EQ(images[row], CheckImage(row)) << "row " << row;

    // Setting the check boxes while filling changed no Unit, and nothing is selected.
    EXPECT_EQ(0, Named("\\\\.\\C:")->enabled);
    EXPECT_EQ(1, Named("CPU Usage")->enabled);
    EXPECT_EQ(LastUnit(list_), state_.currentUnit);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_EQ(1, state_.panel.unitListFilled);
}

TEST_F(MainDialog, FillAgainRebuildsAndANullListEmptiesIt) {
    BuildMachine();
    Open();
    ASSERT_EQ(6, Rows());
    EXPECT_EQ(0, FillUnitList(dialog_, listView_, &state_.currentUnit));
    EXPECT_EQ(7, Columns());
    EXPECT_EQ(kListedNames, ColumnCells(0));

    // The one-shot fill: a later refresh of the panel does not fill again.
    Named("RAM Usage")->hidden = 1;
    RefreshOptionsPanel(dialog_, &state_.currentUnit, &state_.options, state_.panel);
    EXPECT_EQ(6, Rows());

    Unit* none = nullptr;
    EXPECT_EQ(0, FillUnitList(dialog_, listView_, &none));
    EXPECT_EQ(0, Rows());
    EXPECT_EQ(0, Columns());
    EXPECT_EQ(0, FillUnitList(dialog_, nullptr, &state_.currentUnit)) << "no list view window";
}

TEST_F(MainDialog, RefreshRewritesFreeAndPortWhileVisible) {
    BuildMachine();
    Open();
    Named("CPU Usage")->value = 30;
    Named("RAM Usage")->value = 45;
    Named("NIC #0 Usage")->value = 12;
    Named("\\\\.\\C:")->value = 36;
    Named("\\\\.\\C:")->parallelPortEnabled = 1;
    Named("\\\\.\\PHYSICALDRIVE0")->showInTray = 0;   // the Tray column is never refreshed
    Named("\\\\.\\C:")->label[0] = 'X';
    Named("\\\\.\\D:")->value = 99;                    // hidden: has no row

    ShowWindow(dialog_, SW_HIDE);
    EXPECT_EQ(0, RefreshUnitList(dialog_, &state_.currentUnit, &state_.options));
    EXPECT_EQ((std::vector<std::string>{"-1%", "37%", "0%", "0%", "0%", "0%"}), ColumnCells(2));

    ShowWindow(dialog_, SW_SHOW);
    EXPECT_EQ(1, RefreshUnitList(dialog_, &state_.currentUnit, nullptr));
    EXPECT_EQ((std::vector<std::string>{"-1%", "36%", "70%", "55%", "100%", "88%"}), ColumnCells(2));
    EXPECT_EQ((std::vector<std::string>{"No", "0x378", "No", "No", "No", "No"}), ColumnCells(6));
    EXPECT_EQ((std::vector<std::string>{"Yes", "Yes", "Yes", "Yes", "Yes", "Yes"}), ColumnCells(3));
    EXPECT_EQ((std::vector<std::string>{"", "System", "", "", "", "eth0"}), ColumnCells(4));
    EXPECT_EQ(kListedNames, ColumnCells(0));

    Unit* none = nullptr;
    EXPECT_EQ(0, RefreshUnitList(dialog_, &none, nullptr));
}

TEST_F(MainDialog, ClickingRowsKeepsOneSelectionAndMakesItsUnitCurrent) {
    BuildMachine();
    Open();
    Unit* c = Named("\\\\.\\C:");
    c->parallelPortEnabled = 1;
    c->parallelPortReadMask = 0x05;
    c->showInTray = 0;

    ClickRow(1);
    EXPECT_EQ(std::vector<int>{1}, SelectedRows());
    ASSERT_EQ(c, state_.currentUnit);
    EXPECT_EQ(0, c->enabled) << "row 1's box is unticked";
    EXPECT_FALSE(Checked(IDC_SHOW_IN_TRAY));
    EXPECT_TRUE(Checked(IDC_PARALLEL_PORT));
    EXPECT_TRUE(Checked(IDC_READ_BIT1));
    EXPECT_FALSE(Checked(IDC_READ_BIT2));
    EXPECT_TRUE(Checked(IDC_READ_BIT3));

    // A range selected by the list itself (as a shift-click does) is dropped
    // again at the click: only the clicked row stays selected.
    LVITEMA extra{};
    extra.state = LVIS_SELECTED;
    extra.stateMask = LVIS_SELECTED;
    SendMessageA(listView_, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&extra));
    SendMessageA(listView_, LVM_SETITEMSTATE, 4, reinterpret_cast<LPARAM>(&extra));
    ASSERT_EQ((std::vector<int>{1, 3, 4}), SelectedRows());
    NotifyClick(2);
    EXPECT_EQ(std::vector<int>{2}, SelectedRows());
    EXPECT_EQ(Named("CPU Usage"), state_.currentUnit);
    EXPECT_TRUE(Checked(IDC_SHOW_IN_TRAY));
    EXPECT_FALSE(Checked(IDC_PARALLEL_PORT));
    EXPECT_FALSE(Checked(IDC_READ_BIT1));

    // Any row that becomes selected makes its Unit current. A click below the
    // last row leaves nothing selected and the current Unit as it was.
    SendMessageA(listView_, LVM_SETITEMSTATE, 5, reinterpret_cast<LPARAM>(&extra));
    EXPECT_EQ(Named("NIC #0 Usage"), state_.currentUnit);
    NotifyClick(-1);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_EQ(Named("NIC #0 Usage"), state_.currentUnit);
}

TEST_F(MainDialog, CheckBoxCountsOnlyForTheSelectedRow) {
    BuildMachine();
    Open();
    Unit* ram = Named("RAM Usage");
    Unit* c = Named("\\\\.\\C:");
    NotifyClick(3);   // RAM
    ASSERT_EQ(ram, state_.currentUnit);

    // Ticking C:'s box while RAM is selected changes nothing.
    SetCheckImage(1, 2);
    EXPECT_EQ(0, c->enabled);
    EXPECT_EQ(ram, state_.currentUnit);

    // Ticking the selected row's box enables its Unit at once.
    SetCheckImage(3, 2);
    EXPECT_EQ(1, ram->enabled);
    SetCheckImage(3, 1);
    EXPECT_EQ(0, ram->enabled);

    // When C: becomes selected its Unit takes the box's state.
    NotifyClick(1);
    EXPECT_EQ(c, state_.currentUnit);
    EXPECT_EQ(1, c->enabled);

    // Notifications of another control are not the list's.
    NMITEMACTIVATE other{};
    other.hdr.hwndFrom = listView_;
    other.hdr.idFrom = 999;
    other.hdr.code = NM_CLICK;
    other.iItem = 0;
    EXPECT_EQ(FALSE, OnUnitListNotify(dialog_, &other.hdr, &state_.currentUnit, &state_.options, state_.panel));
    EXPECT_EQ(std::vector<int>{1}, SelectedRows());
}

TEST_F(MainDialog, EnablingRules) {
    BuildMachine();
    state_.options.ShowCPUUsageMulti = 1;
    state_.options.KeyboardLED = 1;
    Open();
    EXPECT_FALSE(Enabled(IDC_KEYBOARD_LED));
    EXPECT_FALSE(Enabled(IDC_STATIC_ICON));
    EXPECT_FALSE(Enabled(IDC_MULTI_CPU)) << "one processor";
    EXPECT_TRUE(Checked(IDC_MULTI_CPU)) << "a disabled box still shows its option";
    EXPECT_TRUE(Checked(IDC_KEYBOARD_LED));

    Click(IDC_SINGLE_ICON);
    EXPECT_EQ(1, state_.options.SingleIconMode);
    EXPECT_TRUE(Enabled(IDC_KEYBOARD_LED));
    EXPECT_TRUE(Enabled(IDC_STATIC_ICON)) << "keyboard LED was already on";

    Click(IDC_KEYBOARD_LED);
    EXPECT_EQ(0, state_.options.KeyboardLED);
    EXPECT_FALSE(Enabled(IDC_STATIC_ICON)) << "the keyboard box refreshes the panel";
    Click(IDC_KEYBOARD_LED);
    EXPECT_EQ(1, state_.options.KeyboardLED);
    EXPECT_TRUE(Enabled(IDC_STATIC_ICON));

    // The static icon box does not refresh the panel.
    state_.options.SingleIconMode = 0;
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

    // The other commands are the dialog's own: the option handlers leave them.
    const GlobalOptions before = state_.options;
    auto sameOptions = [&before](const GlobalOptions& now) {
        return before.Pollinterval == now.Pollinterval && before.Pollintervalmeters == now.Pollintervalmeters &&
               before.Startwithosdelay == now.Startwithosdelay && before.StartWithOs == now.StartWithOs &&
               before.AlternativeIcons == now.AlternativeIcons && before.SingleIconMode == now.SingleIconMode &&
               before.KeyboardLED == now.KeyboardLED && before.Staticicon == now.Staticicon &&
               before.ShowCPUUsageMulti == now.ShowCPUUsageMulti;
    };
    for (int id : {IDC_APPLY, IDC_QUIT, IDC_START, IDC_START_WITH_OS, IDC_ABOUT, IDC_HIDE, IDC_ONLINE_HELP,
                   IDC_UNIT_LIST, 0, 999}) {
        CheckDlgButton(dialog_, IDC_START_WITH_OS, BST_CHECKED);
        const OptionCommand command{dialog_, id, BN_CLICKED, &state_.currentUnit, &state_.options, &state_.panel};
        EXPECT_EQ(0, DispatchOptionCommand(command)) << "id " << id;
    }
    EXPECT_TRUE(sameOptions(state_.options));
}

TEST_F(MainDialog, UnitBoxesAndTheSixteenMaskBoxes) {
    BuildMachine();
    Open();
    Unit* c = Named("\\\\.\\C:");
    NotifyClick(1);
    ASSERT_EQ(c, state_.currentUnit);

    const int readIds[] = {114, 115, 120, 121, 122, 123, 124, 125};
    const int writeIds[] = {135, 134, 128, 129, 130, 131, 132, 133};
    for (int k = 0; k < 8; ++k) {
        Click(readIds[k]);
        EXPECT_EQ((2 << k) - 1, c->parallelPortReadMask) << "read box " << k + 1;
    }
    for (int k = 0; k < 8; ++k) {
        Click(writeIds[k]);
        EXPECT_EQ((2 << k) - 1, c->parallelPortWriteMask) << "write box " << k + 1;
    }
    for (int k = 0; k < 8; ++k) {
        Click(readIds[k]);
        EXPECT_EQ(0xFF & ~((2 << k) - 1), c->parallelPortReadMask) << "read box " << k + 1;
    }
    EXPECT_EQ(0xFF, c->parallelPortWriteMask);

    Click(120);   // "Read" 3
    EXPECT_EQ(4, c->parallelPortReadMask);
    Click(135);   // "Write" 1 unticked
    EXPECT_EQ(4, c->parallelPortReadMask);
    EXPECT_EQ(0xFE, c->parallelPortWriteMask);

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
    EXPECT_EQ("Yes", Cell(2, 3)) << "the Tray cell keeps its text";
    EXPECT_EQ(1, RefreshUnitList(dialog_, &state_.currentUnit, nullptr));
    EXPECT_EQ("0x378", Cell(2, 6));
    EXPECT_EQ("Yes", Cell(2, 3));
    EXPECT_EQ(4, c->parallelPortReadMask) << "the other Unit is untouched";
}

TEST_F(MainDialog, BeforeAnySelectionTheBoxesEditTheEndMarker) {
    BuildMachine();
    Open();
    Unit* end = LastUnit(list_);
    EXPECT_TRUE(Checked(IDC_SHOW_IN_TRAY));
    EXPECT_FALSE(Checked(IDC_PARALLEL_PORT));
    Click(IDC_PARALLEL_PORT);
    EXPECT_EQ(1, end->parallelPortEnabled);
    WalkForward(list_, [](Unit& u) {
        if (u.next != nullptr) {
            EXPECT_EQ(0, u.parallelPortEnabled) << u.name;
        }
    });
}

TEST_F(MainDialog, NumberBoxesClampTheOptionAndKeepTheirText) {
    BuildMachine();
    state_.options.Pollinterval = 5;              // as a settings file may hold them
    state_.options.Pollintervalmeters = 60000;
    state_.options.Startwithosdelay = 0;
    Open();
    EXPECT_EQ("5", BoxText(IDC_POLL_INTERVAL));
    EXPECT_EQ("60000", BoxText(IDC_METER_INTERVAL));
    EXPECT_EQ("0", BoxText(IDC_START_DELAY));
    EXPECT_EQ(25u, state_.options.Pollinterval);
    EXPECT_EQ(50000u, state_.options.Pollintervalmeters);
    EXPECT_EQ(1, state_.options.Startwithosdelay);

    const struct { int id; const char* typed; uint32_t expected; } cases[] = {
        {IDC_POLL_INTERVAL, "5", 25},       {IDC_POLL_INTERVAL, "20000", 10000},
        {IDC_POLL_INTERVAL, "250", 250},    {IDC_POLL_INTERVAL, "", 25},
        {IDC_METER_INTERVAL, "60000", 50000}, {IDC_METER_INTERVAL, "30000", 30000},
        {IDC_METER_INTERVAL, "", 25},
        {IDC_START_DELAY, "999", 300},      {IDC_START_DELAY, "0", 1},
        {IDC_START_DELAY, "45", 45},        {IDC_START_DELAY, "", 1},
        {IDC_START_DELAY, "2147483648", 1},
    };
    for (const auto& c : cases) {
        Type(c.id, c.typed);
        uint32_t actual = c.id == IDC_POLL_INTERVAL    ? state_.options.Pollinterval
                          : c.id == IDC_METER_INTERVAL ? state_.options.Pollintervalmeters
                                                       : static_cast<uint32_t>(state_.options.Startwithosdelay);
        EXPECT_EQ(c.expected, actual) << "box " << c.id << " typed \"" << c.typed << "\"";
        EXPECT_EQ(c.typed, BoxText(c.id)) << "the box keeps what was typed";
    }

    // Typed key by key, each character's change is clamped as it comes.
    Type(IDC_POLL_INTERVAL, "");
    HWND box = GetDlgItem(dialog_, IDC_POLL_INTERVAL);
    SendMessageA(box, WM_CHAR, '4', 0);
    EXPECT_EQ(25u, state_.options.Pollinterval);
    SendMessageA(box, WM_CHAR, '0', 0);
    SendMessageA(box, WM_CHAR, '0', 0);
    EXPECT_EQ(400u, state_.options.Pollinterval);
    SendMessageA(box, WM_CHAR, 'x', 0);   // digits only
    EXPECT_EQ("400", BoxText(IDC_POLL_INTERVAL));

    // Notifications other than EN_CHANGE are ignored.
    state_.options.Pollinterval = 777;
    for (WORD code : {EN_SETFOCUS, EN_KILLFOCUS, EN_UPDATE, EN_MAXTEXT})
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_POLL_INTERVAL, code), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(777u, state_.options.Pollinterval);
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_POLL_INTERVAL, EN_CHANGE), reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(400u, state_.options.Pollinterval);
}

TEST_F(MainDialog, ListOfTheRealMachine) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    state_.options.ProcessorCount = info.dwNumberOfProcessors;
    ASSERT_EQ(0, DiscoverUnits(os_, &list_, state_.options));
    state_.currentUnit = list_;
    Open();
    std::vector<std::string> listed;
    WalkAll(list_, [&](Unit& u) { if (u.hidden == 0) listed.push_back(u.name); });
    EXPECT_EQ(listed, ColumnCells(0));
    EXPECT_EQ("Drive: No Root", Cell(0, 1)) << "PHYSICALDRIVE0 comes first";
    EXPECT_EQ(info.dwNumberOfProcessors > 1, Enabled(IDC_MULTI_CPU));
}
