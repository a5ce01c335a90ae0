// Fuzz target of the inflater: the input is compressed data in memory. Its first byte picks
// the buffer sizes and the block size a reader asks for; the rest is inflated whole into an
// array, then again block by block as the V8 element reader takes records.
#include "ByteArray.h"
#include "storage/ByteStream.h"
#include "storage/ZlibStream.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

using namespace dgn;

// Reads a memory block in pieces of at most chunk bytes.
class MemorySource : public IByteStream {
public:
    MemorySource(const std::uint8_t* data, std::size_t size, std::uint32_t chunk) : m_data(data), m_size(size), m_chunk(chunk) {}
    bool HasFailed() const override { return false; }
    std::uint32_t Read(void* buffer, std::uint32_t size) override
    {
        std::size_t n = m_size - m_at;
        if (n > size)
            n = size;
        if (n > m_chunk)
            n = m_chunk;
        if (n > 0)
            std::memcpy(buffer, m_data + m_at, n);
        m_at += n;
        return static_cast<std::uint32_t>(n);
    }
    std::uint32_t Write(const void*, std::uint32_t) override { return 0; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::uint32_t m_chunk;
    std::size_t m_at = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t choice = data[0];
    const std::uint32_t sizeA = 64u << (choice & 7);
    const std::uint32_t sizeB = 256u << ((choice >> 3) & 7);
    const std::uint32_t chunk = (choice & 0x40) ? 13 : 0xFFFFFFFF;
    const std::uint32_t block = (choice & 0x80) ? 40 : 7;
    std::unique_ptr<CZlibStream> z(CZlibStream::Create(sizeA, sizeB));
    std::unique_ptr<CByteArray> sink(CByteArray::NewDefault());
    if (!z || !sink)
        return 0;
    MemorySource whole(data + 1, size - 1, chunk);
    z->DecompressAll(&whole, sink.get());
    MemorySource blocks(data + 1, size - 1, chunk);
    std::uint64_t total = 0;
    if (z->BeginInflate(&blocks, block)) {
        for (const std::uint8_t* p = z->Read(block); p; p = z->Read(block)) {
            const std::uint32_t n = z->GetAvailable() < block ? z->GetAvailable() : block;
            volatile std::uint8_t touch = p[n - 1];
            (void)touch;
            total += n;
            z->Next();
        }
    }
    z->EndInflate();
    // Both ways see the same bytes.
    if (z->IsEnded() && total != sink->Size())
        __builtin_trap();
    return 0;
}
