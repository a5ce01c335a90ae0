#pragma once
// The input of the element record fuzz target: one byte that says what reads the record and
// how, then the record (or, for the linkage parser, the attribute bytes).
#include <cstdint>

namespace dgn_fuzz {

// Low three bits (taken modulo the count): the reader.
enum Reader : std::uint8_t {
    kUnknownElement = 0,
    kType57 = 1,
    kType56 = 2,
    kModelHeader = 3,
    kApplicationData = 4,
    kLinkages = 5,
    // The class the element factory picks for the record.
    kByFactory = 6,
    kReaderCount = 7,
};

// Further bits.
constexpr std::uint8_t kReadV7 = 0x08;     // the record is a V7 record
constexpr std::uint8_t kFile3d = 0x10;     // the design file is 3-D
constexpr std::uint8_t kFileV7 = 0x20;     // the design file is a V7 file (V8 writes refused)
constexpr std::uint8_t kTouchFirst = 0x40; // Touch before writing

} // namespace dgn_fuzz
