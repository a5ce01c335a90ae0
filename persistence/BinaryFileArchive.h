// CBinaryFileArchive: the "YVEXbinary" format in a file. Records of blocks with length prefixes
// are zero-run packed; blocks of fixed-length records may use packing too when it pays.
#pragma once

#include "persistence/DataArchive.h"
#include "persistence/YVEXControlData.h"

#include <cstdio>
#include <string>
#include <vector>

class CBinaryFileArchive : public CDataArchive
{
public:
    explicit CBinaryFileArchive(const char* fileName = nullptr);
    ~CBinaryFileArchive() override;

    void SetFileName(const char* fileName);
    const std::string& GetFileName() const { return m_fileName; }

    const char* GetFormatName() const override;

    int BeginSave() override;
    int BeginLoad() override;
    int Close() override;

    void WriteInt32(int32_t value) override;
    void WriteInt16(int16_t value) override;
    void WriteByte(uint8_t value) override;
    void WriteFloat(double value) override;
    void WriteString(const char* text) override;
    void WriteBytes(const void* data, int32_t length) override;

    // A fresh heap block (free()) per call.
    int ReadBytes(void** data, int32_t* length) override;
    int32_t ReadInt32() override { return m_reader.Int32(); }
    int16_t ReadInt16() override { return m_reader.Int16(); }
    uint8_t ReadByte() override { return m_reader.Byte(); }
    double ReadFloat() override { return m_reader.Float(); }
    const char* ReadString() override { return m_reader.String(); }

    void RewindRecord() override;
    int BeginReadRecord() override;
    int EndReadRecord() override;
    int BeginWriteRecord() override;
    int EndWriteRecord() override;
    int EndWriteBlock() override;
    const char* BeginReadBlock() override;
    int BeginWriteBlock(const char* name) override;

private:
    bool WriteRaw(const void* data, size_t length);
    bool ReadRaw(void* data, size_t length);
    uint64_t BytesLeft() const;
    bool LoadRecord();

    std::string m_fileName;
    FILE* m_file = nullptr;
    int m_blockCount = 0;

    // Writing.
    std::vector<uint8_t> m_record;
    std::vector<uint8_t> m_packed;
    int64_t m_blockPosition = 0;
    bool m_inBlock = false;
    int32_t m_records = 0;
    uint16_t m_code = 0;  // 0 while the block's framing is undecided
    int m_prefix = 0;
    int m_flags = 0;
    size_t m_maxData = 0;

    // Reading.
    uint64_t m_fileSize = 0;
    uint64_t m_position = 0;
    int m_blocksLeft = 0;
    int32_t m_recordsLeft = 0;
    uint16_t m_fixedLength = 0;
    std::vector<uint8_t> m_stored;
    std::vector<uint8_t> m_data;
    yvexbinary::CRecordReader m_reader;
};
