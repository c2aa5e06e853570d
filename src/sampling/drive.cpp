#include "sampling/drive.h"

#include <cstdio>
#include <cstring>

#include "sampling/counters.h"
#include "units/unit_list.h"

namespace {

// The write and read counts since the previous sample as a light's state.
int8_t CountersToActivity(Unit& unit, const DiskPerformance& record) {
    return static_cast<int8_t>(CounterActivity(record.WriteCount, unit.writeCounter, ACTIVITY_WRITE) +
                               CounterActivity(record.ReadCount, unit.readCounter, ACTIVITY_READ));
}

// The device path with a trailing backslash, "\\.\C:" -> "\\.\C:\"; left as
// it is when it already ends in one or there is no room for it.
void RootPathOf(const char* name, char (&path)[kPathLength]) {
    std::snprintf(path, sizeof path, "%s", name);
    size_t length = std::strlen(path);
    if (length > 0 && path[length - 1] == '\\') return;
    if (length + 1 < sizeof path) {
        path[length] = '\\';
        path[length + 1] = '\0';
    }
}

// free * 100 / total truncated; -1 when either count is 0. The total is the
// part of the volume the user's quota allows, the free bytes those of the
// whole volume: more free than total shows 100. Divided without a product
// that could overflow (past 2^64 / 100 bytes the total is scaled first).
int32_t FreePercent(uint64_t free, uint64_t total) {
    if (free == 0 || total == 0) return -1;
    if (free >= total) return 100;
    return static_cast<int32_t>(total <= UINT64_MAX / 100 ? free * 100 / total : free / (total / 100));
}

// The free-space figures of the Unit's volume: value (percent free, -1 when
// unknown), freeScaled, totalScaled, sizeDivisor and sizeUnit.
void ReadFreeSpace(Os& os, Unit& unit) {
    char path[kPathLength];
    RootPathOf(unit.name, path);
    uint64_t total = 0;
    uint64_t free = 0;
    os.QueryDiskFreeSpace(path, &total, &free);   // a failure leaves both at 0
    unit.value = FreePercent(free, total);
    uint64_t divisor = 1;
    unit.sizeUnit = ' ';
    if (total > kGibiByte) {
        divisor = kGibiByte;
        unit.sizeUnit = 'G';
    } else if (total > kMebiByte) {
        divisor = kMebiByte;
        unit.sizeUnit = 'M';
    }
    unit.sizeDivisor = static_cast<int32_t>(divisor);
    unit.freeScaled = static_cast<uint32_t>(free / divisor);
    unit.totalScaled = static_cast<uint32_t>(total / divisor);
}

}  // namespace

void ShowPerfCounterWarning(Os& os, SamplerState& state) {
    // The flag falls before the box: the box's message loop runs further
    // passes, and none of them may show a second box.
    state.PerfCounterWarningPending = false;
    int answer = os.ShowMessageBox(nullptr, kPerfCounterWarningText, kPerfCounterWarningCaption,
                                   kPerfCounterWarningStyle);
    if (answer == kAnswerYes) os.RunCommand(kEnableCountersCommand);
}

bool DriveStep(Os& os, Unit& unit, const GlobalOptions& options, SamplerState& state) {
    DeviceHandle device = os.OpenDevice(unit.name);
    if (device == nullptr) return false;
    // A failed query leaves the record stale: the counters and the light
    // stay as they were rather than follow whatever the record holds.
    DiskPerformance record{};
    if (os.QueryDiskPerformance(device, &record)) {
        int8_t activity = CountersToActivity(unit, record);
        if (activity != unit.activity) {
            unit.activity = activity;
            unit.dirty = 1;
        }
    } else if (state.PerfCounterWarningPending) {
        ShowPerfCounterWarning(os, state);
    }
    // Free space is shown only with the drive's tooltip, which is sent when
    // the Unit is marked or its icon added; asking it on every pass would
    // cost a platform call for a figure nobody sees.
    if (unit.dirty != 0 || (unit.tray.state != TRAY_ICON_SHOWN && WantsOwnIcon(unit, options)))
        ReadFreeSpace(os, unit);
    os.CloseDevice(device);
    return true;
}

void RefreshFreeSpace(Os& os, Unit* list) {
    WalkForward(list, [&os](Unit& unit) {
        if (unit.enabled == 0 || !IsSampledDrive(unit)) return;
        DeviceHandle device = os.OpenDevice(unit.name);
        if (device == nullptr) return;
        ReadFreeSpace(os, unit);
        os.CloseDevice(device);
    });
}
