#include "automation/AttributeTypeCollection.h"

// IAttributeTypeCollection
STDMETHODIMP CAttributeTypeCollection::get_Item(LONG, IAttributeType **) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeCollection::get_ItemByID(LONG, IAttributeType **) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeCollection::get_ItemByDatabaseID(LONG, IAttributeType **) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeCollection::AddAttributeType(IAttributeType *) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeCollection::CreateAttributeType(LONG, LONG, BSTR, BSTR, BSTR, IAttributeType **) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeCollection::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CAttributeTypeCollection::DeleteByDatabaseID(LONG) { return E_NOTIMPL; }
