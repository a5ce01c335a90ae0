#include "automation/Attribute.h"

// IAttribute
STDMETHODIMP CAttribute::get_Value(VARIANT *) { return E_NOTIMPL; }
STDMETHODIMP CAttribute::put_Value(VARIANT) { return E_NOTIMPL; }
