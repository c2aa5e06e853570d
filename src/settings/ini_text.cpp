#include "settings/ini_text.h"

#include <algorithm>
#include <memory>

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

Line ReadLine(const char* text, size_t size, size_t start) {
    const void* lineBreak = std::memchr(text + start, '\n', size - start);
    Line line{start, size, size, LineKind::Blank, 0, 0, 0};
    if (lineBreak != nullptr) {
        const size_t at = static_cast<const char*>(lineBreak) - text;
        line.next = at + 1, line.end = at - (at > start && text[at - 1] == '\r');
    }
    // The line without blanks around it, and without the UTF-8 mark that may open the file.
    size_t first = start + (start == 0 && size >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0), last = line.next;
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    if (first == last) return line;
    for (size_t close = last - 1; text[first] == '[' && close > first; --close)
        if (text[close] == ']') return line.kind = LineKind::Section, line.nameStart = first + 1, line.nameEnd = close, line;
    line.kind = LineKind::Key, line.nameStart = first, line.nameEnd = last;
    const void* equals = std::memchr(text + first, '=', last - first);
    if (equals == nullptr) return line;
    line.nameEnd = line.valueStart = static_cast<const char*>(equals) - text;
    while (line.nameEnd > first && IsBlank(text[line.nameEnd - 1])) --line.nameEnd;
    for (++line.valueStart; line.valueStart < last && IsBlank(text[line.valueStart]);) ++line.valueStart;
    return line;
}

bool SameName(const char* text, const Line& line, const char* name) {
    size_t k = 0;
    for (; line.nameStart + k < line.nameEnd; ++k)
        if (name[k] == '\0' || LowerAscii(text[line.nameStart + k]) != LowerAscii(name[k])) return false;
    return name[k] == '\0';
}

// Where an entry goes: over a key's value, as a line of its own, or into a new section.
struct Placement {
    size_t at, resume;   // in the old text: where it goes, and where the old text goes on
    bool replace, equals, newSection;
    size_t entry;
};

struct SectionCache {   // the body of the last section looked for
    const char* name = nullptr;
    size_t body = 0;
    bool found = false;
};

Placement Place(const char* text, size_t size, const IniEntry& entry, size_t index, SectionCache& section) {
    Placement place{size, size, false, false, true, index};
    Line line{};
    if (section.name == nullptr || std::strcmp(section.name, entry.section) != 0) {
        section.name = entry.section, section.found = false;
        for (size_t at = 0; at < size && !section.found; at = line.next) {
            line = ReadLine(text, size, at);
            if (line.kind == LineKind::Section && SameName(text, line, entry.section)) section.found = true, section.body = line.next;
        }
    }
    if (!section.found) return place;
    place.newSection = false, place.at = place.resume = section.body;   // after the last line that is not blank
    for (size_t at = section.body; at < size; at = line.next) {
        line = ReadLine(text, size, at);
        if (line.kind == LineKind::Section) break;
        if (line.kind == LineKind::Key && SameName(text, line, entry.key)) {
            place.replace = true, place.equals = line.valueStart == 0;
            place.at = place.equals ? line.nameEnd : line.valueStart, place.resume = line.end;
            return place;
        }
        if (line.kind != LineKind::Blank) place.at = place.resume = line.next;
    }
    return place;
}

void EndLine(TextBuffer& result, const char* lineBreak) {
    if (result.Size() != 0 && result.Data()[result.Size() - 1] != '\n') result.Append(lineBreak);
}

void AppendSetting(TextBuffer& result, const IniEntry& entry, const char* lineBreak) {
    result.Append(entry.key), result.Append("="), result.Append(entry.value), result.Append(lineBreak);
}

// The new sections, from `places` on, each with its entries in their order.
void AppendNewSections(Placement* places, Placement* end, const IniEntry* entries, const char* lineBreak, TextBuffer& result) {
    for (; places < end; ++places) {
        if (!places->newSection) continue;
        const char* name = entries[places->entry].section;
        EndLine(result, lineBreak);
        result.Append("["), result.Append(name), result.Append("]"), result.Append(lineBreak);
        for (Placement* other = places; other < end; ++other) {
            if (!other->newSection || std::strcmp(entries[other->entry].section, name) != 0) continue;
            AppendSetting(result, entries[other->entry], lineBreak);
            other->newSection = false;
        }
    }
}

}  // namespace

bool SetIniValues(const char* text, size_t size, const IniEntry* entries, size_t count, TextBuffer& result) {
    std::unique_ptr<Placement[], FreeDeleter> places(static_cast<Placement*>(std::calloc(count + 1, sizeof(Placement))));
    if (places == nullptr) return false;
    SectionCache section;
    for (size_t k = 0; k < count; ++k) places[k] = Place(text, size, entries[k], k, section);
    std::sort(&places[0], &places[count], [](const Placement& a, const Placement& b) {
        return a.newSection != b.newSection ? b.newSection : a.at != b.at ? a.at < b.at : a.entry < b.entry;
    });
    const void* firstBreak = std::memchr(text, '\n', size);
    const char* breakAt = static_cast<const char*>(firstBreak);
    const char* lineBreak = breakAt != nullptr && breakAt > text && breakAt[-1] != '\r' ? "\n" : "\r\n";
    size_t cursor = 0;
    for (size_t k = 0; k < count && !places[k].newSection; ++k) {
        const Placement& place = places[k];
        result.Append(text + cursor, place.at - cursor), cursor = place.resume;
        if (!place.replace) EndLine(result, lineBreak), AppendSetting(result, entries[place.entry], lineBreak);
        else result.Append(place.equals ? "=" : ""), result.Append(entries[place.entry].value);
    }
    result.Append(text + cursor, size - cursor);
    AppendNewSections(&places[0], &places[count], entries, lineBreak, result);
    return !result.Failed();
}
