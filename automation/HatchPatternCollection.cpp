#include "automation/HatchPatternCollection.h"

// _IReadOnlyCollection
STDMETHODIMP CHatchPatternCollection::_Init(LONG_PTR, LONG_PTR, LONG_PTR) { return E_NOTIMPL; }

// IHatchPatternCollection
STDMETHODIMP CHatchPatternCollection::get_Item(LONG, IHatchPattern **) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternCollection::get_ItemByID(LONG, IHatchPattern **) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternCollection::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CHatchPatternCollection::AddItem(BSTR, BSTR, LONG, LONG, LONG *) { return E_NOTIMPL; }
