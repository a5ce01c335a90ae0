#include "ui/Ruler.h"

// IRuler
STDMETHODIMP CRuler::SetRulerInfo(double, double, short, short, VARIANT_BOOL, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CRuler::SetRulerLimits(double, double) { return E_NOTIMPL; }
STDMETHODIMP CRuler::get_MajorMarkerLength(short *) { return E_NOTIMPL; }
STDMETHODIMP CRuler::put_MajorMarkerLength(short) { return E_NOTIMPL; }
STDMETHODIMP CRuler::get_MinorMarkerLength(short *) { return E_NOTIMPL; }
STDMETHODIMP CRuler::put_MinorMarkerLength(short) { return E_NOTIMPL; }
STDMETHODIMP CRuler::get_NumbersDistance(short *) { return E_NOTIMPL; }
STDMETHODIMP CRuler::put_NumbersDistance(short) { return E_NOTIMPL; }
STDMETHODIMP CRuler::get_HorzAligned(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CRuler::put_HorzAligned(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CRuler::get_ShowNumbers(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CRuler::put_ShowNumbers(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CRuler::get_Look3D(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CRuler::put_Look3D(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CRuler::get_Zero(double *) { return E_NOTIMPL; }
STDMETHODIMP CRuler::put_Zero(double) { return E_NOTIMPL; }
STDMETHODIMP CRuler::get_CursorPosition(double *) { return E_NOTIMPL; }
STDMETHODIMP CRuler::put_CursorPosition(double) { return E_NOTIMPL; }
