#include "platform/win32/win32_os.h"

#include <windows.h>
#include <iphlpapi.h>

#include <cstddef>
#include <cstdlib>

#include "units/unit.h"

// The portable mirrors must match the platform's own records and constants.
static_assert(sizeof(IfRow) == sizeof(MIB_IFROW), "interface row layout");
static_assert(offsetof(IfRow, dwInOctets) == offsetof(MIB_IFROW, dwInOctets), "row layout");
static_assert(offsetof(IfRow, dwOutOctets) == offsetof(MIB_IFROW, dwOutOctets), "row layout");
static_assert(offsetof(IfRow, dwDescrLen) == offsetof(MIB_IFROW, dwDescrLen), "row layout");
static_assert(offsetof(IfRow, bDescr) == offsetof(MIB_IFROW, bDescr), "row layout");
static_assert(offsetof(IfTable, table) == offsetof(MIB_IFTABLE, table), "table layout");
static_assert(kPathLength == MAX_PATH, "path buffers");
static_assert(kErrorNotSupported == ERROR_NOT_SUPPORTED && kErrorInvalidParameter == ERROR_INVALID_PARAMETER &&
              kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER && kErrorSuccess == NO_ERROR,
              "error codes");
static_assert(DRIVE_NO_ROOT_DIR == 1 && DRIVE_FIXED == 3 && DRIVE_RAMDISK == 6, "drive types");

namespace {

HANDLE ToHandle(DeviceHandle device) { return reinterpret_cast<HANDLE>(device); }

}  // namespace

void* Win32Os::AllocateZeroed(size_t bytes) { return std::calloc(1, bytes == 0 ? 1 : bytes); }

void Win32Os::FreeMemory(void* block) { std::free(block); }

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

uint32_t Win32Os::QueryInterfaceTable(IfTable* table, uint32_t* size, bool sorted) {
    ULONG bytes = *size;
    DWORD result = GetIfTable(reinterpret_cast<MIB_IFTABLE*>(table), &bytes, sorted ? TRUE : FALSE);
    *size = bytes;
    return result;
}
