#pragma once
// The Unit record: one monitored drive, drive letter, processor, memory or
// network interface, with its settings, its latest sample and the state of its
// tray icon. Records are allocated zero-filled by AppendUnit.
#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/handles.h"
#include "platform/os.h"
#include "units/global_options.h"

// Unit kinds. 0..6 are the platform's drive types as its drive-type query
// reports them (the Win32 headers define the same names with the same values).
#ifndef DRIVE_UNKNOWN
constexpr uint32_t DRIVE_UNKNOWN = 0;      // also the kind of the end markers
constexpr uint32_t DRIVE_NO_ROOT_DIR = 1;  // a physical drive
constexpr uint32_t DRIVE_REMOVABLE = 2;
constexpr uint32_t DRIVE_FIXED = 3;
constexpr uint32_t DRIVE_REMOTE = 4;
constexpr uint32_t DRIVE_CDROM = 5;
constexpr uint32_t DRIVE_RAMDISK = 6;
#endif
constexpr uint32_t UNIT_CPU = 0xFFF;
constexpr uint32_t UNIT_RAM = 0x1000;
constexpr uint32_t UNIT_VRAM = 0x1001;
constexpr uint32_t UNIT_NIC = 0x1002;

// Activity states. Read and write combine as bits.
constexpr int8_t ACTIVITY_IDLE = 0;
constexpr int8_t ACTIVITY_WRITE = 1;
constexpr int8_t ACTIVITY_READ = 2;
constexpr int8_t ACTIVITY_READWRITE = 3;
constexpr int8_t ACTIVITY_METER = 9;

constexpr int32_t kFirstTrayId = 100;

// What the shell shows of one tray icon, as far as the program can know: it
// shows it, it does not, or a call was refused and it may or may not.
enum TrayIconState : uint8_t { TRAY_ICON_ABSENT, TRAY_ICON_SHOWN, TRAY_ICON_UNCERTAIN };

// One tray icon: its state, and the image and tooltip the shell last accepted
// for it (a null image and an empty tooltip while none is known).
struct TrayIcon {
    TrayIconState state;
    uint8_t refusedDeletes;   // deletes refused since the icon was last put
    IconHandle image;
    char tip[kTrayTipLength];
};

// A meter's last samples for its graph, oldest first.
struct MeterHistory {
    uint8_t count;   // 0..kMeterGraphColumns
    std::array<int8_t, kMeterGraphColumns> samples;
};

struct Unit {
    Unit* next;                    // toward the tail; null in the last element
    Unit* prev;                    // toward the head; null in the first element
    int32_t trayId;                // 100, 101, ... for real Units (or from their names); 0 in the markers
    char name[kPathLength];        // device path or label; the settings section name
    int32_t enabled;               // monitored
    uint32_t kind;                 // a drive type or UNIT_*
    int32_t showInTray;            // has its own tray icon
    TrayIcon tray;                 // its own icon in the tray
    int8_t activity;               // ACTIVITY_*
    IconHandle iconIdle;           // the Unit's own icons, built when first needed
    IconHandle iconRead;
    IconHandle iconWrite;
    IconHandle iconReadWrite;
    IconHandle iconMeter;
    int32_t meterDrawn;            // iconMeter shows meterLook (else the bare meter icon)
    MeterStyle meterLook;
    MeterHistory history;          // meters with MeterStyle=Graph: empty at each start of monitoring
    int32_t dirty;                 // icon and tooltip must be refreshed
    uint32_t writeCounter;         // drive: writes last seen; interface: out-octets
    uint32_t readCounter;          // drive: reads last seen; interface: in-octets
    uint32_t prevWriteCounter;     // interface: out-octets at the previous poll
    uint32_t prevReadCounter;      // interface: in-octets at the previous poll
    int32_t value;                 // drive: free %, -1 unknown; meters: load 0..100
    uint32_t freeScaled;           // drive: free bytes / sizeDivisor
    uint32_t totalScaled;          // drive: capacity / sizeDivisor
    int32_t sizeDivisor;           // 1, 1 MiB or 1 GiB
    char sizeUnit;                 // ' ', 'M' or 'G'
    int16_t parallelPortEnabled;
    uint8_t parallelPortReadMask;  // port data bits raised while reading
    uint8_t parallelPortWriteMask; // port data bits raised while writing
    char label[kPathLength];       // volume label, "N/A", or interface description
    char fileSystem[kPathLength];  // file system name, "N/A", or interface type name
    int32_t hidden;                // left out of the dialog's unit list
    uint32_t cpuIndex;             // processor number
    int32_t sampleDue;             // a processor sample is due
    int32_t ramFreeMB;
    int32_t ramTotalMB;
    int32_t vramFreeMB;
    int32_t vramTotalMB;
    int32_t nicIndex;              // row number in the interface table
};

// The Unit shows an icon of its own: it is monitored and shown in the tray,
// and no single icon stands for all Units.
inline bool WantsOwnIcon(const Unit& unit, const GlobalOptions& options) {
    return unit.enabled != 0 && unit.showInTray != 0 && options.SingleIconMode == 0;
}

// A percentage brought into 0..100. The platform's figures can be absurd (a
// quota-limited total below the free bytes, times that went backwards); what
// is shown must not be.
constexpr int32_t ClampPercent(int64_t percent) {
    return static_cast<int32_t>(std::clamp<int64_t>(percent, 0, 100));
}
