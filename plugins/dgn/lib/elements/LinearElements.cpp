#include "LinearElements.h"

#include "DesignFile.h"
#include "Geometry.h"
#include "GeometrySink.h"
#include "LittleEndian.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr int kAssociationFraction = 1;
constexpr int kAssociationIntersection = 8;

void ReadPoint(CBoundedReader& r, Point2d& p)
{
    p.x = r.F64();
    p.y = r.F64();
}

void ReadPoint(CBoundedReader& r, Point3d& p)
{
    p.x = r.F64();
    p.y = r.F64();
    p.z = r.F64();
}

// V7 coordinates are int32 in design units, taken unscaled.
void ReadPoint(CV7BodyReader& r, Point2d& p)
{
    p.x = r.I32();
    p.y = r.I32();
}

void ReadPoint(CV7BodyReader& r, Point3d& p)
{
    p.x = r.I32();
    p.y = r.I32();
    p.z = r.I32();
}

// n points from either record kind; true (a short reader is the caller's test).
template <class Reader, class Point>
bool ReadPoints(Reader& r, Point* points, std::uint32_t n)
{
    for (std::uint32_t i = 0; i < n; ++i)
        ReadPoint(r, points[i]);
    return true;
}

void PutPoint(std::uint8_t** c, const Point2d& p)
{
    PutF64(c, p.x);
    PutF64(c, p.y);
}

void PutPoint(std::uint8_t** c, const Point3d& p)
{
    PutF64(c, p.x);
    PutF64(c, p.y);
    PutF64(c, p.z);
}

void TransformOne(const double m[16], Point2d& p) { TransformPoint2d(m, p); }
void TransformOne(const double m[16], Point3d& p) { TransformPoint3d(m, p); }
void AddLine(IGeometrySink* sink, const Point2d line[2]) { sink->AddLine2d(line); }
void AddLine(IGeometrySink* sink, const Point3d line[2]) { sink->AddLine3d(line); }

Point3d To3d(const Point2d& p) { return {p.x, p.y, 0.0}; }
Point3d To3d(const Point3d& p) { return p; }

void Format(const IElement* e, const Point2d& p, const char* prefix, char* out) { e->FormatPoint2d(p, prefix, out); }
void Format(const IElement* e, const Point3d& p, const char* prefix, char* out) { e->FormatPoint3d(p, prefix, out); }

constexpr std::uint32_t V7PointBytes(const Point2d*) { return 8; }
constexpr std::uint32_t V7PointBytes(const Point3d*) { return 12; }

// The fraction numerator / divisor of an association record (words at 4 and 6); false for a
// zero divisor, which places no point.
bool AssociationFraction(const std::uint8_t* association, double* f)
{
    const std::uint16_t divisor = LoadU16(association + 6);
    if (!divisor)
        return false;
    *f = static_cast<double>(LoadU16(association + 4)) / divisor;
    return true;
}

// The other line of a kind 8 association, by the ID at record offset 16: its end points.
IElement* PartnerLine(CDesignFile* file, const std::uint8_t* association)
{
    if (!file)
        return nullptr;
    const std::uint64_t id = LoadU64(association + 16);
    IElement* other = file->FindElementById(id);
    return other && other->GetType() == 3 ? other : nullptr;
}

const VertexClassInfo kLineString3d = {4, kProperty3d | kPropertyScreen, "3d Path (line string)", "nodes: %i", "node: %i, at: %s", true, false};
const VertexClassInfo kShape3d = {6, kProperty3d | kPropertyScreen, "3d Polygon (shape)", "nodes: %i", "node: %i, at: %s", true, true};
const VertexClassInfo kShape2d = {6, kPropertyNew, "2d Polygon (shape)", "nodes: %i", "node: %i, at: %s", true, true};
const VertexClassInfo kLineString2d = {4, kPropertyScreen, "2d Path (line string)", "nodes: %i", "node: %i, at: %s", true, false};
const VertexClassInfo kCurve2d = {11, kPropertyScreen, "2d Curve", "nodes: %i", "node: %i, at: %s", false, true};
const VertexClassInfo kPoles2d = {21, kPropertyScreen, "2d B-Spline poles", " Number of poles: %i", "pole: %i, at: %s", false, false};
const VertexClassInfo kPointString2d = {22, kPropertyScreen, "2d PointString - %i nodes", nullptr, "node: %i, at: %s", false, false};
const VertexClassInfo kCurve3d = {11, kProperty3d | kPropertyScreen, "3d Curve", "nodes: %i", "node: %i, at: %s", false, true};
const VertexClassInfo kPointString3d = {22, kProperty3d | kPropertyScreen, "3d PointString - %i nodes", nullptr, "node: %i, at: %s", false, false};

} // namespace

// ---------------------------------------------------------------------------------------------
// Lines

template <class Point>
TLineElement<Point>::TLineElement(CDesignFile* file, std::uint16_t properties, const char* title)
    : IBodyGraphicElement(file, 3, properties), m_title(title)
{
}

template <class Point>
bool TLineElement<Point>::ReadBodyV8(CBoundedReader& body)
{
    return ReadPoints(body, m_points, 2);
}

template <class Point>
bool TLineElement<Point>::ReadBodyV7(CV7BodyReader& body)
{
    return ReadPoints(body, m_points, 2);
}

template <class Point>
void TLineElement<Point>::PutBody(std::uint8_t** cursor) const
{
    PutPoint(cursor, m_points[0]);
    PutPoint(cursor, m_points[1]);
}

template <class Point>
template <class T>
IElement* TLineElement<Point>::CloneAs(CDesignFile* target, bool removeSource)
{
    T* copy = new (std::nothrow) T(target);
    if (!copy)
        return nullptr;
    copy->m_points[0] = m_points[0];
    copy->m_points[1] = m_points[1];
    CopyTo(target, copy, removeSource);
    return copy;
}

template <class Point>
void TLineElement<Point>::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "%s", m_title);
    IGraphicElement::Describe(callback);
    char line[kLineBuffer];
    Format(this, m_points[0], "from:", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    Format(this, m_points[1], "to:", line);
    EmitLine(callback, kLineBuffer, "%s", line);
    EmitEnd(callback);
}

template <class Point>
void TLineElement<Point>::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    AddLine(sink, m_points);
}

template <class Point>
bool TLineElement<Point>::Transform(const double matrix[16])
{
    TransformOne(matrix, m_points[0]);
    TransformOne(matrix, m_points[1]);
    return true;
}

template class TLineElement<Point2d>;
template class TLineElement<Point3d>;

CLineElement3d::CLineElement3d(CDesignFile* file) : TLineElement(file, kProperty3d | kPropertyScreen, "3d Line") {}
CLineElement2d::CLineElement2d(CDesignFile* file) : TLineElement(file, kPropertyScreen, "2d Line") {}
IElement* CLineElement3d::Clone(CDesignFile* target, bool removeSource) { return CloneAs<CLineElement3d>(target, removeSource); }
IElement* CLineElement2d::Clone(CDesignFile* target, bool removeSource) { return CloneAs<CLineElement2d>(target, removeSource); }

bool CLineElement3d::GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t)
{
    if (selector != 0)
        return false;
    *out = m_points[0];
    return true;
}

bool CLineElement3d::EvaluateAssociation(const std::uint8_t* association, Point3d* out)
{
    const double s1[6] = {m_points[0].x, m_points[0].y, m_points[0].z, m_points[1].x, m_points[1].y, m_points[1].z};
    switch (association[0]) {
    case kAssociationFraction: {
        double f = 0.0;
        if (!AssociationFraction(association, &f))
            return false;
        Lerp3d(s1, f, *out);
        return true;
    }
    case kAssociationIntersection: {
        IElement* other = PartnerLine(m_designFile, association);
        Point3d a, b;
        if (auto* line3d = dynamic_cast<CLineElement3d*>(other)) {
            a = line3d->GetGeometry()[0];
            b = line3d->GetGeometry()[1];
        } else if (auto* line2d = dynamic_cast<CLineElement2d*>(other)) {
            a = To3d(line2d->GetGeometry()[0]);
            b = To3d(line2d->GetGeometry()[1]);
        } else {
            return false;
        }
        const double s2[6] = {a.x, a.y, a.z, b.x, b.y, b.z};
        return IntersectLines3d(s1, s2, *out) > 0;
    }
    default:
        return false;
    }
}

bool CLineElement2d::GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t)
{
    if (selector == 0) {
        *out = To3d(m_points[0]);
        return true;
    }
    return selector >= 1 && selector <= 3;
}

bool CLineElement2d::EvaluateAssociation(const std::uint8_t* association, Point3d* out)
{
    const double s1[4] = {m_points[0].x, m_points[0].y, m_points[1].x, m_points[1].y};
    switch (association[0]) {
    case kAssociationFraction: {
        double f = 0.0;
        if (!AssociationFraction(association, &f))
            return false;
        Point2d p;
        Lerp2d(s1, f, p);
        *out = To3d(p);
        return true;
    }
    case kAssociationIntersection: {
        IElement* other = PartnerLine(m_designFile, association);
        Point2d a, b;
        if (auto* line2d = dynamic_cast<CLineElement2d*>(other)) {
            a = line2d->GetGeometry()[0];
            b = line2d->GetGeometry()[1];
        } else if (auto* line3d = dynamic_cast<CLineElement3d*>(other)) {
            a = {line3d->GetGeometry()[0].x, line3d->GetGeometry()[0].y};
            b = {line3d->GetGeometry()[1].x, line3d->GetGeometry()[1].y};
        } else {
            return false;
        }
        const double s2[4] = {a.x, a.y, b.x, b.y};
        Point2d p;
        if (IntersectLines2d(s1, s2, p) <= 0)
            return false;
        *out = To3d(p);
        return true;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Vertex lists

template <class Point, class Array>
TVertexElement<Point, Array>::TVertexElement(CDesignFile* file, const VertexClassInfo& info)
    : IBodyGraphicElement(file, info.type, info.properties), m_info(info), m_points(Array::Create())
{
}

template <class Point, class Array>
TVertexElement<Point, Array>::~TVertexElement()
{
    delete m_points;
}

template <class Point, class Array>
bool TVertexElement<Point, Array>::ReadBodyV8(CBoundedReader& body)
{
    const std::int32_t stated = body.I32();
    m_extraWord = body.U32();
    if (body.IsShort() || !m_points)
        return false;
    // A negative count reads no vertex; a larger one than the record holds reads what it holds.
    const std::uint32_t room = body.Left() / (sizeof(Point) + NodeExtraBytesV8());
    const std::uint32_t n = stated <= 0 ? 0 : (static_cast<std::uint32_t>(stated) < room ? static_cast<std::uint32_t>(stated) : room);
    return m_points->Resize(n) && ReadPoints(body, m_points->Data(), n) && ReadNodeExtrasV8(body, n);
}

template <class Point, class Array>
bool TVertexElement<Point, Array>::ReadBodyV7(CV7BodyReader& body)
{
    const std::uint16_t stated = body.U16();
    if (body.IsShort() || !m_points)
        return false;
    const std::uint32_t n = body.Bound(stated, V7PointBytes(static_cast<const Point*>(nullptr)) + NodeExtraBytesV7());
    return m_points->Resize(n) && ReadPoints(body, m_points->Data(), n) && ReadNodeExtrasV7(body, n);
}

template <class Point, class Array>
std::uint64_t TVertexElement<Point, Array>::BodyBytes() const
{
    return 8 + static_cast<std::uint64_t>(VertexCount()) * (sizeof(Point) + NodeExtraBytesV8());
}

template <class Point, class Array>
void TVertexElement<Point, Array>::PutBody(std::uint8_t** cursor) const
{
    const std::uint32_t n = VertexCount();
    PutU32(cursor, n);
    PutU32(cursor, m_extraWord);
    for (std::uint32_t i = 0; i < n; ++i)
        PutPoint(cursor, m_points->Data()[i]);
    PutNodeExtras(cursor);
}

template <class Point, class Array>
void TVertexElement<Point, Array>::AfterRead()
{
    if (m_info.fill)
        RebuildFillInfo();
}

template <class Point, class Array>
bool TVertexElement<Point, Array>::CopyVerticesTo(TVertexElement* copy) const
{
    Array* points = m_points ? m_points->Clone() : nullptr;
    if (!points)
        return false;
    delete copy->m_points;
    copy->m_points = points;
    copy->m_extraWord = m_extraWord;
    return true;
}

template <class Point, class Array>
void TVertexElement<Point, Array>::Describe(LineCallback callback)
{
    const std::uint32_t n = VertexCount();
    EmitLine(callback, kLineBuffer, m_info.title, static_cast<int>(n));
    IGraphicElement::Describe(callback);
    if (m_info.countLine)
        EmitLine(callback, kLineBuffer, m_info.countLine, static_cast<int>(n));
    char point[kLineBuffer];
    for (std::uint32_t i = 0; i < n; ++i) {
        Format(this, m_points->Data()[i], nullptr, point);
        EmitLine(callback, kLineBuffer, m_info.vertexLine, static_cast<int>(i + 1), point);
    }
    EmitEnd(callback);
}

template <class Point, class Array>
bool TVertexElement<Point, Array>::Transform(const double matrix[16])
{
    if (m_points)
        m_points->Transform(matrix);
    return true;
}

template <class Point, class Array>
bool TVertexElement<Point, Array>::GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t)
{
    if (!m_info.keyPoints || selector != 0 || VertexCount() == 0)
        return false;
    *out = To3d(m_points->Data()[0]);
    return true;
}

template <class Point, class Array>
bool TVertexElement<Point, Array>::EvaluateAssociation(const std::uint8_t* association, Point3d* out)
{
    const std::uint32_t n = VertexCount();
    const std::uint32_t segment = LoadU16(association + 2);
    double f = 0.0;
    if (!m_info.keyPoints || association[0] != kAssociationFraction || n < 2 || segment >= n - 1 || !AssociationFraction(association, &f))
        return false;
    const Point3d a = To3d(m_points->Data()[segment]);
    const Point3d b = To3d(m_points->Data()[segment + 1]);
    *out = {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f};
    return true;
}

template <class Point, class Array>
void TVertexElement<Point, Array>::EmitFilled(IGeometrySink* sink, void (IGeometrySink::*polygon)(std::uint32_t, const Point*))
{
    const std::uint32_t n = VertexCount();
    if (!n)
        return;
    const CFillInfo* fill = GetFillInfo();
    if (fill)
        sink->BeginFill(fill);
    (sink->*polygon)(n, m_points->Data());
    if (fill)
        sink->EndFill(fill);
}

template class TVertexElement<Point3d, CPoint3dArray>;
template class TVertexElement<Point2d, CPoint2dArray>;

#define DGN_VERTEX_CLONE(Name)                                                                                                             \
    IElement* Name::Clone(CDesignFile* target, bool removeSource)                                                                          \
    {                                                                                                                                      \
        Name* copy = new (std::nothrow) Name(target);                                                                                      \
        if (!copy)                                                                                                                         \
            return nullptr;                                                                                                                \
        if (!CopyVerticesTo(copy)) {                                                                                                       \
            delete copy;                                                                                                                   \
            return nullptr;                                                                                                                \
        }                                                                                                                                  \
        CopyTo(target, copy, removeSource);                                                                                                \
        return copy;                                                                                                                       \
    }

CLineStringElement3d::CLineStringElement3d(CDesignFile* file) : TVertexElement3d(file, kLineString3d) {}
DGN_VERTEX_CLONE(CLineStringElement3d)
void CLineStringElement3d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    if (VertexCount())
        sink->AddPoints3d(VertexCount(), m_points->Data());
}

CShapeElement3d::CShapeElement3d(CDesignFile* file) : TVertexElement3d(file, kShape3d) {}
DGN_VERTEX_CLONE(CShapeElement3d)
void CShapeElement3d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    EmitFilled(sink, &IGeometrySink::AddPolygon3d);
}

CShapeElement2d::CShapeElement2d(CDesignFile* file) : TVertexElement2d(file, kShape2d) {}
DGN_VERTEX_CLONE(CShapeElement2d)
void CShapeElement2d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    EmitFilled(sink, &IGeometrySink::AddPolygon2d);
}

CShapeElement2d* CShapeElement2d::Create(CDesignFile* file, std::int32_t model)
{
    return static_cast<CShapeElement2d*>(PlaceNewElement(new (std::nothrow) CShapeElement2d(file), file, model));
}

CLineStringElement2d::CLineStringElement2d(CDesignFile* file) : TVertexElement2d(file, kLineString2d) {}
DGN_VERTEX_CLONE(CLineStringElement2d)
void CLineStringElement2d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    if (VertexCount())
        sink->AddPoints2d(VertexCount(), m_points->Data());
}

CCurveElement2d::CCurveElement2d(CDesignFile* file) : TVertexElement2d(file, kCurve2d) {}
DGN_VERTEX_CLONE(CCurveElement2d)
void CCurveElement2d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    if (VertexCount() > 4)
        sink->AddPoints2d(VertexCount() - 4, m_points->Data() + 2);
}

CBSplinePoleElement2d::CBSplinePoleElement2d(CDesignFile* file) : TVertexElement2d(file, kPoles2d) {}
DGN_VERTEX_CLONE(CBSplinePoleElement2d)
void CBSplinePoleElement2d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    if (VertexCount())
        sink->AddPoints2d(VertexCount(), m_points->Data());
}

CCurveElement3d::CCurveElement3d(CDesignFile* file) : TVertexElement3d(file, kCurve3d) {}

DGN_VERTEX_CLONE(CCurveElement3d)

void CCurveElement3d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    // Fewer than five nodes leave nothing between the end tangents: nothing is drawn.
    if (VertexCount() > 4)
        sink->AddPoints3d(VertexCount() - 4, m_points->Data() + 2);
}

template <class Point, class Array>
TPointStringElement<Point, Array>::TPointStringElement(CDesignFile* file, const VertexClassInfo& info)
    : TVertexElement<Point, Array>(file, info), m_orientations(CDoubleArray::Create())
{
}

template <class Point, class Array>
TPointStringElement<Point, Array>::~TPointStringElement()
{
    delete m_orientations;
}

template <class Point, class Array>
bool TPointStringElement<Point, Array>::CopyVerticesTo(TVertexElement<Point, Array>* copy) const
{
    TPointStringElement* target = static_cast<TPointStringElement*>(copy);
    CDoubleArray* orientations = m_orientations ? m_orientations->Clone() : nullptr;
    if (!orientations || !TVertexElement<Point, Array>::CopyVerticesTo(copy)) {
        delete orientations;
        return false;
    }
    delete target->m_orientations;
    target->m_orientations = orientations;
    return true;
}

template <class Point, class Array>
bool TPointStringElement<Point, Array>::ReadNodeExtrasV8(CBoundedReader& body, std::uint32_t n)
{
    if (!m_orientations)
        return false;
    m_orientations->Clear();
    for (std::uint32_t i = 0; i < n; ++i) {
        double q[4];
        for (double& v : q)
            v = body.F64();
        if (!m_orientations->Append(q, 4))
            return false;
    }
    return true;
}

template <class Point, class Array>
bool TPointStringElement<Point, Array>::ReadNodeExtrasV7(CV7BodyReader& body, std::uint32_t n)
{
    if (!m_orientations)
        return false;
    m_orientations->Clear();
    for (std::uint32_t i = 0; i < n; ++i) {
        double q[4];
        body.Quaternion(q);
        if (!m_orientations->Append(q, 4))
            return false;
    }
    return true;
}

template <class Point, class Array>
void TPointStringElement<Point, Array>::PutNodeExtras(std::uint8_t** cursor) const
{
    // Four doubles a node; nodes added without an orientation write zeros.
    const std::uint32_t values = this->VertexCount() * 4;
    const std::uint32_t held = m_orientations ? m_orientations->GetCount() : 0;
    for (std::uint32_t i = 0; i < values; ++i)
        PutF64(cursor, i < held ? m_orientations->GetAt(i) : 0.0);
}

template <class Point, class Array>
double* TPointStringElement<Point, Array>::GetNodeOrientation(std::uint32_t i) const
{
    if (!m_orientations || i >= this->VertexCount() || static_cast<std::uint64_t>(i) * 4 + 4 > m_orientations->GetCount())
        return nullptr;
    return m_orientations->ElementPointer(i * 4);
}

template <class Point, class Array>
void TPointStringElement<Point, Array>::EmitPoints(IGeometrySink* sink, void (IGeometrySink::*point)(const Point&),
                                                   void (IGeometrySink::*polyline)(std::uint32_t, const Point*))
{
    const std::uint32_t n = this->VertexCount();
    if (!n)
        return;
    if (!IsDisjoint()) {
        (sink->*polyline)(n, this->m_points->Data());
        return;
    }
    for (std::uint32_t i = 0; i < n; ++i)
        (sink->*point)(this->m_points->Data()[i]);
}

template class TPointStringElement<Point2d, CPoint2dArray>;
template class TPointStringElement<Point3d, CPoint3dArray>;

CPointStringElement2d::CPointStringElement2d(CDesignFile* file) : TPointString2d(file, kPointString2d) {}

DGN_VERTEX_CLONE(CPointStringElement2d)

void CPointStringElement2d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    EmitPoints(sink, &IGeometrySink::AddPoint2d, &IGeometrySink::AddPoints2d);
}

CPointStringElement3d::CPointStringElement3d(CDesignFile* file) : TPointString3d(file, kPointString3d) {}

DGN_VERTEX_CLONE(CPointStringElement3d)

void CPointStringElement3d::EmitGeometry(CEntityIterator* context, IGeometrySink* sink)
{
    ApplySymbologyTo(context, sink);
    EmitPoints(sink, &IGeometrySink::AddPoint3d, &IGeometrySink::AddPoints3d);
}

} // namespace dgn
