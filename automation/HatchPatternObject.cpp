#include "automation/HatchPatternObject.h"
#include <string>
#include <utility>
#include "com/AnsiText.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"

template <class F>
HRESULT CHatchPatternObject::Guarded(F&& body)
{
    return ycom::Guard(IID_IHatchPattern, std::forward<F>(body));
}

template <class F>
HRESULT CHatchPatternObject::WithPattern(F&& body)
{
    CHatchPattern* pattern = m_control ? m_control->GetHatchPatternMap().Find(m_itemId) : nullptr;
    if (!pattern)
        return E_POINTER;
    body(*pattern);
    return S_OK;
}

// IHatchPattern
STDMETHODIMP CHatchPatternObject::get_ID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        return WithPattern([&](CHatchPattern& p) {
            if (pVal)
                *pVal = p.GetId();
        });
    });
}
STDMETHODIMP CHatchPatternObject::get_DatabaseID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        return WithPattern([&](CHatchPattern& p) {
            if (pVal)
                *pVal = p.GetDatabaseId();
        });
    });
}
STDMETHODIMP CHatchPatternObject::put_DatabaseID(LONG newVal)
{
    return Guarded([&]() -> HRESULT { return WithPattern([&](CHatchPattern& p) { p.SetDatabaseId(newVal); }); });
}
STDMETHODIMP CHatchPatternObject::get_Name(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        return WithPattern([&](CHatchPattern& p) {
            if (pVal)
                *pVal = p.GetName() ? SysAllocString(ycom::AnsiToWide(p.GetName()).c_str()) : nullptr;
        });
    });
}
STDMETHODIMP CHatchPatternObject::put_Name(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        return WithPattern([&](CHatchPattern& p) { p.SetName(ycom::WideToAnsi(newVal).c_str()); });
    });
}
STDMETHODIMP CHatchPatternObject::get_Description(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        return WithPattern([&](CHatchPattern& p) {
            if (pVal)
                *pVal = SysAllocString(ycom::AnsiToWide(p.GetDescription()).c_str());
        });
    });
}
STDMETHODIMP CHatchPatternObject::put_Description(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        return WithPattern([&](CHatchPattern& p) { p.SetDescription(ycom::WideToAnsi(newVal).c_str()); });
    });
}
STDMETHODIMP CHatchPatternObject::get_ImageResourceID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        return WithPattern([&](CHatchPattern& p) {
            if (pVal)
                *pVal = p.GetImageResourceId();
        });
    });
}
STDMETHODIMP CHatchPatternObject::put_ImageResourceID(LONG newVal)
{
    return Guarded([&]() -> HRESULT { return WithPattern([&](CHatchPattern& p) { p.SetImageResourceId(newVal); }); });
}
STDMETHODIMP CHatchPatternObject::_Init(LONG_PTR lYVEXControl, LONG_PTR lPattern)
{
    // The number is only compared with the map's patterns, never used as a pointer before.
    return Guarded([&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
        int id = 0;
        if (control && lPattern)
            for (const auto& entry : control->GetHatchPatternMap().Patterns())
                if (reinterpret_cast<LONG_PTR>(entry.second.get()) == lPattern)
                    id = entry.first;
        if (!id && (control || lPattern))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        Attach(control, id);
        return S_OK;
    });
}
