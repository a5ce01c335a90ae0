#pragma once
// The module object of an in-process server: instance handle, lock count, the class table,
// class factories, the type library embedded as resource TYPELIB 1, and registration from
// registry scripts held as resources.
#include <windows.h>
#include <ole2.h>
#include <map>
#include <string>
#include <vector>
#include "com/Owners.h"

namespace ycom {

using CreatorFn = HRESULT (*)(IUnknown* outer, REFIID iid, void** ppv);

// One registered class. `create` is null for a class that is registered but not creatable
// through its class factory. `script` is the REGISTRY resource that registers it.
struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* name;
    CreatorFn create;
    UINT script;
};

// The class table entry of a class T declared with DECLARE_CLASS_ID.
#define CLASS_ENTRY(T, name, script) {&T::ClassId(), name, &::ycom::CreateInstance<T>, script}

class Module {
public:
    void Init(const ClassEntry* classes, size_t count, HINSTANCE instance, const GUID& libid);
    // Releases the cached type information; `processEnding` skips calls into other DLLs,
    // which may already be gone when the process exits.
    void Term(bool processEnding);

    HINSTANCE Instance() const { return m_instance; }
    // The module whose resources (strings, dialogs, menus) the objects use: the module itself
    // unless another (a satellite of the same version) was set; null sets the module again.
    HINSTANCE ResourceInstance() const { return m_resources ? m_resources : m_instance; }
    void SetResourceInstance(HINSTANCE instance) { m_resources = instance == m_instance ? nullptr : instance; }
    // The source name of the error info the module's objects install (empty until set).
    const wchar_t* ErrorSource() const { return m_errorSource; }
    void SetErrorSource(const wchar_t* source) { m_errorSource = source ? source : L""; }
    const GUID& LibId() const { return m_libid; }
    const ClassEntry* Classes() const { return m_classes; }
    size_t ClassCount() const { return m_count; }
    const ClassEntry* FindClass(REFCLSID clsid) const;

    LONG Lock() { return InterlockedIncrement(&m_locks); }
    LONG Unlock() { return InterlockedDecrement(&m_locks); }
    LONG LockCount() const { return m_locks; }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv);
    HRESULT CanUnloadNow() const { return m_locks == 0 ? S_OK : S_FALSE; }

    // The module's file name.
    std::wstring Path() const;
    // The type library embedded in the module (loaded once).
    HRESULT GetTypeLib(ITypeLib** lib);
    // Type information of an interface or coclass by identifier, cached. For a dual interface
    // it is the vtable interface's information, through which ITypeInfo::Invoke calls.
    HRESULT GetTypeInfo(REFGUID guid, ITypeInfo** info);

    // Runs every class's registry script (with %MODULE% replaced by the module path) and
    // registers the type library; unregistering removes what the scripts and the type
    // library registration wrote.
    HRESULT RegisterServer();
    HRESULT UnregisterServer();

    // Registers a window class of this module once; the classes are unregistered at Term, so
    // that a reloaded module does not meet a class whose procedure lay in its old image.
    bool RegisterWindowClass(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background);

private:
    HINSTANCE m_instance = nullptr;
    HINSTANCE m_resources = nullptr;
    const wchar_t* m_errorSource = L"";
    const ClassEntry* m_classes = nullptr;
    size_t m_count = 0;
    GUID m_libid = GUID_NULL;
    LONG m_locks = 0;
    CRITICAL_SECTION m_lock;
    bool m_lockReady = false;
    ITypeLib* m_typeLib = nullptr;
    std::vector<std::wstring> m_windowClasses;
    std::map<GUID, ITypeInfo*, bool (*)(const GUID&, const GUID&)> m_infos{
        [](const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) < 0; }};
};

// The one module of this server.
Module& TheModule();

} // namespace ycom
