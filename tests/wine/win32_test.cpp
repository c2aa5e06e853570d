// Win32Os against Wine's real services, icons pixel by pixel, the main dialog.
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "dialog/main_dialog.h"
#include "dialog/unit_list_text.h"
#include "dialog/unit_list_view.h"
#include "indicators/icon_size.h"
#include "platform/win32/win32_os.h"
#include "resources/icon_ids.h"
#include "resources/resource_ids.h"
#include "units/discovery.h"
#include "units/unit_list.h"
#include "gdi_count.h"   // last: its macros count this file's own calls too

namespace {

// An icon's colour bitmap, then its mask, as pixels 0xRRGGBB, row 0 on top; none unless it is `side` x `side`.
std::vector<uint32_t> ReadIcon(IconHandle icon, int side = 32) {
    ICONINFO info{};
    BITMAP size{};
    GetIconInfo(reinterpret_cast<HICON>(icon), &info);
    GetObjectA(info.hbmColor, sizeof size, &size);
    std::vector<uint32_t> pixels(2 * side * side);
    BITMAPINFO format{{sizeof format.bmiHeader, side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmColor, 0, side, pixels.data(), &format, DIB_RGB_COLORS);
    GetDIBits(screen, info.hbmMask, 0, side, pixels.data() + side * side, &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size.bmWidth == side && size.bmHeight == side ? pixels : std::vector<uint32_t>();
}

std::vector<std::string> Cells(HWND view) {   // row by row
    std::vector<std::string> cells;
    char text[kCellLength];
    for (int k = 0; k < ListView_GetItemCount(view) * kUnitListColumnCount; ++k) {
        ListView_GetItemText(view, k / kUnitListColumnCount, k % kUnitListColumnCount, text, sizeof text);
        cells.push_back(text);
    }
    return cells;
}

}  // namespace

TEST(Win32Os, ServicesAgreeWithWhatWineReports) {
    Win32Os os;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    GlobalOptions options{};
    options.ProcessorCount = system.dwNumberOfProcessors;
    Unit* list = nullptr;
    ASSERT_EQ(0, DiscoverUnits(os, &list, options));
    DWORD cpus = 0, nics = 0, interfaces = 0, loopback = 0;   // Wine always lists a loopback interface
    WalkForward(list, [&](Unit& unit) {
        cpus += unit.kind == UNIT_CPU;
        nics += unit.kind == UNIT_NIC;
        loopback += std::strcmp(unit.fileSystem, "Loopback") == 0;
    });
    GetNumberOfInterfaces(&interfaces);   // the interface table's rows
    EXPECT_EQ(std::pair(interfaces, 1ul), std::pair(nics, loopback));
    EXPECT_EQ(std::min<DWORD>(system.dwNumberOfProcessors, kMaxProcessors), cpus);
    const Unit& c = *FindUnitByName(list, "\\\\.\\C:");
    EXPECT_EQ(std::pair(static_cast<uint32_t>(DRIVE_FIXED), 0), std::pair(c.kind, c.hidden)) << "C:, listed";
    FreeUnitList(list);

    // The Windows 2000 fallback sums the per-processor records: it agrees with the system's own totals.
    uint64_t times[3] = {}, sums[3] = {};   // idle, kernel (idle included), user
    ASSERT_TRUE(os.QuerySystemTimes(&times[0], &times[1], &times[2]) && SumProcessorTimes(os, &sums[0], &sums[1], &sums[2]));
    EXPECT_GT(times[1] + times[2], times[0]) << "some busy time since boot";
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(times[k], sums[k], 1e6 * system.dwNumberOfProcessors) << "time " << k;

    uint64_t total = 0, free = 0;
    ULARGE_INTEGER size{};
    ASSERT_TRUE(os.QueryDiskFreeSpace("\\\\.\\C:\\", &total, &free) && GetDiskFreeSpaceExA("C:\\", nullptr, &size, nullptr));
    EXPECT_EQ(std::make_pair(size.QuadPart, true), std::make_pair(total, free < total));
    LibraryHandle library = os.LoadPortLibrary();   // the stand-in beside this program, named for its width
    ASSERT_NE(nullptr, library);
    os.WritePortByte(os.FindPortOutput(library, "Out32"), 0x378, 0xA5);
    FARPROC lastCall = GetProcAddress(reinterpret_cast<HMODULE>(library), "LastOut32");   // answers a long
    EXPECT_EQ(0x378L << 16 | 0xA5, static_cast<long>(lastCall()));
}

TEST(Win32Icons, ProgramIconsDrawingsOnThemAndTheirGdiObjects) {
    Win32Os os;
    IconHandle meterBase = os.LoadProgramIcon(nullptr, IDI_METER), idleBase = os.LoadProgramIcon(nullptr, IDI_IDLE);
    const std::vector<uint32_t> base = ReadIcon(meterBase), idle = ReadIcon(idleBase);
    // Meters on the meter icon as loaded and as made at the small-icon sizes, opaque and red in the top left
    // corner: MeterBarRows rows of bar in column 0, where the number is not; mask, last row and column kept.
    for (int side : {32, 16, 20, 24}) {
        IconHandle sized = side == 32 ? meterBase : MakeBaseIcon(os, IDI_METER, side);
        const std::vector<uint32_t> before = ReadIcon(sized, side);
        const int area = side * side;
        ASSERT_EQ(2u * area, before.size());
        EXPECT_EQ(std::make_pair(0xE00000u, std::vector<uint32_t>(area, 0)), std::make_pair(before[0], std::vector<uint32_t>(before.begin() + area, before.end())));
        for (int32_t percent : {0, 4, 7, 50, 100, -1}) {   // -1: a kind without a bar, at 100 %
            const int32_t load = percent >= 0 ? percent : 100, rows = percent >= 0 ? MeterBarRows(load, side) : 0;
            IconHandle icon = os.DrawIconMeter(sized, {load, load, {0, 0, 64}, percent >= 0, {200, 100, 50}});
            const std::vector<uint32_t> drawn = ReadIcon(icon, side);
            os.ReleaseIcon(icon);
            ASSERT_EQ(2u * area, drawn.size());
            for (int k = 0, x = 0, y = 0; k < 2 * area; ++k, x = k % side, y = k / side % side) {
                const bool bare = x == 0 && (load < 100 || side > 20);   // "100" reaches column 0 below 24 px
                EXPECT_EQ(x == side - 1 || y == side - 1 || k >= area ? before[k] : !bare ? drawn[k] : y >= side - 1 - rows ? 0xC86432 : 0x000040,
                          drawn[k]) << side << " px, " << percent << "%, pixel " << k;
            }
        }
        if (sized != meterBase) os.ReleaseIcon(sized);
    }
    IconHandle letter = os.DrawIconText(idleBase, "C");
    const std::vector<uint32_t> drawn = ReadIcon(letter);
    os.ReleaseIcon(letter);
    EXPECT_GT(std::inner_product(idle.begin(), idle.end(), drawn.begin(), 0, std::plus<>(), std::not_equal_to<>()), 10);
    EXPECT_EQ(base, ReadIcon(meterBase)) << "the base icon is left intact";

    // A thousand redraws as the presenter makes them, on the previous meter then released, leave one meter.
    const long live = gdiLiveObjects;
    for (int side = 16; side < 48; ++side) os.ReleaseIcon(MakeBaseIcon(os, IDI_IDLE, side));
    IconHandle meter = meterBase;
    for (int k = 0; k < 1000; ++k) {
        IconHandle next = os.DrawIconMeter(meter, {k % 101, k % 101, {0, 0, 64}, true, {200, 100, 50}});
        if (meter != meterBase && next != meter) os.ReleaseIcon(meter);
        meter = next;
    }
    EXPECT_EQ(live + 1, gdiLiveObjects) << "the last meter";
    os.ReleaseIcon(meter);
    EXPECT_EQ(live, gdiLiveObjects);
}

TEST(Win32Dialog, UnitListAndOptionsPanelAreWiredToTheUnitsAndOptions) {
    Win32Os os;
    DialogState state{&os};
    std::vector<Unit*> listed;   // all but the markers and the CD-ROM letter, in list order
    for (const char* name : {"", "\\\\.\\PHYSICALDRIVE0", "\\\\.\\C:", "\\\\.\\D:", "CPU Usage", ""}) {
        Unit& unit = (AppendUnit(&state.CurrentUnit), *state.CurrentUnit);
        std::snprintf(unit.label, sizeof unit.label, "Label of %s", std::strcpy(unit.name, name));
        unit.kind = name[0] == 'C' ? UNIT_CPU : std::strstr(name, "D:") != nullptr ? DRIVE_CDROM : DRIVE_FIXED;
        unit.hidden = name[0] == '\0' || unit.kind == DRIVE_CDROM;
        if (unit.hidden == 0) listed.push_back(&unit);
    }
    RegisterMainDialogClass(GetModuleHandleA(nullptr));
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     MainDialogProc, reinterpret_cast<LPARAM>(&state));
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    for (int id : {IDC_SINGLE_ICON, IDC_START_WITH_OS, IDC_ALTERNATE_ICONS, IDC_MULTI_CPU, IDC_KEYBOARD_LED, IDC_STATIC_ICON})
        EXPECT_EQ(id == IDC_ALTERNATE_ICONS, IsDlgButtonChecked(dialog, id) == BST_CHECKED) << id << ": the defaults";
    // Stopped while no Unit is enabled (defaults were loaded): no drive is sampled, no icon reaches the tray.
    SendMessageA(dialog, WM_COMMAND, IDC_START, 0);
    HWND view = GetDlgItem(dialog, IDC_UNIT_LIST);
    std::vector<std::string> cells;
    for (int k = 0; k < 3 * kUnitListColumnCount; ++k)
        cells.push_back(FillCellText(*listed[k / kUnitListColumnCount], k % kUnitListColumnCount).data());
    EXPECT_EQ(cells, Cells(view));

    // A ctrl-click, which the list view itself adds to the selection, leaves its row alone selected.
    Unit& c = *listed[1];
    c.showInTray = 0, c.parallelPortReadMask = 0x80;
    ListView_SetItemState(view, 0, LVIS_SELECTED, LVIS_SELECTED);
    RECT row{};
    ListView_GetItemRect(view, 1, &row, LVIR_LABEL);
    PostMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(row.left + 4, row.top + 4));
    PostMessageA(view, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(row.left + 4, row.top + 4));
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    EXPECT_EQ(std::pair(1, -1), std::pair(ListView_GetNextItem(view, -1, LVNI_SELECTED), ListView_GetNextItem(view, 1, LVNI_SELECTED)));
    ASSERT_EQ(&c, state.CurrentUnit);
    EXPECT_EQ(std::pair(0u, 1u), std::pair(IsDlgButtonChecked(dialog, IDC_SHOW_IN_TRAY), IsDlgButtonChecked(dialog, IDC_READ_BIT8)))
        << "the panel shows the row's Unit";
    // Only the selected row's check box acts on its Unit.
    ListView_SetItemState(view, 0, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
    ListView_SetItemState(view, 1, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
    EXPECT_EQ(std::pair(0, 1), std::pair(listed[0]->enabled, c.enabled)) << "an unselected and the selected row";

    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_KEYBOARD_LED)));
    for (int id : {IDC_WRITE_BIT1, IDC_READ_BIT3, IDC_SHOW_IN_TRAY, IDC_PARALLEL_PORT, IDC_SINGLE_ICON})
        SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
    // Write and read mask, tray and port of the Unit, single icon mode, another Unit's port.
    EXPECT_EQ((std::vector<int>{0x01, 0x84, 1, 1, 1, 0}),
              (std::vector<int>{c.parallelPortWriteMask, c.parallelPortReadMask, c.showInTray,
                                c.parallelPortEnabled, state.options.SingleIconMode, listed[2]->parallelPortEnabled}));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_KEYBOARD_LED))) << "single icon mode enables it";
    for (int id : {IDC_POLL_INTERVAL, IDC_METER_INTERVAL, IDC_START_DELAY}) SetDlgItemTextA(dialog, id, "20000");
    EXPECT_EQ((std::vector<int64_t>{10000, 20000, 300}), (std::vector<int64_t>{state.options.Pollinterval,
              state.options.Pollintervalmeters, state.options.Startwithosdelay})) << "the options clamped";
    EXPECT_EQ(20000u, GetDlgItemInt(dialog, IDC_POLL_INTERVAL, nullptr, FALSE)) << "the box as typed";

    // A refresh rewrites "Free %" and "Port 0x378" from the Units, and only while the dialog is visible.
    cells = Cells(view);
    for (Unit* unit : listed) unit->value += 30, unit->showInTray ^= 1, unit->parallelPortEnabled ^= 1;
    for (int shown : {SW_HIDE, SW_SHOW}) {
        ShowWindow(dialog, shown);
        RefreshUnitList(dialog, state.CurrentUnit);
        for (int k = 0; k < 3 * kUnitListColumnCount && shown == SW_SHOW; ++k)
            if (const int column = k % kUnitListColumnCount; column == kColumnFree || column == kColumnPort)
                cells[k] = RefreshCellText(*listed[k / kUnitListColumnCount], column).data();
        EXPECT_EQ(cells, Cells(view)) << "shown " << shown;
    }
    DestroyWindow(dialog);
    FreeUnitList(state.CurrentUnit);
}
