#include "IndexedMeshGeometry.h"

#include "ItemArray.h"
#include "LittleEndian.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

namespace {

// The face being collected: 24-byte points, in blocks of 16.
constexpr std::uint32_t kFaceBlock = 16;

} // namespace

CIndexedMeshGeometry* CIndexedMeshGeometry::Create(std::int32_t style, const CItemArray* indices, const CItemArray* coordinates)
{
    if (!indices || !coordinates)
        return nullptr;
    CIndexedMeshGeometry* g = new (std::nothrow) CIndexedMeshGeometry;
    if (!g)
        return nullptr;
    g->m_style = style;
    g->m_indices = indices->Clone();
    g->m_coordinates = coordinates->Clone();
    if (!g->m_indices || !g->m_coordinates) {
        delete g;
        return nullptr;
    }
    return g;
}

CIndexedMeshGeometry::~CIndexedMeshGeometry()
{
    delete m_indices;
    delete m_coordinates;
}

std::int32_t CIndexedMeshGeometry::Index(std::uint32_t i) const
{
    std::int32_t v;
    std::memcpy(&v, m_indices->ItemAt(i), sizeof v);
    return v;
}

bool CIndexedMeshGeometry::Vertex(std::int64_t number, Point3d* out) const
{
    const std::int64_t k = number < 0 ? -number : number;
    const std::uint64_t first = 3 * static_cast<std::uint64_t>(k - 1);
    if (k < 1 || first + 3 > m_coordinates->Count())
        return false;
    double xyz[3];
    for (int i = 0; i < 3; ++i)
        std::memcpy(&xyz[i], m_coordinates->ItemAt(static_cast<std::uint32_t>(first + i)), sizeof(double));
    *out = {xyz[0], xyz[1], xyz[2]};
    return true;
}

void CIndexedMeshGeometry::EmitGeometry(IGeometrySink* sink, std::int32_t edges)
{
    if (edges)
        EmitEdges(sink);
    else
        EmitFaces(sink);
}

void CIndexedMeshGeometry::EmitEdges(IGeometrySink* sink) const
{
    const std::uint32_t n = m_indices->Count();
    if (!n)
        return;
    auto line = [&](std::int64_t a, std::int64_t b) {
        Point3d l[2];
        if (Vertex(a, &l[0]) && Vertex(b, &l[1]))
            sink->AddLine3d(l);
    };
    std::int64_t s = Index(0), p = s;
    for (std::uint32_t i = 1; i < n; ++i) {
        const std::int64_t c = Index(i);
        if (p > 0 && c != 0)
            line(p, c);
        if (c == 0) {
            if (p > 0 && s != 0)
                line(s, p);
            if (i + 1 < n) {
                s = p = Index(++i);
            } else {
                // Nothing follows the face: no edge starts from its end.
                p = 0;
            }
        } else {
            p = c;
        }
    }
}

void CIndexedMeshGeometry::EmitFaces(IGeometrySink* sink) const
{
    CItemArray* face = CItemArray::Create(sizeof(Point3d), kFaceBlock, sizeof(double));
    if (!face)
        return;
    bool whole = true;
    const std::uint32_t n = m_indices->Count();
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::int64_t c = Index(i);
        if (c != 0) {
            Point3d v;
            if (!Vertex(c, &v))
                whole = false;
            else if (!face->AppendItems(&v, 1))
                whole = false;
            continue;
        }
        if (whole && face->Count())
            sink->AddPolygon3d(face->Count(), reinterpret_cast<const Point3d*>(face->Data()));
        face->Reset();
        whole = true;
    }
    delete face;
}

} // namespace dgn
