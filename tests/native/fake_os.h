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


    // --- Indicators: tray, icons, port, keyboard ---
    struct TrayCall {
        uint32_t message;
        TrayRecord record;
    };
    struct DrawnIcon {
        IconHandle source;
        std::string text;     // the overlay text; empty for a meter
        bool meter;
        MeterStyle style;     // a meter's style
    };
    struct KeyStroke {
        int virtualKey;
        uint8_t scanCode;
        uint32_t flags;
    };
    // The handle a shared program icon gets: its resource number.
    static IconHandle ProgramIcon(int resourceId);

    std::set<int> missingIcons;                     // resources that do not load
    bool textDrawFails = false;                     // DrawIconText answers null
    bool textDrawKeepsIcon = false;                 // ... or the icon it was given
    bool meterDrawFails = false;
    bool meterDrawKeepsIcon = false;
    bool portLibraryPresent = false;                // inpout32.dll can be loaded
    bool portHasOut32 = true;                       // ... and exports Out32
    std::map<int, int16_t> keyStates;               // virtual key -> GetKeyState answer

    std::vector<TrayCall> trayCalls;
    std::vector<int> iconLoads;                     // resource numbers, in order
    std::map<IconHandle, DrawnIcon> drawnIcons;     // every icon drawn so far
    std::set<IconHandle> liveIcons;                 // drawn and not released
    int badReleases = 0;                            // releases of icons not live
    std::vector<std::string> portLibraryNames;      // every load attempt
    std::vector<std::string> portFunctionNames;     // every look-up
    std::vector<int16_t> portAddresses;
    std::vector<int> portWrites;                    // values written, in order
    std::vector<KeyStroke> keyStrokes;
    int yields = 0;
    std::vector<std::string> indicatorLog;          // tray, port, key and yield calls in order

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

private:
    IconHandle NewIcon(const DrawnIcon& drawn);
    uintptr_t nextIcon_ = 1000;
    std::vector<std::string> openHandles_;
};
