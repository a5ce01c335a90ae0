// CFileHeaderRecord: the "FILE HEADER" record that opens every archive of a record-table set:
// six int32 values (3, the format version, the number of tables, 0, 0, 1) and, beside them,
// the format version this program writes, against which a read header is checked.
#pragma once

#include <cstdint>

class CDataArchive;

class CFileHeaderRecord
{
public:
    static const int32_t kFormatVersion = 0x07000001;

    CFileHeaderRecord();
    virtual ~CFileHeaderRecord();

    virtual const char* GetName() const;
    virtual void ReadRecord();
    virtual void WriteRecord();

    // The header block: 1 (or 0 when the archive is not storing).
    int WriteToArchive(CDataArchive* archive);
    // The header block, then CheckVersion's answer; 0 when the archive is not loading.
    int ReadFromArchive(CDataArchive* archive);
    // Compares the version read with our own: 0 when the lowest bytes differ (refused), -1
    // when the second bytes differ, -2 when the upper 16 bits differ, else 1.
    int CheckVersion() const;

    int32_t FileKind = 3;
    int32_t FormatVersion = kFormatVersion;
    int32_t TableCount = 0;
    int32_t Reserved4 = 0;
    int32_t Reserved5 = 0;
    int32_t Reserved6 = 1;
    int32_t OwnVersion = kFormatVersion;

private:
    CDataArchive* m_archive = nullptr;  // set only during a pass
};
