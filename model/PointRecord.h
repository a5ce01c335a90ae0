#pragma once
#include <windows.h>
#include <algorithm>
#include <set>
#include <vector>
#include "model/RealPoint.h"

class CDxfFile;
class CDataTableSet;

// The IDs of the shapes that use a point, rising and without repeats, read like a set. Most
// points have one or two users: a short sorted list costs a fraction of a tree's nodes.
class CPointOwners
{
public:
    using value_type = int;
    using const_iterator = std::vector<int>::const_iterator;
    using iterator = const_iterator;

    const_iterator begin() const { return m_ids.begin(); }
    const_iterator end() const { return m_ids.end(); }
    size_t size() const { return m_ids.size(); }
    bool empty() const { return m_ids.empty(); }
    const_iterator find(int id) const
    {
        const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), id);
        return at != m_ids.end() && *at == id ? at : m_ids.end();
    }
    size_t count(int id) const { return find(id) != end() ? 1 : 0; }
    // Whether a shape other than `id` uses the point.
    bool HasOtherThan(int id) const { return m_ids.size() > 1 || (m_ids.size() == 1 && m_ids[0] != id); }
    // False when the ID was there already, or was not there to erase.
    bool insert(int id)
    {
        const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), id);
        if (at != m_ids.end() && *at == id)
            return false;
        m_ids.insert(at, id);
        return true;
    }
    bool erase(int id)
    {
        const auto at = find(id);
        if (at == m_ids.end())
            return false;
        m_ids.erase(at);
        return true;
    }

    friend bool operator==(const CPointOwners& a, const CPointOwners& b) { return a.m_ids == b.m_ids; }
    friend bool operator==(const CPointOwners& a, const std::set<int>& b)
    {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }

private:
    std::vector<int> m_ids;
};

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
    const CPointOwners& GetOwners() const { return m_owners; }

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
    CPointOwners m_owners;
    int m_databaseId = 0;
};
