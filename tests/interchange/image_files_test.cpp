// Image resources and their files: format detection, the DIB and TIFF readers, writing every
// format, and pictures from and to the run's web and FTP servers. The fixtures come from
// tests/fixtures/images/make_fixtures.py; the written pictures are read by PIL and printemf
// afterwards (check_written_images.py).
#include "TestPaths.h"
#include "WebServers.h"
#include "ImageTestSupport.h"
#include "interchange/DibFile.h"
#include "interchange/DxfFile.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "interchange/TiffRgbaReader.h"
#include "com/AnsiText.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <gdiplus.h>
#include <gtest/gtest.h>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

std::wstring Fixture(const char* name) { return ycom::AnsiToWide(WinPath("YVEX_BINARY_DIR", std::string("tests/fixtures/images/") + name).c_str()); }
std::wstring Output(const char* name) { return ycom::AnsiToWide(WinPath("YVEX_BINARY_DIR", std::string("tests/interchange/images_out/") + name).c_str()); }

// A map standing alone whose errors are kept.
struct Errors
{
    int code = 0;
    std::string message;
};

class ImageFiles : public testing::Test
{
protected:
    void SetUp() override
    {
        imagetest::EnsureGdiplus();
        map.SetErrorReporter([this](int code, const char* message) {
            errors.code = code;
            errors.message = message ? message : "";
        });
        CreateDirectoryW(Output("").c_str(), nullptr);
    }
    // A new resource of the map (not inserted) loaded from a file.
    std::unique_ptr<CImageResource> FromFile(const std::wstring& path, HRESULT* hr)
    {
        auto resource = std::make_unique<CImageResource>(map.GetNextId(), nullptr, 0, 0.1f, -1);
        resource->SetOwner(&map);
        *hr = resource->LoadFromFile(path);
        return resource;
    }

    CImageResourceMap map;
    Errors errors;
};

TEST(ImageFormats, DetectionByTheFirstBytes)
{
    const std::vector<BYTE> emfHeader = [] {
        std::vector<BYTE> b(48, 0);
        b[0] = 1;
        b[40] = 0x20, b[41] = 'E', b[42] = 'M', b[43] = 'F';
        return b;
    }();
    // A plain Windows metafile header: type 1, header of 9 words, version 0x300, 40 words, the
    // largest record 30 words.
    const std::vector<BYTE> wmf = {1, 0, 9, 0, 0, 3, 40, 0, 0, 0, 0, 0, 30, 0, 0, 0, 0, 0};
    const struct
    {
        std::vector<BYTE> bytes;
        int format;
    } cases[] = {
        {{'G', 'I', 'F', '8'}, irtGIF},
        {{'G', 'I'}, irtJPEG},  // too short for "GIF"
        {{'B', 'M', 0}, irtBitmap},
        {{0x49, 0x49, 0x2A, 0x00, 8}, irtTIFF},
        {{0x4D, 0x4D, 0x00, 0x2A, 0}, irtTIFF},
        {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0}, irtPNG},
        {{0x89, 'P', 'N'}, irtPNG},  // only the bytes present are compared
        {emfHeader, irtExtMetafile},
        {{0xD7, 0xCD, 0xC6, 0x9A, 0}, irtExtMetafile},
        {wmf, irtExtMetafile},
        {{0xFF, 0xD8, 0xFF, 0xE0}, irtJPEG},
        {{'t', 'e', 'x', 't'}, irtJPEG},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectImageFormat(c.bytes.data(), c.bytes.size()), c.format) << c.bytes.size() << " bytes";
    EXPECT_EQ(DetectImageFormat(nullptr, 10), irtUnknown);

    const int columns[][2] = {{irtExtMetafile, 1}, {irtBitmap, 3}, {irtJPEG, 2}, {irtGIF, 5}, {irtTIFF, 7}, {irtPNG, 8}};
    for (const auto& c : columns) {
        EXPECT_EQ(ImageFormatToDbFormatId(c[0]), c[1]);
        EXPECT_EQ(DbFormatIdToImageFormat(c[1]), c[0]);
    }
    EXPECT_EQ(ImageFormatToDbFormatId(9), 0);
    EXPECT_EQ(DbFormatIdToImageFormat(4), irtUnknown);
    EXPECT_EQ(ImageFormatFromFileName(L"Logo.PNG"), irtPNG);
    EXPECT_EQ(ImageFormatFromFileName(L"a.b.Tif"), irtTIFF);
    EXPECT_EQ(ImageFormatFromFileName(L"noextension"), irtUnknown);
    EXPECT_EQ(ImageContentHash("ABCDE", 5), 0x42434486u);
}

TEST_F(ImageFiles, GarbageIsRefusedAsAnUnknownFormat)
{
    CImageResource resource(1, nullptr, 0, 1.0f, -1);
    resource.SetOwner(&map);
    EXPECT_EQ(resource.LoadFromBytes(5, "ABCDE"), 0);
    EXPECT_EQ(errors.code, 0x05000106);
    EXPECT_EQ(errors.message, "Image format either unknown or invalid");
    EXPECT_FALSE(resource.IsLoaded());
    EXPECT_EQ(resource.GetFormat(), irtUnknown);
}

TEST_F(ImageFiles, AFileIsNamedInLowerCaseAndHashedOverItsBytes)
{
    const std::wstring path = Output("Logo.PNG");
    ASSERT_TRUE(CopyFileW(Fixture("logo.png").c_str(), path.c_str(), FALSE));
    HRESULT hr;
    auto resource = FromFile(path, &hr);
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(resource->GetName(), "logo");
    EXPECT_EQ(resource->GetFormat(), irtPNG);
    EXPECT_EQ(resource->GetSourcePath(), path);
    std::ifstream in(ycom::WideToAnsi(path), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(resource->GetHash(), ImageContentHash(bytes.data(), bytes.size()));
}

// Every format written from a bitmap reads back as that format; a bitmap is never written as a
// metafile (the bytes would be another format's under the metafile's extension).
TEST_F(ImageFiles, EveryFormatIsWrittenAndABitmapIsNotAMetafile)
{
    HRESULT hr;
    auto resource = FromFile(Fixture("logo.png"), &hr);
    ASSERT_EQ(hr, S_OK);
    for (int format : {irtBitmap, irtJPEG, irtGIF, irtTIFF, irtPNG}) {
        SCOPED_TRACE(format);
        const std::wstring name = L"written_" + std::to_wstring(format);
        ASSERT_EQ(resource->WriteToFile(L"", Output(""), name, L"", format), S_OK);
        std::ifstream in(ycom::WideToAnsi(Output("") + name + L"." + ycom::AnsiToWide(ImageFormatExtension(format))), std::ios::binary);
        char head[8] = {};
        in.read(head, sizeof head);
        EXPECT_EQ(DetectImageFormat(head, static_cast<size_t>(in.gcount())), format);
    }
    errors = Errors();
    EXPECT_EQ(resource->WriteToFile(L"", Output(""), L"not_a_metafile", L"", irtExtMetafile), E_FAIL);
    EXPECT_EQ(errors.code, 0x05000106);
    EXPECT_EQ(GetFileAttributesW((Output("not_a_metafile.emf")).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(resource->GetDataInFormat(irtExtMetafile), nullptr);
    EXPECT_EQ(resource->SaveToFile(Output("not_a_metafile2.emf"), irtExtMetafile), E_FAIL);

    // A metafile picture is written as a metafile.
    const std::vector<BYTE> emf = imagetest::MakeEmf(RGB(200, 0, 0));
    CImageResource metafile(2, emf.data(), emf.size(), 1.0f, -1);
    ASSERT_EQ(metafile.GetFormat(), irtExtMetafile);
    ASSERT_EQ(metafile.WriteToFile(L"", Output(""), L"written_1", L"", 0), S_OK);
}

// A Windows metafile without the placeable header reads as an enhanced metafile.
TEST_F(ImageFiles, APlainWindowsMetafileBecomesAnEnhancedOne)
{
    HDC dc = CreateMetaFileW(nullptr);
    Rectangle(dc, 0, 0, 100, 50);
    HMETAFILE wmf = CloseMetaFile(dc);
    std::vector<BYTE> bits(GetMetaFileBitsEx(wmf, 0, nullptr));
    GetMetaFileBitsEx(wmf, static_cast<UINT>(bits.size()), bits.data());
    DeleteMetaFile(wmf);
    ASSERT_EQ(DetectImageFormat(bits.data(), bits.size()), irtExtMetafile);
    CImageResource resource(1, bits.data(), bits.size(), 1.0f, -1);
    EXPECT_EQ(resource.GetFormat(), irtExtMetafile);
    EXPECT_TRUE(resource.IsLoaded());
    EXPECT_EQ(resource.GetHash(), ImageContentHash(bits.data(), bits.size()));
}

TEST_F(ImageFiles, TheTiffReaderDeclinesWhatLibtiffReadsAndReadsFloats)
{
    // 8-bit RGB with LZW: libtiff's own reader takes it, so ours declines and GDI+ decodes it.
    CTiffRgbaReader reader([this](int code, const char* message) {
        errors.code = code;
        errors.message = message;
    });
    HRESULT result = S_OK;
    EXPECT_EQ(reader.LoadTiffFile(Fixture("rgb8_lzw.tif"), &result), nullptr);
    EXPECT_EQ(result, E_UNEXPECTED);
    EXPECT_EQ(errors.code, 0x106);
    EXPECT_EQ(errors.message.rfind("Cannot read TIFF image", 0), 0u);
    HRESULT hr;
    auto rgb = FromFile(Fixture("rgb8_lzw.tif"), &hr);
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(rgb->GetFormat(), irtTIFF);
    EXPECT_EQ(rgb->GetWidth(), 40u);

    // A float ramp: a grey PNG, darkest on the left, brightest on the right, never darker to
    // the right.
    HGLOBAL png = reader.LoadTiffFile(Fixture("ramp_float32.tif"), &result);
    ASSERT_NE(png, nullptr) << errors.message;
    EXPECT_EQ(result, S_OK);
    CImageResource decoded(1, nullptr, 0, 1.0f, -1);
    ASSERT_EQ(decoded.LoadFromGlobal(png), 1);
    GlobalFree(png);
    EXPECT_EQ(decoded.GetFormat(), irtPNG);
    HBITMAP bitmap = static_cast<HBITMAP>(decoded.GetDrawHandle());
    ASSERT_NE(bitmap, nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(64 * 16);
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDIBits(screen, bitmap, 0, 16, pixels.data(), &info, DIB_RGB_COLORS), 16);
    ReleaseDC(nullptr, screen);
    int previous = -1;
    for (int x = 0; x < 64; ++x) {
        const DWORD p = pixels[5 * 64 + x];
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        EXPECT_TRUE(r == g && g == b) << "grey at " << x;
        EXPECT_GE(r, previous) << "monotonic at " << x;
        previous = r;
    }
    EXPECT_EQ(pixels[5 * 64] & 0xFF, 0u);
    EXPECT_EQ(pixels[5 * 64 + 63] & 0xFF, 255u);

    // Through the resource: any TIFF file goes through the reader first.
    auto ramp = FromFile(Fixture("ramp_float32.tif"), &hr);
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(ramp->GetFormat(), irtPNG);
    EXPECT_EQ(ramp->GetName(), "ramp_float32");
    auto grey = FromFile(Fixture("grey_uint32.tif"), &hr);
    EXPECT_EQ(hr, S_OK);
}

TEST_F(ImageFiles, TiffHeadersBeyondWhatARasterHoldsAreRefused)
{
    CTiffRgbaReader reader([this](int code, const char* message) {
        errors.code = code;
        errors.message = message;
    });
    HRESULT result = S_OK;
    EXPECT_EQ(reader.LoadTiffFile(Fixture("huge.tif"), &result), nullptr);
    EXPECT_EQ(result, E_OUTOFMEMORY);
    EXPECT_EQ(errors.code, 0x108);
    // Samples of 64 bits would run past a raster pixel of at most four bytes.
    EXPECT_EQ(reader.LoadTiffFile(Fixture("float64.tif"), &result), nullptr);
    EXPECT_EQ(result, E_UNEXPECTED);
    EXPECT_EQ(reader.LoadTiffFile(Fixture("missing.tif"), &result), nullptr);
    EXPECT_EQ(result, E_ACCESSDENIED);
    HRESULT hr;
    auto huge = FromFile(Fixture("huge.tif"), &hr);
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_FALSE(huge->IsLoaded());
}

TEST(DibFile, PaletteBitmapsKeepTheirColours)
{
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        CDibFile dib;
        ASSERT_TRUE(dib.LoadFile(Fixture(("palette" + std::to_string(bits) + ".bmp").c_str()).c_str()));
        HPALETTE copy = dib.CreatePaletteCopy();
        ASSERT_NE(copy, nullptr);
        const int entries = GetPaletteEntries(copy, 0, 0, nullptr);
        EXPECT_EQ(entries, 1 << bits);
        std::vector<PALETTEENTRY> colours(static_cast<size_t>(entries));
        GetPaletteEntries(copy, 0, static_cast<UINT>(entries), colours.data());
        for (int i = 0; i < entries; ++i) {
            EXPECT_EQ(colours[i].peRed, i * 37 % 256);
            EXPECT_EQ(colours[i].peGreen, 255 - i);
            EXPECT_EQ(colours[i].peBlue, 7 * i % 256);
        }
        DeleteObject(copy);
        HBITMAP bitmap = dib.CreateBitmap();
        ASSERT_NE(bitmap, nullptr);
        BITMAP shape = {};
        GetObjectW(bitmap, sizeof shape, &shape);
        EXPECT_EQ(shape.bmWidth, 16);
        EXPECT_EQ(shape.bmHeight, 4);
        DeleteObject(bitmap);
    }
    CDibFile dib;
    EXPECT_FALSE(dib.LoadFile(Fixture("rgb24.bmp").c_str())) << "no colour table, no palette";
    EXPECT_FALSE(dib.LoadFile(Fixture("clrused_past_end.bmp").c_str())) << "a colour table past the file";
    EXPECT_EQ(dib.GetDib(), nullptr);
    EXPECT_FALSE(dib.LoadFile(Fixture("logo.png").c_str()));
}

class WebImages : public ImageFiles
{
protected:
    void SetUp() override
    {
        ImageFiles::SetUp();
        ASSERT_NE(WebPort(), 0) << "the web servers of the test run are not up (service-web.sh)";
    }
};

TEST_F(WebImages, PicturesComeFromAddressesAndGoToFtp)
{
    ASSERT_TRUE(CopyFileW(Fixture("logo.png").c_str(), ycom::AnsiToWide(ServedPath("WebLogo.png").c_str()).c_str(), FALSE));
    HRESULT hr;
    for (const std::string& url : {HttpUrl("WebLogo.png"), FtpUrl("WebLogo.png")}) {
        SCOPED_TRACE(url);
        auto resource = FromFile(ycom::AnsiToWide(url.c_str()), &hr);
        ASSERT_EQ(hr, S_OK);
        EXPECT_EQ(resource->GetName(), "weblogo");
        EXPECT_EQ(resource->GetFormat(), irtPNG);
        EXPECT_EQ(GetFileAttributesW(resource->GetSourcePath().c_str()), INVALID_FILE_ATTRIBUTES)
            << "the temporary file is gone after the load";
    }
    auto missing = FromFile(ycom::AnsiToWide(HttpUrl("nothing.png").c_str()), &hr);
    EXPECT_EQ(hr, E_FAIL);

    auto resource = FromFile(Fixture("logo.png"), &hr);
    ASSERT_EQ(hr, S_OK);
    ASSERT_EQ(resource->SaveToFile(ycom::AnsiToWide(FtpUrl("uploaded.bmp").c_str()), irtBitmap), S_OK);
    std::ifstream in(ServedPath("uploaded.bmp"), std::ios::binary);
    char head[2] = {};
    in.read(head, 2);
    EXPECT_EQ(std::string(head, 2), "BM");
    // Only a write in the own format makes the address the source.
    EXPECT_EQ(resource->GetSourcePath(), Fixture("logo.png"));
    ASSERT_EQ(resource->SaveToFile(ycom::AnsiToWide(FtpUrl("uploaded.png").c_str()), 0), S_OK);
    EXPECT_EQ(resource->GetSourcePath(), ycom::AnsiToWide(FtpUrl("uploaded.png").c_str()));
    EXPECT_EQ(resource->SaveToFile(ycom::AnsiToWide(HttpUrl("nowrite.png").c_str()), 0), E_FAIL);
}

} // namespace

namespace {

// ezdxf names the picture of an IMAGEDEF without a folder: it is found beside the drawing.
TEST_F(ImageFiles, ARelativeImageDefOfEzdxfFindsItsPicture)
{
    CDxfFile dxf;
    ASSERT_TRUE(dxf.Open(ycom::WideToAnsi(Fixture("ezdxf_image.dxf")).c_str(), true));
    bool found = false;
    while (!found && dxf.ReadGroup())
        found = dxf.GetCode() == 0 && dxf.GetText() && std::strcmp(dxf.GetText(), "IMAGEDEF") == 0;
    ASSERT_TRUE(found);
    ASSERT_EQ(map.ReadImageDefFromDxf(dxf), 1) << errors.message;
    ASSERT_EQ(map.GetCount(), 1);
    const CImageResource& picture = *map.Resources().begin()->second;
    EXPECT_EQ(picture.GetName(), "logo");
    EXPECT_EQ(picture.GetFormat(), irtPNG);
    EXPECT_EQ(picture.GetWidth(), 40u);
    EXPECT_EQ(map.IdRemap().size(), 1u);
}

} // namespace
