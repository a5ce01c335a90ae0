#include "automation/LinkedPointCollection.h"

// ILinkedPointCollection
STDMETHODIMP CLinkedPointCollection::AddPoint(LONG) { return E_NOTIMPL; }
STDMETHODIMP CLinkedPointCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CLinkedPointCollection::Delete(LONG) { return E_NOTIMPL; }
