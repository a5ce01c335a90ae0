// CDataTable: one table of a record-table set. Records sit in key order under a cursor; the
// table remembers the largest key it ever held, from which new keys are handed out. The typed
// part (records, insert, find) is CRecordTable; tables with secondary indexes derive from
// CIndexedDataTable.
#pragma once

#include <cstddef>
#include <cstdint>

class CDataArchive;

class CDataTable
{
public:
    CDataTable() = default;
    CDataTable(const CDataTable&) = delete;
    CDataTable& operator=(const CDataTable&) = delete;
    virtual ~CDataTable();

    // 1 when the record under the cursor was erased (the cursor moves to the next record).
    virtual int EraseCurrent() = 0;
    // 1 when a record with the key was erased.
    virtual int EraseKey(int32_t key) = 0;
    // Erases every record; the largest key is kept, so new keys continue above the old ones.
    virtual void Clear() = 0;
    virtual const char* GetName() const = 0;
    virtual size_t GetCount() const = 0;

    // Cursor in key order. MoveFirst: non-zero when the table has a record. MoveNext: 0 when
    // the cursor stood at the end or now stands there.
    virtual int MoveFirst() = 0;
    virtual int MoveNext() = 0;
    virtual bool HasCurrent() const = 0;
    // Places the cursor on the record with the key and remembers the key: 1 when found, else
    // the cursor goes to the end. NextKey moves on within the remembered key (keys are unique,
    // so it answers 0 once the record is passed).
    virtual int SeekKey(int32_t key) = 0;
    virtual int NextKey() = 0;
    // Secondary-index cursor (tables with indexes): 1 when a record has the secondary key.
    virtual int SeekSecondaryKey(int32_t key, int index = 0);

    // The largest key ever inserted, and a new key above it (stored back as the largest).
    int32_t GetMaxKey() const { return m_maxKey; }
    int32_t NewKey() { return ++m_maxKey; }

    // One block of the archive: written in key order, or read record by record and inserted.
    // 1 on success, 0 for a null archive or one open in the other direction.
    int WriteToArchive(CDataArchive* archive);
    int ReadFromArchive(CDataArchive* archive);

protected:
    virtual void WriteRecords() = 0;
    virtual void ReadRecords() = 0;
    void NoteKey(int32_t key)
    {
        if (key > m_maxKey)
            m_maxKey = key;
    }

    CDataArchive* m_archive = nullptr;  // set only during a read or write pass
    int32_t m_maxKey = 0;
};
