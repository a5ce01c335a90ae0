#include "com/Module.h"
#include "com/ComObject.h"
#include "com/HResult.h"
#include "com/Registrar.h"
#include <new>

namespace ycom {

Module& TheModule()
{
    static Module module;
    return module;
}

void ModuleLock() { TheModule().Lock(); }
void ModuleUnlock() { TheModule().Unlock(); }

HRESULT QueryAggregate(void* self, REFIID iid, void** ppv, DWORD_PTR data)
{
    IUnknown* inner = *reinterpret_cast<IUnknown**>(static_cast<char*>(self) + data);
    if (!inner)
        return E_NOINTERFACE;
    return inner->QueryInterface(iid, ppv);
}

HRESULT InternalQueryInterface(void* self, const InterfaceEntry* map, REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (iid == IID_IUnknown) {
        auto* unk = reinterpret_cast<IUnknown*>(static_cast<char*>(self) + map[0].data);
        unk->AddRef();
        *ppv = unk;
        return S_OK;
    }
    for (const InterfaceEntry* e = map; e->iid; ++e) {
        if (*e->iid != iid)
            continue;
        if (e->func)
            return e->func(self, iid, ppv, e->data);
        auto* unk = reinterpret_cast<IUnknown*>(static_cast<char*>(self) + e->data);
        unk->AddRef();
        *ppv = unk;
        return S_OK;
    }
    return E_NOINTERFACE;
}

namespace {

// A class factory over one creator function. It holds a module lock while it exists, as a
// class object handed to a client must keep the server loaded.
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(CreatorFn create) : m_create(create) { ModuleLock(); }
    ~ClassFactory() { ModuleUnlock(); }
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
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
        const LONG n = InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override
    {
        return Guard(IID_IClassFactory, [&]() -> HRESULT {
            return m_create(outer, iid, ppv);
        });
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        return Guard(IID_IClassFactory, [&]() -> HRESULT {
            if (lock)
                ModuleLock();
            else
                ModuleUnlock();
            return S_OK;
        });
    }

private:
    LONG m_refs = 1;
    CreatorFn m_create;
};

} // namespace

void Module::Init(const ClassEntry* classes, size_t count, HINSTANCE instance, const GUID& libid)
{
    m_classes = classes;
    m_count = count;
    m_instance = instance;
    m_libid = libid;
    if (!m_lockReady) {
        InitializeCriticalSection(&m_lock);
        m_lockReady = true;
    }
}

void Module::Term(bool processEnding)
{
    if (!m_lockReady)
        return;
    if (!processEnding) {
        for (const std::wstring& name : m_windowClasses)
            UnregisterClassW(name.c_str(), m_instance);
        for (auto& entry : m_infos)
            entry.second->Release();
        if (m_typeLib)
            m_typeLib->Release();
    }
    m_infos.clear();
    m_windowClasses.clear();
    m_typeLib = nullptr;
    DeleteCriticalSection(&m_lock);
    m_lockReady = false;
}

const ClassEntry* Module::FindClass(REFCLSID clsid) const
{
    for (size_t i = 0; i < m_count; ++i)
        if (*m_classes[i].clsid == clsid)
            return &m_classes[i];
    return nullptr;
}

HRESULT Module::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    RETURN_IF_NULL_POINTER(ppv);
    *ppv = nullptr;
    const ClassEntry* entry = FindClass(clsid);
    if (!entry || !entry->create)
        return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) ClassFactory(entry->create);
    RETURN_IF_NULL_ALLOC(factory);
    const HRESULT hr = factory->QueryInterface(iid, ppv);
    factory->Release();
    return hr;
}

std::wstring Module::Path() const
{
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameW(m_instance, path, MAX_PATH);
    return std::wstring(path, n);
}

HRESULT Module::GetTypeLib(ITypeLib** lib)
{
    RETURN_IF_NULL_POINTER(lib);
    *lib = nullptr;
    if (!m_lockReady)
        return E_UNEXPECTED;
    EnterCriticalSection(&m_lock);
    HRESULT hr = S_OK;
    if (!m_typeLib)
        hr = LoadTypeLibEx(Path().c_str(), REGKIND_NONE, &m_typeLib);
    if (SUCCEEDED(hr)) {
        m_typeLib->AddRef();
        *lib = m_typeLib;
    }
    LeaveCriticalSection(&m_lock);
    return hr;
}

HRESULT Module::GetTypeInfo(REFGUID guid, ITypeInfo** info)
{
    RETURN_IF_NULL_POINTER(info);
    *info = nullptr;
    ComPtr<ITypeLib> lib;
    RETURN_IF_FAILED(GetTypeLib(lib.Put()));
    EnterCriticalSection(&m_lock);
    auto found = m_infos.find(guid);
    if (found != m_infos.end()) {
        found->second->AddRef();
        *info = found->second;
        LeaveCriticalSection(&m_lock);
        return S_OK;
    }
    LeaveCriticalSection(&m_lock);

    ComPtr<ITypeInfo> ti;
    RETURN_IF_FAILED(lib->GetTypeInfoOfGuid(guid, ti.Put()));
    // A dual interface is found as its dispinterface; calls go through its vtable half.
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(ti->GetTypeAttr(&attr))) {
        const bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
        ti->ReleaseTypeAttr(attr);
        if (dual) {
            HREFTYPE ref = 0;
            ComPtr<ITypeInfo> vtable;
            if (SUCCEEDED(ti->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
                SUCCEEDED(ti->GetRefTypeInfo(ref, vtable.Put())))
                ti = vtable;
        }
    }
    EnterCriticalSection(&m_lock);
    auto again = m_infos.find(guid);
    if (again == m_infos.end()) {
        ti->AddRef();
        m_infos.emplace(guid, ti.Get());
    }
    LeaveCriticalSection(&m_lock);
    *info = ti.Detach();
    return S_OK;
}

bool Module::RegisterWindowClass(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background)
{
    for (const std::wstring& known : m_windowClasses)
        if (known == name)
            return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = m_instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    m_windowClasses.emplace_back(name);
    return true;
}

HRESULT Module::RegisterServer()
{
    const std::wstring path = Path();
    Registrar registrar;
    registrar.AddReplacement(L"MODULE", path);
    for (size_t i = 0; i < m_count; ++i)
        RETURN_IF_FAILED(registrar.RunResource(m_instance, m_classes[i].script, true));
    ComPtr<ITypeLib> lib;
    return LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, lib.Put());
}

HRESULT Module::UnregisterServer()
{
    const std::wstring path = Path();
    Registrar registrar;
    registrar.AddReplacement(L"MODULE", path);
    HRESULT result = S_OK;
    for (size_t i = 0; i < m_count; ++i) {
        const HRESULT hr = registrar.RunResource(m_instance, m_classes[i].script, false);
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    ComPtr<ITypeLib> lib;
    if (SUCCEEDED(GetTypeLib(lib.Put()))) {
        TLIBATTR* attr = nullptr;
        if (SUCCEEDED(lib->GetLibAttr(&attr))) {
            // A library that is not registered (any more) is no failure of unregistering.
            Bstr registeredPath;
            if (SUCCEEDED(QueryPathOfRegTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                                                registeredPath.Put()))) {
                const HRESULT hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                                                     attr->syskind);
                if (FAILED(hr) && SUCCEEDED(result))
                    result = hr;
            }
            lib->ReleaseTLibAttr(attr);
        }
    }
    return result;
}

} // namespace ycom
