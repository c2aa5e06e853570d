// The indicators' Win32 side in-process: the icon resources, the drawings'
// pixels and objects, the port library and the Scroll Lock LED.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gdi_tracker.h"
#include "indicators/meter.h"
#include "indicators/port_output.h"
#include "indicators/tray_presenter.h"
#include "platform/win32/icon_drawing.h"
#include "platform/win32/win32_os.h"
#include "resources/icon_ids.h"
#include "units/unit_list.h"

namespace {

// An icon's colour and mask bitmaps as 0xRRGGBB values, row 0 on top.
struct IconPixels {
    int width = 0, height = 0;
    std::vector<uint32_t> colour, mask;
    uint32_t At(int x, int y) const { return colour[static_cast<size_t>(y) * width + x]; }
};

std::vector<uint32_t> BitmapPixels(HBITMAP bitmap, int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xDEADBEEF);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

IconPixels ReadIcon(HICON icon) {
    IconPixels read;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return read;
    BITMAP bitmap{};
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    read.width = bitmap.bmWidth;
    read.height = bitmap.bmHeight;
    read.colour = BitmapPixels(info.hbmColor, read.width, read.height);
    read.mask = BitmapPixels(info.hbmMask, read.width, read.height);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return read;
}

HICON ProgramIcon(int id) { return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)); }

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", value);
    return text;
}

constexpr uint32_t kBackground = 0x000040;
constexpr uint32_t kRamBar = 0xC86432;

GlobalOptions MeterOptions() {
    GlobalOptions options{};
    options.Color_background_blue = 0x40;
    options.Color_ram_red = 0xC8;
    options.Color_ram_green = 0x64;
    options.Color_ram_blue = 0x32;
    options.Color_cpu_dynamic = 1;
    return options;
}

// The real operating system, with the tray calls recorded instead of sent:
// the test has no notification area of its own.
class RecordingTrayOs : public Win32Os {
public:
    std::vector<TrayRecord> sent;
    void NotifyTray(uint32_t, const TrayRecord& record) override { sent.push_back(record); }
};

// Start marker, one enabled Unit of `kind`, end marker; returns the Unit.
Unit& OneUnitList(Os& os, Unit** list, uint32_t kind) {
    for (int k = 0; k < 3; ++k) AppendUnit(os, list);
    Unit& unit = *(*list)->prev;
    unit.kind = kind;
    unit.trayId = kFirstTrayId;
    unit.enabled = unit.dirty = 1;
    return unit;
}

void FreeList(Os& os, Unit** list, Unit& unit) {
    for (IconHandle* slot : {&unit.iconIdle, &unit.iconRead, &unit.iconWrite, &unit.iconReadWrite, &unit.iconMeter})
        os.ReleaseIcon(*slot);
    FreeUnitList(os, list);
}

}  // namespace

TEST(Win32Icons, EveryResourceLoadsAt32x32Opaque) {
    struct Case { int id; int x, y; uint32_t colour; };
    const Case cases[] = {
        {IDI_IDLE, 16, 16, 0x000080}, {IDI_READ, 16, 16, 0x00B000}, {IDI_WRITE, 16, 16, 0xD00000},
        {IDI_READWRITE, 16, 16, 0xF0D000}, {IDI_ALT_IDLE, 16, 8, 0x004800},
        {IDI_ALT_READ, 16, 8, 0x00FF00}, {IDI_ALT_WRITE, 16, 21, 0xFF2828},
        {IDI_ALT_READWRITE, 16, 21, 0xFF2828}, {IDI_METER, 5, 20, 0x00A000},
        {IDI_ALT_READWRITE, 16, 8, 0x00FF00}, {IDI_ALT_READ, 16, 21, 0x580000}, {IDI_METER, 15, 15, 0xE00000},
    };
    Win32Os os;
    for (const Case& c : cases) {
        HICON icon = ProgramIcon(c.id);
        ASSERT_NE(nullptr, icon) << c.id;
        EXPECT_EQ(reinterpret_cast<IconHandle>(icon), os.LoadProgramIcon(nullptr, c.id))
            << c.id << ": the same shared icon";
        IconPixels pixels = ReadIcon(icon);
        ASSERT_EQ(32, pixels.width) << c.id;
        ASSERT_EQ(32, pixels.height) << c.id;
        EXPECT_EQ(Hex(c.colour), Hex(pixels.At(c.x, c.y))) << c.id;
        for (size_t k = 0; k < pixels.mask.size(); ++k)
            ASSERT_EQ(0u, pixels.mask[k]) << c.id << ": opaque at " << k;
    }
    EXPECT_EQ(nullptr, os.LoadProgramIcon(nullptr, 4242)) << "no such resource";
}

TEST(Win32Meter, PixelsForEachPercentageAndKind) {
    HICON base = ProgramIcon(IDI_METER);
    IconPixels before = ReadIcon(base);
    GlobalOptions options = MeterOptions();
    struct Case { uint32_t kind; int32_t percent; int rows; uint32_t bar; };
    const Case cases[] = {
        {UNIT_RAM, 0, 0, kRamBar}, {UNIT_RAM, 3, 0, kRamBar}, {UNIT_RAM, 4, 1, kRamBar},
        {UNIT_RAM, 50, 15, kRamBar}, {UNIT_RAM, 100, 31, kRamBar},
        {UNIT_CPU, 50, 15, 0x7F8000},   // the dynamic CPU colour
        {UNIT_NIC, 100, 0, 0},          // no bar
    };
    for (const Case& c : cases) {
        Unit unit{};
        unit.kind = c.kind;
        unit.value = c.percent;
        HICON icon = DrawMeterIcon(base, MeterStyleFor(unit, options));
        ASSERT_NE(nullptr, icon) << c.percent;
        ASSERT_NE(base, icon) << c.percent;
        IconPixels pixels = ReadIcon(icon);
        ASSERT_EQ(32, pixels.width);
        // Column 0, which the centred number never reaches, shows the rows.
        for (int y = 0; y < 31; ++y)
            EXPECT_EQ(Hex(y >= 31 - c.rows ? c.bar : kBackground), Hex(pixels.At(0, y)))
                << c.kind << " at " << c.percent << "%, row " << y;
        for (int k = 0; k < 32; ++k) {
            EXPECT_EQ(0u, pixels.At(31, k)) << c.percent << "%: last column kept";
            EXPECT_EQ(0u, pixels.At(k, 31)) << c.percent << "%: last row kept";
        }
        int text = 0;   // the number: pixels in the middle that are neither fill
        for (int y = 4; y < 28; ++y)
            for (int x = 4; x < 28; ++x) text += pixels.At(x, y) != kBackground && pixels.At(x, y) != c.bar;
        EXPECT_GT(text, 5) << c.percent << "%: the number is drawn";
        for (uint32_t bit : pixels.mask) ASSERT_EQ(0u, bit) << "the mask is unchanged";
        DestroyIcon(icon);
    }
    EXPECT_TRUE(before.colour == ReadIcon(base).colour) << "the base icon is left intact";
    EXPECT_EQ(nullptr, DrawMeterIcon(nullptr, MeterStyle{})) << "no icon information";
}

TEST(Win32Overlay, TextIsDrawnOnACopyCentredOnOneLineAndClipped) {
    HICON base = ProgramIcon(IDI_IDLE);
    IconPixels before = ReadIcon(base);
    for (const char* text : {"C", "WWWWWWWWWWWWWWWWWWWW"}) {
        HICON icon = DrawOverlayText(base, text);
        ASSERT_NE(nullptr, icon);
        ASSERT_NE(base, icon);
        IconPixels drawn = ReadIcon(icon);
        ASSERT_EQ(32, drawn.width);
        int middle = 0, left = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                if (x == 31 || y == 31) EXPECT_EQ(Hex(before.At(x, y)), Hex(drawn.At(x, y))) << text << x << "," << y;
                else (x < 3 ? left : middle) += drawn.At(x, y) != before.At(x, y);
            }
        EXPECT_GT(middle, 10) << text << ": drawn in the middle";
        EXPECT_EQ(text[1] != '\0', left > 0) << text << ": only the long text reaches the left edge";
        for (uint32_t bit : drawn.mask) ASSERT_EQ(0u, bit) << "the mask is unchanged";
        DestroyIcon(icon);
    }
    EXPECT_TRUE(before.colour == ReadIcon(base).colour) << "the base icon is left intact";
    EXPECT_EQ(nullptr, DrawOverlayText(nullptr, "C"));
    EXPECT_EQ(nullptr, DrawOverlayText(base, nullptr));
}

TEST(Win32Gdi, AThousandMeterRedrawsLeaveNoObjectBehind) {
    ASSERT_TRUE(InstallGdiTracker());
    HICON base = ProgramIcon(IDI_METER);
    GlobalOptions options = MeterOptions();
    Unit ram{};
    ram.kind = UNIT_RAM;
    ram.value = 42;

    // Of all a drawing makes, only the new icon survives.
    size_t live = LiveGdiObjects();
    HICON icon = DrawMeterIcon(base, MeterStyleFor(ram, options));
    EXPECT_EQ(live + 1, LiveGdiObjects());
    HICON overlay = DrawOverlayText(base, "~");
    EXPECT_EQ(live + 2, LiveGdiObjects());
    DestroyIcon(overlay);
    DestroyIcon(icon);
    EXPECT_EQ(live, LiveGdiObjects());

    // A thousand presenter updates of a CPU meter, each replacing the last.
    RecordingTrayOs os;
    PresenterState state{};
    Unit* list = nullptr;
    Unit& cpu = OneUnitList(os, &list, UNIT_CPU);
    UpdateTrayIcons(os, nullptr, &list, &options, state);
    UpdateTrayIcons(os, nullptr, &list, &options, state);
    size_t afterBuild = LiveGdiObjects();
    EXPECT_EQ(live + 5, afterBuild) << "the CPU Unit's own five icons";
    for (int k = 0; k < 1000; ++k) {
        cpu.activity = ACTIVITY_METER;
        cpu.value = k % 101;
        cpu.dirty = 1;
        UpdateTrayIcons(os, nullptr, &list, &options, state);
    }
    EXPECT_EQ(afterBuild, LiveGdiObjects());
    EXPECT_EQ(1002u, os.sent.size());

    // The count sees a leaked meter, and a leaked bitmap copy from an icon's information.
    HICON leaked = DrawMeterIcon(base, MeterStyleFor(ram, options));
    EXPECT_EQ(afterBuild + 1, LiveGdiObjects());
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(leaked, &info));
    EXPECT_EQ(afterBuild + 3, LiveGdiObjects());
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(leaked);
    EXPECT_EQ(afterBuild, LiveGdiObjects());

    FreeList(os, &list, cpu);
    EXPECT_EQ(live, LiveGdiObjects());
    RemoveGdiTracker();
}

namespace {

// The port/ folder beside the test executable, where the build puts the
// stand-in inpout32.dll; other tests in this folder never see it.
std::string PortFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/")) + "\\port";
}

// Pumps this thread's messages until the queue stays empty, counting the Scroll Lock key-downs.
int PumpCountingScrollLock() {
    int presses = 0;
    for (int quiet = 0; quiet < 5;) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            presses += message.message == WM_KEYDOWN && message.wParam == VK_SCROLL;
            DispatchMessageA(&message);
            quiet = 0;
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            ++quiet;
        }
    }
    return presses;
}

// A notification area of this thread's own: Wine's Shell_NotifyIcon sends each call as
// WM_COPYDATA to the first top-level "Shell_TrayWnd" window, starting with Wine's
// struct notify_data (shell32's systray.c), declared here up to the fields read.
#pragma pack(push, 4)
struct WineNotifyData {
    LONG window;
    UINT id, flags, callbackMessage;
    WCHAR tip[128];
    DWORD state, stateMask;
    WCHAR info[256];
    UINT timeoutOrVersion;
    WCHAR infoTitle[64];
    DWORD infoFlags;
    GUID guidItem;
    UINT iconWidth, iconHeight;
};
#pragma pack(pop)

struct SeenTrayCall {
    DWORD message;
    WineNotifyData data;
    std::string tip;
};
std::vector<SeenTrayCall> seenTrayCalls;

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) return DefWindowProcA(window, message, wParam, lParam);
    auto* copy = reinterpret_cast<COPYDATASTRUCT*>(lParam);
    SeenTrayCall call{static_cast<DWORD>(copy->dwData), {}, {}};
    std::memcpy(&call.data, copy->lpData, copy->cbData < sizeof call.data ? copy->cbData : sizeof call.data);
    char tip[256] = {};
    WideCharToMultiByte(CP_ACP, 0, call.data.tip, -1, tip, sizeof tip - 1, nullptr, nullptr);
    call.tip = tip;
    seenTrayCalls.push_back(call);
    return TRUE;
}

// Creates the stand-in tray; null when Wine's own stays in front of it.
HWND CreateTrayWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TrayWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&windowClass);
    GetDesktopWindow();
    for (int attempt = 0; attempt < 50; ++attempt) {
        HWND window = CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      windowClass.hInstance, nullptr);
        if (window != nullptr && FindWindowExA(nullptr, nullptr, "Shell_TrayWnd", nullptr) == window)
            return window;
        if (window != nullptr) DestroyWindow(window);
        Sleep(100);
    }
    return nullptr;
}

}  // namespace

TEST(Win32Port, WithoutTheLibraryAndWithoutOut32NothingIsCalled) {
    Win32Os os;
    PortState port{};
    Unit unit{};
    unit.parallelPortReadMask = 0x01;
    unit.activity = ACTIVITY_READ;
    EXPECT_EQ(-1, WriteParallelPort(os, port, unit)) << "Wine has no inpout32.dll";
    EXPECT_EQ(nullptr, port.library);
    LibraryHandle kernel = os.LoadPortLibrary("kernel32.dll");
    ASSERT_NE(nullptr, kernel);
    EXPECT_EQ(nullptr, os.FindPortOutput(kernel, "Out32"));
    EXPECT_NE(nullptr, os.FindPortOutput(kernel, "Sleep"));
    EXPECT_EQ(nullptr, os.FindPortOutput(nullptr, "Out32"));
}

TEST(Win32Port, Out32IsCalledByNameWithTheChangedBytes) {
    ASSERT_TRUE(SetDllDirectoryA(PortFolder().c_str())) << PortFolder();
    Win32Os os;
    PortState port{};
    Unit unit{};
    unit.parallelPortReadMask = 0x01;
    unit.parallelPortWriteMask = 0x82;
    for (int8_t activity : {ACTIVITY_READ, ACTIVITY_READ, ACTIVITY_READWRITE, ACTIVITY_IDLE}) {
        unit.activity = activity;
        EXPECT_EQ(0, WriteParallelPort(os, port, unit));
    }
    SetDllDirectoryA(nullptr);
    ASSERT_NE(nullptr, port.library);
    using RecordedWritesFn = int (WINAPI*)(short*, int);
    auto recorded = reinterpret_cast<RecordedWritesFn>(
        reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(port.library), "RecordedWrites")));
    ASSERT_NE(nullptr, recorded);
    short pairs[8] = {};
    ASSERT_EQ(3, recorded(pairs, 4));
    const short expected[] = {0x378, 0x01, 0x378, 0x83, 0x378, 0x00};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(expected[k], pairs[k]) << "entry " << k;
}

TEST(Win32Keyboard, ScrollLockIsToggledOnlyWhenItDiffers) {
    HWND window = CreateWindowExA(0, "STATIC", "led", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    SetForegroundWindow(window);
    SetFocus(window);
    PumpCountingScrollLock();
    Win32Os os;
    const int initial = GetKeyState(VK_SCROLL) & 1;
    struct Step { int wanted, presses; };
    for (Step step : {Step{!initial, 1}, Step{!initial, 0}, Step{initial, 1}}) {
        SetKeyboardLed(os, VK_SCROLL, step.wanted);
        EXPECT_EQ(step.presses, PumpCountingScrollLock()) << "wanted " << step.wanted;
        EXPECT_EQ(step.wanted, GetKeyState(VK_SCROLL)) << "toggled, not held";
    }
    DestroyWindow(window);
}

TEST(Win32Tray, RecordsReachTheShellAsSent) {
    HWND tray = CreateTrayWindow();
    ASSERT_NE(nullptr, tray);
    HWND dialog = CreateWindowExA(0, "STATIC", "dialog", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, dialog);
    WindowHandle dialogHandle = reinterpret_cast<WindowHandle>(dialog);
    Win32Os os;
    GlobalOptions options = MeterOptions();
    PresenterState state{};
    Unit* list = nullptr;
    Unit& drive = OneUnitList(os, &list, DRIVE_FIXED);
    drive.sizeUnit = 'G';
    std::snprintf(drive.name, sizeof drive.name, "\\\\.\\C:");
    std::memset(drive.label, 'L', 150);   // a tip longer than 127 characters

    UpdateTrayIcons(os, dialogHandle, &list, &options, state);
    UpdateTrayIcons(os, dialogHandle, &list, &options, state);
    options.SingleIconMode = 1;
    UpdateTrayIcons(os, dialogHandle, &list, &options, state);
    RemoveSingleIcon(os, dialogHandle, state);
    RemoveTrayIcons(os, dialogHandle, &list);   // nothing left to delete

    // Single icon mode folds the end marker too: its add is followed by a modify.
    const std::string cut = ("Drive: \\\\.\\C:\nVolume: " + std::string(150, 'L')).substr(0, 127);
    struct Expected { DWORD message; UINT id; std::string tip; };
    const Expected expected[] = {{NIM_ADD, 100, "No update yet"}, {NIM_MODIFY, 100, cut}, {NIM_DELETE, 100, ""},
                                 {NIM_ADD, 0, "Blinkwatch"}, {NIM_MODIFY, 0, "Blinkwatch"}, {NIM_DELETE, 0, ""}};
    ASSERT_EQ(6u, seenTrayCalls.size());
    for (size_t k = 0; k < seenTrayCalls.size(); ++k) {
        const SeenTrayCall& call = seenTrayCalls[k];
        EXPECT_EQ(expected[k].message, call.message) << "call " << k;
        EXPECT_EQ(expected[k].id, call.data.id) << "call " << k;
        EXPECT_EQ(dialog, reinterpret_cast<HWND>(static_cast<LONG_PTR>(call.data.window))) << "call " << k;
        if (call.message == NIM_DELETE) continue;
        EXPECT_EQ(expected[k].tip, call.tip) << "call " << k;
        EXPECT_EQ(7u, call.data.flags) << "call " << k;
        EXPECT_EQ(1030u, call.data.callbackMessage) << "call " << k;
        EXPECT_EQ(32u, call.data.iconWidth) << "call " << k;
    }
    FreeList(os, &list, drive);
    DestroyWindow(dialog);
    DestroyWindow(tray);
}
