#pragma once
// Start at log-on: the value "Blinkwatch" under the current user's Run key
// holds the quoted executable path and the start-up switch.
#include "platform/os.h"

constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValueName[] = "Blinkwatch";
constexpr char kStartupSwitch[] = "/STARTUP";

// Writes the Run value when `enable` is non-zero, deletes it otherwise; the
// Run key is created when it is missing. Returns 0 when the executable's path
// could not be read (nothing is written), 1 otherwise, also when the key could
// not be opened or the value not be written or deleted.
int UpdateRunValue(Os& os, int enable);
