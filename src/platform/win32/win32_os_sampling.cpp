// The sampling services of Win32Os: disk counters and free space, processor
// times, memory status, the tick count, the warning box and the command.
#include "platform/win32/win32_os.h"

#include <windows.h>
#include <winioctl.h>

#include <array>
#include <cstddef>
#include <cstdlib>

// The portable mirrors must match the platform's own records.
static_assert(sizeof(DiskPerformance) == sizeof(DISK_PERFORMANCE), "disk performance record");
static_assert(offsetof(DiskPerformance, ReadCount) == offsetof(DISK_PERFORMANCE, ReadCount),
              "disk performance layout");
static_assert(offsetof(DiskPerformance, WriteCount) == offsetof(DISK_PERFORMANCE, WriteCount),
              "disk performance layout");
static_assert(offsetof(DiskPerformance, QueryTime) == offsetof(DISK_PERFORMANCE, QueryTime),
              "disk performance layout");
static_assert(offsetof(DiskPerformance, StorageManagerName) ==
                  offsetof(DISK_PERFORMANCE, StorageManagerName),
              "disk performance layout");
static_assert(IOCTL_DISK_PERFORMANCE == 0x70020, "disk performance control code");
static_assert(sizeof(MemoryStatus) == sizeof(MEMORYSTATUSEX), "memory status record");
static_assert(offsetof(MemoryStatus, ullTotalPhys) == offsetof(MEMORYSTATUSEX, ullTotalPhys),
              "memory status layout");
static_assert(offsetof(MemoryStatus, ullAvailPageFile) ==
                  offsetof(MEMORYSTATUSEX, ullAvailPageFile),
              "memory status layout");
static_assert(offsetof(MemoryStatus, ullAvailExtendedVirtual) ==
                  offsetof(MEMORYSTATUSEX, ullAvailExtendedVirtual),
              "memory status layout");

namespace {

// Neither function is imported: GetSystemTimes arrived with Windows XP SP1,
// and NtQuerySystemInformation is looked up like every ntdll export.
using GetSystemTimesFn = BOOL(WINAPI*)(FILETIME*, FILETIME*, FILETIME*);
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

constexpr ULONG kSystemProcessorPerformanceInformation = 8;

uint64_t FromFileTime(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

template <class Fn>
Fn As(void* address) { return reinterpret_cast<Fn>(address); }

}  // namespace

// Windows 2000 has no GetSystemTimes; there the system times are the sums of
// the per-processor times, which is how later systems form them too.
bool SumProcessorTimes(Os& os, uint64_t* idle, uint64_t* kernel, uint64_t* user) {
    std::array<ProcessorTimes, kMaxProcessors> records{};
    uint32_t returned = 0;
    if (os.QueryProcessorTimes(records.data(), sizeof records, &returned) != kStatusSuccess)
        return false;
    uint32_t count = returned / sizeof(ProcessorTimes);
    if (count == 0) return false;
    uint64_t sums[3] = {0, 0, 0};
    for (uint32_t i = 0; i < count && i < kMaxProcessors; ++i) {
        sums[0] += static_cast<uint64_t>(records[i].IdleTime);
        sums[1] += static_cast<uint64_t>(records[i].KernelTime);
        sums[2] += static_cast<uint64_t>(records[i].UserTime);
    }
    *idle = sums[0];
    *kernel = sums[1];
    *user = sums[2];
    return true;
}

bool Win32Os::QueryDiskPerformance(DeviceHandle device, DiskPerformance* record) {
    DWORD returned = 0;
    return DeviceIoControl(reinterpret_cast<HANDLE>(device), IOCTL_DISK_PERFORMANCE, nullptr, 0,
                           record, sizeof *record, &returned, nullptr) != 0;
}

bool Win32Os::QueryDiskFreeSpace(const char* path, uint64_t* totalBytes, uint64_t* totalFreeBytes) {
    ULARGE_INTEGER total;
    ULARGE_INTEGER totalFree;
    if (!GetDiskFreeSpaceExA(path, nullptr, &total, &totalFree)) return false;
    *totalBytes = total.QuadPart;
    *totalFreeBytes = totalFree.QuadPart;
    return true;
}

bool Win32Os::QuerySystemTimes(uint64_t* idle, uint64_t* kernel, uint64_t* user) {
    // Windows XP SP1 and later export it; whether kernel32 does never changes.
    if (!getSystemTimesSought_) {
        HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
        if (kernel32 != nullptr)
            getSystemTimes_ = reinterpret_cast<void*>(GetProcAddress(kernel32, "GetSystemTimes"));
        getSystemTimesSought_ = true;
    }
    auto getSystemTimes = As<GetSystemTimesFn>(getSystemTimes_);
    if (getSystemTimes == nullptr) return SumProcessorTimes(*this, idle, kernel, user);
    FILETIME idleTime;
    FILETIME kernelTime;
    FILETIME userTime;
    if (!getSystemTimes(&idleTime, &kernelTime, &userTime)) return false;
    *idle = FromFileTime(idleTime);
    *kernel = FromFileTime(kernelTime);
    *user = FromFileTime(userTime);
    return true;
}

int32_t Win32Os::QueryProcessorTimes(ProcessorTimes* records, uint32_t bytes, uint32_t* returnedBytes) {
    *returnedBytes = 0;
    // Found on first use and kept; while it is missing, every sample tries
    // again. ntdll stays loaded for the life of the process.
    if (ntQuerySystemInformation_ == nullptr) {
        HMODULE ntdll = LoadLibraryA("ntdll.dll");
        if (ntdll != nullptr)
            ntQuerySystemInformation_ = reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation"));
    }
    auto query = As<NtQuerySystemInformationFn>(ntQuerySystemInformation_);
    if (query == nullptr) return kStatusEntryPointNotFound;
    ULONG returned = 0;
    LONG status = query(kSystemProcessorPerformanceInformation, records, bytes, &returned);
    *returnedBytes = returned;
    return status;
}

bool Win32Os::QueryMemoryStatus(MemoryStatus* status) {
    return GlobalMemoryStatusEx(reinterpret_cast<MEMORYSTATUSEX*>(status)) != 0;
}

uint32_t Win32Os::QueryTickCount() { return GetTickCount(); }

int Win32Os::ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                            uint32_t style) {
    return MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, style);
}

void Win32Os::RunCommand(const char* command) { std::system(command); }
