#include "DibBitmap.h"

#include "platform/Platform.h"

#include <new>

namespace dgn {

CDibBitmap* CDibBitmap::Create(std::int32_t width, std::int32_t height, std::int32_t)
{
    CDibBitmap* b = new (std::nothrow) CDibBitmap;
    if (!b)
        return nullptr;
    b->m_width = width;
    b->m_height = height;
    if (width > 0 && height > 0 && width < 0x2AAAAAA8) {
        // The 4-byte aligned row of 24-bit pixels.
        b->m_stride = static_cast<std::uint32_t>((static_cast<std::int64_t>(width) + 1) * 3 / 4 * 4);
        b->m_section = CreateDibSection(width, height, b->m_stride, &b->m_bits);
        if (b->m_section)
            b->m_imageSize = b->m_stride * static_cast<std::uint32_t>(height);
    }
    if (!b->m_section) {
        b->m_bits = nullptr;
        b->m_stride = 0;
    }
    return b;
}

CDibBitmap::~CDibBitmap() { DeleteDibSection(m_section); }

void* CDibBitmap::Bitmap() const { return m_section; }
std::uint8_t* CDibBitmap::Bits() const { return m_bits; }
std::uint32_t CDibBitmap::Stride() const { return m_stride; }
bool CDibBitmap::Unsupported(std::int32_t, std::int32_t) { return false; }

std::uint8_t* CDibBitmap::PixelAddress(std::int32_t x, std::int32_t y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return nullptr;
    return m_bits + static_cast<std::size_t>(m_height - y - 1) * m_stride + static_cast<std::size_t>(x) * m_bytesPerPixel;
}

void CDibBitmap::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t colour)
{
    std::uint8_t* p = PixelAddress(x, y);
    if (!p)
        return;
    p[0] = static_cast<std::uint8_t>(colour >> 16);
    p[1] = static_cast<std::uint8_t>(colour >> 8);
    p[2] = static_cast<std::uint8_t>(colour);
}

int CDibBitmap::StretchTo(void* dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h)
{
    if (!DibSectionContext(m_section))
        return 0;
    return BlitDibSection(dc, m_section, x, y, w, h, true) ? 1 : 0;
}

int CDibBitmap::DrawTo(void* dc, std::int32_t x, std::int32_t y)
{
    if (!DibSectionContext(m_section))
        return 0;
    return BlitDibSection(dc, m_section, x, y, m_width, m_height, false) ? 1 : 0;
}

} // namespace dgn
