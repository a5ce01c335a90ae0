// The polyline and line kinds in storage: the POLYLINE entity we write and read back in both file
// forms (flags of 32 bits included), the entities another writer made (tests/fixtures/dxf,
// made by ezdxf), a drawing for ezdxf to read (check_dxf_kinds.py), and the Polylines, Lines and
// Vertexes records.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/Line.h"
#include "model/LineTypeMap.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"
#include "tests/support/DxfTestSupport.h"
#include "tests/support/StorageTestSupport.h"

namespace {

using Group = WrittenGroup;

std::vector<std::string> Find(const std::vector<Group>& groups, int code)
{
    std::vector<std::string> values;
    for (const Group& g : groups)
        if (g.code == code)
            values.push_back(g.value);
    return values;
}

void ExpectVertex(const CVertexRecord& v, float x, float y, float start, float end, float bulge, const char* what)
{
    ASSERT_NE(v.GetPoint(), nullptr) << what;
    EXPECT_NEAR(v.GetPoint()->x, x, 1e-5) << what;
    EXPECT_NEAR(v.GetPoint()->y, y, 1e-5) << what;
    EXPECT_EQ(v.startWidth, start) << what;
    EXPECT_EQ(v.endWidth, end) << what;
    EXPECT_NEAR(v.bulge, bulge, 1e-6) << what;
}

// The drawing that goes to ezdxf: an open tapered polyline with an arc, a closed one with vertex
// widths, a rectangle, and a line with arrows, on a layer.
void MakeKinds(Drawing& d)
{
    CLayer* walls = MakeLayer(d.control, d.layers, "Walls");
    auto* open = static_cast<CPolyline*>(d.Make(stPolyline, {{0, 0}, {10, 0}, {10, 10}}, d.root));
    open->SetLayer(walls);
    open->SetDefaultWidths(0.0f, 2.5f);
    open->GetVertexAt(1)->bulge = 0.5f;
    auto* closed = static_cast<CPolyline*>(d.Make(stPolyline, {{20, 0}, {30, 0}, {25, 8}}, d.root));
    closed->SetFlags(pfClosed);
    closed->GetVertexAt(0)->startWidth = 1.0f;
    closed->GetVertexAt(0)->endWidth = 2.0f;
    closed->GetVertexAt(2)->bulge = -0.25f;
    d.Make(stRectangle, {{40, 0}, {50, 0}, {50, 5}, {40, 5}}, d.root);
    CShape* line = d.Make(stLine, {{0, 20}, {15, 25}}, d.root);
    line->SetFirstArrowType(atArrowVT);
    line->SetSecondArrowType(atCircle);
}

} // namespace

TEST(PolylineDxf, WritesThePolylineEntity)
{
    Drawing d;
    CLayer* walls = MakeLayer(d.control, d.layers, "Walls");
    auto* rectangle = static_cast<CPolyline*>(d.Make(stRectangle, {{0, 0}, {4, 0}, {4, 3}, {0, 3}}, d.root));
    rectangle->SetLayer(walls);
    rectangle->GetVertexAt(1)->bulge = 0.5f;
    const std::vector<Group> groups = WrittenGroups([&](CDxfFile& f) { rectangle->WriteDxf(f); });
    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(groups[0], (Group{0, "POLYLINE"}));
    // Only the closed bit in 70; the flags in full (0x9001) in our extended data.
    EXPECT_EQ(Find(groups, 70), std::vector<std::string>{"1"});
    const auto data = std::find(groups.begin(), groups.end(), Group{1000, "POLYLINE DATA"});
    ASSERT_NE(data, groups.end());
    EXPECT_EQ(*(data + 1), (Group{1071, "36865"}));
    // Four VERTEX entities on the polyline's layer, then SEQEND with its handle and layer.
    EXPECT_EQ(std::count(groups.begin(), groups.end(), Group{0, "VERTEX"}), 4);
    EXPECT_EQ(std::count(groups.begin(), groups.end(), Group{8, "Walls"}), 6);
    EXPECT_EQ(Find(groups, 42), std::vector<std::string>{"0.500000"});
    const auto seqend = std::find(groups.begin(), groups.end(), Group{0, "SEQEND"});
    ASSERT_NE(seqend, groups.end());
    ASSERT_EQ(groups.end() - seqend, 3);
    EXPECT_EQ((seqend + 1)->code, 5);
    EXPECT_EQ(*(seqend + 2), (Group{8, "Walls"}));
    // Written again, the SEQEND keeps its handle.
    const std::vector<Group> again = WrittenGroups([&](CDxfFile& f) { rectangle->WriteDxf(f); });
    EXPECT_EQ(again[again.size() - 2], *(seqend + 1));

    // A plain open polyline carries no flags of its own.
    CShape* plain = d.Make(stPolyline, {{0, 0}, {1, 1}}, d.root);
    const std::vector<Group> plainGroups = WrittenGroups([&](CDxfFile& f) { plain->WriteDxf(f); });
    EXPECT_EQ(std::count(plainGroups.begin(), plainGroups.end(), Group{1000, "POLYLINE DATA"}), 0);
    EXPECT_EQ(Find(plainGroups, 70), std::vector<std::string>{"0"});
}

// Written and read back, ASCII and binary: points, widths, bulges, the closed state, the full
// flags of a rectangle (0x9001, beyond the 16 bits binary files hold group 70 in) and the line.
TEST(PolylineDxf, ReadsBackWhatItWrote)
{
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "ASCII");
        Drawing from;
        MakeKinds(from);
        const std::string path = OutputPath(binary ? "kinds_roundtrip_binary.dxf" : "kinds_roundtrip.dxf");
        WriteR12Drawing(from, path, binary);

        Drawing to;
        MakeLayer(to.control, to.layers, "Walls");
        const std::vector<CShape*> shapes = ReadEntities(to, path);
        ASSERT_EQ(shapes.size(), 4u);
        auto* open = dynamic_cast<CPolyline*>(shapes[0]);
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(open->GetFlags(), 0u);
        EXPECT_EQ(open->GetDefStartWidth(), 0.0f);
        EXPECT_EQ(open->GetDefEndWidth(), 2.5f);
        ASSERT_EQ(open->GetVertices().size(), 3u);
        ExpectVertex(open->GetVertices()[1], 10, 0, -1, -1, 0.5f, "open 1");
        ASSERT_NE(open->GetLayer(), nullptr);
        EXPECT_EQ(open->GetLayer()->GetName(), "Walls");

        auto* closed = dynamic_cast<CPolyline*>(shapes[1]);
        ASSERT_NE(closed, nullptr);
        EXPECT_TRUE(closed->IsClosed());
        ASSERT_EQ(closed->GetVertices().size(), 3u);
        ExpectVertex(closed->GetVertices()[0], 20, 0, 1, 2, 0, "closed 0");
        ExpectVertex(closed->GetVertices()[2], 25, 8, -1, -1, -0.25f, "closed 2");

        auto* rectangle = dynamic_cast<CPolyline*>(shapes[2]);
        ASSERT_NE(rectangle, nullptr);
        EXPECT_EQ(rectangle->GetFlags(), 0x9001u);
        EXPECT_EQ(rectangle->GetPointCount(), 4);

        auto* line = dynamic_cast<CLine*>(shapes[3]);
        ASSERT_NE(line, nullptr);
        ASSERT_EQ(line->GetPointCount(), 2);
        EXPECT_EQ(line->GetPoints().GetAt(1)->x, 15.0f);
        EXPECT_EQ(line->GetPoints().GetAt(1)->y, 25.0f);
        EXPECT_EQ(line->GetFirstArrowType(), atArrowVT);
        EXPECT_EQ(line->GetSecondArrowType(), atCircle);
    }
}

// The flags of older files: "POLYLINE DATA" with 1070, which binary files hold in 16 bits and
// readers sign-extend; a drawing whose y grows downwards is turned over.
TEST(PolylineDxf, OlderFlagsAndADownwardAxis)
{
    Drawing d;
    auto* p = static_cast<CPolyline*>(d.control.GetShapeMap().CreateShape(stPolyline, true, true));
    p->SetFlags(pfClosed);
    CDxfFile writer;
    const std::string text = WrittenText(
        [](CDxfFile& f) {
            f.WriteStringGroup(0, "SECTION");
            f.WriteStringGroup(1000, "POLYLINE DATA");
            f.WriteIntGroup(1070, -28671); // 0x9001 as a signed 16-bit value
            f.WriteStringGroup(0, "EOF");
        },
        writer);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ULONG written = 0;
    stream->Write(text.data(), static_cast<ULONG>(text.size()), &written);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    CDxfFile reader;
    ASSERT_TRUE(reader.OpenStream(stream, true));
    ASSERT_TRUE(reader.ReadGroup());
    ASSERT_TRUE(reader.ReadGroup(nullptr, true));
    EXPECT_EQ(p->ReadDxfGroup(reader), 1);
    // The closed state is group 70's: the low byte stays.
    EXPECT_EQ(p->GetFlags(), 0x9001u);
    reader.Close();
    stream->Release();

    Drawing from;
    from.Make(stPolyline, {{1, 2}, {3, 4}}, from.root);
    from.Make(stLine, {{5, 6}, {7, 8}}, from.root);
    const std::string path = OutputPath("kinds_down.dxf");
    WriteR12Drawing(from, path, false);
    Drawing to;
    to.control.SetVerticalAxisFactor(-1.0f);
    const std::vector<CShape*> shapes = ReadEntities(to, path);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0]->GetPoints().GetAt(1)->y, -4.0f);
    EXPECT_EQ(shapes[1]->GetPoints().GetAt(0)->y, -6.0f);
}

// What another writer (ezdxf) put into a file reads into the same shapes, ASCII and binary.
TEST(PolylineDxf, ReadsTheEntitiesOfAnotherWriter)
{
    for (const char* name : {"kinds_ascii.dxf", "kinds_binary.dxf"}) {
        SCOPED_TRACE(name);
        Drawing d;
        const std::vector<CShape*> shapes = ReadEntities(d, Fixture(name));
        ASSERT_EQ(shapes.size(), 6u);

        // Group 42 came for the second vertex only: it is the second vertex's bulge.
        auto* bulged = dynamic_cast<CPolyline*>(shapes[0]);
        ASSERT_NE(bulged, nullptr);
        ASSERT_EQ(bulged->GetVertices().size(), 3u);
        ExpectVertex(bulged->GetVertices()[0], 0, 0, -1, -1, 0, "bulged 0");
        ExpectVertex(bulged->GetVertices()[1], 10, 0, -1, -1, 1.0f, "bulged 1");
        ExpectVertex(bulged->GetVertices()[2], 10, 10, -1, -1, 0, "bulged 2");
        EXPECT_FALSE(bulged->IsClosed());
        EXPECT_FALSE(bulged->HasState(CShape::stScalePenWeight));

        // Widths for the second vertex only (drawing units), closed.
        auto* widths = dynamic_cast<CPolyline*>(shapes[1]);
        ASSERT_NE(widths, nullptr);
        ASSERT_EQ(widths->GetVertices().size(), 3u);
        ExpectVertex(widths->GetVertices()[0], 0, 0, -1, -1, 0, "widths 0");
        ExpectVertex(widths->GetVertices()[1], 5, 0, 1, 2, 0, "widths 1");
        EXPECT_TRUE(widths->IsClosed());
        EXPECT_TRUE(widths->HasState(CShape::stScalePenWeight));

        // One width for all: the defaults, as fixed widths.
        auto* constant = dynamic_cast<CPolyline*>(shapes[2]);
        ASSERT_NE(constant, nullptr);
        EXPECT_EQ(constant->GetDefStartWidth(), 0.5f);
        EXPECT_EQ(constant->GetDefEndWidth(), 0.5f);
        EXPECT_FALSE(constant->HasState(CShape::stScalePenWeight));

        auto* polyline = dynamic_cast<CPolyline*>(shapes[3]);
        ASSERT_NE(polyline, nullptr);
        EXPECT_TRUE(polyline->IsClosed());
        ASSERT_EQ(polyline->GetVertices().size(), 3u);
        ExpectVertex(polyline->GetVertices()[1], 4, 0, 0.5f, 0.5f, 0.25f, "polyline 1");
        ExpectVertex(polyline->GetVertices()[2], 4, 3, -1, -1, 0, "polyline 2");

        // SOLID's corners in outline order, closed and filled.
        auto* solid = dynamic_cast<CPolyline*>(shapes[4]);
        ASSERT_NE(solid, nullptr);
        EXPECT_TRUE(solid->IsClosed());
        EXPECT_EQ(solid->GetHatchPatternId(), hpSolid);
        const float corners[4][2] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
        ASSERT_EQ(solid->GetPointCount(), 4);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(solid->GetPoints().GetAt(i)->x, corners[i][0]) << i;
            EXPECT_EQ(solid->GetPoints().GetAt(i)->y, corners[i][1]) << i;
        }
        EXPECT_NEAR(solid->GetArea(), 4.0, 1e-6);

        auto* line = dynamic_cast<CLine*>(shapes[5]);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->GetPoints().GetAt(0)->x, 1.0f);
        EXPECT_EQ(line->GetPoints().GetAt(1)->y, 4.0f);
    }
}

// The vertex count of LWPOLYLINE makes room for the vertices before they come; a count far
// beyond what the file can hold makes no more room than the file could fill, and the vertices
// that do come read as ever.
TEST(PolylineDxf, AVertexCountBeyondTheFileReadsTheVerticesThatCome)
{
    const std::string path = OutputPath("kinds_lying_count.dxf");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\n0\n90\n2000000000\n70\n0\n"
               "10\n1\n20\n2\n10\n3\n20\n4\n0\nENDSEC\n0\nEOF\n",
               f);
    std::fclose(f);
    Drawing d;
    const std::vector<CShape*> shapes = ReadEntities(d, path);
    ASSERT_EQ(shapes.size(), 1u);
    auto* polyline = dynamic_cast<CPolyline*>(shapes[0]);
    ASSERT_NE(polyline, nullptr);
    ASSERT_EQ(polyline->GetVertices().size(), 2u);
    ExpectVertex(polyline->GetVertices()[1], 3, 4, -1, -1, 0, "second vertex");
}

// The drawing check_dxf_kinds.py hands to ezdxf, in both forms.
TEST(PolylineDxf, WritesADrawingThatEzdxfReads)
{
    for (bool binary : {false, true}) {
        Drawing d;
        MakeKinds(d);
        WriteR12Drawing(d, OutputPath(binary ? "kinds_binary.dxf" : "kinds.dxf"), binary);
    }
}

// Records: the Polylines record carries widths, flags and arrows of a shape that has any; the
// Lines record the arrows; the Vertexes records the data of vertices that carry some. Restored in
// another drawing, the shapes come back equal.
TEST(KindTables, PolylinesLinesAndVerticesComeBackWhole)
{
    Drawing from;
    MakeKinds(from);
    CShape* plainLine = from.Make(stLine, {{1, 1}, {2, 2}}, from.root);
    CDataTableSet set(1);
    ASSERT_EQ(from.root->SaveToTables(&set, DXFMODE_BLOCKS, 0), S_OK);
    // The tapered and the rectangle have records (the closed one's flags, too); a line only with
    // an arrow.
    EXPECT_EQ(set.Polylines()->GetCount(), 3u);
    EXPECT_EQ(set.Lines()->GetCount(), 1u);
    // Three vertices carry data: a bulge, widths, and another bulge.
    EXPECT_EQ(set.Vertexes()->GetCount(), 3u);
    (void)plainLine;

    CDataTableSet fresh(1);
    CopyShapeRecords(set, fresh);
    Drawing to;
    MakeLayer(to.control, to.layers, "Walls");
    for (const auto& e : fresh.Shapes()->GetRecords())
        to.control.GetShapeMap().LoadShapeFromTables(&fresh, DXFMODE_LOAD, e.first);
    ASSERT_EQ(to.root->GetShapeCount(), 5);
    auto* open = dynamic_cast<CPolyline*>(to.root->GetChildAt(0));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->GetDefEndWidth(), 2.5f);
    ExpectVertex(open->GetVertices()[1], 10, 0, -1, -1, 0.5f, "open 1");
    auto* closed = dynamic_cast<CPolyline*>(to.root->GetChildAt(1));
    ASSERT_NE(closed, nullptr);
    EXPECT_TRUE(closed->IsClosed());
    ExpectVertex(closed->GetVertices()[0], 20, 0, 1, 2, 0, "closed 0");
    ExpectVertex(closed->GetVertices()[2], 25, 8, -1, -1, -0.25f, "closed 2");
    auto* rectangle = dynamic_cast<CPolyline*>(to.root->GetChildAt(2));
    ASSERT_NE(rectangle, nullptr);
    // The record holds the flags in 16 bits: 0x9001 comes back, not sign-extended.
    EXPECT_EQ(rectangle->GetFlags(), 0x9001u);
    EXPECT_EQ(rectangle->GetShapeType(), stRectangle);
    auto* line = dynamic_cast<CLine*>(to.root->GetChildAt(3));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetFirstArrowType(), atArrowVT);
    EXPECT_EQ(line->GetSecondArrowType(), atCircle);
    auto* plain = dynamic_cast<CLine*>(to.root->GetChildAt(4));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetFirstArrowType(), 0);
}
