// wPDFControl02.dll: the PDF engine that the pdf plug-in binds at run time. A page is an
// enhanced metafile recorded on a DC whose units are the page's points (y down, the advanced
// graphics mode); ending the page walks its records into PDF operators, ending the document
// writes the file. Built twice: as the engine, and (YVEX_PDF_RECORDING) as a recording build for
// tests that also keeps a log of the calls it answered, one line each, read through
// WPDF_RecordedCalls.
#include <windows.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "PdfDocument.h"
#include "PdfEngine.h"
#include "PdfPage.h"

namespace {

struct Engine {
    std::FILE* file = nullptr;
    HDC page = nullptr;
    std::unique_ptr<wpdf::CPdfDocument> document;
};

Engine* Of(intptr_t handle) { return reinterpret_cast<Engine*>(handle); }

#ifdef YVEX_PDF_RECORDING
std::string g_log;
void Log(const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    g_log += line;
    g_log += '\n';
}
#define RECORD(...) Log(__VA_ARGS__)
#else
#define RECORD(...) ((void)0)
#endif

void ClosePage(Engine* engine, bool keep)
{
    if (!engine->page)
        return;
    HENHMETAFILE recorded = CloseEnhMetaFile(engine->page);
    engine->page = nullptr;
    if (!recorded)
        return;
    if (keep && engine->document) {
        const UINT size = GetEnhMetaFileBits(recorded, 0, nullptr);
        std::vector<uint8_t> bits(size);
        if (size && GetEnhMetaFileBits(recorded, size, bits.data()) == size) {
            wpdf::CPdfPage page;
            page.Convert(bits.data(), bits.size(), wpdf::kPageHeight);
            engine->document->AddPage(page);
        }
    }
    DeleteEnhMetaFile(recorded);
}

} // namespace

extern "C" {

__declspec(dllexport) intptr_t WPDF_API WPDF_Initialize()
{
    RECORD("Initialize");
    return reinterpret_cast<intptr_t>(new (std::nothrow) Engine());
}

__declspec(dllexport) void WPDF_API WPDF_Finalize(intptr_t handle)
{
    RECORD("Finalize");
    Engine* engine = Of(handle);
    if (!engine)
        return;
    ClosePage(engine, false);
    if (engine->file)
        std::fclose(engine->file);
    delete engine;
}

__declspec(dllexport) int WPDF_API WPDF_BeginDoc(intptr_t handle, const char* path, int mode)
{
    RECORD("BeginDoc %s %d", path ? path : "(null)", mode);
    Engine* engine = Of(handle);
    if (!engine || !path || engine->file)
        return 0;
    engine->file = std::fopen(path, "wb");
    if (!engine->file)
        return 0;
    engine->document.reset(new wpdf::CPdfDocument(wpdf::kPageWidth, wpdf::kPageHeight));
    return 1;
}

__declspec(dllexport) int WPDF_API WPDF_EndDoc(intptr_t handle)
{
    RECORD("EndDoc");
    Engine* engine = Of(handle);
    if (!engine || !engine->file || !engine->document)
        return 0;
    ClosePage(engine, true);
    const std::string bytes = engine->document->Write();
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), engine->file) == bytes.size();
    const bool closed = std::fclose(engine->file) == 0;
    engine->file = nullptr;
    engine->document.reset();
    return written && closed ? 1 : 0;
}

__declspec(dllexport) int WPDF_API WPDF_StartPage(intptr_t handle)
{
    RECORD("StartPage");
    Engine* engine = Of(handle);
    if (!engine || !engine->document)
        return 0;
    ClosePage(engine, true);
    // The frame of A4 in 0.01 mm; the DC's logical units are taken as points.
    const RECT frame = {0, 0, 21000, 29700};
    engine->page = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
    if (!engine->page)
        return 0;
    SetGraphicsMode(engine->page, GM_ADVANCED);
    return 1;
}

__declspec(dllexport) int WPDF_API WPDF_EndPage(intptr_t handle)
{
    RECORD("EndPage");
    Engine* engine = Of(handle);
    if (!engine || !engine->page)
        return 0;
    ClosePage(engine, true);
    return 1;
}

__declspec(dllexport) intptr_t WPDF_API WPDF_DC(intptr_t handle)
{
    RECORD("DC");
    Engine* engine = Of(handle);
    return engine ? reinterpret_cast<intptr_t>(engine->page) : 0;
}

__declspec(dllexport) int WPDF_API WPDF_TextOut(intptr_t handle, int x, int y, const char* text)
{
    RECORD("TextOut %d %d %s", x, y, text ? text : "");
    Engine* engine = Of(handle);
    if (!engine || !engine->page || !text)
        return 0;
    return TextOutA(engine->page, x, y, text, static_cast<int>(std::strlen(text)));
}

__declspec(dllexport) int WPDF_API WPDF_MoveTo(intptr_t handle, int x, int y)
{
    RECORD("MoveTo %d %d", x, y);
    Engine* engine = Of(handle);
    return engine && engine->page ? MoveToEx(engine->page, x, y, nullptr) : 0;
}

__declspec(dllexport) int WPDF_API WPDF_LineTo(intptr_t handle, int x, int y)
{
    RECORD("LineTo %d %d", x, y);
    Engine* engine = Of(handle);
    return engine && engine->page ? LineTo(engine->page, x, y) : 0;
}

__declspec(dllexport) int WPDF_API WPDF_DrawMetafile(intptr_t handle, intptr_t metafile, int x, int y, int width,
                                                     int height)
{
    RECORD("DrawMetafile %d %d %d %d", x, y, width, height);
    Engine* engine = Of(handle);
    if (!engine || !engine->page || !metafile)
        return 0;
    const RECT place = {x, y, x + width, y + height};
    return PlayEnhMetaFile(engine->page, reinterpret_cast<HENHMETAFILE>(metafile), &place);
}

#ifdef YVEX_PDF_RECORDING
// The calls answered since the library was loaded, one a line.
__declspec(dllexport) const char* WPDF_API WPDF_RecordedCalls() { return g_log.c_str(); }
__declspec(dllexport) void WPDF_API WPDF_ClearRecordedCalls() { g_log.clear(); }
#endif

// The rest of the engine's contract: bound by name, never called by the plug-in; each fails.
#define WPDF_NOT_IMPLEMENTED(name) \
    __declspec(dllexport) int WPDF_API name() { return 0; }
WPDF_NOT_IMPLEMENTED(WPDF_InitializeEx)
WPDF_NOT_IMPLEMENTED(WPDF_FinalizeAll)
WPDF_NOT_IMPLEMENTED(WPDF_SetResult)
WPDF_NOT_IMPLEMENTED(WPDF_StartPageEx)
WPDF_NOT_IMPLEMENTED(WPDF_StartWatermark)
WPDF_NOT_IMPLEMENTED(WPDF_StartWatermarkEx)
WPDF_NOT_IMPLEMENTED(WPDF_EndWatermark)
WPDF_NOT_IMPLEMENTED(WPDF_DrawWatermark)
WPDF_NOT_IMPLEMENTED(WPDF_SetSProp)
WPDF_NOT_IMPLEMENTED(WPDF_SetIProp)
WPDF_NOT_IMPLEMENTED(WPDF_ExecCommand)
WPDF_NOT_IMPLEMENTED(WPDF_DrawDIB)
WPDF_NOT_IMPLEMENTED(WPDF_DrawBMP)
WPDF_NOT_IMPLEMENTED(WPDF_DrawJPEG)
WPDF_NOT_IMPLEMENTED(WPDF_DrawBitmapFile)
WPDF_NOT_IMPLEMENTED(WPDF_DrawBitmapClone)
WPDF_NOT_IMPLEMENTED(WPDF_TextRect)
WPDF_NOT_IMPLEMENTED(WPDF_Rectangle)
WPDF_NOT_IMPLEMENTED(WPDF_Hyperlink)
WPDF_NOT_IMPLEMENTED(WPDF_Bookmark)
WPDF_NOT_IMPLEMENTED(WPDF_Outline)
WPDF_NOT_IMPLEMENTED(WPDF_SetTextDefaultAttr)
WPDF_NOT_IMPLEMENTED(WPDF_SetTextAttr)
WPDF_NOT_IMPLEMENTED(WPDF_SetTextAttrEx)
WPDF_NOT_IMPLEMENTED(WPDF_SetPenAttr)
WPDF_NOT_IMPLEMENTED(WPDF_SetBrushAttr)

} // extern "C"
