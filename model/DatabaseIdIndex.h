#pragma once
#include <map>
// Database ID -> ID of the attribute model's site maps. Only pairs whose IDs are both 1 or more
// are kept, and the first mapping of a database ID stays.
class CDatabaseIdIndex
{
public:
    // -2 for a database ID below 1, -1 when absent, else the ID.
    int Lookup(int databaseId) const;
    // -2 when either is below 1; else the ID the database ID maps to afterwards.
    int Add(int databaseId, int id);
    // -2 for a database ID below 1, -1 when absent, else the ID it mapped to.
    int Remove(int databaseId);
    // Removes the entry only when it maps to `id`.
    void RemoveIf(int databaseId, int id);
    void Clear() { m_index.clear(); }
private:
    std::map<int, int> m_index;
};
