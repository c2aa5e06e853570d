#include "indicators/meter.h"

int32_t ClampPercent(int32_t percent) {
    if (percent < 0) return 0;
    if (percent > 100) return 100;
    return percent;
}

int32_t MeterBarHeight(int32_t percent, int32_t height) {
    if (height <= 1) return 0;
    // 64-bit product: a tall bitmap times 100 stays exact.
    return static_cast<int32_t>(static_cast<int64_t>(ClampPercent(percent)) * (height - 1) / 100);
}

Rgb DynamicCpuColour(int32_t percent) {
    int32_t red = ClampPercent(percent) * 255 / 100;
    return Rgb{static_cast<uint8_t>(red), static_cast<uint8_t>(255 - red), 0};
}

MeterStyle MeterStyleFor(const Unit& unit, const GlobalOptions& options) {
    MeterStyle style{};
    style.percent = unit.value;
    style.background = Rgb{options.Color_background_red, options.Color_background_green,
                           options.Color_background_blue};
    style.hasBar = true;
    if (unit.kind == UNIT_CPU && options.Color_cpu_dynamic != 0) {
        style.bar = DynamicCpuColour(unit.value);
    } else if (unit.kind == UNIT_CPU) {
        style.bar = Rgb{options.Color_cpu_red, options.Color_cpu_green, options.Color_cpu_blue};
    } else if (unit.kind == UNIT_RAM) {
        style.bar = Rgb{options.Color_ram_red, options.Color_ram_green, options.Color_ram_blue};
    } else if (unit.kind == UNIT_VRAM) {
        style.bar = Rgb{options.Color_vram_red, options.Color_vram_green, options.Color_vram_blue};
    } else {
        style.hasBar = false;
    }
    return style;
}

int32_t MeterFontWidth(int32_t bitmapWidth) {
    int32_t width = bitmapWidth / 4;
    return width > 0 ? width : 1;
}

int32_t OverlayFontWidth(int32_t bitmapWidth) {
    int32_t width = bitmapWidth / 3;
    return width > 0 ? width : 1;
}
