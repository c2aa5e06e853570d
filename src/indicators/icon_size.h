#pragma once
// The size the tray icons are made at. By default the program's icon
// resources are used as they load; with IconSize=Auto every icon is made at
// the taskbar's small-icon size from the base designs, and made again when
// that size changes.
#include <cstdint>

#include "platform/os.h"
#include "units/global_options.h"

// 0 (load the resources, no platform call) unless IconSize is Auto; then the
// taskbar's small-icon size, or 16 (its size at 96 DPI) when the platform
// gives none or an absurd one.
int32_t ChooseIconSize(Os& os, const GlobalOptions& options);

// The base icon of resource `resourceId` made from its design at `size`.
// The caller owns it; null when it cannot be made or the id has no design.
IconHandle MakeBaseIcon(Os& os, int resourceId, int32_t size);
