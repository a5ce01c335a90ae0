#include "persistence/MemoryBinaryArchive.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace yvexbinary;

namespace {
const uint64_t kInitialSize = 32767;
const uint64_t kBlockReserve = 1000;
const uint64_t kRecordReserve = 2000;
const char kBlockName[] = "HEADER";  // blocks carry no names in this format
} // namespace

CMemoryBinaryArchive::CMemoryBinaryArchive() = default;

CMemoryBinaryArchive::CMemoryBinaryArchive(const void* data, uint64_t size, bool takeOwnership)
    : m_buffer(static_cast<uint8_t*>(const_cast<void*>(data))),
      m_size(data ? size : 0),
      m_owned(takeOwnership),
      m_dataLength(data ? size : 0)
{
}

CMemoryBinaryArchive::~CMemoryBinaryArchive()
{
    Close();
    FreeBuffer();
}

void CMemoryBinaryArchive::FreeBuffer()
{
    if (m_owned)
        std::free(m_buffer);
    m_buffer = nullptr;
    m_size = 0;
    m_dataLength = 0;
    m_owned = true;
}

void* CMemoryBinaryArchive::Detach()
{
    Close();
    void* buffer = m_buffer;
    m_buffer = nullptr;
    m_size = 0;
    m_dataLength = 0;
    m_owned = true;
    return buffer;
}

const char* CMemoryBinaryArchive::GetFormatName() const { return kFormatName; }

bool CMemoryBinaryArchive::Ensure(uint64_t freeBytes)
{
    if (m_buffer && m_cursor + freeBytes <= m_size)
        return true;
    // Grow by the larger of 1.5 times the request and the request plus 32 bytes.
    const uint64_t grow = std::max(freeBytes + freeBytes / 2, freeBytes + 32);
    const uint64_t newSize = m_size + grow;
    if (newSize < grow || newSize > SIZE_MAX) {
        WriteFault(aeNoMemory);
        return false;
    }
    // Only an owned buffer is ever written (BeginSave replaces a borrowed one).
    uint8_t* grown = static_cast<uint8_t*>(std::realloc(m_buffer, static_cast<size_t>(newSize)));
    if (!grown) {
        WriteFault(aeNoMemory);
        return false;
    }
    m_buffer = grown;
    m_size = newSize;
    m_owned = true;
    return true;
}

void CMemoryBinaryArchive::Append(const void* data, size_t length)
{
    if (!m_storing) {
        m_error = aeWrongMode;
        return;
    }
    if (length == 0)
        return;
    if (!Ensure(length))
        return;
    std::memcpy(m_buffer + m_cursor, data, length);
    m_cursor += length;
}

int CMemoryBinaryArchive::BeginSave()
{
    if (m_storing)
        return 1;
    Close();
    m_cursor = 0;
    m_recordStart = 0;
    if (!m_owned || !m_buffer || m_size < kInitialSize) {
        if (m_owned)
            std::free(m_buffer);
        m_buffer = static_cast<uint8_t*>(std::malloc(kInitialSize));
        m_owned = true;
        m_size = m_buffer ? kInitialSize : 0;
        if (!m_buffer) {
            WriteFault(aeNoMemory);
            return 0;
        }
    }
    m_buffer[0] = static_cast<uint8_t>(kHeaderLength);
    m_buffer[1] = 0;
    std::memcpy(m_buffer + 2, kFormatName, kFormatNameLength);
    m_cursor = kHeaderLength;
    m_recordStart = m_cursor;
    m_dataLength = 0;
    m_blockCount = 0;
    m_inBlock = false;
    m_storing = true;
    m_error = aeNone;
    m_writeFault = false;
    return 1;
}

int CMemoryBinaryArchive::Close()
{
    if (m_storing) {
        if (m_inBlock)
            EndWriteBlock();
        m_buffer[1] = static_cast<uint8_t>(m_blockCount);
        m_dataLength = std::max(m_cursor, m_recordStart);
    }
    m_storing = false;
    m_loading = false;
    m_cursor = 0;
    m_recordStart = 0;
    m_blocksLeft = 0;
    m_recordsLeft = 0;
    m_reader.Reset();
    return 1;
}

// --- writing ---------------------------------------------------------------------------------

int CMemoryBinaryArchive::BeginWriteBlock(const char*)
{
    if (!m_storing) {
        m_error = aeWrongMode;
        return 0;
    }
    if (m_inBlock)
        EndWriteBlock();
    if (m_blockCount >= kMaxBlocks) {
        WriteFault(aeRecordTooLong);
        return 0;
    }
    m_cursor = m_recordStart;
    if (!Ensure(kBlockReserve))
        return 0;
    m_blockHeader = m_cursor;
    m_records = 0;
    m_code = 0;
    m_prefix = 0;
    m_flags = 0;
    std::memset(m_buffer + m_cursor, 0, 6);  // int32 count, int16 code
    m_cursor += 6;
    m_recordStart = m_cursor;
    m_inBlock = true;
    return 1;
}

void CMemoryBinaryArchive::RewindRecord()
{
    if (m_storing)
        m_cursor = m_recordStart + m_prefix;
    else
        m_reader.Rewind();
}

int CMemoryBinaryArchive::BeginWriteRecord()
{
    if (!m_storing || !m_inBlock) {
        m_error = aeWrongMode;
        return 0;
    }
    m_cursor = m_recordStart;
    if (!Ensure(kRecordReserve))
        return 0;
    m_cursor = m_recordStart + m_prefix;
    return 1;
}

void CMemoryBinaryArchive::WriteInt32(int32_t value)
{
    uint8_t b[4];
    PutLE(b, static_cast<uint32_t>(value), 4);
    Append(b, 4);
}

void CMemoryBinaryArchive::WriteInt16(int16_t value)
{
    uint8_t b[2];
    PutLE(b, static_cast<uint16_t>(value), 2);
    Append(b, 2);
}

void CMemoryBinaryArchive::WriteByte(uint8_t value) { Append(&value, 1); }

void CMemoryBinaryArchive::WriteFloat(double value)
{
    const float f = static_cast<float>(value);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    uint8_t b[4];
    PutLE(b, bits, 4);
    Append(b, 4);
}

void CMemoryBinaryArchive::WriteString(const char* text)
{
    const size_t length = text ? std::strlen(text) : 0;
    WriteInt16(static_cast<int16_t>(static_cast<uint16_t>(length & 0xFFFF)));
    if (length != 0)
        Append(text, length + 1);
    m_flags |= bfStrings;
    if (length >= kLongStringLength)
        m_flags |= bfLongData;
}

void CMemoryBinaryArchive::WriteBytes(const void* data, int32_t length)
{
    if (!data || length < 0)
        length = 0;
    WriteInt32(length);
    if (length > 0)
        Append(data, static_cast<size_t>(length));
    m_flags |= bfLongData;
}

int CMemoryBinaryArchive::EndWriteRecord()
{
    if (!m_storing || !m_inBlock || m_cursor < m_recordStart + m_prefix) {
        m_error = aeWrongMode;
        return -1;
    }
    if (m_error == aeNoMemory) {
        m_cursor = m_recordStart;
        return 0;
    }
    const uint64_t dataLength = m_cursor - m_recordStart - m_prefix;
    if (m_code == 0) {
        // The block's first record decides the framing of all of its records.
        m_code = DecideCode(static_cast<size_t>(std::min<uint64_t>(dataLength, SIZE_MAX)), m_flags);
        PutLE(m_buffer + m_blockHeader + 4, m_code, 2);
        if (IsFixedCode(m_code)) {
            m_fixedLength = m_code;
            m_maxData = dataLength;
        } else {
            m_prefix = PrefixWidth(m_code);
            if (!Ensure(m_prefix)) {
                m_cursor = m_recordStart;
                return 0;
            }
            std::memmove(m_buffer + m_recordStart + m_prefix, m_buffer + m_recordStart,
                         static_cast<size_t>(dataLength));
            m_cursor += m_prefix;
        }
    }
    if (m_prefix != 0) {
        if (dataLength > MaxPrefixedLength(m_prefix)) {
            WriteFault(aeRecordTooLong);
            m_cursor = m_recordStart;
            return 0;
        }
        PutLE(m_buffer + m_recordStart, dataLength, m_prefix);
    } else {
        // Fixed length: shorter records are padded (this also writes the filler byte).
        if (dataLength > m_maxData) {
            WriteFault(aeRecordTooLong);
            m_cursor = m_recordStart;
            return 0;
        }
        const uint64_t pad = m_fixedLength - dataLength;
        if (!Ensure(pad)) {
            m_cursor = m_recordStart;
            return 0;
        }
        std::memset(m_buffer + m_cursor, 0, static_cast<size_t>(pad));
        m_cursor += pad;
    }
    ++m_records;
    m_recordStart = m_cursor;
    m_error = aeNone;
    return 1;
}

int CMemoryBinaryArchive::EndWriteBlock()
{
    if (!m_storing || !m_inBlock) {
        m_error = aeWrongMode;
        return 0;
    }
    m_cursor = m_recordStart;
    PutLE(m_buffer + m_blockHeader, static_cast<uint32_t>(m_records), 4);
    if (m_records == 0) {
        // An empty block is its count alone.
        m_cursor = m_blockHeader + 4;
        m_recordStart = m_cursor;
    }
    m_prefix = 0;
    m_inBlock = false;
    ++m_blockCount;
    return 1;
}

// --- reading ---------------------------------------------------------------------------------

int CMemoryBinaryArchive::BeginLoad()
{
    if (m_loading)
        return 1;
    Close();
    m_error = aeNone;
    m_readFault = false;
    if (!m_buffer || m_dataLength == 0) {
        m_loading = true;  // nothing to read: every block read answers "none"
        return 1;
    }
    if (m_dataLength <= kHeaderLength || std::memcmp(m_buffer + 2, kFormatName, kFormatNameLength) != 0 ||
        m_buffer[0] < kHeaderLength || m_buffer[0] > m_dataLength) {
        m_error = aeCorrupt;
        Close();
        return 0;
    }
    m_blocksLeft = m_buffer[1];
    m_cursor = m_buffer[0];
    m_loading = true;
    return 1;
}

bool CMemoryBinaryArchive::SkipRecord()
{
    const uint64_t left = m_dataLength - m_cursor;
    uint64_t length = m_fixedLength;
    if (m_prefix != 0) {
        if (left < static_cast<uint64_t>(m_prefix))
            return false;
        length = GetLE(m_buffer + m_cursor, m_prefix);
        m_cursor += m_prefix;
    }
    if (length > m_dataLength - m_cursor)
        return false;
    m_reader.Set(m_buffer + m_cursor, static_cast<size_t>(length));
    m_cursor += length;
    --m_recordsLeft;
    return true;
}

const char* CMemoryBinaryArchive::BeginReadBlock()
{
    if (!m_loading) {
        m_error = aeWrongMode;
        return nullptr;
    }
    m_reader.Reset();
    // Records that the reader of the previous block left unread are stepped over.
    while (m_recordsLeft > 0) {
        if (!SkipRecord()) {
            ReadFault(aeCorrupt);
            m_blocksLeft = 0;
            m_recordsLeft = 0;
            return nullptr;
        }
    }
    m_reader.Reset();
    if (m_blocksLeft <= 0)
        return nullptr;
    if (m_dataLength - m_cursor < 4) {
        ReadFault(aeReadFailed);  // the header promised more blocks than the data holds
        m_blocksLeft = 0;
        return nullptr;
    }
    --m_blocksLeft;
    const int32_t count = static_cast<int32_t>(static_cast<uint32_t>(GetLE(m_buffer + m_cursor, 4)));
    m_cursor += 4;
    m_fixedLength = 0;
    m_prefix = 0;
    if (count < 0) {
        ReadFault(aeCorrupt);
        m_blocksLeft = 0;
        return nullptr;
    }
    if (count > 0) {
        if (m_dataLength - m_cursor < 2) {
            ReadFault(aeReadFailed);
            m_blocksLeft = 0;
            return nullptr;
        }
        const uint16_t code = static_cast<uint16_t>(GetLE(m_buffer + m_cursor, 2));
        m_cursor += 2;
        if (IsFixedCode(code))
            m_fixedLength = code;
        else
            m_prefix = PrefixWidth(code);
        const uint64_t smallest = m_prefix != 0 ? static_cast<uint64_t>(m_prefix) : m_fixedLength;
        if ((m_prefix == 0 && m_fixedLength == 0) || m_prefix > 4 ||
            static_cast<uint64_t>(count) > (m_dataLength - m_cursor) / smallest) {
            ReadFault(aeCorrupt);
            m_blocksLeft = 0;
            return nullptr;
        }
    }
    m_recordsLeft = count;
    return kBlockName;
}

int CMemoryBinaryArchive::BeginReadRecord()
{
    m_reader.Reset();
    if (!m_loading || m_recordsLeft <= 0)
        return 0;
    if (!SkipRecord()) {
        // The record runs past the end of the data: nothing after it can be trusted.
        m_reader.Reset();
        ReadFault(aeCorrupt);
        m_recordsLeft = 0;
        m_blocksLeft = 0;
        return 0;
    }
    return m_reader.Remaining() != 0 ? 1 : 0;
}

int CMemoryBinaryArchive::EndReadRecord()
{
    m_reader.Reset();
    m_recordStart = m_cursor;
    return 1;
}

int CMemoryBinaryArchive::ReadBytes(void** data, int32_t* length)
{
    const uint8_t* p = nullptr;
    int32_t n = 0;
    const bool got = m_reader.Bytes(&p, &n);
    if (data)
        *data = const_cast<uint8_t*>(p);
    if (length)
        *length = n;
    return got ? 1 : 0;
}
