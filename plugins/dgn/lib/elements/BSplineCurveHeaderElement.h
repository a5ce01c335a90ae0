#pragma once
// The header of a B-spline curve (type 27): its flags and counts, and its components (poles,
// optional knots and weights) found among its children, from which it builds a NURBS curve on
// demand and draws it stroked, or, for a range collector, its control polygon.
//
// Curve flags: bits 0-4 order - 2 (degree = (flags & 0x1F) + 1); 0x80 rational (a weight
// component is there); 0x100 closed; 0x1E0000 through-point interpolation; 0x8000000 the knot
// component holds the full knot vector.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CBSplinePoleElement3d;
class CBSplineValuesElement;
class CDoubleArray;
class CGNurb2;
class CGNurb3;
class CPoint3dArray;

class CBSplineCurveHeaderElement : public CGraphicBodyElement {
public:
    // Graphic complex header, properties 0x1000, curve flags 32.
    explicit CBSplineCurveHeaderElement(CDesignFile* file);
    ~CBSplineCurveHeaderElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // Body: childCount, curve flags, pole count, knot count (32-bit each).
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The component count, then the flag word, pole and knot counts (16-bit each).
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // Transforms the graphic components; the curves are built again from them.
    bool Transform(const double matrix[16]) override;

    // The pole lists of the 2-D and the 3-D pole component (their x, y, z vertices).
    virtual CPoint3dArray* GetPoles2d();
    virtual CPoint3dArray* GetPoles3d();
    virtual CDoubleArray* GetWeights();
    virtual CDoubleArray* GetKnots();
    virtual void GetCurveFlags(std::uint32_t* flags) const;
    virtual void SetCurveFlags(std::uint32_t flags);
    virtual void BuildCurve2d();
    virtual void BuildCurve3d();
    virtual void ResolveComponents();

    CGNurb2* GetCurve2d() const { return m_curve2d; }
    CGNurb3* GetCurve3d() const { return m_curve3d; }
    std::int32_t GetPoleCount() const { return m_poleCount; }
    std::int32_t GetKnotCount() const { return m_knotCount; }

private:
    // The knot vector of BuildCurve for m poles of degree p (empty without a knot component);
    // false when memory runs out.
    bool PrepareKnots(CDoubleArray* knots, int p, std::uint32_t m);
    void DeleteCurves();

    std::uint32_t m_curveFlags = 32;
    std::int32_t m_poleCount = 0;
    std::int32_t m_knotCount = 0;
    CBSplinePoleElement3d* m_poles2d = nullptr;
    CBSplinePoleElement3d* m_poles3d = nullptr;
    CBSplineValuesElement* m_weights = nullptr;
    CBSplineValuesElement* m_knots = nullptr;
    CGNurb2* m_curve2d = nullptr;
    CGNurb3* m_curve3d = nullptr;
};

// The clamping step of the B-spline headers on a knot vector for m poles of degree p: m - 1
// values get their first and last value repeated until each occurs p + 1 times at its end;
// m - (p + 1) values get p + 1 zeros before and p + 1 ones after; other lengths stay. False
// when memory runs out.
bool ClampKnotVector(CDoubleArray* knots, int p, std::uint32_t m);

} // namespace dgn
