#include "RasterHeaderElement.h"

#include "DesignFile.h"
#include "DibBitmap.h"
#include "EntityIterator.h"
#include "ItemArray.h"
#include "LittleEndian.h"
#include "Point2dArray.h"
#include "Point3dArray.h"
#include "ValueEncodings.h"

#include <algorithm>
#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kRasterHeaderType = 87;
constexpr std::uint16_t kRasterDataType = 88;
constexpr std::uint32_t kHeaderBodyBytes = 64;
constexpr std::uint32_t kDataBodyBytes = 12;
constexpr std::uint32_t kPixelBlock = 64;
// Format 2 (raster flags bits 3-7): one colour index + 1 a pixel byte.
constexpr std::uint32_t kFormatMask = 0xF8;
constexpr std::uint32_t kByteIndexed = 0x10;

} // namespace

CRasterHeaderElement::CRasterHeaderElement(CDesignFile* file)
    : CGraphicBodyElement(file), m_points2d(CPoint2dArray::Create()), m_points3d(CPoint3dArray::Create())
{
    m_type = kRasterHeaderType;
    m_flags |= kElementGraphic | kElementComplexHeader;
    m_properties |= kPropertyScreen;
}

CRasterHeaderElement::~CRasterHeaderElement()
{
    delete m_points2d;
    delete m_points3d;
    delete m_image;
}

int CRasterHeaderElement::GetType() const { return kRasterHeaderType; }

std::uint32_t CRasterHeaderElement::PointCount() const
{
    if (Is3dElement())
        return m_points3d ? m_points3d->Count() : 0;
    return m_points2d ? m_points2d->Count() : 0;
}

void CRasterHeaderElement::SetRaster(std::uint32_t flags, std::uint16_t xPixels, std::uint16_t yPixels, double pixelSize)
{
    m_rasterFlags = flags;
    m_xPixels = xPixels;
    m_yPixels = yPixels;
    m_pixelSize = pixelSize;
    m_width = m_xPixels * m_pixelSize;
    m_height = m_yPixels * m_pixelSize;
    delete m_image;
    m_image = nullptr;
    m_imageTried = false;
}

IElement* CRasterHeaderElement::Clone(CDesignFile* target, bool removeSource)
{
    CRasterHeaderElement* copy = new (std::nothrow) CRasterHeaderElement(target ? target : m_designFile);
    CPoint2dArray* p2 = m_points2d ? m_points2d->Clone() : nullptr;
    CPoint3dArray* p3 = m_points3d ? m_points3d->Clone() : nullptr;
    if (!copy || !p2 || !p3) {
        delete copy;
        delete p2;
        delete p3;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    delete copy->m_points2d;
    delete copy->m_points3d;
    copy->m_points2d = p2;
    copy->m_points3d = p3;
    copy->m_rasterFlags = m_rasterFlags;
    std::copy(m_bytes, m_bytes + 2, copy->m_bytes);
    copy->m_xPixels = m_xPixels;
    copy->m_yPixels = m_yPixels;
    copy->m_word = m_word;
    copy->m_carried = m_carried;
    copy->m_pixelSize = m_pixelSize;
    std::copy(m_origin, m_origin + 3, copy->m_origin);
    copy->m_carried32 = m_carried32;
    copy->m_width = m_width;
    copy->m_height = m_height;
    return copy;
}

bool CRasterHeaderElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_points2d || !m_points3d)
        return false;
    const bool ok = ReadGraphicBody(cursor, length, [&](CBoundedReader& r) {
        SetChildCount(r.I32());
        m_rasterFlags = r.U32();
        r.Bytes(m_bytes, 2);
        m_xPixels = r.U16();
        m_yPixels = r.U16();
        m_word = r.U16();
        m_carried = r.F64();
        m_pixelSize = r.F64();
        for (double& o : m_origin)
            o = r.F64();
        const std::uint32_t stated = r.U32();
        m_carried32 = r.U32();
        const std::uint32_t held = r.Left() / PointBytes();
        const std::uint32_t n = stated < held ? stated : held;
        if (Is3dElement()) {
            if (!m_points3d->Resize(n))
                return false;
            for (std::uint32_t i = 0; i < n; ++i) {
                const double x = r.F64(), y = r.F64(), z = r.F64();
                m_points3d->SetAt(i, x, y, z);
            }
        } else {
            if (!m_points2d->Resize(n))
                return false;
            for (std::uint32_t i = 0; i < n; ++i) {
                const double x = r.F64(), y = r.F64();
                m_points2d->SetAt(i, x, y);
            }
        }
        return true;
    });
    if (ok)
        SetRaster(m_rasterFlags, m_xPixels, m_yPixels, m_pixelSize);
    return ok;
}

bool CRasterHeaderElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = m_points2d && m_points3d ? ReadV7ComplexHeader(cursor, length, 82) : 0;
    if (!n)
        return false;
    const std::uint8_t* p = nullptr;
    m_rasterFlags = LoadU16(record + 40);
    m_bytes[0] = record[42];
    m_bytes[1] = record[43];
    m_xPixels = LoadU16(record + 44);
    m_yPixels = LoadU16(record + 46);
    m_word = LoadU16(record + 48);
    m_carried32 = LoadU16(record + 50);
    p = record + 52;
    m_carried = ReadVaxDouble(&p);
    m_pixelSize = ReadVaxDouble(&p);
    p = record + 68;
    for (double& o : m_origin)
        o = static_cast<double>(ReadV7Int32(&p));
    CBoundedReader r(record + 80, n - 80);
    const std::uint32_t stated = r.U16();
    const std::uint32_t per = Is3dElement() ? 12 : 8;
    const std::uint32_t held = r.Left() / per;
    const std::uint32_t count = stated < held ? stated : held;
    bool ok = Is3dElement() ? m_points3d->Resize(count) : m_points2d->Resize(count);
    for (std::uint32_t i = 0; ok && i < count; ++i) {
        const double x = ReadV7Int32(r), y = ReadV7Int32(r);
        if (Is3dElement())
            m_points3d->SetAt(i, x, y, ReadV7Int32(r));
        else
            m_points2d->SetAt(i, x, y);
    }
    if (!ok) {
        *cursor = record;
        return false;
    }
    SetRaster(m_rasterFlags, m_xPixels, m_yPixels, m_pixelSize);
    *cursor = record + n;
    return true;
}

void CRasterHeaderElement::Touch()
{
    SetGraphicBodySizes(kHeaderBodyBytes + static_cast<std::uint64_t>(PointBytes()) * PointCount());
    IGraphicElement::Touch();
}

std::uint32_t CRasterHeaderElement::WriteV8(std::uint8_t** cursor)
{
    const std::uint32_t n = PointCount();
    CBodyBuffer body(kHeaderBodyBytes + static_cast<std::uint64_t>(PointBytes()) * n);
    if (!body.Data())
        return 0;
    std::uint8_t* p = body.Data();
    PutU32(&p, static_cast<std::uint32_t>(ChildCount()));
    PutU32(&p, m_rasterFlags);
    PutBytes(&p, m_bytes, 2);
    PutU16(&p, m_xPixels);
    PutU16(&p, m_yPixels);
    PutU16(&p, m_word);
    PutF64(&p, m_carried);
    PutF64(&p, m_pixelSize);
    for (double o : m_origin)
        PutF64(&p, o);
    PutU32(&p, n);
    PutU32(&p, m_carried32);
    for (std::uint32_t i = 0; i < n; ++i) {
        if (Is3dElement()) {
            PutF64(&p, m_points3d->At(i)->x);
            PutF64(&p, m_points3d->At(i)->y);
            PutF64(&p, m_points3d->At(i)->z);
        } else {
            PutF64(&p, m_points2d->At(i)->x);
            PutF64(&p, m_points2d->At(i)->y);
        }
    }
    return WriteGraphicBodyRecord(cursor, body.Data(), body.Size());
}

void CRasterHeaderElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Raster Header");
    IGraphicElement::Describe(callback);
    char line[kLineBuffer];
    FormatPoint3d(Point3d{m_origin[0], m_origin[1], m_origin[2]}, "at: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    FormatDistance(m_width, "width: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    FormatDistance(m_height, "height: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    EmitLine(callback, kLineBuffer, "x pixels: %i, y pixels: %i, format: %i", m_xPixels, m_yPixels, static_cast<int>(GetFormat()));
    EmitEnd(callback);
}

CDibBitmap* CRasterHeaderElement::BuildImage()
{
    if (m_image || m_imageTried)
        return m_image;
    m_imageTried = true;
    if ((m_rasterFlags & kFormatMask) != kByteIndexed || !m_xPixels || !m_yPixels)
        return nullptr;
    CDibBitmap* image = CDibBitmap::Create(m_xPixels, m_yPixels, 0);
    if (!image || !image->Bits()) {
        delete image;
        return nullptr;
    }
    CEntityIterator* it = CreateChildIterator(nullptr);
    while (IEntity* e = it ? it->Next() : nullptr) {
        auto* data = e->GetType() == kRasterDataType ? dynamic_cast<CRasterDataElement*>(e) : nullptr;
        const CItemArray* pixels = data ? data->GetPixels() : nullptr;
        if (!pixels)
            continue;
        std::int32_t x = data->GetXOffset(), y = data->GetYOffset();
        // nx beyond the pixel bytes held stops at the bytes.
        const std::uint32_t n = std::min<std::uint32_t>(data->GetCount(), pixels->Count());
        for (std::uint32_t i = 0; i < n && y < m_yPixels; ++i) {
            const std::uint8_t index = static_cast<std::uint8_t>(*pixels->ItemAt(i) - 1);
            image->SetPixel(x, y, GetColorRGB(index, m_designFile));
            if (++x >= m_xPixels) {
                x = 0;
                ++y;
            }
        }
    }
    delete it;
    m_image = image;
    return m_image;
}

void CRasterHeaderElement::EmitGeometry(CEntityIterator*, IGeometrySink* sink)
{
    if (!BuildImage())
        return;
    sink->AddBox3d(0, Point3d{m_origin[0], m_origin[1], m_origin[2]}, m_width, m_height);
}

// ---------------------------------------------------------------------------------------------

CRasterDataElement::CRasterDataElement(CDesignFile* file) : CGraphicBodyElement(file), m_pixels(CItemArray::Create(1, kPixelBlock, 1))
{
    m_type = kRasterDataType;
    m_flags |= kElementGraphic;
    m_properties |= kPropertyScreen;
}

CRasterDataElement::~CRasterDataElement() { delete m_pixels; }

int CRasterDataElement::GetType() const { return kRasterDataType; }
void CRasterDataElement::EmitGeometry(CEntityIterator*, IGeometrySink*) {}

IElement* CRasterDataElement::Clone(CDesignFile* target, bool removeSource)
{
    CRasterDataElement* copy = new (std::nothrow) CRasterDataElement(target ? target : m_designFile);
    CItemArray* pixels = m_pixels ? m_pixels->Clone() : nullptr;
    if (!copy || !pixels) {
        delete copy;
        delete pixels;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    delete copy->m_pixels;
    copy->m_pixels = pixels;
    copy->m_rasterWord = m_rasterWord;
    std::copy(m_bytes, m_bytes + 2, copy->m_bytes);
    copy->SetRun(m_xOffset, m_yOffset, m_count);
    return copy;
}

bool CRasterDataElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_pixels)
        return false;
    return ReadGraphicBody(cursor, length, [&](CBoundedReader& r) {
        m_rasterWord = r.U32();
        r.Bytes(m_bytes, 2);
        m_xOffset = r.U16();
        m_yOffset = r.U16();
        m_count = r.U16();
        // The pixels end at the attribute bytes: the linkages are no pixels.
        const std::uint32_t n = r.Left();
        m_pixels->Reset();
        return !n || m_pixels->AppendItems(r.Span(n), n) != nullptr;
    });
}

bool CRasterDataElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, 46);
    if (!n || !m_pixels || !ReadV7Linkages(record, length) || !IGraphicElement::ReadV7(cursor, length))
        return false;
    m_rasterWord = LoadU16(record + 36);
    m_bytes[0] = record[38];
    m_bytes[1] = record[39];
    m_xOffset = LoadU16(record + 40);
    m_yOffset = LoadU16(record + 42);
    m_count = LoadU16(record + 44);
    m_pixels->Reset();
    if (n > 46 && !m_pixels->AppendItems(record + 46, n - 46)) {
        *cursor = record;
        return false;
    }
    *cursor = record + n;
    return true;
}

void CRasterDataElement::Touch()
{
    SetGraphicBodySizes(kDataBodyBytes + static_cast<std::uint64_t>(m_pixels ? m_pixels->Count() : 0));
    IGraphicElement::Touch();
}

std::uint32_t CRasterDataElement::WriteV8(std::uint8_t** cursor)
{
    const std::uint32_t n = m_pixels ? m_pixels->Count() : 0;
    CBodyBuffer body(kDataBodyBytes + static_cast<std::uint64_t>(n));
    if (!body.Data())
        return 0;
    std::uint8_t* p = body.Data();
    PutU32(&p, m_rasterWord);
    PutBytes(&p, m_bytes, 2);
    PutU16(&p, m_xOffset);
    PutU16(&p, m_yOffset);
    PutU16(&p, m_count);
    if (n)
        PutBytes(&p, m_pixels->Data(), n);
    return WriteGraphicBodyRecord(cursor, body.Data(), body.Size());
}

void CRasterDataElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Raster Data: xofst=%i, yofst=%i, nx=%i", m_xOffset, m_yOffset, m_count);
    EmitEnd(callback);
}

} // namespace dgn
