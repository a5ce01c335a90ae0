#include "control/ResourceText.h"
#include <vector>

HMODULE ControlModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ControlModule), &module);
    return module;
}

std::wstring LoadResourceTextW(UINT id, int bufferChars)
{
    if (bufferChars < 1)
        return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(bufferChars), L'\0');
    const int n = LoadStringW(ControlModule(), id, buffer.data(), bufferChars);
    return std::wstring(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

std::string LoadResourceTextA(UINT id, int bufferChars)
{
    if (bufferChars < 1)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(bufferChars), '\0');
    const int n = LoadStringA(ControlModule(), id, buffer.data(), bufferChars);
    return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}
