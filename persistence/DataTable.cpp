#include "persistence/DataTable.h"

#include "persistence/DataArchive.h"

CDataTable::~CDataTable() = default;

int CDataTable::SeekSecondaryKey(int32_t, int) { return 0; }

int CDataTable::WriteToArchive(CDataArchive* archive)
{
    if (!archive || !archive->IsStoring())
        return 0;
    m_archive = archive;
    archive->BeginWriteBlock(GetName());
    WriteRecords();
    archive->EndWriteBlock();
    m_archive = nullptr;
    return 1;
}

int CDataTable::ReadFromArchive(CDataArchive* archive)
{
    if (!archive || !archive->IsLoading())
        return 0;
    m_archive = archive;
    archive->BeginReadBlock();  // blocks are taken by position; the name is not compared
    ReadRecords();
    m_archive = nullptr;
    return 1;
}
