#include "settings/settings_file.h"

#include <cstdio>
#include <cstring>

#include "platform/ascii.h"
#include "units/unit_list.h"

namespace {

enum class ValueKind { YesNo, Number, Byte };

// Every global option except the window rectangle, in the order written.
template <class Options, class Visit>
void VisitGeneralOptions(Options& o, Visit visit) {
    visit("StartWithOs", ValueKind::YesNo, "No", o.StartWithOs);
    visit("AlternativeIcons", ValueKind::YesNo, "Yes", o.AlternativeIcons);
    visit("Pollinterval", ValueKind::Number, "100", o.Pollinterval);
    visit("Pollintervalmeters", ValueKind::Number, "1500", o.Pollintervalmeters);
    visit("Startwithosdelay", ValueKind::Number, "1", o.Startwithosdelay);
    visit("ShowCPUUsage", ValueKind::YesNo, "No", o.ShowCPUUsage);
    visit("ShowCPUUsageMulti", ValueKind::YesNo, "No", o.ShowCPUUsageMulti);
    visit("ShowFreeMem", ValueKind::YesNo, "No", o.ShowFreeMem);
    visit("SingleIconMode", ValueKind::YesNo, "No", o.SingleIconMode);
    visit("KeyboardLED", ValueKind::YesNo, "No", o.KeyboardLED);
    visit("Staticicon", ValueKind::YesNo, "No", o.Staticicon);
    visit("Color_cpu_dynamic", ValueKind::YesNo, "Yes", o.Color_cpu_dynamic);
    visit("Color_cpu_red", ValueKind::Byte, "16", o.Color_cpu_red);
    visit("Color_cpu_green", ValueKind::Byte, "128", o.Color_cpu_green);
    visit("Color_cpu_blue", ValueKind::Byte, "16", o.Color_cpu_blue);
    visit("Color_ram_red", ValueKind::Byte, "64", o.Color_ram_red);
    visit("Color_ram_green", ValueKind::Byte, "64", o.Color_ram_green);
    visit("Color_ram_blue", ValueKind::Byte, "255", o.Color_ram_blue);
    visit("Color_vram_red", ValueKind::Byte, "228", o.Color_vram_red);
    visit("Color_vram_green", ValueKind::Byte, "128", o.Color_vram_green);
    visit("Color_vram_blue", ValueKind::Byte, "16", o.Color_vram_blue);
    visit("Color_background_red", ValueKind::Byte, "64", o.Color_background_red);
    visit("Color_background_green", ValueKind::Byte, "0", o.Color_background_green);
    visit("Color_background_blue", ValueKind::Byte, "64", o.Color_background_blue);
}

// The dialog's normal rectangle, read after everything else and written last.
template <class Options, class Visit>
void VisitWindowRect(Options& o, Visit visit) {
    visit("WindowPosTop", ValueKind::Number, "100", o.WindowPosTop);
    visit("WindowPosLeft", ValueKind::Number, "100", o.WindowPosLeft);
    visit("WindowPosRight", ValueKind::Number, "630", o.WindowPosRight);
    visit("WindowPosBottom", ValueKind::Number, "510", o.WindowPosBottom);
}

// A Unit's keys in the order written. A null default marks a key that is
// written but never read: "ParallelPortSeparateRW" repeats the port switch.
template <class UnitRecord, class Visit>
void VisitUnitOptions(UnitRecord& u, Visit visit) {
    visit("Enabled", ValueKind::YesNo, "No", u.enabled);
    visit("Trayicon", ValueKind::YesNo, "Yes", u.showInTray);
    visit("ParallelPortMonitorEnabled", ValueKind::YesNo, "No", u.parallelPortEnabled);
    visit("ParallelPortSeparateRW", ValueKind::YesNo, nullptr, u.parallelPortEnabled);
    visit("ParallelPortReadMask", ValueKind::Byte, "0x0", u.parallelPortReadMask);
    visit("ParallelPortWriteMask", ValueKind::Byte, "0x0", u.parallelPortWriteMask);
}

// The settings file's path, or null when none is known (empty or not
// terminated): the file is never looked for anywhere else.
const char* SettingsFile(const GlobalOptions& options) {
    const char* path = options.SettingsPath;
    if (std::memchr(path, '\0', sizeof options.SettingsPath) == nullptr || path[0] == '\0')
        return nullptr;
    return path;
}

uint32_t Interpret(ValueKind kind, const char* text) {
    if (kind == ValueKind::YesNo) return ParseYesNo(text) ? 1u : 0u;
    return ParseNumber(text) & (kind == ValueKind::Byte ? 0xFFu : 0xFFFFFFFFu);
}

// Reads one key into its field; the default stands in for a missing file.
template <class Field>
void LoadValue(Os& os, const char* file, const char* section, const char* key, ValueKind kind,
               const char* fallback, Field& field) {
    if (fallback == nullptr) return;
    char text[kSettingValueLength] = {};
    if (file != nullptr)
        os.ReadProfileValue(section, key, fallback, text, sizeof text, file);
    else
        std::snprintf(text, sizeof text, "%s", fallback);
    text[sizeof text - 1] = '\0';
    // The field takes the 32-bit pattern: a value written from a negative
    // field reads back as the same negative value.
    field = static_cast<Field>(Interpret(kind, text));
}

template <class Field>
bool SaveValue(Os& os, const char* file, const char* section, const char* key, ValueKind kind,
               const Field& field) {
    char text[16];
    if (kind == ValueKind::YesNo)
        std::snprintf(text, sizeof text, "%s", field != 0 ? "Yes" : "No");
    else
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(static_cast<uint32_t>(field)));
    return os.WriteProfileValue(section, key, text, file);
}

}  // namespace

bool ParseYesNo(const char* text) {
    // Values are compared lower-cased; only ASCII letters change case, so
    // bytes of other code pages never match "no".
    return !(LowerAscii(text[0]) == 'n' && LowerAscii(text[1]) == 'o' && text[2] == '\0');
}

uint32_t ParseNumber(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    uint32_t value = 0;   // unsigned, so that long digit runs wrap instead of overflowing
    for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
    return negative ? 0u - value : value;
}

bool BuildPathBesideProgram(Os& os, const char* fileName, char (&path)[kPathLength]) {
    char module[kPathLength];
    path[0] = '\0';
    if (!os.QueryModulePath(module)) return false;
    // The folder is everything up to the last backslash, which stays.
    const char* lastSlash = std::strrchr(module, '\\');
    int folder = lastSlash != nullptr ? static_cast<int>(lastSlash - module) + 1 : 0;
    size_t length = std::snprintf(path, sizeof path, "%.*s%s", folder, module, fileName);
    if (length < sizeof path) return true;
    path[0] = '\0';
    return false;
}

void BuildSettingsPath(Os& os, GlobalOptions& options) {
    BuildPathBesideProgram(os, kSettingsFileName, options.SettingsPath);
}

void LoadSettings(Os& os, Unit* list, GlobalOptions& options) {
    const char* file = SettingsFile(options);
    const char* section = kGeneralSection;
    auto load = [&](const char* key, ValueKind kind, const char* fallback, auto& field) {
        LoadValue(os, file, section, key, kind, fallback, field);
    };
    VisitGeneralOptions(options, load);
    WalkForward(list, [&](Unit& unit) {
        section = unit.name;
        VisitUnitOptions(unit, load);
    });
    section = kGeneralSection;
    VisitWindowRect(options, load);
    LoadIconSizeOption(os, options);
}

void LoadIconSizeOption(Os& os, GlobalOptions& options) {
    const char* file = SettingsFile(options);
    char text[kSettingValueLength] = {};
    if (file != nullptr) os.ReadProfileValue(kGeneralSection, "IconSize", "32", text, sizeof text, file);
    text[sizeof text - 1] = '\0';
    for (char& c : text) c = LowerAscii(c);
    options.IconSize = std::strcmp(text, "auto") == 0 ? kIconSizeAuto : 0;
}

SaveResult SaveSettings(Os& os, Unit* list, const GlobalOptions& options) {
    const char* file = SettingsFile(options);
    if (file == nullptr) return SaveResult::NothingWritten;
    const char* section = kGeneralSection;
    SaveResult result = SaveResult::Saved;
    bool first = true;
    auto save = [&](const char* key, ValueKind kind, const char*, const auto& field) {
        // The first failure ends the save: the file cannot be written now.
        if (result == SaveResult::Saved && !SaveValue(os, file, section, key, kind, field))
            result = first ? SaveResult::NothingWritten : SaveResult::PartlyWritten;
        first = false;
    };
    VisitGeneralOptions(options, save);
    WalkForward(list, [&](Unit& unit) {
        section = unit.name;
        VisitUnitOptions(unit, save);
    });
    section = kGeneralSection;
    VisitWindowRect(options, save);
    return result;
}
