#include "fonts/Font.h"

#include "DgnStringFunctions.h"
#include "Geometry.h"
#include "linkages/TextStyleLinkage.h"
#include "platform/Platform.h"

#include <cmath>

namespace dgn {

namespace {

const int kGridOfCode[16] = {6, 3, 0, 0, 0, 0, 7, 4, 1, 0, 0, 0, 8, 5, 2, 0};

struct GridFactors {
    double a, b, c, d;
};

const GridFactors kGrid[21] = {
    {0.0, 1.0, 0.0, 0.0},  {-0.5, 1.0, 0.0, 0.0}, {-1.0, 1.0, 0.0, 0.0}, {0.0, 0.6, 0.0, 0.0},   {-0.5, 0.6, 0.0, 0.0},
    {-1.0, 0.6, 0.0, 0.0}, {0.0, 0.0, 0.0, 0.0},  {-0.5, 0.0, 0.0, 0.0}, {-1.0, 0.0, 0.0, 0.0},  {0.0, 0.6, 0.2, 0.0},
    {-1.0, 0.6, -0.2, 0.0}, {0.0, 1.0, 0.2, 0.25}, {0.0, 1.0, 0.0, 0.25}, {-0.5, 1.0, 0.0, 0.25}, {-1.0, 1.0, 0.0, 0.25},
    {-1.0, 1.0, -0.2, 0.25}, {0.0, 0.0, 0.2, -0.2}, {0.0, 0.0, 0.0, -0.2}, {-0.5, 0.0, 0.0, -0.2}, {-1.0, 0.0, 0.0, -0.2},
    {-1.0, 0.0, -0.2, -0.2},
};

const GridFactors& Factors(int p) { return kGrid[p >= 0 && p < 21 ? p : 0]; }

} // namespace

int JustificationToGridIndex(int code) { return code >= 0 && code < 16 ? kGridOfCode[code] : 0; }

CFont::~CFont() = default;

void CFont::Release()
{
    if (--m_references <= 0)
        delete this;
}

Point2d CFont::JustificationOffset(double w, double h, int to, int from)
{
    const GridFactors& t = Factors(to);
    const GridFactors& f = Factors(from);
    return Point2d{w * t.a + h * t.c - w * f.a - h * f.c, h * t.b + h * t.d - h * f.b - h * f.d};
}

int CFont::JustificationOf(std::uint16_t code) const { return m_vertical ? 6 : JustificationToGridIndex(code); }

Point2d CFont::JustifiedOrigin2d(const TextParams2d* placement, double w, double h, int to) const
{
    Point2d offset = JustificationOffset(w, h, JustificationOf(placement->justification), to);
    RotateVector2d(placement->angle, offset.x, offset.y);
    return Point2d{placement->origin.x + offset.x, placement->origin.y + offset.y};
}

Point3d CFont::JustifiedOrigin3d(const TextParams3d* placement, double w, double h, int to) const
{
    const Point2d offset = JustificationOffset(w, h, JustificationOf(placement->justification), to);
    double m[16];
    QuaternionToMatrix(placement->q, m);
    Point3d p = {offset.x, offset.y, 0.0};
    TransformPoint3d(m, p);
    return Point3d{placement->origin.x + p.x, placement->origin.y + p.y, placement->origin.z + p.z};
}

void CFont::TextBox2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text, Point2d corners[4])
{
    const double w = Width2d(sink, placement, text);
    const int positions[4] = {0, 2, 8, 6};
    for (int i = 0; i < 4; ++i)
        corners[i] = JustifiedOrigin2d(placement, w, placement->height, positions[i]);
}

void CFont::TextBox3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text, Point3d corners[4])
{
    const double w = Width3d(sink, placement, text);
    const int positions[4] = {0, 2, 8, 6};
    for (int i = 0; i < 4; ++i)
        corners[i] = JustifiedOrigin3d(placement, w, placement->height, positions[i]);
}

std::u16string CFont::Characters(const std::uint8_t* text)
{
    std::u16string out;
    if (!text)
        return out;
    const char* s = reinterpret_cast<const char*>(text);
    if (IsWideDgnString(s)) {
        const char* w = SkipDgnStringMarker(s);
        for (std::size_t i = 0; char16_t unit = Utf16UnitAt(w, i); ++i)
            out.push_back(unit);
        return out;
    }
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(SkipDgnStringMarker(s)); *p; ++p)
        out.push_back(*p);
    return out;
}

std::string CFont::AnsiCharacters(const std::uint8_t* text)
{
    const char* s = text ? reinterpret_cast<const char*>(text) : "";
    if (!IsWideDgnString(s))
        return SkipDgnStringMarker(s);
    const std::u16string wide = Characters(text);
    std::string out(2 * wide.size() + 1, '\0');
    const int n = Utf16ToAnsi(wide.data(), static_cast<int>(wide.size()), &out[0], static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

void CFont::TakeStyleSpacing(const CTextStyleLinkage* style)
{
    if (!style)
        return;
    const TextStyleData* data = const_cast<CTextStyleLinkage*>(style)->GetData();
    if (data && (data->flags & 1))
        m_spacing = data->size;
}

} // namespace dgn
