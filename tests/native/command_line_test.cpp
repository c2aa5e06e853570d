#include <gtest/gtest.h>

#include <string>

#include "shell/command_line.h"

TEST(CommandLine, TailAfterTheProgramName) {
    const struct { const char* line; const char* tail; } cases[] = {
        {"\"C:\\Program Files\\Blinkwatch\\blinkwatch.exe\" /STARTUP", "/STARTUP"},
        {"\"C:\\a b\\blinkwatch.exe\"   \t -startup x", "-startup x"},
        {"\"C:\\blinkwatch.exe\"/startup", "/startup"},
        {"\"C:\\blinkwatch.exe\"", ""},
        {"\"\" rest", "rest"},
        // Without its closing quote the whole line is the tail.
        {"\"C:\\Program Files\\blinkwatch.exe /StartUp", "\"C:\\Program Files\\blinkwatch.exe /StartUp"},
        {"blinkwatch.exe\t\t  a  b", "a  b"},
        {"blinkwatch.exe   ", ""},
        {"", ""},
        {"  leading", "leading"},   // an empty name before the first blank
    };
    for (const auto& c : cases) EXPECT_STREQ(c.tail, CommandTail(c.line)) << "line [" << c.line << "]";
    EXPECT_STREQ("", CommandTail(static_cast<const char*>(nullptr)));
    EXPECT_EQ(nullptr, CommandTail(static_cast<char*>(nullptr)));

    const char* line = "blinkwatch.exe /x";
    EXPECT_EQ(line + 15, CommandTail(line)) << "the tail points into the line";
    char writable[] = "\"C:\\blinkwatch.exe\"  /STARTUP";
    EXPECT_EQ(writable + 21, CommandTail(writable));
}

TEST(CommandLine, StartupSwitchAnywhereInAnyCaseLoweredInPlace) {
    const struct { const char* tail; int found; const char* lowered; } cases[] = {
        {"/STARTUP", 1, "/startup"},
        {"-StartUp", 1, "-startup"},
        {"x/startupy", 1, "x/startupy"},
        {"a b -STARTUPS", 1, "a b -startups"},
        {"\"C:\\Program Files\\blinkwatch.exe /StartUp", 1, "\"c:\\program files\\blinkwatch.exe /startup"},
        {"", 0, ""},
        {"startup", 0, "startup"},
        {"/start up", 0, "/start up"},
        {"\\STARTUP", 0, "\\startup"},
        {"/\xC4STARTUP", 0, "/\xC4startup"},   // only ASCII letters are lowered
    };
    for (const auto& c : cases) {
        std::string tail = c.tail;
        EXPECT_EQ(c.found, HasStartupSwitch(tail.data())) << "tail [" << c.tail << "]";
        EXPECT_EQ(c.lowered, tail) << "tail [" << c.tail << "]";
    }
    EXPECT_EQ(0, HasStartupSwitch(nullptr));
}
