// The dgn plug-in's importer as a host uses it: the DLL loaded with LoadLibrary, design files
// read into the registered control, and what came in read back through the control's
// interfaces. V7 files are ogr2ogr's (tests/fixtures/dgn/design_files); V8 files with levels,
// units and attachments are written here with the design-file library.
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>
#include "tests/support/HostSupport.h"
#include "tests/support/PluginHost.h"
#include "DesignFile.h"
#include "DgnString.h"
#include "Library.h"
#include "elements/ApplicationElement.h"
#include "elements/BodyGraphicElement.h"
#include "elements/LevelEntryElement.h"
#include "elements/LevelMaskElement.h"
#include "elements/LinearElements.h"
#include "elements/ReferenceAttachment.h"
#include "elements/ViewElement.h"

using pluginhost::Create;
using pluginhost::Importer;
using pluginhost::ImporterRelease;
using pluginhost::Module;
using pluginhost::ProgressLog;
using pluginhost::StdImporterFactory;
using pluginhost::Text;

namespace {

void Check(HRESULT hr, const char* what)
{
    if (FAILED(hr))
        throw std::runtime_error(std::string(what) + " failed");
}

std::string Narrow(BSTR text)
{
    std::string out;
    for (const wchar_t* c = text; c && *c; ++c)
        out += static_cast<char>(*c);
    return out;
}

std::string Fixture(const char* name) { return WinPath("YVEX_SOURCE_DIR", std::string("tests/fixtures/dgn/design_files/") + name); }

// Where the files written here go (created on first use).
std::string Scratch(const std::string& name)
{
    const std::string folder = WinPath("YVEX_BINARY_DIR", "tests/plugins/dgn/dgn_import_out");
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + name;
}

struct Level {
    const char* name;
    const char* description;
    std::uint16_t flags;
    std::int32_t colour = 0;
};

// A line on a level (by its place in the content's levels), in a graphic group (0: none).
struct PlacedLine {
    std::array<double, 4> at;
    std::size_t level;
    std::uint32_t group;
    std::int32_t colour = -1;
};

// A 2-D V8 design file of the library: one master unit (metres) a design unit, a sub-unit ratio
// (3 a metre unless given: no unit fits it exactly), the levels given, lines (x0, y0, x1, y1) on
// the last level, and attachments of the files named.
struct DesignFileContent {
    std::vector<Level> levels;
    std::vector<std::array<double, 4>> lines;
    std::vector<std::string> attachments;
    double subPerMetre = 3.0;
    // Where the attachments place the attached file's origin.
    std::array<double, 2> attachAt = {0, 0};
    // A shown view 0 over this extent (x, y, width, height), when the width is not 0.
    std::array<double, 4> view = {0, 0, 0, 0};
    // The view's turn, and the attachments' turn and scale (0: as the library leaves them).
    double viewDegrees = 0;
    double attachDegrees = 0;
    double attachScale = 0;
    // Levels (places in the levels) the attachments' mask for view 0 hides, when not empty.
    std::vector<std::size_t> attachHides;
    // Levels (places in the levels) the view's level mask hides, when not empty (the view is
    // then written even without an extent of its own).
    std::vector<std::size_t> viewHides;
    // False: the seed's view 0 is switched off, so that no view's level mask overrides the
    // levels' own flags.
    bool seedViewOn = true;
    std::vector<PlacedLine> placed;
};

void Write(const std::string& path, const DesignFileContent& content, std::vector<std::uint32_t>* levelNumbers = nullptr)
{
    ASSERT_TRUE(dgn::InitializeLibrary(dgn::kLibraryVersion, 0));
    dgn::CDesignFile* file = dgn::CDesignFile::CreateNew(path.c_str());
    ASSERT_NE(file, nullptr);
    dgn::CApplicationElement* model = file->GetModel(0);
    ASSERT_NE(model, nullptr);
    model->SetMasterUnitsRatio(1.0, 1.0);
    model->SetSubUnitsRatio(content.subPerMetre, 1.0);
    model->SetStorageUnitsRatio(1.0, 1.0);
    model->SetUorScale(1.0);
    model->Touch();
    std::uint32_t lastLevel = 0;
    std::vector<std::uint32_t> numbers;
    for (const Level& l : content.levels) {
        dgn::CLevelEntry* level = dgn::CLevelEntry::Create(file, 0);
        level->SetName(l.name);
        if (l.description)
            level->SetName2(l.description);
        level->AssignNewLevelNumber();
        level->GetLevelRecord()->levelFlags = l.flags;
        level->GetLevelRecord()->levelColor = l.colour;
        level->Touch();
        lastLevel = level->GetLevelNumber();
        numbers.push_back(lastLevel);
    }
    if (levelNumbers)
        *levelNumbers = numbers;
    for (const PlacedLine& l : content.placed) {
        auto* line = static_cast<dgn::CLineElement2d*>(dgn::PlaceNewElement(new dgn::CLineElement2d(file), file, 0));
        line->GetGeometry()[0] = {l.at[0], l.at[1]};
        line->GetGeometry()[1] = {l.at[2], l.at[3]};
        line->SetLevel(static_cast<std::int32_t>(numbers.at(l.level)));
        line->SetColor(l.colour);
        line->SetGraphicGroup(l.group);
        line->Touch();
    }
    for (const auto& l : content.lines) {
        auto* line = static_cast<dgn::CLineElement2d*>(dgn::PlaceNewElement(new dgn::CLineElement2d(file), file, 0));
        line->GetGeometry()[0] = {l[0], l[1]};
        line->GetGeometry()[1] = {l[2], l[3]};
        line->SetLevel(static_cast<std::int32_t>(lastLevel));
        line->Touch();
    }
    for (const std::string& other : content.attachments) {
        auto* ref = static_cast<dgn::CReferenceAttachment*>(dgn::PlaceNewElement(new dgn::CReferenceAttachment(file), file, 0));
        ref->SetFileName(other.c_str());
        // The reference origin, in the attachment's body after its child count.
        std::memcpy(ref->GetRefData() + 156, content.attachAt.data(), sizeof content.attachAt);
        if (content.attachDegrees != 0) {
            // The rotation, column by column from 180, a turn about z for row vectors (as the
            // library's transforms): its first row (c, s) is where the x axis goes.
            const double a = content.attachDegrees * 3.14159265358979323846 / 180;
            const double turn[9] = {std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a), 0, 0, 0, 1};
            std::memcpy(ref->GetRefData() + 180, turn, sizeof turn);
        }
        if (content.attachScale != 0)
            std::memcpy(ref->GetRefData() + 252, &content.attachScale, sizeof content.attachScale);
        if (!content.attachHides.empty()) {
            // The attached file's levels are numbered as this file's (both are written here).
            std::uint8_t bits[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
            for (std::size_t hidden : content.attachHides) {
                const std::uint32_t bit = numbers.at(hidden) - 1;
                bits[bit / 8] = static_cast<std::uint8_t>(bits[bit / 8] & ~(1u << (bit % 8)));
            }
            dgn::CLevelMaskElement* mask = dgn::CLevelMaskElement::Create(file, 0, 0, 64, bits);
            mask->SetMaskKind(1);
            ref->AddChild(mask);
        }
        ref->Touch();
    }
    if (!content.seedViewOn) {
        auto* view = dynamic_cast<dgn::CViewElement*>(file->FindView(0));
        ASSERT_NE(view, nullptr);
        view->SetViewFlags(view->GetViewFlags() & ~dgn::kViewVisible);
        view->Touch();
    }
    if (content.view[2] != 0 || !content.viewHides.empty()) {
        // The file's own view 0 (a new file has eight views from its seed), else a new one.
        auto* view = dynamic_cast<dgn::CViewElement*>(file->FindView(0));
        if (!view)
            view = dgn::CViewElement::Create(file, 0);
        if (content.view[2] != 0) {
            const double origin[3] = {content.view[0], content.view[1], 0}, delta[3] = {content.view[2], content.view[3], 0};
            const double a = content.viewDegrees * 3.14159265358979323846 / 180;
            const double turn[9] = {std::cos(a), std::sin(a), 0, -std::sin(a), std::cos(a), 0, 0, 0, 1};
            view->SetFromV7(0, dgn::kViewVisible, origin, delta, turn, 1.0, 0);
        } else {
            view->SetViewFlags(view->GetViewFlags() | dgn::kViewVisible);
        }
        if (!content.viewHides.empty()) {
            std::uint8_t bits[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
            for (std::size_t hidden : content.viewHides) {
                const std::uint32_t bit = numbers.at(hidden) - 1;
                bits[bit / 8] = static_cast<std::uint8_t>(bits[bit / 8] & ~(1u << (bit % 8)));
            }
            // The seed's mask of the view when it has one, else a new one.
            dgn::CLevelMaskElement* mask = view->GetLevelMask();
            if (mask) {
                EXPECT_TRUE(mask->SetMask(0, 64, bits));
            } else {
                mask = dgn::CLevelMaskElement::Create(file, 0, 0, 64, bits);
                view->AddChild(mask);
            }
            mask->SetMaskKind(1);
            mask->Touch();
        }
        view->Touch();
    }
    EXPECT_EQ(file->SaveAsA(path.c_str(), 1), 1);
    delete file;
    dgn::ShutdownLibrary();
}

class DgnImport : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_TRUE(dll.Loaded());
        ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl,
                                   reinterpret_cast<void**>(&control)),
                  S_OK);
        Check(control->get_Site(&site), "get_Site");
        Check(site->get_Shapes(&shapes), "get_Shapes");
        IShape* root = Shape(BASE_ID);
        Check(root->get_Shapes(&drawing), "drawing");
        root->Release();
    }
    void TearDown() override
    {
        if (importer)
            dll.Entry<ImporterRelease>("_ReleaseDGNImport@4")(importer);
        if (drawing)
            drawing->Release();
        if (shapes)
            shapes->Release();
        if (site)
            site->Release();
        if (control)
            control->Release();
        CoUninitialize();
    }

    // Imports through _GetDGNImport@12; the importer stays for its getters until the next import.
    int Import(const std::string& path, pluginhost::Callback callback = nullptr, void* user = nullptr)
    {
        if (importer)
            dll.Entry<ImporterRelease>("_ReleaseDGNImport@4")(importer);
        importer = Create(dll.Entry<StdImporterFactory>("_GetDGNImport@12"), control, user, callback);
        if (!importer)
            return -1;
        return importer->Import(Text(path.c_str()), 0, 0);
    }

    IShape* Shape(long id)
    {
        IShape* shape = nullptr;
        Check(shapes->get_ItemByID(id, &shape), "get_ItemByID");
        return shape;
    }
    // Calls visit with each shape of a collection (1-based, as the control counts).
    template <class Visit>
    void ForEach(IShapeCollection* collection, Visit visit)
    {
        long n = 0;
        Check(collection->get_Count(&n), "Count");
        for (long i = 1; i <= n; ++i) {
            IShape* shape = nullptr;
            Check(collection->get_Item(i, &shape), "Item");
            visit(shape);
            shape->Release();
        }
    }
    // The name of a layer or group shape; false for other shapes.
    template <class Named>
    bool NameOf(IShape* shape, REFIID iid, std::string& out)
    {
        Named* named = nullptr;
        if (FAILED(shape->QueryInterface(iid, reinterpret_cast<void**>(&named))))
            return false;
        BSTR name = nullptr;
        Check(named->get_Name(&name), "Name");
        out = Narrow(name);
        SysFreeString(name);
        named->Release();
        return true;
    }
    // The points of every shape of a group's children (the group taken by its place among the
    // drawing's top shapes), with the group's pen and layer.
    struct GroupSeen {
        std::vector<std::vector<std::pair<double, double>>> members;
        OLE_COLOR pen = 0;
        long layer = 0;
    };
    std::vector<GroupSeen> TopGroups()
    {
        std::vector<GroupSeen> out;
        ForEach(drawing, [&](IShape* shape) {
            long type = 0;
            Check(shape->get_ShapeType(&type), "ShapeType");
            if (type != stGroup)
                return;
            GroupSeen seen;
            Check(shape->get_PenColor(&seen.pen), "PenColor");
            Check(shape->get_LayerShapeID(&seen.layer), "LayerShapeID");
            IShapeCollection* children = nullptr;
            Check(shape->get_Shapes(&children), "Shapes");
            ForEach(children, [&](IShape* child) { seen.members.push_back(PointsOf(child)); });
            children->Release();
            out.push_back(seen);
        });
        return out;
    }
    // Calls visit with each layer and its name.
    template <class Visit>
    void ForEachLayer(Visit visit)
    {
        IShape* layers = Shape(-4);
        IShapeCollection* children = nullptr;
        Check(layers->get_Shapes(&children), "layers");
        ForEach(children, [&](IShape* layer) {
            std::string name;
            if (NameOf<ILayerShape>(layer, IID_ILayerShape, name))
                visit(layer, name);
        });
        children->Release();
        layers->Release();
    }
    // Name -> visibility of every layer.
    std::map<std::string, bool> Layers()
    {
        std::map<std::string, bool> out;
        ForEachLayer([&](IShape* layer, const std::string& name) {
            VARIANT_BOOL visible = VARIANT_FALSE;
            Check(layer->get_Visible(&visible), "Visible");
            out[name] = visible != VARIANT_FALSE;
        });
        return out;
    }
    // Name -> pen colour of every layer.
    std::map<std::string, OLE_COLOR> LayerPens()
    {
        std::map<std::string, OLE_COLOR> out;
        ForEachLayer([&](IShape* layer, const std::string& name) { Check(layer->get_PenColor(&out[name]), "PenColor"); });
        return out;
    }
    // The ID of a layer by its name, 0 when there is none.
    long LayerId(const std::string& wanted)
    {
        long found = 0;
        ForEachLayer([&](IShape* layer, const std::string& name) {
            if (name == wanted)
                Check(layer->get_ID(&found), "ID");
        });
        return found;
    }
    // The names of the groups among the drawing's top shapes, in order.
    std::vector<std::string> Groups()
    {
        std::vector<std::string> out;
        ForEach(drawing, [&](IShape* shape) {
            long type = 0;
            Check(shape->get_ShapeType(&type), "ShapeType");
            std::string name;
            if (type == stGroup && NameOf<IGroupShape>(shape, IID_IGroupShape, name))
                out.push_back(name);
        });
        return out;
    }
    // The points of a shape, as the control holds them.
    std::vector<std::pair<double, double>> PointsOf(IShape* shape)
    {
        std::vector<std::pair<double, double>> out;
        IPointCollection* points = nullptr;
        Check(shape->get_Points(&points), "Points");
        long n = 0;
        Check(points->get_Count(&n), "Count");
        for (long i = 1; i <= n; ++i) {
            IPoint* p = nullptr;
            Check(points->get_Item(i, &p), "Item");
            float x = 0, y = 0;
            Check(p->get_X(&x), "X");
            Check(p->get_Y(&y), "Y");
            p->Release();
            out.push_back({x, y});
        }
        points->Release();
        return out;
    }
    long Count()
    {
        long n = 0;
        Check(drawing->get_Count(&n), "Count");
        return n;
    }
    long Unit()
    {
        long unit = 0;
        Check(site->get_UnitID(&unit), "UnitID");
        return unit;
    }
    // Undo recording and redrawing on, draft limits as the host left them: the control is
    // usable again.
    void ExpectUsable(VARIANT_BOOL limitsBefore)
    {
        IYVEXUndo* undo = nullptr;
        ASSERT_EQ(control->QueryInterface(IID_IYVEXUndo, reinterpret_cast<void**>(&undo)), S_OK);
        VARIANT_BOOL on = VARIANT_FALSE;
        Check(undo->get_UndoEnabled(&on), "UndoEnabled");
        EXPECT_NE(on, VARIANT_FALSE) << "undo recording left off";
        undo->Release();
        Check(control->get_RedrawEnabled(&on), "RedrawEnabled");
        EXPECT_NE(on, VARIANT_FALSE) << "redrawing left off";
        Check(control->get_LockDraftLimits(&on), "LockDraftLimits");
        EXPECT_EQ(on, limitsBefore) << "draft limits left locked";
    }
    VARIANT_BOOL Limits()
    {
        VARIANT_BOOL locked = VARIANT_FALSE;
        Check(control->get_LockDraftLimits(&locked), "LockDraftLimits");
        return locked;
    }

    Module dll{"dgn"};
    IYVEXControl* control = nullptr;
    ISite* site = nullptr;
    IShapeCollection* shapes = nullptr;
    // The root group's children: the drawing.
    IShapeCollection* drawing = nullptr;
    Importer* importer = nullptr;
};

TEST_F(DgnImport, LevelsBecomeLayersNamedAndShownByTheirFlags)
{
    const std::string path = Scratch("levels.dgn");
    // With no view shown, the levels' flags alone decide (a shown view's mask would instead).
    DesignFileContent content{{{"A", nullptr, 0x20}, {"A", "Walls", 0x4020}, {"", nullptr, 0}}, {{0, 0, 10, 10}}, {}};
    content.seedViewOn = false;
    Write(path, content);
    const VARIANT_BOOL limits = Limits();
    ASSERT_EQ(Import(path), TRUE);
    EXPECT_EQ(importer->GetState(), 0);
    const auto layers = Layers();
    ASSERT_EQ(layers.count("A"), 1u);
    EXPECT_TRUE(layers.at("A"));
    ASSERT_EQ(layers.count("A (Walls)"), 1u);
    EXPECT_FALSE(layers.at("A (Walls)"));
    // A level without a name is named by its number.
    bool numbered = false;
    for (const auto& layer : layers) {
        if (!layer.first.empty() && layer.first.find_first_not_of("0123456789") == std::string::npos && layer.first != "0") {
            numbered = true;
            EXPECT_FALSE(layer.second) << layer.first;
        }
    }
    EXPECT_TRUE(numbered);
    ExpectUsable(limits);
}

TEST_F(DgnImport, UnitsScaleAndShift)
{
    struct Case {
        const char* name;
        double subPerMetre;
        std::array<double, 4> line;
        long unit;
        double scale;
        double shiftX, shiftY;
    };
    const Case cases[] = {
        // No unit fits 3 sub units a metre: the master unit (metres), 1 design unit a metre.
        {"far.dgn", 3.0, {50000, -20000, 50100, -19900}, unMeters, 1.0, -50000, 20000},
        {"near.dgn", 3.0, {5000, 9999.5, 5100, 10100}, unMeters, 1.0, 0, 0},
        // 1000 sub units a metre are millimetres exactly: the site takes them.
        {"sub.dgn", 1000.0, {0, 0, 1, 1}, unMillimeters, 1000.0, 0, 0},
    };
    for (const Case& c : cases) {
        const std::string path = Scratch(c.name);
        Write(path, {{{"L", nullptr, 0x20}}, {c.line}, {}, c.subPerMetre});
        ASSERT_EQ(Import(path), TRUE) << c.name;
        EXPECT_EQ(Unit(), c.unit) << c.name;
        EXPECT_DOUBLE_EQ(importer->GetScale(), c.scale) << c.name;
        const pluginhost::Point shift = importer->GetShift();
        EXPECT_EQ(shift.x, c.shiftX) << c.name;
        EXPECT_EQ(shift.y, c.shiftY) << c.name;
    }
    // A drawing a million kilometres wide climbs to larger units until it fits.
    const std::string huge = Scratch("huge.dgn");
    Write(huge, {{{"L", nullptr, 0x20}}, {{0, 0, 1e9, 0}}, {}});
    ASSERT_EQ(Import(huge), TRUE);
    EXPECT_NE(Unit(), unMeters);
    const double mapped = 1e9 * importer->GetScale();
    EXPECT_LE(mapped * mapped, 2e10);
}

TEST_F(DgnImport, AttachmentsAreNestedGroupsImportedOnceAlongACycle)
{
    const std::string main = Scratch("main.dgn"), ref = Scratch("ref.dgn");
    Write(ref, {{{"A", "Walls", 0x20}}, {{0, 0, 5, 5}}, {main}});
    Write(main, {{{"B", nullptr, 0x20}}, {{0, 0, 10, 10}}, {ref, Scratch("missing.dgn")}});
    const VARIANT_BOOL limits = Limits();
    ASSERT_EQ(Import(main), TRUE);
    // The missing file makes no group; ref.dgn's attachment of main.dgn is skipped: main.dgn is
    // being imported further up the chain.
    EXPECT_EQ(Groups(), std::vector<std::string>{"ref.dgn"});
    const auto layers = Layers();
    EXPECT_EQ(layers.count("ref.dgn_A (Walls)"), 1u);
    EXPECT_EQ(layers.count("B"), 1u);
    EXPECT_EQ(layers.count("ref.dgn_main.dgn_B"), 0u);
    ExpectUsable(limits);
}

// An attached file whose import fails (here the host's callback refuses the first percentage
// past 10, which the nested pass reports) leaves no group; the run goes on.
// The attached file's content sits inside its group where the attachment places it.
TEST_F(DgnImport, AttachedContentLiesWhereTheAttachmentPlacesIt)
{
    const std::string main = Scratch("placing.dgn"), ref = Scratch("placed.dgn");
    Write(ref, {{{"A", nullptr, 0x20}}, {{0, 0, 5, 5}}, {}});
    DesignFileContent content{{{"B", nullptr, 0x20}}, {{0, 0, 10, 10}}, {ref}};
    content.attachAt = {100, 200};
    Write(main, content);
    ASSERT_EQ(Import(main), TRUE);
    ASSERT_EQ(Groups(), std::vector<std::string>{"placed.dgn"});
    std::vector<std::vector<std::pair<double, double>>> inside;
    ForEach(drawing, [&](IShape* shape) {
        long type = 0;
        Check(shape->get_ShapeType(&type), "ShapeType");
        if (type != stGroup)
            return;
        IShapeCollection* children = nullptr;
        Check(shape->get_Shapes(&children), "Shapes");
        ForEach(children, [&](IShape* child) { inside.push_back(PointsOf(child)); });
        children->Release();
    });
    ASSERT_EQ(inside.size(), 1u);
    ASSERT_EQ(inside[0].size(), 2u);
    EXPECT_NEAR(inside[0][0].first, 100, 1e-6);
    EXPECT_NEAR(inside[0][0].second, 200, 1e-6);
    EXPECT_NEAR(inside[0][1].first, 105, 1e-6);
    EXPECT_NEAR(inside[0][1].second, 205, 1e-6);
}

TEST_F(DgnImport, AFailedNestedImportLeavesNoGroup)
{
    const std::string main = Scratch("outer.dgn"), ref = Scratch("inner.dgn");
    Write(ref, {{{"A", nullptr, 0x20}}, {{0, 0, 5, 5}}, {}});
    Write(main, {{{"B", nullptr, 0x20}}, {{0, 0, 10, 10}}, {ref}});
    struct Once {
        static void Report(void* user, long value)
        {
            bool& refused = *static_cast<bool*>(user);
            if (value > 10 && !refused) {
                refused = true;
                _com_issue_error(E_ABORT);
            }
        }
    };
    bool refused = false;
    const VARIANT_BOOL limits = Limits();
    ASSERT_EQ(Import(main, Once::Report, &refused), TRUE);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(Groups().empty());
    EXPECT_EQ(Layers().count("B"), 1u);
    ExpectUsable(limits);
    // Imported again without the refusal, the group is there.
    ASSERT_EQ(Import(main), TRUE);
    EXPECT_EQ(Groups(), std::vector<std::string>{"inner.dgn"});
}

// ogr2ogr's line string and polygon of 150 vertices (complex elements) come in whole, with
// the geometry ogrinfo reports once the unit (decimetres: 10 sub units a metre fit them) is
// taken back; the drawing's lowest corner lands at the origin. The file's first view gives
// the zoom, which a control without a window refuses: the import still succeeds and leaves the
// control usable.
TEST_F(DgnImport, Ogr2ogrGeometryComesInWholeNearTheOrigin)
{
    const VARIANT_BOOL limits = Limits();
    ASSERT_EQ(Import(Fixture("ogr_long_2d.dgn")), TRUE);
    ExpectUsable(limits);
    EXPECT_EQ(Unit(), unDecimeters);
    std::vector<std::vector<std::pair<double, double>>> lines;
    double lowX = 1e30, lowY = 1e30;
    ForEach(drawing, [&](IShape* shape) {
        lines.push_back(PointsOf(shape));
        for (const auto& p : lines.back()) {
            lowX = std::min(lowX, p.first);
            lowY = std::min(lowY, p.second);
        }
    });
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0].size(), 150u);
    for (int i = 0; i < 150; ++i) {
        EXPECT_NEAR((lines[0][i].first - lines[0][0].first) / 10, i * 0.5, 1e-3) << i;
        EXPECT_NEAR((lines[0][i].second - lines[0][0].second) / 10, (i % 7) * 0.25, 1e-3) << i;
    }
    EXPECT_GE(lines[1].size(), 149u);
    // The shift is whole design units of the site: the corner lies within one of the origin.
    EXPECT_GE(lowX, -1.0);
    EXPECT_LT(lowX, 1.0);
    EXPECT_GE(lowY, -1.0);
    EXPECT_LT(lowY, 1.0);
    // The file's design plane is centred far from the origin: the shift brought it back.
    EXPECT_NE(importer->GetShift().x, 0.0);
}

// A file whose first view gives the zoom: a control that has no window yet refuses the zoom
// window, and the import still succeeds with the control usable.
TEST_F(DgnImport, AViewZoomTheControlRefusesIsLeftAlone)
{
    const std::string path = Scratch("viewed.dgn");
    DesignFileContent content{{{"L", nullptr, 0x20}}, {{0, 0, 100, 50}}, {}};
    content.view = {-10, -10, 120, 70};
    Write(path, content);
    const VARIANT_BOOL limits = Limits();
    ASSERT_EQ(Import(path), TRUE);
    EXPECT_EQ(Count(), 1);
    ExpectUsable(limits);
}

TEST_F(DgnImport, AFileThatCannotBeReadLeavesTheControlAsItWas)
{
    const long before = Count();
    const VARIANT_BOOL limits = Limits();
    ProgressLog progress;
    EXPECT_EQ(Import(Fixture("no such file.dgn"), ProgressLog::Record, &progress), FALSE);
    EXPECT_EQ(static_cast<unsigned>(importer->GetState()), 0x80010100u);
    EXPECT_EQ(progress.values, std::vector<long>{5});
    EXPECT_EQ(Count(), before);
    ExpectUsable(limits);
    // And the next import through the plug-in works.
    ProgressLog next;
    ASSERT_EQ(Import(Fixture("ogr_2d.dgn"), ProgressLog::Record, &next), TRUE);
    ASSERT_GE(next.values.size(), 2u);
    EXPECT_EQ(next.values[0], 5);
    EXPECT_EQ(next.values[1], 10);
    for (std::size_t i = 1; i < next.values.size(); ++i) {
        EXPECT_GE(next.values[i], next.values[i - 1]);
        EXPECT_LE(next.values[i], 99);
    }
}

// A COM error raised inside the run (here by the host's progress callback) leaves the import
// by exception with undo, redrawing and the draft limits back as they were.
TEST_F(DgnImport, AComErrorInsideTheRunLeavesTheControlUsable)
{
    const VARIANT_BOOL limits = Limits();
    struct Failing {
        static void Report(void*, long value)
        {
            if (value >= 10)
                _com_issue_error(E_ABORT);
        }
    };
    EXPECT_THROW(Import(Fixture("ogr_2d.dgn"), Failing::Report), _com_error);
    ExpectUsable(limits);
    ASSERT_EQ(Import(Fixture("ogr_2d.dgn")), TRUE);
    ExpectUsable(limits);
}

// ogr2ogr's 3-D files: each shape the import made (a group's members in its place) goes into a
// text file with the reported scale, shift and turn, for check_ogr_imports.py to compare with
// what ogrinfo reads from the same file. Here: the counts of what came in.
TEST_F(DgnImport, Ogr2ogr3dFilesComeInForOgrinfosComparison)
{
    struct Case {
        const char* file;
        long shapes;
    };
    for (const Case& c : {Case{"ogr_3d.dgn", 3}, Case{"ogr_shapes_3d.dgn", 3}}) {
        ASSERT_EQ(Import(Fixture(c.file)), TRUE) << c.file;
        EXPECT_EQ(Count(), c.shapes) << c.file;
        std::string out;
        char line[128];
        const pluginhost::Point shift = importer->GetShift(), base = importer->GetBase();
        std::snprintf(line, sizeof line, "mapping %.17g %.17g %.17g %.17g %.17g %.17g\n", importer->GetScale(), shift.x, shift.y,
                      importer->GetRotation(), base.x, base.y);
        out += line;
        std::function<void(IShape*)> write = [&](IShape* shape) {
            long type = 0;
            Check(shape->get_ShapeType(&type), "ShapeType");
            if (type == stGroup) {
                IShapeCollection* children = nullptr;
                Check(shape->get_Shapes(&children), "Shapes");
                ForEach(children, write);
                children->Release();
                return;
            }
            const char* kind = type == stText ? "text" : type == stLine ? "line" : "polyline";
            long flags = 0;
            IPolylineShape* polyline = nullptr;
            if (SUCCEEDED(shape->QueryInterface(IID_IPolylineShape, reinterpret_cast<void**>(&polyline)))) {
                Check(polyline->get_Flags(&flags), "Flags");
                polyline->Release();
                if (flags & pfClosed)
                    kind = "closed";
            }
            out += kind;
            if (type != stText) {
                for (const auto& p : PointsOf(shape)) {
                    std::snprintf(line, sizeof line, " %.9g %.9g", p.first, p.second);
                    out += line;
                }
            }
            out += "\n";
        };
        ForEach(drawing, write);
        const std::string name = Scratch(std::string(c.file) + ".txt");
        FILE* f = std::fopen(name.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(out.data(), 1, out.size(), f);
        std::fclose(f);
        // The next file goes into a fresh drawing.
        Check(site->Clear(), "Clear");
        drawing->Release();
        drawing = nullptr;
        IShape* root = Shape(BASE_ID);
        Check(root->get_Shapes(&drawing), "drawing");
        root->Release();
    }
}

// A level's colour index becomes its layer's pen colour from the palette; index 0 and indices
// outside the palette give none.
TEST_F(DgnImport, LayersTakeTheirLevelsColours)
{
    const std::string path = Scratch("coloured.dgn");
    Write(path, {{{"Red", nullptr, 0x20, 3}, {"Blue", nullptr, 0x20, 1}, {"None", nullptr, 0x20, 0}, {"Far", nullptr, 0x20, 300}},
                 {{0, 0, 10, 10}},
                 {}});
    ASSERT_EQ(Import(path), TRUE);
    const auto pens = LayerPens();
    ASSERT_EQ(pens.count("Red"), 1u);
    EXPECT_EQ(pens.at("Red"), RGB(255, 0, 0));
    EXPECT_EQ(pens.at("Blue"), RGB(0, 0, 255));
    EXPECT_EQ(pens.at("None"), 0u);
    EXPECT_EQ(pens.at("Far"), 0u);
}

// Elements of one graphic group are gathered into one group of the drawing, which takes the
// colour and layer of its first member; elements of no group stay where they are.
TEST_F(DgnImport, GraphicGroupsAreGatheredIntoGroups)
{
    const std::string path = Scratch("grouped.dgn");
    DesignFileContent content{{{"First", nullptr, 0x20, 3}, {"Second", nullptr, 0x20, 1}}, {}, {}};
    content.placed = {{{0, 0, 1, 0}, 0, 5, 4}, {{0, 1, 1, 1}, 1, 5, 1}, {{0, 2, 1, 2}, 1, 6, 5}, {{0, 3, 1, 3}, 1, 0}};
    Write(path, content);
    ASSERT_EQ(Import(path), TRUE);
    const std::vector<GroupSeen> groups = TopGroups();
    ASSERT_EQ(groups.size(), 2u);
    ASSERT_EQ(groups[0].members.size(), 2u);
    EXPECT_EQ(groups[0].members[0].at(0).second, 0.0);
    EXPECT_EQ(groups[0].members[1].at(0).second, 1.0);
    EXPECT_EQ(groups[0].layer, LayerId("First"));
    EXPECT_EQ(groups[0].pen, RGB(255, 255, 0));
    ASSERT_EQ(groups[1].members.size(), 1u);
    EXPECT_EQ(groups[1].members[0].at(0).second, 2.0);
    EXPECT_EQ(groups[1].layer, LayerId("Second"));
    EXPECT_EQ(groups[1].pen, RGB(255, 0, 255));
    // Two groups and the line of no group.
    EXPECT_EQ(Count(), 3);
}

// The first view's turn turns the whole drawing the other way about the view's origin, and the
// importer reports that turn and its centre.
TEST_F(DgnImport, AViewsTurnTurnsTheDrawingAboutItsOrigin)
{
    const std::string path = Scratch("turned_view.dgn");
    DesignFileContent content{{{"L", nullptr, 0x20}}, {{10, 10, 20, 10}}, {}};
    content.view = {10, 10, 100, 100};
    content.viewDegrees = 30;
    Write(path, content);
    ASSERT_EQ(Import(path), TRUE);
    const double a = 30 * 3.14159265358979323846 / 180;
    EXPECT_NEAR(importer->GetRotation(), -a, 1e-6);
    EXPECT_NEAR(importer->GetBase().x, 10, 1e-9);
    EXPECT_NEAR(importer->GetBase().y, 10, 1e-9);
    std::vector<std::vector<std::pair<double, double>>> lines;
    ForEach(drawing, [&](IShape* shape) { lines.push_back(PointsOf(shape)); });
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 2u);
    EXPECT_NEAR(lines[0][0].first, 10, 1e-4);
    EXPECT_NEAR(lines[0][0].second, 10, 1e-4);
    EXPECT_NEAR(lines[0][1].first, 10 + 10 * std::cos(a), 1e-4);
    EXPECT_NEAR(lines[0][1].second, 10 - 10 * std::sin(a), 1e-4);
}

// An attachment turned a quarter and scaled 2 places the attached file's line from (0, 0) to
// (5, 5) from its offset (100, 200) to (90, 210).
TEST_F(DgnImport, AnAttachmentsTurnAndScalePlaceItsContent)
{
    const std::string main = Scratch("turning.dgn"), ref = Scratch("turned.dgn");
    Write(ref, {{{"A", nullptr, 0x20}}, {{0, 0, 5, 5}}, {}});
    DesignFileContent content{{{"B", nullptr, 0x20}}, {{0, 0, 10, 10}}, {ref}};
    content.attachAt = {100, 200};
    content.attachDegrees = 90;
    content.attachScale = 2;
    Write(main, content);
    ASSERT_EQ(Import(main), TRUE);
    const std::vector<GroupSeen> groups = TopGroups();
    ASSERT_EQ(groups.size(), 1u);
    ASSERT_EQ(groups[0].members.size(), 1u);
    const auto& line = groups[0].members[0];
    ASSERT_EQ(line.size(), 2u);
    EXPECT_NEAR(line[0].first, 100, 1e-4);
    EXPECT_NEAR(line[0].second, 200, 1e-4);
    EXPECT_NEAR(line[1].first, 90, 1e-4);
    EXPECT_NEAR(line[1].second, 210, 1e-4);
}

// The attachment's level mask for view 0 hides the attached file's levels it switches off; the
// attaching file's own layers keep their flags.
TEST_F(DgnImport, AnAttachmentsMaskHidesItsLevels)
{
    const std::string main = Scratch("masking.dgn"), ref = Scratch("masked.dgn");
    Write(ref, {{{"A", nullptr, 0x20}, {"B", nullptr, 0x20}}, {{0, 0, 5, 5}}, {}});
    DesignFileContent content{{{"X", nullptr, 0x20}, {"Y", nullptr, 0x20}}, {{0, 0, 10, 10}}, {ref}};
    content.attachHides = {1};
    Write(main, content);
    ASSERT_EQ(Import(main), TRUE);
    const auto layers = Layers();
    ASSERT_EQ(layers.count("masked.dgn_A"), 1u);
    ASSERT_EQ(layers.count("masked.dgn_B"), 1u);
    EXPECT_TRUE(layers.at("masked.dgn_A"));
    EXPECT_FALSE(layers.at("masked.dgn_B"));
    EXPECT_TRUE(layers.at("X"));
    EXPECT_TRUE(layers.at("Y"));
}

// The first view's level mask hides the levels it switches off; the others keep their flags.
TEST_F(DgnImport, TheFirstViewsMaskHidesItsLevels)
{
    const std::string path = Scratch("view_masked.dgn");
    DesignFileContent content{{{"X", nullptr, 0x20}, {"Y", nullptr, 0x20}, {"Z", nullptr, 0x20}}, {{0, 0, 10, 10}}, {}};
    content.viewHides = {1};
    Write(path, content);
    ASSERT_EQ(Import(path), TRUE);
    const auto layers = Layers();
    ASSERT_EQ(layers.count("Y"), 1u);
    EXPECT_TRUE(layers.at("X"));
    EXPECT_FALSE(layers.at("Y"));
    EXPECT_TRUE(layers.at("Z"));
}

// In a window, a file's first view that is on gives what is shown after the import, also when it
// lies off the drawing; a file that attaches another file is shown whole.
TEST(DgnImportHosted, AfterAnAttachmentTheWholeDrawingIsShown)
{
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    ASSERT_TRUE(hosttest::Atl().init && hosttest::Atl().getControl) << "atl.dll with AtlAxWinInit and AtlAxGetControl";
    {
        Module dll{"dgn"};
        ASSERT_TRUE(dll.Loaded());
        const std::string ref = Scratch("zoom_ref.dgn"), attaching = Scratch("zoom_attaching.dgn");
        Write(ref, {{{"A", nullptr, 0x20}}, {{0, 0, 50, 50}}, {}});
        DesignFileContent content{{{"B", nullptr, 0x20}}, {{0, 0, 100, 100}}, {}};
        // Within the reach the control allows a zoom (ten times the drawing's limits).
        content.view = {300, 300, 10, 10};
        content.attachments = {ref};
        Write(attaching, content);
        const std::string plain = Scratch("zoom_plain.dgn");
        content.attachments.clear();
        Write(plain, content);
        for (const std::string& path : {plain, attaching}) {
            const bool attached = path == attaching;
            HWND top = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr, nullptr, nullptr);
            HWND ax = CreateWindowExW(0, L"AtlAxWin", L"YVEX.YVEXControl", WS_CHILD | WS_VISIBLE, 10, 20, 320, 240, top, nullptr,
                                      nullptr, nullptr);
            ASSERT_NE(ax, nullptr);
            hosttest::PumpMessages();
            IUnknown* unknown = nullptr;
            ASSERT_EQ(hosttest::Atl().getControl(ax, &unknown), S_OK);
            IYVEXControl* control = nullptr;
            ASSERT_EQ(unknown->QueryInterface(IID_IYVEXControl, reinterpret_cast<void**>(&control)), S_OK);
            unknown->Release();
            HWND window = nullptr;
            IOleWindow* ole = nullptr;
            ASSERT_EQ(control->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&ole)), S_OK);
            ASSERT_EQ(ole->GetWindow(&window), S_OK);
            ole->Release();
            RECT client = {};
            GetClientRect(window, &client);

            Importer* importer = Create(dll.Entry<StdImporterFactory>("_GetDGNImport@12"), control, nullptr, nullptr);
            ASSERT_NE(importer, nullptr);
            EXPECT_EQ(importer->Import(Text(path.c_str()), 0, 0), TRUE);
            dll.Entry<ImporterRelease>("_ReleaseDGNImport@4")(importer);
            hosttest::PumpMessages();
            auto shown = [&](float x, float y) {
                Check(control->WCStoDP(&x, &y), "WCStoDP");
                return x >= client.left && x <= client.right && y >= client.top && y <= client.bottom;
            };
            EXPECT_EQ(shown(0, 0), attached) << path;
            EXPECT_EQ(shown(100, 100), attached) << path;
            EXPECT_EQ(shown(305, 305), !attached) << path;
            control->Release();
            DestroyWindow(top);
            hosttest::PumpMessages();
        }
    }
    OleUninitialize();
}

} // namespace
