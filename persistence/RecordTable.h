// CRecordTable: the typed part of a record table, over the record type R (DataRecords.h).
#pragma once

#include "persistence/DataArchive.h"
#include "persistence/DataTable.h"
#include "persistence/RecordFields.h"

#include <map>

template <class R> class CRecordTable : public CDataTable
{
public:
    using Record = R;
    using Map = std::map<int32_t, R>;

    // Adds the record under its key; a key already present keeps its first record. Returns 0.
    virtual int Insert(const R& record)
    {
        InsertRecord(record);
        return 0;
    }

    int EraseCurrent() override
    {
        if (m_cursor == m_records.end())
            return 0;
        m_cursor = Erase(m_cursor);
        return 1;
    }

    int EraseKey(int32_t key) override
    {
        auto it = m_records.find(key);
        if (it == m_records.end())
            return 0;
        const bool onCursor = it == m_cursor;
        auto next = Erase(it);
        if (onCursor)
            m_cursor = next;
        return 1;
    }

    void Clear() override
    {
        m_records.clear();
        m_cursor = m_records.end();
    }

    size_t GetCount() const override { return m_records.size(); }

    // Fields in archive order from the current archive; without one every field reads as zero.
    virtual void ReadRecord(R& record)
    {
        record = R();
        if (!m_archive)
            return;
        CFieldReader reader(*m_archive);
        R::Fields(reader, record);
    }

    virtual void WriteRecord(const R& record)
    {
        if (!m_archive)
            return;
        CFieldWriter writer(*m_archive);
        R::Fields(writer, record);
    }

    int MoveFirst() override
    {
        m_cursor = m_records.begin();
        return m_cursor != m_records.end() ? 1 : 0;
    }

    int MoveNext() override
    {
        if (m_cursor == m_records.end())
            return 0;
        ++m_cursor;
        return m_cursor != m_records.end() ? 1 : 0;
    }

    bool HasCurrent() const override { return m_cursor != m_records.end(); }

    int SeekKey(int32_t key) override
    {
        m_seekKey = key;
        m_cursor = m_records.find(key);
        return m_cursor != m_records.end() ? 1 : 0;
    }

    int NextKey() override
    {
        if (m_cursor == m_records.end())
            return 0;
        ++m_cursor;
        return m_cursor != m_records.end() && m_cursor->first == m_seekKey ? 1 : 0;
    }

    // The record under the cursor, or null at the end.
    R* GetCurrent() { return m_cursor != m_records.end() ? &m_cursor->second : nullptr; }

    // The record with the key, the cursor left on it (no search when it is there already);
    // null when absent.
    R* FindRecord(int32_t key)
    {
        if (m_cursor != m_records.end() && m_cursor->first == key)
            return &m_cursor->second;
        auto it = m_records.find(key);
        if (it == m_records.end())
            return nullptr;
        m_cursor = it;
        return &it->second;
    }

    const Map& GetRecords() const { return m_records; }

    // Stores the record under its key: a record there already is replaced, else it is inserted.
    void Put(const R& record)
    {
        if (R* existing = FindRecord(record.Key()))
            *existing = record;
        else
            Insert(record);
    }

protected:
    // Inserts; true when the key was new.
    bool InsertRecord(const R& record)
    {
        const int32_t key = record.Key();
        NoteKey(key);
        return m_records.emplace(key, record).second;
    }

    virtual typename Map::iterator Erase(typename Map::iterator it) { return m_records.erase(it); }

    void WriteRecords() override
    {
        for (MoveFirst(); HasCurrent(); MoveNext()) {
            m_archive->RewindRecord();
            m_archive->BeginWriteRecord();
            WriteRecord(*GetCurrent());
            m_archive->EndWriteRecord();
        }
    }

    void ReadRecords() override
    {
        while (m_archive->BeginReadRecord()) {
            R record;
            ReadRecord(record);
            m_archive->EndReadRecord();
            Insert(record);
            m_archive->RewindRecord();
        }
    }

    Map m_records;
    typename Map::iterator m_cursor = m_records.end();
    int32_t m_seekKey = 0;
};
