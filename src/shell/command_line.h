#pragma once
// The two rules the process entry applies to its command line: where the
// arguments begin after the program's name, and whether they hold the start-up
// switch that a log-on launch carries.

// The command tail inside `commandLine` (a pointer into it, never a copy).
// A line that begins with a double quote names the program up to the next
// double quote, and the tail follows it with blanks skipped; without a closing
// quote the tail is the whole line. Otherwise the name runs to the first blank
// and the blanks after it are skipped. A null line gives an empty tail.
const char* CommandTail(const char* commandLine);

// Lower-cases `tail` in place (ASCII letters), then answers whether it holds
// "/startup" or, failing that, "-startup" anywhere, also inside a longer word.
// A null tail holds no switch.
bool HasStartupSwitch(char* tail);
