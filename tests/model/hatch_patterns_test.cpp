// Hatch patterns: the definition parser, the 27 built-ins the control loads, the pattern map's IDs,
// units and record tables, and the shapes' lookup of their pattern. The built-ins are also written
// out for check_hatch_patterns.py, which compares them with ezdxf's table.
#include <gtest/gtest.h>
#include <windows.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"
#include "model/Shape.h"
#include "persistence/DataTableSet.h"
#include "tests/support/ImageTestSupport.h"
#include "YVEX_h.h"

namespace {

// One line family as the definitions write it.
struct LineRow
{
    double angle, originX, originY, offsetX, offsetY;
    std::vector<double> dashes;
};

void ExpectLine(const CHatchPatternLine& line, const LineRow& row, const std::string& where)
{
    EXPECT_NEAR(line.m_angle, row.angle, 1e-9) << where;
    EXPECT_NEAR(line.m_originX, row.originX, 1e-9) << where;
    EXPECT_NEAR(line.m_originY, row.originY, 1e-9) << where;
    EXPECT_NEAR(line.m_offsetX, row.offsetX, 1e-9) << where;
    EXPECT_NEAR(line.m_offsetY, row.offsetY, 1e-9) << where;
    ASSERT_EQ(line.m_dashes.size(), row.dashes.size()) << where;
    for (size_t i = 0; i < row.dashes.size(); ++i)
        EXPECT_NEAR(line.m_dashes[i], row.dashes[i], 1e-9) << where << " dash " << i;
}

CHatchPattern Parsed(const char* text, bool millimetres = false)
{
    CHatchPattern pattern;
    EXPECT_EQ(pattern.ParseDefinition(text, std::strlen(text), millimetres), 1) << text;
    return pattern;
}

// Where the test programs leave files for the Python checks.
std::string OutputPath(const char* name)
{
    CreateDirectoryA("hatch_out", nullptr);
    return std::string("hatch_out\\") + name;
}

} // namespace

TEST(HatchPatternDefinition, LinesAndHeaders)
{
    // DASH in millimetres: every length times 25.4, the angle as it was.
    const CHatchPattern dash = Parsed("*DASH, Dashed lines\r\n0, 0,0, .125,.125, .125,-.125\r\n", true);
    ASSERT_EQ(dash.Lines().size(), 1u);
    ExpectLine(dash.Lines()[0], {0, 0, 0, 3.175, 3.175, {3.175, -3.175}}, "DASH mm");

    // A line of four fields is kept, the fifth keeping its default; Parse says it was short.
    CHatchPatternLine shortLine;
    EXPECT_FALSE(shortLine.Parse("45, 0, 0, 0", 11, false));
    ExpectLine(shortLine, {45, 0, 0, 0, 5.0, {}}, "four fields");
    const CHatchPattern withShort = Parsed("*X,y\r\n45, 0, 0, 0\r\n");
    ASSERT_EQ(withShort.Lines().size(), 1u);
    EXPECT_DOUBLE_EQ(withShort.Lines()[0].m_offsetY, 5.0);

    // Each line keeps its own dashes; the description keeps its commas; no blank is needed
    // after the name's comma.
    const CHatchPattern two = Parsed("*ANSI31, ANSI Iron, Brick, Stone masonry\r\n0, 0,0, 0,1, 2,-1\r\n90, 0,0, 0,1\r\n");
    EXPECT_STREQ(two.GetName(), "ANSI31");
    EXPECT_EQ(two.GetDescription(), "ANSI Iron, Brick, Stone masonry");
    ASSERT_EQ(two.Lines().size(), 2u);
    EXPECT_EQ(two.Lines()[0].m_dashes.size(), 2u);
    EXPECT_TRUE(two.Lines()[1].m_dashes.empty());
    const CHatchPattern tight = Parsed("*SQUARE,Small aligned squares\r\n0, 0,0, 0,.125");
    EXPECT_STREQ(tight.GetName(), "SQUARE");
    EXPECT_EQ(tight.GetDescription(), "Small aligned squares");
    EXPECT_EQ(tight.Lines().size(), 1u);

    // A header that ends the text has no lines; one without a comma names nothing.
    EXPECT_TRUE(Parsed("*EMPTY, nothing").Lines().empty());
    const CHatchPattern unnamed = Parsed("*NONAME\r\n0, 0,0, 0,1\r\n");
    EXPECT_EQ(unnamed.GetName(), nullptr);
    EXPECT_EQ(unnamed.Lines().size(), 1u);
    CHatchPattern refused;
    EXPECT_EQ(refused.ParseDefinition("NAME, no star", 13, false), 0);
    EXPECT_EQ(refused.ParseDefinition("*NAME", 5, false), 0);
}

TEST(HatchPatternDefinition, DashPeriod)
{
    struct Case
    {
        std::vector<double> dashes;
        double period;
    } cases[] = {{{.25, -.25, 0, -.25, 0, -.25}, 1.0}, {{.5}, 0.0}, {{}, 0.0}, {{.125, -.125}, .25}};
    for (const Case& c : cases) {
        CHatchPatternLine line;
        line.m_dashes = c.dashes;
        EXPECT_DOUBLE_EQ(line.GetDashPeriod(), c.period);
    }
}

// The control loads the 27 built-ins as IDs 1 to 27 in the order of HatchPatternIDs.
TEST(HatchPatternMap, BuiltInsLoadWithTheControl)
{
    CControlCore control;
    CHatchPatternMap& map = control.GetHatchPatternMap();
    const struct
    {
        int id;
        const char* name;
        const char* description;
    } table[] = {{hpSolid, "SOLID", "Solid fill"},
                 {hpAngle, "ANGLE", "Angle steel"},
                 {hpAnsi31, "ANSI31", "ANSI Iron, Brick, Stone masonry"},
                 {hpAnsi32, "ANSI32", "ANSI Steel"},
                 {hpAnsi33, "ANSI33", "ANSI Bronze, Brass, Copper"},
                 {hpAnsi34, "ANSI34", "ANSI Plastic, Rubber"},
                 {hpAnsi35, "ANSI35", "ANSI Fire brick, Refractory material"},
                 {hpAnsi36, "ANSI36", "ANSI Marble, Slate, Glass"},
                 {hpAnsi37, "ANSI37", "ANSI Lead, Zinc, Magnesium, Sound/Heat/Elec Insulation"},
                 {hpBrass, "BRASS", "Brass material"},
                 {hpDolmit, "DOLMIT", "Geological rock layering"},
                 {hpDash, "DASH", "Dashed lines"},
                 {hpClay, "CLAY", "Clay material"},
                 {hpGrate, "GRATE", "Grated area"},
                 {hpInsul, "INSUL", "Insulation material"},
                 {hpLine, "LINE", "Parallel horizontal lines"},
                 {hpMudst, "MUDST", "Mud and sand"},
                 {hpNet, "NET", "Horizontal / vertical grid"},
                 {hpNet3, "NET3", "Network pattern 0-60-120"},
                 {hpPlast, "PLAST", "Plastic material"},
                 {hpPlasti, "PLASTI", "Plastic material"},
                 {hpSacncr, "SACNCR", "Concrete"},
                 {hpSquare, "SQUARE", "Small aligned squares"},
                 {hpSteel, "STEEL", "Steel material"},
                 {hpTrans, "TRANS", "Heat transfer material"},
                 {hpZigzag, "ZIGZAG", "Staircase effect"},
                 {hpDiagonal, "DIAGONAL", "Mirrored Iron, Brick, Stone masonry"}};
    ASSERT_EQ(map.Patterns().size(), 27u);
    EXPECT_EQ(map.GetHighestId(), 27);
    EXPECT_EQ(hpNumberOfValues, 28);
    for (const auto& row : table) {
        const CHatchPattern* pattern = map.Find(row.id);
        ASSERT_NE(pattern, nullptr) << row.name;
        EXPECT_STREQ(pattern->GetName(), row.name);
        EXPECT_EQ(pattern->GetDescription(), row.description);
        EXPECT_EQ(pattern->GetId(), row.id);
        EXPECT_EQ(pattern->GetDatabaseId(), row.id);
        EXPECT_FALSE(pattern->IsImagePattern());
        EXPECT_FALSE(pattern->Lines().empty()) << row.name;
    }

    // The rows the definitions must hold exactly.
    const struct
    {
        int id;
        std::vector<LineRow> lines;
    } rows[] = {
        {hpSolid, {{45, 0, 0, 0, .125, {}}}},
        {hpAnsi31, {{45, 0, 0, 0, .125, {}}}},
        {hpDiagonal, {{135, 0, 0, 0, .125, {}}}},
        {hpDash, {{0, 0, 0, .125, .125, {.125, -.125}}}},
        {hpNet, {{0, 0, 0, 0, .125, {}}, {90, 0, 0, 0, .125, {}}}},
        {hpNet3, {{0, 0, 0, 0, .125, {}}, {60, 0, 0, 0, .125, {}}, {120, 0, 0, 0, .125, {}}}},
        {hpAnsi32, {{45, 0, 0, 0, .375, {}}, {45, .176776695, 0, 0, .375, {}}}},
        {hpMudst, {{0, 0, 0, .5, .25, {.25, -.25, 0, -.25, 0, -.25}}}},
        {hpSquare, {{0, 0, 0, 0, .125, {.125, -.125}}, {90, 0, 0, 0, .125, {.125, -.125}}}},
        {hpZigzag, {{0, 0, 0, .125, .125, {.125, -.125}}, {90, .125, 0, .125, .125, {.125, -.125}}}},
        {hpLine, {{0, 0, 0, 0, .125, {}}}},
    };
    for (const auto& row : rows) {
        const CHatchPattern* pattern = map.Find(row.id);
        ASSERT_EQ(pattern->Lines().size(), row.lines.size()) << pattern->GetName();
        for (size_t i = 0; i < row.lines.size(); ++i)
            ExpectLine(pattern->Lines()[i], row.lines[i], std::string(pattern->GetName()) + " line " + std::to_string(i));
    }

    // Every built-in, for the comparison with ezdxf's table.
    FILE* out = std::fopen(OutputPath("builtins.txt").c_str(), "w");
    ASSERT_NE(out, nullptr);
    for (const auto& entry : map.Patterns()) {
        std::fprintf(out, "*%s\n", entry.second->GetName());
        for (const CHatchPatternLine& line : entry.second->Lines()) {
            std::fprintf(out, "%.12g %.12g %.12g %.12g %.12g", line.m_angle, line.m_originX, line.m_originY,
                         line.m_offsetX, line.m_offsetY);
            for (double d : line.m_dashes)
                std::fprintf(out, " %.12g", d);
            std::fprintf(out, "\n");
        }
    }
    std::fclose(out);
}

TEST(HatchPatternMap, IdsOfTheSitesPatterns)
{
    CControlCore control;
    CHatchPatternMap& map = control.GetHatchPatternMap();
    EXPECT_EQ(map.ParseDefinitions(nullptr, 10), -1);
    EXPECT_EQ(map.ParseDefinitions("*A,b", 0), -1);

    EXPECT_EQ(map.AddPattern("Tiles", "Red tiles", 5), 28);
    EXPECT_EQ(map.AddPattern("Other", "Same image", 5), -1); // the image has its pattern
    EXPECT_EQ(map.AddPattern("Lines", "No image", 0), -1);   // 0 finds the line patterns
    EXPECT_EQ(map.Patterns().size(), 28u);
    // The same name and image is the same pattern.
    auto twin = std::make_unique<CHatchPattern>("Tiles");
    twin->SetImageResourceId(5);
    EXPECT_EQ(map.Insert(std::move(twin)), 28);
    EXPECT_EQ(map.AddPattern("Bricks", "", 6), 29);
    EXPECT_EQ(map.FindByImage(6)->GetId(), 29);

    // Built-ins stay unless forced; removing the highest ID frees it again.
    EXPECT_EQ(map.Remove(5, false), 0);
    EXPECT_NE(map.Find(5), nullptr);
    EXPECT_EQ(map.Remove(99, true), 0);
    EXPECT_EQ(map.Remove(29, false), 1);
    EXPECT_EQ(map.GetHighestId(), 28);
    EXPECT_EQ(map.AddPattern("Bricks", "", 6), 29);
    // A removal below the highest ID leaves it; the next pattern takes a free ID above.
    EXPECT_EQ(map.Remove(28, false), 1);
    EXPECT_EQ(map.AddPattern("Slate", "", 7), 30);
    EXPECT_EQ(map.Remove(5, true), 1);
    EXPECT_EQ(map.Find(5), nullptr);

    // Stored IDs: a built-in by its ID, a site pattern by its database ID; 0 names no row.
    map.Find(30)->SetDatabaseId(41);
    EXPECT_EQ(map.FindByStoredId(41), map.Find(30));
    EXPECT_EQ(map.FindByStoredId(3), map.Find(3));
    EXPECT_EQ(map.FindByStoredId(30), nullptr);
    EXPECT_EQ(map.FindByStoredId(0), nullptr); // pattern 29 was never stored

    // Patterns loaded for browsing go with PurgeMarked; RemoveAll keeps the built-ins.
    map.Find(29)->SetLoadedForBrowsing(true);
    EXPECT_EQ(map.PurgeMarked(), 1);
    EXPECT_EQ(map.GetHighestId(), 30);
    EXPECT_EQ(map.RemoveAll(false), 1);
    EXPECT_EQ(map.Patterns().size(), 26u);
    EXPECT_EQ(map.GetHighestId(), 27);
    EXPECT_EQ(map.RemoveAll(false), 0);
    EXPECT_EQ(map.AddPattern("Again", "", 8), 28);
    EXPECT_EQ(map.RemoveAll(true), 1);
    EXPECT_EQ(map.GetHighestId(), 0);
}

TEST(HatchPatternMap, UnitsConvertOnce)
{
    CControlCore control;
    CHatchPatternMap& map = control.GetHatchPatternMap();
    map.ConvertToMillimetres();
    map.ConvertToMillimetres();
    EXPECT_TRUE(map.IsMetric());
    ExpectLine(map.Find(hpDash)->Lines()[0], {0, 0, 0, 3.175, 3.175, {3.175, -3.175}}, "DASH mm");
    ExpectLine(map.Find(hpAnsi32)->Lines()[1], {45, .176776695 * 25.4, 0, 0, .375 * 25.4, {}}, "ANSI32 mm");
    map.ConvertToInches();
    map.ConvertToInches();
    EXPECT_FALSE(map.IsMetric());
    ExpectLine(map.Find(hpDash)->Lines()[0], {0, 0, 0, .125, .125, {.125, -.125}}, "DASH inches");
}

// A shape keeps the map's pattern of its ID; a pattern that left the map is not kept.
TEST(HatchPatternMap, ShapesFindTheirPattern)
{
    CControlCore control;
    CShape shape(100, &control);
    shape.SetHatchPatternId(hpAnsi31);
    ASSERT_NE(shape.GetHatchPattern(), nullptr);
    EXPECT_STREQ(shape.GetHatchPattern()->GetName(), "ANSI31");
    const int own = control.GetHatchPatternMap().AddPattern("Own", "", 3);
    shape.SetHatchPatternId(own);
    EXPECT_EQ(shape.GetHatchPattern(), control.GetHatchPatternMap().Find(own));
    control.GetHatchPatternMap().Remove(own, false);
    EXPECT_EQ(shape.GetHatchPattern(), nullptr);
    shape.SetHatchPatternId(hpNone);
    EXPECT_EQ(shape.GetHatchPattern(), nullptr);
}

// The site's patterns through the record tables: images by database ID, translated back to the
// resources of the drawing that reads them; with kept IDs the image IDs travel as they are.
TEST(HatchPatternMap, RecordTables)
{
    imagetest::EnsureGdiplus();
    const std::vector<BYTE> red = imagetest::MakeQuadrants(8, 0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF);
    const std::vector<BYTE> blue = imagetest::MakeQuadrants(10, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000);

    CControlCore source;
    CImageResourceMap& sourceImages = source.GetImageResourceMap();
    CImageResource* redImage = sourceImages.CreateResource(0, red.data(), red.size(), 0.1f, true);
    CImageResource* blueImage = sourceImages.CreateResource(0, blue.data(), blue.size(), 0.1f, true);
    ASSERT_TRUE(redImage && blueImage);
    ASSERT_NE(redImage, blueImage);
    sourceImages.SetDatabaseId(12, redImage->GetId());
    CHatchPatternMap& patterns = source.GetHatchPatternMap();
    ASSERT_EQ(patterns.AddPattern("Red", "Red tiles, glazed", redImage->GetId()), 28);
    ASSERT_EQ(patterns.AddPattern("Blue", "", blueImage->GetId()), 29);

    CDataTableSet tables(1);
    EXPECT_EQ(patterns.ExchangeTables(&tables, 0, 0), S_OK);
    ASSERT_EQ(tables.HatchPatterns()->GetCount(), 2u); // the built-ins stay out
    const CHatchPatternsRecord* record = tables.HatchPatterns()->FindRecord(28);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->name, "Red");
    EXPECT_EQ(record->ImageResourceID, 12); // the image by its database ID
    EXPECT_EQ(patterns.Find(28)->GetImageResourceId(), redImage->GetId());

    // Another drawing holds the red picture under another ID: the pattern finds it there.
    CControlCore target;
    CImageResourceMap& images = target.GetImageResourceMap();
    images.CreateResource(0, blue.data(), blue.size(), 0.1f, true);
    CImageResource* there = images.CreateResource(0, red.data(), red.size(), 0.1f, true);
    images.SetDatabaseId(12, there->GetId());
    CHatchPatternMap& loaded = target.GetHatchPatternMap();
    EXPECT_EQ(loaded.ExchangeTables(&tables, DXFMODE_LOAD, 0), S_OK);
    ASSERT_NE(loaded.Find(28), nullptr);
    EXPECT_STREQ(loaded.Find(28)->GetName(), "Red");
    EXPECT_EQ(loaded.Find(28)->GetDescription(), "Red tiles, glazed");
    EXPECT_EQ(loaded.Find(28)->GetImageResourceId(), there->GetId());
    // The blue picture was never stored (database ID 0): the placeholder stands in.
    EXPECT_EQ(loaded.Find(29)->GetImageResourceId(), -1);

    // One record alone, with the image IDs kept.
    CDataTableSet kept(1);
    EXPECT_EQ(patterns.ExchangeTables(&kept, DXFMODE_USE_YVEX_IDENTIFIERS, 0), S_OK);
    EXPECT_EQ(kept.HatchPatterns()->FindRecord(29)->ImageResourceID, blueImage->GetId());
    loaded.Find(29)->SetName("Changed");
    EXPECT_EQ(loaded.ExchangeTables(&kept, DXFMODE_LOAD | DXFMODE_SINGLE_OBJECT | DXFMODE_USE_YVEX_IDENTIFIERS, 29),
              S_OK);
    EXPECT_STREQ(loaded.Find(29)->GetName(), "Blue");
    EXPECT_EQ(loaded.Find(29)->GetImageResourceId(), blueImage->GetId());
    EXPECT_EQ(loaded.ExchangeTables(&kept, DXFMODE_LOAD | DXFMODE_SINGLE_OBJECT, 77), E_ACCESSDENIED);

    EXPECT_EQ(loaded.ExchangeTables(nullptr, 0, 0), E_INVALIDARG);
    CDataTableSet none(0);
    EXPECT_EQ(loaded.ExchangeTables(&none, 0, 0), S_FALSE);
}
