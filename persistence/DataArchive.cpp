#include "persistence/DataArchive.h"

CDataArchive::CDataArchive() = default;
CDataArchive::~CDataArchive() = default;

const char* CDataArchive::GetFormatName() const { return nullptr; }
int CDataArchive::Reserved() { return 0; }
int CDataArchive::IsLoading() const { return m_loading ? 1 : 0; }
int CDataArchive::IsStoring() const { return m_storing ? 1 : 0; }

int CDataArchive::Close()
{
    m_storing = false;
    return 0;
}

void CDataArchive::Restart(bool storing)
{
    Close();
    m_error = aeNone;
    if (storing)
        m_writeFault = false;
    else
        m_readFault = false;
}

void CDataArchive::RewindRecord() {}
int CDataArchive::BeginWriteRecord() { return 1; }
int CDataArchive::EndWriteBlock() { return 1; }
bool CDataArchive::ReadBytesAreOwned() const { return true; }
