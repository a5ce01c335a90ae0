#include "EllipseElements.h"

#include "Geometry.h"
#include "GeometrySink.h"
#include "LittleEndian.h"
#include "PlacementTransforms.h"
#include "ValueEncodings.h"

#include <cmath>
#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr int kAssociationKeyPoint = 3;

// The bodies are plain runs of doubles, in field order.
template <class Body>
constexpr std::size_t Doubles()
{
    return sizeof(Body) / sizeof(double);
}

void ReadV7Body(CV7BodyReader& r, Ellipse2d& b)
{
    b.primary = r.VaxDouble();
    b.secondary = r.VaxDouble();
    b.rotation = r.SignMagnitudeAngle();
    b.cx = r.VaxDouble();
    b.cy = r.VaxDouble();
}

// The 2-D arc's rotation is a two's complement angle, unlike its other angles.
void ReadV7Body(CV7BodyReader& r, Arc2d& b)
{
    b.start = r.SignMagnitudeAngle();
    b.sweep = r.SignMagnitudeAngle();
    b.primary = r.VaxDouble();
    b.secondary = r.VaxDouble();
    b.rotation = r.Angle();
    b.cx = r.VaxDouble();
    b.cy = r.VaxDouble();
}

void ReadV7Body(CV7BodyReader& r, Ellipse3d& b)
{
    b.primary = r.VaxDouble();
    b.secondary = r.VaxDouble();
    r.Quaternion(b.q);
    b.cx = r.VaxDouble();
    b.cy = r.VaxDouble();
    b.cz = r.VaxDouble();
}

void ReadV7Body(CV7BodyReader& r, Arc3d& b)
{
    b.start = r.SignMagnitudeAngle();
    b.sweep = r.SignMagnitudeAngle();
    b.primary = r.VaxDouble();
    b.secondary = r.VaxDouble();
    r.Quaternion(b.q);
    b.cx = r.VaxDouble();
    b.cy = r.VaxDouble();
    b.cz = r.VaxDouble();
}

void Emit(IGeometrySink* sink, const Ellipse2d& b) { sink->AddEllipse2d(b); }
void Emit(IGeometrySink* sink, const Arc2d& b) { sink->AddArc2d(b); }
void Emit(IGeometrySink* sink, const Ellipse3d& b) { sink->AddEllipse3d(b); }
void Emit(IGeometrySink* sink, const Arc3d& b) { sink->AddArc3d(b); }

void TransformBody(const double m[16], Ellipse2d& b) { TransformEllipse2d(m, b); }
void TransformBody(const double m[16], Arc2d& b) { TransformArc2d(m, b); }
void TransformBody(const double m[16], Ellipse3d& b) { TransformEllipse3d(m, b); }
void TransformBody(const double m[16], Arc3d& b) { TransformArc3d(m, b); }

constexpr bool IsArc(const Ellipse2d&) { return false; }
constexpr bool IsArc(const Ellipse3d&) { return false; }
constexpr bool IsArc(const Arc2d&) { return true; }
constexpr bool IsArc(const Arc3d&) { return true; }
double SweepOf(const Ellipse2d&) { return 0.0; }
double SweepOf(const Ellipse3d&) { return 0.0; }
double SweepOf(const Arc2d& b) { return b.sweep; }
double SweepOf(const Arc3d& b) { return b.sweep; }
double StartOf(const Ellipse2d&) { return 0.0; }
double StartOf(const Ellipse3d&) { return 0.0; }
double StartOf(const Arc2d& b) { return b.start; }
double StartOf(const Arc3d& b) { return b.start; }

// The centre, and the point of the ellipse at angle a of its own frame, in design units.
template <class Body>
Point3d Center2d(const Body& b)
{
    return {b.cx, b.cy, 0.0};
}

Point3d Center(const Ellipse2d& b) { return Center2d(b); }
Point3d Center(const Arc2d& b) { return Center2d(b); }
Point3d Center(const Ellipse3d& b) { return {b.cx, b.cy, b.cz}; }
Point3d Center(const Arc3d& b) { return {b.cx, b.cy, b.cz}; }

// The 2-D classes turn the point by their rotation angle, as the 3-D ones by their quaternion.
void Orient(const Ellipse2d& b, Point3d& p) { RotateVector2d(b.rotation, p.x, p.y); }
void Orient(const Arc2d& b, Point3d& p) { RotateVector2d(b.rotation, p.x, p.y); }
void Orient(const Ellipse3d& b, Point3d& p) { RotateByQuaternion(b.q, p); }
void Orient(const Arc3d& b, Point3d& p) { RotateByQuaternion(b.q, p); }

void DescribeCenter(IElement* e, const Ellipse2d& b, char* line) { e->FormatPoint2d({b.cx, b.cy}, "center: ", line); }
void DescribeCenter(IElement* e, const Arc2d& b, char* line) { e->FormatPoint2d({b.cx, b.cy}, "center: ", line); }
void DescribeCenter(IElement* e, const Ellipse3d& b, char* line) { e->FormatPoint3d({b.cx, b.cy, b.cz}, "center: ", line); }
void DescribeCenter(IElement* e, const Arc3d& b, char* line) { e->FormatPoint3d({b.cx, b.cy, b.cz}, "center: ", line); }

void DescribeOrientation(LineCallback callback, const Ellipse2d& b)
{
    EmitLine(callback, kLineBuffer, "rotation angle: %g", RadiansToDegrees(b.rotation));
}
void DescribeOrientation(LineCallback callback, const Arc2d& b)
{
    EmitLine(callback, kLineBuffer, "rotation angle: %g", RadiansToDegrees(b.rotation));
}
template <class Body>
void DescribeQuaternion(LineCallback callback, const Body& b)
{
    EmitLine(callback, kLineBuffer, "rotation: %g, %g, %g, %g", b.q[0], b.q[1], b.q[2], b.q[3]);
}
void DescribeOrientation(LineCallback callback, const Ellipse3d& b) { DescribeQuaternion(callback, b); }
void DescribeOrientation(LineCallback callback, const Arc3d& b) { DescribeQuaternion(callback, b); }

} // namespace

template <class Body>
TEllipticElement<Body>::TEllipticElement(CDesignFile* file, int type, std::uint16_t properties, const char* title)
    : IBodyGraphicElement(file, type, properties), m_title(title)
{
}

template <class Body>
bool TEllipticElement<Body>::ReadBodyV8(CBoundedReader& body)
{
    double values[Doubles<Body>()];
    for (double& v : values)
        v = body.F64();
    std::memcpy(&m_body, values, sizeof m_body);
    return true;
}

template <class Body>
bool TEllipticElement<Body>::ReadBodyV7(CV7BodyReader& body)
{
    ReadV7Body(body, m_body);
    return true;
}

template <class Body>
void TEllipticElement<Body>::PutBody(std::uint8_t** cursor) const
{
    double values[Doubles<Body>()];
    std::memcpy(values, &m_body, sizeof m_body);
    for (double v : values)
        PutF64(cursor, v);
}

template <class Body>
void TEllipticElement<Body>::AfterRead()
{
    if (!IsArc(m_body))
        RebuildFillInfo();
}

template <class Body>
template <class T>
IElement* TEllipticElement<Body>::CloneAs(CDesignFile* target, bool removeSource)
{
    T* copy = new (std::nothrow) T(target);
    if (!copy)
        return nullptr;
    copy->m_body = m_body;
    CopyTo(target, copy, removeSource);
    return copy;
}

template <class Body>
void TEllipticElement<Body>::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "%s", m_title);
    IGraphicElement::Describe(callback);
    char line[kLineBuffer];
    DescribeCenter(this, m_body, line);
    EmitLine(callback, kLineBuffer, "%s", line);
    FormatDistance(m_body.primary, "primary axis: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    FormatDistance(m_body.secondary, "secondary axis: ", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    if (IsArc(m_body))
        EmitLine(callback, kLineBuffer, "starting angle: %g, arc width: %g", RadiansToDegrees(StartOf(m_body)), RadiansToDegrees(SweepOf(m_body)));
    DescribeOrientation(callback, m_body);
    EmitEnd(callback);
}

template <class Body>
void TEllipticElement<Body>::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    // Arcs are never filled; an ellipse keeps its fill bracket even when it draws nothing.
    const CFillInfo* fill = IsArc(m_body) ? nullptr : GetFillInfo();
    if (fill)
        sink->BeginFill(fill);
    if (!IsNearZero(m_body.primary) && !IsNearZero(m_body.secondary))
        Emit(sink, m_body);
    if (fill)
        sink->EndFill(fill);
}

template <class Body>
bool TEllipticElement<Body>::Transform(const double matrix[16])
{
    TransformBody(matrix, m_body);
    return true;
}

template <class Body>
bool TEllipticElement<Body>::EvaluateAssociation(const std::uint8_t* association, Point3d* out)
{
    if (association[0] != kAssociationKeyPoint)
        return false;
    const Point3d center = Center(m_body);
    const std::uint16_t selector = LoadU16(association + 2);
    if (selector == 1) {
        *out = center;
        return true;
    }
    double angle = LoadF64(association + 24);
    if (selector == 2)
        angle = 0.0;
    else if (selector == 3)
        angle = SweepOf(m_body);
    Point3d p = {std::cos(angle) * m_body.primary, std::sin(angle) * m_body.secondary, 0.0};
    Orient(m_body, p);
    *out = {p.x + center.x, p.y + center.y, p.z + center.z};
    return true;
}

template class TEllipticElement<Ellipse2d>;
template class TEllipticElement<Arc2d>;
template class TEllipticElement<Ellipse3d>;
template class TEllipticElement<Arc3d>;

CEllipseElement2d::CEllipseElement2d(CDesignFile* file) : TEllipticElement(file, 15, kPropertyScreen, "2d Ellipse") {}
CArcElement2d::CArcElement2d(CDesignFile* file) : TEllipticElement(file, 16, kPropertyScreen, "2d Elliptical Arc") {}
CEllipseElement3d::CEllipseElement3d(CDesignFile* file) : TEllipticElement(file, 15, kProperty3d | kPropertyScreen, "3d Ellipse") {}
CArcElement3d::CArcElement3d(CDesignFile* file) : TEllipticElement(file, 16, kProperty3d | kPropertyScreen, "3d Elliptical Arc") {}

IElement* CEllipseElement2d::Clone(CDesignFile* target, bool removeSource) { return CloneAs<CEllipseElement2d>(target, removeSource); }
IElement* CArcElement2d::Clone(CDesignFile* target, bool removeSource) { return CloneAs<CArcElement2d>(target, removeSource); }
IElement* CEllipseElement3d::Clone(CDesignFile* target, bool removeSource) { return CloneAs<CEllipseElement3d>(target, removeSource); }
IElement* CArcElement3d::Clone(CDesignFile* target, bool removeSource) { return CloneAs<CArcElement3d>(target, removeSource); }

CEllipseElement2d* CEllipseElement2d::Create(CDesignFile* file, std::int32_t model)
{
    return static_cast<CEllipseElement2d*>(PlaceNewElement(new (std::nothrow) CEllipseElement2d(file), file, model));
}

CArcElement2d* CArcElement2d::Create(CDesignFile* file, std::int32_t model)
{
    return static_cast<CArcElement2d*>(PlaceNewElement(new (std::nothrow) CArcElement2d(file), file, model));
}

} // namespace dgn
