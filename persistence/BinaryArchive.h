// CBinaryArchive: what the memory and the file form of "YVEXbinary" share: the header, the
// framing of blocks and records, the value encodings, the zero-run packing of the file form and
// the bounds-checked reading of blocks and records. A form supplies only where the bytes go and
// where they come from (a memory buffer or a file).
#pragma once

#include "persistence/DataArchive.h"
#include "persistence/YVEXControlData.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CBinaryArchive : public CDataArchive
{
public:
    const char* GetFormatName() const override;

    void WriteInt32(int32_t value) override;
    void WriteInt16(int16_t value) override;
    void WriteByte(uint8_t value) override;
    void WriteFloat(double value) override;
    void WriteString(const char* text) override;
    void WriteBytes(const void* data, int32_t length) override;

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

protected:
    // packs: records of prefixed blocks are zero-run packed (the file form); the memory form
    // never packs.
    explicit CBinaryArchive(bool packs);

    // The byte sink of the form. Append puts head, then data (either may be empty), behind what
    // is written; Overwrite replaces bytes already written. Both record the write fault
    // themselves when they fail.
    virtual bool Append(const uint8_t* head, size_t headLength, const uint8_t* data, size_t length) = 0;
    virtual bool Overwrite(uint64_t position, const uint8_t* data, size_t length) = 0;
    // The byte source of the form: the next length bytes, valid until the next Take, or false
    // (nothing taken) when fewer than length bytes remain or they cannot be read.
    virtual bool Take(uint64_t length, const uint8_t*& data) = 0;
    virtual uint64_t BytesLeft() const = 0;

    // Writes the header and starts storing; false when the sink refused the header.
    bool StartSave();
    // Ends the open block and stores the block count into the header; false when that failed.
    bool FinishSave();
    // Takes and checks the header of data totalLength bytes long (a longer header is skipped)
    // and starts loading; on a foreign or impossible header false with aeCorrupt.
    bool StartLoad(uint64_t totalLength);
    // Clears the direction and the state of blocks and records (every form's Close).
    void EndAccess();

    std::vector<uint8_t> m_record;  // writing: the values of the record being assembled
    yvexbinary::CRecordReader m_reader;

private:
    bool Put(const uint8_t* head, size_t headLength, const uint8_t* data, size_t length);
    bool CanWriteValue();
    bool LoadRecord();
    const char* BlockFault(int error);

    const bool m_packs;

    // Writing.
    uint64_t m_written = 0;        // bytes put so far, the header included
    uint64_t m_blockPosition = 0;  // where the current block's record count stands
    bool m_inBlock = false;
    int m_blockCount = 0;
    int32_t m_records = 0;
    uint16_t m_code = 0;  // 0 while the block's framing is undecided
    int m_flags = 0;
    size_t m_maxData = 0;  // fixed-length blocks: the data length of the first record
    std::vector<uint8_t> m_packed;

    // Both directions: the current block's framing.
    int m_prefix = 0;
    uint16_t m_fixedLength = 0;

    // Reading.
    int m_blocksLeft = 0;
    int32_t m_recordsLeft = 0;
    std::vector<uint8_t> m_unpacked;
};
