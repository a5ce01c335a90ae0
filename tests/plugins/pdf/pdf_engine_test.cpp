// The PDF engine stand-in on its own, as a program binds it: wPDFControl02.dll loaded from the
// plug-ins' folder, its entries found by name, a page drawn through its DC and its own calls
// into pdf_out/engine.pdf (which check_pdf_exports.py hands to qpdf, pdfinfo, pdftotext and
// pdftoppm).
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <olectl.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "platform/pdfengine/PdfEngine.h"
#include "tests/support/PluginTestFiles.h"
#include "tests/support/TestPaths.h"

namespace {

std::string OutDir() { return WinPath("YVEX_BINARY_DIR", "tests/plugins/pdf/pdf_out"); }

struct Engine {
    HMODULE module = LoadLibraryA(WinPath("YVEX_BINARY_DIR", "plugins/wPDFControl02.dll").c_str());
    ~Engine()
    {
        if (module)
            FreeLibrary(module);
    }
    template <class F>
    F Get(const char* name) const
    {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

using plugintest::FileBytes;

// A 64 x 32 JPEG of two colours, red left and blue right, written by GDI+.
std::vector<BYTE> TwoColourJpeg()
{
    const std::string path = OutDir() + "\\two_colours.jpg";
    plugintest::WritePicture(std::wstring(path.begin(), path.end()), L"image/jpeg", 64, 32, Gdiplus::Color(255, 0, 0),
                             Gdiplus::Color(0, 0, 255));
    return FileBytes(path);
}

TEST(PdfEngine, ExportsEveryEntryOfTheContract)
{
    Engine engine;
    ASSERT_NE(engine.module, nullptr);
    const char* const names[] = {"WPDF_InitializeEx", "WPDF_Initialize", "WPDF_Finalize", "WPDF_FinalizeAll",
                                 "WPDF_SetResult", "WPDF_BeginDoc", "WPDF_EndDoc", "WPDF_StartPage", "WPDF_StartPageEx",
                                 "WPDF_EndPage", "WPDF_StartWatermark", "WPDF_StartWatermarkEx", "WPDF_EndWatermark",
                                 "WPDF_DrawWatermark", "WPDF_SetSProp", "WPDF_SetIProp", "WPDF_ExecCommand",
                                 "WPDF_DrawMetafile", "WPDF_DrawDIB", "WPDF_DrawBMP", "WPDF_DrawJPEG",
                                 "WPDF_DrawBitmapFile", "WPDF_DrawBitmapClone", "WPDF_DC", "WPDF_TextOut",
                                 "WPDF_TextRect", "WPDF_MoveTo", "WPDF_LineTo", "WPDF_Rectangle", "WPDF_Hyperlink",
                                 "WPDF_Bookmark", "WPDF_Outline", "WPDF_SetTextDefaultAttr", "WPDF_SetTextAttr",
                                 "WPDF_SetTextAttrEx", "WPDF_SetPenAttr", "WPDF_SetBrushAttr"};
    for (const char* name : names)
        EXPECT_NE(GetProcAddress(engine.module, name), nullptr) << name;
}

TEST(PdfEngine, AFileThatCannotBeCreated)
{
    Engine engine;
    auto init = engine.Get<WPDF_InitializeFn>("WPDF_Initialize");
    auto begin = engine.Get<WPDF_BeginDocFn>("WPDF_BeginDoc");
    auto finalize = engine.Get<WPDF_FinalizeFn>("WPDF_Finalize");
    const intptr_t pdf = init();
    ASSERT_NE(pdf, 0);
    EXPECT_EQ(begin(pdf, (OutDir() + "\\no such folder\\x.pdf").c_str(), 0), 0);
    finalize(pdf);
}

TEST(PdfEngine, APageOfEveryKindOfDrawing)
{
    CreateDirectoryA(OutDir().c_str(), nullptr);
    Engine engine;
    auto init = engine.Get<WPDF_InitializeFn>("WPDF_Initialize");
    auto finalize = engine.Get<WPDF_FinalizeFn>("WPDF_Finalize");
    auto begin = engine.Get<WPDF_BeginDocFn>("WPDF_BeginDoc");
    auto end = engine.Get<WPDF_EndDocFn>("WPDF_EndDoc");
    auto start = engine.Get<WPDF_StartPageFn>("WPDF_StartPage");
    auto endPage = engine.Get<WPDF_EndPageFn>("WPDF_EndPage");
    auto getDC = engine.Get<WPDF_DCFn>("WPDF_DC");
    auto text = engine.Get<WPDF_TextOutFn>("WPDF_TextOut");
    auto moveTo = engine.Get<WPDF_MoveToFn>("WPDF_MoveTo");
    auto lineTo = engine.Get<WPDF_LineToFn>("WPDF_LineTo");
    auto metafile = engine.Get<WPDF_DrawMetafileFn>("WPDF_DrawMetafile");
    const intptr_t pdf = init();
    ASSERT_EQ(begin(pdf, (OutDir() + "\\engine.pdf").c_str(), 0), 1);
    ASSERT_EQ(start(pdf), 1);
    HDC dc = reinterpret_cast<HDC>(getDC(pdf));
    ASSERT_NE(dc, nullptr);

    // Lines through the engine and through the DC.
    moveTo(pdf, 50, 50);
    lineTo(pdf, 300, 50);
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, RGB(0, 0, 255));
    MoveToEx(dc, 50, 60, nullptr);
    LineTo(dc, 300, 60);

    // A hatched polygon: red horizontal lines over white, outlined in blue (100..200, 100..200).
    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(255, 0, 0));
    HGDIOBJ oldBrush = SelectObject(dc, hatch);
    const POINT square[] = {{100, 100}, {200, 100}, {200, 200}, {100, 200}};
    BeginPath(dc);
    Polyline(dc, square, 4);
    CloseFigure(dc);
    EndPath(dc);
    StrokeAndFillPath(dc);
    SelectObject(dc, oldBrush);
    DeleteObject(hatch);

    // A solid green ellipse (300..400 x 100..150) and an arc under a world transform.
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc, RGB(0, 160, 0));
    Ellipse(dc, 300, 100, 400, 150);
    const int saved = SaveDC(dc);
    XFORM shift = {0.1f, 0, 0, 0.1f, 150, 400};
    SetWorldTransform(dc, &shift);
    SetArcDirection(dc, AD_COUNTERCLOCKWISE);
    // The upper right quarter of a circle of radius 50 about (150, 400).
    Arc(dc, -500, -500, 500, 500, 500, 0, 0, -500);
    RestoreDC(dc, saved);

    // A rotated text and a plain one.
    LOGFONTA font = {};
    font.lfHeight = -20;
    font.lfEscapement = font.lfOrientation = 900;
    lstrcpyA(font.lfFaceName, "Arial");
    HFONT rotated = CreateFontIndirectA(&font);
    HGDIOBJ oldFont = SelectObject(dc, rotated);
    SetTextColor(dc, RGB(0, 0, 0));
    text(pdf, 450, 400, "Upwards");
    font.lfEscapement = font.lfOrientation = 0;
    HFONT plain = CreateFontIndirectA(&font);
    SelectObject(dc, plain);
    text(pdf, 100, 300, "Hello (PDF) \\ A4");
    SelectObject(dc, oldFont);
    DeleteObject(rotated);
    DeleteObject(plain);

    // A picture through an OLE picture of a JPEG (100..164 x 500..532).
    const std::vector<BYTE> jpeg = TwoColourJpeg();
    ASSERT_FALSE(jpeg.empty());
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, jpeg.size());
    std::memcpy(GlobalLock(memory), jpeg.data(), jpeg.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(memory, TRUE, &stream), S_OK);
    IPicture* picture = nullptr;
    ASSERT_EQ(OleLoadPicture(stream, static_cast<LONG>(jpeg.size()), FALSE, IID_IPicture,
                             reinterpret_cast<void**>(&picture)),
              S_OK);
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    EXPECT_EQ(picture->Render(dc, 100, 500, 64, 32, 0, h, w, -h, nullptr), S_OK);
    picture->Release();
    stream->Release();

    // A metafile placed by the engine: a filled magenta rectangle (400..500 x 500..550).
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    const RECT box = {0, 0, 200, 100};
    FillRect(recorder, &box, magenta);
    DeleteObject(magenta);
    HENHMETAFILE emf = CloseEnhMetaFile(recorder);
    EXPECT_NE(metafile(pdf, reinterpret_cast<intptr_t>(emf), 400, 500, 100, 50), 0);
    DeleteEnhMetaFile(emf);

    EXPECT_EQ(endPage(pdf), 1);
    EXPECT_EQ(end(pdf), 1);
    finalize(pdf);
}

} // namespace
