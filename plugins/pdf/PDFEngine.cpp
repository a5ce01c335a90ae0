#include "PDFEngine.h"

namespace {

enum Index {
    iInitializeEx, iInitialize, iFinalize, iFinalizeAll, iSetResult, iBeginDoc, iEndDoc, iStartPage, iStartPageEx,
    iEndPage, iStartWatermark, iStartWatermarkEx, iEndWatermark, iDrawWatermark, iSetSProp, iSetIProp, iExecCommand,
    iDrawMetafile, iDrawDIB, iDrawBMP, iDrawJPEG, iDrawBitmapFile, iDrawBitmapClone, iDC, iTextOut, iTextRect, iMoveTo,
    iLineTo, iRectangle, iHyperlink, iBookmark, iOutline, iRichEditPrint, iSetTextDefaultAttr, iSetTextAttr,
    iSetTextAttrEx, iSetPenAttr, iSetBrushAttr
};

} // namespace

const char* const CPDFEngine::kNames[CPDFEngine::kEntries] = {
    "WPDF_InitializeEx", "WPDF_Initialize", "WPDF_Finalize", "WPDF_FinalizeAll", "WPDF_SetResult", "WPDF_BeginDoc",
    "WPDF_EndDoc", "WPDF_StartPage", "WPDF_StartPageEx", "WPDF_EndPage", "WPDF_StartWatermark",
    "WPDF_StartWatermarkEx", "WPDF_EndWatermark", "WPDF_DrawWatermark", "WPDF_SetSProp", "WPDF_SetIProp",
    "WPDF_ExecCommand", "WPDF_DrawMetafile", "WPDF_DrawDIB", "WPDF_DrawBMP", "WPDF_DrawJPEG", "WPDF_DrawBitmapFile",
    "WPDF_DrawBitmapClone", "WPDF_DC", "WPDF_TextOut", "WPDF_TextRect", "WPDF_MoveTo", "WPDF_LineTo",
    "WPDF_Rectangle", "WPDF_Hyperlink", "WPDF_Bookmark", "WPDF_Outline", "WPDF_RichEditPrint",
    "WPDF_SetTextDefaultAttr", "WPDF_SetTextAttr", "WPDF_SetTextAttrEx", "WPDF_SetPenAttr", "WPDF_SetBrushAttr"};

int CPDFEngine::Load(const char* library)
{
    Unload();
    m_module = LoadLibraryA(library);
    if (!m_module)
        return noLibrary;
    for (int i = 0; i < kEntries; ++i) {
        m_entries[i] = GetProcAddress(m_module, kNames[i]);
        if (!m_entries[i] && i != iRichEditPrint) {
            FreeLibrary(m_module);
            m_module = nullptr;
            for (FARPROC& entry : m_entries)
                entry = nullptr;
            return missingEntry;
        }
    }
    m_loaded = true;
    return loaded;
}

void CPDFEngine::Unload()
{
    if (!m_module)
        return;
    Finalize();
    FreeLibrary(m_module);
    m_module = nullptr;
    m_loaded = false;
    for (FARPROC& entry : m_entries)
        entry = nullptr;
}

int CPDFEngine::Initialize()
{
    if (!m_entries[iInitialize])
        return 0;
    m_handle = Entry<WPDF_InitializeFn>(iInitialize)();
    return 1;
}

void CPDFEngine::Finalize()
{
    if (m_entries[iFinalize] && m_handle) {
        Entry<WPDF_FinalizeFn>(iFinalize)(m_handle);
        m_handle = 0;
    }
}

int CPDFEngine::BeginDoc(const char* path, int mode)
{
    return m_entries[iBeginDoc] ? Entry<WPDF_BeginDocFn>(iBeginDoc)(m_handle, path, mode) : 0;
}

int CPDFEngine::EndDoc() { return m_entries[iEndDoc] ? Entry<WPDF_EndDocFn>(iEndDoc)(m_handle) : 0; }

int CPDFEngine::StartPage() { return m_entries[iStartPage] ? Entry<WPDF_StartPageFn>(iStartPage)(m_handle) : 0; }

int CPDFEngine::EndPage() { return m_entries[iEndPage] ? Entry<WPDF_EndPageFn>(iEndPage)(m_handle) : 0; }

HDC CPDFEngine::DC()
{
    return m_entries[iDC] ? reinterpret_cast<HDC>(Entry<WPDF_DCFn>(iDC)(m_handle)) : nullptr;
}

int CPDFEngine::TextOut(int x, int y, const char* text)
{
    return m_entries[iTextOut] ? Entry<WPDF_TextOutFn>(iTextOut)(m_handle, x, y, text) : 0;
}

int CPDFEngine::MoveTo(int x, int y) { return m_entries[iMoveTo] ? Entry<WPDF_MoveToFn>(iMoveTo)(m_handle, x, y) : 0; }

int CPDFEngine::LineTo(int x, int y) { return m_entries[iLineTo] ? Entry<WPDF_LineToFn>(iLineTo)(m_handle, x, y) : 0; }

int CPDFEngine::DrawMetafile(HENHMETAFILE metafile, int x, int y, int width, int height)
{
    return m_entries[iDrawMetafile] ? Entry<WPDF_DrawMetafileFn>(iDrawMetafile)(
                                          m_handle, reinterpret_cast<intptr_t>(metafile), x, y, width, height)
                                    : 0;
}
