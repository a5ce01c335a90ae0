#include "model/PointPool.h"
#include <algorithm>
#include "persistence/DataTableSet.h"
#include "persistence/MaxIdReader.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/ShapeSql.h"
#include "com/HResult.h"
#include "YVEX_h.h"

CPointRecord* CPointPool::AddPoint(float x, float y, int* id)
{
    int used;
    if (id && *id >= 1) {
        used = *id;
    } else {
        used = m_nextId;
        if (id)
            *id = used;
    }
    // Points come with rising IDs: placed at the end without a search down the tree.
    std::map<int, CPointRecord>::iterator placed;
    if (m_points.empty() || used > m_points.rbegin()->first) {
        placed = m_points.emplace_hint(m_points.end(), used, CPointRecord(x, y, used));
    } else {
        auto result = m_points.emplace(used, CPointRecord(x, y, used));
        if (!result.second)
            return nullptr;
        placed = result.first;
    }
    m_nextId = used <= m_nextId ? m_nextId + 1 : used + 1;
    return &placed->second;
}

CPointRecord* CPointPool::ChangeId(int oldId, int newId,
                                   const std::function<void(CPointRecord* from, CPointRecord* to)>& replaceUses)
{
    auto old = m_points.find(oldId);
    if (old == m_points.end() || newId < 1 || m_points.count(newId))
        return nullptr;
    // The record keeps its database ID, its users and their count under the new key.
    CPointRecord copy(old->second);
    copy.m_pointId = newId;
    CPointRecord* moved = &m_points.emplace(newId, copy).first->second;
    if (copy.m_databaseId != 0) {
        auto indexed = m_databaseIndex.find(copy.m_databaseId);
        if (indexed != m_databaseIndex.end() && indexed->second == oldId)
            indexed->second = newId;
    }
    if (replaceUses)
        replaceUses(&old->second, moved);
    m_points.erase(old);
    m_nextId = std::max(newId + 1, m_nextId + 1);
    return moved;
}

CPointRecord* CPointPool::Find(int pointId)
{
    // The newest point is the one most often asked for: a load places each point it makes.
    if (!m_points.empty() && m_points.rbegin()->first == pointId)
        return &m_points.rbegin()->second;
    auto it = m_points.find(pointId);
    return it == m_points.end() ? nullptr : &it->second;
}

LONG CPointPool::ReleasePoint(int pointId, int shapeId)
{
    auto it = m_points.find(pointId);
    if (it == m_points.end())
        return 0;
    const LONG count = it->second.ReleaseOwner(shapeId);
    if (count > 0)
        return count;
    // The database index must not lead to a point that is gone.
    const int databaseId = it->second.m_databaseId;
    auto indexed = m_databaseIndex.find(databaseId);
    if (indexed != m_databaseIndex.end() && indexed->second == pointId)
        m_databaseIndex.erase(indexed);
    m_points.erase(it);
    return 0;
}

int CPointPool::GetUseCount(int pointId, LONG* count) const
{
    auto it = m_points.find(pointId);
    if (it == m_points.end())
        return 1;
    if (count)
        *count = it->second.m_useCount;
    return 0;
}

int CPointPool::DeletePoint(int pointId, int shapeId)
{
    auto it = m_points.find(pointId);
    if (it == m_points.end())
        return 1;
    if (it->second.m_useCount != 0)
        return 0;
    ReleasePoint(pointId, shapeId);
    return 0;
}

void CPointPool::SetDatabaseId(int databaseId, const CPointRecord& record)
{
    // A load reads points with rising database IDs: placed at the end without a search.
    if (m_databaseIndex.empty() || databaseId > m_databaseIndex.rbegin()->first)
        m_databaseIndex.emplace_hint(m_databaseIndex.end(), databaseId, record.m_pointId);
    else
        m_databaseIndex[databaseId] = record.m_pointId;
}

CPointRecord* CPointPool::FindByDatabaseId(int databaseId)
{
    // Above the highest ID known (a point new to this load): absent without a search.
    if (m_databaseIndex.empty() || databaseId > m_databaseIndex.rbegin()->first)
        return nullptr;
    auto it = m_databaseIndex.find(databaseId);
    return it == m_databaseIndex.end() ? nullptr : Find(it->second);
}

HRESULT CPointPool::ExchangeTables(CDataTableSet* tables, DWORD flags, int extra)
{
    if (!tables)
        return E_INVALIDARG;
    CPointsTable* table = tables->Points();
    if (!table)
        return S_FALSE;
    if (!(flags & DXFMODE_LOAD)) {
        for (auto& entry : m_points) {
            CPointRecord& point = entry.second;
            RETURN_IF_FAILED(point.SaveToTables(tables, flags, extra));
            if (point.m_databaseId >= 1)
                SetDatabaseId(point.m_databaseId, point);
        }
        return S_OK;
    }
    size_t count = table->GetCount();
    if (flags & DXFMODE_SINGLE_OBJECT) {
        if (!table->SeekKey(extra))
            return E_ACCESSDENIED;
        count = 1;
    } else {
        table->MoveFirst();
    }
    const bool keepIds = (flags & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    for (size_t i = 0; i < count && table->HasCurrent(); ++i) {
        const int stored = table->GetCurrent()->pointID;
        const int current = tables->StoredToCurrentId(stored, 1, static_cast<int>(flags));
        CPointRecord* point = current >= 1 ? Find(current) : nullptr;
        const bool isNew = point == nullptr;
        if (isNew) {
            int id = keepIds ? stored : 0;
            point = AddPoint(0.0f, 0.0f, &id);
            if (!point)
                return E_FAIL;
            if (!keepIds)
                tables->AddIdMapping(id, stored, 1);
        }
        RETURN_IF_FAILED(point->SaveToTables(tables, flags | DXFMODE_LOAD, extra));
        if (isNew && point->m_databaseId >= 1)
            SetDatabaseId(point->m_databaseId, *point);
        table->MoveNext();
    }
    return S_OK;
}

HRESULT CPointPool::LoadNextDatabaseId(COdbcSession& session)
{
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeSql::MaxPointId));
    m_nextDatabaseId = ReadMaxIdResult(session.Statement(), 0) + 1;
    if (m_nextDatabaseId < 1)
        m_nextDatabaseId = 1;
    return S_OK;
}


void CPointPool::ClearDatabaseIds()
{
    for (auto& entry : m_points)
        entry.second.m_databaseId = 0;
    m_databaseIndex.clear();
}

void CPointPool::RemoveUnused()
{
    for (auto it = m_points.begin(); it != m_points.end();) {
        if (it->second.GetUseCount() <= 0) {
            if (it->second.m_databaseId != 0)
                m_databaseIndex.erase(it->second.m_databaseId);
            it = m_points.erase(it);
        } else {
            ++it;
        }
    }
    if (m_points.empty())
        m_nextId = 1;
}
