// The shp plug-in's exporter as a host uses it: the DLL loaded with LoadLibrary, drawings built
// in the registered control through its interfaces, each exported into shp_out/ (which
// check_shp_exports.py then reads with pyshp and ogrinfo). What the host sees here: the results,
// the progress, the files made, the control's undo, redrawing and limit lock as they were, and
// the block library as it was.
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>
#include <stdexcept>
#include <string>
#include <vector>
#include "tests/support/PluginHost.h"
#include "tests/support/PluginTestSupport.h"

using pluginhost::Create;
using pluginhost::Exporter;
using pluginhost::ExporterFactory;
using pluginhost::Module;
using pluginhost::ProgressLog;
using pluginhost::Text;
using plugintest::Check;
using plugintest::Exists;

namespace {

std::string OutDir() { return WinPath("YVEX_BINARY_DIR", "tests/plugins/shp/shp_out"); }

class ShpExport : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_TRUE(dll.Loaded());
        ASSERT_EQ(plugintest::MakeControl(&control, &site, &shapes), S_OK);
        CreateDirectoryA(OutDir().c_str(), nullptr);
    }
    void TearDown() override
    {
        held.Clear();
        heldCollections.Clear();
        if (shapes)
            shapes->Release();
        if (site)
            site->Release();
        if (control)
            control->Release();
        CoUninitialize();
    }

    IShape* Shape(long id)
    {
        IShape* shape = nullptr;
        Check(shapes->get_ItemByID(id, &shape), "get_ItemByID");
        held.push_back(shape);
        return shape;
    }
    long Line(IShapeCollection* into, float x1, float y1, float x2, float y2)
    {
        long id = 0;
        Check(into->AddLine(x1, y1, x2, y2, &id), "AddLine");
        return id;
    }
    // A polyline through the points, closed when asked.
    long Polyline(IShapeCollection* into, const std::vector<std::pair<float, float>>& points, bool closed = false)
    {
        long id = 0;
        Check(into->AddPolyline(points[0].first, points[0].second, points[1].first, points[1].second, &id), "AddPolyline");
        IShape* shape = Shape(id);
        IPointCollection* collection = nullptr;
        Check(shape->get_Points(&collection), "get_Points");
        IPolylinePointCollection* polylinePoints = nullptr;
        Check(collection->QueryInterface(IID_IPolylinePointCollection, reinterpret_cast<void**>(&polylinePoints)), "QI");
        for (size_t i = 2; i < points.size(); ++i) {
            long point = 0;
            Check(polylinePoints->AddNewPoint(static_cast<long>(i) + 1, &point, points[i].first, points[i].second),
                  "AddNewPoint");
        }
        polylinePoints->Release();
        collection->Release();
        if (closed)
            SetClosed(shape);
        return id;
    }
    void SetClosed(IShape* shape)
    {
        IPolylineShape* polyline = nullptr;
        Check(shape->QueryInterface(IID_IPolylineShape, reinterpret_cast<void**>(&polyline)), "QI polyline");
        long flags = 0;
        Check(polyline->get_Flags(&flags), "get_Flags");
        Check(polyline->put_Flags(flags | pfClosed), "put_Flags");
        polyline->Release();
    }
    IShapeCollection* Children(long id)
    {
        IShapeCollection* children = nullptr;
        Check(Shape(id)->get_Shapes(&children), "get_Shapes");
        heldCollections.push_back(children);
        return children;
    }
    long LibraryCount()
    {
        IShapeCollection* library = Children(LIBRARY_ID);
        long count = 0;
        Check(library->get_Count(&count), "Count");
        return count;
    }

    // Exports through GetExporter into shp_out/NAME (or a path of its own); the result.
    int Export(const std::string& name, const std::vector<std::pair<unsigned long, unsigned long>>& options = {},
               unsigned long layer = 0, ProgressLog* progress = nullptr)
    {
        Exporter* e = Create(dll.Entry<ExporterFactory>("GetExporter"), control, progress,
                             progress ? ProgressLog::Record : nullptr);
        if (!e)
            return -1;
        for (const auto& option : options)
            EXPECT_EQ(e->ReadyExport(option.first, option.second), TRUE);
        const std::string path = name.find(':') != std::string::npos ? name : OutDir() + "\\" + name;
        int result = 0;
        try {
            result = e->Export(Text(path.c_str()), layer, 0);
        } catch (...) {
            e->Release();
            throw;
        }
        e->Release();
        return result;
    }

    struct Switches {
        VARIANT_BOOL undo, redraw, lock;
        bool operator==(const Switches& o) const { return undo == o.undo && redraw == o.redraw && lock == o.lock; }
    };
    Switches Read()
    {
        IYVEXUndo* undo = nullptr;
        control->QueryInterface(IID_IYVEXUndo, reinterpret_cast<void**>(&undo));
        Switches s = {};
        undo->get_UndoEnabled(&s.undo);
        undo->Release();
        control->get_RedrawEnabled(&s.redraw);
        control->get_LockDraftLimits(&s.lock);
        return s;
    }

    Module dll{"shp"};
    IYVEXControl* control = nullptr;
    ISite* site = nullptr;
    IShapeCollection* shapes = nullptr;
    struct Holder {
        std::vector<IUnknown*> items;
        void push_back(IUnknown* p) { items.push_back(p); }
        // Before the control goes: the wrappers belong to its module.
        void Clear()
        {
            for (IUnknown* p : items)
                if (p)
                    p->Release();
            items.clear();
        }
        ~Holder() { Clear(); }
    };
    Holder held, heldCollections;
};

std::vector<std::pair<float, float>> Square(float x, float y, float side)
{
    return {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
}

TEST_F(ShpExport, ClosedShapesOnlyMakeAPolygonFile)
{
    long id = 0;
    Check(shapes->AddCircle(0, 0, 10, &id), "AddCircle");
    Polyline(shapes, Square(20, 0, 10), true);
    Check(shapes->AddRectangle(40, 10, 50, 0, &id), "AddRectangle");
    const auto before = Read();
    ProgressLog progress;
    EXPECT_EQ(Export("closed_only.shp", {}, 0, &progress), TRUE);
    EXPECT_TRUE(Read() == before);
    ASSERT_FALSE(progress.values.empty());
    EXPECT_EQ(progress.values.back(), 100);
    for (size_t i = 1; i < progress.values.size(); ++i)
        EXPECT_GE(progress.values[i], progress.values[i - 1]);
    // One line more makes it a line file.
    Line(shapes, 0, 30, 10, 40);
    EXPECT_EQ(Export("one_line_more.shp"), TRUE);
}

TEST_F(ShpExport, PolygonsCountByTheirClosedFlag)
{
    long id = 0;
    for (float x : {0.0f, 30.0f}) {
        Check(shapes->AddPolygon(x, 0, x + 20, 0, &id), "AddPolygon");
        IShape* polygon = Shape(id);
        IPolylineShape* polyline = nullptr;
        Check(polygon->QueryInterface(IID_IPolylineShape, reinterpret_cast<void**>(&polyline)), "QI");
        long vertex = 0;
        Check(polyline->AddNewVertex(0, x + 10, 15, 0, 0, 0, _bstr_t(L""), 0, 0, 0, 0, 0, &vertex), "AddNewVertex");
        polyline->Release();
        SetClosed(polygon);
    }
    EXPECT_EQ(Export("polygons_only.shp"), TRUE);
}

TEST_F(ShpExport, CurvesAsTwentyFivePoints)
{
    long id = 0;
    Check(shapes->AddEllipse(100, 100, 20, 0.5f, 0, 0, 360, &id), "AddEllipse");
    Check(shapes->AddArc(0, 0, 10, 300, 30, &id), "AddArc");
    EXPECT_EQ(Export("ellipse_arc.shp"), TRUE);
}

TEST_F(ShpExport, GroupsAsOneRecordOfParts)
{
    long group = 0;
    Check(shapes->AddGroup(stGroup, &group), "AddGroup");
    IShapeCollection* children = Children(group);
    Polyline(children, {{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    Polyline(children, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}});
    Polyline(children, {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}});
    EXPECT_EQ(Export("group_parts.shp"), TRUE);
}

TEST_F(ShpExport, LongShapesAndManyPartsAreKeptWhole)
{
    IYVEXUndo* undo = nullptr;
    control->QueryInterface(IID_IYVEXUndo, reinterpret_cast<void**>(&undo));
    undo->put_UndoEnabled(VARIANT_FALSE);
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i < 15001; ++i)
        points.push_back({static_cast<float>(i), static_cast<float>(i % 7)});
    Polyline(shapes, points);
    long group = 0;
    Check(shapes->AddGroup(stGroup, &group), "AddGroup");
    IShapeCollection* children = Children(group);
    for (int i = 0; i < 301; ++i)
        Line(children, static_cast<float>(i), 100, static_cast<float>(i), 110);
    undo->put_UndoEnabled(VARIANT_TRUE);
    undo->Release();
    EXPECT_EQ(Export("big.shp"), TRUE);
}

TEST_F(ShpExport, AttributeColumnsAndRows)
{
    // Without attributes: one column "ATTR".
    Line(shapes, 0, 0, 1, 1);
    EXPECT_EQ(Export("no_attributes.shp"), TRUE);
}

class ShpExportAttributes : public ShpExport
{
protected:
    void SetUp() override
    {
        ShpExport::SetUp();
        // Two types in one attribute group, which the shapes carry.
        IAttributeGroupCollection* groups = nullptr;
        Check(site->get_AttributeGroups(&groups), "get_AttributeGroups");
        Check(groups->CreateAttributeGroup(50, 0, _bstr_t(L"names"), &group), "CreateAttributeGroup");
        groups->Release();
        IAttributeTypeCollection* types = nullptr;
        Check(group->get_AttributeTypes(&types), "get_AttributeTypes");
        IAttributeType* type = nullptr;
        Check(types->CreateAttributeType(501, 0, _bstr_t(L"first"), _bstr_t(L""), _bstr_t(L"Name"), &type), "type");
        type->Release();
        Check(types->CreateAttributeType(502, 0, _bstr_t(L"second"), _bstr_t(L""), _bstr_t(L"NAME"), &type), "type");
        type->Release();
        types->Release();
        Attribute(Line(shapes, 0, 0, 10, 0), 501, L"M\u00fcller");
        long text = 0;
        Check(shapes->AddPlainText(_bstr_t(L"words"), 0, 5, 20, 3, alLeft, 0, &text), "AddPlainText");
        Attribute(text, 501, L"no geometry");
        Attribute(Line(shapes, 0, 10, 10, 10), 502, L"Berg");
    }
    void TearDown() override
    {
        if (group)
            group->Release();
        group = nullptr;
        ShpExport::TearDown();
    }
    void Attribute(long shapeId, long type, const wchar_t* value)
    {
        IShapeAttributeGroupCollection* shapeGroups = nullptr;
        Check(Shape(shapeId)->get_AttributeGroups(&shapeGroups), "get_AttributeGroups");
        Check(shapeGroups->AddAttributeGroup(group), "AddAttributeGroup");
        shapeGroups->Release();
        IAttributeCollection* attributes = nullptr;
        Check(Shape(shapeId)->get_Attributes(&attributes), "get_Attributes");
        IAttribute* attribute = nullptr;
        Check(attributes->CreateAttribute(type, 0, _variant_t(value), &attribute), "CreateAttribute");
        attribute->Release();
        attributes->Release();
    }
    IAttributeGroup* group = nullptr;
};

TEST_F(ShpExportAttributes, PromptsOfOneNameShareAColumn)
{
    EXPECT_EQ(Export("prompts.shp"), TRUE);
    // Attribute mode 2: no values, but still one row per record.
    EXPECT_EQ(Export("mode2.shp", {{2, 2}}), TRUE);
}

TEST_F(ShpExport, ATextAndALineGiveOneRecordAndOneRow)
{
    long text = 0;
    Check(shapes->AddPlainText(_bstr_t(L"words"), 0, 5, 20, 3, alLeft, 0, &text), "AddPlainText");
    Line(shapes, 0, 0, 10, 0);
    EXPECT_EQ(Export("text_and_line.shp"), TRUE);
}

TEST_F(ShpExport, TheTableIsNamedAfterTheFileNotItsFolder)
{
    Line(shapes, 0, 0, 1, 1);
    EXPECT_EQ(Export("x.shp"), TRUE);
    EXPECT_TRUE(Exists(OutDir() + "\\x.dbf"));
    const std::string folder = OutDir() + "\\dir.v2";
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_EQ(Export("dir.v2\\x"), TRUE);
    for (const char* name : {"x.shp", "x.shx", "x.dbf"})
        EXPECT_TRUE(Exists(folder + "\\" + name)) << name;
    EXPECT_FALSE(Exists(OutDir() + "\\dir.dbf"));
    // A folder that does not exist: nothing written, 0, the control as it was.
    const auto before = Read();
    EXPECT_EQ(Export(OutDir() + "\\no such folder\\y.shp"), FALSE);
    EXPECT_TRUE(Read() == before);
}

TEST_F(ShpExport, TheLayerFilterAndTheLayerList)
{
    long a = 0, b = 0;
    Check(shapes->AddLayer(_bstr_t(L"A"), &a), "AddLayer");
    Check(shapes->AddLayer(_bstr_t(L"B"), &b), "AddLayer");
    for (int i = 0; i < 3; ++i)
        Check(Shape(Line(shapes, 0, static_cast<float>(i), 5, static_cast<float>(i)))->put_LayerShapeID(i == 1 ? b : a),
              "put_LayerShapeID");
    EXPECT_EQ(Export("layer_a.shp", {}, static_cast<unsigned long>(a)), TRUE);
    EXPECT_EQ(Export("layer_b.shp", {{1, static_cast<unsigned long>(b)}}), TRUE);
    EXPECT_EQ(Export("layer_none.shp", {{1, static_cast<unsigned long>(b)}}, static_cast<unsigned long>(a)), TRUE);
}

TEST_F(ShpExport, AComErrorOfTheHostLeavesTheControlAsItWas)
{
    Line(shapes, 0, 0, 1, 1);
    Check(control->put_LockDraftLimits(VARIANT_TRUE), "lock");
    Check(control->put_RedrawEnabled(VARIANT_FALSE), "redraw");
    const auto before = Read();
    struct Failing {
        static void Report(void*, long value)
        {
            // The host's own COM wrapper fails inside its progress callback, half-way.
            if (value >= 50)
                _com_issue_error(E_ABORT);
        }
    };
    Exporter* e = Create(dll.Entry<ExporterFactory>("GetExporter"), control, nullptr, Failing::Report);
    ASSERT_NE(e, nullptr);
    try {
        e->Export(Text((OutDir() + "\\aborted.shp").c_str()), 0, 0);
        ADD_FAILURE() << "no exception";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), E_ABORT);
    }
    e->Release();
    EXPECT_TRUE(Read() == before);
}

TEST_F(ShpExport, ImagesAndTheBlocksMadeOfThem)
{
    const std::string picture = plugintest::WriteMetafile(OutDir() + "\\picture.emf");
    long image = 0;
    Check(shapes->AddImage(_bstr_t(std::wstring(picture.begin(), picture.end()).c_str()), 10, 50, 40, 20, VARIANT_FALSE, &image),
          "AddImage");
    const long before = LibraryCount();
    long drawn = 0;
    Check(shapes->get_Count(&drawn), "Count");
    EXPECT_EQ(Export("image.shp"), TRUE);
    // The block the export made of the picture is gone again; the drawing is as it was.
    EXPECT_EQ(LibraryCount(), before);
    long count = 0;
    Check(shapes->get_Count(&count), "Count");
    EXPECT_EQ(count, drawn) << "no shape left behind";
    // A block that was there before the export stays.
    IImageResourceCollection* resources = nullptr;
    Check(site->get_ImageResources(&resources), "get_ImageResources");
    IImageResource* resource = nullptr;
    Check(resources->get_Item(1, &resource), "get_Item");
    long block = 0;
    Check(resource->ConvertToBlock(&block), "ConvertToBlock");
    resource->Release();
    resources->Release();
    const long withBlock = LibraryCount();
    EXPECT_EQ(Export("image_kept_block.shp"), TRUE);
    EXPECT_EQ(LibraryCount(), withBlock);
    if (block) {
        IShape* kept = nullptr;
        EXPECT_EQ(shapes->get_ItemByID(block, &kept), S_OK);
        EXPECT_NE(kept, nullptr);
        if (kept)
            kept->Release();
    }
}

} // namespace
