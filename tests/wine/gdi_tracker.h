#pragma once
// Counts the GDI objects and icons that this executable has made and not yet
// released. Wine's GetGuiResources counts nothing, so the count is kept here:
// the executable's imports of the functions that make and release those
// objects are routed through counting hooks (its import address table is
// patched in place), and a handle counts as live while the platform still
// knows it.
#include <windows.h>

#include <cstddef>

// Puts the hooks in place; true when every one of them is. Idempotent.
bool InstallGdiTracker();
// Takes them out again.
void RemoveGdiTracker();

// Objects made since the tracker was installed that are still alive.
size_t LiveGdiObjects();
