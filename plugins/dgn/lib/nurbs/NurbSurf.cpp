#include "NurbSurf.h"

#include "DoubleArray.h"
#include "Geometry.h"
#include "ItemArray.h"
#include "nurbs/NurbsBasis.h"

#include <cmath>
#include <new>

namespace dgn {

namespace {

constexpr std::uint32_t kSurfacePoleBytes = 32;

} // namespace

CGNurbSurf* CGNurbSurf::Create(int degreeU, bool closedU, int polesU, CDoubleArray* uKnots, int degreeV, bool closedV, int polesV,
                               CDoubleArray* vKnots, CItemArray* poles, bool rational)
{
    CGNurbSurf* s = new (std::nothrow) CGNurbSurf;
    if (!s) {
        delete poles;
        delete uKnots;
        delete vKnots;
        return nullptr;
    }
    s->m_poles = poles;
    s->m_uKnotArray = uKnots;
    s->m_vKnotArray = vKnots;
    s->m_degreeU = degreeU;
    s->m_closedU = closedU;
    s->m_polesU = polesU;
    s->m_degreeV = degreeV;
    s->m_closedV = closedV;
    s->m_polesV = polesV;
    s->m_rational = rational;
    const bool ok = poles && poles->Stride() >= kSurfacePoleBytes && IsEvaluableNurbs(degreeU, closedU, polesU) &&
                    IsEvaluableNurbs(degreeV, closedV, polesV) &&
                    static_cast<std::int64_t>(polesU) * polesV <= static_cast<std::int64_t>(poles->Count()) &&
                    s->PrepareKnots(s->m_uKnotArray, degreeU, closedU, polesU) && s->PrepareKnots(s->m_vKnotArray, degreeV, closedV, polesV);
    if (!ok) {
        delete s;
        return nullptr;
    }
    s->RefreshPointers();
    return s;
}

CGNurbSurf::~CGNurbSurf()
{
    delete m_poles;
    delete m_uKnotArray;
    delete m_vKnotArray;
}

bool CGNurbSurf::PrepareKnots(CDoubleArray*& knots, int degree, bool closed, int poles)
{
    const std::uint32_t count = static_cast<std::uint32_t>(poles + degree + 1);
    if (knots && knots->GetCount() != count) {
        // A vector of another length would be read past its end: the made one replaces it.
        delete knots;
        knots = nullptr;
    }
    if (!knots) {
        knots = CDoubleArray::Create();
        if (!knots || !(closed ? MakePeriodicKnots(knots, degree, poles) : MakeClampedKnots(knots, degree, poles)))
            return false;
    }
    double* k = knots->ElementPointer(0);
    const int end = static_cast<int>(count) - (closed ? 0 : degree);
    for (int i = closed ? 1 : degree + 1; i < end; ++i) {
        if (k[i] - k[i - 1] < kKnotSeparation)
            k[i] += kKnotSeparation;
    }
    return true;
}

void CGNurbSurf::RefreshPointers()
{
    m_knotsU = static_cast<std::int32_t>(m_uKnotArray->GetCount());
    m_knotsV = static_cast<std::int32_t>(m_vKnotArray->GetCount());
    m_uKnots = m_uKnotArray->ElementPointer(0);
    m_vKnots = m_vKnotArray->ElementPointer(0);
    m_poleData = reinterpret_cast<const double*>(m_poles->Data());
}

CGNurbSurf* CGNurbSurf::Clone() const
{
    CItemArray* poles = m_poles->Clone();
    CDoubleArray* u = m_uKnotArray->Clone();
    CDoubleArray* v = m_vKnotArray->Clone();
    if (!poles || !u || !v) {
        delete poles;
        delete u;
        delete v;
        return nullptr;
    }
    return Create(m_degreeU, m_closedU, m_polesU, u, m_degreeV, m_closedV, m_polesV, v, poles, m_rational);
}

const double* CGNurbSurf::Pole(int i, int j) const
{
    return reinterpret_cast<const double*>(m_poles->ItemAt(static_cast<std::uint32_t>(j * m_polesU + i)));
}

void CGNurbSurf::Evaluate(double u, double v, Point3d* out) const
{
    if (m_rational)
        EvaluateRational(u, v, out);
    else
        EvaluatePolynomial(u, v, out);
}

void CGNurbSurf::EvaluatePolynomial(double u, double v, Point3d* out) const
{
    double nu[kMaxNurbsDegree + 1], nv[kMaxNurbsDegree + 1];
    const int spanU = FindSpan(m_knotsU, m_uKnots, m_degreeU, u);
    const int spanV = FindSpan(m_knotsV, m_vKnots, m_degreeV, v);
    BasisFunctions(spanU, u, m_degreeU, m_uKnots, nu);
    BasisFunctions(spanV, v, m_degreeV, m_vKnots, nv);
    Point3d p = {0.0, 0.0, 0.0};
    for (int l = 0; l <= m_degreeV; ++l) {
        Point3d row = {0.0, 0.0, 0.0};
        for (int k = 0; k <= m_degreeU; ++k) {
            const double* pole = Pole(spanU - m_degreeU + k, spanV - m_degreeV + l);
            row.x += nu[k] * pole[0];
            row.y += nu[k] * pole[1];
            row.z += nu[k] * pole[2];
        }
        p.x += nv[l] * row.x;
        p.y += nv[l] * row.y;
        p.z += nv[l] * row.z;
    }
    *out = p;
}

void CGNurbSurf::EvaluateRational(double u, double v, Point3d* out) const
{
    double nu[kMaxNurbsDegree + 1], nv[kMaxNurbsDegree + 1];
    const int spanU = FindSpan(m_knotsU, m_uKnots, m_degreeU, u);
    const int spanV = FindSpan(m_knotsV, m_vKnots, m_degreeV, v);
    BasisFunctions(spanU, u, m_degreeU, m_uKnots, nu);
    BasisFunctions(spanV, v, m_degreeV, m_vKnots, nv);
    const int firstU = spanU - m_degreeU < 0 ? 0 : spanU - m_degreeU;
    double x = 0.0, y = 0.0, z = 0.0, w = 0.0;
    for (int l = 0; l <= m_degreeV; ++l) {
        const int row = spanV - m_degreeV + l < 0 ? 0 : spanV - m_degreeV + l;
        for (int k = 0; k <= m_degreeU; ++k) {
            const double* pole = Pole(firstU + k, row);
            const double n = nu[k] * nv[l];
            x += n * pole[0] * pole[3];
            y += n * pole[1] * pole[3];
            z += n * pole[2] * pole[3];
            w += n * pole[3];
        }
    }
    if (IsNearZero(w))
        *out = {x, y, z};
    else
        *out = {x / w, y / w, z / w};
}

void CGNurbSurf::GetDefinition(NurbSurfDefinition* out)
{
    RefreshPointers();
    *out = {m_degreeU, m_closedU, m_polesU, m_knotsU, m_degreeV, m_closedV, m_polesV, m_knotsV, m_rational, m_poleData, m_uKnots, m_vKnots};
}

CItemArray* CGNurbSurf::GetPoles() const { return m_poles; }
CDoubleArray* CGNurbSurf::GetUKnots() const { return m_uKnotArray; }
CDoubleArray* CGNurbSurf::GetVKnots() const { return m_vKnotArray; }

void CGNurbSurf::Dump(LineCallback print) const
{
    EmitLine(print, kLineBuffer, "\nCGNurbSurf object: Rational = %i\n", m_rational ? 1 : 0);
    EmitLine(print, kLineBuffer, " degree U: %i\n closed U: %i\n nPts U: %i\n nKnots U: %i\n", m_degreeU, m_closedU ? 1 : 0, m_polesU, m_knotsU);
    EmitLine(print, kLineBuffer, " degree V: %i\n closed V: %i\n nPts V: %i\n nKnots V: %i\n", m_degreeV, m_closedV ? 1 : 0, m_polesV, m_knotsV);
    const std::uint32_t n = m_poles->Count();
    for (std::uint32_t i = 0; i < n; ++i) {
        const double* p = reinterpret_cast<const double*>(m_poles->ItemAt(i));
        if (m_rational)
            EmitLine(print, kLineBuffer, "point %i: x=%g, y=%g, z=%g, w=%g", static_cast<int>(i), p[0], p[1], p[2], p[3]);
        else
            EmitLine(print, kLineBuffer, "point %i: x=%g, y=%g, z=%g", static_cast<int>(i), p[0], p[1], p[2]);
    }
    for (std::uint32_t i = 0; i < m_uKnotArray->GetCount(); ++i)
        EmitLine(print, kLineBuffer, "  U knot %i: %g", static_cast<int>(i), m_uKnotArray->GetAt(i));
    for (std::uint32_t i = 0; i < m_vKnotArray->GetCount(); ++i)
        EmitLine(print, kLineBuffer, "  V knot %i: %g", static_cast<int>(i), m_vKnotArray->GetAt(i));
}

bool CGNurbSurf::MakeClampedKnots(CDoubleArray* array, int degree, int poles) const
{
    const std::uint32_t count = static_cast<std::uint32_t>(poles + degree + 1);
    array->Clear();
    if (!array->Extend(count))
        return false;
    FillClampedKnots(array->ElementPointer(0), degree, poles);
    return true;
}

bool CGNurbSurf::MakePeriodicKnots(CDoubleArray* array, int degree, int poles) const
{
    const std::uint32_t count = static_cast<std::uint32_t>(poles + degree + 1);
    array->Clear();
    if (!array->Extend(count))
        return false;
    FillPeriodicKnots(array->ElementPointer(0), degree, poles, poles == 3 ? 0.0 : 1.0 / (poles - 3));
    return true;
}

void CGNurbSurf::BasisFunctions(int span, double t, int degree, const double* knots, double* values) const
{
    NurbsBasisFunctions(span, t, degree, knots, values, true);
}

int CGNurbSurf::FindSpan(int knotCount, const double* knots, int degree, double t) const
{
    return FindNurbsSpan(knotCount, knots, degree, t);
}

} // namespace dgn
