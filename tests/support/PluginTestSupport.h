#pragma once
// What the plug-in tests share: the registered control made as a host makes it (with its site and
// the site's shapes), and a fixture that holds one with the plug-in's DLL and builds drawings in
// it. The files they write and read are in PluginTestFiles.h.
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>
#include "plugins/common/ComWrappers.h"
#include "tests/support/PluginHost.h"
#include "tests/support/PluginTestFiles.h"

namespace plugintest {

// A failed call of the control ends the test with the call's name.
inline void Check(HRESULT hr, const char* what)
{
    if (FAILED(hr))
        throw std::runtime_error(std::string(what) + " failed");
}


// The registered control, its site and the site's shapes; the first failure, S_OK when all came.
inline HRESULT MakeControl(IYVEXControl** control, ISite** site, IShapeCollection** shapes)
{
    HRESULT hr = CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl,
                                  reinterpret_cast<void**>(control));
    if (SUCCEEDED(hr))
        hr = (*control)->get_Site(site);
    if (SUCCEEDED(hr))
        hr = (*site)->get_Shapes(shapes);
    return SUCCEEDED(hr) ? S_OK : hr;
}

// A test of a plug-in with the registered control: the plug-in's DLL loaded for the test, the
// control made in SetUp (after COM) and let go in TearDown (before COM goes), and the shapes a
// test draws with.
class ControlDrawing : public testing::Test
{
protected:
    explicit ControlDrawing(const char* plugin) : dll(plugin) {}

    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_TRUE(dll.Loaded());
        ASSERT_EQ(MakeControl(&control, &site, &shapes), S_OK);
    }
    void TearDown() override
    {
        shapes = nullptr;
        site = nullptr;
        control = nullptr;
        CoUninitialize();
    }

    IShapePtr Shape(long id)
    {
        IShapePtr shape;
        Check(shapes->get_ItemByID(id, &shape), "get_ItemByID");
        return shape;
    }
    long Line(float x1, float y1, float x2, float y2, IShapeCollection* into = nullptr)
    {
        long id = 0;
        Check((into ? into : shapes.GetInterfacePtr())->AddLine(x1, y1, x2, y2, &id), "AddLine");
        return id;
    }
    // A polyline through the points, with the flags added to its own.
    long Polyline(const std::vector<std::pair<float, float>>& points, long flags = 0, IShapeCollection* into = nullptr)
    {
        long id = 0;
        Check((into ? into : shapes.GetInterfacePtr())
                  ->AddPolyline(points[0].first, points[0].second, points[1].first, points[1].second, &id),
              "AddPolyline");
        IPointCollectionPtr collection;
        Check(Shape(id)->get_Points(&collection), "get_Points");
        IPolylinePointCollectionPtr more(collection);
        for (size_t i = 2; i < points.size(); ++i) {
            long point = 0;
            Check(more->AddNewPoint(static_cast<long>(i) + 1, &point, points[i].first, points[i].second), "AddNewPoint");
        }
        if (flags) {
            IPolylineShapePtr polyline(Shape(id));
            long old = 0;
            Check(polyline->get_Flags(&old), "get_Flags");
            Check(polyline->put_Flags(old | flags), "put_Flags");
        }
        return id;
    }
    // A group to make a block of: the control makes a block of a group's children.
    IShapeCollectionPtr Group(long* id)
    {
        Check(shapes->AddGroup(stGroup, id), "AddGroup");
        IShapeCollectionPtr children;
        Check(Shape(*id)->get_Shapes(&children), "group children");
        return children;
    }
    // A block of the shape under the name, and the reference that takes the shape's place.
    long Block(const wchar_t* name, long shape, long* reference)
    {
        long block = 0;
        Check(site->CreateBlock(_bstr_t(name), &block, shape, reference, 0, 0, VARIANT_TRUE), "CreateBlock");
        return block;
    }

    pluginhost::Module dll;
    IYVEXControlPtr control;
    ISitePtr site;
    IShapeCollectionPtr shapes;
};

} // namespace plugintest
