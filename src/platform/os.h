#pragma once
// The seam between Blinkwatch's logic and the operating system. Every call the
// portable code makes into the platform goes through one of these services, so
// that the logic can run natively against a fake and on Windows against Win32Os.
#include <cstddef>
#include <cstdint>

#include "platform/handles.h"
#include "platform/if_table.h"
#include "platform/indicator_types.h"
#include "platform/sampling_records.h"
#include "platform/text_buffer.h"

constexpr size_t kPathLength = 260;   // the platform's MAX_PATH

// How a file service ended, by what the user can do about it.
enum class FileResult {
    Done,
    Missing,    // no such file (or folder)
    ReadOnly,   // the file's read-only attribute is set
    InUse,      // another program holds the file open
    Denied,     // the user may not write there (a protected folder)
    DiskFull,
    Failed,     // anything else
};

class Os {
public:
    virtual ~Os() = default;

    // --- Devices and volumes ---
    // Opens a device path with no access rights (enough to query it); null on failure.
    virtual DeviceHandle OpenDevice(const char* path) = 0;
    virtual void CloseDevice(DeviceHandle device) = 0;
    // The platform's drive type (0..6) of a root path.
    virtual uint32_t QueryDriveType(const char* rootPath) = 0;
    // Volume name and file system name of a root path, each written into a
    // buffer of kPathLength characters. False when the volume cannot be read.
    virtual bool QueryVolumeInformation(const char* rootPath, char* volumeName,
                                        char* fileSystemName) = 0;
    // The performance record of an open disk device. False when the device
    // gives none (the counters are switched off); the record is then stale.
    virtual bool QueryDiskPerformance(DeviceHandle device, DiskPerformance* record) = 0;
    // Total size and total free bytes (not the caller's quota figure) of the
    // volume at `path`. False when the volume cannot be asked; the counts are
    // then left as they were.
    virtual bool QueryDiskFreeSpace(const char* path, uint64_t* totalBytes,
                                    uint64_t* totalFreeBytes) = 0;

    // --- Processors, memory, network, time ---
    // Idle, kernel and user time of all processors together, in 100 ns units.
    // False (counts untouched) when the platform cannot tell.
    virtual bool QuerySystemTimes(uint64_t* idle, uint64_t* kernel, uint64_t* user) = 0;
    // One record per processor into `records`, which holds `bytes` bytes; the
    // platform's status (kStatusSuccess or a failure) and the bytes it filled,
    // or with kStatusInfoLengthMismatch the bytes it needs.
    virtual int32_t QueryProcessorTimes(ProcessorTimes* records, uint32_t bytes,
                                        uint32_t* returnedBytes) = 0;
    // The memory status; `status->dwLength` holds the record's size on entry.
    virtual bool QueryMemoryStatus(MemoryStatus* status) = 0;
    // The interface table, sorted by interface index, into `table`, which
    // holds `*size` bytes; answers one of the kError codes and, when the
    // buffer is too small, the size it needs.
    virtual uint32_t QueryInterfaceTable(IfTable* table, uint32_t* size) = 0;
    // Milliseconds since the system started; wraps after 49.7 days.
    virtual uint32_t QueryTickCount() = 0;

    // --- Asking the user, running a command ---
    // A message box; answers the button the user pressed (IDYES is 6).
    virtual int ShowMessageBox(WindowHandle owner, const char* text, const char* caption,
                               uint32_t style) = 0;
    // Runs a command through the command interpreter and waits for it to end.
    virtual void RunCommand(const char* command) = 0;

    // --- Settings file and Run value ---
    // The value of `key` in `section` of the profile (INI) file `path`, at most
    // size - 1 characters, always terminated; `fallback` when the file, section
    // or key is missing. Sections and keys are matched without regard to case.
    virtual void ReadProfileValue(const char* section, const char* key, const char* fallback,
                                  char* buffer, uint32_t size, const char* path) = 0;
    // The whole content of the file at `path`, byte for byte; other programs
    // may keep reading and writing it meanwhile. A file of over 1 MiB fails.
    virtual FileResult ReadWholeFile(const char* path, TextBuffer& content) = 0;
    // Creates `path`, or empties the file there, writes the `size` bytes of
    // `data` into it and flushes it to the disk before closing it. A failure
    // may leave part of them in the file.
    virtual FileResult WriteFileThrough(const char* path, const char* data, size_t size) = 0;
    // Renames `from` to `to` in one step, replacing the file `to` if there is
    // one, and returns once the change is on the disk. Refuses to replace a
    // read-only file; either file stays as it was when the rename fails.
    virtual FileResult MoveFileOver(const char* from, const char* to) = 0;
    // Deletes a file; a missing one is no error.
    virtual void RemoveFile(const char* path) = 0;
    // Waits about this many milliseconds.
    virtual void Pause(uint32_t milliseconds) = 0;
    // The full path of the running executable into a buffer of kPathLength
    // characters. False, with an empty buffer, when it cannot be read whole.
    virtual bool QueryModulePath(char* buffer) = 0;
    // A string value under a key of the current user's hive, the key created
    // when it is missing; and the deletion of such a value (a missing value
    // or key is no error). Failures leave the registry as it was.
    virtual void WriteUserRegistryString(const char* subKey, const char* name,
                                         const char* data) = 0;
    virtual void DeleteUserRegistryValue(const char* subKey, const char* name) = 0;

    // --- Indicators: notification area, icons, parallel port, keyboard ---
    // Sends one notification-area message (kTrayAdd, kTrayModify, kTrayDelete);
    // false when the shell refused it (a change of an icon it does not have).
    virtual bool NotifyTray(uint32_t message, const TrayRecord& record) = 0;
    // One of the program's own icon resources, from the module of the dialog
    // window. A shared icon: never released. Null when it cannot be loaded.
    virtual IconHandle LoadProgramIcon(WindowHandle dialog, int resourceId) = 0;
    // A new icon: a copy of `icon` with `text` drawn on it. Null on failure;
    // `icon` itself when only the final icon creation failed. The caller owns
    // a new icon; `icon` is left as it is.
    virtual IconHandle DrawIconText(IconHandle icon, const char* text) = 0;
    // A new icon: a load meter drawn on a copy of `icon`, as DrawIconText.
    virtual IconHandle DrawIconMeter(IconHandle icon, const MeterStyle& style) = 0;
    // A new opaque icon of `size` x `size` pixels, 0xRRGGBB row by row from the
    // top. Null on failure. The caller owns it.
    virtual IconHandle MakeIcon(const uint32_t* pixels, int32_t size) = 0;
    // Destroys an icon made by MakeIcon or one of the two drawings above.
    virtual void ReleaseIcon(IconHandle icon) = 0;
    // From now on the process sees the display's real pixels: system metrics,
    // window sizes and fonts at the system's DPI. Nothing where the platform
    // cannot do so. Once made, a process stays so.
    virtual void BecomeDpiAware() = 0;
    // The taskbar's small-icon size in pixels, at the taskbar's own DPI where
    // the platform can tell it; 0 when it cannot be had.
    virtual int32_t QueryTrayIconSize() = 0;
    // Loads the port output library of the program's own width, looked for
    // where the platform looks but in the current directory; null when there
    // is none.
    virtual LibraryHandle LoadPortLibrary() = 0;
    // The named port output function of a loaded library; null when it has none.
    virtual PortOutputHandle FindPortOutput(LibraryHandle library, const char* functionName) = 0;
    // Calls a port output function: after it the port's data register holds
    // the low 8 bits of `value`.
    virtual void WritePortByte(PortOutputHandle output, int16_t address, int16_t value) = 0;
    // The key's state: bit 0 its toggle, negative while it is held down.
    virtual int16_t ReadKeyState(int virtualKey) = 0;
    // Synthesises one keyboard event (kKeyExtended, kKeyUp).
    virtual void SendKeyStroke(int virtualKey, uint8_t scanCode, uint32_t flags) = 0;
    // Gives up the rest of the time slice.
    virtual void YieldTimeSlice() = 0;
};
