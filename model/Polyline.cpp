#include "model/Polyline.h"
#include "YVEX_h.h"

CPolyline::CPolyline(CShapeHost* control, int id, int type) : CGroup(id, control)
{
    m_selectsAsUnit = 0; // a polyline is picked by its outline
    m_shapeType = type;
    if (type == stRectangle)
        m_flags = pfRectangle;
}

CPolyline::CPolyline(int id, const CPolyline& source)
    : CGroup(id, source), m_firstArrowType(source.m_firstArrowType), m_secondArrowType(source.m_secondArrowType),
      m_defStartWidth(source.m_defStartWidth), m_defEndWidth(source.m_defEndWidth), m_flags(source.m_flags)
{
    m_shapeType = source.m_shapeType;
    // The points were copied by the shape base: each gets the data of the source's vertex of the
    // same index, re-pointed at this polyline and its point, and not stored yet.
    m_vertices.reserve(static_cast<size_t>(m_points.GetCount()));
    for (int i = 0; i < m_points.GetCount(); ++i) {
        CVertexRecord vertex;
        if (static_cast<size_t>(i) < source.m_vertices.size())
            vertex = source.m_vertices[static_cast<size_t>(i)];
        vertex.SetPoint(m_points.GetAt(i));
        vertex.SetOwner(this);
        vertex.databaseId = 0;
        vertex.shapePointId = 0;
        m_vertices.push_back(vertex);
    }
}

bool CPolyline::IsClosed() { return (m_flags & pfClosed) != 0; }

bool CPolyline::IsOrtho() { return (m_flags & pfOrtho) != 0 && !IsBezier(); }

bool CPolyline::IsBezier() { return (m_flags & pfBezier) != 0 && m_shapeType == stPolyline; }

int CPolyline::GetClassShapeType() { return stPolyline; }

void CPolyline::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_PolylineShape;
}

void CPolyline::SetPenWeight(float weight)
{
    m_penWeight = weight;
    m_defStartWidth = weight;
    m_defEndWidth = weight;
}
