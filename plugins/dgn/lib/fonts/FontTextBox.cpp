#include "fonts/FontTextBox.h"

#include "DesignFile.h"
#include "DgnStringFunctions.h"
#include "Geometry.h"
#include "fonts/Font.h"

namespace dgn {

namespace {

// Without a design file no font measures the text: characters are taken 0.6 of the height
// wide, as a stroke font's capitals are.
constexpr double kFallbackWidthPerHeight = 0.6;

// The text's font: wide text and text marked for TrueType take the TrueType fallback.
CFont* FontOf(CDesignFile* file, std::uint32_t fontNumber, const std::uint8_t* text)
{
    if (!file)
        return nullptr;
    const char* s = reinterpret_cast<const char*>(text);
    const bool trueType = s && (IsWideDgnString(s) || HasFFFEMarker(s));
    return trueType ? file->LoadFontWithFallback(static_cast<int>(fontNumber)) : file->LoadFont(static_cast<int>(fontNumber));
}

double FallbackWidth(const std::uint8_t* text, double height)
{
    const char* s = reinterpret_cast<const char*>(text);
    if (!s)
        return 0.0;
    const std::size_t characters = IsWideDgnString(s) ? (DgnStringByteLength(s) - 4) / 2 : StrLenA(SkipDgnStringMarker(s));
    return characters * height * kFallbackWidthPerHeight;
}

} // namespace

bool FontTextBox2d(CDesignFile* file, IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text, Point2d corners[4])
{
    if (!placement)
        return false;
    if (CFont* font = FontOf(file, placement->fontNumber, text)) {
        font->TextBox2d(sink, placement, text, corners);
        font->Release();
        return true;
    }
    const double w = FallbackWidth(text, placement->height);
    const int from = JustificationToGridIndex(placement->justification);
    const int positions[4] = {0, 2, 8, 6};
    for (int i = 0; i < 4; ++i) {
        Point2d offset = CFont::JustificationOffset(w, placement->height, from, positions[i]);
        RotateVector2d(placement->angle, offset.x, offset.y);
        corners[i] = Point2d{placement->origin.x + offset.x, placement->origin.y + offset.y};
    }
    return true;
}

bool FontTextBox3d(CDesignFile* file, IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text, Point3d corners[4])
{
    if (!placement)
        return false;
    if (CFont* font = FontOf(file, placement->fontNumber, text)) {
        font->TextBox3d(sink, placement, text, corners);
        font->Release();
        return true;
    }
    const double w = FallbackWidth(text, placement->height);
    const int from = JustificationToGridIndex(placement->justification);
    const int positions[4] = {0, 2, 8, 6};
    double m[16];
    QuaternionToMatrix(placement->q, m);
    for (int i = 0; i < 4; ++i) {
        const Point2d offset = CFont::JustificationOffset(w, placement->height, from, positions[i]);
        Point3d p = {offset.x, offset.y, 0.0};
        TransformPoint3d(m, p);
        corners[i] = Point3d{placement->origin.x + p.x, placement->origin.y + p.y, placement->origin.z + p.z};
    }
    return true;
}

} // namespace dgn
