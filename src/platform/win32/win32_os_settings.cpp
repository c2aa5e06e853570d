// Win32Os services of the settings file and the Run value: the profile
// functions, the dialog's window placement, the module path and the registry.
#include "platform/win32/win32_os.h"

#include <windows.h>

// GetWindowPlacement is called with the structure length of the 32-bit platform.
static_assert(sizeof(WINDOWPLACEMENT) == 44, "window placement layout");

namespace {

HWND ToWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }

HKEY ToKey(RegistryKeyHandle key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

uint32_t Win32Os::ReadProfileValue(const char* section, const char* key, const char* fallback,
                                   char* buffer, uint32_t size, const char* path) {
    if (size == 0) return 0;
    buffer[0] = '\0';
    DWORD copied = GetPrivateProfileStringA(section, key, fallback, buffer, size, path);
    buffer[size - 1] = '\0';
    return copied;
}

bool Win32Os::WriteProfileValue(const char* section, const char* key, const char* value,
                                const char* path) {
    return WritePrivateProfileStringA(section, key, value, path) != 0;
}

bool Win32Os::QueryWindowNormalRect(WindowHandle window, int32_t* left, int32_t* top,
                                    int32_t* right, int32_t* bottom) {
    WINDOWPLACEMENT placement;
    ZeroMemory(&placement, sizeof placement);
    placement.length = sizeof placement;
    if (!GetWindowPlacement(ToWindow(window), &placement)) return false;
    *left = placement.rcNormalPosition.left;
    *top = placement.rcNormalPosition.top;
    *right = placement.rcNormalPosition.right;
    *bottom = placement.rcNormalPosition.bottom;
    return true;
}

uint32_t Win32Os::QueryModulePath(char* buffer, uint32_t size) {
    if (size == 0) return 0;
    // A path that does not fit comes back cut and, on Windows 2000 and XP,
    // without its terminating zero: a cut path names another file, so it
    // counts as no path at all.
    DWORD length = GetModuleFileNameA(nullptr, buffer, size);
    if (length == 0 || length >= size) {
        buffer[0] = '\0';
        return 0;
    }
    buffer[length] = '\0';
    return length;
}

RegistryKeyHandle Win32Os::OpenUserRegistryKey(const char* subKey) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, &disposition);
    if (result != ERROR_SUCCESS) return nullptr;
    return reinterpret_cast<RegistryKeyHandle>(key);
}

void Win32Os::CloseRegistryKey(RegistryKeyHandle key) {
    if (key != nullptr) RegCloseKey(ToKey(key));
}

bool Win32Os::WriteRegistryString(RegistryKeyHandle key, const char* name, const char* data,
                                  uint32_t bytes) {
    return RegSetValueExA(ToKey(key), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                          bytes) == ERROR_SUCCESS;
}

bool Win32Os::DeleteRegistryValue(RegistryKeyHandle key, const char* name) {
    return RegDeleteValueA(ToKey(key), name) == ERROR_SUCCESS;
}
