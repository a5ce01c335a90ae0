// The "YVEXbinary" format shared by the memory and the file archive: the header, the framing
// of records inside a block, the value encodings and the zero-run packing of the file form.
//
// Header: byte 0 the header length (name length + 2), byte 1 the number of blocks, then the
// format name without NUL. Block: int32 record count, then (when the count is not 0) an int16
// record-length code: low byte not 0 = every record is exactly that many bytes; low byte 0 =
// every record is preceded by its length in (code >> 8) little-endian bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "bytes/LittleEndian.h"

namespace yvexbinary {

extern const char kFormatName[];    // "YVEXbinary"
const size_t kFormatNameLength = 10;
const size_t kHeaderLength = kFormatNameLength + 2;
const int kMaxBlocks = 255;         // the block count is one byte

// Block flags collected while a block's records are written.
enum BlockFlags {
    bfLongData = 1,  // bytes, or a string of 65515 characters or more: 4-byte prefixes
    bfStrings = 2    // a string: records vary in length, 2-byte prefixes
};
const size_t kLongStringLength = 65515;

const uint16_t kPrefix2Code = 512;
const uint16_t kPrefix4Code = 1024;

// The file form packs records whose stored length is below this; a longer stored record is
// taken as it stands, which is how a record that would grow by packing is kept unpacked.
const size_t kPackLimit = 20000;

// Record-length code of a block, from its first record (data length, flags). Sets bfLongData
// in flags when 4-byte prefixes are chosen. A fixed length whose low byte is 0 becomes
// length + 1: such records carry one filler byte.
uint16_t DecideCode(size_t dataLength, int& flags);

inline bool IsFixedCode(uint16_t code) { return (code & 0xFF) != 0; }
inline int PrefixWidth(uint16_t code) { return code >> 8; }

// Largest length that a prefix of the given width can store.
uint64_t MaxPrefixedLength(int width);

// Zero-run packing: each maximal run of N zeros becomes (0, N), cut into pieces of 255.
void Pack(const uint8_t* data, size_t length, std::vector<uint8_t>& out);
size_t PackedLength(const uint8_t* data, size_t length);
// Bytes saved by packing (negative when packing grows the data).
long PackSaving(const uint8_t* data, size_t length);
// Reverses Pack; a (0, 0) pair ends the data, a lone 0 at the end stands for itself.
void Unpack(const uint8_t* data, size_t length, std::vector<uint8_t>& out);

// Appends the values of one record to a byte buffer.
class CRecordWriter
{
public:
    explicit CRecordWriter(std::vector<uint8_t>& buffer) : m_buffer(buffer) {}
    void Int32(int32_t value);
    void Int16(int16_t value);
    void Byte(uint8_t value);
    void Float(double value);
    // Returns the block flags that the string raises.
    int String(const char* text);
    void Bytes(const void* data, int32_t length);

private:
    void Append(const void* data, size_t length);
    std::vector<uint8_t>& m_buffer;
};

// Reads the values of one record from a byte range. A value that would cross the record's end
// reads as absent (0, 0.0, empty string) and the cursor then stands at the end.
class CRecordReader
{
public:
    void Reset() { Set(nullptr, 0); }
    void Set(const uint8_t* data, size_t length);
    void Rewind() { Set(m_data, m_length); }
    int32_t Int32() { return Value<int32_t>(); }
    int16_t Int16() { return Value<int16_t>(); }
    uint8_t Byte() { return Value<uint8_t>(); }
    double Float() { return Value<float>(); }
    const char* String();
    // Pointer into the record and the count of bytes that the record really holds; false when
    // no data is there.
    bool Bytes(const uint8_t** data, int32_t* length);
    size_t Remaining() const { return m_reader.Remaining(); }

private:
    template <class T>
    T Value()
    {
        T value;
        if (!m_reader.Read(value))
            m_reader.SkipToEnd();
        return value;
    }
    const uint8_t* m_data = nullptr;
    size_t m_length = 0;
    ybytes::Reader m_reader;
};

} // namespace yvexbinary
