#include "fake_os.h"

#include <cstring>

ProcessorTimes& FakeOs::AddProcessor(int64_t idle, int64_t kernel, int64_t user) {
    ProcessorTimes record{};
    record.IdleTime = idle;
    record.KernelTime = kernel;
    record.UserTime = user;
    processors.push_back(record);
    return processors.back();
}

bool FakeOs::QueryDiskPerformance(DeviceHandle device, DiskPerformance* record, uint32_t bytes) {
    ++calls["QueryDiskPerformance"];
    performanceBytesAsked.push_back(bytes);
    size_t slot = reinterpret_cast<size_t>(device);
    if (slot == 0 || slot > openHandles_.size()) return false;
    auto found = disks.find(openHandles_[slot - 1]);
    if (found == disks.end() || !found->second.performanceWorks) return false;
    DiskPerformance filled{};
    filled.ReadCount = found->second.readCount;
    filled.WriteCount = found->second.writeCount;
    std::memcpy(record, &filled, bytes < sizeof filled ? bytes : sizeof filled);
    return true;
}

bool FakeOs::QueryDiskFreeSpace(const char* path, uint64_t* totalBytes, uint64_t* totalFreeBytes) {
    ++calls["QueryDiskFreeSpace"];
    freeSpacePaths.push_back(path);
    auto found = freeSpace.find(path);
    if (found == freeSpace.end() || !found->second.readable) return false;
    *totalBytes = found->second.totalBytes;
    *totalFreeBytes = found->second.totalFreeBytes;
    return true;
}

bool FakeOs::QuerySystemTimes(uint64_t* idle, uint64_t* kernel, uint64_t* user) {
    ++calls["QuerySystemTimes"];
    *idle = systemIdle;
    *kernel = systemKernel;
    *user = systemUser;
    return true;
}

int32_t FakeOs::QueryProcessorTimes(ProcessorTimes* records, uint32_t bytes, uint32_t* returnedBytes) {
    ++calls["QueryProcessorTimes"];
    processorBytesAsked.push_back(bytes);
    *returnedBytes = 0;
    if (processorStatus != kStatusSuccess) return processorStatus;
    size_t count = processors.size();
    if (count * sizeof(ProcessorTimes) > bytes) count = bytes / sizeof(ProcessorTimes);
    std::memcpy(records, processors.data(), count * sizeof(ProcessorTimes));
    *returnedBytes = processorReturnedBytes >= 0 ? static_cast<uint32_t>(processorReturnedBytes)
                                                 : static_cast<uint32_t>(count * sizeof(ProcessorTimes));
    return kStatusSuccess;
}

bool FakeOs::QueryMemoryStatus(MemoryStatus* status) {
    ++calls["QueryMemoryStatus"];
    memoryLengthsGiven.push_back(status->dwLength);
    uint32_t length = status->dwLength;
    *status = memory;
    status->dwLength = length;
    return true;
}

uint32_t FakeOs::QueryTickCount() {
    ++calls["QueryTickCount"];
    return tickCount;
}

int FakeOs::ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                           uint32_t style) {
    ++calls["ShowMessageBox"];
    messageBoxes.push_back({owner, text, caption, style});
    if (onMessageBox) onMessageBox();
    return messageBoxAnswer;
}

int FakeOs::RunCommand(const char* command) {
    ++calls["RunCommand"];
    commands.push_back(command);
    return 0;
}
