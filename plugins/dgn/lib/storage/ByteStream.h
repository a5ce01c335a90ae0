#pragma once
// The library's byte stream: what the compound-file storage streams, the memory stream over a
// caller's block and the compressed streams have in common, so that a compressed stream can
// inflate from or deflate into any of them.
//
// A stream is opened for reading or for writing. A stream that failed (it could not be opened,
// or an operation on it failed, such as a read from a stream opened for writing) says so
// through HasFailed and delivers nothing more. Objects are deleted through the virtual
// destructor; a stream never owns what it reads from or writes to unless its class says so.
#include <cstdint>

namespace dgn {

class IByteStream {
public:
    virtual ~IByteStream() = default;

    // True when opening failed or an operation failed.
    virtual bool HasFailed() const = 0;
    // Reads up to size bytes into buffer; the number delivered, 0 at the end or on failure.
    virtual std::uint32_t Read(void* buffer, std::uint32_t size) = 0;
    // Writes size bytes; non-zero when all of them were written.
    virtual std::uint32_t Write(const void* buffer, std::uint32_t size) = 0;

protected:
    IByteStream() = default;
    IByteStream(const IByteStream&) = default;
    IByteStream& operator=(const IByteStream&) = default;
};

} // namespace dgn
