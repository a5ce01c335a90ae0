#pragma once
// Connection points: a container of points, and a point that keeps its sinks in an array in
// connection order. A disconnected sink leaves an empty slot (reused by the next Advise), and
// delivery skips empty slots.
//
// A class with events embeds a ConnectionPoint member, constructed with the container and the
// event interface's identifier, derives from ConnectionPointContainerImpl and registers the
// point in its constructor:
//
//     m_events(this, DIID__IYVEXControlEvents) { AddConnectionPoint(&m_events); }
//
// and fires with m_events.Fire(dispid, args, count) (arguments in reverse order, as
// IDispatch::Invoke takes them).
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>
#include <vector>
#include "com/Enumerators.h"
#include "com/Guard.h"
#include "com/Owners.h"

namespace ycom {

class ConnectionPoint : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* container, REFIID iid) : m_container(container), m_iid(iid) {}
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;
    ~ConnectionPoint()
    {
        for (IUnknown* sink : m_sinks)
            if (sink)
                sink->Release();
    }

    // The point lives inside its container and shares its lifetime.
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
            *ppv = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_container->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_container->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override
    {
        return Guard(IID_IConnectionPoint, [&]() -> HRESULT {
            if (!iid)
                return E_POINTER;
            *iid = m_iid;
            return S_OK;
        });
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override
    {
        return Guard(IID_IConnectionPoint, [&]() -> HRESULT {
            if (!out)
                return E_POINTER;
            *out = m_container;
            m_container->AddRef();
            return S_OK;
        });
    }
    // The sink must answer the point's interface; the cookie is its slot number plus one.
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override
    {
        return Guard(IID_IConnectionPoint, [&]() -> HRESULT {
            if (!sink || !cookie)
                return E_POINTER;
            *cookie = 0;
            IUnknown* itf = nullptr;
            if (FAILED(sink->QueryInterface(m_iid, reinterpret_cast<void**>(&itf))) || !itf)
                return CONNECT_E_CANNOTCONNECT;
            size_t slot = 0;
            while (slot < m_sinks.size() && m_sinks[slot])
                ++slot;
            if (slot == m_sinks.size())
                m_sinks.push_back(itf);
            else
                m_sinks[slot] = itf;
            *cookie = static_cast<DWORD>(slot + 1);
            return S_OK;
        });
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        return Guard(IID_IConnectionPoint, [&]() -> HRESULT {
            if (cookie == 0 || cookie > m_sinks.size() || !m_sinks[cookie - 1])
                return CONNECT_E_NOCONNECTION;
            IUnknown* sink = m_sinks[cookie - 1];
            m_sinks[cookie - 1] = nullptr;
            sink->Release();
            return S_OK;
        });
    }
    STDMETHODIMP EnumConnections(IEnumConnections** out) override
    {
        return Guard(IID_IConnectionPoint, [&]() -> HRESULT {
            if (!out)
                return E_POINTER;
            *out = nullptr;
            std::vector<CONNECTDATA> items;
            for (size_t i = 0; i < m_sinks.size(); ++i) {
                if (!m_sinks[i])
                    continue;
                m_sinks[i]->AddRef();
                items.push_back(CONNECTDATA{m_sinks[i], static_cast<DWORD>(i + 1)});
            }
            HRESULT hr = S_OK;
            auto e = NewObject<ConnectionsEnum>(&hr);
            if (!e) {
                for (CONNECTDATA& cd : items)
                    cd.pUnk->Release();
                return hr;
            }
            e->InitSnapshot(std::move(items));
            return e->QueryInterface(IID_IEnumConnections, reinterpret_cast<void**>(out));
        });
    }

    // Delivers one event: each connected sink in array order is held, called through
    // IDispatch::Invoke (DISPATCH_METHOD, LOCALE_USER_DEFAULT) and released. Every sink sees
    // the same argument array, so a by-reference value keeps what the last sink left in it.
    // A failing sink does not stop delivery to the others.
    void Fire(DISPID id, VARIANTARG* args, UINT count)
    {
        DISPPARAMS params = {args, nullptr, count, 0};
        // Sinks may connect or disconnect during a call: walk by slot number.
        for (size_t i = 0; i < m_sinks.size(); ++i) {
            IUnknown* unk = m_sinks[i];
            if (!unk)
                continue;
            auto* sink = static_cast<IDispatch*>(unk);
            sink->AddRef();
            VARIANT result;
            VariantInit(&result);
            sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
            VariantClear(&result);
            sink->Release();
        }
    }
    size_t ConnectionCount() const
    {
        size_t n = 0;
        for (IUnknown* sink : m_sinks)
            n += sink ? 1 : 0;
        return n;
    }
    REFIID Iid() const { return m_iid; }

private:
    using ConnectionsEnum = CopyEnum<IEnumConnections, &IID_IEnumConnections, CONNECTDATA, CONNECTDATA, CopyConnectData>;

    IConnectionPointContainer* m_container;
    IID m_iid;
    // Each slot holds the sink's interface of m_iid (an IDispatch for dispinterfaces).
    std::vector<IUnknown*> m_sinks;
};

// IConnectionPointContainer over the points a class registers.
class ConnectionPointContainerImpl : public IConnectionPointContainer {
public:
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override
    {
        return Guard(IID_IConnectionPointContainer, [&]() -> HRESULT {
            if (!out)
                return E_POINTER;
            *out = nullptr;
            std::vector<IConnectionPoint*> items;
            for (ConnectionPoint* p : m_points) {
                p->AddRef();
                items.push_back(p);
            }
            HRESULT hr = S_OK;
            auto e = NewObject<PointsEnum>(&hr);
            if (!e) {
                for (IConnectionPoint* p : items)
                    p->Release();
                return hr;
            }
            e->InitSnapshot(std::move(items));
            return e->QueryInterface(IID_IEnumConnectionPoints, reinterpret_cast<void**>(out));
        });
    }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override
    {
        return Guard(IID_IConnectionPointContainer, [&]() -> HRESULT {
            if (!out)
                return E_POINTER;
            *out = nullptr;
            for (ConnectionPoint* p : m_points) {
                if (p->Iid() == iid) {
                    p->AddRef();
                    *out = p;
                    return S_OK;
                }
            }
            return CONNECT_E_NOCONNECTION;
        });
    }

protected:
    void AddConnectionPoint(ConnectionPoint* point) { m_points.push_back(point); }

private:
    using PointsEnum = CopyEnum<IEnumConnectionPoints, &IID_IEnumConnectionPoints, IConnectionPoint*,
                                IConnectionPoint*, CopyInterface<IConnectionPoint>>;
    std::vector<ConnectionPoint*> m_points;
};

} // namespace ycom
