#include "automation/Site.h"
#include "automation/Module.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "com/HResult.h"
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>
#include "com/AnsiText.h"
#include "com/Owners.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include "model/LinkedPointMap.h"
#include "model/PenCache.h"
#include "model/Shape.h"

namespace {

// The file version of a module from its version resource (ID 1): (major << 16 | minor) and
// (build << 16 | revision). E_POINTER when the module has no version resource, E_ACCESSDENIED
// when it cannot be read or holds no fixed file information.
HRESULT ModuleFileVersion(HMODULE module, DWORD* ms, DWORD* ls)
{
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
    if (!res)
        return E_POINTER;
    HGLOBAL data = LoadResource(module, res);
    const BYTE* block = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
    const DWORD size = SizeofResource(module, res);
    if (!block || size < 6)
        return E_ACCESSDENIED;
    // The block's stated length bounds the search; the fixed information follows the key
    // "VS_VERSION_INFO" on a 16-bit step and starts with its signature.
    const DWORD length = block[0] | (block[1] << 8);
    const DWORD end = length < size ? length : size;
    static const wchar_t key[] = L"VS_VERSION_INFO";
    const DWORD start = 6 + sizeof(key);
    for (DWORD pos = start; pos + sizeof(VS_FIXEDFILEINFO) <= end; pos += 2) {
        DWORD signature;
        memcpy(&signature, block + pos, sizeof(signature));
        if (signature != 0xFEEF04BD)
            continue;
        VS_FIXEDFILEINFO info;
        memcpy(&info, block + pos, sizeof(info));
        *ms = info.dwFileVersionMS;
        *ls = info.dwFileVersionLS;
        return S_OK;
    }
    return E_ACCESSDENIED;
}

// Whether `value` is the handle of a module loaded in this process; a number from a client is
// never used as a module before this holds.
bool IsLoadedModule(ULONG_PTR value)
{
    HMODULE found = nullptr;
    return value && GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                       reinterpret_cast<LPCWSTR>(value), &found) &&
           reinterpret_cast<ULONG_PTR>(found) == value;
}

} // namespace

HRESULT CSite::Attached()
{
    // A site kept past its control's life finds it gone from the live controls and answers as
    // an unattached one.
    if (m_control && !CYVEXControl::FromHandle(reinterpret_cast<LONG_PTR>(m_control)))
        m_control = nullptr;
    return m_control ? S_OK : E_ACCESSDENIED;
}

void CSite::SetControlFlag(DWORD flag, bool on)
{
    const DWORD flags = m_control->GetControlFlags();
    m_control->SetControlFlags(on ? (flags | flag) : (flags & ~flag));
}

// A new collection of the site, attached to the control with the values its class expects. With
// ignoreInit the collection is handed out whatever its attaching answered.
HRESULT CSite::NewCollection(const CLSID& clsid, const IID& iid, LONG_PTR lParam, LONG_PTR wParam, bool ignoreInit,
                             void** out)
{
    *out = nullptr;
    ycom::ComPtr<_IReadOnlyCollection> created;
    RETURN_IF_FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                      iid, created.PutVoid()));
    const HRESULT hr = created->_Init(m_control->Handle(), lParam, wParam);
    if (FAILED(hr) && !ignoreInit)
        return hr;
    *out = created.Detach();
    return S_OK;
}

// ISite
STDMETHODIMP CSite::CreateBlock(BSTR BlockName, LONG *pBlockID, LONG ShapeID, LONG *pNewRefID, float PickPointX,
                                float PickPointY, VARIANT_BOOL bReplace)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        return m_control->CreateBlock(BlockName, pBlockID, ShapeID, pNewRefID, PickPointX, PickPointY,
                                      bReplace != VARIANT_FALSE);
    });
}
STDMETHODIMP CSite::_Init(LONG_PTR newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        return CYVEXControl::ResolveHandle(newVal, &m_control);
    });
}
STDMETHODIMP CSite::Clear()
{
    // The emptied site differs from the one stored: it is marked modified once it is empty.
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        // A load or save on its worker holds the drawing.
        if (!m_control->IsIdle())
            return m_control->AnswerInProgress();
        m_control->SetModified();
        m_control->ClearSite();
        m_control->SetModified();
        return S_OK;
    });
}
STDMETHODIMP CSite::Draw(LONG_PTR hdc, LONG Left, LONG Top, LONG Right, LONG Bottom)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT { return DrawEx(hdc, Left, Top, Right, Bottom, 0, 0); });
}
STDMETHODIMP CSite::DrawEx(LONG_PTR hdc, LONG Left, LONG Top, LONG Right, LONG Bottom, LONG drawMode, LONG)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        // A number from a client is drawn into only when it is a device context.
        HDC dc = reinterpret_cast<HDC>(hdc);
        if (!dc || !GetObjectType(dc))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        return m_control->DrawToDC(dc, Left, Top, Right, Bottom, drawMode);
    });
}
STDMETHODIMP CSite::ExportMetafile(LONG ShapeID, BSTR FileName)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        const std::string name = ycom::WideToAnsi(FileName);
        return m_control->ExportMetafile(ShapeID, FileName ? name.c_str() : nullptr);
    });
}
STDMETHODIMP CSite::IsZoomingByWindow(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->IsZoomingByWindow() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}
STDMETHODIMP CSite::IsEditingBlock(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->IsBlockEditing() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}
STDMETHODIMP CSite::get_ShapePropertyWindowState(LONG* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        if (!pVal)
            return E_ACCESSDENIED;
        *pVal = m_control->IsShapePropertyWindowVisible() ? 1 : 0;
        return S_OK;
    });
}
STDMETHODIMP CSite::ResetAttributeProperties(LONG ShapeID, LONG PropertyMask)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        CShape* shape = m_control->FindShape(ShapeID);
        if (!shape)
            return E_INVALIDARG;
        return m_control->ResetAttributeProperties(shape, PropertyMask, true, true) > 0 ? S_OK : E_FAIL;
    });
}

STDMETHODIMP CSite::get_DraftLeft(double* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().GetDraftLimits().left;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_DraftLeft(double newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        CRealRect r = m_control->GetSiteRecord().GetDraftLimits();
        r.left = static_cast<float>(newVal);
        m_control->GetSiteRecord().SetDraftLimits(r);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_DraftTop(double* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().GetDraftLimits().top;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_DraftTop(double newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        CRealRect r = m_control->GetSiteRecord().GetDraftLimits();
        r.top = static_cast<float>(newVal);
        m_control->GetSiteRecord().SetDraftLimits(r);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_DraftRight(double* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().GetDraftLimits().right;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_DraftRight(double newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        CRealRect r = m_control->GetSiteRecord().GetDraftLimits();
        r.right = static_cast<float>(newVal);
        m_control->GetSiteRecord().SetDraftLimits(r);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_DraftBottom(double* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().GetDraftLimits().bottom;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_DraftBottom(double newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        CRealRect r = m_control->GetSiteRecord().GetDraftLimits();
        r.bottom = static_cast<float>(newVal);
        m_control->GetSiteRecord().SetDraftLimits(r);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_GridLeft(double* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().GetGridLimits().left;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_GridLeft(double newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        CRealRect r = m_control->GetSiteRecord().GetGridLimits();
        r.left = static_cast<float>(newVal);
        m_control->GetSiteRecord().SetGridLimits(r);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_GridTop(double* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().GetGridLimits().top;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_GridTop(double newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        CRealRect r = m_control->GetSiteRecord().GetGridLimits();
        r.top = static_cast<float>(newVal);
        m_control->GetSiteRecord().SetGridLimits(r);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_GridRight(double* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().GetGridLimits().right;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_GridRight(double newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        CRealRect r = m_control->GetSiteRecord().GetGridLimits();
        r.right = static_cast<float>(newVal);
        m_control->GetSiteRecord().SetGridLimits(r);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_GridBottom(double* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().GetGridLimits().bottom;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_GridBottom(double newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        CRealRect r = m_control->GetSiteRecord().GetGridLimits();
        r.bottom = static_cast<float>(newVal);
        m_control->GetSiteRecord().SetGridLimits(r);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_Name(BSTR* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        const std::string& name = m_control->GetSiteRecord().GetName();
        *pVal = nullptr;
        if (!name.empty())
            RETURN_IF_NULL_ALLOC(*pVal = SysAllocString(AnsiToWide(name.c_str())));
        return S_OK;
    });
}

STDMETHODIMP CSite::put_Name(BSTR newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        m_control->GetSiteRecord().SetName(newVal ? WideToAnsi(newVal) : "");
        m_control->SetModified();
        return S_OK;
    });
}

STDMETHODIMP CSite::get_Measurement(LONG* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().measurement;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_Measurement(LONG newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        m_control->GetSiteRecord().measurement = newVal;
        m_control->SetModified();
        return S_OK;
    });
}

STDMETHODIMP CSite::get_LinePatternScale(double* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetPenCache().GetZoomFactor();
        return S_OK;
    });
}

STDMETHODIMP CSite::put_LinePatternScale(double newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        // A scale this close to 0 collapses every pattern.
        if (std::fabs(newVal) < 1e-6)
            return E_INVALIDARG;
        m_control->GetSiteRecord().lineTypeScale = static_cast<float>(newVal);
        m_control->GetPenCache().SetZoomFactor(newVal);
        m_control->SetModified();
        return S_OK;
    });
}

STDMETHODIMP CSite::get_ImageScale(double* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().GetImageScale();
        return S_OK;
    });
}

STDMETHODIMP CSite::put_ImageScale(double newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        m_control->GetSiteRecord().SetImageScale(static_cast<float>(newVal));
        m_control->SetModified();
        return S_OK;
    });
}

STDMETHODIMP CSite::GetLinkedPointShape(LONG linkedPointID, LONG* pShapeID)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pShapeID);
        RETURN_IF_FAILED(Attached());
        int shapeId = 0;
        const bool found = m_control->GetLinkedPointMap().FindShape(linkedPointID, &shapeId);
        *pShapeID = found ? shapeId : 0;
        return found ? S_OK : S_FALSE;
    });
}

STDMETHODIMP CSite::get_ReadOnly(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->IsReadOnly() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_ReadOnly(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        m_control->SetReadOnly(newVal != VARIANT_FALSE);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_Shapes(IShapeCollection** pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        RETURN_IF_FAILED(Attached());
        ycom::ComPtr<IReadOnlyShapeCollection> created;
        RETURN_IF_FAILED(CoCreateInstance(CLSID_GlobalShapeCollection, nullptr,
                                          CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                          IID_IReadOnlyShapeCollection, created.PutVoid()));
        RETURN_IF_FAILED(created->_Init(m_control->Handle(), reinterpret_cast<LONG_PTR>(&m_control->GetShapeMap()), 0));
        return created->QueryInterface(IID_IShapeCollection, reinterpret_cast<void**>(pVal));
    });
}

STDMETHODIMP CSite::get_UnitID(LONG* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetSiteRecord().GetUnitId();
        return S_OK;
    });
}

STDMETHODIMP CSite::put_UnitID(Units newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        m_control->SetModified();
        m_control->GetSiteRecord().SetUnitId(newVal);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_BadFloatValue(float* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        RETURN_IF_FAILED(Attached());
        *pVal = FLT_MAX;
        return S_OK;
    });
}

STDMETHODIMP CSite::get_SelectOnlyTopmostShape(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        // The flag, when set, turns topmost-only selection off.
        *pVal = (m_control->GetControlFlags() & controlSelectOnlyTopmostShape) ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_SelectOnlyTopmostShape(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        SetControlFlag(controlSelectOnlyTopmostShape, newVal == VARIANT_FALSE);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_SelectOnlyTopmostPolyline(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = (m_control->GetControlFlags() & controlSelectOnlyTopmostPolyline) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_SelectOnlyTopmostPolyline(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        SetControlFlag(controlSelectOnlyTopmostPolyline, newVal != VARIANT_FALSE);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_scenarioID(LONG* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetScenarioId();
        return S_OK;
    });
}

STDMETHODIMP CSite::put_scenarioID(LONG newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        m_control->SetModified();
        m_control->SetScenarioId(newVal);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_UserEditingShapeID(LONG* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = 0;
        const CEditState& edit = m_control->GetEditState();
        if (!edit.editedShape || !(edit.controlState & csUserEdit))
            return S_FALSE;
        *pVal = edit.editedShape->GetId();
        return S_OK;
    });
}

STDMETHODIMP CSite::get_ControlState(LONG* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = static_cast<LONG>(m_control->GetEditState().controlState & (csUserCreate | csUserEdit));
        return S_OK;
    });
}

STDMETHODIMP CSite::get_DirtyFlag(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->IsModified() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_DirtyFlag(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        m_control->SetModified(newVal != VARIANT_FALSE);
        return S_OK;
    });
}

STDMETHODIMP CSite::get_LineTypeName(LONG TypeID, BSTR* pDescription, BSTR* pName)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        if (!pDescription || !pName)
            return E_INVALIDARG;
        *pDescription = nullptr;
        *pName = nullptr;
        if (FAILED(Attached()))
            return E_POINTER;
        const CLineType* type = m_control->GetLineTypeMap().Find(TypeID);
        if (!type)
            return S_FALSE;
        ycom::Bstr name(AnsiToWide(type->GetName()));
        ycom::Bstr description(AnsiToWide(type->GetDescription()));
        *pName = name.Detach();
        *pDescription = description.Detach();
        return S_OK;
    });
}

STDMETHODIMP CSite::get_ControlFlags(ULONG* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        *pVal = m_control->GetControlFlags() & 0xFFFF;
        return S_OK;
    });
}

STDMETHODIMP CSite::put_ControlFlags(ULONG newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_FAILED(Attached());
        // Only the low 16 bits are the control's flags.
        m_control->SetControlFlags((m_control->GetControlFlags() & ~0xFFFFul) | (newVal & 0xFFFF));
        return S_OK;
    });
}

STDMETHODIMP CSite::GetPointShape(LONG, IShapeCollection **) { return E_NOTIMPL; }

STDMETHODIMP CSite::get_ImageResources(IImageResourceCollection** pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        return NewCollection(CLSID_ImageResourceCollection, IID_IImageResourceCollection, 0, 0, false, reinterpret_cast<void**>(pVal));
    });
}

STDMETHODIMP CSite::get_Points(IPointCollection** pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        return NewCollection(CLSID_GlobalPointCollection, IID_IPointCollection, reinterpret_cast<LONG_PTR>(&m_control->GetPointPool()), 0, false, reinterpret_cast<void**>(pVal));
    });
}

STDMETHODIMP CSite::get_Viewports(IViewportCollection** pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        return NewCollection(CLSID_ViewportCollection, IID_IViewportCollection, reinterpret_cast<LONG_PTR>(&m_control->GetViewportList()), 0, true, reinterpret_cast<void**>(pVal));
    });
}

STDMETHODIMP CSite::get_DrawingSettings(IDrawingSettingCollection** pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        return NewCollection(CLSID_DrawingSettingCollection, IID_IDrawingSettingCollection, reinterpret_cast<LONG_PTR>(&m_control->GetDrawingSettingMap()), 0, true, reinterpret_cast<void**>(pVal));
    });
}

STDMETHODIMP CSite::get_HatchPatterns(IHatchPatternCollection** pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        // A null out-pointer counts as no access here.
        if (!pVal)
            return E_ACCESSDENIED;
        RETURN_IF_FAILED(Attached());
        return NewCollection(CLSID_HatchPatternCollection, IID_IHatchPatternCollection, 0, 0, false, reinterpret_cast<void**>(pVal));
    });
}

STDMETHODIMP CSite::get_AttributeGroups(IAttributeGroupCollection** pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        return NewCollection(CLSID_AttributeGroupCollection, IID_IAttributeGroupCollection,
                             reinterpret_cast<LONG_PTR>(m_control->GetAttributeGroupMap()), 0, false, reinterpret_cast<void**>(pVal));
    });
}

STDMETHODIMP CSite::get_AttributeTypes(IAttributeTypeCollection** pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        RETURN_IF_FAILED(Attached());
        return NewCollection(CLSID_AttributeTypeCollection, IID_IAttributeTypeCollection, 0,
                             reinterpret_cast<LONG_PTR>(m_control->GetAttributeTypeMap()), false,
                             reinterpret_cast<void**>(pVal));
    });
}

// ---- the resource module, module-wide: works with or without a control ----

STDMETHODIMP CSite::get_ResourceHandle(ULONG_PTR* pVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = reinterpret_cast<ULONG_PTR>(ModuleResourceInstance());
        return S_OK;
    });
}

STDMETHODIMP CSite::put_ResourceHandle(ULONG_PTR newVal)
{
    return ycom::Guard(IID_ISite, [&]() -> HRESULT {
        HINSTANCE current = ModuleResourceInstance();
        if (newVal == reinterpret_cast<ULONG_PTR>(current))
            return S_FALSE;
        // The control's own module is never released.
        HINSTANCE release = current != ModuleInstance() ? current : nullptr;
        if (newVal == 0) {
            ModuleSetResourceInstance(ModuleInstance());
            if (release)
                FreeLibrary(release);
            return S_OK;
        }
        if (!IsLoadedModule(newVal))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        HMODULE module = reinterpret_cast<HMODULE>(newVal);
        DWORD ms = 0, ls = 0, ownMs = 0, ownLs = 0;
        RETURN_IF_FAILED(ModuleFileVersion(module, &ms, &ls));
        if (FAILED(ModuleFileVersion(ModuleInstance(), &ownMs, &ownLs)))
            return E_FAIL;
        if (ms != ownMs || ls != ownLs)
            return E_INVALIDARG;
        if (release)
            FreeLibrary(release);
        ModuleSetResourceInstance(module);
        return S_OK;
    });
}
