#pragma once
// Paths of the test run as Windows paths: a folder named by an environment variable of the run
// (YVEX_SOURCE_DIR, YVEX_BINARY_DIR; Unix paths get the Z: drive) and a path below it.
#include <cstdlib>
#include <string>

inline std::string WinPath(const char* envName, const std::string& relative)
{
    const char* root = std::getenv(envName);
    std::string p = std::string(root ? root : ".") + "/" + relative;
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p;
    for (char& c : p) {
        if (c == '/')
            c = '\\';
    }
    return p;
}
