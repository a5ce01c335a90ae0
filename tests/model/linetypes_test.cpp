// Line types, the line-type map with the built-in definitions, and the pen cache.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "interchange/DxfFile.h"
#include "model/PointRecord.h"
#include "model/LineTypeMap.h"
#include "model/PenCache.h"
#include "tests/support/DxfTestSupport.h"

namespace {
struct BuiltIn
{
    int id;
    const char* name;
    std::vector<double> dashes;
    const char* description; // the short description the text begins with
};

// The built-in line types as the drawing control documents them.
const BuiltIn kBuiltIns[] = {
    {3, "BORDER", {.5, -.25, .5, -.25, 0, -.25}, "Border"},
    {4, "BORDER2", {.5, -.125, 0, -.125}, "Border (.5x)"},
    {5, "BORDERX2", {1, -.5, 1, -.5, 0, -.5}, "Border (2x)"},
    {6, "CENTER", {1, -.25, .25, -.25}, "Center"},
    {7, "CENTER2", {.5, -.25, .25, -.25}, "Center (.5x)"},
    {8, "CENTERX2", {2, -.5, .5, -.5}, "Center (2x)"},
    {9, "DASHDOT", {.5, -.25, 0, -.25}, "Dash dot"},
    {10, "DASHDOT2", {.25, -.125, 0, -.125}, "Dash dot (.5x)"},
    {11, "DASHDOTX2", {1, -.5, 0, -.5}, "Dash dot (2x)"},
    {12, "DASHED", {.5, -.25}, "Dashed"},
    {13, "DASHED2", {.25, -.25}, "Dashed (.5x)"},
    {14, "DASHEDX2", {1, -.5}, "Dashed (2x)"},
    {15, "DIVIDE", {1, -.25, 0, -.25, 0, -.25}, "Divide"},
    {16, "DIVIDE2", {.5, -.125, 0, -.125, 0, -.125}, "Divide (.5x)"},
    {17, "DIVIDEX2", {2, -.5, 0, -.5, 0, -.5}, "Divide (2x)"},
    {18, "DOT", {0, -.25}, "Dot"},
    {19, "DOT2", {0, -.125}, "Dot (.5x)"},
    {20, "DOTX2", {0, -.5}, "Dot (2x)"},
    {21, "HIDDEN", {.5, -.25}, "Hidden"},
    {22, "HIDDEN2", {.25, -.25}, "Hidden (.5x)"},
    {23, "HIDDENX2", {1, -.25}, "Hidden (2x)"},
    {24, "PHANTOM", {1.5, -.5, .5, -.5, .5, -.5}, "Phantom"},
    {25, "PHANTOM2", {.75, -.25, .25, -.25, .25, -.25}, "Phantom (.5x)"},
    {26, "PHANTOMX2", {3, -1, 1, -1, 1, -1}, "Phantom (2x)"},
    {27, "ACAD_ISO02W100", {.5, -.25}, "ISO dash"},
    {28, "ACAD_ISO03W100", {.5, -1}, "ISO dash space"},
    {29, "ACAD_ISO04W100", {1, -.25, 0, -.25}, "ISO long-dash dot"},
    {30, "ACAD_ISO05W100", {1, -.25, 0, -.125, 0, -.25}, "ISO long-dash double-dot"},
    {31, "ACAD_ISO06W100", {1, -.25, 0, -.125, 0, -.125, 0, -.25}, "ISO long-dash triple-dot"},
    {32, "ACAD_ISO07W100", {0, -.25}, "ISO dot"},
    {33, "ACAD_ISO08W100", {1, -.25, .5, -.25}, "ISO long-dash short-dash"},
    {34, "ACAD_ISO09W100", {1, -.25, .5, -.25, .5, -.25}, "ISO long-dash double-short-dash"},
    {35, "ACAD_ISO10W100", {.5, -.25, 0, -.25}, "ISO dash dot"},
    {36, "ACAD_ISO11W100", {.5, -.25, .5, -.25, 0, -.25}, "ISO double-dash dot"},
    {37, "ACAD_ISO12W100", {.5, -.25, 0, -.25, 0, -.25}, "ISO dash double-dot"},
    {38, "ACAD_ISO13W100", {.5, -.25, .5, -.25, 0, -.25, 0, -.25}, "ISO double-dash double-dot"},
    {39, "ACAD_ISO14W100", {.5, -.25, 0, -.25, 0, -.25, 0, -.25}, "ISO dash triple-dot"},
    {40, "ACAD_ISO15W100", {.5, -.25, .5, -.25, 0, -.25, 0, -.25, 0, -.25}, "ISO double-dash triple-dot"},
};

// The dash list of a pen as GDI keeps it (empty for a pen without a user style).
std::vector<DWORD> PenStyleEntries(HPEN pen, DWORD* style = nullptr)
{
    std::vector<BYTE> buffer(GetObjectA(pen, 0, nullptr));
    if (buffer.empty())
        return {};
    GetObjectA(pen, static_cast<int>(buffer.size()), buffer.data());
    if (buffer.size() < sizeof(EXTLOGPEN) - sizeof(DWORD)) {
        if (style)
            *style = reinterpret_cast<LOGPEN*>(buffer.data())->lopnStyle;
        return {};
    }
    const EXTLOGPEN* ext = reinterpret_cast<EXTLOGPEN*>(buffer.data());
    if (style)
        *style = ext->elpPenStyle;
    return std::vector<DWORD>(ext->elpStyleEntry, ext->elpStyleEntry + ext->elpNumEntries);
}
} // namespace

TEST(LineTypeMap, TheControlHoldsTheFixedAndBuiltInTypes)
{
    CControlCore control;
    CLineTypeMap& map = control.GetLineTypeMap();
    ASSERT_EQ(map.Entries().size(), 40u);
    EXPECT_STREQ(map.Find(1)->GetName(), "__SELECTED");
    EXPECT_EQ(map.Find(1)->GetPenStyle(), static_cast<UINT>(PS_DOT));
    EXPECT_STREQ(map.Find(2)->GetName(), "CONTINUOUS");
    EXPECT_EQ(map.Find(2)->GetDashCount(), 0);
    EXPECT_TRUE(map.Find(1)->IsSelectedOrContinuous());
    EXPECT_FALSE(map.Find(3)->IsSelectedOrContinuous());
    for (const BuiltIn& b : kBuiltIns) {
        const CLineType* type = map.Find(b.id);
        ASSERT_NE(type, nullptr) << b.name;
        EXPECT_STREQ(type->GetName(), b.name);
        EXPECT_EQ(type->GetDashes(), b.dashes) << b.name;
        ASSERT_NE(type->GetDescription(), nullptr);
        EXPECT_EQ(std::string(type->GetDescription()).rfind(b.description, 0), 0u) << type->GetDescription();
        EXPECT_EQ(map.IdFromName(b.name), b.id);
    }
    EXPECT_EQ(map.CountNamed(), 40);
    EXPECT_EQ(map.GetNextId(), 41);
}

TEST(LineTypeMap, IdFromName)
{
    CControlCore control;
    const CLineTypeMap& map = control.GetLineTypeMap();
    struct Case
    {
        const char* name;
        int id;
    } cases[] = {{"BYLAYER", 0x4000}, {"bylayer", 0x4000}, {"byblock", 0x8000}, {"ByBlockAndMore", 0x8000},
                 {"DASHED", 12},      {"dashed", 0},       {"NOSUCHTYPE", 0},   {"BYLAYE", 0},
                 {"CONTINUOUS", 2}};
    for (const Case& c : cases)
        EXPECT_EQ(map.IdFromName(c.name), c.id) << c.name;
    EXPECT_EQ(map.IdFromName(nullptr), 0);
}

TEST(LineTypeMap, AddRefusesANameWithAnotherPattern)
{
    CControlCore control;
    CLineTypeMap& map = control.GetLineTypeMap();
    CLineType clash("DASHED", 0);
    clash.ParsePatternLine("A,1,-1", 6);
    int id = -1;
    EXPECT_EQ(map.Add(clash, &id), 0);
    EXPECT_EQ(id, 0);

    CLineType same("DASHED", 0);
    same.ParsePatternLine("A,.5,-.25", 9);
    EXPECT_EQ(map.Add(same, &id), 0);
    EXPECT_EQ(id, 12);

    CLineType fresh("MINE", 0);
    fresh.ParsePatternLine("A, 2, -1, 0, -1", 15);
    EXPECT_EQ(map.Add(fresh, &id), 1);
    EXPECT_EQ(id, 41);
    EXPECT_EQ(map.Find(41)->GetDashes(), (std::vector<double>{2, -1, 0, -1}));

    // Nameless types are compared by their pattern.
    CLineType nameless(std::vector<double>{3, -3});
    EXPECT_EQ(map.Add(nameless, &id), 1);
    EXPECT_EQ(id, 42);
    EXPECT_EQ(map.Add(CLineType(std::vector<double>{3, -3}), &id), 0);
    EXPECT_EQ(id, 42);
}

TEST(LineType, DefinitionParsing)
{
    struct Case
    {
        const char* text;
        int result;
        const char* name;
        const char* description;
        std::vector<double> dashes;
    } cases[] = {
        {"*A1,First one\r\nA,.5,-.25\r\n", 1, "A1", "First one", {.5, -.25}},
        {"*  B2,  Spaced\r\nA, 1, -2, 0\r\n", 1, "B2", "Spaced", {1, -2, 0}},
        {"*C3,Bare LF\nA,1.5e0,-.5\n", 1, "C3", "Bare LF", {1.5, -.5}},
        {"*D4,No pattern", 1, "D4", "No pattern", {}},
        {"*E5,Commented\r\n;;A,1,-1\r\n", 1, "E5", "Commented", {}},
        {"*F6\r\nA,2,-2\r\n", 1, "F6", nullptr, {2, -2}},
        {"*G7,Junk\r\nA,x,y\r\n", 1, "G7", "Junk", {}},
        {"NoStar,x\r\nA,1\r\n", 0, nullptr, nullptr, {}},
    };
    for (const Case& c : cases) {
        CLineType type;
        EXPECT_EQ(type.ParseDefinition(c.text, std::strlen(c.text)), c.result) << c.text;
        if (c.name)
            EXPECT_STREQ(type.GetName(), c.name);
        else
            EXPECT_EQ(type.GetName(), nullptr);
        if (c.description)
            EXPECT_STREQ(type.GetDescription(), c.description);
        else
            EXPECT_EQ(type.GetDescription(), nullptr);
        EXPECT_EQ(type.GetDashes(), c.dashes) << c.text;
    }
}

TEST(LineTypeMap, LoadDefinitionsAndUnits)
{
    CLineTypeMap map;
    EXPECT_EQ(map.LoadDefinitions(nullptr, 10), -1);
    EXPECT_EQ(map.LoadDefinitions("*X", 0), -1);
    const char text[] = ";; header\r\n*ONE,One\r\nA,1,-1\r\n*TWO,Two\r\nA,2,-2\r\n*ONE,Again\r\nA,1,-1\r\n";
    EXPECT_EQ(map.LoadDefinitions(text, sizeof text - 1), 2); // the repeated ONE is not added twice

    EXPECT_EQ(map.ToEnglish(), 0); // already inches
    EXPECT_EQ(map.ToMetric(), 1);
    EXPECT_EQ(map.ToMetric(), 0);
    EXPECT_DOUBLE_EQ(map.Find(2)->GetDashes()[0], 50.8);
    EXPECT_EQ(map.ToEnglish(), 1);
    EXPECT_NEAR(map.Find(2)->GetDashes()[0], 2.0, 1e-12);
}

TEST(LineType, IsSamePattern)
{
    CLineType a("A", 0), a2("A", 3), b("B", 0), none1(std::vector<double>{}), none2(std::vector<double>{});
    EXPECT_TRUE(a.IsSamePattern(a2)); // no dashes: the names decide
    EXPECT_FALSE(a.IsSamePattern(b));
    EXPECT_FALSE(a.IsSamePattern(none1));
    EXPECT_TRUE(none1.IsSamePattern(none2));
    CLineType d1(std::vector<double>{1, -1}), d2(std::vector<double>{1, -1}), d3(std::vector<double>{1, -2});
    d1.SetName("X");
    EXPECT_TRUE(d1.IsSamePattern(d2)); // with dashes: the dashes decide
    EXPECT_FALSE(d1.IsSamePattern(d3));
}

TEST(LineType, PenDashesCollapseBelowTheMinimumLength)
{
    CControlCore control;
    const CLineTypeMap& map = control.GetLineTypeMap();
    struct Case
    {
        int id;
        double scale;
        std::vector<DWORD> entries; // empty: no pen
    } cases[] = {
        {12, 40, {20, 10}},         // DASHED .5, -.25
        {12, 20, {}},               // the gap of 5 merges: one element, no pen
        {18, 24, {}},               // DOT: the gap of 6 is not above the minimum
        {18, 40, {6, 10}},          // DOT: a dot is the minimum dash
        {9, 20, {16}},              // DASHDOT: both gaps (5) merge: 10 + 6 in one element, no pen
        {9, 40, {20, 10, 6, 10}},   // DASHDOT
        {30, 32, {32, 8, 12, 8}},   // ISO05: the short gap (4) joins the two dots
    };
    for (const Case& c : cases) {
        HPEN pen = map.Find(c.id)->CreatePen(RGB(10, 20, 30), 1, c.scale);
        std::vector<DWORD> expected = c.entries;
        if (expected.size() < 2) {
            EXPECT_EQ(pen, nullptr) << c.id << " at " << c.scale;
        } else {
            ASSERT_NE(pen, nullptr) << c.id << " at " << c.scale;
            DWORD style = 0;
            EXPECT_EQ(PenStyleEntries(pen, &style), expected) << c.id << " at " << c.scale;
            EXPECT_EQ(style & PS_STYLE_MASK, static_cast<DWORD>(PS_USERSTYLE));
            DeleteObject(pen);
        }
    }
    CLineType::SetMinDashLength(2); // print metafiles
    HPEN pen = map.Find(18)->CreatePen(0, 1, 24);
    ASSERT_NE(pen, nullptr);
    EXPECT_EQ(PenStyleEntries(pen), (std::vector<DWORD>{2, 6}));
    DeleteObject(pen);
    CLineType::SetMinDashLength(6);
}

TEST(PenCache, FixedPensAndTheNullPen)
{
    CControlCore control;
    CPenCache& cache = control.GetPenCache();
    for (int id = -11; id <= -1; ++id)
        EXPECT_EQ(cache.Pens().count(id), 1u) << id;
    EXPECT_EQ(cache.Pens().size(), 11u);
    EXPECT_EQ(cache.GetNextId(), 1);
    EXPECT_EQ(cache.Pens().at(-6).m_colour, 0xFF0000u);
    EXPECT_EQ(cache.Pens().at(-4).m_scale, 50.0);

    HPEN nullPen = cache.Pens().at(-1).m_pen;
    EXPECT_EQ(cache.GetPen(-1, RGB(1, 2, 3), 7, 1.0, false), nullPen);
    EXPECT_EQ(cache.GetPen(-1, 0, 0, 2.0, true), nullPen);
    LOGPEN lp = {};
    GetObjectA(nullPen, sizeof lp, &lp);
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_NULL));
    EXPECT_EQ(cache.GetPen(999, 0, 0, 1.0, false), nullptr); // no such line type
}

TEST(PenCache, PensPerZoomAndTheirRelease)
{
    CControlCore control;
    CPenCache& cache = control.GetPenCache();
    const COLORREF red = RGB(255, 0, 0);
    HPEN dashedAt1 = cache.GetPen(12, red, 1, 1.0, false);
    HPEN dashedAt2 = cache.GetPen(12, red, 1, 2.0, false);
    ASSERT_NE(dashedAt1, nullptr);
    ASSERT_NE(dashedAt2, nullptr);
    EXPECT_NE(dashedAt1, dashedAt2);
    EXPECT_EQ(cache.GetPen(12, red, 1, 1.0, true), dashedAt1);
    // Continuous ignores the scale.
    HPEN solid = cache.GetPen(2, red, 3, 1.0, false);
    EXPECT_EQ(cache.GetPen(2, red, 3, 7.5, false), solid);
    EXPECT_EQ(cache.GetPen(2, red, 3, 7.5, false), solid);
    EXPECT_EQ(cache.GetNextId(), 4);
    EXPECT_FLOAT_EQ(cache.GetMaxPenWidth(), 3.0f);

    // DOT at 0.4 x 50 = 20 device units per inch collapses: the continuous pen of that colour.
    HPEN dot = cache.GetPen(18, RGB(0, 0, 255), 2, 0.4, false);
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(dot, cache.GetPen(2, RGB(0, 0, 255), 2, 1.0, false));

    cache.ClearPens(false);
    EXPECT_EQ(cache.Pens().size(), 11u);
    EXPECT_EQ(cache.Pens().begin()->first, -11);
    EXPECT_EQ(cache.GetNextId(), 1);
    cache.GetPen(12, red, 1, 1.0, false);
    EXPECT_EQ(cache.Pens().rbegin()->first, 1);
}

namespace {
IStream* StreamOf(const std::string& bytes)
{
    return SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
}

std::string Lines(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}
} // namespace

// An LTYPE table: new names are added (keeping only the announced number of dashes), names the
// drawing knows keep their definitions, and the reader stops behind ENDTAB.
TEST(LineTypeMap, ReadsTheDxfLtypeTable)
{
    CControlCore control;
    CLineTypeMap& map = control.GetLineTypeMap();
    const std::string text = Lines({"  0", "TABLE", "  2", "LTYPE", " 70", "     3",
                                    "  0", "LTYPE", "  2", "MYDASH", " 70", "     0", "  3", "Mine __ __ __",
                                    " 72", "    65", " 73", "     2", " 40", "0.75",
                                    " 49", "0.5", " 49", "-0.25", " 49", "0.125",
                                    "  0", "LTYPE", "  2", "DASHED", " 70", "     0", "  3", "Theirs",
                                    " 72", "    65", " 73", "     2", " 40", "3.0", " 49", "2.0", " 49", "-1.0",
                                    "  0", "LTYPE", "  2", "BYLAYER", " 70", "     0", "  3", "",
                                    " 72", "    65", " 73", "     0", " 40", "0.0",
                                    "  0", "ENDTAB", "  0", "ENDSEC", "  0", "EOF"});
    IStream* stream = StreamOf(text);
    CDxfFile dxf;
    ASSERT_TRUE(dxf.OpenStream(stream, true));
    ASSERT_TRUE(dxf.ReadGroup()); // 0 TABLE
    ASSERT_TRUE(dxf.ReadGroup()); // 2 LTYPE
    EXPECT_EQ(map.ReadDxfTable(dxf), 1);
    ASSERT_TRUE(dxf.ReadGroup());
    EXPECT_STREQ(dxf.GetText(), "ENDSEC");
    dxf.Close();
    stream->Release();

    EXPECT_EQ(map.Entries().size(), 41u);
    const CLineType* mine = map.Find(41);
    ASSERT_NE(mine, nullptr);
    EXPECT_STREQ(mine->GetName(), "MYDASH");
    EXPECT_STREQ(mine->GetDescription(), "Mine __ __ __");
    EXPECT_EQ(mine->GetDashes(), (std::vector<double>{0.5, -0.25}));
    EXPECT_EQ(mine->GetAlignment(), 65);
    EXPECT_EQ(map.Find(12)->GetDashes(), (std::vector<double>{.5, -.25})); // kept
}

// The LTYPE table as we write it reads back equal, and ezdxf reads the drawing it is part of
// (check_dxf_linetypes.py).
TEST(LineTypeMap, WritesTheDxfLtypeTable)
{
    CControlCore control;
    CLineTypeMap& map = control.GetLineTypeMap();
    CLineType nameless(std::vector<double>{2, -1});
    map.Add(nameless);

    const std::string path = OutputPath("linetypes.dxf");
    CDxfFile dxf;
    ASSERT_TRUE(dxf.Open(path.c_str(), false));
    WriteR12HeaderAndOpenTables(dxf);
    EXPECT_EQ(map.WriteDxfTable(dxf), 1);
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "ENTITIES");
    dxf.WriteStringGroup(0, "LINE");
    dxf.WriteStringGroup(8, "0");
    dxf.WriteStringGroup(6, "DASHDOT");
    CPointRecord a(0, 0, 1), b(10, 5, 2);
    a.WriteDxf(dxf, true, 0);
    b.WriteDxf(dxf, true, 1);
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "EOF");
    ASSERT_TRUE(dxf.Close());
    EXPECT_EQ(map.Find(3)->GetTotalLength(), 1.75f); // recomputed while writing

    // Read back into a map with nothing but the fixed entries.
    CLineTypeMap back;
    back.Add(CLineType("__SELECTED", PS_DOT));
    back.Add(CLineType("CONTINUOUS", PS_SOLID));
    ASSERT_TRUE(dxf.Open(path.c_str(), true));
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() == 2 && std::strcmp(dxf.GetText(), "LTYPE") == 0) {
            back.ReadDxfTable(dxf);
            break;
        }
    }
    dxf.Close();
    ASSERT_EQ(back.Entries().size(), 41u);
    for (const BuiltIn& b : kBuiltIns)
        EXPECT_EQ(back.Find(b.id)->GetDashes(), b.dashes) << b.name;
    EXPECT_STREQ(back.Find(41)->GetName(), "LineType0");
}
