#include "automation/HighlightGroupShape.h"

// IHighlightGroupShape
STDMETHODIMP CHighlightGroupShape::get_ShadeType(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CHighlightGroupShape::get_BlinkTimeout(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CHighlightGroupShape::get_BlinkType(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CHighlightGroupShape::get_BlinkOn(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CHighlightGroupShape::put_ShadeType(ShadeTypes) { return E_NOTIMPL; }
STDMETHODIMP CHighlightGroupShape::put_BlinkTimeout(LONG) { return E_NOTIMPL; }
STDMETHODIMP CHighlightGroupShape::put_BlinkType(BlinkTypes) { return E_NOTIMPL; }
STDMETHODIMP CHighlightGroupShape::put_BlinkOn(VARIANT_BOOL) { return E_NOTIMPL; }
