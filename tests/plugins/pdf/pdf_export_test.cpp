// The pdf plug-in's exporter as a host uses it: the DLL loaded with LoadLibrary, the engine it
// loads by name chosen with SetDllDirectory (the stand-in beside the plug-ins, its recording
// build, or none), drawings built in the registered control, exported into pdf_out/ (which
// check_pdf_exports.py reads with qpdf, pdftotext and pdftoppm). Message boxes are answered by a
// WH_CBT hook and kept.
#include <gtest/gtest.h>
#include <algorithm>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <comdef.h>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>
#include "plugins/common/ComWrappers.h"
#include "tests/support/DialogCloser.h"
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
using plugintest::WritePicture;

namespace {

std::string OutDir() { return WinPath("YVEX_BINARY_DIR", "tests/plugins/pdf/pdf_out"); }
std::string EngineDir() { return WinPath("YVEX_BINARY_DIR", "plugins"); }
std::string RecordingDir() { return WinPath("YVEX_BINARY_DIR", "wpdf_recording"); }
std::string NoEngineDir()
{
    const std::string dir = WinPath("YVEX_BINARY_DIR", "tests/plugins/pdf/no_engine");
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

// The pictures of the image tests: all blue.
const Gdiplus::Color kBlue(0, 0, 255);

struct Box {
    std::string caption;
    std::string text;
};

// The recording build of the engine, held loaded so that its log outlives the plug-in's use.
struct Recording {
    HMODULE module = LoadLibraryA((RecordingDir() + "\\wPDFControl02.dll").c_str());
    ~Recording()
    {
        if (module)
            FreeLibrary(module);
    }
    std::vector<std::string> Calls() const
    {
        typedef const char*(__stdcall * Log)();
        auto log = reinterpret_cast<Log>(reinterpret_cast<void*>(GetProcAddress(module, "WPDF_RecordedCalls")));
        std::vector<std::string> lines;
        std::string all = log ? log() : "";
        size_t at = 0;
        for (size_t end; (end = all.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(all.substr(at, end - at));
        return lines;
    }
    void Clear() const
    {
        typedef void(__stdcall * Clear)();
        reinterpret_cast<Clear>(reinterpret_cast<void*>(GetProcAddress(module, "WPDF_ClearRecordedCalls")))();
    }
};

class PdfExport : public plugintest::ControlDrawing
{
protected:
    PdfExport() : ControlDrawing("pdf") {}
    void SetUp() override
    {
        ControlDrawing::SetUp();
        if (HasFatalFailure())
            return;
        CreateDirectoryA(OutDir().c_str(), nullptr);
        SetDllDirectoryA(EngineDir().c_str());
    }
    void TearDown() override
    {
        SetDllDirectoryA(nullptr);
        ControlDrawing::TearDown();
    }

    long Text(const wchar_t* text, float x, float y, float height, IShapeCollection* into = nullptr, bool rtf = false)
    {
        long id = 0;
        IShapeCollection* target = into ? into : shapes.GetInterfacePtr();
        if (rtf)
            Check(target->AddRTFText(_bstr_t(text), x, y, 100, height, alLeft, 0, &id), "AddRTFText");
        else
            Check(target->AddPlainText(_bstr_t(text), x, y, 100, height, alLeft, 0, &id), "AddPlainText");
        return id;
    }
    std::vector<long> Selected()
    {
        IShapeCollectionPtr selection;
        Check(Shape(SELECTION_ID)->get_Shapes(&selection), "selection");
        std::vector<long> ids;
        long n = 0;
        selection->get_Count(&n);
        for (long i = 1; i <= n; ++i) {
            IShapePtr shape;
            selection->get_Item(i, &shape);
            long id = 0;
            shape->get_ID(&id);
            ids.push_back(id);
        }
        return ids;
    }
    struct Switches {
        VARIANT_BOOL undo, redraw;
        bool operator==(const Switches& o) const { return undo == o.undo && redraw == o.redraw; }
    };
    Switches Read()
    {
        Switches s = {};
        IYVEXUndoPtr(control)->get_UndoEnabled(&s.undo);
        control->get_RedrawEnabled(&s.redraw);
        return s;
    }

    // Exports through GetExporter into pdf_out/NAME (or a full path); the result, the message
    // boxes kept.
    int Export(const std::string& name, ProgressLog* progress = nullptr)
    {
        Exporter* e = Create(dll.Entry<ExporterFactory>("GetExporter"), control.GetInterfacePtr(), progress,
                             progress ? ProgressLog::Record : nullptr);
        if (!e)
            return -1;
        const std::string path = name.find(':') != std::string::npos ? name : OutDir() + "\\" + name;
        int result = 0;
        {
            DialogCloser closer([this](HWND box, int) {
                char caption[256] = "", text[1024] = "";
                GetWindowTextA(box, caption, sizeof caption);
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                boxes.push_back({caption, text});
                DialogCloser::PostCommand(box, IDOK);
            });
            try {
                result = e->Export(pluginhost::Text(path.c_str()), 0, 0);
            } catch (...) {
                e->Release();
                throw;
            }
        }
        e->Release();
        return result;
    }

    std::vector<Box> boxes;
};

TEST_F(PdfExport, MessagesAndResults)
{
    // No engine: the message, FALSE and no file.
    Line(0, 0, 100, 50);
    SetDllDirectoryA(NoEngineDir().c_str());
    const std::string noEngine = OutDir() + "\\no_engine.pdf";
    DeleteFileA(noEngine.c_str());
    EXPECT_EQ(Export(noEngine), FALSE);
    EXPECT_FALSE(Exists(noEngine));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "PDF Export");
    EXPECT_EQ(boxes[0].text, "PDF Engine was not found!");

    // A file that cannot be created: the path in the message, no icon.
    SetDllDirectoryA(EngineDir().c_str());
    boxes.clear();
    const std::string unwritable = OutDir() + "\\no such folder\\x.pdf";
    EXPECT_EQ(Export(unwritable), FALSE);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "PDF Export");
    EXPECT_EQ(boxes[0].text, "Cannot create file " + unwritable);

    // An empty drawing.
    Check(site->Clear(), "Clear");
    boxes.clear();
    EXPECT_EQ(Export("empty.pdf"), FALSE);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Drawing is empty!");
}

TEST_F(PdfExport, TheEngineCallsInOrderAndTheProgress)
{
    Recording recording;
    ASSERT_NE(recording.module, nullptr);
    SetDllDirectoryA(RecordingDir().c_str());
    recording.Clear();
    Line(0, 0, 100, 50);
    Line(0, 50, 100, 0);
    Text(L"three", 10, 40, 5);
    ProgressLog progress;
    const std::string path = OutDir() + "\\recorded.pdf";
    EXPECT_EQ(Export(path, &progress), TRUE);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(progress.values, (std::vector<long>{33, 66, 99, 100}));
    const std::vector<std::string> calls = recording.Calls();
    ASSERT_GE(calls.size(), 8u);
    EXPECT_EQ(calls[0], "Initialize");
    EXPECT_EQ(calls[1], "BeginDoc " + path + " 0");
    EXPECT_EQ(calls[2], "StartPage");
    EXPECT_EQ(calls[3], "DC");
    EXPECT_EQ(calls[calls.size() - 3], "EndPage");
    EXPECT_EQ(calls[calls.size() - 2], "EndDoc");
    EXPECT_EQ(calls[calls.size() - 1], "Finalize");
    // The text is written by the engine, at its anchor's place on the page.
    bool text = false;
    for (const std::string& call : calls)
        text = text || (call.find("TextOut") == 0 && call.find(" three") != std::string::npos);
    EXPECT_TRUE(text);
}

TEST_F(PdfExport, AlignedTextsStartWhereTheirBoxesDo)
{
    // Each text is shifted from its anchor by its box (the width that the control measures) and
    // by its lines' height: left, right and centred on the top; at the bottom and the middle.
    Recording recording;
    SetDllDirectoryA(RecordingDir().c_str());
    Line(0, 0, 200, 0);
    Line(0, 0, 0, 100);
    struct Case {
        const wchar_t* text;
        Alignments align;
        double wide, high;  // the shift from the anchor in box widths and line heights
    };
    const Case cases[] = {{L"Topleft", alTopLeft, 0, 0},       {L"Topright", alTopRight, -1, 0},
                          {L"Topcentre", alTopCenter, -0.5, 0}, {L"Bottomleft", alBottomLeft, 0, 1},
                          {L"Middleright", alMiddleRight, -1, 0.5}};
    std::vector<long> ids;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        long id = 0;
        Check(shapes->AddPlainText(_bstr_t(cases[i].text), 100, 90 - 15.0f * i, 100, 5, cases[i].align, 0, &id),
              "AddPlainText");
        ids.push_back(id);
    }
    // A face name longer than a font record holds: the text is written all the same.
    const _bstr_t longFace(L"A face name longer than thirty-one characters");
    Check(ITextShapePtr(Shape(ids[0]))->put_FontName(longFace), "put_FontName");
    BSTR face = nullptr;
    Check(ITextShapePtr(Shape(ids[0]))->get_FontName(&face), "get_FontName");
    EXPECT_GT(SysStringLen(face), 31u);
    SysFreeString(face);
    IShapePtr root = Shape(BASE_ID);
    float l = 0, t = 0, r = 0, b = 0;
    Check(root->GetBoundingRect(&l, &t, &r, &b), "root bounds");
    const double scale = std::min(595.2756 / (r - l), 841.8898 / (t - b)) * 0.9;
    recording.Clear();
    EXPECT_EQ(Export("aligned.pdf"), TRUE);
    const std::vector<std::string> calls = recording.Calls();
    for (size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(i);
        IShapePtr text = Shape(ids[i]);
        float tl = 0, tt = 0, tr = 0, tb = 0;
        Check(text->GetBoundingRect(&tl, &tt, &tr, &tb), "text bounds");
        double ax = 0, ay = 0;
        Check(text->get_PositionX(&ax), "PositionX");
        Check(text->get_PositionY(&ay), "PositionY");
        const double w = tr - tl, h = 5 * 1.3;
        const int x = static_cast<int>((ax + cases[i].wide * w - l) * scale + 595.2756 * 0.05);
        const int y = static_cast<int>((t - (ay + cases[i].high * h)) * scale + 841.8898 * 0.05);
        const std::string text8(cases[i].text, cases[i].text + std::wcslen(cases[i].text));
        std::string found;
        for (const std::string& call : calls)
            if (call.find("TextOut ") == 0 && call.size() > text8.size() &&
                call.compare(call.size() - text8.size() - 1, std::string::npos, " " + text8) == 0)
                found = call;
        EXPECT_EQ(found, "TextOut " + std::to_string(x) + " " + std::to_string(y) + " " + text8);
    }
}

TEST_F(PdfExport, LeadersOfTextsInReferences)
{
    Recording recording;
    SetDllDirectoryA(RecordingDir().c_str());
    // A text with a leader under the root: no leader.
    ITextShapePtr(Shape(Text(L"root text", 0, 200, 5)))->put_LeaderType(1);
    // Block "inner": a frame and, away from it, a text with a leader; block "outer": a reference
    // to "inner"; a reference to "outer" under the root.
    long group = 0, reference = 0, nested = 0;
    IShapeCollectionPtr children = Group(&group);
    Line(0, 0, 20, 0, children);
    Line(0, 10, 20, 10, children);
    ITextShapePtr(Shape(Text(L"deep text", 100, 60, 5, children)))->put_LeaderType(1);
    long inner = 0;
    Check(site->CreateBlock(_bstr_t(L"inner"), &inner, group, nullptr, 0, 0, VARIANT_FALSE), "CreateBlock inner");
    Check(shapes->DeleteByID(group), "DeleteByID");
    IShapeCollectionPtr outerChildren = Group(&group);
    Check(outerChildren->AddReference(inner, &nested, VARIANT_FALSE, 0, 0), "AddReference");
    Block(L"outer", group, &reference);
    ASSERT_NE(reference, 0);
    recording.Clear();
    EXPECT_EQ(Export("leaders.pdf"), TRUE);
    std::vector<std::string> lines;
    std::vector<std::pair<int, int>> at;
    for (const std::string& call : recording.Calls())
        if (call.find("MoveTo") == 0 || call.find("LineTo") == 0) {
            lines.push_back(call.substr(0, 6));
            int x = 0, y = 0;
            std::sscanf(call.c_str() + 6, "%d %d", &x, &y);
            at.push_back({x, y});
        }
    ASSERT_EQ(lines, (std::vector<std::string>{"MoveTo", "LineTo", "LineTo"}));

    // Where it runs: from the middle of the side of the text's reference (the instance of
    // "inner") nearer to the text, level with it for a third of the way, then to the start of
    // the text's first line on its baseline (a top-left text: one height below its anchor).
    float l = 0, t = 0, r = 0, b = 0;
    Check(Shape(BASE_ID)->GetBoundingRect(&l, &t, &r, &b), "root bounds");
    const double scale = std::min(595.2756 / (r - l), 841.8898 / (t - b)) * 0.9;
    auto X = [&](double x) { return static_cast<int>((x - l) * scale + 595.2756 * 0.05); };
    auto Y = [&](double y) { return static_cast<int>((t - y) * scale + 841.8898 * 0.05); };
    IShapeCollectionPtr level;
    Check(Shape(reference)->get_Shapes(&level), "outer instance");
    IShapePtr instance;
    Check(level->get_Item(1, &instance), "inner instance");
    IShapeCollectionPtr inInstance;
    Check(instance->get_Shapes(&inInstance), "inner children");
    IShapePtr deep;
    for (long i = 1, n = 0; SUCCEEDED(inInstance->get_Count(&n)) && i <= n; ++i) {
        IShapePtr child;
        Check(inInstance->get_Item(i, &child), "child");
        long type = 0;
        Check(child->get_ShapeType(&type), "type");
        if (type == stText)
            deep = child;
    }
    ASSERT_TRUE(deep != nullptr);
    float il = 0, it = 0, ir = 0, ib = 0;
    Check(instance->GetBoundingRect(&il, &it, &ir, &ib), "instance bounds");
    double tx = 0, ty = 0;
    Check(deep->get_PositionX(&tx), "PositionX");
    Check(deep->get_PositionY(&ty), "PositionY");
    const double midY = (static_cast<double>(it) + ib) / 2;
    const double side = std::fabs(tx - il) < std::fabs(tx - ir) ? il : ir;
    EXPECT_EQ(at[0], std::make_pair(X(side), Y(midY)));
    EXPECT_EQ(at[2], std::make_pair(X(tx), Y(ty - 5)));
    EXPECT_EQ(at[1].second, at[0].second);
    EXPECT_NEAR(at[1].first, at[0].first + (at[2].first - at[0].first) / 3.0, 1.5);
}

TEST_F(PdfExport, ShapesOnThePage)
{
    // The frame: 267.874 units wide, so that the page scale is 2 (0.9 x 595.2756 / 267.874), the
    // world point (x, y) at page (29.76 + 2 x, 42.09 + 2 (top - y)).
    Line(0, 0, 267.874f, 0);
    Line(0, 100, 0, 100.5f);
    // Hatch 10 in red: a closed square, filled with horizontal lines, and the same open beside it.
    for (int open = 0; open < 2; ++open) {
        const float x = 10 + 40.0f * open;
        const long id = Polyline({{x, 90}, {x + 30, 90}, {x + 30, 60}, {x, 60}}, open ? 0 : pfClosed);
        Check(Shape(id)->put_HatchPatternID(10), "hatch");
        Check(Shape(id)->put_HatchColor(RGB(255, 0, 0)), "hatch colour");
        Check(Shape(id)->put_PenColor(RGB(0, 0, 255)), "pen colour");
    }
    // A circle of radius 0.5 about (120, 80): a radius of 1 point on the page.
    long id = 0;
    Check(shapes->AddCircle(120, 80, 0.5f, &id), "AddCircle");
    // A full ellipse 40 x 20 about (170, 75): 80 x 40 points, not 88 x 44.
    Check(shapes->AddEllipse(170, 75, 20, 0.5f, 0, 0, 360, &id), "AddEllipse");
    // A mirrored arc from 0 to 90 degrees of radius 10 about (230, 75): the lower right quarter.
    Check(shapes->AddEllipse(230, 75, 10, 1, 0, 0, 90, &id), "AddEllipse arc");
    Check(IEllipseShapePtr(Shape(id))->put_ZExtrusion(-1), "ZExtrusion");
    // Red in two paragraphs of an RTF text.
    Text(L"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}\\cf1 First\\par Second\\par}", 10,
         40, 5, nullptr, true);
    // TIFF and PNG pictures draw nothing.
    const std::string folder = OutDir();
    const std::wstring wide(folder.begin(), folder.end());
    WritePicture(wide + L"\\blue.tif", L"image/tiff", 40, 20, kBlue, kBlue);
    WritePicture(wide + L"\\blue.png", L"image/png", 40, 20, kBlue, kBlue);
    WritePicture(wide + L"\\blue.jpg", L"image/jpeg", 40, 20, kBlue, kBlue);
    Check(shapes->AddImage(_bstr_t((wide + L"\\blue.tif").c_str()), 150, 40, 20, 10, VARIANT_FALSE, &id), "tif");
    Check(shapes->AddImage(_bstr_t((wide + L"\\blue.png").c_str()), 180, 40, 20, 10, VARIANT_FALSE, &id), "png");
    Check(shapes->AddImage(_bstr_t((wide + L"\\blue.jpg").c_str()), 210, 40, 20, 10, VARIANT_FALSE, &id), "jpg");
    // A bitmap and a GIF picture are drawn like the JPEG one.
    WritePicture(wide + L"\\blue.bmp", L"image/bmp", 40, 20, kBlue, kBlue);
    {
        // One blue pixel (GDI+ here writes no GIF data).
        static const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0xFF, 0,
                                            0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B};
        std::FILE* file = _wfopen((wide + L"\\blue.gif").c_str(), L"wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(gif, 1, sizeof gif, file);
        std::fclose(file);
    }
    Check(shapes->AddImage(_bstr_t((wide + L"\\blue.bmp").c_str()), 150, 20, 20, 10, VARIANT_FALSE, &id), "bmp");
    Check(shapes->AddImage(_bstr_t((wide + L"\\blue.gif").c_str()), 180, 20, 20, 10, VARIANT_FALSE, &id), "gif");
    // A tab moves what follows it ten columns on; a right-aligned text ends at its anchor.
    Text(L"Left\tTab", 10, 25, 5);
    Check(shapes->AddPlainText(_bstr_t(L"Right"), 140, 10, 100, 5, alRight, 0, &id), "right-aligned");
    EXPECT_EQ(Export("shapes.pdf"), TRUE);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PdfExport, ADrawingTwiceAsWideAsHighAndTheSelection)
{
    // A frame of 200 x 100: it spans 90 % of the page's width from 29.76 points, 42.09 from the top.
    Polyline({{0, 0}, {200, 0}, {200, 100}, {0, 100}}, pfClosed);
    // A metafile image, drawn through the selection; the user's selection stays as it was.
    const std::string path = OutDir() + "\\picture.emf";
    HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);
    Rectangle(dc, 0, 0, 200, 100);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    long image = 0, line = Line(10, 10, 50, 50);
    Check(shapes->AddImage(_bstr_t(path.c_str()), 100, 80, 40, 20, VARIANT_FALSE, &image), "AddImage");
    IShapeCollectionPtr selection;
    Check(Shape(SELECTION_ID)->get_Shapes(&selection), "selection");
    Check(selection->AddShape(line), "select");
    const std::vector<long> selected = Selected();
    ASSERT_EQ(selected, std::vector<long>{line});
    const Switches before = Read();
    EXPECT_EQ(Export("ratio.pdf"), TRUE);
    EXPECT_EQ(Selected(), selected);
    EXPECT_TRUE(Read() == before);
    long count = 0;
    Check(shapes->get_Count(&count), "Count");
    EXPECT_GE(count, 3);
}

TEST_F(PdfExport, TheStandardCallPairAndAComErrorOfTheHost)
{
    Recording recording;
    SetDllDirectoryA(RecordingDir().c_str());
    Line(0, 0, 10, 10);
    Line(0, 10, 10, 0);
    auto make = dll.Entry<StdExporterFactory>("_GetPDFExport@12");
    auto release = dll.Entry<ExporterRelease>("_ReleasePDFExporter@4");
    ASSERT_NE(make, nullptr);
    ASSERT_NE(release, nullptr);
    struct Failing {
        static void Report(void*, long value)
        {
            if (value >= 40)
                _com_issue_error(E_ABORT);
        }
    };
    const Switches before = Read();
    recording.Clear();
    Exporter* e = Create(make, control.GetInterfacePtr(), nullptr, Failing::Report);
    ASSERT_NE(e, nullptr);
    try {
        e->Export(pluginhost::Text((OutDir() + "\\aborted.pdf.part").c_str()), 0, 0);
        ADD_FAILURE() << "no exception";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), E_ABORT);
    }
    release(e);
    EXPECT_TRUE(Read() == before);
    // The engine was finalized all the same.
    const std::vector<std::string> calls = recording.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "Finalize");
}

} // namespace
