#pragma once
// A whole file read into a string (files up to 2 GB); false when it cannot be opened or read to
// its end.
#include <windows.h>
#include <string>
#include "com/Owners.h"

namespace ycom {

inline bool ReadWholeFile(const char* path, std::string* out)
{
    Handle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF)
        return false;
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < data.size()) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), &data[done], static_cast<DWORD>(data.size() - done), &got, nullptr) || got == 0)
            return false;
        done += got;
    }
    out->swap(data);
    return true;
}

} // namespace ycom
