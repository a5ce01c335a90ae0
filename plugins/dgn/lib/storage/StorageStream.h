#pragma once
// A byte-stream handle on the current stream of a compound storage: it creates (write mode) or
// opens (read mode) a stream of the storage's top storage and reads or writes it, so that a
// compressed stream can inflate from or deflate into it. The storage keeps one current stream:
// every handle on it shares that stream, and deleting a handle closes it.
#include "storage/ByteStream.h"
#include "storage/CompoundStorage.h"

#include <cstdint>

namespace dgn {

class CStorageStream : public IByteStream {
public:
    // The storage is not owned and must outlive the handle.
    CStorageStream(CCompoundStorage* storage, const char* name, bool write);
    ~CStorageStream() override;

    bool HasFailed() const override;
    // Read mode: up to size bytes, 0 at the end. Asking a write-mode handle fails it.
    std::uint32_t Read(void* buffer, std::uint32_t size) override;
    // Write mode: non-zero when all bytes were written. Asking a read-mode handle fails it.
    std::uint32_t Write(const void* buffer, std::uint32_t size) override;

    // Closes the stream now; false when it failed before or its close failed. The handle
    // delivers nothing more.
    bool Close();

    CStorageStream(const CStorageStream&) = delete;
    CStorageStream& operator=(const CStorageStream&) = delete;

private:
    CCompoundStorage* m_storage;
    bool m_write;
    bool m_ok;
    bool m_ended = false;
};

} // namespace dgn
