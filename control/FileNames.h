#pragma once
// The base name of a path (no folder, no extension): the name a block loaded from a file takes.
#include <string>

inline std::string FileBaseName(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}
