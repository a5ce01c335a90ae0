#include "automation/PolylinePointCollection.h"

// IPolylinePointCollection
STDMETHODIMP CPolylinePointCollection::AddPoint(LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CPolylinePointCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPolylinePointCollection::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPolylinePointCollection::AddNewPoint(LONG, LONG *, float, float) { return E_NOTIMPL; }
