#pragma once
// The colours and figures of a load meter icon. Only the painting itself is
// platform code; everything it shows is decided here.
#include <cstdint>

#include "platform/indicator_types.h"
#include "units/global_options.h"
#include "units/unit.h"

// The CPU colour that follows the load: red percent x 255 / 100, green the rest.
Rgb DynamicCpuColour(int32_t percent);

// The background, bar and number of a Unit's meter from its kind and value.
MeterStyle MeterStyleFor(const Unit& unit, const GlobalOptions& options);
