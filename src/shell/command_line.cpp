#include "shell/command_line.h"

#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* text) {
    while (IsBlank(*text)) ++text;
    return text;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

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

char* CommandTail(char* commandLine) {
    if (commandLine == nullptr) return nullptr;
    return commandLine + (CommandTail(static_cast<const char*>(commandLine)) - commandLine);
}

int HasStartupSwitch(char* tail) {
    if (tail == nullptr) return 0;
    for (char* c = tail; *c != '\0'; ++c) *c = LowerAscii(*c);
    if (std::strstr(tail, "/startup") != nullptr) return 1;
    if (std::strstr(tail, "-startup") != nullptr) return 1;
    return 0;
}
