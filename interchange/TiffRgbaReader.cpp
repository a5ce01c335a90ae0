// The TIFF raster reader: libtiff reads the directory, the tags and the strips or tiles; the
// pieces are stored into a raster of our own, which becomes a GDI+ bitmap and then PNG bytes.
#include "interchange/TiffRgbaReader.h"
#include "com/Owners.h"
#include <objidl.h>
#include <gdiplus.h>
#include <tiffio.h>
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

const int kErrCannotOpen = 0x104;
const int kErrCannotRead = 0x105;
const int kErrUnknownFormat = 0x106;
const int kErrNoMemory = 0x108;
// The raster is held in memory whole, and GDI+ addresses a bitmap's bytes with 32-bit strides:
// a larger image is refused before anything is allocated.
const unsigned long long kLargestRaster = 0x40000000ULL;

// libtiff's messages of one open file, the first error kept for the caller's message.
struct TiffMessages
{
    std::string firstError;
};

int OnTiffError(TIFF*, void* user, const char*, const char* format, va_list args)
{
    auto* messages = static_cast<TiffMessages*>(user);
    if (messages && messages->firstError.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        messages->firstError = text;
    }
    return 1;
}

int OnTiffWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser
{
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// The state of one decode, after libtiff's TIFFRGBAImage.
struct RasterReader
{
    TIFF* tiff = nullptr;
    TiffMessages* messages = nullptr;
    bool separate = false;
    uint32_t width = 0, height = 0;
    uint16_t bitsPerSample = 1, samplesPerPixel = 1, orientation = ORIENTATION_TOPLEFT, photometric = 0;
    bool floatSamples = false;
    // Output: bits per bitmap pixel and bytes per raster pixel.
    int outputBits = 0;
    int rasterPixel = 0;
    std::vector<BYTE> raster;
    // Float samples are gathered first and scaled into grey once their range is known.
    std::vector<float> samples;

    bool Fail(const char* format, const char* name = nullptr, int value = 0)
    {
        char text[256];
        std::snprintf(text, sizeof text, format, name, value);
        if (messages && messages->firstError.empty())
            messages->firstError = text;
        return false;
    }

    bool Begin();
    bool Get();
    void Put(uint32_t x, uint32_t y, uint32_t w, uint32_t h, const BYTE* data, tmsize_t rowBytes);
};

bool RasterReader::Begin()
{
    uint16_t extraCount = 0;
    uint16_t* extra = nullptr;
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    separate = planar == PLANARCONFIG_SEPARATE;
    const int colorChannels = samplesPerPixel - extraCount;
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric)) {
        uint16_t compression = COMPRESSION_NONE;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
        if (colorChannels == 1)
            photometric = (compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTFAX3 ||
                           compression == COMPRESSION_CCITTFAX4 || compression == COMPRESSION_CCITTRLEW)
                              ? PHOTOMETRIC_MINISWHITE
                              : PHOTOMETRIC_MINISBLACK;
        else if (colorChannels == 3)
            photometric = PHOTOMETRIC_RGB;
        else
            return Fail("Missing needed %s tag", "PhotometricInterpretation");
    }
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK: break;
    case PHOTOMETRIC_PALETTE: {
        uint16_t *r, *g, *b;
        if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &r, &g, &b))
            return Fail("Missing required \"Colormap\" tag");
        break;
    }
    case PHOTOMETRIC_RGB:
        if (colorChannels < 3)
            return Fail("Sorry, can not handle RGB image with %s=%d", "Color channels", colorChannels);
        break;
    case PHOTOMETRIC_SEPARATED: {
        uint16_t inkSet = INKSET_CMYK;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
        if (inkSet != INKSET_CMYK)
            return Fail("Sorry, can not handle separated image with %s=%d", "InkSet", inkSet);
        if (samplesPerPixel < 4)
            return Fail("Sorry, can not handle separated image with %s=%d", "Samples/pixel", samplesPerPixel);
        break;
    }
    case PHOTOMETRIC_YCBCR:
        if (separate)
            return Fail("Sorry, can not handle YCbCr images with %s=%d", "Planarconfiguration", planar);
        break;
    default: return Fail("Sorry, can not handle image with %s=%d", "PhotometricInterpretation", photometric);
    }
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    return true;
}

void RasterReader::Put(uint32_t x, uint32_t y, uint32_t w, uint32_t h, const BYTE* data, tmsize_t rowBytes)
{
    // Pieces at the image's right and bottom edges reach past it.
    const uint32_t columns = std::min(w, width - x);
    const uint32_t rows = std::min(h, height - y);
    if (floatSamples) {
        const size_t pixelBits = static_cast<size_t>(bitsPerSample) * samplesPerPixel;
        for (uint32_t r = 0; r < rows; ++r) {
            const BYTE* row = data + r * rowBytes;
            for (uint32_t c = 0; c < columns; ++c) {
                float value = 0;
                std::memcpy(&value, row + c * pixelBits / 8, sizeof value);
                samples[static_cast<size_t>(y + r) * width + x + c] = value;
            }
        }
        return;
    }
    const size_t stride = (static_cast<size_t>(width) * outputBits + 7) / 8;
    const size_t bytes = std::min<size_t>((static_cast<size_t>(columns) * outputBits + 7) / 8, static_cast<size_t>(rowBytes));
    for (uint32_t r = 0; r < rows; ++r)
        std::memcpy(&raster[static_cast<size_t>(y + r) * stride + static_cast<size_t>(x) * outputBits / 8],
                    data + r * rowBytes, bytes);
}

bool RasterReader::Get()
{
    if (separate) {
        // Separate planes are not stored: each piece reports that it cannot be.
        return Fail("Error parsing TIFF file.\nFormat is not supported yet.");
    }
    if (TIFFIsTiled(tiff)) {
        uint32_t tileWidth = 0, tileHeight = 0;
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
        const tmsize_t size = TIFFTileSize(tiff);
        if (tileWidth == 0 || tileHeight == 0 || size <= 0)
            return Fail("No space for tile buffer");
        std::vector<BYTE> buffer(static_cast<size_t>(size));
        const tmsize_t rowBytes = TIFFTileRowSize(tiff);
        if (rowBytes <= 0 || rowBytes * static_cast<tmsize_t>(tileHeight) > size)
            return Fail("No space for tile buffer");
        for (uint32_t y = 0; y < height; y += tileHeight)
            for (uint32_t x = 0; x < width; x += tileWidth) {
                if (TIFFReadTile(tiff, buffer.data(), x, y, 0, 0) < 0)
                    return false;
                Put(x, y, tileWidth, tileHeight, buffer.data(), rowBytes);
            }
        return true;
    }
    uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::min(std::max<uint32_t>(rowsPerStrip, 1), height);
    const tmsize_t rowBytes = TIFFScanlineSize(tiff);
    if (rowBytes <= 0)
        return Fail("No space for strip buffer");
    std::vector<BYTE> buffer(static_cast<size_t>(rowBytes) * rowsPerStrip);
    for (uint32_t y = 0; y < height; y += rowsPerStrip) {
        const uint32_t rows = std::min(rowsPerStrip, height - y);
        if (TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, y, 0), buffer.data(), rowBytes * rows) < 0)
            return false;
        Put(0, y, width, rows, buffer.data(), rowBytes);
    }
    return true;
}

PixelFormat FormatForBits(int bits)
{
    switch (bits) {
    case 1: return PixelFormat1bppIndexed;
    case 4: return PixelFormat4bppIndexed;
    case 8: return PixelFormat8bppIndexed;
    case 16: return PixelFormat16bppRGB555;
    case 24: return PixelFormat24bppRGB;
    case 32: return PixelFormat32bppARGB;
    default: return 0;
    }
}

bool PngEncoder(CLSID* clsid)
{
    UINT count = 0, size = 0;
    if (GdipGetImageEncodersSize(&count, &size) != Ok || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (GdipGetImageEncoders(count, size, codecs) != Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    return false;
}

// The bitmap's bytes as PNG in a movable block, or null.
HGLOBAL EncodePng(GpBitmap* bitmap)
{
    CLSID png;
    if (!PngEncoder(&png))
        return nullptr;
    ycom::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, FALSE, stream.Put())))
        return nullptr;
    const GpStatus status = GdipSaveImageToStream(bitmap, stream.Get(), &png, nullptr);
    HGLOBAL block = nullptr;
    GetHGlobalFromStream(stream.Get(), &block);
    if (status != Ok) {
        GlobalFree(block);
        return nullptr;
    }
    STATSTG stat = {};
    if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && stat.cbSize.QuadPart < GlobalSize(block))
        if (HGLOBAL fitted = GlobalReAlloc(block, static_cast<SIZE_T>(stat.cbSize.QuadPart), GMEM_MOVEABLE))
            block = fitted;
    return block;
}

// A grey ramp for indexed bitmaps of 1, 4 and 8 bits (white first for min-is-white images).
void SetGreyPalette(GpBitmap* bitmap, int bits, bool whiteIsZero)
{
    const int entries = 1 << bits;
    std::vector<BYTE> storage(sizeof(ColorPalette) + sizeof(ARGB) * entries);
    auto* palette = reinterpret_cast<ColorPalette*>(storage.data());
    palette->Flags = PaletteFlagsGrayScale;
    palette->Count = static_cast<UINT>(entries);
    for (int i = 0; i < entries; ++i) {
        int level = i * 255 / (entries - 1);
        if (whiteIsZero)
            level = 255 - level;
        palette->Entries[i] = 0xFF000000u | (level << 16) | (level << 8) | level;
    }
    GdipSetImagePalette(bitmap, palette);
}

} // namespace

void CTiffRgbaReader::Fail(int code, const std::string& message) const
{
    if (m_sink)
        m_sink(code, message.c_str());
}

HGLOBAL CTiffRgbaReader::LoadTiffFile(const std::wstring& path, HRESULT* result)
{
    HRESULT ignored;
    HRESULT& hr = result ? *result : ignored;
    hr = E_UNEXPECTED;
    TiffMessages messages;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) {
        hr = E_OUTOFMEMORY;
        Fail(kErrNoMemory, "There is not enough memory");
        return nullptr;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options, &OnTiffError, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &OnTiffWarning, &messages);
    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpenWExt(path.c_str(), "r", options));
    TIFFOpenOptionsFree(options);
    if (!tiff) {
        hr = E_ACCESSDENIED;
        Fail(kErrCannotOpen, "Cannot open file");
        return nullptr;
    }
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    if (width < 1 || height < 1) {
        hr = E_OUTOFMEMORY;
        Fail(kErrCannotRead, "File is empty");
        return nullptr;
    }
    // Width and height come from the file: their product is checked in 64 bits before the raster
    // is sized by it.
    const unsigned long long rasterBytes = static_cast<unsigned long long>(width) * height * 4 + 8;
    if (rasterBytes > kLargestRaster) {
        hr = E_OUTOFMEMORY;
        Fail(kErrNoMemory, "There is not enough memory");
        return nullptr;
    }
    char reason[1024] = "";
    auto decline = [&](const std::string& why) {
        hr = E_UNEXPECTED;
        std::string message = "Cannot read TIFF image";
        if (!why.empty())
            message += ": " + why;
        Fail(kErrUnknownFormat, message);
        return nullptr;
    };
    if (TIFFRGBAImageOK(tiff.get(), reason))
        return decline(std::string());
    RasterReader reader;
    reader.tiff = tiff.get();
    reader.messages = &messages;
    if (!reader.Begin())
        return decline(messages.firstError);
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    const bool hasSampleFormat = TIFFGetField(tiff.get(), TIFFTAG_SAMPLEFORMAT, &sampleFormat) != 0;
    // A raster pixel holds at most four bytes: deeper samples would run past it.
    if (reader.bitsPerSample > 32 || reader.bitsPerSample == 0)
        return decline("Sorry, can not handle images with " + std::to_string(reader.bitsPerSample) +
                       "-bit samples");
    if (hasSampleFormat && sampleFormat == SAMPLEFORMAT_IEEEFP) {
        if (reader.bitsPerSample != 32)
            return decline("Sorry, can not handle floating-point samples of " +
                           std::to_string(reader.bitsPerSample) + " bits");
        reader.floatSamples = true;
        reader.outputBits = 24;
        reader.rasterPixel = 3;
    } else {
        reader.outputBits = reader.bitsPerSample;
        reader.rasterPixel = reader.bitsPerSample / 8;
    }
    // The copy stores whole sample rows of the file: the file's rows must not be wider than the
    // raster's.
    if (!reader.floatSamples && reader.samplesPerPixel != 1)
        return decline("Sorry, can not handle images of " + std::to_string(reader.samplesPerPixel) + " samples of " +
                       std::to_string(reader.bitsPerSample) + " bits");
    const PixelFormat format = FormatForBits(reader.outputBits);
    if (format == 0)
        return decline("Sorry, can not handle images with " + std::to_string(reader.outputBits) + "-bit pixels");
    try {
        if (reader.floatSamples)
            reader.samples.assign(static_cast<size_t>(width) * height, 0.0f);
        reader.raster.assign(static_cast<size_t>(rasterBytes), 0);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
        Fail(kErrNoMemory, "There is not enough memory");
        return nullptr;
    }
    if (!reader.Get())
        return decline(messages.firstError);
    if (reader.floatSamples) {
        // Grey from the samples' own range: the darkest sample black, the brightest white. A
        // flat image keeps its values (rounded, the low byte).
        float low = std::numeric_limits<float>::max(), high = -std::numeric_limits<float>::max();
        for (float v : reader.samples)
            if (std::isfinite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
        const double range = high > low ? static_cast<double>(high) - low : 0.0;
        for (size_t i = 0; i < reader.samples.size(); ++i) {
            const float v = std::isfinite(reader.samples[i]) ? reader.samples[i] : low;
            BYTE grey;
            if (range > 0) {
                grey = static_cast<BYTE>(std::lround((v - low) * 255.0 / range));
            } else {
                const double whole = std::trunc(static_cast<double>(v));
                grey = static_cast<BYTE>(static_cast<long long>(whole) & 0xFF);
                if (v - whole >= 0.5)
                    ++grey;
            }
            std::memset(&reader.raster[i * 3], grey, 3);
        }
    }
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0, format, nullptr, &bitmap) != Ok) {
        hr = E_OUTOFMEMORY;
        Fail(kErrNoMemory, "There is not enough memory");
        return nullptr;
    }
    if (reader.outputBits <= 8)
        SetGreyPalette(bitmap, reader.outputBits, reader.photometric == PHOTOMETRIC_MINISWHITE);
    BitmapData data = {};
    GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    if (GdipBitmapLockBits(bitmap, &all, ImageLockModeWrite, format, &data) == Ok) {
        // Rows stored from the bottom up (orientations bottom-right and bottom-left) turn over.
        const bool bottomUp = reader.orientation == ORIENTATION_BOTRIGHT || reader.orientation == ORIENTATION_BOTLEFT;
        const size_t rowBytes = (static_cast<size_t>(width) * reader.outputBits + 7) / 8;
        for (uint32_t y = 0; y < height; ++y) {
            const uint32_t target = bottomUp ? height - 1 - y : y;
            BYTE* to = static_cast<BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(target) * data.Stride;
            std::memcpy(to, &reader.raster[static_cast<size_t>(y) * rowBytes], rowBytes);
        }
        GdipBitmapUnlockBits(bitmap, &data);
    }
    tiff.reset();
    reader.raster.clear();
    reader.raster.shrink_to_fit();
    HGLOBAL png = EncodePng(bitmap);
    GdipDisposeImage(bitmap);
    if (!png) {
        hr = E_FAIL;
        Fail(kErrUnknownFormat, "Cannot get image data");
        return nullptr;
    }
    hr = S_OK;
    return png;
}
