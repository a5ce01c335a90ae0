#include "automation/AttributeGroupCollection.h"

// IAttributeGroupCollection
STDMETHODIMP CAttributeGroupCollection::CreateAttributeGroup(LONG, LONG, BSTR, IAttributeGroup **) { return E_NOTIMPL; }
