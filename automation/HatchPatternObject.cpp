#include "automation/HatchPatternObject.h"

// IHatchPattern
STDMETHODIMP CHatchPatternObject::get_ID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternObject::get_DatabaseID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternObject::put_DatabaseID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternObject::get_Name(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternObject::put_Name(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternObject::get_Description(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternObject::put_Description(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternObject::get_ImageResourceID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternObject::put_ImageResourceID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternObject::_Init(LONG_PTR, LONG_PTR) { return E_NOTIMPL; }
