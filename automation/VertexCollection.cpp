#include "automation/VertexCollection.h"

// IVertexCollection
STDMETHODIMP CVertexCollection::AddVertex(LONG, LONG, float, LONG, LONG, BSTR, float, float, LONG, LONG, LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CVertexCollection::AddNewVertex(LONG, float, float, float, LONG, LONG, BSTR, float, float, LONG, LONG, LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CVertexCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CVertexCollection::DeleteByDatabaseID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CVertexCollection::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CVertexCollection::DeleteByPointID(LONG) { return E_NOTIMPL; }
