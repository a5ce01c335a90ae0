#pragma once
// The header of a B-spline surface (type 24): flags, pole, knot and rule counts in U and V, and
// its components (rows of poles, knots, weights, boundaries) from which it builds a NURBS
// surface on demand, drawn as rule lines or facets, or, for a range collector, as its net of
// poles.
//
// U flags: bits 0-4 order - 2, 0x100 closed, 0x8000000 full knots stored. V flags: bits 0-4
// order - 2, 0x40 closed. Rule counts are drawn from 1 to 1024; at most 128 boundaries are
// taken into the surface.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CGNurbSurf;
class CPoint2dArray;

constexpr std::uint32_t kMaxSurfaceBoundaries = 128;

class CBSplineSurfaceHeaderElement : public CGraphicBodyElement {
public:
    // Graphic complex header, properties 0x1000, 10 rules in each direction.
    explicit CBSplineSurfaceHeaderElement(CDesignFile* file);
    ~CBSplineSurfaceHeaderElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // Body: childCount and the nine words (32-bit each).
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // Transforms the graphic components; the surface is built again from them.
    bool Transform(const double matrix[16]) override;

    // Builds the surface from the components; none when they do not describe one (too few
    // rows or poles in a row, a degree beyond 33, fewer poles than the order).
    virtual void BuildSurface();
    virtual std::int32_t GetEffectiveUPoles() const;
    virtual std::int32_t GetEffectiveVPoles() const;
    virtual void EmitFacets(CEntityIterator* context, IGeometrySink* sink);
    virtual void GetSurfaceTables(std::uint32_t* count, CPoint2dArray* const** table, const std::uint8_t** flags) const;

    CGNurbSurf* GetSurface() const { return m_surface; }
    // The words: U flags, U poles, U knots, U rules, V flags, V poles, V knots, V rules, ninth.
    std::uint32_t GetWord(int i) const { return m_words[i]; }
    void SetWord(int i, std::uint32_t value) { m_words[i] = value; }

private:
    std::uint32_t m_words[9] = {0, 0, 0, 10, 0, 0, 0, 10, 0};
    CGNurbSurf* m_surface = nullptr;
    std::int32_t m_effectiveU = 0;
    std::int32_t m_effectiveV = 0;
    std::uint32_t m_boundaryCount = 0;
    CPoint2dArray* m_boundaries[kMaxSurfaceBoundaries] = {};
    std::uint8_t m_boundaryFlags[kMaxSurfaceBoundaries + 4] = {};
};

} // namespace dgn
