#pragma once
// The seam between Blinkwatch's logic and the operating system. Every call the
// portable code makes into the platform goes through one of these services, so
// that the logic can run natively against a fake and on Windows against Win32Os.
#include <cstddef>
#include <cstdint>

#include "platform/handles.h"
#include "platform/if_table.h"
#include "platform/sampling_records.h"
#include "platform/indicator_types.h"

constexpr size_t kPathLength = 260;   // the platform's MAX_PATH

class Os {
public:
    virtual ~Os() = default;

    // Zero-filled heap memory; null when the heap is exhausted. Released with FreeMemory.
    virtual void* AllocateZeroed(size_t bytes) = 0;
    virtual void FreeMemory(void* block) = 0;

    // Opens a device path with no access rights (enough to query it); null on failure.
    virtual DeviceHandle OpenDevice(const char* path) = 0;
    virtual void CloseDevice(DeviceHandle device) = 0;

    // The platform's drive type (0..6) of a root path.
    virtual uint32_t QueryDriveType(const char* rootPath) = 0;

    // Volume name and file system name of a root path, each written into a
    // buffer of kPathLength characters. False when the volume cannot be read.
    virtual bool QueryVolumeInformation(const char* rootPath, char* volumeName,
                                        char* fileSystemName) = 0;

    // The interface table into `table`, which holds `*size` bytes; answers one
    // of the kError codes and, when the buffer is too small, the size it needs.
    virtual uint32_t QueryInterfaceTable(IfTable* table, uint32_t* size, bool sorted) = 0;

    // --- Sampling: disk counters and free space, processor times, memory,
    // the tick count, the performance-counter warning and its command ---

    // The performance record of an open disk device, `bytes` bytes of it, into
    // `record`. False when the device gives none (counters switched off).
    virtual bool QueryDiskPerformance(DeviceHandle device, DiskPerformance* record,
                                      uint32_t bytes) = 0;

    // Total size and total free bytes (not the caller's quota figure) of the
    // volume at `path`. False when the volume cannot be asked; the counts are
    // then left as they were.
    virtual bool QueryDiskFreeSpace(const char* path, uint64_t* totalBytes,
                                    uint64_t* totalFreeBytes) = 0;

    // Idle, kernel and user time of all processors together, in 100 ns units.
    // False (counts untouched) when the platform cannot tell.
    virtual bool QuerySystemTimes(uint64_t* idle, uint64_t* kernel, uint64_t* user) = 0;

    // One record per processor into `records`, which holds `bytes` bytes; the
    // platform's status (kStatusSuccess or a failure) and the bytes it filled.
    virtual int32_t QueryProcessorTimes(ProcessorTimes* records, uint32_t bytes,
                                        uint32_t* returnedBytes) = 0;

    // The memory status; `status->dwLength` holds the record's size on entry.
    virtual bool QueryMemoryStatus(MemoryStatus* status) = 0;

    // Milliseconds since the system started; wraps after 49.7 days.
    virtual uint32_t QueryTickCount() = 0;

    // A message box; answers the button the user pressed (IDYES is 6).
    virtual int ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                               uint32_t style) = 0;

    // Runs a command through the command interpreter and waits for it to end.
    virtual int RunCommand(const char* command) = 0;

    // --- Settings file and Run value ---
    // The value of `key` in `section` of the profile (INI) file `path`, at most
    // size - 1 characters, always terminated; `fallback` when the file, section
    // or key is missing. Sections and keys are matched without regard to case.
    // Answers the number of characters copied.
    virtual uint32_t ReadProfileValue(const char* section, const char* key, const char* fallback,
                                      char* buffer, uint32_t size, const char* path) = 0;

    // Sets `key` in `section` of `path` to `value`, creating the file, the
    // section and the key as needed. False when the file cannot be written.
    virtual bool WriteProfileValue(const char* section, const char* key, const char* value,
                                   const char* path) = 0;

    // The normal (restored) rectangle of a top-level window. False when the
    // window's placement cannot be read; the outputs are then left as they were.
    virtual bool QueryWindowNormalRect(WindowHandle window, int32_t* left, int32_t* top,
                                       int32_t* right, int32_t* bottom) = 0;

    // The full path of the running executable into a buffer of `size`
    // characters. Answers its length, or 0 with an empty buffer when the path
    // cannot be read whole.
    virtual uint32_t QueryModulePath(char* buffer, uint32_t size) = 0;

    // Opens a key under the current user's hive with full access, creating it
    // when it is missing; null on failure. Closed with CloseRegistryKey.
    virtual RegistryKeyHandle OpenUserRegistryKey(const char* subKey) = 0;
    virtual void CloseRegistryKey(RegistryKeyHandle key) = 0;

    // Stores a string value of `bytes` bytes (the terminating zero included).
    virtual bool WriteRegistryString(RegistryKeyHandle key, const char* name, const char* data,
                                     uint32_t bytes) = 0;

    // Deletes a value; false when it could not be deleted or did not exist.
    virtual bool DeleteRegistryValue(RegistryKeyHandle key, const char* name) = 0;

    // --- Indicators: notification area, icons, parallel port, keyboard ---
    // Sends one notification-area message (kTrayAdd, kTrayModify, kTrayDelete).
    // The shell's answer is not examined.
    virtual void NotifyTray(uint32_t message, const TrayRecord& record) = 0;
    // One of the program's own icon resources, from the module of the dialog
    // window. A shared icon: never released. Null when it cannot be loaded.
    virtual IconHandle LoadProgramIcon(WindowHandle dialog, int resourceId) = 0;
    // A new icon: a copy of `icon` with `text` drawn on it. Null on failure;
    // `icon` itself when only the final icon creation failed. The caller owns
    // a new icon; `icon` is left as it is.
    virtual IconHandle DrawIconText(IconHandle icon, const char* text) = 0;
    // A new icon: a load meter drawn on a copy of `icon`. Null on failure;
    // `icon` itself when only the final icon creation failed. `icon` is left
    // as it is; releasing it is the caller's business.
    virtual IconHandle DrawIconMeter(IconHandle icon, const MeterStyle& style) = 0;
    // Destroys an icon made by one of the two drawings above.
    virtual void ReleaseIcon(IconHandle icon) = 0;
    // Loads a library by file name (the platform's search order); null on failure.
    virtual LibraryHandle LoadPortLibrary(const char* fileName) = 0;
    // The named port output function of a loaded library; null when it has none.
    virtual PortOutputHandle FindPortOutput(LibraryHandle library, const char* functionName) = 0;
    // Calls a port output function: after it the port's data register holds
    // the low 8 bits of `value`.
    virtual void WritePortByte(PortOutputHandle output, int16_t address, int16_t value) = 0;
    // The key's state: bit 0 its toggle, negative while it is held down.
    virtual int16_t ReadKeyState(int virtualKey) = 0;
    // Synthesises one keyboard event (flags: 1 extended key, 2 key up).
    virtual void SendKeyStroke(int virtualKey, uint8_t scanCode, uint32_t flags) = 0;
    // Gives up the rest of the time slice.
    virtual void YieldTimeSlice() = 0;
};
