#pragma once
// A scripted operating system for native tests: answers come from the fields
// below, and every call is counted.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/os.h"

// A disk as the sampling services see it: its performance counters and the
// free space of its volume.
struct FakeDisk {
    bool performanceWorks = true;   // false: the counters are switched off
    uint32_t readCount = 0;
    uint32_t writeCount = 0;
};

struct FakeFreeSpace {
    bool readable = true;
    uint64_t totalBytes = 0;
    uint64_t totalFreeBytes = 0;
};

struct FakeMessageBox {
    WindowHandle owner;
    std::string text;
    std::string caption;
    uint32_t style;
};

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


    // --- Sampling ---
    std::map<std::string, FakeDisk> disks;           // device path -> counters (default: off)
    std::map<std::string, FakeFreeSpace> freeSpace;  // path asked for -> figures (default: fails)
    uint64_t systemIdle = 0;                         // the system times
    uint64_t systemKernel = 0;
    uint64_t systemUser = 0;
    std::vector<ProcessorTimes> processors;          // records of the per-processor query
    int32_t processorStatus = kStatusSuccess;        // its status
    int64_t processorReturnedBytes = -1;             // bytes it reports; -1: those it filled
    MemoryStatus memory{};
    uint32_t tickCount = 0;
    int messageBoxAnswer = 7;                        // IDNO
    std::function<void()> onMessageBox;              // runs while the box is "open"

    std::vector<uint32_t> performanceBytesAsked;     // per disk query
    std::vector<std::string> freeSpacePaths;         // per free-space query
    std::vector<uint32_t> processorBytesAsked;       // per processor query
    std::vector<uint32_t> memoryLengthsGiven;        // dwLength at each memory query
    std::vector<FakeMessageBox> messageBoxes;
    std::vector<std::string> commands;

    // Adds a processor whose times are (idle, kernel, user).
    ProcessorTimes& AddProcessor(int64_t idle, int64_t kernel, int64_t user);

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

    // --- Settings file and Run value ---
    // Profile files as text, by path. Reads and writes follow the profile
    // rules: sections and keys matched without regard to case, the first of
    // duplicated sections or keys wins, a missing file, section or key gives
    // the default, a write replaces a value in place, appends a new key after
    // the last line of its section and a new section at the end of the file.
    // Lines are written with CR LF; lines before the first header belong to no
    // section, and "[]" heads the section with the empty name.
    std::map<std::string, std::string> profiles;
    std::set<std::string> unreadableProfiles;   // read as missing, writes fail
    std::set<std::string> readOnlyProfiles;     // read as usual, writes fail
    std::vector<std::string> profileWrites;     // "section|key|value" in order

    bool windowRectReadable = true;             // the dialog's normal rectangle
    int32_t windowLeft = 0, windowTop = 0, windowRight = 0, windowBottom = 0;
    std::vector<WindowHandle> windowsQueried;

    std::string modulePath = "C:\\Program Files\\Blinkwatch\\blinkwatch.exe";

    // Registry: key path -> value name -> stored bytes (terminating zero included).
    std::map<std::string, std::map<std::string, std::string>> registry;
    bool registryOpenFails = false;
    bool registryWritesFail = false;
    std::vector<std::string> registryLog;       // "open|path", "module", "set|name", ... in order
    int openKeys = 0;                           // keys opened and not yet closed

    uint32_t ReadProfileValue(const char* section, const char* key, const char* fallback,
                              char* buffer, uint32_t size, const char* path) override;
    bool WriteProfileValue(const char* section, const char* key, const char* value,
                           const char* path) override;
    bool QueryWindowNormalRect(WindowHandle window, int32_t* left, int32_t* top, int32_t* right,
                               int32_t* bottom) override;
    uint32_t QueryModulePath(char* buffer, uint32_t size) override;
    RegistryKeyHandle OpenUserRegistryKey(const char* subKey) override;
    void CloseRegistryKey(RegistryKeyHandle key) override;
    bool WriteRegistryString(RegistryKeyHandle key, const char* name, const char* data,
                             uint32_t bytes) override;
    bool DeleteRegistryValue(RegistryKeyHandle key, const char* name) override;

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
    std::vector<std::string> registryKeys_;     // handle n is registryKeys_[n - 1]
};
