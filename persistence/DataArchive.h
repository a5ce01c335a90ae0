// CDataArchive: the sink and source through which a record-table set travels. An archive is
// a sequence of blocks (one per table), each a sequence of records, each a sequence of typed
// values. The binary archives (memory and file) and the text archive implement it.
#pragma once

#include <cstdint>

class CDataArchive
{
public:
    // Values of the last-error field shared by every archive.
    enum ArchiveError {
        aeNone = 0,
        aeWrongMode = -1,     // operation called while not open in the needed direction
        aeWriteFailed = -2,   // the file refused a write
        aeReadFailed = -3,    // the data ended early or could not be read
        aeCorrupt = -4,       // a length, count or code in the data is impossible
        aeNoMemory = -5,
        aeRecordTooLong = -11 // a record does not fit its block's framing
    };

    CDataArchive();
    CDataArchive(const CDataArchive&) = delete;
    CDataArchive& operator=(const CDataArchive&) = delete;

    virtual const char* GetFormatName() const;
    virtual int Reserved();
    virtual int IsLoading() const;
    virtual int IsStoring() const;
    virtual ~CDataArchive();

    // Opening and closing: 1 on success, 0 on failure.
    virtual int BeginSave() = 0;
    virtual int BeginLoad() = 0;
    virtual int Close();

    // Values of the current record, in record order.
    virtual void WriteInt32(int32_t value) = 0;
    virtual void WriteInt16(int16_t value) = 0;
    virtual void WriteByte(uint8_t value) = 0;
    virtual void WriteFloat(double value) = 0;       // travels as a 32-bit float
    virtual void WriteString(const char* text) = 0;  // null writes the empty string
    virtual void WriteBytes(const void* data, int32_t length) = 0;

    // Reads past the end of a record give 0, 0.0 or the empty string. ReadBytes gives 1 when
    // data was delivered; the block belongs to the caller (free()) when ReadBytesAreOwned().
    virtual int ReadBytes(void** data, int32_t* length) = 0;
    virtual int32_t ReadInt32() = 0;
    virtual int16_t ReadInt16() = 0;
    virtual uint8_t ReadByte() = 0;
    virtual double ReadFloat() = 0;
    virtual const char* ReadString() = 0;  // valid until the next read call

    virtual void RewindRecord();
    virtual int BeginReadRecord() = 0;
    virtual int EndReadRecord() = 0;
    virtual int BeginWriteRecord();
    virtual int EndWriteRecord() = 0;
    virtual int EndWriteBlock();
    virtual const char* BeginReadBlock() = 0;  // null when no further block
    virtual int BeginWriteBlock(const char* name) = 0;
    virtual bool ReadBytesAreOwned() const;

    int GetError() const { return m_error; }
    // Sticky from BeginLoad on: the data ended early or held an impossible length, count or
    // code, so what was read is incomplete.
    bool HasReadFault() const { return m_readFault; }
    // Sticky from BeginSave on: a write failed or a record was refused, so the output is
    // incomplete.
    bool HasWriteFault() const { return m_writeFault; }

protected:
    // The start of BeginSave (storing) and BeginLoad: whatever was open is closed, and the last
    // error and the fault of the direction about to open are cleared.
    void Restart(bool storing);

    void ReadFault(int error)
    {
        m_error = error;
        m_readFault = true;
    }

    void WriteFault(int error)
    {
        m_error = error;
        m_writeFault = true;
    }

    bool m_readFault = false;
    bool m_writeFault = false;
    bool m_storing = false;
    bool m_loading = false;
    int m_error = aeNone;
};
