#pragma once
// Little-endian fields in byte ranges, bounded: what the control's own formats (the binary
// archives, DXF in its binary form, the property stream) and the plug-ins' readers use. A reader
// or writer checks every field against the bytes that remain before it touches them; a field that
// does not fit is neither read nor written, and the first such field is remembered by where it
// began (FailedAt). Header only, free of the platform's headers, so that every library can use it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace ybytes {

// A value of `width` bytes (1 to 8), least significant byte first.
inline void Store(uint8_t* at, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint64_t Load(const uint8_t* at, int width)
{
    uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value |= static_cast<uint64_t>(at[i]) << (8 * i);
    return value;
}

// The same value appended to a growing byte container (std::string, std::vector<uint8_t>).
template <class Container>
void Append(Container& out, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        out.push_back(static_cast<typename Container::value_type>(static_cast<uint8_t>(value >> (8 * i))));
}

// The bits of an integer or floating-point field as they are stored, and back.
template <class T>
uint64_t BitsOf(T value)
{
    static_assert(std::is_arithmetic<T>::value && sizeof(T) <= 8, "a field of up to 8 bytes");
    if constexpr (std::is_floating_point<T>::value) {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof value);
        return bits;
    }
    return static_cast<uint64_t>(value);
}

template <class T>
T FromBits(uint64_t bits)
{
    static_assert(std::is_arithmetic<T>::value && sizeof(T) <= 8, "a field of up to 8 bytes");
    T value;
    if constexpr (std::is_floating_point<T>::value) {
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // The low bytes, with the sign of a signed type.
    return static_cast<T>(bits);
}

// What a reader and a writer share: the range, the position in it, and the first field that did
// not fit. `base` is where the range begins in the whole of what is read or written (an offset in
// a file), so that FailedAt names a place there.
class Cursor
{
public:
    Cursor() = default;
    Cursor(size_t size, uint64_t base) : m_size(size), m_base(base) {}

    size_t Size() const { return m_size; }
    size_t Position() const { return m_position; }
    size_t Remaining() const { return m_size - m_position; }
    bool AtEnd() const { return m_position == m_size; }
    // Whether a field did not fit, and the offset (base included) where the first such began.
    bool Failed() const { return m_failed; }
    uint64_t FailedAt() const { return m_failedAt; }
    // Moves to the end of the range (what remains is not to be read).
    void SkipToEnd() { m_position = m_size; }

protected:
    // Whether n bytes remain; when they do not, the field is remembered as failed.
    bool Fits(size_t n)
    {
        if (n <= m_size - m_position)
            return true;
        if (!m_failed) {
            m_failed = true;
            m_failedAt = m_base + m_position;
        }
        return false;
    }

    size_t m_size = 0;
    size_t m_position = 0;
    uint64_t m_base = 0;
    bool m_failed = false;
    uint64_t m_failedAt = 0;
};

// Reads fields in order from a range of bytes.
class Reader : public Cursor
{
public:
    Reader() = default;
    Reader(const void* data, size_t size, uint64_t base = 0)
        : Cursor(data ? size : 0, base), m_data(static_cast<const uint8_t*>(data))
    {
    }

    // The next `width`-byte unsigned value; false (the value 0, nothing consumed) when it does
    // not fit.
    bool ReadUnsigned(uint64_t& value, int width)
    {
        value = 0;
        if (!Fits(static_cast<size_t>(width)))
            return false;
        value = Load(m_data + m_position, width);
        m_position += static_cast<size_t>(width);
        return true;
    }
    // The next field of T's size; 0 when it does not fit.
    template <class T>
    bool Read(T& value)
    {
        uint64_t bits = 0;
        const bool ok = ReadUnsigned(bits, static_cast<int>(sizeof(T)));
        value = ok ? FromBits<T>(bits) : T();
        return ok;
    }
    // The next n bytes where they lie (null when they do not fit; nothing consumed then).
    const uint8_t* Take(size_t n)
    {
        if (!Fits(n))
            return nullptr;
        const uint8_t* at = m_data + m_position;
        m_position += n;
        return at;
    }
    bool ReadBytes(void* out, size_t n)
    {
        const uint8_t* at = Take(n);
        if (at && n)
            std::memcpy(out, at, n);
        return at != nullptr;
    }
    // The bytes from the position on, without consuming them.
    const uint8_t* Here() const { return m_data + m_position; }

private:
    const uint8_t* m_data = nullptr;
};

// Writes fields in order into a range of bytes.
class Writer : public Cursor
{
public:
    Writer(void* data, size_t size, uint64_t base = 0)
        : Cursor(data ? size : 0, base), m_data(static_cast<uint8_t*>(data))
    {
    }

    // False (nothing written) when the field does not fit.
    bool WriteUnsigned(uint64_t value, int width)
    {
        if (!Fits(static_cast<size_t>(width)))
            return false;
        Store(m_data + m_position, value, width);
        m_position += static_cast<size_t>(width);
        return true;
    }
    template <class T>
    bool Write(T value)
    {
        return WriteUnsigned(BitsOf(value), static_cast<int>(sizeof(T)));
    }
    bool WriteBytes(const void* data, size_t n)
    {
        if (!Fits(n))
            return false;
        if (n)
            std::memcpy(m_data + m_position, data, n);
        m_position += n;
        return true;
    }

private:
    uint8_t* m_data = nullptr;
};

} // namespace ybytes
