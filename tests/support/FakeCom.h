#pragma once
// Stand-ins for the control's COM objects in tests that need an object which answers differently
// from the control: a fake is a table of slots, every one answering E_NOTIMPL, with the few
// members a test cares about set by name (the slot of a member is read from a pointer to it).
// x64 only: one function serves members of any arguments because the caller cleans the stack.
#include <windows.h>
#include <ole2.h>
#include <cstddef>
#include <cstring>
#include <map>
#include <vector>

namespace faketest {

class FakeObject;

// The slot of a virtual member function in its interface's table (g++'s pointer to a virtual
// member holds 1 + the slot's offset in bytes).
template <class C, class M>
size_t SlotOf(M C::*member)
{
    static_assert(sizeof(member) == 2 * sizeof(void*), "a pointer to member function");
    std::ptrdiff_t raw = 0;
    std::memcpy(&raw, &member, sizeof raw);
    return static_cast<size_t>(raw - 1) / sizeof(void*);
}

class FakeObject
{
public:
    explicit FakeObject(REFIID identity) : m_identity(identity)
    {
        m_table.assign(kSlots, reinterpret_cast<void*>(&NotImplemented));
        m_table[0] = reinterpret_cast<void*>(&QueryInterfaceSlot);
        m_table[1] = reinterpret_cast<void*>(&AddRefSlot);
        m_table[2] = reinterpret_cast<void*>(&ReleaseSlot);
        m_vtable = m_table.data();
    }
    FakeObject(const FakeObject&) = delete;
    FakeObject& operator=(const FakeObject&) = delete;

    template <class I>
    I* As()
    {
        return reinterpret_cast<I*>(this);
    }
    // References taken and not given back (the test's own one is not counted).
    long Refs() const { return m_refs - 1; }

    // QueryInterface for `iid` answers `result`, with `object` (a reference added) when it succeeds.
    void Answer(REFIID iid, HRESULT result, FakeObject* object = nullptr) { m_interfaces[iid] = {result, object}; }
    // A getter with one out-pointer (get_Shapes, get_Site): `result` and `object`.
    template <class C, class M>
    void Getter(M C::*member, HRESULT result, FakeObject* object)
    {
        m_getterResult = result;
        m_getterObject = object;
        m_table[SlotOf(member)] = reinterpret_cast<void*>(&GetterSlot);
    }
    // A getter by number with one out-pointer (get_ItemByID): the object of that number, or
    // S_FALSE and null.
    template <class C, class M>
    void ItemGetter(M C::*member, std::map<long, FakeObject*> items)
    {
        m_items = std::move(items);
        m_table[SlotOf(member)] = reinterpret_cast<void*>(&ItemSlot);
    }

private:
    struct Answered {
        HRESULT result;
        FakeObject* object;
    };
    struct IidLess {
        bool operator()(const IID& a, const IID& b) const { return std::memcmp(&a, &b, sizeof a) < 0; }
    };
    static const size_t kSlots = 256;

    static HRESULT STDMETHODCALLTYPE NotImplemented(FakeObject*) { return E_NOTIMPL; }
    static HRESULT STDMETHODCALLTYPE QueryInterfaceSlot(FakeObject* self, REFIID iid, void** out)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == self->m_identity) {
            *out = self;
            ++self->m_refs;
            return S_OK;
        }
        auto it = self->m_interfaces.find(iid);
        if (it == self->m_interfaces.end())
            return E_NOINTERFACE;
        if (SUCCEEDED(it->second.result) && it->second.object) {
            *out = it->second.object;
            ++it->second.object->m_refs;
        }
        return it->second.result;
    }
    static ULONG STDMETHODCALLTYPE AddRefSlot(FakeObject* self) { return static_cast<ULONG>(++self->m_refs); }
    static ULONG STDMETHODCALLTYPE ReleaseSlot(FakeObject* self) { return static_cast<ULONG>(--self->m_refs); }
    static HRESULT STDMETHODCALLTYPE GetterSlot(FakeObject* self, void** out)
    {
        if (!out)
            return E_POINTER;
        *out = self->m_getterObject;
        if (self->m_getterObject)
            ++self->m_getterObject->m_refs;
        return self->m_getterResult;
    }
    static HRESULT STDMETHODCALLTYPE ItemSlot(FakeObject* self, long id, void** out)
    {
        if (!out)
            return E_POINTER;
        auto it = self->m_items.find(id);
        *out = it == self->m_items.end() ? nullptr : it->second;
        if (!*out)
            return S_FALSE;
        ++it->second->m_refs;
        return S_OK;
    }

    void** m_vtable;  // first, where a COM object keeps its table
    long m_refs = 1;
    IID m_identity;
    std::vector<void*> m_table;
    std::map<IID, Answered, IidLess> m_interfaces;
    HRESULT m_getterResult = E_NOTIMPL;
    FakeObject* m_getterObject = nullptr;
    std::map<long, FakeObject*> m_items;
};

} // namespace faketest
