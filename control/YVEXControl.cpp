#include "control/YVEXControl.h"
#include "automation/Module.h"
#include <new>

CYVEXControl::CYVEXControl() { ModuleLock(); }

CYVEXControl::~CYVEXControl()
{
    if (m_typeInfo)
        m_typeInfo->Release();
    ModuleUnlock();
}

HRESULT CYVEXControl::CreateInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    CYVEXControl* control = new (std::nothrow) CYVEXControl();
    if (!control)
        return E_OUTOFMEMORY;
    HRESULT hr = control->QueryInterface(riid, ppv);
    control->Release();
    return hr;
}

STDMETHODIMP CYVEXControl::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IYVEXControl) {
        *ppv = static_cast<IYVEXControl*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CYVEXControl::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }

STDMETHODIMP_(ULONG) CYVEXControl::Release()
{
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP CYVEXControl::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CYVEXControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    if (!m_typeInfo) {
        HRESULT hr = ModuleGetTypeInfo(IID_IYVEXControl, &m_typeInfo);
        if (FAILED(hr))
            return hr;
    }
    m_typeInfo->AddRef();
    *info = m_typeInfo;
    return S_OK;
}

STDMETHODIMP CYVEXControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids)
{
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTypeInfo(0, lcid, &info);
    if (FAILED(hr))
        return hr;
    hr = info->GetIDsOfNames(names, count, ids);
    info->Release();
    return hr;
}

STDMETHODIMP CYVEXControl::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO* excep, UINT* argErr)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTypeInfo(0, lcid, &info);
    if (FAILED(hr))
        return hr;
    hr = info->Invoke(static_cast<IYVEXControl*>(this), id, flags, params, result, excep, argErr);
    info->Release();
    return hr;
}

// IYVEXControl members without a body yet.
STDMETHODIMP CYVEXControl::Copy() { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::Paste() { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::Cut() { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_FireEvents(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::put_FireEvents(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_RootID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::put_RootID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::Zoom(float) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::EditShape(LONG, EditShapeTypes, LONG) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::EditShapeEx(LONG, EditShapeTypes, LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_ZoomK(float *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_progress(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::EndDraw(VARIANT_BOOL, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_ContextMenu(IMenuCollection **) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::Redraw(RedrawFlags) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::DPtoWCS(float *, float *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::WCStoDP(float *, float *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::PrintSite() { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::LocateShape(LONG) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::EnableDefaultShape(ShapeTypes, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::IsDefaultShapeEnabled(ShapeTypes, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::ZoomWindow(VARIANT_BOOL, float, float, float, float) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::DisplayOptions(OptionsPageIndex) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_EnableDBImages(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::put_EnableDBImages(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_Enabled(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::put_Enabled(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_LastError(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_Site(ISite **) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::DrawShape(LONG, LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::DrawImage(LONG, LONG, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::DrawImageFromDB(LONG, LONG, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_TextEditorName(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::put_TextEditorName(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_PersistDB(IPersistDB **) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_DXFOperations(IDXFOperations **) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_Messenger(IMessenger **) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_PersistWeb(IPersistWeb **) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::ZoomAll() { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_LastErrorMessage(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::CompleteEditingBlock() { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::GroupShapes(LONG, VARIANT_BOOL, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::UnGroupShapes(LONG, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::ShapeProperties(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::ZoomShape(LONG, float) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_LockDraftLimits(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::put_LockDraftLimits(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_DataIO(IDataIO **) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::ZoomPrevious(LONG) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_DTCio(IDTCio **) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_YVEXPrint(IYVEXPrint **) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::get_RedrawEnabled(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::put_RedrawEnabled(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXControl::CanPaste(VARIANT_BOOL *) { return E_NOTIMPL; }
