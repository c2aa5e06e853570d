#include "indicators/icon_size.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <utility>

#include "indicators/icon_designs.h"
#include "resources/icon_ids.h"

namespace {

constexpr int32_t kFallbackIconSize = 16;
constexpr int32_t kLargestIconSize = 256;   // the largest icon the platform knows

constexpr std::array<std::pair<int, IconDesign>, 9> kDesigns = {{
    {IDI_IDLE, IconDesign::Idle}, {IDI_READ, IconDesign::Read}, {IDI_WRITE, IconDesign::Write},
    {IDI_READWRITE, IconDesign::ReadWrite}, {IDI_ALT_IDLE, IconDesign::AltIdle},
    {IDI_ALT_READ, IconDesign::AltRead}, {IDI_ALT_WRITE, IconDesign::AltWrite},
    {IDI_ALT_READWRITE, IconDesign::AltReadWrite}, {IDI_METER, IconDesign::Meter},
}};

struct FreeMemory {
    void operator()(void* memory) const { std::free(memory); }
};

}  // namespace

int32_t ChooseIconSize(Os& os, const GlobalOptions& options) {
    if (options.IconSize != kIconSizeAuto) return 0;
    const int32_t size = os.QueryTrayIconSize();
    return size > 0 && size <= kLargestIconSize ? size : kFallbackIconSize;
}

IconHandle MakeBaseIcon(Os& os, int resourceId, int32_t size) {
    for (const auto& [id, design] : kDesigns) {
        if (id != resourceId) continue;
        if (size < 1 || size > kLargestIconSize) return nullptr;
        // The colours, then the palette indices they are made from, in one block.
        const size_t count = static_cast<size_t>(size) * size;
        std::unique_ptr<uint32_t[], FreeMemory> pixels(static_cast<uint32_t*>(std::calloc(count, 5)));
        if (pixels == nullptr) return nullptr;
        auto* indices = reinterpret_cast<uint8_t*>(pixels.get() + count);
        DrawDesign(design, size, indices);
        for (size_t k = 0; k < count; ++k) {
            const Rgb colour = kDesignPalette[indices[k]];
            pixels[k] = uint32_t{colour.red} << 16 | uint32_t{colour.green} << 8 | colour.blue;
        }
        return os.MakeIcon(pixels.get(), size);
    }
    return nullptr;
}
