// The DIB-section bitmap and the raster elements built from records crafted byte by byte;
// expected values are worked by hand. Under Wine the bitmap is a GDI DIB section; natively a
// plain pixel buffer, so the decoding is checked on both.
#include "DesignFile.h"
#include "DibBitmap.h"
#include "ItemArray.h"
#include "Point2dArray.h"
#include "elements/RasterHeaderElement.h"
#include "elements/RasterReferenceElement.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "design_file_support.h"
#include "element_test_support.h"
#include "geometry_recording_sink.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using RasterTest = DesignFileTest;

// A sink that keeps the boxes and placements it is handed.
class PlacementSink : public GeometryRecordingSink {
public:
    PlacementSink() : GeometryRecordingSink(0) {}
    struct Placement {
        Point3d p;
        double a, b, c;
    };
    std::vector<Placement> boxes, rotated;
    void AddBox3d(std::int32_t, const Point3d& p, double w, double h) override { boxes.push_back({p, w, h, 0}); }
    void AddRotatedOffset3d(std::int32_t, const Point3d& p, double dx, double dy, double angle) override { rotated.push_back({p, dx, dy, angle}); }
};

CRasterDataElement* PixelRun(std::uint16_t x, std::uint16_t y, const std::vector<std::uint8_t>& pixels, std::uint16_t nx)
{
    auto* d = new CRasterDataElement(nullptr);
    d->SetRun(x, y, nx);
    d->GetPixels()->AppendItems(pixels.data(), static_cast<std::uint32_t>(pixels.size()));
    return d;
}

// The blue, green, red bytes of pixel (x, y).
std::uint32_t Rgb(const CDibBitmap* image, int x, int y)
{
    const std::uint8_t* p = image->PixelAddress(x, y);
    return p ? static_cast<std::uint32_t>(p[2] | (p[1] << 8) | (p[0] << 16)) : 0xFFFFFFFFu;
}

} // namespace

TEST(DibBitmap, StrideAndBottomUpRows)
{
    struct Case {
        int width;
        std::uint32_t stride;
    };
    for (const Case c : {Case{1, 4}, Case{5, 16}, Case{4, 12}, Case{7, 24}}) {
        std::unique_ptr<CDibBitmap> b(CDibBitmap::Create(c.width, 3, 0));
        ASSERT_NE(b, nullptr);
        ASSERT_NE(b->Bits(), nullptr);
        EXPECT_EQ(b->Stride(), c.stride) << c.width;
        EXPECT_EQ(b->ImageSize(), 3 * c.stride);
    }
    std::unique_ptr<CDibBitmap> b(CDibBitmap::Create(5, 2, 0));
    b->SetPixel(0, 0, 0x000000FF);
    const std::uint8_t* lastRow = b->Bits() + 16;
    EXPECT_EQ(lastRow[0], 0x00);
    EXPECT_EQ(lastRow[1], 0x00);
    EXPECT_EQ(lastRow[2], 0xFF);
    EXPECT_EQ(b->Bits()[2], 0x00);
    // Outside the bitmap nothing is written.
    b->SetPixel(5, 0, 0xFFFFFF);
    b->SetPixel(0, -1, 0xFFFFFF);
    EXPECT_EQ(b->PixelAddress(5, 0), nullptr);
    std::unique_ptr<CDibBitmap> none(CDibBitmap::Create(0, 4, 0));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->Bits(), nullptr);
    EXPECT_EQ(none->DrawTo(nullptr, 0, 0), 0);
}

TEST_F(RasterTest, Format2RasterDecodesItsRuns)
{
    auto* header = new CRasterHeaderElement(file);
    header->SetRaster(0x10, 4, 2, 2.5);
    header->AddChild(PixelRun(0, 0, {1, 0, 2, 3}, 4));
    header->AddChild(PixelRun(0, 1, {4, 5, 6, 7}, 4));
    PlacementSink sink;
    header->EmitGeometry(nullptr, &sink);
    const CDibBitmap* image = header->GetImage();
    ASSERT_NE(image, nullptr);
    // Byte 1 is colour index 0, byte 0 index 255.
    EXPECT_EQ(Rgb(image, 0, 0), GetColorRGB(0, file));
    EXPECT_EQ(Rgb(image, 1, 0), GetColorRGB(255, file));
    EXPECT_EQ(Rgb(image, 3, 0), GetColorRGB(2, file));
    EXPECT_EQ(Rgb(image, 0, 1), GetColorRGB(3, file));
    EXPECT_EQ(Rgb(image, 3, 1), GetColorRGB(6, file));
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].a, 10.0);
    EXPECT_EQ(sink.boxes[0].b, 5.0);
}

TEST_F(RasterTest, RunsWrapClipAndStopAtTheirBytes)
{
    auto* header = new CRasterHeaderElement(file);
    header->SetRaster(0x10, 4, 2, 1.0);
    // From column 2: 6 pixels run on to row 1, columns 0-3; then off the raster.
    header->AddChild(PixelRun(2, 0, {11, 12, 13, 14, 15, 16, 17, 18}, 8));
    // nx beyond the bytes held stops at the bytes; a row beyond the raster is ignored.
    header->AddChild(PixelRun(0, 0, {21}, 500));
    header->AddChild(PixelRun(0, 9, {31, 32}, 2));
    ASSERT_NE(header->BuildImage(), nullptr);
    const CDibBitmap* image = header->GetImage();
    EXPECT_EQ(Rgb(image, 2, 0), GetColorRGB(10, file));
    EXPECT_EQ(Rgb(image, 3, 0), GetColorRGB(11, file));
    EXPECT_EQ(Rgb(image, 0, 1), GetColorRGB(12, file));
    EXPECT_EQ(Rgb(image, 3, 1), GetColorRGB(15, file));
    EXPECT_EQ(Rgb(image, 0, 0), GetColorRGB(20, file));
    EXPECT_EQ(Rgb(image, 1, 0), 0u);
}

TEST_F(RasterTest, OtherFormatsHaveNoImage)
{
    CRasterHeaderElement header(file);
    header.SetRaster(0x08, 4, 2, 1.0);
    PlacementSink sink;
    header.EmitGeometry(nullptr, &sink);
    EXPECT_EQ(header.GetImage(), nullptr);
    EXPECT_TRUE(sink.boxes.empty());
    Lines::Reset();
    header.Describe(&Lines::Collect);
    EXPECT_TRUE(Lines::Has("x pixels: 4, y pixels: 2, format: 1"));
    EXPECT_EQ(Lines::Get().front(), "Raster Header");
}

TEST_F(RasterTest, RecordsReadAndWriteBack)
{
    // Header: 2 boundary points stated 9 times over.
    Bytes body;
    Put32(body, 2);
    Put32(body, 0x10);
    Put16(body, 0x0201);
    Put16(body, 4);
    Put16(body, 2);
    Put16(body, 0x55);
    PutF64(body, 7.0);
    PutF64(body, 2.5);
    for (double v : {10.0, 20.0, 0.0})
        PutF64(body, v);
    Put32(body, 18);
    Put32(body, 0xABCD);
    for (double v : {0.0, 0.0, 10.0, 5.0})
        PutF64(body, v);
    CRasterHeaderElement header(file);
    ASSERT_TRUE(ReadV8Into(header, V8Record(87, 0x3000, 3, 920, Cat(GraphicHeader(0x1000, 1, 0, 0), body), {})));
    EXPECT_EQ(header.GetPoints2d()->Count(), 2u);

    // V7: 9 points stated after the fixed fields (offset 80), one held.
    Bytes v7(80 - 36, 0);
    v7[44 - 36] = 4; // 4 x 2 pixels
    v7[46 - 36] = 2;
    Put16(v7, 9);
    PutV7Int32(v7, 100);
    PutV7Int32(v7, 200);
    const std::int32_t range[6] = {0, 0, 0, 10, 10, 0};
    const Bytes v7Record = V7Record(87, 1, range, 0, 0, 0, v7);
    CRasterHeaderElement fromV7(file);
    const std::uint8_t* cursor = v7Record.data();
    ASSERT_TRUE(fromV7.ReadV7(&cursor, static_cast<std::uint32_t>(v7Record.size())));
    ASSERT_EQ(fromV7.GetPoints2d()->Count(), 1u);
    EXPECT_EQ(fromV7.GetPoints2d()->At(0)->y, 200.0);
    EXPECT_EQ(header.GetWidth(), 10.0);
    header.Touch();
    EXPECT_EQ(header.GetAttrOffsetWords(), 84u + 16u);
    ExpectTouchedRoundTrip(header, file);

    // Data: the pixels end at the attribute bytes.
    Bytes data;
    Put32(data, 1);
    Put16(data, 0);
    Put16(data, 1);
    Put16(data, 0);
    Put16(data, 5);
    for (std::uint8_t p : {1, 2, 3, 4, 5, 0})
        data.push_back(p);
    CRasterDataElement run(file);
    ASSERT_TRUE(ReadV8Into(run, V8Record(88, 0x1000, 3, 921, Cat(GraphicHeader(0x1000, 1, 0, 0), data), StringLinkage(1, "pixels"))));
    EXPECT_EQ(run.GetPixels()->Count(), 6u);
    ExpectTouchedRoundTrip(run, file);
    Lines::Reset();
    run.Describe(&Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "Raster Data: xofst=1, yofst=0, nx=5");

    CRasterReferenceElement reference(file);
    reference.SetDouble(0, 3.0);
    reference.SetDouble(3, 40.0);
    reference.SetDouble(4, 30.0);
    reference.SetWord(2, 2);
    ExpectTouchedRoundTrip(reference, file);
    EXPECT_EQ(reference.GetAttrOffsetWords(), 60u);

    CRasterReferenceComponentElement component(file);
    Bytes payload;
    Put16(payload, 8);
    Put16(payload, 0);
    component.GetPayload().Append(payload.data(), 4);
    ExpectTouchedRoundTrip(component, file);
    Lines::Reset();
    component.Describe(&Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "Raster Reference Component Data type 8");
}

TEST_F(RasterTest, ReferencePlacement)
{
    // Without components: the reference's own fields.
    auto* reference = new CRasterReferenceElement(file);
    reference->SetDouble(0, 3.0);
    reference->SetDouble(1, 4.0);
    reference->SetDouble(3, 40.0);
    reference->SetDouble(4, 30.0);
    reference->SetWord(2, 2);
    PlacementSink own;
    reference->EmitGeometry(nullptr, &own);
    ASSERT_EQ(own.rotated.size(), 1u);
    EXPECT_EQ(own.rotated[0].p.x, 3.0);
    EXPECT_EQ(own.rotated[0].a, 40.0);
    EXPECT_EQ(own.rotated[0].c, 2.0);

    // A placement component under 56 bytes is not used.
    auto* shortOne = new CRasterReferenceComponentElement(nullptr);
    Bytes s;
    Put16(s, 7);
    Put16(s, 0);
    shortOne->GetPayload().Append(s.data(), 4);
    reference->AddChild(shortOne);
    PlacementSink fallback;
    reference->EmitGeometry(nullptr, &fallback);
    ASSERT_EQ(fallback.rotated.size(), 1u);
    EXPECT_EQ(fallback.rotated[0].p.x, 3.0);
    EXPECT_EQ(reference->FindComponent(10), nullptr);

    Bytes whole;
    Put16(whole, 7);
    Put16(whole, 0);
    Put32(whole, 0);
    for (double v : {100.0, 200.0, 0.0, 8.0, 6.0, 0.5})
        PutF64(whole, v);
    auto* placement = new CRasterReferenceComponentElement(nullptr);
    placement->GetPayload().Append(whole.data(), static_cast<std::uint32_t>(whole.size()));
    delete shortOne;
    reference->AddChild(placement);
    PlacementSink placed;
    reference->EmitGeometry(nullptr, &placed);
    ASSERT_EQ(placed.rotated.size(), 1u);
    EXPECT_EQ(placed.rotated[0].p.x, 100.0);
    EXPECT_EQ(placed.rotated[0].p.y, 200.0);
    EXPECT_EQ(placed.rotated[0].a, 8.0);
    EXPECT_EQ(placed.rotated[0].c, 0.5);
}
