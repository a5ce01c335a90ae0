#include "control/ClipboardDib.h"
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

uint32_t ReadU32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void WriteU32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// BITMAPINFOHEADER's size and the compressions whose rows are plain pixels.
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kRgb = 0, kBitfields = 3, kAlphaBitfields = 6;

} // namespace

bool BuildBitmapFileImage(const void* dib, size_t size, std::vector<unsigned char>* file)
{
    if (!dib || !file || size < kInfoHeaderSize)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(dib);
    const uint32_t headerSize = ReadU32(bytes);
    if (headerSize < kInfoHeaderSize || headerSize > size)
        return false;
    const int32_t width = static_cast<int32_t>(ReadU32(bytes + 4));
    const int32_t height = static_cast<int32_t>(ReadU32(bytes + 8));
    const uint16_t bitCount = ReadU16(bytes + 14);
    const uint32_t compression = ReadU32(bytes + 16);
    const uint32_t coloursUsed = ReadU32(bytes + 32);
    if (width <= 0 || height == 0 || height == INT32_MIN || bitCount == 0 || bitCount > 32)
        return false;

    // The colour table: the count the header gives, or, when it gives none, the full table of a
    // palette bitmap (2^bits entries); bitmaps of more bits have none.
    uint64_t colours = coloursUsed;
    if (colours == 0 && bitCount <= 8)
        colours = uint64_t{1} << bitCount;
    // The masks follow a plain info header; the later headers hold them inside.
    uint64_t masks = 0;
    if (headerSize == kInfoHeaderSize)
        masks = compression == kBitfields ? 12 : compression == kAlphaBitfields ? 16 : 0;
    const uint64_t pixelStart = uint64_t{headerSize} + masks + 4 * colours;
    if (pixelStart > size)
        return false;

    // Rows of plain pixels are padded to whole 32-bit words; a top-down bitmap (negative height)
    // has as many rows as its height's magnitude.
    const bool plainRows = compression == kRgb || compression == kBitfields || compression == kAlphaBitfields;
    const uint64_t rows = static_cast<uint64_t>(std::llabs(static_cast<long long>(height)));
    const uint64_t stride = ((uint64_t{bitCount} * static_cast<uint64_t>(width) + 31) & ~uint64_t{31}) / 8;
    const uint64_t imageSize = stride * rows;
    if (plainRows && (imageSize > UINT32_MAX || pixelStart + imageSize > size))
        return false;
    if (size > UINT32_MAX - kFileHeaderSize)
        return false;

    file->assign(kFileHeaderSize + size, 0);
    unsigned char* out = file->data();
    out[0] = 'B';
    out[1] = 'M';
    WriteU32(out + 2, static_cast<uint32_t>(kFileHeaderSize + size));
    WriteU32(out + 10, static_cast<uint32_t>(kFileHeaderSize + pixelStart));
    std::memcpy(out + kFileHeaderSize, bytes, size);
    if (plainRows)
        WriteU32(out + kFileHeaderSize + 20, static_cast<uint32_t>(imageSize));
    return true;
}
