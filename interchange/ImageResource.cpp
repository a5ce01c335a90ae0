// An image resource: a picture decoded once with GDI+ and drawn by image shapes and tiled by
// image hatch patterns.
#include "interchange/ImageResource.h"
#include "com/AnsiText.h"
#include "interchange/DxfFile.h"
#include "interchange/ImageResourceMap.h"
#include "persistence/DataTableSet.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/ImageResourceSql.h"
#include "persistence/UrlSource.h"
#include "persistence/WebTransfer.h"
#include "interchange/TiffRgbaReader.h"
#include "automation/ResultCodes.h"
#include "com/ErrorInfo.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <objidl.h>
#include <olectl.h>
#include <gdiplus.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <vector>

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

// The formats' file extensions, GDI+ codec MIME types and ImageFormatID column values.
struct FormatInfo
{
    const char* extension;
    const wchar_t* mime;
    int dbFormatId;
};
const FormatInfo kFormats[] = {
    {"emf", L"image/x-emf", 1}, {"bmp", L"image/bmp", 3}, {"jpg", L"image/jpeg", 2},
    {"gif", L"image/gif", 5},   {"tif", L"image/tiff", 7}, {"png", L"image/png", 8},
};
const FormatInfo* InfoOf(int format)
{
    return format >= irtExtMetafile && format <= irtPNG ? &kFormats[format - 1] : nullptr;
}

// Error codes of the image module (the module bits come with SetError).
const int kErrCannotOpen = 0x104;
const int kErrCannotRead = 0x105;
const int kErrUnknownFormat = 0x106;
const int kErrCannotWrite = 0x107;
const int kErrNoMemory = 0x108;

// The GDI+ encoder of a MIME type.
bool FindEncoder(const wchar_t* mime, CLSID* clsid)
{
    UINT count = 0, size = 0;
    if (!mime || GdipGetImageEncodersSize(&count, &size) != Ok || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (GdipGetImageEncoders(count, size, codecs) != Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, mime) == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    return false;
}

// The encoder for a format: its own, else JPEG's.
bool EncoderFor(int format, CLSID* clsid)
{
    const FormatInfo* info = InfoOf(format);
    return (info && FindEncoder(info->mime, clsid)) || FindEncoder(L"image/jpeg", clsid);
}

// GDI+ writes an empty GIF from a bitmap of more than 8 bits per pixel: the picture goes through
// an indexed copy first. The image to save (the copy, owned by *copy, or the picture itself).
GpImage* SavableImage(GpImage* image, int format, GpImage** copy)
{
    *copy = nullptr;
    if (TypeOf(image) == ImageTypeMetafile && format != irtExtMetafile) {
        // A metafile goes into another format as the picture it draws, on white, at its pixel
        // size (not every GDI+ encodes a metafile itself).
        UINT w = 0, h = 0;
        GdipGetImageWidth(image, &w);
        GdipGetImageHeight(image, &h);
        GpBitmap* bitmap = nullptr;
        if (w == 0 || h == 0 ||
            GdipCreateBitmapFromScan0(static_cast<INT>(w), static_cast<INT>(h), 0, PixelFormat24bppRGB, nullptr,
                                      &bitmap) != Ok)
            return image;
        GpGraphics* graphics = nullptr;
        if (GdipGetImageGraphicsContext(bitmap, &graphics) == Ok) {
            GdipGraphicsClear(graphics, 0xFFFFFFFF);
            GdipDrawImageRectI(graphics, image, 0, 0, static_cast<INT>(w), static_cast<INT>(h));
            GdipDeleteGraphics(graphics);
        }
        GpImage* indexed = nullptr;
        if (format == irtGIF && SavableImage(bitmap, format, &indexed) && indexed) {
            GdipDisposeImage(bitmap);
            *copy = indexed;
            return indexed;
        }
        *copy = bitmap;
        return bitmap;
    }
    if (format != irtGIF || TypeOf(image) != ImageTypeBitmap)
        return image;
    UINT w = 0, h = 0;
    GdipGetImageWidth(image, &w);
    GdipGetImageHeight(image, &h);
    GpBitmap* indexed = nullptr;
    if (GdipCloneBitmapAreaI(0, 0, static_cast<INT>(w), static_cast<INT>(h), PixelFormat8bppIndexed,
                             static_cast<GpBitmap*>(image), &indexed) != Ok)
        return image;
    *copy = indexed;
    return indexed;
}



// A Windows metafile without the placeable header: neither the enhanced-metafile signature nor
// the placeable key.
bool IsPlainWindowsMetafile(HGLOBAL block)
{
    ycom::GlobalLockView<BYTE> view(block);
    const SIZE_T size = view.Get() ? view.Size() : 0;
    if (size < 4)
        return false;
    if (Read32(view.Get()) == 0x9AC6CDD7)
        return false;
    return !(size > 44 && Read32(view.Get() + 40) == 0x464D4520);
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && _wcsnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

bool IsAddress(const std::wstring& path) { return path.compare(0, 7, L"http://") == 0 || path.compare(0, 6, L"ftp://") == 0; }

// The folder part of a path with its separator ("" when it has none).
std::wstring FolderOf(const std::wstring& path)
{
    const size_t at = path.find_last_of(L"\\/");
    return at == std::wstring::npos ? std::wstring() : path.substr(0, at + 1);
}

} // namespace

uint32_t ImageContentHash(const void* bytes, size_t size)
{
    return bytes ? HashBytes(static_cast<const BYTE*>(bytes), size) : 0;
}

const char* ImageFormatExtension(int format)
{
    const FormatInfo* info = InfoOf(format);
    return info ? info->extension : "";
}

int ImageFormatToDbFormatId(int format)
{
    const FormatInfo* info = InfoOf(format);
    return info ? info->dbFormatId : 0;
}

int DbFormatIdToImageFormat(int dbFormatId)
{
    for (int format = irtExtMetafile; format <= irtPNG; ++format)
        if (kFormats[format - 1].dbFormatId == dbFormatId)
            return format;
    return irtUnknown;
}

int ImageFormatFromFileName(const std::wstring& name)
{
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos)
        return irtUnknown;
    std::wstring extension = name.substr(dot + 1);
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(std::towlower(c));
    for (int format = irtExtMetafile; format <= irtPNG; ++format)
        if (extension == ycom::AnsiToWide(kFormats[format - 1].extension))
            return format;
    return irtUnknown;
}

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
    if (m_picture) {
        m_picture->Release();
        m_picture = nullptr;
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
    if (detected == irtExtMetafile && IsPlainWindowsMetafile(block)) {
        // Neither GDI+ nor OLE pictures read a Windows metafile without its placeable header:
        // it becomes an enhanced metafile first.
        std::vector<BYTE> bits(size);
        {
            ycom::GlobalLockView<BYTE> view(block);
            if (!view.Get())
                return 0;
            std::memcpy(bits.data(), view.Get(), size);
        }
        HENHMETAFILE emf = SetWinMetaFileBits(static_cast<UINT>(size), bits.data(), nullptr, nullptr);
        if (!emf) {
            SetError(kErrUnknownFormat, "Image format either unknown or invalid");
            return 0;
        }
        const int loaded = LoadFromGdiHandle(emf);
        DeleteEnhMetaFile(emf);
        if (loaded) {
            // The resource stands for the bytes it was given, not for the converted ones.
            m_hash = HashBytes(bits.data(), size);
            m_dataSize = size;
        }
        return loaded;
    }
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
    if (kind == pkNone) {
        SetError(kErrUnknownFormat, "Image format either unknown or invalid");
        // What GDI+ refuses may still be an OLE picture.
        ycom::ComPtr<IStream> stream;
        if (FAILED(CreateStreamOnHGlobal(block, FALSE, stream.Put()))) {
            SetError(kErrCannotOpen, "Cannot open global memory for read");
        } else if (SUCCEEDED(OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                            reinterpret_cast<void**>(&m_picture))) && m_picture) {
            SHORT type = PICTYPE_NONE;
            m_picture->get_Type(&type);
            switch (type) {
            case PICTYPE_BITMAP: kind = pkBitmap; break;
            case PICTYPE_METAFILE: kind = pkMetafile; break;
            case PICTYPE_ENHMETAFILE: kind = pkEnhancedMetafile; break;
            case PICTYPE_ICON: kind = pkIcon; break;
            default: kind = pkNone; break;
            }
            if (kind == pkMetafile) {
                OLE_HANDLE handle = 0;
                m_picture->get_Handle(&handle);
                IPicture* picture = m_picture;
                m_picture = nullptr;
                const int loaded = LoadFromGdiHandle(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(handle)));
                picture->Release();
                return loaded;
            }
        } else {
            SetError(kErrUnknownFormat, "Image format either unknown or invalid");
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
    if (m_image) {
        GdipGetImageWidth(static_cast<GpImage*>(m_image), &m_width);
        GdipGetImageHeight(static_cast<GpImage*>(m_image), &m_height);
    }
    if (!m_image && !m_picture) {
        m_format = irtUnknown;
        return 0;
    }
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

int CImageResource::LoadFromGdiHandle(HGDIOBJ handle)
{
    Reset();
    if (!handle || handle == reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1)))
        return 0;
    HENHMETAFILE emf = nullptr;
    // A Windows metafile becomes an enhanced one of our own for the length of the call.
    struct EnhMetafileOwner {
        HENHMETAFILE handle = nullptr;
        ~EnhMetafileOwner()
        {
            if (handle)
                DeleteEnhMetaFile(handle);
        }
    } converted;
    switch (GetObjectType(handle)) {
    case OBJ_METAFILE: {
        const HMETAFILE wmf = static_cast<HMETAFILE>(handle);
        const UINT size = GetMetaFileBitsEx(wmf, 0, nullptr);
        if (size == 0) {
            SetError(0xFFFF, "Cannot get EMF data");
            return 0;
        }
        std::vector<BYTE> bits(size);
        if (GetMetaFileBitsEx(wmf, size, bits.data()) != size) {
            SetError(0xFFFF, "Cannot get EMF data");
            return 0;
        }
        HDC screen = GetDC(nullptr);
        converted.handle = SetWinMetaFileBits(size, bits.data(), screen, nullptr);
        ReleaseDC(nullptr, screen);
        emf = converted.handle;
        break;
    }
    case OBJ_ENHMETAFILE: emf = static_cast<HENHMETAFILE>(handle); break;
    default: SetError(kErrUnknownFormat, "Image format either unknown or invalid"); return 0;
    }
    const UINT size = emf ? GetEnhMetaFileBits(emf, 0, nullptr) : 0;
    ycom::GlobalMem block(size ? GlobalAlloc(GMEM_MOVEABLE, size) : nullptr);
    if (!block) {
        SetError(size ? kErrNoMemory : 0xFFFF, size ? "Cannot allocate memory" : "Cannot get EMF data");
        return 0;
    }
    {
        ycom::GlobalLockView<BYTE> view(block.Get());
        if (!view.Get() || GetEnhMetaFileBits(emf, size, view.Get()) != size) {
            SetError(0xFFFF, "Cannot get EMF data");
            return 0;
        }
    }
    if (!LoadFromGlobal(block.Get()))
        return 0;
    m_format = irtExtMetafile;
    SetName(("Enhanced Metafile" + std::to_string(m_resourceId)).c_str());
    return 1;
}

void CImageResource::TakeOver(CImageResource& other)
{
    if (m_image)
        GdipDisposeImage(static_cast<GpImage*>(m_image));
    m_image = other.m_image;
    other.m_image = nullptr;
    m_databaseId = other.m_databaseId;
    m_defaultScale = other.m_defaultScale;
    m_blockId = other.m_blockId;
    m_format = other.m_format;
    m_hash = other.m_hash;
    m_dataSize = other.m_dataSize;
    m_width = other.m_width;
    m_height = other.m_height;
    m_name = other.m_name;
    m_hasName = other.m_hasName;
    m_sourcePath = other.m_sourcePath;
    m_owner = other.m_owner;
    if (m_picture)
        m_picture->Release();
    m_picture = other.m_picture;
    if (m_picture)
        m_picture->AddRef();
    m_resourceId = 0;
}

HRESULT CImageResource::SaveToFile(const std::wstring& given, int format)
{
    const std::wstring path = given.empty() ? m_sourcePath : given;
    if (path.empty() || !IsLoaded())
        return E_FAIL;
    if (path.compare(0, 7, L"http://") == 0) {
        // A web server is only read from.
        SetError(kErrCannotOpen, "Cannot create file");
        return E_FAIL;
    }
    if (path.compare(0, 6, L"ftp://") == 0) {
        // Written to a temporary file of the address's name, uploaded, and the file deleted.
        const std::string url = ycom::WideToAnsi(path);
        CUrlParts parts;
        const std::string temporary = MakeTempPathForUrl(url.c_str(), &parts, false);
        if (temporary.empty())
            return E_FAIL;
        const std::wstring local = ycom::AnsiToWide(temporary.c_str());
        const size_t slash = local.find_last_of(L"\\/");
        std::wstring name = local.substr(slash + 1);
        std::wstring extension;
        const size_t dot = name.find_last_of(L'.');
        if (dot != std::wstring::npos) {
            extension = name.substr(dot);
            name.erase(dot);
        }
        const std::wstring before = m_sourcePath;
        HRESULT hr = WriteToFile(L"", local.substr(0, slash + 1), name, extension, format);
        if (SUCCEEDED(hr)) {
            hr = UploadFileToFtp(temporary.c_str(), &parts, url.c_str(), nullptr);
            if (FAILED(hr))
                SetError(kErrCannotWrite, "Cannot write data to file");
        }
        DeleteFileA(temporary.c_str());
        m_sourcePath = before;
        if (SUCCEEDED(hr) && (format == 0 || format == GetFormatId()))
            m_sourcePath = path;
        return FAILED(hr) ? hr : S_OK;
    }
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    std::wstring name = path.substr(folder.size());
    std::wstring extension;
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) {
        extension = name.substr(dot);
        name.erase(dot);
    }
    return WriteToFile(L"", folder, name, extension, format);
}

HRESULT CImageResource::LoadContent(COdbcSession& session)
{
    if (m_databaseId <= 0)
        return 1;
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ImageResourceSql::LoadImageResource, {m_databaseId}));
    COdbcRow row(session.Statement());
    std::vector<BYTE> content;
    bool read = false;
    // The first row whose content comes whole ends the search.
    while (!read && row.Fetch())
        read = row.Bytes(3, content);
    row.Finish();
    if (read)
        LoadFromBytes(content.size(), content.data());
    return 0;
}

HRESULT CImageResource::Save(COdbcSession& session, int scenarioId, int force)
{
    if (!force && m_databaseId > 0)
        return 1;
    if (m_databaseId <= 0 && !m_hasName)
        return ycom::ReportErrorA(kErrorSource, CLSID_YVEXControl, "Wrong name.");
    const int formatColumn = ImageFormatToDbFormatId(m_format);
    const int hash = static_cast<int>(m_hash);
    int databaseId = m_databaseId;
    if (databaseId <= 0) {
        // A row of the same picture stored earlier (by this or another session) is the
        // resource's row.
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ImageResourceSql::FindIdentical, {formatColumn, hash},
                                      {OdbcParam::Text(m_name)}));
        COdbcRow row(session.Statement());
        if (row.Fetch())
            databaseId = row.Int(1);
        row.Finish();
        if (databaseId > 0 && !force) {
            // Nothing is written, but the resource knows its row from now on.
            if (m_owner)
                m_owner->SetDatabaseId(databaseId, m_resourceId);
            else
                m_databaseId = databaseId;
            return 1;
        }
    }
    RECT bounds;
    GetBounds(&bounds);
    ycom::GlobalMem content(GetDataInFormat(0));
    if (!content)
        return E_FAIL;
    ycom::GlobalLockView<BYTE> view(content.Get());
    if (!view.Get())
        return E_OUTOFMEMORY;
    const OdbcParam data = OdbcParam::LongBinary(view.Get(), view.Size());
    const OdbcParam name = OdbcParam::Text(m_name);
    if (databaseId <= 0) {
        int largest = 0;
        RETURN_IF_FAILED(ReadLargestImageResourceId(session, &largest));
        databaseId = largest + 1;
        RETURN_IF_FAILED(session.ExecSave(CLSID_YVEXControl, ImageResourceSql::InsertImageResource,
                                          {databaseId, scenarioId, static_cast<int>(bounds.right),
                                           static_cast<int>(bounds.bottom), hash, formatColumn},
                                          {data, name}, "CImageResource::Save(..)"));
    } else {
        RETURN_IF_FAILED(session.ExecSave(CLSID_YVEXControl, ImageResourceSql::UpdateImageResource,
                                          {hash, static_cast<int>(bounds.right), static_cast<int>(bounds.bottom),
                                           formatColumn, databaseId},
                                          {data, name}, "CImageResource::Save(..)"));
    }
    m_databaseId = databaseId;
    if (m_owner) {
        m_owner->SetDatabaseId(databaseId, m_resourceId);
        m_owner->SetLargestDatabaseId(databaseId);
    }
    return 0;
}

HRESULT ReadLargestImageResourceId(COdbcSession& session, int* largest)
{
    *largest = 0;
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ImageResourceSql::MaxImageResourceId));
    COdbcRow row(session.Statement());
    while (row.Fetch())
        *largest = row.Int(1);
    row.Finish();
    if (*largest < 0)
        *largest = 0;
    return S_OK;
}

void CImageResource::SetError(int code, const char* message) const
{
    if (m_owner)
        m_owner->SetError(code, message);
}

HGLOBAL CImageResource::GetDataInFormat(int format)
{
    GpImage* image = static_cast<GpImage*>(m_image);
    if (!image || !IsLoaded())
        return nullptr;
    const int target = format ? format : GetFormatId();
    if (target == irtExtMetafile && TypeOf(image) != ImageTypeMetafile) {
        // No encoder makes a metafile of a bitmap: another format's bytes under the metafile's
        // name would be a file no reader takes for what it claims to be.
        SetError(kErrUnknownFormat, "Format conversion is not supported");
        return nullptr;
    }
    if (target == irtExtMetafile && TypeOf(image) == ImageTypeMetafile) {
        GpImage* clone = nullptr;
        HENHMETAFILE emf = nullptr;
        if (GdipCloneImage(image, &clone) == Ok)
            GdipGetHemfFromMetafile(static_cast<GpMetafile*>(clone), &emf);
        if (clone)
            GdipDisposeImage(clone);
        if (!emf) {
            SetError(kErrCannotWrite, "Cannot get metafile data");
            return nullptr;
        }
        const UINT size = GetEnhMetaFileBits(emf, 0, nullptr);
        ycom::GlobalMem block(size ? GlobalAlloc(GMEM_MOVEABLE, size) : nullptr);
        bool copied = false;
        if (block) {
            ycom::GlobalLockView<BYTE> view(block.Get());
            copied = view.Get() && GetEnhMetaFileBits(emf, size, view.Get()) == size;
        }
        DeleteEnhMetaFile(emf);
        if (!size || !copied) {
            SetError(size ? kErrCannotWrite : kErrNoMemory, size ? "Cannot copy metafile data" : "There is no metafile data");
            return nullptr;
        }
        return block.Detach();
    }
    CLSID encoder;
    if (!EncoderFor(target, &encoder)) {
        SetError(kErrUnknownFormat, "Format conversion is not supported");
        return nullptr;
    }
    ycom::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, FALSE, stream.Put()))) {
        SetError(kErrNoMemory, "Cannot allocate memory for saving image");
        return nullptr;
    }
    GpImage* copy = nullptr;
    const GpStatus status = GdipSaveImageToStream(SavableImage(image, target, &copy), stream.Get(), &encoder, nullptr);
    if (copy)
        GdipDisposeImage(copy);
    HGLOBAL block = nullptr;
    GetHGlobalFromStream(stream.Get(), &block);
    if (status != Ok) {
        GlobalFree(block);
        const int code = status == OutOfMemory || status == InsufficientBuffer ? er_NoMemory
                         : status == Aborted                                   ? er_UserCancel
                         : status == FileNotFound                              ? er_FindObject
                         : status == UnknownImageFormat                        ? kErrUnknownFormat
                                                                                : er_GeneralError;
        SetError(code, "Cannot get image data");
        return nullptr;
    }
    // The stream's block may be larger than what was written.
    STATSTG stat = {};
    if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && stat.cbSize.QuadPart < GlobalSize(block)) {
        if (HGLOBAL fitted = GlobalReAlloc(block, static_cast<SIZE_T>(stat.cbSize.QuadPart), GMEM_MOVEABLE))
            block = fitted;
    }
    return block;
}

bool CImageResource::Draw(HDC dc, const RECT& rect, const RECT* clip)
{
    GpImage* image = static_cast<GpImage*>(m_image);
    if (dc && !image && m_picture)
        return DrawPicture(dc, rect, clip);
    if (!dc || !image)
        return false;
    GpGraphics* graphics = nullptr;
    if (GdipCreateFromHDC(dc, &graphics) != Ok)
        return false;
    const GpStatus status =
        GdipDrawImageRect(graphics, image, static_cast<REAL>(rect.left), static_cast<REAL>(rect.top),
                          static_cast<REAL>(rect.right - rect.left), static_cast<REAL>(rect.bottom - rect.top));
    GdipDeleteGraphics(graphics);
    return status == Ok;
}

HRESULT CImageResource::LoadFromFile(const std::wstring& path)
{
    Reset();
    // An address is fetched into a temporary file first, which goes when the load is done.
    std::wstring local = path;
    std::string downloaded;
    struct TemporaryFile {
        std::string path;
        ~TemporaryFile()
        {
            if (!path.empty())
                DeleteFileA(path.c_str());
        }
    } temporary;
    if (IsAddress(path)) {
        const std::string url = ycom::WideToAnsi(path);
        if (FAILED(DownloadUrlToFile(url.c_str(), &downloaded, nullptr, nullptr))) {
            SetError(kErrCannotOpen, "Cannot open file");
            return E_FAIL;
        }
        temporary.path = downloaded;
        local = ycom::AnsiToWide(downloaded.c_str());
    }
    ycom::Handle file(CreateFileW(local.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        SetError(kErrCannotOpen, "Cannot open file");
        return E_ACCESSDENIED;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart >= 0xFFFFFFFFLL) {
        SetError(kErrNoMemory, "File is too big");
        return E_OUTOFMEMORY;
    }
    // The format from the first 100 bytes (zeros after a shorter file).
    BYTE head[100] = {};
    DWORD headRead = 0;
    ReadFile(file.Get(), head, sizeof head, &headRead, nullptr);
    SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
    bool decoded = false;
    if (DetectImageFormat(head, sizeof head) == irtTIFF) {
        // Rasters that the platform's decoder does not read go through our own TIFF reader; what
        // it declines is decoded as any other file.
        file.Reset();
        CTiffRgbaReader reader([this](int code, const char* message) { SetError(code, message); });
        HRESULT tiffResult = S_OK;
        if (HGLOBAL png = reader.LoadTiffFile(local, &tiffResult)) {
            decoded = LoadFromGlobal(png) != 0;
            GlobalFree(png);
        }
        if (!decoded) {
            file.Reset(CreateFileW(local.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) {
                SetError(kErrCannotOpen, "Cannot open file");
                return E_ACCESSDENIED;
            }
        }
    }
    if (!decoded) {
        const DWORD length = static_cast<DWORD>(size.QuadPart);
        ycom::GlobalMem block(GlobalAlloc(GMEM_MOVEABLE, length ? length : 1));
        if (!block) {
            SetError(kErrNoMemory, "There is not enough memory to load file");
            return E_OUTOFMEMORY;
        }
        DWORD got = 0;
        {
            ycom::GlobalLockView<BYTE> view(block.Get());
            if (!view.Get() || !ReadFile(file.Get(), view.Get(), length, &got, nullptr) || got != length) {
                SetError(kErrCannotRead, "Cannot read data from file");
                return E_ACCESSDENIED;
            }
        }
        file.Reset();
        decoded = length != 0 && LoadFromGlobal(block.Get());
    }
    if (!decoded || m_format == irtUnknown) {
        Reset();
        SetError(kErrUnknownFormat, "Image format either unknown or invalid");
        return E_FAIL;
    }
    // The name is the file's own (of the address's path for an address), in lower case.
    std::wstring name;
    if (IsAddress(path)) {
        name = ycom::AnsiToWide(MakeTempPathForUrl(ycom::WideToAnsi(path).c_str(), nullptr, true).c_str());
    } else {
        const size_t slash = path.find_last_of(L"\\/");
        name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
        const size_t dot = name.find_last_of(L'.');
        if (dot != std::wstring::npos)
            name.erase(dot);
    }
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(std::towlower(c));
    SetName(ycom::WideToAnsi(name).c_str());
    m_sourcePath = local;
    return S_OK;
}

HRESULT CImageResource::WriteToFile(const std::wstring& drive, const std::wstring& folder, const std::wstring& name,
                                    const std::wstring& extension, int format)
{
    if (!IsLoaded() || name.empty())
        return E_FAIL;
    const int target = format ? format : GetFormatId();
    if (target == irtExtMetafile && TypeOf(static_cast<GpImage*>(m_image)) != ImageTypeMetafile) {
        SetError(kErrUnknownFormat, "Format conversion is not supported");
        return E_FAIL;
    }
    std::wstring path = drive + folder + name;
    if (!extension.empty())
        path += extension[0] == L'.' ? extension : L"." + extension;
    else if (InfoOf(target))
        path += L"." + ycom::AnsiToWide(ImageFormatExtension(target));
    bool written = false;
    GpImage* image = static_cast<GpImage*>(m_image);
    CLSID encoder;
    if (!(target == irtExtMetafile && m_format == irtExtMetafile) && EncoderFor(target, &encoder)) {
        GpImage* copy = nullptr;
        written = GdipSaveImageToFile(SavableImage(image, target, &copy), path.c_str(), &encoder, nullptr) == Ok;
        if (copy)
            GdipDisposeImage(copy);
    }
    if (!written) {
        ycom::GlobalMem block(GetDataInFormat(target));
        if (!block) {
            SetError(kErrCannotRead, "Cannot get image data");
            return E_ACCESSDENIED;
        }
        ycom::Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            SetError(kErrCannotOpen, "Cannot create file");
            return E_ACCESSDENIED;
        }
        ycom::GlobalLockView<BYTE> view(block.Get());
        DWORD done = 0;
        const DWORD size = static_cast<DWORD>(view.Size());
        if (!view.Get() || !WriteFile(file.Get(), view.Get(), size, &done, nullptr) || done != size) {
            SetError(kErrCannotWrite, "Cannot write data to file");
            return E_ACCESSDENIED;
        }
    }
    if (target == m_format)
        m_sourcePath = path;
    return S_OK;
}

HRESULT CImageResource::ExchangeTables(CDataTableSet* tables, DWORD mode)
{
    if (!tables)
        return E_INVALIDARG;
    CImageResourcesTable* table = tables->ImageResources();
    if (!table)
        return 1;
    if (!(mode & DXFMODE_LOAD)) {
        CImageResourcesRecord record;
        if (mode & DXFMODE_USE_YVEX_IDENTIFIERS) {
            record.imageResourceID = m_resourceId;
        } else {
            // The record's key stands for this resource in the set. The resource keeps its own
            // database identity: a key taken for it would make a later save of the site treat the
            // picture as stored already, under a row of another picture.
            record.imageResourceID = table->NewKey();
            tables->AddIdMapping(m_resourceId, record.imageResourceID, 7);
        }
        record.DatabaseID = m_databaseId;
        record.name = m_name;
        RECT bounds;
        GetBounds(&bounds);
        record.width = bounds.right;
        record.height = bounds.bottom;
        record.ImageFormatID = ImageFormatToDbFormatId(m_format);
        if (HGLOBAL data = GetDataInFormat(0)) {
            ycom::GlobalMem block(data);
            ycom::GlobalLockView<BYTE> view(block.Get());
            if (view.Get())
                record.content.assign(view.Get(), view.Get() + view.Size());
        }
        if (CImageResourcesRecord* existing = table->FindRecord(record.imageResourceID))
            *existing = record;
        else
            table->Insert(record);
        return 0;
    }
    const CImageResourcesRecord* record = table->GetCurrent();
    if (!record)
        return E_ACCESSDENIED;
    if ((mode & DXFMODE_USE_YVEX_IDENTIFIERS) && m_databaseId < 1)
        m_databaseId = record->DatabaseID;
    SetName(record->name.c_str());
    if (record->content.empty() || !LoadFromBytes(record->content.size(), record->content.data()))
        return 1;
    if (DbFormatIdToImageFormat(record->ImageFormatID) == irtBitmap && m_format != irtExtMetafile)
        m_format = irtBitmap;
    return 0;
}

bool CImageResource::PlaceBesideDxf(const CDxfFile& dxf, std::wstring* fileName)
{
    const std::wstring extension = ycom::AnsiToWide(ImageFormatExtension(m_format));
    const std::wstring dxfLocal = ycom::AnsiToWide(dxf.GetLocalPath().c_str());
    const std::string target = dxf.HasSource() ? dxf.GetUrl() : dxf.GetLocalPath();
    auto fileOf = [](const std::wstring& path) {
        const size_t at = path.find_last_of(L"\\/");
        return at == std::wstring::npos ? path : path.substr(at + 1);
    };
    // In place: the picture's own file in the DXF file's folder, of its format's extension.
    const std::wstring folder = FolderOf(dxfLocal);
    if (!m_sourcePath.empty() && !folder.empty() && m_sourcePath.size() > folder.size() &&
        EqualNoCase(m_sourcePath.substr(0, folder.size()), folder)) {
        const std::wstring file = fileOf(m_sourcePath);
        const size_t dot = file.find_last_of(L'.');
        if (dot != std::wstring::npos && EqualNoCase(file.substr(dot + 1), extension)) {
            ycom::Handle opened(CreateFileW(m_sourcePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
            if (opened) {
                *fileName = file;
                return true;
            }
        }
    }
    if (target.compare(0, 7, "http://") == 0)
        return false;
    std::wstring place;
    const bool upload = target.compare(0, 6, "ftp://") == 0;
    if (upload) {
        size_t at = target.find_last_of('/');
        if (at == std::string::npos)
            at = target.find_last_of('\\');
        if (at == std::string::npos)
            return false;
        place = ycom::AnsiToWide(target.substr(0, at + 1).c_str());
    } else {
        if (dxfLocal.empty())
            return false;
        place = folder;
    }
    // Two pictures of one name and format beside one drawing must not share a file: a name that
    // another resource's file already has in the folder takes a number (name01, name02 ...).
    const std::wstring base = ycom::AnsiToWide(m_name.c_str());
    // Uploaded there already (the source became the address).
    if (upload && m_sourcePath.size() > place.size() && EqualNoCase(m_sourcePath.substr(0, place.size()), place) &&
        m_sourcePath.find_first_of(L"/\\", place.size()) == std::wstring::npos) {
        *fileName = m_sourcePath.substr(place.size());
        return true;
    }
    std::wstring name = base;
    for (int counter = 1; m_owner && m_owner->IsSourceOfAnother(place + name + L"." + extension, this); ++counter) {
        wchar_t number[16];
        swprintf(number, 16, L"%02d", counter);
        name = base + number;
    }
    const HRESULT hr = upload ? SaveToFile(place + name + L"." + extension, 0) : WriteToFile(L"", place, name, L"", 0);
    if (FAILED(hr))
        return false;
    *fileName = name + L"." + extension;
    return true;
}

int CImageResource::WriteDxfImageDef(CDxfFile& dxf, int handleBase, bool subclassMarkers, uint32_t owner)
{
    std::wstring fileName;
    if (dxf.GetLocalPath().empty()) {
        // A stream has no folder to write into: the picture is named as it is.
        fileName = ycom::AnsiToWide((m_name + "." + ImageFormatExtension(m_format)).c_str());
    } else if (!PlaceBesideDxf(dxf, &fileName)) {
        return 0;
    }
    // Upper case, as every handle we write: readers that compare handles as text (ezdxf does)
    // find the object the IMAGE entities name.
    char handle[16];
    std::snprintf(handle, sizeof handle, "%X", m_resourceId + handleBase);
    dxf.WriteStringGroup(0, "IMAGEDEF");
    dxf.WriteStringGroup(5, handle);
    if (owner) {
        dxf.SetCode(330);
        dxf.SetHandle(owner);
        dxf.WriteGroup();
    }
    if (subclassMarkers)
        dxf.WriteStringGroup(100, "AcDbRasterImageDef");
    dxf.WriteIntGroup(90, 0);
    dxf.WriteStringGroup(1, ycom::WideToAnsi(fileName).c_str());
    dxf.WriteRealGroup(10, m_width);
    dxf.WriteRealGroup(20, m_height);
    dxf.WriteRealGroup(11, 1.0);
    dxf.WriteRealGroup(21, 1.0);
    dxf.WriteIntGroup(280, 1);
    dxf.WriteIntGroup(281, 0);
    return 1;
}

int CImageResource::ReadDxfImageDef(CDxfFile& dxf, uint32_t* handle)
{
    std::string fileName;
    while (dxf.ReadGroup()) {
        const int code = dxf.GetCode();
        if (code == 0) {
            dxf.UngetGroup();
            break;
        }
        if (code == 1 && dxf.GetText())
            fileName = dxf.GetText();
        else if (code == 5 && handle && dxf.GetText())
            *handle = CDxfFile::ParseHandle(dxf.GetText(), std::strlen(dxf.GetText()));
    }
    if (fileName.empty())
        return 0;
    std::wstring path = ycom::AnsiToWide(fileName.c_str());
    const bool address = path.compare(0, 6, L"ftp://") == 0 || path.compare(0, 7, L"http://") == 0;
    if (!address) {
        const bool hasDrive = path.size() >= 2 && path[1] == L':';
        const bool hasFolder = path.find_first_of(L"\\/") != std::wstring::npos;
        if (!hasDrive || !hasFolder) {
            if (!dxf.GetUrl().empty()) {
                // Beside the drawing's address.
                const std::string& url = dxf.GetUrl();
                size_t at = url.find_last_of('/');
                if (at == std::string::npos)
                    at = url.find_last_of('\\');
                if (at == std::string::npos)
                    return 0;
                path = ycom::AnsiToWide(url.substr(0, at + 1).c_str()) + path;
            } else {
                const std::wstring dxfPath = ycom::AnsiToWide(dxf.GetLocalPath().c_str());
                const std::wstring dxfDrive =
                    dxfPath.size() >= 2 && dxfPath[1] == L':' ? dxfPath.substr(0, 2) : std::wstring();
                const std::wstring dxfFolder = FolderOf(dxfPath).substr(dxfDrive.size());
                std::wstring rest = hasDrive ? path.substr(2) : path;
                const std::wstring drive = hasDrive ? path.substr(0, 2) : dxfDrive;
                if (!hasFolder)
                    rest = dxfFolder + rest;
                path = drive + rest;
            }
        }
    }
    return SUCCEEDED(LoadFromFile(path)) ? 1 : 0;
}

bool CImageResource::DrawPicture(HDC dc, const RECT& rect, const RECT* clip)
{
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    m_picture->get_Width(&width);
    m_picture->get_Height(&height);
    RECT destination = rect;
    double srcX = 0, srcY = 0, srcW = width, srcH = height;
    if (clip) {
        // Either rectangle may run bottom to top.
        auto normal = [](const RECT& r) {
            return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                        std::max(r.top, r.bottom)};
        };
        const RECT d = normal(destination);
        RECT visible;
        const RECT c = normal(*clip);
        if (!IntersectRect(&visible, &d, &c))
            return false;
        const double dw = d.right - d.left, dh = d.bottom - d.top;
        if (dw > 0 && dh > 0 && (visible.right - visible.left != d.right - d.left || visible.bottom - visible.top != d.bottom - d.top)) {
            srcX = (visible.left - d.left) / dw * width;
            srcW = (visible.right - visible.left) / dw * width;
            // HIMETRIC runs upwards: the source's top is its bottom edge in device terms.
            srcY = (d.bottom - visible.bottom) / dh * height;
            srcH = (visible.bottom - visible.top) / dh * height;
            destination = visible;
        }
    }
    const int objectType = GetObjectType(dc);
    const RECT bounds = destination;
    SHORT type = PICTYPE_NONE;
    m_picture->get_Type(&type);
    if (type == PICTYPE_ENHMETAFILE && (width > 0xFFFF || height > 0xFFFF)) {
        OLE_HANDLE handle = 0;
        m_picture->get_Handle(&handle);
        return PlayEnhMetaFile(dc, reinterpret_cast<HENHMETAFILE>(static_cast<ULONG_PTR>(handle)), &destination) != FALSE;
    }
    // Rows of the source count from its bottom: it is rendered from its top edge downwards.
    return SUCCEEDED(m_picture->Render(dc, destination.left, destination.top, destination.right - destination.left,
                                       destination.bottom - destination.top, static_cast<OLE_XPOS_HIMETRIC>(srcX),
                                       static_cast<OLE_YPOS_HIMETRIC>(srcY + srcH), static_cast<OLE_XSIZE_HIMETRIC>(srcW),
                                       -static_cast<OLE_YSIZE_HIMETRIC>(srcH),
                                       (objectType == OBJ_METADC || objectType == OBJ_ENHMETADC) ? &bounds : nullptr));
}

void* CImageResource::CloneImage() const
{
    GpImage* copy = nullptr;
    if (!m_image || GdipCloneImage(static_cast<GpImage*>(m_image), &copy) != Ok)
        return nullptr;
    return copy;
}
