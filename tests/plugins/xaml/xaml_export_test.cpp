// The xaml plug-in's exporter as a host uses it: the DLL loaded with LoadLibrary, drawings built
// in the registered control through its interfaces, each exported into xaml_out/ (which
// check_xaml_exports.py then hands to xmllint and reads with Python's XML parser). What the host
// sees here: the results, the progress, the files made, and the control's undo history, switches
// and block library as they were.
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <ocidl.h>
#include <comdef.h>
#include <string>
#include <vector>
#include "plugins/common/ComWrappers.h"
#include "tests/support/PluginHost.h"
#include "tests/support/PluginTestSupport.h"

using pluginhost::Create;
using pluginhost::Exporter;
using pluginhost::ExporterFactory;
using pluginhost::ExporterRelease;
using pluginhost::Module;
using pluginhost::ProgressLog;
using pluginhost::StdExporterFactory;
using pluginhost::Text;
using plugintest::Check;
using plugintest::Exists;

_COM_SMARTPTR_TYPEDEF(IUnknown, __uuidof(IUnknown));
_COM_SMARTPTR_TYPEDEF(IOleUndoManager, __uuidof(IOleUndoManager));
_COM_SMARTPTR_TYPEDEF(IEnumOleUndoUnits, __uuidof(IEnumOleUndoUnits));

namespace {

std::string OutDir() { return WinPath("YVEX_BINARY_DIR", "tests/plugins/xaml/xaml_out"); }
std::wstring WideOut() { const std::string d = OutDir(); return std::wstring(d.begin(), d.end()); }

// A picture file written by GDI+ in the format of the MIME type: a 40 x 20 red and blue picture.
void WritePicture(const std::wstring& path, const wchar_t* mime)
{
    plugintest::WritePicture(path, mime, 40, 20, Gdiplus::Color(255, 0, 0), Gdiplus::Color(0, 0, 255));
}

class XamlExport : public plugintest::ControlDrawing
{
protected:
    XamlExport() : ControlDrawing("xaml") {}
    void SetUp() override
    {
        ControlDrawing::SetUp();
        if (HasFatalFailure())
            return;
        CreateDirectoryA(OutDir().c_str(), nullptr);
    }

    // A frame of the drawing 700 units across: one world unit per canvas unit, the world point
    // (x, y) at canvas (x + 100, 600 - y).
    void Frame() { Line(-100, -100, 600, 600); }
    long LibraryCount()
    {
        IShapeCollectionPtr library;
        Check(Shape(LIBRARY_ID)->get_Shapes(&library), "library");
        long n = 0;
        Check(library->get_Count(&n), "Count");
        return n;
    }
    long UndoUnits()
    {
        IYVEXUndoPtr undo(control);
        IUnknownPtr unknown;
        Check(undo->get_OleUndoManager(&unknown), "OleUndoManager");
        IOleUndoManagerPtr manager(unknown);
        if (!manager)
            return -1;
        IEnumOleUndoUnitsPtr units;
        if (FAILED(manager->EnumUndoable(&units)) || !units)
            return 0;
        long n = 0;
        IOleUndoUnit* unit = nullptr;
        while (units->Next(1, &unit, nullptr) == S_OK) {
            unit->Release();
            ++n;
        }
        return n;
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

    // Exports through GetExporter into xaml_out/NAME (or a full path); the result.
    int Export(const std::string& name, const std::vector<std::pair<unsigned long, unsigned long>>& options = {},
               ProgressLog* progress = nullptr)
    {
        Exporter* e = Create(dll.Entry<ExporterFactory>("GetExporter"), control.GetInterfacePtr(), progress,
                             progress ? ProgressLog::Record : nullptr);
        if (!e)
            return -1;
        for (const auto& option : options)
            EXPECT_EQ(e->ReadyExport(option.first, option.second), TRUE);
        const std::string path = name.find(':') != std::string::npos ? name : OutDir() + "\\" + name;
        int result = 0;
        try {
            result = e->Export(Text(path.c_str()), 0, 0);
        } catch (...) {
            e->Release();
            throw;
        }
        e->Release();
        return result;
    }

};

TEST_F(XamlExport, TheFrameTheMarkerAndTheProgress)
{
    // 1400 x 700: s = 2, the marker 700 x 350 (read by check_xaml_exports.py).
    Line(0, 0, 1400, 700);
    Line(0, 700, 1400, 0);
    const Switches before = Read();
    ProgressLog progress;
    EXPECT_EQ(Export("frame.xaml", {}, &progress), TRUE);
    EXPECT_EQ(progress.values, (std::vector<long>{50, 100}));
    EXPECT_TRUE(Read() == before);
}

TEST_F(XamlExport, AnEmptyDrawingWritesTheFrameOnly)
{
    ProgressLog progress;
    EXPECT_EQ(Export("empty.xaml", {}, &progress), TRUE);
    EXPECT_TRUE(progress.values.empty());
}

TEST_F(XamlExport, ADrawingOfNoExtentIsWrittenAtUnitScale)
{
    Line(5, 5, 5, 5);
    EXPECT_EQ(Export("point.xaml"), TRUE);
}

TEST_F(XamlExport, AFileThatCannotBeCreatedAnswersFalse)
{
    Line(0, 0, 10, 10);
    const Switches before = Read();
    const std::string path = OutDir() + "\\no such folder\\x.xaml";
    EXPECT_EQ(Export(path), FALSE);
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(Read() == before);
}

TEST_F(XamlExport, RectanglesCirclesEllipsesAndBlocksNamedSLV)
{
    Frame();
    const long hatches[] = {0, 4096, 1};
    for (int i = 0; i < 3; ++i) {
        long id = 0;
        Check(shapes->AddRectangle(20.0f * i, 10, 20.0f * i + 10, 0, &id), "AddRectangle");
        IPolylineShapePtr rectangle(Shape(id));
        long flags = 0;
        Check(rectangle->get_Flags(&flags), "get_Flags");
        Check(rectangle->put_Flags(flags | pfClosed), "put_Flags");
        Check(Shape(id)->put_HatchPatternID(hatches[i]), "put_HatchPatternID");
        Check(Shape(id)->put_HatchColor(RGB(0, 128, 255)), "put_HatchColor");
        long translated = -1;
        Check(Shape(id)->get_TranslatedHatchPatternID(&translated), "translated");
        EXPECT_EQ(translated, hatches[i]);
    }
    long circle = 0;
    Check(shapes->AddCircle(100, 50, 10, &circle), "AddCircle");
    Check(Shape(circle)->put_PenWeight(3), "put_PenWeight");
    Check(Shape(circle)->put_PenColor(RGB(255, 0, 0)), "put_PenColor");
    long ellipse = 0;
    Check(shapes->AddEllipse(200, 50, 40, 0.5f, 0, 0, 360, &ellipse), "AddEllipse");
    long reference = 0, group = 0;
    Line(300, 300, 400, 400, Group(&group));
    Block(L"SLV", group, &reference);
    EXPECT_NE(reference, 0);
    EXPECT_EQ(Export("shapes.xaml"), TRUE);
    EXPECT_EQ(Export("shapes_workflow.xaml", {{1, 0}}), TRUE);
}

TEST_F(XamlExport, BezierAndVertexPathsWithArrowheads)
{
    Frame();
    Polyline({{0, 0}, {10, 20}, {20, 20}, {30, 0}, {40, 10}, {50, 10}}, pfBezier);
    const float bulges[] = {1, -1};
    for (int i = 0; i < 2; ++i) {
        const float x = 100.0f + 50 * i;
        IPolylineShapePtr arc(Shape(Polyline({{x, 100}, {x + 2, 100}})));
        IVertexCollectionPtr vertices;
        Check(arc->get_Vertexes(&vertices), "get_Vertexes");
        IVertexPtr first;
        Check(vertices->get_Item(1, &first), "vertex 1");
        Check(first->put_Bulge(bulges[i]), "put_Bulge");
    }
    IPolylineShapePtr arrows(Shape(Polyline({{200, 200}, {300, 200}})));
    Check(arrows->put_FirstArrowTypeID(1), "first arrow");
    Check(arrows->put_SecondArrowTypeID(1), "second arrow");
    EXPECT_EQ(Export("paths.xaml"), TRUE);
}

TEST_F(XamlExport, TextsLinesEscapesAndBlockTags)
{
    Frame();
    long id = 0;
    Check(shapes->AddPlainText(_bstr_t(L"one\ntwo\nthree"), 0, 500, 200, 10, alLeft, 0, &id), "three lines");
    Check(shapes->AddRTFText(_bstr_t(L"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\b bold\\b0  text}"), 0, 400, 200, 10,
                             alLeft, 0, &id),
          "rtf");
    Check(shapes->AddPlainText(_bstr_t(L"<b> & \"q\""), 0, 300, 200, 10, alLeft, 0, &id), "markup");
    Check(shapes->AddPlainText(_bstr_t(L"M\u00fcller \u20ac"), 0, 250, 200, 10, alLeft, 0, &id), "non-ASCII");
    // A text in a block named A&B, whose reference carries attribute 1 with database ID 7.
    long inBlock = 0;
    Check(shapes->AddPlainText(_bstr_t(L"in block"), 300, 100, 100, 10, alLeft, 0, &inBlock), "in block");
    long reference = 0;
    Block(L"A&B", inBlock, &reference);
    ASSERT_NE(reference, 0);
    IAttributeGroupCollectionPtr groups;
    Check(site->get_AttributeGroups(&groups), "get_AttributeGroups");
    IAttributeGroupPtr group;
    Check(groups->CreateAttributeGroup(50, 0, _bstr_t(L"ids"), &group), "CreateAttributeGroup");
    IAttributeTypeCollectionPtr types;
    Check(group->get_AttributeTypes(&types), "get_AttributeTypes");
    IAttributeTypePtr type;
    Check(types->CreateAttributeType(1, 0, _bstr_t(L"id"), _bstr_t(L""), _bstr_t(L"Id"), &type), "type");
    IShapeAttributeGroupCollectionPtr shapeGroups;
    Check(Shape(reference)->get_AttributeGroups(&shapeGroups), "shape groups");
    Check(shapeGroups->AddAttributeGroup(group), "AddAttributeGroup");
    IAttributeCollectionPtr attributes;
    Check(Shape(reference)->get_Attributes(&attributes), "get_Attributes");
    IAttributePtr attribute;
    Check(attributes->CreateAttribute(1, 7, _variant_t(L"x"), &attribute), "CreateAttribute");
    EXPECT_EQ(Export("texts.xaml"), TRUE);
}

TEST_F(XamlExport, AJpegShownTwiceIsSavedOnce)
{
    Frame();
    const std::wstring folder = WideOut() + L"\\pictures";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring jpeg = WideOut() + L"\\photo.jpg";
    const std::wstring bmp = WideOut() + L"\\plain.bmp";
    WritePicture(jpeg, L"image/jpeg");
    WritePicture(bmp, L"image/bmp");
    long id = 0;
    Check(shapes->AddImage(_bstr_t(jpeg.c_str()), 0, 100, 40, 20, VARIANT_FALSE, &id), "AddImage");
    Check(shapes->AddImage(_bstr_t(jpeg.c_str()), 100, 100, 40, 20, VARIANT_FALSE, &id), "AddImage");
    Check(shapes->AddImage(_bstr_t(bmp.c_str()), 200, 100, 40, 20, VARIANT_FALSE, &id), "AddImage");
    const std::string written = OutDir() + "\\pictures\\photo.jpg";
    DeleteFileA(written.c_str());
    EXPECT_EQ(Export("pictures\\images.xaml"), TRUE);
    EXPECT_TRUE(Exists(written));
    EXPECT_TRUE(Exists(OutDir() + "\\pictures\\plain.bmp"));
}

TEST_F(XamlExport, WorkflowStatesAndDecisions)
{
    Frame();
    long state = 0, decision = 0, group = 0;
    Polyline({{0, 0}, {40, 0}, {40, 20}, {0, 20}}, pfClosed, Group(&group));
    Block(L"wfState", group, &state);
    Polyline({{100, 0}, {140, 0}, {140, 20}, {100, 20}}, pfClosed, Group(&group));
    Block(L"wfDecision", group, &decision);
    EXPECT_NE(state, 0);
    EXPECT_NE(decision, 0);
    EXPECT_EQ(Export("workflow.xaml", {{1, 0}}), TRUE);
    EXPECT_EQ(Export("workflow_off.xaml"), TRUE);
}

TEST_F(XamlExport, AMetafileImageLeavesTheLibraryAndTheUndoHistoryAsTheyWere)
{
    Frame();
    const std::string path = OutDir() + "\\picture.emf";
    HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);
    Rectangle(dc, 0, 0, 200, 100);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 200, 100);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    long image = 0;
    Check(shapes->AddImage(_bstr_t(path.c_str()), 10, 50, 40, 20, VARIANT_FALSE, &image), "AddImage");
    const long blocks = LibraryCount();
    const long units = UndoUnits();
    const Switches before = Read();
    for (unsigned long mode : {1ul, 2ul, 0ul}) {
        EXPECT_EQ(Export("metafile_mode" + std::to_string(mode) + ".xaml", {{2, mode}}), TRUE);
        EXPECT_EQ(LibraryCount(), blocks) << mode;
        EXPECT_EQ(UndoUnits(), units) << mode;
        EXPECT_TRUE(Read() == before);
    }
}

TEST_F(XamlExport, TheStandardCallPairAndAComErrorOfTheHost)
{
    Line(0, 0, 10, 10);
    Line(0, 10, 10, 0);
    auto make = dll.Entry<StdExporterFactory>("_GetXAMLExport@12");
    auto release = dll.Entry<ExporterRelease>("_ReleaseXAMLExport@4");
    ASSERT_NE(make, nullptr);
    ASSERT_NE(release, nullptr);
    struct Failing {
        static void Report(void*, long value)
        {
            if (value >= 50)
                _com_issue_error(E_ABORT);
        }
    };
    Check(control->put_RedrawEnabled(VARIANT_FALSE), "redraw");
    const Switches before = Read();
    const long units = UndoUnits();
    Exporter* e = Create(make, control.GetInterfacePtr(), nullptr, Failing::Report);
    ASSERT_NE(e, nullptr);
    try {
        // Outside xaml_out: the document stays incomplete.
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        e->Export(Text((std::string(temp) + "aborted.xaml").c_str()), 0, 0);
        ADD_FAILURE() << "no exception";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), E_ABORT);
    }
    release(e);
    EXPECT_TRUE(Read() == before);
    EXPECT_EQ(UndoUnits(), units);
}

} // namespace
