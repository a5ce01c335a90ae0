#include "model/PointRecord.h"

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
    if (shapeId != -100)
        m_owners.insert(shapeId);
    return InterlockedIncrement(&m_useCount);
}

LONG CPointRecord::ReleaseOwner(int shapeId)
{
    if (shapeId != -100)
        m_owners.erase(shapeId);
    if (m_useCount > 0)
        return InterlockedDecrement(&m_useCount);
    return 0;
}
