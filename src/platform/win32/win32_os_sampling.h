#pragma once
// Helpers behind Win32Os's sampling services, open to the Wine tests.
#include <cstdint>

#include "platform/os.h"

// The system times as the sums of the per-processor times that `os` reports,
// for systems without GetSystemTimes (Windows 2000). False, with the counts
// untouched, when the per-processor query gives no record.
bool SumProcessorTimes(Os& os, uint64_t* idle, uint64_t* kernel, uint64_t* user);
