// The indicators' services of the real operating system: notification area,
// icons, the port library and the keyboard.
#include "platform/win32/win32_os.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

static_assert(kTrayAdd == NIM_ADD && kTrayModify == NIM_MODIFY && kTrayDelete == NIM_DELETE,
              "tray messages");
static_assert(kTrayCallbackMessage == WM_USER + 6, "tray callback");
static_assert(kKeyExtended == KEYEVENTF_EXTENDEDKEY && kKeyUp == KEYEVENTF_KEYUP, "key event flags");

namespace {

// The form of the notify record that carries a 128-byte tooltip (up to the
// item's GUID): 504 bytes in a 32-bit program, 520 in a 64-bit one, whose
// window and icon handles are wider.
constexpr DWORD kNotifyRecordSize = sizeof(void*) == 8 ? 520 : 504;
static_assert(sizeof(NOTIFYICONDATAA) == kNotifyRecordSize, "notify record with a 128-byte tip");

// inpout32.dll's port writer: void __stdcall Out32(short address, short value).
// A 64-bit process cannot load that library: its 64-bit build, with the same
// Out32, is inpoutx64.dll.
using Out32Fn = void (WINAPI*)(short, short);
constexpr const char* kPortLibraryName = sizeof(void*) == 8 ? "inpoutx64.dll" : "inpout32.dll";

// Loads `name` from `folder` (its first `length` characters), if the library
// is there. A folder not given in full is passed over: it would be taken
// relative to the current directory.
HMODULE LoadLibraryFrom(const char* folder, size_t length, const char* name) {
    if (length > 0 && folder[length - 1] == '\\') --length;
    const bool full = length >= 2 && ((folder[1] == ':' && (length == 2 || folder[2] == '\\')) ||
                                      (folder[0] == '\\' && folder[1] == '\\'));
    char path[MAX_PATH];
    const int written = std::snprintf(path, sizeof path, "%.*s\\%s", static_cast<int>(length), folder, name);
    if (!full || written <= 0 || written >= static_cast<int>(sizeof path)) return nullptr;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return nullptr;
    return LoadLibraryA(path);
}

// Looked up, not imported: SetProcessDPIAware came with Windows Vista,
// GetDpiForMonitor (shcore.dll) with Windows 8.1, GetSystemMetricsForDpi
// with Windows 10 (1607).
using SetProcessDpiAwareFn = BOOL(WINAPI*)();
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
constexpr int kEffectiveDpi = 0;   // MDT_EFFECTIVE_DPI

template <class Fn>
Fn FunctionOf(HMODULE library, const char* name) {
    return library != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

// The DPI of the monitor that shows the taskbar; 0 when Windows cannot tell.
// The taskbar is per-monitor DPI-aware wherever Windows can tell, so this is
// its window's DPI; GetDpiForWindow, asked from another process, answers 96
// under Wine at every DPI (Wine 8, measured). shcore.dll is taken from the
// system folder only.
UINT TaskbarDpi() {
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (taskbar == nullptr || length == 0 || length + sizeof "\\shcore.dll" > MAX_PATH) return 0;
    std::memcpy(path + length, "\\shcore.dll", sizeof "\\shcore.dll");
    HMODULE shcore = LoadLibraryA(path);
    auto dpiOf = FunctionOf<GetDpiForMonitorFn>(shcore, "GetDpiForMonitor");
    UINT dpi = 0, ignored = 0;
    if (dpiOf == nullptr || dpiOf(MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY), kEffectiveDpi, &dpi, &ignored) != S_OK)
        dpi = 0;
    if (shcore != nullptr) FreeLibrary(shcore);
    return dpi;
}

HICON ToIcon(IconHandle icon) { return reinterpret_cast<HICON>(icon); }
IconHandle FromIcon(HICON icon) { return reinterpret_cast<IconHandle>(icon); }

}  // namespace

bool Win32Os::NotifyTray(uint32_t message, const TrayRecord& record) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = kNotifyRecordSize;
    data.hWnd = reinterpret_cast<HWND>(record.window);
    data.uID = record.id;
    data.uFlags = NIF_MESSAGE | NIF_TIP | (message == kTrayModify && record.tipOnly ? 0 : NIF_ICON);
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = ToIcon(record.icon);
    static_assert(sizeof data.szTip == sizeof record.tip, "tip length");
    std::memcpy(data.szTip, record.tip, sizeof data.szTip);
    data.szTip[sizeof data.szTip - 1] = '\0';
    return Shell_NotifyIconA(message, &data) != FALSE;
}

IconHandle Win32Os::LoadProgramIcon(WindowHandle dialog, int resourceId) {
    HINSTANCE instance = nullptr;
    if (dialog != nullptr)
        instance = reinterpret_cast<HINSTANCE>(
            GetWindowLongPtrA(reinterpret_cast<HWND>(dialog), GWLP_HINSTANCE));
    // Without a window (or its instance) the icons still come from this
    // program, never from the system's own icon set.
    if (instance == nullptr) instance = GetModuleHandleA(nullptr);
    return FromIcon(LoadIconA(instance, MAKEINTRESOURCEA(resourceId)));
}

IconHandle Win32Os::DrawIconText(IconHandle icon, const char* text) {
    return FromIcon(DrawOverlayText(drawing_, ToIcon(icon), text));
}

IconHandle Win32Os::DrawIconMeter(IconHandle icon, const MeterStyle& style) {
    return FromIcon(DrawMeterIcon(drawing_, ToIcon(icon), style));
}

IconHandle Win32Os::MakeIcon(const uint32_t* pixels, int32_t size) {
    return FromIcon(MakeOpaqueIcon(pixels, size));
}

void Win32Os::ReleaseIcon(IconHandle icon) {
    if (icon != nullptr) DestroyIcon(ToIcon(icon));
}

void Win32Os::BecomeDpiAware() {
    auto becomeAware = FunctionOf<SetProcessDpiAwareFn>(GetModuleHandleA("user32.dll"), "SetProcessDPIAware");
    if (becomeAware != nullptr) becomeAware();
}

// The taskbar may run at another DPI than the system (per-monitor scaling):
// where Windows can tell, the size is the one for the taskbar's DPI.
int32_t Win32Os::QueryTrayIconSize() {
    auto metricAt = FunctionOf<GetSystemMetricsForDpiFn>(GetModuleHandleA("user32.dll"), "GetSystemMetricsForDpi");
    const UINT dpi = metricAt != nullptr ? TaskbarDpi() : 0;
    return dpi != 0 ? metricAt(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
}

// Looked for where the platform's own search looks: beside the program, in the
// system folder, in the Windows folder and in the folders on PATH, but never
// in the current directory, which is wherever the program was started from
// and may hold any library. (SetDllDirectory("") would take it out of the
// platform's search only from Windows XP SP1 on, and Wine ignores it.)
LibraryHandle Win32Os::LoadPortLibrary() {
    char folder[MAX_PATH];
    HMODULE library = nullptr;
    DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
    const char* slash = length > 0 && length < MAX_PATH ? std::strrchr(folder, '\\') : nullptr;
    if (slash != nullptr) library = LoadLibraryFrom(folder, static_cast<size_t>(slash - folder), kPortLibraryName);
    for (auto folderOf : {GetSystemDirectoryA, GetWindowsDirectoryA})
        if (library == nullptr && (length = folderOf(folder, MAX_PATH)) < MAX_PATH)
            library = LoadLibraryFrom(folder, length, kPortLibraryName);
    char paths[32768];   // the longest environment value
    length = library == nullptr ? GetEnvironmentVariableA("PATH", paths, sizeof paths) : 0;
    for (const char* entry = paths; length > 0 && length < sizeof paths && library == nullptr && *entry != '\0';) {
        const size_t entryLength = std::strcspn(entry, ";");
        library = LoadLibraryFrom(entry, entryLength, kPortLibraryName);
        entry += entryLength + (entry[entryLength] == ';');
    }
    return reinterpret_cast<LibraryHandle>(library);
}

PortOutputHandle Win32Os::FindPortOutput(LibraryHandle library, const char* functionName) {
    if (library == nullptr) return nullptr;
    FARPROC function = GetProcAddress(reinterpret_cast<HMODULE>(library), functionName);
    return reinterpret_cast<PortOutputHandle>(function);
}

void Win32Os::WritePortByte(PortOutputHandle output, int16_t address, int16_t value) {
    if (output == nullptr) return;
    reinterpret_cast<Out32Fn>(output)(address, value);
}

int16_t Win32Os::ReadKeyState(int virtualKey) { return GetKeyState(virtualKey); }

void Win32Os::SendKeyStroke(int virtualKey, uint8_t scanCode, uint32_t flags) {
    keybd_event(static_cast<BYTE>(virtualKey), scanCode, flags, 0);
}

void Win32Os::YieldTimeSlice() { Sleep(0); }
