// Polyline vertex records: defaults, their DXF groups and VERTEX entity, the geometry of their
// segment, their Vertexes record, and how polylines keep them in step with their points.
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/VertexRecord.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"
#include "tests/support/DxfTestSupport.h"
#include "tests/support/StorageTestSupport.h"

namespace {

std::string Written(const std::function<void(CDxfFile&)>& write)
{
    CDxfFile dxf;
    return WrittenText(write, dxf);
}

CPolyline* Square(Drawing& d, bool closed)
{
    auto* polyline = static_cast<CPolyline*>(d.Make(stPolyline, {{0, 0}, {4, 0}, {4, 3}}, d.root));
    if (closed)
        polyline->SetFlags(polyline->GetFlags() | pfClosed);
    return polyline;
}

CVertexRecord& VertexAt(CPolyline* polyline, int index)
{
    return *polyline->FindVertexOfPoint(polyline->GetPoints().GetAt(index)->GetPointId());
}

} // namespace

TEST(VertexRecord, DefaultsAndIdentity)
{
    CVertexRecord a, b;
    EXPECT_TRUE(a.IsDefault());
    EXPECT_EQ(a.startWidth, -1.0f);
    EXPECT_EQ(a.endWidth, -1.0f);
    EXPECT_EQ(a.color, 0x40000000u);
    EXPECT_EQ(a.lineType, 0x8000);
    EXPECT_GT(b.vertexId, a.vertexId);
    a.name = "named";
    EXPECT_TRUE(a.IsDefault()); // the name does not count
    a.tag = 1;
    EXPECT_FALSE(a.IsDefault());
    const int before = a.vertexId;
    a.ResetData();
    EXPECT_TRUE(a.IsDefault());
    EXPECT_TRUE(a.name.empty());
    EXPECT_GT(a.vertexId, before);
}

// A copy is another vertex (a fresh ID, the data and name alike); an assignment takes the other's
// ID with its data.
TEST(VertexRecord, CopyTakesAFreshIdAssignKeepsIt)
{
    CVertexRecord source;
    source.bulge = 0.25f;
    source.name = "corner";
    source.tag = 7;
    const CVertexRecord copy(source);
    EXPECT_NE(copy.vertexId, source.vertexId);
    EXPECT_EQ(copy.bulge, 0.25f);
    EXPECT_EQ(copy.name, "corner");
    EXPECT_EQ(copy.tag, 7);
    CVertexRecord other;
    other.Assign(source);
    EXPECT_EQ(other.vertexId, source.vertexId);
    EXPECT_EQ(other.name, "corner");
    CVertexRecord third;
    third = copy;
    EXPECT_EQ(third.vertexId, copy.vertexId);
}

// A polyline's array of records grows, closes gaps and turns without renumbering its vertices:
// the automation's Vertex objects find their vertex by ID afterwards.
TEST(VertexRecord, PolylineKeepsVertexIdsAsItsArrayChanges)
{
    Drawing d;
    CPolyline* polyline = Square(d, false);
    std::vector<int> ids;
    for (int i = 0; i < 3; ++i)
        ids.push_back(VertexAt(polyline, i).vertexId);
    for (int i = 0; i < 100; ++i) {
        CVertexRecord* added = polyline->AddNewVertex(-1, static_cast<float>(i), 10.0f, 0.0f, 0x40000000, 0x8000,
                                                      nullptr, -1.0f, -1.0f, 0, 0, 0);
        ASSERT_NE(added, nullptr) << i;
        ids.push_back(added->vertexId);
    }
    ASSERT_EQ(polyline->GetVertices().size(), ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(polyline->GetVertices()[i].vertexId, ids[i]) << i;
    // One inserted at the front: the others move along under their IDs.
    CVertexRecord* front = polyline->AddNewVertex(0, -5.0f, -5.0f, 0.0f, 0x40000000, 0x8000, nullptr, -1.0f, -1.0f, 0, 0, 0);
    ASSERT_NE(front, nullptr);
    ids.insert(ids.begin(), front->vertexId);
    // A point moved within the polyline takes its vertex with it.
    const int moved = polyline->GetPoints().GetAt(1)->GetPointId();
    ASSERT_TRUE(polyline->MovePointWithin(moved, 5));
    EXPECT_EQ(polyline->FindVertexOfPoint(moved)->vertexId, ids[1]);
    std::vector<int> unique;
    for (const CVertexRecord& v : polyline->GetVertices())
        unique.push_back(v.vertexId);
    std::sort(unique.begin(), unique.end());
    EXPECT_EQ(std::unique(unique.begin(), unique.end()), unique.end());
    std::vector<int> expected = ids;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(unique, expected);
    // A copy of the polyline has vertices of its own.
    CShape* copy = d.control.GetShapeMap().CloneShape(polyline, true);
    ASSERT_NE(copy, nullptr);
    const auto& copied = static_cast<CPolyline*>(copy)->GetVertices();
    ASSERT_EQ(copied.size(), polyline->GetVertices().size());
    for (size_t i = 0; i < copied.size(); ++i)
        EXPECT_NE(copied[i].vertexId, polyline->GetVertices()[i].vertexId) << i;
}

// Only the groups that differ from the defaults, in the order 40, 41, 42, 70, 50; then our block
// when colour, line type, tag or name differ from theirs.
TEST(VertexRecord, DxfDataGroups)
{
    struct Case
    {
        std::function<void(CVertexRecord&)> set;
        const char* text;
    } cases[] = {
        {[](CVertexRecord&) {}, ""},
        {[](CVertexRecord& v) { v.startWidth = 0.0f; }, " 40\r\n0.000000\r\n"},
        {[](CVertexRecord& v) {
             v.direction = 30.0f;
             v.flags = 1;
             v.bulge = -0.5f;
             v.endWidth = 2.0f;
         },
         " 41\r\n2.000000\r\n 42\r\n-0.500000\r\n 70\r\n1\r\n 50\r\n30.000000\r\n"},
        {[](CVertexRecord& v) { v.name = "N1"; },
         " 1001\r\nYVEXControl\r\n 1002\r\n{\r\n 1071\r\n1073741824\r\n 1071\r\n32768\r\n 1071\r\n0\r\n"
         " 1000\r\nN1\r\n 1002\r\n}\r\n"},
    };
    for (const Case& c : cases) {
        CVertexRecord v;
        c.set(v);
        EXPECT_EQ(Written([&](CDxfFile& dxf) { EXPECT_EQ(v.WriteDxfData(dxf), 1); }), c.text);
    }
}

// A VERTEX entity takes its handle from the file's counter (lower-case hexadecimal, advanced
// first) and the layer of the entity being written; reading one makes its point in the pool.
TEST(VertexRecord, VertexEntityWrittenAndRead)
{
    Drawing d;
    CPolyline* polyline = Square(d, false);
    CVertexRecord& v = VertexAt(polyline, 1);
    v.bulge = 0.25f;
    v.color = 0x0000FF;
    v.name = "mid";
    d.control.GetDxfDocument().SetCurrentLayerName("Walls");
    CDxfFile dxf;
    dxf.SetHandleCounter(0x2E);
    const std::string text = WrittenText([&](CDxfFile& f) { v.WriteDxf(f); }, dxf);
    const std::string head = " 0\r\nVERTEX\r\n 5\r\n2f\r\n 8\r\nWalls\r\n 10\r\n4.000000\r\n 20\r\n0.000000\r\n 30\r\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(dxf.GetHandleCounter(), 0x2Fu);
    d.control.GetDxfDocument().SetCurrentLayerName(nullptr);
    EXPECT_NE(Written([&](CDxfFile& f) { v.WriteDxf(f); }).find(" 8\r\n0\r\n"), std::string::npos);

    // Read back from after the entity keyword, up to the next entity.
    const std::string body = text.substr(text.find(" 5\r\n")) + " 0\r\nSEQEND\r\n";
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ULONG put = 0;
    stream->Write(body.data(), static_cast<ULONG>(body.size()), &put);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    CDxfFile reader;
    ASSERT_TRUE(reader.OpenStream(stream, true));
    CVertexRecord back;
    back.startWidth = 5.0f; // read afresh: widths not in the entity are the defaults
    CPointRecord* point = nullptr;
    const int id = back.ReadDxf(reader, d.control.GetPointPool(), &point);
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(id, point->GetPointId());
    EXPECT_EQ(d.control.GetPointPool().Find(id), point);
    EXPECT_EQ(back.GetPoint(), point);
    EXPECT_EQ(point->x, 4.0f);
    EXPECT_EQ(point->y, 0.0f);
    EXPECT_EQ(back.startWidth, -1.0f);
    EXPECT_EQ(back.bulge, 0.25f);
    EXPECT_EQ(back.color, 0x0000FFu);
    EXPECT_EQ(back.name, "mid");
    EXPECT_TRUE(reader.ReadGroup());
    EXPECT_EQ(std::string(reader.GetText()), "SEQEND");
    reader.Close();
    stream->Release();
}

TEST(VertexRecord, SegmentGeometry)
{
    Drawing d;
    CPolyline* open = Square(d, false);
    EXPECT_DOUBLE_EQ(VertexAt(open, 0).GetLength(), 4.0);
    EXPECT_DOUBLE_EQ(VertexAt(open, 2).GetLength(), 0.0); // the last vertex of an open polyline
    CPolyline* closed = Square(d, true);
    EXPECT_DOUBLE_EQ(VertexAt(closed, 2).GetLength(), 5.0); // the closing segment
    CVertexRecord loose;
    EXPECT_EQ(loose.GetLength(), 0.0);
    EXPECT_EQ(loose.GetArcRadius(), 0.0);

    CVertexRecord& first = VertexAt(open, 0);
    EXPECT_EQ(first.GetArcRadius(), 0.0);
    first.bulge = -1.0f; // a half circle, clockwise
    EXPECT_DOUBLE_EQ(first.GetArcRadius(), -2.0);
    EXPECT_NEAR(first.GetLength(), 2.0 * M_PI, 1e-6);
    ASSERT_TRUE(first.SetArcRadius(2.5));
    EXPECT_NEAR(first.bulge, std::tan(std::asin(2.0 / 2.5) / 2.0), 1e-6);
    EXPECT_NEAR(first.GetArcRadius(), 2.5, 1e-5);
    ASSERT_TRUE(first.SetArcRadius(-2.5));
    EXPECT_LT(first.bulge, 0.0f);
    // No arc of radius 1 passes through points 4 apart: refused, the bulge stays.
    const float kept = first.bulge;
    EXPECT_FALSE(first.SetArcRadius(1.0));
    EXPECT_EQ(first.bulge, kept);
    EXPECT_FALSE(VertexAt(open, 2).SetArcRadius(3.0));
    EXPECT_TRUE(first.SetArcRadius(0.0));
    EXPECT_EQ(first.bulge, 0.0f);

    // Mirrored in both axes the arc turns the same way; in one it turns the other way.
    first.bulge = 0.5f;
    first.ScaleAbout(1, 1, -1, -1);
    EXPECT_EQ(first.bulge, 0.5f);
    EXPECT_EQ(first.GetPoint()->x, 2.0f);
    EXPECT_EQ(first.GetPoint()->y, 2.0f);
    first.ScaleAbout(0, 0, -2, 1);
    EXPECT_EQ(first.bulge, -0.5f);
    EXPECT_EQ(first.GetPoint()->x, -4.0f);
}

TEST(VertexRecord, VertexesRecords)
{
    Drawing d;
    CPolyline* polyline = Square(d, false);
    CVertexRecord& v = VertexAt(polyline, 2);
    v.databaseId = 77;
    v.name = "end";
    v.lineType = 0x8000;
    v.tag = 3;
    v.bulge = 0.5f;

    EXPECT_EQ(v.SaveToTables(nullptr, 0, 1), E_INVALIDARG);
    CDataTableSet none(0);
    EXPECT_EQ(v.SaveToTables(&none, 0, 1), S_FALSE);
    CDataTableSet set(1);
    EXPECT_EQ(v.SaveToTables(&set, 0, 0), E_INVALIDARG); // no ShapePoints record to hang on
    ASSERT_EQ(v.SaveToTables(&set, DXFMODE_USE_YVEX_IDENTIFIERS, 11), S_OK);
    const CVertexesRecord* own = set.Vertexes()->FindRecord(v.GetPoint()->GetPointId());
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->DatabaseID, 77);
    EXPECT_EQ(own->ShapePointID, 11);
    EXPECT_EQ(own->Name, "end");
    // Renumbered: the set's key, and the vertex keeps the ID of its database row.
    ASSERT_EQ(v.SaveToTables(&set, 0, 12), S_OK);
    EXPECT_EQ(v.databaseId, 77);
    const CVertexesRecord* renumbered = set.Vertexes()->FindRecord(set.Vertexes()->GetMaxKey());
    ASSERT_NE(renumbered, nullptr);
    EXPECT_EQ(renumbered->DatabaseID, 0);
    EXPECT_EQ(renumbered->ShapePointID, 12);

    // Loading: the line type as its absolute value (-12 and the 16-bit by-block -32768).
    CVertexesRecord* stored = set.Vertexes()->FindRecord(v.GetPoint()->GetPointId());
    stored->LinePatternID = -12;
    stored->StartWidth = 1.5;
    stored->DatabaseID = 90;
    CVertexRecord back;
    ASSERT_EQ(back.SaveToTables(&set, DXFMODE_LOAD | DXFMODE_USE_YVEX_IDENTIFIERS, 0), S_OK);
    EXPECT_EQ(back.lineType, 12);
    EXPECT_EQ(back.startWidth, 1.5f);
    EXPECT_EQ(back.bulge, 0.5f);
    EXPECT_EQ(back.tag, 3);
    EXPECT_EQ(back.name, "end");
    EXPECT_EQ(back.databaseId, 90);
    set.Vertexes()->FindRecord(renumbered->VertexID)->LinePatternID = -32768;
    ASSERT_EQ(back.SaveToTables(&set, DXFMODE_LOAD | DXFMODE_USE_YVEX_IDENTIFIERS, 0), S_OK);
    EXPECT_EQ(back.lineType, 0x8000);
    EXPECT_EQ(back.databaseId, 90); // a database ID is taken only by a vertex without one
    set.Vertexes()->SeekKey(set.Vertexes()->GetMaxKey() + 1);
    EXPECT_EQ(back.SaveToTables(&set, DXFMODE_LOAD, 0), E_FAIL);
}

// One vertex per point, in the order of the points, through inserts, removals, moves and copies.
TEST(VertexRecord, PolylinesKeepThemInStep)
{
    Drawing d;
    CPolyline* polyline = Square(d, false);
    auto pointsOfVertices = [](CPolyline* p) {
        std::vector<int> ids;
        for (const CVertexRecord& v : p->GetVertices()) {
            EXPECT_EQ(v.GetOwner(), p);
            ids.push_back(v.GetPoint()->GetPointId());
        }
        return ids;
    };
    auto pointIds = [](CPolyline* p) {
        std::vector<int> ids;
        for (CPointRecord* point : p->GetPoints())
            ids.push_back(point->GetPointId());
        return ids;
    };
    EXPECT_EQ(pointsOfVertices(polyline), pointIds(polyline));
    const int inserted = d.control.CreatePoint(9, 9);
    ASSERT_EQ(polyline->AddPointById(inserted, 1, true), S_OK);
    EXPECT_EQ(pointsOfVertices(polyline), pointIds(polyline));
    VertexAt(polyline, 0).bulge = 0.75f;
    VertexAt(polyline, 0).databaseId = 5;
    const int first = polyline->GetPoints().GetAt(0)->GetPointId();
    ASSERT_EQ(polyline->MovePointWithin(first, 3), 1);
    EXPECT_EQ(pointsOfVertices(polyline), pointIds(polyline));
    EXPECT_EQ(polyline->FindVertexOfPoint(first)->bulge, 0.75f);
    ASSERT_EQ(polyline->RemovePointById(inserted, false, 0), 1);
    EXPECT_EQ(pointsOfVertices(polyline), pointIds(polyline));
    EXPECT_EQ(polyline->RemoveVerticesOfPoint(12345), 0);

    // A copy: the same data on its own points, not stored.
    auto* copy = static_cast<CPolyline*>(d.control.GetShapeMap().CloneShape(polyline, true));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(pointsOfVertices(copy), pointIds(copy));
    ASSERT_EQ(copy->GetVertices().size(), 3u);
    EXPECT_EQ(copy->GetVertices()[2].bulge, 0.75f);
    EXPECT_EQ(copy->GetVertices()[2].databaseId, 0);
    EXPECT_NE(copy->GetVertices()[2].GetPoint(), polyline->GetVertices()[2].GetPoint());

    polyline->ClearDatabaseId();
    EXPECT_EQ(polyline->FindVertexOfPoint(first)->databaseId, 0);
    polyline->RemoveAllPoints();
    EXPECT_TRUE(polyline->GetVertices().empty());
}
