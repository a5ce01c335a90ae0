#pragma once
// The compound-file library's file layer: a C run-time stream with 64-bit positions, opened
// from a wide path through the platform seam.
#include <cstdint>
#include <cstdio>

namespace dgn {

struct CfFileOps {
    std::FILE* file = nullptr;
    std::uint32_t flags = 0; // bit 0: open

    // "rb", "r+b" or "w+b"; false when the file does not open.
    bool Open(const char16_t* path, const char* mode);
    // Items read or written (of size bytes each).
    std::size_t Read(void* buffer, std::size_t size, std::size_t count);
    std::size_t Write(const void* buffer, std::size_t size, std::size_t count);
    void Close();
    // Hands what the stream buffers to the file; 0 on success.
    int Flush();
    // origin 0 start, 1 current position, 2 end; 0 on success.
    int Seek(std::int64_t offset, int origin);
    // The position, -1 on failure.
    std::int64_t Tell();
    // Cuts or extends the file; 0 on success, -1 on failure.
    int Truncate(std::uint64_t size);
};

} // namespace dgn
