// The DGN export run with the registered control: drawings built through its interfaces, exported
// into dgn_run_*.dgn in this test's build folder and read back with the design-file library
// (check_export_files.py hands the same files to olefile, gsf and olecfinfo). What a host sees
// is checked too: the result, the progress, the message boxes, and the drawing and the control
// as they were before, on the way out of a failed run as well.
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "DesignFile.h"
#include "DgnString.h"
#include "EntityIterator.h"
#include "FillInfo.h"
#include "Library.h"
#include "com/MessageBoxHook.h"
#include "dgn/DGNExport.h"
#include "dgn/resource.h"
#include "ElementLinkages.h"
#include "elements/ApplicationElement.h"
#include "elements/EllipseElements.h"
#include "elements/LevelEntryElement.h"
#include "elements/LevelMaskElement.h"
#include "elements/LinearElements.h"
#include "elements/SharedCellElements.h"
#include "elements/TagElements.h"
#include "elements/TextElement.h"
#include "elements/ViewElement.h"
#include "linkages/SolidFillLinkage.h"
#include "tests/support/DialogCloser.h"
#include "tests/support/FakeCom.h"
#include "tests/support/PluginTestSupport.h"

using plugintest::Check;

namespace {

const double kDegree = 0.017453292519943278;

std::string OutPath(const std::string& name) { return WinPath("YVEX_BINARY_DIR", "tests/plugins/dgn/" + name); }

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The message boxes the exporter showed, each answered OK.
struct Boxes {
    Boxes() { previous = ycom::SetMessageBoxHandler(&Record); }
    ~Boxes() { ycom::SetMessageBoxHandler(previous); }
    static int Record(HWND, const char* text, const char* caption, UINT style)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Shown().push_back(std::string(text) + "|" + caption + "|" + std::to_string(style & MB_ICONMASK));
        return IDOK;
    }
    static std::mutex& Mutex()
    {
        static std::mutex m;
        return m;
    }
    static std::vector<std::string>& Shown()
    {
        static std::vector<std::string> s;
        return s;
    }
    ycom::MessageBoxHandler previous = nullptr;
};

struct Progress {
    std::vector<long> values;
    static void Record(void* user, long value) { static_cast<Progress*>(user)->values.push_back(value); }
};

// A design file read back, with its elements in file order.
struct Written {
    explicit Written(const std::string& path)
    {
        dgn::InitializeLibrary(dgn::kLibraryVersion, 0);
        file.reset(dgn::OpenDesignFile(path.c_str()));
        if (!file)
            return;
        std::unique_ptr<dgn::CEntityIterator> it(file->CreateChildIterator(nullptr));
        while (dgn::IEntity* entity = it ? it->Next() : nullptr)
            if (auto* element = dynamic_cast<dgn::IElement*>(entity))
                elements.push_back(element);
    }
    ~Written()
    {
        elements.clear();
        file.reset();
        dgn::ShutdownLibrary();
    }
    template <class T>
    std::vector<T*> All(int type) const
    {
        std::vector<T*> found;
        for (dgn::IElement* e : elements)
            if (e->GetType() == type)
                if (T* t = dynamic_cast<T*>(e))
                    found.push_back(t);
        return found;
    }
    // The levels the export made (the seed's own default level is not one of them).
    std::vector<dgn::CLevelEntryElement*> Levels() const
    {
        std::vector<dgn::CLevelEntryElement*> levels;
        int cursor = 0;
        while (dgn::CLevelEntryElement* level = file->NextLevelEntry(&cursor))
            if (level->GetLevelRecord()->levelFlags == 0x266)
                levels.push_back(level);
        return levels;
    }
    std::unique_ptr<dgn::CDesignFile> file;
    std::vector<dgn::IElement*> elements;
};

class DgnExportRun : public plugintest::ControlDrawing
{
protected:
    DgnExportRun() : ControlDrawing("dgn") {}

    void SetUp() override
    {
        ControlDrawing::SetUp();
        Check(control->QueryInterface(__uuidof(IYVEXUndo), reinterpret_cast<void**>(&undo)), "IYVEXUndo");
    }
    void TearDown() override
    {
        undo = nullptr;
        ControlDrawing::TearDown();
    }

    // Exports through the exporter object in this process; the result.
    int Export(const std::string& name, int mode, Progress* progress = nullptr)
    {
        CDGNExport exporter(IYVEXControlPtr(control), progress, progress ? &Progress::Record : nullptr);
        const std::string path = name.find(':') != std::string::npos ? name : OutPath(name);
        DeleteFileA(path.c_str());
        return exporter.Export(CString(path.c_str()), mode);
    }

    long AddLayer(const wchar_t* name, bool visible = true)
    {
        long id = 0;
        Check(Layers()->AddLayer(_bstr_t(name), &id), "AddLayer");
        if (!visible)
            Check(Shape(id)->put_Visible(VARIANT_FALSE), "put_Visible");
        return id;
    }
    IShapeCollectionPtr Layers()
    {
        IShapeCollectionPtr layers;
        Check(Shape(LAYERS_ID)->get_Shapes(&layers), "layers");
        return layers;
    }
    bool Visible(long id)
    {
        VARIANT_BOOL visible = VARIANT_FALSE;
        Check(Shape(id)->get_Visible(&visible), "get_Visible");
        return visible != VARIANT_FALSE;
    }
    long CountIn(long group)
    {
        IShapeCollectionPtr children;
        Check(Shape(group)->get_Shapes(&children), "children");
        long n = 0;
        Check(children->get_Count(&n), "Count");
        return n;
    }
    struct Switches {
        VARIANT_BOOL undo, redraw;
        bool operator==(const Switches& o) const { return undo == o.undo && redraw == o.redraw; }
    };
    Switches Read()
    {
        Switches s = {};
        Check(undo->get_UndoEnabled(&s.undo), "get_UndoEnabled");
        Check(control->get_RedrawEnabled(&s.redraw), "get_RedrawEnabled");
        return s;
    }

    IYVEXUndoPtr undo;
};

// Lines, rectangles and polylines as shape elements, arcs and ellipses, image frames: their
// vertices, angles, fill, weight and graphic groups as the library reads them back.
TEST_F(DgnExportRun, ShapesBecomeElements)
{
    const long closed = Polyline({{0, 0}, {10, 0}, {10, 10}}, pfClosed);
    const long open = Polyline({{0, 0}, {10, 0}, {10, 10}});
    const long line = Line(1, 2, 3, 4);
    long arc = 0, wrapped = 0, full = 0, flat = 0, turned = 0, filled = 0, unfilled = 0;
    Check(shapes->AddArc(0, 0, 5, 350, 10, &arc), "AddArc");
    Check(shapes->AddEllipse(0, 0, 5, 0.5f, 0, 10, 370, &wrapped), "AddEllipse");
    Check(shapes->AddEllipse(20, 0, 4, 0.5f, static_cast<float>(30 * kDegree), 45, 45, &full), "AddEllipse");
    Check(shapes->AddArc(0, 0, 5, 30, 90, &flat), "AddArc");
    Check(shapes->AddArc(0, 0, 5, 30, 90, &turned), "AddArc");
    Check(IEllipseShapePtr(Shape(turned))->put_ZExtrusion(-1.0), "put_ZExtrusion");
    Check(shapes->AddRectangle(0, 10, 20, 0, &filled), "AddRectangle");
    Check(Shape(filled)->put_HatchPatternID(hpSolid), "put_HatchPatternID");
    Check(Shape(filled)->put_HatchColor(RGB(250, 10, 10)), "put_HatchColor");
    Check(shapes->AddRectangle(0, 10, 20, 0, &unfilled), "AddRectangle");
    Check(Shape(unfilled)->put_HatchPatternID(2), "put_HatchPatternID");
    const long heavy = Line(0, 0, 1, 1), light = Line(0, 0, 1, 1);
    Check(Shape(heavy)->put_PenWeight(25), "put_PenWeight");
    Check(Shape(light)->put_PenWeight(9), "put_PenWeight");
    long group = 0, inner = 0;
    IShapeCollectionPtr members = Group(&group);
    Line(0, 0, 5, 0, members);
    Line(0, 1, 5, 1, members);
    Check(members->AddGroup(stGroup, &inner), "AddGroup");
    IShapeCollectionPtr innerMembers;
    Check(Shape(inner)->get_Shapes(&innerMembers), "inner");
    Line(0, 2, 5, 2, innerMembers);

    ASSERT_EQ(Export("dgn_run_shapes.dgn", 1), TRUE);
    Written back(OutPath("dgn_run_shapes.dgn"));
    ASSERT_TRUE(back.file);
    const auto polygons = back.All<dgn::CShapeElement2d>(6);
    const auto arcs = back.All<dgn::CArcElement2d>(16);
    const auto ellipses = back.All<dgn::CEllipseElement2d>(15);
    // closed, open, line, two rectangles, two weighted lines, three in the groups
    ASSERT_EQ(polygons.size(), 10u);
    ASSERT_EQ(arcs.size(), 3u);
    ASSERT_EQ(ellipses.size(), 2u);

    EXPECT_EQ(polygons[0]->VertexCount(), 4u) << "closed: the first vertex again";
    const dgn::Point2d* first = polygons[0]->GetPoints()->At(0);
    const dgn::Point2d* last = polygons[0]->GetPoints()->At(3);
    EXPECT_EQ(first->x, last->x);
    EXPECT_EQ(first->y, last->y);
    EXPECT_EQ(polygons[1]->VertexCount(), 3u) << "open";
    EXPECT_EQ(polygons[2]->VertexCount(), 2u) << "a line";
    EXPECT_DOUBLE_EQ(polygons[2]->GetPoints()->At(1)->x, 3.0);
    EXPECT_DOUBLE_EQ(polygons[2]->GetPoints()->At(1)->y, 4.0);

    EXPECT_NEAR(arcs[0]->GetBody().sweep, 20 * kDegree, 1e-9) << "350 to 10 degrees";
    EXPECT_NEAR(arcs[0]->GetBody().start, 350 * kDegree, 1e-9);
    EXPECT_NEAR(arcs[0]->GetBody().primary, 5.0, 1e-6);
    EXPECT_NEAR(arcs[1]->GetBody().sweep, 60 * kDegree, 1e-9);
    EXPECT_NEAR(arcs[2]->GetBody().start, -30 * kDegree, 1e-9) << "seen from below";
    EXPECT_NEAR(arcs[2]->GetBody().sweep, -60 * kDegree, 1e-9);
    EXPECT_NEAR(ellipses[0]->GetBody().secondary, 2.5, 1e-6) << "10 to 370 degrees";
    EXPECT_NEAR(ellipses[1]->GetBody().rotation, 30 * kDegree, 1e-6) << "45 to 45 degrees";
    EXPECT_NEAR(ellipses[1]->GetBody().cx, 20.0, 1e-6);

    CDGNExport palette(IYVEXControlPtr(), nullptr, nullptr);
    palette.FillPalette();
    dgn::CFillInfo* fill = polygons[3]->GetFillInfo();
    ASSERT_NE(fill, nullptr) << "hatch 1: solid fill";
    EXPECT_EQ(fill->GetKind(), 1);
    auto* solid = dynamic_cast<dgn::CSolidFillLinkage*>(polygons[3]->GetAttributes()->Find(dgn::kSolidFillId));
    ASSERT_NE(solid, nullptr);
    EXPECT_EQ(static_cast<int>(solid->GetColor()), palette.GetNearestColor(RGB(250, 10, 10)));
    EXPECT_EQ(fill->GetFillColor(), -1) << "drawn by level, as the element's by-layer pen";
    EXPECT_EQ(polygons[4]->GetFillInfo(), nullptr) << "hatch 2: none";

    EXPECT_EQ(polygons[5]->GetWeight(), 2) << "pen weight 25";
    EXPECT_EQ(polygons[6]->GetWeight(), 0) << "pen weight 9";

    const std::uint32_t shared = polygons[7]->GetGraphicGroup();
    EXPECT_NE(shared, 0u);
    EXPECT_EQ(polygons[8]->GetGraphicGroup(), shared) << "two lines of one group";
    EXPECT_NE(polygons[9]->GetGraphicGroup(), 0u);
    EXPECT_NE(polygons[9]->GetGraphicGroup(), shared) << "a group in the group";
    EXPECT_EQ(polygons[3]->GetGraphicGroup(), 0u);
    (void)closed, (void)open, (void)line, (void)wrapped, (void)full, (void)flat;
}

// Texts, blocks, references and leaders through the whole run: the referenced block as a cell
// with its tag set, the reference as an instance with tags naming the set's definitions, an
// unreferenced block left out, a plain text as a text element, and an attribute's leader.
TEST_F(DgnExportRun, TextsBlocksReferencesAndLeaders)
{
    auto text = [&](IShapeCollection* into, const wchar_t* value, float y, long type, long leader) {
        long id = 0;
        Check(into->AddPlainText(_bstr_t(value), 0, y, 10, 2, alTopLeft, 0, &id), "AddPlainText");
        Check(ITextShapePtr(Shape(id))->put_Type(static_cast<TextTypes>(type)), "put_Type");
        Check(ITextShapePtr(Shape(id))->put_LeaderType(leader), "put_LeaderType");
        return id;
    };
    long door = 0, unused = 0, reference = 0, dropped = 0;
    IShapeCollectionPtr members = Group(&door);
    Line(0, 0, 10, 0, members);
    text(members, L"width", 5, ttAttDef, 1);
    text(members, L"height", 10, ttAttDef, 0);
    Block(L"Door", door, &reference);
    IShapeCollectionPtr others = Group(&unused);
    Line(0, 0, 1, 1, others);
    Block(L"Unused", unused, &dropped);
    Check(shapes->DeleteByID(dropped), "DeleteByID");
    text(shapes, L"note", 50, ttANSI, 0);

    ASSERT_EQ(Export("dgn_run_texts.dgn", 1), TRUE);
    Written back(OutPath("dgn_run_texts.dgn"));
    ASSERT_TRUE(back.file);
    const auto cells = back.All<dgn::CSharedCellDefinitionElement>(34);
    ASSERT_EQ(cells.size(), 1u) << "the unreferenced block is left out";
    EXPECT_STREQ(cells[0]->GetName()->CStr(), "Door");
    const auto sets = back.All<dgn::CTagSetDefinitionElement>(39);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_STREQ(sets[0]->GetName()->CStr(), "Door");
    const auto instances = back.All<dgn::ISymRef>(35);
    ASSERT_EQ(instances.size(), 1u);
    const auto tags = back.All<dgn::CAttributeTagElement2d>(37);
    ASSERT_EQ(tags.size(), 2u);
    for (dgn::CAttributeTagElement2d* tag : tags) {
        EXPECT_EQ(tag->GetTarget(), instances[0]);
        ASSERT_EQ(tag->ResolveTagSet(), sets[0]);
        const dgn::TagDefinition* definition = sets[0]->FindDefinition(tag->GetTagId());
        ASSERT_NE(definition, nullptr) << "tag " << tag->GetTagId();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(definition->value->Data()), definition->value->Size()),
                  tag->GetDisplayString()->CStr());
    }
    const auto texts = back.All<dgn::CTextElement2d>(17);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_STREQ(texts[0]->GetText()->CStr(), "note");
    const auto leaders = back.All<dgn::CShapeElement2d>(6);
    ASSERT_EQ(leaders.size(), 1u) << "the attribute with a leader";
    EXPECT_EQ(leaders[0]->VertexCount(), 3u);
}

// Every layer (mode 0): a level each, named as the layer (an empty name kept), flags 0x266, code
// layer ID - 1; the masks have the hidden layers' levels off; the layers end hidden as they were.
TEST_F(DgnExportRun, EveryLayerWithHiddenLayers)
{
    const long hidden = AddLayer(L"Hidden", false);
    const long shown = AddLayer(L"Shown");
    const long unnamed = AddLayer(L"");
    Check(Shape(shown)->put_PenColor(RGB(0, 0, 255)), "put_PenColor");
    const long onHidden = Line(0, 0, 1, 1);
    Check(Shape(onHidden)->put_LayerShapeID(hidden), "put_LayerShapeID");
    const long layerCount = CountIn(LAYERS_ID);
    ASSERT_EQ(layerCount, 4) << "the base layer and three";
    const Switches before = Read();

    ASSERT_EQ(Export("dgn_run_every_layer.dgn", 0), TRUE);
    EXPECT_FALSE(Visible(hidden)) << "hidden again";
    EXPECT_TRUE(Visible(shown));
    EXPECT_TRUE(Read() == before);

    Written back(OutPath("dgn_run_every_layer.dgn"));
    ASSERT_TRUE(back.file);
    const auto levels = back.Levels();
    std::map<std::uint32_t, dgn::CLevelEntryElement*> byCode;
    for (dgn::CLevelEntryElement* level : levels)
        byCode[level->GetLevelRecord()->levelCode] = level;
    CDGNExport palette(IYVEXControlPtr(), nullptr, nullptr);
    palette.FillPalette();
    for (long id : {1L, hidden, shown, unnamed}) {
        ASSERT_TRUE(byCode.count(static_cast<std::uint32_t>(id - 1))) << "a level for layer " << id;
        EXPECT_EQ(byCode[id - 1]->GetLevelRecord()->levelFlags, 0x266);
    }
    EXPECT_STREQ(byCode[hidden - 1]->GetName()->CStr(), "Hidden");
    EXPECT_STREQ(byCode[unnamed - 1]->GetName()->CStr(), "");
    EXPECT_EQ(byCode[shown - 1]->GetLevelRecord()->levelColor, palette.GetNearestColor(RGB(0, 0, 255)));
    const std::uint32_t hiddenLevel = byCode[hidden - 1]->GetLevelNumber();
    const std::uint32_t shownLevel = byCode[shown - 1]->GetLevelNumber();

    // The line on the hidden layer went out, on that layer's level.
    const auto polygons = back.All<dgn::CShapeElement2d>(6);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0]->GetLevel(), static_cast<std::int32_t>(hiddenLevel));

    const auto masks = back.All<dgn::CLevelMaskElement>(99);
    ASSERT_FALSE(masks.empty());
    bool viewZero = false;
    for (dgn::CLevelMaskElement* mask : masks) {
        EXPECT_EQ(mask->GetBitCount(), 16u) << "four layers: the 16 bits at least";
        EXPECT_FALSE(mask->IsLevelOn(static_cast<std::int32_t>(hiddenLevel)));
        EXPECT_TRUE(mask->IsLevelOn(static_cast<std::int32_t>(shownLevel)));
        viewZero = viewZero || mask->GetViewNumber() == 0;
    }
    EXPECT_TRUE(viewZero) << "the mask of view 0";
}

// Seventeen layers with one hidden: masks of 24 bits.
TEST_F(DgnExportRun, SeventeenLayersMakeThreeMaskBytes)
{
    AddLayer(L"Off", false);
    for (int i = 0; i < 15; ++i)
        AddLayer((L"L" + std::to_wstring(i)).c_str());
    ASSERT_EQ(CountIn(LAYERS_ID), 17);
    ASSERT_EQ(Export("dgn_run_seventeen.dgn", 0), TRUE);
    Written back(OutPath("dgn_run_seventeen.dgn"));
    ASSERT_TRUE(back.file);
    EXPECT_EQ(back.Levels().size(), 17u);
    const auto masks = back.All<dgn::CLevelMaskElement>(99);
    ASSERT_FALSE(masks.empty());
    for (dgn::CLevelMaskElement* mask : masks)
        EXPECT_EQ(mask->GetBitCount(), 24u);
}

// Visible layers only (mode 1): a hidden layer gets no level and no mask is written; its shapes
// stay out, but a shape on the base layer goes out even with that layer hidden, on the level of
// the lowest layer written.
TEST_F(DgnExportRun, VisibleLayersOnly)
{
    Written seed(OutPath("dgn_run_shapes.dgn"));
    const size_t seedMasks = seed.file ? seed.All<dgn::CLevelMaskElement>(99).size() : 0;
    const long hidden = AddLayer(L"Hidden", false);
    const long shown = AddLayer(L"Shown");
    Check(Shape(1)->put_Visible(VARIANT_FALSE), "hide the base layer");
    const long onHidden = Line(0, 0, 1, 1);
    Check(Shape(onHidden)->put_LayerShapeID(hidden), "put_LayerShapeID");
    const long onBase = Line(5, 5, 6, 6);
    Check(Shape(onBase)->put_LayerShapeID(1), "put_LayerShapeID");

    ASSERT_EQ(Export("dgn_run_visible_only.dgn", 1), TRUE);
    EXPECT_FALSE(Visible(hidden));
    Written back(OutPath("dgn_run_visible_only.dgn"));
    ASSERT_TRUE(back.file);
    const auto levels = back.Levels();
    ASSERT_EQ(levels.size(), 1u) << "the shown layer's only";
    EXPECT_EQ(levels[0]->GetLevelRecord()->levelCode, static_cast<std::uint32_t>(shown - 1));
    EXPECT_EQ(back.All<dgn::CLevelMaskElement>(99).size(), seedMasks) << "no mask of the export's";
    const auto polygons = back.All<dgn::CShapeElement2d>(6);
    ASSERT_EQ(polygons.size(), 1u) << "the base layer's line only";
    EXPECT_DOUBLE_EQ(polygons[0]->GetPoints()->At(0)->x, 5.0);
    EXPECT_EQ(polygons[0]->GetLevel(), static_cast<std::int32_t>(levels[0]->GetLevelNumber()));
}

// The model's units for a drawing in millimetres.
TEST_F(DgnExportRun, ModelUnits)
{
    Check(site->put_UnitID(unMillimeters), "put_UnitID");
    ASSERT_EQ(Export("dgn_run_units.dgn", 1), TRUE);
    Written back(OutPath("dgn_run_units.dgn"));
    ASSERT_TRUE(back.file);
    int cursor = 0;
    dgn::CApplicationElement* model = back.file->GetNextModel(&cursor);
    ASSERT_NE(model, nullptr);
    char label[3] = "";
    back.file->GetMasterUnitName(0, label);
    EXPECT_STREQ(label, "mm");
    EXPECT_DOUBLE_EQ(back.file->GetModel(0)->GetMasterUnitsNumerator(), 1000.0);
    EXPECT_DOUBLE_EQ(back.file->GetModel(0)->GetMasterUnitsDenominator(), 1.0);
    EXPECT_DOUBLE_EQ(back.file->GetModel(0)->GetUorScale(), 1000.0);
    // The model's background word: white (the seed's is black).
    EXPECT_EQ(back.file->GetModel(0)->GetBackgroundColor(), 0xFFFFFFu);
    EXPECT_EQ(back.file->GetModelBackgroundColor(0), 0xFFFFFFu);
}

// The file's views (the seed's eight, components of its view group) take the control's current
// viewport: its lower corner through the export's shift and scale, its size scaled, the first view
// shown and the others not, drawn against the palette's white, and their level masks with the
// hidden layers' levels off.
TEST_F(DgnExportRun, ViewsTakeTheCurrentViewport)
{
    const long hidden = AddLayer(L"Hidden", false);
    const long shown = AddLayer(L"Shown");
    IViewportCollectionPtr viewports;
    Check(site->get_Viewports(&viewports), "get_Viewports");
    IViewportPtr current;
    Check(viewports->get_ItemByID(1, &current), "get_ItemByID");
    ASSERT_TRUE(current) << "the current viewport is viewport 1, window or not";
    Check(current->put_ViewCenterX(50), "put_ViewCenterX");
    Check(current->put_ViewCenterY(20), "put_ViewCenterY");
    Check(current->put_ViewWidth(200), "put_ViewWidth");
    Check(current->put_ViewHeight(100), "put_ViewHeight");
    double cx = 0, cy = 0, w = 0, h = 0;
    Check(current->get_ViewCenterX(&cx), "get_ViewCenterX");
    Check(current->get_ViewCenterY(&cy), "get_ViewCenterY");
    Check(current->get_ViewWidth(&w), "get_ViewWidth");
    Check(current->get_ViewHeight(&h), "get_ViewHeight");
    ASSERT_GT(w, 0);
    ASSERT_GT(h, 0);

    const std::string path = OutPath("dgn_run_views.dgn");
    DeleteFileA(path.c_str());
    {
        CDGNExport exporter(IYVEXControlPtr(control), nullptr, nullptr);
        exporter.SetShift(CRealPoint<double>(10, 4));
        exporter.SetScale(2.0);
        ASSERT_EQ(exporter.Export(CString(path.c_str()), 0), TRUE);
    }
    EXPECT_FALSE(Visible(hidden));

    Written back(path);
    ASSERT_TRUE(back.file);
    std::map<std::uint32_t, std::uint32_t> levelOf;
    for (dgn::CLevelEntryElement* level : back.Levels())
        levelOf[level->GetLevelRecord()->levelCode + 1] = level->GetLevelNumber();
    ASSERT_TRUE(levelOf.count(static_cast<std::uint32_t>(hidden)) && levelOf.count(static_cast<std::uint32_t>(shown)));
    CDGNExport palette(IYVEXControlPtr(), nullptr, nullptr);
    palette.FillPalette();

    std::vector<dgn::CViewElement*> views;
    std::unique_ptr<dgn::CEntityIterator> it(back.file->CreateChildIterator(nullptr));
    ASSERT_TRUE(it);
    it->DescendIntoComplex();
    while (dgn::IEntity* entity = it->Next())
        if (entity->GetType() == 98)
            if (auto* view = dynamic_cast<dgn::CViewElement*>(entity))
                views.push_back(view);
    ASSERT_EQ(views.size(), 8u);
    for (size_t i = 0; i < views.size(); ++i) {
        dgn::CViewElement* view = views[i];
        dgn::ViewFields fields = {};
        ASSERT_TRUE(view->GetViewRecord(&fields)) << i;
        EXPECT_TRUE(view->IsValid()) << i << ": the on-word 1";
        EXPECT_NEAR(fields.origin[0], (cx - w / 2 + 10) / 2, 1e-9) << i;
        EXPECT_NEAR(fields.origin[1], (cy - h / 2 + 4) / 2, 1e-9) << i;
        EXPECT_NEAR(fields.delta[0], w / 2, 1e-9) << i;
        EXPECT_NEAR(fields.delta[1], h / 2, 1e-9) << i;
        EXPECT_EQ(fields.flags & 0x20010000u, 0x20010000u) << i;
        EXPECT_EQ(view->IsViewOn(), i == 0) << i << ": the first view alone shown";
        EXPECT_EQ(view->GetColorIndex(), palette.GetNearestColor(0xFFFFFF)) << i;
        dgn::CLevelMaskElement* mask = view->GetLevelMask();
        ASSERT_NE(mask, nullptr) << i;
        EXPECT_EQ(mask->GetViewNumber(), view->GetViewNumber());
        EXPECT_FALSE(mask->IsLevelOn(static_cast<std::int32_t>(levelOf[static_cast<std::uint32_t>(hidden)]))) << i;
        EXPECT_TRUE(mask->IsLevelOn(static_cast<std::int32_t>(levelOf[static_cast<std::uint32_t>(shown)]))) << i;
    }
    EXPECT_EQ(views[0]->GetViewNumber(), 0);
}

// Progress: with three layers the layer phase reports 1, 3 and 5; the run ends with 100.
TEST_F(DgnExportRun, ProgressPhases)
{
    AddLayer(L"A");
    AddLayer(L"B");
    ASSERT_EQ(CountIn(LAYERS_ID), 3);
    Progress progress;
    ASSERT_EQ(Export("dgn_run_progress.dgn", 1, &progress), TRUE);
    ASSERT_GE(progress.values.size(), 4u);
    EXPECT_EQ(progress.values[0], 1);
    EXPECT_EQ(progress.values[1], 3);
    EXPECT_EQ(progress.values[2], 5);
    EXPECT_EQ(progress.values.back(), 100);
}

// Cancelled options: 0, no file, no library start, no message. A path that cannot be written: 0
// after "Cannot create file", and the control and the library given back all the same.
TEST_F(DgnExportRun, CancelledAndUnwritable)
{
    const Switches before = Read();
    {
        DialogCloser closer([](HWND dialog, int) { DialogCloser::PostCommand(dialog, IDCANCEL); });
        EXPECT_EQ(Export("dgn_run_cancelled.dgn", -1), FALSE);
        EXPECT_EQ(closer.Activations(), 1);
    }
    EXPECT_FALSE(FileExists(OutPath("dgn_run_cancelled.dgn")));
    EXPECT_EQ(dgn::GetRootContainer(), nullptr);
    {
        // The box cleared: every layer goes, the hidden one too.
        AddLayer(L"Hidden", false);
        DialogCloser closer([](HWND dialog, int) {
            SendDlgItemMessageA(dialog, IDC_VISIBLE_LAYERS_ONLY, BM_SETCHECK, BST_UNCHECKED, 0);
            DialogCloser::PostCommand(dialog, IDOK);
        });
        ASSERT_EQ(Export("dgn_run_asked.dgn", -1), TRUE);
        Written back(OutPath("dgn_run_asked.dgn"));
        ASSERT_TRUE(back.file);
        EXPECT_EQ(back.Levels().size(), 2u);
    }
    {
        Boxes boxes;
        Boxes::Shown().clear();
        EXPECT_EQ(Export("Z:\\no-such-folder\\dgn_run.dgn", 1), FALSE);
        ASSERT_EQ(Boxes::Shown().size(), 1u);
        EXPECT_EQ(Boxes::Shown()[0].substr(0, 19), "Cannot create file|");
    }
    EXPECT_TRUE(Read() == before);
    EXPECT_EQ(dgn::GetRootContainer(), nullptr) << "the library start ended";
}

// A path that cannot take the file: a folder that does not exist, the name of a folder, a file
// another program holds open. The run says "Cannot create file" with an error icon before it
// touches the drawing, answers 0, ends its library start, and leaves the control, the layers and
// what the path named as they were.
TEST_F(DgnExportRun, CannotCreateTheFile)
{
    const long hidden = AddLayer(L"Hidden", false);
    Line(0, 0, 10, 10);
    const std::string folder = OutPath("dgn_blocked_folder.dgn");
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    // A file another program holds open, sharing nothing.
    const std::string held = OutPath("dgn_blocked_held.dgn");
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(holder, "kept", 4, &written, nullptr);
    const Switches before = Read();
    const struct {
        std::string path;
        const char* what;
    } cases[] = {
        {OutPath("no-such-folder\\dgn_run.dgn"), "a folder that does not exist"},
        {folder, "the name of a folder"},
        {held, "a file held open by another"},
    };
    for (const auto& c : cases) {
        Boxes boxes;
        Boxes::Shown().clear();
        Progress progress;
        CDGNExport exporter(IYVEXControlPtr(control), &progress, &Progress::Record);
        EXPECT_EQ(exporter.Export(CString(c.path.c_str()), 0), FALSE) << c.what;
        ASSERT_EQ(Boxes::Shown().size(), 1u) << c.what;
        const std::string& box = Boxes::Shown()[0];
        EXPECT_EQ(box.substr(0, 19), "Cannot create file|") << c.what;
        EXPECT_EQ(box.substr(box.rfind('|')), "|" + std::to_string(MB_ICONERROR)) << c.what;
        EXPECT_TRUE(progress.values.empty()) << c.what << ": nothing exported";
        EXPECT_TRUE(Read() == before) << c.what;
        EXPECT_FALSE(Visible(hidden)) << c.what;
        EXPECT_EQ(dgn::GetRootContainer(), nullptr) << c.what << ": the library start ended";
    }
    EXPECT_FALSE(FileExists(OutPath("no-such-folder")));
    EXPECT_TRUE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) << "the folder stays a folder";
    char text[8] = {};
    DWORD read = 0;
    SetFilePointer(holder, 0, nullptr, FILE_BEGIN);
    ReadFile(holder, text, sizeof text, &read, nullptr);
    CloseHandle(holder);
    EXPECT_EQ(std::string(text, read), "kept") << "the held file untouched";
    DeleteFileA(held.c_str());
    RemoveDirectoryA(folder.c_str());

    // A file that is there and writable is replaced by the design file.
    const std::string existing = OutPath("dgn_run_existing.dgn");
    {
        HANDLE file = CreateFileA(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    {
        CDGNExport exporter(IYVEXControlPtr(control), nullptr, nullptr);
        EXPECT_EQ(exporter.Export(CString(existing.c_str()), 1), TRUE);
    }
    Written back(existing);
    EXPECT_TRUE(back.file) << "the empty file replaced by the design file";
}

// An item of the layers group that is no layer: "Bad Layer" in a box, and the export goes on.
TEST_F(DgnExportRun, BadLayerIsReportedAndPassedOver)
{
    AddLayer(L"Good");
    long stray = 0;
    Check(Layers()->AddLine(0, 0, 1, 1, &stray), "a line among the layers");
    Boxes boxes;
    Boxes::Shown().clear();
    ASSERT_EQ(Export("dgn_run_bad_layer.dgn", 1), TRUE);
    ASSERT_EQ(Boxes::Shown().size(), 1u);
    EXPECT_EQ(Boxes::Shown()[0], "Bad Layer|Error|0");
    Written back(OutPath("dgn_run_bad_layer.dgn"));
    ASSERT_TRUE(back.file);
    EXPECT_EQ(back.Levels().size(), 2u) << "the base layer and the good one";
}

// A host that switched undo off keeps it off after the export, and one switch on records again:
// the run gives back only its own suspension.
TEST_F(DgnExportRun, HostsUndoSuspensionStays)
{
    Check(undo->put_UndoEnabled(VARIANT_FALSE), "put_UndoEnabled");
    ASSERT_EQ(Export("dgn_run_undo.dgn", 1), TRUE);
    VARIANT_BOOL enabled = VARIANT_TRUE;
    Check(undo->get_UndoEnabled(&enabled), "get_UndoEnabled");
    EXPECT_EQ(enabled, VARIANT_FALSE);
    Check(undo->put_UndoEnabled(VARIANT_TRUE), "put_UndoEnabled");
    Check(undo->get_UndoEnabled(&enabled), "get_UndoEnabled");
    EXPECT_EQ(enabled, VARIANT_TRUE);
}

// Images: instances of one cell made of their picture's block; the block made of the picture
// leaves the drawing again, and a block of the user's keeps its name and stays.
TEST_F(DgnExportRun, ImagesAndTheirBlocks)
{
    const std::string picture = plugintest::WriteMetafile(OutPath("dgn_run_picture.emf"));
    long image = 0;
    Check(shapes->AddImage(_bstr_t(std::wstring(picture.begin(), picture.end()).c_str()), 10, 50, 40, 20, VARIANT_FALSE, &image),
          "AddImage");
    // A second image of the same picture shares its resource.
    long again = 0;
    Check(shapes->AddImage(_bstr_t(std::wstring(picture.begin(), picture.end()).c_str()), 100, 50, 40, 20, VARIANT_FALSE, &again),
          "AddImage");
    const long library = CountIn(LIBRARY_ID);
    long drawn = 0;
    Check(shapes->get_Count(&drawn), "Count");

    ASSERT_EQ(Export("dgn_run_image.dgn", 1), TRUE);
    EXPECT_EQ(CountIn(LIBRARY_ID), library) << "the block made for the export is gone";
    long count = 0;
    Check(shapes->get_Count(&count), "Count");
    EXPECT_EQ(count, drawn);
    {
        // One definition of the resource's block (the picture's rectangle and line), two
        // instances of it, 90 apart as the images are.
        Written back(OutPath("dgn_run_image.dgn"));
        ASSERT_TRUE(back.file);
        const auto definitions = back.All<dgn::CSharedCellDefinitionElement>(34);
        const auto instances = back.All<dgn::ISymRef>(35);
        ASSERT_EQ(definitions.size(), 1u);
        ASSERT_EQ(instances.size(), 2u);
        for (dgn::ISymRef* instance : instances)
            EXPECT_STREQ(instance->GetName()->CStr(), definitions[0]->GetName()->CStr());
        double first[3] = {}, second[3] = {};
        instances[0]->GetOrigin(first);
        instances[1]->GetOrigin(second);
        EXPECT_NEAR(std::fabs(second[0] - first[0]), 90.0, 1e-3);
        EXPECT_NEAR(second[1], first[1], 1e-3);
        std::vector<std::uint32_t> vertices;
        std::unique_ptr<dgn::CEntityIterator> components(definitions[0]->CreateChildIterator(nullptr));
        while (dgn::IEntity* component = components ? components->Next() : nullptr)
            if (auto* polygon = dynamic_cast<dgn::CShapeElement2d*>(component))
                vertices.push_back(polygon->VertexCount());
        EXPECT_EQ(vertices, (std::vector<std::uint32_t>{5, 2}));
    }

    // The user makes the block of the picture and names it.
    IImageResourceCollectionPtr resources;
    Check(site->get_ImageResources(&resources), "get_ImageResources");
    long resourceId = 0;
    Check(IImageShapePtr(Shape(image))->get_ImageResourceID(&resourceId), "get_ImageResourceID");
    IImageResourcePtr resource;
    Check(resources->get_ItemByID(resourceId, &resource), "get_ItemByID");
    long block = 0;
    Check(resource->ConvertToBlock(&block), "ConvertToBlock");
    ASSERT_NE(block, 0);
    Check(IGroupShapePtr(Shape(block))->put_Name(_bstr_t(L"Door")), "put_Name");
    const long withBlock = CountIn(LIBRARY_ID);
    ASSERT_EQ(Export("dgn_run_image_users_block.dgn", 1), TRUE);
    EXPECT_EQ(CountIn(LIBRARY_ID), withBlock);
    IShapePtr kept = Shape(block);
    ASSERT_TRUE(kept) << "the user's block stays";
    _bstr_t name;
    Check(IGroupShapePtr(kept)->get_Name(name.GetAddress()), "get_Name");
    EXPECT_STREQ(static_cast<const wchar_t*>(name), L"Door") << "with its name";
}

// A control that answers as the real one, except for the calls a test makes fail: the run stops
// with the COM error, and the control, the drawing and the library are given back as they were.
class FailingControl
{
public:
    enum Fail { kRedraw, kRedrawSwitch };
    FailingControl(IYVEXControl* real, Fail fail) : m_real(real), m_fail(fail)
    {
        m_table.assign(256, reinterpret_cast<void*>(&NotImplemented));
        m_table[0] = reinterpret_cast<void*>(&QueryInterfaceSlot);
        m_table[1] = reinterpret_cast<void*>(&AddRefSlot);
        m_table[2] = reinterpret_cast<void*>(&ReleaseSlot);
        m_table[faketest::SlotOf(&IYVEXControl::get_Site)] = reinterpret_cast<void*>(&GetSite);
        m_table[faketest::SlotOf(&IYVEXControl::Redraw)] = reinterpret_cast<void*>(&RedrawSlot);
        m_table[faketest::SlotOf(&IYVEXControl::get_RedrawEnabled)] = reinterpret_cast<void*>(&GetRedraw);
        m_table[faketest::SlotOf(&IYVEXControl::put_RedrawEnabled)] = reinterpret_cast<void*>(&PutRedraw);
        m_vtable = m_table.data();
    }
    IYVEXControl* Get() { return reinterpret_cast<IYVEXControl*>(this); }

private:
    static HRESULT STDMETHODCALLTYPE NotImplemented(FailingControl*) { return E_NOTIMPL; }
    static HRESULT STDMETHODCALLTYPE QueryInterfaceSlot(FailingControl* self, REFIID iid, void** out)
    {
        if (iid == IID_IUnknown || iid == __uuidof(IYVEXControl)) {
            *out = self;
            return S_OK;
        }
        return self->m_real->QueryInterface(iid, out);
    }
    static ULONG STDMETHODCALLTYPE AddRefSlot(FailingControl*) { return 2; }
    static ULONG STDMETHODCALLTYPE ReleaseSlot(FailingControl*) { return 1; }
    static HRESULT STDMETHODCALLTYPE GetSite(FailingControl* self, ISite** site) { return self->m_real->get_Site(site); }
    static HRESULT STDMETHODCALLTYPE RedrawSlot(FailingControl* self, RedrawFlags flags)
    {
        return self->m_fail == kRedraw ? E_FAIL : self->m_real->Redraw(flags);
    }
    static HRESULT STDMETHODCALLTYPE GetRedraw(FailingControl* self, VARIANT_BOOL* on) { return self->m_real->get_RedrawEnabled(on); }
    // Switched, and then reported as failed.
    static HRESULT STDMETHODCALLTYPE PutRedraw(FailingControl* self, VARIANT_BOOL on)
    {
        const HRESULT hr = self->m_real->put_RedrawEnabled(on);
        return self->m_fail == kRedrawSwitch && !on ? E_FAIL : hr;
    }

    void** m_vtable;  // first, where a COM object keeps its table
    IYVEXControl* m_real;
    Fail m_fail;
    std::vector<void*> m_table;
};

TEST_F(DgnExportRun, ComErrorGivesEverythingBack)
{
    const long hidden = AddLayer(L"Hidden", false);
    const std::string picture = plugintest::WriteMetafile(OutPath("dgn_run_picture.emf"));
    long image = 0;
    Check(shapes->AddImage(_bstr_t(std::wstring(picture.begin(), picture.end()).c_str()), 10, 50, 40, 20, VARIANT_FALSE, &image),
          "AddImage");
    const long library = CountIn(LIBRARY_ID);
    const Switches before = Read();
    for (FailingControl::Fail fail : {FailingControl::kRedraw, FailingControl::kRedrawSwitch}) {
        FailingControl failing(control, fail);
        const std::string path = OutPath("dgn_run_failed.dgn");
        DeleteFileA(path.c_str());
        bool raised = false;
        try {
            CDGNExport exporter(IYVEXControlPtr(failing.Get()), nullptr, nullptr);
            exporter.Export(CString(path.c_str()), 0);
        } catch (const _com_error& error) {
            raised = error.Error() == E_FAIL;
        }
        EXPECT_TRUE(raised) << fail;
        EXPECT_TRUE(Read() == before) << fail << ": undo and redrawing as they were";
        EXPECT_FALSE(Visible(hidden)) << fail << ": the hidden layer hidden again";
        EXPECT_EQ(CountIn(LIBRARY_ID), library) << fail;
        EXPECT_EQ(dgn::GetRootContainer(), nullptr) << fail << ": the library start ended";
        EXPECT_FALSE(FileExists(path)) << fail;
    }
}

// The plug-in's factories make the exporter itself: a host's export writes the file.
TEST_F(DgnExportRun, FactoriesMakeTheExporter)
{
    Line(0, 0, 10, 10);
    for (const char* factory : {"GetExporter", "_GetDGNExport@12"}) {
        pluginhost::Exporter* e = nullptr;
        if (std::string(factory) == "GetExporter")
            e = pluginhost::Create(dll.Entry<pluginhost::ExporterFactory>(factory), control.GetInterfacePtr());
        else
            e = pluginhost::Create(dll.Entry<pluginhost::StdExporterFactory>(factory), control.GetInterfacePtr());
        ASSERT_NE(e, nullptr) << factory;
        const std::string path = OutPath(std::string("dgn_run_factory_") + (factory[0] == '_' ? "std" : "c") + ".dgn");
        DeleteFileA(path.c_str());
        EXPECT_EQ(e->Export(pluginhost::Text(path.c_str()), 1, 0), TRUE) << factory;
        e->Release();
        Written back(path);
        ASSERT_TRUE(back.file) << factory;
        EXPECT_EQ(back.All<dgn::CShapeElement2d>(6).size(), 1u) << factory;
    }
}

} // namespace
