#include "MemoryByteStream.h"

#include <cstring>

namespace dgn {

CMemoryByteStream::CMemoryByteStream(const void* data, std::uint32_t size)
    : m_readPosition(static_cast<const std::uint8_t*>(data)), m_writePosition(nullptr), m_remaining(data ? size : 0), m_write(0)
{
}

CMemoryByteStream::CMemoryByteStream(void* data, std::uint32_t size, bool write)
    : m_readPosition(static_cast<const std::uint8_t*>(data)), m_writePosition(static_cast<std::uint8_t*>(data)),
      m_remaining(data ? size : 0), m_write(write ? 1 : 0)
{
}

void CMemoryByteStream::Advance(std::uint32_t n)
{
    m_readPosition += n;
    if (m_writePosition)
        m_writePosition += n;
    m_remaining -= n;
}

bool CMemoryByteStream::HasFailed() const { return m_good == 0; }

std::uint32_t CMemoryByteStream::Read(void* buffer, std::uint32_t size)
{
    if (m_atEnd || !m_good)
        return 0;
    if (m_write) {
        // Nothing was copied, so nothing may be reported as read.
        m_good = 0;
        return 0;
    }
    const std::uint32_t n = size < m_remaining ? size : m_remaining;
    if (n)
        std::memcpy(buffer, m_readPosition, n);
    Advance(n);
    m_atEnd = m_remaining == 0 ? 1 : 0;
    return n;
}

std::uint32_t CMemoryByteStream::Write(const void* buffer, std::uint32_t size)
{
    if (!m_write || !m_writePosition) {
        // A reading stream's block may be read-only (built-in seed data).
        m_good = 0;
        return 0;
    }
    const std::uint32_t n = size < m_remaining ? size : m_remaining;
    if (n)
        std::memcpy(m_writePosition, buffer, n);
    Advance(n);
    if (n != size) {
        m_good = 0;
        return 0;
    }
    return 1;
}

} // namespace dgn
