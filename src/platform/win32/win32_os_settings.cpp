// Win32Os services of the settings file and the Run value: the profile
// functions, whole files, the module path and the registry.
#include "platform/win32/win32_os.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

void Win32Os::ReadProfileValue(const char* section, const char* key, const char* fallback,
                               char* buffer, uint32_t size, const char* path) {
    if (size == 0) return;
    buffer[0] = '\0';
    GetPrivateProfileStringA(section, key, fallback, buffer, size, path);
    buffer[size - 1] = '\0';
}

namespace {

FileResult ResultOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS: return FileResult::Done;
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: return FileResult::Missing;
    case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: return FileResult::InUse;
    case ERROR_ACCESS_DENIED: case ERROR_WRITE_PROTECT: return FileResult::Denied;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return FileResult::DiskFull;
    default: return FileResult::Failed;
    }
}

// Closes the handle and says how the work on it ended: the first error wins.
FileResult Close(HANDLE file, DWORD error) {
    if (!CloseHandle(file) && error == ERROR_SUCCESS) error = GetLastError();
    return ResultOf(error);
}

}  // namespace

FileResult Win32Os::ReadWholeFile(const char* path, TextBuffer& content) {
    content.Clear();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ResultOf(GetLastError());
    DWORD high = 0, size = GetFileSize(file, &high), error = ERROR_SUCCESS, read = 0;
    char* room = nullptr;
    if (size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) error = GetLastError();
    else if (high != 0 || size > (1u << 20) || (room = content.Room(size)) == nullptr)
        error = ERROR_NOT_ENOUGH_MEMORY;   // not a settings file, or no memory for it
    else if (size != 0 && !ReadFile(file, room, size, &read, nullptr)) error = GetLastError();
    content.Grow(read);   // a file that shrank meanwhile reads as far as it goes
    return Close(file, error);
}

FileResult Win32Os::WriteFileThrough(const char* path, const char* data, size_t size) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ResultOf(GetLastError());
    DWORD error = ERROR_SUCCESS;
    for (size_t done = 0; done < size && error == ERROR_SUCCESS;) {
        DWORD written = 0;
        const DWORD part = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 20));
        if (!WriteFile(file, data + done, part, &written, nullptr)) error = GetLastError();
        else if (written == 0) error = ERROR_DISK_FULL;
        done += written;
    }
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file)) error = GetLastError();
    return Close(file, error);
}

FileResult Win32Os::MoveFileOver(const char* from, const char* to) {
    // Windows refuses to replace a read-only file, Wine 8's rename replaces it
    // without a word: the attribute is asked first, so both refuse alike.
    DWORD attributes = GetFileAttributesA(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return FileResult::ReadOnly;
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return FileResult::Done;
    // The new file could be made in the same folder, and the old one is not
    // read-only: a refusal now means another program holds the old one open.
    const DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED ? FileResult::InUse : ResultOf(error);
}

void Win32Os::RemoveFile(const char* path) { DeleteFileA(path); }

void Win32Os::Pause(uint32_t milliseconds) { Sleep(milliseconds); }

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
