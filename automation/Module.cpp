#include "automation/Module.h"
#include "control/YVEXControl.h"
#include <new>
#include <string>

namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;
ITypeLib* g_typeLib = nullptr;

using CreateFn = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* name;        // class name: ProgIDs are YVEX.<name>.1 and YVEX.<name>
    const wchar_t* description;
    CreateFn create;
    bool control;               // registered as an ActiveX control
};

const ClassEntry g_classes[] = {
    {&CLSID_YVEXControl, L"YVEXControl", L"YVEXControl Class", &CYVEXControl::CreateInstance, true},
};

class ClassFactory : public IClassFactory {
public:
    explicit ClassFactory(CreateFn create) : m_create(create) { ModuleLock(); }
    virtual ~ClassFactory() { ModuleUnlock(); }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&m_refs);
        if (!n)
            delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        return m_create(outer, riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            ModuleLock();
        else
            ModuleUnlock();
        return S_OK;
    }

private:
    LONG m_refs = 1;
    CreateFn m_create;
};

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(g_instance, path, MAX_PATH);
    return path;
}

LONG SetKey(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc;
}

LONG SetKey(const std::wstring& key, const std::wstring& value) { return SetKey(key, nullptr, value); }

void DeleteTree(const std::wstring& key) { RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()); }

HRESULT LoadModuleTypeLib()
{
    if (g_typeLib)
        return S_OK;
    std::wstring path = ModulePath();
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &g_typeLib);
    if (FAILED(hr))
        hr = LoadRegTypeLib(LIBID_YVEXLib, 1, 0, LOCALE_NEUTRAL, &g_typeLib);
    return hr;
}

} // namespace

HINSTANCE ModuleInstance() { return g_instance; }
void ModuleSetInstance(HINSTANCE instance) { g_instance = instance; }
void ModuleLock() { InterlockedIncrement(&g_locks); }
void ModuleUnlock() { InterlockedDecrement(&g_locks); }
LONG ModuleLockCount() { return g_locks; }

HRESULT ModuleGetTypeInfo(REFGUID guid, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    HRESULT hr = LoadModuleTypeLib();
    if (FAILED(hr))
        return hr;
    return g_typeLib->GetTypeInfoOfGuid(guid, info);
}

HRESULT ModuleGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (const ClassEntry& entry : g_classes) {
        if (*entry.clsid == clsid) {
            ClassFactory* factory = new (std::nothrow) ClassFactory(entry.create);
            if (!factory)
                return E_OUTOFMEMORY;
            HRESULT hr = factory->QueryInterface(riid, ppv);
            factory->Release();
            return hr;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ModuleRegisterServer()
{
    const std::wstring path = ModulePath();
    const std::wstring libid = GuidText(LIBID_YVEXLib);
    for (const ClassEntry& entry : g_classes) {
        const std::wstring clsid = GuidText(*entry.clsid);
        const std::wstring progid = std::wstring(L"YVEX.") + entry.name;
        const std::wstring progid1 = progid + L".1";
        const std::wstring key = L"CLSID\\" + clsid;
        SetKey(progid1, entry.description);
        SetKey(progid1 + L"\\CLSID", clsid);
        SetKey(progid, entry.description);
        SetKey(progid + L"\\CLSID", clsid);
        SetKey(progid + L"\\CurVer", progid1);
        SetKey(key, entry.description);
        SetKey(key + L"\\ProgID", progid1);
        SetKey(key + L"\\VersionIndependentProgID", progid);
        SetKey(key + L"\\InprocServer32", path);
        SetKey(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        SetKey(key + L"\\TypeLib", libid);
        SetKey(key + L"\\Version", L"1.0");
        if (entry.control) {
            SetKey(progid1 + L"\\Insertable", L"");
            SetKey(key + L"\\Control", L"");
            SetKey(key + L"\\Insertable", L"");
            SetKey(key + L"\\ToolboxBitmap32", path + L", 101");
            SetKey(key + L"\\MiscStatus", L"0");
            SetKey(key + L"\\MiscStatus\\1", L"131473");
            SetKey(key + L"\\Verb\\0", L"&Activate,0,2");
        }
    }
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &lib);
    if (lib)
        lib->Release();
    return hr;
}

HRESULT ModuleUnregisterServer()
{
    for (const ClassEntry& entry : g_classes) {
        const std::wstring progid = std::wstring(L"YVEX.") + entry.name;
        DeleteTree(progid + L".1");
        DeleteTree(progid);
        DeleteTree(L"CLSID\\" + GuidText(*entry.clsid));
    }
    UnRegisterTypeLib(LIBID_YVEXLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    return S_OK;
}
