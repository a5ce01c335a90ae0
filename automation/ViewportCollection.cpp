#include "automation/ViewportCollection.h"

// IViewportCollection
STDMETHODIMP CViewportCollection::get_ItemByID(LONG, IViewport **) { return E_NOTIMPL; }
STDMETHODIMP CViewportCollection::SaveViewport(LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CViewportCollection::SaveViewportTo(BSTR, LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CViewportCollection::get_Item(LONG, IViewport **) { return E_NOTIMPL; }
