// The 2-D and 3-D dimension elements built from records crafted byte by byte: their V7 and V8
// layouts, their points and their drawings; expected values are worked by hand.
#include "ElementFactory.h"
#include "Geometry.h"
#include "ElementLinkages.h"
#include "ItemArray.h"
#include "LittleEndian.h"
#include "elements/DimensionElement.h"
#include "linkages/DependencyLinkage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "design_file_support.h"
#include "element_test_support.h"
#include "geometry_recording_sink.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using DimensionTest = DesignFileTest;

void PutI32(Bytes& b, std::int32_t v) { Put32(b, static_cast<std::uint32_t>(v)); }

struct V7Point {
    std::int32_t x, y, z, offset;
    std::uint16_t word, flags;
};

// A V7 dimension record: kind, stated count, the points given, then the text bytes; the
// attribute data (when given) after them.
Bytes V7Dimension(std::uint8_t kind, std::uint8_t stated, const std::vector<V7Point>& points, const Bytes& text, const Bytes& attributes = {})
{
    Bytes rest(100, 0);
    // 36: VAX double 0 (all zero bytes); 44: word; 46-51: bytes, kind at 47, count at 49.
    rest[44 - 36] = 0x34;
    rest[47 - 36] = kind;
    rest[49 - 36] = stated;
    rest[52 - 36] = 0x1D; // A = 5, B = 3
    std::uint8_t* p = rest.data() + (56 - 36);
    StoreU32(p, 30);      // text width
    StoreU32(p + 4, 40);  // text height
    rest[65 - 36] = 3;    // font (2-D) / text colour (3-D)
    StoreU32(rest.data() + (72 - 36), 7);        // witness offset
    StoreU32(rest.data() + (116 - 36), 0xFFFFFFFEu); // element ID -2
    StoreU32(rest.data() + (120 - 36), 0x40000000u); // rotation 0.5000000002
    for (const V7Point& v : points) {
        PutI32(rest, v.x);
        PutI32(rest, v.y);
        PutI32(rest, v.z);
        PutI32(rest, v.offset);
        Put16(rest, v.word);
        Put16(rest, v.flags);
    }
    rest = Cat(rest, text);
    const std::uint16_t index = static_cast<std::uint16_t>((36 + rest.size() - 32) / 2);
    const std::int32_t range[6] = {0, 0, 0, 100, 100, 0};
    return V7Record(33, 0x02, range, index, attributes.empty() ? 0 : 0x0800, 0, Cat(rest, attributes));
}

template <class Dimension>
std::unique_ptr<Dimension> ReadV7(CDesignFile* file, const Bytes& record)
{
    auto d = std::make_unique<Dimension>(file);
    const std::uint8_t* cursor = record.data();
    EXPECT_TRUE(d->ReadV7(&cursor, static_cast<std::uint32_t>(record.size())));
    EXPECT_EQ(cursor, record.data() + record.size());
    return d;
}

std::string TextOf(const CItemArray* a) { return std::string(reinterpret_cast<const char*>(a->Data()), a->Count()); }

DimensionPoint Point(double x, double y, double offset = 0.0, std::uint16_t flags = 0)
{
    DimensionPoint p = {};
    p.x = x;
    p.y = y;
    p.offset = offset;
    p.flags = flags;
    return p;
}

// A 2-D dimension of a kind with its points; terminators 1 wide and 2 long, text 1 x 1.
template <class Dimension = CDimensionElement2d>
std::unique_ptr<Dimension> Made(CDesignFile* file, std::uint8_t kind, const std::vector<DimensionPoint>& points)
{
    auto d = std::make_unique<Dimension>(file);
    std::uint8_t* body = d->GetBodyData();
    body[kDimKind] = kind;
    StoreF64(body + kDimTextWidth, 1.0);
    StoreF64(body + kDimTextHeight, 1.0);
    StoreF64(body + kDimTerminatorWidth, 1.0);
    StoreF64(body + kDimTerminatorHeight, 2.0);
    for (const DimensionPoint& p : points)
        d->AddPoint(p);
    return d;
}

template <class Dimension>
GeometryRecordingSink Drawn(Dimension& d)
{
    GeometryRecordingSink sink(0);
    d.EmitGeometry(nullptr, &sink);
    return sink;
}

std::vector<std::string> Texts(const GeometryRecordingSink& s)
{
    std::vector<std::string> out;
    for (const auto& t : s.texts)
        out.push_back(t.text);
    return out;
}

std::size_t LineCount(const GeometryRecordingSink& s) { return s.polylines2d.size() + s.lines3d.size(); }

// Whether a 2-D segment from a to b (either way round) was drawn.
bool HasSegment(const GeometryRecordingSink& s, Point2d a, Point2d b)
{
    const auto near = [](Point2d p, Point2d q) { return std::fabs(p.x - q.x) < 1e-9 && std::fabs(p.y - q.y) < 1e-9; };
    for (const auto& l : s.polylines2d) {
        if (l.size() == 2 && ((near(l[0], a) && near(l[1], b)) || (near(l[0], b) && near(l[1], a))))
            return true;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Records

TEST_F(DimensionTest, V7RecordGivesIntegerPointsTextAndAV8Body)
{
    const Bytes record = V7Dimension(1, 2, {{10, 20, 30, 5, 0x1111, 0}, {-40, 50, 60, -6, 0x2222, 0}}, {'1', '2', '.', '5'});
    for (bool threeD : {false, true}) {
        std::unique_ptr<IDimensionElement> d;
        if (threeD)
            d = ReadV7<CDimensionElement3d>(file, record);
        else
            d = ReadV7<CDimensionElement2d>(file, record);
        ASSERT_EQ(d->PointCount(), 2u);
        const DimensionPoint* p = d->GetPointItem(1);
        EXPECT_EQ(p->x, -40.0);
        EXPECT_EQ(p->y, 50.0);
        EXPECT_EQ(p->z, 60.0);
        EXPECT_EQ(p->offset, -6.0);
        EXPECT_EQ(p->word, 0x2222);
        // The text bytes are the record's from offset 176 (136 + 2 x 20).
        EXPECT_EQ(TextOf(d->GetTextArray()), "12.5");
        const std::uint8_t* body = d->GetBodyData();
        EXPECT_EQ(body[kDimKind], 1);
        // The V7 word at 44 is the word after the three leading doubles.
        EXPECT_EQ(d->GetLeadWord(), 0x34u);
        EXPECT_EQ(LoadF64(body + kDimTextHeight), 40.0);
        EXPECT_EQ(LoadU32(body + 36), 5u);
        EXPECT_EQ(LoadU32(body + 40), 3u);
        EXPECT_EQ(LoadU32(body + kDimFontOrColor), 3u);
        EXPECT_EQ(LoadF64(body + kDimWitnessOffset), 7.0);
        EXPECT_EQ(LoadF64(body + kDimRotation), 1073741824.0 / 2147483647.0);
        std::uint64_t id = 0;
        d->GetElementId(&id);
        EXPECT_EQ(id, static_cast<std::uint64_t>(-2));
        // Written as V8: the first two header doubles are 0, then it reads back equal.
        d->Touch();
        const Bytes v8 = WriteElement(*d);
        ASSERT_EQ(v8.size(), 2u * d->GetSizeWords() + 4);
        EXPECT_EQ(LoadF64(v8.data() + 108), 0.0);
        EXPECT_EQ(LoadF64(v8.data() + 116), 0.0);
        if (threeD)
            ExpectTouchedRoundTrip(static_cast<CDimensionElement3d&>(*d), file);
        else
            ExpectTouchedRoundTrip(static_cast<CDimensionElement2d&>(*d), file);
    }
}

TEST_F(DimensionTest, CountsAreBoundedByTheRecord)
{
    // V7: 9 points stated, 1 held, then 3 text bytes (under one point's 20): one point, the
    // bytes as text.
    auto v7 = ReadV7<CDimensionElement2d>(file, V7Dimension(1, 9, {{1, 2, 3, 4, 0, 0}}, {'a', 'b', 'c', 0}));
    EXPECT_EQ(v7->PointCount(), 1u);
    EXPECT_EQ(TextOf(v7->GetTextArray()), std::string("abc\0", 4));
    // The text ends at the attribute data, not at the record's end.
    auto linked = ReadV7<CDimensionElement2d>(file, V7Dimension(1, 1, {{1, 2, 3, 4, 0, 0}}, {'x', 'y'}, UserLinkage(0x7D2F, Bytes{7, 0, 0, 0})));
    EXPECT_EQ(TextOf(linked->GetTextArray()), "xy");
    // V8: 100 points stated in a body that holds one and 8 more bytes.
    auto made = Made(file, 1, {Point(1, 2)});
    made->Touch();
    Bytes record = WriteElement(*made);
    record[108 + kDimPointCount] = 100;
    CDimensionElement2d d(file);
    ASSERT_TRUE(ReadV8Into(d, record));
    EXPECT_EQ(d.PointCount(), 1u);
    EXPECT_EQ(d.GetBodyData()[kDimPointCount], 1);
    // A negative count reads no points: the point's bytes are text.
    record[108 + kDimPointCount] = 0xFF;
    CDimensionElement2d none(file);
    ASSERT_TRUE(ReadV8Into(none, record));
    EXPECT_EQ(none.PointCount(), 0u);
    EXPECT_EQ(none.GetTextArray()->Count(), sizeof(DimensionPoint));
}

TEST_F(DimensionTest, V8RecordsRoundTripByteExact)
{
    // A body of counting bytes (kind 52, 2 points), the points, 6 text bytes, a linkage.
    Bytes body = Counting(200, 1);
    body[kDimKind] = 52;
    body[kDimPointCount] = 2;
    Bytes points = Cat(Counting(48, 100), Counting(48, 150));
    const Bytes record = V8Record(33, 0x1000, 3, 900, Cat(Cat(GraphicHeader(0x1000, 4, 1, 0), body), Cat(points, Counting(6, 200))),
                                  GenericLinkage(0x1234, 8));
    for (bool threeD : {false, true}) {
        std::unique_ptr<IDimensionElement> d(threeD ? static_cast<IDimensionElement*>(new CDimensionElement3d(file))
                                                    : new CDimensionElement2d(file));
        const std::uint8_t* cursor = record.data();
        ASSERT_TRUE(d->ReadV8(&cursor, static_cast<std::uint32_t>(record.size())));
        EXPECT_EQ(d->PointCount(), 2u);
        EXPECT_EQ(d->GetTextArray()->Count(), 6u);
        // Body bytes 24-27 (25 to 28 counting from 1), little-endian.
        EXPECT_EQ(d->GetLeadWord(), 0x1C1B1A19u);
        EXPECT_EQ(WriteElement(*d), record);
        // The copy has an ID of its own (bytes 20-27).
        std::unique_ptr<IElement> copy(d->Clone(file, false));
        ASSERT_NE(copy, nullptr);
        const Bytes copied = WriteElement(*copy);
        ASSERT_EQ(copied.size(), record.size());
        EXPECT_EQ(Bytes(copied.begin() + 28, copied.end()), Bytes(record.begin() + 28, record.end()));
    }
    // The factory makes the class of the file's dimensionality for type 33.
    std::unique_ptr<IElement> two(NewElementV8(file, record.data(), static_cast<std::uint32_t>(record.size()), false));
    std::unique_ptr<IElement> three(NewElementV8(file, record.data(), static_cast<std::uint32_t>(record.size()), true));
    EXPECT_NE(dynamic_cast<CDimensionElement2d*>(two.get()), nullptr);
    EXPECT_NE(dynamic_cast<CDimensionElement3d*>(three.get()), nullptr);
    // A fresh dimension with points and odd text bytes.
    auto made = Made(file, 53, {Point(1, 2), Point(3, 4, 0, 2)});
    made->GetTextArray()->AppendItems("odd", 3);
    ExpectTouchedRoundTrip(*made, file);
}

TEST_F(DimensionTest, V7AssociationsAndRelativePoints)
{
    // Two points associated (kind 1) with element 77, which does not exist: both at (0, 0, 0),
    // one dependency kept (the last one's).
    V7Point a = {77, 0x00030002, 0x01000004, 9, 0, 1};
    V7Point b = {78, 0, 0x01000000, 9, 0, 1};
    auto d = ReadV7<CDimensionElement2d>(file, V7Dimension(1, 2, {a, b}, {}));
    ASSERT_EQ(d->PointCount(), 2u);
    EXPECT_EQ(d->GetPointItem(0)->x, 0.0);
    EXPECT_EQ(d->GetPointItem(0)->y, 0.0);
    EXPECT_EQ(d->GetPointItem(0)->z, 0.0);
    EXPECT_EQ(d->GetPointItem(0)->offset, 9.0);
    CDependencyLinkage* dep = d->GetAttributes()->FindDependency(0, 0);
    ASSERT_NE(dep, nullptr);
    EXPECT_EQ(d->GetAttributes()->GetDependencyLinkage(), dep);
    // Relative points (flag bits 1 or 2) are point 0 plus their position.
    auto r = Made(file, 1, {Point(10, 20), Point(1, 2, 0, 2), Point(3, 4, 0, 4), Point(5, 6)});
    Point3d p;
    ASSERT_TRUE(r->GetPoint(1, &p));
    EXPECT_EQ(p.x, 11.0);
    EXPECT_EQ(p.y, 22.0);
    ASSERT_TRUE(r->GetPoint(2, &p));
    EXPECT_EQ(p.x, 13.0);
    ASSERT_TRUE(r->GetPoint(3, &p));
    EXPECT_EQ(p.x, 5.0);
    EXPECT_FALSE(r->GetPoint(4, &p));
    const double matrix[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 1, 1, 1};
    EXPECT_TRUE(r->Transform(matrix));
    EXPECT_EQ(r->GetPointItem(0)->x, 21.0);
}

TEST_F(DimensionTest, DescriptionsNameTheKind)
{
    struct Case {
        bool threeD;
        std::uint8_t kind;
        const char* line;
    };
    const Case cases[] = {{false, 1, "2d Dimension - Linear Size Arrow"}, {false, 53, "2d Dimension - Note"},
                          {false, 99, "2d Dimension (type 99)"}, {true, 19, "3d Dimension - Center"},
                          {true, 54, "3d Dimension (type 54)"}};
    for (const Case& c : cases) {
        std::unique_ptr<IDimensionElement> d(c.threeD ? static_cast<IDimensionElement*>(Made<CDimensionElement3d>(file, c.kind, {}).release())
                                                      : Made(file, c.kind, {}).release());
        Lines::Reset();
        d->Describe(&Lines::Collect);
        ASSERT_FALSE(Lines::Get().empty());
        EXPECT_EQ(Lines::Get().front(), c.line);
        EXPECT_EQ(Lines::Ends(), 1);
    }
    // A kind outside the table draws nothing.
    auto odd = Made(file, 99, {Point(0, 0), Point(10, 0)});
    const GeometryRecordingSink sink = Drawn(*odd);
    EXPECT_EQ(LineCount(sink), 0u);
    EXPECT_TRUE(sink.texts.empty());
}

// ---------------------------------------------------------------------------------------------
// Drawings

TEST_F(DimensionTest, LinearValuesAndArrangements)
{
    const double u = CDimensionElement2d(file).GetUnitsPerMaster();
    // 12.5 master units: "12.5", no trailing zeros, no unit; in the 2-D dimension's font.
    auto d = Made(file, 1, {Point(0, 0, 2 * u), Point(12.5 * u, 0)});
    StoreU32(d->GetBodyData() + kDimFontOrColor, 6);
    GeometryRecordingSink s = Drawn(*d);
    ASSERT_EQ(Texts(s), std::vector<std::string>{"12.5"});
    EXPECT_EQ(s.texts[0].font, 6);
    EXPECT_EQ(s.texts[0].justification, 13);
    EXPECT_NEAR(s.texts[0].origin.x, 6.25 * u, 1e-6);
    EXPECT_NEAR(s.texts[0].origin.y, 2 * u, 1e-6);
    // Two witness lines, the dimension line, two arrows of two strokes.
    EXPECT_EQ(LineCount(s), 7u);
    EXPECT_TRUE(HasSegment(s, {0, 2 * u}, {12.5 * u, 2 * u}));

    // Mode 0 measures along the dominant axis, mode 2 the true distance.
    struct Mode {
        std::uint32_t flags;
        const char* text;
    };
    for (const Mode& m : {Mode{0, "3"}, Mode{0x2000, "5"}}) {
        auto md = Made(file, 1, {Point(0, 0), Point(3 * u, 4 * u)});
        StoreU32(md->GetBodyData() + kDimOptionFlags, m.flags);
        EXPECT_EQ(Texts(Drawn(*md)), std::vector<std::string>{m.text}) << m.flags;
    }
    // One point: nothing. Three points of type 1: two dimensions, 0-1 and 1-2; of type 3 both
    // from point 0, with no terminator at the base point (2 strokes less each).
    EXPECT_EQ(LineCount(Drawn(*Made(file, 1, {Point(0, 0)}))), 0u);
    const std::vector<DimensionPoint> three = {Point(0, 0), Point(10 * u, 0), Point(30 * u, 0)};
    const GeometryRecordingSink size = Drawn(*Made(file, 1, three));
    EXPECT_EQ(Texts(size), (std::vector<std::string>{"10", "20"}));
    EXPECT_EQ(LineCount(size), 14u);
    const GeometryRecordingSink locate = Drawn(*Made(file, 3, three));
    EXPECT_EQ(Texts(locate), (std::vector<std::string>{"10", "30"}));
    EXPECT_EQ(LineCount(locate), 10u);
    // Stroked terminators are one stroke each.
    EXPECT_EQ(LineCount(Drawn(*Made(file, 2, {Point(0, 0), Point(10 * u, 0)}))), 5u);

    // The 3-D dimension: the same value, lines in 3-D, the text colour before the text.
    auto d3 = Made<CDimensionElement3d>(file, 1, {Point(0, 0, 2 * u), Point(12.5 * u, 0)});
    StoreU32(d3->GetBodyData() + kDimFontOrColor, 9);
    GeometryRecordingSink s3 = Drawn(*d3);
    EXPECT_EQ(Texts(s3), std::vector<std::string>{"12.5"});
    EXPECT_EQ(s3.lines3d.size(), 7u);
    EXPECT_EQ(s3.Last('c'), 9);
    // A 3-D dimension in the plane turned a quarter about x: its dimension line stands at
    // point 0's offset along the plane's y, which is the world's z.
    auto upright = Made<CDimensionElement3d>(file, 1, {Point(0, 0, 2 * u), Point(10 * u, 0)});
    double quarter[4];
    QuaternionFromAxisAngle(M_PI / 2, Point3d{1, 0, 0}, quarter);
    upright->SetRotation(quarter);
    GeometryRecordingSink su = Drawn(*upright);
    ASSERT_EQ(Texts(su), std::vector<std::string>{"10"});
    EXPECT_NEAR(su.texts[0].origin.z, 2 * u, 1e-6);
    bool line = false;
    for (const auto& l : su.lines3d)
        line = line || (std::fabs(l[0].z - 2 * u) < 1e-6 && std::fabs(l[1].z - 2 * u) < 1e-6 && std::fabs(std::fabs(l[1].x - l[0].x) - 10 * u) < 1e-6);
    EXPECT_TRUE(line);
    // The 3-D dimension measures along its plane's x axis whatever the 2-D mode bits say.
    auto md3 = Made<CDimensionElement3d>(file, 1, {Point(0, 0), Point(3 * u, 4 * u)});
    StoreU32(md3->GetBodyData() + kDimOptionFlags, 0x2000);
    EXPECT_EQ(Texts(Drawn(*md3)), std::vector<std::string>{"3"});
}

TEST_F(DimensionTest, RadiusDiameterAndReadableTexts)
{
    const double u = CDimensionElement2d(file).GetUnitsPerMaster();
    const std::vector<DimensionPoint> circle = {Point(0, 0), Point(12.5 * u, 0), Point(20 * u, 0)};
    GeometryRecordingSink r = Drawn(*Made(file, 11, circle));
    ASSERT_EQ(Texts(r), std::vector<std::string>{"R 12.5"});
    EXPECT_EQ(r.texts[0].justification, 15); // point 2 outside
    EXPECT_TRUE(HasSegment(r, {12.5 * u, 0}, {20 * u, 0}));
    EXPECT_EQ(Texts(Drawn(*Made(file, 12, circle))), std::vector<std::string>{"\xD8 25"});
    // Leftward text is turned: 3.141592654 + 3.141592654.
    GeometryRecordingSink label = Drawn(*Made(file, 52, {Point(10 * u, 0), Point(0, 0)}));
    ASSERT_EQ(Texts(label), (std::vector<std::string>{"10", "180\xB0"}));
    EXPECT_NEAR(label.texts[0].angle, 6.283185308, 1e-9);
    EXPECT_EQ(label.texts[1].justification, 18);
    GeometryRecordingSink kept = Drawn(*Made(file, 52, {Point(0, 0), Point(10 * u, 0)}));
    EXPECT_EQ(kept.texts[0].angle, 0.0);
    // In 3-D the text turns in the dimension's plane: a line up the plane's y reads at 90.
    GeometryRecordingSink up = Drawn(*Made<CDimensionElement3d>(file, 52, {Point(0, 0), Point(0, 10 * u)}));
    ASSERT_EQ(up.texts.size(), 2u);
    EXPECT_NEAR(up.texts[0].angle, M_PI / 2, 1e-9);
    // Centre mark: two lines of the centre size to both sides.
    auto centre = Made(file, 19, {Point(5, 5)});
    StoreF64(centre->GetBodyData() + kDimCentreSize, 2.0);
    GeometryRecordingSink c = Drawn(*centre);
    EXPECT_TRUE(HasSegment(c, {5, 7}, {5, 3}));
    EXPECT_TRUE(HasSegment(c, {7, 5}, {3, 5}));
    // Angular: a quarter turn about the vertex, "90" and the degree sign.
    GeometryRecordingSink a = Drawn(*Made(file, 5, {Point(0, 0), Point(10, 0), Point(0, 10)}));
    EXPECT_EQ(a.arcs, 1);
    EXPECT_EQ(Texts(a), std::vector<std::string>{"90\xB0"});
    // Two extension lines and the 2-D dimension's one arrow, at the arc's start.
    EXPECT_EQ(LineCount(a), 4u);
}

TEST_F(DimensionTest, DrawingsWithTooFewPointsDrawNothing)
{
    struct Case {
        std::uint8_t kind;
        std::size_t points;
    };
    // Each drawing with one point fewer than it uses.
    const Case cases[] = {{11, 2}, {17, 2}, {12, 2}, {13, 2}, {18, 2}, {5, 2}, {52, 1}, {53, 1}, {19, 0}};
    for (const Case& c : cases) {
        std::vector<DimensionPoint> points;
        for (std::size_t i = 0; i < c.points; ++i)
            points.push_back(Point(10.0 * i + 1, 3.0 * i + 2));
        auto d = Made(file, c.kind, points);
        d->GetTextArray()->AppendItems("note", 4);
        const GeometryRecordingSink s = Drawn(*d);
        EXPECT_EQ(LineCount(s), 0u) << int(c.kind);
        EXPECT_TRUE(s.texts.empty()) << int(c.kind);
    }
}

TEST_F(DimensionTest, NoteTextEndsWithItsBytes)
{
    // A leader of two segments; the text at the last point, its bytes all of the array's 64
    // (no 0 among them; the array's room past them holds other bytes, none 0), then one ending
    // early at a 0.
    const std::string full(64, 'N');
    auto d = Made(file, 53, {Point(0, 0), Point(10, 0), Point(20, 10)});
    const std::string more = full + std::string(40, 'X');
    d->GetTextArray()->AppendItems(more.data(), static_cast<std::uint32_t>(more.size()));
    ASSERT_TRUE(d->GetTextArray()->RemoveItems(40, 64));
    ASSERT_EQ(d->GetTextArray()->Count(), 64u);
    GeometryRecordingSink s = Drawn(*d);
    EXPECT_EQ(LineCount(s), 4u);
    ASSERT_EQ(Texts(s), std::vector<std::string>{full});
    EXPECT_EQ(s.texts[0].justification, 9); // leftward: turned
    auto early = Made(file, 53, {Point(0, 0), Point(10, 0)});
    early->GetTextArray()->AppendItems("ab\0cd", 5);
    EXPECT_EQ(Texts(Drawn(*early)), std::vector<std::string>{"ab"});
    // The 3-D note's text starts 8 bytes in (20 in a V8 file).
    auto d3 = Made<CDimensionElement3d>(file, 53, {Point(0, 0), Point(10, 0)});
    d3->GetTextArray()->AppendItems("12345678note", 12);
    file->SetIsV8(false);
    EXPECT_EQ(Texts(Drawn(*d3)), std::vector<std::string>{"note"});
    file->SetIsV8(true);
    EXPECT_TRUE(Drawn(*d3).texts.empty());
    d3->GetTextArray()->AppendItems("12345678note", 12);
    EXPECT_EQ(Texts(Drawn(*d3)), std::vector<std::string>{"note"});
}
