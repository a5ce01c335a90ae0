#include "FileAccess.h"

#include <cstdint>
#include <cstdlib>

namespace dgn {

namespace {

// The platform's reads and writes take 32-bit counts: larger blocks go in pieces.
constexpr std::uint32_t kPiece = 0x40000000;

std::uint64_t ReadAll(FileHandle h, std::uint64_t count, unsigned char* block)
{
    std::uint64_t total = 0;
    while (total < count) {
        const std::uint64_t left = count - total;
        const std::uint32_t ask = left < kPiece ? static_cast<std::uint32_t>(left) : kPiece;
        const std::uint32_t n = ReadFileBytes(h, ask, block + total);
        total += n;
        if (n < ask)
            break;
    }
    return total;
}

bool ReadOpened(bool opened, FileHandle h, void** buffer, std::uint64_t* size)
{
    if (!opened || !buffer || !size) {
        CloseFile(&h);
        return false;
    }
    const std::uint64_t length = GetFileLength(h);
    // One byte more than the size is asked for, so a file longer than its stated size (one
    // that grew) shows itself instead of being cut short.
    *size = 0;
    void* block = length < SIZE_MAX ? std::malloc(static_cast<std::size_t>(length + 1)) : nullptr;
    *buffer = block;
    if (!block) {
        CloseFile(&h);
        return false;
    }
    const std::uint64_t read = ReadAll(h, length + 1, static_cast<unsigned char*>(block));
    CloseFile(&h);
    static_cast<unsigned char*>(block)[read <= length ? read : length] = 0;
    if (read == 0 || read > length)
        return false;
    *size = read;
    return true;
}

bool WriteOpened(bool opened, FileHandle h, const void* data, std::uint64_t size)
{
    if (!opened)
        return false;
    bool ok = true;
    for (std::uint64_t done = 0; ok && done < size;) {
        const std::uint64_t left = size - done;
        const std::uint32_t n = left < kPiece ? static_cast<std::uint32_t>(left) : kPiece;
        ok = WriteFileBytes(h, n, static_cast<const unsigned char*>(data) + done);
        done += n;
    }
    CloseFile(&h);
    return ok;
}

} // namespace

bool ReadWholeFile(const char* path, void** buffer, std::uint64_t* size)
{
    FileHandle h = 0;
    const bool opened = OpenFileForRead(path, &h);
    return ReadOpened(opened, h, buffer, size);
}

bool ReadWholeFileW(const char16_t* path, void** buffer, std::uint64_t* size)
{
    FileHandle h = 0;
    const bool opened = OpenFileForReadW(path, &h);
    return ReadOpened(opened, h, buffer, size);
}

bool FileExistsW(const char16_t* path)
{
    FileHandle h = 0;
    if (!OpenFileForReadW(path, &h))
        return false;
    CloseFile(&h);
    return true;
}

bool WriteWholeFile(const char* path, const void* data, std::uint64_t size)
{
    FileHandle h = 0;
    const bool opened = OpenFileForWrite(path, &h);
    return WriteOpened(opened, h, data, size);
}

bool WriteWholeFileW(const char16_t* path, const void* data, std::uint64_t size)
{
    FileHandle h = 0;
    const bool opened = OpenFileForWriteW(path, &h);
    return WriteOpened(opened, h, data, size);
}

} // namespace dgn
