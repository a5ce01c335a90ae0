// The third-party libraries built for mingw link into our binaries and work under Wine.
#include <gtest/gtest.h>
#include <windows.h>
#include <tiffio.h>
#include <shapefil.h>
#include <zlib.h>
#include <string>
#include <vector>

namespace {
std::string TempPath(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}
} // namespace

TEST(ThirdParty, TiffWritesAndReadsBackAnLzwImage)
{
    const std::string path = TempPath("yvex_dep.tif");
    TIFF* out = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(out, nullptr);
    const uint32_t w = 8, h = 4;
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(out, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(out, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    for (uint32_t y = 0; y < h; ++y) {
        std::vector<unsigned char> row(w * 3);
        for (uint32_t x = 0; x < w; ++x) {
            row[x * 3] = static_cast<unsigned char>(x * 30);
            row[x * 3 + 1] = static_cast<unsigned char>(y * 60);
            row[x * 3 + 2] = 200;
        }
        ASSERT_EQ(TIFFWriteScanline(out, row.data(), y, 0), 1);
    }
    TIFFClose(out);

    TIFF* in = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(in, nullptr);
    std::vector<uint32_t> raster(w * h);
    ASSERT_EQ(TIFFReadRGBAImageOriented(in, w, h, raster.data(), ORIENTATION_TOPLEFT, 0), 1);
    TIFFClose(in);
    const uint32_t px = raster[2 * w + 3];  // x 3, y 2
    EXPECT_EQ(TIFFGetR(px), 90u);
    EXPECT_EQ(TIFFGetG(px), 120u);
    EXPECT_EQ(TIFFGetB(px), 200u);
    DeleteFileA(path.c_str());
}

TEST(ThirdParty, TiffCodecSetIsTheConfiguredOne)
{
    EXPECT_TRUE(TIFFIsCODECConfigured(COMPRESSION_LZW));
    EXPECT_TRUE(TIFFIsCODECConfigured(COMPRESSION_PACKBITS));
    EXPECT_TRUE(TIFFIsCODECConfigured(COMPRESSION_CCITTFAX4));
    EXPECT_TRUE(TIFFIsCODECConfigured(COMPRESSION_THUNDERSCAN));
    EXPECT_FALSE(TIFFIsCODECConfigured(COMPRESSION_JPEG));
    EXPECT_FALSE(TIFFIsCODECConfigured(COMPRESSION_ADOBE_DEFLATE));
}

TEST(ThirdParty, ShapefileRoundTrip)
{
    const std::string base = TempPath("yvex_dep");
    SHPHandle shp = SHPCreate(base.c_str(), SHPT_ARC);
    ASSERT_NE(shp, nullptr);
    double xs[] = {1.0, 5.5, 9.0}, ys[] = {2.0, -3.25, 4.0};
    SHPObject* obj = SHPCreateSimpleObject(SHPT_ARC, 3, xs, ys, nullptr);
    EXPECT_EQ(SHPWriteObject(shp, -1, obj), 0);
    SHPDestroyObject(obj);
    SHPClose(shp);

    DBFHandle dbf = DBFCreate(base.c_str());
    ASSERT_NE(dbf, nullptr);
    ASSERT_EQ(DBFAddField(dbf, "NAME", FTString, 20, 0), 0);
    EXPECT_TRUE(DBFWriteStringAttribute(dbf, 0, 0, "O'Brien"));
    DBFClose(dbf);

    shp = SHPOpen(base.c_str(), "rb");
    ASSERT_NE(shp, nullptr);
    int count = 0, type = 0;
    SHPGetInfo(shp, &count, &type, nullptr, nullptr);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(type, SHPT_ARC);
    obj = SHPReadObject(shp, 0);
    ASSERT_NE(obj, nullptr);
    ASSERT_EQ(obj->nVertices, 3);
    EXPECT_DOUBLE_EQ(obj->padfX[1], 5.5);
    EXPECT_DOUBLE_EQ(obj->padfY[1], -3.25);
    SHPDestroyObject(obj);
    SHPClose(shp);

    dbf = DBFOpen(base.c_str(), "rb");
    ASSERT_NE(dbf, nullptr);
    EXPECT_STREQ(DBFReadStringAttribute(dbf, 0, 0), "O'Brien");
    DBFClose(dbf);
    for (const char* ext : {".shp", ".shx", ".dbf"})
        DeleteFileA((base + ext).c_str());
}

TEST(ThirdParty, ZlibRoundTrip)
{
    std::string text(5000, 'a');
    for (size_t i = 0; i < text.size(); i += 7)
        text[i] = static_cast<char>('a' + i % 26);
    uLongf packedSize = compressBound(static_cast<uLong>(text.size()));
    std::vector<Bytef> packed(packedSize);
    ASSERT_EQ(compress(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(text.data()),
                       static_cast<uLong>(text.size())), Z_OK);
    EXPECT_LT(packedSize, text.size());
    std::string back(text.size(), '\0');
    uLongf backSize = static_cast<uLongf>(back.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(&back[0]), &backSize, packed.data(), packedSize), Z_OK);
    EXPECT_EQ(back, text);
}
