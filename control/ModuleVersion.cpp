#include "control/ModuleVersion.h"
#include "com/Module.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Copies a text into a buffer of `size` characters, cut to fit and terminated.
void CopyText(const char* text, size_t length, char* buffer, int size)
{
    const size_t n = std::min(length, static_cast<size_t>(size - 1));
    if (n)
        std::memcpy(buffer, text, n);
    buffer[n] = '\0';
}

} // namespace

int ReadModuleVersionInfo(const char* path, int* minor, int* build, int* revision, char* privateBuild,
                          int privateBuildSize, char* copyright, int copyrightSize)
{
    const bool wantBuild = privateBuild && privateBuildSize > 0;
    const bool wantCopyright = copyright && copyrightSize > 0;
    if (wantBuild)
        privateBuild[0] = '\0';
    if (wantCopyright)
        copyright[0] = '\0';
    for (int* part : {minor, build, revision})
        if (part)
            *part = 0;
    char own[1024] = "";
    if (!path || !*path) {
        if (!GetModuleFileNameA(ycom::TheModule().Instance(), own, sizeof own))
            return 0;
        path = own;
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return 0;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoA(path, 0, size, data.data()))
        return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    if (minor)
        *minor = LOWORD(info->dwFileVersionMS);
    if (build)
        *build = HIWORD(info->dwFileVersionLS);
    if (revision)
        *revision = LOWORD(info->dwFileVersionLS);
    if (wantBuild || wantCopyright) {
        const WORD* translation = nullptr;
        UINT bytes = 0;
        if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(const_cast<WORD**>(&translation)),
                           &bytes) &&
            translation && bytes >= 4) {
            auto readText = [&](const char* name, char* buffer, int bufferSize) {
                char key[96];
                std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
                const char* text = nullptr;
                UINT chars = 0;
                if (VerQueryValueA(data.data(), key, reinterpret_cast<void**>(const_cast<char**>(&text)), &chars) && text)
                    CopyText(text, strnlen(text, chars), buffer, bufferSize);
            };
            if (wantBuild)
                readText("PrivateBuild", privateBuild, privateBuildSize);
            if (wantCopyright)
                readText("LegalCopyright", copyright, copyrightSize);
        }
    }
    return HIWORD(info->dwFileVersionMS);
}
