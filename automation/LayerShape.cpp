#include "automation/LayerShape.h"

// ILayerShape
STDMETHODIMP CLayerShape::get_Name(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CLayerShape::get_Flags(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CLayerShape::put_Name(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CLayerShape::put_Flags(LONG) { return E_NOTIMPL; }
STDMETHODIMP CLayerShape::get_Selectable(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CLayerShape::put_Selectable(VARIANT_BOOL) { return E_NOTIMPL; }
