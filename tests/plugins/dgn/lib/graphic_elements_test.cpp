// The drawn element classes and the element factory: lines, line strings, shapes, ellipses,
// arcs, texts, cell headers, the 2-D linear classes and the text node; their records, sizes,
// geometry, associations and descriptions, and the records that state more than they hold.
#include "ElementFactory.h"
#include "EntityIterator.h"
#include "ElementLinkages.h"
#include "ValueEncodings.h"
#include "elements/CellHeaderElement.h"
#include "elements/EllipseElements.h"
#include "elements/GroupDataElement.h"
#include "elements/LinearElements.h"
#include "elements/ReferenceAttachment.h"
#include "elements/TableHeaderElement.h"
#include "elements/TagElements.h"
#include "elements/TextElement.h"
#include "elements/TextNodeElement2d.h"
#include "elements/UnknownElement.h"
#include "linkages/TextStyleLinkage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <typeinfo>
#include <functional>
#include <memory>
#include <sstream>

#include "design_file_support.h"
#include "element_records.h"
#include "element_test_support.h"

using namespace dgn;
using namespace dgn_test;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Records the geometry an element emits, one line a call.
class GeometryLog : public RecordingSink {
public:
    GeometryLog() : RecordingSink(0) {}
    std::vector<std::string> ops;

    void BeginFill(const CFillInfo*) override { ops.push_back("begin fill"); }
    void EndFill(const CFillInfo*) override { ops.push_back("end fill"); }
    void AddPoint2d(const Point2d& p) override { ops.push_back("point " + Xy(p)); }
    void AddLine2d(const Point2d l[2]) override { ops.push_back("line " + Xy(l[0]) + " " + Xy(l[1])); }
    void AddPoints2d(std::uint32_t n, const Point2d* p) override { ops.push_back("polyline " + List(n, p)); }
    void AddPolygon2d(std::uint32_t n, const Point2d* p) override { ops.push_back("polygon " + List(n, p)); }
    void AddEllipse2d(const Ellipse2d& e) override { ops.push_back("ellipse " + Num(e.primary) + " " + Num(e.secondary)); }
    void AddArc2d(const Arc2d& a) override { ops.push_back("arc " + Num(a.sweep)); }
    void AddText2d(const TextParams2d* p, const std::uint8_t* t, std::int32_t) override
    {
        ops.push_back("text " + std::string(reinterpret_cast<const char*>(t), p->textBytes));
    }
    void AddLine3d(const Point3d l[2]) override { ops.push_back("line " + Xyz(l[0]) + " " + Xyz(l[1])); }
    void AddPoints3d(std::uint32_t n, const Point3d* p) override { ops.push_back("polyline " + List(n, p)); }
    void AddPolygon3d(std::uint32_t n, const Point3d* p) override { ops.push_back("polygon " + List(n, p)); }
    void AddEllipse3d(const Ellipse3d& e) override { ops.push_back("ellipse " + Num(e.primary) + " " + Num(e.secondary)); }
    void AddArc3d(const Arc3d& a) override { ops.push_back("arc " + Num(a.sweep)); }
    void AddText3d(const TextParams3d* p, const std::uint8_t* t, std::int32_t) override
    {
        ops.push_back("text " + std::string(reinterpret_cast<const char*>(t), p->textBytes));
    }

    static std::string Num(double v)
    {
        std::ostringstream s;
        s << v;
        return s.str();
    }
    static std::string Xy(const Point2d& p) { return Num(p.x) + "," + Num(p.y); }
    static std::string Xyz(const Point3d& p) { return Num(p.x) + "," + Num(p.y) + "," + Num(p.z); }
    template <class P>
    static std::string List(std::uint32_t n, const P* p)
    {
        std::string s = std::to_string(n);
        for (std::uint32_t i = 0; i < n; ++i)
            s += " " + Pt(p[i]);
        return s;
    }
    static std::string Pt(const Point2d& p) { return Xy(p); }
    static std::string Pt(const Point3d& p) { return Xyz(p); }
};

std::vector<std::string> Draw(IElement& e)
{
    GeometryLog log;
    e.EmitGeometry(nullptr, &log);
    return log.ops;
}

using Strings = std::vector<std::string>;

template <class T>
std::unique_ptr<T> ReadV8As(CDesignFile* file, const Bytes& record)
{
    auto e = std::make_unique<T>(file);
    EXPECT_TRUE(ReadV8Into(*e, record));
    return e;
}

template <class T>
std::unique_ptr<T> ReadV7As(CDesignFile* file, const Bytes& record)
{
    auto e = std::make_unique<T>(file);
    const std::uint8_t* cursor = record.data();
    EXPECT_TRUE(e->ReadV7(&cursor, static_cast<std::uint32_t>(record.size())));
    return e;
}

Bytes Association(std::uint8_t kind, std::uint16_t segment, std::uint16_t numerator, std::uint16_t divisor, std::uint64_t other = 0,
                  double angle = 0.0)
{
    Bytes b(32, 0);
    b[0] = kind;
    b[2] = static_cast<std::uint8_t>(segment);
    b[3] = static_cast<std::uint8_t>(segment >> 8);
    b[4] = static_cast<std::uint8_t>(numerator);
    b[5] = static_cast<std::uint8_t>(numerator >> 8);
    b[6] = static_cast<std::uint8_t>(divisor);
    b[7] = static_cast<std::uint8_t>(divisor >> 8);
    for (int i = 0; i < 8; ++i)
        b[16 + i] = static_cast<std::uint8_t>(other >> (8 * i));
    std::memcpy(&b[24], &angle, 8);
    return b;
}

void ExpectPoint(const Point3d& p, double x, double y, double z, const std::string& what)
{
    EXPECT_NEAR(p.x, x, 1e-9) << what;
    EXPECT_NEAR(p.y, y, 1e-9) << what;
    EXPECT_NEAR(p.z, z, 1e-9) << what;
}

class GraphicElementTest : public DesignFileTest {};

} // namespace

TEST_F(GraphicElementTest, FactoryPicksTheClassByTypeDimensionAndFile)
{
    struct Case {
        const char* what;
        Bytes record;
        bool fileIs3d;
        std::function<bool(IElement*)> is;
    };
    const Bytes text = TextBody2d("abc", 10.0, 10.0, 3, 0, {});
    Bytes text3d;
    Put32(text3d, 1);
    Put16(text3d, 2);
    Put16(text3d, 0);
    text3d = Cat(text3d, Doubles({1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
    Put16(text3d, 0);
    const Case cases[] = {
        {"3-D text", GraphicRecord(17, 0x0800, text3d), false, [](IElement* e) { return dynamic_cast<CTextElement3d*>(e) != nullptr; }},
        {"2-D text", GraphicRecord(17, 0, text), true, [](IElement* e) { return dynamic_cast<CTextElement2d*>(e) != nullptr; }},
        {"group data in a 2-D file", GroupDataRecord(1, Counting(20)), false,
         [](IElement* e) { return dynamic_cast<CGroupDataElement*>(e) != nullptr; }},
        {"group data in a 3-D file", GroupDataRecord(1, Counting(20)), true,
         [](IElement* e) { return dynamic_cast<CGroupDataElement*>(e) != nullptr; }},
        {"2-D cone stays unknown", GraphicRecord(23, 0, Counting(40)), true,
         [](IElement* e) { return dynamic_cast<CUnknownElement*>(e) != nullptr; }},
        {"table header of table 5", RawTableHeaderRecord(5, 1, 30), false,
         [](IElement* e) { return dynamic_cast<CTableHeaderElement*>(e) != nullptr && e->GetType() == 96; }},
        {"3-D line", GraphicRecord(3, 0x0800, Doubles({1, 2, 3, 4, 5, 6})), false,
         [](IElement* e) { return dynamic_cast<CLineElement3d*>(e) != nullptr; }},
        {"2-D line", GraphicRecord(3, 0, Doubles({1, 2, 3, 4})), true, [](IElement* e) { return dynamic_cast<CLineElement2d*>(e) != nullptr; }},
        {"2-D curve", GraphicRecord(11, 0, Cat(Bytes(8, 0), Bytes())), false,
         [](IElement* e) { return dynamic_cast<CCurveElement2d*>(e) != nullptr; }},
        {"2-D text node", GraphicRecord(7, 0, Bytes(64, 0)), false, [](IElement* e) { return dynamic_cast<CTextNodeElement2d*>(e) != nullptr; }},
    };
    for (const Case& c : cases) {
        IElement* out = nullptr;
        const std::uint32_t before = file->GetLoadedCount();
        ASSERT_TRUE(file->CreateElementV8(c.record.data(), static_cast<std::uint32_t>(c.record.size()), c.fileIs3d, &out)) << c.what;
        EXPECT_TRUE(c.is(out)) << c.what;
        EXPECT_EQ(file->GetLoadedCount(), before + 1) << c.what;
    }

    // A deleted record makes nothing and is not counted.
    const Bytes deleted = GraphicRecord(3, 0x0800, Doubles({1, 2, 3, 4, 5, 6}), {}, 0x9000);
    IElement* untouched = reinterpret_cast<IElement*>(this);
    const std::uint32_t before = file->GetLoadedCount();
    EXPECT_TRUE(file->CreateElementV8(deleted.data(), static_cast<std::uint32_t>(deleted.size()), true, &untouched));
    EXPECT_EQ(untouched, reinterpret_cast<IElement*>(this));
    EXPECT_EQ(file->GetLoadedCount(), before);

    // V7: text nodes are kept raw, level 9 group data attaches a reference, 3-D-only types take
    // their class in a 2-D file.
    struct V7Case {
        std::uint8_t type, level;
        bool threeD;
        std::function<bool(IElement*)> is;
    };
    const V7Case v7[] = {
        {7, 1, false, [](IElement* e) { return dynamic_cast<CUnknownElement*>(e) != nullptr; }},
        {5, 9, false, [](IElement* e) { return dynamic_cast<CReferenceAttachment*>(e) != nullptr; }},
        {5, 3, false, [](IElement* e) { return dynamic_cast<CGroupDataElement*>(e) != nullptr; }},
        {6, 1, true, [](IElement* e) { return dynamic_cast<CShapeElement3d*>(e) != nullptr; }},
        {6, 1, false, [](IElement* e) { return dynamic_cast<CShapeElement2d*>(e) != nullptr; }},
        {2, 1, false, [](IElement* e) { return dynamic_cast<CCellHeaderElement2d*>(e) != nullptr; }},
        {17, 1, true, [](IElement* e) { return dynamic_cast<CTextElement3d*>(e) != nullptr; }},
        {38, 1, true, [](IElement* e) { return dynamic_cast<CUnknownElement*>(e) != nullptr; }},
    };
    for (const V7Case& c : v7) {
        const std::uint8_t header[4] = {c.level, c.type, 0, 0};
        std::unique_ptr<IElement> e(NewElementV7(file, header, c.threeD));
        EXPECT_TRUE(c.is(e.get())) << "V7 type " << int(c.type) << " level " << int(c.level);
    }
}

TEST_F(GraphicElementTest, LinesAndShapesSizeTheirRecords)
{
    CLineElement3d line(file);
    line.GetGeometry()[1] = {10, 20, 30};
    line.Touch();
    EXPECT_EQ(line.GetAttrOffsetWords(), 76u);
    EXPECT_EQ(line.GetSizeWords(), 76u);
    EXPECT_EQ(WriteElement(line).size(), 156u);

    CShapeElement3d shape3d(file);
    CShapeElement2d shape2d(file);
    ASSERT_TRUE(shape3d.GetPoints()->Resize(5));
    ASSERT_TRUE(shape2d.GetPoints()->Resize(5));
    shape3d.Touch();
    shape2d.Touch();
    EXPECT_EQ(shape3d.GetAttrOffsetWords(), 116u);
    EXPECT_EQ(shape2d.GetAttrOffsetWords(), 96u);
}

TEST_F(GraphicElementTest, VertexCountsAreBoundedByTheRecord)
{
    // V7 3-D shape: a count of 4 takes 4 vertices of 12 bytes; a count of 60000 with room for
    // 4 takes those 4.
    for (std::uint16_t stated : {std::uint16_t(4), std::uint16_t(60000)}) {
        Bytes body;
        Put16(body, stated);
        body = Cat(body, V7Ints({0, 0, 0, 10, 0, 1, 10, 10, 2, 0, 10, 3}));
        auto shape = ReadV7As<CShapeElement3d>(file, V7Body(6, body));
        ASSERT_EQ(shape->VertexCount(), 4u) << stated;
        ExpectPoint(shape->GetPoints()->Data()[3], 0, 10, 3, "last vertex");
        const Strings ops = Draw(*shape);
        ASSERT_FALSE(ops.empty());
        EXPECT_EQ(ops.back(), "polygon 4 0,0,0 10,0,1 10,10,2 0,10,3");
    }
    // V8: a count past the attribute offset reads the vertices there; a negative count none.
    for (std::int32_t stated : {2, 1000000, -5}) {
        Bytes body;
        Put32(body, static_cast<std::uint32_t>(stated));
        Put32(body, 0xA5A5);
        body = Cat(body, Doubles({1, 2, 3, 4, 5, 6}));
        auto string3d = ReadV8As<CLineStringElement3d>(file, GraphicRecord(4, 0x0800, body));
        EXPECT_EQ(string3d->VertexCount(), stated < 0 ? 0u : 2u) << stated;
        EXPECT_EQ(string3d->GetExtraWord(), 0xA5A5u);
    }
    // A record too short for the count word is refused.
    CLineStringElement3d refused(file);
    EXPECT_FALSE(ReadV8Into(refused, GraphicRecord(4, 0x0800, Bytes(2, 0))));
    const Bytes v7Short = V7Body(4, Bytes{});
    CLineStringElement3d refusedV7(file);
    const std::uint8_t* cursor = v7Short.data();
    EXPECT_FALSE(refusedV7.ReadV7(&cursor, static_cast<std::uint32_t>(v7Short.size())));
    EXPECT_EQ(cursor, v7Short.data());
}

TEST_F(GraphicElementTest, LineAndVertexAssociations)
{
    CLineStringElement3d path(file);
    ASSERT_TRUE(path.GetPoints()->Resize(3));
    path.GetPoints()->Data()[1] = {10, 0, 4};
    path.GetPoints()->Data()[2] = {10, 10, 4};
    Point3d out{};
    ASSERT_TRUE(path.EvaluateAssociation(Association(1, 1, 1, 2).data(), &out));
    ExpectPoint(out, 10, 5, 4, "midpoint of segment 1");
    EXPECT_FALSE(path.EvaluateAssociation(Association(1, 2, 1, 2).data(), &out)) << "segment n - 1";
    EXPECT_FALSE(path.EvaluateAssociation(Association(1, 0, 1, 0).data(), &out)) << "divisor 0";
    EXPECT_FALSE(path.EvaluateAssociation(Association(2, 0, 1, 2).data(), &out)) << "kind 2";
    ASSERT_TRUE(path.GetKeyPoint(0, &out, 0));
    ExpectPoint(out, 0, 0, 0, "key point");

    // Lines: kind 1 along the line, kind 8 with a partner line.
    auto* a = new CLineElement2d(file);
    auto* parallel = new CLineElement2d(file);
    auto* crossing = new CLineElement2d(file);
    a->GetGeometry()[1] = {10, 0};
    parallel->GetGeometry()[0] = {0, 5};
    parallel->GetGeometry()[1] = {10, 5};
    crossing->GetGeometry()[0] = {4, -5};
    crossing->GetGeometry()[1] = {4, 5};
    parallel->SetElementId(701);
    parallel->IndexElementId();
    crossing->SetElementId(702);
    crossing->IndexElementId();
    ASSERT_TRUE(a->EvaluateAssociation(Association(1, 9, 1, 2).data(), &out));
    ExpectPoint(out, 5, 0, 0, "2-D line midpoint");
    EXPECT_FALSE(a->EvaluateAssociation(Association(8, 0, 0, 0, 701).data(), &out)) << "parallel";
    ASSERT_TRUE(a->EvaluateAssociation(Association(8, 0, 0, 0, 702).data(), &out));
    ExpectPoint(out, 4, 0, 0, "crossing");
    EXPECT_FALSE(a->EvaluateAssociation(Association(8, 0, 0, 0, 999).data(), &out)) << "missing partner";
}

TEST_F(GraphicElementTest, EllipsesAndArcs)
{
    // An ellipse with a zero axis draws nothing but keeps its fill bracket.
    auto flat = ReadV8As<CEllipseElement2d>(file, GraphicRecord(15, 0, Doubles({0, 10, 0, 5, 5}), SolidFillLinkage(3)));
    EXPECT_EQ(Draw(*flat), (Strings{"begin fill", "end fill"}));
    auto round = ReadV8As<CEllipseElement2d>(file, GraphicRecord(15, 0, Doubles({10, 10, 0, 5, 5})));
    EXPECT_EQ(Draw(*round), (Strings{"ellipse 10 10"}));

    CArcElement3d arc(file);
    arc.Touch();
    EXPECT_EQ(arc.GetAttrOffsetWords(), 96u);
    EXPECT_EQ(WriteElement(arc).size(), 108u + 88u);

    // Selector 3 on an arc is the end of its sweep (from angle 0).
    Arc3d& body = arc.GetBody();
    body.sweep = kPi / 2;
    body.primary = 2;
    body.secondary = 1;
    body.q[0] = 1;
    Point3d out{};
    ASSERT_TRUE(arc.EvaluateAssociation(Association(3, 3, 0, 0).data(), &out));
    ExpectPoint(out, 0, 1, 0, "3-D arc selector 3");
    EXPECT_FALSE(arc.EvaluateAssociation(Association(1, 3, 0, 0).data(), &out));
    // The 2-D classes turn the point by their rotation.
    CEllipseElement2d turned(file);
    turned.GetBody() = {2, 1, kPi / 2, 100, 0};
    ASSERT_TRUE(turned.EvaluateAssociation(Association(3, 2, 0, 0).data(), &out));
    ExpectPoint(out, 100, 2, 0, "2-D ellipse selector 2, turned a quarter");
    ASSERT_TRUE(turned.EvaluateAssociation(Association(3, 1, 0, 0).data(), &out));
    ExpectPoint(out, 100, 0, 0, "centre");

    // A V7 2-D arc's rotation is a two's complement angle: -90 degrees.
    Bytes v7 = Bytes(8, 0);                             // start and sweep: 0
    v7 = Cat(v7, Bytes(16, 0));                         // axes (VAX zeros)
    v7 = Cat(v7, V7Ints({-90 * 360000}));               // rotation
    v7 = Cat(v7, Bytes(16, 0));                         // centre
    auto v7arc = ReadV7As<CArcElement2d>(file, V7Body(16, v7));
    EXPECT_NEAR(v7arc->GetBody().rotation, -kPi / 2, 1e-9);
}

// The names the exporter writes through: the shape's point array (the byte buffer), the field
// blocks of ellipses, arcs and texts, and the strings of texts and tags, written and read back.
TEST_F(GraphicElementTest, ConverterNamesWriteTheFields)
{
    CShapeElement2d* shape = CShapeElement2d::Create(file, 0);
    ASSERT_NE(shape, nullptr);
    CByteBuffer* points = shape->GetPointArray();
    ASSERT_EQ(points, shape->GetPoints());
    ASSERT_TRUE(points->Resize(3));
    points->SetAt(0, 0, 0);
    points->SetAt(1, 4, 0);
    points->SetAt(2, 4, 3);
    double shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 0, 1};
    points->TransformAll(shift);
    shape->Touch();
    auto shapeBack = ReadV8As<CShapeElement2d>(file, WriteElement(*shape));
    ASSERT_EQ(shapeBack->VertexCount(), 3u);
    EXPECT_EQ(shapeBack->GetPoints()->At(2)->x, 14.0);
    EXPECT_EQ(shapeBack->GetPoints()->At(2)->y, 23.0);

    CArcElement2d* arc = CArcElement2d::Create(file, 0);
    ASSERT_NE(arc, nullptr);
    *arc->GetGeometry() = {0.5, 1.5, 3, 2, 0.25, 7, 8};
    arc->Touch();
    auto arcBack = ReadV8As<CArcElement2d>(file, WriteElement(*arc));
    EXPECT_EQ(arcBack->GetGeometry()->sweep, 1.5);
    EXPECT_EQ(arcBack->GetGeometry()->cy, 8.0);
    CEllipseElement2d* ellipse = CEllipseElement2d::Create(file, 0);
    ASSERT_NE(ellipse, nullptr);
    *ellipse->GetGeometry() = {3, 2, 0.25, 7, 8};
    ellipse->Touch();
    auto ellipseBack = ReadV8As<CEllipseElement2d>(file, WriteElement(*ellipse));
    EXPECT_EQ(ellipseBack->GetGeometry()->secondary, 2.0);

    CTextElement2d* text = CTextElement2d::Create(file, 0);
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(text->SetText("Door"));
    text->GetGeometry()->origin = {5, 6};
    text->Touch();
    auto textBack = ReadV8As<CTextElement2d>(file, WriteElement(*text));
    EXPECT_STREQ(textBack->GetStringObject()->CStr(), "Door");
    EXPECT_EQ(textBack->GetGeometry()->origin.x, 5.0);

    CAttributeTagElement2d* tag = CAttributeTagElement2d::Create(file, 0);
    ASSERT_NE(tag, nullptr);
    tag->SetStringValue("Oak");
    tag->Touch();
    auto tagBack = ReadV8As<CAttributeTagElement2d>(file, WriteElement(*tag));
    ASSERT_NE(tagBack->GetStringObject(), nullptr);
    EXPECT_STREQ(tagBack->GetStringObject()->CStr(), "Oak");
}

TEST_F(GraphicElementTest, TextSizesAndGeometry)
{
    // Height or length 0: both from the multipliers (1000, 2000 x 0.006, n = 3).
    for (const auto& hl : {std::make_pair(0.0, 7.0), std::make_pair(7.0, 0.0)}) {
        auto t = ReadV8As<CTextElement2d>(file, GraphicRecord(17, 0, TextBody2d("abc", hl.first, hl.second, 3, 0, {})));
        EXPECT_DOUBLE_EQ(t->GetTextParams()->height, 2000.0 * 0.006);
        EXPECT_DOUBLE_EQ(t->GetTextParams()->length, 3 * 1000.0 * 0.006);
    }
    // Positive sizes stand unless a text style asks for the computed ones (flag 0x10).
    auto kept = ReadV8As<CTextElement2d>(file, GraphicRecord(17, 0, TextBody2d("abc", 7, 8, 3, 0, {}), TextStyleWithFlags(0x0201)));
    EXPECT_DOUBLE_EQ(kept->GetTextParams()->height, 8.0);
    auto computed = ReadV8As<CTextElement2d>(file, GraphicRecord(17, 0, TextBody2d("abc", 7, 8, 3, 0, {}), TextStyleWithFlags(0x0211)));
    EXPECT_DOUBLE_EQ(computed->GetTextParams()->height, 12.0);

    EXPECT_EQ(Draw(*kept).back(), "text abc");
    auto spaces = ReadV8As<CTextElement2d>(file, GraphicRecord(17, 0, TextBody2d("   ", 7, 8, 3, 0, {})));
    EXPECT_TRUE(Draw(*spaces).empty());

    // n = 5, k = 1: (171 + 5 + 3) / 2 words.
    auto fields = ReadV8As<CTextElement2d>(file, GraphicRecord(17, 0, TextBody2d("hello", 7, 8, 5, 1, {1, 2, 3})));
    fields->Touch();
    EXPECT_EQ(fields->GetAttrOffsetWords(), 89u);
    EXPECT_EQ(fields->GetEnterDataFields()->Size(), 3u);

    CTextElement2d* fresh = CTextElement2d::Create(file, 4);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->GetTextParams()->justification, 2);
    EXPECT_DOUBLE_EQ(fresh->GetTextParams()->height, 5000.0);
    EXPECT_DOUBLE_EQ(fresh->GetTextParams()->lengthMultiplier, 5000.0 / 0.006);
    EXPECT_EQ(fresh->GetModel(), 4);
    std::uint64_t id = 0;
    fresh->GetElementId(&id);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(file->FindElementById(id), fresh);
}

TEST_F(GraphicElementTest, TextCountsAreBoundedAndV7FieldsNotInvented)
{
    // A byte count of 200 and 50 fields in a record that holds "hello" and one field.
    auto t = ReadV8As<CTextElement2d>(file, GraphicRecord(17, 0, TextBody2d("hello", 7, 8, 200, 50, {1, 2, 3})));
    EXPECT_LE(t->GetText()->Length(), 8u);
    t->Touch();
    const Bytes written = WriteElement(*t);
    ASSERT_EQ(written.size(), 2u * t->GetSizeWords() + 4);
    auto back = ReadV8As<CTextElement2d>(file, written);
    EXPECT_EQ(back->GetTextParams()->textBytes, t->GetTextParams()->textBytes);

    // A V7 text stating 3 fields holds none: it writes none and states k = 0.
    Bytes v7;
    v7.push_back(1); // font
    v7.push_back(2); // justification
    v7 = Cat(v7, V7Ints({1000, 2000, 0, 100, 200}));
    v7.push_back(2); // bytes
    v7.push_back(3); // fields
    v7.push_back('o');
    v7.push_back('k');
    auto fromV7 = ReadV7As<CTextElement2d>(file, V7Body(17, v7));
    EXPECT_EQ(fromV7->GetTextParams()->enterDataFields, 0);
    const Bytes saved = WriteElement(*fromV7);
    ASSERT_EQ(saved.size(), 2u * fromV7->GetSizeWords() + 4);
    auto reread = ReadV8As<CTextElement2d>(file, saved);
    EXPECT_EQ(reread->GetTextParams()->enterDataFields, 0);
    EXPECT_EQ(Draw(*reread).back(), "text ok");
    EXPECT_DOUBLE_EQ(reread->GetTextParams()->origin.x, 100.0);
}

TEST_F(GraphicElementTest, TextCloneTakesItsOwnTextStyle)
{
    auto source = ReadV8As<CTextElement2d>(file, GraphicRecord(17, 0, TextBody2d("abc", 7, 8, 3, 0, {}), TextStyleWithFlags(0x0201)));
    ASSERT_NE(source->GetTextParams()->textStyle, nullptr);
    std::unique_ptr<IElement> copy(source->Clone(file, false));
    auto* text = dynamic_cast<CTextElement2d*>(copy.get());
    ASSERT_NE(text, nullptr);
    EXPECT_NE(text->GetTextParams()->textStyle, nullptr);
    EXPECT_NE(text->GetTextParams()->textStyle, source->GetTextParams()->textStyle);
    EXPECT_EQ(text->GetTextParams()->textStyle, text->GetLinkedTextStyle());
    source.reset();
    // The copy's style outlives the source.
    EXPECT_TRUE(text->GetTextParams()->textStyle->UsesComputedSize() == false);
}

TEST_F(GraphicElementTest, CellHeaders)
{
    CCellHeaderElement3d cell3d(file);
    CCellHeaderElement2d cell2d(file);
    const double* m3 = cell3d.GetMatrix();
    const double* m2 = cell2d.GetMatrix();
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(m3[i], i % 4 == 0 ? 1.0 : 0.0) << i;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(m2[i], i % 3 == 0 ? 1.0 : 0.0) << i;

    // An empty name still goes to string linkage 1.
    cell2d.Touch();
    EXPECT_NE(cell2d.GetAttributes()->FindString(1), nullptr);
    EXPECT_EQ(cell2d.GetAttrOffsetWords(), 96u);
    cell3d.Touch();
    EXPECT_EQ(cell3d.GetAttrOffsetWords(), 128u);

    // A V7 cell whose total length runs past the loaded data counts no components.
    Bytes v7;
    Put16(v7, 5000);
    v7 = Cat(v7, Bytes(4 + 2 + 8, 0));
    v7 = Cat(v7, V7Ints({0, 0, 10, 10, 214748, 0, 0, 214748, 50, 60}));
    const Bytes record = V7Body(2, v7);
    SetLoadedFileImage(record.data(), record.size());
    auto fromV7 = ReadV7As<CCellHeaderElement2d>(file, record);
    SetLoadedFileImage(nullptr, 0);
    EXPECT_EQ(fromV7->ChildCount(), 0);
    EXPECT_DOUBLE_EQ(fromV7->GetOrigin()[0], 50.0);
    EXPECT_DOUBLE_EQ(fromV7->GetMatrix()[0], 1.0);
    EXPECT_EQ(fromV7->GetName()->Length(), 0u);
    // Records too short for the fixed fields are refused: a V7 cell, a V7 text, a V8 cell.
    struct Short {
        const char* what;
        std::function<IElement*()> make;
        Bytes record;
        bool v7;
    };
    const Short cut[] = {
        {"V7 cell", [&] { return new CCellHeaderElement2d(file); }, V7Body(2, Bytes(40, 0)), true},
        {"V7 3-D cell", [&] { return new CCellHeaderElement3d(file); }, V7Body(2, Bytes(80, 0)), true},
        {"V7 text", [&] { return new CTextElement2d(file); }, V7Body(17, Bytes(20, 0)), true},
        {"V8 cell", [&] { return new CCellHeaderElement3d(file); }, GraphicRecord(2, 0x0800, Bytes(100, 0)), false},
        {"V8 text", [&] { return new CTextElement2d(file); }, GraphicRecord(17, 0, Bytes(60, 0)), false},
        {"V8 arc", [&] { return new CArcElement3d(file); }, GraphicRecord(16, 0x0800, Bytes(80, 0)), false},
    };
    for (const Short& c : cut) {
        std::unique_ptr<IElement> e(c.make());
        const std::uint8_t* at = c.record.data();
        const auto n = static_cast<std::uint32_t>(c.record.size());
        EXPECT_FALSE(c.v7 ? e->ReadV7(&at, n) : e->ReadV8(&at, n)) << c.what;
        EXPECT_EQ(at, c.record.data()) << c.what;
    }

    // A hole with the fill linkages of its outer shape is drawn filled, unless a text is there.
    auto fillCell = [&](bool withText) {
        auto* cell = new CCellHeaderElement2d(file);
        auto* outer = new CShapeElement2d(nullptr);
        auto* hole = new CShapeElement2d(nullptr);
        ReadV8Into(*outer, GraphicRecord(6, 0, Cat(Cat(Bytes{3, 0, 0, 0, 0, 0, 0, 0}, Doubles({0, 0, 9, 0, 9, 9})), Bytes()), SolidFillLinkage(4)));
        ReadV8Into(*hole, GraphicRecord(6, 0x8000, Cat(Bytes{3, 0, 0, 0, 0, 0, 0, 0}, Doubles({1, 1, 2, 1, 2, 2}))));
        cell->AddChild(outer);
        cell->AddChild(hole);
        if (withText) {
            auto* text = new CTextElement2d(nullptr);
            ReadV8Into(*text, GraphicRecord(17, 0, TextBody2d("abc", 7, 8, 3, 0, {})));
            cell->AddChild(text);
        }
        return cell;
    };
    CCellHeaderElement2d* filled = fillCell(false);
    Strings ops = Draw(*filled);
    ASSERT_GE(ops.size(), 2u);
    EXPECT_EQ(ops.front(), "begin fill");
    EXPECT_EQ(ops.back(), "end fill");
    CCellHeaderElement2d* texted = fillCell(true);
    ops = Draw(*texted);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "begin fill"), 1) << "only the outer shape's own bracket";
}

TEST_F(GraphicElementTest, TwoDimensionalLinearElements)
{
    auto curveOf = [&](int n) {
        auto c = std::make_unique<CCurveElement2d>(file);
        EXPECT_TRUE(c->GetPoints()->Resize(static_cast<std::uint32_t>(n)));
        for (int i = 0; i < n; ++i)
            c->GetPoints()->Data()[i] = {double(i), double(10 * i)};
        return c;
    };
    EXPECT_TRUE(Draw(*curveOf(4)).empty());
    EXPECT_EQ(Draw(*curveOf(5)), (Strings{"polyline 1 2,20"}));

    CPointStringElement2d points(file);
    ASSERT_TRUE(points.GetPoints()->Resize(2));
    points.GetPoints()->Data()[1] = {3, 4};
    points.SetProperties(0);
    EXPECT_EQ(Draw(points), (Strings{"polyline 2 0,0 3,4"}));
    points.SetProperties(0x0001);
    EXPECT_EQ(Draw(points), (Strings{"point 0,0", "point 3,4"}));
    // The point string states words as the others: 56 + 24 n.
    points.Touch();
    EXPECT_EQ(points.GetAttrOffsetWords(), 56u + 24u * 2u);
    EXPECT_EQ(WriteElement(points).size(), 2u * points.GetSizeWords() + 4);

    // A V7 line string saved as V8 keeps its points and writes 0 as its extra word.
    Bytes body;
    Put16(body, 2);
    body = Cat(body, V7Ints({5, 6, 7, 8}));
    auto v7 = ReadV7As<CLineStringElement2d>(file, V7Body(4, body));
    const Bytes saved = WriteElement(*v7);
    ASSERT_EQ(saved.size(), 2u * v7->GetSizeWords() + 4);
    EXPECT_EQ(Get32(saved, 108 + 4), 0u);
    auto back = ReadV8As<CLineStringElement2d>(file, saved);
    EXPECT_EQ(Draw(*back), (Strings{"polyline 2 5,6 7,8"}));
}

TEST_F(GraphicElementTest, TextNodeRangeAndDescription)
{
    CTextNodeElement2d node(file);
    node.origin = {100, -200};
    node.Touch();
    EXPECT_DOUBLE_EQ(node.range[0], 95);
    EXPECT_DOUBLE_EQ(node.range[3], 105);
    EXPECT_DOUBLE_EQ(node.range[1], -210);
    EXPECT_DOUBLE_EQ(node.range[4], -190);
    EXPECT_EQ(node.GetAttrOffsetWords(), 84u);
    CTextNodeElement2d zero(file);
    zero.Touch();
    for (double v : zero.range)
        EXPECT_EQ(v, 0.0);

    node.font = 7;
    Lines::Reset();
    node.Describe(Lines::Collect);
    EXPECT_TRUE(Lines::Has("font 7: *unknown*, justification: 2, node id: 1"));
    EXPECT_EQ(Lines::Get().front(), "2d Text Node");
}

TEST_F(GraphicElementTest, EveryClassWritesTheRecordItStatesAndReadsItBack)
{
    struct Case {
        const char* what;
        std::function<IElement*()> make;
    };
    auto withPoints = [&](auto* e, int n) {
        EXPECT_TRUE(e->GetPoints()->Resize(static_cast<std::uint32_t>(n)));
        for (int i = 0; i < n; ++i)
            e->GetPoints()->Data()[i].x = 7.0 * i;
        return e;
    };
    const Case cases[] = {
        {"3-D line", [&] { return new CLineElement3d(file); }},
        {"2-D line", [&] { return new CLineElement2d(file); }},
        {"3-D line string", [&] { return withPoints(new CLineStringElement3d(file), 3); }},
        {"3-D shape", [&] { return withPoints(new CShapeElement3d(file), 5); }},
        {"2-D shape", [&] { return withPoints(new CShapeElement2d(file), 5); }},
        {"2-D line string", [&] { return withPoints(new CLineStringElement2d(file), 2); }},
        {"2-D curve", [&] { return withPoints(new CCurveElement2d(file), 6); }},
        {"2-D poles", [&] { return withPoints(new CBSplinePoleElement2d(file), 4); }},
        {"2-D point string", [&] { return withPoints(new CPointStringElement2d(file), 3); }},
        {"2-D ellipse", [&] { return new CEllipseElement2d(file); }},
        {"2-D arc", [&] { return new CArcElement2d(file); }},
        {"3-D ellipse", [&] { return new CEllipseElement3d(file); }},
        {"3-D arc", [&] { return new CArcElement3d(file); }},
        {"2-D text", [&] {
             auto* t = new CTextElement2d(file);
             t->SetText("odd");
             return t;
         }},
        {"3-D text", [&] {
             auto* t = new CTextElement3d(file);
             t->SetText("even");
             return t;
         }},
        {"2-D cell", [&] {
             auto* c = new CCellHeaderElement2d(file);
             *c->GetName() = "door";
             return c;
         }},
        {"3-D cell", [&] { return new CCellHeaderElement3d(file); }},
        {"2-D text node", [&] { return new CTextNodeElement2d(file); }},
    };
    for (const Case& c : cases) {
        std::unique_ptr<IElement> e(c.make());
        e->GetAttributes()->AddString(9, "tag", 4);
        e->Touch();
        const Bytes first = WriteElement(*e);
        ASSERT_EQ(first.size(), 2u * e->GetSizeWords() + 4) << c.what;
        IElement* back = nullptr;
        ASSERT_TRUE(file->CreateElementV8(first.data(), static_cast<std::uint32_t>(first.size()), false, &back)) << c.what;
        IElement& backRef = *back;
        IElement& made = *e;
        EXPECT_EQ(typeid(backRef), typeid(made)) << c.what;
        EXPECT_EQ(WriteElement(*back), first) << c.what;
        std::unique_ptr<IElement> copy(e->Clone(file, false));
        ASSERT_NE(copy, nullptr) << c.what;
        IElement& copyRef = *copy;
        EXPECT_EQ(typeid(copyRef), typeid(made)) << c.what;
        Lines::Reset();
        back->Describe(Lines::Collect);
        EXPECT_EQ(Lines::Ends(), 1) << c.what;
    }
}

namespace {

struct FileDeleter {
    void operator()(CDesignFile* f) const { delete f; }
};
using FilePtr = std::unique_ptr<CDesignFile, FileDeleter>;

std::string Num(double v)
{
    char s[64];
    std::snprintf(s, sizeof s, "%.6g", std::fabs(v) < 1e-9 ? 0.0 : v);
    return s;
}

// The drawn elements of a file in master units, one line each, as `ogrinfo` shows them
// (check_design_files.py compares): texts with their string, origin, height and angle;
// line strings and shapes with their vertices (marked when a cell holds them); cells with
// their component count.
std::vector<std::string> DrawnElements(CDesignFile* f)
{
    std::vector<std::string> out;
    CEntityIterator* it = f->CreateChildIterator(nullptr);
    it->DescendIntoComplex();
    it->GraphicOnly();
    while (IEntity* entity = it->Next()) {
        auto* e = dynamic_cast<IElement*>(entity);
        if (!e)
            continue;
        const bool inCell = dynamic_cast<IElement*>(e->Owner()) && static_cast<IElement*>(e->Owner())->GetType() == 2;
        std::string line;
        auto point2 = [&](Point2d p) {
            e->ToMasterUnits2d(p);
            line += " " + Num(p.x) + " " + Num(p.y);
        };
        auto point3 = [&](Point3d p) {
            e->ToMasterUnits3d(p);
            line += " " + Num(p.x) + " " + Num(p.y) + " " + Num(p.z);
        };
        const double uor = e->GetUnitsPerMaster();
        if (auto* t = dynamic_cast<CTextElement2d*>(e)) {
            line = "text " + std::string(t->GetText()->CStr());
            point2(t->GetTextParams()->origin);
            line += " " + Num(t->GetTextParams()->height / uor) + " " + Num(RadiansToDegrees(t->GetTextParams()->angle));
        } else if (auto* t3 = dynamic_cast<CTextElement3d*>(e)) {
            line = "text " + std::string(t3->GetText()->CStr());
            point3(t3->GetTextParams()->origin);
            line += " " + Num(t3->GetTextParams()->height / uor) + " -";
        } else if (auto* s2 = dynamic_cast<TVertexElement2d*>(e)) {
            line = std::string(inCell ? "cell " : "") + (e->GetType() == 6 ? "shape" : "linestring");
            for (std::uint32_t i = 0; i < s2->VertexCount(); ++i)
                point2(s2->GetPoints()->Data()[i]);
        } else if (auto* s3 = dynamic_cast<TVertexElement3d*>(e)) {
            line = std::string(inCell ? "cell " : "") + (e->GetType() == 6 ? "shape" : "linestring");
            for (std::uint32_t i = 0; i < s3->VertexCount(); ++i)
                point3(s3->GetPoints()->Data()[i]);
        } else if (e->GetType() == 2) {
            line = "cell of " + std::to_string(e->ChildCount());
        } else {
            continue;
        }
        out.push_back(line);
    }
    delete it;
    return out;
}

void WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines)
{
    std::ofstream out(path);
    for (const std::string& l : lines)
        out << l << '\n';
}

} // namespace

// The files gdal-bin's ogr2ogr writes (2-D, and 3-D with sub units, resolution and an origin):
// what the library reads, before and after a V8 save, is listed for check_design_files.py,
// which compares it with what `ogrinfo` reads.
TEST_F(GraphicElementTest, Ogr2ogrFilesReadAsOgrinfoReadsThem)
{
    const auto dir = cftest::FromEnv("YVEX_BINARY_DIR", "tests/plugins/dgn/lib/dgn_out");
    std::filesystem::create_directories(dir);
    for (const std::string name : {"ogr_shapes_2d", "ogr_shapes_3d"}) {
        SCOPED_TRACE(name);
        FilePtr f(OpenDesignFileW(cftest::Wide(cftest::Fixture("design_files/" + name + ".dgn")).c_str()));
        ASSERT_NE(f, nullptr);
        const std::vector<std::string> read = DrawnElements(f.get());
        ASSERT_EQ(read.size(), 5u);
        EXPECT_EQ(read[0].rfind("text Room 12 7 8", 0), 0u) << read[0];
        EXPECT_EQ(read[2], "cell of 2");
        EXPECT_EQ(read[3].rfind("cell shape", 0), 0u);
        EXPECT_EQ(read[4].rfind("cell shape", 0), 0u);
        WriteLines(dir / (name + ".elements.txt"), read);

        const auto saved = dir / (name + "_saved.dgn");
        ASSERT_EQ(f->SaveAs(cftest::Wide(saved).c_str(), 1), 1);
        FilePtr again(OpenDesignFileW(cftest::Wide(saved).c_str()));
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->IsV8(), 1);
        const std::vector<std::string> reread = DrawnElements(again.get());
        EXPECT_EQ(reread, read);
        WriteLines(dir / (name + "_saved.elements.txt"), reread);
    }
}
