#pragma once
// The seam between Blinkwatch's logic and the operating system. Every call the
// portable code makes into the platform goes through one of these services, so
// that the logic can run natively against a fake and on Windows against Win32Os.
#include <cstddef>
#include <cstdint>

#include "platform/handles.h"
#include "platform/if_table.h"
#include "platform/sampling_records.h"

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

    // --- Sampling: disk counters and free space, processor times, memory,
    // the tick count, the performance-counter warning and its command ---

    // The performance record of an open disk device, `bytes` bytes of it, into
    // `record`. False when the device gives none (counters switched off).
    virtual bool QueryDiskPerformance(DeviceHandle device, DiskPerformance* record,
                                      uint32_t bytes) = 0;

    // Total size and total free bytes (not the caller's quota figure) of the
    // volume at `path`. False when the volume cannot be asked; the counts are
    // then left as they were.
    virtual bool QueryDiskFreeSpace(const char* path, uint64_t* totalBytes,
                                    uint64_t* totalFreeBytes) = 0;

    // Idle, kernel and user time of all processors together, in 100 ns units.
    // False (counts untouched) when the platform cannot tell.
    virtual bool QuerySystemTimes(uint64_t* idle, uint64_t* kernel, uint64_t* user) = 0;

    // One record per processor into `records`, which holds `bytes` bytes; the
    // platform's status (kStatusSuccess or a failure) and the bytes it filled.
    virtual int32_t QueryProcessorTimes(ProcessorTimes* records, uint32_t bytes,
                                        uint32_t* returnedBytes) = 0;

    // The memory status; `status->dwLength` holds the record's size on entry.
    virtual bool QueryMemoryStatus(MemoryStatus* status) = 0;

    // Milliseconds since the system started; wraps after 49.7 days.
    virtual uint32_t QueryTickCount() = 0;

    // A message box; answers the button the user pressed (IDYES is 6).
    virtual int ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                               uint32_t style) = 0;

    // Runs a command through the command interpreter and waits for it to end.
    virtual int RunCommand(const char* command) = 0;
};
