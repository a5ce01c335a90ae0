#include "automation/ViewportObject.h"
#include <string>
#include <utility>
#include "com/AnsiText.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/ErrorInfo.h"
#include "control/ViewportList.h"
#include "control/ViewportRecord.h"
#include "control/YVEXControl.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"

template <class F>
HRESULT CViewportObject::Guarded(F&& body)
{
    return ycom::Guard(IID_IViewport, std::forward<F>(body));
}

template <class F>
HRESULT CViewportObject::WithViewport(F&& body)
{
    if (!m_control)
        return E_POINTER;
    CViewportRecord* viewport = m_control->GetViewportList().FindByID(m_itemId);
    if (!viewport)
        return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.");
    return body(*viewport);
}

// IViewport
#define YVEX_VIEWPORT_REAL(Property, Read, Setter)                                                              \
    STDMETHODIMP CViewportObject::get_##Property(double* pVal)                                                  \
    {                                                                                                          \
        return Guarded([&]() -> HRESULT {                                                                      \
            RETURN_IF_NULL_POINTER(pVal);                                                                      \
            return WithViewport([&](CViewportRecord& v) -> HRESULT {                                           \
                *pVal = v.Read;                                                                                \
                return S_OK;                                                                                   \
            });                                                                                                \
        });                                                                                                    \
    }                                                                                                          \
    STDMETHODIMP CViewportObject::put_##Property(double newVal)                                                 \
    {                                                                                                          \
        return Guarded([&]() -> HRESULT {                                                                      \
            return WithViewport([&](CViewportRecord& v) -> HRESULT {                                           \
                v.Setter(static_cast<float>(newVal));                                                          \
                return S_OK;                                                                                   \
            });                                                                                                \
        });                                                                                                    \
    }
YVEX_VIEWPORT_REAL(ViewCenterX, center.x, SetCenterX)
YVEX_VIEWPORT_REAL(ViewCenterY, center.y, SetCenterY)
YVEX_VIEWPORT_REAL(ViewHeight, height, SetHeight)
YVEX_VIEWPORT_REAL(ViewWidth, width, SetWidth)
#undef YVEX_VIEWPORT_REAL

STDMETHODIMP CViewportObject::_Init(LONG_PTR lParam1, LONG_PTR lParam2)
{
    // The record's number is only compared with the control's viewports, never used as a pointer
    // before.
    return Guarded([&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lParam1, &control));
        int id = 0;
        if (control && lParam2) {
            CViewportList& list = control->GetViewportList();
            for (int i = 0; i < list.GetCount(); ++i)
                if (reinterpret_cast<LONG_PTR>(list.GetAt(i)) == lParam2)
                    id = list.GetAt(i)->ID;
        }
        if (!id && (control || lParam2))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        Attach(control, id);
        return S_OK;
    });
}
STDMETHODIMP CViewportObject::get_Name(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        return WithViewport([&](CViewportRecord& v) -> HRESULT {
            if (!v.name.empty())
                RETURN_IF_NULL_ALLOC(*pVal = SysAllocString(ycom::AnsiToWide(v.name).c_str()));
            return S_OK;
        });
    });
}
STDMETHODIMP CViewportObject::put_Name(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        return WithViewport([&](CViewportRecord& v) -> HRESULT {
            v.name = ycom::WideToAnsi(newVal);
            return S_OK;
        });
    });
}
STDMETHODIMP CViewportObject::get_ID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        return WithViewport([&](CViewportRecord& v) -> HRESULT {
            *pVal = v.ID;
            return S_OK;
        });
    });
}
STDMETHODIMP CViewportObject::get_DatabaseID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        return WithViewport([&](CViewportRecord& v) -> HRESULT {
            *pVal = v.databaseID;
            return S_OK;
        });
    });
}
STDMETHODIMP CViewportObject::put_DatabaseID(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return WithViewport([&](CViewportRecord& v) -> HRESULT {
            v.databaseID = newVal;
            return S_OK;
        });
    });
}
STDMETHODIMP CViewportObject::get_DrawingSettingID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = 0;
        return WithViewport([&](CViewportRecord& v) -> HRESULT {
            if (!v.drawingSetting)
                return S_FALSE;
            *pVal = v.drawingSetting->ID;
            return S_OK;
        });
    });
}
STDMETHODIMP CViewportObject::put_DrawingSettingID(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return WithViewport([&](CViewportRecord& v) -> HRESULT {
            CDrawingSettingRecord* setting = m_control->GetDrawingSettingMap().FindByID(newVal);
            if (!setting)
                return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.");
            v.drawingSetting = setting;
            return S_OK;
        });
    });
}
