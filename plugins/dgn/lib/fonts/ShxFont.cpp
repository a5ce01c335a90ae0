#include "fonts/ShxFont.h"

#include "FileAccess.h"
#include "Geometry.h"
#include "GeometrySink.h"
#include "LittleEndian.h"
#include "TransformStack.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

namespace {

// Direction vectors of the 16 directions of a vector byte (half units).
const int kDirections[16][2] = {{2, 0}, {2, 1},  {2, 2},   {1, 2},   {0, 2},   {-1, 2}, {-2, 2}, {-2, 1},
                                {-2, 0}, {-2, -1}, {-2, -2}, {-1, -2}, {0, -2}, {1, -2}, {2, -2}, {2, -1}};
constexpr double kOctant = 0.7853981635;
// The deepest chain of subshapes and the highest position stack a shape may build.
constexpr int kMaxSubshapeDepth = 8;
constexpr int kMaxStack = 16;

} // namespace

struct CShxFont::Pen {
    IGeometrySink* sink;
    double x, y;
    double scale;
    double scaleX, scaleY;
    double angle, aboutX, aboutY;
    bool down;
    double stack[kMaxStack][2];
    int depth;

    Point2d World(double px, double py) const
    {
        Point2d p = {px - aboutX, py - aboutY};
        RotateVector2d(angle, p.x, p.y);
        return Point2d{p.x + aboutX, p.y + aboutY};
    }
    void MoveBy(double dx, double dy)
    {
        const double nx = x + dx * scale * scaleX;
        const double ny = y + dy * scale * scaleY;
        if (down && sink) {
            const Point2d line[2] = {World(x, y), World(nx, ny)};
            sink->AddLine2d(line);
        }
        x = nx;
        y = ny;
    }
    // An arc of the shape's own units through the pen's scales, from the pen's position.
    void Arc(double radius, double start, double sweep)
    {
        const double r = radius * scale;
        const double cx = x - r * scaleX * std::cos(start);
        const double cy = y - r * scaleY * std::sin(start);
        if (down && sink) {
            const Point2d c = World(cx, cy);
            sink->AddArc2d(Arc2d{start, sweep, r * scaleX, r * scaleY, angle, c.x, c.y});
        }
        x = cx + r * scaleX * std::cos(start + sweep);
        y = cy + r * scaleY * std::sin(start + sweep);
    }
};

namespace {

// A bulge arc of the shape's units from the pen by (dx, dy), bulging bulge / 128 of half the
// chord (a straight line for 0).
template <class PenType>
void BulgeArc(PenType& pen, int dx, int dy, int bulge)
{
    if (bulge == 0) {
        pen.MoveBy(dx, dy);
        return;
    }
    const Point2d from = {pen.x, pen.y};
    const Point2d to = {pen.x + dx * pen.scale * pen.scaleX, pen.y + dy * pen.scale * pen.scaleY};
    Arc2d arc;
    if (pen.down && pen.sink && ArcFromChord(from, to, bulge / 128.0, arc)) {
        const Point2d c = pen.World(arc.cx, arc.cy);
        arc.cx = c.x;
        arc.cy = c.y;
        arc.rotation += pen.angle;
        pen.sink->AddArc2d(arc);
    }
    pen.x = to.x;
    pen.y = to.y;
}

} // namespace

void CShxFont::Bulge(Pen& pen, int dx, int dy, int bulge) { BulgeArc(pen, dx, dy, bulge); }

CShxFont::~CShxFont() { std::free(m_data); }

CShxFont* CShxFont::CreateFromData(const std::uint8_t* data, std::uint32_t size)
{
    CShxFont* f = new (std::nothrow) CShxFont;
    if (!f)
        return nullptr;
    if (!f->Load(data, size)) {
        delete f;
        return nullptr;
    }
    f->m_references = 1;
    return f;
}

CShxFont* CShxFont::Create(const char16_t* path)
{
    void* data = nullptr;
    std::uint64_t size = 0;
    CShxFont* f = nullptr;
    if (ReadWholeFileW(path, &data, &size) && size <= 0xFFFFFFFFu)
        f = CreateFromData(static_cast<const std::uint8_t*>(data), static_cast<std::uint32_t>(size));
    std::free(data);
    return f;
}

void CShxFont::Define(std::uint32_t number, const std::uint8_t* record, std::uint32_t size)
{
    // Codes 256, 257 and 258 stand for 176, 177 and 248.
    if (number == 256)
        number = 176;
    else if (number == 257)
        number = 177;
    else if (number == 258)
        number = 248;
    if (number > 255)
        return;
    // The definition follows the shape's zero-terminated name.
    std::uint32_t at = 0;
    while (at < size && record[at])
        ++at;
    if (at >= size)
        return;
    ++at;
    m_shapes[number] = Shape{record + at, size - at};
}

bool CShxFont::Load(const std::uint8_t* data, std::uint32_t size)
{
    if (!data || size < 12)
        return false;
    const char kind = static_cast<char>(data[11] | 0x20);
    if (kind != 's' && kind != 'u')
        return false;
    m_data = static_cast<std::uint8_t*>(std::malloc(size));
    if (!m_data)
        return false;
    std::memcpy(m_data, data, size);
    m_size = size;
    const std::uint8_t* end = m_data + size;
    const std::uint8_t* p = static_cast<const std::uint8_t*>(std::memchr(m_data, 0x1A, size));
    if (!p)
        return true;
    ++p;
    if (kind == 'u') {
        if (end - p < 6)
            return true;
        p += 6;
        // The font's name, above, below, modes, encoding, type and a zero byte.
        while (p < end && *p)
            ++p;
        if (end - p < 7)
            return true;
        m_above = p[1];
        p += 7;
        while (end - p >= 4) {
            const std::uint32_t code = LoadU16(p);
            const std::uint32_t bytes = LoadU16(p + 2);
            p += 4;
            if (bytes > static_cast<std::uint32_t>(end - p))
                break;
            Define(code, p, bytes);
            p += bytes;
        }
    } else {
        if (end - p < 6)
            return true;
        const std::uint32_t count = LoadU16(p + 4);
        p += 6;
        const std::uint8_t* index = p;
        if (static_cast<std::uint64_t>(count) * 4 > static_cast<std::uint64_t>(end - p))
            return true;
        const std::uint8_t* definitions = p + 4 * static_cast<std::uint64_t>(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t number = LoadU16(index + 4 * i);
            const std::uint32_t bytes = LoadU16(index + 4 * i + 2);
            if (bytes > static_cast<std::uint32_t>(end - definitions))
                break;
            // Shape 0 describes the font: its name, then above, below and the modes.
            if (number == 0) {
                std::uint32_t at = 0;
                while (at < bytes && definitions[at])
                    ++at;
                if (at + 1 < bytes)
                    m_above = definitions[at + 1];
            } else {
                Define(number, definitions, bytes);
            }
            definitions += bytes;
        }
    }
    // Each glyph's advance: its definition run at unit scale.
    for (int c = 0; c < 256; ++c) {
        if (m_shapes[c].bytes) {
            // Scale commands can carry a shape anywhere: an advance beyond any glyph's is none.
            const double advance = EmitShape(nullptr, static_cast<unsigned char>(c), 0, 0, 1, 1, 0, 0, 0);
            m_advance[c] = std::isfinite(advance) && std::fabs(advance) < 1e6 ? static_cast<int>(advance) : 0;
        }
    }
    return true;
}

const CShxFont::Shape* CShxFont::Find(std::uint32_t number) const { return number < 256 && m_shapes[number].bytes ? &m_shapes[number] : nullptr; }

void CShxFont::Run(Pen& pen, std::uint32_t number, int depth)
{
    const Shape* shape = Find(number);
    if (!shape || depth > kMaxSubshapeDepth)
        return;
    const std::uint8_t* p = shape->bytes;
    const std::uint8_t* end = p + shape->size;
    auto next = [&](int* out) {
        if (p >= end)
            return false;
        *out = *p++;
        return true;
    };
    auto nextSigned = [&](int* out) {
        int v = 0;
        if (!next(&v))
            return false;
        *out = static_cast<signed char>(v);
        return true;
    };
    bool skip = false;
    int b = 0;
    while (next(&b)) {
        const bool skipping = skip;
        skip = false;
        if (b >> 4) {
            if (!skipping)
                pen.MoveBy((b >> 4) * kDirections[b & 0xF][0] * 0.5, (b >> 4) * kDirections[b & 0xF][1] * 0.5);
            continue;
        }
        int v1 = 0, v2 = 0, v3 = 0, v4 = 0, v5 = 0;
        switch (b) {
        case 0:
            return;
        case 1:
            if (!skipping)
                pen.down = true;
            break;
        case 2:
            if (!skipping)
                pen.down = false;
            break;
        case 3:
        case 4:
            if (!next(&v1))
                return;
            if (!skipping && v1)
                pen.scale = b == 3 ? pen.scale / v1 : pen.scale * v1;
            break;
        case 5:
            if (!skipping && pen.depth < kMaxStack) {
                pen.stack[pen.depth][0] = pen.x;
                pen.stack[pen.depth][1] = pen.y;
                ++pen.depth;
            }
            break;
        case 6:
            if (!skipping && pen.depth > 0) {
                --pen.depth;
                pen.x = pen.stack[pen.depth][0];
                pen.y = pen.stack[pen.depth][1];
            }
            break;
        case 7:
            if (!next(&v1))
                return;
            if (!skipping)
                Run(pen, static_cast<std::uint32_t>(v1), depth + 1);
            break;
        case 8:
            if (!nextSigned(&v1) || !nextSigned(&v2))
                return;
            if (!skipping)
                pen.MoveBy(v1, v2);
            break;
        case 9:
            for (;;) {
                if (!nextSigned(&v1) || !nextSigned(&v2))
                    return;
                if (v1 == 0 && v2 == 0)
                    break;
                if (!skipping)
                    pen.MoveBy(v1, v2);
            }
            break;
        case 10: {
            if (!next(&v1) || !nextSigned(&v2))
                return;
            const int octants = (v2 & 7) ? (v2 & 7) : 8;
            const double start = ((v2 >> 4) & 7) * kOctant;
            const double sweep = (v2 & 0x80 ? -1.0 : 1.0) * octants * kOctant;
            if (!skipping)
                pen.Arc(v1, start, sweep);
            break;
        }
        case 11: {
            if (!next(&v1) || !next(&v2) || !next(&v3) || !next(&v4) || !nextSigned(&v5))
                return;
            const double radius = v3 * 256 + v4;
            const int octants = (v5 & 7) ? (v5 & 7) : 8;
            const double direction = v5 & 0x80 ? -1.0 : 1.0;
            // Offsets in 256ths of an octant, from the first octant's start and to the last's end.
            const double start = ((v5 >> 4) & 7) * kOctant + direction * v1 * kOctant / 256.0;
            double sweep = direction * (octants * kOctant - v1 * kOctant / 256.0 - (v2 ? (256 - v2) * kOctant / 256.0 : 0.0));
            if (!skipping)
                pen.Arc(radius, start, sweep);
            break;
        }
        case 12:
            if (!nextSigned(&v1) || !nextSigned(&v2) || !nextSigned(&v3))
                return;
            if (!skipping)
                Bulge(pen, v1, v2, v3);
            break;
        case 13:
            for (;;) {
                if (!nextSigned(&v1) || !nextSigned(&v2))
                    return;
                if (v1 == 0 && v2 == 0)
                    break;
                if (!nextSigned(&v3))
                    return;
                if (!skipping)
                    Bulge(pen, v1, v2, v3);
            }
            break;
        case 14:
            // The next command draws vertical text only.
            skip = true;
            break;
        default:
            break;
        }
    }
}

double CShxFont::EmitShape(IGeometrySink* sink, unsigned char code, double penX, double penY, double scaleX, double scaleY, double angle,
                           double aboutX, double aboutY)
{
    if (code == 0xD8)
        code = 0xF8;
    Pen pen = {};
    pen.sink = sink;
    pen.x = penX;
    pen.y = penY;
    pen.scale = 1.0;
    pen.scaleX = scaleX;
    pen.scaleY = scaleY;
    pen.angle = angle;
    pen.aboutX = aboutX;
    pen.aboutY = aboutY;
    pen.down = true;
    Run(pen, code, 0);
    return scaleX != 0.0 ? (pen.x - penX) / scaleX : 0.0;
}

template <class Placement>
double CShxFont::Width(const Placement* placement, const std::uint8_t* text)
{
    TakeStyleSpacing(placement->textStyle);
    if (placement->height == 0.0)
        return 0.0;
    const double scale = placement->height / (m_above > 0 ? m_above : 1);
    double width = 0;
    for (unsigned char c : AnsiCharacters(text))
        width += m_advance[c == 0xD8 ? 0xF8 : c] * scale * WidthFactor(placement);
    return width;
}

double CShxFont::Width2d(IGeometrySink*, const TextParams2d* placement, const std::uint8_t* text) { return Width(placement, text); }
double CShxFont::Width3d(IGeometrySink*, const TextParams3d* placement, const std::uint8_t* text) { return Width(placement, text); }

void CShxFont::Draw2d(IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text)
{
    if (!sink || !placement || placement->height == 0.0)
        return;
    const double w = Width2d(sink, placement, text);
    const double scaleY = placement->height / (m_above > 0 ? m_above : 1);
    const double scaleX = scaleY * WidthFactor(placement);
    Point2d pen = JustificationOffset(w, placement->height, JustificationOf(placement->justification), 0);
    pen.x += placement->origin.x;
    pen.y += placement->origin.y;
    for (unsigned char c : AnsiCharacters(text)) {
        EmitShape(sink, c, pen.x, pen.y, scaleX, scaleY, placement->angle, placement->origin.x, placement->origin.y);
        pen.x += m_advance[c == 0xD8 ? 0xF8 : c] * scaleX + m_spacing;
    }
}

void CShxFont::Draw3d(IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text)
{
    CTransformStack* stack = sink && placement ? sink->TransformStack() : nullptr;
    if (!stack || placement->height == 0.0)
        return;
    const double w = Width3d(sink, placement, text);
    const double scaleY = placement->height / (m_above > 0 ? m_above : 1);
    const double scaleX = scaleY * WidthFactor(placement);
    Point2d pen = JustificationOffset(w, placement->height, JustificationOf(placement->justification), 0);
    stack->Push();
    double m[16];
    SetIdentity4x4(m);
    TranslateMatrix(m, placement->origin.x, placement->origin.y, placement->origin.z);
    stack->PreMultiply(m);
    QuaternionToMatrix(placement->q, m);
    stack->PreMultiply(m);
    for (unsigned char c : AnsiCharacters(text)) {
        EmitShape(sink, c, pen.x, pen.y, scaleX, scaleY, 0.0, 0.0, 0.0);
        pen.x += m_advance[c == 0xD8 ? 0xF8 : c] * scaleX + m_spacing;
    }
    stack->Pop();
}

} // namespace dgn
