#include "platform/win32/win32_os.h"

#include <windows.h>
#include <iphlpapi.h>

#include <cstddef>

// The portable mirrors must match the platform's own records and constants.
static_assert(sizeof(IfRow) == sizeof(MIB_IFROW), "interface row layout");
static_assert(offsetof(IfRow, dwInOctets) == offsetof(MIB_IFROW, dwInOctets), "row layout");
static_assert(offsetof(IfRow, dwOutOctets) == offsetof(MIB_IFROW, dwOutOctets), "row layout");
static_assert(offsetof(IfRow, dwDescrLen) == offsetof(MIB_IFROW, dwDescrLen), "row layout");
static_assert(offsetof(IfRow, bDescr) == offsetof(MIB_IFROW, bDescr), "row layout");
static_assert(offsetof(IfTable, table) == offsetof(MIB_IFTABLE, table), "table layout");
static_assert(kPathLength == MAX_PATH, "path buffers");
static_assert(kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER && kErrorSuccess == NO_ERROR,
              "error codes");

namespace {

HANDLE ToHandle(DeviceHandle device) { return reinterpret_cast<HANDLE>(device); }

}  // namespace

DeviceHandle Win32Os::OpenDevice(const char* path) {
    HANDLE device = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE || device == nullptr) return nullptr;
    return reinterpret_cast<DeviceHandle>(device);
}

void Win32Os::CloseDevice(DeviceHandle device) {
    if (device != nullptr) CloseHandle(ToHandle(device));
}

uint32_t Win32Os::QueryDriveType(const char* rootPath) { return GetDriveTypeA(rootPath); }

bool Win32Os::QueryVolumeInformation(const char* rootPath, char* volumeName, char* fileSystemName) {
    DWORD serialNumber = 0;
    DWORD maximumComponentLength = 0;
    DWORD flags = 0;
    return GetVolumeInformationA(rootPath, volumeName, MAX_PATH, &serialNumber,
                                 &maximumComponentLength, &flags, fileSystemName, MAX_PATH) != 0;
}

uint32_t Win32Os::QueryInterfaceTable(IfTable* table, uint32_t* size) {
    ULONG bytes = *size;
    DWORD result = GetIfTable(reinterpret_cast<MIB_IFTABLE*>(table), &bytes, TRUE);
    *size = bytes;
    return result;
}
