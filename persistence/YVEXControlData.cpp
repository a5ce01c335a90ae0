#include "persistence/YVEXControlData.h"

#include <algorithm>
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

// --- CRecordWriter ---------------------------------------------------------------------------

void CRecordWriter::Append(const void* data, size_t length)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    m_buffer.insert(m_buffer.end(), p, p + length);
}

void CRecordWriter::Int32(int32_t value) { ybytes::Append(m_buffer, ybytes::BitsOf(value), 4); }

void CRecordWriter::Int16(int16_t value) { ybytes::Append(m_buffer, ybytes::BitsOf(value), 2); }

void CRecordWriter::Byte(uint8_t value) { m_buffer.push_back(value); }

void CRecordWriter::Float(double value) { ybytes::Append(m_buffer, ybytes::BitsOf(static_cast<float>(value)), 4); }

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
    m_reader = ybytes::Reader(m_data, m_length);
}

const char* CRecordReader::String()
{
    if (Value<uint16_t>() == 0)
        return "";
    // The text runs to its NUL, which must lie inside the record.
    const void* nul = std::memchr(m_reader.Here(), 0, m_reader.Remaining());
    if (!nul) {
        m_reader.SkipToEnd();
        return "";
    }
    const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(nul) - m_reader.Here()) + 1;
    return reinterpret_cast<const char*>(m_reader.Take(length));
}

bool CRecordReader::Bytes(const uint8_t** data, int32_t* length)
{
    *data = nullptr;
    *length = 0;
    const int32_t stored = Value<int32_t>();
    if (stored <= 0)
        return false;
    // Never more than the record holds.
    const size_t n = std::min(static_cast<size_t>(stored), m_reader.Remaining());
    if (n == 0)
        return false;
    *data = m_reader.Take(n);
    *length = static_cast<int32_t>(n);
    return true;
}

} // namespace yvexbinary
