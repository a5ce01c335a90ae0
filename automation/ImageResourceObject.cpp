#include "automation/ImageResourceObject.h"

// IImageResource
STDMETHODIMP CImageResourceObject::get_ID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::get_DatabaseID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::put_DatabaseID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::get_Name(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::put_Name(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::_Init(LONG_PTR, LONG_PTR) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::Save(LONG, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::SaveToFile(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::SaveToFileEx(BSTR, LONG) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::get_DefaultImageScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::put_DefaultImageScale(double) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::ConvertToBlock(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::get_Extension(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::get_ResourceType(ImageResourceTypes *) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::get_Height(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CImageResourceObject::get_Width(LONG *) { return E_NOTIMPL; }
