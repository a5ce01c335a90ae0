#include "automation/ImageShape.h"

// IImageShape
STDMETHODIMP CImageShape::get_Width(double *) { return E_NOTIMPL; }
STDMETHODIMP CImageShape::get_Height(double *) { return E_NOTIMPL; }
STDMETHODIMP CImageShape::get_RotationAngle(double *) { return E_NOTIMPL; }
STDMETHODIMP CImageShape::get_ImageResourceID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CImageShape::put_Width(double) { return E_NOTIMPL; }
STDMETHODIMP CImageShape::put_Height(double) { return E_NOTIMPL; }
STDMETHODIMP CImageShape::put_RotationAngle(double) { return E_NOTIMPL; }
STDMETHODIMP CImageShape::put_ImageResourceID(LONG) { return E_NOTIMPL; }
