#pragma once
// The object root of every COM class: reference counting, interface maps with a fixed query
// order, aggregation, and the two concrete forms of an object (plain, and contained in an
// aggregate whose IUnknown belongs to an outer object).
//
// A class is written as
//
//     class CSite : public ycom::ObjectRoot,
//                   public ycom::DispatchImpl<ISite, &IID_ISite>,
//                   public ycom::SupportErrorInfoImpl<&IID_ISite>
//     {
//     public:
//         DECLARE_CLASS_ID(CLSID_Site)
//         BEGIN_INTERFACE_MAP(CSite)
//             INTERFACE_ENTRY(ISite)
//             INTERFACE_ENTRY2(IDispatch, ISite)
//             INTERFACE_ENTRY(ISupportErrorInfo)
//         END_INTERFACE_MAP()
//         ...members of ISite...
//     };
//
// and is created with ycom::CreateInstance<CSite>(outer, iid, ppv) (what the class table
// hands to the class factory) or, from inside the server, with ycom::NewObject<CSite>().
// The class itself stays abstract: ComObject<T> or ComAggObject<T> supply IUnknown.
#include <windows.h>
#include <ole2.h>
#include <memory>
#include <new>
#include <utility>
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/Owners.h"

namespace ycom {

void ModuleLock();
void ModuleUnlock();

// One row of an interface map. A row without a function is a base-class offset from the
// object's start; a row with one asks the function (aggregated inner objects).
struct InterfaceEntry {
    const IID* iid;
    DWORD_PTR data;
    HRESULT (*func)(void* self, REFIID iid, void** ppv, DWORD_PTR data);
};

// Offset of base Base inside Derived (the object start is not 0, so that a null pointer is
// not special-cased by the compiler's conversion).
template <class Derived, class Base>
DWORD_PTR BaseOffset()
{
    return reinterpret_cast<DWORD_PTR>(static_cast<Base*>(reinterpret_cast<Derived*>(0x1000))) - 0x1000;
}

// Offset of base I reached through the base Via (for an I that several bases share).
template <class Derived, class I, class Via>
DWORD_PTR BaseOffsetVia()
{
    return reinterpret_cast<DWORD_PTR>(static_cast<I*>(static_cast<Via*>(reinterpret_cast<Derived*>(0x1000)))) - 0x1000;
}

// Answers an aggregated interface from the inner object whose IUnknown* member lies at
// `data` bytes from the object start. No inner object: E_NOINTERFACE.
HRESULT QueryAggregate(void* self, REFIID iid, void** ppv, DWORD_PTR data);

// Walks a map in order; the first matching row wins. IID_IUnknown is the first row's pointer
// (the object's identity).
HRESULT InternalQueryInterface(void* self, const InterfaceEntry* map, REFIID iid, void** ppv);

// State shared by every object: the reference count and, for the contained form, the outer
// unknown. The hooks FinalConstruct and FinalRelease may be redeclared by a class.
class ObjectRoot {
public:
    ObjectRoot() = default;
    ObjectRoot(const ObjectRoot&) = delete;
    ObjectRoot& operator=(const ObjectRoot&) = delete;

    // Called by the creator after construction, with the object protected by one reference;
    // a failure destroys the object and is handed to the caller.
    HRESULT FinalConstruct() { return S_OK; }
    // Called when the last reference goes, before the destructor.
    void FinalRelease() {}

    ULONG InternalAddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG InternalRelease() { return static_cast<ULONG>(InterlockedDecrement(&m_refs)); }
    IUnknown* OuterUnknown() const { return m_outer; }
    void SetOuterUnknown(IUnknown* outer) { m_outer = outer; }

protected:
    LONG m_refs = 0;
    IUnknown* m_outer = nullptr;
};

// The interface map of a class, in query order. The first row must be a plain entry: it is
// the object's IUnknown identity.
#define BEGIN_INTERFACE_MAP(Class)                                                               \
    using InterfaceMapClass = Class;                                                             \
    IUnknown* GetUnknown()                                                                       \
    {                                                                                            \
        return reinterpret_cast<IUnknown*>(reinterpret_cast<char*>(this) + InterfaceMap()[0].data); \
    }                                                                                            \
    /* The outer object's IUnknown when contained in an aggregate, else the own one. */          \
    IUnknown* GetControllingUnknown() { return m_outer ? m_outer : GetUnknown(); }               \
    HRESULT InternalQueryInterface(REFIID iid_, void** ppv_)                                     \
    {                                                                                            \
        return ::ycom::InternalQueryInterface(this, InterfaceMap(), iid_, ppv_);                 \
    }                                                                                            \
    static const ::ycom::InterfaceEntry* InterfaceMap()                                          \
    {                                                                                            \
        static const ::ycom::InterfaceEntry entries_[] = {

// Interface I implemented by a base class of the same name; IID_I must exist.
#define INTERFACE_ENTRY(I) {&IID_##I, ::ycom::BaseOffset<InterfaceMapClass, I>(), nullptr},
// Interface I reached through base Via (IDispatch through the class's dual interface).
#define INTERFACE_ENTRY2(I, Via) {&IID_##I, ::ycom::BaseOffsetVia<InterfaceMapClass, I, Via>(), nullptr},
// Interface with an explicitly named identifier, implemented by base I.
#define INTERFACE_ENTRY_IID(iid, I) {&(iid), ::ycom::BaseOffset<InterfaceMapClass, I>(), nullptr},
// Interface answered by the inner object of an aggregate: member is an IUnknown* (may be null).
#define INTERFACE_ENTRY_AGGREGATE(iid, member)                                                   \
    {&(iid), static_cast<DWORD_PTR>(reinterpret_cast<char*>(&reinterpret_cast<InterfaceMapClass*>(0x1000)->member) - \
                                    reinterpret_cast<char*>(0x1000)), &::ycom::QueryAggregate},
#define END_INTERFACE_MAP()                                                                      \
    {nullptr, 0, nullptr}                                                                        \
    }                                                                                            \
    ;                                                                                            \
    return entries_;                                                                             \
    }

// The class identifier of a creatable class (used by persistence, class info and errors).
#define DECLARE_CLASS_ID(clsid)                                                                  \
    static const CLSID& ClassId() { return clsid; }

// The plain form: an object with its own reference count. It holds a module lock for its life.
template <class T>
class ComObject final : public T {
public:
    template <class... A>
    explicit ComObject(A&&... args) : T(std::forward<A>(args)...) { ModuleLock(); }
    ~ComObject()
    {
        // Keeps stray AddRef/Release calls during final release from deleting twice.
        this->m_refs = 0x3FFFFFFF;
        this->FinalRelease();
        ModuleUnlock();
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override { return this->InternalQueryInterface(iid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return this->InternalAddRef(); }
    // The reference that protects the object while FinalConstruct runs.
    void FinalConstructAddRef() { this->InternalAddRef(); }
    void FinalConstructRelease() { this->InternalRelease(); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG n = this->InternalRelease();
        if (n == 0)
            delete this;
        return n;
    }
};

// The object inside an aggregate: every IUnknown call goes to the outer unknown.
template <class T>
class ComContainedObject final : public T {
public:
    explicit ComContainedObject(IUnknown* outer) { this->SetOuterUnknown(outer); }
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override { return this->m_outer->QueryInterface(iid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return this->m_outer->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return this->m_outer->Release(); }
};

// The contained form as the outer object sees it: a non-delegating IUnknown that owns the
// contained object. The outer object keeps this IUnknown and queries it for interfaces.
template <class T>
class ComAggObject final : public IUnknown {
public:
    explicit ComAggObject(IUnknown* outer) : m_contained(outer) { ModuleLock(); }
    ~ComAggObject()
    {
        m_refs = 0x3FFFFFFF;
        m_contained.FinalRelease();
        ModuleUnlock();
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (iid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return m_contained.InternalQueryInterface(iid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG n = InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }
    T* Contained() { return &m_contained; }
    HRESULT FinalConstruct() { return m_contained.FinalConstruct(); }
    void FinalConstructAddRef() { InterlockedIncrement(&m_refs); }
    void FinalConstructRelease() { InterlockedDecrement(&m_refs); }

private:
    LONG m_refs = 0;
    ComContainedObject<T> m_contained;
};

// Runs FinalConstruct on a new object of either form and hands out the interface; a failure (or
// an exception, under the caller's guard) destroys the object.
template <class Object>
HRESULT FinishConstruction(std::unique_ptr<Object> object, REFIID iid, void** ppv)
{
    object->FinalConstructAddRef();
    const HRESULT hr = object->FinalConstruct();
    object->FinalConstructRelease();
    RETURN_IF_FAILED(hr);
    RETURN_IF_FAILED(object->QueryInterface(iid, ppv));
    object.release();
    return S_OK;
}

// Creates an instance for a class factory: the contained form when an outer unknown is given
// (which must ask for IUnknown, as COM requires), else the plain form. Construction and
// FinalConstruct run under the guard: an exception destroys what was made and becomes the result.
template <class T>
HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** ppv)
{
    RETURN_IF_NULL_POINTER(ppv);
    *ppv = nullptr;
    RETURN_HR_IF(CLASS_E_NOAGGREGATION, outer && iid != IID_IUnknown);
    return Guard(iid, [&]() -> HRESULT {
        if (outer)
            return FinishConstruction(std::unique_ptr<ComAggObject<T>>(new ComAggObject<T>(outer)), iid, ppv);
        return FinishConstruction(std::unique_ptr<ComObject<T>>(new ComObject<T>()), iid, ppv);
    });
}

// Creates a plain object from inside the server and hands back its typed pointer with one
// reference owned by the caller (null when allocation, construction or FinalConstruct failed;
// hr says why). Runs under the guard as CreateInstance does.
template <class T, class... A>
ComPtr<ComObject<T>> NewObject(HRESULT* result = nullptr, A&&... args)
{
    ComPtr<ComObject<T>> out;
    const HRESULT hr = Guard(IID_IUnknown, [&]() -> HRESULT {
        std::unique_ptr<ComObject<T>> obj(new ComObject<T>(std::forward<A>(args)...));
        obj->InternalAddRef();
        const HRESULT constructed = obj->FinalConstruct();
        if (FAILED(constructed)) {
            obj->InternalRelease();
            return constructed;
        }
        out.Attach(obj.release());
        return S_OK;
    });
    if (result)
        *result = hr;
    return out;
}

} // namespace ycom
