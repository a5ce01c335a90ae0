#include "automation/Vertex.h"

// IVertex
STDMETHODIMP CVertex::get_ID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_DatabaseID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_DatabaseID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_Name(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_Name(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_Flags(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_Flags(LONG) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_PenColor(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_PenColor(LONG) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_LinePatternID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_LinePatternID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_StartWidth(float *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_StartWidth(float) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_EndWidth(float *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_EndWidth(float) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_Bulge(float *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_Bulge(float) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_PointID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_Length(float *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::_Init(LONG_PTR) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_Radius(float *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_Radius(float) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_X(float *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_X(float) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_Y(float *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_Y(float) { return E_NOTIMPL; }
STDMETHODIMP CVertex::get_Tag(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CVertex::put_Tag(LONG) { return E_NOTIMPL; }
