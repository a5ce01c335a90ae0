#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include "model/PointRecord.h"

class CDataTableSet;
class COdbcSession;

// Every point of the drawing by point ID, held by value (records stay where they are while the
// pool lives, so shapes keep pointers to them). A point leaves the pool when its last user
// releases it.
class CPointPool
{
public:
    CPointPool() = default;
    CPointPool(const CPointPool&) = delete;
    CPointPool& operator=(const CPointPool&) = delete;
    virtual ~CPointPool() = default;

    // A new point at (x, y). With *id of 1 or more that ID is used; otherwise the next point ID,
    // written back to *id. Null when the ID is taken (nothing changes then).
    CPointRecord* AddPoint(float x, float y, int* id);
    CPointRecord* Find(int pointId);
    // One use of the point by the shape goes; the point goes with its last use. Returns the
    // remaining count (0 also when the point does not exist).
    LONG ReleasePoint(int pointId, int shapeId);
    // 1 when the point does not exist; else *count receives its use count and the result is 0.
    int GetUseCount(int pointId, LONG* count) const;
    // Removes a point nobody uses: 1 when absent, 0 otherwise (a used point stays).
    int DeletePoint(int pointId, int shapeId);

    // The point `oldId` moves to `newId` with everything it carries (coordinates, database ID, use
    // count, owners); `replaceUses` is called with the old and the new record while both exist, so
    // the users' lists can be re-pointed, then the old record goes. The next point ID becomes the
    // larger of newId + 1 and the next ID + 1. Null when oldId is absent or newId taken.
    CPointRecord* ChangeId(int oldId, int newId, const std::function<void(CPointRecord* from, CPointRecord* to)>& replaceUses);

    // The database index: database ID -> point ID.
    void SetDatabaseId(int databaseId, const CPointRecord& record);
    CPointRecord* FindByDatabaseId(int databaseId);
    const std::map<int, int>& DatabaseIndex() const { return m_databaseIndex; }
    void SetDatabaseIndex(const std::map<int, int>& index) { m_databaseIndex = index; }
    // Every point forgets its database ID and the index is emptied.
    void ClearDatabaseIds();
    // Removes every point nobody uses; the next point ID starts again at 1 once the pool is
    // empty.
    void RemoveUnused();

    // The next free pointID of the database ("select max(pointID) from points"), at least 1; an
    // execution error is returned as it came (with its COM error info).
    HRESULT LoadNextDatabaseId(COdbcSession& session);
    int GetNextDatabaseId() const { return m_nextDatabaseId; }
    void SetNextDatabaseId(int id) { m_nextDatabaseId = id; }

    // All points into (flags without 0x4) or out of (0x4) the Points record table.
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD flags, int extra);

    int GetNextId() const { return m_nextId; }
    size_t GetCount() const { return m_points.size(); }
    const std::map<int, CPointRecord>& Points() const { return m_points; }

private:
    std::map<int, CPointRecord> m_points;
    int m_nextId = 1;
    std::map<int, int> m_databaseIndex;
    int m_nextDatabaseId = 1;
};
