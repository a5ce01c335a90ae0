#pragma once
// zlib streams over byte streams: inflating what a byte stream delivers, block by block, and
// deflating what is written into a byte stream. zlib does the coding; this class drives it
// through two large buffers:
//   inflating: A holds input read from the source, B the decompressed bytes handed out;
//   deflating: B collects the caller's bytes, A receives zlib's output for the sink.
//
// Reading:  BeginInflate(source, wanted) ... Read(n) / Next() ... EndInflate()
// Writing:  BeginDeflate(sink) ... Write(data, n) ... Flush()
// Everything written between BeginDeflate and Flush becomes one zlib stream, however much it
// is; the reader goes on into a following zlib stream while its source has input left.
#include "ByteArray.h"
#include "storage/ByteStream.h"

#include <zlib.h>

#include <cstdint>

namespace dgn {

class IZlibStream {
public:
    virtual ~IZlibStream() = default;

protected:
    IZlibStream() = default;
    IZlibStream(const IZlibStream&) = default;
    IZlibStream& operator=(const IZlibStream&) = default;
};

class CZlibStream : public IZlibStream {
public:
    static constexpr std::uint32_t kDefaultSizeA = 1u << 20;
    static constexpr std::uint32_t kDefaultSizeB = 2u << 20;
    // The deflate level of every stream written.
    static constexpr int kLevel = 4;

    // Buffers of sizeA and sizeB bytes (0: the defaults); null when memory runs out.
    static CZlibStream* Create(std::uint32_t sizeA, std::uint32_t sizeB);
    ~CZlibStream() override;

    // Buffer B: decompressed bytes, or the bytes collected for compression.
    virtual std::uint8_t* GetBuffer();
    virtual std::uint32_t GetBufferSize() const;
    // Inflates the whole source onto the end of sink; true when the data ended properly.
    virtual bool DecompressAll(IByteStream* source, CByteArray* sink);
    // Starts inflating source and fills to wanted bytes (at most buffer B); true unless zlib
    // refused the data.
    virtual bool BeginInflate(IByteStream* source, std::uint32_t wanted);
    // Consumes the block handed out last and fills to the wanted size again; the next bytes,
    // or null when nothing is left.
    virtual const std::uint8_t* Next();
    // Fills to n bytes and hands them out (fewer at the end: GetAvailable tells); null when
    // nothing is left. The bytes stay until Next consumes them.
    virtual const std::uint8_t* Read(std::uint32_t n);
    virtual std::uint32_t GetAvailable() const;
    virtual bool IsEnded() const;
    // The last zlib status (Z_ERRNO when the sink refused bytes).
    virtual int GetStatus() const;
    virtual int EndInflate();
    // Deflates the whole array into sink as one zlib stream; the status of Flush.
    virtual int CompressAll(IByteStream* sink, CByteArray* source);
    virtual bool BeginDeflate(IByteStream* sink);
    // Collects bytes, compressing whenever buffer B is full; false once the sink failed.
    virtual bool Write(const void* data, std::uint32_t size);
    // Collects the first n bytes of buffer B, which the caller has written there itself (the
    // design file builds its element records in place); false when bytes are collected
    // already or n passes the buffer.
    virtual bool CollectInPlace(std::uint32_t n);
    // Compresses what is collected and ends the zlib stream; writes nothing when nothing was
    // written since BeginDeflate. The status (0 when all went well).
    virtual int Flush();

    CZlibStream(const CZlibStream&) = delete;
    CZlibStream& operator=(const CZlibStream&) = delete;

private:
    CZlibStream() = default;
    void Fill(std::uint32_t wanted);
    bool NextInput();
    // One pass over the collected bytes: with finish, the zlib stream is ended.
    void Compress(bool finish);
    void EndZlib();

    IByteStream* m_stream = nullptr;
    z_stream m_z = {};
    int m_status = Z_OK;
    bool m_needInit = true;
    bool m_ended = false;
    // zlib holds a started inflate or deflate (released by EndZlib).
    bool m_inflating = false;
    bool m_deflating = false;
    std::uint8_t* m_a = nullptr;
    std::uint32_t m_sizeA = 0;
    std::uint8_t* m_b = nullptr;
    std::uint32_t m_sizeB = 0;
    // Inflating: unread input in A.
    const std::uint8_t* m_in = nullptr;
    std::uint32_t m_inLeft = 0;
    // Inflating: decompressed bytes not yet consumed; deflating: bytes collected (from m_b).
    std::uint8_t* m_out = nullptr;
    std::uint32_t m_available = 0;
    std::uint32_t m_wanted = 1;
    std::uint32_t m_lastBlock = 0;
};

} // namespace dgn
