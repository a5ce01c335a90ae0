// Ellipses, arcs and circles, layers and block references in storage: the entities another writer
// made (tests/fixtures/dxf/curves_*.dxf by ezdxf, with the points ezdxf computes for them) read
// into the same curves; our AC1012 drawing read back, and written for ezdxf to read
// (check_dxf_curves.py); the old version's POLYLINE form; INSERT in a drawing whose y grows
// downwards; LAYER entries; and the records of the three kinds.
#include <gtest/gtest.h>
#include <windows.h>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/Angles.h"
#include "model/Ellipse.h"
#include "model/Layer.h"
#include "model/Line.h"
#include "model/PointRecord.h"
#include "model/Reference.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"
#include "tests/support/DxfTestSupport.h"
#include "tests/support/StorageTestSupport.h"

namespace {

const double kPi = 3.14159265358979;

std::string FixturePath(const char* name, bool windows)
{
    const char* root = std::getenv("YVEX_SOURCE_DIR");
    std::string path = std::string(root ? root : ".") + "/tests/fixtures/dxf/" + name;
    if (!windows)
        return path;
    path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// A DXF text as a file of its own (the Windows path).
std::string TextFile(const char* name, const std::string& text)
{
    const std::string path = OutputPath(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

// The groups as ASCII DXF text.
std::string DxfText(const std::vector<std::pair<int, std::string>>& groups)
{
    std::string text;
    for (const auto& g : groups)
        text += std::to_string(g.first) + "\r\n" + g.second + "\r\n";
    return text;
}

// The LAYER table, the BLOCKS and the ENTITIES of a file read into the drawing, and the
// references linked to their blocks and built, as a load does.
void ReadDrawing(Drawing& d, const std::string& path)
{
    CDxfFile dxf;
    ASSERT_TRUE(dxf.Open(path.c_str(), true)) << path;
    bool sectionName = false, tableName = false;
    while (dxf.ReadGroup()) {
        const int code = dxf.GetCode();
        if (code == 0) {
            sectionName = std::strcmp(dxf.GetText(), "SECTION") == 0;
            tableName = std::strcmp(dxf.GetText(), "TABLE") == 0;
            continue;
        }
        if (code != 2)
            continue;
        const std::string name = dxf.GetText();
        if (tableName && name == "LAYER") {
            d.layers->ReadDxfLayerTable(dxf);
        } else if (sectionName && name == "BLOCKS") {
            d.library->ReadDxfBlocksSection(dxf);
        } else if (sectionName && name == "ENTITIES") {
            EXPECT_EQ(d.root->ReadDxfEntitiesSection(dxf), 1) << path;
        }
        sectionName = tableName = false;
    }
    EXPECT_FALSE(dxf.HasError()) << path;
    dxf.Close();
    d.library->LinkReferencesByName(d.library);
    d.root->LinkReferencesByName(d.library);
    d.library->ResolveReferences(d.library, nullptr);
    d.root->ResolveReferences(d.library, nullptr);
}

// The world point of a curve at a fraction of its sweep (a full curve: of a whole turn).
CRealPointD AtFraction(const CEllipse& e, double fraction)
{
    double start = e.GetStartAngle() * kPi / 180, end = e.GetEndAngle() * kPi / 180;
    double sweep = std::fmod(end - start, 2 * kPi);
    if (sweep <= 1e-9)
        sweep += 2 * kPi;
    CRealPointD p = e.PointAtParameter(start + fraction * sweep);
    const double a = e.GetAxisDegrees() * kPi / 180;
    const CPointRecord* c = e.GetPoints().GetAt(0);
    return CRealPointD(c->x + p.x * std::cos(a) - p.y * std::sin(a), c->y + p.x * std::sin(a) + p.y * std::cos(a));
}

const double kFractions[5] = {0, 0.25, 0.5, 0.75, 1};

// One line of a points file: the kind and the coordinates.
struct PointsLine
{
    std::string kind;
    std::vector<double> values;
};

std::vector<PointsLine> ReadPoints(const std::string& path)
{
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path;
    std::vector<PointsLine> lines;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        PointsLine entry;
        words >> entry.kind;
        double v;
        while (words >> v)
            entry.values.push_back(v);
        lines.push_back(entry);
    }
    return lines;
}

// The curves of a drawing where a points file expects them (5 points for a curve, the two ends
// of the first copy for a reference).
void ExpectPoints(const std::vector<CShape*>& shapes, const std::vector<PointsLine>& expected, double tolerance)
{
    ASSERT_EQ(shapes.size(), expected.size());
    for (size_t i = 0; i < shapes.size(); ++i) {
        SCOPED_TRACE(expected[i].kind + " " + std::to_string(i));
        if (expected[i].kind == "INSERT") {
            auto* reference = dynamic_cast<CReference*>(shapes[i]);
            ASSERT_NE(reference, nullptr);
            ASSERT_GE(reference->GetShapeCount(), 1);
            const CShape* line = reference->GetChildAt(0);
            ASSERT_EQ(line->GetPointCount(), 2);
            for (int k = 0; k < 2; ++k) {
                EXPECT_NEAR(line->GetPoints().GetAt(k)->x, expected[i].values[2 * k], tolerance);
                EXPECT_NEAR(line->GetPoints().GetAt(k)->y, expected[i].values[2 * k + 1], tolerance);
            }
            continue;
        }
        auto* e = dynamic_cast<CEllipse*>(shapes[i]);
        ASSERT_NE(e, nullptr);
        ASSERT_EQ(expected[i].values.size(), 10u);
        for (int k = 0; k < 5; ++k) {
            const CRealPointD p = AtFraction(*e, kFractions[k]);
            EXPECT_NEAR(p.x, expected[i].values[2 * k], tolerance) << "fraction " << kFractions[k];
            EXPECT_NEAR(p.y, expected[i].values[2 * k + 1], tolerance) << "fraction " << kFractions[k];
        }
        // The curve drawn starts and ends there.
        std::vector<CRealPointD> samples(CEllipse::kMaxSamples);
        samples.resize(static_cast<size_t>(e->GetSamplePoints(samples.data())));
        ASSERT_FALSE(samples.empty());
        EXPECT_NEAR(samples.front().x, expected[i].values[0], tolerance);
        EXPECT_NEAR(samples.back().y, expected[i].values[9], tolerance);
    }
}

// Our drawing for the round trip and for ezdxf: two layers (one frozen, one locked and off), an
// ellipse, an arc scaled to a ratio of 2, a mirrored (clockwise) arc, a circle, and a block
// "Door" with a reference to it.
void MakeCurves(Drawing& d)
{
    // The shapes' IDs are their handles: above those a reader gives the table entries, which
    // carry none here.
    const int first = 0x400;
    d.control.GetShapeMap().CreateShape(stDummy, true, true, &first);
    CLayer* walls = MakeLayer(d.control, d.layers, "Walls");
    walls->SetSelectable(false);
    walls->SetPenColor(0x0000FF);
    CLayer* doors = MakeLayer(d.control, d.layers, "Doors");
    doors->SetStateBits(CShape::stEnabled, false);
    doors->SetVisible(false);

    auto add = [&](int type, float cx, float cy, float mx, float my, float ratio, float start, float end) {
        auto* e = static_cast<CEllipse*>(d.Make(type, {{cx, cy}}, d.root));
        e->SetMajorAxis(mx, my);
        e->SetMinorRatio(ratio);
        e->SetAngles(start, end);
        return e;
    };
    add(stEllipse, 10, 5, 6, 2, 0.5f, 20, 140)->SetLayer(walls);
    add(stArc, 0, 0, 3, 0, 1.0f, 0, 90)->Scale(0, 0, 1, 2, nullptr, false);
    const float axis = 0.0f;
    add(stArc, 2, 3, 4, 0, 1.0f, 10, 100)->FlipHorizontal(nullptr, &axis);
    add(stCircle, 5, 5, 2.5f, 0, 1.0f, 0, 360);

    auto* block = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    block->SetName(L"Door");
    d.library->AddChild(block, nullptr, 1, false);
    d.Make(stLine, {{0, 0}, {1, 3}}, block);
    auto* reference = static_cast<CReference*>(d.Make(stReference, {{10, 0}}, d.root));
    reference->SetXScale(2, false);
    reference->SetRotationAngle(30, false);
    reference->ResolveBlock(block, true, true, false);
    reference->ApplyTransform(true);
    reference->SetLayer(doors);
}

// Our drawing as a points file of the fixture's form, for check_dxf_curves.py.
void WritePoints(Drawing& d, const std::string& name)
{
    const char* root = std::getenv("YVEX_BINARY_DIR");
    std::ofstream out(std::string(root ? root : ".") + "/tests/model/dxf_out/" + name);
    char buffer[64];
    for (CShape* shape : d.root->Children()) {
        if (auto* e = dynamic_cast<CEllipse*>(shape)) {
            out << "ELLIPSE";
            for (double f : kFractions) {
                const CRealPointD p = AtFraction(*e, f);
                std::snprintf(buffer, sizeof buffer, " %.9f %.9f", p.x, p.y);
                out << buffer;
            }
        } else if (auto* r = dynamic_cast<CReference*>(shape)) {
            out << "INSERT";
            for (int k = 0; k < 2; ++k) {
                const CPointRecord* p = r->GetChildAt(0)->GetPoints().GetAt(k);
                std::snprintf(buffer, sizeof buffer, " %.9f %.9f", p->x, p->y);
                out << buffer;
            }
        }
        out << "\n";
    }
}

} // namespace

// ARC and CIRCLE by their own groups (radius, angles in degrees), ELLIPSE by its own, those seen
// from below (extrusion (0, 0, -1)) included, and INSERT: the points ezdxf computes for them.
TEST(CurvesDxf, ReadsTheCurvesOfAnotherWriter)
{
    const std::vector<PointsLine> expected = ReadPoints(FixturePath("curves.points", false));
    for (const char* name : {"curves_ascii.dxf", "curves_binary.dxf"}) {
        SCOPED_TRACE(name);
        Drawing d;
        ReadDrawing(d, FixturePath(name, true));
        const std::vector<CShape*> shapes = d.root->Children();
        ExpectPoints(shapes, expected, 1e-4);
        if (shapes.size() != 7)
            continue;
        const int types[7] = {stArc, stArc, stCircle, stCircle, stEllipse, stEllipse, stReference};
        const float z[6] = {1, -1, 1, -1, 1, -1};
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(shapes[static_cast<size_t>(i)]->GetShapeType(), types[i]) << i;
            if (i < 6) {
                EXPECT_EQ(static_cast<CEllipse*>(shapes[static_cast<size_t>(i)])->GetExtrusionZ(), z[i]) << i;
            }
        }
        EXPECT_EQ(static_cast<CEllipse*>(shapes[2])->GetMinorRatio(), 1.0f);
        EXPECT_NEAR(static_cast<CEllipse*>(shapes[2])->GetMajorRadius(), 2.5, 1e-6);
        auto* reference = static_cast<CReference*>(shapes[6]);
        EXPECT_EQ(reference->GetXScale(), 2.0f);
        EXPECT_EQ(reference->GetRotationAngle(), 30.0);
        ASSERT_NE(reference->GetBlock(), nullptr);
        EXPECT_EQ(reference->GetBlock()->GetBlockName(), "Door");
    }
}

// Angles far outside one turn and angles that are no numbers, through every way an angle comes in
// (ARC's degrees, ELLIPSE's radians, our "ELLIPSE DATA", the record tables and SetAngles): a
// finite one is kept and the curve is measured and sampled at once; NaN, the infinities and what
// a float cannot hold are refused, and the angle keeps the value it had.
TEST(CurvesDxf, HugeAndNonFiniteAnglesThroughEveryEntry)
{
    struct Case
    {
        const char* text;
        double value;   // the number the text is
        double degrees; // as taken from ARC's degrees; 0 when refused
        bool usable;
    } cases[] = {{"5.83205041e+34", 5.83205041e+34, 5.83205041e+34, true},
                 {"-1e30", -1e30, -1e30, true},
                 {"-725", -725, -725, true},
                 {"1e400", INFINITY, 0, false},
                 {"inf", INFINITY, 0, false},
                 {"-inf", -INFINITY, 0, false},
                 {"nan", NAN, 0, false},
                 {"1e39", 1e39, 0, false}};
    auto expectMeasured = [](CEllipse& e) {
        EXPECT_TRUE(std::isfinite(e.GetStartAngle()) && std::isfinite(e.GetEndAngle()));
        float l = 0, t = 0, r = 0, b = 0;
        e.SetExtentCached(false);
        EXPECT_EQ(e.GetBoundingRect(&l, &t, &r, &b), S_OK);
        EXPECT_TRUE(std::isfinite(l) && std::isfinite(t) && std::isfinite(r) && std::isfinite(b));
        EXPECT_LE(r - l, 8.01f);
        std::vector<CRealPointD> samples(CEllipse::kMaxSamples);
        samples.resize(static_cast<size_t>(e.GetSamplePoints(samples.data())));
        EXPECT_FALSE(samples.empty());
        for (const CRealPointD& p : samples)
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string v = c.text;
        const std::vector<std::pair<int, std::string>> head = {{8, "0"}, {10, "0"}, {20, "0"}};
        std::vector<std::pair<int, std::string>> groups = {{0, "SECTION"}, {2, "ENTITIES"}};
        auto entity = [&](const char* name, std::vector<std::pair<int, std::string>> own) {
            groups.push_back({0, name});
            groups.insert(groups.end(), head.begin(), head.end());
            groups.insert(groups.end(), own.begin(), own.end());
        };
        entity("ARC", {{40, "4"}, {50, v}, {51, "90"}});
        entity("ARC", {{40, "4"}, {50, "0"}, {51, v}});
        entity("ELLIPSE", {{11, "4"}, {21, "0"}, {40, "0.5"}, {41, v}, {42, "1"}});
        entity("ELLIPSE", {{11, "4"}, {21, "0"}, {40, "0.5"}, {41, "0"}, {42, v}});
        entity("ARC", {{40, "4"}, {50, "10"}, {51, "90"}, {1000, "ELLIPSE DATA"}, {1040, v}, {1040, "1"},
                       {1040, "1"}});
        groups.push_back({0, "ENDSEC"});
        groups.push_back({0, "EOF"});
        Drawing d;
        ReadDrawing(d, TextFile("huge_angles.dxf", DxfText(groups)));
        const std::vector<CShape*> shapes = d.root->Children();
        ASSERT_EQ(shapes.size(), 5u);
        std::vector<CEllipse*> e;
        for (CShape* shape : shapes) {
            e.push_back(dynamic_cast<CEllipse*>(shape));
            ASSERT_NE(e.back(), nullptr);
            expectMeasured(*e.back());
        }
        // ARC's degrees as they come; the defaults (0 and a whole turn) where refused.
        EXPECT_EQ(e[0]->GetStartAngle(), static_cast<float>(c.degrees));
        EXPECT_EQ(e[1]->GetEndAngle(), c.usable ? static_cast<float>(c.degrees) : 360.0f);
        // ELLIPSE's and our extended data's radians.
        const double fromRadians = c.value * 57.29577951308239;
        if (c.usable) {
            EXPECT_FLOAT_EQ(e[2]->GetStartAngle(), static_cast<float>(fromRadians));
            EXPECT_FLOAT_EQ(e[4]->GetStartAngle(), static_cast<float>(fromRadians));
        } else {
            EXPECT_EQ(e[2]->GetStartAngle(), 0.0f);
            EXPECT_EQ(e[3]->GetEndAngle(), 360.0f);
            EXPECT_EQ(e[4]->GetStartAngle(), 10.0f) << "the ARC's own angle stays";
        }

        // SetAngles, as the automation objects and the database rows set them.
        const double given = c.value;
        e[0]->SetAngles(static_cast<float>(c.usable ? given : 0.0), 45.0f);
        EXPECT_EQ(e[0]->GetEndAngle(), 45.0f);
        EXPECT_EQ(IsUsableAngle(given), c.usable);
        if (!c.usable) {
            const float asFloat = std::fabs(given) > FLT_MAX ? std::copysign(INFINITY, given) : static_cast<float>(given);
            e[0]->SetAngles(30.0f, asFloat);
            EXPECT_EQ(e[0]->GetStartAngle(), 0.0f) << "nothing changed";
            EXPECT_EQ(e[0]->GetEndAngle(), 45.0f) << "nothing changed";
        }
        expectMeasured(*e[0]);

        // The record tables hand an ellipse record's angles over as they were stored.
        Drawing from;
        auto* stored = static_cast<CEllipse*>(from.Make(stArc, {{0, 0}}, from.root));
        stored->SetMajorAxis(4, 0);
        stored->SetAngles(5.0f, 90.0f);
        CDataTableSet set(1);
        ASSERT_EQ(from.root->SaveToTables(&set, DXFMODE_BLOCKS, 0), S_OK);
        ASSERT_EQ(set.Ellipses()->GetCount(), 1u);
        const_cast<CEllipsesRecord&>(set.Ellipses()->GetRecords().begin()->second).StartAngle = given;
        CDataTableSet fresh(1);
        CopyShapeRecords(set, fresh);
        Drawing to;
        for (const auto& r : fresh.Shapes()->GetRecords())
            to.control.GetShapeMap().LoadShapeFromTables(&fresh, DXFMODE_LOAD, r.first);
        ASSERT_EQ(to.root->GetShapeCount(), 1);
        auto* loaded = dynamic_cast<CEllipse*>(to.root->GetChildAt(0));
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->GetStartAngle(), c.usable ? static_cast<float>(given) : 0.0f);
        EXPECT_EQ(loaded->GetEndAngle(), 90.0f);
        expectMeasured(*loaded);
    }
}

// Our AC1012 drawing, written and read back in both forms: the same curves (the arc of ratio 2
// written with its longer axis as the major one, ratio at most 1), the same layers and the same
// reference. The files and our points go to ezdxf too.
TEST(CurvesDxf, WritesEllipsesLayersAndReferences)
{
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "ASCII");
        Drawing from;
        MakeCurves(from);
        const std::string path = OutputPath(binary ? "curves_binary.dxf" : "curves.dxf");
        WriteAC1012Drawing(from, path, binary);
        if (!binary)
            WritePoints(from, "curves_ours.points");

        // The ELLIPSE groups of the arc of ratio 2: ratio 0.5, parameters a quarter turn less.
        CShape* scaled = from.root->GetChildAt(1);
        from.control.GetDxfDocument().SetOutputVersion(2);
        const std::vector<WrittenGroup> groups = WrittenGroups([&](CDxfFile& f) { scaled->WriteDxf(f); });
        ASSERT_FALSE(groups.empty());
        EXPECT_EQ(groups[0], (WrittenGroup{0, "ELLIPSE"}));
        EXPECT_EQ(groups[1].code, 5);
        EXPECT_EQ(groups[2], (WrittenGroup{100, "AcDbEntity"}));
        for (const WrittenGroup& g : groups) {
            if (g.code == 40) {
                EXPECT_EQ(g.value, "0.500000");
            }
            if (g.code == 41) {
                EXPECT_NEAR(std::atof(g.value.c_str()), 1.5 * kPi, 1e-6); // 0 - 90 degrees
            }
        }

        Drawing to;
        ReadDrawing(to, path);
        std::vector<PointsLine> expected;
        for (CShape* shape : from.root->Children()) {
            PointsLine line;
            if (auto* e = dynamic_cast<CEllipse*>(shape)) {
                line.kind = "ELLIPSE";
                for (double f : kFractions) {
                    const CRealPointD p = AtFraction(*e, f);
                    line.values.push_back(p.x);
                    line.values.push_back(p.y);
                }
            } else if (auto* r = dynamic_cast<CReference*>(shape)) {
                line.kind = "INSERT";
                for (int k = 0; k < 2; ++k) {
                    line.values.push_back(r->GetChildAt(0)->GetPoints().GetAt(k)->x);
                    line.values.push_back(r->GetChildAt(0)->GetPoints().GetAt(k)->y);
                }
            }
            expected.push_back(line);
        }
        ExpectPoints(to.root->Children(), expected, 1e-4);
        if (to.root->GetShapeCount() != 5)
            continue;
        // Arcs and circles travel as ELLIPSE entities, and come back as ellipses.
        EXPECT_EQ(to.root->GetChildAt(1)->GetShapeType(), stEllipse);
        EXPECT_LE(static_cast<CEllipse*>(to.root->GetChildAt(1))->GetMinorRatio(), 1.0f);
        EXPECT_EQ(static_cast<CEllipse*>(to.root->GetChildAt(2))->GetExtrusionZ(), -1.0f);
        CLayer* walls = to.control.FindLayerByName("Walls");
        CLayer* doors = to.control.FindLayerByName("Doors");
        ASSERT_NE(walls, nullptr);
        ASSERT_NE(doors, nullptr);
        EXPECT_TRUE(walls->HasState(CShape::stNotSelectable));
        EXPECT_EQ(walls->GetPenColor(), 0x0000FFu);
        EXPECT_FALSE(doors->HasState(CShape::stEnabled));
        EXPECT_FALSE(doors->HasState(CShape::stVisible));
        EXPECT_EQ(to.root->GetChildAt(0)->GetLayer(), walls);
        EXPECT_EQ(to.root->GetChildAt(4)->GetLayer(), doors);
    }
}

// The old version has no ELLIPSE: a closed POLYLINE of 36 vertices of the whole ellipse, on the
// shape's layer, its own data in "ELLIPSE DATA".
TEST(CurvesDxf, TheOldVersionWritesAClosedPolyline)
{
    Drawing d;
    CLayer* walls = MakeLayer(d.control, d.layers, "Walls");
    auto* arc = static_cast<CEllipse*>(d.Make(stArc, {{1, 2}}, d.root));
    arc->SetMajorAxis(0, 4);
    arc->SetMinorRatio(0.5f);
    arc->SetAngles(0, 90);
    arc->SetLayer(walls);
    d.control.GetDxfDocument().SetOutputVersion(1);
    const std::vector<WrittenGroup> groups = WrittenGroups([&](CDxfFile& f) { arc->WriteDxf(f); });
    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(groups[0], (WrittenGroup{0, "POLYLINE"}));
    int vertices = 0;
    std::vector<std::pair<double, double>> points;
    for (size_t i = 0; i + 1 < groups.size(); ++i) {
        if (groups[i] == WrittenGroup{0, "VERTEX"}) {
            ++vertices;
            EXPECT_EQ(groups[i + 2], (WrittenGroup{8, "Walls"}));
            points.emplace_back(std::atof(groups[i + 3].value.c_str()), std::atof(groups[i + 4].value.c_str()));
        }
    }
    EXPECT_EQ(vertices, 36);
    EXPECT_NE(std::find(groups.begin(), groups.end(), WrittenGroup{70, "1"}), groups.end());
    EXPECT_NE(std::find(groups.begin(), groups.end(), WrittenGroup{1000, "ELLIPSE DATA"}), groups.end());
    EXPECT_EQ(groups[groups.size() - 3], (WrittenGroup{0, "SEQEND"}));
    // Every vertex on the whole ellipse (centre (1, 2), axes 4 along y and 2 along x).
    ASSERT_EQ(points.size(), 36u);
    for (const auto& p : points) {
        const double u = (p.first - 1) / 2, v = (p.second - 2) / 4;
        EXPECT_NEAR(u * u + v * v, 1.0, 1e-4);
    }
    EXPECT_NEAR(points[0].second, -2, 1e-4); // the first vertex opposite the axis
}

// An INSERT in a drawing whose y grows downwards: the angle turns the other way (270 becomes 90,
// 30 becomes 330), and what the reference shows (of a block whose base point is not the origin)
// is the mirror image of the same drawing read the right way up; so is an arc beside it.
TEST(ReferenceDxf, ADownwardAxisMirrorsThePlacement)
{
    for (const char* angle : {"270", "30"}) {
        const std::string text = DxfText({{0, "SECTION"},  {2, "BLOCKS"},  {0, "BLOCK"},   {8, "0"},
                                          {2, "Door"},     {70, "0"},      {10, "1.0"},    {20, "2.0"},
                                          {0, "LINE"},     {8, "0"},       {10, "0.0"},    {20, "0.0"},
                                          {11, "1.0"},     {21, "3.0"},    {0, "ENDBLK"},  {0, "ENDSEC"},
                                          {0, "SECTION"},  {2, "ENTITIES"}, {0, "INSERT"}, {8, "0"},
                                          {2, "Door"},     {10, "10.0"},   {20, "5.0"},    {41, "2.0"},
                                          {42, "1.0"},     {50, angle},    {0, "ARC"},     {8, "0"},
                                          {10, "3.0"},     {20, "4.0"},    {40, "2.0"},    {50, "10.0"},
                                          {51, "80.0"},    {0, "ENDSEC"},  {0, "EOF"}});
        const std::string path = TextFile("insert_down.dxf", text);
        Drawing up, down;
        down.control.SetVerticalAxisFactor(-1.0f);
        ReadDrawing(up, path);
        ReadDrawing(down, path);
        ASSERT_EQ(up.root->GetShapeCount(), 2);
        ASSERT_EQ(down.root->GetShapeCount(), 2);
        // The arc beside it is mirrored too.
        for (double fraction : kFractions) {
            const CRealPointD p = AtFraction(*static_cast<CEllipse*>(up.root->GetChildAt(1)), fraction);
            const CRealPointD q = AtFraction(*static_cast<CEllipse*>(down.root->GetChildAt(1)), fraction);
            EXPECT_NEAR(q.x, p.x, 1e-4) << fraction;
            EXPECT_NEAR(q.y, -p.y, 1e-4) << fraction;
        }
        auto* a = static_cast<CReference*>(up.root->GetChildAt(0));
        auto* b = static_cast<CReference*>(down.root->GetChildAt(0));
        EXPECT_EQ(b->GetRotationAngle(), std::string(angle) == "270" ? 90.0 : 330.0);
        EXPECT_EQ(b->GetPoints().GetAt(0)->y, -5.0f);
        ASSERT_EQ(a->GetShapeCount(), 1);
        ASSERT_EQ(b->GetShapeCount(), 1);
        for (int k = 0; k < 2; ++k) {
            const CPointRecord* p = a->GetChildAt(0)->GetPoints().GetAt(k);
            const CPointRecord* q = b->GetChildAt(0)->GetPoints().GetAt(k);
            EXPECT_NEAR(q->x, p->x, 1e-4) << angle << " " << k;
            EXPECT_NEAR(q->y, -p->y, 1e-4) << angle << " " << k;
        }
    }
}

// An INSERT placed in the plane seen from below (extrusion 0, 0, -1) shows its block mirrored
// across the world's y axis: every point of the copy where the same INSERT seen from above puts
// it, its x negated; so does an ARC seen from below beside it.
TEST(ReferenceDxf, AnInsertSeenFromBelowIsMirrored)
{
    for (const char* angle : {"0", "30", "270"}) {
        auto file = [&](const char* extrusion) {
            return DxfText({{0, "SECTION"}, {2, "BLOCKS"},   {0, "BLOCK"},  {8, "0"},     {2, "Door"},
                            {70, "0"},      {10, "0.0"},     {20, "0.0"},   {0, "LINE"},  {8, "0"},
                            {10, "0.0"},    {20, "0.0"},     {11, "1.0"},   {21, "3.0"},  {0, "ENDBLK"},
                            {0, "ENDSEC"},  {0, "SECTION"},  {2, "ENTITIES"}, {0, "INSERT"}, {8, "0"},
                            {2, "Door"},    {10, "10.0"},    {20, "5.0"},   {41, "2.0"},  {42, "1.0"},
                            {50, angle},    {210, "0.0"},    {220, "0.0"},  {230, extrusion},
                            {0, "ARC"},     {8, "0"},        {10, "10.0"},  {20, "5.0"},  {40, "2.0"},
                            {50, "10.0"},   {51, "80.0"},    {210, "0.0"},  {220, "0.0"}, {230, extrusion},
                            {0, "ENDSEC"},  {0, "EOF"}});
        };
        Drawing above, below;
        ReadDrawing(above, TextFile("insert_above.dxf", file("1.0")));
        ReadDrawing(below, TextFile("insert_below.dxf", file("-1.0")));
        ASSERT_EQ(above.root->GetShapeCount(), 2);
        ASSERT_EQ(below.root->GetShapeCount(), 2);
        auto* a = static_cast<CReference*>(above.root->GetChildAt(0));
        auto* b = static_cast<CReference*>(below.root->GetChildAt(0));
        ASSERT_EQ(a->GetShapeCount(), 1);
        ASSERT_EQ(b->GetShapeCount(), 1);
        EXPECT_EQ(b->GetPoints().GetAt(0)->x, -10.0f);
        for (int k = 0; k < 2; ++k) {
            const CPointRecord* p = a->GetChildAt(0)->GetPoints().GetAt(k);
            const CPointRecord* q = b->GetChildAt(0)->GetPoints().GetAt(k);
            EXPECT_NEAR(q->x, -p->x, 1e-4) << angle << " " << k;
            EXPECT_NEAR(q->y, p->y, 1e-4) << angle << " " << k;
        }
        for (double fraction : kFractions) {
            const CRealPointD p = AtFraction(*static_cast<CEllipse*>(above.root->GetChildAt(1)), fraction);
            const CRealPointD q = AtFraction(*static_cast<CEllipse*>(below.root->GetChildAt(1)), fraction);
            EXPECT_NEAR(q.x, -p.x, 1e-4) << fraction;
            EXPECT_NEAR(q.y, p.y, 1e-4) << fraction;
        }
    }
}

// LAYER entries: 70 = 2 (frozen in new viewports) makes a layer unselectable, 4 only locks it; a
// negative colour is a layer turned off, whose two colours are the colour's. A layer without a
// name is written as "0".
TEST(LayerDxf, EntriesSetTheSwitches)
{
    struct Case
    {
        const char* flags;
        const char* colour;
        bool selectable, enabled, visible;
    } cases[] = {{"2", "1", false, true, true}, {"1", "1", false, true, true}, {"4", "1", true, false, true},
                 {"0", "-5", true, true, false}};
    for (const Case& c : cases) {
        const std::string text = DxfText({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"},
                                          {2, "Walls"}, {70, c.flags}, {62, c.colour}, {6, "CONTINUOUS"},
                                          {0, "ENDTAB"}, {0, "ENDSEC"}, {0, "EOF"}});
        Drawing d;
        ReadDrawing(d, TextFile("layer_entry.dxf", text));
        CLayer* layer = d.control.FindLayerByName("Walls");
        ASSERT_NE(layer, nullptr) << c.flags;
        EXPECT_EQ(!layer->HasState(CShape::stNotSelectable), c.selectable) << c.flags;
        EXPECT_EQ(layer->HasState(CShape::stEnabled), c.enabled) << c.flags;
        EXPECT_EQ(layer->HasState(CShape::stVisible), c.visible) << c.flags;
        if (!c.visible) {
            EXPECT_EQ(layer->GetPenColor(), layer->GetHatchColor());
            EXPECT_NE(layer->GetPenColor(), 0xFFFFFFu);
        }
    }
    Drawing d;
    CLayer* unnamed = MakeLayer(d.control, d.layers, "");
    const std::vector<WrittenGroup> groups = WrittenGroups([&](CDxfFile& f) { unnamed->WriteDxf(f); });
    ASSERT_GE(groups.size(), 2u);
    EXPECT_EQ(groups[1], (WrittenGroup{2, "0"}));
}

// The records: an ellipse's geometry (angles in degrees, in radians for sets of older archives),
// a layer's name and switches (LayerSettingID counted from 1 in each set), a reference's scales,
// angle and block. Restored in another drawing, the shapes come back equal and the reference
// shows its block again.
TEST(CurvesTables, EllipsesLayersAndReferencesComeBackWhole)
{
    Drawing from;
    MakeCurves(from);
    CDataTableSet set(1);
    ASSERT_EQ(from.library->SaveToTables(&set, DXFMODE_BLOCKS, 0), S_OK);
    ASSERT_EQ(from.layers->SaveToTables(&set, DXFMODE_BLOCKS, 0), S_OK);
    ASSERT_EQ(from.root->SaveToTables(&set, DXFMODE_BLOCKS, 0), S_OK);
    EXPECT_EQ(set.Ellipses()->GetCount(), 4u);
    EXPECT_EQ(set.Layers()->GetCount(), 2u);
    EXPECT_EQ(set.References()->GetCount(), 1u);
    ASSERT_EQ(set.LayerSettings()->GetCount(), 2u);
    EXPECT_EQ(set.LayerSettings()->GetRecords().begin()->second.LayerSettingID, 1);
    // The copies of the block are not stored: the reference's record and the block's line only.
    int lines = 0;
    for (const auto& e : set.Shapes()->GetRecords())
        lines += e.second.ShapeTypeID == stLine;
    EXPECT_EQ(lines, 1);
    const CEllipsesRecord& first = set.Ellipses()->GetRecords().begin()->second;
    EXPECT_EQ(first.StartAngle, 20.0);
    EXPECT_EQ(first.MinorRatio, 0.5);
    CDataTableSet again(1);
    ASSERT_EQ(from.layers->SaveToTables(&again, DXFMODE_BLOCKS, 0), S_OK);
    EXPECT_EQ(again.LayerSettings()->GetRecords().begin()->second.LayerSettingID, 1);

    CDataTableSet fresh(1);
    CopyShapeRecords(set, fresh);
    Drawing to;
    for (const auto& e : fresh.Shapes()->GetRecords())
        to.control.GetShapeMap().LoadShapeFromTables(&fresh, DXFMODE_LOAD, e.first);
    to.library->ResolveReferences(to.library, nullptr);
    to.root->ResolveReferences(to.library, nullptr);
    ASSERT_EQ(to.root->GetShapeCount(), 5);
    for (int i = 0; i < 4; ++i) {
        auto* a = static_cast<CEllipse*>(from.root->GetChildAt(i));
        auto* b = dynamic_cast<CEllipse*>(to.root->GetChildAt(i));
        ASSERT_NE(b, nullptr) << i;
        EXPECT_EQ(b->GetShapeType(), a->GetShapeType()) << i;
        for (double f : kFractions) {
            EXPECT_NEAR(AtFraction(*b, f).x, AtFraction(*a, f).x, 1e-5) << i;
            EXPECT_NEAR(AtFraction(*b, f).y, AtFraction(*a, f).y, 1e-5) << i;
        }
    }
    auto* reference = dynamic_cast<CReference*>(to.root->GetChildAt(4));
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->GetXScale(), 2.0f);
    EXPECT_EQ(reference->GetRotationAngle(), 30.0);
    ASSERT_NE(reference->GetBlock(), nullptr);
    ASSERT_EQ(reference->GetShapeCount(), 1);
    auto* fromReference = static_cast<CReference*>(from.root->GetChildAt(4));
    EXPECT_NEAR(reference->GetChildAt(0)->GetPoints().GetAt(1)->x,
                fromReference->GetChildAt(0)->GetPoints().GetAt(1)->x, 1e-5);
    ASSERT_EQ(to.layers->GetShapeCount(), 2);
    auto* walls = static_cast<CLayer*>(to.layers->GetChildAt(0));
    auto* doors = static_cast<CLayer*>(to.layers->GetChildAt(1));
    EXPECT_EQ(walls->GetName(), "Walls");
    EXPECT_TRUE(walls->HasState(CShape::stNotSelectable));
    EXPECT_FALSE(doors->HasState(CShape::stEnabled));
    EXPECT_FALSE(doors->HasState(CShape::stVisible));

    // A set of an older archive carries the angles in radians.
    CDataTableSet old(1);
    CopyShapeRecords(set, old);
    old.GetHeader()->FormatVersion = 0x06000001;
    std::vector<int32_t> keys;
    for (const auto& e : old.Ellipses()->GetRecords())
        keys.push_back(e.first);
    for (int32_t key : keys) {
        CEllipsesRecord* record = old.Ellipses()->FindRecord(key);
        record->StartAngle *= kPi / 180;
        record->EndAngle *= kPi / 180;
    }
    Drawing older;
    for (const auto& e : old.Shapes()->GetRecords())
        older.control.GetShapeMap().LoadShapeFromTables(&old, DXFMODE_LOAD, e.first);
    ASSERT_GE(older.root->GetShapeCount(), 1);
    EXPECT_NEAR(static_cast<CEllipse*>(older.root->GetChildAt(0))->GetStartAngle(), 20, 1e-4);
}
