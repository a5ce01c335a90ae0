#include "storage/StorageStream.h"

namespace dgn {

CStorageStream::CStorageStream(CCompoundStorage* storage, const char* name, bool write)
    : m_storage(storage), m_write(write), m_ok(storage && (write ? storage->CreateStream(name) : storage->OpenStream(name)))
{
}

CStorageStream::~CStorageStream() { Close(); }

bool CStorageStream::Close()
{
    if (!m_storage)
        return m_ok;
    if (m_storage->CloseStream() != kCfOk)
        m_ok = false;
    m_storage = nullptr;
    m_ended = true;
    return m_ok;
}

bool CStorageStream::HasFailed() const { return !m_ok; }

std::uint32_t CStorageStream::Read(void* buffer, std::uint32_t size)
{
    if (m_ended || !m_ok)
        return 0;
    if (m_write) {
        m_ok = false;
        return 0;
    }
    if (size == 0)
        return 0;
    std::uint32_t n = 0;
    const bool read = m_storage->Read(buffer, size, &n);
    m_ended = n == 0;
    // The end of the stream is no failure; a read that fails with bytes left is.
    m_ok = read || (m_ended && m_storage->GetRemaining() == 0);
    return read ? n : 0;
}

std::uint32_t CStorageStream::Write(const void* buffer, std::uint32_t size)
{
    if (!m_ok || !m_storage)
        return 0;
    if (!m_write) {
        m_ok = false;
        return 0;
    }
    m_ok = m_storage->Write(buffer, size);
    return m_ok ? 1 : 0;
}

} // namespace dgn
