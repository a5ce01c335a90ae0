#pragma once
#include <windows.h>
#include <set>
#include "model/RealPoint.h"

class CDxfFile;
class CDataTableSet;

// A point of the drawing, kept in the control's point pool under its point ID and shared by the
// shapes that use it. The use count is the one value that may change on another thread (a
// persistence worker), so it is changed with interlocked operations.
class CPointRecord : public CRealPoint
{
public:
    CPointRecord() = default;
    CPointRecord(float px, float py, int pointId) : CRealPoint(px, py), m_pointId(pointId) {}
    CPointRecord(const CPointRecord& other);
    CPointRecord& operator=(const CPointRecord& other);

    int GetPointId() const { return m_pointId; }
    LONG GetUseCount() const { return m_useCount; }
    int GetDatabaseId() const { return m_databaseId; }
    void SetDatabaseId(int databaseId) { m_databaseId = databaseId; }
    const std::set<int>& GetOwners() const { return m_owners; }

    // Registers a shape as a user: the owner ID (unless kNoOwnerId) joins the owners and the
    // use count rises by one. Returns the new count.
    LONG AddOwner(int shapeId);
    // Removes the owner (unless kNoOwnerId) and, while the count is above 0, lowers it by one; returns
    // the new count, or 0 when it was 0 already.
    LONG ReleaseOwner(int shapeId);

    // Groups 10 and 20 of one point; the first other group is pushed back. 1 when both were read.
    int ReadDxf(CDxfFile& dxf);
    // Groups base+10, base+20 and, with z, base+30 = 0.0.
    int WriteDxf(CDxfFile& dxf, bool withZ, int codeBase);
    // The point's row of the Points record table: written (flags without 0x4) or read (0x4).
    HRESULT SaveToTables(CDataTableSet* tables, DWORD flags, int extra);

private:
    friend class CPointPool;

    int m_pointId = 0;
    LONG m_useCount = 0;
    std::set<int> m_owners;
    int m_databaseId = 0;
};
