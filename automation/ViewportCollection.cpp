#include "automation/ViewportCollection.h"
#include <string>
#include <utility>
#include "automation/ViewportObject.h"
#include "com/AnsiText.h"
#include "com/ComObject.h"
#include "com/Enumerators.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/ErrorInfo.h"
#include "control/ViewportList.h"
#include "control/ViewportRecord.h"
#include "control/YVEXControl.h"
#include "ui/OptionsViewportsPage.h"

namespace {

HRESULT WrongIdentifier() { return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier."); }

struct ViewportToVariant {
    const CViewportCollection* owner = nullptr;
    HRESULT Convert(CViewportRecord* viewport, VARIANT* out) const
    {
        if (!viewport)
            return S_OK;
        IViewport* item = nullptr;
        RETURN_IF_FAILED(owner->HandOut(viewport, &item));
        out->vt = VT_DISPATCH;
        out->pdispVal = item;
        return S_OK;
    }
};

} // namespace

size_t CViewportCollection::ListView::size() const { return list ? static_cast<size_t>(list->GetCount()) : 0; }
CViewportRecord* CViewportCollection::ListView::operator[](size_t i) const
{
    return list ? list->GetAt(static_cast<int>(i)) : nullptr;
}

template <class F>
HRESULT CViewportCollection::Guarded(F&& body)
{
    return ycom::Guard(IID_IViewportCollection, std::forward<F>(body));
}

HRESULT CViewportCollection::HandOut(CViewportRecord* viewport, IViewport** out) const
{
    HRESULT hr = S_OK;
    auto object = ycom::NewObject<CViewportObject>(&hr);
    if (!object)
        return hr;
    object->Attach(m_control, viewport->ID);
    return object->QueryInterface(IID_IViewport, reinterpret_cast<void**>(out));
}

// _IReadOnlyCollection
STDMETHODIMP CViewportCollection::_Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR)
{
    return Guarded([&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
        if (lParam && (!control || lParam != reinterpret_cast<LONG_PTR>(&control->GetViewportList())))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        m_controlRef.Reset();
        m_control = lParam ? control : nullptr;
        if (m_control)
            m_controlRef = static_cast<IYVEXControl*>(m_control);
        return S_OK;
    });
}
STDMETHODIMP CViewportCollection::_Destroy()
{
    return Guarded([&]() -> HRESULT {
        m_controlRef.Reset();
        m_control = nullptr;
        return S_OK;
    });
}
STDMETHODIMP CViewportCollection::get__NewEnum(IUnknown** pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        if (!m_control)
            return E_FAIL;
        m_view.list = &m_control->GetViewportList();
        return ycom::NewLiveEnum(GetUnknown(), &m_view, pVal, ViewportToVariant{this});
    });
}
STDMETHODIMP CViewportCollection::get_Count(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        if (!m_control)
            return E_FAIL;
        *pVal = m_control->GetViewportList().GetCount();
        return S_OK;
    });
}
STDMETHODIMP CViewportCollection::Refresh()
{
    return Guarded([&]() -> HRESULT { return S_OK; });
}

// IViewportCollection
STDMETHODIMP CViewportCollection::get_ItemByID(LONG ID, IViewport** pViewport)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pViewport);
        *pViewport = nullptr;
        CViewportRecord* viewport = m_control ? m_control->GetViewportList().FindByID(ID) : nullptr;
        return viewport ? HandOut(viewport, pViewport) : S_FALSE;
    });
}
STDMETHODIMP CViewportCollection::get_Item(LONG Index, IViewport** pViewport)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pViewport);
        *pViewport = nullptr;
        CViewportRecord* viewport = m_control && Index >= 1 ? m_control->GetViewportList().GetAt(Index - 1) : nullptr;
        return viewport ? HandOut(viewport, pViewport) : S_FALSE;
    });
}
STDMETHODIMP CViewportCollection::SaveViewport(LONG DestViewport, LONG SourceViewport)
{
    return Guarded([&]() -> HRESULT {
        if (!m_control || (DestViewport < 1 && DestViewport != -1) || SourceViewport < 1 ||
            m_control->GetViewportList().GetCount() == 0)
            return WrongIdentifier();
        // -1 asks the user, but not while the Options sheet (whose View ports page copies too)
        // is open.
        if (DestViewport == -1) {
            const COptionsDialog* sheet = m_control->GetOptionsSheet();
            if (sheet && sheet->GetWindow())
                return S_FALSE;
            CCopyViewportDialog dialog(SourceViewport);
            if (dialog.Run(m_control, m_control->GetControlWindow()) != IDOK || dialog.GetResultId() == -1)
                return S_FALSE;
            DestViewport = dialog.GetResultId();
        }
        CViewportList& list = m_control->GetViewportList();
        CViewportRecord* destination = list.FindByID(DestViewport);
        CViewportRecord* source = list.FindByID(SourceViewport);
        if (!destination || !source)
            return WrongIdentifier();
        destination->TakeView(*source);
        return S_OK;
    });
}
STDMETHODIMP CViewportCollection::SaveViewportTo(BSTR DestViewport, LONG SourceViewport, LONG* pDestViewportID)
{
    return Guarded([&]() -> HRESULT {
        if (pDestViewportID)
            *pDestViewportID = 0;
        if (!m_control || !DestViewport || !*DestViewport || SourceViewport < 1 ||
            m_control->GetViewportList().GetCount() == 0)
            return WrongIdentifier();
        CViewportList& list = m_control->GetViewportList();
        const std::string name = ycom::WideToAnsi(DestViewport);
        CViewportRecord* destination = nullptr;
        for (int i = 0; i < list.GetCount() && !destination; ++i)
            if (list.GetAt(i)->name == name)
                destination = list.GetAt(i);
        CViewportRecord* source = list.FindByID(SourceViewport);
        if (!source || destination == source)
            return WrongIdentifier();
        if (!destination) {
            destination = new CViewportRecord(*source);
            destination->ID = 0;
            destination->name = name;
            list.Add(destination);
        } else {
            destination->TakeView(*source);
        }
        if (pDestViewportID)
            *pDestViewportID = destination->ID;
        return S_OK;
    });
}
