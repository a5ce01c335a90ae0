#pragma once
// The level record that graphic elements resolve their symbology through: a level entry's
// fields from its level number on, as the level table keeps them.
#include <cstdint>

namespace dgn {

// Bits of LevelData::levelFlags.
enum LevelFlagBits : std::uint16_t {
    kLevelViewColor = 0x0001,
    kLevelViewStyle = 0x0002,
    kLevelViewWeight = 0x0004,
    // The view's fill colour override, and the level fill colour as the display colour.
    kLevelViewFillColor = 0x0008,
    kLevelDisplay = 0x0020,
    kLevelFrozen = 0x4000,
};

struct LevelData {
    std::uint32_t levelNumber;
    std::int32_t parentCode;
    std::uint16_t entryVersion;
    std::uint16_t levelFlags;
    std::uint32_t reserved0;
    // Applied by a view that overrides levels, each when its flag is set.
    std::int32_t viewStyle;
    std::int32_t viewWeight;
    std::int32_t viewColor;
    std::int32_t viewFillColor;
    // Taken by elements whose symbology follows their level.
    std::int32_t levelStyle;
    std::int32_t levelWeight;
    std::int32_t levelColor;
    std::int32_t levelFillColor;
    std::int32_t textStyleId;
    std::int32_t dimStyleId;
    std::int32_t mlineStyleId;
    std::uint32_t levelCode;
    std::uint64_t plotStyleId;
};

} // namespace dgn
