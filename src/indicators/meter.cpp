#include "indicators/meter.h"

Rgb DynamicCpuColour(int32_t percent) {
    int32_t red = ClampPercent(percent) * 255 / 100;
    return Rgb{static_cast<uint8_t>(red), static_cast<uint8_t>(255 - red), 0};
}

MeterStyle MeterStyleFor(const Unit& unit, const GlobalOptions& options) {
    MeterStyle style{};
    style.percent = unit.value;
    style.barPercent = ClampPercent(unit.value);
    style.background = Rgb{options.Color_background_red, options.Color_background_green,
                           options.Color_background_blue};
    style.hasBar = unit.kind == UNIT_CPU || unit.kind == UNIT_RAM || unit.kind == UNIT_VRAM;
    if (unit.kind == UNIT_CPU && options.Color_cpu_dynamic != 0) {
        style.bar = DynamicCpuColour(unit.value);
    } else if (unit.kind == UNIT_CPU) {
        style.bar = Rgb{options.Color_cpu_red, options.Color_cpu_green, options.Color_cpu_blue};
    } else if (unit.kind == UNIT_RAM) {
        style.bar = Rgb{options.Color_ram_red, options.Color_ram_green, options.Color_ram_blue};
    } else if (unit.kind == UNIT_VRAM) {
        style.bar = Rgb{options.Color_vram_red, options.Color_vram_green, options.Color_vram_blue};
    }
    return style;
}
