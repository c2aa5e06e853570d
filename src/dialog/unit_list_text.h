#pragma once
// The texts of the dialog's unit list: column titles, the type of each kind
// of Unit and the text of every cell, both when the list is filled and when its
// changing columns are refreshed. Pure functions of a Unit, so they are the
// same on every platform.
#include <array>
#include <cstddef>
#include <cstdint>

#include "units/unit.h"

// Every cell of the list holds at most 63 characters.
constexpr size_t kCellLength = 64;
using CellText = std::array<char, kCellLength>;

constexpr int kUnitListColumnCount = 7;
constexpr int kColumnUnit = 0;
constexpr int kColumnType = 1;
constexpr int kColumnFree = 2;
constexpr int kColumnTray = 3;
constexpr int kColumnVolume = 4;
constexpr int kColumnFileSystem = 5;
constexpr int kColumnPort = 6;

constexpr std::array<const char*, kUnitListColumnCount> kUnitListColumnTitles = {
    "Unit", "Type", "Free %", "Tray", "Volumename", "Filesystem", "Port 0x378"};

// "Drive: Fixed", "Extension", "Network", ... ; "???" for an unknown kind.
const char* UnitTypeText(uint32_t kind);

// True for the Units whose value is a load (processors, memory, interfaces).
bool IsLoadUnit(uint32_t kind);

// The text a cell receives when the list is filled. Column 2 shows `value`
// as it is, whatever the kind. A column outside 0..6 gives an empty text.
CellText FillCellText(const Unit& unit, int column);

// The text a cell receives at a refresh: column 2 shows the free share (100
// minus the load) of load Units and `value` of drives, column 6 the port
// state. Only those two columns are refreshed; any other column gives an
// empty text.
CellText RefreshCellText(const Unit& unit, int column);

// The percentage that column 2 shows at a refresh.
int64_t RefreshedFreePercent(const Unit& unit);
