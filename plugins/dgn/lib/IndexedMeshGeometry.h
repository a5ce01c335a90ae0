#pragma once
// The geometry of an indexed mesh: the face index lists (a block array of 32-bit signed
// integers) and the vertex coordinates (a block array of doubles, x, y, z per vertex) of a mesh
// element, emitted as its visible edges or as closed face polygons.
//
// Faces are runs of non-zero vertex numbers (1-based) closed by a 0; the sign of a number is the
// visibility of the edge that starts at its vertex. A number beyond the coordinates held names
// no vertex: the edges that touch it and the face that holds it are left out.
#include "GeometrySink.h"

#include <cstdint>

namespace dgn {

class CItemArray;

class CIndexedMeshGeometry : public IGeometryObject {
public:
    // Copies of both arrays (null when either is missing or memory runs out).
    static CIndexedMeshGeometry* Create(std::int32_t style, const CItemArray* indices, const CItemArray* coordinates);
    ~CIndexedMeshGeometry() override;

    // edges (not 0): every visible edge by AddLine3d; otherwise every closed face by AddPolygon3d
    // (points after the last 0 are no face).
    void EmitGeometry(IGeometrySink* sink, std::int32_t edges) override;

    std::int32_t GetStyle() const { return m_style; }

    CIndexedMeshGeometry(const CIndexedMeshGeometry&) = delete;
    CIndexedMeshGeometry& operator=(const CIndexedMeshGeometry&) = delete;

private:
    CIndexedMeshGeometry() = default;
    std::int32_t Index(std::uint32_t i) const;
    // Vertex |number| when the coordinates hold it.
    bool Vertex(std::int64_t number, Point3d* out) const;
    void EmitEdges(IGeometrySink* sink) const;
    void EmitFaces(IGeometrySink* sink) const;

    std::int32_t m_style = 0;
    CItemArray* m_indices = nullptr;
    CItemArray* m_coordinates = nullptr;
};

} // namespace dgn
