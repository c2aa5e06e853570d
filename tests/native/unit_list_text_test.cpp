// The cells as the list view shows them are pinned through the dialog in
// tests/wine/dialog_test.cpp; here every kind, the edges and the bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/unit_list_text.h"

namespace {

std::string Fill(const Unit& unit, int column) { return FillCellText(unit, column).data(); }
std::string Refresh(const Unit& unit, int column) { return RefreshCellText(unit, column).data(); }

}  // namespace

TEST(UnitListText, TypeTextsByKind) {
    const struct { uint32_t kind; const char* text; } cases[] = {
        {0, "Drive: Unknown"}, {1, "Drive: No Root"}, {2, "Drive: Removable"}, {3, "Drive: Fixed"},
        {4, "Drive: Remote"}, {5, "Drive: CD-ROM"}, {6, "Drive: RAM-Disk"}, {4095, "Extension"},
        {4096, "Extension"}, {4097, "Extension"}, {4098, "Network"}, {7, "???"},
        {4094, "???"}, {4099, "???"}, {0xFFFFFFFFu, "???"},
    };
    for (const auto& c : cases) EXPECT_STREQ(c.text, UnitTypeText(c.kind)) << "kind " << c.kind;
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
        Unit unit{};
        unit.kind = c.kind;
        unit.value = c.value;
        EXPECT_EQ(c.fill, Fill(unit, kColumnFree)) << "kind " << c.kind << " value " << c.value;
        EXPECT_EQ(c.refresh, Refresh(unit, kColumnFree)) << "kind " << c.kind << " value " << c.value;
    }
}

TEST(UnitListText, CellsHoldAtMost63CharactersAndOtherColumnsAreEmpty) {
    Unit unit{};
    std::memset(unit.name, 'n', sizeof unit.name);   // no terminator at all
    std::memset(unit.label, 'l', sizeof unit.label - 1);
    std::memset(unit.fileSystem, 'f', 63);
    EXPECT_EQ(std::string(63, 'n'), Fill(unit, kColumnUnit));
    EXPECT_EQ(std::string(63, 'l'), Fill(unit, kColumnVolume));
    EXPECT_EQ(std::string(63, 'f'), Fill(unit, kColumnFileSystem));
    for (int column : {-1, 7}) EXPECT_EQ("", Fill(unit, column)) << "column " << column;
    for (int column : {kColumnUnit, kColumnType, kColumnTray, kColumnVolume, kColumnFileSystem, 9})
        EXPECT_EQ("", Refresh(unit, column)) << "column " << column;
}
