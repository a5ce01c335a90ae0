#pragma once
// A byte stream over a block of memory that the caller keeps: the design file reads its built-in
// seed data and in-memory stream contents through it. The stream never owns the block.
//
// A reading stream delivers the block's bytes in order until none remain; a writing stream
// fills the block and refuses what does not fit. Asking a stream for what it was not opened
// for fails it (HasFailed) and delivers nothing.
#include "ByteStream.h"

#include <cstdint>

namespace dgn {

class CMemoryByteStream : public IByteStream {
public:
    // A stream that reads the size bytes at data.
    CMemoryByteStream(const void* data, std::uint32_t size);
    // A stream over the size writable bytes at data: it reads them, or with write set it
    // writes them.
    CMemoryByteStream(void* data, std::uint32_t size, bool write);
    ~CMemoryByteStream() override = default;

    bool HasFailed() const override;
    // Copies min(size, remaining) bytes and moves on by that count; 0 once the end was reached,
    // after a failure, and in a writing stream (which fails it).
    std::uint32_t Read(void* buffer, std::uint32_t size) override;
    // Copies min(size, remaining) bytes into the block and moves on; 1 when all size bytes
    // fitted, else 0 (and the stream has failed). A reading stream writes nothing and fails.
    std::uint32_t Write(const void* buffer, std::uint32_t size) override;

    bool AtEnd() const { return m_atEnd != 0; }
    std::uint32_t Remaining() const { return m_remaining; }

    CMemoryByteStream(const CMemoryByteStream&) = delete;
    CMemoryByteStream& operator=(const CMemoryByteStream&) = delete;

private:
    // Moves the position on by n bytes (no more than remain).
    void Advance(std::uint32_t n);

    const std::uint8_t* m_readPosition;
    // The same position, writable; null in a stream opened over a read-only block.
    std::uint8_t* m_writePosition;
    std::uint32_t m_remaining;
    std::uint8_t m_write;
    std::uint8_t m_good = 1;
    std::uint8_t m_atEnd = 0;
};

} // namespace dgn
