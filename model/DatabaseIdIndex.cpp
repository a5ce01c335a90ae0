#include "model/DatabaseIdIndex.h"

int CDatabaseIdIndex::Lookup(int databaseId) const
{
    if (databaseId < 1)
        return -2;
    auto it = m_index.find(databaseId);
    return it == m_index.end() ? -1 : it->second;
}

int CDatabaseIdIndex::Add(int databaseId, int id)
{
    if (databaseId < 1 || id < 1)
        return -2;
    return m_index.emplace(databaseId, id).first->second;
}

int CDatabaseIdIndex::Remove(int databaseId)
{
    if (databaseId < 1)
        return -2;
    auto it = m_index.find(databaseId);
    if (it == m_index.end())
        return -1;
    const int id = it->second;
    m_index.erase(it);
    return id;
}

void CDatabaseIdIndex::RemoveIf(int databaseId, int id)
{
    if (Lookup(databaseId) == id)
        Remove(databaseId);
}
