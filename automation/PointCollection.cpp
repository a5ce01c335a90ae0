#include "automation/PointCollection.h"

// _IReadOnlyCollection
STDMETHODIMP CPointCollection::_Init(LONG_PTR, LONG_PTR, LONG_PTR) { return E_NOTIMPL; }

// IPointCollection
STDMETHODIMP CPointCollection::get_Item(LONG, IPoint **) { return E_NOTIMPL; }
STDMETHODIMP CPointCollection::get_ItemByID(LONG, IPoint **) { return E_NOTIMPL; }
