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

    // --- Indicators (win32_os_indicators.cpp) ---
    void NotifyTray(uint32_t message, const TrayRecord& record) override;
    IconHandle LoadProgramIcon(WindowHandle dialog, int resourceId) override;
    IconHandle DrawIconText(IconHandle icon, const char* text) override;
    IconHandle DrawIconMeter(IconHandle icon, const MeterStyle& style) override;
    void ReleaseIcon(IconHandle icon) override;
    LibraryHandle LoadPortLibrary(const char* fileName) override;
    PortOutputHandle FindPortOutput(LibraryHandle library, const char* functionName) override;
    void WritePortByte(PortOutputHandle output, int16_t address, int16_t value) override;
    int16_t ReadKeyState(int virtualKey) override;
    void SendKeyStroke(int virtualKey, uint8_t scanCode, uint32_t flags) override;
    void YieldTimeSlice() override;
};
