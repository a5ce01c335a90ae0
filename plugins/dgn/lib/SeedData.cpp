#include "SeedData.h"

namespace dgn {

namespace {

#include "SeedData.inc"

template <std::uint32_t N>
SeedBytes Of(const std::uint8_t (&data)[N])
{
    return SeedBytes{data, N};
}

} // namespace

SeedBytes HeaderSeed(bool threeD) { return threeD ? Of(kHeaderSeed3d) : Of(kHeaderSeed2d); }
SeedBytes MfSeed() { return Of(kMfSeed); }
SeedBytes ModelSeed(bool threeD) { return threeD ? Of(kModelSeed3d) : Of(kModelSeed2d); }
SeedBytes ElementSeed(bool threeD) { return threeD ? Of(kElementSeed3d) : Of(kElementSeed2d); }
SeedBytes ApplicationSeed(bool threeD) { return threeD ? Of(kApplicationSeed3d) : Of(kApplicationSeed2d); }
SeedBytes SummaryTemplate() { return Of(kSummaryTemplate); }
SeedBytes SummaryTail() { return Of(kSummaryTail); }

} // namespace dgn
