// Helpers of the archive tests: scratch files, whole-file reads and buffers that fault on any
// read past their end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace archive_test {

inline std::string ScratchPath(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "yvex_formats_" + name;
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return bytes;
}

inline bool WriteFileBytes(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// The data sits at the very end of committed memory, followed by an inaccessible page: a read
// of even one byte past the end faults and ends the test program.
class GuardedBuffer
{
public:
    GuardedBuffer(const uint8_t* data, size_t size)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        const size_t dataPages = (size + page - 1) / page + 1;
        m_base = static_cast<uint8_t*>(VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + dataPages * page, page, PAGE_NOACCESS, &old);
        m_data = m_base + dataPages * page - size;
        if (size)
            std::memcpy(m_data, data, size);
        m_size = size;
    }
    ~GuardedBuffer() { VirtualFree(m_base, 0, MEM_RELEASE); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }

private:
    uint8_t* m_base = nullptr;
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

inline std::string Hex(const uint8_t* p, size_t n)
{
    std::string s;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
        s += b;
    }
    return s;
}

inline std::string Hex(const std::vector<uint8_t>& v) { return Hex(v.data(), v.size()); }

} // namespace archive_test
