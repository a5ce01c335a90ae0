#pragma once
// Placing the drawing's texts as DGN text elements: the length of a text line from its height,
// width factor and font, and the origin a DGN text element expects for each of the control's
// nine alignments.
#include "afx/String.h"

// The width of text in fontName over its width in "Courier new" at the same height; 1.0 when
// it cannot be measured. GDI measures it on the main window's device context (no main window:
// 1.0); tests put their own measure in its place.
using TextWidthRatio = double (*)(const CString& text, const CString& fontName);
double MeasureTextWidthRatio(const CString& text, const CString& fontName);
// Replaces the measure (null: GDI again); answers the previous one.
TextWidthRatio SetTextWidthRatio(TextWidthRatio measure);
// The ratio by the measure in place (the one set, else GDI's).
double TextWidthRatioOf(const CString& text, const CString& fontName);

// The DGN length of a text line. A zero height takes the length hint (in the control's units),
// a zero width factor, a length hint or an empty text a length from the height alone; otherwise
// width factor x font ratio x height, the ratio measured only for faces other than
// "Courier new".
double EstimateTextWidth(double lengthHint, double height, const CString& text, float widthFactor, CString fontName);

// Moves (x, y) from the control's alignment point of a text of the given height and width,
// turned by angle (radians), to the origin of a DGN text element. Always true.
bool AlignTextOrigin(double point[2], int alignment, double height, double width, double angle);
