#include "automation/ReadOnlyVertexCollection.h"

// _IReadOnlyCollection
STDMETHODIMP CReadOnlyVertexCollection::_Init(LONG_PTR, LONG_PTR, LONG_PTR) { return E_NOTIMPL; }

// IReadOnlyVertexCollection
STDMETHODIMP CReadOnlyVertexCollection::get_Item(LONG, IVertex **) { return E_NOTIMPL; }
STDMETHODIMP CReadOnlyVertexCollection::get_ItemByID(LONG, IVertex **) { return E_NOTIMPL; }
STDMETHODIMP CReadOnlyVertexCollection::get_ItemByDatabaseID(LONG, IVertex **) { return E_NOTIMPL; }
STDMETHODIMP CReadOnlyVertexCollection::get_ItemByPointID(LONG, IVertex **) { return E_NOTIMPL; }
