// Metafile pictures turned into library blocks: the metafiles are drawn here with GDI (or put
// together record by record where GDI would not write what the case needs) and converted.
#include "tests/support/ControlTestSupport.h"
#include "tests/support/ImageTestSupport.h"
#include "tests/support/PictureFiles.h"
#include "control/MetafileConverter.h"
#include "control/ShapeMap.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Ellipse.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/PointRecord.h"
#include "model/Polyline.h"
#include "model/Text.h"
#include "com/AnsiText.h"
#include <cstring>
#include <fstream>
#include <vector>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

std::vector<BYTE> BytesOf(HENHMETAFILE emf)
{
    std::vector<BYTE> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
    GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), bytes.data());
    DeleteEnhMetaFile(emf);
    return bytes;
}

// An enhanced metafile drawn by `draw` on a recording DC.
template <class F>
std::vector<BYTE> Record(F draw)
{
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    draw(dc);
    return BytesOf(CloseEnhMetaFile(dc));
}

// The records of an enhanced metafile, each as its own bytes.
std::vector<std::vector<BYTE>> Records(const std::vector<BYTE>& emf)
{
    std::vector<std::vector<BYTE>> records;
    for (size_t at = 0; at + 8 <= emf.size();) {
        DWORD size;
        std::memcpy(&size, &emf[at + 4], 4);
        if (size < 8 || at + size > emf.size())
            break;
        records.emplace_back(emf.begin() + at, emf.begin() + at + size);
        at += size;
    }
    return records;
}

// Records put back together into a metafile, the header's size and count made to fit.
std::vector<BYTE> Join(const std::vector<std::vector<BYTE>>& records)
{
    std::vector<BYTE> emf;
    for (const auto& r : records)
        emf.insert(emf.end(), r.begin(), r.end());
    const DWORD bytes = static_cast<DWORD>(emf.size()), count = static_cast<DWORD>(records.size());
    std::memcpy(&emf[48], &bytes, 4);
    std::memcpy(&emf[52], &count, 4);
    return emf;
}

class MetafileConverter : public testing::Test
{
protected:
    void SetUp() override { imagetest::EnsureGdiplus(); }
    int Convert(const std::vector<BYTE>& bytes)
    {
        CMetafileConverter converter(control.Get());
        return converter.ConvertBuffer(bytes.size(), bytes.data());
    }
    CGroup* Block(int id) { return dynamic_cast<CGroup*>(control->FindShape(id)); }
    std::vector<CShape*> Children(int id)
    {
        CGroup* group = Block(id);
        return group ? group->Children() : std::vector<CShape*>();
    }

    ControlRef control;
};

TEST_F(MetafileConverter, DrawingRecordsBecomeShapesOfABlockInTheLibrary)
{
    const std::vector<BYTE> emf = Record([](HDC dc) {
        Rectangle(dc, 0, 0, 100, 50);
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, 100, 100);
        Ellipse(dc, 10, 10, 30, 20);
        const POINT open[] = {{0, 0}, {10, 10}, {20, 0}};
        Polyline(dc, open, 3);
        // The last point repeats the first: a closed polygon of one point fewer.
        const POINT closed[] = {{0, 0}, {40, 0}, {40, 40}, {0, 0}};
        Polygon(dc, closed, 4);
        // Records without a shape of their own are skipped.
        const POINT bezier[] = {{0, 0}, {5, 5}, {10, 5}, {15, 0}};
        PolyBezier(dc, bezier, 4);
        RoundRect(dc, 0, 0, 20, 20, 5, 5);
    });
    const int id = Convert(emf);
    ASSERT_GT(id, 0);
    CGroup* block = Block(id);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->GetParent(), control->GetLibraryGroup());
    std::vector<int> types;
    for (CShape* child : block->Children())
        types.push_back(child->GetShapeType());
    std::sort(types.begin(), types.end());
    EXPECT_EQ(types, (std::vector<int>{stLine, stRectangle, stEllipse, stPolyline, stPolyline}));
    int closed = 0, open = 0;
    for (CShape* child : block->Children())
        if (child->GetShapeType() == stPolyline) {
            auto* polyline = dynamic_cast<CPolyline*>(child);
            ASSERT_NE(polyline, nullptr);
            EXPECT_EQ(polyline->GetPointCount(), 3);
            (polyline->IsClosed() ? closed : open)++;
        }
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(open, 1);
    // The block's top-left corner is at the origin.
    float left, top, right, bottom;
    ASSERT_EQ(block->GetBoundingRect(&left, &top, &right, &bottom), S_OK);
    EXPECT_NEAR(std::min(left, right), 0.0f, 1e-3f);
    EXPECT_NEAR(std::max(top, bottom), 0.0f, 1e-3f);
}

TEST_F(MetafileConverter, WhatIsNoMetafileIsNotConverted)
{
    // A JPEG file's "JFIF" at byte 6.
    std::vector<BYTE> jpeg(64, 0);
    jpeg[0] = 0xFF, jpeg[1] = 0xD8, jpeg[2] = 0xFF, jpeg[3] = 0xE0;
    std::memcpy(&jpeg[6], "JFIF", 4);
    const std::wstring path = picturefiles::TempPath(L"yvex_jfif.bin");
    {
        std::ofstream out(ycom::WideToAnsi(path), std::ios::binary);
        out.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    }
    EXPECT_EQ(CMetafileConverter::DetectMetafileType(ycom::WideToAnsi(path).c_str()), 0);
    EXPECT_EQ(Convert(jpeg), 0);
    EXPECT_EQ(Convert({1, 2, 3}), 0);
    CMetafileConverter converter(control.Get());
    EXPECT_EQ(converter.ConvertBuffer(0, jpeg.data()), 0);
    EXPECT_EQ(converter.ConvertFile("Z:\\no\\such\\file.emf"), 0);
    EXPECT_EQ(control->GetLibraryGroup()->GetShapeCount(), 0);
}

// A placeable header: its units per inch size the picture; none at all is no size.
TEST_F(MetafileConverter, PlaceableMetafilesAndTheirUnitsPerInch)
{
    HDC dc = CreateMetaFileW(nullptr);
    Rectangle(dc, 0, 0, 1440, 720);
    // Long enough to be told from other files by its first 44 bytes.
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 1440, 720);
    HMETAFILE wmf = CloseMetaFile(dc);
    std::vector<BYTE> bits(GetMetaFileBitsEx(wmf, 0, nullptr));
    GetMetaFileBitsEx(wmf, static_cast<UINT>(bits.size()), bits.data());
    DeleteMetaFile(wmf);
    auto placeable = [&](WORD unitsPerInch) {
        std::vector<BYTE> file(22, 0);
        const DWORD key = 0x9AC6CDD7;
        std::memcpy(&file[0], &key, 4);
        const SHORT box[4] = {0, 0, 1440, 720};
        std::memcpy(&file[6], box, 8);
        std::memcpy(&file[14], &unitsPerInch, 2);
        file.insert(file.end(), bits.begin(), bits.end());
        return file;
    };
    const int id = Convert(placeable(1440));
    ASSERT_GT(id, 0);
    EXPECT_EQ(Children(id).size(), 2u);
    EXPECT_EQ(Convert(placeable(0)), 0) << "an extent divided by no units per inch";
    // The same Windows metafile without the placeable header converts too.
    EXPECT_GT(Convert(bits), 0);
}

// A metafile of bitmap bands only is no drawing: no block, and no picture stays behind.
TEST_F(MetafileConverter, BitmapBandsAloneLeaveNothing)
{
    const int before = control->GetImageResourceMap().GetCount();
    const std::vector<BYTE> emf = Record([](HDC dc) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<DWORD> pixels(32, 0x00FF0000);
        SetDIBitsToDevice(dc, 0, 0, 8, 4, 0, 0, 0, 4, pixels.data(), &info, DIB_RGB_COLORS);
        SetDIBitsToDevice(dc, 8, 0, 8, 4, 0, 0, 0, 4, pixels.data(), &info, DIB_RGB_COLORS);
    });
    EXPECT_EQ(Convert(emf), 0);
    EXPECT_EQ(control->GetImageResourceMap().GetCount(), before);
    EXPECT_EQ(control->GetLibraryGroup()->GetShapeCount(), 0);

    // Beside a shape the bands become one image.
    const std::vector<BYTE> mixed = Record([](HDC dc) {
        Rectangle(dc, 0, 0, 50, 50);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<DWORD> pixels(32, 0x0000FF00);
        SetDIBitsToDevice(dc, 0, 0, 8, 4, 0, 0, 0, 4, pixels.data(), &info, DIB_RGB_COLORS);
        SetDIBitsToDevice(dc, 0, 4, 8, 4, 0, 0, 0, 4, pixels.data(), &info, DIB_RGB_COLORS);
    });
    const int id = Convert(mixed);
    ASSERT_GT(id, 0);
    int images = 0;
    for (CShape* child : Children(id))
        images += child->GetShapeType() == stImage;
    EXPECT_EQ(images, 1);
    EXPECT_EQ(control->GetImageResourceMap().GetCount(), before + 1);
}

// MM_LOMETRIC after MM_TEXT turns the y axis over; back to MM_TEXT turns it again.
TEST_F(MetafileConverter, FixedUnitMappingModesTurnTheYAxis)
{
    const std::vector<BYTE> emf = Record([](HDC dc) {
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, 0, 100);
        SetMapMode(dc, MM_LOMETRIC);
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, 0, 100);
        SetMapMode(dc, MM_TEXT);
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, 0, 100);
    });
    const int id = Convert(emf);
    ASSERT_GT(id, 0);
    // Each line from its start point to its end point, in the block.
    std::vector<float> starts, ends;
    for (CShape* child : Children(id)) {
        ASSERT_EQ(child->GetPointCount(), 2);
        const CPointRecord* a = child->GetPoints().GetAt(0);
        const CPointRecord* b = child->GetPoints().GetAt(1);
        ASSERT_TRUE(a && b);
        starts.push_back(a->y);
        ends.push_back(b->y);
    }
    ASSERT_EQ(starts.size(), 3u);
    // All three start at one point; the middle one runs the other way.
    EXPECT_NEAR(starts[0], starts[1], 1e-3f);
    EXPECT_NEAR(starts[1], starts[2], 1e-3f);
    EXPECT_LT(ends[0], starts[0]);
    EXPECT_GT(ends[1], starts[1]);
    EXPECT_LT(ends[2], starts[2]);
}

// A text whose measured width is 0 (nothing but a blank of a font without width) keeps scale 1
// instead of dividing by it.
TEST_F(MetafileConverter, TextsAreConvertedWithTheirFont)
{
    const std::vector<BYTE> emf = Record([](HDC dc) {
        HFONT font = CreateFontW(-20, 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, L"Arial");
        HGDIOBJ old = SelectObject(dc, font);
        TextOutW(dc, 10, 10, L"Hello", 5);
        TextOutW(dc, 10, 40, L"", 0);
        SelectObject(dc, old);
        DeleteObject(font);
        Rectangle(dc, 0, 0, 5, 5);
    });
    const int id = Convert(emf);
    ASSERT_GT(id, 0);
    CText* text = nullptr;
    for (CShape* child : Children(id))
        if (auto* t = dynamic_cast<CText*>(child))
            text = t;
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetFontStyle() & 0x1, 0x1u) << "underlined";
    EXPECT_GT(text->GetXScale(), 0.0f);
}

// Records that claim more than they hold: a polyline count past the record's end and a text
// whose string lies outside it are bounded by the record.
TEST_F(MetafileConverter, RecordsAreReadOnlyAsFarAsTheyGo)
{
    const std::vector<BYTE> emf = Record([](HDC dc) {
        const POINT points[] = {{0, 0}, {10, 0}, {10, 10}};
        Polyline(dc, points, 3);
        TextOutW(dc, 10, 10, L"Hi", 2);
        Rectangle(dc, 0, 0, 5, 5);
    });
    std::vector<std::vector<BYTE>> records = Records(emf);
    for (auto& r : records) {
        DWORD type;
        std::memcpy(&type, r.data(), 4);
        if (type == EMR_POLYLINE || type == EMR_POLYLINE16) {
            const DWORD huge = 0x10000000;
            std::memcpy(&r[24], &huge, 4);  // the point count
        } else if (type == EMR_EXTTEXTOUTW) {
            const DWORD beyond = 0x7FFFFFF0;
            std::memcpy(&r[48], &beyond, 4);   // the string's offset
            std::memcpy(&r[72], &beyond, 4);   // the advances' offset
        }
    }
    const int id = Convert(Join(records));
    ASSERT_GT(id, 0);
    bool polyline = false;
    for (CShape* child : Children(id))
        if (child->GetShapeType() == stPolyline)
            polyline = child->GetPointCount() == 3;
    EXPECT_TRUE(polyline) << "the points inside the record, no more";
}

// The temporary file of a buffer is named by the system: conversions from two converters at
// once never meet in one file.
TEST_F(MetafileConverter, BuffersGoThroughFilesTheSystemNames)
{
    const std::vector<BYTE> emf = Record([](HDC dc) { Rectangle(dc, 0, 0, 10, 10); });
    wchar_t folder[MAX_PATH], taken[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    // The names a counter of our own would choose first are taken by someone else.
    for (int n = 1; n <= 64; ++n) {
        swprintf(taken, MAX_PATH, L"%lsbuf%X.tmp", folder, n);
        std::ofstream(ycom::WideToAnsi(taken)) << "someone else's";
    }
    EXPECT_GT(Convert(emf), 0);
    EXPECT_GT(Convert(emf), 0);
    for (int n = 1; n <= 64; ++n) {
        swprintf(taken, MAX_PATH, L"%lsbuf%X.tmp", folder, n);
        std::ifstream in(ycom::WideToAnsi(taken));
        std::string text;
        std::getline(in, text);
        EXPECT_EQ(text, "someone else's");
        DeleteFileW(taken);
    }
}

// The image resource's block: a metafile picture becomes one, named as the resource; images of
// the picture become references to it when asked.
TEST_F(MetafileConverter, ImageResourcesOfMetafilesBecomeBlocks)
{
    const std::vector<BYTE> emf = Record([](HDC dc) {
        Rectangle(dc, 0, 0, 100, 50);
        Ellipse(dc, 0, 0, 100, 50);
    });
    CImageResource* resource = control->GetImageResourceMap().CreateResource(0, emf.data(), emf.size(), 1.0f, true);
    ASSERT_NE(resource, nullptr);
    resource->SetName("frame");
    LONG block = 0;
    ASSERT_EQ(control->ConvertImageResourceToBlock(resource, false, &block), S_OK);
    ASSERT_GT(block, 0);
    EXPECT_EQ(resource->GetBlockId(), block);
    EXPECT_EQ(Children(block).size(), 2u);
    // Asked again, the same block.
    LONG again = 0;
    ASSERT_EQ(control->ConvertImageResourceToBlock(resource, false, &again), S_OK);
    EXPECT_EQ(again, block);
    EXPECT_EQ(control->MakeBlockOfImageResource(resource->GetId()), block);
    // A bitmap makes none.
    const std::vector<BYTE> bmp = imagetest::MakeQuadrants(8, 0xFF, 0xFF00, 0xFF0000, 0);
    CImageResource* bitmap = control->GetImageResourceMap().CreateResource(0, bmp.data(), bmp.size(), 1.0f, true);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(control->ConvertImageResourceToBlock(bitmap, false, &again), S_OK);
    EXPECT_EQ(again, 0);
}

} // namespace
