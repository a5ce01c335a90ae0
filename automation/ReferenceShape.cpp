#include "automation/ReferenceShape.h"

// IReferenceShape
STDMETHODIMP CReferenceShape::get_XScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CReferenceShape::get_YScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CReferenceShape::get_RotationAngle(double *) { return E_NOTIMPL; }
STDMETHODIMP CReferenceShape::get_BlockGroupShapeID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CReferenceShape::put_XScale(double) { return E_NOTIMPL; }
STDMETHODIMP CReferenceShape::put_YScale(double) { return E_NOTIMPL; }
STDMETHODIMP CReferenceShape::put_RotationAngle(double) { return E_NOTIMPL; }
STDMETHODIMP CReferenceShape::put_BlockGroupShapeID(LONG) { return E_NOTIMPL; }
