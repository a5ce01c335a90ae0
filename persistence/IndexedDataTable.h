// CIndexedDataTable: a record table with Indexes ordered secondary indexes, each a multimap
// from a 32-bit field of the record (R::SecondaryKey(record, index)) to the record's key.
#pragma once

#include "persistence/RecordTable.h"

#include <map>

template <class R, int Indexes> class CIndexedDataTable : public CRecordTable<R>
{
    using Base = CRecordTable<R>;
    using Index = std::multimap<int32_t, int32_t>;

public:
    // Never reaches an archive: every final table names itself.
    const char* GetName() const override { return "HEAD"; }

    int Insert(const R& record) override
    {
        // A record whose key is taken is not inserted, so it adds nothing to the indexes
        // either: an index entry of it would hand the kept record to a wrong secondary key.
        if (Base::InsertRecord(record)) {
            for (int i = 0; i < Indexes; ++i)
                m_index[i].emplace(R::SecondaryKey(record, i), record.Key());
        }
        return 0;
    }

    void Clear() override
    {
        Base::Clear();
        for (int i = 0; i < Indexes; ++i)
            m_index[i].clear();
        m_indexCursor = m_index[0].end();
        m_current = 0;
    }

    // Places the secondary cursor of the index on its first entry with the key; 1 when found,
    // else the secondary cursor stands at the end.
    int SeekSecondaryKey(int32_t key, int index = 0) override
    {
        if (index < 0 || index >= Indexes)
            index = 0;
        m_current = index;
        Index& ix = m_index[index];
        m_indexCursor = ix.lower_bound(key);
        if (m_indexCursor != ix.end() && m_indexCursor->first == key)
            return 1;
        m_indexCursor = ix.end();
        return 0;
    }

    // The record of the secondary cursor, which then moves on, the table's cursor placed on
    // the record (FindRecord); null at the end of the index.
    R* NextInOrder()
    {
        Index& ix = m_index[m_current];
        while (m_indexCursor != ix.end()) {
            const int32_t key = m_indexCursor->second;
            ++m_indexCursor;
            if (R* record = Base::FindRecord(key))
                return record;
        }
        return nullptr;
    }

    // Whether a record under the key of the secondary index satisfies `match`; the cursors stay
    // where the search stopped.
    template <class Match> bool AnyInOrder(int32_t key, int index, Match match)
    {
        if (!SeekSecondaryKey(key, index))
            return false;
        while (const R* r = NextInOrder()) {
            if (R::SecondaryKey(*r, index) != key)
                break;
            if (match(*r))
                return true;
        }
        return false;
    }

protected:
    typename Base::Map::iterator Erase(typename Base::Map::iterator it) override
    {
        for (int i = 0; i < Indexes; ++i) {
            Index& ix = m_index[i];
            auto range = ix.equal_range(R::SecondaryKey(it->second, i));
            for (auto e = range.first; e != range.second; ++e) {
                if (e->second == it->first) {
                    if (i == m_current && e == m_indexCursor)
                        ++m_indexCursor;
                    ix.erase(e);
                    break;
                }
            }
        }
        return Base::Erase(it);
    }

    Index m_index[Indexes];
    typename Index::iterator m_indexCursor = m_index[0].end();
    int m_current = 0;
};
