// Fuzz target of the V7 complex component counters: the input is a loaded file image whose
// first bytes choose the counter and where the header record and its length field lie; the
// counter must stay inside the image whatever the lengths say.
#include "ValueEncodings.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const bool wide = data[0] & 1;
    const std::size_t recordAt = data[1] % (size - 2);
    const std::size_t fieldAt = recordAt + data[2] % 64;
    const std::uint8_t* image = data + 3;
    const std::size_t imageSize = size - 3;
    dgn::SetLoadedFileImage(image, imageSize);
    // Record and field may lie anywhere, even outside the image: the counter checks.
    const std::uint8_t* record = image + (recordAt < imageSize ? recordAt : imageSize);
    const std::uint8_t* field = image + (fieldAt < imageSize ? fieldAt : imageSize);
    const std::uint8_t* cursor = field;
    const std::uint32_t count = wide ? dgn::CountComplexComponents32(record, &cursor) : dgn::CountComplexComponents16(record, &cursor);
    // Every counted record has at least its 4-byte header inside the image.
    if (count > imageSize / 4 + 1)
        __builtin_trap();
    dgn::SetLoadedFileImage(nullptr, 0);
    return 0;
}
