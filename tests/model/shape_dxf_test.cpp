// Shapes in DXF: the common entity groups, our extended data written and read back (ASCII and
// binary), the rules of reading single groups, blocks of the library, the BLOCKS section and the
// LAYER table; and a drawing written for ezdxf (check_dxf_storage.py).
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/LineTypeMap.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Shape.h"
#include "YVEX_h.h"
#include "tests/support/DxfTestSupport.h"
#include "tests/support/StorageTestSupport.h"

namespace {

using Group = WrittenGroup;

// A stream holding the groups as an ASCII file (or a binary one), for a reader.
IStream* StreamOf(const std::vector<Group>& groups, bool binary = false)
{
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    CDxfFile dxf;
    dxf.SetBinary(binary);
    EXPECT_TRUE(dxf.OpenStream(stream, false));
    for (const Group& g : groups) {
        dxf.SetCode(g.code);
        switch (CDxfFile::ClassOf(g.code)) {
        case CDxfFile::vcInteger: dxf.SetInt(std::atoi(g.value.c_str())); break;
        case CDxfFile::vcReal: dxf.SetReal(std::atof(g.value.c_str())); break;
        case CDxfFile::vcHandle: dxf.SetHandle(std::strtoul(g.value.c_str(), nullptr, 16)); break;
        default: dxf.SetText(g.value.c_str()); break;
        }
        dxf.WriteGroup();
    }
    dxf.Close();
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

// A reader positioned on the groups. A binary file tells its code width by its first group,
// which is a group 0: one is put in front and read away.
std::vector<Group> WithLead(const std::vector<Group>& groups)
{
    std::vector<Group> all = {{0, "SECTION"}};
    all.insert(all.end(), groups.begin(), groups.end());
    return all;
}

struct Reader
{
    explicit Reader(const std::vector<Group>& groups, bool binary = false)
        : stream(StreamOf(WithLead(groups), binary))
    {
        EXPECT_TRUE(dxf.OpenStream(stream, true));
        EXPECT_TRUE(dxf.ReadGroup());
    }
    ~Reader()
    {
        dxf.Close();
        stream->Release();
    }
    IStream* stream;
    CDxfFile dxf;
};

std::string Hex(int id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(id));
    return text;
}

// What a drawable kind writes around the shape base's groups: its entity, the common groups,
// its own geometry, then the extended data.
struct TestLine : CShape
{
    TestLine(int id, CControlCore* control) : CShape(id, control) { m_shapeType = stLine; }
    HRESULT WriteDxf(CDxfFile& dxf) override
    {
        dxf.WriteStringGroup(0, "LINE");
        CShape::WriteDxf(dxf);
        GetPoints().GetAt(0)->WriteDxf(dxf, true, 0);
        GetPoints().GetAt(1)->WriteDxf(dxf, true, 1);
        WriteXData(dxf);
        return 1;
    }
};

TestLine* MakeLine(Drawing& d, int id, CRealPoint a, CRealPoint b, CGroup* parent)
{
    auto* line = new TestLine(id, &d.control);
    d.control.GetShapeMap().Insert(line);
    line->SetPointCoords(3, a.x, a.y, 0);
    line->SetPointCoords(3, b.x, b.y, 1);
    if (parent)
        parent->AddChild(line, nullptr, 1, false);
    return line;
}

} // namespace

// The common groups: handle in upper-case hexadecimal, the layer ("0" without one), the line
// type only when the map names it, the colour number (256 by layer, 0 by block), the scale only
// when it is not 1.0 and the thickness only for drawn kinds with a pen weight.
TEST(ShapeDxf, CommonEntityGroups)
{
    Drawing d;
    CLayer* walls = MakeLayer(d.control, d.layers, "Walls");
    const int dashed = d.control.GetLineTypeMap().IdFromName("DASHED");
    ASSERT_GT(dashed, 0);
    struct Case
    {
        int type;
        std::function<void(CShape&)> set;
        std::vector<Group> expected;
    };
    const std::vector<Case> cases = {
        {stDummy, [](CShape&) {}, {{8, "0"}, {62, "256"}}},
        {stPolyline,
         [&](CShape& s) {
             s.SetLayer(walls);
             s.SetLinePatternId(dashed);
             s.SetPenColor(0x0000FF);
             s.SetLinePatternScale(2.5f);
             s.SetPenWeight(0.5f);
         },
         {{8, "Walls"}, {6, "DASHED"}, {62, "1"}, {48, "2.500000"}, {39, "0.500000"}}},
        {stGroup,
         [](CShape& s) {
             s.SetPenColor(0x40000000);
             s.SetPenWeight(3.0f);
             s.SetLinePatternId(0x4000);
         },
         {{8, "0"}, {62, "0"}}},
        {stPolyline, [](CShape& s) { s.SetLinePatternScale(1.0f); }, {{8, "0"}, {62, "256"}}},
    };
    for (const Case& c : cases) {
        CShape* shape = d.control.GetShapeMap().CreateShape(c.type, true, true);
        shape->SetLayer(nullptr);
        shape->SetLinePatternScale(1.0f);
        shape->SetPenColor(0x20000000);
        shape->SetPenWeight(0.0f);
        shape->SetLinePatternId(0x4000);
        c.set(*shape);
        std::vector<Group> expected = c.expected;
        expected.insert(expected.begin(), Group{5, Hex(shape->GetId())});
        // The shape base's groups (groups and polylines wrap them in what they write themselves).
        EXPECT_EQ(WrittenGroups([&](CDxfFile& dxf) { EXPECT_EQ(shape->CShape::WriteDxf(dxf), 1); }), expected) << c.type;
    }
    CShape big(255, &d.control);
    EXPECT_EQ(WrittenGroups([&](CDxfFile& dxf) { big.WriteDxf(dxf); })[0], (Group{5, "FF"}));
}

TEST(ShapeDxf, ExtendedDataBlock)
{
    Drawing d;
    CGroup* plain = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    d.root->AddChild(plain, nullptr, 1, false);
    auto* shape = static_cast<CPolyline*>(d.Make(stPolyline, {{1, 2}, {3, 4}}, plain));
    CShape* other = d.Make(stPolyline, {{7, 7}}, d.root);
    ASSERT_EQ(shape->LinkPoint(other->GetPoints().GetAt(0)->GetPointId()), 1);
    shape->SetTag(7);
    shape->SetDatabaseId(9);
    shape->SetZOrder(2.5f, false);
    shape->SetHatchColor(0xFF);
    shape->SetHatchPatternId(5);
    shape->SetHatchPatternScale(1.5f);
    shape->SetFirstArrowType(3);
    shape->SetStateBits(CShape::stVisible, false);
    const std::string p0 = std::to_string(shape->GetPoints().GetAt(0)->GetPointId());
    const std::string p1 = std::to_string(shape->GetPoints().GetAt(1)->GetPointId());
    const std::string linked = std::to_string(other->GetPoints().GetAt(0)->GetPointId());
    const std::vector<Group> expected = {
        {1001, "YVEXControl"}, {1002, "{"},     {1000, "SHAPE IDS"}, {1070, "7"},   {1071, "9"},
        {1040, "2.500000"},    {1070, std::to_string(shape->GetState())},   {1000, "SELF POINTS"}, {1070, "2"}, {1071, p0},
        {1071, p1},            {1000, "LINKED POINTS"}, {1070, "1"},   {1071, linked},
        {1000, "SHAPE HATCH DATA"}, {1071, "255"}, {1071, "5"},      {1042, "1.500000"},
        {1000, "PARENT ID"},   {1071, std::to_string(plain->GetId())}, {1000, "ARROWS"}, {1071, "3"},
        {1071, "0"},           {1002, "}"}};
    EXPECT_EQ(WrittenGroups([&](CDxfFile& dxf) { EXPECT_EQ(shape->WriteXData(dxf), 1); }), expected);

    // The state group by state and mode: the modes set the bits (a visible, enabled shape stays
    // 0x213), and the state of a new shape (0x213) is not written.
    struct StateCase
    {
        DWORD state;
        DWORD mode;
        const char* written; // null: no state group
    } states[] = {
        {0x13, 0, "19"},
        {0x213, 0, nullptr},
        {0x213, DXFMODE_ALL_VISIBLE | DXFMODE_ALL_ENABLED, nullptr},
        {0x212, DXFMODE_ALL_VISIBLE, nullptr},
        {0x211, DXFMODE_ALL_ENABLED, nullptr},
        {0x11, DXFMODE_ALL_ENABLED, "19"},
        {0x210, 0, "528"},
        {0x217, 0, nullptr}, // selection is no part of the shape
    };
    CShape* bare = d.Make(stDummy, {}, nullptr);
    bare->SetZOrder(0.0f, false);
    for (const StateCase& c : states) {
        const DWORD keep = bare->GetState();
        bare->SetStateBits(0xFFFF, false);
        bare->SetStateBits(c.state, true);
        d.control.GetDxfDocument().SetMode(c.mode);
        const std::vector<Group> groups = WrittenGroups([&](CDxfFile& dxf) { bare->WriteXData(dxf); });
        d.control.GetDxfDocument().SetMode(0);
        bare->SetStateBits(0xFFFF, false);
        bare->SetStateBits(keep, true);
        ASSERT_GE(groups.size(), 5u);
        const bool hasState = groups[5].code == 1070;
        EXPECT_EQ(hasState, c.written != nullptr) << std::hex << c.state;
        if (hasState && c.written) {
            EXPECT_EQ(groups[5].value, c.written) << std::hex << c.state << " mode " << c.mode;
        }
    }

    // Without extended data when asked to keep the file small; no parent named for a block's
    // children.
    d.control.GetDxfDocument().SetMode(DXFMODE_MINIMIZE_SAVED_DATA);
    EXPECT_TRUE(WrittenGroups([&](CDxfFile& dxf) { shape->WriteXData(dxf); }).empty());
    d.control.GetDxfDocument().SetMode(0);
    d.library->AddChild(plain, nullptr, 1, false);
    const std::vector<Group> inBlock = WrittenGroups([&](CDxfFile& dxf) { shape->WriteXData(dxf); });
    EXPECT_EQ(std::count(inBlock.begin(), inBlock.end(), Group{1000, "PARENT ID"}), 0);
}

// What one shape wrote, another reads back equal, in both file forms.
TEST(ShapeDxf, ReadsItsGroupsBackEqual)
{
    for (bool binary : {false, true}) {
        Drawing from;
        CLayer* walls = MakeLayer(from.control, from.layers, "Walls");
        auto* shape = static_cast<CPolyline*>(from.Make(stPolyline, {{1, 2}, {3, 4}}, from.root));
        CShape* other = from.Make(stPolyline, {{7, 7}}, from.root);
        shape->LinkPoint(other->GetPoints().GetAt(0)->GetPointId());
        shape->SetLayer(walls);
        shape->SetLinePatternId(from.control.GetLineTypeMap().IdFromName("DASHDOT"));
        shape->SetPenColor(0x00FF00);
        shape->SetLinePatternScale(0.25f);
        shape->SetPenWeight(0.75f);
        shape->SetTag(-3);
        shape->SetZOrder(44.5f, false);
        shape->SetStateBits(CShape::stVisible, false);
        shape->SetHatchColor(0x123456);
        shape->SetHatchPatternId(7);
        shape->SetHatchPatternScale(3.0f);
        shape->SetFirstArrowType(2);
        shape->SetSecondArrowType(0x101);
        std::vector<Group> groups = WrittenGroups([&](CDxfFile& dxf) {
            shape->CShape::WriteDxf(dxf);
            shape->WriteXData(dxf);
        });
        groups.push_back({0, "EOF"});

        Drawing to;
        CLayer* theirs = MakeLayer(to.control, to.layers, "Walls");
        auto* read = static_cast<CPolyline*>(to.control.GetShapeMap().CreateShape(stPolyline, true, true));
        read->ResetToByLayer();
        Reader reader(groups, binary);
        // The common groups through the shape base's reader (the kind reads its entity around them).
        EXPECT_EQ(read->CShape::ReadDxf(reader.dxf), 1);
        EXPECT_EQ(reader.dxf.ReadGroup() && reader.dxf.GetCode() == 0, true); // the 0 is left for the caller
        EXPECT_EQ(read->GetLayer(), theirs);
        EXPECT_EQ(read->GetLinePatternId(), shape->GetLinePatternId());
        EXPECT_EQ(read->GetPenColor(), 0x00FF00u);
        EXPECT_EQ(read->GetLinePatternScale(), 0.25f);
        EXPECT_TRUE(read->HasState(CShape::stScalePenWeight)); // group 39 came
        EXPECT_EQ(read->GetTag(), -3);
        EXPECT_EQ(read->GetZOrder(), 44.5f);
        EXPECT_EQ(read->GetState() & 0xFFF, shape->GetState() & 0xFFF);
        EXPECT_EQ(read->GetHatchColor(), 0x123456u);
        EXPECT_EQ(read->GetHatchPatternId(), 7);
        EXPECT_EQ(read->GetHatchPatternScale(), 3.0f);
        EXPECT_EQ(read->GetFirstArrowType(), 2);
        EXPECT_EQ(read->GetSecondArrowType(), 0x101);
        // The point identities wait in the document for the load to resolve them.
        CDxfDocument& doc = to.control.GetDxfDocument();
        EXPECT_EQ(doc.SelfPointsOf(read->GetId()),
                  (std::vector<int>{shape->GetPoints().GetAt(0)->GetPointId(), shape->GetPoints().GetAt(1)->GetPointId()}));
        EXPECT_EQ(doc.LinkedPointsOf(read->GetId()), std::vector<int>{other->GetPoints().GetAt(0)->GetPointId()});
        EXPECT_TRUE(read->GetLinkedPoints().IsEmpty());
        int id = 0;
        EXPECT_TRUE(doc.FindHandle(static_cast<uint32_t>(shape->GetId()), &id));
        EXPECT_EQ(id, read->GetId());
    }
}

// The state word goes out and comes back as it was, in both file forms: the state of a new shape
// (0x213, written as no group) as well as the plain 0x13 (pen weight not scaled), a locked and
// unselectable shape, a hidden one and one kept out of hit tests. The reading shape starts in
// another state, so that a missing group cannot pass for the state it happened to have. The tag
// is a long and comes back whole.
TEST(ShapeDxf, StateWordAndTagRoundTrip)
{
    const DWORD states[] = {0x13, 0x213, 0x211, 0x251, 0x212, 0x293, 0x3B};
    for (bool binary : {false, true}) {
        for (DWORD state : states) {
            Drawing from;
            CShape* shape = from.Make(stPolyline, {{1, 2}, {3, 4}}, from.root);
            shape->SetStateBits(0xFFFF, false);
            shape->SetStateBits(state, true);
            const long tag = (state & 1 ? 1 : -1) * (70000L + static_cast<long>(state));
            shape->SetTag(tag);
            std::vector<Group> groups = WrittenGroups([&](CDxfFile& dxf) {
                shape->CShape::WriteDxf(dxf);
                shape->WriteXData(dxf);
            });
            groups.push_back({0, "EOF"});

            Drawing to;
            CShape* read = to.control.GetShapeMap().CreateShape(stPolyline, true, true);
            read->SetStateBits(0xFFFF, false);
            read->SetStateBits(state == 0x213 ? 0x13 : 0x213, true);
            Reader reader(groups, binary);
            // The common groups through the shape base's reader.
            EXPECT_EQ(read->CShape::ReadDxf(reader.dxf), 1);
            EXPECT_EQ(read->GetState(), state) << std::hex << state << (binary ? " binary" : " ASCII");
            EXPECT_EQ(read->GetTag(), tag) << (binary ? "binary" : "ASCII");
        }
    }
}

// Single groups as the reader takes them, from fresh shapes.
TEST(ShapeDxf, ReadingRules)
{
    Drawing d;
    CLayer* current = MakeLayer(d.control, d.layers, "Current");
    d.control.SetCurrentLayer(current);
    CGroup* parent = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    d.control.GetDxfDocument().AddHandle(400, parent->GetId());
    const int dashed = d.control.GetLineTypeMap().IdFromName("DASHED");
    struct Case
    {
        const char* what;
        DWORD mode;
        std::vector<Group> groups;
        std::function<void(CShape&)> check;
    };
    const std::vector<Case> cases = {
        {"bylayer", 0, {{6, "bylayer"}}, [](CShape& s) { EXPECT_EQ(s.GetLinePatternId(), 0x4000); }},
        {"ByBlock", 0, {{6, "ByBlock"}}, [](CShape& s) { EXPECT_EQ(s.GetLinePatternId(), 0x8000); }},
        {"unknown type", 0, {{6, "NOSUCH"}}, [](CShape& s) { EXPECT_EQ(s.GetLinePatternId(), 0); }},
        {"named type", 0, {{6, "DASHED"}}, [&](CShape& s) { EXPECT_EQ(s.GetLinePatternId(), dashed); }},
        {"colour 256", 0, {{62, "256"}}, [](CShape& s) { EXPECT_EQ(s.GetPenColor(), 0x20000000u); }},
        {"colour 0", 0, {{62, "0"}}, [](CShape& s) { EXPECT_EQ(s.GetPenColor(), 0x40000000u); }},
        {"colour 5", 0, {{62, "5"}}, [](CShape& s) { EXPECT_EQ(s.GetPenColor(), 0xFF0000u); }},
        {"unknown layer", 0, {{8, "Nowhere"}}, [&](CShape& s) { EXPECT_EQ(s.GetLayer(), current); }},
        {"ids without Z", 0,
         {{1000, "SHAPE IDS"}, {1070, "3"}, {1071, "0"}, {1070, "17"}},
         [](CShape& s) {
             EXPECT_EQ(s.GetTag(), 3);
             EXPECT_EQ(s.GetZOrder(), static_cast<float>(s.GetId()));
             EXPECT_EQ(s.GetState(), 0x11u);
         }},
        {"modes set the bits", DXFMODE_ALL_VISIBLE | DXFMODE_ALL_ENABLED,
         {{1000, "SHAPE IDS"}, {1070, "0"}, {1071, "0"}, {1040, "2.0"}, {1070, "531"}},
         [](CShape& s) {
             EXPECT_EQ(s.GetState(), 0x213u);
             EXPECT_EQ(s.GetZOrder(), 2.0f);
         }},
        {"a cut block leaves the rest", 0,
         {{1000, "SHAPE IDS"}, {1070, "4"}, {62, "1"}, {48, "2.0"}},
         [](CShape& s) {
             EXPECT_EQ(s.GetTag(), 4);
             EXPECT_EQ(s.GetPenColor(), 0x0000FFu);
             EXPECT_EQ(s.GetLinePatternScale(), 2.0f);
         }},
        {"older hatch form", 0,
         {{1000, "HATCH DATA"}, {1070, "1"}, {1071, "2"}, {1071, "255"}, {1070, "0"}, {1071, "6"}, {1042, "0.5"}},
         [](CShape& s) {
             EXPECT_EQ(s.GetHatchColor(), 255u);
             EXPECT_EQ(s.GetHatchPatternId(), 6);
             EXPECT_EQ(s.GetHatchPatternScale(), 0.5f);
         }},
        {"parent by handle", 0, {{1000, "PARENT ID"}, {1071, "400"}},
         [&](CShape& s) { EXPECT_EQ(s.GetParent(), parent); }},
        {"thickness", 0, {{39, "1.25"}},
         [](CShape& s) {
             EXPECT_EQ(s.GetPenWeight(), 1.25f);
             EXPECT_TRUE(s.HasState(CShape::stScalePenWeight));
         }},
    };
    for (const Case& c : cases) {
        CShape* shape = d.control.GetShapeMap().CreateShape(stDummy, true, true);
        shape->SetStateBits(CShape::stScalePenWeight, false);
        shape->SetLayer(nullptr);
        std::vector<Group> groups = c.groups;
        groups.push_back({0, "EOF"});
        d.control.GetDxfDocument().SetMode(c.mode);
        Reader reader(groups);
        EXPECT_EQ(shape->ReadDxf(reader.dxf), 1) << c.what;
        d.control.GetDxfDocument().SetMode(0);
        SCOPED_TRACE(c.what);
        c.check(*shape);
    }

    // A list of linked points that ends early reports 0; a common code reports 1 and one of the
    // kind's own reports 0.
    auto one = [&](std::vector<Group> groups) {
        CShape* shape = d.control.GetShapeMap().CreateShape(stPolyline, true, true);
        Reader reader(groups);
        EXPECT_TRUE(reader.dxf.ReadGroup());
        return shape->ReadDxfGroup(reader.dxf);
    };
    EXPECT_EQ(one({{1000, "LINKED POINTS"}, {1070, "3"}, {1071, "5"}, {62, "1"}}), 0);
    EXPECT_EQ(one({{1003, "x"}}), 1);
    EXPECT_EQ(one({{10, "1.0"}}), 0);
    EXPECT_EQ(one({{230, "-1.0"}}), 1);
    EXPECT_EQ(d.control.GetDxfDocument().GetExtrusionZ(), -1.0);
}

namespace {
// A shape of a kind whose own extended-data reader takes every block it is given.
struct KindReader : CShape
{
    KindReader(int id, CControlCore* control, int type) : CShape(id, control) { m_shapeType = type; }
    int ReadXDataOwn(CDxfFile& dxf) override
    {
        read.push_back(dxf.GetText());
        return 1;
    }
    std::vector<std::string> read;
};
} // namespace

// A kind block goes to the shape's own reader when the shape already is of that kind (a polygon
// being a closed polyline, arcs and circles ellipses); otherwise a new shape of the kind reads it
// and takes the entity's place, and when the factory cannot make one or the new shape refuses
// the block, nothing replaces the entity and the block reports 0. (Which kinds the factory makes
// and which blocks their readers take is the kinds' business.)
TEST(ShapeDxf, KindBlocksReachTheirKinds)
{
    Drawing d;
    CShapeMap& map = d.control.GetShapeMap();
    struct Case
    {
        int type;
        const char* block;
        int replacedBy; // 0: read by the shape itself; else the type of a shape that replaces it
    } cases[] = {
        {stPolyline, "POLYGON DATA", 0},              {stRectangle, "RECTANGLE DATA", 0},
        {stArc, "ELLIPSE DATA", 0},                   {stCircle, "ELLIPSE DATA", 0},
        {stEllipse, "ELLIPSE DATA", 0},               {stImage, "IMAGE DATA", 0},
        {stPolyline, "RECTANGLE DATA", stRectangle},  {stPolyline, "ELLIPSE DATA", stEllipse},
        {stRectangle, "POLYGON DATA", stPolyline},    {stPolyline, "IMAGE DATA", stImage},
    };
    for (const Case& c : cases) {
        auto* shape = new KindReader(map.GetNextShapeId(), &d.control, c.type);
        ASSERT_TRUE(map.Insert(shape));
        const int nextId = map.GetNextShapeId();
        Reader reader({{1000, c.block}, {0, "EOF"}});
        ASSERT_TRUE(reader.dxf.ReadGroup());
        const int result = shape->ReadDxfGroup(reader.dxf);
        SCOPED_TRACE(std::string(c.block) + " on type " + std::to_string(c.type));
        EXPECT_EQ(shape->read, c.replacedBy ? std::vector<std::string>{} : std::vector<std::string>{c.block});
        CShape* replacement = map.FindReplacement(shape->GetId());
        if (!c.replacedBy) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(map.GetNextShapeId(), nextId); // no shape made
            EXPECT_EQ(replacement, nullptr);
        } else {
            // A shape of the kind is asked of the factory (its ID is used whether the kind is built
            // or not); it replaces this one exactly when it took the block.
            EXPECT_EQ(map.GetNextShapeId(), nextId + 1);
            EXPECT_EQ(result == 1, replacement != nullptr);
            if (replacement) {
                EXPECT_EQ(replacement->GetShapeType(), c.replacedBy); // a polygon is a polyline
                EXPECT_EQ(replacement->GetId(), nextId);
            }
        }
    }

    // A polygon block on a polyline of the factory stays with that polyline: no polygon is made
    // to replace it.
    CShape* polyline = map.CreateShape(stPolyline, true, true);
    const int nextId = map.GetNextShapeId();
    Reader reader({{1000, "POLYGON DATA"}, {0, "EOF"}});
    ASSERT_TRUE(reader.dxf.ReadGroup());
    polyline->ReadDxfGroup(reader.dxf);
    EXPECT_EQ(map.GetNextShapeId(), nextId);
    EXPECT_EQ(map.FindReplacement(polyline->GetId()), nullptr);
}

// A block of the library: BLOCK with its name (or "(none)"), flags, the origin as base point and
// its extended data, the children, then ENDBLK with the group's handle.
TEST(GroupDxf, ABlockIsWrittenWithTheOriginAsItsBase)
{
    Drawing d;
    auto* door = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    door->SetName(L"Door");
    d.library->AddChild(door, nullptr, 1, false);
    MakeLine(d, 60, {0, 0}, {1, 1}, door);
    auto* nameless = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    d.library->AddChild(nameless, nullptr, 1, false);

    const std::vector<Group> groups = WrittenGroups([&](CDxfFile& dxf) { EXPECT_EQ(d.library->WriteDxf(dxf), 1); });
    const std::vector<Group> head = {{0, "BLOCK"}, {8, "0"},        {2, "Door"},       {70, "0"}, {10, "0.000000"},
                                     {20, "0.000000"}, {30, "0.000000"}, {3, "Door"}, {1001, "YVEXControl"}};
    ASSERT_GT(groups.size(), head.size());
    EXPECT_EQ(std::vector<Group>(groups.begin(), groups.begin() + head.size()), head);
    auto endblk = std::find(groups.begin(), groups.end(), Group{0, "ENDBLK"});
    ASSERT_NE(endblk, groups.end());
    EXPECT_EQ(*(endblk + 1), (Group{5, Hex(door->GetId())}));
    // The child names no parent: it is in a block.
    auto line = std::find(groups.begin(), endblk, Group{0, "LINE"});
    ASSERT_NE(line, endblk);
    EXPECT_EQ(std::count(line, endblk, Group{1000, "PARENT ID"}), 0);
    // The nameless block.
    auto second = std::find(endblk, groups.end(), Group{0, "BLOCK"});
    ASSERT_NE(second, groups.end());
    EXPECT_EQ(*(second + 2), (Group{2, "(none)"}));
    EXPECT_EQ(*(second + 7), (Group{3, "(none)"}));
}

// The BLOCKS section: a named block with entities goes into the library with a temporary
// database ID and the site; anonymous and empty blocks are dropped; unknown entities skipped.
TEST(GroupDxf, ReadsTheBlocksSection)
{
    Drawing d;
    d.control.SetSiteId(33);
    const size_t shapesBefore = d.control.GetShapeMap().Shapes().size();
    const std::vector<Group> section = {
        {0, "BLOCK"},  {8, "0"},   {2, "Door"},  {70, "0"},     {10, "0.0"},   {20, "0.0"}, {3, "Door"},
        {0, "3DFACE"}, {8, "0"},   {10, "1.0"},  {0, "SOLID"},  {8, "0"},      {62, "1"},   {0, "ENDBLK"},
        {5, "1F"},     {0, "BLOCK"}, {2, "*U1"}, {70, "1"},     {0, "SOLID"},  {8, "0"},    {0, "ENDBLK"},
        {0, "BLOCK"},  {2, "Empty"}, {70, "0"},  {0, "ENDBLK"}, {0, "ENDSEC"}, {0, "EOF"}};
    Reader reader(section);
    EXPECT_EQ(d.library->ReadDxfBlocksSection(reader.dxf), 1);
    ASSERT_EQ(d.library->GetShapeCount(), 1);
    auto* door = static_cast<CGroup*>(d.library->GetChildAt(0));
    EXPECT_EQ(door->GetName(), L"Door");
    EXPECT_EQ(door->GetShapeCount(), 1);
    EXPECT_EQ(door->GetChildAt(0)->GetPenColor(), 0x0000FFu);
    EXPECT_LT(door->GetDatabaseId(), 0);
    EXPECT_LT(door->GetChildAt(0)->GetDatabaseId(), 0);
    EXPECT_NE(door->GetDatabaseId(), door->GetChildAt(0)->GetDatabaseId());
    int site = 0;
    EXPECT_EQ(door->GetSourceSiteId(&site), S_OK);
    EXPECT_EQ(site, 33);
    // The door and its polygon stay in the shape map; the dropped blocks and their polygon are gone.
    EXPECT_EQ(d.control.GetShapeMap().Shapes().size(), shapesBefore + 2);
    EXPECT_TRUE(reader.dxf.ReadGroup());
    EXPECT_EQ(reader.dxf.GetText(), std::string("EOF"));
}

// A block body whose base point is (5, 7): the block's contents move by (-5, -7).
TEST(GroupDxf, ABlockBodyMovesItsContentsToTheBasePoint)
{
    Drawing d;
    auto* block = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    CShape* inside = d.Make(stPolyline, {{10, 10}, {20, 15}}, block);
    Reader reader({{8, "0"}, {2, "Base57"}, {70, "0"}, {10, "5.0"}, {20, "7.0"}, {30, "0.0"}, {3, "Base57"},
                   {1001, "YVEXControl"}, {1002, "{"}, {1000, "SHAPE IDS"}, {1070, "12"}, {1071, "0"},
                   {1002, "}"}, {0, "ENDBLK"}, {5, "1F"}, {0, "EOF"}});
    EXPECT_EQ(block->ReadDxfBlockBody(reader.dxf), 1);
    EXPECT_EQ(block->GetName(), L"Base57");
    EXPECT_EQ(block->GetTag(), 12);
    EXPECT_EQ(inside->GetPoints().GetAt(0)->x, 5.0f);
    EXPECT_EQ(inside->GetPoints().GetAt(0)->y, 3.0f);
    EXPECT_EQ(inside->GetPoints().GetAt(1)->x, 15.0f);
    EXPECT_EQ(inside->GetPoints().GetAt(1)->y, 8.0f);
}

// The LAYER table against a drawing that has a layer "Walls" (green) already, by the two layer
// flags of the control.
TEST(GroupDxf, ReadsTheLayerTableByTheLayerFlags)
{
    const std::vector<Group> table = {{0, "LAYER"}, {2, "Walls"}, {70, "4"},  {62, "1"},  {6, "CONTINUOUS"},
                                      {0, "LAYER"}, {2, "Walls"}, {70, "1"},  {62, "-5"}, {6, "DASHED"},
                                      {0, "LAYER"}, {2, "Doors"}, {70, "0"},  {62, "3"},  {0, "ENDTAB"},
                                      {0, "EOF"}};
    struct Case
    {
        DWORD flags;
        int wallsLayers;      // layers named Walls afterwards
        DWORD existingColour; // of the layer that was there
        bool existingVisible;
    } cases[] = {
        {0, 1, 0x00FF00, true},                                                     // kept as it was
        {controlDontMergeLayers, 1, 0x00FF00, true},                               // kept as it was
        {controlDontOverwriteLayers, 1, 0xFF0000, false},                          // takes each entry
        {controlDontMergeLayers | controlDontOverwriteLayers, 3, 0x00FF00, true},  // one more per entry
    };
    for (const Case& c : cases) {
        Drawing d;
        d.control.SetControlFlags(c.flags);
        CLayer* walls = MakeLayer(d.control, d.layers, "Walls");
        walls->SetPenColor(0x00FF00);
        Reader reader(table);
        EXPECT_EQ(d.layers->ReadDxfLayerTable(reader.dxf), 1);
        int count = 0;
        for (CShape* child : d.layers->Children())
            if (static_cast<CLayer*>(child)->GetName() == "Walls")
                ++count;
        EXPECT_EQ(count, c.wallsLayers) << c.flags;
        EXPECT_EQ(walls->GetPenColor(), c.existingColour) << c.flags;
        EXPECT_EQ(walls->HasState(CShape::stVisible), c.existingVisible) << c.flags;
        CLayer* doors = d.control.FindLayerByName("Doors");
        ASSERT_NE(doors, nullptr);
        EXPECT_EQ(doors->GetParent(), d.layers);
        EXPECT_LT(doors->GetDatabaseId(), 0);
        if (c.wallsLayers == 3) {
            // The name finds the last one read: off, colour 5 for pen and second colour, frozen.
            CLayer* last = d.control.FindLayerByName("Walls");
            ASSERT_NE(last, walls);
            EXPECT_FALSE(last->HasState(CShape::stVisible));
            EXPECT_EQ(last->GetPenColor(), 0xFF0000u);
            EXPECT_EQ(last->GetHatchColor(), 0xFF0000u);
            EXPECT_TRUE(last->HasState(CShape::stNotSelectable));
            EXPECT_TRUE(last->HasState(CShape::stEnabled));
            EXPECT_EQ(last->GetLinePatternId(), d.control.GetLineTypeMap().IdFromName("DASHED"));
        }
    }
}

// A drawing for ezdxf: the LAYER table of the layers group, our application, a block of the
// library and entities with our extended data (check_dxf_storage.py reads it).
TEST(ShapeDxf, WritesADrawingThatEzdxfReads)
{
    Drawing d;
    CLayer* walls = MakeLayer(d.control, d.layers, "Walls");
    walls->SetPenColor(0x0000FF);
    walls->SetVisible(false);
    CLayer* locked = MakeLayer(d.control, d.layers, "Locked");
    locked->SetStateBits(CShape::stEnabled, false);
    locked->SetLinePatternId(d.control.GetLineTypeMap().IdFromName("DASHED"));

    auto* door = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    door->SetName(L"Door");
    d.library->AddChild(door, nullptr, 1, false);
    MakeLine(d, 70, {0, 0}, {1, 2}, door);

    TestLine* first = MakeLine(d, 300, {0, 0}, {10, 5}, d.root);
    first->SetLayer(walls);
    first->SetPenColor(0x00FF00);
    first->SetLinePatternScale(2.0f);
    first->SetPenWeight(0.5f);
    first->SetTag(77);
    first->SetHatchPatternId(3);
    auto* plain = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    d.root->AddChild(plain, nullptr, 1, false);
    TestLine* grouped = MakeLine(d, 301, {1, 1}, {2, 2}, plain);
    grouped->LinkPoint(first->GetPoints().GetAt(1)->GetPointId());

    const std::string path = OutputPath("storage.dxf");
    WriteR12Drawing(d, path, false);

    // Our own reader takes the LAYER table back equal.
    Drawing back;
    CDxfFile dxf;
    ASSERT_TRUE(dxf.Open(path.c_str(), true));
    while (dxf.ReadGroup())
        if (dxf.GetCode() == 2 && std::strcmp(dxf.GetText(), "LAYER") == 0)
            break;
    EXPECT_EQ(back.layers->ReadDxfLayerTable(dxf), 1);
    dxf.Close();
    CLayer* wallsBack = back.control.FindLayerByName("Walls");
    CLayer* lockedBack = back.control.FindLayerByName("Locked");
    ASSERT_TRUE(wallsBack && lockedBack);
    EXPECT_EQ(wallsBack->GetPenColor(), 0x0000FFu);
    EXPECT_FALSE(wallsBack->HasState(CShape::stVisible));
    EXPECT_FALSE(lockedBack->HasState(CShape::stEnabled));
    EXPECT_EQ(lockedBack->GetLinePatternId(), locked->GetLinePatternId());
}
