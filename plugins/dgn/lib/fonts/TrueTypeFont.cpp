#include "fonts/TrueTypeFont.h"

#include "DgnStringFunctions.h"
#include "Geometry.h"
#include "GeometrySink.h"
#include "ValueEncodings.h"
#include "platform/Platform.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

namespace {

// GDI fonts are 1.44 times the text height in pixels; the text box is 1.165 times as high.
constexpr double kPixelHeightFactor = 1.44;
constexpr double kBoxHeightFactor = 1.165;
constexpr double kWidthPerHeight = 0.2;

std::int32_t TenthsOfDegrees(double radians) { return static_cast<std::int32_t>(RadiansToDegrees(radians) * 10.0); }

} // namespace

CTrueTypeFont* CTrueTypeFont::Create(const char16_t* faceName)
{
    const std::size_t n = faceName ? StrLenW(faceName) : 0;
    CTrueTypeFont* f = new (std::nothrow) CTrueTypeFont;
    if (!f)
        return nullptr;
    f->m_face = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
    if (!f->m_face) {
        delete f;
        return nullptr;
    }
    if (n)
        std::memcpy(f->m_face, faceName, n * sizeof(char16_t));
    f->m_face[n] = 0;
    f->m_references = 1;
    return f;
}

CTrueTypeFont::~CTrueTypeFont()
{
    DeleteTrueTypeFont(m_gdiFont);
    std::free(m_face);
}

void* CTrueTypeFont::PrepareGdiFont(std::int32_t height, std::int32_t angle)
{
    if (height < 2)
        height = 2;
    // Angles go round: -30 degrees is 330.
    angle %= 3600;
    if (angle < 0)
        angle += 3600;
    if (m_gdiFont && height == m_gdiHeight && angle == m_gdiAngle)
        return m_gdiFont;
    DeleteTrueTypeFont(m_gdiFont);
    m_gdiHeight = height;
    m_gdiAngle = angle;
    m_gdiFont = CreateTrueTypeFont(m_face, height, angle);
    return m_gdiFont;
}

double CTrueTypeFont::Width(IGeometrySink* sink, double height, double angle, const std::uint8_t* text)
{
    if (height == 0.0)
        return 0.0;
    const std::u16string characters = Characters(text);
    void* dc = sink && sink->Kind() == 1 ? sink->DeviceContext() : nullptr;
    const double scale = sink ? sink->UnitsPerPixel() : 1.0;
    double extent = 0;
    if (dc && scale > 0.0 &&
        MeasureTrueTypeText(dc, PrepareGdiFont(static_cast<std::int32_t>(height * kPixelHeightFactor / scale), TenthsOfDegrees(angle)),
                            characters.data(), static_cast<std::int32_t>(characters.size()), &extent)) {
        if (m_spacing != 0.0 && !m_vertical)
            extent += characters.size() * m_spacing;
        return extent * scale;
    }
    return characters.size() * height * kWidthPerHeight;
}

double CTrueTypeFont::Width2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text)
{
    return placement ? Width(sink, placement->height, placement->angle, text) : 0.0;
}

double CTrueTypeFont::Width3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text)
{
    return placement ? Width(sink, placement->height, 0.0, text) : 0.0;
}

void CTrueTypeFont::Draw2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text)
{
    void* dc = sink && placement && sink->Kind() == 1 ? sink->DeviceContext() : nullptr;
    const double scale = dc ? sink->UnitsPerPixel() : 0.0;
    if (!dc || scale <= 0.0 || placement->height == 0.0)
        return;
    const std::u16string characters = Characters(text);
    const double w = Width2d(sink, placement, text);
    // GDI places a text by its top left corner.
    Point2d offset = JustificationOffset(w, placement->height * kBoxHeightFactor, JustificationOf(placement->justification), 6);
    RotateVector2d(placement->angle, offset.x, offset.y);
    const Point2d origin = {placement->origin.x + offset.x, placement->origin.y + offset.y};
    Point2d device;
    if (!sink->ToDevice(origin, &device))
        return;
    void* font = PrepareGdiFont(static_cast<std::int32_t>(placement->height * kPixelHeightFactor / scale), TenthsOfDegrees(placement->angle));
    if (!m_vertical) {
        DrawTrueTypeText(dc, font, static_cast<std::int32_t>(device.x), static_cast<std::int32_t>(device.y), characters.data(),
                         static_cast<std::int32_t>(characters.size()));
        return;
    }
    // One character under the other, the pen moving down by the text height.
    const double step = placement->height / scale;
    for (std::size_t i = 0; i < characters.size(); ++i)
        DrawTrueTypeText(dc, font, static_cast<std::int32_t>(device.x), static_cast<std::int32_t>(device.y + i * step), &characters[i], 1);
}

// 3-D text is not drawn through GDI: only a 2-D view of a device context could show it.
void CTrueTypeFont::Draw3d(IGeometrySink*, const TextParams3d*, const std::uint8_t*) {}

} // namespace dgn
