// Registering yvex.dll writes its classes, ProgIDs and type library; unregistering removes
// every key that registering wrote and nothing else.
#include <gtest/gtest.h>
#include <windows.h>
#include <set>
#include <string>

namespace {

using RegisterFn = HRESULT(STDAPICALLTYPE*)();

std::set<std::wstring> Subkeys(HKEY root, const wchar_t* path)
{
    std::set<std::wstring> names;
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(h);
    return names;
}

// The parts of HKCR that COM registration writes to.
std::set<std::wstring> Snapshot()
{
    std::set<std::wstring> all;
    for (const wchar_t* path : {L"", L"CLSID", L"TypeLib", L"Interface"})
        for (const std::wstring& k : Subkeys(HKEY_CLASSES_ROOT, path))
            all.insert(std::wstring(path) + L"\\" + k);
    return all;
}

bool KeyExists(const wchar_t* path)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

std::wstring DllPath()
{
    const char* unix = getenv("YVEX_DLL");
    std::string p = unix ? unix : "yvex.dll";
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p;
    return std::wstring(p.begin(), p.end());
}

} // namespace

TEST(Registration, UnregisterRemovesEverythingRegisterWrote)
{
    HMODULE dll = LoadLibraryW(DllPath().c_str());
    ASSERT_NE(dll, nullptr);
    auto reg = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    auto unreg = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllUnregisterServer")));
    ASSERT_TRUE(reg && unreg);

    ASSERT_EQ(unreg(), S_OK);  // the fixture registered it: start from a clean registry
    const std::set<std::wstring> clean = Snapshot();
    EXPECT_FALSE(KeyExists(L"YVEX.YVEXControl"));

    ASSERT_EQ(reg(), S_OK);
    EXPECT_TRUE(KeyExists(L"YVEX.YVEXControl.1"));
    EXPECT_TRUE(KeyExists(L"YVEX.YVEXControl\\CurVer"));
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(L"YVEX.YVEXControl", &clsid), S_OK);
    const std::set<std::wstring> registered = Snapshot();
    EXPECT_GT(registered.size(), clean.size());

    ASSERT_EQ(unreg(), S_OK);
    const std::set<std::wstring> after = Snapshot();
    for (const std::wstring& k : after)
        EXPECT_TRUE(clean.count(k)) << "left behind: " << std::string(k.begin(), k.end());
    for (const std::wstring& k : clean)
        EXPECT_TRUE(after.count(k)) << "removed a foreign key: " << std::string(k.begin(), k.end());
    FreeLibrary(dll);
}
