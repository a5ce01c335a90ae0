#pragma once
// The tensor-product NURBS surface of a B-spline surface element: degree, closedness, poles and
// knots in U and V, and a rational flag; it answers points at (u, v).
//
// Poles are x, y, z, w (32 bytes, w beside the plain coordinates) in a block array, row by row
// with U varying fastest: pole (i, j) is entry j x (poles in U) + i.
#include "GeometryTypes.h"
#include "LineCallback.h"

#include <cstdint>

namespace dgn {

class CDoubleArray;
class CItemArray;

// What GetDefinition reports (byte flags held in 32-bit fields).
struct NurbSurfDefinition {
    std::int32_t degreeU;
    std::int32_t closedU;
    std::int32_t polesU;
    std::int32_t knotsU;
    std::int32_t degreeV;
    std::int32_t closedV;
    std::int32_t polesV;
    std::int32_t knotsV;
    std::int32_t rational;
    const double* poles;
    const double* uKnots;
    const double* vKnots;
};

class INurbSurf {
public:
    virtual ~INurbSurf() = default;
};

class CGNurbSurf : public INurbSurf {
public:
    // A surface over poles (taken over, as are the knot arrays given, whatever the answer).
    // A direction without knots, or whose knots are not poles + degree + 1, gets clamped knots
    // (open) or periodic ones (closed); interior knots closer than 1e-5 are separated. Null
    // when a direction cannot be evaluated (IsEvaluableNurbs), when the container holds fewer
    // than polesU x polesV poles of 32 bytes, or when memory runs out.
    static CGNurbSurf* Create(int degreeU, bool closedU, int polesU, CDoubleArray* uKnots, int degreeV, bool closedV, int polesV,
                              CDoubleArray* vKnots, CItemArray* poles, bool rational);
    // Deletes the pole container and both knot arrays.
    ~CGNurbSurf() override;

    virtual CGNurbSurf* Clone() const;
    virtual void Evaluate(double u, double v, Point3d* out) const;
    // Refreshes the knot counts and pointers from the knot arrays first.
    virtual void GetDefinition(NurbSurfDefinition* out);
    virtual CItemArray* GetPoles() const;
    virtual CDoubleArray* GetUKnots() const;
    virtual CDoubleArray* GetVKnots() const;
    virtual void Dump(LineCallback print) const;
    virtual void EvaluatePolynomial(double u, double v, Point3d* out) const;
    // Weighted sums; a weight sum near zero leaves the sums undivided.
    virtual void EvaluateRational(double u, double v, Point3d* out) const;
    // Fill array with the knots of degree and poles (n + p + 1 values).
    virtual bool MakeClampedKnots(CDoubleArray* array, int degree, int poles) const;
    virtual bool MakePeriodicKnots(CDoubleArray* array, int degree, int poles) const;
    virtual void BasisFunctions(int span, double t, int degree, const double* knots, double* values) const;
    virtual int FindSpan(int knotCount, const double* knots, int degree, double t) const;

    CGNurbSurf(const CGNurbSurf&) = delete;
    CGNurbSurf& operator=(const CGNurbSurf&) = delete;

private:
    CGNurbSurf() = default;
    // Knots of one direction: the given array when its length fits, otherwise made; interior
    // knots separated. False when memory runs out.
    bool PrepareKnots(CDoubleArray*& knots, int degree, bool closed, int poles);
    void RefreshPointers();
    const double* Pole(int i, int j) const;

    std::int32_t m_degreeU = 3;
    bool m_closedU = false;
    std::int32_t m_polesU = 0;
    std::int32_t m_knotsU = 0;
    std::int32_t m_degreeV = 3;
    bool m_closedV = false;
    std::int32_t m_polesV = 0;
    std::int32_t m_knotsV = 0;
    bool m_rational = false;
    CItemArray* m_poles = nullptr;
    CDoubleArray* m_uKnotArray = nullptr;
    CDoubleArray* m_vKnotArray = nullptr;
    const double* m_poleData = nullptr;
    const double* m_uKnots = nullptr;
    const double* m_vKnots = nullptr;
};

} // namespace dgn
