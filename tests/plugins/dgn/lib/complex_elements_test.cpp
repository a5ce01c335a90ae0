// The complex headers and the further 3-D element classes: complex chains and shapes, 3-D curves
// and point strings; their records (crafted byte by byte, values worked by hand), sizes,
// geometry and descriptions, and the records that state more than they hold.
#include "ElementFactory.h"
#include "ElementLinkages.h"
#include "ValueEncodings.h"
#include "elements/ComplexElements.h"
#include "elements/LinearElements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "element_records.h"
#include "element_test_support.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using Strings = std::vector<std::string>;

// The geometry an element emits, one line a call.
class OpLog : public RecordingSink {
public:
    OpLog() : RecordingSink(0) {}
    Strings ops;

    void BeginFill(const CFillInfo*) override { ops.push_back("begin fill"); }
    void EndFill(const CFillInfo*) override { ops.push_back("end fill"); }
    void AddPoint3d(const Point3d& p) override { ops.push_back("point " + Pt(p)); }
    void AddLine3d(const Point3d l[2]) override { ops.push_back("line " + Pt(l[0]) + " " + Pt(l[1])); }
    void AddLine2d(const Point2d l[2]) override { ops.push_back("line " + Pt(l[0]) + " " + Pt(l[1])); }
    void AddPoints3d(std::uint32_t n, const Point3d* p) override { ops.push_back("polyline" + List(n, p)); }
    void AddPoints2d(std::uint32_t n, const Point2d* p) override { ops.push_back("polyline" + List(n, p)); }
    void AddEllipse3d(const Ellipse3d& e) override { ops.push_back("ellipse " + Num(e.primary) + " " + Num(e.secondary)); }

    static std::string Num(double v)
    {
        std::ostringstream s;
        s << v;
        return s.str();
    }
    static std::string Pt(const Point2d& p) { return Num(p.x) + "," + Num(p.y); }
    static std::string Pt(const Point3d& p) { return Num(p.x) + "," + Num(p.y) + "," + Num(p.z); }
    template <class P>
    static std::string List(std::uint32_t n, const P* p)
    {
        std::string s;
        for (std::uint32_t i = 0; i < n; ++i)
            s += " " + Pt(p[i]);
        return s;
    }
};

Strings Draw(IElement& e)
{
    OpLog log;
    e.EmitGeometry(nullptr, &log);
    return log.ops;
}

template <class T>
std::unique_ptr<T> ReadV7As(CDesignFile* file, const Bytes& record, std::size_t imageBytes = 0)
{
    // The loaded file image bounds what a complex header may count.
    SetLoadedFileImage(record.data(), imageBytes ? imageBytes : record.size());
    auto e = std::make_unique<T>(file);
    const std::uint8_t* cursor = record.data();
    EXPECT_TRUE(e->ReadV7(&cursor, static_cast<std::uint32_t>(record.size())));
    SetLoadedFileImage(nullptr, 0);
    return e;
}

CLineElement3d* Line3d(CDesignFile* file, double x)
{
    auto* line = new CLineElement3d(file);
    line->GetGeometry()[0] = {x, 0, 0};
    line->GetGeometry()[1] = {x, 1, 0};
    return line;
}

IElement* FromFactoryV8(CDesignFile* file, const Bytes& record, bool threeD)
{
    IElement* e = nullptr;
    EXPECT_TRUE(file->CreateElementV8(record.data(), static_cast<std::uint32_t>(record.size()), threeD, &e));
    return e;
}

template <class T>
T* WithPoints(T* e, int n)
{
    EXPECT_TRUE(e->GetPoints()->Resize(static_cast<std::uint32_t>(n)));
    for (int i = 0; i < n; ++i)
        e->GetPoints()->Data()[i] = {1.0 * i, 10.0 * i, 100.0 * i};
    return e;
}

class ComplexElementTest : public DesignFileTest {};

} // namespace

TEST_F(ComplexElementTest, ComplexShapeFillsAroundItsComponentsInOrder)
{
    Bytes body;
    Put32(body, 3);
    Put32(body, 0xABCD1234);
    const Bytes record = GraphicRecord(14, 0, body, SolidFillLinkage(5), 0x3000);
    CComplexShapeElement shape(file);
    ASSERT_TRUE(ReadV8Into(shape, record));
    EXPECT_EQ(shape.ChildCount(), 3);
    EXPECT_EQ(shape.GetSecondWord(), 0xABCD1234u);
    // Attaching the components counts them anew.
    shape.SetChildCount(0);
    for (double x : {1.0, 2.0, 3.0})
        shape.AddChild(Line3d(file, x));
    EXPECT_EQ(Draw(shape), (Strings{"begin fill", "line 1,0,0 1,1,0", "line 2,0,0 2,1,0", "line 3,0,0 3,1,0", "end fill"}));
    // The chain has no bracket, even with a fill linkage.
    CComplexChainElement chain(file);
    Bytes chainRecord = record;
    chainRecord[4] = 12;
    ASSERT_TRUE(ReadV8Into(chain, chainRecord));
    EXPECT_EQ(WriteElement(chain), chainRecord);
    chain.SetChildCount(0);
    chain.AddChild(Line3d(file, 4.0));
    EXPECT_EQ(Draw(chain), (Strings{"line 4,0,0 4,1,0"}));
    EXPECT_EQ(WriteElement(shape), record);

    // A transform moves the flagged components only.
    const double shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1};
    EXPECT_TRUE(chain.Transform(shift));
    EXPECT_EQ(Draw(chain), (Strings{"line 14,0,0 14,1,0"}));

    Lines::Reset();
    shape.Describe(Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "Complex Polygon");
    EXPECT_TRUE(Lines::Has("Nr. elements: 3"));
    Lines::Reset();
    chain.Describe(Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "Complex Path (String)");
    EXPECT_TRUE(Lines::Has("Number of elements: 1"));
    EXPECT_EQ(Lines::Ends(), 1);
}

TEST_F(ComplexElementTest, NewChainAndV7Counts)
{
    CComplexChainElement fresh(file);
    fresh.Touch();
    EXPECT_EQ(fresh.GetAttrOffsetWords(), 56u);
    const Bytes written = WriteElement(fresh);
    ASSERT_EQ(written.size(), 116u);
    EXPECT_EQ(Bytes(written.begin() + 108, written.end()), Bytes(8, 0));
    EXPECT_EQ(fresh.GetFlags() & 0x3000, 0x3000);

    // A V7 header whose word count spans two line records counts them; one whose count runs
    // past the loaded file counts none.
    const Bytes line = V7Body(3, V7Ints({0, 0, 5, 5}));
    auto image = [&](std::uint16_t words) {
        Bytes body;
        Put16(body, words);
        Put16(body, 2);
        return Cat(Cat(V7Body(12, body), line), line);
    };
    const std::uint16_t span = static_cast<std::uint16_t>(2 * line.size() / 2 + 1);
    const Bytes both = image(span);
    auto counted = ReadV7As<CComplexChainElement>(file, both);
    EXPECT_EQ(counted->ChildCount(), 2);
    EXPECT_EQ(counted->GetFlags() & 0x2000, 0x2000);
    auto past = ReadV7As<CComplexShapeElement>(file, image(5000));
    EXPECT_EQ(past->ChildCount(), 0);
    // The V7 reader and the V8 reader make the classes in 2-D and 3-D files.
    for (bool threeD : {false, true}) {
        std::unique_ptr<IElement> e(NewElementV7(file, both.data(), threeD));
        IElement& ref = *e;
        EXPECT_EQ(typeid(ref), typeid(CComplexChainElement));
        Bytes body(8, 0);
        std::unique_ptr<IElement> s(FromFactoryV8(file, GraphicRecord(14, 0, body), threeD));
        IElement& sref = *s;
        EXPECT_EQ(typeid(sref), typeid(CComplexShapeElement));
    }
}

TEST_F(ComplexElementTest, EveryClassWritesTheRecordItStatesAndReadsItBack)
{
    struct Case {
        const char* what;
        std::function<IElement*()> make;
    };
    const Case cases[] = {
        {"complex chain", [&] { return new CComplexChainElement(file); }},
        {"complex shape", [&] { return new CComplexShapeElement(file); }},
        {"3-D curve", [&] { return WithPoints(new CCurveElement3d(file), 6); }},
        {"3-D point string", [&] { return WithPoints(new CPointStringElement3d(file), 3); }},
    };
    for (const Case& c : cases) {
        std::unique_ptr<IElement> e(c.make());
        e->GetAttributes()->AddString(9, "tag", 4);
        e->Touch();
        const Bytes first = WriteElement(*e);
        ASSERT_EQ(first.size(), 2u * e->GetSizeWords() + 4) << c.what;
        std::unique_ptr<IElement> back(FromFactoryV8(file, first, true));
        ASSERT_NE(back, nullptr) << c.what;
        IElement& backRef = *back;
        IElement& made = *e;
        EXPECT_EQ(typeid(backRef), typeid(made)) << c.what;
        EXPECT_EQ(WriteElement(*back), first) << c.what;
        std::unique_ptr<IElement> copy(e->Clone(file, false));
        ASSERT_NE(copy, nullptr) << c.what;
        // The copy takes a fresh element ID (offsets 20-27); the rest is the same.
        Bytes copied = WriteElement(*copy);
        ASSERT_EQ(copied.size(), first.size()) << c.what;
        std::fill(copied.begin() + 20, copied.begin() + 28, 0);
        EXPECT_EQ(copied, first) << c.what;
    }
}

TEST_F(ComplexElementTest, CurveDrawsItsInteriorNodes)
{
    struct Case {
        int nodes;
        Strings drawn;
    };
    const Case cases[] = {
        {6, {"polyline 2,20,200 3,30,300"}},
        {5, {"polyline 2,20,200"}},
        {4, {}},
        {0, {}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CCurveElement3d> curve(WithPoints(new CCurveElement3d(file), c.nodes));
        EXPECT_EQ(Draw(*curve), c.drawn) << c.nodes;
    }
    CCurveElement3d curve(file);
    WithPoints(&curve, 6);
    curve.Touch();
    EXPECT_EQ(curve.GetAttrOffsetWords(), 56u + 12 * 6);
    Lines::Reset();
    curve.Describe(Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "3d Curve");
    EXPECT_TRUE(Lines::Has("nodes: 6"));
    // A V7 curve: count word, then x, y, z of each node as V7 integers.
    Bytes body;
    Put16(body, 6);
    for (int i = 0; i < 6; ++i)
        body = Cat(body, V7Ints({i, 2 * i, 3 * i}));
    std::unique_ptr<IElement> v7(NewElementV7(file, V7Body(11, body).data(), true));
    ASSERT_NE(dynamic_cast<CCurveElement3d*>(v7.get()), nullptr);
    const Bytes record = V7Body(11, body);
    const std::uint8_t* cursor = record.data();
    ASSERT_TRUE(v7->ReadV7(&cursor, static_cast<std::uint32_t>(record.size())));
    EXPECT_EQ(Draw(*v7), (Strings{"polyline 2,4,6 3,6,9"}));
}

TEST_F(ComplexElementTest, PointStringRecordsAndDrawing)
{
    Bytes body;
    Put32(body, 3);
    Put32(body, 0);
    for (int i = 0; i < 3; ++i)
        body = Cat(body, Doubles({1.0 * i, 2.0 * i, 3.0 * i}));
    for (int i = 0; i < 3; ++i)
        body = Cat(body, Doubles({1, 0, 0, 0.5 * i}));
    ASSERT_EQ(body.size(), 8u + 72 + 96);
    for (std::uint16_t properties : {std::uint16_t(0), std::uint16_t(0x0800)}) {
        // A record is 3-D by its properties word: the factory makes a 2-D point string of the
        // one without 0x0800.
        const Bytes record = GraphicRecord(22, properties, body);
        std::unique_ptr<IElement> made(FromFactoryV8(file, record, true));
        EXPECT_EQ(dynamic_cast<CPointStringElement3d*>(made.get()) != nullptr, properties != 0);
        auto owned = std::make_unique<CPointStringElement3d>(file);
        CPointStringElement3d* points = owned.get();
        ASSERT_TRUE(ReadV8Into(*points, record));
        EXPECT_EQ(points->GetAttrOffsetWords(), 140u);
        EXPECT_EQ(WriteElement(*points), record);
        ASSERT_NE(points->GetNodeOrientation(2), nullptr);
        EXPECT_EQ(points->GetNodeOrientation(2)[3], 1.0);
        EXPECT_EQ(points->GetNodeOrientation(3), nullptr);
        if (properties == 0) {
            EXPECT_EQ(Draw(*points), (Strings{"polyline 0,0,0 1,2,3 2,4,6"}));
        } else {
            EXPECT_EQ(Draw(*points), (Strings{"point 0,0,0", "point 1,2,3", "point 2,4,6"}));
        }
        // A transform moves the nodes and leaves the orientations.
        const double shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1};
        EXPECT_TRUE(points->Transform(shift));
        EXPECT_EQ(points->GetPoints()->Data()[1].z, 8.0);
        EXPECT_EQ(points->GetNodeOrientation(1)[3], 0.5);
    }
    CPointStringElement3d points(file);
    WithPoints(&points, 2);
    Lines::Reset();
    points.Describe(Lines::Collect);
    ASSERT_GE(Lines::Get().size(), 2u);
    EXPECT_EQ(Lines::Get()[0], "3d PointString - 2 nodes");
    EXPECT_FALSE(Lines::Has("nodes: 2"));
}
