#include "automation/DrawingSettingCollection.h"
#include <iterator>
#include <string>
#include <utility>
#include "automation/DrawingSetting.h"
#include "com/AnsiText.h"
#include "com/ComObject.h"
#include "com/Enumerators.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/ErrorInfo.h"
#include "control/UndoRecorder.h"
#include "control/YVEXControl.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"

namespace {
// Undo kind (YVEXOperation) of a setting made.
constexpr int kUndoCreate = 4;

struct SettingToVariant {
    const CDrawingSettingCollection* owner = nullptr;
    HRESULT Convert(const std::pair<const int, std::unique_ptr<CDrawingSettingRecord>>& entry, VARIANT* out) const
    {
        IDrawingSetting* item = nullptr;
        RETURN_IF_FAILED(owner->HandOut(entry.second.get(), &item));
        out->vt = VT_DISPATCH;
        out->pdispVal = item;
        return S_OK;
    }
};
} // namespace

template <class F>
HRESULT CDrawingSettingCollection::Guarded(F&& body)
{
    return ycom::Guard(IID_IDrawingSettingCollection, std::forward<F>(body));
}

void CDrawingSettingCollection::SetControl(CYVEXControl* control)
{
    m_controlRef.Reset();
    m_control = control;
    if (control)
        m_controlRef = static_cast<IYVEXControl*>(control);
}

HRESULT CDrawingSettingCollection::HandOut(CDrawingSettingRecord* setting, IDrawingSetting** out) const
{
    HRESULT hr = S_OK;
    auto object = ycom::NewObject<CDrawingSetting>(&hr);
    if (!object)
        return hr;
    object->Attach(m_control, setting->ID);
    return object->QueryInterface(IID_IDrawingSetting, reinterpret_cast<void**>(out));
}

// _IReadOnlyCollection
STDMETHODIMP CDrawingSettingCollection::_Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR)
{
    return Guarded([&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
        if (lParam && (!control || lParam != reinterpret_cast<LONG_PTR>(&control->GetDrawingSettingMap())))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        SetControl(lParam ? control : nullptr);
        return S_OK;
    });
}
STDMETHODIMP CDrawingSettingCollection::_Destroy()
{
    return Guarded([&]() -> HRESULT {
        SetControl(nullptr);
        return S_OK;
    });
}
STDMETHODIMP CDrawingSettingCollection::get__NewEnum(IUnknown** pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        if (!m_control)
            return E_FAIL;
        return ycom::NewLiveEnum(GetUnknown(), &m_control->GetDrawingSettingMap().Settings(), pVal,
                                 SettingToVariant{this});
    });
}
STDMETHODIMP CDrawingSettingCollection::get_Count(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        if (!m_control)
            return E_FAIL;
        *pVal = static_cast<LONG>(m_control->GetDrawingSettingMap().Settings().size());
        return S_OK;
    });
}
STDMETHODIMP CDrawingSettingCollection::Refresh()
{
    return Guarded([&]() -> HRESULT { return S_OK; });
}

// IDrawingSettingCollection
STDMETHODIMP CDrawingSettingCollection::CreateDrawingSetting(BSTR Name, float PenWidth, Colors PenColor,
                                                             Colors BrushColor, LONG PenTypeID, LONG LayerID,
                                                             VARIANT_BOOL ShowGrid, float GridXSpace, float GridYSpace,
                                                             VARIANT_BOOL SnapToGrid, float SnapXSpace,
                                                             float SnapYSpace, float SnapBaseX, float SnapBaseY,
                                                             float LineTypeScale, float HatchPatternScale,
                                                             float ImageScale, VARIANT_BOOL OrthoMode)
{
    return Guarded([&]() -> HRESULT {
        if (!m_control)
            return E_FAIL;
        const std::string name = ycom::WideToAnsi(Name);
        CDrawingSettingRecord* setting = m_control->GetDrawingSettingMap().CreateSetting(
            name.c_str(), PenWidth, static_cast<DWORD>(PenColor), static_cast<DWORD>(BrushColor), PenTypeID, LayerID,
            ShowGrid != 0 ? 1 : 0, GridXSpace, GridYSpace, SnapToGrid != 0 ? 1 : 0, SnapXSpace, SnapYSpace, SnapBaseX,
            SnapBaseY, LineTypeScale, HatchPatternScale, ImageScale, OrthoMode == VARIANT_TRUE ? 1 : 0, *m_control);
        if (!setting)
            return E_FAIL;
        m_control->SetModified();
        if (CUndoRecorder* recorder = m_control->GetUndoRecorder())
            recorder->RecordDrawingSetting(kUndoCreate, setting, false);
        return S_OK;
    });
}
STDMETHODIMP CDrawingSettingCollection::get_Item(LONG Index, IDrawingSetting** pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!m_control)
            return E_FAIL;
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        const auto& settings = m_control->GetDrawingSettingMap().Settings();
        if (Index < 1 || static_cast<size_t>(Index) > settings.size())
            return S_FALSE;
        return HandOut(std::next(settings.begin(), Index - 1)->second.get(), pVal);
    });
}
STDMETHODIMP CDrawingSettingCollection::get_ItemByID(LONG ID, IDrawingSetting** pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!m_control)
            return S_FALSE;
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        CDrawingSettingRecord* setting = m_control->GetDrawingSettingMap().FindByID(ID);
        return setting ? HandOut(setting, pVal) : S_OK;
    });
}
