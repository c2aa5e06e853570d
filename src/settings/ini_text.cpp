#include "settings/ini_text.h"

#include <cstring>

#include "platform/ascii.h"

namespace {

enum class LineKind { Blank, Section, Key };

// One line of the file as the profile functions see it.
struct Line {
    size_t start, end, next;     // its text, where its line break ends
    LineKind kind;
    size_t nameStart, nameEnd;   // the section's or the key's name
    size_t valueStart;           // a key's value, after the '=' and blanks; 0 without '='
};

// The profile functions count ^Z (an old end-of-file mark) as a blank too.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

Line ReadLine(const std::string& text, size_t start) {
    const size_t lineBreak = text.find('\n', start);
    Line line{start, text.size(), text.size(), LineKind::Blank, 0, 0, 0};
    if (lineBreak != std::string::npos)
        line.next = lineBreak + 1, line.end = lineBreak - (lineBreak > start && text[lineBreak - 1] == '\r');
    // The line without blanks around it, and without the UTF-8 mark that may open the file.
    size_t first = start + (start == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0), last = line.next;
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    if (first == last) return line;
    const size_t close = text.rfind(']', last - 1);
    if (text[first] == '[' && close != std::string::npos && close > first)
        return line.kind = LineKind::Section, line.nameStart = first + 1, line.nameEnd = close, line;
    line.kind = LineKind::Key, line.nameStart = first, line.nameEnd = last;
    const void* equals = std::memchr(&text[first], '=', last - first);
    if (equals == nullptr) return line;
    line.nameEnd = line.valueStart = static_cast<const char*>(equals) - text.data();
    while (line.nameEnd > first && IsBlank(text[line.nameEnd - 1])) --line.nameEnd;
    for (++line.valueStart; line.valueStart < last && IsBlank(text[line.valueStart]);) ++line.valueStart;
    return line;
}

// Any name matches a null `name`.
bool SameName(const std::string& text, const Line& line, const char* name) {
    if (name == nullptr) return true;
    size_t k = 0;
    for (; line.nameStart + k < line.nameEnd; ++k)
        if (name[k] == '\0' || LowerAscii(text[line.nameStart + k]) != LowerAscii(name[k])) return false;
    return name[k] == '\0';
}

// The first line of `kind` named `name` in [from, to), or `to`.
size_t Find(const std::string& text, const std::vector<Line>& lines, size_t from, size_t to, LineKind kind,
            const char* name) {
    for (; from < to; ++from)
        if (lines[from].kind == kind && SameName(text, lines[from], name)) break;
    return from;
}

}  // namespace

std::string SetIniValues(const std::string& text, const std::vector<IniEntry>& entries) {
    std::vector<Line> lines;
    for (size_t at = 0; at < text.size(); at = lines.back().next) lines.push_back(ReadLine(text, at));
    const size_t firstBreak = text.find('\n');
    const char* lineBreak = firstBreak != std::string::npos && firstBreak > 0 && text[firstBreak - 1] != '\r' ? "\n" : "\r\n";
    // A line's new text where it changes, and the lines that go after it.
    std::vector<std::string> changed(lines.size()), after(lines.size());
    std::vector<std::pair<const char*, std::string>> newSections;
    for (const IniEntry& entry : entries) {
        const std::string setting = std::string(entry.key) + "=" + entry.value + lineBreak;
        const size_t section = Find(text, lines, 0, lines.size(), LineKind::Section, entry.section);
        if (section == lines.size()) {
            size_t k = 0;
            while (k < newSections.size() && std::strcmp(newSections[k].first, entry.section) != 0) ++k;
            if (k == newSections.size()) newSections.emplace_back(entry.section, "[" + std::string(entry.section) + "]" + lineBreak);
            newSections[k].second += setting;
            continue;
        }
        const size_t sectionEnd = Find(text, lines, section + 1, lines.size(), LineKind::Section, nullptr);
        size_t key = Find(text, lines, section + 1, sectionEnd, LineKind::Key, entry.key);
        if (key < sectionEnd) {
            const Line& line = lines[key];
            changed[key] = line.valueStart != 0 ? text.substr(line.start, line.valueStart - line.start)
                                                : text.substr(line.start, line.nameEnd - line.start) + "=";
            changed[key] += entry.value + text.substr(line.end, line.next - line.end);
            continue;
        }
        for (key = sectionEnd - 1; lines[key].kind == LineKind::Blank;) --key;
        after[key] += setting;
    }
    std::string result;
    for (size_t k = 0; k < lines.size(); ++k) {
        const Line& line = lines[k];
        result += changed[k].empty() ? text.substr(line.start, line.next - line.start) : changed[k];
        if (!after[k].empty() && result.back() != '\n') result += lineBreak;
        result += after[k];
    }
    for (const auto& section : newSections) {
        if (!result.empty() && result.back() != '\n') result += lineBreak;
        result += section.second;
    }
    return result;
}
