// The vertex records of a polyline, kept in step with its points: record i belongs to point i.
#include "model/Polyline.h"
#include "model/PointRecord.h"
#include <cstddef>

CVertexRecord* CPolyline::FindVertexOfPoint(int pointId)
{
    for (CVertexRecord& vertex : m_vertices)
        if (vertex.GetPoint() && vertex.GetPoint()->GetPointId() == pointId)
            return &vertex;
    return nullptr;
}

int CPolyline::FindVertexIndex(const CVertexRecord& vertex) const
{
    for (size_t i = 0; i < m_vertices.size(); ++i)
        if (m_vertices[i].vertexId == vertex.vertexId)
            return static_cast<int>(i);
    return -1;
}

int CPolyline::RemoveVerticesOfPoint(int pointId)
{
    const size_t before = m_vertices.size();
    for (auto it = m_vertices.begin(); it != m_vertices.end();) {
        if (it->GetPoint() && it->GetPoint()->GetPointId() == pointId)
            it = m_vertices.erase(it);
        else
            ++it;
    }
    return m_vertices.size() != before ? 1 : 0;
}

HRESULT CPolyline::InsertPoint(CPointRecord* record, int index, bool force)
{
    const int count = m_points.GetCount();
    if (index < 0 || index > count)
        index = count;
    const HRESULT hr = CGroup::InsertPoint(record, index, force);
    if (hr != S_OK)
        return hr;
    CVertexRecord vertex;
    vertex.SetPoint(record);
    vertex.SetOwner(this);
    const size_t at = static_cast<size_t>(index) < m_vertices.size() ? static_cast<size_t>(index) : m_vertices.size();
    m_vertices.insert(m_vertices.begin() + static_cast<std::ptrdiff_t>(at), vertex);
    return S_OK;
}

int CPolyline::RemovePointById(int pointId, bool recordUndo, int flags)
{
    RemoveVerticesOfPoint(pointId);
    return CGroup::RemovePointById(pointId, recordUndo, flags);
}

void CPolyline::RemoveAllPoints()
{
    m_vertices.clear();
    CGroup::RemoveAllPoints();
}

int CPolyline::MovePointWithin(int pointId, int index)
{
    const int from = m_points.IndexOf(pointId);
    if (!CGroup::MovePointWithin(pointId, index))
        return 0;
    const int to = m_points.IndexOf(pointId);
    if (from >= 0 && static_cast<size_t>(from) < m_vertices.size() && static_cast<size_t>(to) < m_vertices.size()) {
        CVertexRecord vertex = m_vertices[static_cast<size_t>(from)];
        m_vertices.erase(m_vertices.begin() + from);
        m_vertices.insert(m_vertices.begin() + to, vertex);
    }
    return 1;
}

int CPolyline::ClearDatabaseId()
{
    for (CVertexRecord& vertex : m_vertices)
        vertex.databaseId = 0;
    return CGroup::ClearDatabaseId();
}
