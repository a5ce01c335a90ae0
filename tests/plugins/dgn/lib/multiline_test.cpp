// The multiline element built from records crafted byte by byte: its layout, its mitred and
// broken profile lines, its caps; expected values are worked by hand.
#include "ItemArray.h"
#include "elements/MultilineElement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "design_file_support.h"
#include "element_test_support.h"
#include "geometry_recording_sink.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using MultilineTest = DesignFileTest;

void AddProfile(CMultilineElement& m, double offset, std::uint32_t flags = 0, std::uint32_t color = 0)
{
    MultilineProfile p = {offset, 0, flags, 0, 0, color, 0};
    m.GetProfiles()->AppendItems(&p, 1);
}

void AddNode(CMultilineElement& m, double x, double y, std::uint16_t firstBreak = 0, std::uint16_t breaks = 0)
{
    MultilineNode n = {x, y, 0, 0, firstBreak, breaks, 0};
    m.GetNodes()->AppendItems(&n, 1);
}

void AddBreak(CMultilineElement& m, std::uint32_t mask, std::uint32_t flags, double offset, double length)
{
    MultilineBreak b = {mask, flags, offset, length, 0};
    m.GetBreaks()->AppendItems(&b, 1);
}

void ExpectPoint(const Point3d& p, double x, double y)
{
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
}

} // namespace

TEST_F(MultilineTest, FreshMultiline)
{
    CMultilineElement m(file);
    EXPECT_EQ(m.GetNormal().z, 1.0);
    Lines::Reset();
    m.Describe(&Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "MultiLine element");
    EXPECT_TRUE(Lines::Has("Nr. lines: 0, Nr nodes: 0, Nr. breaks: 0"));
    const double matrix[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 5, 5, 5, 1};
    AddNode(m, 1, 2);
    EXPECT_FALSE(m.Transform(matrix));
    Point3d p;
    ASSERT_TRUE(m.GetKeyPoint(0, &p, 0));
    ExpectPoint(p, 1, 2);
    EXPECT_FALSE(m.GetKeyPoint(1, &p, 0));
    // One node: no segment, no line.
    AddProfile(m, 1);
    GeometryRecordingSink sink(0);
    m.EmitGeometry(nullptr, &sink);
    EXPECT_TRUE(sink.polylines3d.empty());
}

TEST_F(MultilineTest, ProfileLinesMeetOnTheMitre)
{
    // Nodes (0, 0), (10, 0), (10, 10); start and end angles 90 degrees (no end shift).
    CMultilineElement m(file);
    m.SetAngles(M_PI / 2, M_PI / 2);
    AddProfile(m, -1);
    AddProfile(m, 1, 0x40000, 5);
    AddNode(m, 0, 0);
    AddNode(m, 10, 0);
    AddNode(m, 10, 10);
    GeometryRecordingSink sink(0);
    m.EmitGeometry(nullptr, &sink);
    ASSERT_EQ(sink.polylines3d.size(), 2u);
    // Offset -1 lies to the right of the direction (normal x d): (0, -1) .. (11, -1) .. (11, 10).
    ASSERT_EQ(sink.polylines3d[0].size(), 3u);
    ExpectPoint(sink.polylines3d[0][0], 0, -1);
    ExpectPoint(sink.polylines3d[0][1], 11, -1);
    ExpectPoint(sink.polylines3d[0][2], 11, 10);
    ExpectPoint(sink.polylines3d[1][1], 9, 1);
    // The second line uses its own colour.
    EXPECT_EQ(sink.Last('c'), 5);
}

TEST_F(MultilineTest, BreaksCutGapsAndIndicesPastTheBreaksNameNone)
{
    CMultilineElement m(file);
    m.SetAngles(M_PI / 2, M_PI / 2);
    AddProfile(m, 0);
    AddProfile(m, 2);
    // Segment 0 has breaks 0-2, of which index 2 does not exist; break 0 is line 0's only.
    AddNode(m, 0, 0, 0, 3);
    AddNode(m, 10, 0);
    AddBreak(m, 0x1, 0, 2, 3);
    AddBreak(m, 0x3, 0x4000, 8, 0);
    // The breaks array's room past its end holds a break of both lines (a removed one).
    AddBreak(m, 0x3, 0x8000, 0, 1);
    ASSERT_TRUE(m.GetBreaks()->RemoveItems(1, 2));
    GeometryRecordingSink sink(0);
    m.EmitGeometry(nullptr, &sink);
    // Line 0: 0-2, 5-8; line 1: 0-8.
    ASSERT_EQ(sink.polylines3d.size(), 3u);
    ExpectPoint(sink.polylines3d[0][1], 2, 0);
    ExpectPoint(sink.polylines3d[1][0], 5, 0);
    ExpectPoint(sink.polylines3d[1][1], 8, 0);
    ExpectPoint(sink.polylines3d[2][0], 0, 2);
    ExpectPoint(sink.polylines3d[2][1], 8, 2);
}

TEST_F(MultilineTest, SizesAndRoundTrip)
{
    CMultilineElement m(file);
    AddProfile(m, 1.5, 0x10000);
    AddNode(m, 1, 2);
    AddNode(m, 3, 4, 0, 1);
    AddBreak(m, 1, 0, 0.5, 0.25);
    m.SetMultilineFlags(0x0102);
    m.Caps()[1].flags = kMultilineCapLine;
    m.Touch();
    EXPECT_EQ(m.GetAttrOffsetWords(), 200u);
    const Bytes first = WriteElement(m);
    ASSERT_EQ(first.size(), 404u);
    // Break count u16 at body 24, flags at 26.
    EXPECT_EQ(first[108 + 24], 1);
    EXPECT_EQ(first[108 + 26], 0x02);
    EXPECT_EQ(first[108 + 27], 0x01);
    CMultilineElement again(file);
    ASSERT_TRUE(ReadV8Into(again, first));
    EXPECT_EQ(again.GetMultilineFlags(), 0x0102);
    EXPECT_EQ(again.GetBreaks()->Count(), 1u);
    EXPECT_EQ(WriteElement(again), first);

    // Counts beyond the record take the records it holds.
    Bytes lying = first;
    lying[108 + 20] = 0xFF; // nodes
    lying[108 + 23] = 0x7F; // lines
    CMultilineElement cut(file);
    ASSERT_TRUE(ReadV8Into(cut, lying));
    EXPECT_LE(32u * cut.GetProfiles()->Count() + 40u * cut.GetNodes()->Count() + 32u * cut.GetBreaks()->Count(), 404u - 260u);
}
