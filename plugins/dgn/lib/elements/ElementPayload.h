#pragma once
// The raw payload of the elements that keep what the library does not interpret (unknown
// elements, application data): bytes that are read, cloned and written back unchanged.
#include <cstdint>

namespace dgn {

class CByteArray;

class CElementPayload {
public:
    // An empty payload; Ok() is false when memory ran out.
    CElementPayload();
    ~CElementPayload();

    bool Ok() const { return m_bytes != nullptr; }
    // The payload becomes the bytes from begin to end; false when memory runs out.
    bool Assign(const std::uint8_t* begin, const std::uint8_t* end);
    // Appends n bytes.
    bool Append(const void* p, std::uint32_t n);
    // Zero bytes added up to size bytes (nothing when the payload is that long); false when
    // memory runs out.
    bool PadTo(std::uint64_t size);
    // One zero byte added when the length is odd: records hold whole words.
    bool PadToWord();
    // A copy of other's bytes; false (unchanged) when memory runs out.
    bool CopyFrom(const CElementPayload& other);
    std::uint32_t Size() const;
    const std::uint8_t* Data() const;
    // Writes the bytes at the cursor and moves it on.
    void Write(std::uint8_t** cursor) const;

    CElementPayload(const CElementPayload&) = delete;
    CElementPayload& operator=(const CElementPayload&) = delete;

private:
    CByteArray* m_bytes;
};

} // namespace dgn
