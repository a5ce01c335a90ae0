// An image resource: a picture decoded once with GDI+ and drawn by image shapes and tiled by
// image hatch patterns.
#include "interchange/ImageResource.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <objidl.h>
#include <gdiplus.h>
#include <cstring>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// GDI+ raw formats share one GUID but for its first word.
const GUID kRawFormatBase = {0xb96b3ca9, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
enum RawFormat : unsigned long
{
    rawUndefined = 0xb96b3ca9,
    rawMemoryBmp = 0xb96b3caa,
    rawBmp = 0xb96b3cab,
    rawEmf = 0xb96b3cac,
    rawWmf = 0xb96b3cad,
    rawJpeg = 0xb96b3cae,
    rawPng = 0xb96b3caf,
    rawGif = 0xb96b3cb0,
    rawTiff = 0xb96b3cb1,
    rawExif = 0xb96b3cb2,
    rawIcon = 0xb96b3cb5,
};

// The first word of an image's raw format; rawUndefined for a format of another family.
unsigned long RawFormatOf(GpImage* image)
{
    GUID format{};
    if (!image || GdipGetImageRawFormat(image, &format) != Ok)
        return rawUndefined;
    if (std::memcmp(&format.Data2, &kRawFormatBase.Data2, sizeof(GUID) - sizeof(format.Data1)) != 0)
        return rawUndefined;
    return format.Data1;
}

ImageType TypeOf(GpImage* image)
{
    ImageType type = ImageTypeUnknown;
    if (!image || GdipGetImageType(image, &type) != Ok)
        return ImageTypeUnknown;
    return type;
}

uint32_t Read32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Read16(const BYTE* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// The content hash: rotate left by 8 bits and add each byte.
uint32_t HashBytes(const BYTE* bytes, size_t size)
{
    uint32_t hash = 0;
    for (size_t i = 0; i < size; ++i)
        hash = ((hash << 8) | (hash >> 24)) + bytes[i];
    return hash;
}

// Kinds of decoded picture.
enum PictureKind
{
    pkNone,
    pkBitmap,
    pkMetafile,
    pkEnhancedMetafile,
    pkIcon
};

} // namespace

int DetectImageFormat(const void* data, size_t size)
{
    if (!data)
        return irtUnknown;
    const BYTE* b = static_cast<const BYTE*>(data);
    if (size > 2 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F')
        return irtGIF;
    if (size > 1 && b[0] == 'B' && b[1] == 'M')
        return irtBitmap;
    if (size > 3 && ((b[0] == 0x49 && b[1] == 0x49 && b[2] == 0x2A && b[3] == 0x00) ||
                     (b[0] == 0x4D && b[1] == 0x4D && b[2] == 0x00 && b[3] == 0x2A)))
        return irtTIFF;
    static const BYTE kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::memcmp(b, kPng, size < 8 ? size : 8) == 0)
        return irtPNG;
    // " EMF" in the header of an enhanced metafile.
    if (size > 44 && Read32(b + 40) == 0x464D4520)
        return irtExtMetafile;
    // The key of a placeable Windows metafile.
    if (size > 4 && Read32(b) == 0x9AC6CDD7)
        return irtExtMetafile;
    // A plain Windows metafile header: type, header size, version, file size in words, maximum
    // record size.
    if (size > 16 && Read16(b) <= 3 && (Read16(b + 4) == 0x0100 || Read16(b + 4) == 0x0300) &&
        Read32(b + 6) >= Read32(b + 12) + Read16(b + 2))
        return irtExtMetafile;
    return irtJPEG;
}

CImageResource::CImageResource(int resourceId, const void* bytes, size_t count, float defaultScale, int blockId)
    : m_defaultScale(defaultScale), m_resourceId(resourceId), m_blockId(blockId)
{
    if (!bytes || count == 0)
        return;
    m_hash = HashBytes(static_cast<const BYTE*>(bytes), count);
    LoadFromBytes(count, bytes);
}

CImageResource::~CImageResource() { Reset(); }

void CImageResource::SetName(const char* name)
{
    m_hasName = name != nullptr;
    m_name = name ? name : "";
}

void CImageResource::FreeDrawHandle()
{
    if (m_drawHandle) {
        if (GetObjectType(m_drawHandle) == OBJ_ENHMETAFILE)
            DeleteEnhMetaFile(static_cast<HENHMETAFILE>(m_drawHandle));
        else
            DeleteObject(m_drawHandle);
        m_drawHandle = nullptr;
    }
}

void CImageResource::Reset()
{
    FreeDrawHandle();
    if (m_image) {
        GdipDisposeImage(static_cast<GpImage*>(m_image));
        m_image = nullptr;
    }
    m_format = irtUnknown;
    m_hash = 0;
    m_dataSize = 0;
    m_width = m_height = 0;
}

int CImageResource::LoadFromBytes(size_t size, const void* bytes)
{
    Reset();
    if (!bytes || size == 0)
        return 0;
    ycom::GlobalMem block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block.Get())
        return 0;
    {
        ycom::GlobalLockView<BYTE> view(block.Get());
        if (!view.Get())
            return 0;
        std::memcpy(view.Get(), bytes, size);
    }
    return LoadFromGlobal(block.Get());
}

bool CImageResource::DecodeWithGdiPlus(HGLOBAL block, int detectedFormat)
{
    // GDI+ reads the picture from a stream that owns a copy of the bytes.
    const SIZE_T size = GlobalSize(block);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy)
        return false;
    {
        ycom::GlobalLockView<BYTE> from(block);
        ycom::GlobalLockView<BYTE> to(copy);
        if (!from.Get() || !to.Get()) {
            GlobalFree(copy);
            return false;
        }
        std::memcpy(to.Get(), from.Get(), size);
    }
    ycom::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, stream.Put()))) {
        GlobalFree(copy);
        return false;
    }
    GpImage* image = nullptr;
    if (detectedFormat == irtExtMetafile) {
        GpMetafile* metafile = nullptr;
        if (GdipCreateMetafileFromStream(stream.Get(), &metafile) == Ok)
            image = metafile;
    } else {
        GpBitmap* bitmap = nullptr;
        if (GdipCreateBitmapFromStream(stream.Get(), &bitmap) == Ok)
            image = bitmap;
    }
    m_image = image;
    if (!IsLoaded()) {
        if (image)
            GdipDisposeImage(image);
        m_image = nullptr;
        return false;
    }
    // World units per pixel from the picture's resolution (tenths of a millimetre per inch
    // when the drawing's unit is not known here).
    REAL dpi = 0;
    if (GdipGetImageHorizontalResolution(image, &dpi) == Ok && dpi != 0)
        m_defaultScale = static_cast<float>(10.0 / dpi);
    return true;
}

int CImageResource::LoadFromGlobal(HGLOBAL block)
{
    Reset();
    const SIZE_T size = block ? GlobalSize(block) : 0;
    if (size == 0)
        return 0;
    int detected;
    {
        ycom::GlobalLockView<BYTE> view(block);
        if (!view.Get())
            return 0;
        detected = DetectImageFormat(view.Get(), size);
    }
    PictureKind kind = pkNone;
    if (DecodeWithGdiPlus(block, detected)) {
        GpImage* image = static_cast<GpImage*>(m_image);
        if (TypeOf(image) == ImageTypeMetafile) {
            kind = pkEnhancedMetafile;
        } else {
            switch (RawFormatOf(image)) {
            case rawBmp:
            case rawMemoryBmp:
            case rawJpeg:
            case rawPng:
            case rawGif:
            case rawTiff:
            case rawExif: kind = pkBitmap; break;
            case rawEmf: kind = pkEnhancedMetafile; break;
            case rawWmf: kind = pkMetafile; break;
            case rawIcon: kind = pkIcon; break;
            default: kind = pkNone; break;
            }
        }
    }
    switch (kind) {
    case pkNone: Reset(); return 0;
    case pkBitmap: m_format = detected; break;
    case pkIcon: m_format = irtBitmap; break;
    case pkMetafile:
    case pkEnhancedMetafile: m_format = irtExtMetafile; break;
    }
    {
        ycom::GlobalLockView<BYTE> view(block);
        m_hash = view.Get() ? HashBytes(view.Get(), size) : 0;
    }
    m_dataSize = size;
    GdipGetImageWidth(static_cast<GpImage*>(m_image), &m_width);
    GdipGetImageHeight(static_cast<GpImage*>(m_image), &m_height);
    return 1;
}

bool CImageResource::IsLoaded() const
{
    GpImage* image = static_cast<GpImage*>(m_image);
    return image && TypeOf(image) != ImageTypeUnknown && RawFormatOf(image) != rawUndefined;
}

int CImageResource::GetFormatId() const
{
    GpImage* image = static_cast<GpImage*>(m_image);
    if (!image)
        return irtUnknown;
    if (TypeOf(image) == ImageTypeMetafile)
        return irtExtMetafile;
    switch (RawFormatOf(image)) {
    case rawBmp:
    case rawMemoryBmp: return irtBitmap;
    case rawJpeg: return irtJPEG;
    case rawPng:
    case rawExif:
    case rawIcon: return irtPNG;
    case rawGif: return irtGIF;
    case rawTiff: return irtTIFF;
    case rawEmf:
    case rawWmf: return irtExtMetafile;
    default: return irtUnknown;
    }
}

int CImageResource::GetBounds(RECT* rect) const
{
    const bool loaded = IsLoaded();
    if (rect)
        *rect = RECT{0, 0, loaded ? static_cast<LONG>(m_width) : 0, loaded ? static_cast<LONG>(m_height) : 0};
    return loaded ? 1 : 0;
}

HGDIOBJ CImageResource::GetDrawHandle()
{
    FreeDrawHandle();
    GpImage* image = static_cast<GpImage*>(m_image);
    if (!image)
        return nullptr;
    if (m_format == irtExtMetafile && TypeOf(image) == ImageTypeMetafile) {
        // The metafile handle is taken from a clone, which the call consumes.
        GpImage* clone = nullptr;
        if (GdipCloneImage(image, &clone) != Ok)
            return nullptr;
        HENHMETAFILE emf = nullptr;
        GdipGetHemfFromMetafile(static_cast<GpMetafile*>(clone), &emf);
        GdipDisposeImage(clone);
        m_drawHandle = emf;
    } else {
        HBITMAP bitmap = nullptr;
        if (GdipCreateHBITMAPFromBitmap(static_cast<GpBitmap*>(image), &bitmap, 0xFF000000) == Ok)
            m_drawHandle = bitmap;
    }
    return m_drawHandle;
}

HRESULT CImageResource::Save(COdbcSession&, int, int) { return E_NOTIMPL; }
