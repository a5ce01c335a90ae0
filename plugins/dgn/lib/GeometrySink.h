#pragma once
// Where elements hand their geometry: drawing sinks (kind 0, or 1 for a GDI device) and the
// range collector (kind 2, CTransformHelper). Elements set the symbology, push their own
// transforms on the sink's stack and emit points, lines, polygons, ellipses, arcs and text.
#include "GeometryTypes.h"

#include <cstdint>

namespace dgn {

class CDesignFile;
class CFillInfo;
class CTransformStack;
class IEntity;
class IGeometrySink;
struct TextParams2d;
struct TextParams3d;

// Geometry that emits itself (an indexed mesh): AddObject hands it the sink.
class IGeometryObject {
public:
    virtual ~IGeometryObject() = default;
    virtual void EmitGeometry(IGeometrySink* sink, std::int32_t arg) = 0;
};

class IGeometrySink {
public:
    virtual ~IGeometrySink() = default;
    // 0 drawing sink, 1 drawing into a GDI device context, 2 range collector.
    virtual int Kind() const = 0;
    // Symbology: colour index, weight, line style, fill colour, second colour.
    virtual void SetColor(std::int32_t color) = 0;
    virtual void SetWeight(std::int32_t weight) = 0;
    virtual void SetLineStyle(std::int32_t style) = 0;
    virtual void SetFillColor(std::int32_t color) = 0;
    virtual void SetSecondColor(std::int32_t color) = 0;
    // The stack through which elements place nested geometry.
    virtual CTransformStack* TransformStack() = 0;
    // The design file whose fonts measure and draw text.
    virtual void SetDesignFile(CDesignFile* file) = 0;
    virtual void SelectFont(std::int32_t font) = 0;
    // Brackets the outline of a filled element.
    virtual void BeginFill(const CFillInfo* fill) = 0;
    virtual void EndFill(const CFillInfo* fill) = 0;
    // Screen-oriented text on (1) and off (0).
    virtual void SetScreenMode(std::int32_t on) = 0;

    virtual void AddPoint2d(const Point2d& p) = 0;
    // Two points.
    virtual void AddLine2d(const Point2d line[2]) = 0;
    // An open polyline of n points.
    virtual void AddPoints2d(std::uint32_t n, const Point2d* points) = 0;
    // A closed polygon of n points (the sink closes it).
    virtual void AddPolygon2d(std::uint32_t n, const Point2d* points) = 0;
    virtual void AddEllipse2d(const Ellipse2d& ellipse) = 0;
    virtual void AddArc2d(const Arc2d& arc) = 0;
    // A text placement (the element's text parameters) and its DGN string bytes.
    virtual void AddText2d(const TextParams2d* placement, const std::uint8_t* text, std::int32_t mode) = 0;
    // The box from (p.x, p.y - h) to (p.x + w, p.y).
    virtual void AddBox3d(std::int32_t arg, const Point3d& p, double w, double h) = 0;
    virtual void AddBox2d(std::int32_t arg, const Point2d& p, double w, double h) = 0;
    virtual void AddPoint3d(const Point3d& p) = 0;
    virtual void AddLine3d(const Point3d line[2]) = 0;
    virtual void AddPoints3d(std::uint32_t n, const Point3d* points) = 0;
    virtual void AddPolygon3d(std::uint32_t n, const Point3d* points) = 0;
    virtual void AddEllipse3d(const Ellipse3d& ellipse) = 0;
    virtual void AddArc3d(const Arc3d& arc) = 0;
    virtual void AddText3d(const TextParams3d* placement, const std::uint8_t* text, std::int32_t mode) = 0;
    virtual void AddObject(IGeometryObject* object, std::int32_t arg) = 0;
    // p, and p rotated by angle about the origin and moved by (dx, dy).
    virtual void AddRotatedOffset3d(std::int32_t arg, const Point3d& p, double dx, double dy, double angle) = 0;
    // Nesting of shared-cell instances: raised and lowered around their definitions.
    virtual bool IsNested() const = 0;
    virtual void Nest(std::int32_t enter) = 0;
    // Stores the entity being drawn when it is not null; the stored one.
    virtual IEntity* Value(IEntity* value) = 0;
    // A sink that draws into a GDI device context (Kind 1) gives it, the design units one of
    // its pixels covers, and the device position of a point; the others give none.
    virtual void* DeviceContext() { return nullptr; }
    virtual double UnitsPerPixel() { return 1.0; }
    virtual bool ToDevice(const Point2d& p, Point2d* out)
    {
        (void)p;
        (void)out;
        return false;
    }
};

} // namespace dgn
