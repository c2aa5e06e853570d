#include "dialog/unit_list_text.h"

#include <cstdio>

namespace {

struct KindText {
    uint32_t kind;
    const char* text;
};

constexpr std::array<KindText, 11> kKindTexts = {{
    {DRIVE_UNKNOWN, "Drive: Unknown"},
    {DRIVE_NO_ROOT_DIR, "Drive: No Root"},
    {DRIVE_REMOVABLE, "Drive: Removable"},
    {DRIVE_FIXED, "Drive: Fixed"},
    {DRIVE_REMOTE, "Drive: Remote"},
    {DRIVE_CDROM, "Drive: CD-ROM"},
    {DRIVE_RAMDISK, "Drive: RAM-Disk"},
    {UNIT_CPU, "Extension"},
    {UNIT_RAM, "Extension"},
    {UNIT_VRAM, "Extension"},
    {UNIT_NIC, "Network"},
}};

// Copies `text` into a cell, cut to the cell's 63 characters. The precision
// also keeps the read inside a full 260-character field.
CellText Cell(const char* text) {
    CellText cell{};
    std::snprintf(cell.data(), cell.size(), "%.*s", static_cast<int>(kCellLength - 1), text);
    return cell;
}

CellText PercentCell(int64_t percent) {
    CellText cell{};
    std::snprintf(cell.data(), cell.size(), "%lld%%", static_cast<long long>(percent));
    return cell;
}

const char* PortText(const Unit& unit) { return unit.parallelPortEnabled != 0 ? "0x378" : "No"; }

}  // namespace

const char* UnitTypeText(uint32_t kind) {
    for (const KindText& entry : kKindTexts)
        if (entry.kind == kind) return entry.text;
    return "???";
}

bool IsLoadUnit(uint32_t kind) {
    return kind == UNIT_CPU || kind == UNIT_RAM || kind == UNIT_VRAM || kind == UNIT_NIC;
}

int64_t RefreshedFreePercent(const Unit& unit) {
    // 64-bit, so that no stored value can overflow the subtraction.
    if (IsLoadUnit(unit.kind)) return 100 - static_cast<int64_t>(unit.value);
    return unit.value;
}

CellText FillCellText(const Unit& unit, int column) {
    switch (column) {
    case kColumnUnit: return Cell(unit.name);
    case kColumnType: return Cell(UnitTypeText(unit.kind));
    case kColumnFree: return PercentCell(unit.value);
    case kColumnTray: return Cell(unit.showInTray != 0 ? "Yes" : "No");
    case kColumnVolume: return Cell(unit.label);
    case kColumnFileSystem: return Cell(unit.fileSystem);
    case kColumnPort: return Cell(PortText(unit));
    default: return Cell("");
    }
}

CellText RefreshCellText(const Unit& unit, int column) {
    if (column == kColumnFree) return PercentCell(RefreshedFreePercent(unit));
    if (column == kColumnPort) return Cell(PortText(unit));
    return Cell("");
}
