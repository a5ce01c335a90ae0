#include "model/PointRecord.h"
#include "automation/ResultCodes.h"
#include "interchange/DxfFile.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"

CPointRecord::CPointRecord(const CPointRecord& other)
    : CRealPoint(other), m_pointId(other.m_pointId), m_useCount(other.m_useCount), m_owners(other.m_owners),
      m_databaseId(other.m_databaseId)
{
}

CPointRecord& CPointRecord::operator=(const CPointRecord& other)
{
    CRealPoint::operator=(other);
    m_pointId = other.m_pointId;
    m_useCount = other.m_useCount;
    m_owners = other.m_owners;
    m_databaseId = other.m_databaseId;
    return *this;
}

LONG CPointRecord::AddOwner(int shapeId)
{
    if (shapeId != kNoOwnerId)
        m_owners.insert(shapeId);
    return InterlockedIncrement(&m_useCount);
}

LONG CPointRecord::ReleaseOwner(int shapeId)
{
    if (shapeId != kNoOwnerId)
        m_owners.erase(shapeId);
    if (m_useCount > 0)
        return InterlockedDecrement(&m_useCount);
    return 0;
}

int CPointRecord::ReadDxf(CDxfFile& dxf)
{
    x = 0.0f;
    y = 0.0f;
    bool gotX = false, gotY = false;
    for (;;) {
        if (!dxf.ReadGroup()) {
            dxf.UngetGroup();
            return 0;
        }
        if (dxf.GetCode() == 10) {
            x = static_cast<float>(dxf.GetReal());
            gotX = true;
        } else if (dxf.GetCode() == 20) {
            y = static_cast<float>(dxf.GetReal());
            gotY = true;
        } else {
            // The first other group belongs to the caller.
            dxf.UngetGroup();
            break;
        }
    }
    return gotX && gotY ? 1 : 0;
}

int CPointRecord::WriteDxf(CDxfFile& dxf, bool withZ, int codeBase)
{
    dxf.SetCode(codeBase + 10);
    dxf.SetReal(x);
    dxf.WriteGroup();
    dxf.SetCode(codeBase + 20);
    dxf.SetReal(y);
    dxf.WriteGroup();
    if (withZ) {
        dxf.SetCode(codeBase + 30);
        dxf.SetReal(0.0);
        dxf.WriteGroup();
    }
    return 1;
}

HRESULT CPointRecord::SaveToTables(CDataTableSet* tables, DWORD flags, int extra)
{
    CPointsTable* table = tables ? tables->Points() : nullptr;
    if (!table)
        return E_INVALIDARG;
    if (flags & DXFMODE_LOAD) {
        const CPointsRecord* row = table->GetCurrent();
        if (!row)
            return E_ACCESSDENIED;
        x = static_cast<float>(row->x);
        y = static_cast<float>(row->y);
        if ((flags & DXFMODE_USE_YVEX_IDENTIFIERS) && m_databaseId == 0)
            m_databaseId = row->DatabaseID;
        return S_OK;
    }
    CPointsRecord row;
    if (flags & DXFMODE_USE_YVEX_IDENTIFIERS) {
        row.pointID = m_pointId;
        row.DatabaseID = m_databaseId;
    } else {
        // Renumbered: the table's next key. It is no database ID: neither the row nor the point
        // takes it as one (the point's own row in the database stays the one it updates).
        row.pointID = table->NewKey();
        row.DatabaseID = 0;
    }
    row.x = x;
    row.y = y;
    row.siteID = extra;
    table->Insert(row);
    return S_OK;
}
