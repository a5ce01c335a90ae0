// The compressed streams: deflating into a byte stream as one zlib stream whatever the amount,
// inflating block by block and into arrays, across zlib streams written back to back, and the
// failures of sinks and data.
#include "ByteArray.h"
#include "compound_test_support.h"
#include "storage/CompoundStorage.h"
#include "storage/StorageStream.h"
#include "storage/ZlibStream.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <memory>

using namespace dgn;
using namespace cftest;

namespace {

// A source over bytes that hands out at most chunk bytes a read.
class BytesSource : public IByteStream {
public:
    explicit BytesSource(const Bytes& data, std::uint32_t chunk = 0xFFFFFFFF) : m_data(data), m_chunk(chunk) {}
    bool HasFailed() const override { return false; }
    std::uint32_t Read(void* buffer, std::uint32_t size) override
    {
        std::size_t n = std::min<std::size_t>({size, m_chunk, m_data.size() - m_at});
        if (n > 0)
            std::memcpy(buffer, m_data.data() + m_at, n);
        m_at += n;
        return static_cast<std::uint32_t>(n);
    }
    std::uint32_t Write(const void*, std::uint32_t) override { return 0; }

private:
    const Bytes& m_data;
    std::uint32_t m_chunk;
    std::size_t m_at = 0;
};

// A sink that keeps what it is given, and refuses after limit writes.
class BytesSink : public IByteStream {
public:
    explicit BytesSink(int limit = -1) : m_limit(limit) {}
    bool HasFailed() const override { return m_failed; }
    std::uint32_t Read(void*, std::uint32_t) override { return 0; }
    std::uint32_t Write(const void* buffer, std::uint32_t size) override
    {
        if (m_limit == 0) {
            m_failed = true;
            return 0;
        }
        if (m_limit > 0)
            --m_limit;
        ++writes;
        data.insert(data.end(), static_cast<const std::uint8_t*>(buffer), static_cast<const std::uint8_t*>(buffer) + size);
        return 1;
    }
    Bytes data;
    int writes = 0;

private:
    int m_limit;
    bool m_failed = false;
};

using Zlib = std::unique_ptr<CZlibStream>;

// zlib's own reading of one stream: the data, and whether the stream ended exactly at the end
// of the input.
Bytes InflateOnce(const Bytes& in, bool* endsAtEnd)
{
    z_stream z = {};
    inflateInit(&z);
    Bytes out;
    std::uint8_t chunk[65536];
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    int r = Z_OK;
    while (r == Z_OK) {
        z.next_out = chunk;
        z.avail_out = sizeof(chunk);
        r = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), chunk, chunk + (sizeof(chunk) - z.avail_out));
    }
    *endsAtEnd = r == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return out;
}

Bytes Deflated(const Bytes& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 6);
    out.resize(size);
    return out;
}

Bytes Inflated(CZlibStream* z, const Bytes& compressed, bool* ok = nullptr)
{
    BytesSource source(compressed);
    std::unique_ptr<CByteArray> sink(CByteArray::NewDefault());
    const bool ended = z->DecompressAll(&source, sink.get());
    if (ok)
        *ok = ended;
    return Bytes(sink->Data(), sink->Data() + sink->Size());
}

} // namespace

TEST(ZlibStream, FlushWithoutWriteWritesNothing)
{
    Zlib z(CZlibStream::Create(0, 0));
    ASSERT_TRUE(z);
    EXPECT_EQ(z->GetBufferSize(), 2u << 20);
    BytesSink sink;
    ASSERT_TRUE(z->BeginDeflate(&sink));
    EXPECT_EQ(z->Flush(), Z_OK);
    EXPECT_TRUE(z->Write("", 0));
    EXPECT_EQ(z->Flush(), Z_OK);
    EXPECT_EQ(sink.writes, 0);
}

TEST(ZlibStream, FiveMegabytesAreOneZlibStream)
{
    // More than twice buffer B, partly in one write larger than the buffer.
    const Bytes data = Content("zlib", 5u << 20);
    Zlib z(CZlibStream::Create(0, 0));
    ASSERT_TRUE(z);
    BytesSink sink;
    ASSERT_TRUE(z->BeginDeflate(&sink));
    ASSERT_TRUE(z->Write(data.data(), 700000));
    ASSERT_TRUE(z->Write(data.data() + 700000, 3u << 20));
    ASSERT_TRUE(z->Write(data.data() + 700000 + (3u << 20), static_cast<std::uint32_t>(data.size() - 700000 - (3u << 20))));
    ASSERT_EQ(z->Flush(), Z_OK);
    bool endsAtEnd = false;
    EXPECT_TRUE(InflateOnce(sink.data, &endsAtEnd) == data);
    EXPECT_TRUE(endsAtEnd);
    WriteAll(Output("zlib_5mb.z"), sink.data);
    // Read back through the default buffers, whole.
    bool ok = false;
    EXPECT_TRUE(Inflated(z.get(), sink.data, &ok) == data);
    EXPECT_TRUE(ok);
    // And through small ones, with one write far larger than buffer B.
    Zlib small(CZlibStream::Create(1000, 4096));
    ASSERT_TRUE(small);
    BytesSink other;
    std::unique_ptr<CByteArray> array(CByteArray::NewDefault());
    ASSERT_TRUE(array->Append(data.data(), 300000));
    EXPECT_EQ(small->CompressAll(&other, array.get()), Z_OK);
    EXPECT_TRUE(InflateOnce(other.data, &endsAtEnd) == Bytes(data.begin(), data.begin() + 300000));
    EXPECT_TRUE(endsAtEnd);
    EXPECT_TRUE(Inflated(small.get(), other.data, &ok) == Bytes(data.begin(), data.begin() + 300000));
    EXPECT_TRUE(ok);
}

TEST(ZlibStream, StreamsBackToBackReadWhole)
{
    const Bytes first = Content("first", 10000);
    const Bytes second = Content("second", 70000);
    Bytes both = Deflated(first);
    const Bytes tail = Deflated(second);
    both.insert(both.end(), tail.begin(), tail.end());
    Bytes expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    for (std::uint32_t chunk : {0xFFFFFFFFu, 7u}) {
        Zlib z(CZlibStream::Create(chunk == 7 ? 64 : 0, chunk == 7 ? 256 : 0));
        ASSERT_TRUE(z);
        BytesSource source(both, chunk);
        std::unique_ptr<CByteArray> sink(CByteArray::NewDefault());
        EXPECT_TRUE(z->DecompressAll(&source, sink.get()));
        EXPECT_TRUE(Bytes(sink->Data(), sink->Data() + sink->Size()) == expected) << chunk;
    }
}

TEST(ZlibStream, BlocksAreHandedOutUntilTheEnd)
{
    const Bytes data = Content("blocks", 100000);
    const Bytes compressed = Deflated(data);
    Zlib z(CZlibStream::Create(512, 4096));
    ASSERT_TRUE(z);
    BytesSource source(compressed, 100);
    ASSERT_TRUE(z->BeginInflate(&source, 40));
    EXPECT_GE(z->GetAvailable(), 40u);
    Bytes got;
    // Records of 24 bytes: Read(24), use, Next() consumes and refills.
    const std::uint8_t* p = z->Read(24);
    while (p) {
        const std::uint32_t n = std::min<std::uint32_t>(24, z->GetAvailable());
        got.insert(got.end(), p, p + n);
        z->Next();
        p = z->Read(24);
    }
    EXPECT_TRUE(got == data);
    EXPECT_TRUE(z->IsEnded());
    EXPECT_EQ(z->Next(), nullptr);
    EXPECT_EQ(z->EndInflate(), Z_OK);
    // The last block is short: GetAvailable tells how much of it there is.
    BytesSource again(compressed);
    ASSERT_TRUE(z->BeginInflate(&again, 40));
    std::uint32_t total = 0;
    while (z->Read(3000)) {
        if (z->GetAvailable() < 3000) {
            EXPECT_EQ(total + z->GetAvailable(), data.size());
            break;
        }
        total += 3000;
        z->Next();
    }
    z->EndInflate();
    // A short stream is whole after the first fill, and that is a good start.
    const Bytes tiny = Deflated(Bytes(10, 'a'));
    BytesSource t(tiny);
    EXPECT_TRUE(z->BeginInflate(&t, 40));
    EXPECT_EQ(z->GetAvailable(), 10u);
    z->EndInflate();
}

TEST(ZlibStream, EmptyAndCorruptSources)
{
    Zlib z(CZlibStream::Create(0, 0));
    ASSERT_TRUE(z);
    std::unique_ptr<CByteArray> sink(CByteArray::NewDefault());
    const Bytes empty;
    BytesSource none(empty);
    EXPECT_FALSE(z->DecompressAll(&none, sink.get()));
    EXPECT_EQ(sink->Size(), 0u);
    Bytes broken = Deflated(Content("broken", 5000));
    broken[broken.size() / 2] ^= 0x55;
    broken[broken.size() / 2 + 1] ^= 0xAA;
    bool ok = true;
    Inflated(z.get(), broken, &ok);
    EXPECT_FALSE(ok);
    Bytes cut = Deflated(Content("cut", 5000));
    cut.resize(cut.size() / 2);
    const Bytes partial = Inflated(z.get(), cut, &ok);
    EXPECT_FALSE(ok);
    EXPECT_LT(partial.size(), 5000u);
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), Content("cut", 5000).begin()));
    // Bytes after a stream that start no other stream stop the reading there.
    Bytes junk = Deflated(Content("junk", 100));
    junk.push_back(0);
    junk.push_back(0);
    const Bytes before = Inflated(z.get(), junk, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(before == Content("junk", 100));
}

TEST(ZlibStream, AFailingSinkSetsTheStatus)
{
    const Bytes data = Content("sink", 3u << 20);
    for (int limit : {0, 1}) {
        Zlib z(CZlibStream::Create(65536, 1u << 20));
        ASSERT_TRUE(z);
        BytesSink sink(limit);
        ASSERT_TRUE(z->BeginDeflate(&sink));
        z->Write(data.data(), static_cast<std::uint32_t>(data.size()));
        EXPECT_EQ(z->Flush(), Z_ERRNO) << limit;
        EXPECT_EQ(z->GetStatus(), Z_ERRNO);
        EXPECT_FALSE(z->Write("x", 1));
        // A new begin starts afresh.
        BytesSink fine;
        ASSERT_TRUE(z->BeginDeflate(&fine));
        EXPECT_TRUE(z->Write("abc", 3));
        EXPECT_EQ(z->Flush(), Z_OK);
        bool endsAtEnd = false;
        EXPECT_EQ(InflateOnce(fine.data, &endsAtEnd), Bytes({'a', 'b', 'c'}));
    }
}

TEST(ZlibStream, ThroughACompoundFileStream)
{
    const auto path = Scratch("zlib_in_storage.cfb");
    const Bytes data = Content("Models/Model0", 250000);
    {
        std::unique_ptr<CCompoundStorage> s(CCompoundStorage::Create(Wide(path).c_str()));
        ASSERT_TRUE(s);
        ASSERT_TRUE(s->CreateStorage("Dgn~Mf"));
        CStorageStream out(s.get(), "$1", true);
        ASSERT_FALSE(out.HasFailed());
        Zlib z(CZlibStream::Create(0, 0));
        std::unique_ptr<CByteArray> array(CByteArray::NewDefault());
        ASSERT_TRUE(array->Append(data.data(), static_cast<std::uint32_t>(data.size())));
        EXPECT_EQ(z->CompressAll(&out, array.get()), Z_OK);
        EXPECT_FALSE(out.HasFailed());
    }
    std::unique_ptr<CCompoundStorage> s(CCompoundStorage::Open(Wide(path).c_str(), false));
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->OpenStorage("Dgn~Mf"));
    CStorageStream in(s.get(), "$1", false);
    ASSERT_FALSE(in.HasFailed());
    Zlib z(CZlibStream::Create(0, 0));
    std::unique_ptr<CByteArray> sink(CByteArray::NewDefault());
    EXPECT_TRUE(z->DecompressAll(&in, sink.get()));
    EXPECT_TRUE(Bytes(sink->Data(), sink->Data() + sink->Size()) == data);
    EXPECT_FALSE(in.HasFailed());
}
