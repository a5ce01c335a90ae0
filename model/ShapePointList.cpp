#include "model/ShapePointList.h"
#include "model/PointRecord.h"

namespace {
// The room a list takes with its first point.
const size_t kFirstCapacity = 4;
} // namespace

CPointRecord* CShapePointList::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_points[static_cast<size_t>(index)];
}

int CShapePointList::IndexOf(int pointId) const
{
    for (size_t i = 0; i < m_points.size(); ++i)
        if (m_points[i]->GetPointId() == pointId)
            return static_cast<int>(i);
    return -1;
}

int CShapePointList::FindById(int pointId, int* index) const
{
    const int i = IndexOf(pointId);
    if (i < 0)
        return 0;
    if (index)
        *index = i;
    return 1;
}

void CShapePointList::Insert(int index, CPointRecord* record)
{
    if (index < 0 || index > GetCount())
        index = GetCount();
    // Most shapes hold a few points: room for them at once spares the list's first regrowths.
    if (m_points.capacity() == 0)
        m_points.reserve(kFirstCapacity);
    m_points.insert(m_points.begin() + index, record);
}

void CShapePointList::RemoveAt(int index)
{
    if (index >= 0 && index < GetCount())
        m_points.erase(m_points.begin() + index);
}

int CShapePointList::Replace(const CPointRecord* from, CPointRecord* to)
{
    int changed = 0;
    for (CPointRecord*& entry : m_points) {
        if (entry == from) {
            entry = to;
            ++changed;
        }
    }
    return changed;
}
