#pragma once
#include <vector>

class CPointRecord;

// The points of one shape, in drawing order: records of the control's point pool, not owned.
// The owner ID is the shape's ID; the shape changes the list only through its own operations.
class CShapePointList
{
public:
    explicit CShapePointList(int ownerId) : m_ownerId(ownerId) {}

    int GetOwnerId() const { return m_ownerId; }
    void SetOwnerId(int id) { m_ownerId = id; }
    int GetCount() const { return static_cast<int>(m_points.size()); }
    bool IsEmpty() const { return m_points.empty(); }
    CPointRecord* GetAt(int index) const;
    // Index of the point with that ID, -1 when absent.
    int IndexOf(int pointId) const;
    // 1 and *index when the list holds the point, else 0.
    int FindById(int pointId, int* index) const;

    void Insert(int index, CPointRecord* record);
    void RemoveAt(int index);
    // Every entry of `from` now names `to` (a point that changed its ID); the count of entries changed.
    int Replace(const CPointRecord* from, CPointRecord* to);
    void Clear() { m_points.clear(); }

    std::vector<CPointRecord*>::const_iterator begin() const { return m_points.begin(); }
    std::vector<CPointRecord*>::const_iterator end() const { return m_points.end(); }

private:
    std::vector<CPointRecord*> m_points;
    int m_ownerId;
};
