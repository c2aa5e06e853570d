// FakeOs services of the settings file and the Run value: a small in-memory
// profile over file texts, a scripted window rectangle and module path, and a
// registry of string values.
#include <cstdio>
#include <cstring>

#include "fake_os.h"

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
        if (lower(static_cast<unsigned char>(a[k])) != lower(static_cast<unsigned char>(b[k])))
            return false;
    }
    return true;
}

// "[name]", blanks allowed around the brackets and the name.
bool IsHeader(const std::string& line, std::string* name) {
    size_t open = line.find_first_not_of(" \t");
    if (open == std::string::npos || line[open] != '[') return false;
    size_t close = line.rfind(']');
    if (close == std::string::npos) return false;
    if (name != nullptr) *name = Trim(line.substr(open + 1, close - open - 1));
    return true;
}

// "key=value", blanks trimmed from both.
bool IsEntry(const std::string& line, std::string* key, std::string* value) {
    size_t equals = line.find('=');
    if (equals == std::string::npos || IsHeader(line, nullptr)) return false;
    if (key != nullptr) *key = Trim(line.substr(0, equals));
    if (value != nullptr) *value = Trim(line.substr(equals + 1));
    return true;
}

size_t FindSection(const std::vector<std::string>& lines, const char* section) {
    std::string name;
    for (size_t k = 0; k < lines.size(); ++k)
        if (IsHeader(lines[k], &name) && SameName(name, section)) return k;
    return kNone;
}

size_t SectionEnd(const std::vector<std::string>& lines, size_t header) {
    size_t k = header + 1;
    while (k < lines.size() && !IsHeader(lines[k], nullptr)) ++k;
    return k;
}

size_t FindKey(const std::vector<std::string>& lines, size_t header, const char* key) {
    std::string name;
    for (size_t k = header + 1, end = SectionEnd(lines, header); k < end; ++k)
        if (IsEntry(lines[k], &name, nullptr) && SameName(name, key)) return k;
    return kNone;
}

// Where a new key goes: after the section's last line that is not blank.
size_t NewKeyLine(const std::vector<std::string>& lines, size_t header) {
    size_t last = header;
    for (size_t k = header + 1, end = SectionEnd(lines, header); k < end; ++k)
        if (!Trim(lines[k]).empty()) last = k;
    return last + 1;
}

}  // namespace

uint32_t FakeOs::ReadProfileValue(const char* section, const char* key, const char* fallback,
                                  char* buffer, uint32_t size, const char* path) {
    ++calls["ReadProfileValue"];
    std::string value = fallback != nullptr ? fallback : "";
    auto file = profiles.find(path);
    if (file != profiles.end() && unreadableProfiles.count(path) == 0) {
        std::vector<std::string> lines = SplitLines(file->second);
        size_t header = FindSection(lines, section);
        size_t line = header == kNone ? kNone : FindKey(lines, header, key);
        if (line != kNone) IsEntry(lines[line], nullptr, &value);
    }
    if (size == 0) return 0;
    size_t copied = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), copied);
    buffer[copied] = '\0';
    return static_cast<uint32_t>(copied);
}

bool FakeOs::WriteProfileValue(const char* section, const char* key, const char* value,
                               const char* path) {
    ++calls["WriteProfileValue"];
    profileWrites.push_back(std::string(section) + "|" + key + "|" + value);
    if (unreadableProfiles.count(path) != 0 || readOnlyProfiles.count(path) != 0) return false;
    std::vector<std::string> lines = SplitLines(profiles[path]);
    size_t header = FindSection(lines, section);
    if (header == kNone) {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::string(key) + "=" + value);
    } else if (size_t line = FindKey(lines, header, key); line != kNone) {
        std::string name;
        IsEntry(lines[line], &name, nullptr);
        lines[line] = name + "=" + value;
    } else {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(NewKeyLine(lines, header)),
                     std::string(key) + "=" + value);
    }
    profiles[path] = JoinLines(lines);
    return true;
}

bool FakeOs::QueryWindowNormalRect(WindowHandle window, int32_t* left, int32_t* top,
                                   int32_t* right, int32_t* bottom) {
    ++calls["QueryWindowNormalRect"];
    windowsQueried.push_back(window);
    if (!windowRectReadable) return false;
    *left = windowLeft;
    *top = windowTop;
    *right = windowRight;
    *bottom = windowBottom;
    return true;
}

uint32_t FakeOs::QueryModulePath(char* buffer, uint32_t size) {
    ++calls["QueryModulePath"];
    registryLog.push_back("module");
    if (size == 0) return 0;
    if (modulePath.empty() || modulePath.size() >= size) {
        buffer[0] = '\0';
        return 0;
    }
    std::snprintf(buffer, size, "%s", modulePath.c_str());
    return static_cast<uint32_t>(modulePath.size());
}

RegistryKeyHandle FakeOs::OpenUserRegistryKey(const char* subKey) {
    ++calls["OpenUserRegistryKey"];
    registryLog.push_back(std::string("open|") + subKey);
    if (registryOpenFails) return nullptr;
    registry[subKey];   // created when missing
    registryKeys_.push_back(subKey);
    ++openKeys;
    return reinterpret_cast<RegistryKeyHandle>(registryKeys_.size());
}

void FakeOs::CloseRegistryKey(RegistryKeyHandle key) {
    ++calls["CloseRegistryKey"];
    registryLog.push_back("close");
    if (key != nullptr) --openKeys;
}

bool FakeOs::WriteRegistryString(RegistryKeyHandle key, const char* name, const char* data,
                                 uint32_t bytes) {
    ++calls["WriteRegistryString"];
    registryLog.push_back(std::string("set|") + name);
    if (registryWritesFail) return false;
    const std::string& path = registryKeys_.at(reinterpret_cast<size_t>(key) - 1);
    registry[path][name] = std::string(data, bytes);
    return true;
}

bool FakeOs::DeleteRegistryValue(RegistryKeyHandle key, const char* name) {
    ++calls["DeleteRegistryValue"];
    registryLog.push_back(std::string("delete|") + name);
    if (registryWritesFail) return false;
    const std::string& path = registryKeys_.at(reinterpret_cast<size_t>(key) - 1);
    return registry[path].erase(name) != 0;
}
