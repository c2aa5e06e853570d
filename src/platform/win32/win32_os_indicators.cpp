// The indicators' services of the real operating system: notification area,
// icons, the port library and the keyboard.
#include "platform/win32/win32_os.h"

#include <windows.h>
#include <shellapi.h>

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
using Out32Fn = void (WINAPI*)(short, short);

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

void Win32Os::ReleaseIcon(IconHandle icon) {
    if (icon != nullptr) DestroyIcon(ToIcon(icon));
}

LibraryHandle Win32Os::LoadPortLibrary(const char* fileName) {
    return reinterpret_cast<LibraryHandle>(LoadLibraryA(fileName));
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
