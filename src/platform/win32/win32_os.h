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
};
