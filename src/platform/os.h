#pragma once
// The seam between Blinkwatch's logic and the operating system. Every call the
// portable code makes into the platform goes through one of these services, so
// that the logic can run natively against a fake and on Windows against Win32Os.
#include <cstddef>
#include <cstdint>

#include "platform/handles.h"
#include "platform/if_table.h"
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
