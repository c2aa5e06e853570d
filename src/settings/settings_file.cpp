#include "settings/settings_file.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/ascii.h"
#include "settings/ini_text.h"
#include "units/unit_list.h"

namespace {

constexpr int kSaveAttempts = 5;            // while another program holds the file open,
constexpr uint32_t kSaveRetryPause = 100;   // ms between the attempts
// The new file, written beside the old one; one that a crash left is
// overwritten by the next save and never read.
constexpr char kNewFileSuffix[] = ".new";

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

// A key of GENERALOPTIONS that is on only when its value is `word` (lower
// case) in any letter case; missing, empty or anything else is off.
bool GeneralValueIs(Os& os, const char* file, const char* key, const char* word) {
    char text[kSettingValueLength] = {};
    if (file != nullptr) os.ReadProfileValue(kGeneralSection, key, "", text, sizeof text, file);
    text[sizeof text - 1] = '\0';
    size_t i = 0;
    while (word[i] != '\0' && LowerAscii(text[i]) == word[i]) ++i;
    return word[i] == '\0' && text[i] == '\0';
}

// The options a user adds by hand. They are read, never written: Apply keeps
// them as the user wrote them.
void LoadHandAddedOptions(Os& os, const char* file, GlobalOptions& options) {
    options.MeterStyle = GeneralValueIs(os, file, "MeterStyle", "graph") ? kMeterGraph : kMeterBar;
    options.StableTrayIds = GeneralValueIs(os, file, "StableTrayIds", "yes") ? 1 : 0;
}

template <class Field>
IniEntry Entry(const char* section, const char* key, ValueKind kind, const Field& field) {
    IniEntry entry{section, key, {}};
    if (kind == ValueKind::YesNo)
        std::snprintf(entry.value, sizeof entry.value, "%s", field != 0 ? "Yes" : "No");
    else
        std::snprintf(entry.value, sizeof entry.value, "%u", static_cast<unsigned>(static_cast<uint32_t>(field)));
    return entry;
}

// Every key the program writes, in the order written, into `entries` unless
// it is null; answers how many there are.
size_t SettingsEntries(Unit* list, const GlobalOptions& options, IniEntry* entries) {
    size_t count = 0;
    const char* section = kGeneralSection;
    auto add = [&](const char* key, ValueKind kind, const char*, const auto& field) {
        if (entries != nullptr) entries[count] = Entry(section, key, kind, field);
        ++count;
    };
    VisitGeneralOptions(options, add);
    WalkForward(list, [&](Unit& unit) {
        if (unit.name[0] == '\0') return;   // the start marker: nothing reads its keys
        section = unit.name;
        VisitUnitOptions(unit, add);
    });
    section = kGeneralSection;
    VisitWindowRect(options, add);
    return count;
}

// Reads the file, puts the settings in and replaces it with the result.
FileResult SaveOnce(Os& os, const char* file, const IniEntry* entries, size_t count) {
    char newFile[kPathLength + sizeof kNewFileSuffix];
    std::snprintf(newFile, sizeof newFile, "%s%s", file, kNewFileSuffix);
    TextBuffer old, text;
    FileResult result = os.ReadWholeFile(file, old);   // a missing file is made anew
    if (result == FileResult::Done || result == FileResult::Missing)
        result = SetIniValues(old.Data(), old.Size(), entries, count, text) ? os.WriteFileThrough(newFile, text.Data(), text.Size())
                                                                            : FileResult::Failed;
    if (result == FileResult::Done) result = os.MoveFileOver(newFile, file);
    if (result != FileResult::Done) os.RemoveFile(newFile);
    return result;
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
    LoadHandAddedOptions(os, file, options);
    LoadIconSizeOption(os, options);
    WalkForward(list, [&](Unit& unit) {
        section = unit.name;
        VisitUnitOptions(unit, load);
    });
    section = kGeneralSection;
    VisitWindowRect(options, load);
}

void LoadIconSizeOption(Os& os, GlobalOptions& options) {
    options.IconSize = GeneralValueIs(os, SettingsFile(options), "IconSize", "auto") ? kIconSizeAuto : 0;
}

FileResult SaveSettings(Os& os, Unit* list, const GlobalOptions& options) {
    const char* file = SettingsFile(options);
    if (file == nullptr) return FileResult::Failed;
    const size_t count = SettingsEntries(list, options, nullptr);
    std::unique_ptr<IniEntry[], FreeDeleter> entries(static_cast<IniEntry*>(std::calloc(count, sizeof(IniEntry))));
    if (entries == nullptr) return FileResult::Failed;
    SettingsEntries(list, options, entries.get());
    for (int attempt = 1;; ++attempt) {
        const FileResult result = SaveOnce(os, file, entries.get(), count);
        if (result != FileResult::InUse || attempt == kSaveAttempts) return result;
        os.Pause(kSaveRetryPause);
    }
}
