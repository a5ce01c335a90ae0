// The xaml plug-in's importer as a host uses it: plotter files written here, read through the DLL
// into the registered control, and the polylines, the layer and the limits read back through the
// control's interfaces.
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>
#include <cstdio>
#include <string>
#include <vector>
#include "plugins/common/ComWrappers.h"
#include "tests/support/PluginHost.h"
#include "tests/support/PluginTestSupport.h"

using pluginhost::Create;
using pluginhost::Importer;
using pluginhost::ImporterFactory;
using pluginhost::ImporterRelease;
using pluginhost::Module;
using pluginhost::ProgressLog;
using pluginhost::StdImporterFactory;
using pluginhost::Text;
using plugintest::Check;

namespace {

typedef std::vector<std::pair<float, float>> Points;

std::string TempFile(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

std::string WriteFile(const char* name, const std::string& content)
{
    const std::string path = TempFile(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    return path;
}

class XamlImport : public plugintest::ControlDrawing
{
protected:
    XamlImport() : ControlDrawing("xaml") {}

    IShapeCollectionPtr Children(long id)
    {
        IShapePtr group;
        Check(shapes->get_ItemByID(id, &group), "get_ItemByID");
        IShapeCollectionPtr children;
        Check(group->get_Shapes(&children), "get_Shapes");
        return children;
    }
    long Count(long id)
    {
        long n = 0;
        Check(Children(id)->get_Count(&n), "Count");
        return n;
    }
    // The points of every polyline under the root, in order.
    std::vector<Points> Polylines()
    {
        std::vector<Points> result;
        IShapeCollectionPtr drawing = Children(BASE_ID);
        for (long i = 1; i <= Count(BASE_ID); ++i) {
            IShapePtr shape;
            Check(drawing->get_Item(i, &shape), "get_Item");
            long type = 0;
            Check(shape->get_ShapeType(&type), "type");
            if (type != stPolyline)
                continue;
            IPointCollectionPtr points;
            Check(shape->get_Points(&points), "get_Points");
            long n = 0;
            Check(points->get_Count(&n), "Count");
            Points line;
            for (long k = 1; k <= n; ++k) {
                IPointPtr point;
                Check(points->get_Item(k, &point), "point");
                float x = 0, y = 0;
                point->get_X(&x);
                point->get_Y(&y);
                line.push_back({x, y});
            }
            result.push_back(line);
        }
        return result;
    }
    bool HasLayer(const wchar_t* name)
    {
        IShapeCollectionPtr layers = Children(LAYERS_ID);
        for (long i = 1; i <= Count(LAYERS_ID); ++i) {
            IShapePtr layer;
            Check(layers->get_Item(i, &layer), "layer");
            ILayerShapePtr group(layer);
            BSTR text = nullptr;
            if (group && SUCCEEDED(group->get_Name(&text)) && text && std::wstring(text) == name) {
                SysFreeString(text);
                return true;
            }
            SysFreeString(text);
        }
        return false;
    }
    int Import(const std::string& path, ProgressLog* progress = nullptr)
    {
        Importer* importer = Create(dll.Entry<ImporterFactory>("GetImporter"), control.GetInterfacePtr(), progress,
                                    progress ? ProgressLog::Record : nullptr);
        if (!importer)
            return -1;
        const int result = importer->Import(Text(path.c_str()), 0, 0);
        importer->Release();
        return result;
    }
    struct Switches {
        VARIANT_BOOL undo, redraw, lock;
        bool operator==(const Switches& o) const { return undo == o.undo && redraw == o.redraw && lock == o.lock; }
    };
    Switches Read()
    {
        Switches s = {};
        IYVEXUndoPtr(control)->get_UndoEnabled(&s.undo);
        control->get_RedrawEnabled(&s.redraw);
        control->get_LockDraftLimits(&s.lock);
        return s;
    }

};

std::string Padding(size_t length)
{
    // Comment records, whose letters carry no number.
    std::string text;
    while (text.size() + 12 <= length)
        text += "G04 padding*";
    return text + std::string(length - text.size(), ' ');
}

TEST_F(XamlImport, RecordsAsPolylines)
{
    struct Case {
        const char* name;
        std::string file;
        std::vector<Points> expected;
    };
    const std::vector<Case> cases = {
        {"move then draw on", "X100Y200D02*X300Y200D01*X300Y400*", {{{100, 200}, {300, 200}, {300, 400}}}},
        {"two draws from the origin", "X100Y200D01*X300Y200D01*", {{{0, 0}, {100, 200}}, {{100, 200}, {300, 200}}}},
        {"G54 starts afresh", "X100Y100D01*G54D10*X200Y200*", {{{0, 0}, {100, 100}}}},
        {"D1 is D01", "X5Y5D1*", {{{0, 0}, {5, 5}}}},
        {"D001 is no code", "X100Y0D001*X7Y7D01*", {{{0, 0}, {7, 7}}}},
        {"fractions are dropped", "X1.5Y2.9D01*", {{{0, 0}, {1, 2}}}},
        {"a sign belongs to its number", "X-150Y0D01*X-150Y-20*", {{{0, 0}, {-150, 0}, {-150, -20}}}},
        {"lower-case codes are skipped", "x10y10d01*", {}},
        {"a record of 3000 bytes", "X" + std::string(2990, ' ') + "100Y50D01*", {{{0, 0}, {100, 50}}}},
        {"a record across two reads", "X10Y10D02*" + Padding(1990) + "X" + std::string(100, ' ') + "500Y600D01*",
         {{{10, 10}, {500, 600}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Check(site->Clear(), "Clear");
        EXPECT_EQ(Import(WriteFile("plot.gbr", c.file)), TRUE);
        EXPECT_EQ(Polylines(), c.expected);
        EXPECT_TRUE(HasLayer(L"XAML"));
    }
}

TEST_F(XamlImport, TheLimitsFollowTheDrawing)
{
    ProgressLog progress;
    EXPECT_EQ(Import(WriteFile("limits.gbr", "X100Y200D02*X300Y200D01*X300Y400*"), &progress), TRUE);
    double l = 0, t = 0, r = 0, b = 0;
    site->get_DraftLeft(&l);
    site->get_DraftTop(&t);
    site->get_DraftRight(&r);
    site->get_DraftBottom(&b);
    EXPECT_NEAR(l, 100, 1);
    EXPECT_NEAR(b, 200, 1);
    EXPECT_NEAR(r, 300, 1);
    EXPECT_NEAR(t, 400, 1);
    EXPECT_EQ(progress.values, (std::vector<long>{10, 15, 90}));
}

TEST_F(XamlImport, AnEmptyFileAddsTheLayerOnly)
{
    const long layers = Count(LAYERS_ID);
    EXPECT_EQ(Import(WriteFile("empty.gbr", "")), TRUE);
    EXPECT_EQ(Count(LAYERS_ID), layers + 1);
    EXPECT_TRUE(HasLayer(L"XAML"));
    EXPECT_EQ(Count(BASE_ID), 0);
}

TEST_F(XamlImport, AFileThatCannotBeOpenedAddsNothing)
{
    const long layers = Count(LAYERS_ID);
    const Switches before = Read();
    EXPECT_EQ(Import(TempFile("no such folder\\plot.gbr")), FALSE);
    EXPECT_EQ(Count(LAYERS_ID), layers);
    EXPECT_FALSE(HasLayer(L"XAML"));
    EXPECT_TRUE(Read() == before);
}

TEST_F(XamlImport, TheStandardCallPairAndAComErrorOfTheHost)
{
    auto make = dll.Entry<StdImporterFactory>("_GetXAMLImport@12");
    auto release = dll.Entry<ImporterRelease>("_ReleaseXAMLImport@4");
    ASSERT_NE(make, nullptr);
    ASSERT_NE(release, nullptr);
    struct Failing {
        static void Report(void*, long value)
        {
            if (value >= 15)
                _com_issue_error(E_ABORT);
        }
    };
    Check(control->put_LockDraftLimits(VARIANT_FALSE), "lock");
    const Switches before = Read();
    Importer* importer = Create(make, control.GetInterfacePtr(), nullptr, Failing::Report);
    ASSERT_NE(importer, nullptr);
    try {
        importer->Import(Text(WriteFile("aborted.gbr", "X1Y1D01*").c_str()), 0, 0);
        ADD_FAILURE() << "no exception";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), E_ABORT);
    }
    release(importer);
    EXPECT_TRUE(Read() == before);
}

} // namespace
