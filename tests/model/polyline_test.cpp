// The polyline and line kinds as the factory makes them: points and vertex records in step,
// removal rules (rectangles, orthogonal and Bezier outlines), widths and length, area, bounds of
// bulged outlines, transforms, fillets, simplification, the Bezier form, closing, duplicates and
// the protection flags of the form.
#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Line.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "YVEX_h.h"
#include "tests/support/StorageTestSupport.h"

namespace {

const double kPi = 3.14159265358979323846;

CPolyline* MakePolyline(Drawing& d, int type, std::initializer_list<CRealPoint> points, DWORD flags = 0)
{
    auto* polyline = static_cast<CPolyline*>(d.Make(type, points, d.root));
    polyline->SetFlags(polyline->GetFlags() | flags);
    return polyline;
}

std::vector<CRealPoint> PointsOf(const CShape& shape)
{
    std::vector<CRealPoint> out;
    for (const CPointRecord* p : shape.GetPoints())
        out.emplace_back(p->x, p->y);
    return out;
}

void ExpectPoints(const CShape& shape, std::vector<CRealPoint> expected, float tolerance = 1e-4f)
{
    const std::vector<CRealPoint> got = PointsOf(shape);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].x, expected[i].x, tolerance) << "point " << i;
        EXPECT_NEAR(got[i].y, expected[i].y, tolerance) << "point " << i;
    }
}

// Every record belongs to the point of its index and to its polyline.
void ExpectInStep(CPolyline& polyline)
{
    ASSERT_EQ(polyline.GetVertices().size(), static_cast<size_t>(polyline.GetPointCount()));
    for (int i = 0; i < polyline.GetPointCount(); ++i) {
        EXPECT_EQ(polyline.GetVertices()[static_cast<size_t>(i)].GetPoint(), polyline.GetPoints().GetAt(i)) << i;
        EXPECT_EQ(polyline.GetVertices()[static_cast<size_t>(i)].GetOwner(), &polyline) << i;
    }
}

} // namespace

TEST(PolylineKinds, TheFactoryMakesEachKind)
{
    Drawing d;
    struct Case
    {
        int type;
        int shapeType;
        DWORD flags;
    };
    // A rectangle: built as one, closed and orthogonal; a polygon is a closed polyline.
    for (const Case& c : {Case{stRectangle, stRectangle, 0x9001}, Case{stPolyline, stPolyline, 0},
                          Case{stPolygon, stPolyline, pfClosed}}) {
        auto* polyline = dynamic_cast<CPolyline*>(d.control.GetShapeMap().CreateShape(c.type, true, true));
        ASSERT_NE(polyline, nullptr) << c.type;
        EXPECT_EQ(polyline->GetShapeType(), c.shapeType);
        EXPECT_EQ(polyline->GetFlags(), c.flags);
        EXPECT_EQ(polyline->GetClassShapeType(), stPolyline);
        CLSID clsid;
        polyline->GetCoClassId(&clsid);
        EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_PolylineShape));
    }
    CShape* shape = d.control.GetShapeMap().CreateShape(stLine, true, true);
    auto* line = dynamic_cast<CLine*>(shape);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetShapeType(), stLine);
    CLSID clsid;
    line->GetCoClassId(&clsid);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_LineShape));

    // A line from its prototype takes the arrows; a clone is a line with the same points and arrows.
    CGroup* defaults = MakeFixedGroup(d.control, DEFAULT_SHAPES_ID);
    const int prototypeId = DEFAULT_LINE_ID;
    auto* prototype = static_cast<CLine*>(d.control.GetShapeMap().CreateShape(stLine, true, true, &prototypeId));
    defaults->AddChild(prototype, nullptr, 0, false);
    prototype->SetFirstArrowType(atArrowVT);
    prototype->SetSecondArrowType(atCircleFilled);
    auto* fromPrototype = dynamic_cast<CLine*>(d.control.GetShapeMap().CreateShapeFromPrototype(stLine, true, true));
    ASSERT_NE(fromPrototype, nullptr);
    EXPECT_EQ(fromPrototype->GetFirstArrowType(), atArrowVT);
    EXPECT_EQ(fromPrototype->GetSecondArrowType(), atCircleFilled);
    CShape* original = d.Make(stLine, {{1, 2}, {5, 6}}, d.root);
    original->SetFirstArrowType(atSlash);
    auto* clone = dynamic_cast<CLine*>(d.control.GetShapeMap().CloneShape(original, true));
    ASSERT_NE(clone, nullptr);
    ExpectPoints(*clone, {{1, 2}, {5, 6}});
    EXPECT_NE(clone->GetPoints().GetAt(0), original->GetPoints().GetAt(0));
    EXPECT_EQ(clone->GetFirstArrowType(), atSlash);
    EXPECT_DOUBLE_EQ(clone->GetLength(), std::sqrt(32.0));
}

TEST(PolylineKinds, VertexRecordsFollowThePoints)
{
    Drawing d;
    CPolyline* p = MakePolyline(d, stPolyline, {{0, 0}, {4, 0}, {4, 3}});
    ExpectInStep(*p);
    EXPECT_EQ(p->FindVertexIndex(p->GetVertices()[1]), 1);
    EXPECT_EQ(p->RemoveVerticesOfPoint(12345), 0);

    // Insertion with data, for an existing point and for a new one.
    const int pointId = d.control.CreatePoint(2, 0);
    CVertexRecord* inserted = p->AddVertex(1, pointId, 0.5f, 0xFF, 3, "mid", 1.0f, 2.0f, 4, 9, 0);
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(p->GetPoints().GetAt(1)->GetPointId(), pointId);
    EXPECT_EQ(p->GetVertices()[1].bulge, 0.5f);
    EXPECT_EQ(p->GetVertices()[1].name, "mid");
    EXPECT_EQ(p->AddVertex(0, 999999, 0, 0, 0, nullptr, -1, -1, 0, 0, 0), nullptr);
    // A point the polyline holds already gets no second vertex: nothing changes.
    EXPECT_EQ(p->AddVertex(0, pointId, 0.7f, 0, 0, "again", -1, -1, 0, 0, 0), nullptr);
    EXPECT_EQ(p->GetPointCount(), 4);
    EXPECT_EQ(p->GetPoints().IndexOf(pointId), 1);
    ExpectInStep(*p);
    ASSERT_NE(p->AddNewVertex(-1, 9, 9, 0, 0x40000000, 0x8000, nullptr, -1, -1, 0, 0, 0), nullptr);
    ExpectPoints(*p, {{0, 0}, {2, 0}, {4, 0}, {4, 3}, {9, 9}});
    ExpectInStep(*p);
    CVertexRecord pointless;
    EXPECT_EQ(p->InsertVertexRecord(pointless, 0), E_FAIL);
    EXPECT_EQ(p->GetPointCount(), 5);

    // A copy: its own points and records, not stored.
    p->GetVertexAt(2)->databaseId = 17;
    auto* copy = static_cast<CPolyline*>(d.control.GetShapeMap().CloneShape(p, true));
    ASSERT_NE(copy, nullptr);
    ExpectInStep(*copy);
    EXPECT_EQ(copy->GetVertices()[1].name, "mid");
    for (const CVertexRecord& v : copy->GetVertices())
        EXPECT_EQ(v.databaseId, 0);
    EXPECT_NE(copy->GetPoints().GetAt(0), p->GetPoints().GetAt(0));

    // A point moved within the outline takes its record along.
    ASSERT_EQ(p->MovePointWithin(pointId, 3), 1);
    EXPECT_EQ(p->GetVertices()[3].name, "mid");
    ExpectInStep(*p);

    // The base slot after CountStats keeps the shapePoints row of a vertex.
    EXPECT_EQ(p->OnShapePointStored(p->GetPoints().GetAt(3), 44), 1);
    EXPECT_EQ(p->GetVertices()[3].shapePointId, 44);
    EXPECT_EQ(p->ClearDatabaseId(), 1);
    EXPECT_EQ(p->GetVertices()[2].databaseId, 0);
}

TEST(PolylineKinds, RemovalRules)
{
    Drawing d;
    // A rectangle keeps its four corners.
    CPolyline* rectangle = MakePolyline(d, stRectangle, {{0, 0}, {4, 0}, {4, 3}, {0, 3}});
    EXPECT_EQ(rectangle->RemovePointById(rectangle->GetPoints().GetAt(1)->GetPointId(), false, 0), 1);
    EXPECT_EQ(rectangle->GetPointCount(), 4);
    EXPECT_EQ(rectangle->RemovePointById(424242, false, 0), 0);

    // A closed orthogonal outline of three points that loses one opens.
    CPolyline* corner = MakePolyline(d, stPolyline, {{0, 0}, {4, 0}, {4, 3}}, pfClosed | pfOrtho);
    ASSERT_EQ(corner->RemovePointById(corner->GetPoints().GetAt(2)->GetPointId(), false, 0), 1);
    EXPECT_FALSE(corner->IsClosed());
    EXPECT_TRUE(corner->IsOrtho()); // the two left share a y
    ExpectInStep(*corner);

    // An open orthogonal outline stays orthogonal: the middle point of three becomes an L.
    CPolyline* stairs = MakePolyline(d, stPolyline, {{0, 0}, {10, 0}, {10, 10}, {20, 10}}, pfOrtho);
    const int removedId = stairs->GetPoints().GetAt(1)->GetPointId();
    ASSERT_EQ(stairs->RemovePointById(removedId, false, 0), 1);
    ExpectPoints(*stairs, {{0, 0}, {0, 10}, {20, 10}});
    EXPECT_EQ(d.control.GetPointPool().Find(removedId), nullptr); // released with its last user

    // An inner anchor of an open Bezier curve goes with its two control points.
    CPolyline* curve = MakePolyline(d, stPolyline, {{0, 0}, {1, 1}, {2, 1}, {3, 0}, {4, -1}, {5, -1}, {6, 0}}, pfBezier);
    ASSERT_TRUE(curve->IsBezier());
    ASSERT_EQ(curve->RemoveBezierPoint(curve->GetPoints().GetAt(3)->GetPointId(), false, 0), 1);
    ExpectPoints(*curve, {{0, 0}, {1, 1}, {5, -1}, {6, 0}});
    ExpectInStep(*curve);
    // The closed form wraps: removing anchor 0 of a two-segment loop starts it at the next anchor.
    CPolyline* loop =
        MakePolyline(d, stPolyline, {{0, 0}, {1, 1}, {2, 1}, {3, 0}, {2, -1}, {1, -1}}, pfBezier | pfClosed);
    ASSERT_EQ(loop->RemoveBezierPoint(loop->GetPoints().GetAt(0)->GetPointId(), false, 0), 1);
    ExpectPoints(*loop, {{3, 0}, {2, -1}, {2, 1}});
}

TEST(PolylineKinds, WidthsLengthAndNeighbours)
{
    Drawing d;
    CPolyline* p = MakePolyline(d, stPolyline, {{0, 0}, {3, 4}, {3, 10}});
    p->SetDefaultWidths(1.5f, 2.5f);
    // Vertices with -1 widths take the defaults: the larger one.
    EXPECT_EQ(p->GetLineWidth(), 2.5f);
    p->GetVertexAt(1)->startWidth = 4.0f;
    EXPECT_EQ(p->GetLineWidth(), 4.0f);
    // The last vertex of an open outline starts no segment.
    p->GetVertexAt(1)->startWidth = -1.0f;
    p->GetVertexAt(2)->endWidth = 9.0f;
    EXPECT_EQ(p->GetLineWidth(), 2.5f);
    p->SetPenWeight(0.5f);
    EXPECT_EQ(p->GetDefStartWidth(), 0.5f);
    EXPECT_EQ(p->GetDefEndWidth(), 0.5f);

    EXPECT_DOUBLE_EQ(p->GetLength(), 11.0);
    // A half circle on the first segment, and the closing segment.
    p->GetVertexAt(0)->bulge = 1.0f;
    p->SetFlags(pfClosed);
    EXPECT_NEAR(p->GetLength(), kPi * 2.5 + 6.0 + std::sqrt(9.0 + 100.0), 1e-4);

    int previous = 0, next = 0;
    p->GetNeighbourIndices(0, &previous, &next);
    EXPECT_EQ(previous, 2);
    EXPECT_EQ(next, 1);
    p->GetNeighbourIndices(2, &previous, &next);
    EXPECT_EQ(next, 0);
    int at = -5;
    EXPECT_EQ(p->GetNextPoint(2, &at), p->GetPoints().GetAt(0));
    EXPECT_EQ(p->GetPreviousPoint(0, &at), p->GetPoints().GetAt(2));
    p->SetFlags(0);
    EXPECT_EQ(p->GetNextPoint(2, &at), nullptr);
    EXPECT_EQ(at, -1);
    EXPECT_TRUE(p->IsEditActive(false));
    EXPECT_TRUE(p->IsEditActive(true));
    EXPECT_EQ(p->HasPoints(p->GetPoints().GetAt(1)->GetPointId()), 1);
}

TEST(PolylineKinds, AreaAndOrientation)
{
    Drawing d;
    struct Case
    {
        const char* what;
        std::vector<CRealPoint> points;
        float bulge;
        double area;
        int clockwise;
    };
    const Case cases[] = {
        {"anticlockwise square", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 0.0f, 1.0, 0},
        {"clockwise square", {{0, 0}, {0, 1}, {1, 1}, {1, 0}}, 0.0f, 1.0, 1},
        // A half circle on the bottom side, outwards and inwards.
        {"bulge +1", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 1.0f, 1.0 + kPi / 8, 0},
        {"bulge -1", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, -1.0f, 1.0 - kPi / 8, 0},
        // Two points closed by two half circles: a full circle of diameter 2.
        {"two arcs", {{0, 0}, {2, 0}}, 1.0f, kPi, -1},
    };
    for (const Case& c : cases) {
        CPolyline* p = MakePolyline(d, stPolyline, {}, pfClosed);
        for (size_t i = 0; i < c.points.size(); ++i)
            p->SetPointCoords(3, c.points[i].x, c.points[i].y, static_cast<int>(i));
        p->GetVertexAt(0)->bulge = c.bulge;
        if (c.points.size() == 2)
            p->GetVertexAt(1)->bulge = c.bulge;
        EXPECT_NEAR(p->GetArea(), c.area, 1e-5) << c.what;
        EXPECT_EQ(p->IsClockwise(), c.clockwise) << c.what;
    }
    EXPECT_EQ(MakePolyline(d, stPolyline, {{1, 1}})->GetArea(), -1.0);
}

TEST(PolylineKinds, BoundsOfBulgedOutlines)
{
    Drawing d;
    CPolyline* p = MakePolyline(d, stPolyline, {{0, 0}, {4, 0}});
    // A positive bulge turns anticlockwise from the first point: the half circle lies below.
    p->GetVertexAt(0)->bulge = 1.0f;
    float l, t, r, b;
    ASSERT_EQ(p->GetBoundingRect(&l, &t, &r, &b), S_OK);
    EXPECT_NEAR(l, 0, 1e-4);
    EXPECT_NEAR(r, 4, 1e-4);
    EXPECT_NEAR(t, 0, 1e-4);
    EXPECT_NEAR(b, -2, 1e-4);
    // The last vertex of an open outline starts no arc; in Bezier form the points bound it.
    p->GetVertexAt(0)->bulge = 0.0f;
    p->GetVertexAt(1)->bulge = 1.0f;
    ASSERT_EQ(p->GetBoundingRect(&l, &t, &r, &b), S_OK);
    EXPECT_EQ(b, 0.0f);
}

TEST(PolylineKinds, TransformsKeepArcsAndTheOrthogonalFlag)
{
    Drawing d;
    struct Flip
    {
        const char* what;
        float kx, ky;
        float bulge;
    };
    for (const Flip& c : {Flip{"mirror x", 2, -1, -0.5f}, Flip{"mirror y", -1, 1, -0.5f}, Flip{"half turn", -1, -1, 0.5f},
                          Flip{"plain", 3, 3, 0.5f}}) {
        CPolyline* p = MakePolyline(d, stPolyline, {{0, 0}, {4, 0}});
        p->GetVertexAt(0)->bulge = 0.5f;
        ASSERT_EQ(p->Scale(0, 0, c.kx, c.ky, nullptr, false), S_OK) << c.what;
        EXPECT_EQ(p->GetVertexAt(0)->bulge, c.bulge) << c.what;
    }
    CPolyline* flipped = MakePolyline(d, stPolyline, {{0, 0}, {4, 0}});
    flipped->GetVertexAt(0)->bulge = 0.5f;
    ASSERT_EQ(flipped->FlipVertical(nullptr, nullptr), 1);
    EXPECT_EQ(flipped->GetVertexAt(0)->bulge, -0.5f);
    ASSERT_EQ(flipped->Rotate(0, 0, 90, nullptr, false), 1);
    EXPECT_EQ(flipped->GetVertexAt(0)->bulge, -0.5f);

    // A rectangle turned by 30 degrees and stretched is no longer orthogonal; by 90 it is.
    for (double angle : {30.0, 90.0}) {
        CPolyline* r = MakePolyline(d, stRectangle, {{0, 0}, {4, 0}, {4, 2}, {0, 2}});
        ASSERT_TRUE(r->IsOrtho());
        ASSERT_EQ(r->Rotate(0, 0, angle, nullptr, false), 1);
        ASSERT_EQ(r->Scale(0, 0, 2, 1, nullptr, false), S_OK);
        EXPECT_EQ(r->IsOrtho(), angle == 90.0) << angle;
        EXPECT_EQ(r->GetProtectionFlagsMasked(sdbfOrtho) != 0, angle == 90.0) << angle;
    }
}

TEST(PolylineKinds, FilletsAndTheirUndoing)
{
    Drawing d;
    CPolyline* l = MakePolyline(d, stPolyline, {{0, 0}, {10, 0}, {10, 10}});
    ASSERT_EQ(l->Fillet(1.0, 1), 1);
    ExpectPoints(*l, {{0, 0}, {9, 0}, {10, 1}, {10, 10}});
    EXPECT_NEAR(l->GetVertexAt(1)->bulge, 0.41421356, 1e-5);
    EXPECT_EQ(l->GetVertexAt(1)->color, 0x40000000u);
    EXPECT_EQ(l->GetVertexAt(1)->startWidth, -1.0f);
    ExpectInStep(*l);
    ASSERT_EQ(l->Fillet(0.0, -1), 1);
    ExpectPoints(*l, {{0, 0}, {10, 0}, {10, 10}});
    ExpectInStep(*l);

    // A radius whose tangent runs past a segment changes nothing; an index past the end is -1.
    EXPECT_EQ(l->Fillet(20.0, 1), 0);
    ExpectPoints(*l, {{0, 0}, {10, 0}, {10, 10}});
    EXPECT_EQ(l->Fillet(1.0, 3), -1);

    // Every corner of a closed square, each turning the same way.
    CPolyline* square = MakePolyline(d, stPolyline, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, pfClosed | pfOrtho);
    ASSERT_EQ(square->Fillet(2.0, -1), 4);
    EXPECT_EQ(square->GetPointCount(), 8);
    EXPECT_FALSE(square->IsOrtho());
    for (int i = 0; i < 8; ++i) {
        const float bulge = square->GetVertexAt(i)->bulge;
        EXPECT_TRUE(bulge == 0.0f || std::fabs(bulge - 0.41421356f) < 1e-5f) << i << " " << bulge;
    }
    EXPECT_NEAR(square->GetArea(), 100.0 - 4 * (4.0 - kPi), 1e-3);
    ASSERT_EQ(square->Fillet(0.0, -1), 4);
    EXPECT_NEAR(square->GetArea(), 100.0, 1e-3);
    EXPECT_EQ(square->GetPointCount(), 4);
}

TEST(PolylineKinds, SimplifyAndTheBezierForm)
{
    Drawing d;
    CPolyline* run = MakePolyline(d, stPolyline, {});
    for (int i = 0; i < 100; ++i)
        run->SetPointCoords(3, static_cast<float>(i), static_cast<float>(i) * 0.5f, i);
    ASSERT_EQ(run->Simplify(0.0), 1);
    ExpectPoints(*run, {{0, 0}, {99, 49.5f}});
    ExpectInStep(*run);
    // A corner beyond the tolerance stays.
    CPolyline* bent = MakePolyline(d, stPolyline, {{0, 0}, {5, 0.05f}, {10, 0}, {10, 10}});
    ASSERT_EQ(bent->Simplify(0.5), 1);
    ExpectPoints(*bent, {{0, 0}, {10, 0}, {10, 10}});

    CPolyline* p = MakePolyline(d, stPolyline, {{0, 0}, {10, 0}, {20, 10}});
    ASSERT_EQ(p->ToBezier(), 1);
    EXPECT_TRUE(p->IsBezier());
    ASSERT_EQ(p->GetPointCount(), 7);
    ExpectInStep(*p);
    // Anchors where they were; the inner anchor's control points on one line through it.
    for (int i : {0, 3, 6})
        EXPECT_EQ(p->GetPoints().GetAt(i)->x, (std::vector<float>{0, 10, 20})[static_cast<size_t>(i / 3)]);
    const CRealPoint before = *p->GetPoints().GetAt(2), anchor = *p->GetPoints().GetAt(3),
                     after = *p->GetPoints().GetAt(4);
    const double cross = (static_cast<double>(before.x) - anchor.x) * (static_cast<double>(after.y) - anchor.y) -
                         (static_cast<double>(before.y) - anchor.y) * (static_cast<double>(after.x) - anchor.x);
    EXPECT_NEAR(cross, 0.0, 1e-3);
    EXPECT_LT(before.x, anchor.x);
    EXPECT_GT(after.x, anchor.x);
    EXPECT_EQ(p->GetSegmentCount(), 2);
    ASSERT_EQ(p->ToStraight(), 1);
    EXPECT_FALSE(p->IsBezier());
    ExpectPoints(*p, {{0, 0}, {10, 0}, {20, 10}});

    // A rectangle has no Bezier form.
    CPolyline* rectangle = MakePolyline(d, stRectangle, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    ASSERT_EQ(rectangle->ToBezier(), 1);
    EXPECT_EQ(rectangle->GetPointCount(), 4);
}

TEST(PolylineKinds, ClosingDuplicatesAndTheFormFlags)
{
    Drawing d;
    // Closing an orthogonal outline puts its end where the closing side runs along the frame.
    CPolyline* u = MakePolyline(d, stPolyline, {{0, 0}, {10, 0}, {10, 5}, {1, 5}}, pfOrtho);
    EXPECT_EQ(u->SetClosed(true, false), 1);
    EXPECT_EQ(u->SetClosed(true, false), 0);
    ExpectPoints(*u, {{0, 0}, {10, 0}, {10, 5}, {0, 5}});
    EXPECT_EQ(u->IsOrthoAt(3), 1);
    EXPECT_EQ(u->IsOrthoAt(0), 1);

    // A closed Bezier curve is made whole: three points a segment.
    CPolyline* curve = MakePolyline(d, stPolyline, {{0, 0}, {1, 1}, {2, 1}, {3, 0}}, pfBezier);
    ASSERT_EQ(curve->SetClosed(true, false), 1);
    EXPECT_EQ(curve->GetPointCount() % 3, 0);
    ExpectInStep(*curve);

    CPolyline* doubled = MakePolyline(d, stPolyline, {{0, 0}, {5, 0}, {5, 0}, {5, 0}, {9, 9}});
    EXPECT_EQ(doubled->RemoveDuplicatePoints(), 2);
    ExpectPoints(*doubled, {{0, 0}, {5, 0}, {9, 9}});
    // A rectangle keeps its corners, and the walk still ends.
    CPolyline* flat = MakePolyline(d, stRectangle, {{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    EXPECT_EQ(flat->RemoveDuplicatePoints(), 0);
    EXPECT_EQ(flat->GetPointCount(), 4);

    // The form travels in the shape's flags word as closed, orthogonal and Bezier.
    CPolyline* p = MakePolyline(d, stPolyline, {{0, 0}, {1, 0}, {1, 1}});
    EXPECT_EQ(p->GetProtectionFlagsMasked(sdbfClosed | sdbfOrtho | sdbfBezier), 0u);
    ASSERT_EQ(p->SetProtectionFlagsMasked(sdbfClosed | sdbfOrtho, sdbfClosed | sdbfOrtho | sdbfBezier), 1);
    EXPECT_EQ(p->GetFlags(), static_cast<DWORD>(pfClosed | pfOrtho));
    EXPECT_EQ(p->GetProtectionFlagsMasked(0xFFFFFFFF) & 0x1C, static_cast<DWORD>(sdbfClosed | sdbfOrtho));
    ASSERT_EQ(p->SetProtectionFlagsMasked(sdbfBezier | sdbfWidth, sdbfBezier | sdbfOrtho | sdbfWidth), 1);
    EXPECT_EQ(p->GetFlags(), static_cast<DWORD>(pfClosed | pfBezier));
    EXPECT_EQ(p->GetProtectionFlagsMasked(0xFFFFFFFF) & 0xFFC, static_cast<DWORD>(sdbfClosed | sdbfBezier | sdbfWidth));

    // Fills: a closed outline; of two points only when an arc encloses something.
    CPolyline* pair = MakePolyline(d, stPolyline, {{0, 0}, {2, 0}}, pfClosed);
    pair->SetHatchPatternId(hpSolid);
    EXPECT_FALSE(pair->HasHatchFill());
    pair->GetVertexAt(1)->bulge = 0.5f;
    EXPECT_TRUE(pair->HasHatchFill());
    pair->SetFlags(0);
    EXPECT_FALSE(pair->HasHatchFill());
}

// A point shared with another shape moves: an orthogonal outline moves the neighbours so that
// its segments stay horizontal and vertical.
TEST(PolylineKinds, SharedPointMovesKeepAnOrthogonalOutline)
{
    Drawing d;
    CPolyline* stairs = MakePolyline(d, stPolyline, {{0, 0}, {10, 0}, {10, 10}, {20, 10}}, pfOrtho);
    CShape* line = d.Make(stLine, {}, d.root);
    ASSERT_EQ(line->AddPointById(stairs->GetPoints().GetAt(2)->GetPointId(), 0, true), S_OK);
    line->SetPointCoords(3, 30, 30, 1);
    ASSERT_EQ(line->Shift(3, 4, nullptr, false), S_OK);
    ExpectPoints(*stairs, {{0, 0}, {13, 0}, {13, 14}, {20, 14}});
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(stairs->IsOrthoAt(i), 1) << i;

    // Two points that would run askew get two corners between them.
    CPolyline* pair = MakePolyline(d, stPolyline, {{0, 0}, {10, 0}}, pfOrtho);
    CShape* other = d.Make(stLine, {}, d.root);
    ASSERT_EQ(other->AddPointById(pair->GetPoints().GetAt(1)->GetPointId(), 0, true), S_OK);
    other->SetPointCoords(3, 50, 50, 1);
    ASSERT_EQ(other->Shift(0, 6, nullptr, false), S_OK);
    ExpectPoints(*pair, {{0, 0}, {5, 0}, {5, 6}, {10, 6}});
    ExpectInStep(*pair);
}

// A style copy takes the widths, arrows and flags and, from a polyline, the very points; the
// statistics count the vertices that carry data.
TEST(PolylineKinds, StyleCopyAndStatistics)
{
    Drawing d;
    CPolyline* source = MakePolyline(d, stPolyline, {{0, 0}, {5, 0}, {5, 5}}, pfClosed);
    source->SetDefaultWidths(1.0f, 2.0f);
    source->SetFirstArrowType(atSlash);
    source->GetVertexAt(1)->bulge = 0.25f;
    CPolyline* target = MakePolyline(d, stPolyline, {{9, 9}});
    ASSERT_EQ(target->CopyStyleFrom(*source, 0xFFFFFFFF), 1);
    EXPECT_EQ(target->GetDefEndWidth(), 2.0f);
    EXPECT_EQ(target->GetFirstArrowType(), atSlash);
    EXPECT_TRUE(target->IsClosed());
    ASSERT_EQ(target->GetPointCount(), 3);
    EXPECT_EQ(target->GetPoints().GetAt(1), source->GetPoints().GetAt(1));
    EXPECT_EQ(target->GetVertexAt(1)->bulge, 0.25f);
    ExpectInStep(*target);

    CShapeStats stats;
    ASSERT_EQ(source->CountStats(stats), 1);
    EXPECT_EQ(stats.points, 3);
    EXPECT_EQ(stats.vertices, 1);
}
