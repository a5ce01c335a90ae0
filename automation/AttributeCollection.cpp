#include "automation/AttributeCollection.h"

// IAttributeCollection
STDMETHODIMP CAttributeCollection::get_Item(LONG, IAttribute **) { return E_NOTIMPL; }
STDMETHODIMP CAttributeCollection::get_ItemByID(LONG, IAttribute **) { return E_NOTIMPL; }
STDMETHODIMP CAttributeCollection::get_ItemByDatabaseID(LONG, IAttribute **) { return E_NOTIMPL; }
STDMETHODIMP CAttributeCollection::AddAttribute(IAttribute *) { return E_NOTIMPL; }
STDMETHODIMP CAttributeCollection::CreateAttribute(LONG, LONG, VARIANT, IAttribute **) { return E_NOTIMPL; }
STDMETHODIMP CAttributeCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CAttributeCollection::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CAttributeCollection::DeleteByDatabaseID(LONG) { return E_NOTIMPL; }
