#pragma once
// CPDFEngine: the binding to the outside PDF engine library (wPDFControl02.dll): loaded by name
// at run time, every entry of its contract looked up by name (the binding refuses a library that
// lacks a required one), the engine's handle kept between initialize and finalize. Unloading
// finalizes first; the destructor unloads, so the engine ends on every way out of an export.
#include <windows.h>
#include <cstdint>
#include "pdfengine/PdfEngine.h"

class CPDFEngine
{
public:
    enum LoadResult { loaded = 0, noLibrary = 1, missingEntry = 2 };

    CPDFEngine() = default;
    ~CPDFEngine() { Unload(); }
    CPDFEngine(const CPDFEngine&) = delete;
    CPDFEngine& operator=(const CPDFEngine&) = delete;

    int Load(const char* library);
    void Unload();
    bool IsLoaded() const { return m_loaded; }
    // 1 with a handle from WPDF_Initialize, 0 when the entry is not bound.
    int Initialize();
    void Finalize();

    // The entries the export calls, with the engine's handle first; 0 when not bound.
    int BeginDoc(const char* path, int mode);
    int EndDoc();
    int StartPage();
    int EndPage();
    HDC DC();
    int TextOut(int x, int y, const char* text);
    int MoveTo(int x, int y);
    int LineTo(int x, int y);
    int DrawMetafile(HENHMETAFILE metafile, int x, int y, int width, int height);

    // The entries of the contract in the binding's order; all but WPDF_RichEditPrint required.
    static const int kEntries = 38;
    static const char* const kNames[kEntries];

private:
    template <class F>
    F Entry(int index) const
    {
        return reinterpret_cast<F>(reinterpret_cast<void*>(m_entries[index]));
    }

    FARPROC m_entries[kEntries] = {};
    intptr_t m_handle = 0;
    HMODULE m_module = nullptr;
    bool m_loaded = false;
};
