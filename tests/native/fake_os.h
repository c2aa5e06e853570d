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

    // --- Settings file and Run value ---
public:
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

private:
    std::vector<std::string> registryKeys_;     // handle n is registryKeys_[n - 1]
};
