// The shp plug-in's importer as a host uses it: the DLL loaded with LoadLibrary, the fixtures
// that make_fixtures.py wrote with pyshp read into the registered control, and what came in
// read back through the control's interfaces; message boxes answered by a WH_CBT hook and kept.
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>
#include "tests/support/DialogCloser.h"
#include "tests/support/PluginHost.h"

using pluginhost::Create;
using pluginhost::Importer;
using pluginhost::ImporterFactory;
using pluginhost::ImporterRelease;
using pluginhost::Module;
using pluginhost::StdImporterFactory;
using pluginhost::Text;

namespace {

std::string Fixture(const char* name) { return WinPath("YVEX_SOURCE_DIR", std::string("tests/fixtures/shp/") + name); }

void Check(HRESULT hr, const char* what)
{
    if (FAILED(hr))
        throw std::runtime_error(std::string(what) + " failed");
}

template <class T>
struct Ptr {
    T* p = nullptr;
    Ptr() = default;
    Ptr(const Ptr&) = delete;
    Ptr(Ptr&& o) noexcept : p(o.p) { o.p = nullptr; }
    ~Ptr()
    {
        if (p)
            p->Release();
    }
    T* operator->() const { return p; }
    T** Put() { return &p; }
    void Reset()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
    explicit operator bool() const { return p != nullptr; }
};

struct Box {
    std::string caption;
    std::string text;
};

class ShpImport : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_TRUE(dll.Loaded());
        ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl,
                                   reinterpret_cast<void**>(control.Put())),
                  S_OK);
        ASSERT_EQ(control->get_Site(site.Put()), S_OK);
        ASSERT_EQ(site->get_Shapes(shapes.Put()), S_OK);
    }
    void TearDown() override
    {
        shapes.Reset();
        site.Reset();
        control.Reset();
        CoUninitialize();
    }

    // Imports with the options given (number, value), through _GetSHPImport@12 and
    // _ReleaseSHPImport@4; the message boxes shown meanwhile are answered and kept.
    int Import(const std::string& path, const std::vector<std::pair<unsigned long, long>>& options = {},
               pluginhost::Callback callback = nullptr)
    {
        Importer* importer = Create(dll.Entry<StdImporterFactory>("_GetSHPImport@12"), control.p, nullptr, callback);
        if (!importer)
            return -1;
        for (const auto& option : options)
            EXPECT_EQ(importer->ReadyImport(option.first, static_cast<unsigned long>(option.second)), TRUE);
        int result = -1;
        {
            DialogCloser closer([this](HWND box, int) {
                char caption[256] = "", text[1024] = "";
                GetWindowTextA(box, caption, sizeof caption);
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                boxes.push_back({caption, text});
                DialogCloser::PostCommand(box, IDOK);
            });
            try {
                result = importer->Import(Text(path.c_str()), 0, 0);
            } catch (...) {
                dll.Entry<ImporterRelease>("_ReleaseSHPImport@4")(importer);
                throw;
            }
        }
        dll.Entry<ImporterRelease>("_ReleaseSHPImport@4")(importer);
        return result;
    }

    Ptr<IShape> Shape(long id)
    {
        Ptr<IShape> shape;
        Check(shapes->get_ItemByID(id, shape.Put()), "get_ItemByID");
        return shape;
    }
    // The children of a group, layer or system group.
    std::vector<Ptr<IShape>> Children(long id)
    {
        Ptr<IShapeCollection> children;
        Check(Shape(id)->get_Shapes(children.Put()), "get_Shapes");
        long n = 0;
        Check(children->get_Count(&n), "Count");
        std::vector<Ptr<IShape>> out;
        for (long i = 1; i <= n; ++i) {
            Ptr<IShape> child;
            Check(children->get_Item(i, child.Put()), "get_Item");
            out.push_back(std::move(child));
        }
        return out;
    }
    long Type(IShape* shape)
    {
        long type = 0;
        Check(shape->get_ShapeType(&type), "ShapeType");
        return type;
    }
    long Id(IShape* shape)
    {
        long id = 0;
        Check(shape->get_ID(&id), "ID");
        return id;
    }
    std::pair<float, float> FirstPoint(IShape* shape)
    {
        Ptr<IPointCollection> points;
        Check(shape->get_Points(points.Put()), "get_Points");
        Ptr<IPoint> point;
        Check(points->get_Item(1, point.Put()), "get_Item");
        float x = 0, y = 0;
        point->get_X(&x);
        point->get_Y(&y);
        return {x, y};
    }
    long PointCount(IShape* shape)
    {
        Ptr<IPointCollection> points;
        Check(shape->get_Points(points.Put()), "get_Points");
        long n = 0;
        points->get_Count(&n);
        return n;
    }
    // The attribute values of a shape by attribute ID.
    std::vector<std::pair<long, _variant_t>> Attributes(IShape* shape)
    {
        Ptr<IAttributeCollection> attributes;
        Check(shape->get_Attributes(attributes.Put()), "get_Attributes");
        std::vector<std::pair<long, _variant_t>> out;
        long n = 0;
        if (attributes)
            attributes->get_Count(&n);
        for (long i = 1; i <= n; ++i) {
            Ptr<IAttribute> attribute;
            Check(attributes->get_Item(i, attribute.Put()), "get_Item");
            long id = 0;
            attribute->get_ID(&id);
            VARIANT value;
            VariantInit(&value);
            attribute->get_Value(&value);
            out.push_back({id, _variant_t(value, false)});
        }
        return out;
    }
    long LayerCount() { return static_cast<long>(Children(LAYERS_ID).size()); }

    struct Switches {
        VARIANT_BOOL undo, redraw, lock;
        bool operator==(const Switches& o) const { return undo == o.undo && redraw == o.redraw && lock == o.lock; }
    };
    Switches Read()
    {
        Ptr<IYVEXUndo> undo;
        control->QueryInterface(IID_IYVEXUndo, reinterpret_cast<void**>(undo.Put()));
        Switches s = {};
        undo->get_UndoEnabled(&s.undo);
        control->get_RedrawEnabled(&s.redraw);
        control->get_LockDraftLimits(&s.lock);
        return s;
    }

    Module dll{"shp"};
    Ptr<IYVEXControl> control;
    Ptr<ISite> site;
    Ptr<IShapeCollection> shapes;
    std::vector<Box> boxes;
};

double Radius(IShape* shape)
{
    Ptr<ICircleShape> circle;
    Check(shape->QueryInterface(IID_ICircleShape, reinterpret_cast<void**>(circle.Put())), "QI circle");
    double r = 0;
    circle->get_Radius(&r);
    return r;
}

TEST_F(ShpImport, PointsAsCirclesWithTheirAttributes)
{
    const auto before = Read();
    ASSERT_EQ(Import(Fixture("points.shp")), TRUE);
    EXPECT_TRUE(Read() == before);
    EXPECT_TRUE(boxes.empty());
    auto drawing = Children(BASE_ID);
    ASSERT_EQ(drawing.size(), 3u);
    const std::pair<float, float> centres[] = {{0, 0}, {1000, 500}, {250, 100}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Type(drawing[i].p), stCircle);
        EXPECT_EQ(FirstPoint(drawing[i].p), centres[i]);
        // A thousandth of the shorter side of the extent of 1000 x 500.
        EXPECT_NEAR(Radius(drawing[i].p), 0.5, 1e-6);
    }
    // The layer, named after the file, and the attribute group of the table.
    auto layers = Children(LAYERS_ID);
    Ptr<ILayerShape> layer;
    Check(layers.back()->QueryInterface(IID_ILayerShape, reinterpret_cast<void**>(layer.Put())), "QI layer");
    BSTR name = nullptr;
    layer->get_Name(&name);
    EXPECT_EQ(std::wstring(name), L"points.shp");
    SysFreeString(name);
    long layerId = Id(layers.back().p), onLayer = 0;
    drawing[0]->get_LayerShapeID(&onLayer);
    EXPECT_EQ(onLayer, layerId);
    OLE_COLOR pen = 0;
    layers.back()->get_PenColor(&pen);
    EXPECT_EQ(pen, 0x3F00u);

    // Values by the field's kind: text, whole and decimal numbers as such; logical and date
    // fields as "undef". IDs: field + base (1) x 100 + 1.
    const auto first = Attributes(drawing[0].p);
    ASSERT_EQ(first.size(), 5u);
    EXPECT_EQ(first[0].first, 101);
    EXPECT_EQ(first[0].second.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(first[0].second.bstrVal), L"M\u00fcller");
    EXPECT_EQ(first[1].second.vt, VT_I4);
    EXPECT_EQ(first[1].second.lVal, 7);
    EXPECT_EQ(first[2].second.vt, VT_R8);
    EXPECT_DOUBLE_EQ(first[2].second.dblVal, 2.5);
    for (size_t j : {3u, 4u}) {
        EXPECT_EQ(first[j].second.vt, VT_BSTR);
        EXPECT_EQ(std::wstring(first[j].second.bstrVal), L"undef");
    }
    const auto second = Attributes(drawing[1].p);
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(second[1].second.lVal, -3);
    EXPECT_DOUBLE_EQ(second[2].second.dblVal, 1000.125);

    Ptr<IAttributeGroupCollection> groups;
    Check(site->get_AttributeGroups(groups.Put()), "get_AttributeGroups");
    Ptr<IAttributeGroup> group;
    Check(groups->get_ItemByID(1, group.Put()), "get_ItemByID");
    ASSERT_TRUE(group);
    Ptr<IAttributeTypeCollection> types;
    group->get_AttributeTypes(types.Put());
    Ptr<IAttributeType> type;
    types->get_ItemByID(103, type.Put());
    ASSERT_TRUE(type);
    BSTR prompt = nullptr;
    type->get_Prompt(&prompt);
    EXPECT_EQ(std::wstring(prompt), L"VALUE");
    SysFreeString(prompt);

    // The limits take the drawing's extent.
    double left = 0, right = 0;
    site->get_DraftLeft(&left);
    site->get_DraftRight(&right);
    EXPECT_NEAR(left, -0.5, 1e-3);
    EXPECT_NEAR(right, 1000.5, 1e-3);
}

TEST_F(ShpImport, RadiusOfPointsOnALineOrAlone)
{
    ASSERT_EQ(Import(Fixture("one_point.shp")), TRUE);
    ASSERT_EQ(Import(Fixture("collinear.shp"), {{1, 2}}), TRUE);
    auto drawing = Children(BASE_ID);
    ASSERT_EQ(drawing.size(), 4u);
    EXPECT_EQ(Radius(drawing[0].p), 1.0) << "one point";
    for (size_t i = 1; i < 4; ++i)
        EXPECT_NEAR(Radius(drawing[i].p), 2.0, 1e-6) << "a thousandth of the line of 2000";
}

TEST_F(ShpImport, RingsAsClosedPolylinesGroupedByRecord)
{
    ASSERT_EQ(Import(Fixture("rings.shp")), TRUE);
    auto drawing = Children(BASE_ID);
    ASSERT_EQ(drawing.size(), 2u);
    ASSERT_EQ(Type(drawing[0].p), stGroup);
    auto rings = Children(Id(drawing[0].p));
    ASSERT_EQ(rings.size(), 3u);
    for (auto& ring : rings) {
        Ptr<IPolylineShape> polyline;
        Check(ring->QueryInterface(IID_IPolylineShape, reinterpret_cast<void**>(polyline.Put())), "QI");
        long flags = 0;
        polyline->get_Flags(&flags);
        EXPECT_TRUE(flags & pfClosed);
        EXPECT_EQ(PointCount(ring.p), 5);
        EXPECT_TRUE(Attributes(ring.p).empty()) << "the record's attributes are on the group";
    }
    const auto onGroup = Attributes(drawing[0].p);
    ASSERT_EQ(onGroup.size(), 1u);
    EXPECT_EQ(std::wstring(onGroup[0].second.bstrVal), L"three");
    EXPECT_EQ(Type(drawing[1].p), stPolyline);
    EXPECT_EQ(std::wstring(Attributes(drawing[1].p)[0].second.bstrVal), L"one");
}

TEST_F(ShpImport, LinesAndASingleVertexPart)
{
    ASSERT_EQ(Import(Fixture("lines.shp")), TRUE);
    auto drawing = Children(BASE_ID);
    ASSERT_EQ(drawing.size(), 2u);
    auto first = Children(Id(drawing[0].p));
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(PointCount(first[0].p), 3);
    EXPECT_EQ(PointCount(first[1].p), 2);
    // The part of one vertex makes nothing.
    EXPECT_EQ(Children(Id(drawing[1].p)).size(), 1u);
}

TEST_F(ShpImport, GeographicToUtmAcrossAZoneBoundary)
{
    // Zone 31 chosen: the point at 6.5 degrees east lies in zone 32 and goes on 646000 m east.
    ASSERT_EQ(Import(Fixture("geographic.shp"), {{2, 2}, {3, 23}, {4, 31}}), TRUE);
    ASSERT_EQ(boxes.size(), 1u) << "one range warning";
    EXPECT_NE(boxes[0].text.find("coordinates are out of valid range - conversion precision is not guaranteed."),
              std::string::npos)
        << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("geographic.shp"), std::string::npos);
    auto drawing = Children(BASE_ID);
    ASSERT_EQ(drawing.size(), 2u);
    // GeoConvert -u: 50 5.5 -> 31n 679157.864 5541625.750; 50 6.5 -> 32n 320842.136 5541625.750.
    // The control keeps floats (half a metre at these magnitudes).
    const auto west = FirstPoint(drawing[0].p), east = FirstPoint(drawing[1].p);
    EXPECT_NEAR(west.first, 679157.864, 0.5);
    EXPECT_NEAR(west.second, 5541625.750, 0.5);
    EXPECT_NEAR(east.first, 320842.136 + 646000, 0.5);
    EXPECT_NEAR(east.second, 5541625.750, 0.5);
}

TEST_F(ShpImport, ASouthernZoneReadsSouthernData)
{
    ASSERT_EQ(Import(Fixture("south.shp"), {{2, 1}, {3, 23}, {4, -33}}), TRUE);
    EXPECT_TRUE(boxes.empty());
    auto drawing = Children(BASE_ID);
    ASSERT_EQ(drawing.size(), 2u);
    // GeoConvert -g: 33s 500000 6000000 -> -36.144718099 15; 33s 650000 7000000 ->
    // -27.114317263 16.513295061 (the float of the control holds about 4e-6 degrees).
    const auto meridian = FirstPoint(drawing[0].p), east = FirstPoint(drawing[1].p);
    EXPECT_NEAR(meridian.first, 15.0, 4e-6);
    EXPECT_NEAR(meridian.second, -36.144718099, 4e-6);
    EXPECT_NEAR(east.first, 16.513295061, 4e-6);
    EXPECT_NEAR(east.second, -27.114317263, 4e-6);
}

TEST_F(ShpImport, AnUnsupportedKindSaysSo)
{
    const long layersBefore = LayerCount();
    ASSERT_EQ(Import(Fixture("pointz.shp")), TRUE);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "SHP");
    EXPECT_EQ(boxes[0].text, "Unsupported shape type.");
    EXPECT_TRUE(Children(BASE_ID).empty());
    EXPECT_EQ(LayerCount(), layersBefore + 1);
}

TEST_F(ShpImport, AMissingFileAddsNothing)
{
    const long layersBefore = LayerCount();
    const auto before = Read();
    EXPECT_EQ(Import(Fixture("no such file.shp")), FALSE);
    EXPECT_EQ(LayerCount(), layersBefore);
    EXPECT_TRUE(Read() == before);
}

TEST_F(ShpImport, TheTableBesideAFileWithoutExtension)
{
    ASSERT_EQ(Import(Fixture("dir.v2/pts")), TRUE);
    auto drawing = Children(BASE_ID);
    ASSERT_EQ(drawing.size(), 2u);
    const auto values = Attributes(drawing[0].p);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(std::wstring(values[0].second.bstrVal), L"dotted");
}

TEST_F(ShpImport, OptionsAndAComErrorOfTheHost)
{
    Importer* importer = Create(dll.Entry<ImporterFactory>("GetImporter"), control.p);
    ASSERT_NE(importer, nullptr);
    for (unsigned long option = 0; option < 5; ++option)
        EXPECT_EQ(importer->ReadyImport(option, 1), TRUE) << option;
    EXPECT_EQ(importer->ReadyImport(5, 1), FALSE);
    importer->Release();

    Check(control->put_LockDraftLimits(VARIANT_FALSE), "lock");
    const auto before = Read();
    struct Failing {
        static void Report(void*, long value)
        {
            if (value >= 30)
                _com_issue_error(E_ABORT);
        }
    };
    EXPECT_THROW(Import(Fixture("collinear.shp"), {}, Failing::Report), _com_error);
    EXPECT_TRUE(Read() == before);
}

} // namespace
