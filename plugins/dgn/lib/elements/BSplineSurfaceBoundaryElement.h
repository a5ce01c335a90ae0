#pragma once
// A boundary of a B-spline surface (type 25): a numbered closed list of (u, v) points in the
// surface's parameter space.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CPoint2dArray;

class CBSplineSurfaceBoundaryElement : public CPlainBodyElement {
public:
    // List 1, number 0, no points.
    explicit CBSplineSurfaceBoundaryElement(CDesignFile* file);
    ~CBSplineSurfaceBoundaryElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // Body: number, point count (32-bit each), the points (two doubles); a count beyond the
    // body takes the points the body holds.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // 8 bytes, number and count (16-bit), two V7 int32 fractions of 2147483647 a point.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;

    virtual std::uint32_t GetBoundaryNumber() const;
    virtual void SetBoundaryNumber(std::uint32_t number);
    virtual CPoint2dArray* GetBoundaryPoints() const;
    virtual bool GetBoundaryFlag() const;

private:
    std::uint32_t m_number = 0;
    CPoint2dArray* m_points;
};

} // namespace dgn
