#pragma once
// The range collector: a geometry sink that transforms every point it receives through its
// own transform stack and widens a 3-D range by it. An element's range is what it emits into
// a reset collector. It takes no symbology.
#include "GeometrySink.h"

namespace dgn {

class CTransformHelper : public IGeometrySink {
public:
    // A collector with an empty range and its own stack; null when memory runs out.
    static CTransformHelper* Create();
    // Deletes the stack.
    ~CTransformHelper() override;

    int Kind() const override;
    void SetColor(std::int32_t) override {}
    void SetWeight(std::int32_t) override {}
    void SetLineStyle(std::int32_t) override {}
    void SetFillColor(std::int32_t) override {}
    void SetSecondColor(std::int32_t) override {}
    CTransformStack* TransformStack() override;
    void SetDesignFile(CDesignFile* file) override;
    void SelectFont(std::int32_t) override {}
    void BeginFill(const CFillInfo*) override {}
    void EndFill(const CFillInfo*) override {}
    void SetScreenMode(std::int32_t) override {}

    void AddPoint2d(const Point2d& p) override;
    void AddLine2d(const Point2d line[2]) override;
    void AddPoints2d(std::uint32_t n, const Point2d* points) override;
    void AddPolygon2d(std::uint32_t n, const Point2d* points) override;
    // Stroked with the default count.
    void AddEllipse2d(const Ellipse2d& ellipse) override;
    void AddArc2d(const Arc2d& arc) override;
    // The four corners of the text's box as the design file's font measures it; nothing when
    // no font serves the text.
    void AddText2d(const TextParams2d* placement, const std::uint8_t* text, std::int32_t mode) override;
    void AddBox3d(std::int32_t arg, const Point3d& p, double w, double h) override;
    void AddBox2d(std::int32_t arg, const Point2d& p, double w, double h) override;
    void AddPoint3d(const Point3d& p) override;
    void AddLine3d(const Point3d line[2]) override;
    void AddPoints3d(std::uint32_t n, const Point3d* points) override;
    void AddPolygon3d(std::uint32_t n, const Point3d* points) override;
    void AddEllipse3d(const Ellipse3d& ellipse) override;
    void AddArc3d(const Arc3d& arc) override;
    void AddText3d(const TextParams3d* placement, const std::uint8_t* text, std::int32_t mode) override;
    void AddObject(IGeometryObject* object, std::int32_t arg) override;
    void AddRotatedOffset3d(std::int32_t arg, const Point3d& p, double dx, double dy, double angle) override;
    bool IsNested() const override;
    void Nest(std::int32_t enter) override;
    IEntity* Value(IEntity* value) override;

    // Forgets the range: the next point is its only point.
    virtual void ResetRange();
    // min x, y, z, max x, y, z; meaningful once HasRange.
    virtual const double* Range() const;
    bool HasRange() const { return m_hasRange != 0; }
    CDesignFile* DesignFile() const { return m_designFile; }

    CTransformHelper(const CTransformHelper&) = delete;
    CTransformHelper& operator=(const CTransformHelper&) = delete;

private:
    CTransformHelper() = default;
    // Widens the range by a point already transformed; 2-D points leave z alone.
    void Widen(double x, double y, double z, bool threeD);

    double m_range[6] = {0, 0, 0, 0, 0, 0};
    std::uint8_t m_hasRange = 0;
    CTransformStack* m_stack = nullptr;
    CDesignFile* m_designFile = nullptr;
    std::int32_t m_nesting = 0;
    IEntity* m_value = nullptr;
};

} // namespace dgn
