#include "NurbCurve.h"

#include "Geometry.h"
#include "ItemArray.h"
#include "Point2dArray.h"
#include "Point3dArray.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint32_t kPole2dBytes = 24;
constexpr std::uint32_t kPole3dBytes = 32;
constexpr std::uint32_t kKnotBlock = 16;

} // namespace

CNurbCurveBase::~CNurbCurveBase()
{
    delete m_poleArray;
    delete m_knotArray;
}

bool CNurbCurveBase::Initialize(int degree, bool closed, bool rational, CItemArray* poles, std::uint32_t poleBytes, const double* knots,
                                std::uint32_t knotCount)
{
    m_poleArray = poles;
    if (!poles || poles->Stride() < poleBytes || !IsEvaluableNurbs(degree, closed, poles->Count()))
        return false;
    m_degree = degree;
    m_closed = closed;
    m_rational = rational;
    m_poles = static_cast<std::int32_t>(poles->Count());
    m_poleData = reinterpret_cast<const double*>(poles->Data());
    m_knots = m_poles + 1 + degree;
    m_knotArray = CItemArray::Create(sizeof(double), kKnotBlock, sizeof(double));
    if (!m_knotArray)
        return false;
    if (knots && knotCount == static_cast<std::uint32_t>(m_knots)) {
        if (!m_knotArray->AppendItems(knots, knotCount))
            return false;
        m_knotData = reinterpret_cast<const double*>(m_knotArray->Data());
        return true;
    }
    // No knots, or knots of another length (which would be read past their end): made.
    return closed ? MakePeriodicKnots() : MakeClampedKnots();
}

template <class Curve>
Curve* CNurbCurveBase::Make(int degree, bool closed, bool rational, CItemArray* poles, std::uint32_t poleBytes, const double* knots,
                            std::uint32_t knotCount)
{
    Curve* c = new (std::nothrow) Curve;
    if (!c) {
        delete poles;
        return nullptr;
    }
    if (!c->Initialize(degree, closed, rational, poles, poleBytes, knots, knotCount)) {
        delete c;
        return nullptr;
    }
    return c;
}

template <class Curve>
Curve* CNurbCurveBase::Copy(const Curve& curve)
{
    Curve* copy = new (std::nothrow) Curve;
    if (!copy)
        return nullptr;
    copy->m_poleArray = curve.m_poleArray->Clone();
    copy->m_knotArray = curve.m_knotArray->Clone();
    if (!copy->m_poleArray || !copy->m_knotArray) {
        delete copy;
        return nullptr;
    }
    copy->m_degree = curve.m_degree;
    copy->m_closed = curve.m_closed;
    copy->m_rational = curve.m_rational;
    copy->m_poles = curve.m_poles;
    copy->m_knots = curve.m_knots;
    copy->m_poleData = reinterpret_cast<const double*>(copy->m_poleArray->Data());
    copy->m_knotData = reinterpret_cast<const double*>(copy->m_knotArray->Data());
    return copy;
}

template <class Array, class Curve>
Array* CNurbCurveBase::StrokeInto(Curve& curve, std::uint32_t segments)
{
    if (!segments || segments == 0xFFFFFFFFu)
        return nullptr;
    Array* points = Array::CreateSized(segments + 1);
    if (!points)
        return nullptr;
    const double step = 1.0 / segments;
    double t = 0.0;
    for (std::uint32_t k = 0; k <= segments; ++k, t += step)
        curve.Evaluate(t, points->At(k));
    return points;
}

void CNurbCurveBase::GetDefinition(NurbCurveDefinition* out) const
{
    *out = {m_degree, m_closed, m_poles, m_knots, m_rational, m_poleData, m_knotData};
}

bool CNurbCurveBase::MakeClampedKnots()
{
    m_knotArray->Reset();
    if (!m_knotArray->Grow(static_cast<std::uint32_t>(m_knots)))
        return false;
    m_knotData = reinterpret_cast<const double*>(m_knotArray->Data());
    FillClampedKnots(reinterpret_cast<double*>(m_knotArray->Data()), m_degree, m_poles);
    return true;
}

bool CNurbCurveBase::MakePeriodicKnots()
{
    m_knotArray->Reset();
    if (!m_knotArray->Grow(static_cast<std::uint32_t>(m_knots)))
        return false;
    m_knotData = reinterpret_cast<const double*>(m_knotArray->Data());
    // The step counts the poles less 3 whatever the degree (a closed curve has at least 4).
    FillPeriodicKnots(reinterpret_cast<double*>(m_knotArray->Data()), m_degree, m_poles, 1.0 / (m_poles - 3));
    return true;
}

void CNurbCurveBase::BasisFunctions(int span, double t) { NurbsBasisFunctions(span, t, m_degree, m_knotData, m_basis, false); }

int CNurbCurveBase::FindSpan(double t) const { return FindNurbsSpan(m_knots, m_knotData, m_degree, t); }

const double* CNurbCurveBase::Pole(int i) const { return reinterpret_cast<const double*>(m_poleArray->ItemAt(static_cast<std::uint32_t>(i))); }

void CNurbCurveBase::DumpHead(LineCallback print, const char* name) const
{
    EmitLine(print, kLineBuffer, "\n%s object: Rational = %i\n", name, m_rational ? 1 : 0);
    EmitLine(print, kLineBuffer, " degree: %i\n closed: %i\n nPts: %i\n nKnots: %i\n", m_degree, m_closed ? 1 : 0, m_poles, m_knots);
}

// ---------------------------------------------------------------------------------------------

CGNurb2* CGNurb2::Create(int degree, bool closed, bool rational, CItemArray* poles, const double* knots, std::uint32_t knotCount)
{
    return Make<CGNurb2>(degree, closed, rational, poles, kPole2dBytes, knots, knotCount);
}

CGNurb2* CGNurb2::Clone() const { return Copy(*this); }

CPoint2dArray* CGNurb2::Stroke(std::uint32_t segments) { return StrokeInto<CPoint2dArray>(*this, segments); }

void CGNurb2::Evaluate(double t, Point2d* out)
{
    if (m_rational)
        EvaluateRational(t, out);
    else
        EvaluatePolynomial(t, out);
}

void CGNurb2::EvaluatePolynomial(double t, Point2d* out)
{
    const int span = FindSpan(t);
    BasisFunctions(span, t);
    Point2d p = {0.0, 0.0};
    for (int k = 0; k <= m_degree; ++k) {
        const double* pole = Pole(span - m_degree + k);
        p.x += m_basis[k] * pole[0];
        p.y += m_basis[k] * pole[1];
    }
    *out = p;
}

void CGNurb2::EvaluateRational(double t, Point2d* out)
{
    const int span = FindSpan(t);
    BasisFunctions(span, t);
    double x = 0.0, y = 0.0, w = 0.0;
    for (int k = 0; k <= m_degree; ++k) {
        const double* pole = Pole(span - m_degree + k);
        const double weight = pole[2] <= 0.0 ? 1.0 : pole[2];
        x += m_basis[k] * pole[0] * weight;
        y += m_basis[k] * pole[1] * weight;
        w += m_basis[k] * weight;
    }
    if (w <= 0.0)
        w = 1.0;
    *out = {x / w, y / w};
}

void CGNurb2::Dump(LineCallback print) const
{
    DumpHead(print, "CGNurb2");
    for (int i = 0; i < m_poles; ++i) {
        const double* p = Pole(i);
        if (m_rational)
            EmitLine(print, kLineBuffer, "point %i: x=%f, y=%f, w=%f", i, p[0], p[1], p[2]);
        else
            EmitLine(print, kLineBuffer, "point %i: x=%f, y=%f", i, p[0], p[1]);
    }
    for (int i = 0; i < m_knots; ++i)
        EmitLine(print, kLineBuffer, "  knot %i: %g", i, m_knotData[i]);
}

// ---------------------------------------------------------------------------------------------

CGNurb3* CGNurb3::Create(int degree, bool closed, bool rational, CItemArray* poles, const double* knots, std::uint32_t knotCount)
{
    return Make<CGNurb3>(degree, closed, rational, poles, kPole3dBytes, knots, knotCount);
}

CGNurb3* CGNurb3::Clone() const { return Copy(*this); }

CPoint3dArray* CGNurb3::Stroke(std::uint32_t segments) { return StrokeInto<CPoint3dArray>(*this, segments); }

void CGNurb3::Evaluate(double t, Point3d* out)
{
    if (m_rational)
        EvaluateRational(t, out);
    else
        EvaluatePolynomial(t, out);
}

void CGNurb3::EvaluatePolynomial(double t, Point3d* out)
{
    const int span = FindSpan(t);
    BasisFunctions(span, t);
    Point3d p = {0.0, 0.0, 0.0};
    for (int k = 0; k <= m_degree; ++k) {
        const double* pole = Pole(span - m_degree + k);
        p.x += m_basis[k] * pole[0];
        p.y += m_basis[k] * pole[1];
        p.z += m_basis[k] * pole[2];
    }
    *out = p;
}

void CGNurb3::EvaluateRational(double t, Point3d* out)
{
    const int span = FindSpan(t);
    BasisFunctions(span, t);
    double x = 0.0, y = 0.0, z = 0.0, w = 0.0;
    for (int k = 0; k <= m_degree; ++k) {
        const double* pole = Pole(span - m_degree + k);
        x += m_basis[k] * pole[0] * pole[3];
        y += m_basis[k] * pole[1] * pole[3];
        z += m_basis[k] * pole[2] * pole[3];
        w += m_basis[k] * pole[3];
    }
    // Weights summing to zero would give no point at all: the sums stand, as the surface does.
    if (IsNearZero(w))
        *out = {x, y, z};
    else
        *out = {x / w, y / w, z / w};
}

void CGNurb3::Dump(LineCallback print) const
{
    DumpHead(print, "CGNurb3");
    for (int i = 0; i < m_poles; ++i) {
        const double* p = Pole(i);
        if (m_rational)
            EmitLine(print, kLineBuffer, "point %i: x=%f, y=%f, z=%f, w=%f", i, p[0], p[1], p[2], p[3]);
        else
            EmitLine(print, kLineBuffer, "point %i: x=%f, y=%f", i, p[0], p[1]);
    }
    for (int i = 0; i < m_knots; ++i)
        EmitLine(print, kLineBuffer, "  knot %i: %f", i, m_knotData[i]);
}

} // namespace dgn
