#include "automation/AttributeTypeObject.h"

// IAttributeType
STDMETHODIMP CAttributeTypeObject::get_Name(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeObject::put_Name(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeObject::get_Format(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeObject::put_Format(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeObject::get_Prompt(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeObject::put_Prompt(BSTR) { return E_NOTIMPL; }
