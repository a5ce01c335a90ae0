#pragma once
// The PDF engine's calling contract: the entries that a program binds by name from
// wPDFControl02.dll (LoadLibrary and GetProcAddress), with the engine's handle as an intptr_t,
// narrow (Windows-1252) paths and texts, and int coordinates in points of the page, y down.
//
// A program initializes the engine, opens a document on a file, starts a page, draws on the
// page's device context (WPDF_DC) with GDI and through the engine's own calls, ends the page
// and the document, and finalizes the engine:
//
//     intptr_t pdf = WPDF_Initialize();
//     if (WPDF_BeginDoc(pdf, "out.pdf", 0)) {
//         WPDF_StartPage(pdf);
//         HDC dc = reinterpret_cast<HDC>(WPDF_DC(pdf));
//         Rectangle(dc, 50, 50, 200, 100);
//         WPDF_TextOut(pdf, 60, 60, "A4 at 595.2756 x 841.8898 points");
//         WPDF_EndPage(pdf);
//         WPDF_EndDoc(pdf);
//     }
//     WPDF_Finalize(pdf);
//
// Every entry is stdcall and exported under its plain name. The library also exports the other
// entries of the engine's contract, which this engine does not implement: they answer 0.
#include <windows.h>
#include <cstdint>

#define WPDF_API __stdcall

extern "C" {
typedef intptr_t(WPDF_API* WPDF_InitializeFn)();
typedef void(WPDF_API* WPDF_FinalizeFn)(intptr_t engine);
// Non-zero when the file was created; mode 0 (the only one).
typedef int(WPDF_API* WPDF_BeginDocFn)(intptr_t engine, const char* path, int mode);
typedef int(WPDF_API* WPDF_EndDocFn)(intptr_t engine);
typedef int(WPDF_API* WPDF_StartPageFn)(intptr_t engine);
typedef int(WPDF_API* WPDF_EndPageFn)(intptr_t engine);
// The page's device context (an HDC), 0 outside a page.
typedef intptr_t(WPDF_API* WPDF_DCFn)(intptr_t engine);
// Text at (x, y): the top left corner of its first character, as TextOut places it.
typedef int(WPDF_API* WPDF_TextOutFn)(intptr_t engine, int x, int y, const char* text);
typedef int(WPDF_API* WPDF_MoveToFn)(intptr_t engine, int x, int y);
typedef int(WPDF_API* WPDF_LineToFn)(intptr_t engine, int x, int y);
// An enhanced metafile (HENHMETAFILE) played into the rectangle; the caller keeps the metafile.
typedef int(WPDF_API* WPDF_DrawMetafileFn)(intptr_t engine, intptr_t metafile, int x, int y, int width, int height);
}

namespace wpdf {
// A4 in points.
constexpr double kPageWidth = 595.2756;
constexpr double kPageHeight = 841.8898;
} // namespace wpdf
