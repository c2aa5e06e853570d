// Win32Os services of the settings file and the Run value: the profile
// functions, the module path and the registry.
#include "platform/win32/win32_os.h"

#include <windows.h>

#include <cstring>

void Win32Os::ReadProfileValue(const char* section, const char* key, const char* fallback,
                               char* buffer, uint32_t size, const char* path) {
    if (size == 0) return;
    buffer[0] = '\0';
    GetPrivateProfileStringA(section, key, fallback, buffer, size, path);
    buffer[size - 1] = '\0';
}

bool Win32Os::WriteProfileValue(const char* section, const char* key, const char* value,
                                const char* path) {
    return WritePrivateProfileStringA(section, key, value, path) != 0;
}

bool Win32Os::QueryModulePath(char* buffer) {
    // A path that does not fit comes back cut and, on Windows 2000 and XP,
    // without its terminating zero: a cut path names another file, so it
    // counts as no path at all.
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        buffer[0] = '\0';
        return false;
    }
    buffer[length] = '\0';
    return true;
}

void Win32Os::WriteUserRegistryString(const char* subKey, const char* name, const char* data) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return;
    // The stored length counts the terminating zero.
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>(std::strlen(data) + 1));
    RegCloseKey(key);
}

void Win32Os::DeleteUserRegistryValue(const char* subKey, const char* name) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}
