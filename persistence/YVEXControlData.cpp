#include "persistence/YVEXControlData.h"

#include <cstring>

namespace yvexbinary {

const char kFormatName[] = "YVEXbinary";

uint16_t DecideCode(size_t dataLength, int& flags)
{
    if ((flags & bfLongData) || dataLength > 0xFFFF) {
        flags |= bfLongData;
        return kPrefix4Code;
    }
    if (flags & bfStrings)
        return kPrefix2Code;
    uint16_t code = static_cast<uint16_t>(dataLength);
    if ((code & 0xFF) == 0)
        code = static_cast<uint16_t>(code + 1);  // filler byte keeps the low byte non-zero
    return code;
}

uint64_t MaxPrefixedLength(int width)
{
    if (width >= 8)
        return UINT64_MAX;
    return (uint64_t(1) << (8 * width)) - 1;
}

namespace {
// Calls emit(isZeroRun, start, count) for each piece of the data: literal bytes one at a time,
// zero runs in pieces of at most 255.
template <class F> void ForEachPiece(const uint8_t* data, size_t length, F emit)
{
    size_t i = 0;
    while (i < length) {
        if (data[i] != 0) {
            emit(false, i, 1);
            ++i;
            continue;
        }
        size_t run = 0;
        while (i + run < length && data[i + run] == 0)
            ++run;
        while (run > 0) {
            const size_t piece = run > 255 ? 255 : run;
            emit(true, i, piece);
            i += piece;
            run -= piece;
        }
    }
}
} // namespace

void Pack(const uint8_t* data, size_t length, std::vector<uint8_t>& out)
{
    out.clear();
    out.reserve(length + 16);
    ForEachPiece(data, length, [&](bool zeros, size_t start, size_t count) {
        if (zeros) {
            out.push_back(0);
            out.push_back(static_cast<uint8_t>(count));
        } else {
            out.push_back(data[start]);
        }
    });
}

size_t PackedLength(const uint8_t* data, size_t length)
{
    size_t n = 0;
    ForEachPiece(data, length, [&](bool zeros, size_t, size_t) { n += zeros ? 2 : 1; });
    return n;
}

long PackSaving(const uint8_t* data, size_t length)
{
    return static_cast<long>(length) - static_cast<long>(PackedLength(data, length));
}

void Unpack(const uint8_t* data, size_t length, std::vector<uint8_t>& out)
{
    out.clear();
    out.reserve(length * 2);
    size_t i = 0;
    while (i < length) {
        const uint8_t b = data[i];
        if (b != 0 || i + 1 == length) {
            out.push_back(b);
            ++i;
            continue;
        }
        const uint8_t count = data[i + 1];
        if (count == 0)
            break;
        out.insert(out.end(), count, 0);
        i += 2;
    }
}

void PutLE(uint8_t* at, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetLE(const uint8_t* at, int width)
{
    uint64_t v = 0;
    for (int i = 0; i < width; ++i)
        v |= uint64_t(at[i]) << (8 * i);
    return v;
}

// --- CRecordWriter ---------------------------------------------------------------------------

void CRecordWriter::Append(const void* data, size_t length)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    m_buffer.insert(m_buffer.end(), p, p + length);
}

void CRecordWriter::Int32(int32_t value)
{
    uint8_t b[4];
    PutLE(b, static_cast<uint32_t>(value), 4);
    Append(b, 4);
}

void CRecordWriter::Int16(int16_t value)
{
    uint8_t b[2];
    PutLE(b, static_cast<uint16_t>(value), 2);
    Append(b, 2);
}

void CRecordWriter::Byte(uint8_t value) { m_buffer.push_back(value); }

void CRecordWriter::Float(double value)
{
    const float f = static_cast<float>(value);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    uint8_t b[4];
    PutLE(b, bits, 4);
    Append(b, 4);
}

int CRecordWriter::String(const char* text)
{
    const size_t length = text ? std::strlen(text) : 0;
    // The stored length is the low 16 bits of the real one; readers go by the NUL.
    Int16(static_cast<int16_t>(static_cast<uint16_t>(length & 0xFFFF)));
    if (length != 0)
        Append(text, length + 1);
    int flags = bfStrings;
    if (length >= kLongStringLength)
        flags |= bfLongData;
    return flags;
}

void CRecordWriter::Bytes(const void* data, int32_t length)
{
    if (!data || length < 0)
        length = 0;
    Int32(length);
    if (length > 0)
        Append(data, static_cast<size_t>(length));
}

// --- CRecordReader ---------------------------------------------------------------------------

void CRecordReader::Set(const uint8_t* data, size_t length)
{
    m_data = data;
    m_length = data ? length : 0;
    m_pos = 0;
}

bool CRecordReader::Take(void* out, size_t length)
{
    if (m_length - m_pos < length) {
        m_pos = m_length;
        return false;
    }
    std::memcpy(out, m_data + m_pos, length);
    m_pos += length;
    return true;
}

int32_t CRecordReader::Int32()
{
    uint8_t b[4];
    return Take(b, 4) ? static_cast<int32_t>(static_cast<uint32_t>(GetLE(b, 4))) : 0;
}

int16_t CRecordReader::Int16()
{
    uint8_t b[2];
    return Take(b, 2) ? static_cast<int16_t>(static_cast<uint16_t>(GetLE(b, 2))) : 0;
}

uint8_t CRecordReader::Byte()
{
    uint8_t b = 0;
    return Take(&b, 1) ? b : 0;
}

double CRecordReader::Float()
{
    uint8_t b[4];
    if (!Take(b, 4))
        return 0.0;
    const uint32_t bits = static_cast<uint32_t>(GetLE(b, 4));
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

const char* CRecordReader::String()
{
    uint8_t b[2];
    if (!Take(b, 2))
        return "";
    if (GetLE(b, 2) == 0)
        return "";
    // The text runs to its NUL, which must lie inside the record.
    const void* nul = std::memchr(m_data + m_pos, 0, m_length - m_pos);
    if (!nul) {
        m_pos = m_length;
        return "";
    }
    const char* text = reinterpret_cast<const char*>(m_data + m_pos);
    m_pos = static_cast<const uint8_t*>(nul) - m_data + 1;
    return text;
}

bool CRecordReader::Bytes(const uint8_t** data, int32_t* length)
{
    *data = nullptr;
    *length = 0;
    uint8_t b[4];
    if (!Take(b, 4))
        return false;
    const int32_t stored = static_cast<int32_t>(static_cast<uint32_t>(GetLE(b, 4)));
    if (stored <= 0)
        return false;
    size_t n = static_cast<size_t>(stored);
    if (n > m_length - m_pos)
        n = m_length - m_pos;  // never more than the record holds
    if (n == 0)
        return false;
    *data = m_data + m_pos;
    *length = static_cast<int32_t>(n);
    m_pos += n;
    return true;
}

} // namespace yvexbinary
