#include "storage/ZlibStream.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

CZlibStream* CZlibStream::Create(std::uint32_t sizeA, std::uint32_t sizeB)
{
    CZlibStream* z = new (std::nothrow) CZlibStream;
    if (!z)
        return nullptr;
    z->m_sizeA = sizeA ? sizeA : kDefaultSizeA;
    z->m_sizeB = sizeB ? sizeB : kDefaultSizeB;
    z->m_a = static_cast<std::uint8_t*>(std::malloc(z->m_sizeA));
    z->m_b = static_cast<std::uint8_t*>(std::malloc(z->m_sizeB));
    if (!z->m_a || !z->m_b) {
        delete z;
        return nullptr;
    }
    z->m_out = z->m_b;
    return z;
}

CZlibStream::~CZlibStream()
{
    EndZlib();
    std::free(m_a);
    std::free(m_b);
}

void CZlibStream::EndZlib()
{
    if (m_inflating)
        inflateEnd(&m_z);
    if (m_deflating)
        deflateEnd(&m_z);
    m_inflating = m_deflating = false;
}

std::uint8_t* CZlibStream::GetBuffer() { return m_b; }

std::uint32_t CZlibStream::GetBufferSize() const { return m_sizeB; }

bool CZlibStream::NextInput()
{
    const std::uint32_t n = m_stream ? m_stream->Read(m_a, m_sizeA) : 0;
    m_in = m_a;
    m_inLeft = n <= m_sizeA ? n : 0;
    return m_inLeft > 0;
}

void CZlibStream::Fill(std::uint32_t wanted)
{
    if (wanted > m_sizeB)
        wanted = m_sizeB;
    if (m_ended || m_available >= wanted)
        return;
    while (true) {
        if (m_available > 0 && m_out != m_b)
            std::memmove(m_b, m_out, m_available);
        m_out = m_b;
        if (m_inLeft == 0)
            NextInput();
        if (m_needInit) {
            m_z = z_stream{};
            const int r = inflateInit(&m_z);
            if (r != Z_OK) {
                m_status = r;
                m_available = 0;
                return;
            }
            m_needInit = false;
            m_inflating = true;
        }
        m_z.next_in = const_cast<Bytef*>(m_in);
        m_z.avail_in = m_inLeft;
        m_z.next_out = m_b + m_available;
        m_z.avail_out = m_sizeB - m_available;
        const uLong before = m_z.total_out;
        const int r = inflate(&m_z, Z_SYNC_FLUSH);
        m_available += static_cast<std::uint32_t>(m_z.total_out - before);
        m_in = m_z.next_in;
        m_inLeft = m_z.avail_in;
        m_status = r;
        if (r == Z_STREAM_END) {
            // Data written in several passes may be several zlib streams back to back: go on
            // with the next one while the source has input.
            if (m_inLeft > 0 || NextInput()) {
                inflateReset(&m_z);
                m_status = Z_OK;
            } else if (m_available == 0) {
                m_ended = true;
            }
        }
        if (m_available >= wanted || m_status != Z_OK)
            break;
    }
    if (m_ended)
        m_available = 0;
}

bool CZlibStream::BeginInflate(IByteStream* source, std::uint32_t wanted)
{
    EndZlib();
    m_stream = source;
    m_in = nullptr;
    m_inLeft = 0;
    m_out = m_b;
    m_available = 0;
    m_lastBlock = 0;
    m_needInit = true;
    m_ended = false;
    m_status = Z_OK;
    m_wanted = wanted == 0 ? 1 : wanted > m_sizeB ? m_sizeB : wanted;
    Fill(m_wanted);
    // A short stream may be whole after the first fill.
    return m_status == Z_OK || m_status == Z_STREAM_END;
}

const std::uint8_t* CZlibStream::Next()
{
    if (m_ended)
        return nullptr;
    const std::uint32_t consumed = m_lastBlock < m_available ? m_lastBlock : m_available;
    m_out += consumed;
    m_available -= consumed;
    m_lastBlock = 0;
    Fill(m_wanted);
    return m_available ? m_out : nullptr;
}

const std::uint8_t* CZlibStream::Read(std::uint32_t n)
{
    if (m_ended)
        return nullptr;
    Fill(n);
    if (m_available == 0)
        return nullptr;
    m_lastBlock = n;
    return m_out;
}

std::uint32_t CZlibStream::GetAvailable() const { return m_available; }

bool CZlibStream::IsEnded() const { return m_ended; }

int CZlibStream::GetStatus() const { return m_status; }

int CZlibStream::EndInflate()
{
    if (m_inflating) {
        m_status = inflateEnd(&m_z);
        m_inflating = false;
    }
    return m_status;
}

bool CZlibStream::DecompressAll(IByteStream* source, CByteArray* sink)
{
    if (!sink)
        return false;
    BeginInflate(source, 1);
    bool appended = true;
    while (m_available > 0) {
        if (!sink->Append(m_out, m_available)) {
            appended = false;
            break;
        }
        m_out = m_b;
        m_available = 0;
        Fill(1);
    }
    EndInflate();
    return appended && m_ended;
}

int CZlibStream::CompressAll(IByteStream* sink, CByteArray* source)
{
    BeginDeflate(sink);
    if (source && source->Size())
        Write(source->Data(), source->Size());
    return Flush();
}

bool CZlibStream::BeginDeflate(IByteStream* sink)
{
    EndZlib();
    m_stream = sink;
    m_out = m_b;
    m_available = 0;
    m_ended = false;
    m_status = Z_OK;
    return true;
}

void CZlibStream::Compress(bool finish)
{
    if (!m_deflating) {
        m_z = z_stream{};
        const int r = deflateInit(&m_z, kLevel);
        if (r != Z_OK) {
            m_status = r;
            return;
        }
        m_deflating = true;
    }
    m_z.next_in = m_b;
    m_z.avail_in = m_available;
    // Between passes zlib keeps what it needs of the input: buffer B can collect again, and
    // the stream goes on as one until it is finished.
    const int mode = finish ? Z_FINISH : Z_NO_FLUSH;
    while (true) {
        m_z.next_out = m_a;
        m_z.avail_out = m_sizeA;
        const int r = deflate(&m_z, mode);
        const std::uint32_t produced = m_sizeA - m_z.avail_out;
        if (produced > 0 && (!m_stream || !m_stream->Write(m_a, produced))) {
            m_status = Z_ERRNO;
            break;
        }
        if (r == Z_STREAM_ERROR || (r == Z_BUF_ERROR && produced == 0 && m_z.avail_in == 0 && !finish)) {
            if (r == Z_STREAM_ERROR)
                m_status = r;
            break;
        }
        if (finish ? r == Z_STREAM_END : (m_z.avail_in == 0 && m_z.avail_out != 0))
            break;
    }
    m_available = 0;
    m_out = m_b;
    if (finish) {
        const int ended = deflateEnd(&m_z);
        m_deflating = false;
        if (m_status == Z_OK)
            m_status = ended;
    }
}

bool CZlibStream::Write(const void* data, std::uint32_t size)
{
    if (m_status != Z_OK)
        return false;
    const std::uint8_t* in = static_cast<const std::uint8_t*>(data);
    // Any size, a buffer at a time.
    while (size > 0) {
        if (m_available == m_sizeB) {
            Compress(false);
            if (m_status != Z_OK)
                return false;
        }
        const std::uint32_t room = m_sizeB - m_available;
        const std::uint32_t take = size < room ? size : room;
        std::memcpy(m_b + m_available, in, take);
        m_available += take;
        in += take;
        size -= take;
    }
    return true;
}

bool CZlibStream::CollectInPlace(std::uint32_t n)
{
    if (m_status != Z_OK || m_available != 0 || n > m_sizeB)
        return false;
    m_out = m_b;
    m_available = n;
    return true;
}

int CZlibStream::Flush()
{
    if (!m_deflating && m_available == 0)
        return m_status;
    if (m_status != Z_OK) {
        EndZlib();
        m_available = 0;
        return m_status;
    }
    Compress(true);
    return m_status;
}

} // namespace dgn
