// The records of a recorded page turned into PDF operators. Every coordinate goes out in the
// page's device space (points, y down; the content stream starts by flipping the PDF page so),
// after the record's world transform and window-to-viewport mapping: curves stay Béziers under
// any affine transform, so ellipses and arcs are made of Béziers in logical space first.
#include "PdfPage.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace wpdf {

namespace {

const double kPi = 3.14159265358979323846;

struct Xform {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
    void Apply(double x, double y, double* ox, double* oy) const
    {
        *ox = x * m11 + y * m21 + dx;
        *oy = x * m12 + y * m22 + dy;
    }
    // This transform followed by `next`.
    Xform Then(const Xform& next) const
    {
        Xform r;
        r.m11 = m11 * next.m11 + m12 * next.m21;
        r.m12 = m11 * next.m12 + m12 * next.m22;
        r.m21 = m21 * next.m11 + m22 * next.m21;
        r.m22 = m21 * next.m12 + m22 * next.m22;
        r.dx = dx * next.m11 + dy * next.m21 + next.dx;
        r.dy = dx * next.m12 + dy * next.m22 + next.dy;
        return r;
    }
    double Scale() const { return std::sqrt(std::fabs(m11 * m22 - m12 * m21)); }
};

struct Pen {
    int style = PS_SOLID;
    double width = 0;
    COLORREF colour = 0;
};

struct Brush {
    int style = BS_SOLID;
    COLORREF colour = 0xFFFFFF;
    int hatch = 0;
};

struct Font {
    int height = -12;
    int escapement = 0;
    int weight = FW_NORMAL;
    bool italic = false;
};

struct Object {
    enum Kind { none, aPen, aBrush, aFont } kind = none;
    Pen pen;
    Brush brush;
    Font font;
};

struct State {
    Pen pen;
    Brush brush;
    Font font;
    COLORREF textColour = 0;
    COLORREF bkColour = 0xFFFFFF;
    int bkMode = OPAQUE;
    int textAlign = 0;
    int fillMode = ALTERNATE;
    int arcDirection = AD_COUNTERCLOCKWISE;
    int mapMode = MM_TEXT;
    Xform world;
    POINT windowOrg = {0, 0}, viewportOrg = {0, 0};
    SIZE windowExt = {1, 1}, viewportExt = {1, 1};
    double curX = 0, curY = 0;  // logical
};

// Bounded little-endian reads of one record.
class Record
{
public:
    Record(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Has(size_t offset, size_t bytes) const { return offset <= m_size && bytes <= m_size - offset; }
    uint32_t U32(size_t offset) const
    {
        if (!Has(offset, 4))
            return 0;
        return m_data[offset] | (m_data[offset + 1] << 8) | (m_data[offset + 2] << 16) |
               (static_cast<uint32_t>(m_data[offset + 3]) << 24);
    }
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
    int16_t I16(size_t offset) const
    {
        if (!Has(offset, 2))
            return 0;
        return static_cast<int16_t>(m_data[offset] | (m_data[offset + 1] << 8));
    }
    float F32(size_t offset) const
    {
        const uint32_t bits = U32(offset);
        float f;
        std::memcpy(&f, &bits, 4);
        return std::isfinite(f) ? f : 0.0f;
    }
    const uint8_t* At(size_t offset) const { return m_data + offset; }
    size_t Size() const { return m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
};

std::string Num(double v)
{
    if (!std::isfinite(v) || std::fabs(v) > 1e7)
        v = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    // Trailing zeros and a bare point go.
    char* end = text + std::strlen(text);
    while (end > text && end[-1] == '0')
        *--end = 0;
    if (end > text && end[-1] == '.')
        *--end = 0;
    if (std::strcmp(text, "-0") == 0)
        return "0";
    return text;
}

std::string Rgb(COLORREF c, const char* op)
{
    return Num(GetRValue(c) / 255.0) + " " + Num(GetGValue(c) / 255.0) + " " + Num(GetBValue(c) / 255.0) + " " + op + "\n";
}

} // namespace

class CEmfWalker
{
public:
    CEmfWalker(CPdfPage& page) : m_page(page) {}

    void Walk(const uint8_t* emf, size_t size, double pageHeight)
    {
        m_page.m_content = "1 0 0 -1 0 " + Num(pageHeight) + " cm\n";
        size_t at = 0;
        while (at + 8 <= size) {
            Record header(emf + at, size - at);
            const uint32_t type = header.U32(0);
            const uint32_t length = header.U32(4);
            if (length < 8 || length % 4 != 0 || length > size - at)
                break;
            Play(type, Record(emf + at, length));
            at += length;
            if (type == EMR_EOF)
                break;
        }
    }

private:
    // Device coordinates of a logical point.
    void Device(double x, double y, double* dx, double* dy) const
    {
        double wx, wy;
        m_state.world.Apply(x, y, &wx, &wy);
        Page().Apply(wx, wy, dx, dy);
    }
    Xform Page() const
    {
        Xform p;
        double sx = 1, sy = 1;
        if ((m_state.mapMode == MM_ANISOTROPIC || m_state.mapMode == MM_ISOTROPIC) && m_state.windowExt.cx &&
            m_state.windowExt.cy) {
            sx = static_cast<double>(m_state.viewportExt.cx) / m_state.windowExt.cx;
            sy = static_cast<double>(m_state.viewportExt.cy) / m_state.windowExt.cy;
        }
        p.m11 = sx;
        p.m22 = sy;
        p.dx = m_state.viewportOrg.x - m_state.windowOrg.x * sx;
        p.dy = m_state.viewportOrg.y - m_state.windowOrg.y * sy;
        return p;
    }
    Xform Total() const { return m_state.world.Then(Page()); }

    // Path building in device space.
    void MoveTo(double x, double y)
    {
        double dx, dy;
        Device(x, y, &dx, &dy);
        m_geometry += Num(dx) + " " + Num(dy) + " m\n";
        m_figureOpen = true;
    }
    void LineTo(double x, double y)
    {
        double dx, dy;
        Device(x, y, &dx, &dy);
        if (!m_figureOpen) {
            double cx, cy;
            Device(m_state.curX, m_state.curY, &cx, &cy);
            m_geometry += Num(cx) + " " + Num(cy) + " m\n";
            m_figureOpen = true;
        }
        m_geometry += Num(dx) + " " + Num(dy) + " l\n";
    }
    void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3)
    {
        double a, b, c, d, e, f;
        Device(x1, y1, &a, &b);
        Device(x2, y2, &c, &d);
        Device(x3, y3, &e, &f);
        m_geometry += Num(a) + " " + Num(b) + " " + Num(c) + " " + Num(d) + " " + Num(e) + " " + Num(f) + " c\n";
    }
    void Close()
    {
        if (m_figureOpen)
            m_geometry += "h\n";
        m_figureOpen = false;
    }

    // An elliptic arc of the box from parameter angle a0 by `sweep` (radians, + counterclockwise
    // on the y-down page), as Béziers of at most a quarter each; `join` draws a line to its start.
    void ArcPath(double cx, double cy, double rx, double ry, double a0, double sweep, bool join)
    {
        const double sx = cx + rx * std::cos(a0), sy = cy - ry * std::sin(a0);
        if (join)
            LineTo(sx, sy);
        else
            MoveTo(sx, sy);
        const int parts = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)));
        const double step = sweep / parts;
        const double k = 4.0 / 3.0 * std::tan(step / 4);
        double a = a0;
        for (int i = 0; i < parts; ++i) {
            const double b = a + step;
            const double x0 = std::cos(a), y0 = std::sin(a), x1 = std::cos(b), y1 = std::sin(b);
            CurveTo(cx + rx * (x0 - k * y0), cy - ry * (y0 + k * x0), cx + rx * (x1 + k * y1), cy - ry * (y1 - k * x1),
                    cx + rx * x1, cy - ry * y1);
            a = b;
        }
        m_state.curX = cx + rx * std::cos(a0 + sweep);
        m_state.curY = cy - ry * std::sin(a0 + sweep);
    }
    // The arc of an Arc, ArcTo, Chord or Pie record; false when the box is empty.
    bool Arc(const Record& r, bool join, double* cx, double* cy)
    {
        const double l = r.I32(8), t = r.I32(12), rt = r.I32(16), b = r.I32(20);
        const double sx = r.I32(24), sy = r.I32(28), ex = r.I32(32), ey = r.I32(36);
        *cx = (l + rt) / 2;
        *cy = (t + b) / 2;
        const double rx = std::fabs(rt - l) / 2, ry = std::fabs(b - t) / 2;
        if (rx <= 0 || ry <= 0)
            return false;
        const double a0 = std::atan2(-(sy - *cy) / ry, (sx - *cx) / rx);
        const double a1 = std::atan2(-(ey - *cy) / ry, (ex - *cx) / rx);
        double sweep;
        if (m_state.arcDirection == AD_CLOCKWISE) {
            sweep = a1 - a0;
            while (sweep >= 0)
                sweep -= 2 * kPi;
        } else {
            sweep = a1 - a0;
            while (sweep <= 0)
                sweep += 2 * kPi;
        }
        ArcPath(*cx, *cy, rx, ry, a0, sweep, join);
        return true;
    }

    std::string StrokeSetup() const
    {
        const Pen& pen = m_state.pen;
        std::string s = Rgb(pen.colour, "RG");
        const double scale = Total().Scale();
        // A pen of no width draws the thinnest line whatever the transform.
        const double width = pen.width <= 1 ? 0.5 : pen.width * scale;
        s += Num(width) + " w\n";
        switch (pen.style & PS_STYLE_MASK) {
        case PS_DASH:
            s += "[6 3] 0 d\n";
            break;
        case PS_DOT:
            s += "[1.5 1.5] 0 d\n";
            break;
        case PS_DASHDOT:
            s += "[6 2 1.5 2] 0 d\n";
            break;
        case PS_DASHDOTDOT:
            s += "[6 2 1.5 2 1.5 2] 0 d\n";
            break;
        default:
            break;
        }
        return s;
    }
    bool Strokes() const { return (m_state.pen.style & PS_STYLE_MASK) != PS_NULL; }
    bool Fills() const { return m_state.brush.style != BS_NULL && m_state.brush.style != BS_HOLLOW; }

    // Paints the geometry with the pen and the brush as asked.
    void Paint(const std::string& geometry, bool stroke, bool fill)
    {
        stroke = stroke && Strokes();
        fill = fill && Fills();
        if (geometry.empty() || (!stroke && !fill))
            return;
        const char* even = m_state.fillMode == ALTERNATE ? "*" : "";
        std::string& out = m_page.m_content;
        if (fill && m_state.brush.style == BS_HATCHED) {
            // The background of a hatch first, when the mode is opaque, then its lines.
            if (m_state.bkMode == OPAQUE)
                out += "q\n" + Rgb(m_state.bkColour, "rg") + geometry + "f" + even + "\nQ\n";
            out += "q\n/Pattern cs /P" + std::to_string(PatternFor(m_state.brush)) + " scn\n";
        } else if (fill) {
            out += "q\n" + Rgb(m_state.brush.colour, "rg");
        } else {
            out += "q\n";
        }
        if (stroke)
            out += StrokeSetup();
        out += geometry;
        out += stroke && fill ? std::string("B") + even : fill ? std::string("f") + even : std::string("S");
        out += "\nQ\n";
    }
    // The geometry made by one record: into the open path, or painted at once.
    void Shape(bool closedFigure)
    {
        if (m_inPath) {
            m_path += m_geometry;
        } else {
            Paint(m_geometry, true, closedFigure);
            m_figureOpen = false;
        }
        m_geometry.clear();
    }

    int PatternFor(const Brush& brush)
    {
        auto& patterns = m_page.m_patterns;
        for (size_t i = 0; i < patterns.size(); ++i)
            if (patterns[i].hatch == brush.hatch && patterns[i].colour == brush.colour)
                return static_cast<int>(i + 1);
        patterns.push_back({brush.hatch, brush.colour});
        return static_cast<int>(patterns.size());
    }

    template <class ReadPoint>
    void Points(const Record& r, size_t first, uint32_t count, size_t pointSize, ReadPoint read, char kind)
    {
        if (!r.Has(first, static_cast<size_t>(count) * pointSize))
            return;
        for (uint32_t i = 0; i < count; ++i) {
            double x, y;
            read(first + i * pointSize, &x, &y);
            switch (kind) {
            case 'p':  // a new figure, lines
                if (i == 0)
                    MoveTo(x, y);
                else
                    LineTo(x, y);
                break;
            case 'l':  // lines from the current position
                LineTo(x, y);
                break;
            default:
                break;
            }
            if (kind != 'b' && kind != 'B') {
                m_state.curX = x;
                m_state.curY = y;
            }
        }
        if (kind == 'b' || kind == 'B') {
            // Béziers: a start point (unless from the current position), then three points each.
            uint32_t i = 0;
            if (kind == 'b' && count > 0) {
                double x, y;
                read(first, &x, &y);
                MoveTo(x, y);
                m_state.curX = x;
                m_state.curY = y;
                i = 1;
            } else if (!m_figureOpen) {
                MoveTo(m_state.curX, m_state.curY);
            }
            for (; i + 3 <= count; i += 3) {
                double p[6];
                for (int k = 0; k < 3; ++k)
                    read(first + (i + k) * pointSize, &p[2 * k], &p[2 * k + 1]);
                CurveTo(p[0], p[1], p[2], p[3], p[4], p[5]);
                m_state.curX = p[4];
                m_state.curY = p[5];
            }
        }
    }

    void Poly(const Record& r, bool small, char kind, bool closed)
    {
        const uint32_t count = r.U32(24);
        if (small)
            Points(r, 28, count, 4, [&](size_t at, double* x, double* y) { *x = r.I16(at); *y = r.I16(at + 2); }, kind);
        else
            Points(r, 28, count, 8, [&](size_t at, double* x, double* y) { *x = r.I32(at); *y = r.I32(at + 4); }, kind);
        if (closed)
            Close();
        Shape(closed);
    }
    void PolyPoly(const Record& r, bool small, bool closed)
    {
        const uint32_t polys = r.U32(24);
        if (!r.Has(32, static_cast<size_t>(polys) * 4))
            return;
        size_t at = 32 + static_cast<size_t>(polys) * 4;
        const size_t pointSize = small ? 4 : 8;
        for (uint32_t p = 0; p < polys; ++p) {
            const uint32_t count = r.U32(32 + p * 4);
            if (!r.Has(at, static_cast<size_t>(count) * pointSize))
                return;
            if (small)
                Points(r, at, count, 4, [&](size_t o, double* x, double* y) { *x = r.I16(o); *y = r.I16(o + 2); }, 'p');
            else
                Points(r, at, count, 8, [&](size_t o, double* x, double* y) { *x = r.I32(o); *y = r.I32(o + 4); }, 'p');
            if (closed)
                Close();
            at += static_cast<size_t>(count) * pointSize;
        }
        Shape(closed);
    }

    void Text(const Record& r, bool wide)
    {
        const double x = r.I32(36), y = r.I32(40);
        const uint32_t chars = r.U32(44), offset = r.U32(48);
        if (chars == 0 || chars > 100000)
            return;
        std::string bytes;
        if (wide) {
            if (!r.Has(offset, static_cast<size_t>(chars) * 2))
                return;
            std::wstring text(chars, L' ');
            for (uint32_t i = 0; i < chars; ++i)
                text[i] = static_cast<wchar_t>(r.At(offset)[2 * i] | (r.At(offset)[2 * i + 1] << 8));
            bytes = CPdfPage::WinAnsi(text.data(), text.size());
        } else {
            if (!r.Has(offset, chars))
                return;
            bytes.assign(reinterpret_cast<const char*>(r.At(offset)), chars);
        }
        const Font& font = m_state.font;
        double em = font.height < 0 ? -font.height : font.height * 0.87;
        if (em == 0)
            em = 12;
        const double angle = font.escapement / 10.0 * kPi / 180;
        const double ux = std::cos(angle), uy = -std::sin(angle);   // along the text
        const double downX = std::sin(angle), downY = std::cos(angle);  // towards the glyphs' feet
        double bx = x, by = y;
        if (m_state.textAlign & TA_UPDATECP) {
            bx = m_state.curX;
            by = m_state.curY;
        }
        // From the aligned point to the start of the baseline (Helvetica's ascent and descent; the
        // width at an average of 0.55 em a character).
        double down = 0.905 * em;
        switch (m_state.textAlign & (TA_BASELINE | TA_BOTTOM | TA_TOP)) {
        case TA_BASELINE:
            down = 0;
            break;
        case TA_BOTTOM:
            down = -0.212 * em;
            break;
        default:
            break;
        }
        const double width = 0.55 * em * bytes.size();
        double along = 0;
        switch (m_state.textAlign & (TA_LEFT | TA_RIGHT | TA_CENTER)) {
        case TA_RIGHT:
            along = -width;
            break;
        case TA_CENTER:
            along = -width / 2;
            break;
        default:
            break;
        }
        bx += down * downX + along * ux;
        by += down * downY + along * uy;
        if (m_state.textAlign & TA_UPDATECP) {
            m_state.curX += width * ux;
            m_state.curY += width * uy;
        }
        const Xform t = Total();
        double ex, ey;
        Device(bx, by, &ex, &ey);
        // The glyphs' x axis and up axis in device space.
        const double a = em * (ux * t.m11 + uy * t.m21), b = em * (ux * t.m12 + uy * t.m22);
        const double c = -em * (downX * t.m11 + downY * t.m21), d = -em * (downX * t.m12 + downY * t.m22);
        const std::string name = FontName(font);
        m_page.m_content += "q\n" + Rgb(m_state.textColour, "rg") + "BT\n/" + name + " 1 Tf\n" + Num(a) + " " + Num(b) +
                            " " + Num(c) + " " + Num(d) + " " + Num(ex) + " " + Num(ey) + " Tm\n" +
                            CPdfPage::Literal(bytes) + " Tj\nET\nQ\n";
    }
    std::string FontName(const Font& font)
    {
        static const char* const kFaces[] = {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique"};
        const int index = (font.weight >= FW_BOLD ? 1 : 0) + (font.italic ? 2 : 0);
        const std::string name = "F" + std::to_string(index + 1);
        m_page.m_fonts[name] = kFaces[index];
        return name;
    }

    // A DIB of a record placed on the logical rectangle (x, y, w, h), from its source rectangle.
    void Image(const Record& r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits, double x, double y, double w,
               double h, int sx, int sy, int sw, int sh, bool bottomOriginSource)
    {
        if (!cbBmi || !r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits) || cbBmi < 12)
            return;
        const uint8_t* info = r.At(offBmi);
        Record bmi(info, cbBmi);
        const uint32_t headerSize = bmi.U32(0);
        int width, height, bits, compression = BI_RGB;
        size_t paletteAt, paletteEntry = 4;
        uint32_t colours = 0;
        if (headerSize == 12) {
            width = static_cast<uint16_t>(bmi.I16(4));
            height = static_cast<uint16_t>(bmi.I16(6));
            bits = bmi.I16(10);
            paletteAt = 12;
            paletteEntry = 3;
        } else if (headerSize >= 40 && headerSize <= cbBmi) {
            width = bmi.I32(4);
            height = bmi.I32(8);
            bits = bmi.I16(14);
            compression = static_cast<int>(bmi.U32(16));
            colours = bmi.U32(32);
            paletteAt = headerSize + (compression == BI_BITFIELDS && headerSize == 40 ? 12 : 0);
        } else {
            return;
        }
        const bool topDown = height < 0;
        height = std::abs(height);
        if (width <= 0 || height <= 0 || width > 20000 || height > 20000 ||
            static_cast<long long>(width) * height > 40000000LL)
            return;
        if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32)))
            return;
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return;
        const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
        if (cbBits < stride * height)
            return;
        if (bits <= 8 && !colours)
            colours = 1u << bits;
        std::vector<COLORREF> palette;
        for (uint32_t i = 0; i < colours && bits <= 8; ++i) {
            const size_t at = paletteAt + i * paletteEntry;
            if (!bmi.Has(at, 3))
                break;
            palette.push_back(RGB(info[at + 2], info[at + 1], info[at]));
        }
        uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
        if (bits == 32)
            masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
        if (compression == BI_BITFIELDS)
            for (int k = 0; k < 3; ++k)
                masks[k] = bmi.U32(headerSize == 40 ? 40 + 4 * k : 40 + 4 * k);
        auto channel = [](uint32_t value, uint32_t mask) -> uint8_t {
            if (!mask)
                return 0;
            int shift = 0;
            while (!(mask & 1)) {
                mask >>= 1;
                value >>= 1;
                ++shift;
            }
            return static_cast<uint8_t>((value & mask) * 255 / mask);
        };
        // The source rectangle, kept inside the bitmap.
        if (sw <= 0 || sh <= 0) {
            sx = sy = 0;
            sw = width;
            sh = height;
        }
        sx = std::max(0, std::min(sx, width - 1));
        sy = std::max(0, std::min(sy, height - 1));
        sw = std::min(sw, width - sx);
        sh = std::min(sh, height - sy);
        if (bottomOriginSource && !topDown)
            sy = height - sy - sh;
        const uint8_t* pixels = r.At(offBits);
        PdfImage image;
        image.width = sw;
        image.height = sh;
        image.rgb.resize(static_cast<size_t>(sw) * sh * 3);
        for (int row = 0; row < sh; ++row) {
            const int top = sy + row;  // from the picture's top
            const uint8_t* line = pixels + stride * (topDown ? top : height - 1 - top);
            for (int col = 0; col < sw; ++col) {
                const int px = sx + col;
                COLORREF c = 0;
                switch (bits) {
                case 1:
                case 4:
                case 8: {
                    const size_t bit = static_cast<size_t>(px) * bits;
                    const unsigned index = (line[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                    c = index < palette.size() ? palette[index] : 0;
                    break;
                }
                case 16: {
                    const uint32_t v = line[px * 2] | (line[px * 2 + 1] << 8);
                    c = RGB(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
                    break;
                }
                case 24:
                    c = RGB(line[px * 3 + 2], line[px * 3 + 1], line[px * 3]);
                    break;
                default: {
                    const uint32_t v = line[px * 4] | (line[px * 4 + 1] << 8) | (line[px * 4 + 2] << 16) |
                                       (static_cast<uint32_t>(line[px * 4 + 3]) << 24);
                    c = RGB(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
                    break;
                }
                }
                uint8_t* out = &image.rgb[(static_cast<size_t>(row) * sw + col) * 3];
                out[0] = GetRValue(c);
                out[1] = GetGValue(c);
                out[2] = GetBValue(c);
            }
        }
        m_page.m_images.push_back(std::move(image));
        // The unit square of the image onto the rectangle: (0, 1) its top left corner.
        double x0, y0, x1, y1, x2, y2;
        Device(x, y, &x0, &y0);
        Device(x + w, y, &x1, &y1);
        Device(x, y + h, &x2, &y2);
        m_page.m_content += "q\n" + Num(x1 - x0) + " " + Num(y1 - y0) + " " + Num(x0 - x2) + " " + Num(y0 - y2) + " " +
                            Num(x2) + " " + Num(y2) + " cm\n/Im" + std::to_string(m_page.m_images.size()) + " Do\nQ\n";
    }

    void Blit(const Record& r, bool stretch)
    {
        const double x = r.I32(24), y = r.I32(28), w = r.I32(32), h = r.I32(36);
        const uint32_t rop = r.U32(40);
        const uint32_t cbBmi = r.U32(88);
        if (!cbBmi) {
            // No source: a pattern or a plain colour over the rectangle.
            COLORREF colour;
            if (rop == WHITENESS)
                colour = 0xFFFFFF;
            else if (rop == BLACKNESS)
                colour = 0;
            else if (rop == PATCOPY && m_state.brush.style == BS_SOLID)
                colour = m_state.brush.colour;
            else
                return;
            MoveTo(x, y);
            LineTo(x + w, y);
            LineTo(x + w, y + h);
            LineTo(x, y + h);
            Close();
            m_page.m_content += "q\n" + Rgb(colour, "rg") + m_geometry + "f\nQ\n";
            m_geometry.clear();
            m_figureOpen = false;
            return;
        }
        const int sx = r.I32(44), sy = r.I32(48);
        int sw = static_cast<int>(w), sh = static_cast<int>(h);
        if (stretch) {
            sw = r.I32(100);
            sh = r.I32(104);
        }
        Image(r, r.U32(84), cbBmi, r.U32(92), r.U32(96), x, y, w, h, sx, sy, sw, sh, false);
    }

    void Select(uint32_t index)
    {
        if (index & 0x80000000u) {
            switch (index & 0x7FFFFFFF) {
            case WHITE_BRUSH:
                m_state.brush = {BS_SOLID, 0xFFFFFF, 0};
                break;
            case LTGRAY_BRUSH:
                m_state.brush = {BS_SOLID, 0xC0C0C0, 0};
                break;
            case GRAY_BRUSH:
                m_state.brush = {BS_SOLID, 0x808080, 0};
                break;
            case DKGRAY_BRUSH:
                m_state.brush = {BS_SOLID, 0x404040, 0};
                break;
            case BLACK_BRUSH:
                m_state.brush = {BS_SOLID, 0, 0};
                break;
            case NULL_BRUSH:
                m_state.brush = {BS_NULL, 0, 0};
                break;
            case DC_BRUSH:
                m_state.brush = {BS_SOLID, 0xFFFFFF, 0};
                break;
            case WHITE_PEN:
                m_state.pen = {PS_SOLID, 0, 0xFFFFFF};
                break;
            case BLACK_PEN:
            case DC_PEN:
                m_state.pen = {PS_SOLID, 0, 0};
                break;
            case NULL_PEN:
                m_state.pen = {PS_NULL, 0, 0};
                break;
            default:
                if ((index & 0x7FFFFFFF) >= OEM_FIXED_FONT && (index & 0x7FFFFFFF) <= DEFAULT_GUI_FONT)
                    m_state.font = Font();
                break;
            }
            return;
        }
        const auto found = m_objects.find(index);
        if (found == m_objects.end())
            return;
        const Object& o = found->second;
        if (o.kind == Object::aPen)
            m_state.pen = o.pen;
        else if (o.kind == Object::aBrush)
            m_state.brush = o.brush;
        else if (o.kind == Object::aFont)
            m_state.font = o.font;
    }

    void Play(uint32_t type, const Record& r)
    {
        switch (type) {
        case EMR_SAVEDC:
            m_saved.push_back(m_state);
            break;
        case EMR_RESTOREDC: {
            const int which = r.I32(8);
            // Negative: that many back; positive: the state of that number.
            const long index = which < 0 ? static_cast<long>(m_saved.size()) + which : which - 1;
            if (index >= 0 && index < static_cast<long>(m_saved.size())) {
                m_state = m_saved[static_cast<size_t>(index)];
                m_saved.resize(static_cast<size_t>(index));
            }
            break;
        }
        case EMR_SETWORLDTRANSFORM:
            m_state.world = {r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28)};
            break;
        case EMR_MODIFYWORLDTRANSFORM: {
            const Xform x = {r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28)};
            switch (r.U32(32)) {
            case MWT_IDENTITY:
                m_state.world = Xform();
                break;
            case MWT_LEFTMULTIPLY:
                m_state.world = x.Then(m_state.world);
                break;
            case MWT_RIGHTMULTIPLY:
                m_state.world = m_state.world.Then(x);
                break;
            case 4:  // MWT_SET
                m_state.world = x;
                break;
            default:
                break;
            }
            break;
        }
        case EMR_SETMAPMODE:
            m_state.mapMode = static_cast<int>(r.U32(8));
            break;
        case EMR_SETWINDOWORGEX:
            m_state.windowOrg = {r.I32(8), r.I32(12)};
            break;
        case EMR_SETWINDOWEXTEX:
            m_state.windowExt = {r.I32(8), r.I32(12)};
            break;
        case EMR_SETVIEWPORTORGEX:
            m_state.viewportOrg = {r.I32(8), r.I32(12)};
            break;
        case EMR_SETVIEWPORTEXTEX:
            m_state.viewportExt = {r.I32(8), r.I32(12)};
            break;
        case EMR_SETBKMODE:
            m_state.bkMode = static_cast<int>(r.U32(8));
            break;
        case EMR_SETBKCOLOR:
            m_state.bkColour = r.U32(8) & 0xFFFFFF;
            break;
        case EMR_SETTEXTCOLOR:
            m_state.textColour = r.U32(8) & 0xFFFFFF;
            break;
        case EMR_SETTEXTALIGN:
            m_state.textAlign = static_cast<int>(r.U32(8));
            break;
        case EMR_SETPOLYFILLMODE:
            m_state.fillMode = static_cast<int>(r.U32(8));
            break;
        case EMR_SETARCDIRECTION:
            m_state.arcDirection = static_cast<int>(r.U32(8));
            break;
        case EMR_CREATEPEN: {
            Object o;
            o.kind = Object::aPen;
            o.pen = {static_cast<int>(r.U32(12)), static_cast<double>(r.I32(16)), r.U32(24) & 0xFFFFFF};
            m_objects[r.U32(8)] = o;
            break;
        }
        case EMR_EXTCREATEPEN: {
            Object o;
            o.kind = Object::aPen;
            o.pen = {static_cast<int>(r.U32(28)), static_cast<double>(r.U32(32)), r.U32(40) & 0xFFFFFF};
            if (r.U32(36) == BS_NULL)
                o.pen.style = PS_NULL;
            m_objects[r.U32(8)] = o;
            break;
        }
        case EMR_CREATEBRUSHINDIRECT: {
            Object o;
            o.kind = Object::aBrush;
            o.brush = {static_cast<int>(r.U32(12)), r.U32(16) & 0xFFFFFF, static_cast<int>(r.U32(20))};
            if (o.brush.style == BS_HATCHED && (o.brush.hatch < HS_HORIZONTAL || o.brush.hatch > HS_DIAGCROSS))
                o.brush.style = BS_SOLID;
            else if (o.brush.style != BS_SOLID && o.brush.style != BS_HATCHED)
                o.brush.style = o.brush.style == BS_NULL ? BS_NULL : BS_SOLID;
            m_objects[r.U32(8)] = o;
            break;
        }
        case EMR_CREATEDIBPATTERNBRUSHPT:
        case EMR_CREATEMONOBRUSH: {
            // Bitmap brushes are shown as a middle grey.
            Object o;
            o.kind = Object::aBrush;
            o.brush = {BS_SOLID, 0x808080, 0};
            m_objects[r.U32(8)] = o;
            break;
        }
        case EMR_EXTCREATEFONTINDIRECTW: {
            Object o;
            o.kind = Object::aFont;
            o.font = {r.I32(12), r.I32(20), r.I32(28), r.Has(32, 1) && r.At(32)[0] != 0};
            m_objects[r.U32(8)] = o;
            break;
        }
        case EMR_SELECTOBJECT:
            Select(r.U32(8));
            break;
        case EMR_DELETEOBJECT:
            m_objects.erase(r.U32(8));
            break;
        case EMR_MOVETOEX:
            m_state.curX = r.I32(8);
            m_state.curY = r.I32(12);
            if (m_inPath) {
                MoveTo(m_state.curX, m_state.curY);
                m_path += m_geometry;
                m_geometry.clear();
            } else {
                m_figureOpen = false;
            }
            break;
        case EMR_LINETO: {
            if (!m_inPath)
                m_figureOpen = false;
            LineTo(r.I32(8), r.I32(12));
            m_state.curX = r.I32(8);
            m_state.curY = r.I32(12);
            Shape(false);
            break;
        }
        case EMR_POLYLINE:
        case EMR_POLYLINE16:
            Poly(r, type == EMR_POLYLINE16, 'p', false);
            break;
        case EMR_POLYGON:
        case EMR_POLYGON16:
            Poly(r, type == EMR_POLYGON16, 'p', true);
            break;
        case EMR_POLYLINETO:
        case EMR_POLYLINETO16:
            if (!m_inPath)
                m_figureOpen = false;
            Poly(r, type == EMR_POLYLINETO16, 'l', false);
            break;
        case EMR_POLYBEZIER:
        case EMR_POLYBEZIER16:
            Poly(r, type == EMR_POLYBEZIER16, 'b', false);
            break;
        case EMR_POLYBEZIERTO:
        case EMR_POLYBEZIERTO16:
            if (!m_inPath)
                m_figureOpen = false;
            Poly(r, type == EMR_POLYBEZIERTO16, 'B', false);
            break;
        case EMR_POLYPOLYLINE:
        case EMR_POLYPOLYLINE16:
            PolyPoly(r, type == EMR_POLYPOLYLINE16, false);
            break;
        case EMR_POLYPOLYGON:
        case EMR_POLYPOLYGON16:
            PolyPoly(r, type == EMR_POLYPOLYGON16, true);
            break;
        case EMR_RECTANGLE:
        case EMR_ROUNDRECT: {
            const double l = r.I32(8), t = r.I32(12), rt = r.I32(16), b = r.I32(20);
            MoveTo(l, t);
            LineTo(rt, t);
            LineTo(rt, b);
            LineTo(l, b);
            Close();
            Shape(true);
            break;
        }
        case EMR_ELLIPSE: {
            const double l = r.I32(8), t = r.I32(12), rt = r.I32(16), b = r.I32(20);
            const double rx = std::fabs(rt - l) / 2, ry = std::fabs(b - t) / 2;
            if (rx > 0 && ry > 0) {
                ArcPath((l + rt) / 2, (t + b) / 2, rx, ry, 0, 2 * kPi, false);
                Close();
                Shape(true);
            }
            break;
        }
        case EMR_ARC:
        case EMR_ARCTO:
        case EMR_CHORD:
        case EMR_PIE: {
            if (type != EMR_ARCTO && !m_inPath)
                m_figureOpen = false;
            double cx, cy;
            const double startX = m_state.curX, startY = m_state.curY;
            if (type == EMR_PIE) {
                MoveTo(r.I32(8) / 2.0 + r.I32(16) / 2.0, r.I32(12) / 2.0 + r.I32(20) / 2.0);
                if (!Arc(r, true, &cx, &cy)) {
                    m_geometry.clear();
                    break;
                }
            } else if (!Arc(r, type == EMR_ARCTO && m_figureOpen, &cx, &cy)) {
                break;
            }
            if (type == EMR_CHORD || type == EMR_PIE)
                Close();
            if (type != EMR_ARCTO) {
                m_state.curX = startX;
                m_state.curY = startY;
            }
            Shape(type == EMR_CHORD || type == EMR_PIE);
            break;
        }
        case EMR_BEGINPATH:
            m_inPath = true;
            m_path.clear();
            m_geometry.clear();
            m_figureOpen = false;
            break;
        case EMR_ENDPATH:
            m_inPath = false;
            break;
        case EMR_ABORTPATH:
            m_inPath = false;
            m_path.clear();
            m_figureOpen = false;
            break;
        case EMR_CLOSEFIGURE:
            if (m_inPath && m_figureOpen) {
                m_path += "h\n";
                m_figureOpen = false;
            }
            break;
        case EMR_FILLPATH:
            Paint(m_path, false, true);
            m_path.clear();
            break;
        case EMR_STROKEPATH:
            Paint(m_path, true, false);
            m_path.clear();
            break;
        case EMR_STROKEANDFILLPATH:
            Paint(m_path, true, true);
            m_path.clear();
            break;
        case EMR_EXTTEXTOUTW:
        case EMR_EXTTEXTOUTA:
            Text(r, type == EMR_EXTTEXTOUTW);
            break;
        case EMR_STRETCHDIBITS:
            Image(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.I32(24), r.I32(28), r.I32(72), r.I32(76), r.I32(32),
                  r.I32(36), r.I32(40), r.I32(44), true);
            break;
        case EMR_SETDIBITSTODEVICE:
            Image(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.I32(24), r.I32(28), r.I32(40), r.I32(44), r.I32(32),
                  r.I32(36), r.I32(40), r.I32(44), true);
            break;
        case EMR_BITBLT:
            Blit(r, false);
            break;
        case EMR_STRETCHBLT:
            Blit(r, true);
            break;
        default:
            break;
        }
    }

    CPdfPage& m_page;
    State m_state;
    std::vector<State> m_saved;
    std::map<uint32_t, Object> m_objects;
    bool m_inPath = false;
    bool m_figureOpen = false;
    std::string m_geometry;  // of the record being played
    std::string m_path;      // of the open path bracket
};

void CPdfPage::Convert(const uint8_t* emf, size_t size, double pageHeight)
{
    m_content.clear();
    m_fonts.clear();
    m_images.clear();
    m_patterns.clear();
    CEmfWalker(*this).Walk(emf, size, pageHeight);
}

std::string CPdfPage::WinAnsi(const wchar_t* text, size_t length)
{
    std::string out;
    if (!length)
        return out;
    const int n = WideCharToMultiByte(1252, 0, text, static_cast<int>(length), nullptr, 0, "?", nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0)
        WideCharToMultiByte(1252, 0, text, static_cast<int>(length), &out[0], n, "?", nullptr);
    return out;
}

std::string CPdfPage::Literal(const std::string& bytes)
{
    std::string out = "(";
    for (char c : bytes) {
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + ")";
}

} // namespace wpdf
