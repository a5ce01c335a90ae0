#include "fonts/FntFont.h"

#include "DgnStringFunctions.h"
#include "FileAccess.h"
#include "Geometry.h"
#include "GeometrySink.h"
#include "LittleEndian.h"
#include "TransformStack.h"
#include "fonts/BuiltinFonts.h"
#include "linkages/TextStyleLinkage.h"
#include "platform/Platform.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint32_t kOffsetsAt = 256;
constexpr std::uint32_t kHeaderBytes = 14;
constexpr double kTurn256 = 0.02454369260546875;
constexpr double kFullTurn = 6.283185307;

// The fonts keep the OEM layout: these codes are drawn with the glyph of another.
unsigned char OemCode(unsigned char c)
{
    switch (c) {
    case 0xB1: return 0xF1;
    case 0xD8: return 0xED;
    case 0xF8: return 0xED;
    case 0xB2: return 0xFD;
    case 0xB3: return 0xFE;
    case 0xB0: return 0xF8;
    default: return c;
    }
}

bool SameNameNoCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        if (UpperCase16(static_cast<unsigned char>(*a)) != UpperCase16(static_cast<unsigned char>(*b)))
            return false;
    }
    return *a == *b;
}

} // namespace

CFntFont::~CFntFont() { std::free(m_data); }

bool CFntFont::Load(const std::uint8_t* data, std::uint32_t size)
{
    if (!data || size < kOffsetsAt + 512)
        return false;
    const std::uint32_t header = LoadU16(data + kOffsetsAt);
    if (header + kHeaderBytes > size)
        return false;
    m_data = static_cast<std::uint8_t*>(std::malloc(size + 1));
    if (!m_data)
        return false;
    std::memcpy(m_data, data, size);
    m_data[size] = 0;
    m_size = size;
    m_cellHeight = static_cast<std::int32_t>(LoadU32(data + header));
    m_baseline = static_cast<std::int16_t>(LoadU16(data + header + 4));
    m_headerSpacing = static_cast<std::int16_t>(LoadU16(data + header + 8));
    return true;
}

CFntFont* CFntFont::CreateFromData(const std::uint8_t* data, std::uint32_t size)
{
    CFntFont* f = new (std::nothrow) CFntFont;
    if (!f)
        return nullptr;
    if (!f->Load(data, size)) {
        delete f;
        return nullptr;
    }
    f->m_references = 1;
    return f;
}

CFntFont* CFntFont::Create(const char* fileName)
{
    if (!fileName)
        return nullptr;
    const char* name = FindFileNameA(fileName);
    for (const char* builtin : {"stdtext.fnt", "smooth.fnt", "fancy.fnt"}) {
        if (SameNameNoCase(name, builtin)) {
            const BuiltinFont font = GetBuiltinFont(builtin);
            return CreateFromData(font.data, font.size);
        }
    }
    void* data = nullptr;
    std::uint64_t size = 0;
    CFntFont* f = nullptr;
    if (ReadWholeFile(fileName, &data, &size) && size <= 0xFFFFFFFFu)
        f = CreateFromData(static_cast<const std::uint8_t*>(data), static_cast<std::uint32_t>(size));
    std::free(data);
    return f;
}

int CFntFont::Advance(unsigned char c) const { return m_data ? m_data[c] : 0; }

int CFntFont::EmitGlyph(IGeometrySink* sink, unsigned char c, double penX, double penY, double scaleX, double scaleY, double angle,
                        double aboutX, double aboutY)
{
    c = OemCode(c);
    const std::uint32_t at = LoadU16(m_data + kOffsetsAt + 2 * c);
    auto place = [&](double x, double y) {
        Point2d p = {penX + x * scaleX - aboutX, penY + y * scaleY - aboutY};
        RotateVector2d(angle, p.x, p.y);
        return Point2d{p.x + aboutX, p.y + aboutY};
    };
    Point2d last = place(0, 0);
    // Character 0's entry is the header's offset: it has no strokes.
    for (std::uint32_t p = c ? at : m_size; p + 1 < m_size && m_data[p] != 0xFF;) {
        const std::uint8_t b0 = m_data[p];
        const std::uint8_t b1 = m_data[p + 1];
        const double x = b0 & 0x7F;
        const double y = (b1 & 0x7F) - m_baseline;
        if (b1 & 0x80) {
            if (p + 5 > m_size)
                break;
            const double start = m_data[p + 3] * kTurn256;
            double sweep = m_data[p + 4] * kTurn256 - start;
            if (sweep <= 0)
                sweep += kFullTurn;
            const Point2d centre = place(x, y);
            const double r = m_data[p + 2];
            if (sink)
                sink->AddArc2d(Arc2d{start, sweep, r * scaleX, r * scaleY, angle, centre.x, centre.y});
            p += 5;
            continue;
        }
        const Point2d point = place(x, y);
        if ((b0 & 0x80) && sink) {
            const Point2d line[2] = {last, point};
            sink->AddLine2d(line);
        }
        last = point;
        p += 2;
    }
    return m_data[c] + m_headerSpacing;
}

template <class Placement>
double CFntFont::Width(const Placement* placement, const std::uint8_t* text)
{
    TakeStyleSpacing(placement->textStyle);
    if (placement->height == 0.0 || m_cellHeight == 0)
        return 0.0;
    const double scaleY = placement->height / m_cellHeight;
    const double scaleX = scaleY * WidthFactor(placement);
    double width = 0;
    for (unsigned char c : AnsiCharacters(text))
        width += (m_data[OemCode(c)] + m_headerSpacing) * scaleX;
    return width;
}

double CFntFont::Width2d(IGeometrySink*, const TextParams2d* placement, const std::uint8_t* text) { return Width(placement, text); }
double CFntFont::Width3d(IGeometrySink*, const TextParams3d* placement, const std::uint8_t* text) { return Width(placement, text); }

void CFntFont::DrawGlyphs(IGeometrySink* sink, const std::string& text, double penX, double penY, double scaleX, double scaleY, double angle,
                          double aboutX, double aboutY)
{
    const double xAdvance = m_data[static_cast<unsigned char>('X')] + m_headerSpacing;
    for (unsigned char c : text) {
        if (m_vertical) {
            // Each glyph centred on the advance of 'X', the pen moving down.
            const int shift = (static_cast<int>(xAdvance) - m_data[OemCode(c)]) / 2;
            EmitGlyph(sink, c, penX + shift * scaleX, penY, scaleX, scaleY, angle, aboutX, aboutY);
            penY -= m_height + m_spacing;
            continue;
        }
        const int advance = EmitGlyph(sink, c, penX, penY, scaleX, scaleY, angle, aboutX, aboutY);
        penX += advance * scaleX + m_spacing;
    }
}

void CFntFont::Draw2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text)
{
    if (!sink || !placement)
        return;
    const double w = Width2d(sink, placement, text);
    if (placement->height == 0.0 || m_cellHeight == 0)
        return;
    m_height = placement->height;
    const double scaleY = placement->height / m_cellHeight;
    const double scaleX = scaleY * WidthFactor(placement);
    // The pen starts at the bottom left (position 0), unturned; glyphs turn about the origin.
    Point2d pen = JustificationOffset(w, placement->height, JustificationOf(placement->justification), 0);
    pen.x += placement->origin.x;
    pen.y += placement->origin.y;
    DrawGlyphs(sink, AnsiCharacters(text), pen.x, pen.y, scaleX, scaleY, placement->angle, placement->origin.x, placement->origin.y);
}

void CFntFont::Draw3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text)
{
    CTransformStack* stack = sink && placement ? sink->TransformStack() : nullptr;
    if (!stack)
        return;
    const double w = Width3d(sink, placement, text);
    if (placement->height == 0.0 || m_cellHeight == 0)
        return;
    m_height = placement->height;
    const double scaleY = placement->height / m_cellHeight;
    const double scaleX = scaleY * WidthFactor(placement);
    const Point2d pen = JustificationOffset(w, placement->height, JustificationOf(placement->justification), 0);
    // The text's plane: skewed for slanted text, turned by the orientation, moved to the origin.
    stack->Push();
    double m[16];
    SetIdentity4x4(m);
    TranslateMatrix(m, placement->origin.x, placement->origin.y, placement->origin.z);
    stack->PreMultiply(m);
    QuaternionToMatrix(placement->q, m);
    stack->PreMultiply(m);
    if (placement->textStyle) {
        const TextStyleData* style = const_cast<CTextStyleLinkage*>(placement->textStyle)->GetData();
        if (style && (style->flags & 0x8))
            stack->PreSkew(style->angle, 0.0);
    }
    DrawGlyphs(sink, AnsiCharacters(text), pen.x, pen.y, scaleX, scaleY, 0.0, 0.0, 0.0);
    stack->Pop();
}

} // namespace dgn
