#include "automation/MenuItem.h"

// IMenuItem
STDMETHODIMP CMenuItem::get_ItemID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CMenuItem::put_ItemID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CMenuItem::get_ItemType(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CMenuItem::put_ItemType(LONG) { return E_NOTIMPL; }
STDMETHODIMP CMenuItem::get_ItemState(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CMenuItem::put_ItemState(LONG) { return E_NOTIMPL; }
STDMETHODIMP CMenuItem::get_ItemText(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CMenuItem::put_ItemText(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CMenuItem::_Init(LONG, LONG, LONG, BSTR) { return E_NOTIMPL; }
