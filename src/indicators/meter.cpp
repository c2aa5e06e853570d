#include "indicators/meter.h"

namespace {

// The bar's colour for a load of `percent`: the processor's follows the load
// when Color_cpu_dynamic is on. Kinds without a bar get black, never shown.
Rgb BarColour(const Unit& unit, int32_t percent, const GlobalOptions& options) {
    if (unit.kind == UNIT_CPU && options.Color_cpu_dynamic != 0) return DynamicCpuColour(percent);
    if (unit.kind == UNIT_CPU) return Rgb{options.Color_cpu_red, options.Color_cpu_green, options.Color_cpu_blue};
    if (unit.kind == UNIT_RAM) return Rgb{options.Color_ram_red, options.Color_ram_green, options.Color_ram_blue};
    if (unit.kind == UNIT_VRAM)
        return Rgb{options.Color_vram_red, options.Color_vram_green, options.Color_vram_blue};
    return Rgb{};
}

// The graph of the Unit's history, each column in the colour of its own load.
// The number is the newest column's, so that the picture follows the history
// alone: a load that moves between two columns changes only the tooltip.
void FillGraph(MeterStyle& style, const Unit& unit, const GlobalOptions& options) {
    const MeterHistory& history = unit.history;
    style.graph = true;
    style.barPercent = 0;
    style.columns = history.count < kMeterGraphColumns ? history.count : kMeterGraphColumns;
    for (size_t i = 0; i < style.columns; ++i) {
        const int32_t percent = ClampPercent(history.samples[i]);
        style.columnPercent[i] = static_cast<uint8_t>(percent);
        style.columnColour[i] = BarColour(unit, percent, options);
    }
    if (style.columns > 0) style.percent = style.columnPercent[style.columns - 1];
}

}  // namespace

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
    style.bar = BarColour(unit, unit.value, options);
    if (options.MeterStyle == kMeterGraph && style.hasBar) FillGraph(style, unit, options);
    return style;
}
