#pragma once
// The real operating system behind the Os seam: each service is the Win32
// call the program needs, with its exact flags and sizes, and nothing more.
#include "platform/os.h"

class Win32Os : public Os {
public:
    void* AllocateZeroed(size_t bytes) override;
    void FreeMemory(void* block) override;
    DeviceHandle OpenDevice(const char* path) override;
    void CloseDevice(DeviceHandle device) override;
    uint32_t QueryDriveType(const char* rootPath) override;
    bool QueryVolumeInformation(const char* rootPath, char* volumeName,
                                char* fileSystemName) override;
    uint32_t QueryInterfaceTable(IfTable* table, uint32_t* size, bool sorted) override;

    // --- Sampling: disk counters and free space, processor times, memory,
    // the tick count, the performance-counter warning and its command ---
    bool QueryDiskPerformance(DeviceHandle device, DiskPerformance* record,
                              uint32_t bytes) override;
    bool QueryDiskFreeSpace(const char* path, uint64_t* totalBytes,
                            uint64_t* totalFreeBytes) override;
    bool QuerySystemTimes(uint64_t* idle, uint64_t* kernel, uint64_t* user) override;
    int32_t QueryProcessorTimes(ProcessorTimes* records, uint32_t bytes,
                                uint32_t* returnedBytes) override;
    bool QueryMemoryStatus(MemoryStatus* status) override;
    uint32_t QueryTickCount() override;
    int ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                       uint32_t style) override;
    int RunCommand(const char* command) override;
};
