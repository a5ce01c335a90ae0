#include "automation/GlobalPointCollection.h"

// _IReadOnlyCollection
STDMETHODIMP CGlobalPointCollection::_Init(LONG_PTR, LONG_PTR, LONG_PTR) { return E_NOTIMPL; }

// IPointCollection
STDMETHODIMP CGlobalPointCollection::get_Item(LONG, IPoint **) { return E_NOTIMPL; }
STDMETHODIMP CGlobalPointCollection::get_ItemByID(LONG, IPoint **) { return E_NOTIMPL; }
