#pragma once
// The settings file "Blinkwatch.ini" beside the executable: section
// GENERALOPTIONS for the global options and one section per Unit, named by the
// Unit's name. Read once while the dialog initialises, written on "Apply".
#include <cstdint>

#include "platform/os.h"
#include "units/global_options.h"
#include "units/unit.h"

constexpr char kSettingsFileName[] = "Blinkwatch.ini";
constexpr char kGeneralSection[] = "GENERALOPTIONS";
constexpr uint32_t kSettingValueLength = 64;   // values are read as at most 63 characters

// path := the executable's folder with `fileName` in it. False, with an empty
// path, when the executable's path cannot be read or the result would not fit.
bool BuildPathBesideProgram(Os& os, const char* fileName, char (&path)[kPathLength]);

// options.SettingsPath := kSettingsFileName beside the executable; empty when
// that cannot be had, so that the file is never looked for anywhere else.
void BuildSettingsPath(Os& os, GlobalOptions& options);

// Reads every global option, every Unit's settings (start marker included, end
// marker excluded) and the saved dialog rectangle from the file at
// options.SettingsPath; whatever is missing or unreadable takes its default.
// `list` may point at any element of the list, or be null to load the global
// options only. Without a settings path only the defaults are loaded.
void LoadSettings(Os& os, Unit* list, GlobalOptions& options);

// options.IconSize := kIconSizeAuto when the file's IconSize reads "Auto" in
// any letter case, else 0. A key only ever added by hand: the save leaves it
// as the user wrote it. LoadSettings reads it too.
void LoadIconSizeOption(Os& os, GlobalOptions& options);

// Writes every global option, every Unit's section (not the start marker's,
// whose name is empty) and the dialog rectangle into the file at
// options.SettingsPath, replacing the file in one step: a new file with the
// whole text is written beside it and renamed over it. Everything else in the
// file is kept as it was. Whatever fails or ends the program on the way, the
// file is the old one or the new one, whole; a failure leaves it as it was.
// A file that another program holds open is tried again a few times.
FileResult SaveSettings(Os& os, Unit* list, const GlobalOptions& options);

// The value rules, on text as the profile returns it.
// yes/no: false only for "no" in any letter case; anything else, empty
// included, is true.
bool ParseYesNo(const char* text);
// number: optional blanks, an optional sign, then the leading decimal digits,
// taken modulo 2^32; no digits read as 0. Answers the 32-bit pattern.
uint32_t ParseNumber(const char* text);
