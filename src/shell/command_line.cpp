#include "shell/command_line.h"

#include <cstring>

#include "platform/ascii.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* text) {
    while (IsBlank(*text)) ++text;
    return text;
}

}  // namespace

const char* CommandTail(const char* commandLine) {
    if (commandLine == nullptr) return "";
    if (commandLine[0] == '"') {
        const char* closing = std::strchr(commandLine + 1, '"');
        if (closing == nullptr) return commandLine;
        return SkipBlanks(closing + 1);
    }
    const char* end = commandLine;
    while (*end != '\0' && !IsBlank(*end)) ++end;
    return SkipBlanks(end);
}

bool HasStartupSwitch(char* tail) {
    if (tail == nullptr) return false;
    for (char* c = tail; *c != '\0'; ++c) *c = LowerAscii(*c);
    return std::strstr(tail, "/startup") != nullptr || std::strstr(tail, "-startup") != nullptr;
}
