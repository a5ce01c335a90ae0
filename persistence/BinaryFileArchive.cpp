#include "persistence/BinaryFileArchive.h"

#include <windows.h>
#include <share.h>

#include <cstdlib>
#include <cstring>

using namespace yvexbinary;

namespace {
const size_t kRecordReserve = 32768;
const char kBlockName[] = "HEADER";  // blocks carry no names in this format
} // namespace

CBinaryFileArchive::CBinaryFileArchive(const char* fileName)
{
    SetFileName(fileName);
    m_record.reserve(kRecordReserve);
}

CBinaryFileArchive::~CBinaryFileArchive() { Close(); }

void CBinaryFileArchive::SetFileName(const char* fileName) { m_fileName = fileName ? fileName : ""; }

const char* CBinaryFileArchive::GetFormatName() const { return kFormatName; }

bool CBinaryFileArchive::WriteRaw(const void* data, size_t length)
{
    return length == 0 || std::fwrite(data, 1, length, m_file) == length;
}

bool CBinaryFileArchive::ReadRaw(void* data, size_t length)
{
    if (length > BytesLeft() || std::fread(data, 1, length, m_file) != length)
        return false;
    m_position += length;
    return true;
}

uint64_t CBinaryFileArchive::BytesLeft() const { return m_fileSize > m_position ? m_fileSize - m_position : 0; }

int CBinaryFileArchive::Close()
{
    int result = 1;
    if (m_file) {
        if (m_storing) {
            if (m_inBlock)
                EndWriteBlock();
            const uint8_t count = static_cast<uint8_t>(m_blockCount);
            if (_fseeki64(m_file, 1, SEEK_SET) != 0 || !WriteRaw(&count, 1)) {
                WriteFault(aeWriteFailed);
                result = 0;
            }
        }
        if (std::fclose(m_file) != 0 && m_storing) {
            WriteFault(aeWriteFailed);
            result = 0;
        }
        m_file = nullptr;
    }
    m_storing = false;
    m_loading = false;
    m_inBlock = false;
    m_blocksLeft = 0;
    m_recordsLeft = 0;
    m_reader.Reset();
    return result;
}

// --- writing ---------------------------------------------------------------------------------

int CBinaryFileArchive::BeginSave()
{
    if (m_storing)
        return 1;
    Close();
    m_error = aeNone;
    m_writeFault = false;
    if (m_fileName.empty())
        return 0;
    m_file = _fsopen(m_fileName.c_str(), "wb", _SH_DENYNO);
    if (!m_file)
        return 0;
    uint8_t header[kHeaderLength];
    header[0] = static_cast<uint8_t>(kHeaderLength);
    header[1] = 0;
    std::memcpy(header + 2, kFormatName, kFormatNameLength);
    if (!WriteRaw(header, sizeof header)) {
        std::fclose(m_file);
        m_file = nullptr;
        DeleteFileA(m_fileName.c_str());
        WriteFault(aeWriteFailed);
        return 0;
    }
    m_blockCount = 0;
    m_inBlock = false;
    m_storing = true;
    return 1;
}

int CBinaryFileArchive::BeginWriteBlock(const char*)
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
    m_blockPosition = _ftelli64(m_file);
    const uint8_t zero[4] = {0, 0, 0, 0};
    if (m_blockPosition < 0 || !WriteRaw(zero, 4)) {
        WriteFault(aeWriteFailed);
        return 0;
    }
    m_records = 0;
    m_code = 0;
    m_prefix = 0;
    m_flags = 0;
    m_inBlock = true;
    m_record.clear();
    return 1;
}

void CBinaryFileArchive::RewindRecord()
{
    if (m_storing)
        m_record.clear();
    else
        m_reader.Rewind();
}

int CBinaryFileArchive::BeginWriteRecord()
{
    if (!m_storing || !m_inBlock) {
        m_error = aeWrongMode;
        return 0;
    }
    m_record.clear();
    return 1;
}

void CBinaryFileArchive::WriteInt32(int32_t value) { CRecordWriter(m_record).Int32(value); }
void CBinaryFileArchive::WriteInt16(int16_t value) { CRecordWriter(m_record).Int16(value); }
void CBinaryFileArchive::WriteByte(uint8_t value) { CRecordWriter(m_record).Byte(value); }
void CBinaryFileArchive::WriteFloat(double value) { CRecordWriter(m_record).Float(value); }
void CBinaryFileArchive::WriteString(const char* text) { m_flags |= CRecordWriter(m_record).String(text); }

void CBinaryFileArchive::WriteBytes(const void* data, int32_t length)
{
    CRecordWriter(m_record).Bytes(data, length);
    m_flags |= bfLongData;
}

int CBinaryFileArchive::EndWriteRecord()
{
    if (!m_storing || !m_inBlock) {
        m_error = aeWrongMode;
        return -1;
    }
    const uint8_t* data = m_record.data();
    const size_t length = m_record.size();
    bool firstRecord = false;
    if (m_code == 0) {
        firstRecord = true;
        if (m_flags == 0 && length <= 0xFFFF) {
            // Fixed-length records: a packed form with a short length prefix is taken instead
            // when it saves more than the prefix costs. The prefix width is length / 256 + 1;
            // it is used only while the longest packed record of this length surely fits it
            // (a record of single zeros grows by half), so no later record can overflow it.
            const int width = static_cast<int>(length / 256 + 1);
            const uint64_t worst = length + (length + 1) / 2;
            if (width <= 3 && worst <= MaxPrefixedLength(width) &&
                PackSaving(data, length) > width + 1) {
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

    // Assemble what goes to the file after the block's code.
    const uint8_t* stored = data;
    size_t storedLength = length;
    if (m_prefix != 0) {
        if (length < kPackLimit) {
            Pack(data, length, m_packed);
            if (m_packed.size() < kPackLimit) {
                stored = m_packed.data();
                storedLength = m_packed.size();
            } else {
                // Packing would reach the limit: the record goes unpacked, padded to the limit,
                // so that its stored length tells the reader not to unpack it.
                m_packed.assign(data, data + length);
                m_packed.resize(kPackLimit, 0);
                stored = m_packed.data();
                storedLength = m_packed.size();
            }
        }
        if (storedLength > MaxPrefixedLength(m_prefix)) {
            WriteFault(aeRecordTooLong);
            return 0;
        }
    } else if (length > m_maxData) {
        WriteFault(aeRecordTooLong);
        return 0;
    }

    bool ok = true;
    if (firstRecord) {
        uint8_t code[2];
        PutLE(code, m_code, 2);
        ok = WriteRaw(code, 2);
    }
    if (ok && m_prefix != 0) {
        uint8_t prefix[4];
        PutLE(prefix, storedLength, m_prefix);
        ok = WriteRaw(prefix, m_prefix) && WriteRaw(stored, storedLength);
    } else if (ok) {
        ok = WriteRaw(data, length);
        for (size_t i = length; ok && i < m_fixedLength; ++i) {
            const uint8_t zero = 0;
            ok = WriteRaw(&zero, 1);
        }
    }
    if (!ok) {
        WriteFault(aeWriteFailed);
        return -2;
    }
    ++m_records;
    m_record.clear();
    m_error = aeNone;
    return 1;
}

int CBinaryFileArchive::EndWriteBlock()
{
    if (!m_storing || !m_inBlock) {
        m_error = aeWrongMode;
        return 0;
    }
    m_inBlock = false;
    ++m_blockCount;
    uint8_t count[4];
    PutLE(count, static_cast<uint32_t>(m_records), 4);
    if (_fseeki64(m_file, m_blockPosition, SEEK_SET) != 0 || !WriteRaw(count, 4) ||
        _fseeki64(m_file, 0, SEEK_END) != 0) {
        WriteFault(aeWriteFailed);
        return 0;
    }
    return 1;
}

// --- reading ---------------------------------------------------------------------------------

int CBinaryFileArchive::BeginLoad()
{
    if (m_loading)
        return 1;
    Close();
    m_error = aeNone;
    m_readFault = false;
    if (m_fileName.empty())
        return 0;
    m_file = _fsopen(m_fileName.c_str(), "rb", _SH_DENYNO);
    if (!m_file)
        return 0;
    if (_fseeki64(m_file, 0, SEEK_END) != 0) {
        Close();
        return 0;
    }
    const int64_t size = _ftelli64(m_file);
    _fseeki64(m_file, 0, SEEK_SET);
    m_fileSize = size > 0 ? static_cast<uint64_t>(size) : 0;
    m_position = 0;
    uint8_t header[kHeaderLength];
    if (!ReadRaw(header, sizeof header) || std::memcmp(header + 2, kFormatName, kFormatNameLength) != 0 ||
        header[0] < kHeaderLength || header[0] > m_fileSize) {
        m_error = aeCorrupt;
        Close();
        return 0;
    }
    // A longer header is skipped.
    if (header[0] > kHeaderLength) {
        m_position = header[0];
        _fseeki64(m_file, static_cast<int64_t>(m_position), SEEK_SET);
    }
    m_blockCount = header[1];
    m_blocksLeft = header[1];
    m_recordsLeft = 0;
    m_loading = true;
    return 1;
}

bool CBinaryFileArchive::LoadRecord()
{
    uint64_t length = m_fixedLength;
    if (m_prefix != 0) {
        uint8_t prefix[4];
        if (!ReadRaw(prefix, m_prefix))
            return false;
        length = GetLE(prefix, m_prefix);
    }
    if (length > BytesLeft())
        return false;
    m_stored.resize(static_cast<size_t>(length));
    if (!ReadRaw(m_stored.data(), m_stored.size()))
        return false;
    --m_recordsLeft;
    if (m_prefix != 0 && length < kPackLimit) {
        Unpack(m_stored.data(), m_stored.size(), m_data);
        m_reader.Set(m_data.data(), m_data.size());
    } else {
        m_reader.Set(m_stored.data(), m_stored.size());
    }
    return true;
}

const char* CBinaryFileArchive::BeginReadBlock()
{
    if (!m_loading) {
        m_error = aeWrongMode;
        return nullptr;
    }
    // Records that the reader of the previous block left unread are stepped over.
    while (m_recordsLeft > 0) {
        if (!LoadRecord()) {
            ReadFault(aeReadFailed);
            m_blocksLeft = 0;
            m_recordsLeft = 0;
            break;
        }
    }
    m_reader.Reset();
    if (m_blocksLeft <= 0)
        return nullptr;
    uint8_t count[4];
    if (!ReadRaw(count, 4)) {
        ReadFault(aeReadFailed);  // the header promised more blocks than the file holds
        m_blocksLeft = 0;
        return nullptr;
    }
    --m_blocksLeft;
    const int32_t records = static_cast<int32_t>(static_cast<uint32_t>(GetLE(count, 4)));
    m_fixedLength = 0;
    m_prefix = 0;
    if (records < 0) {
        ReadFault(aeCorrupt);
        m_blocksLeft = 0;
        return nullptr;
    }
    if (records > 0) {
        uint8_t code[2];
        if (!ReadRaw(code, 2)) {
            ReadFault(aeReadFailed);
            m_blocksLeft = 0;
            return nullptr;
        }
        const uint16_t value = static_cast<uint16_t>(GetLE(code, 2));
        if (IsFixedCode(value))
            m_fixedLength = value;
        else
            m_prefix = PrefixWidth(value);
        const uint64_t smallest = m_prefix != 0 ? static_cast<uint64_t>(m_prefix) : m_fixedLength;
        if ((m_prefix == 0 && m_fixedLength == 0) || m_prefix > 4 ||
            static_cast<uint64_t>(records) > BytesLeft() / smallest) {
            ReadFault(aeCorrupt);
            m_blocksLeft = 0;
            return nullptr;
        }
    }
    m_recordsLeft = records;
    return kBlockName;
}

int CBinaryFileArchive::BeginReadRecord()
{
    m_reader.Reset();
    if (!m_loading || m_recordsLeft <= 0)
        return 0;
    if (!LoadRecord()) {
        // A short or impossible record ends the block and everything after it.
        m_reader.Reset();
        ReadFault(aeReadFailed);
        m_recordsLeft = 0;
        m_blocksLeft = 0;
        return 0;
    }
    return m_reader.Remaining() != 0 ? 1 : 0;
}

int CBinaryFileArchive::EndReadRecord() { return 1; }

int CBinaryFileArchive::ReadBytes(void** data, int32_t* length)
{
    if (data)
        *data = nullptr;
    if (length)
        *length = 0;
    const uint8_t* p = nullptr;
    int32_t n = 0;
    if (!m_reader.Bytes(&p, &n))
        return 0;
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(n) + 2));
    if (!copy) {
        m_error = aeNoMemory;
        return 0;
    }
    std::memcpy(copy, p, static_cast<size_t>(n));
    copy[n] = 0;
    copy[n + 1] = 0;
    if (data)
        *data = copy;
    else
        std::free(copy);
    if (length)
        *length = n;
    return 1;
}
