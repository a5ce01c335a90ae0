#include "TextPlacement.h"
#include <windows.h>
#include <cmath>
#include "afx/ModuleState.h"
#include "afx/Wnd.h"

namespace {

// The faces compared with: the one the DGN text widths are given in, and the length factors
// of the three ways a length is found.
const char kReferenceFace[] = "Courier new";
const double kPerHintUnit = 166.66666666666666;
const double kPerHeightUnmeasured = 134.33333333333334;
const double kPerHeightMeasured = 151.66666666666666;

TextWidthRatio g_measure = nullptr;

HFONT MakeFont(const char* face)
{
    return CreateFontA(100, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

} // namespace

double MeasureTextWidthRatio(const CString& text, const CString& fontName)
{
    const HWND window = AfxSafeHwnd(AfxGetMainWnd());
    if (!window)
        return 1.0;
    const HDC dc = GetDC(window);
    if (!dc)
        return 1.0;
    const HFONT reference = MakeFont(kReferenceFace);
    const HFONT named = MakeFont(fontName.GetString());
    SIZE referenceSize = {0, 0};
    SIZE namedSize = {0, 0};
    const int length = text.GetLength();
    const HGDIOBJ previous = SelectObject(dc, reference);
    GetTextExtentPoint32A(dc, text.GetString(), length, &referenceSize);
    SelectObject(dc, named);
    GetTextExtentPoint32A(dc, text.GetString(), length, &namedSize);
    SelectObject(dc, previous);
    DeleteObject(reference);
    DeleteObject(named);
    ReleaseDC(window, dc);
    if (referenceSize.cx == 0)
        return 1.0;
    return static_cast<double>(namedSize.cx) / static_cast<double>(referenceSize.cx);
}

TextWidthRatio SetTextWidthRatio(TextWidthRatio measure)
{
    const TextWidthRatio previous = g_measure;
    g_measure = measure;
    return previous;
}

double TextWidthRatioOf(const CString& text, const CString& fontName)
{
    return (g_measure ? g_measure : MeasureTextWidthRatio)(text, fontName);
}

double EstimateTextWidth(double lengthHint, double height, const CString& text, float widthFactor, CString fontName)
{
    if (height == 0)
        return lengthHint * kPerHintUnit;
    if (widthFactor == 0 || lengthHint != 0 || text.IsEmpty())
        return height * kPerHeightUnmeasured;
    double ratio = 1.0;
    if (!fontName.IsEmpty() && lstrcmpiA(fontName.GetString(), kReferenceFace) != 0)
        ratio = TextWidthRatioOf(text, fontName);
    return static_cast<double>(widthFactor) * ratio * height * kPerHeightMeasured;
}

bool AlignTextOrigin(double point[2], int alignment, double height, double width, double angle)
{
    // How far the origin moves: A heights across the baseline, B widths along it.
    double a = 1.0;
    double b = 0;
    switch (alignment) {
    case 0: a = 1.3; b = 0; break;           // top left
    case 6: a = 1.3; b = 0.5; break;         // top centre
    case 2: a = 1.3; b = 1; break;           // top right
    case 65536: a = 0.5; b = 0; break;       // middle left
    case 65542: a = 0.5; b = 0.5; break;     // middle centre
    case 65538: a = 0.5; b = 1; break;       // middle right
    case 8: a = -0.35; b = 0; break;         // bottom left
    case 14: a = -0.35; b = 0.5; break;      // bottom centre
    case 10: a = -0.35; b = 1; break;        // bottom right
    default: break;
    }
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    // Every alignment also moves 0.15 heights along the baseline.
    point[0] = point[0] + a * height * s - b * width * c + 0.15 * height * c;
    point[1] = point[1] - a * height * c - b * width * s - 0.15 * height * s;
    return true;
}
