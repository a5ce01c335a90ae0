#include "automation/LineShape.h"

// ILineShape
STDMETHODIMP CLineShape::get_FirstArrowTypeID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::get_SecondArrowTypeID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::put_FirstArrowTypeID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::put_SecondArrowTypeID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::get_StartX(double *) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::put_StartX(double) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::get_StartY(double *) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::put_StartY(double) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::get_EndX(double *) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::put_EndX(double) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::get_EndY(double *) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::put_EndY(double) { return E_NOTIMPL; }
STDMETHODIMP CLineShape::get_Length(double *) { return E_NOTIMPL; }
