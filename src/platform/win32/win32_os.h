#pragma once
// The real operating system behind the Os seam: each service is the Win32
// call the program needs, with its exact flags and sizes, and nothing more.
#include "platform/os.h"
#include "platform/win32/icon_drawing.h"

class Win32Os : public Os {
public:
    // --- Devices, volumes, the interface table (win32_os.cpp) ---
    DeviceHandle OpenDevice(const char* path) override;
    void CloseDevice(DeviceHandle device) override;
    uint32_t QueryDriveType(const char* rootPath) override;
    bool QueryVolumeInformation(const char* rootPath, char* volumeName,
                                char* fileSystemName) override;
    uint32_t QueryInterfaceTable(IfTable* table, uint32_t* size) override;

    // --- Sampling (win32_os_sampling.cpp) ---
    bool QueryDiskPerformance(DeviceHandle device, DiskPerformance* record) override;
    bool QueryDiskFreeSpace(const char* path, uint64_t* totalBytes,
                            uint64_t* totalFreeBytes) override;
    bool QuerySystemTimes(uint64_t* idle, uint64_t* kernel, uint64_t* user) override;
    int32_t QueryProcessorTimes(ProcessorTimes* records, uint32_t bytes,
                                uint32_t* returnedBytes) override;
    bool QueryMemoryStatus(MemoryStatus* status) override;
    uint32_t QueryTickCount() override;
    int ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                       uint32_t style) override;
    void RunCommand(const char* command) override;

    // --- Settings file and Run value (win32_os_settings.cpp) ---
    void ReadProfileValue(const char* section, const char* key, const char* fallback,
                          char* buffer, uint32_t size, const char* path) override;
    FileResult ReadWholeFile(const char* path, TextBuffer& content) override;
    FileResult WriteFileThrough(const char* path, const char* data, size_t size) override;
    FileResult MoveFileOver(const char* from, const char* to) override;
    void RemoveFile(const char* path) override;
    void Pause(uint32_t milliseconds) override;
    bool QueryModulePath(char* buffer) override;
    void WriteUserRegistryString(const char* subKey, const char* name, const char* data) override;
    void DeleteUserRegistryValue(const char* subKey, const char* name) override;

    // --- Indicators (win32_os_indicators.cpp) ---
    bool NotifyTray(uint32_t message, const TrayRecord& record) override;
    IconHandle LoadProgramIcon(WindowHandle dialog, int resourceId) override;
    IconHandle DrawIconText(IconHandle icon, const char* text) override;
    IconHandle DrawIconMeter(IconHandle icon, const MeterStyle& style) override;
    IconHandle MakeIcon(const uint32_t* pixels, int32_t size) override;
    void ReleaseIcon(IconHandle icon) override;
    void BecomeDpiAware() override;
    int32_t QueryTrayIconSize() override;
    LibraryHandle LoadPortLibrary() override;
    PortOutputHandle FindPortOutput(LibraryHandle library, const char* functionName) override;
    void WritePortByte(PortOutputHandle output, int16_t address, int16_t value) override;
    int16_t ReadKeyState(int virtualKey) override;
    void SendKeyStroke(int virtualKey, uint8_t scanCode, uint32_t flags) override;
    void YieldTimeSlice() override;

private:
    IconDrawingTools drawing_;
    // Entry points looked up at run time and kept once found.
    void* ntQuerySystemInformation_ = nullptr;
    void* getSystemTimes_ = nullptr;
    bool getSystemTimesSought_ = false;
};

// The system times as the sums of the per-processor times that `os` reports,
// for systems without GetSystemTimes (Windows 2000). False, with the counts
// untouched, when the per-processor query gives no record.
bool SumProcessorTimes(Os& os, uint64_t* idle, uint64_t* kernel, uint64_t* user);
