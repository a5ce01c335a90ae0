#include "persistence/BinaryArchive.h"

#include <cstring>

using namespace yvexbinary;

namespace {
const char kBlockName[] = "HEADER";  // blocks carry no names in this format
// The framing in front of a record: the block's int16 code (first record only) and a length
// prefix of at most 4 bytes.
const size_t kMaxFramingLength = 2 + 4;
} // namespace

CBinaryArchive::CBinaryArchive(bool packs) : m_packs(packs) {}

const char* CBinaryArchive::GetFormatName() const { return kFormatName; }

bool CBinaryArchive::Put(const uint8_t* head, size_t headLength, const uint8_t* data, size_t length)
{
    if (!Append(head, headLength, data, length))
        return false;
    m_written += headLength + length;
    return true;
}

bool CBinaryArchive::StartSave()
{
    uint8_t header[kHeaderLength];
    header[0] = static_cast<uint8_t>(kHeaderLength);
    header[1] = 0;  // the block count, stored by FinishSave
    std::memcpy(header + 2, kFormatName, kFormatNameLength);
    m_written = 0;
    m_blockCount = 0;
    m_inBlock = false;
    if (!Put(header, sizeof header, nullptr, 0))
        return false;
    m_storing = true;
    return true;
}

bool CBinaryArchive::FinishSave()
{
    if (m_inBlock)
        EndWriteBlock();
    const uint8_t count = static_cast<uint8_t>(m_blockCount);
    return Overwrite(1, &count, 1);
}

bool CBinaryArchive::StartLoad(uint64_t totalLength)
{
    const uint8_t* header = nullptr;
    if (!Take(kHeaderLength, header) || std::memcmp(header + 2, kFormatName, kFormatNameLength) != 0 ||
        header[0] < kHeaderLength || header[0] > totalLength) {
        m_error = aeCorrupt;
        return false;
    }
    const uint8_t headerLength = header[0];
    m_blocksLeft = header[1];
    m_recordsLeft = 0;
    // A longer header is skipped.
    const uint8_t* rest = nullptr;
    if (headerLength > kHeaderLength && !Take(headerLength - kHeaderLength, rest)) {
        m_error = aeCorrupt;
        return false;
    }
    m_loading = true;
    return true;
}

void CBinaryArchive::EndAccess()
{
    m_storing = false;
    m_loading = false;
    m_inBlock = false;
    m_blocksLeft = 0;
    m_recordsLeft = 0;
    m_reader.Reset();
}

// --- writing ---------------------------------------------------------------------------------

int CBinaryArchive::BeginWriteBlock(const char*)
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
    // The record count, stored by EndWriteBlock; the code follows with the first record.
    const uint8_t count[4] = {0, 0, 0, 0};
    const uint64_t position = m_written;
    if (!Put(count, sizeof count, nullptr, 0))
        return 0;
    m_blockPosition = position;
    m_records = 0;
    m_code = 0;
    m_prefix = 0;
    m_flags = 0;
    m_inBlock = true;
    m_record.clear();
    return 1;
}

void CBinaryArchive::RewindRecord()
{
    if (m_storing)
        m_record.clear();
    else
        m_reader.Rewind();
}

int CBinaryArchive::BeginWriteRecord()
{
    if (!m_storing || !m_inBlock) {
        m_error = aeWrongMode;
        return 0;
    }
    m_record.clear();
    return 1;
}

bool CBinaryArchive::CanWriteValue()
{
    if (m_storing)
        return true;
    m_error = aeWrongMode;
    return false;
}

void CBinaryArchive::WriteInt32(int32_t value) { if (CanWriteValue()) CRecordWriter(m_record).Int32(value); }
void CBinaryArchive::WriteInt16(int16_t value) { if (CanWriteValue()) CRecordWriter(m_record).Int16(value); }
void CBinaryArchive::WriteByte(uint8_t value) { if (CanWriteValue()) CRecordWriter(m_record).Byte(value); }
void CBinaryArchive::WriteFloat(double value) { if (CanWriteValue()) CRecordWriter(m_record).Float(value); }

void CBinaryArchive::WriteString(const char* text)
{
    if (CanWriteValue())
        m_flags |= CRecordWriter(m_record).String(text);
}

void CBinaryArchive::WriteBytes(const void* data, int32_t length)
{
    if (!CanWriteValue())
        return;
    CRecordWriter(m_record).Bytes(data, length);
    m_flags |= bfLongData;
}

int CBinaryArchive::EndWriteRecord()
{
    if (!m_storing || !m_inBlock) {
        m_error = aeWrongMode;
        return -1;
    }
    const size_t length = m_record.size();
    if (m_code == 0) {
        // The block's first record decides the framing of all of its records.
        if (m_packs && m_flags == 0 && length <= 0xFFFF) {
            // Fixed-length records: a packed form with a short length prefix is taken instead
            // when it saves more than the prefix costs. The prefix width is length / 256 + 1;
            // it is used only while the longest packed record of this length surely fits it
            // (a record of single zeros grows by half), so no later record can overflow it.
            const int width = static_cast<int>(length / 256 + 1);
            const uint64_t worst = length + (length + 1) / 2;
            if (width <= 3 && worst <= MaxPrefixedLength(width) &&
                PackSaving(m_record.data(), length) > width + 1) {
                m_code = static_cast<uint16_t>(width * 256);
            }
        }
        if (m_code == 0)
            m_code = DecideCode(length, m_flags);
        if (IsFixedCode(m_code)) {
            m_fixedLength = m_code;
            m_maxData = length;
            m_prefix = 0;
        } else {
            m_prefix = PrefixWidth(m_code);
        }
    }

    // The block's code goes in front of its first record that is written.
    uint8_t head[kMaxFramingLength];
    size_t headLength = 0;
    if (m_records == 0) {
        ybytes::Store(head, m_code, 2);
        headLength = 2;
    }
    const uint8_t* stored = m_record.data();
    size_t storedLength = length;
    if (m_prefix != 0) {
        if (m_packs && length < kPackLimit) {
            Pack(m_record.data(), length, m_packed);
            if (m_packed.size() >= kPackLimit) {
                // Packing would reach the limit: the record goes unpacked, padded to the limit,
                // so that its stored length tells the reader not to unpack it.
                m_packed.assign(m_record.begin(), m_record.end());
                m_packed.resize(kPackLimit, 0);
            }
            stored = m_packed.data();
            storedLength = m_packed.size();
        }
        if (storedLength > MaxPrefixedLength(m_prefix)) {
            WriteFault(aeRecordTooLong);
            return 0;
        }
        ybytes::Store(head + headLength, storedLength, m_prefix);
        headLength += static_cast<size_t>(m_prefix);
    } else {
        if (length > m_maxData) {
            WriteFault(aeRecordTooLong);
            return 0;
        }
        // Fixed length: shorter records are padded (this also writes the filler byte).
        m_record.resize(m_fixedLength, 0);
        stored = m_record.data();
        storedLength = m_record.size();
    }
    if (!Put(head, headLength, stored, storedLength))
        return m_error == aeWriteFailed ? -2 : 0;  // a buffer that cannot grow answers 0
    ++m_records;
    m_record.clear();
    m_error = aeNone;
    return 1;
}

int CBinaryArchive::EndWriteBlock()
{
    if (!m_storing || !m_inBlock) {
        m_error = aeWrongMode;
        return 0;
    }
    m_inBlock = false;
    ++m_blockCount;
    uint8_t count[4];
    ybytes::Store(count, static_cast<uint32_t>(m_records), 4);
    return Overwrite(m_blockPosition, count, sizeof count) ? 1 : 0;
}

// --- reading ---------------------------------------------------------------------------------

// Every length is checked by Take against what remains before anything is read.
bool CBinaryArchive::LoadRecord()
{
    uint64_t length = m_fixedLength;
    const uint8_t* bytes = nullptr;
    if (m_prefix != 0) {
        if (!Take(static_cast<uint64_t>(m_prefix), bytes))
            return false;
        length = ybytes::Load(bytes, m_prefix);
    }
    if (!Take(length, bytes))
        return false;
    --m_recordsLeft;
    if (m_packs && m_prefix != 0 && length < kPackLimit) {
        Unpack(bytes, static_cast<size_t>(length), m_unpacked);
        m_reader.Set(m_unpacked.data(), m_unpacked.size());
    } else {
        m_reader.Set(bytes, static_cast<size_t>(length));
    }
    return true;
}

const char* CBinaryArchive::BlockFault(int error)
{
    ReadFault(error);
    m_blocksLeft = 0;
    return nullptr;
}

const char* CBinaryArchive::BeginReadBlock()
{
    if (!m_loading) {
        m_error = aeWrongMode;
        return nullptr;
    }
    // Records that the reader of the previous block left unread are stepped over.
    while (m_recordsLeft > 0) {
        if (!LoadRecord()) {
            m_recordsLeft = 0;
            m_reader.Reset();
            return BlockFault(aeReadFailed);
        }
    }
    m_reader.Reset();
    if (m_blocksLeft <= 0)
        return nullptr;
    const uint8_t* bytes = nullptr;
    if (!Take(4, bytes))
        return BlockFault(aeReadFailed);  // the header promised more blocks than the data holds
    --m_blocksLeft;
    const int32_t records = static_cast<int32_t>(static_cast<uint32_t>(ybytes::Load(bytes, 4)));
    m_fixedLength = 0;
    m_prefix = 0;
    if (records < 0)
        return BlockFault(aeCorrupt);
    if (records > 0) {
        if (!Take(2, bytes))
            return BlockFault(aeReadFailed);
        const uint16_t code = static_cast<uint16_t>(ybytes::Load(bytes, 2));
        if (IsFixedCode(code))
            m_fixedLength = code;
        else
            m_prefix = PrefixWidth(code);
        // Every record takes at least its prefix or its fixed length.
        const uint64_t smallest = m_prefix != 0 ? static_cast<uint64_t>(m_prefix) : m_fixedLength;
        if ((m_prefix == 0 && m_fixedLength == 0) || m_prefix > 4 ||
            static_cast<uint64_t>(records) > BytesLeft() / smallest)
            return BlockFault(aeCorrupt);
    }
    m_recordsLeft = records;
    return kBlockName;
}

int CBinaryArchive::BeginReadRecord()
{
    m_reader.Reset();
    if (!m_loading || m_recordsLeft <= 0)
        return 0;
    if (!LoadRecord()) {
        // A short or impossible record ends the block and everything after it.
        ReadFault(aeReadFailed);
        m_recordsLeft = 0;
        m_blocksLeft = 0;
        return 0;
    }
    return m_reader.Remaining() != 0 ? 1 : 0;
}

int CBinaryArchive::EndReadRecord()
{
    // Whatever was left unread of the record is passed over.
    m_reader.Reset();
    return 1;
}
