// The DGN importer's element conversion into the registered control: the elements of design
// files that ogr2ogr wrote, and elements built with the design-file library, turned into shapes
// of the control's site and read back through its interfaces.
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>
#include "dgn/DGNImport.h"
#include "dgn/TextPlacement.h"
#include "DesignFile.h"
#include "DgnString.h"
#include "EntityIterator.h"
#include "GraphicElement.h"
#include "Library.h"
#include "Point2dArray.h"
#include "elements/CellHeaderElement.h"
#include "elements/DimensionElement.h"
#include "elements/EllipseElements.h"
#include "elements/LevelMaskElement.h"
#include "elements/ViewElement.h"
#include "elements/LinearElements.h"
#include "elements/SharedCellElements.h"
#include "elements/TagElements.h"
#include "elements/TextElement.h"
#include "elements/TextNodeElement2d.h"
#include "elements/ReferenceAttachment.h"
#include "tests/support/TestPaths.h"
#include "tests/support/element_records.h"

namespace {

const double kPi = 3.14159265358979323846;

struct Importer : CDGNImport {
    explicit Importer(IYVEXControlPtr control) : CDGNImport(control, nullptr, nullptr) {}
    using CDGNImport::GetShape;
    using CDGNImport::m_blockTable;
    using CDGNImport::m_colours;
    using CDGNImport::m_designFile;
    using CDGNImport::m_instanceTable;
    using CDGNImport::m_layerShapes;
    using CDGNImport::m_levelLayers;
    using CDGNImport::m_libraryShapes;
    using CDGNImport::m_origin;
    using CDGNImport::m_scale;
    using CDGNImport::m_shapes;
    using CDGNImport::m_viewExtent;
};

void Check(HRESULT hr)
{
    if (FAILED(hr))
        _com_issue_error(hr);
}

// The items of a collection (1-based), in order.
template <class Item, class Collection>
std::vector<Item> Items(Collection collection)
{
    std::vector<Item> out;
    long n = 0;
    Check(_IReadOnlyCollectionPtr(collection)->get_Count(&n));
    for (long i = 1; i <= n; ++i) {
        Item item;
        Check(collection->get_Item(i, &item));
        out.push_back(item);
    }
    return out;
}

struct Pt {
    double x, y;
};

// What a converted shape looks like from the control's side.
struct Seen {
    long id = 0;
    long type = 0;
    std::vector<Pt> points;
    long flags = 0;
    OLE_COLOR pen = 0;
    float weight = 0;
    long layer = 0;
};

class DGNImportShapes : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_TRUE(dgn::InitializeLibrary(dgn::kLibraryVersion, 0));
        ASSERT_EQ(control.CreateInstance(__uuidof(YVEXControl)), S_OK);
        importer.reset(new Importer(control));
        ASSERT_TRUE(importer->IsBound());
        for (int i = 0; i < 256; ++i)
            importer->m_colours[i] = static_cast<COLORREF>(0x10000 + i);
    }
    void TearDown() override
    {
        importer.reset();
        control = nullptr;
        dgn::ShutdownLibrary();
        CoUninitialize();
    }

    // Opens a fixture into the importer, mapping its coordinates to master units.
    void Open(const char* name)
    {
        const std::string path = WinPath("YVEX_SOURCE_DIR", std::string("tests/fixtures/dgn/design_files/") + name);
        importer->m_designFile.reset(dgn::OpenDesignFile(path.c_str()));
        ASSERT_NE(importer->m_designFile, nullptr) << path;
        dgn::CEntityIterator* it = importer->m_designFile->CreateChildIterator(nullptr);
        ASSERT_NE(it, nullptr);
        while (dgn::IEntity* e = it->Next()) {
            auto* element = dynamic_cast<dgn::IElement*>(e);
            if (element && element->IsGraphic()) {
                elements.push_back(element);
            }
        }
        delete it;
        ASSERT_FALSE(elements.empty());
        const double uor = elements[0]->GetUnitsPerMaster();
        dgn::Point2d zero = {0, 0};
        elements[0]->ToMasterUnits2d(zero);
        importer->m_scale = 1.0 / uor;
        importer->m_origin = CRealPoint<double>(-zero.x * uor, -zero.y * uor);
    }

    long SiteCount()
    {
        long count = 0;
        Check(_IReadOnlyCollectionPtr(importer->m_shapes)->get_Count(&count));
        return count;
    }

    // Converts every element into the site; the shapes that were added at its top level (the
    // site's collection lists the shapes inside groups too), in order.
    std::vector<Seen> ConvertAll(std::vector<int>* results = nullptr)
    {
        const long before = SiteCount();
        for (dgn::IElement* e : elements) {
            int result = -1;
            try {
                result = importer->GetShape(e, importer->m_shapes);
            } catch (const _com_error& error) {
                ADD_FAILURE() << "type " << e->GetType() << ": " << std::hex << error.Error() << " "
                              << static_cast<const char*>(error.Description());
            }
            if (results)
                results->push_back(result);
        }
        std::vector<Seen> out;
        IReadOnlyShapeCollectionPtr items(importer->m_shapes);
        for (long i = before + 1; i <= SiteCount(); ++i) {
            IShapePtr shape;
            Check(items->get_Item(i, &shape));
            long parent = 0;
            Check(shape->get_ParentID(&parent));
            // Inside a group, a block (-3) or a reference.
            if (parent != 0)
                continue;
            out.push_back(Look(shape));
        }
        return out;
    }

    static Seen Look(IShapePtr shape)
    {
        Seen s;
        Check(shape->get_ID(&s.id));
        Check(shape->get_ShapeType(&s.type));
        Check(shape->get_PenColor(&s.pen));
        Check(shape->get_PenWeight(&s.weight));
        Check(shape->get_LayerShapeID(&s.layer));
        if (IPolylineShapePtr polyline = shape) {
            Check(polyline->get_Flags(&s.flags));
            IPointCollectionPtr points;
            Check(shape->get_Points(&points));
            for (const IPointPtr& p : Items<IPointPtr>(points)) {
                float x = 0, y = 0;
                Check(p->get_X(&x));
                Check(p->get_Y(&y));
                s.points.push_back({x, y});
            }
        }
        return s;
    }

    // A layer in the control for each of the levels, as the driver makes them.
    void LayersFor(std::initializer_list<long> levels)
    {
        for (long level : levels) {
            long id = 0;
            Check(importer->m_layerShapes->AddLayer(_bstr_t(("Level " + std::to_string(level)).c_str()), &id));
            importer->m_levelLayers[level] = id;
        }
    }

    // The children of a group, block or reference.
    static std::vector<IShapePtr> ChildShapes(IShapePtr parent)
    {
        IShapeCollectionPtr children;
        Check(parent->get_Shapes(&children));
        return Items<IShapePtr>(IReadOnlyShapeCollectionPtr(children));
    }
    static std::vector<Seen> Children(IShapePtr parent)
    {
        std::vector<Seen> out;
        for (const IShapePtr& child : ChildShapes(parent))
            out.push_back(Look(child));
        return out;
    }

    IShapePtr ById(long id)
    {
        IShapePtr shape;
        Check(importer->m_shapes->get_ItemByID(id, &shape));
        return shape;
    }

    // A new V8 file for elements built with the library.
    dgn::CDesignFile* NewFile()
    {
        importer->m_designFile.reset(dgn::CreateDesignFile(nullptr));
        return importer->m_designFile.get();
    }

    IYVEXControlPtr control;
    std::unique_ptr<Importer> importer;
    std::vector<dgn::IElement*> elements;
};

void ExpectPoint(const Pt& p, double x, double y)
{
    EXPECT_NEAR(p.x, x, 1e-4);
    EXPECT_NEAR(p.y, y, 1e-4);
}

// ogr2ogr writes a line string of more than 38 vertices as a complex chain of line strings, and
// a long polygon as a complex shape: each comes in as one polyline of all its vertices, on its
// level, with its colour and weight; the simple line string and shape keep theirs too.
TEST_F(DGNImportShapes, Ogr2ogrElementsKeepTheirPointsLevelsColoursAndWeights)
{
    Open("ogr_symbology_2d.dgn");
    LayersFor({2, 3, 4, 7});
    std::vector<int> results;
    const std::vector<Seen> shapes = ConvertAll(&results);
    // The text is the fifth (below).
    ASSERT_EQ(shapes.size(), 5u);
    const double unit = importer->m_scale;

    const Seen& chain = shapes[0];
    EXPECT_EQ(chain.type, stPolyline);
    ASSERT_EQ(chain.points.size(), 39u);
    for (int i = 0; i < 39; ++i)
        ExpectPoint(chain.points[i], i, (i % 3) * 0.5);
    EXPECT_EQ(chain.flags & pfClosed, 0);
    EXPECT_EQ(chain.pen, 0x10005u);
    EXPECT_FLOAT_EQ(chain.weight, static_cast<float>(6 * unit));
    EXPECT_EQ(chain.layer, importer->m_levelLayers.at(3));

    const Seen& ring = shapes[1];
    ASSERT_EQ(ring.points.size(), 60u);
    for (int i = 0; i < 60; ++i)
        // ogr2ogr rounds to the file's resolution.
        EXPECT_LT(std::hypot(ring.points[i].x - (50 + 4 * std::cos(2 * kPi * i / 60)),
                             ring.points[i].y - (20 + 4 * std::sin(2 * kPi * i / 60))),
                  0.01);
    EXPECT_EQ(ring.flags & pfClosed, pfClosed);
    EXPECT_EQ(ring.pen, 0x10009u);
    EXPECT_FLOAT_EQ(ring.weight, static_cast<float>(3 * unit));
    EXPECT_EQ(ring.layer, importer->m_levelLayers.at(7));

    // A shape of 5 points whose last repeats the first: 4 points, closed.
    const Seen& square = shapes[2];
    ASSERT_EQ(square.points.size(), 4u);
    ExpectPoint(square.points[0], 0, 10);
    ExpectPoint(square.points[2], 4, 14);
    EXPECT_EQ(square.flags & pfClosed, pfClosed);
    EXPECT_EQ(square.pen, 0x100C8u);
    EXPECT_EQ(square.weight, 0.0f);
    EXPECT_EQ(square.layer, importer->m_levelLayers.at(4));

    const Seen& open = shapes[3];
    ASSERT_EQ(open.points.size(), 3u);
    ExpectPoint(open.points[1], 15, 12);
    EXPECT_EQ(open.flags & pfClosed, 0);
    EXPECT_FLOAT_EQ(open.weight, static_cast<float>(93 * unit));

    // Each element is converted once: its components too are taken as converted.
    for (dgn::IElement* e : elements)
        EXPECT_EQ(importer->GetShape(e, importer->m_shapes), 0);
}

// The chain and the shape of 150 vertices of a line string and a polygon.
TEST_F(DGNImportShapes, LongComplexChainAndShape)
{
    Open("ogr_long_2d.dgn");
    const std::vector<Seen> shapes = ConvertAll();
    ASSERT_EQ(shapes.size(), 2u);
    ASSERT_EQ(shapes[0].points.size(), 150u);
    for (int i = 0; i < 150; ++i)
        ExpectPoint(shapes[0].points[i], i * 0.5, (i % 7) * 0.25);
    EXPECT_EQ(shapes[0].flags & pfClosed, 0);
    // 149 vertices and the closing one.
    ASSERT_EQ(shapes[1].points.size(), 149u);
    ExpectPoint(shapes[1].points[0], 15, 10);
    EXPECT_EQ(shapes[1].flags & pfClosed, pfClosed);
}

// Symbology of elements built with the library: weights by level and by cell draw thin, colour
// indices outside the table go by layer.
TEST_F(DGNImportShapes, WeightsAndColoursByLevelCellAndOutOfTable)
{
    importer->m_designFile.reset(dgn::CreateDesignFile(nullptr));
    ASSERT_NE(importer->m_designFile, nullptr);
    importer->m_scale = 0.5;
    struct Case {
        std::int32_t weight;
        float expectWeight;
        std::int32_t colour;
        OLE_COLOR expectColour;
    };
    const Case cases[] = {
        {2, 3.0f, 5, 0x10005},          // 3 x weight, scaled
        {0, 0.0f, 255, 0x100FF},
        {-1, 0.0f, -1, coByLayer},      // by level
        {-2, 0.0f, -2, coByBlock},      // by cell: the thinnest pen, not 3 x -2 unsigned
        {1, 1.5f, 300, coByLayer},      // past the table
        {1, 1.5f, 256, coByLayer},
        {1, 1.5f, -7, coByLayer},
    };
    for (const Case& c : cases) {
        dgn::CShapeElement2d* shape = dgn::CShapeElement2d::Create(importer->m_designFile.get(), 0);
        ASSERT_NE(shape, nullptr);
        const dgn::Point2d corners[] = {{0, 0}, {4, 0}, {4, 4}, {0, 0}};
        dgn::CPoint2dArray* list = shape->GetPoints();
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(list->Resize(4));
        std::copy(std::begin(corners), std::end(corners), list->Data());
        shape->SetWeight(c.weight);
        shape->SetColor(c.colour);
        elements.push_back(shape);
    }
    const std::vector<Seen> shapes = ConvertAll();
    ASSERT_EQ(shapes.size(), std::size(cases));
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        EXPECT_EQ(shapes[i].weight, cases[i].expectWeight) << "weight " << cases[i].weight;
        EXPECT_EQ(shapes[i].pen, cases[i].expectColour) << "colour " << cases[i].colour;
        EXPECT_EQ(shapes[i].points.size(), 3u);
        EXPECT_EQ(shapes[i].flags & pfClosed, pfClosed);
    }
}

dgn::CLineElement2d* Line(dgn::CDesignFile* file, double x1, double y1, double x2, double y2, std::int32_t colour = 0)
{
    auto* line = new dgn::CLineElement2d(file);
    line->GetGeometry()[0] = {x1, y1};
    line->GetGeometry()[1] = {x2, y2};
    line->SetColor(colour);
    return line;
}

// ogr2ogr's text at its size and angle, anchored at its bottom left, and its polygon with a hole
// as a cell of two shapes: a group that takes the colour of its first shape.
TEST_F(DGNImportShapes, Ogr2ogrTextAndCell)
{
    Open("ogr_shapes_2d.dgn");
    const std::vector<Seen> shapes = ConvertAll();
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[0].type, stText);
    ITextShapePtr text = ById(shapes[0].id);
    ASSERT_NE(text, nullptr);
    BSTR raw = nullptr;
    Check(text->get_Text(&raw));
    EXPECT_EQ(std::wstring(_bstr_t(raw, false)), L"Room 12");
    double height = 0;
    Check(text->get_Height(&height));
    EXPECT_NEAR(height, 2.5 * 1.3, 1e-4);
    double angle = 0, x = 0, y = 0;
    Check(ById(shapes[0].id)->get_Angle(&angle));
    EXPECT_NEAR(angle, 30, 1e-3);
    Check(ById(shapes[0].id)->get_PositionX(&x));
    Check(ById(shapes[0].id)->get_PositionY(&y));
    const double a = kPi / 6;
    EXPECT_NEAR(x, 7 + 3.25 * (0.27 * std::sin(a) - 0.15 * std::cos(a)), 1e-3);
    EXPECT_NEAR(y, 8 + 3.25 * (0.15 * std::sin(a) - 0.27 * std::cos(a)), 1e-3);

    EXPECT_EQ(shapes[2].type, stGroup);
    const std::vector<Seen> parts = Children(ById(shapes[2].id));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].points.size(), 4u);
    EXPECT_EQ(parts[1].points.size(), 4u);
    ExpectPoint(parts[1].points[0], 2, 2);
    EXPECT_EQ(shapes[2].pen, parts[0].pen);
}

// A text of height 10 at 0 degrees is anchored 1.95 left of and 3.51 below its origin, 13 high.
TEST_F(DGNImportShapes, TextAnchorAndHeight)
{
    Open("ogr_symbology_2d.dgn");
    const std::vector<Seen> shapes = ConvertAll();
    ASSERT_EQ(shapes.size(), 5u);
    EXPECT_EQ(shapes[4].type, stText);
    double x = 0, y = 0, height = 0;
    IShapePtr shape = ById(shapes[4].id);
    Check(shape->get_PositionX(&x));
    Check(shape->get_PositionY(&y));
    Check(ITextShapePtr(shape)->get_Height(&height));
    EXPECT_NEAR(x, 30 - 1.95, 1e-4);
    EXPECT_NEAR(y, 30 - 3.51, 1e-4);
    EXPECT_NEAR(height, 13, 1e-4);
    EXPECT_EQ(shapes[4].pen, 0x10003u);
}

// Cells: a group of the components coloured as the first; a text node without texts leaves no
// group.
TEST_F(DGNImportShapes, CellsAndTextNodes)
{
    dgn::CDesignFile* file = NewFile();
    auto* cell = new dgn::CCellHeaderElement2d(file);
    cell->AddChild(Line(file, 0, 0, 1, 1, 3));
    cell->AddChild(Line(file, 1, 1, 2, 0, 4));
    elements.push_back(cell);
    auto* node = new dgn::CTextNodeElement2d(file);
    elements.push_back(node);
    std::vector<int> results;
    const std::vector<Seen> shapes = ConvertAll(&results);
    EXPECT_EQ(results, (std::vector<int>{1, 1}));
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].type, stGroup);
    EXPECT_EQ(shapes[0].pen, 0x10003u);
    const std::vector<Seen> parts = Children(ById(shapes[0].id));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[1].pen, 0x10004u);
}

// Shared cells: one block for a name defined twice; references with the instance's scales and
// rotation, also at a quarter turn (where the first diagonal of the placement is 0).
TEST_F(DGNImportShapes, SharedCellsBecomeBlocksAndReferences)
{
    dgn::CDesignFile* file = NewFile();
    // A file origin away from (0, 0): the block's components still lie about its base point,
    // and the references are placed by the mapped insertion point.
    importer->m_origin = CRealPoint<double>(100, 50);
    for (int i = 0; i < 2; ++i) {
        auto* definition = new dgn::CSharedCellDefinitionElement(file);
        definition->GetName()->Set("door");
        definition->AddChild(Line(file, 0, 0, 1, 1));
        elements.push_back(definition);
    }
    struct Case {
        double t0, t1, t4, t5;
        double rotation, sx, sy;
    };
    const double c30 = std::cos(kPi / 6), s30 = std::sin(kPi / 6);
    const Case cases[] = {
        {2, 0, 0, 3, 0, 2, 3},
        {0, 2, -1, 0, 90, 2, 1},          // 90 degrees, scales (2, 1)
        {0, -2, 1, 0, -90, 2, 1},         // -90 degrees
        {2 * c30, 2 * s30, -s30, c30, 30, 2, 1},
    };
    for (const Case& c : cases) {
        auto* instance = new dgn::ISymRef(file);
        instance->GetName()->Set("door");
        double* t = instance->GetMatrix();
        t[0] = c.t0, t[1] = c.t1, t[4] = c.t4, t[5] = c.t5;
        const double origin[3] = {10, 20, 0};
        instance->SetOrigin(origin);
        elements.push_back(instance);
    }
    std::vector<int> results;
    const std::vector<Seen> shapes = ConvertAll(&results);
    EXPECT_EQ(results, (std::vector<int>{1, 1, 1, 1, 1, 1}));
    ASSERT_EQ(importer->m_blockTable.size(), 1u);
    const long blockId = importer->m_blockTable.at("door");
    IGroupShapePtr block;
    Check(importer->m_libraryShapes->get_ItemByID(blockId, reinterpret_cast<IShape**>(&block)));
    ASSERT_NE(block, nullptr);
    const std::vector<Seen> parts = Children(block);
    ASSERT_EQ(parts.size(), 1u);
    ASSERT_EQ(parts[0].type, stLine);
    IShapePtr line = ChildShapes(block)[0];
    IPointCollectionPtr ends;
    Check(line->get_Points(&ends));
    IPointPtr end;
    Check(ends->get_Item(2, &end));
    float x = 0, y = 0;
    Check(end->get_X(&x));
    Check(end->get_Y(&y));
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(y, 1.0f);

    ASSERT_EQ(shapes.size(), std::size(cases));
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        EXPECT_EQ(shapes[i].type, stReference);
        IReferenceShapePtr reference = ById(shapes[i].id);
        ASSERT_NE(reference, nullptr);
        double sx = 0, sy = 0, angle = 0;
        long referred = 0;
        Check(reference->get_XScale(&sx));
        Check(reference->get_YScale(&sy));
        Check(reference->get_RotationAngle(&angle));
        Check(reference->get_BlockGroupShapeID(&referred));
        EXPECT_EQ(referred, blockId);
        EXPECT_NEAR(sx, cases[i].sx, 1e-5) << i;
        EXPECT_NEAR(sy, cases[i].sy, 1e-5) << i;
        EXPECT_NEAR(angle, cases[i].rotation, 1e-4) << i;
        EXPECT_EQ(importer->m_instanceTable.at(elements[2 + i]), shapes[i].id);
        double insX = 0, insY = 0;
        Check(ById(shapes[i].id)->get_PositionX(&insX));
        Check(ById(shapes[i].id)->get_PositionY(&insY));
        EXPECT_NEAR(insX, -90, 1e-4);
        EXPECT_NEAR(insY, -30, 1e-4);
    }
}

// Tags: on an instance they fill one attribute text of its reference (a second tag of the same
// ID replaces the first's value); without a target they are attribute definitions.
TEST_F(DGNImportShapes, TagsBecomeAttributeTexts)
{
    dgn::CDesignFile* file = dgn::CDesignFile::CreateNew(nullptr);
    importer->m_designFile.reset(file);
    auto* definition = dgn::CSharedCellDefinitionElement::Create(file, 0);
    definition->GetName()->Set("door");
    definition->AddChild(Line(file, 0, 0, 1, 1));
    dgn::ISymRef* instance = dgn::ISymRef::Create(file, 0);
    instance->GetName()->Set("door");
    dgn::CTagSetDefinitionElement* set = dgn::CTagSetDefinitionElement::Create(file, 0);
    set->SetName("doors");
    set->AddDefinition("width", "Width?", dgn::kTagInt32, nullptr, 0, 4);
    std::uint64_t setId = 0, instanceId = 0;
    set->GetElementId(&setId);
    instance->GetElementId(&instanceId);

    dgn::CAttributeTagElement2d* first = dgn::CAttributeTagElement2d::Create(file, 0);
    first->SetTagId(3);
    first->SetInt32Value(42);
    first->SetTagSetAndTarget(setId, instanceId);
    dgn::CAttributeTagElement2d* second = dgn::CAttributeTagElement2d::Create(file, 0);
    second->SetTagId(3);
    second->SetDoubleValue(2.5);
    second->SetTagSetAndTarget(setId, instanceId);
    dgn::CAttributeTagElement2d* loose = dgn::CAttributeTagElement2d::Create(file, 0);
    loose->SetTagId(4);
    loose->SetInt32Value(7);
    loose->SetTagSetAndTarget(setId, 0);
    elements = {definition, instance, set, first, second, loose};

    std::vector<int> results;
    const std::vector<Seen> shapes = ConvertAll(&results);
    EXPECT_EQ(results, (std::vector<int>{1, 1, 1, 1, 1, 1}));
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0].type, stReference);
    // The reference holds a copy of the block's line and its attribute texts.
    std::vector<ITextShapePtr> texts;
    for (const IShapePtr& child : ChildShapes(ById(shapes[0].id))) {
        if (ITextShapePtr text = child)
            texts.push_back(text);
    }
    ASSERT_EQ(texts.size(), 1u);
    ITextShapePtr filled = texts[0];
    ASSERT_NE(filled, nullptr);
    BSTR raw = nullptr;
    Check(filled->get_Text(&raw));
    EXPECT_EQ(std::wstring(_bstr_t(raw, false)), L"2.5");
    TextTypes type = ttANSI;
    Check(filled->get_Type(&type));
    EXPECT_EQ(type, ttAttrib);
    // The tag's height: its multiplier x 0.006, 1.3 times as the text's.
    double height = 0;
    Check(filled->get_Height(&height));
    EXPECT_NEAR(height, second->HeightFactor() * 0.006 * 1.3, 1e-3);

    ITextShapePtr definitionText = ById(shapes[1].id);
    ASSERT_NE(definitionText, nullptr);
    Check(definitionText->get_Text(&raw));
    EXPECT_EQ(std::wstring(_bstr_t(raw, false)), L"7");
    Check(definitionText->get_Type(&type));
    EXPECT_EQ(type, ttAttDef);
}

// The horizontal scale of an attribute text: its width over its height, by the width ratio of
// "Courier new" to its face, 1.0 when that cannot be measured (no main window).
double g_ratio = 1.0;
double FixedRatio(const CString&, const CString&) { return g_ratio; }

TEST(DGNImportText, TextXScale)
{
    const double unit = 0.006593406593406594;
    EXPECT_EQ(GetTextXScale(0, 10, CString("abc"), CString("Arial")), 1.0);
    EXPECT_EQ(GetTextXScale(5, 0, CString("abc"), CString("Arial")), 1.0);
    // No main window in the test: the measure answers 1.0.
    EXPECT_DOUBLE_EQ(GetTextXScale(5, 10, CString("abc"), CString("Arial")), 0.5 * unit);
    const TextWidthRatio previous = SetTextWidthRatio(FixedRatio);
    g_ratio = 2.0;
    EXPECT_DOUBLE_EQ(GetTextXScale(5, 10, CString("abc"), CString("Arial")), 0.25 * unit);
    EXPECT_DOUBLE_EQ(GetTextXScale(5, 10, CString("abc"), CString("")), 0.25 * unit);
    // "Courier new" in any letter case is not measured.
    EXPECT_DOUBLE_EQ(GetTextXScale(5, 10, CString("abc"), CString("courier NEW")), 0.5 * unit);
    g_ratio = 0.0;
    EXPECT_DOUBLE_EQ(GetTextXScale(5, 10, CString("abc"), CString("Arial")), 0.5 * unit);
    SetTextWidthRatio(previous);
}

// Ellipses go all round, an arc of negative sweep runs from its end to its start; a line string
// of one point runs to the origin; point strings are not imported; two dimensions share one
// layer "DIMENSION".
TEST_F(DGNImportShapes, EllipsesArcsPointsAndDimensions)
{
    dgn::CDesignFile* file = NewFile();
    dgn::CEllipseElement2d* ellipse = dgn::CEllipseElement2d::Create(file, 0);
    ellipse->GetBody() = {4, 2, kPi / 2, 1, 1};
    dgn::CArcElement2d* arc = dgn::CArcElement2d::Create(file, 0);
    arc->GetBody() = {0, -kPi / 2, 3, 3, 0, 5, 5};
    auto* single = new dgn::CLineStringElement2d(file);
    ASSERT_TRUE(single->GetPoints()->Resize(1));
    single->GetPoints()->Data()[0] = {5, 6};
    auto* points = new dgn::CPointStringElement2d(file);
    ASSERT_TRUE(points->GetPoints()->Resize(2));
    std::vector<dgn::IElement*> dimensions;
    for (int k = 0; k < 2; ++k) {
        auto* dimension = new dgn::CDimensionElement2d(file);
        for (int i = 0; i < 3; ++i) {
            dgn::DimensionPoint p = {};
            p.x = 10.0 * i;
            p.y = k;
            ASSERT_TRUE(dimension->AddPoint(p));
        }
        dimensions.push_back(dimension);
    }
    elements = {ellipse, arc, single, points, dimensions[0], dimensions[1]};
    std::vector<int> results;
    const std::vector<Seen> shapes = ConvertAll(&results);
    EXPECT_EQ(results, (std::vector<int>{1, 1, 1, 0, 1, 1}));
    ASSERT_EQ(shapes.size(), 5u);

    IEllipseShapePtr round = ById(shapes[0].id);
    ASSERT_NE(round, nullptr);
    double start = -1, end = -1, ratio = 0, radius = 0, turn = 0;
    Check(round->get_StartAngle(&start));
    Check(round->get_EndAngle(&end));
    Check(round->get_MinorRatio(&ratio));
    Check(round->get_MajorRadius(&radius));
    Check(round->get_MajorRAngle(&turn));
    EXPECT_NEAR(end - start, 360, 1e-4);
    EXPECT_NEAR(ratio, 0.5, 1e-6);
    EXPECT_NEAR(radius, 4, 1e-5);
    EXPECT_NEAR(turn, kPi / 2, 1e-6) << "the axis turned a quarter, in radians";
    IArcShapePtr part = ById(shapes[1].id);
    ASSERT_NE(part, nullptr);
    Check(part->get_StartAngle(&start));
    Check(part->get_EndAngle(&end));
    EXPECT_NEAR(start, -90, 1e-4);
    EXPECT_NEAR(end, 0, 1e-4);

    ASSERT_EQ(shapes[2].points.size(), 2u);
    ExpectPoint(shapes[2].points[0], 5, 6);
    ExpectPoint(shapes[2].points[1], 0, 0);

    ASSERT_EQ(shapes[3].points.size(), 3u);
    ExpectPoint(shapes[3].points[2], 20, 0);
    long arrow = 0;
    Check(IPolylineShapePtr(ById(shapes[3].id))->get_FirstArrowTypeID(&arrow));
    EXPECT_EQ(arrow, 1);
    EXPECT_NE(shapes[3].layer, 0);
    EXPECT_EQ(shapes[4].layer, shapes[3].layer);
    ILayerShapePtr layer;
    Check(importer->m_layerShapes->get_ItemByID(shapes[3].layer, reinterpret_cast<IShape**>(&layer)));
    ASSERT_NE(layer, nullptr);
    BSTR name = nullptr;
    Check(layer->get_Name(&name));
    EXPECT_EQ(std::wstring(_bstr_t(name, false)), L"DIMENSION");
}

// The first shown view sets the drawing's extent and, through its level mask, which layers show.
TEST_F(DGNImportShapes, ViewSetsExtentAndLayerVisibility)
{
    dgn::CDesignFile* file = NewFile();
    LayersFor({1, 2});
    auto* view = new dgn::CViewElement(file);
    const double origin[3] = {10, 20, 0}, delta[3] = {100, 50, 0};
    const double rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    view->SetFromV7(0, dgn::kViewVisible, origin, delta, rotation, 1.0, 0);
    const std::uint8_t bits[2] = {0x01, 0x00};
    dgn::CLevelMaskElement* mask = dgn::CLevelMaskElement::Create(file, 0, 0, 16, bits);
    ASSERT_NE(mask, nullptr);
    mask->SetMaskKind(1);
    view->AddChild(mask);
    ASSERT_EQ(view->GetLevelMask(), mask);
    elements = {view, mask};
    std::vector<int> results;
    EXPECT_TRUE(ConvertAll(&results).empty());
    // The mask was read with its view: the walk leaves it.
    EXPECT_EQ(results, (std::vector<int>{1, 0}));
    EXPECT_EQ(importer->m_viewExtent.left, 10.0);
    EXPECT_EQ(importer->m_viewExtent.top, 70.0);
    EXPECT_EQ(importer->m_viewExtent.right, 110.0);
    EXPECT_EQ(importer->m_viewExtent.bottom, 20.0);
    for (const auto& [level, id] : importer->m_levelLayers) {
        VARIANT_BOOL visible = VARIANT_FALSE;
        Check(ById(id)->get_Visible(&visible));
        EXPECT_EQ(visible, level == 1 ? VARIANT_TRUE : VARIANT_FALSE) << level;
    }
}

// A view's mask shows and hides layers only when it is of a kind other than 0 and 16, covers
// levels, and the view's word after its extent is 0; otherwise the layers stay as they were.
TEST_F(DGNImportShapes, ViewLevelsOnlyFromAMaskOfItsKind)
{
    dgn::CDesignFile* file = NewFile();
    LayersFor({1, 2});
    struct Case {
        std::uint16_t kind;
        bool bits;
        std::uint16_t word;
        bool applied;
    };
    const Case cases[] = {
        {1, true, 0, true},
        {0, true, 0, false},
        {16, true, 0, false},
        {1, false, 0, false},
        {1, true, 3, false},
        {17, true, 0, true},
    };
    for (const Case& c : cases) {
        for (const auto& [level, id] : importer->m_levelLayers)
            Check(ById(id)->put_Visible(VARIANT_TRUE));
        auto* view = new dgn::CViewElement(file);
        const double origin[3] = {0, 0, 0}, delta[3] = {10, 10, 0};
        const double rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        view->SetFromV7(0, dgn::kViewVisible, origin, delta, rotation, 1.0, 0);
        view->SetWordAfterExtent(c.word);
        const std::uint8_t bits[2] = {0x01, 0x00};
        dgn::CLevelMaskElement* mask = dgn::CLevelMaskElement::Create(file, 0, 0, c.bits ? 16 : 0, c.bits ? bits : nullptr);
        ASSERT_NE(mask, nullptr);
        mask->SetMaskKind(c.kind);
        view->AddChild(mask);
        EXPECT_EQ(importer->GetShape(view, importer->m_shapes), 1);
        VARIANT_BOOL second = VARIANT_FALSE;
        Check(ById(importer->m_levelLayers.at(2))->get_Visible(&second));
        EXPECT_EQ(second, c.applied ? VARIANT_FALSE : VARIANT_TRUE) << "kind " << c.kind << " word " << c.word << " bits " << c.bits;
        VARIANT_BOOL first = VARIANT_FALSE;
        Check(ById(importer->m_levelLayers.at(1))->get_Visible(&first));
        EXPECT_EQ(first, VARIANT_TRUE);
    }
}

// The level symbology (23), type 90 and reference attachments (100, which the driver imports on
// its own) are handled without making a shape; type 22 is not handled; a dimension whose word
// after its three leading doubles is set is not taken, one that leaves it 0 is.
TEST_F(DGNImportShapes, TypesKeptOutMakeNoShape)
{
    using namespace dgn_test;
    dgn::CDesignFile* file = NewFile();
    for (std::uint16_t type : {23, 90, 22}) {
        const Bytes record = V8Record(type, 0x1000, 1, 900 + type, Cat(GraphicHeader(0x1000, 4, 1, 0), Counting(16)), {});
        dgn::IElement* e = nullptr;
        ASSERT_TRUE(file->CreateElementV8(record.data(), static_cast<std::uint32_t>(record.size()), false, &e)) << type;
        ASSERT_NE(e, nullptr);
        ASSERT_EQ(e->GetType(), type);
        elements.push_back(e);
    }
    elements.push_back(new dgn::CReferenceAttachment(file));
    for (std::uint8_t lead : {1, 0}) {
        auto* dimension = new dgn::CDimensionElement2d(file);
        for (int i = 0; i < 2; ++i) {
            dgn::DimensionPoint p = {};
            p.x = 10.0 * i;
            ASSERT_TRUE(dimension->AddPoint(p));
        }
        dimension->GetBodyData()[dgn::kDimLeadWord + 3] = lead;
        elements.push_back(dimension);
    }
    std::vector<int> results;
    const std::vector<Seen> shapes = ConvertAll(&results);
    EXPECT_EQ(results, (std::vector<int>{1, 1, 0, 1, 0, 1}));
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].points.size(), 2u);
}

// A definition turned by pi (its first diagonal -1, -1) comes in turned: a component from (0, 0)
// to (1, 1) runs to (-1, -1), to (-2, -3) with scales 2 and 3 (the turn and the negative
// scales must not cancel each other out); one mirrored in x (-1, 1) runs to (-1, 1).
TEST_F(DGNImportShapes, DefinitionTurnedByPi)
{
    dgn::CDesignFile* file = NewFile();
    struct Case {
        const char* name;
        double t0, t5;
        float x, y;
    };
    const Case cases[] = {{"half", -1, -1, -1, -1}, {"scaled", -2, -3, -2, -3}, {"plain", 2, 3, 2, 3}, {"mirrored", -1, 1, -1, 1}};
    for (const Case& c : cases) {
        auto* definition = new dgn::CSharedCellDefinitionElement(file);
        definition->GetName()->Set(c.name);
        double* t = definition->GetMatrix();
        t[0] = c.t0, t[1] = 0, t[4] = 0, t[5] = c.t5;
        definition->AddChild(Line(file, 0, 0, 1, 1));
        elements.push_back(definition);
    }
    std::vector<int> results;
    ConvertAll(&results);
    EXPECT_EQ(results, (std::vector<int>{1, 1, 1, 1}));
    for (const Case& c : cases) {
        IShapePtr block;
        Check(importer->m_libraryShapes->get_ItemByID(importer->m_blockTable.at(c.name), &block));
        ASSERT_NE(block, nullptr);
        const std::vector<Seen> parts = Children(block);
        ASSERT_EQ(parts.size(), 1u);
        IPointCollectionPtr ends;
        Check(ChildShapes(block)[0]->get_Points(&ends));
        IPointPtr start, end;
        Check(ends->get_Item(1, &start));
        Check(ends->get_Item(2, &end));
        float x = 0, y = 0;
        Check(start->get_X(&x));
        Check(start->get_Y(&y));
        EXPECT_NEAR(x, 0, 1e-5) << c.name;
        EXPECT_NEAR(y, 0, 1e-5) << c.name;
        Check(end->get_X(&x));
        Check(end->get_Y(&y));
        EXPECT_NEAR(x, c.x, 1e-5) << c.name;
        EXPECT_NEAR(y, c.y, 1e-5) << c.name;
    }
}

} // namespace
