#pragma once
// The platform's records behind the samplers, laid out byte for byte as the
// Win32 structures they mirror (DISK_PERFORMANCE, the per-processor record of
// NtQuerySystemInformation class 8, MEMORYSTATUSEX), so that portable code can
// read them and the Win32 side can hand the platform the same buffer.
#include <cstddef>
#include <cstdint>

// A disk's performance counters, as IOCTL_DISK_PERFORMANCE returns them.
struct DiskPerformance {
    int64_t BytesRead;
    int64_t BytesWritten;
    int64_t ReadTime;
    int64_t WriteTime;
    int64_t IdleTime;
    uint32_t ReadCount;             // read requests completed since the counters started
    uint32_t WriteCount;            // write requests completed since the counters started
    uint32_t QueueDepth;
    uint32_t SplitCount;
    int64_t QueryTime;
    uint32_t StorageDeviceNumber;
    uint16_t StorageManagerName[8];
};

static_assert(sizeof(DiskPerformance) == 88, "a disk performance record is 88 bytes");
static_assert(offsetof(DiskPerformance, ReadCount) == 40, "read count at byte 40");
static_assert(offsetof(DiskPerformance, WriteCount) == 44, "write count at byte 44");

// One processor's times in 100-nanosecond units. The kernel time includes the
// idle time.
struct ProcessorTimes {
    int64_t IdleTime;
    int64_t KernelTime;
    int64_t UserTime;
    int64_t DpcTime;
    int64_t InterruptTime;
    uint32_t InterruptCount;
};

static_assert(sizeof(ProcessorTimes) == 48, "a per-processor record is 48 bytes");

// Processors the program shows as meters, the first of the system's.
constexpr uint32_t kMaxProcessors = 32;

// Memory status; dwLength must hold the record's size before the query.
struct MemoryStatus {
    uint32_t dwLength;
    uint32_t dwMemoryLoad;          // percent of physical memory in use
    uint64_t ullTotalPhys;
    uint64_t ullAvailPhys;
    uint64_t ullTotalPageFile;      // the commit limit
    uint64_t ullAvailPageFile;      // commit still available
    uint64_t ullTotalVirtual;
    uint64_t ullAvailVirtual;
    uint64_t ullAvailExtendedVirtual;
};

static_assert(sizeof(MemoryStatus) == 64, "a memory status record is 64 bytes");

// Status of the per-processor query: 0 is success; a buffer too short for a
// record per processor may be refused with the length it needs; the Win32
// side answers kStatusEntryPointNotFound when the platform has no such query.
constexpr int32_t kStatusSuccess = 0;
constexpr int32_t kStatusInfoLengthMismatch = static_cast<int32_t>(0xC0000004u);
constexpr int32_t kStatusEntryPointNotFound = static_cast<int32_t>(0xC0000139u);
