#include "model/LinkedPointMap.h"

void CLinkedPointMap::Insert(int pointId, int shapeId) { m_pairs.emplace(pointId, shapeId); }

int CLinkedPointMap::Remove(int pointId, int shapeId)
{
    auto range = m_pairs.equal_range(pointId);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second == shapeId) {
            m_pairs.erase(it);
            return 1;
        }
    }
    return 0;
}

int CLinkedPointMap::EraseAll(int pointId) { return static_cast<int>(m_pairs.erase(pointId)); }

int CLinkedPointMap::Count(int pointId) const { return static_cast<int>(m_pairs.count(pointId)); }

bool CLinkedPointMap::Contains(int pointId, int shapeId) const
{
    auto range = m_pairs.equal_range(pointId);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second == shapeId)
            return true;
    return false;
}
