#pragma once
// The NURBS curves of B-spline curve elements: CGNurb2 (planar, poles x, y, w of 24 bytes) and
// CGNurb3 (space, poles x, y, z, w of 32 bytes). Both hold a degree, a closed and a rational
// flag, their poles (a block array) and knots (a block array of doubles), and evaluate into a
// buffer of 34 basis values, so one curve must not be evaluated from two threads at once.
#include "GeometryTypes.h"
#include "LineCallback.h"
#include "nurbs/NurbsBasis.h"

#include <cstdint>

namespace dgn {

class CItemArray;
class CPoint2dArray;
class CPoint3dArray;

// What GetDefinition reports (byte flags held in 32-bit fields).
struct NurbCurveDefinition {
    std::int32_t degree;
    std::int32_t closed;
    std::int32_t poles;
    std::int32_t knots;
    std::int32_t rational;
    const double* poleData;
    const double* knotData;
};

class INurbCurve {
public:
    virtual ~INurbCurve() = default;
};

// The part the two curves share: construction, knots, span search, basis functions.
class CNurbCurveBase : public INurbCurve {
public:
    // Deletes the pole container and the knot array.
    ~CNurbCurveBase() override;

    virtual void GetDefinition(NurbCurveDefinition* out) const;
    // Fill the curve's own knot array (poles + degree + 1 values).
    virtual bool MakeClampedKnots();
    virtual bool MakePeriodicKnots();
    // Into the curve's basis buffer.
    virtual void BasisFunctions(int span, double t);
    virtual int FindSpan(double t) const;

    const double* Basis() const { return m_basis; }

    CNurbCurveBase(const CNurbCurveBase&) = delete;
    CNurbCurveBase& operator=(const CNurbCurveBase&) = delete;

protected:
    CNurbCurveBase() = default;
    // Takes poles over (stride at least poleBytes); copies knotCount knots when that is
    // poles + degree + 1, else makes them (periodic when closed, clamped otherwise). False
    // when the curve cannot be evaluated (IsEvaluableNurbs) or memory runs out.
    bool Initialize(int degree, bool closed, bool rational, CItemArray* poles, std::uint32_t poleBytes, const double* knots,
                    std::uint32_t knotCount);
    // A curve of class Curve made by Initialize (null when refused; poles taken over).
    template <class Curve>
    static Curve* Make(int degree, bool closed, bool rational, CItemArray* poles, std::uint32_t poleBytes, const double* knots, std::uint32_t knotCount);
    // A copy of curve (its class) with copies of its arrays.
    template <class Curve>
    static Curve* Copy(const Curve& curve);
    // segments + 1 points of curve at t = 0, 1/segments, ... 1 into an array of class Array.
    template <class Array, class Curve>
    static Array* StrokeInto(Curve& curve, std::uint32_t segments);
    const double* Pole(int i) const;
    // Counts and knots of the description.
    void DumpHead(LineCallback print, const char* name) const;

    std::int32_t m_degree = 3;
    bool m_closed = false;
    bool m_rational = false;
    std::int32_t m_poles = 0;
    std::int32_t m_knots = 0;
    CItemArray* m_poleArray = nullptr;
    CItemArray* m_knotArray = nullptr;
    const double* m_knotData = nullptr;
    const double* m_poleData = nullptr;
    double m_basis[kMaxNurbsDegree + 1] = {};
};

class CGNurb2 : public CNurbCurveBase {
public:
    // Null when the data cannot be evaluated or memory runs out; the pole container is taken
    // over whatever the answer.
    static CGNurb2* Create(int degree, bool closed, bool rational, CItemArray* poles, const double* knots, std::uint32_t knotCount);
    virtual CGNurb2* Clone() const;
    // segments + 1 points at t = 0, 1/segments, ... 1; null when memory runs out or segments is 0.
    virtual CPoint2dArray* Stroke(std::uint32_t segments);
    virtual void Evaluate(double t, Point2d* out);
    virtual void Dump(LineCallback print) const;
    virtual void EvaluatePolynomial(double t, Point2d* out);
    // A weight at or below zero counts as 1.0, and so does a weight sum at or below zero.
    virtual void EvaluateRational(double t, Point2d* out);

private:
    friend class CNurbCurveBase;
    CGNurb2() = default;
};

class CGNurb3 : public CNurbCurveBase {
public:
    static CGNurb3* Create(int degree, bool closed, bool rational, CItemArray* poles, const double* knots, std::uint32_t knotCount);
    virtual CGNurb3* Clone() const;
    virtual CPoint3dArray* Stroke(std::uint32_t segments);
    virtual void Evaluate(double t, Point3d* out);
    virtual void Dump(LineCallback print) const;
    virtual void EvaluatePolynomial(double t, Point3d* out);
    // Weights as stored; a weight sum near zero leaves the sums undivided.
    virtual void EvaluateRational(double t, Point3d* out);

private:
    friend class CNurbCurveBase;
    CGNurb3() = default;
};

} // namespace dgn
