#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/unit_list_text.h"

namespace {

Unit MakeUnit(const char* name, uint32_t kind, int32_t value) {
    Unit unit{};
    std::snprintf(unit.name, sizeof unit.name, "%s", name);
    unit.kind = kind;
    unit.value = value;
    unit.showInTray = 1;
    return unit;
}

std::string Fill(const Unit& unit, int column) { return FillCellText(unit, column).data(); }
std::string Refresh(const Unit& unit, int column) { return RefreshCellText(unit, column).data(); }

}  // namespace

TEST(UnitListText, TypeTextsByKind) {
    const struct { uint32_t kind; const char* text; } cases[] = {
        {0, "Drive: Unknown"},   {1, "Drive: No Root"}, {2, "Drive: Removable"},
        {3, "Drive: Fixed"},     {4, "Drive: Remote"},  {5, "Drive: CD-ROM"},
        {6, "Drive: RAM-Disk"},  {4095, "Extension"},   {4096, "Extension"},
        {4097, "Extension"},     {4098, "Network"},     {7, "???"},
        {4094, "???"},           {4099, "???"},         {0xFFFFFFFFu, "???"},
    };
    for (const auto& c : cases) EXPECT_STREQ(c.text, UnitTypeText(c.kind)) << "kind " << c.kind;
}

TEST(UnitListText, ColumnTitlesInOrder) {
    const char* expected[] = {"Unit", "Type", "Free %", "Tray", "Volumename", "Filesystem", "Port 0x378"};
    ASSERT_EQ(7, kUnitListColumnCount);
    for (int k = 0; k < kUnitListColumnCount; ++k) EXPECT_STREQ(expected[k], kUnitListColumnTitles[k]) << k;
}

TEST(UnitListText, FillCellsOfADrive) {
    Unit c = MakeUnit("\\\\.\\C:", DRIVE_FIXED, 42);
    std::snprintf(c.label, sizeof c.label, "System");
    std::snprintf(c.fileSystem, sizeof c.fileSystem, "NTFS");
    EXPECT_EQ("\\\\.\\C:", Fill(c, kColumnUnit));
    EXPECT_EQ("Drive: Fixed", Fill(c, kColumnType));
    EXPECT_EQ("42%", Fill(c, kColumnFree));
    EXPECT_EQ("Yes", Fill(c, kColumnTray));
    EXPECT_EQ("System", Fill(c, kColumnVolume));
    EXPECT_EQ("NTFS", Fill(c, kColumnFileSystem));
    EXPECT_EQ("No", Fill(c, kColumnPort));

    c.showInTray = 0;
    c.parallelPortEnabled = 1;
    c.value = -1;   // free space unknown
    EXPECT_EQ("No", Fill(c, kColumnTray));
    EXPECT_EQ("0x378", Fill(c, kColumnPort));
    EXPECT_EQ("-1%", Fill(c, kColumnFree));
    EXPECT_EQ("", Fill(c, 7));
    EXPECT_EQ("", Fill(c, -1));
}

TEST(UnitListText, FreeColumnIsRawAtFillAndTheFreeShareOfLoadsAtRefresh) {
    const struct { uint32_t kind; int32_t value; const char* fill; const char* refresh; } cases[] = {
        {UNIT_CPU, 30, "30%", "70%"},   {UNIT_RAM, 0, "0%", "100%"},
        {UNIT_VRAM, 100, "100%", "0%"}, {UNIT_NIC, 0, "0%", "100%"},
        {DRIVE_FIXED, 55, "55%", "55%"}, {DRIVE_NO_ROOT_DIR, -1, "-1%", "-1%"},
        {DRIVE_UNKNOWN, 7, "7%", "7%"},
        // A stored value far outside 0..100 still formats without overflow.
        {UNIT_CPU, INT32_MIN, "-2147483648%", "2147483748%"},
    };
    for (const auto& c : cases) {
        Unit unit = MakeUnit("u", c.kind, c.value);
        EXPECT_EQ(c.fill, Fill(unit, kColumnFree)) << "kind " << c.kind << " value " << c.value;
        EXPECT_EQ(c.refresh, Refresh(unit, kColumnFree)) << "kind " << c.kind << " value " << c.value;
    }
}

TEST(UnitListText, RefreshWritesOnlyTheFreeAndPortColumns) {
    Unit unit = MakeUnit("NIC #0 Usage", UNIT_NIC, 25);
    std::snprintf(unit.label, sizeof unit.label, "eth0");
    EXPECT_EQ("No", Refresh(unit, kColumnPort));
    unit.parallelPortEnabled = 1;
    EXPECT_EQ("0x378", Refresh(unit, kColumnPort));
    for (int column : {kColumnUnit, kColumnType, kColumnTray, kColumnVolume, kColumnFileSystem, 9})
        EXPECT_EQ("", Refresh(unit, column)) << "column " << column;
}

TEST(UnitListText, CellsHoldAtMost63Characters) {
    Unit unit{};
    std::memset(unit.name, 'n', sizeof unit.name);        // no terminator at all
    std::memset(unit.label, 'l', sizeof unit.label - 1);
    std::string sixtyThree(63, 'f');
    std::snprintf(unit.fileSystem, sizeof unit.fileSystem, "%s", sixtyThree.c_str());
    EXPECT_EQ(std::string(63, 'n'), Fill(unit, kColumnUnit));
    EXPECT_EQ(std::string(63, 'l'), Fill(unit, kColumnVolume));
    EXPECT_EQ(sixtyThree, Fill(unit, kColumnFileSystem));
}
