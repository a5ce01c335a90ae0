#include "automation/ViewportObject.h"

// IViewport
STDMETHODIMP CViewportObject::get_ViewCenterX(double *) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::put_ViewCenterX(double) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::get_ViewCenterY(double *) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::put_ViewCenterY(double) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::get_ViewHeight(double *) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::put_ViewHeight(double) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::get_ViewWidth(double *) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::put_ViewWidth(double) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::_Init(LONG_PTR, LONG_PTR) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::get_Name(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::put_Name(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::get_ID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::get_DatabaseID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::put_DatabaseID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::get_DrawingSettingID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CViewportObject::put_DrawingSettingID(LONG) { return E_NOTIMPL; }
