#pragma once
// The seed data built into the library (made by make_seed_data.py into SeedData.inc): each
// seed is a few raw bytes followed by one zlib stream, from which a new V8 file, a new model
// and the V8 side of a loaded V7 file are started.
#include <cstdint>

namespace dgn {

struct SeedBytes {
    const std::uint8_t* data;
    std::uint32_t size;
};

// "Dgn~H": 20 stored bytes, then the inflated header block (1576 bytes).
constexpr std::uint32_t kHeaderSeedPrefix = 20;
SeedBytes HeaderSeed(bool threeD);
// "Dgn~Mf".
SeedBytes MfSeed();
// A model block: 4096 carried bytes, then a model header record.
SeedBytes ModelSeed(bool threeD);
// The file-level records of a new file, and its application elements.
SeedBytes ElementSeed(bool threeD);
SeedBytes ApplicationSeed(bool threeD);

// The summary information of a new file: kSummaryInfoBytes bytes, zero but for the template
// at its start and the tail at kSummaryTailAt.
constexpr std::uint32_t kSummaryInfoBytes = 22304;
constexpr std::uint32_t kSummaryTailAt = 22256;
SeedBytes SummaryTemplate();
SeedBytes SummaryTail();

} // namespace dgn
