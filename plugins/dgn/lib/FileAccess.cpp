#include "FileAccess.h"

#include <cstdlib>

namespace dgn {

namespace {

bool ReadOpened(bool opened, FileHandle h, void** buffer, std::uint32_t* size)
{
    if (!opened || !buffer || !size) {
        CloseFile(&h);
        return false;
    }
    const std::uint64_t length = GetFileLength(h);
    // One byte more than the size is asked for, so a file longer than its stated size (one
    // that grew, or one too large for 32 bits) shows itself instead of being cut short.
    *size = 0;
    void* block = length < 0xFFFFFFFFull ? std::malloc(static_cast<std::size_t>(length + 1)) : nullptr;
    *buffer = block;
    if (!block) {
        CloseFile(&h);
        return false;
    }
    const std::uint32_t read = ReadFileBytes(h, static_cast<std::uint32_t>(length + 1), block);
    CloseFile(&h);
    static_cast<unsigned char*>(block)[read <= length ? read : length] = 0;
    if (read == 0 || read > length)
        return false;
    *size = read;
    return true;
}

bool WriteOpened(bool opened, FileHandle h, const void* data, std::uint32_t size)
{
    if (!opened)
        return false;
    const bool ok = size == 0 || WriteFileBytes(h, size, data);
    CloseFile(&h);
    return ok;
}

} // namespace

bool ReadWholeFile(const char* path, void** buffer, std::uint32_t* size)
{
    FileHandle h = 0;
    const bool opened = OpenFileForRead(path, &h);
    return ReadOpened(opened, h, buffer, size);
}

bool ReadWholeFileW(const char16_t* path, void** buffer, std::uint32_t* size)
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

bool WriteWholeFile(const char* path, const void* data, std::uint32_t size)
{
    FileHandle h = 0;
    const bool opened = OpenFileForWrite(path, &h);
    return WriteOpened(opened, h, data, size);
}

bool WriteWholeFileW(const char16_t* path, const void* data, std::uint32_t size)
{
    FileHandle h = 0;
    const bool opened = OpenFileForWriteW(path, &h);
    return WriteOpened(opened, h, data, size);
}

} // namespace dgn
