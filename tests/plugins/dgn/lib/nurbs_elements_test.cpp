// The NURBS evaluators, the indexed mesh geometry, and the B-spline curve and surface elements
// built from records crafted byte by byte; expected values are worked by hand.
#include "DoubleArray.h"
#include "IndexedMeshGeometry.h"
#include "ItemArray.h"
#include "Point2dArray.h"
#include "Point3dArray.h"
#include "elements/BSplineCurveHeaderElement.h"
#include "elements/BSplinePoleElement3d.h"
#include "elements/BSplineSurfaceBoundaryElement.h"
#include "elements/BSplineSurfaceHeaderElement.h"
#include "elements/BSplineValuesElement.h"
#include "elements/MatrixElements.h"
#include "elements/MeshHeaderElement.h"
#include "nurbs/NurbCurve.h"
#include "nurbs/NurbSurf.h"

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

using NurbsElementTest = DesignFileTest;

CItemArray* Poles(const std::vector<std::vector<double>>& poles, std::uint32_t itemBytes)
{
    CItemArray* a = CItemArray::Create(itemBytes, 64, 8);
    for (const auto& p : poles)
        a->AppendItems(p.data(), 1);
    return a;
}

CDoubleArray* DoubleArray(const std::vector<double>& v)
{
    CDoubleArray* a = CDoubleArray::Create();
    a->Append(v.data(), static_cast<std::uint32_t>(v.size()));
    return a;
}

std::vector<double> Values(const CDoubleArray* a)
{
    std::vector<double> out;
    for (std::uint32_t i = 0; a && i < a->GetCount(); ++i)
        out.push_back(a->GetAt(i));
    return out;
}

// A surface grid of nu x nv poles at (i, j, i + j), weight 1.
CItemArray* Grid(int nu, int nv)
{
    CItemArray* a = CItemArray::Create(32, 64, 8);
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            const double p[4] = {double(i), double(j), double(i + j), 1.0};
            a->AppendItems(p, 1);
        }
    return a;
}

void ExpectKnots(const std::vector<double>& got, const std::vector<double>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 1e-12) << i;
}

Bytes GraphicRecord(std::uint16_t type, std::uint16_t flags, std::uint16_t properties, const Bytes& body, const Bytes& linkages = {})
{
    return V8Record(type, flags, 3, 900, Cat(GraphicHeader(properties, 4, 1, 0), body), linkages);
}

Bytes PoleBody(const std::vector<Point3d>& poles, std::int32_t stated)
{
    Bytes b;
    Put32(b, static_cast<std::uint32_t>(stated));
    Put32(b, 0x55AA);
    for (const Point3d& p : poles) {
        PutF64(b, p.x);
        PutF64(b, p.y);
        PutF64(b, p.z);
    }
    return b;
}

CBSplinePoleElement3d* NewPoles(const std::vector<Point3d>& poles, CDesignFile* file = nullptr)
{
    auto* e = new CBSplinePoleElement3d(file);
    e->GetPoints()->Resize(static_cast<std::uint32_t>(poles.size()));
    for (std::uint32_t i = 0; i < poles.size(); ++i)
        e->GetPoints()->SetAt(i, poles[i].x, poles[i].y, poles[i].z);
    return e;
}

template <class T>
T* NewValues(const std::vector<double>& values)
{
    auto* e = new T(nullptr);
    e->GetValues()->Append(values.data(), static_cast<std::uint32_t>(values.size()));
    return e;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// NURBS evaluators

TEST(NurbSurf, KnotsMadeSeparatedAndGiven)
{
    struct Case {
        int degree;
        bool closed;
        int poles;
        std::vector<double> given;
        std::vector<double> want;
    };
    const Case cases[] = {
        {3, false, 4, {}, {0, 0, 0, 0, 1, 1, 1, 1}},
        {3, false, 6, {}, {0, 0, 0, 0, 1.0 / 3, 2.0 / 3, 1, 1, 1, 1}},
        {3, true, 7, {}, {-0.75, -0.5, -0.25, 0, 0.25, 0.5, 0.75, 1, 1.25, 1.5, 1.75}},
        {3, false, 6, {0, 0, 0, 0, 0.5, 0.5, 1, 1, 1, 1}, {0, 0, 0, 0, 0.5, 0.50001, 1, 1, 1, 1}},
        // A given vector of another length would be read past its end: the made one instead.
        {3, false, 4, {0, 0, 1, 1}, {0, 0, 0, 0, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CGNurbSurf> s(CGNurbSurf::Create(c.degree, c.closed, c.poles, c.given.empty() ? nullptr : DoubleArray(c.given), 1, false, 2,
                                                         nullptr, Grid(c.poles, 2), false));
        ASSERT_NE(s, nullptr);
        ExpectKnots(Values(s->GetUKnots()), c.want);
        NurbSurfDefinition d;
        s->GetDefinition(&d);
        EXPECT_EQ(d.knotsU, static_cast<int>(c.want.size()));
    }
}

TEST(NurbSurf, SpanSearchStartsAtTheDegree)
{
    // Uniform knots 0..7 of a cubic over 4 poles: t = 2.5 lies in knot span 2, which would take
    // pole -1; the search starts at span 3.
    std::unique_ptr<CGNurbSurf> s(CGNurbSurf::Create(3, false, 4, DoubleArray({0, 1, 2, 3, 4, 5, 6, 7}), 1, false, 2, nullptr, Grid(4, 2), false));
    ASSERT_NE(s, nullptr);
    const double* k = s->GetUKnots()->ElementPointer(0);
    EXPECT_EQ(s->FindSpan(8, k, 3, 2.5), 3);
    EXPECT_EQ(s->FindSpan(8, k, 3, 3.5), 3);
    EXPECT_EQ(s->FindSpan(8, k, 3, 99.0), 3);
    Point3d p;
    s->Evaluate(2.5, 0.0, &p); // reads poles 0..3 only (ASan watches)
    EXPECT_TRUE(std::isfinite(p.x));
    // Clamped: the corners are the corner poles.
    std::unique_ptr<CGNurbSurf> c(CGNurbSurf::Create(3, false, 4, nullptr, 2, false, 3, nullptr, Grid(4, 3), false));
    ASSERT_NE(c, nullptr);
    c->Evaluate(1.0, 1.0, &p);
    EXPECT_NEAR(p.x, 3, 1e-9);
    EXPECT_NEAR(p.y, 2, 1e-9);
    EXPECT_NEAR(p.z, 5, 1e-9);
}

TEST(NurbSurf, ZeroWeightSumLeavesTheSumsUndivided)
{
    // Bilinear: at (0.5, 0) the poles (2, 0, 0) w 1 and (4, 0, 0) w -1 share 0.5 each: W = 0,
    // X = 0.5 * 2 - 0.5 * 4 = -1.
    CItemArray* poles = Poles({{2, 0, 0, 1}, {4, 0, 0, -1}, {2, 1, 0, 1}, {4, 1, 0, 1}}, 32);
    std::unique_ptr<CGNurbSurf> s(CGNurbSurf::Create(1, false, 2, nullptr, 1, false, 2, nullptr, poles, true));
    ASSERT_NE(s, nullptr);
    Point3d p;
    s->Evaluate(0.5, 0.0, &p);
    EXPECT_NEAR(p.x, -1.0, 1e-12);
    s->Evaluate(0.5, 1.0, &p);
    EXPECT_NEAR(p.x, 3.0, 1e-12);
}

TEST(NurbSurf, RefusesWhatCannotBeEvaluated)
{
    struct Case {
        int degree;
        bool closed;
        int poles;
        int heldPoles;
    };
    const Case cases[] = {
        {34, false, 40, 40}, // more basis values than the buffers hold
        {3, false, 1, 1},    // a single pole
        {3, false, 0, 0},    // none
        {1, true, 3, 3},     // closed under 4 poles: step 1 / 0
        {3, false, 3, 3},    // fewer poles than the order
        {2, false, 5, 4},    // a short pole container
    };
    for (const Case& c : cases) {
        // V is a plain line of 2 poles: only U refuses.
        CGNurbSurf* s = CGNurbSurf::Create(c.degree, c.closed, c.poles, nullptr, 1, false, 2, nullptr, Grid(c.heldPoles, 2), false);
        EXPECT_EQ(s, nullptr) << c.degree << " " << c.poles;
        delete s;
    }
    std::unique_ptr<CGNurbSurf> fit(CGNurbSurf::Create(3, false, 4, nullptr, 1, false, 2, nullptr, Grid(4, 2), false));
    EXPECT_NE(fit, nullptr);
}

TEST(NurbCurve, EvaluatesStrokesAndRefuses)
{
    const std::vector<std::vector<double>> poles = {{0, 0, 0, 1}, {1, 2, 0, 1}, {3, 2, 1, 1}, {4, 0, 2, 1}};
    std::unique_ptr<CGNurb3> c(CGNurb3::Create(3, false, false, Poles(poles, 32), nullptr, 0));
    ASSERT_NE(c, nullptr);
    Point3d p;
    c->Evaluate(1.0, &p);
    EXPECT_DOUBLE_EQ(p.x, 4);
    EXPECT_DOUBLE_EQ(p.z, 2);
    EXPECT_EQ(c->FindSpan(1.0), 8 - 3 - 2);
    std::unique_ptr<CPoint3dArray> s(c->Stroke(4));
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->Count(), 5u);
    // Bezier at 0.5: (P0 + 3 P1 + 3 P2 + P3) / 8.
    EXPECT_NEAR(s->At(2)->x, (0 + 3 + 9 + 4) / 8.0, 1e-12);
    EXPECT_NEAR(s->At(2)->y, (0 + 6 + 6 + 0) / 8.0, 1e-12);
    EXPECT_DOUBLE_EQ(s->At(4)->x, 4);

    // Knots of another length than poles + degree + 1 become the clamped ones.
    const double shortKnots[3] = {0, 0.5, 1};
    std::unique_ptr<CGNurb3> k(CGNurb3::Create(3, false, false, Poles(poles, 32), shortKnots, 3));
    ASSERT_NE(k, nullptr);
    NurbCurveDefinition d;
    k->GetDefinition(&d);
    ASSERT_EQ(d.knots, 8);
    EXPECT_EQ(std::vector<double>(d.knotData, d.knotData + 8), (std::vector<double>{0, 0, 0, 0, 1, 1, 1, 1}));

    // Planar, rational: a weight at or below 0 counts as 1.
    std::unique_ptr<CGNurb2> r(CGNurb2::Create(1, false, true, Poles({{0, 0, 1}, {2, 0, -5}}, 24), nullptr, 0));
    ASSERT_NE(r, nullptr);
    Point2d q;
    r->Evaluate(0.5, &q);
    EXPECT_DOUBLE_EQ(q.x, 1.0);

    // Closed: periodic knots from -(degree) / (n - 3).
    std::unique_ptr<CGNurb2> closed(CGNurb2::Create(3, true, false, Poles({{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}, {0, 0, 1}}, 24), nullptr, 0));
    ASSERT_NE(closed, nullptr);
    closed->GetDefinition(&d);
    EXPECT_DOUBLE_EQ(d.knotData[0], -1.5);
    EXPECT_DOUBLE_EQ(d.knotData[3], 0.0);

    EXPECT_EQ(CGNurb3::Create(34, false, false, Poles(std::vector<std::vector<double>>(40, {0, 0, 0, 1}), 32), nullptr, 0), nullptr);
    EXPECT_EQ(CGNurb3::Create(3, false, false, Poles({{0, 0, 0, 1}}, 32), nullptr, 0), nullptr);
    EXPECT_EQ(CGNurb2::Create(1, true, false, Poles({{0, 0, 1}, {1, 0, 1}, {1, 1, 1}}, 24), nullptr, 0), nullptr);
    EXPECT_EQ(CGNurb2::Create(1, false, false, nullptr, nullptr, 0), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Indexed mesh geometry

TEST(IndexedMesh, EdgesAndFaces)
{
    struct Case {
        std::vector<std::int32_t> indices;
        std::vector<std::pair<int, int>> lines; // vertex numbers (x of the vertex is its number); a face
                                                // closes from its start to its last vertex
        std::vector<int> polygons;              // point counts
    };
    const Case cases[] = {
        {{1, 2, 3, 0}, {{1, 2}, {2, 3}, {1, 3}}, {3}},
        {{1, -2, 3, 0}, {{1, 2}, {1, 3}}, {3}},
        {{1, 2, -3, 0}, {{1, 2}, {2, 3}}, {3}},
        {{1, 2, 3, 0, 4, 5, 6, 0}, {{1, 2}, {2, 3}, {1, 3}, {4, 5}, {5, 6}, {4, 6}}, {3, 3}},
        {{1, 2, 3}, {{1, 2}, {2, 3}}, {}},
        // Vertex 9 is not held: its edges and its face are left out.
        {{1, 2, 9, 0, 4, 5, 6, 0}, {{1, 2}, {4, 5}, {5, 6}, {4, 6}}, {3}},
        {{1, -2147483647 - 1, 3, 0}, {}, {}},
        {{}, {}, {}},
    };
    CItemArray* coordinates = CItemArray::Create(8, 16, 8);
    for (int k = 1; k <= 6; ++k) {
        const double xyz[3] = {double(k), 0.0, 0.0};
        for (double v : xyz)
            coordinates->AppendItems(&v, 1);
    }
    for (const Case& c : cases) {
        CItemArray* indices = CItemArray::Create(4, 16, 4);
        for (std::int32_t i : c.indices)
            indices->AppendItems(&i, 1);
        std::unique_ptr<CIndexedMeshGeometry> g(CIndexedMeshGeometry::Create(1, indices, coordinates));
        delete indices;
        ASSERT_NE(g, nullptr);
        GeometryRecordingSink edges(0), faces(0);
        g->EmitGeometry(&edges, 1);
        g->EmitGeometry(&faces, 0);
        std::vector<std::pair<int, int>> lines;
        for (const auto& l : edges.lines3d)
            lines.push_back({int(l[0].x), int(l[1].x)});
        if (c.indices.size() == 4 && c.indices[1] == -2147483647 - 1)
            EXPECT_EQ(lines.size(), 1u); // only the closing edge 3-1
        else
            EXPECT_EQ(lines, c.lines);
        std::vector<int> polygons;
        for (const auto& p : faces.polygons3d)
            polygons.push_back(int(p.size()));
        EXPECT_EQ(polygons, c.polygons);
    }
    delete coordinates;
}

// ---------------------------------------------------------------------------------------------
// B-spline curve elements

TEST_F(NurbsElementTest, CurveHeaderBuildsItsCurveFromItsComponents)
{
    auto* header = new CBSplineCurveHeaderElement(file);
    header->Set3dElement();
    header->SetCurveFlags(2);
    header->AddChild(NewPoles({{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 0}, {4, 0, 0}}));
    header->AddChild(NewValues<CBSplineKnotElement>({0.5}));
    GeometryRecordingSink sink(0);
    header->EmitGeometry(nullptr, &sink);
    ASSERT_NE(header->GetCurve3d(), nullptr);
    NurbCurveDefinition d;
    header->GetCurve3d()->GetDefinition(&d);
    EXPECT_EQ(d.degree, 3);
    EXPECT_EQ(d.closed, 0);
    ExpectKnots(std::vector<double>(d.knotData, d.knotData + d.knots), {0, 0, 0, 0, 0.5, 1, 1, 1, 1});
    // 5 poles: 64 steps.
    ASSERT_EQ(sink.polylines3d.size(), 1u);
    EXPECT_EQ(sink.polylines3d[0].size(), 65u);
    EXPECT_DOUBLE_EQ(sink.polylines3d[0].back().x, 4);
    Lines::Reset();
    header->Describe(&Lines::Collect);
    EXPECT_TRUE(Lines::Has("nr. poles: 5, nr. knots: 1  order: 4"));
    EXPECT_TRUE(Lines::Has("B-Spline NURB curve"));
    EXPECT_TRUE(Lines::Has("store full knots = false"));

    // The range collector gets the control polygon.
    GeometryRecordingSink range(2);
    header->EmitGeometry(nullptr, &range);
    ASSERT_EQ(range.polylines3d.size(), 1u);
    EXPECT_EQ(range.polylines3d[0].size(), 5u);
}

TEST_F(NurbsElementTest, ClosedCurveWithoutKnotsWrapsItsPoles)
{
    auto* header = new CBSplineCurveHeaderElement(file);
    header->Set3dElement();
    header->SetCurveFlags(0x100 | 2);
    header->AddChild(NewPoles({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
    header->BuildCurve3d();
    ASSERT_NE(header->GetCurve3d(), nullptr);
    NurbCurveDefinition d;
    header->GetCurve3d()->GetDefinition(&d);
    EXPECT_EQ(d.closed, 1);
    EXPECT_EQ(d.poles, 7);
    EXPECT_EQ(d.poleData[4 * 4], 0.0); // pole 4 is pole 0 again
    EXPECT_EQ(d.poleData[6 * 4 + 1], 1.0);

    // With a knot component it is not wrapped; the weights make it rational, missing ones 1.0.
    header->AddChild(NewValues<CBSplineKnotElement>({}));
    header->AddChild(NewValues<CBSplineWeightElement>({2.0, 3.0}));
    header->BuildCurve3d();
    ASSERT_NE(header->GetCurve3d(), nullptr);
    header->GetCurve3d()->GetDefinition(&d);
    EXPECT_EQ(d.closed, 0);
    EXPECT_EQ(d.poles, 4);
    EXPECT_EQ(d.rational, 1);
    EXPECT_EQ(d.poleData[3], 2.0);
    EXPECT_EQ(d.poleData[4 + 3], 3.0);
    EXPECT_EQ(d.poleData[12 + 3], 1.0);
}

TEST_F(NurbsElementTest, CurvesThatCannotBeBuiltDrawNothing)
{
    struct Case {
        std::uint32_t flags;
        int poles;
    };
    const Case cases[] = {{2, 0}, {2, 1}, {0x1F, 20}, {0x100 | 0, 2}, {2, 3}};
    for (const Case& c : cases) {
        auto* header = new CBSplineCurveHeaderElement(file);
        header->Set3dElement();
        header->SetCurveFlags(c.flags);
        std::vector<Point3d> poles;
        for (int i = 0; i < c.poles; ++i)
            poles.push_back({double(i), 0, 0});
        if (c.poles)
            header->AddChild(NewPoles(poles));
        GeometryRecordingSink sink(0);
        header->EmitGeometry(nullptr, &sink);
        EXPECT_EQ(header->GetCurve3d(), nullptr) << c.flags << " " << c.poles;
        EXPECT_TRUE(sink.polylines3d.empty());
        delete header;
    }
}

TEST_F(NurbsElementTest, CurveRecordsReadAndWriteBack)
{
    Bytes body;
    Put32(body, 3);
    Put32(body, 0x8000002);
    Put32(body, 5);
    Put32(body, 9);
    CBSplineCurveHeaderElement header(file);
    ASSERT_TRUE(ReadV8Into(header, GraphicRecord(27, 0x3000, 0x0800, body, StringLinkage(1, "curve"))));
    std::uint32_t flags = 0;
    header.GetCurveFlags(&flags);
    EXPECT_EQ(flags, 0x8000002u);
    EXPECT_EQ(header.ChildCount(), 3);
    ExpectTouchedRoundTrip(header, file);

    CBSplinePoleElement3d poles(file);
    ASSERT_TRUE(ReadV8Into(poles, GraphicRecord(21, 0x5000, 0x1800, PoleBody({{1, 2, 3}, {4, 5, 6}}, 2))));
    EXPECT_EQ(poles.GetPoints()->Count(), 2u);
    EXPECT_EQ(poles.GetSecondWord(), 0x55AAu);
    ExpectTouchedRoundTrip(poles, file);
    // A count beyond the body takes the poles that are there; a negative one none.
    ASSERT_TRUE(ReadV8Into(poles, GraphicRecord(21, 0x5000, 0x1800, PoleBody({{1, 2, 3}}, 1000))));
    EXPECT_EQ(poles.GetPoints()->Count(), 1u);
    ASSERT_TRUE(ReadV8Into(poles, GraphicRecord(21, 0x5000, 0x1800, PoleBody({{1, 2, 3}}, -4))));
    EXPECT_EQ(poles.GetPoints()->Count(), 0u);

    Bytes knots;
    PutF64(knots, 0.25);
    PutF64(knots, 0.75);
    CBSplineKnotElement k(file);
    ASSERT_TRUE(ReadV8Into(k, V8Record(26, 0x4000, 3, 901, knots, {})));
    EXPECT_EQ(Values(k.GetValues()), (std::vector<double>{0.25, 0.75}));
    ExpectTouchedRoundTrip(k, file);
    CBSplineWeightElement w(file);
    ASSERT_TRUE(ReadV8Into(w, V8Record(28, 0x4000, 3, 902, knots, GenericLinkage(0x1234, 6))));
    ExpectTouchedRoundTrip(w, file);
    Lines::Reset();
    w.Describe(&Lines::Collect);
    EXPECT_TRUE(Lines::Has("index:1  weight:0.75"));
}

TEST_F(NurbsElementTest, V7KnotsAndBoundariesAreFractions)
{
    const std::int32_t range[6] = {0, 0, 0, 0, 0, 0};
    (void)range;
    // A V7 knot record: the 28-byte element header, 8 bytes, then the values.
    Bytes knot = V7Plain(26, 1, 28 - 4 + 8 + 8);
    Bytes values;
    PutV7Int32(values, 1073741824);
    PutV7Int32(values, 2147483647);
    std::copy(values.begin(), values.end(), knot.begin() + 36);
    CBSplineKnotElement k(file);
    const std::uint8_t* cursor = knot.data();
    ASSERT_TRUE(k.ReadV7(&cursor, static_cast<std::uint32_t>(knot.size())));
    EXPECT_EQ(cursor, knot.data() + knot.size());
    ASSERT_EQ(k.GetValues()->GetCount(), 2u);
    EXPECT_NEAR(k.GetValues()->GetAt(0), 0.5000000002, 1e-10);
    EXPECT_EQ(k.GetValues()->GetAt(1), 1.0);

    // A V7 boundary: 8 bytes, number 7, 3 points stated, 1 there.
    Bytes boundary = V7Plain(25, 1, 28 - 4 + 8 + 4 + 8);
    Bytes b;
    Put16(b, 7);
    Put16(b, 3);
    PutV7Int32(b, 2147483647);
    PutV7Int32(b, 1073741824);
    std::copy(b.begin(), b.end(), boundary.begin() + 36);
    CBSplineSurfaceBoundaryElement e(file);
    cursor = boundary.data();
    ASSERT_TRUE(e.ReadV7(&cursor, static_cast<std::uint32_t>(boundary.size())));
    EXPECT_EQ(e.GetBoundaryNumber(), 7u);
    ASSERT_EQ(e.GetBoundaryPoints()->Count(), 1u);
    EXPECT_EQ(e.GetBoundaryPoints()->At(0)->x, 1.0);
}

// ---------------------------------------------------------------------------------------------
// B-spline surface elements

namespace {

// A surface header over rows x cols poles of a plane z = 0 (degree 1 each way unless given).
CBSplineSurfaceHeaderElement* Surface(CDesignFile* file, int cols, int rows, std::uint32_t uFlags = 0, std::uint32_t vFlags = 0)
{
    auto* s = new CBSplineSurfaceHeaderElement(file);
    s->SetWord(0, uFlags);
    s->SetWord(1, static_cast<std::uint32_t>(cols));
    s->SetWord(4, vFlags);
    s->SetWord(5, static_cast<std::uint32_t>(rows));
    for (int j = 0; j < rows; ++j) {
        std::vector<Point3d> row;
        for (int i = 0; i < cols; ++i)
            row.push_back({double(i), double(j), 0});
        s->AddChild(NewPoles(row));
    }
    return s;
}

} // namespace

TEST_F(NurbsElementTest, SurfaceRuleLines)
{
    struct Case {
        std::uint32_t uRules, vRules;
        std::size_t firstCurves, firstPoints, secondCurves, secondPoints;
    };
    const Case cases[] = {
        {4, 2, 4, 2, 2, 4},
        {0, 0, 1, 1, 1, 1},
        // Rule counts from a damaged record are bounded.
        {100000, 1, 1024, 1, 1, 1024},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CBSplineSurfaceHeaderElement> s(Surface(file, 2, 2));
        s->SetWord(3, c.uRules);
        s->SetWord(7, c.vRules);
        GeometryRecordingSink sink(0);
        s->EmitGeometry(nullptr, &sink);
        ASSERT_EQ(sink.polylines3d.size(), c.firstCurves + c.secondCurves) << c.uRules;
        EXPECT_EQ(sink.polylines3d[0].size(), c.firstPoints);
        EXPECT_EQ(sink.polylines3d.back().size(), c.secondPoints);
    }
    // First family at U rules 4, V rules 2: curve 1 is v = 0.25 at u = 0 and 0.5; a closed U
    // adds the point at u = 0.
    std::unique_ptr<CBSplineSurfaceHeaderElement> s(Surface(file, 2, 2));
    s->SetWord(3, 4);
    s->SetWord(7, 2);
    GeometryRecordingSink sink(0);
    s->EmitGeometry(nullptr, &sink);
    EXPECT_DOUBLE_EQ(sink.polylines3d[1][1].x, 0.5);
    EXPECT_DOUBLE_EQ(sink.polylines3d[1][1].y, 0.25);

    std::unique_ptr<CBSplineSurfaceHeaderElement> closed(Surface(file, 4, 2, 0x100 | 2));
    closed->SetWord(3, 4);
    closed->SetWord(7, 2);
    GeometryRecordingSink closedSink(0);
    closed->EmitGeometry(nullptr, &closedSink);
    ASSERT_NE(closed->GetSurface(), nullptr);
    EXPECT_EQ(closed->GetEffectiveUPoles(), 7);
    ASSERT_EQ(closedSink.polylines3d.size(), 6u);
    EXPECT_EQ(closedSink.polylines3d[0].size(), 3u);

    // The range collector gets the net of poles.
    GeometryRecordingSink range(2);
    closed->EmitGeometry(nullptr, &range);
    EXPECT_EQ(range.polylines3d.size(), 2u);
}

TEST_F(NurbsElementTest, SurfacesThatCannotBeBuiltDrawNothing)
{
    // A row shorter than the U poles, too few rows, a degree beyond 33.
    std::unique_ptr<CBSplineSurfaceHeaderElement> shortRow(Surface(file, 3, 2));
    shortRow->SetWord(1, 4);
    std::unique_ptr<CBSplineSurfaceHeaderElement> fewRows(Surface(file, 3, 2));
    fewRows->SetWord(5, 3);
    std::unique_ptr<CBSplineSurfaceHeaderElement> degree(Surface(file, 3, 2, 0x1F));
    for (CBSplineSurfaceHeaderElement* s : {shortRow.get(), fewRows.get(), degree.get()}) {
        GeometryRecordingSink sink(0);
        s->EmitGeometry(nullptr, &sink);
        EXPECT_EQ(s->GetSurface(), nullptr);
        EXPECT_TRUE(sink.polylines3d.empty());
        Lines::Reset();
        s->Describe(&Lines::Collect);
        EXPECT_TRUE(Lines::Has("hNSurf was NULL for this BSplineSurf entity"));
    }
}

TEST_F(NurbsElementTest, SurfaceWeightsMissingForPolesAreOne)
{
    // The weights follow the second row and hold one value for its two poles.
    std::unique_ptr<CBSplineSurfaceHeaderElement> s(Surface(file, 2, 2));
    s->AddChild(NewValues<CBSplineWeightElement>({2.0}));
    s->BuildSurface();
    ASSERT_NE(s->GetSurface(), nullptr);
    const CItemArray* poles = s->GetSurface()->GetPoles();
    ASSERT_EQ(poles->Count(), 4u);
    EXPECT_EQ(reinterpret_cast<const double*>(poles->ItemAt(2))[3], 2.0);
    EXPECT_EQ(reinterpret_cast<const double*>(poles->ItemAt(3))[3], 1.0);
    EXPECT_EQ(reinterpret_cast<const double*>(poles->ItemAt(0))[3], 1.0);
}

TEST_F(NurbsElementTest, SurfaceTakesAtMost128Boundaries)
{
    std::unique_ptr<CBSplineSurfaceHeaderElement> s(Surface(file, 2, 2));
    for (int i = 0; i < 130; ++i)
        s->AddChild(new CBSplineSurfaceBoundaryElement(nullptr));
    s->BuildSurface();
    std::uint32_t count = 0;
    CPoint2dArray* const* table = nullptr;
    const std::uint8_t* flags = nullptr;
    s->GetSurfaceTables(&count, &table, &flags);
    EXPECT_EQ(count, 128u);
    EXPECT_NE(table[127], nullptr);
    EXPECT_EQ(flags[127], 0);
}

TEST_F(NurbsElementTest, SurfaceRecordsReadAndWriteBack)
{
    CBSplineSurfaceHeaderElement fresh(file);
    Lines::Reset();
    fresh.Describe(&Lines::Collect);
    EXPECT_TRUE(Lines::Has("U flags: 0x00000000, U order: 2  U poles: 0, U knots: 0, U rules: 10, closed(0)"));
    EXPECT_TRUE(Lines::Has("V flags: 0x00000000, V order: 2  V poles: 0, V knots: 0, V rules: 10, closed(0)"));
    ExpectTouchedRoundTrip(fresh, file);

    Bytes body;
    for (std::uint32_t v : {2u, 0x102u, 4u, 0u, 7u, 0x41u, 3u, 0u, 5u, 0xDEADu})
        Put32(body, v);
    CBSplineSurfaceHeaderElement s(file);
    ASSERT_TRUE(ReadV8Into(s, GraphicRecord(24, 0x3000, 0x1800, body, StringLinkage(2, "surface"))));
    EXPECT_EQ(s.GetWord(8), 0xDEADu);
    ExpectTouchedRoundTrip(s, file);

    Bytes b;
    Put32(b, 4);
    Put32(b, 2);
    for (double v : {0.0, 0.0, 1.0, 0.5})
        PutF64(b, v);
    CBSplineSurfaceBoundaryElement boundary(file);
    ASSERT_TRUE(ReadV8Into(boundary, V8Record(25, 0x4000, 3, 903, b, {})));
    EXPECT_EQ(boundary.GetBoundaryPoints()->Count(), 2u);
    ExpectTouchedRoundTrip(boundary, file);
    // A point count beyond the record takes the points there.
    Bytes lying = b;
    lying[4] = 0xFF;
    lying[5] = 0xFF;
    ASSERT_TRUE(ReadV8Into(boundary, V8Record(25, 0x4000, 3, 903, lying, {})));
    EXPECT_EQ(boundary.GetBoundaryPoints()->Count(), 2u);
}

// ---------------------------------------------------------------------------------------------
// Mesh and matrix elements

namespace {

// Matrix data: 36 words 1, 2, ..., alloc, used, descriptor, fourth word, then the values.
Bytes MatrixDataBody(std::uint32_t descriptor, const Bytes& values, std::uint32_t stated)
{
    Bytes b;
    for (std::uint16_t i = 1; i <= 36; ++i)
        Put16(b, i);
    Put32(b, stated);
    Put32(b, stated);
    Put32(b, descriptor);
    Put32(b, 0x77);
    return Cat(b, values);
}

template <class T>
T* NewMatrix(const Bytes& record, CDesignFile* file)
{
    auto* e = new T(file);
    EXPECT_TRUE(ReadV8Into(*e, record));
    return e;
}

Bytes Ints(const std::vector<std::int32_t>& v)
{
    Bytes b;
    for (std::int32_t i : v)
        Put32(b, static_cast<std::uint32_t>(i));
    return b;
}

Bytes Reals(const std::vector<double>& v)
{
    Bytes b;
    for (double d : v)
        PutF64(b, d);
    return b;
}

} // namespace

TEST_F(NurbsElementTest, MeshDrawsItsIndexedGeometry)
{
    auto* mesh = new CMeshHeaderElement(file);
    mesh->Set3dElement();
    mesh->AddChild(NewMatrix<CMatrixIntegerDataElement>(V8Record(102, 0x4000, 3, 0, MatrixDataBody(0x1000, Ints({1, 2, 3, 0}), 4), {}), nullptr));
    mesh->AddChild(NewMatrix<CMatrixDoubleDataElement>(V8Record(103, 0x4000, 3, 0, MatrixDataBody(0, Reals({1, 0, 0, 2, 0, 0, 3, 1, 0}), 9), {}), nullptr));
    mesh->AddChild(NewMatrix<CMatrixDoubleDataElement>(V8Record(103, 0x4000, 3, 0, MatrixDataBody(0, Reals({9, 9, 9}), 3), {}), nullptr));
    GeometryRecordingSink sink(0);
    mesh->EmitGeometry(nullptr, &sink);
    ASSERT_EQ(sink.objects.size(), 1u);
    EXPECT_EQ(sink.objects[0].first, mesh->GetMeshGeometry());
    EXPECT_EQ(sink.objects[0].second, 1);
    // The first double data holds the coordinates: edges 1-2, 2-3 and the closing one.
    GeometryRecordingSink edges(0);
    mesh->GetMeshGeometry()->EmitGeometry(&edges, 1);
    ASSERT_EQ(edges.lines3d.size(), 3u);
    EXPECT_EQ(edges.lines3d[1][1].x, 3.0);
    EXPECT_EQ(edges.lines3d[1][1].y, 1.0);

    // A quad grid builds nothing and draws nothing.
    auto* grid = static_cast<CMeshHeaderElement*>(mesh->Clone(file, false));
    ASSERT_NE(grid, nullptr);
    grid->SetMeshType(6);
    GeometryRecordingSink none(0);
    grid->EmitGeometry(nullptr, &none);
    EXPECT_TRUE(none.objects.empty());
    EXPECT_EQ(grid->GetMeshGeometry(), nullptr);
    Lines::Reset();
    grid->Describe(&Lines::Collect);
    EXPECT_EQ(Lines::Get().at(0), "Mesh Header - type QGRID");
}

// A writer sizes its block by the record size an element states; an element whose values grew
// since it was last touched writes nothing rather than past that block.
TEST_F(NurbsElementTest, AnElementWritesWithinTheSizeItStates)
{
    CMatrixIntegerDataElement i(file);
    ASSERT_TRUE(ReadV8Into(i, V8Record(102, 0x4000, 3, 913, MatrixDataBody(0x0123, Ints({5, -6}), 2), {})));
    const std::int32_t more[] = {7, 8, 9, 10, 11, 12};
    ASSERT_NE(i.GetMatrixValues()->AppendItems(more, 6), nullptr);
    const std::uint32_t stated = i.GetRecordSize();
    const std::uint8_t kGuard = 0xA5;
    Bytes block(stated + 64, kGuard);
    std::uint8_t* cursor = block.data();
    const std::uint32_t n = i.WriteV8(&cursor);
    EXPECT_LE(n, stated);
    EXPECT_EQ(static_cast<std::uint32_t>(cursor - block.data()), n);
    for (std::size_t k = stated; k < block.size(); ++k)
        ASSERT_EQ(block[k], kGuard) << "written past the stated record at " << k;
    // Touched, it states the larger record and writes all of it.
    i.Touch();
    ASSERT_GT(i.GetRecordSize(), stated);
    ExpectTouchedRoundTrip(i, file);
    EXPECT_EQ(i.GetMatrixValues()->Count(), 8u);
}

TEST_F(NurbsElementTest, MatrixRecordsReadAndWriteBack)
{
    // 9 doubles: attrOffsetWords (72 + 121) / 2 = 96.
    CMatrixDoubleDataElement d(file);
    ASSERT_TRUE(ReadV8Into(d, V8Record(103, 0x4000, 3, 910, MatrixDataBody(0x0123, Reals({1, 2, 3, 4, 5, 6, 7, 8, 9}), 9), {})));
    d.Touch();
    EXPECT_EQ(d.GetAttrOffsetWords(), 96u);
    ExpectTouchedRoundTrip(d, file);

    // alloc and used state 1000 values; the record holds 2.
    CMatrixIntegerDataElement i(file);
    ASSERT_TRUE(ReadV8Into(i, V8Record(102, 0x4000, 3, 911, MatrixDataBody(0x0123, Ints({5, -6}), 1000), StringLinkage(1, "m"))));
    EXPECT_EQ(i.GetMatrixValues()->Count(), 2u);
    ExpectTouchedRoundTrip(i, file);
    Lines::Reset();
    i.Describe(&Lines::Collect);
    EXPECT_TRUE(Lines::Has("alloc:1000, used:1000, blocking:3, base:2, pad:1, fSigned:0"));

    Bytes header;
    Put32(header, 2);
    for (std::uint16_t k = 0; k < 36; ++k)
        Put16(header, k);
    for (std::uint32_t v : {3u, 4u, 1u, 5u, 6u})
        Put32(header, v);
    CMatrixHeaderElement h(file);
    ASSERT_TRUE(ReadV8Into(h, V8Record(101, 0x6000, 3, 912, header, {})));
    EXPECT_EQ(h.GetAttrOffsetWords(), 64u);
    ExpectTouchedRoundTrip(h, file);
    Lines::Reset();
    h.Describe(&Lines::Collect);
    EXPECT_TRUE(Lines::Has("numPerStruct 3, numPerRow 4, tag 1, ixtype 5, ixby 6"));

    Bytes body;
    Put32(body, 3);
    Put32(body, 6);
    CMeshHeaderElement m(file);
    ASSERT_TRUE(ReadV8Into(m, GraphicRecord(105, 0x3000, 0x1800, body, SolidFillLinkage(3))));
    EXPECT_EQ(m.GetMeshType(), 6);
    ExpectTouchedRoundTrip(m, file);
    EXPECT_EQ(m.GetAttrOffsetWords(), 56u);
}
