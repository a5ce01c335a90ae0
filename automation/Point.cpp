#include "automation/Point.h"

// IPoint
STDMETHODIMP CPoint::get_ID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPoint::put_ID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPoint::_Init(LONG_PTR, LONG_PTR) { return E_NOTIMPL; }
STDMETHODIMP CPoint::get_X(float *) { return E_NOTIMPL; }
STDMETHODIMP CPoint::get_Y(float *) { return E_NOTIMPL; }
STDMETHODIMP CPoint::put_X(float) { return E_NOTIMPL; }
STDMETHODIMP CPoint::put_Y(float) { return E_NOTIMPL; }
STDMETHODIMP CPoint::Shift(LONG, float *, float *) { return E_NOTIMPL; }
STDMETHODIMP CPoint::get_DatabaseID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPoint::put_DatabaseID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPoint::get_OwnerID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPoint::GetNextOwnerID(LONG, LONG *) { return E_NOTIMPL; }
