#pragma once
// The prepared collection: at _Init a collection fills a vector of VARIANTs, each holding a
// new item wrapper (VT_DISPATCH); Count, _NewEnum, _Destroy and Refresh work on that vector.
// The class T (implementing the collection interface Itf) provides
//     HRESULT _Init(LONG_PTR control, LONG_PTR lParam, LONG_PTR wParam)
// which fills m_items and then calls Attach(controlUnknown, control, lParam).
#include <windows.h>
#include <vector>
#include "com/Dispatch.h"
#include "com/Enumerators.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/Owners.h"

namespace ycom {

template <class T, class Itf, const IID* piid>
class PreparedCollectionImpl : public DispatchImpl<Itf, piid> {
public:
    ~PreparedCollectionImpl() { Clear(); }

    STDMETHODIMP get_Count(LONG* count) override
    {
        return Guard(*piid, [&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(count);
            *count = static_cast<LONG>(m_items.size());
            return S_OK;
        });
    }
    // Hands out copies of the stored VARIANTs, in order; the enumerator keeps the collection.
    STDMETHODIMP get__NewEnum(IUnknown** out) override
    {
        return Guard(*piid, [&]() -> HRESULT {
            return NewVariantVectorEnum(static_cast<T*>(this)->GetUnknown(), &m_items, out);
        });
    }
    STDMETHODIMP _Destroy() override
    {
        return Guard(*piid, [&]() -> HRESULT {
            Clear();
            return S_OK;
        });
    }
    // Rebuilds the items from the same control and source.
    STDMETHODIMP Refresh() override
    {
        return Guard(*piid, [&]() -> HRESULT {
            ComPtr<IUnknown> keep = m_control;
            const LONG_PTR handle = m_controlHandle;
            const LONG_PTR param = m_param;
            Clear();
            return static_cast<T*>(this)->_Init(handle, param, 0);
        });
    }

protected:
    // Completes _Init: keeps a reference on the control and the source value.
    void Attach(IUnknown* control, LONG_PTR controlHandle, LONG_PTR param)
    {
        m_control = control;
        m_controlHandle = controlHandle;
        m_param = param;
    }
    void Clear()
    {
        m_items.clear();
        m_control.Reset();
        m_controlHandle = 0;
        m_param = 0;
    }

    std::vector<Variant> m_items;
    ComPtr<IUnknown> m_control;
    LONG_PTR m_controlHandle = 0;
    LONG_PTR m_param = 0;
};

} // namespace ycom
