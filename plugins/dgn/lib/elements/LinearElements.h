#pragma once
// The straight-segment elements: lines (type 3), line strings (4), shapes (6), and the curve
// (11), 2-D B-spline pole list (21) and point string (22), which carry a vertex list too.
//
// V8 bodies: a line holds its two points; the others a vertex count (signed 32-bit), a second
// header word kept as read, then the vertices as doubles (the point string then one
// orientation quaternion, four doubles, per node). V7 bodies hold int32 coordinates (high
// word first) behind a 16-bit count. A count is cut to the vertices the record holds.
#include "DoubleArray.h"
#include "Point2dArray.h"
#include "Point3dArray.h"
#include "elements/BodyGraphicElement.h"

namespace dgn {

// A line: its two points, 2-D or 3-D.
template <class Point>
class TLineElement : public IBodyGraphicElement {
public:
    TLineElement(CDesignFile* file, std::uint16_t properties, const char* title);
    void Describe(LineCallback callback) override;
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    bool Transform(const double matrix[16]) override;
    Point* GetGeometry() { return m_points; }

protected:
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override { return 2 * sizeof(Point); }
    void PutBody(std::uint8_t** cursor) const override;
    template <class T>
    IElement* CloneAs(CDesignFile* target, bool removeSource);

    Point m_points[2] = {};
    const char* m_title;
};

class CLineElement3d : public TLineElement<Point3d> {
public:
    explicit CLineElement3d(CDesignFile* file);
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // Selector 0: the start point.
    bool GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t extra) override;
    // Kind 1: the point at numerator / divisor from start to end; kind 8: where the line
    // meets the line of the element the record names.
    bool EvaluateAssociation(const std::uint8_t* association, Point3d* out) override;
};

class CLineElement2d : public TLineElement<Point2d> {
public:
    explicit CLineElement2d(CDesignFile* file);
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // Selector 0: the start point (z 0); 1 to 3 report success only.
    bool GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t extra) override;
    // Kind 1 as the 3-D line; kind 8: the crossing of the two lines taken as infinite lines,
    // false when they are parallel.
    bool EvaluateAssociation(const std::uint8_t* association, Point3d* out) override;
};

// What distinguishes the vertex-list classes.
struct VertexClassInfo {
    int type;
    std::uint16_t properties;
    const char* title;
    // Printed with the vertex count after the graphic lines (null: none).
    const char* countLine;
    // Printed per vertex with its number (from 1) and its point.
    const char* vertexLine;
    // GetKeyPoint and the kind 1 association answer.
    bool keyPoints;
    // The element builds its fill description after reading.
    bool fill;
};

template <class Point, class Array>
class TVertexElement : public IBodyGraphicElement {
public:
    TVertexElement(CDesignFile* file, const VertexClassInfo& info);
    ~TVertexElement() override;

    void Describe(LineCallback callback) override;
    bool Transform(const double matrix[16]) override;
    // Selector 0: the first vertex (z 0 in 2-D); false when there is none.
    bool GetKeyPoint(std::int32_t selector, Point3d* out, std::int32_t extra) override;
    // Kind 1: the point at numerator / divisor along segment k (k below n - 1).
    bool EvaluateAssociation(const std::uint8_t* association, Point3d* out) override;
    Array* GetPoints() const { return m_points; }
    Array* GetPointArray() const { return m_points; }
    std::uint32_t GetExtraWord() const { return m_extraWord; }
    std::uint32_t VertexCount() const { return m_points ? m_points->Count() : 0; }

protected:
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader& body) override;
    std::uint64_t BodyBytes() const override;
    void PutBody(std::uint8_t** cursor) const override;
    void AfterRead() override;
    // Per node after the vertices (the point string's orientations).
    virtual std::uint32_t NodeExtraBytesV8() const { return 0; }
    virtual std::uint32_t NodeExtraBytesV7() const { return 0; }
    virtual bool ReadNodeExtrasV8(CBoundedReader&, std::uint32_t) { return true; }
    virtual bool ReadNodeExtrasV7(CV7BodyReader&, std::uint32_t) { return true; }
    virtual void PutNodeExtras(std::uint8_t**) const {}
    // Copies the vertex list (and the class's own fields) into copy; false when memory runs out.
    virtual bool CopyVerticesTo(TVertexElement* copy) const;
    // The shapes' fill bracket around their vertices.
    void EmitFilled(IGeometrySink* sink, void (IGeometrySink::*polygon)(std::uint32_t, const Point*));

    const VertexClassInfo& m_info;
    std::uint32_t m_extraWord = 0;
    Array* m_points;
};

using TVertexElement3d = TVertexElement<Point3d, CPoint3dArray>;
using TVertexElement2d = TVertexElement<Point2d, CPoint2dArray>;

// A vertex class: its constructor, Clone and geometry.
#define DGN_VERTEX_CLASS(Name, Base)                                                                                                       \
    class Name : public Base {                                                                                                             \
    public:                                                                                                                                \
        explicit Name(CDesignFile* file);                                                                                                  \
        IElement* Clone(CDesignFile* target, bool removeSource) override;                                                                  \
        void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;                                                         \
    }

DGN_VERTEX_CLASS(CLineStringElement3d, TVertexElement3d);
DGN_VERTEX_CLASS(CShapeElement3d, TVertexElement3d);
DGN_VERTEX_CLASS(CLineStringElement2d, TVertexElement2d);
// Draws its interior nodes only: the first two and the last two shape the ends.
DGN_VERTEX_CLASS(CCurveElement2d, TVertexElement2d);
DGN_VERTEX_CLASS(CBSplinePoleElement2d, TVertexElement2d);
using CBSplinePolesElement2d = CBSplinePoleElement2d;

class CShapeElement2d : public TVertexElement2d {
public:
    explicit CShapeElement2d(CDesignFile* file);
    // A new 2-D shape of the design file's model, with a fresh element ID.
    static CShapeElement2d* Create(CDesignFile* file, std::int32_t model);
    // The converters' name for the vertices.
    CByteBuffer* GetPointArray() const { return GetPoints(); }
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
};

// Points, drawn one by one when disjoint (any property bit set), else as a polyline; each node
// has an orientation quaternion.
template <class Point, class Array>
class TPointStringElement : public TVertexElement<Point, Array> {
public:
    TPointStringElement(CDesignFile* file, const VertexClassInfo& info);
    ~TPointStringElement() override;
    bool IsDisjoint() const { return this->m_properties != 0; }
    // Node i's four orientation doubles, null past the nodes.
    double* GetNodeOrientation(std::uint32_t i) const;

protected:
    std::uint32_t NodeExtraBytesV8() const override { return 32; }
    std::uint32_t NodeExtraBytesV7() const override { return 16; }
    bool ReadNodeExtrasV8(CBoundedReader& body, std::uint32_t n) override;
    bool ReadNodeExtrasV7(CV7BodyReader& body, std::uint32_t n) override;
    void PutNodeExtras(std::uint8_t** cursor) const override;
    bool CopyVerticesTo(TVertexElement<Point, Array>* copy) const override;
    // The points one by one when disjoint, else one open polyline.
    void EmitPoints(IGeometrySink* sink, void (IGeometrySink::*point)(const Point&), void (IGeometrySink::*polyline)(std::uint32_t, const Point*));

private:
    CDoubleArray* m_orientations;
};

using TPointString2d = TPointStringElement<Point2d, CPoint2dArray>;
using TPointString3d = TPointStringElement<Point3d, CPoint3dArray>;
DGN_VERTEX_CLASS(CPointStringElement2d, TPointString2d);
DGN_VERTEX_CLASS(CPointStringElement3d, TPointString3d);
// Draws its interior nodes only: the first two and the last two shape the ends.
DGN_VERTEX_CLASS(CCurveElement3d, TVertexElement3d);

} // namespace dgn
