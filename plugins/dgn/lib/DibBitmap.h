#pragma once
// A bitmap of 24-bit pixels that the raster elements decode into, one pixel at a time, and that
// can be copied to a device context: a DIB section selected into a memory device context (a
// plain pixel buffer in the native build, which cannot be drawn). Rows are bottom-up in memory
// and 4-byte aligned; pixels are blue, green, red.
#include <cstdint>

namespace dgn {

class CDibBitmap {
public:
    // A width x height bitmap (owned by the caller); null when memory runs out. Without the
    // section (a size of 0 or below, or GDI refusing) the object has no bits and draws nothing.
    static CDibBitmap* Create(std::int32_t width, std::int32_t height, std::int32_t unused);
    virtual ~CDibBitmap();

    // The section's handle (null without one).
    virtual void* Bitmap() const;
    virtual std::uint8_t* Bits() const;
    virtual std::uint32_t Stride() const;
    // Pixel (x, y), y counted from the top row; null outside the bitmap or without bits.
    virtual std::uint8_t* PixelAddress(std::int32_t x, std::int32_t y) const;
    // colour is 0x00BBGGRR; ignored outside the bitmap.
    virtual void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t colour);
    virtual bool Unsupported(std::int32_t a, std::int32_t b);
    // The whole bitmap stretched to (x, y, w, h) / copied to (x, y); 0 without a memory context.
    virtual int StretchTo(void* dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
    virtual int DrawTo(void* dc, std::int32_t x, std::int32_t y);

    std::int32_t Width() const { return m_width; }
    std::int32_t Height() const { return m_height; }
    std::uint32_t ImageSize() const { return m_imageSize; }

    CDibBitmap(const CDibBitmap&) = delete;
    CDibBitmap& operator=(const CDibBitmap&) = delete;

private:
    CDibBitmap() = default;

    void* m_section = nullptr;
    std::uint8_t* m_bits = nullptr;
    std::uint32_t m_imageSize = 0;
    std::uint32_t m_stride = 0;
    std::uint32_t m_bytesPerPixel = 3;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

} // namespace dgn
