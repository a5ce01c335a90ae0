#pragma once
#include <cstddef>
#include <map>

// The control's index of linked points: which shapes follow (link to) which point, as pairs
// (point ID, shape ID).
class CLinkedPointMap
{
public:
    void Insert(int pointId, int shapeId);
    // Removes one pair; 1 when it existed.
    int Remove(int pointId, int shapeId);
    // Removes every pair of the point; returns how many there were.
    int EraseAll(int pointId);
    // Number of shapes linked to the point.
    int Count(int pointId) const;
    bool Contains(int pointId, int shapeId) const;
    // The first shape linked to the point (lowest ID first); false when none is.
    bool FindShape(int pointId, int* shapeId) const
    {
        auto it = m_pairs.find(pointId);
        if (it == m_pairs.end())
            return false;
        *shapeId = it->second;
        return true;
    }
    size_t Size() const { return m_pairs.size(); }

private:
    std::multimap<int, int> m_pairs;
};
