#include "persistence/MemoryBinaryArchive.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
const uint64_t kInitialSize = 32767;
// A growing buffer makes room for the next records too, so that small records do not grow it
// one by one.
const uint64_t kGrowthReserve = 2000;
} // namespace

CMemoryBinaryArchive::CMemoryBinaryArchive() : CBinaryArchive(false) {}

CMemoryBinaryArchive::CMemoryBinaryArchive(const void* data, uint64_t size, bool takeOwnership)
    : CBinaryArchive(false),
      m_buffer(static_cast<uint8_t*>(const_cast<void*>(data))),
      m_size(data ? size : 0),
      m_owned(takeOwnership),
      m_dataLength(data ? size : 0)
{
}

CMemoryBinaryArchive::~CMemoryBinaryArchive()
{
    Close();
    FreeBuffer();
}

void CMemoryBinaryArchive::FreeBuffer()
{
    if (m_owned)
        std::free(m_buffer);
    m_buffer = nullptr;
    m_size = 0;
    m_dataLength = 0;
    m_owned = true;
}

void* CMemoryBinaryArchive::Detach()
{
    Close();
    void* buffer = m_buffer;
    m_buffer = nullptr;
    m_size = 0;
    m_dataLength = 0;
    m_owned = true;
    return buffer;
}

bool CMemoryBinaryArchive::Ensure(uint64_t freeBytes)
{
    if (m_buffer && m_cursor + freeBytes <= m_size)
        return true;
    // Grow by the larger of 1.5 times the request and the request plus 32 bytes.
    const uint64_t request = std::max(freeBytes, kGrowthReserve);
    const uint64_t grow = std::max(request + request / 2, request + 32);
    const uint64_t newSize = m_size + grow;
    if (newSize < grow || newSize > SIZE_MAX) {
        WriteFault(aeNoMemory);
        return false;
    }
    // Only an owned buffer is ever written (BeginSave replaces a borrowed one).
    uint8_t* grown = static_cast<uint8_t*>(std::realloc(m_buffer, static_cast<size_t>(newSize)));
    if (!grown) {
        WriteFault(aeNoMemory);
        return false;
    }
    m_buffer = grown;
    m_size = newSize;
    m_owned = true;
    return true;
}

bool CMemoryBinaryArchive::Append(const uint8_t* head, size_t headLength, const uint8_t* data, size_t length)
{
    // One check for both parts, so that a failure leaves nothing of the record behind.
    if (!Ensure(static_cast<uint64_t>(headLength) + length))
        return false;
    if (headLength != 0)
        std::memcpy(m_buffer + m_cursor, head, headLength);
    m_cursor += headLength;
    if (length != 0)
        std::memcpy(m_buffer + m_cursor, data, length);
    m_cursor += length;
    return true;
}

bool CMemoryBinaryArchive::Overwrite(uint64_t position, const uint8_t* data, size_t length)
{
    std::memcpy(m_buffer + position, data, length);  // within what Append wrote
    return true;
}

bool CMemoryBinaryArchive::Take(uint64_t length, const uint8_t*& data)
{
    if (length > m_dataLength - m_cursor)
        return false;
    data = m_buffer + m_cursor;
    m_cursor += length;
    return true;
}

int CMemoryBinaryArchive::BeginSave()
{
    if (m_storing)
        return 1;
    Restart(true);
    if (!m_owned || !m_buffer || m_size < kInitialSize) {
        if (m_owned)
            std::free(m_buffer);
        m_buffer = static_cast<uint8_t*>(std::malloc(kInitialSize));
        m_owned = true;
        m_size = m_buffer ? kInitialSize : 0;
        if (!m_buffer) {
            WriteFault(aeNoMemory);
            return 0;
        }
    }
    m_dataLength = 0;
    return StartSave() ? 1 : 0;
}

int CMemoryBinaryArchive::Close()
{
    if (m_storing) {
        FinishSave();
        m_dataLength = m_cursor;
    }
    EndAccess();
    m_cursor = 0;
    return 1;
}

int CMemoryBinaryArchive::BeginLoad()
{
    if (m_loading)
        return 1;
    Restart(false);
    if (!m_buffer || m_dataLength == 0) {
        m_loading = true;  // nothing to read: every block read answers "none"
        return 1;
    }
    // A buffer holds at least one block behind its header.
    if (m_dataLength <= yvexbinary::kHeaderLength || !StartLoad(m_dataLength)) {
        m_error = aeCorrupt;
        Close();
        return 0;
    }
    return 1;
}

int CMemoryBinaryArchive::ReadBytes(void** data, int32_t* length)
{
    const uint8_t* p = nullptr;
    int32_t n = 0;
    const bool got = m_reader.Bytes(&p, &n);
    if (data)
        *data = const_cast<uint8_t*>(p);
    if (length)
        *length = n;
    return got ? 1 : 0;
}
