#include "elements/DimensionElement.h"

#include "DesignFile.h"
#include "ElementLinkages.h"
#include "Geometry.h"
#include "ItemArray.h"
#include "LittleEndian.h"
#include "ValueEncodings.h"
#include "fonts/Font.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace dgn {

namespace {

constexpr std::uint16_t kV7AttributesPresent = 0x0800;
constexpr std::uint32_t kV7PointBytes = 20;
constexpr std::uint32_t kV7BodyStart = 36;
constexpr std::uint32_t kV7PointsStart = 136;
// The angle constants the drawings use, at ten significant digits.
// (pi / 2 and 2 pi are the geometry's kHalfPi and kTwoPi.)
constexpr double kPi = 3.141592654;
constexpr double kThreeHalfPi = 4.712388981;
constexpr double kDegreesPerRadian = 57.29577951308232;

// A V7 dimension's 32-bit integers are plain little-endian, unlike other V7 integers.
std::int32_t PlainI32(const std::uint8_t* p) { return static_cast<std::int32_t>(LoadU32(p)); }

struct Vec {
    double x, y;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(double s, Vec a) { return {s * a.x, s * a.y}; }
double Length(Vec a) { return std::sqrt(a.x * a.x + a.y * a.y); }
Vec Unit(Vec a)
{
    const double l = Length(a);
    return IsNearZero(l) ? Vec{1.0, 0.0} : Vec{a.x / l, a.y / l};
}

// A text angle turned by pi when it would read upside down; true when turned.
bool MakeReadable(double& angle)
{
    if (angle + kHalfPi < 0.0 || angle + kHalfPi > kPi) {
        angle += kPi;
        return true;
    }
    return false;
}

} // namespace

// The drawing of one dimension, in the dimension's plane.
class CDimensionDrawing {
public:
    CDimensionDrawing(IDimensionElement& e, IGeometrySink* sink) : m_e(e), m_sink(sink)
    {
        for (int i = 0; i < 4; ++i)
            m_q[i] = e.BodyDouble(kDimRotation + 8 * i);
        if (e.m_threeD) {
            const double n = m_q[0] * m_q[0] + m_q[1] * m_q[1] + m_q[2] * m_q[2] + m_q[3] * m_q[3];
            if (IsNearZero(n)) {
                m_q[0] = 1.0;
                m_q[1] = m_q[2] = m_q[3] = 0.0;
            }
            m_r00 = m_r11 = 1.0;
            m_r01 = m_r10 = 0.0;
        } else {
            m_r00 = m_q[0];
            m_r01 = m_q[1];
            m_r10 = m_q[2];
            m_r11 = m_q[3];
        }
        m_scale = e.GetUnitsPerMaster();
        if (!(m_scale > 0.0))
            m_scale = 1.0;
        m_w = e.BodyDouble(kDimTerminatorWidth);
        m_h = e.BodyDouble(kDimTerminatorHeight);
        const std::uint32_t n = e.PointCount();
        for (std::uint32_t i = 0; i < n && i < kMaxPoints; ++i) {
            Point3d p;
            // The 3-D ordinate and centre mark take the stored positions as they stand.
            if (e.m_threeD && (e.GetDimensionKind() == 16 || e.GetDimensionKind() == 19)) {
                const DimensionPoint* stored = e.GetPointItem(i);
                p = {stored->x, stored->y, stored->z};
            } else {
                e.GetPoint(i, &p);
            }
            if (e.m_threeD)
                RotateByInverseQuaternion(m_q, p);
            m_p[i] = {p.x, p.y};
            if (i == 0)
                m_z = p.z;
            m_offset[i] = e.GetPointItem(i)->offset;
        }
        m_count = n < kMaxPoints ? n : kMaxPoints;
    }

    void Draw()
    {
        switch (m_e.GetDimensionKind()) {
        case 1: case 2: case 3: case 4: case 15: Linear(); break;
        case 5: case 6: case 7: case 8: case 9: case 50: case 51: Angular(); break;
        case 11: case 12: case 13: case 14: case 17: case 18: CircleDrawing(); break;
        case 16: Ordinate(); break;
        case 19: CentreMark(); break;
        case 52: LabelLine(); break;
        case 53: Note(); break;
        default: break;
        }
    }

private:
    static constexpr std::uint32_t kMaxPoints = 256;

    Vec Direction() const { return {m_r00, m_r10}; }
    Vec Perpendicular() const { return {m_r01, m_r11}; }
    double StackStep() const
    {
        const double s = m_e.BodyDouble(kDimStackOffset);
        return IsNearZero(s) ? 2.5 * m_e.BodyDouble(kDimTextHeight) : s;
    }

    Point3d Out(Vec v) const
    {
        Point3d p = {v.x, v.y, m_z};
        if (m_e.m_threeD)
            RotateByQuaternion(m_q, p);
        return p;
    }

    void Line(Vec a, Vec b)
    {
        if (m_e.m_threeD) {
            const Point3d l[2] = {Out(a), Out(b)};
            m_sink->AddLine3d(l);
        } else {
            const Point2d l[2] = {{a.x, a.y}, {b.x, b.y}};
            m_sink->AddLine2d(l);
        }
    }

    // A terminator at p; d points from the tip into the dimension line.
    void Terminator(Vec p, Vec d)
    {
        const Vec n = {-d.y, d.x};
        if (m_e.GetDimensionKind() == 2) {
            Line(p + m_w * (d + n), p - m_w * (d + n));
            return;
        }
        Line(p, p + m_h * d - (m_w / 2) * n);
        Line(p, p + m_h * d + (m_w / 2) * n);
    }

    void Arc(Vec centre, double radius, double start, double sweep)
    {
        if (m_e.m_threeD) {
            const Point3d c = Out(centre);
            Arc3d a = {start, sweep, radius, radius, {m_q[0], m_q[1], m_q[2], m_q[3]}, c.x, c.y, c.z};
            m_sink->AddArc3d(a);
        } else {
            const Arc2d a = {start, sweep, radius, radius, 0.0, centre.x, centre.y};
            m_sink->AddArc2d(a);
        }
    }

    void Placement2d(TextParams2d& t, Vec origin, double angle, int justification, std::uint32_t n) const
    {
        t = {};
        t.fontNumber = m_e.BodyU32(kDimFontOrColor);
        t.justification = static_cast<std::uint16_t>(justification);
        t.textBytes = static_cast<std::uint16_t>(n);
        t.lengthMultiplier = t.heightMultiplier = 1.0;
        t.length = m_e.BodyDouble(kDimTextWidth);
        t.height = m_e.BodyDouble(kDimTextHeight);
        t.angle = angle;
        t.origin = {origin.x, origin.y};
    }

    void Placement3d(TextParams3d& t, Vec origin, double angle, int justification, std::uint32_t n) const
    {
        t = {};
        t.fontNumber = 0;
        t.justification = static_cast<std::uint16_t>(justification);
        t.textBytes = static_cast<std::uint16_t>(n);
        t.lengthMultiplier = t.heightMultiplier = 1.0;
        t.length = m_e.BodyDouble(kDimTextWidth);
        t.height = m_e.BodyDouble(kDimTextHeight);
        double turn[4];
        QuaternionFromAxisAngle(angle, Point3d{0.0, 0.0, 1.0}, turn);
        // Turned in the plane first, then into the dimension's orientation.
        QuaternionMultiply(turn, m_q, t.q);
        t.origin = Out(origin);
    }

    // The width of a text in the dimension's font (0 without a font).
    double TextWidth(const char* text, std::uint32_t n)
    {
        CDesignFile* file = m_e.GetDesignFile();
        CFont* font = file ? file->LoadFont(m_e.m_threeD ? 0 : static_cast<int>(m_e.BodyU32(kDimFontOrColor))) : nullptr;
        if (!font)
            return 0.0;
        double w;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
        if (m_e.m_threeD) {
            TextParams3d t;
            Placement3d(t, {0, 0}, 0.0, 0, n);
            w = font->Width3d(nullptr, &t, bytes);
        } else {
            TextParams2d t;
            Placement2d(t, {0, 0}, 0.0, 0, n);
            w = font->Width2d(nullptr, &t, bytes);
        }
        font->Release();
        return w;
    }

    void Text(Vec origin, double angle, int justification, const char* text, std::uint32_t n)
    {
        if (n > 0xFFFF)
            n = 0xFFFF;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
        if (m_e.m_threeD) {
            m_sink->SetColor(static_cast<std::int32_t>(m_e.BodyU32(kDimFontOrColor)));
            TextParams3d t;
            Placement3d(t, origin, angle, justification, n);
            m_sink->AddText3d(&t, bytes, 1);
        } else {
            m_sink->SelectFont(static_cast<std::int32_t>(m_e.BodyU32(kDimFontOrColor)));
            TextParams2d t;
            Placement2d(t, origin, angle, justification, n);
            m_sink->AddText2d(&t, bytes, 1);
        }
    }

    // A formatted value of at most capacity - 1 bytes; its length.
    static std::uint32_t Format(char* out, std::size_t capacity, const char* format, double value, const char* suffix = nullptr)
    {
        const int n = suffix ? std::snprintf(out, capacity, format, value, suffix) : std::snprintf(out, capacity, format, value);
        return n < 0 ? 0 : static_cast<std::uint32_t>(std::strlen(out));
    }

    void Linear()
    {
        const int kind = m_e.GetDimensionKind();
        // The measuring mode is the 2-D dimension's (option flags bits 12-13); the 3-D one
        // measures along its plane's x axis.
        const std::uint32_t mode = m_e.m_threeD ? 0 : (m_e.BodyU32(kDimOptionFlags) >> 12) & 3;
        const double start = m_e.BodyDouble(kDimWitnessOffset);
        const double over = m_e.BodyDouble(kDimWitnessExtension);
        const bool locate = kind == 3 || kind == 4;
        double height = m_count ? m_offset[0] : 0.0;
        const double step = m_count && m_offset[0] < 0.0 ? -StackStep() : StackStep();
        double angle = std::atan2(m_r10, m_r00);
        if (m_r00 < 0.0 || (m_r00 == 0.0 && m_r10 < 0.0))
            angle = std::atan2(-m_r10, -m_r00);
        for (std::uint32_t i = 1; i < m_count; ++i) {
            const Vec base = locate ? m_p[0] : m_p[i - 1];
            const Vec to = m_p[i];
            Vec u, n;
            double length;
            if (mode < 2) {
                const Vec d = Direction();
                const double along = (to - base).x * d.x + (to - base).y * d.y;
                length = std::fabs(std::fabs(d.x) > 0.5 ? to.x - base.x : to.y - base.y);
                u = along < 0.0 ? -1.0 * d : d;
                n = Perpendicular();
            } else {
                length = Length(to - base);
                u = Unit(to - base);
                n = {-u.y, u.x};
            }
            const double side = height < 0.0 ? -1.0 : 1.0;
            const Vec s = base + height * n;
            const Vec e = s + length * u;
            // Witness lines from each measured point up to the dimension line and beyond.
            Line(base + side * start * n, s + side * over * n);
            Line(to + side * start * n, e + side * over * n);
            char text[64];
            const std::uint32_t tn = Format(text, m_e.m_threeD ? 64 : 32, "%g", length / m_scale);
            const double tw = TextWidth(text, tn);
            if (tw <= length - 4 * m_w) {
                Line(s, e);
                if (kind != 3)
                    Terminator(s, u);
                Terminator(e, -1.0 * u);
                Text(0.5 * (s + e), angle, 13, text, tn);
            } else {
                Line(s - (2 * m_w + tw) * u, e + 4 * m_w * u);
                if (kind != 3)
                    Terminator(s, -1.0 * u);
                Terminator(e, u);
                Text(s - 2 * m_w * u, angle, 12, text, tn);
            }
            if (kind == 4)
                height += step;
        }
    }

    void Angular()
    {
        if (m_count < 3)
            return;
        const int kind = m_e.GetDimensionKind();
        const Vec v = m_p[0];
        const double start = m_e.BodyDouble(kDimWitnessOffset);
        const double over = m_e.BodyDouble(kDimWitnessExtension);
        double radius = Length(m_p[1] - v) + m_offset[1];
        for (std::uint32_t i = 2; i < m_count; ++i) {
            const Point2d vp = {v.x, v.y};
            const double a1 = AngleOfVector(vp, Point2d{m_p[i - 1].x, m_p[i - 1].y});
            const double a2 = AngleOfVector(vp, Point2d{m_p[i].x, m_p[i].y});
            double sweep = a2 - a1;
            if (sweep < 0.0)
                sweep += kTwoPi;
            Arc(v, radius, a1, sweep);
            const Vec d1 = {std::cos(a1), std::sin(a1)}, d2 = {std::cos(a1 + sweep), std::sin(a1 + sweep)};
            Terminator(v + radius * d1, Vec{-d1.y, d1.x});
            // The 2-D dimension has a terminator at the arc's start only.
            if (m_e.m_threeD)
                Terminator(v + radius * d2, Vec{d2.y, -d2.x});
            for (const std::uint32_t arm : {i - 1, i}) {
                const Vec d = arm == i - 1 ? d1 : d2;
                const double r = Length(m_p[arm] - v);
                const double side = radius >= r ? 1.0 : -1.0;
                Line(v + (r + side * start) * d, v + (radius + side * over) * d);
            }
            char text[32];
            const std::uint32_t tn = Format(text, sizeof text, "%g%s", sweep * kDegreesPerRadian, "\xB0");
            const double mid = a1 + sweep / 2;
            double angle = mid - kHalfPi;
            MakeReadable(angle);
            Text(v + radius * Vec{std::cos(mid), std::sin(mid)}, angle, 13, text, tn);
            if (kind == 7 || kind == 8)
                radius += StackStep();
        }
    }

    // The circle of the radius and diameter drawings: point 0 its centre, point 1 on it, point 2
    // placing the text (u the unit direction to it, at distance toText); false with fewer than
    // three points.
    struct Circle {
        Vec c;
        double r;
        Vec u;
        double toText;
    };
    bool CircleOf(Circle& circle) const
    {
        if (m_count < 3)
            return false;
        circle = {m_p[0], Length(m_p[1] - m_p[0]), Unit(m_p[2] - m_p[0]), Length(m_p[2] - m_p[0])};
        return true;
    }

    void CircleDrawing()
    {
        Circle circle;
        if (!CircleOf(circle))
            return;
        const int kind = m_e.GetDimensionKind();
        if (kind == 11 || kind == 17)
            Radius(circle);
        else if (kind == 12 || kind == 18 || (kind == 14 && !m_e.m_threeD))
            Diameter(circle);
        else
            DiameterParallel(circle); // 13, and the 3-D 14 in the same linear form
    }

    void Radius(const Circle& circle)
    {
        const auto& [c, r, u, toText] = circle;
        const bool outside = toText > r;
        const Vec q = c + r * u;
        if (m_e.GetDimensionKind() == 17)
            Line(c, outside ? m_p[2] : q);
        else
            Line(q, m_p[2]);
        Terminator(q, outside ? u : -1.0 * u);
        char text[64];
        const std::uint32_t tn = Format(text, m_e.m_threeD ? 64 : 32, "R %g", r / m_scale);
        double angle = std::atan2(u.y, u.x);
        int justification = outside ? 15 : 11;
        if (MakeReadable(angle))
            justification = justification == 15 ? 11 : 15;
        Text(m_p[2], angle, justification, text, tn);
    }

    void DiameterText(const Circle& circle)
    {
        char text[32];
        const std::uint32_t tn = Format(text, sizeof text, "\xD8 %g", 2 * circle.r / m_scale);
        double angle = std::atan2(circle.u.y, circle.u.x);
        const bool turned = MakeReadable(angle);
        Text(m_p[2], angle, turned && circle.toText <= circle.r ? 15 : 13, text, tn);
    }

    void Diameter(const Circle& circle)
    {
        const auto& [c, r, u, toText] = circle;
        const bool inside = toText <= r;
        const bool extended = m_e.GetDimensionKind() == 18;
        if (inside) {
            Line(c - r * u, c + r * u);
        } else {
            Line(extended ? c - r * u : c + r * u, m_p[2]);
        }
        if (inside || extended) {
            Terminator(c - r * u, u);
            Terminator(c + r * u, -1.0 * u);
        } else {
            Terminator(c + r * u, u);
        }
        DiameterText(circle);
    }

    void DiameterParallel(const Circle& circle)
    {
        const auto& [c, r, u, toText] = circle;
        (void)toText;
        const Vec axis = std::fabs(u.x) >= std::fabs(u.y) ? Vec{1.0, 0.0} : Vec{0.0, 1.0};
        Line(c - r * axis, c + r * axis);
        Line(c + r * axis, m_p[2]);
        Terminator(c - r * axis, axis);
        Terminator(c + r * axis, -1.0 * axis);
        DiameterText(circle);
    }

    void Ordinate()
    {
        const Vec d = Direction();
        Vec end0 = {0, 0};
        for (std::uint32_t i = 0; i < m_count; ++i) {
            const Vec end = m_p[i] + m_offset[i] * d;
            if (i == 0)
                end0 = end;
            Line(m_p[i], end);
            char text[64];
            const std::uint32_t tn = Format(text, m_e.m_threeD ? 64 : 32, "%g", Length(end - end0) / m_scale);
            if (m_r00 == 0.0)
                Text(end, kHalfPi, 10, text, tn);
            else
                Text(end, 0.0, 0, text, tn);
        }
    }

    void CentreMark()
    {
        if (m_count < 1)
            return;
        const double size = m_e.BodyDouble(kDimCentreSize);
        const Vec c = m_p[0];
        Line(c + size * Perpendicular(), c - size * Perpendicular());
        Line(c + size * Direction(), c - size * Direction());
    }

    void LabelLine()
    {
        if (m_count < 2)
            return;
        const Vec mid = 0.5 * (m_p[0] + m_p[1]);
        const Vec d = m_p[1] - m_p[0];
        const double direction = std::atan2(d.y, d.x);
        double angle = direction;
        MakeReadable(angle);
        char text[64];
        std::uint32_t tn = Format(text, sizeof text, "%g", Length(d) / m_scale);
        Text(mid, angle, 13, text, tn);
        tn = Format(text, sizeof text, "%g%s", direction * kDegreesPerRadian, "\xB0");
        Text(mid, angle, 18, text, tn);
    }

    void Note()
    {
        if (m_count < 2)
            return;
        for (std::uint32_t i = 1; i < m_count; ++i)
            Line(m_p[i - 1], m_p[i]);
        const Vec first = m_p[1] - m_p[0];
        const double a0 = NormalizeAngle2Pi(std::atan2(first.y, first.x));
        Terminator(m_p[0], Vec{std::cos(a0), std::sin(a0)});
        // The note text: the trailing bytes (3-D: after 8 of them, 20 in a V8 file), ending with
        // the bytes held or at a 0 before that.
        const CItemArray* bytes = m_e.GetTextArray();
        CDesignFile* file = m_e.GetDesignFile();
        const std::uint32_t skip = m_e.m_threeD ? (file && file->IsV8() ? 20u : 8u) : 0u;
        if (!bytes || bytes->Count() <= skip)
            return;
        const char* text = reinterpret_cast<const char*>(bytes->Data()) + skip;
        const std::uint32_t held = bytes->Count() - skip;
        const void* zero = std::memchr(text, 0, held);
        const std::uint32_t n = zero ? static_cast<std::uint32_t>(static_cast<const char*>(zero) - text) : held;
        if (!n)
            return;
        const Vec last = m_p[m_count - 1] - m_p[m_count - 2];
        double angle = NormalizeAngle2Pi(std::atan2(-last.y, -last.x));
        int justification = 10;
        if (angle >= kHalfPi && angle < kThreeHalfPi) {
            angle += kPi;
            justification = 9;
        }
        // The fonts take texts that end with a 0.
        const std::string note(text, n);
        Text(m_p[m_count - 1], angle, justification, note.c_str(), n);
    }

    IDimensionElement& m_e;
    IGeometrySink* m_sink;
    double m_q[4];
    double m_r00, m_r01, m_r10, m_r11;
    double m_scale;
    double m_w, m_h;
    double m_z = 0.0;
    Vec m_p[kMaxPoints] = {};
    double m_offset[kMaxPoints] = {};
    std::uint32_t m_count = 0;
};

IDimensionElement::IDimensionElement(CDesignFile* file, bool threeD)
    : IBodyGraphicElement(file, 33, 0x1000), m_threeD(threeD), m_points(CItemArray::Create(sizeof(DimensionPoint), 1, 8)),
      m_text(CItemArray::Create(1, 64, 1))
{
    if (threeD)
        m_properties |= kProperty3d;
}

IDimensionElement::~IDimensionElement()
{
    delete m_points;
    delete m_text;
}

IElement* IDimensionElement::Clone(CDesignFile* target, bool removeSource)
{
    IDimensionElement* copy = NewEmpty(target);
    CItemArray* points = m_points ? m_points->Clone() : nullptr;
    CItemArray* text = m_text ? m_text->Clone() : nullptr;
    if (!copy || !points || !text) {
        delete copy;
        delete points;
        delete text;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    std::memcpy(copy->m_body, m_body, kBodyBytes);
    delete copy->m_points;
    delete copy->m_text;
    copy->m_points = points;
    copy->m_text = text;
    return copy;
}

double IDimensionElement::BodyDouble(std::uint32_t at) const { return LoadF64(m_body + at); }

void IDimensionElement::SetBodyDouble(std::uint32_t at, double v)
{
    std::uint8_t* p = m_body + at;
    PutF64(&p, v);
}

std::uint32_t IDimensionElement::BodyU32(std::uint32_t at) const { return LoadU32(m_body + at); }

std::uint32_t IDimensionElement::PointCount() const { return m_points ? m_points->Count() : 0; }

DimensionPoint* IDimensionElement::GetPointItem(std::uint32_t i) const
{
    return i < PointCount() ? reinterpret_cast<DimensionPoint*>(m_points->ItemAt(i)) : nullptr;
}

bool IDimensionElement::GetPoint(std::uint32_t i, Point3d* out) const
{
    const DimensionPoint* p = GetPointItem(i);
    if (!p)
        return false;
    *out = {p->x, p->y, p->z};
    if (p->flags & 0x06) {
        const DimensionPoint* first = GetPointItem(0);
        out->x += first->x;
        out->y += first->y;
        out->z += first->z;
    }
    return true;
}

bool IDimensionElement::AddPoint(const DimensionPoint& p) { return m_points && m_points->AppendItems(&p, 1); }

bool IDimensionElement::ReadBodyV8(CBoundedReader& body)
{
    if (!m_points || !m_text)
        return false;
    body.Bytes(m_body, kBodyBytes);
    if (body.IsShort())
        return false;
    m_points->Reset();
    m_text->Reset();
    // The count byte is signed; a count past the record's bytes takes the points it holds.
    const int stated = static_cast<std::int8_t>(m_body[kDimPointCount]);
    const std::uint32_t held = body.Left() / sizeof(DimensionPoint);
    const std::uint32_t n = stated > 0 ? (static_cast<std::uint32_t>(stated) < held ? static_cast<std::uint32_t>(stated) : held) : 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        DimensionPoint p;
        body.Bytes(&p, sizeof p);
        if (!m_points->AppendItems(&p, 1))
            return false;
    }
    const std::uint32_t rest = body.Left();
    return !rest || m_text->AppendItems(body.Span(rest), rest);
}

bool IDimensionElement::ReadV7Point(const std::uint8_t* b, DimensionPoint* out)
{
    *out = {};
    out->x = PlainI32(b);
    out->y = PlainI32(b + 4);
    out->z = PlainI32(b + 8);
    out->offset = PlainI32(b + 12);
    out->word = LoadU16(b + 16);
    out->flags = LoadU16(b + 18);
    const std::uint8_t kind = b[11];
    if (!(out->flags & 1) || (kind != 1 && kind != 3))
        return true;
    std::uint8_t record[40] = {};
    record[0] = kind;
    if (kind == 1) {
        std::memcpy(record + 2, b + 4, 6);
    } else {
        const std::uint32_t raw = LoadU32(b + 4);
        double degrees = (raw & 0x7FFFFFFFu) * 2.777777777777778e-06;
        if (raw & 0x80000000u)
            degrees = -degrees;
        std::memcpy(record + 2, b + 8, 2);
        std::uint8_t* at = record + 24;
        PutF64(&at, degrees);
    }
    const std::uint64_t id = static_cast<std::uint64_t>(static_cast<std::int64_t>(PlainI32(b)));
    std::uint8_t* at = record + 8;
    PutU64(&at, id);
    IElement* target = m_designFile ? m_designFile->FindElementById(id) : nullptr;
    auto* graphic = target && target->IsGraphic() ? dynamic_cast<IGraphicElement*>(target) : nullptr;
    Point3d p = {0.0, 0.0, 0.0};
    if (graphic && graphic->EvaluateAssociation(record, &p)) {
        out->x = std::trunc(p.x);
        out->y = std::trunc(p.y);
        out->z = std::trunc(p.z);
    } else {
        out->x = out->y = out->z = 0.0;
    }
    return !m_attributes || m_attributes->AddAssociationRecord(0, 0, record);
}

bool IDimensionElement::ReadBodyV7(CV7BodyReader& body)
{
    if (!m_points || !m_text)
        return false;
    const std::uint8_t* record = body.Position() - kV7BodyStart;
    const std::uint8_t* b = body.Span(kV7PointsStart - kV7BodyStart);
    if (!b)
        return false;
    const auto at = [&](std::uint32_t offset) { return b + (offset - kV7BodyStart); };
    std::memset(m_body, 0, kBodyBytes);
    std::uint8_t* p = m_body + 16;
    const std::uint8_t* vax = at(36);
    PutF64(&p, ReadVaxDouble(&vax));
    p = m_body + 24;
    PutU32(&p, LoadU16(at(44)));
    std::memcpy(m_body + 28, at(46), 6);
    p = m_body + 36;
    PutU32(&p, at(52)[0] & 7u);
    PutU32(&p, static_cast<std::uint32_t>(at(52)[0] >> 3));
    PutU32(&p, at(53)[0]);
    PutF64(&p, PlainI32(at(56)));
    PutF64(&p, PlainI32(at(60)));
    PutU32(&p, at(64)[0]);
    PutU32(&p, at(65)[0]);
    PutU32(&p, LoadU16(at(54)));
    PutU16(&p, LoadU16(at(66)));
    p += 2;
    PutU16(&p, at(68)[0]);
    PutU16(&p, at(69)[0]);
    PutU32(&p, LoadU16(at(70)));
    for (int i = 0; i < 9; ++i)
        PutF64(&p, PlainI32(at(72 + 4 * i)));
    PutU32(&p, LoadU32(at(108)));
    PutU32(&p, LoadU32(at(112)));
    // The rotation (3-D quaternion, 2-D matrix) in units of 1 / 2147483647.
    for (int i = 0; i < 4; ++i)
        PutF64(&p, PlainI32(at(120 + 4 * i)) / 2147483647.0);
    m_elementId = static_cast<std::uint64_t>(static_cast<std::int64_t>(PlainI32(at(116))));
    // The points and text end at the attribute data when the record has some.
    std::uint32_t end = static_cast<std::uint32_t>(body.Position() - record) + body.Left();
    if (LoadU16(record + 32) & kV7AttributesPresent) {
        const std::uint32_t attributes = 32 + 2 * static_cast<std::uint32_t>(LoadU16(record + 30));
        if (attributes >= kV7PointsStart && attributes < end)
            end = attributes;
    }
    CBoundedReader rest(body.Position(), end > kV7PointsStart ? end - kV7PointsStart : 0);
    m_points->Reset();
    m_text->Reset();
    const int stated = static_cast<std::int8_t>(m_body[kDimPointCount]);
    const std::uint32_t held = rest.Left() / kV7PointBytes;
    const std::uint32_t n = stated > 0 ? (static_cast<std::uint32_t>(stated) < held ? static_cast<std::uint32_t>(stated) : held) : 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        DimensionPoint point;
        if (!ReadV7Point(rest.Span(kV7PointBytes), &point) || !m_points->AppendItems(&point, 1))
            return false;
    }
    const std::uint32_t t = rest.Left();
    if (t && !m_text->AppendItems(rest.Span(t), t))
        return false;
    body.Skip(body.Left());
    IndexElementId();
    return true;
}

// The body's point count says what the element holds (a count beyond the record was cut).
void IDimensionElement::AfterRead() { m_body[kDimPointCount] = static_cast<std::uint8_t>(PointCount()); }

void IDimensionElement::Touch()
{
    AfterRead();
    IBodyGraphicElement::Touch();
}

std::uint64_t IDimensionElement::BodyBytes() const
{
    return kBodyBytes + static_cast<std::uint64_t>(sizeof(DimensionPoint)) * PointCount() + (m_text ? m_text->Count() : 0);
}

void IDimensionElement::PutBody(std::uint8_t** cursor) const
{
    std::uint8_t body[kBodyBytes];
    std::memcpy(body, m_body, kBodyBytes);
    body[kDimPointCount] = static_cast<std::uint8_t>(PointCount());
    PutBytes(cursor, body, kBodyBytes);
    if (PointCount())
        PutBytes(cursor, m_points->Data(), static_cast<std::uint32_t>(sizeof(DimensionPoint) * PointCount()));
    if (m_text && m_text->Count())
        PutBytes(cursor, m_text->Data(), m_text->Count());
}

void IDimensionElement::Describe(LineCallback callback)
{
    static const struct {
        int kind;
        const char* title;
    } kTitles[] = {
        {1, "Linear Size Arrow"}, {2, "Linear Size Stroked"}, {3, "Linear Locate Single"}, {4, "Linear Locate Stacked"},
        {5, "Angle Size"}, {6, "Arc Size"}, {7, "Angle Location"}, {8, "Arc Location"}, {9, "Angle Lines"}, {10, "Angle Axis"},
        {11, "Radius"}, {12, "Diameter"}, {13, "Diameter Parallel"}, {14, "Diameter Perpendicular"}, {15, "Custom Linear"},
        {16, "Ordinate"}, {17, "Radius Extended"}, {18, "Diameter Extended"}, {19, "Center"}, {50, "Angle Axis X"},
        {51, "Angle Axis Y"}, {52, "Label Line"}, {53, "Note"},
    };
    const char* prefix = m_threeD ? "3d Dimension" : "2d Dimension";
    const char* title = nullptr;
    for (const auto& t : kTitles) {
        if (t.kind == GetDimensionKind())
            title = t.title;
    }
    if (title)
        EmitLine(callback, kLineBuffer, "%s - %s", prefix, title);
    else
        EmitLine(callback, kLineBuffer, "%s (type %i)", prefix, static_cast<int>(GetDimensionKind()));
    IGraphicElement::Describe(callback);
    EmitEnd(callback);
}

void IDimensionElement::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    sink->SetDesignFile(m_designFile);
    if (!m_points)
        return;
    CDimensionDrawing(*this, sink).Draw();
}

bool IDimensionElement::Transform(const double matrix[16])
{
    for (std::uint32_t i = 0; i < PointCount(); ++i) {
        DimensionPoint* d = GetPointItem(i);
        Point3d p = {d->x, d->y, d->z};
        TransformPoint3d(matrix, p);
        d->x = p.x;
        d->y = p.y;
        d->z = p.z;
    }
    return true;
}

CDimensionElement2d::CDimensionElement2d(CDesignFile* file) : IDimensionElement(file, false) { SetRotation(1.0, 0.0, 0.0, 1.0); }

void CDimensionElement2d::SetRotation(double r00, double r01, double r10, double r11)
{
    SetBodyDouble(kDimRotation, r00);
    SetBodyDouble(kDimRotation + 8, r01);
    SetBodyDouble(kDimRotation + 16, r10);
    SetBodyDouble(kDimRotation + 24, r11);
}

CDimensionElement3d::CDimensionElement3d(CDesignFile* file) : IDimensionElement(file, true)
{
    const double identity[4] = {1.0, 0.0, 0.0, 0.0};
    SetRotation(identity);
}

void CDimensionElement3d::SetRotation(const double q[4])
{
    for (int i = 0; i < 4; ++i)
        SetBodyDouble(kDimRotation + 8 * i, q[i]);
}

} // namespace dgn
