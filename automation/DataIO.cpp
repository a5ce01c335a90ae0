#include "automation/DataIO.h"
#include "com/Guard.h"
#include "control/YVEXControl.h"

// IDataIO
STDMETHODIMP CDataIO::Serialize(BSTR, LONG) { return E_NOTIMPL; }
STDMETHODIMP CDataIO::IsModified(VARIANT_BOOL *pVal)
{
    return ycom::Guard(IID_IDataIO, [&]() -> HRESULT {
        if (!m_control)
            return E_ACCESSDENIED;
        return m_control->IsModifiedAsVariant(pVal);
    });
}
STDMETHODIMP CDataIO::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IDataIO, [&]() -> HRESULT {
        return CYVEXControl::ResolveHandle(newVal, &m_control);
    });
}
STDMETHODIMP CDataIO::LoadBlock(BSTR, LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CDataIO::SaveBlock(BSTR, LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CDataIO::SerializeEx(BSTR, LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CDataIO::get_SaveAsBinary(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDataIO::put_SaveAsBinary(VARIANT_BOOL) { return E_NOTIMPL; }

// IDTCio
STDMETHODIMP CDataIO::LoadDTC(LONG_PTR, LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CDataIO::SaveDTC(LONG, LONG, LONG_PTR *) { return E_NOTIMPL; }
STDMETHODIMP CDataIO::ReleaseDTC(LONG_PTR) { return E_NOTIMPL; }
