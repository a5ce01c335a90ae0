// The complex headers and the further 3-D element classes: complex chains and shapes, 3-D curves
// and point strings, shared cell definitions and instances, 3-D text nodes, tag sets and
// attribute tags, complex surface and solid headers, cones and conics; their records (crafted byte by
// byte, values worked by hand), sizes, geometry and descriptions, and the records that state
// more than they hold.
#include "ElementFactory.h"
#include "ElementLinkages.h"
#include "EntityIterator.h"
#include "ValueEncodings.h"
#include "elements/ComplexElements.h"
#include "elements/ConeElements.h"
#include "elements/EllipseElements.h"
#include "elements/LinearElements.h"
#include "elements/SharedCellElements.h"
#include "elements/TagElements.h"
#include "elements/TextElement.h"
#include "elements/TextNodeElement3d.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "compound_test_support.h"
#include "element_records.h"
#include "element_test_support.h"
#include "geometry_recording_sink.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using Strings = std::vector<std::string>;

// The geometry an element emits, one line a call.
class OpLog : public RecordingSink {
public:
    OpLog() : RecordingSink(0) {}
    Strings ops;
    int nesting = 0;

    bool IsNested() const override { return nesting > 0; }
    void Nest(std::int32_t enter) override { nesting += enter ? 1 : -1; }

    void BeginFill(const CFillInfo*) override { ops.push_back("begin fill"); }
    void EndFill(const CFillInfo*) override { ops.push_back("end fill"); }
    void AddPoint3d(const Point3d& p) override { ops.push_back("point " + Pt(p)); }
    void AddLine3d(const Point3d l[2]) override { ops.push_back("line " + Pt(l[0]) + " " + Pt(l[1])); }
    void AddLine2d(const Point2d l[2]) override { ops.push_back("line " + Pt(l[0]) + " " + Pt(l[1])); }
    void AddPoints3d(std::uint32_t n, const Point3d* p) override { ops.push_back("polyline" + List(n, p)); }
    void AddPoints2d(std::uint32_t n, const Point2d* p) override { ops.push_back("polyline" + List(n, p)); }
    void AddEllipse3d(const Ellipse3d& e) override { ops.push_back("ellipse " + Num(e.primary) + " " + Num(e.secondary)); }
    void AddText2d(const TextParams2d* p, const std::uint8_t* t, std::int32_t) override
    {
        ops.push_back("text " + std::string(reinterpret_cast<const char*>(t), p->textBytes) + " at " + Pt(p->origin));
    }
    void AddText3d(const TextParams3d* p, const std::uint8_t* t, std::int32_t) override
    {
        ops.push_back("text " + std::string(reinterpret_cast<const char*>(t), p->textBytes) + " at " + Pt(p->origin));
    }

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
        {"3-D text node", [&] { return new CTextNodeElement3d(file); }},
        {"complex surface", [&] { return new CComplexSurfaceHeaderElement(file); }},
        {"complex solid", [&] { return new CComplexSolidHeaderElement(file); }},
        {"cone", [&] {
             auto* c = new CConeElement(file);
             c->radius1 = 3.0;
             c->center2 = {0, 0, 9};
             return c;
         }},
        {"conic", [&] {
             auto* c = new CConicElement(file);
             EXPECT_TRUE(c->GetPoints()->Append("\1\2\3\4\5", 5));
             return c;
         }},
        {"tag set definition", [&] {
             auto* t = new CTagSetDefinitionElement(file);
             t->SetName("doors");
             t->AddDefinition("width", "Width?", kTagDouble, nullptr, 0, -1);
             return t;
         }},
        {"2-D attribute tag", [&] {
             auto* t = new CAttributeTagElement2d(file);
             t->SetStringValue("oak");
             return t;
         }},
        {"3-D attribute tag", [&] {
             auto* t = new CAttributeTagElement3d(file);
             t->SetStringValue("pine");
             return t;
         }},
        {"shared cell definition", [&] {
             auto* d = new CSharedCellDefinitionElement(file);
             d->GetName()->Set("door");
             d->GetDescription()->Set("a door");
             return d;
         }},
        {"shared cell instance", [&] {
             auto* i = new ISymRef(file);
             i->GetName()->Set("door");
             return i;
         }},
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

namespace {

// A shared cell body: count, the two cell words, extents, the 3 x 3 matrix column by column,
// the origin.
Bytes SharedCellBody(std::uint32_t count, std::uint16_t word, const double extents[6], const double origin[3])
{
    Bytes b;
    Put32(b, count);
    Put16(b, word);
    Put16(b, 0xFFFF);
    for (int i = 0; i < 6; ++i)
        PutF64(b, extents[i]);
    b = Cat(b, Doubles({1, 0, 0, 0, 1, 0, 0, 0, 1}));
    return Cat(b, Doubles({origin[0], origin[1], origin[2]}));
}

const double kExtents[6] = {-5, -6, -7, 5, 6, 7};
const double kOrigin[3] = {1, 2, 3};

// A definition of that name with one line component from (0, 0, 0) to (1, 1, z).
CSharedCellDefinitionElement* LineDefinition(CDesignFile* file, const char* name, double z)
{
    auto* d = new CSharedCellDefinitionElement(file);
    d->GetName()->Set(name);
    auto* line = new CLineElement3d(file);
    line->GetGeometry()[1] = {1, 1, z};
    d->AddChild(line);
    return d;
}

} // namespace

TEST_F(ComplexElementTest, SharedCellDefinitionRecordAndExtents)
{
    const Bytes linkages = Cat(StringLinkage(1, "door"), StringLinkage(2, "front door"));
    const Bytes record = GraphicRecord(34, 0x0800, SharedCellBody(0, 0, kExtents, kOrigin), linkages, 0x3400);
    std::unique_ptr<IElement> made(FromFactoryV8(file, record, true));
    auto* d = dynamic_cast<CSharedCellDefinitionElement*>(made.get());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(std::string(d->GetName()->CStr()), "door");
    EXPECT_EQ(std::string(d->GetDescription()->CStr()), "front door");
    EXPECT_TRUE(d->ExtentsValid());
    EXPECT_EQ(d->GetAttrOffsetWords(), 128u);
    EXPECT_EQ(WriteElement(*d), record);
    Point3d origin;
    ASSERT_TRUE(d->GetKeyPoint(0, &origin, 0));
    EXPECT_EQ(origin.z, 3.0);
    // Without components Touch keeps the extents; on its own the definition draws nothing.
    d->Touch();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(d->GetExtents()[i], kExtents[i]) << i;
    EXPECT_TRUE(Draw(*d).empty());
    auto* line = new CLineElement3d(file);
    d->AddChild(line);
    EXPECT_TRUE(Draw(*d).empty());
    Lines::Reset();
    d->Describe(Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "Shared cell definition");
    EXPECT_TRUE(Lines::Has("Name: door"));
    EXPECT_TRUE(Lines::Has("Description: front door"));
    EXPECT_EQ(Lines::Ends(), 1);

    // An emptied description drops its linkage when written.
    d->GetDescription()->Clear();
    const Bytes written = WriteElement(*d);
    ASSERT_FALSE(written.empty());
    CSharedCellDefinitionElement back(file);
    ASSERT_TRUE(ReadV8Into(back, written));
    EXPECT_EQ(back.GetAttributes()->FindString(2), nullptr);
    EXPECT_NE(back.GetAttributes()->FindString(1), nullptr);

    // A record with an empty description linkage: touched, it states the record it writes.
    const Bytes emptyDescription = GraphicRecord(34, 0x0800, SharedCellBody(0, 0, kExtents, kOrigin), Cat(StringLinkage(1, "d"), StringLinkage(2, "")), 0x3400);
    CSharedCellDefinitionElement touched(file);
    ASSERT_TRUE(ReadV8Into(touched, emptyDescription));
    touched.Touch();
    const std::size_t stated = 2u * touched.GetSizeWords() + 4;
    EXPECT_EQ(WriteElement(touched).size(), stated);
}

TEST_F(ComplexElementTest, SharedCellInstanceResolvesPlacesAndBoxes)
{
    const Bytes defRecord = GraphicRecord(34, 0x0800, SharedCellBody(0, 0, kExtents, kOrigin), StringLinkage(1, "door"), 0x3400);
    CSharedCellDefinitionElement definition(file);
    ASSERT_TRUE(ReadV8Into(definition, defRecord));
    ISymRef instance(file);
    instance.GetName()->Set("door");
    EXPECT_FALSE(instance.ExtentsValid());
    ASSERT_TRUE(instance.ResolveDefinition());
    EXPECT_EQ(instance.GetDefinition(), &definition);
    EXPECT_TRUE(instance.ExtentsValid());
    EXPECT_EQ(instance.GetExtents()[2], -7.0);
    ISymRef nameless(file);
    nameless.GetName()->Set("window");
    EXPECT_FALSE(nameless.ResolveDefinition());
    EXPECT_EQ(nameless.ComputeInstanceRange(), nullptr);
    EXPECT_TRUE(Draw(nameless).empty());

    // The largest reach of the extents is 7: the box spans origin -/+ 7, flat in z when the
    // placed geometry is.
    struct Case {
        double lineZ;
        double boxZ;
    };
    for (const Case c : {Case{0.0, 0.0}, Case{0.5, 7.0}}) {
        const std::string name = "flat" + std::to_string(c.boxZ);
        CSharedCellDefinitionElement* d = LineDefinition(file, name.c_str(), c.lineZ);
        d->Touch();
        ISymRef placed(file);
        placed.GetName()->Set(name.c_str());
        const double origin[3] = {100, 200, 10};
        placed.SetOrigin(origin);
        placed.Touch();
        const double* range = placed.GetInstanceRange();
        EXPECT_EQ(range[0], 100.0);
        EXPECT_EQ(range[4], 201.0);
        EXPECT_EQ(range[5] - range[2], c.lineZ);
        // The extents are the definition's: (0, 0, 0) to (1, 1, z); reach 1.
        OpLog log;
        placed.AddPlacedBox(nullptr, &log);
        const std::string low = c.boxZ ? "99,199,9" : "99,199,10";
        const std::string high = c.boxZ ? "101,201,11" : "101,201,10";
        EXPECT_EQ(log.ops, (Strings{"line " + low + " " + high})) << name;
        delete d;
    }

    // A transform multiplies the placement and moves both extents corners.
    const double shift[16] = {2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1};
    ASSERT_TRUE(instance.Transform(shift));
    EXPECT_EQ(instance.GetMatrix()[0], 2.0);
    EXPECT_EQ(instance.GetMatrix()[12], 10.0);
    EXPECT_EQ(instance.GetExtents()[0], 0.0);
    EXPECT_EQ(instance.GetExtents()[3], 20.0);
    Lines::Reset();
    instance.Describe(Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "Shared cell instance");
    // Design units over the file's 10000 a master unit.
    EXPECT_TRUE(Lines::Has(" [   2.0000   0.0000   0.0000       0.0010 ]"));
    EXPECT_TRUE(Lines::Has(" extents x low=      0.0000  hi=      0.0020"));
}

TEST_F(ComplexElementTest, SharedCellInstanceDrawsItsDefinitionOnce)
{
    // A definition that holds an instance of itself: drawn once, the inner instance nothing.
    CSharedCellDefinitionElement* d = LineDefinition(file, "loop", 0.0);
    auto* inner = new ISymRef(file);
    inner->GetName()->Set("loop");
    d->AddChild(inner);
    ISymRef outer(file);
    outer.GetName()->Set("loop");
    EXPECT_EQ(Draw(outer), (Strings{"line 0,0,0 1,1,0"}));
    d->Touch();
    outer.Touch();
    EXPECT_EQ(outer.GetInstanceRange()[3], 1.0);

    // The instance's override mask (its first cell word) puts its colour on the components.
    ISymRef coloured(file);
    coloured.GetName()->Set("loop");
    coloured.SetColor(5);
    for (std::uint16_t mask : {std::uint16_t(0), std::uint16_t(0x08)}) {
        coloured.SetCellWord(mask);
        OpLog log;
        coloured.EmitGeometry(nullptr, &log);
        EXPECT_EQ(log.Last('c'), mask ? 5 : kColorByLevel) << mask;
    }
    delete d;
}

TEST_F(ComplexElementTest, SharedCellsFromV7)
{
    // Body: total length, seven words, extents and (2-D) four VAX doubles and 40 bytes, origin,
    // trailing value, name: little-endian integers.
    auto v7Cell = [](std::uint8_t type, const std::string& name, bool terminated) {
        Bytes b;
        Put16(b, 0);
        for (int i = 0; i < 7; ++i)
            Put16(b, static_cast<std::uint16_t>(i));
        for (std::int32_t v : {-1, -2, 0, 3, 4, 0})
            Put32(b, static_cast<std::uint32_t>(v));
        // VAX 1.0: 0x4080 in the first word, the rest 0.
        const Bytes one = {0x80, 0x40, 0, 0, 0, 0, 0, 0};
        b = Cat(b, Cat(Cat(one, Bytes(8, 0)), Cat(Bytes(8, 0), one)));
        b = Cat(b, Bytes(40, 0));
        for (std::int32_t v : {50, 60, 0, 77})
            Put32(b, static_cast<std::uint32_t>(v));
        b.insert(b.end(), name.begin(), name.end());
        if (terminated)
            b.push_back(0);
        if (b.size() % 2)
            b.push_back(terminated ? 0 : 'x');
        return V7Body(type, b);
    };
    for (std::uint8_t type : {std::uint8_t(34), std::uint8_t(35)}) {
        std::unique_ptr<IElement> e(NewElementV7(file, v7Cell(type, "dr", true).data(), false));
        EXPECT_EQ(e->GetType(), type);
    }
    auto def = ReadV7As<CSharedCellDefinitionElement>(file, v7Cell(34, "door", true));
    EXPECT_EQ(std::string(def->GetName()->CStr()), "door");
    EXPECT_EQ(def->GetMatrix()[0], 1.0);
    EXPECT_EQ(def->GetMatrix()[5], 1.0);
    EXPECT_EQ(def->GetMatrix()[12], 50.0);
    EXPECT_EQ(def->GetExtents()[3], 3.0);
    EXPECT_EQ(def->GetFlags() & 0x2000, 0x2000);
    EXPECT_NE(def->GetAttributes()->FindString(1), nullptr);
    // A name without its terminator ends with the record.
    auto cut = ReadV7As<ISymRef>(file, v7Cell(35, "abc", false));
    EXPECT_EQ(std::string(cut->GetName()->CStr()), "abcx");
}

TEST_F(ComplexElementTest, TextNode3dRangeTransformAndDescription)
{
    CTextNodeElement3d node(file);
    node.origin = {100, -200, 0};
    node.Touch();
    const double expected[6] = {95, -210, 0, 105, -190, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_DOUBLE_EQ(node.range[i], expected[i]) << i;
    EXPECT_EQ(node.GetAttrOffsetWords(), 100u);
    EXPECT_EQ(node.GetFlags() & 0x3000, 0x3000);

    // A transform moves the origin and the flagged components, never the orientation.
    node.quaternion[0] = 0.5;
    node.quaternion[3] = 0.5;
    auto* text = new CTextElement3d(file);
    text->SetText("a");
    node.AddChild(text);
    const double shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};
    const Point3d before = text->GetTextParams()->origin;
    ASSERT_TRUE(node.Transform(shift));
    EXPECT_EQ(node.origin.x, 110.0);
    EXPECT_EQ(node.origin.z, 30.0);
    EXPECT_EQ(text->GetTextParams()->origin.y, before.y + 20.0);
    EXPECT_EQ(node.quaternion[0], 0.5);
    EXPECT_EQ(node.quaternion[3], 0.5);
    EXPECT_EQ(node.quaternion[1], 0.0);

    // From V7 only the display header is read: the defaults stand.
    auto v7 = ReadV7As<CTextNodeElement3d>(file, V7Body(7, Bytes(20, 0xAB)));
    Lines::Reset();
    v7->Describe(Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "3d Text Node");
    EXPECT_TRUE(Lines::Has("Number of entities: 0"));
    EXPECT_TRUE(Lines::Has("rotation: 1, 0, 0, 0"));
    EXPECT_TRUE(Lines::Has("font 3: *unknown*, justification: 2, node id: 1"));
}

// A 3-D file saved with a text node of two texts: reloaded, the texts are the node's children.
TEST_F(ComplexElementTest, TextNode3dReloadsWithItsTexts)
{
    const auto dir = cftest::FromEnv("YVEX_BINARY_DIR", "tests/plugins/dgn/lib/dgn_out");
    std::filesystem::create_directories(dir);
    const auto path = dir / "text_node_3d.dgn";
    {
        std::unique_ptr<CDesignFile> f(new CDesignFile);
        ASSERT_TRUE(f->CreateNewV8(nullptr, true));
        auto* node = new CTextNodeElement3d(f.get());
        for (const char* s : {"first", "second"}) {
            auto* text = new CTextElement3d(f.get());
            text->SetText(s);
            text->Touch();
            node->AddChild(text);
        }
        node->origin = {5, 6, 7};
        node->Touch();
        ASSERT_EQ(node->ChildCount(), 2);
        ASSERT_EQ(f->SaveAs(cftest::Wide(path).c_str(), 1), 1);
    }
    std::unique_ptr<CDesignFile> again(OpenDesignFileW(cftest::Wide(path).c_str()));
    ASSERT_NE(again, nullptr);
    CEntityIterator* it = again->CreateChildIterator(nullptr);
    it->DescendIntoComplex();
    CTextNodeElement3d* node = nullptr;
    while (IEntity* e = it->Next()) {
        if (auto* n = dynamic_cast<CTextNodeElement3d*>(e))
            node = n;
    }
    delete it;
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->ChildCount(), 2);
    EXPECT_EQ(node->origin.z, 7.0);
    Strings texts;
    CEntityIterator* children = node->CreateChildIterator(nullptr);
    while (IEntity* e = children->Next()) {
        if (auto* t = dynamic_cast<CTextElement3d*>(e))
            texts.push_back(t->GetText()->CStr());
    }
    delete children;
    EXPECT_EQ(texts, (Strings{"first", "second"}));
}

namespace {

// A V7 tag set record (type 66, level 24): set value, count, names, then the definitions' bytes.
Bytes V7TagSet(std::uint16_t count, const std::string& names, const Bytes& definitions)
{
    Bytes b(38 - 28, 0);
    Put16(b, 0x0F81);
    b.resize(44 - 28, 0);
    Put16(b, count);
    b.resize(48 - 28, 0);
    b.insert(b.end(), names.begin(), names.end());
    b = Cat(b, definitions);
    if (b.size() % 2)
        b.push_back(0);
    Bytes record{24, 66, 0, 0};
    record.resize(28, 0);
    record = Cat(record, b);
    const std::size_t words = (record.size() - 4) / 2;
    record[2] = static_cast<std::uint8_t>(words);
    record[3] = static_cast<std::uint8_t>(words >> 8);
    return record;
}

Bytes V7TagDefinition(const std::string& name, std::uint16_t id, const std::string& prompt, std::uint16_t type, const Bytes& value)
{
    Bytes b(name.begin(), name.end());
    b.push_back(0);
    Put16(b, id);
    b.insert(b.end(), prompt.begin(), prompt.end());
    b.push_back(0);
    Put16(b, type);
    b.resize(b.size() + 5, 0);
    return Cat(b, value);
}

std::uint32_t XorWords(const Bytes& b, std::size_t from, std::size_t n)
{
    std::uint32_t x = 0;
    for (std::size_t i = 0; i + 4 <= n; i += 4)
        x ^= Get32(b, from + i);
    return x;
}

} // namespace

TEST_F(ComplexElementTest, TagSetPacksItsDefinitionsWithAChecksum)
{
    CTagSetDefinitionElement empty(file);
    empty.Touch();
    ASSERT_NE(empty.GetPacked(), nullptr);
    ASSERT_EQ(empty.GetPacked()->Size(), 4u);
    EXPECT_EQ(Get32(Bytes(empty.GetPacked()->Data(), empty.GetPacked()->Data() + 4), 0), 0u);

    CTagSetDefinitionElement set(file);
    set.SetName("door tags");
    const std::int16_t i16 = -3;
    const std::int32_t i32 = 70000;
    const double d = 2.5;
    ASSERT_NE(set.AddDefinition("name", "Name?", kTagString, "oak", 0, -1), nullptr);
    EXPECT_EQ(set.AddDefinition("count", "Count?", kTagInt16, &i16, 0, -1)->id, 2);
    set.AddDefinition("big", "Big?", kTagInt32, &i32, 1, 9);
    set.AddDefinition("size", "Size?", kTagDouble, &d, 0, -1);
    TagDefinition* binary = set.AddDefinition("blob", "Blob?", kTagBinary, nullptr, 0, -1);
    EXPECT_EQ(binary->size, 0);
    EXPECT_EQ(set.FindDefinition(9)->type, kTagInt32);
    // The size packed is that of the value bytes that follow, even when the value changed
    // after its definition was added.
    ASSERT_TRUE(set.FindDefinition(1)->value->Append("en", 2));
    set.Touch();
    const Bytes record = WriteElement(set);
    ASSERT_EQ(record.size(), 2u * set.GetSizeWords() + 4);
    EXPECT_EQ(Get32(record, 36 + 8), 0x74536574u);
    const std::uint32_t p = Get32(record, 36 + 24);
    ASSERT_EQ(p, set.GetPacked()->Size());
    // name "name\0", id, prompt "Name?\0", type, size 5, flags, byte, "oaken\0".
    EXPECT_EQ(record[64 + 5 + 2 + 6 + 2], 5);
    // The checksum: the packed bytes' whole words XORed, its own four bytes taken as zero.
    Bytes zeroed(record.begin() + 64, record.begin() + 64 + p);
    std::fill(zeroed.end() - 4, zeroed.end(), 0);
    EXPECT_NE(XorWords(zeroed, 0, p), 0u);
    EXPECT_EQ(Get32(record, 36 + 16), XorWords(zeroed, 0, p));
    EXPECT_EQ(Get32(record, 64 + p - 4), XorWords(zeroed, 0, p));

    std::unique_ptr<IElement> back(FromFactoryV8(file, record, false));
    auto* read = dynamic_cast<CTagSetDefinitionElement*>(back.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->DefinitionCount(), 5u);
    EXPECT_EQ(std::string(read->GetName()->CStr()), "door tags");
    EXPECT_EQ(WriteElement(*read), record);
    std::uint32_t index = 0;
    Strings values;
    while (TagDefinition* def = read->GetNextDefinition(&index))
        values.push_back(std::string(def->name->CStr()) + "/" + std::to_string(def->id) + "/" + std::to_string(def->value->Size()));
    EXPECT_EQ(values, (Strings{"name/1/5", "count/2/2", "big/9/4", "size/4/8", "blob/5/0"}));
    EXPECT_TRUE(read->RemoveDefinition(read->FindDefinition(2)));
    EXPECT_FALSE(read->RemoveDefinition(nullptr));
    EXPECT_EQ(read->DefinitionCount(), 4u);
    Lines::Reset();
    read->Describe(Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "TagSet Definition: door tags");
    EXPECT_TRUE(Lines::Has("id: 9, type: 3, Name: big, Prompt: Big?, Flags: 0x0001, Unk: 0x00\n  Default: 0x00011170"));

    // A packed length past the record reads only what the record holds.
    Bytes stated = record;
    stated[36 + 24] = 0xFF;
    stated[36 + 25] = 0xFF;
    CTagSetDefinitionElement cut(file);
    ASSERT_TRUE(ReadV8Into(cut, stated));
    EXPECT_GE(cut.DefinitionCount(), 5u);

    // The factory: the signature at 44 makes a tag set, else a DgnStore header.
    Bytes other = record;
    other[44] = 'x';
    std::unique_ptr<IElement> store(FromFactoryV8(file, other, false));
    EXPECT_EQ(dynamic_cast<CTagSetDefinitionElement*>(store.get()), nullptr);
    EXPECT_EQ(store->GetType(), 39);
}

TEST_F(ComplexElementTest, V7TagSetsAreBoundedByTheirRecord)
{
    Bytes value16;
    Put16(value16, 7);
    const Bytes defs = Cat(Cat(V7TagDefinition("a", 1, "A?", kTagString, Bytes{'h', 'i', 0}), V7TagDefinition("b", 2, "B?", kTagInt16, value16)),
                           Cat(Bytes{0}, V7TagDefinition("c", 3, "C?", kTagInt16, value16)));
    const Bytes record = V7TagSet(3, std::string("set\0second\0", 11), defs);
    std::unique_ptr<IElement> made(NewElementV7(file, record.data(), false));
    auto* set = dynamic_cast<CTagSetDefinitionElement*>(made.get());
    ASSERT_NE(set, nullptr);
    const std::uint8_t* cursor = record.data();
    ASSERT_TRUE(set->ReadV7(&cursor, static_cast<std::uint32_t>(record.size())));
    EXPECT_EQ(set->GetType(), 39);
    EXPECT_EQ(std::string(set->GetName()->CStr()), "set");
    EXPECT_EQ(std::string(set->GetSecondName()->CStr()), "second");
    EXPECT_EQ(set->GetBlock()[2], 0x0F81u);
    // The empty name ends the list.
    ASSERT_EQ(set->DefinitionCount(), 2u);
    EXPECT_EQ(set->FindDefinition(1)->value->Size(), 2u);
    EXPECT_EQ(set->FindDefinition(2)->value->Data()[0], 7);

    // A count past the definitions, and a name that runs to the end of the record.
    const Bytes open = V7TagSet(40, std::string("set\0", 4), Cat(V7TagDefinition("a", 1, "A?", kTagInt16, value16), Bytes{'l', 'o', 'n', 'g'}));
    CTagSetDefinitionElement bounded(file);
    cursor = open.data();
    ASSERT_TRUE(bounded.ReadV7(&cursor, static_cast<std::uint32_t>(open.size())));
    EXPECT_EQ(bounded.DefinitionCount(), 1u);
    const Bytes unterminated = V7TagSet(1, "setnam", {});
    ASSERT_NE(unterminated.back(), 0);
    CTagSetDefinitionElement named(file);
    cursor = unterminated.data();
    ASSERT_TRUE(named.ReadV7(&cursor, static_cast<std::uint32_t>(unterminated.size())));
    EXPECT_EQ(std::string(named.GetName()->CStr()), "setnam");
}

TEST_F(ComplexElementTest, AttributeTagValuesRecordsAndText)
{
    CTagSetDefinitionElement* set = CTagSetDefinitionElement::Create(file, 0);
    set->SetName("doors");
    set->AddDefinition("width", "Width?", kTagInt32, nullptr, 0, 4);
    auto* target = new CLineElement2d(file);
    target->GetGeometry()[0] = {50, 60};
    PlaceNewElement(target, file, 0);
    std::uint64_t setId = 0, targetId = 0;
    set->GetElementId(&setId);
    target->GetElementId(&targetId);
    ASSERT_NE(setId, 0u);

    CAttributeTagElement2d* tag = CAttributeTagElement2d::Create(file, 0);
    tag->SetTagId(4);
    tag->SetInt32Value(42);
    tag->SetTagSetAndTarget(setId, targetId);
    EXPECT_EQ(tag->GetTagFlags() & 3, 1);
    EXPECT_NE(tag->GetAttributes()->FindDependency(10007, 0), nullptr);
    EXPECT_NE(tag->GetAttributes()->FindDependency(10000, 1), nullptr);
    EXPECT_EQ(tag->ResolveTagSet(), set);
    EXPECT_EQ(tag->GetTarget(), target);
    const double offset[2] = {1, 2};
    EXPECT_TRUE(tag->SetOffset(offset));
    EXPECT_EQ(tag->GetOrigin()[0], 50.0);
    EXPECT_EQ(tag->GetTagFlags() & 3, 3);
    tag->Touch();
    EXPECT_EQ(tag->GetValueSize(), 4);
    EXPECT_EQ(tag->GetAttrOffsetWords(), (2u * 4 + 321) / 2);
    EXPECT_EQ(Draw(*tag), (Strings{"text 42  at 51,62"}));
    Lines::Reset();
    tag->Describe(Lines::Collect);
    EXPECT_TRUE(Lines::Has("set: doors, id: 4, width"));
    EXPECT_TRUE(Lines::Has("42 "));
    const Bytes record = WriteElement(*tag);
    CAttributeTagElement2d back(file);
    ASSERT_TRUE(ReadV8Into(back, record));
    EXPECT_EQ(back.GetInt32Value(), 42);
    EXPECT_EQ(WriteElement(back), record);

    // Binary: described by its size, not drawn; a tag without a buffer gets one.
    CAttributeTagElement3d blob(file);
    ASSERT_EQ(blob.GetBinaryValue(), nullptr);
    ASSERT_TRUE(blob.SetBinaryValue("\1\2\3", 3));
    ASSERT_NE(blob.GetBinaryValue(), nullptr);
    blob.Touch();
    EXPECT_EQ(blob.ValueText(), "3 bytes of binary data");
    EXPECT_TRUE(Draw(blob).empty());
    const Bytes blobRecord = WriteElement(blob);
    CAttributeTagElement3d blobBack(file);
    ASSERT_TRUE(ReadV8Into(blobBack, blobRecord));
    ASSERT_NE(blobBack.GetBinaryValue(), nullptr);
    EXPECT_EQ(blobBack.GetBinaryValue()->Size(), 3u);

    // Invisible: no geometry. A value longer than any fixed buffer is drawn whole.
    CAttributeTagElement2d text(file);
    const std::string longValue(600, 'w');
    text.SetStringValue(longValue.c_str());
    text.Touch();
    const Strings drawn = Draw(text);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0], "text " + longValue + " at 0,0");
    text.SetProperties(static_cast<std::uint16_t>(text.GetProperties() | 0x0080));
    EXPECT_TRUE(Draw(text).empty());

    // Cloning leaves the source's display byte alone.
    CAttributeTagElement2d hidden(file);
    ASSERT_TRUE(ReadV8Into(hidden, record));
    const Bytes v7 = [] {
        Bytes b(150 - 36, 0);
        b[42 - 36] = 1; // target from its key point, with no target: not displayed
        Put16(b, 0);
        Put16(b, 0);
        return V7Body(37, b);
    }();
    auto undisplayed = ReadV7As<CAttributeTagElement2d>(file, v7);
    EXPECT_FALSE(undisplayed->IsDisplayed());
    std::unique_ptr<IElement> copy(undisplayed->Clone(file, false));
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(undisplayed->IsDisplayed());
    EXPECT_FALSE(static_cast<CAttributeTagElement2d*>(copy.get())->IsDisplayed());

    // A record whose value size is too small for its type writes no more than its area.
    CAttributeTagElement2d plain(file);
    plain.SetInt32Value(7);
    plain.Touch();
    Bytes small = WriteElement(plain);
    small.resize(108 + 216 + 2);
    small[108 + 208] = 1;
    small[108 + 209] = 0;
    for (std::size_t at : {std::size_t(8), std::size_t(12)}) {
        small[at] = static_cast<std::uint8_t>((small.size() - 4) / 2);
        small[at + 1] = static_cast<std::uint8_t>((small.size() - 4) / 2 >> 8);
    }
    CAttributeTagElement2d cut(file);
    ASSERT_TRUE(ReadV8Into(cut, small));
    const Bytes cutWritten = WriteElement(cut);
    EXPECT_EQ(cutWritten.size(), 2u * cut.GetSizeWords() + 4);

    // A value size past the record reads what the record holds.
    Bytes stated = blobRecord;
    stated[108 + 208] = 0xFF;
    stated[108 + 209] = 0x7F;
    CAttributeTagElement3d bounded(file);
    ASSERT_TRUE(ReadV8Into(bounded, stated));
    ASSERT_NE(bounded.GetBinaryValue(), nullptr);
    EXPECT_LE(bounded.GetBinaryValue()->Size(), stated.size() - 108 - 216);
    EXPECT_EQ(bounded.GetBinaryValue()->Data()[2], 3);
    delete tag;
    delete target;
    delete set;
}

// A tag definition as a writer states it (type, ID, flags, prompt, name, default), packed on
// Touch and read back; a tag's placement set field by field survives its record.
TEST_F(ComplexElementTest, TagDefinitionsAndTagPlacementsAsAWriterSetsThem)
{
    CTagSetDefinitionElement set(file);
    set.SetName("block");
    TagDefinition* added = set.AddTagDefinition(kTagString, 3, 0, "Door?", "Tag2", "oak");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->id, 3);
    const std::int32_t big = 70000;
    ASSERT_NE(set.AddTagDefinition(kTagInt32, 9, 1, "", "Tag3", &big), nullptr);
    ASSERT_NE(set.AddTagDefinition(kTagString, 4, 0, "", "", nullptr), nullptr) << "no default";
    set.Touch();
    std::unique_ptr<IElement> back(FromFactoryV8(file, WriteElement(set), false));
    auto* read = dynamic_cast<CTagSetDefinitionElement*>(back.get());
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->DefinitionCount(), 3u);
    const TagDefinition* door = read->FindDefinition(3);
    ASSERT_NE(door, nullptr);
    EXPECT_EQ(std::string(door->name->CStr()), "Tag2");
    EXPECT_EQ(std::string(door->prompt->CStr()), "Door?");
    EXPECT_EQ(door->type, kTagString);
    EXPECT_EQ(door->flags, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(door->value->Data()), door->value->Size()), "oak");
    ASSERT_NE(read->FindDefinition(9), nullptr);
    EXPECT_EQ(read->FindDefinition(9)->flags, 1);
    EXPECT_EQ(read->FindDefinition(9)->type, kTagInt32);
    EXPECT_EQ(read->FindDefinition(4)->value->Size(), 0u);

    CAttributeTagElement2d tag(file);
    const double origin[2] = {12.5, -3};
    tag.SetOrigin(origin);
    tag.SetTextFactors(455, 833.25);
    tag.SetFont(3);
    tag.SetJustification(7);
    tag.SetRotation2d(0.5);
    tag.SetTagFlags(0x02);
    tag.SetStringValue("v");
    tag.Touch();
    CAttributeTagElement2d again(file);
    ASSERT_TRUE(ReadV8Into(again, WriteElement(tag)));
    EXPECT_EQ(again.GetOrigin()[0], 12.5);
    EXPECT_EQ(again.GetOrigin()[1], -3.0);
    EXPECT_EQ(again.WidthFactor(), 455.0);
    EXPECT_EQ(again.HeightFactor(), 833.25);
    EXPECT_EQ(again.GetFont(), 3u);
    EXPECT_EQ(again.GetJustification(), 7);
    EXPECT_EQ(again.GetRotation2d(), 0.5);
    EXPECT_EQ(again.GetTagFlags(), 0x02);
    EXPECT_EQ(Draw(again), (Strings{"text v at 12.5,-3"}));
}

TEST_F(ComplexElementTest, ComplexSurfaceAndSolidHeaders)
{
    // A V7 solid header spanning three line records: count word, second word, kind byte, three
    // parameters at odd offsets.
    const Bytes line = V7Body(3, V7Ints({0, 0, 0, 5, 5, 5}));
    Bytes body;
    Put16(body, static_cast<std::uint16_t>(3 * line.size() / 2 + 5));
    Put16(body, 0x0102);
    body.push_back(7);
    for (std::uint16_t p : {0x1111, 0x2222, 0x3333})
        Put16(body, p);
    body.push_back(0);
    const Bytes record = Cat(Cat(Cat(V7Body(19, body), line), line), line);
    std::unique_ptr<IElement> made(NewElementV7(file, record.data(), false));
    ASSERT_NE(dynamic_cast<CComplexSolidHeaderElement*>(made.get()), nullptr);
    auto solid = ReadV7As<CComplexSolidHeaderElement>(file, record);
    EXPECT_EQ(solid->ChildCount(), 3);
    EXPECT_EQ(solid->GetSolidKind(), 7);
    EXPECT_EQ(solid->GetParameters()[2], 0x3333);
    Lines::Reset();
    solid->Describe(Lines::Collect);
    EXPECT_EQ(Lines::Get(), (Strings{"Complex Solid Header - Nr elements: 3"}));
    EXPECT_EQ(Lines::Ends(), 1);
    // The kind byte becomes the 16-bit word at body offset 8.
    solid->Touch();
    EXPECT_EQ(solid->GetAttrOffsetWords(), 60u);
    const Bytes v8 = WriteElement(*solid);
    ASSERT_EQ(v8.size(), 2u * solid->GetSizeWords() + 4);
    EXPECT_EQ(Get32(v8, 108), 3u);
    EXPECT_EQ(Get32(v8, 112), 0x0102u);
    EXPECT_EQ(Get32(v8, 116), 7u | (0x1111u << 16));
    CComplexSolidHeaderElement back(file);
    ASSERT_TRUE(ReadV8Into(back, v8));
    EXPECT_EQ(WriteElement(back), v8);

    // A transform moves the components; the header's fields stay.
    CComplexSurfaceHeaderElement surface(file);
    ASSERT_TRUE(ReadV8Into(surface, v8));
    surface.SetChildCount(0);
    surface.AddChild(Line3d(file, 1.0));
    const double shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 0, 0, 1};
    ASSERT_TRUE(surface.Transform(shift));
    EXPECT_EQ(Draw(surface), (Strings{"line 6,0,0 6,1,0"}));
    EXPECT_EQ(surface.GetSolidKind(), 7);
    EXPECT_EQ(*surface.GetBodyData(), 0x0102u);
}

namespace {

// Counts the ellipses and keeps the lines.
class ConeSink : public GeometryRecordingSink {
public:
    ConeSink() : GeometryRecordingSink(0) {}
    std::vector<Ellipse3d> ellipses;
    void AddEllipse3d(const Ellipse3d& e) override { ellipses.push_back(e); }
};

} // namespace

TEST_F(ComplexElementTest, ConesAndConics)
{
    // V7: the first word, the orientation, eight VAX doubles (1.0 and 0.0 here).
    Bytes body;
    Put16(body, 0x1234);
    body = Cat(body, V7Ints({0x7FFFFFFF, 0, 0, 0}));
    const Bytes one = {0x80, 0x40, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i)
        body = Cat(body, i == 3 || i == 7 ? one : Bytes(8, 0));
    const Bytes record = V7Body(23, body);
    std::unique_ptr<IElement> made(NewElementV7(file, record.data(), false));
    ASSERT_NE(dynamic_cast<CConeElement*>(made.get()), nullptr);
    auto cone = ReadV7As<CConeElement>(file, record);
    EXPECT_EQ(cone->radius1, 1.0);
    EXPECT_NEAR(cone->quaternion[0], 1.0, 1e-9);
    const Bytes v8 = WriteElement(*cone);
    ASSERT_EQ(v8.size(), 2u * cone->GetSizeWords() + 4);
    EXPECT_EQ(Get32(v8, 108), 0x1234u);
    EXPECT_EQ(Get32(v8, 112), 0u);
    CConeElement back(file);
    ASSERT_TRUE(ReadV8Into(back, v8));
    EXPECT_EQ(WriteElement(back), v8);

    // Two end circles, then the silhouette lines across the axis.
    CConeElement drawn(file);
    drawn.center2 = {10, 0, 0};
    drawn.radius1 = 2;
    drawn.radius2 = 1;
    ConeSink sink;
    drawn.EmitGeometry(nullptr, &sink);
    ASSERT_EQ(sink.ellipses.size(), 2u);
    EXPECT_EQ(sink.ellipses[0].primary, 2.0);
    EXPECT_EQ(sink.ellipses[1].cx, 10.0);
    ASSERT_EQ(sink.lines3d.size(), 2u);
    const double expected[2][4] = {{0, -2, 10, -1}, {0, 2, 10, 1}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(sink.lines3d[i][0].x, expected[i][0], 1e-6);
        EXPECT_NEAR(sink.lines3d[i][0].y, expected[i][1], 1e-6);
        EXPECT_NEAR(sink.lines3d[i][1].x, expected[i][2], 1e-6);
        EXPECT_NEAR(sink.lines3d[i][1].y, expected[i][3], 1e-6);
    }
    const double shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 4, 1};
    ASSERT_TRUE(drawn.Transform(shift));
    EXPECT_EQ(drawn.center2.z, 4.0);
    EXPECT_EQ(drawn.radius2, 1.0);
    Lines::Reset();
    drawn.Describe(Lines::Collect);
    EXPECT_EQ(Lines::Get().front(), "3d Cone");
    EXPECT_TRUE(Lines::Has("rotation: 1, 0, 0, 0"));

    // The conic keeps the bytes after its element header as they are.
    const Bytes conic = V8Record(13, 0x1000, 4, 99, Counting(90, 5), StringLinkage(3, "c"));
    std::unique_ptr<IElement> read(FromFactoryV8(file, conic, true));
    auto* c = dynamic_cast<CConicElement*>(read.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetPoints()->Size(), 90u);
    EXPECT_EQ(WriteElement(*c), conic);
    c->Touch();
    EXPECT_EQ(WriteElement(*c).size(), conic.size());
    EXPECT_TRUE(Draw(*c).empty());
    Lines::Reset();
    c->Describe(Lines::Collect);
    EXPECT_EQ(Lines::Get(), (Strings{"Conic"}));
}

namespace {

std::string Master(double v)
{
    char s[64];
    std::snprintf(s, sizeof s, "%.9g", std::fabs(v) < 1e-12 ? 0.0 : v);
    return s;
}

// Each top-level complex chain or shape of a file, one line each: "chain" or "shape", the
// number of its line string components, then each component's vertices in master units after
// a "|".
Strings ComplexListing(CDesignFile* f)
{
    Strings out;
    CEntityIterator* it = f->CreateChildIterator(nullptr);
    it->GraphicOnly();
    while (IEntity* e = it->Next()) {
        auto* header = dynamic_cast<CComplexElement*>(e);
        if (!header || dynamic_cast<CComplexSurfaceSolidElement*>(e))
            continue;
        std::string line = header->GetType() == 14 ? "shape" : "chain";
        std::string points;
        int strings = 0;
        CEntityIterator* children = header->CreateChildIterator(nullptr);
        while (IEntity* c = children->Next()) {
            auto* component = dynamic_cast<TVertexElement2d*>(c);
            if (!component || component->GetType() != 4)
                continue;
            ++strings;
            points += " |";
            for (std::uint32_t i = 0; i < component->VertexCount(); ++i) {
                Point2d p = component->GetPoints()->Data()[i];
                component->ToMasterUnits2d(p);
                points += " " + Master(p.x) + " " + Master(p.y);
            }
        }
        delete children;
        out.push_back(line + " " + std::to_string(strings) + points);
    }
    delete it;
    return out;
}

} // namespace

// The line string and polygon of 150 vertices that gdal-bin's ogr2ogr writes as a complex chain
// and a complex shape: listed before and after a V8 save for check_design_files.py, which
// compares their vertices with what `ogrinfo` reads.
TEST_F(ComplexElementTest, Ogr2ogrLongLinesAreComplexChainsAndShapes)
{
    const auto dir = cftest::FromEnv("YVEX_BINARY_DIR", "tests/plugins/dgn/lib/dgn_out");
    std::filesystem::create_directories(dir);
    std::unique_ptr<CDesignFile> f(OpenDesignFileW(cftest::Wide(cftest::Fixture("design_files/ogr_long_2d.dgn")).c_str()));
    ASSERT_NE(f, nullptr);
    const Strings read = ComplexListing(f.get());
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].rfind("chain 5 | 0 0 0.5 0.25 ", 0), 0u) << read[0].substr(0, 60);
    EXPECT_EQ(read[1].rfind("shape 5 | 15 10 ", 0), 0u) << read[1].substr(0, 60);
    const auto saved = dir / "ogr_long_2d_saved.dgn";
    ASSERT_EQ(f->SaveAs(cftest::Wide(saved).c_str(), 1), 1);
    std::unique_ptr<CDesignFile> again(OpenDesignFileW(cftest::Wide(saved).c_str()));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(ComplexListing(again.get()), read);
    for (const auto& [name, lines] : {std::make_pair(std::string("ogr_long_2d.elements.txt"), read),
                                      std::make_pair(std::string("ogr_long_2d_saved.elements.txt"), ComplexListing(again.get()))}) {
        std::ofstream out(dir / name);
        for (const std::string& l : lines)
            out << l << '\n';
    }
}

// The element stream fuzz seed of shared cells, complexes and tags loads as those classes, its
// components below their headers.
TEST_F(ComplexElementTest, StreamSeedHoldsCellsComplexesAndTags)
{
    std::ifstream in(cftest::Fixture("element_streams/cells_tags_complexes"), std::ios::binary);
    ASSERT_TRUE(in);
    const Bytes raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    uLongf packed = compressBound(static_cast<uLong>(raw.size()));
    Bytes zipped(packed);
    ASSERT_EQ(compress2(zipped.data(), &packed, raw.data(), static_cast<uLong>(raw.size()), 1), Z_OK);
    std::unique_ptr<CDesignFile> f(CreateDesignFile(nullptr));
    ASSERT_NE(f, nullptr);
    f->InflateSeedElements(zipped.data(), static_cast<std::uint32_t>(packed), true, -1);
    Strings top;
    ISymRef* placed = nullptr;
    CAttributeTagElement3d* tag = nullptr;
    CEntityIterator* it = f->CreateChildIterator(nullptr);
    while (IEntity* e = it->Next()) {
        auto* element = dynamic_cast<IElement*>(e);
        if (!element || element->GetType() == 9 || element->GetType() >= 66)
            continue;
        top.push_back(std::to_string(element->GetType()) + "/" + std::to_string(element->ChildCount()));
        if (!placed)
            placed = dynamic_cast<ISymRef*>(e);
        if (!tag)
            tag = dynamic_cast<CAttributeTagElement3d*>(e);
    }
    delete it;
    EXPECT_EQ(top, (Strings{"34/2", "35/0", "12/2", "14/1", "39/0", "37/0", "7/0", "19/0", "23/0"}));
    ASSERT_NE(placed, nullptr);
    // The definition holds an instance of itself: its line is drawn once, placed at the origin.
    OpLog log;
    placed->EmitGeometry(nullptr, &log);
    EXPECT_EQ(log.ops, (Strings{"line 0,0,0 1,1,0"}));
    const double* range = placed->ComputeInstanceRange();
    ASSERT_NE(range, nullptr);
    EXPECT_EQ(range[0], 100.0);
    EXPECT_EQ(range[3], 101.0);
    ASSERT_NE(tag, nullptr);
    ASSERT_NE(tag->ResolveTagSet(), nullptr);
    EXPECT_EQ(tag->ResolveTagSet()->DefinitionCount(), 5u);
    EXPECT_EQ(tag->ValueText(), "42 ");
}

// The placement by rows: x's image (t0, t1), y's image (t4, t5), the origin in the last row.
TEST_F(ComplexElementTest, SharedCellTransformByRows)
{
    ISymRef instance(file);
    const double turn[16] = {0, 2, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 7, 8, 9, 1};
    ASSERT_TRUE(instance.Transform(turn));
    double t[16] = {};
    instance.GetTransform(t);
    EXPECT_EQ(t[0], 0.0);
    EXPECT_EQ(t[1], 2.0);
    EXPECT_EQ(t[4], -1.0);
    EXPECT_EQ(t[5], 0.0);
    EXPECT_EQ(t[12], 7.0);
    EXPECT_EQ(t[14], 9.0);
    double origin[3] = {};
    instance.GetOrigin(origin);
    EXPECT_EQ(origin[1], 8.0);
    // A line string's and an arc's geometry under the converter's names.
    CLineStringElement2d line(file);
    EXPECT_EQ(line.GetPointArray(), line.GetPoints());
    CArcElement2d arc(file);
    arc.GetGeometry()->sweep = 1.5;
    EXPECT_EQ(arc.GetBody().sweep, 1.5);
}
