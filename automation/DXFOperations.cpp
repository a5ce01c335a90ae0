#include "automation/DXFOperations.h"
#include "com/Guard.h"
#include "control/YVEXControl.h"

// IDXFOperations
STDMETHODIMP CDXFOperations::SaveDXF(BSTR, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDXFOperations::LoadDXF(BSTR, LONG) { return E_NOTIMPL; }
STDMETHODIMP CDXFOperations::IsModified(VARIANT_BOOL *pVal)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        if (!m_control)
            return E_ACCESSDENIED;
        return m_control->IsModifiedAsVariant(pVal);
    });
}
STDMETHODIMP CDXFOperations::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        return CYVEXControl::ResolveHandle(newVal, &m_control);
    });
}
STDMETHODIMP CDXFOperations::SaveDXFEx(BSTR, LONG) { return E_NOTIMPL; }
STDMETHODIMP CDXFOperations::SaveShape(BSTR, LONG) { return E_NOTIMPL; }
STDMETHODIMP CDXFOperations::LoadShape(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CDXFOperations::get_SaveAsBinary(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDXFOperations::put_SaveAsBinary(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDXFOperations::get_BinaryDXFOpened(VARIANT_BOOL *) { return E_NOTIMPL; }
