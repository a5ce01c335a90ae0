// CMemoryBinaryArchive: the "YVEXbinary" format in a growable memory buffer. Records are
// framed but never packed (the file form packs). Drawing buffers handed to hosts are made and
// read with it.
#pragma once

#include "persistence/DataArchive.h"
#include "persistence/YVEXControlData.h"

class CMemoryBinaryArchive : public CDataArchive
{
public:
    // Empty: the buffer is allocated by BeginSave.
    CMemoryBinaryArchive();
    // Over existing data, ready to read. With takeOwnership the buffer (from malloc) becomes the
    // archive's and is freed with it; otherwise the caller keeps it and it is never changed.
    CMemoryBinaryArchive(const void* data, uint64_t size, bool takeOwnership);
    ~CMemoryBinaryArchive() override;

    const char* GetFormatName() const override;
    bool ReadBytesAreOwned() const override { return false; }  // pointers into the buffer

    int BeginSave() override;
    int BeginLoad() override;
    int Close() override;

    void WriteInt32(int32_t value) override;
    void WriteInt16(int16_t value) override;
    void WriteByte(uint8_t value) override;
    void WriteFloat(double value) override;
    void WriteString(const char* text) override;
    void WriteBytes(const void* data, int32_t length) override;

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

    // The buffer and, after writing and Close, the length of the data in it.
    const uint8_t* GetBuffer() const { return m_buffer; }
    uint64_t GetBufferSize() const { return m_size; }
    uint64_t GetDataLength() const { return m_dataLength; }
    // Gives up the buffer: the archive forgets it without freeing it. Returns it (null when
    // the archive had none).
    void* Detach();

private:
    bool Ensure(uint64_t freeBytes);
    void Append(const void* data, size_t length);
    void FreeBuffer();
    bool SkipRecord();

    uint8_t* m_buffer = nullptr;
    uint64_t m_size = 0;
    bool m_owned = true;
    uint64_t m_dataLength = 0;

    // Shared by both directions.
    uint64_t m_cursor = 0;
    uint64_t m_recordStart = 0;

    // Writing.
    uint64_t m_blockHeader = 0;
    bool m_inBlock = false;
    int m_blockCount = 0;
    int32_t m_records = 0;
    uint16_t m_code = 0;  // 0 while the block's framing is undecided
    int m_prefix = 0;
    int m_flags = 0;
    uint64_t m_maxData = 0;  // fixed-length blocks: the data length of the first record

    // Reading.
    int m_blocksLeft = 0;
    int32_t m_recordsLeft = 0;
    uint16_t m_fixedLength = 0;
    yvexbinary::CRecordReader m_reader;
};
