#pragma once
// Start at log-on: the value "Blinkwatch" under the current user's Run key
// holds the quoted executable path and the start-up switch.
#include "platform/os.h"

constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValueName[] = "Blinkwatch";
constexpr char kStartupSwitch[] = "/STARTUP";

// Writes the Run value when `enable` is set, deletes it otherwise; the Run key
// is created when it is missing. Without the executable's path nothing is
// written. Failures leave the registry as it was and are not reported.
void UpdateRunValue(Os& os, bool enable);
