// Win32Os against Wine's real services, icons pixel by pixel, the main dialog.
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <numeric>

#include "dialog/main_dialog.h"
#include "dialog/unit_list_text.h"
#include "dialog/unit_list_view.h"
#include "indicators/icon_size.h"
#include "platform/win32/win32_os.h"
#include "resources/icon_ids.h"
#include "resources/resource_ids.h"
#include "settings/settings_file.h"
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

std::string FileText(const std::string& path) {   // "missing" when there is none
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()) : "missing";
}

}  // namespace

// Read by the profile functions: a number from its leading digits modulo 2^32 after blanks and a sign, a byte its low
// 8 bits, no hex; yes/no false only for "no", any case. Saving what was loaded writes the same text; the user's lines
// stay; a read-only file and one held open are left as they were, a missing one made.
TEST(Win32Settings, LoadedAsWrittenSavedAsHeld) {
    Win32Os os;
    GlobalOptions held{}, loaded{};
    Unit *units = nullptr, *copies = nullptr;
    for (const char* name : {"", "\\\\.\\C:", "CPU #1 Usage", ""}) {
        AppendUnit(&units), AppendUnit(&copies), std::strcpy(units->name, name), std::strcpy(copies->name, name);
        units->enabled = units->parallelPortEnabled = 1, units->parallelPortReadMask = 0xA5, units->parallelPortWriteMask = 0x5A;
    }
    char folder[MAX_PATH];
    const std::string path = std::string(folder, GetTempPathA(MAX_PATH, folder)) + "Blinkwatch.ini";
    std::ofstream(path, std::ios::binary) << "; mine\r\n[generaloptions]\r\npollinterval = abc\r\nColor_ram_blue=300\r\n"
        "Pollintervalmeters=+12a\r\nStartwithosdelay=4294967301\r\nColor_cpu_red=- 3\r\nWindowPosLeft=4294967288\r\nWindowPosTop=-20\r\n"
        "StartWithOs=nO\r\nMeterStyle=GrApH\r\nStableTrayIds=yes please\r\nIconSize=aUTO\r\n[\\\\.\\c:]\r\n  ENABLED =  \r\nTrayicon=0\r\nParallelPortReadMask=0x0F\r\n";
    std::strcpy(held.SettingsPath, path.c_str()), std::strcpy(loaded.SettingsPath, path.c_str());
    LoadSettings(os, copies, loaded);
    const Unit& c = *FindUnitByName(copies, "\\\\.\\C:");
    EXPECT_EQ((std::vector<int64_t>{0, 44, 12, 5, 0, -8, -20, 0, 1, 1, 1, 0, kMeterGraph, 0, kIconSizeAuto}), (std::vector<int64_t>{loaded.Pollinterval,
              loaded.Color_ram_blue, loaded.Pollintervalmeters, loaded.Startwithosdelay, loaded.Color_cpu_red, loaded.WindowPosLeft,
              loaded.WindowPosTop, loaded.StartWithOs, loaded.AlternativeIcons, c.enabled, c.showInTray, c.parallelPortReadMask,
              loaded.MeterStyle, loaded.StableTrayIds, loaded.IconSize}));   // keys added by hand: one word each, any letter case

    held.StartWithOs = held.ShowCPUUsage = held.ShowCPUUsageMulti = held.ShowFreeMem = held.SingleIconMode = 1;
    held.KeyboardLED = held.Staticicon = 1, held.Color_background_green = 7, held.WindowPosLeft = -8;
    ASSERT_EQ(FileResult::Done, SaveSettings(os, units, held));
    const std::string saved = FileText(path);
    std::memset(&loaded, 0x5A, sizeof loaded), std::strcpy(loaded.SettingsPath, path.c_str());   // junk, unless loaded
    LoadSettings(os, copies, loaded);
    ASSERT_EQ(FileResult::Done, SaveSettings(os, copies, loaded));
    EXPECT_EQ(saved, FileText(path));
    EXPECT_EQ(0u, saved.find("; mine\r\n[generaloptions]\r\npollinterval = 0\r\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("MeterStyle=GrApH\r\nStableTrayIds=yes please\r\nIconSize=aUTO\r\n")) << "kept as written";

    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(FileResult::ReadOnly, SaveSettings(os, units, held));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE open = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(FileResult::InUse, SaveSettings(os, units, held));
    CloseHandle(open);
    EXPECT_EQ(std::make_pair(saved, std::string("missing")), std::make_pair(FileText(path), FileText(path + ".new")));
    DeleteFileA(path.c_str());
    EXPECT_EQ(FileResult::Done, SaveSettings(os, units, held));
    EXPECT_EQ(0u, FileText(path).find("[GENERALOPTIONS]\r\nStartWithOs=Yes\r\n"));
    DeleteFileA(path.c_str()), FreeUnitList(units), FreeUnitList(copies);
}

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
            IconHandle icon = os.DrawIconMeter(sized, {load, load, {0, 0, 64}, percent >= 0, {200, 100, 50}, false, 0, {}, {}});
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
    // A graph of 40 columns: as many rows of each column's percent in its colour, the newest at x 30, checked where
    // the number is not.
    MeterStyle graph{7, 7, {0, 0, 64}, true, {200, 100, 50}, true, 40, {}, {}};
    for (int i = 0; i < 40; ++i) graph.columnPercent[i] = static_cast<uint8_t>(i * 100 / 39), graph.columnColour[i] = {static_cast<uint8_t>(i * 6), 255, 0};
    IconHandle graphed = os.DrawIconMeter(meterBase, graph);
    const std::vector<uint32_t> columns = ReadIcon(graphed);
    os.ReleaseIcon(graphed);
    for (int k = 0, x = 0, y = 0, i = 9; k < 1024; ++k, x = k % 32, y = k / 32, i = x + 9)
        if ((x < 6 || x > 25) && x < 31 && y < 31) {
            EXPECT_EQ(y >= 31 - graph.columnPercent[i] * 31 / 100 ? uint32_t(i * 6) << 16 | 0xFF00 : 0x000040, columns[k]) << "pixel " << k;
        }
    IconHandle letter = os.DrawIconText(idleBase, "C");
    const std::vector<uint32_t> drawn = ReadIcon(letter);
    os.ReleaseIcon(letter);
    EXPECT_GT(std::inner_product(idle.begin(), idle.end(), drawn.begin(), 0, std::plus<>(), std::not_equal_to<>()), 10);
    EXPECT_EQ(base, ReadIcon(meterBase)) << "the base icon is left intact";

    // A thousand redraws, bars and graphs, as the presenter makes them, on the previous meter then released, leave one meter.
    const long live = gdiLiveObjects;
    for (int side = 16; side < 48; ++side) os.ReleaseIcon(MakeBaseIcon(os, IDI_IDLE, side));
    IconHandle meter = meterBase;
    for (int k = 0; k < 1000; ++k) {
        MeterStyle style{k % 101, k % 101, {0, 0, 64}, true, {200, 100, 50}, k % 2 == 0, 63, {}, {}};
        style.columnColour[k % 63] = {200, 100, 50};   // graphs whose columns change colour
        IconHandle next = os.DrawIconMeter(meter, style);
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
