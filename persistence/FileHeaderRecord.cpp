#include "persistence/FileHeaderRecord.h"

#include "persistence/DataArchive.h"

CFileHeaderRecord::CFileHeaderRecord() = default;
CFileHeaderRecord::~CFileHeaderRecord() = default;

const char* CFileHeaderRecord::GetName() const { return "FILE HEADER"; }

void CFileHeaderRecord::ReadRecord()
{
    if (!m_archive) {
        FileKind = FormatVersion = TableCount = Reserved4 = Reserved5 = Reserved6 = 0;
    } else {
        FileKind = m_archive->ReadInt32();
        FormatVersion = m_archive->ReadInt32();
        TableCount = m_archive->ReadInt32();
        Reserved4 = m_archive->ReadInt32();
        Reserved5 = m_archive->ReadInt32();
        Reserved6 = m_archive->ReadInt32();
    }
    if (Reserved6 == 0 || Reserved6 == Reserved5)
        Reserved6 = 1;
}

void CFileHeaderRecord::WriteRecord()
{
    if (!m_archive)
        return;
    m_archive->WriteInt32(FileKind);
    m_archive->WriteInt32(FormatVersion);
    m_archive->WriteInt32(TableCount);
    m_archive->WriteInt32(Reserved4);
    m_archive->WriteInt32(Reserved5);
    m_archive->WriteInt32(Reserved6);
}

int CFileHeaderRecord::WriteToArchive(CDataArchive* archive)
{
    if (!archive || !archive->IsStoring())
        return 0;
    m_archive = archive;
    archive->BeginWriteBlock(GetName());
    archive->RewindRecord();
    archive->BeginWriteRecord();
    WriteRecord();
    archive->EndWriteRecord();
    archive->EndWriteBlock();
    m_archive = nullptr;
    return 1;
}

int CFileHeaderRecord::ReadFromArchive(CDataArchive* archive)
{
    if (!archive || !archive->IsLoading())
        return 0;
    m_archive = archive;
    archive->BeginReadBlock();
    archive->BeginReadRecord();  // with no record every value reads as 0 and the check fails
    ReadRecord();
    archive->EndReadRecord();
    archive->RewindRecord();
    m_archive = nullptr;
    return CheckVersion();
}

int CFileHeaderRecord::CheckVersion() const
{
    const uint32_t read = static_cast<uint32_t>(FormatVersion);
    const uint32_t own = static_cast<uint32_t>(OwnVersion);
    if ((read & 0xFF) != (own & 0xFF))
        return 0;
    if ((read & 0xFF00) != (own & 0xFF00))
        return -1;
    if ((read >> 16) != (own >> 16))
        return -2;
    return 1;
}
