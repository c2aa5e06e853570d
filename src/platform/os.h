#pragma once
// The seam between Blinkwatch's logic and the operating system. Every call the
// portable code makes into the platform goes through one of these services, so
// that the logic can run natively against a fake and on Windows against Win32Os.
#include <cstddef>
#include <cstdint>

#include "platform/handles.h"
#include "platform/if_table.h"

constexpr size_t kPathLength = 260;   // the platform's MAX_PATH

class Os {
public:
    virtual ~Os() = default;

    // Zero-filled heap memory; null when the heap is exhausted. Released with FreeMemory.
    virtual void* AllocateZeroed(size_t bytes) = 0;
    virtual void FreeMemory(void* block) = 0;

    // Opens a device path with no access rights (enough to query it); null on failure.
    virtual DeviceHandle OpenDevice(const char* path) = 0;
    virtual void CloseDevice(DeviceHandle device) = 0;

    // The platform's drive type (0..6) of a root path.
    virtual uint32_t QueryDriveType(const char* rootPath) = 0;

    // Volume name and file system name of a root path, each written into a
    // buffer of kPathLength characters. False when the volume cannot be read.
    virtual bool QueryVolumeInformation(const char* rootPath, char* volumeName,
                                        char* fileSystemName) = 0;

    // The interface table into `table`, which holds `*size` bytes; answers one
    // of the kError codes and, when the buffer is too small, the size it needs.
    virtual uint32_t QueryInterfaceTable(IfTable* table, uint32_t* size, bool sorted) = 0;
};
