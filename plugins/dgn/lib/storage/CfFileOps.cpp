#include "storage/CfFileOps.h"

#include "platform/Platform.h"

namespace dgn {

bool CfFileOps::Open(const char16_t* path, const char* mode)
{
    file = OpenStdioFileW(path, mode);
    flags = file ? 1u : 0u;
    // Unbuffered: the library moves whole sectors, and a failed write must fail the call that
    // made it, not a later seek.
    if (file)
        std::setvbuf(file, nullptr, _IONBF, 0);
    return file != nullptr;
}

std::size_t CfFileOps::Read(void* buffer, std::size_t size, std::size_t count)
{
    return file ? std::fread(buffer, size, count, file) : 0;
}

std::size_t CfFileOps::Write(const void* buffer, std::size_t size, std::size_t count)
{
    return file ? std::fwrite(buffer, size, count, file) : 0;
}

void CfFileOps::Close()
{
    if (file)
        std::fclose(file);
    file = nullptr;
    flags = 0;
}

int CfFileOps::Flush() { return file && std::fflush(file) == 0 ? 0 : -1; }

int CfFileOps::Seek(std::int64_t offset, int origin)
{
    std::int64_t base = 0;
    if (origin == 1)
        base = GetStdioPosition(file);
    else if (origin == 2)
        base = GetStdioLength(file);
    else if (origin != 0)
        return -1;
    if (base < 0)
        return -1;
    return SetStdioPosition(file, base + offset) ? 0 : -1;
}

std::int64_t CfFileOps::Tell() { return GetStdioPosition(file); }

int CfFileOps::Truncate(std::uint64_t size) { return TruncateStdioFile(file, size) ? 0 : -1; }

} // namespace dgn
