// Colour numbers as RGB values: the design file's colour table, or the default DGN table.
#include "DesignFile.h"

namespace dgn {

namespace {

#include "DefaultPalette.inc"

std::uint32_t Rgb(const std::uint8_t* c) { return c[0] | (static_cast<std::uint32_t>(c[1]) << 8) | (static_cast<std::uint32_t>(c[2]) << 16); }

} // namespace

std::uint32_t GetColorRGB(std::int32_t color, const CDesignFile* file)
{
    if (color == kColorByCell)
        color = GetLastByCellSymbology().color;
    else if (color == kColorByLevel)
        color = GetCurrentSymbology().color;
    const std::uint8_t* table = file ? file->GetColorTable() : nullptr;
    if (!table)
        return Rgb(kDefaultPalette[static_cast<std::uint32_t>(color) & 255]);
    // The file's table starts with the background: colour n is its entry n + 1. A colour
    // equal to the background would not show: it takes the background's complement.
    const std::uint32_t rgb = Rgb(table + 3 * ((static_cast<std::uint32_t>(color) + 1) & 255));
    return rgb == Rgb(table) ? 0xFFFFFF - rgb : rgb;
}

} // namespace dgn
