#pragma once
#include <windows.h>

// Paints the rectangle (logical units of the context) with an 8 x 8 monochrome pattern in the
// colour, leaving the pixels under the pattern's other bits as they are. Kind 1 (and any unknown
// kind) is a checkerboard, kind 2 a lighter dot pattern, kind 3 the caller's eight rows (one word
// each, the low byte used) when given.
void PatternFillRect(HDC dc, const RECT& rect, COLORREF colour, int kind, const WORD* rows);
