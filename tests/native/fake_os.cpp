#include "fake_os.h"

#include <cstring>

IfRow& FakeOs::AddInterface(uint32_t type, const std::string& description) {
    IfRow row{};
    row.dwType = type;
    row.dwDescrLen = static_cast<uint32_t>(description.size());
    std::memcpy(row.bDescr, description.data(), description.size() < 256 ? description.size() : 256);
    interfaces.push_back(row);
    return interfaces.back();
}

void* FakeOs::AllocateZeroed(size_t bytes) {
    ++calls["AllocateZeroed"];
    if (++allocations == failAllocationNumber) return nullptr;
    ++liveBlocks;
    return std::calloc(1, bytes == 0 ? 1 : bytes);
}

void FakeOs::FreeMemory(void* block) {
    ++calls["FreeMemory"];
    if (block != nullptr) --liveBlocks;
    std::free(block);
}

DeviceHandle FakeOs::OpenDevice(const char* path) {
    ++calls["OpenDevice"];
    opened.push_back(path);
    if (devices.count(path) == 0) return nullptr;
    openHandles_.push_back(path);
    return reinterpret_cast<DeviceHandle>(openHandles_.size());
}

void FakeOs::CloseDevice(DeviceHandle) { ++calls["CloseDevice"]; }

uint32_t FakeOs::QueryDriveType(const char* rootPath) {
    ++calls["QueryDriveType"];
    auto found = driveTypes.find(rootPath);
    return found == driveTypes.end() ? 0 : found->second;
}

bool FakeOs::QueryVolumeInformation(const char* rootPath, char* volumeName, char* fileSystemName) {
    ++calls["QueryVolumeInformation"];
    auto found = volumes.find(rootPath);
    if (found == volumes.end() || !found->second.readable) return false;
    std::snprintf(volumeName, kPathLength, "%s", found->second.label.c_str());
    std::snprintf(fileSystemName, kPathLength, "%s", found->second.fileSystem.c_str());
    return true;
}

uint32_t FakeOs::QueryInterfaceTable(IfTable* table, uint32_t* size, bool sorted) {
    ++calls["QueryInterfaceTable"];
    tableSizesOffered.push_back(*size);
    if (!sorted) return kErrorInvalidParameter;
    uint32_t needed = static_cast<uint32_t>(sizeof(uint32_t) + interfaces.size() * sizeof(IfRow));
    if (*size < needed) {
        *size = needed;
        return sizeQueryAnswer;
    }
    if (fetchAnswer != kErrorSuccess) return fetchAnswer;
    table->dwNumEntries = static_cast<uint32_t>(interfaces.size());
    for (uint32_t k = 0; k < interfaces.size(); ++k) IfTableRow(*table, k) = interfaces[k];
    *size = needed;
    return kErrorSuccess;
}
