#include "automation/YVEXPrint.h"
#include "control/YVEXControl.h"

// IYVEXPrint
STDMETHODIMP CYVEXPrint::PrintSite(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::PageSetup() { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::RestorePrinterSettings(LONG_PTR) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::StorePrinterSettings(LONG_PTR) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::DrawSiteMetafile(BSTR, LONG_PTR *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::PrintSiteMetafile(LONG_PTR, LONG_PTR, LONG_PTR) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::get_PrintType(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::put_PrintType(LONG) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::GetPrintRect(float *, float *, float *, float *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::PutPrintRect(float, float, float, float) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::GetPrintOffset(float *, float *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::PutPrintOffset(float, float) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::get_PrintCentered(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::put_PrintCentered(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::get_PrintScale(float *) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::put_PrintScale(float) { return E_NOTIMPL; }
STDMETHODIMP CYVEXPrint::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IYVEXPrint, [&]() -> HRESULT {
        return CYVEXControl::ResolveHandle(newVal, &m_control);
    });
}
