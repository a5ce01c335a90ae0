#include "TransformHelper.h"

#include "Geometry.h"
#include "Point2dArray.h"
#include "Point3dArray.h"
#include "Stroking.h"
#include "TransformStack.h"
#include "fonts/FontTextBox.h"

#include <new>

namespace dgn {

CTransformHelper* CTransformHelper::Create()
{
    CTransformHelper* helper = new (std::nothrow) CTransformHelper;
    if (!helper)
        return nullptr;
    helper->m_stack = CTransformStack::Create();
    if (!helper->m_stack) {
        delete helper;
        return nullptr;
    }
    return helper;
}

CTransformHelper::~CTransformHelper() { delete m_stack; }

int CTransformHelper::Kind() const { return 2; }
CTransformStack* CTransformHelper::TransformStack() { return m_stack; }
void CTransformHelper::SetDesignFile(CDesignFile* file) { m_designFile = file; }

void CTransformHelper::Widen(double x, double y, double z, bool threeD)
{
    if (!m_hasRange) {
        m_range[0] = m_range[3] = x;
        m_range[1] = m_range[4] = y;
        m_range[2] = m_range[5] = threeD ? z : 0.0;
        m_hasRange = 1;
        return;
    }
    const double v[3] = {x, y, z};
    for (int i = 0; i < (threeD ? 3 : 2); ++i) {
        if (v[i] < m_range[i])
            m_range[i] = v[i];
        if (v[i] > m_range[i + 3])
            m_range[i + 3] = v[i];
    }
}

void CTransformHelper::AddPoint2d(const Point2d& p)
{
    Point2d q = p;
    m_stack->TransformPoint2d(q);
    Widen(q.x, q.y, 0.0, false);
}

void CTransformHelper::AddLine2d(const Point2d line[2])
{
    AddPoint2d(line[0]);
    AddPoint2d(line[1]);
}

void CTransformHelper::AddPoints2d(std::uint32_t n, const Point2d* points)
{
    for (std::uint32_t i = 0; points && i < n; ++i)
        AddPoint2d(points[i]);
}

void CTransformHelper::AddPolygon2d(std::uint32_t n, const Point2d* points) { AddPoints2d(n, points); }

void CTransformHelper::AddEllipse2d(const Ellipse2d& ellipse)
{
    CPoint2dArray* points = StrokeEllipse2d(ellipse, 0);
    if (points)
        AddPoints2d(points->Count(), points->Data());
    delete points;
}

void CTransformHelper::AddArc2d(const Arc2d& arc)
{
    CPoint2dArray* points = StrokeArc2d(arc);
    if (points)
        AddPoints2d(points->Count(), points->Data());
    delete points;
}

void CTransformHelper::AddText2d(const TextParams2d* placement, const std::uint8_t* text, std::int32_t)
{
    Point2d corners[4];
    if (FontTextBox2d(m_designFile, this, placement, text, corners))
        AddPoints2d(4, corners);
}

void CTransformHelper::AddBox3d(std::int32_t, const Point3d& p, double w, double h)
{
    AddPoint3d(Point3d{p.x, p.y - h, p.z});
    AddPoint3d(Point3d{p.x + w, p.y, p.z});
}

void CTransformHelper::AddBox2d(std::int32_t, const Point2d& p, double w, double h)
{
    AddPoint2d(Point2d{p.x, p.y - h});
    AddPoint2d(Point2d{p.x + w, p.y});
}

void CTransformHelper::AddPoint3d(const Point3d& p)
{
    Point3d q = p;
    m_stack->TransformPoint3d(q);
    Widen(q.x, q.y, q.z, true);
}

void CTransformHelper::AddLine3d(const Point3d line[2])
{
    AddPoint3d(line[0]);
    AddPoint3d(line[1]);
}

void CTransformHelper::AddPoints3d(std::uint32_t n, const Point3d* points)
{
    for (std::uint32_t i = 0; points && i < n; ++i)
        AddPoint3d(points[i]);
}

void CTransformHelper::AddPolygon3d(std::uint32_t n, const Point3d* points) { AddPoints3d(n, points); }

void CTransformHelper::AddEllipse3d(const Ellipse3d& ellipse)
{
    CPoint3dArray* points = StrokeEllipse3d(ellipse, 0);
    if (points)
        AddPoints3d(points->Count(), points->Data());
    delete points;
}

void CTransformHelper::AddArc3d(const Arc3d& arc)
{
    CPoint3dArray* points = StrokeArc3d(arc);
    if (points)
        AddPoints3d(points->Count(), points->Data());
    delete points;
}

void CTransformHelper::AddText3d(const TextParams3d* placement, const std::uint8_t* text, std::int32_t)
{
    Point3d corners[4];
    if (FontTextBox3d(m_designFile, this, placement, text, corners))
        AddPoints3d(4, corners);
}

void CTransformHelper::AddObject(IGeometryObject* object, std::int32_t arg)
{
    if (object)
        object->EmitGeometry(this, arg);
}

void CTransformHelper::AddRotatedOffset3d(std::int32_t, const Point3d& p, double dx, double dy, double angle)
{
    AddPoint3d(p);
    double m[16];
    SetIdentity4x4(m);
    RotateMatrixZ(m, angle);
    TranslateMatrix(m, dx, dy, 0.0);
    Point3d q = p;
    TransformPoint3d(m, q);
    AddPoint3d(q);
}

bool CTransformHelper::IsNested() const { return m_nesting > 0; }

void CTransformHelper::Nest(std::int32_t enter)
{
    if (enter)
        ++m_nesting;
    else
        --m_nesting;
}

IEntity* CTransformHelper::Value(IEntity* value)
{
    if (value)
        m_value = value;
    return m_value;
}

void CTransformHelper::ResetRange() { m_hasRange = 0; }
const double* CTransformHelper::Range() const { return m_range; }

} // namespace dgn
