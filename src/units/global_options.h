#pragma once
// The process-wide record of the global options. One zero-initialised
// instance lives as long as the program; every reader takes the field it
// needs when it needs it, so a change acts at the next tick. Option fields
// carry the names of their settings keys.
#include <cstdint>

#include "platform/os.h"

// MeterStyle: the load meters as a bar (the default) or as a graph of their last samples.
constexpr int32_t kMeterBar = 0;
constexpr int32_t kMeterGraph = 1;

struct GlobalOptions {
    int32_t StartWithOs;            // start at log-on (the Run value)
    int32_t Startwithosdelay;       // seconds before a start-up launch monitors, 1..300
    char SettingsPath[kPathLength]; // full path of the settings file; empty when unknown
    uint32_t Pollinterval;          // ms between activity polls, 25..10000
    uint32_t Pollintervalmeters;    // ms between processor samples, 25..50000
    int32_t AlternativeIcons;
    int32_t SingleIconMode;
    int32_t KeyboardLED;
    int32_t Staticicon;
    int32_t ShowCPUUsage;           // only carried through the settings file
    uint32_t ProcessorCount;        // from the platform, before discovery
    int32_t ShowCPUUsageMulti;      // one meter per processor instead of the total
    int32_t ShowFreeMem;            // only carried through the settings file
    int32_t Color_cpu_dynamic;      // the CPU meter's colour follows the load
    uint8_t Color_cpu_red;
    uint8_t Color_cpu_green;
    uint8_t Color_cpu_blue;
    uint8_t Color_ram_red;
    uint8_t Color_ram_green;
    uint8_t Color_ram_blue;
    uint8_t Color_vram_red;
    uint8_t Color_vram_green;
    uint8_t Color_vram_blue;
    uint8_t Color_background_red;
    uint8_t Color_background_green;
    uint8_t Color_background_blue;
    int32_t WindowPosTop;           // the dialog's normal rectangle, as last saved
    int32_t WindowPosLeft;
    int32_t WindowPosRight;
    int32_t WindowPosBottom;
    // Options a user adds to the file by hand; read, never written.
    int32_t MeterStyle;             // kMeterBar or kMeterGraph
    int32_t StableTrayIds;          // tray ids follow the Units' names, not their order
    int32_t IconSize;               // kIconSizeAuto or 0
};

// IconSize: every icon made at the taskbar's small-icon size. Otherwise the
// icon resources are used as they load.
constexpr int32_t kIconSizeAuto = 1;
