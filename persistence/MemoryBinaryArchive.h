// CMemoryBinaryArchive: the "YVEXbinary" format in a growable memory buffer. Records are
// framed but never packed (the file form packs). Drawing buffers handed to hosts are made and
// read with it.
#pragma once

#include "persistence/BinaryArchive.h"

class CMemoryBinaryArchive : public CBinaryArchive
{
public:
    // Empty: the buffer is allocated by BeginSave.
    CMemoryBinaryArchive();
    // Over existing data, ready to read. With takeOwnership the buffer (from malloc) becomes the
    // archive's and is freed with it; otherwise the caller keeps it and it is never changed.
    CMemoryBinaryArchive(const void* data, uint64_t size, bool takeOwnership);
    ~CMemoryBinaryArchive() override;

    bool ReadBytesAreOwned() const override { return false; }  // pointers into the buffer

    int BeginSave() override;
    int BeginLoad() override;
    int Close() override;

    int ReadBytes(void** data, int32_t* length) override;

    // The buffer and, after writing and Close, the length of the data in it.
    const uint8_t* GetBuffer() const { return m_buffer; }
    uint64_t GetBufferSize() const { return m_size; }
    uint64_t GetDataLength() const { return m_dataLength; }
    // Gives up the buffer: the archive forgets it without freeing it. Returns it (null when
    // the archive had none).
    void* Detach();

protected:
    bool Append(const uint8_t* head, size_t headLength, const uint8_t* data, size_t length) override;
    bool Overwrite(uint64_t position, const uint8_t* data, size_t length) override;
    bool Take(uint64_t length, const uint8_t*& data) override;
    uint64_t BytesLeft() const override { return m_dataLength - m_cursor; }

private:
    bool Ensure(uint64_t freeBytes);
    void FreeBuffer();

    uint8_t* m_buffer = nullptr;
    uint64_t m_size = 0;
    bool m_owned = true;
    uint64_t m_dataLength = 0;
    uint64_t m_cursor = 0;  // writing: the end of the data; reading: the next byte
};
