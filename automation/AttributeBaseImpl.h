#pragma once
// The members of IAttributeBase shared by the attribute, attribute type and attribute group
// objects. A wrapper holds one use of its internal object (owner -100), so the object lives while
// the wrapper does, and one reference on its control, so the object's control does too. A wrapper
// without an object answers E_POINTER.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include <string>
#include <utility>
#include "YVEX_h.h"
#include "automation/ResultCodes.h"
#include "com/Dispatch.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "model/AttributeBase.h"

// The texts of the attribute objects at the interface: a null BSTR for none.
namespace AttributeText {
inline HRESULT Copy(const std::wstring& text, BSTR* out)
{
    *out = nullptr;
    if (text.empty())
        return S_OK;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}
inline std::wstring Of(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }
} // namespace AttributeText

template <class T, class Itf, const IID* piid, class Obj>
class IAttributeBaseImpl : public ycom::DispatchImpl<Itf, piid> {
public:
    ~IAttributeBaseImpl() { Attach(nullptr, nullptr); }

    // (control, the internal object): the object must be one the control's attribute model
    // holds; (0, 0) lets go of the object.
    STDMETHODIMP _Init(LONG_PTR Owner, LONG_PTR Data) override
    {
        return Guarded([&]() -> HRESULT {
            CYVEXControl* control = nullptr;
            RETURN_IF_FAILED(CYVEXControl::ResolveHandle(Owner, &control));
            Obj* object = control ? T::ResolveObject(control, Data) : nullptr;
            if (!object && (control || Data))
                return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
            Attach(control, object);
            return S_OK;
        });
    }
    STDMETHODIMP get_ID(LONG* pVal) override
    {
        return Guarded([&]() -> HRESULT {
            if (!pVal)
                return E_INVALIDARG;
            if (!m_object)
                return E_POINTER;
            *pVal = m_object->GetId();
            return S_OK;
        });
    }
    STDMETHODIMP get_DatabaseID(LONG* pVal) override
    {
        return Guarded([&]() -> HRESULT {
            if (!pVal)
                return E_INVALIDARG;
            if (!m_object)
                return E_POINTER;
            *pVal = m_object->GetDatabaseId();
            return S_OK;
        });
    }
    STDMETHODIMP put_DatabaseID(LONG newVal) override
    {
        return Guarded([&]() -> HRESULT {
            if (!m_object)
                return E_POINTER;
            if (m_object->GetDatabaseId() != newVal)
                Modified();
            static_cast<T*>(this)->StoreDatabaseId(newVal);
            return S_OK;
        });
    }

    // Holds the object (one use, owner -100) and the control; null for neither.
    void Attach(CYVEXControl* control, Obj* object)
    {
        if (object)
            object->AddOwner(kNoOwnerId);
        if (m_object)
            m_object->Release(kNoOwnerId);
        m_object = object;
        m_controlRef.Reset();
        m_control = object ? control : nullptr;
        if (m_control)
            m_controlRef = static_cast<IYVEXControl*>(m_control);
    }
    Obj* GetInternal() const { return m_object; }
    CYVEXControl* GetControl() const { return m_control; }

protected:
    template <class F>
    HRESULT Guarded(F&& body)
    {
        return ycom::Guard(*piid, std::forward<F>(body));
    }
    // A recorded change: the site is modified.
    void Modified()
    {
        if (m_control)
            m_control->SetModified();
    }

    Obj* m_object = nullptr;
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IYVEXControl> m_controlRef;
};
