#pragma once
// The settings file "Blinkwatch.ini" beside the executable: section
// GENERALOPTIONS for the global options and one section per Unit, named by the
// Unit's name. Read once while the dialog initialises, written on "Apply".
#include <cstdint>

#include "platform/os.h"
#include "shell/global_options.h"
#include "units/unit.h"

constexpr char kSettingsFileName[] = "Blinkwatch.ini";
constexpr char kGeneralSection[] = "GENERALOPTIONS";
constexpr uint32_t kSettingValueLength = 64;   // values are read as at most 63 characters

// Reads every global option, every Unit's settings (start marker included, end
// marker excluded) and the saved dialog rectangle from the file at
// options->SettingsPath; whatever is missing or unreadable takes its default.
// *currentUnit may point at any element of the list and is not changed; a
// null list loads the global options only. Without a settings path only the
// defaults are loaded. Returns 0.
int LoadSettings(Os& os, Unit** currentUnit, GlobalOptions* options);

// Writes every global option, every Unit's section and the normal rectangle
// of options->DialogWindow (the rectangle last loaded when the window's
// placement cannot be read). Write failures are ignored; without a settings
// path nothing is written. Returns 0.
int SaveSettings(Os& os, Unit** currentUnit, const GlobalOptions* options);

// The value rules, on text as the profile returns it.
// yes/no: false only for "no" in any letter case; anything else, empty
// included, is true.
bool ParseYesNo(const char* text);
// number: optional blanks, an optional sign, then the leading decimal digits,
// taken modulo 2^32; no digits read as 0. Answers the 32-bit pattern.
uint32_t ParseNumber(const char* text);
