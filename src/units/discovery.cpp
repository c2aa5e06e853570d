#include "units/discovery.h"

#include <cstdio>
#include <cstring>

#include "units/interface_table.h"
#include "units/unit_list.h"

namespace {

constexpr size_t kDevicePrefixLength = 4;   // "\\.\" in front of every device path

struct InterfaceType {
    uint32_t number;
    const char* name;
};

constexpr InterfaceType kInterfaceTypes[] = {
    {1, "Other"}, {6, "Ethernet"}, {9, "Tokenring"}, {15, "FDDI"},
    {23, "PPP"},  {24, "Loopback"}, {28, "SLIP"},
};

// Stable tray ids lie far above the numbered ones (100 + at most a few
// hundred Units) and stay positive 32-bit numbers.
constexpr uint32_t kStableTrayIdBase = 0x10000;
constexpr uint32_t kStableTrayIdSpan = 0x40000000;

// Discovery's working state: the list so far.
struct Discovery {
    Os& os;
    Unit* list = nullptr;
};

template <class Visit>
void WalkRealUnits(Unit* list, Visit visit) {
    WalkForward(list, [&](Unit& unit) {
        if (unit.prev != nullptr) visit(unit);
    });
}

// The real Unit without a tray id whose name comes first in byte order; null
// when every one has an id.
Unit* FirstUnnumberedByName(Unit* list) {
    Unit* first = nullptr;
    WalkRealUnits(list, [&](Unit& unit) {
        if (unit.trayId == 0 && (first == nullptr || std::strcmp(unit.name, first->name) < 0)) first = &unit;
    });
    return first;
}

bool TrayIdTaken(Unit* list, int32_t id) {
    bool taken = false;
    WalkRealUnits(list, [&](Unit& unit) { taken = taken || unit.trayId == id; });
    return taken;
}

// Appends a record; on an exhausted heap the whole list is released, so that
// nothing is ever written into the previous record.
Unit* NewUnit(Discovery& d) {
    if (AppendUnit(&d.list) == 0) {
        FreeUnitList(d.list);
        d.list = nullptr;
        return nullptr;
    }
    return d.list;
}

bool AddPhysicalDrives(Discovery& d) {
    char path[kPathLength];
    for (int n = 0; n < 255; ++n) {
        std::snprintf(path, sizeof path, "\\\\.\\PHYSICALDRIVE%d", n);
        if (!ProbeDevice(d.os, path)) continue;
        Unit* unit = NewUnit(d);
        if (unit == nullptr) return false;
        std::snprintf(unit->name, sizeof unit->name, "%s", path);
        unit->kind = d.os.QueryDriveType(path + kDevicePrefixLength);
        unit->dirty = 1;
    }
    return true;
}

bool AddDriveLetters(Discovery& d) {
    char path[kPathLength];
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        std::snprintf(path, sizeof path, "\\\\.\\%c:", letter);
        if (!ProbeDevice(d.os, path)) continue;
        Unit* unit = NewUnit(d);
        if (unit == nullptr) return false;
        std::snprintf(unit->name, sizeof unit->name, "%s", path);
        unit->kind = d.os.QueryDriveType(path + kDevicePrefixLength);
        ReadVolumeInfo(d.os, path, *unit);
        if (unit->kind != DRIVE_FIXED) unit->hidden = 1;
        unit->dirty = 1;
    }
    return true;
}

bool AddProcessorsAndMemory(Discovery& d, uint32_t processorCount) {
    uint32_t count = processorCount < kMaxProcessors ? processorCount : kMaxProcessors;
    for (uint32_t j = 0; j < count; ++j) {
        Unit* unit = NewUnit(d);
        if (unit == nullptr) return false;
        if (processorCount > 1)
            std::snprintf(unit->name, sizeof unit->name, "CPU #%u Usage", static_cast<unsigned>(j));
        else
            std::snprintf(unit->name, sizeof unit->name, "CPU Usage");
        unit->kind = UNIT_CPU;
        unit->dirty = 1;
        unit->cpuIndex = j;
    }
    const struct { const char* name; uint32_t kind; } memories[] = {
        {"RAM Usage", UNIT_RAM}, {"VRAM Usage", UNIT_VRAM}};
    for (const auto& memory : memories) {
        Unit* unit = NewUnit(d);
        if (unit == nullptr) return false;
        std::snprintf(unit->name, sizeof unit->name, "%s", memory.name);
        unit->kind = memory.kind;
        unit->dirty = 1;
    }
    return true;
}

bool AddInterfaceRow(Discovery& d, const IfRow& row, uint32_t k) {
    Unit* unit = NewUnit(d);
    if (unit == nullptr) return false;
    std::memset(unit->label, 0, sizeof unit->label);
    size_t length = row.dwDescrLen < kInterfaceDescriptionLength ? row.dwDescrLen
                                                                 : kInterfaceDescriptionLength;
    std::memcpy(unit->label, row.bDescr, length);
    std::snprintf(unit->fileSystem, sizeof unit->fileSystem, "%s", InterfaceTypeName(row.dwType));
    std::snprintf(unit->name, sizeof unit->name, "NIC #%u Usage", static_cast<unsigned>(k));
    unit->kind = UNIT_NIC;
    unit->dirty = 1;
    unit->nicIndex = static_cast<int32_t>(k);
    return true;
}

// Answers the exit code when the process must end, 0 otherwise. A table that
// cannot be fetched once its size is known leaves the machine without
// network Units; the program runs on.
int AddNetworkInterfaces(Discovery& d) {
    InterfaceTable table;
    if (table.Fetch(d.os) == TableFetch::Refused) return kDiscoveryExitCode;
    for (uint32_t k = 0; k < table.Rows(); ++k)
        if (!AddInterfaceRow(d, table.Row(k), k)) return kDiscoveryExitCode;
    return 0;
}

}  // namespace

bool ProbeDevice(Os& os, const char* path) {
    DeviceHandle device = os.OpenDevice(path);
    if (device == nullptr) return false;
    os.CloseDevice(device);
    return true;
}

void ReadVolumeInfo(Os& os, const char* path, Unit& unit) {
    char root[kPathLength];
    std::snprintf(root, sizeof root, "%s\\", path + kDevicePrefixLength);
    char volumeName[kPathLength] = {};
    char fileSystemName[kPathLength] = {};
    if (!os.QueryVolumeInformation(root, volumeName, fileSystemName)) {
        std::snprintf(unit.label, sizeof unit.label, "N/A");
        std::snprintf(unit.fileSystem, sizeof unit.fileSystem, "N/A");
        return;
    }
    // The platform fills both buffers; cut them anyway in case it does not.
    volumeName[kPathLength - 1] = '\0';
    fileSystemName[kPathLength - 1] = '\0';
    std::snprintf(unit.label, sizeof unit.label, "%s", volumeName);
    std::snprintf(unit.fileSystem, sizeof unit.fileSystem, "%s", fileSystemName);
}

const char* InterfaceTypeName(uint32_t type) {
    for (const InterfaceType& known : kInterfaceTypes)
        if (known.number == type) return known.name;
    return "Unknown";
}

int DiscoverUnits(Os& os, Unit** list, const GlobalOptions& options) {
    *list = nullptr;
    Discovery d{os};
    Unit* start = NewUnit(d);
    if (start == nullptr) return kDiscoveryExitCode;
    start->hidden = 1;

    if (!AddPhysicalDrives(d) || !AddDriveLetters(d) ||
        !AddProcessorsAndMemory(d, options.ProcessorCount))
        return kDiscoveryExitCode;
    int exitCode = AddNetworkInterfaces(d);
    if (exitCode == 0) {
        Unit* end = NewUnit(d);
        if (end == nullptr) return kDiscoveryExitCode;
        end->hidden = 1;
        *list = end;
        AssignTrayIds(end, options);
        return 0;
    }
    FreeUnitList(d.list);
    return exitCode;
}

int32_t StableTrayId(const char* name) {
    uint32_t hash = 2166136261u;   // FNV-1a over the name's bytes
    for (const char* c = name; *c != '\0'; ++c) hash = (hash ^ static_cast<uint8_t>(*c)) * 16777619u;
    return static_cast<int32_t>(kStableTrayIdBase + hash % kStableTrayIdSpan);
}

void AssignTrayIds(Unit* list, const GlobalOptions& options) {
    int32_t next = kFirstTrayId;
    WalkRealUnits(list, [&](Unit& unit) { unit.trayId = options.StableTrayIds != 0 ? 0 : next++; });
    if (options.StableTrayIds == 0) return;
    // In name order, each takes its name's id or, when a name before it took
    // that, the next free one above it: the result depends on the names
    // alone, not on the order in which they were found.
    for (Unit* unit = FirstUnnumberedByName(list); unit != nullptr; unit = FirstUnnumberedByName(list)) {
        uint32_t offset = static_cast<uint32_t>(StableTrayId(unit->name)) - kStableTrayIdBase;
        while (TrayIdTaken(list, static_cast<int32_t>(kStableTrayIdBase + offset)))
            offset = (offset + 1) % kStableTrayIdSpan;
        unit->trayId = static_cast<int32_t>(kStableTrayIdBase + offset);
    }
}
