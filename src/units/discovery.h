#pragma once
// Unit discovery: builds the list of every Unit of this machine once, at
// start-up, before the settings are read.
#include "platform/os.h"
#include "units/global_options.h"
#include "units/unit.h"

constexpr int kDiscoveryExitCode = 1;   // the process ends with this when discovery fails
constexpr size_t kInterfaceDescriptionLength = 26;

// Builds a new list: start marker, physical drives, drive letters C..Z,
// processors (at most kMaxProcessors), RAM, VRAM, network interfaces, end
// marker, numbered from 100 in that order. On success *list receives the end
// marker and the answer is 0.
// Otherwise the answer is the exit code the process must end with
// (kDiscoveryExitCode), *list is null and nothing is left allocated.
int DiscoverUnits(Os& os, Unit** list, const GlobalOptions& options);

// Gives every real Unit its tray id: 100, 101, ... in list order, or with
// StableTrayIds one derived from its name (StableTrayId, or the next free one
// above it when a name that sorts before took that). Never 0, the single
// icon's. Call only while no per-unit icon is in the tray.
void AssignTrayIds(Unit* list, const GlobalOptions& options);

// The tray id a Unit of this name takes with StableTrayIds when no other name
// took it first: the same on every start, far above the numbered ids.
int32_t StableTrayId(const char* name);

// True when the device path can be opened (without access rights).
bool ProbeDevice(Os& os, const char* path);

// Reads the volume label and file system name of a "\\.\X:" device path into
// the Unit's label and fileSystem; both read "N/A" when the volume cannot be read.
void ReadVolumeInfo(Os& os, const char* path, Unit& unit);

// The stored name of an interface type number ("Ethernet", ..., "Unknown").
const char* InterfaceTypeName(uint32_t type);
