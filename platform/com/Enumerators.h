#pragma once
// Enumerators: a copying enumerator over a vector (IEnumVARIANT over prepared items,
// IEnumConnections, IEnumConnectionPoints) and the live IEnumVARIANT that walks a model
// container and makes one new item per step.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>
#include "com/ComObject.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/Owners.h"

namespace ycom {

// Copy policies: how an element of the stored vector becomes an element handed out (Copy),
// how a handed-out element is taken back (Destroy), and what a snapshot's own elements hold
// (ReleaseStored, when the last enumerator sharing the snapshot goes).
struct CopyVariant {
    static HRESULT Copy(VARIANT* dst, const Variant* src)
    {
        VariantInit(dst);
        return VariantCopy(dst, const_cast<VARIANT*>(src->Get()));
    }
    static void Destroy(VARIANT* p) { VariantClear(p); }
    static void ReleaseStored(Variant*) {}
};
struct CopyConnectData {
    static HRESULT Copy(CONNECTDATA* dst, const CONNECTDATA* src)
    {
        *dst = *src;
        if (dst->pUnk)
            dst->pUnk->AddRef();
        return S_OK;
    }
    static void Destroy(CONNECTDATA* p)
    {
        if (p->pUnk)
            p->pUnk->Release();
        p->pUnk = nullptr;
    }
    static void ReleaseStored(CONNECTDATA* p) { Destroy(p); }
};
template <class I>
struct CopyInterface {
    static HRESULT Copy(I** dst, I* const* src)
    {
        *dst = *src;
        if (*dst)
            (*dst)->AddRef();
        return S_OK;
    }
    static void Destroy(I** p)
    {
        if (*p)
            (*p)->Release();
        *p = nullptr;
    }
    static void ReleaseStored(I** p) { Destroy(p); }
};

// An enumerator of interface Base (IEnumXxx with element type Out) over a vector of T. It
// either walks a vector of an owner object that it keeps alive, or a snapshot it shares with
// its clones. Elements are handed out as copies made by Copy.
template <class Base, const IID* piid, class Out, class T, class Copy>
class CopyEnum : public ObjectRoot, public Base {
public:
    BEGIN_INTERFACE_MAP(CopyEnum)
        INTERFACE_ENTRY_IID(*piid, Base)
    END_INTERFACE_MAP()

    void Init(IUnknown* owner, const std::vector<T>* items)
    {
        m_owner = owner;
        m_items = items;
        m_pos = 0;
    }
    void InitSnapshot(std::vector<T> items)
    {
        m_snapshot = std::make_shared<std::vector<T>>(std::move(items));
        m_items = m_snapshot.get();
        m_pos = 0;
    }

    STDMETHODIMP Next(ULONG celt, Out* rgelt, ULONG* fetched) override
    {
        return Guard(*piid, [&]() -> HRESULT {
            if (!rgelt || (celt != 1 && !fetched))
                return E_POINTER;
            if (fetched)
                *fetched = 0;
            if (!m_items)
                return E_FAIL;
            ULONG n = 0;
            while (n < celt && m_pos < m_items->size()) {
                const HRESULT hr = Copy::Copy(&rgelt[n], &(*m_items)[m_pos]);
                if (FAILED(hr)) {
                    for (ULONG i = 0; i < n; ++i)
                        Copy::Destroy(&rgelt[i]);
                    return hr;
                }
                ++n;
                ++m_pos;
            }
            if (fetched)
                *fetched = n;
            return n == celt ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP Skip(ULONG celt) override
    {
        return Guard(*piid, [&]() -> HRESULT {
            if (!m_items)
                return E_FAIL;
            const size_t left = m_items->size() - m_pos;
            if (celt > left) {
                m_pos = m_items->size();
                return S_FALSE;
            }
            m_pos += celt;
            return S_OK;
        });
    }
    STDMETHODIMP Reset() override
    {
        return Guard(*piid, [&]() -> HRESULT {
            m_pos = 0;
            return S_OK;
        });
    }
    STDMETHODIMP Clone(Base** out) override
    {
        return Guard(*piid, [&]() -> HRESULT {
            if (!out)
                return E_POINTER;
            *out = nullptr;
            HRESULT hr = S_OK;
            auto copy = NewObject<CopyEnum>(&hr);
            if (!copy)
                return hr;
            copy->m_owner = m_owner;
            copy->m_snapshot = m_snapshot;
            copy->m_items = m_items;
            copy->m_pos = m_pos;
            return copy->QueryInterface(*piid, reinterpret_cast<void**>(out));
        });
    }

    ~CopyEnum()
    {
        // The last holder of a snapshot releases what its elements own.
        if (m_snapshot && m_snapshot.use_count() == 1)
            for (T& item : *m_snapshot)
                Copy::ReleaseStored(&item);
    }

private:
    ComPtr<IUnknown> m_owner;
    std::shared_ptr<std::vector<T>> m_snapshot;
    const std::vector<T>* m_items = nullptr;
    size_t m_pos = 0;
};

using VariantVectorEnum = CopyEnum<IEnumVARIANT, &IID_IEnumVARIANT, VARIANT, Variant, CopyVariant>;

// _NewEnum of a collection that keeps its items as a vector of VARIANTs: an IEnumVARIANT
// that holds a reference to the collection and hands out copies of the stored VARIANTs.
inline HRESULT NewVariantVectorEnum(IUnknown* owner, const std::vector<Variant>* items, IUnknown** out)
{
    RETURN_IF_NULL_POINTER(out);
    *out = nullptr;
    HRESULT hr = S_OK;
    auto e = NewObject<VariantVectorEnum>(&hr);
    if (!e)
        return hr;
    e->Init(owner, items);
    return e->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(out));
}

// The live enumerator: walks a model container at each step, turning the item under its
// position into a VARIANT with traits.Convert(item, VARIANT*) (which makes a new wrapper object).
// It keeps the owner collection, and with it the container, alive. Its position is an index into
// a vector-like container (size, operator[]) or the last key handed out of a keyed one (a map,
// walked in key order): never an iterator, so items taken out of the container while a client
// walks it (a For Each that deletes what it visits) leave the walk on solid ground.
template <class C, class = void>
struct LiveEnumKey {
    using type = size_t;
    static constexpr bool keyed = false;
};
template <class C>
struct LiveEnumKey<C, std::void_t<typename C::key_type>> {
    using type = typename C::key_type;
    static constexpr bool keyed = true;
};

// Traits may also say whether a step may be taken now: HRESULT Ready() const, whose S_OK lets it
// go and whose other answers Next and Skip return as they are, fetching nothing.
template <class T, class = void>
struct LiveEnumHasReady : std::false_type {};
template <class T>
struct LiveEnumHasReady<T, std::void_t<decltype(std::declval<const T&>().Ready())>> : std::true_type {};

template <class Container, class Traits>
class LiveEnum : public ObjectRoot, public IEnumVARIANT {
public:
    BEGIN_INTERFACE_MAP(LiveEnum)
        INTERFACE_ENTRY(IEnumVARIANT)
    END_INTERFACE_MAP()

    void Init(IUnknown* owner, const Container* container, const Traits& traits = Traits())
    {
        m_owner = owner;
        m_container = container;
        m_traits = traits;
        Rewind();
    }

    STDMETHODIMP Next(ULONG celt, VARIANT* rgVar, ULONG* fetched) override
    {
        return Guard(IID_IEnumVARIANT, [&]() -> HRESULT {
            if (!rgVar || (celt != 1 && !fetched))
                return E_POINTER;
            if (fetched)
                *fetched = 0;
            if (!m_container)
                return E_FAIL;
            if constexpr (LiveEnumHasReady<Traits>::value) {
                const HRESULT ready = m_traits.Ready();
                if (ready != S_OK)
                    return ready;
            }
            ULONG n = 0;
            HRESULT hr = S_OK;
            while (n < celt) {
                VariantInit(&rgVar[n]);
                hr = ConvertNext(&rgVar[n]);
                if (hr == S_FALSE) {
                    hr = S_OK;
                    break;
                }
                if (FAILED(hr)) {
                    // No partial result: everything handed out by this call is taken back.
                    for (ULONG i = 0; i <= n; ++i)
                        VariantClear(&rgVar[i]);
                    n = 0;
                    break;
                }
                ++n;
            }
            if (fetched)
                *fetched = n;
            RETURN_IF_FAILED(hr);
            return n < celt ? S_FALSE : S_OK;
        });
    }
    STDMETHODIMP Skip(ULONG celt) override
    {
        return Guard(IID_IEnumVARIANT, [&]() -> HRESULT {
            if (!m_container)
                return E_FAIL;
            if constexpr (LiveEnumHasReady<Traits>::value) {
                const HRESULT ready = m_traits.Ready();
                if (ready != S_OK)
                    return ready;
            }
            for (ULONG i = 0; i < celt; ++i)
                if (!Advance())
                    return S_FALSE;
            return S_OK;
        });
    }
    STDMETHODIMP Reset() override
    {
        return Guard(IID_IEnumVARIANT, [&]() -> HRESULT {
            if (!m_container)
                return E_FAIL;
            Rewind();
            return S_OK;
        });
    }
    STDMETHODIMP Clone(IEnumVARIANT** out) override
    {
        return Guard(IID_IEnumVARIANT, [&]() -> HRESULT {
            if (!out)
                return E_POINTER;
            *out = nullptr;
            HRESULT hr = S_OK;
            auto copy = NewObject<LiveEnum>(&hr);
            if (!copy)
                return hr;
            copy->m_owner = m_owner;
            copy->m_container = m_container;
            copy->m_traits = m_traits;
            copy->m_index = m_index;
            copy->m_lastKey = m_lastKey;
            copy->m_started = m_started;
            return copy->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(out));
        });
    }

private:
    using Key = LiveEnumKey<Container>;

    void Rewind()
    {
        m_index = 0;
        m_lastKey = typename Key::type{};
        m_started = false;
    }
    // The item after the position, converted; S_FALSE at the end. The position moves past the
    // item only when it was converted.
    HRESULT ConvertNext(VARIANT* out)
    {
        if constexpr (Key::keyed) {
            auto it = m_started ? m_container->upper_bound(m_lastKey) : m_container->begin();
            if (it == m_container->end())
                return S_FALSE;
            RETURN_IF_FAILED(m_traits.Convert(*it, out));
            m_lastKey = it->first;
            m_started = true;
        } else {
            if (m_index >= m_container->size())
                return S_FALSE;
            RETURN_IF_FAILED(m_traits.Convert((*m_container)[m_index], out));
            ++m_index;
        }
        return S_OK;
    }
    bool Advance()
    {
        if constexpr (Key::keyed) {
            auto it = m_started ? m_container->upper_bound(m_lastKey) : m_container->begin();
            if (it == m_container->end())
                return false;
            m_lastKey = it->first;
            m_started = true;
        } else {
            if (m_index >= m_container->size())
                return false;
            ++m_index;
        }
        return true;
    }

    ComPtr<IUnknown> m_owner;
    const Container* m_container = nullptr;
    Traits m_traits{};
    size_t m_index = 0;
    typename Key::type m_lastKey{};
    bool m_started = false;
};

// _NewEnum of a live collection: a new enumerator over `container` from its first item,
// holding a reference to `owner`, handed out as IUnknown.
template <class Container, class Traits>
HRESULT NewLiveEnum(IUnknown* owner, const Container* container, IUnknown** out, const Traits& traits = Traits())
{
    RETURN_IF_NULL_POINTER(out);
    *out = nullptr;
    HRESULT hr = S_OK;
    auto e = NewObject<LiveEnum<Container, Traits>>(&hr);
    if (!e)
        return hr;
    e->Init(owner, container, traits);
    return e->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(out));
}

} // namespace ycom
