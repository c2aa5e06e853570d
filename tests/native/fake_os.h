#pragma once
// A scripted operating system for native tests: answers come from the fields
// below, and every call is counted.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/os.h"

struct FakeVolume {
    bool readable = true;
    std::string label;
    std::string fileSystem;
};

class FakeOs : public Os {
public:
    // --- scripted answers ---
    std::set<std::string> devices;                   // paths that open
    std::map<std::string, uint32_t> driveTypes;      // root path -> type (default DRIVE_UNKNOWN)
    std::map<std::string, FakeVolume> volumes;       // root path "C:\" -> volume (default unreadable)
    std::vector<IfRow> interfaces;                   // the interface table's rows
    uint32_t sizeQueryAnswer = kErrorInsufficientBuffer;  // answer to the size probe
    uint32_t fetchAnswer = kErrorSuccess;            // answer once the buffer is big enough
    int failAllocationNumber = 0;                    // 1-based allocation that fails; 0 none

    // --- what was called ---
    std::map<std::string, int> calls;
    int allocations = 0;
    int liveBlocks = 0;
    std::vector<std::string> opened;                 // every path asked for, in order
    std::vector<uint32_t> tableSizesOffered;         // *size at each table query

    // Adds a row with the given type and description to the interface table.
    IfRow& AddInterface(uint32_t type, const std::string& description);

    void* AllocateZeroed(size_t bytes) override;
    void FreeMemory(void* block) override;
    DeviceHandle OpenDevice(const char* path) override;
    void CloseDevice(DeviceHandle device) override;
    uint32_t QueryDriveType(const char* rootPath) override;
    bool QueryVolumeInformation(const char* rootPath, char* volumeName,
                                char* fileSystemName) override;
    uint32_t QueryInterfaceTable(IfTable* table, uint32_t* size, bool sorted) override;

private:
    std::vector<std::string> openHandles_;
};
