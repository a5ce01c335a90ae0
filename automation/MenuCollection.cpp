#include "automation/MenuCollection.h"

// _IReadOnlyCollection
STDMETHODIMP CMenuCollection::_Init(LONG_PTR, LONG_PTR, LONG_PTR) { return E_NOTIMPL; }

// IMenuCollection
STDMETHODIMP CMenuCollection::get_Item(LONG, IMenuItem **) { return E_NOTIMPL; }
STDMETHODIMP CMenuCollection::InsertItem(LONG, LONG, LONG, LONG, BSTR) { return E_NOTIMPL; }
STDMETHODIMP CMenuCollection::DeleteItem(LONG) { return E_NOTIMPL; }
STDMETHODIMP CMenuCollection::get_ItemByID(LONG, IMenuItem **) { return E_NOTIMPL; }
