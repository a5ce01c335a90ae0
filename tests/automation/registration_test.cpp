// Registering yvex.dll writes every class of its type library with both ProgIDs, the control's
// extra keys and the type library; unregistering removes every key that registering wrote and
// nothing else. Both through regsvr32 and through the DLL's own exports.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <set>
#include <string>
#include <vector>

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

bool KeyExists(const std::wstring& path)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

std::wstring Value(const std::wstring& path, const wchar_t* name = nullptr)
{
    wchar_t buf[1024] = {};
    DWORD size = sizeof(buf);
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return L"<none>";
    return buf;
}

std::wstring Upper(std::wstring s)
{
    for (wchar_t& c : s)
        c = static_cast<wchar_t>(towupper(c));
    return s;
}

std::wstring DllPath()
{
    const char* unix = getenv("YVEX_DLL");
    std::string p = unix ? unix : "yvex.dll";
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p;
    for (char& c : p)
        if (c == '/')
            c = '\\';
    return std::wstring(p.begin(), p.end());
}

std::wstring GuidText(const GUID& g)
{
    wchar_t text[40] = {};
    StringFromGUID2(g, text, 40);
    return text;
}

DWORD RunRegsvr32(const std::wstring& args)
{
    std::wstring cmd = L"regsvr32.exe " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

struct TypeLibContent {
    GUID libid = GUID_NULL;
    std::vector<std::pair<std::wstring, GUID>> coclasses;
    std::vector<GUID> interfaces;  // dual and dispatch interfaces
};

TypeLibContent ReadTypeLib(const std::wstring& path)
{
    TypeLibContent out;
    ITypeLib* lib = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib)))
        return out;
    TLIBATTR* la = nullptr;
    lib->GetLibAttr(&la);
    out.libid = la->guid;
    lib->ReleaseTLibAttr(la);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ITypeInfo* ti = nullptr;
        lib->GetTypeInfo(i, &ti);
        TYPEATTR* ta = nullptr;
        ti->GetTypeAttr(&ta);
        if (ta->typekind == TKIND_COCLASS) {
            BSTR name = nullptr;
            ti->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
            out.coclasses.emplace_back(name, ta->guid);
            SysFreeString(name);
        } else if (ta->typekind == TKIND_DISPATCH) {
            out.interfaces.push_back(ta->guid);
        }
        ti->ReleaseTypeAttr(ta);
        ti->Release();
    }
    lib->Release();
    return out;
}

void ExpectEverythingRegistered(const TypeLibContent& tlb, const std::wstring& dll)
{
    ASSERT_EQ(tlb.coclasses.size(), 52u);
    const std::wstring libid = GuidText(tlb.libid);
    EXPECT_TRUE(KeyExists(L"TypeLib\\" + libid + L"\\1.0"));
    for (const auto& co : tlb.coclasses) {
        const std::wstring& name = co.first;
        const std::wstring clsid = GuidText(co.second);
        const std::wstring key = L"CLSID\\" + clsid;
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        CLSID found = GUID_NULL;
        EXPECT_EQ(CLSIDFromProgID((L"YVEX." + name + L".1").c_str(), &found), S_OK);
        EXPECT_TRUE(found == co.second);
        found = GUID_NULL;
        EXPECT_EQ(CLSIDFromProgID((L"YVEX." + name).c_str(), &found), S_OK);
        EXPECT_TRUE(found == co.second);
        EXPECT_EQ(Value(L"YVEX." + name + L"\\CurVer"), L"YVEX." + name + L".1");
        EXPECT_EQ(Value(key + L"\\ProgID"), L"YVEX." + name + L".1");
        EXPECT_EQ(Value(key + L"\\VersionIndependentProgID"), L"YVEX." + name);
        EXPECT_EQ(Upper(Value(key + L"\\InprocServer32")), Upper(dll));
        EXPECT_EQ(Value(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(Value(key + L"\\TypeLib"), libid);
        EXPECT_EQ(Value(key + L"\\Version"), L"1.0");
        const bool control = name == L"YVEXControl";
        EXPECT_EQ(KeyExists(key + L"\\Control"), control);
        EXPECT_EQ(KeyExists(key + L"\\Insertable"), control);
        if (control) {
            EXPECT_EQ(Upper(Value(key + L"\\ToolboxBitmap32")), Upper(dll + L", 101"));
            EXPECT_EQ(Value(key + L"\\MiscStatus"), L"0");
            EXPECT_EQ(Value(key + L"\\MiscStatus\\1"), L"131473");
            EXPECT_EQ(Value(key + L"\\Verb\\0"), L"&Activate,0,2");
        }
    }
    for (const GUID& iid : tlb.interfaces)
        EXPECT_TRUE(KeyExists(L"Interface\\" + GuidText(iid))) << std::string(GuidText(iid).begin(), GuidText(iid).end());
}

void ExpectSameAs(const std::set<std::wstring>& clean)
{
    const std::set<std::wstring> after = Snapshot();
    for (const std::wstring& k : after)
        EXPECT_TRUE(clean.count(k)) << "left behind: " << std::string(k.begin(), k.end());
    for (const std::wstring& k : clean)
        EXPECT_TRUE(after.count(k)) << "removed a foreign key: " << std::string(k.begin(), k.end());
}

} // namespace

TEST(Registration, Regsvr32WritesEveryClassAndUnregisterRemovesExactlyThat)
{
    const std::wstring dll = DllPath();
    const TypeLibContent tlb = ReadTypeLib(dll);
    ASSERT_FALSE(tlb.coclasses.empty());

    ASSERT_EQ(RunRegsvr32(L"/s /u \"" + dll + L"\""), 0u);  // the fixture registered it: start clean
    const std::set<std::wstring> clean = Snapshot();
    EXPECT_FALSE(KeyExists(L"YVEX.YVEXControl"));

    ASSERT_EQ(RunRegsvr32(L"/s \"" + dll + L"\""), 0u);
    ExpectEverythingRegistered(tlb, dll);
    EXPECT_GT(Snapshot().size(), clean.size() + 2 * tlb.coclasses.size());

    ASSERT_EQ(RunRegsvr32(L"/s /u \"" + dll + L"\""), 0u);
    ExpectSameAs(clean);
    for (const auto& co : tlb.coclasses)
        EXPECT_FALSE(KeyExists(L"CLSID\\" + GuidText(co.second)));
    EXPECT_FALSE(KeyExists(L"TypeLib\\" + GuidText(tlb.libid)));
}

TEST(Registration, ExportsRegisterTwiceAndUnregisterTwice)
{
    HMODULE dll = LoadLibraryW(DllPath().c_str());
    ASSERT_NE(dll, nullptr);
    auto reg = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    auto unreg = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllUnregisterServer")));
    ASSERT_TRUE(reg && unreg);
    const std::set<std::wstring> clean = Snapshot();
    EXPECT_FALSE(KeyExists(L"YVEX.YVEXControl"));
    ASSERT_EQ(reg(), S_OK);
    ASSERT_EQ(reg(), S_OK) << "registering over an existing registration";
    ExpectEverythingRegistered(ReadTypeLib(DllPath()), DllPath());
    ASSERT_EQ(unreg(), S_OK);
    ASSERT_EQ(unreg(), S_OK) << "unregistering what is not registered is no failure";
    ExpectSameAs(clean);
    FreeLibrary(dll);
}
