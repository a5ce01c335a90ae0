#include "automation/ShapeAttributeGroupCollection.h"

// IShapeAttributeGroupCollection
STDMETHODIMP CShapeAttributeGroupCollection::get_Item(LONG, IAttributeGroup **) { return E_NOTIMPL; }
STDMETHODIMP CShapeAttributeGroupCollection::get_ItemByID(LONG, IAttributeGroup **) { return E_NOTIMPL; }
STDMETHODIMP CShapeAttributeGroupCollection::get_ItemByDatabaseID(LONG, IAttributeGroup **) { return E_NOTIMPL; }
STDMETHODIMP CShapeAttributeGroupCollection::AddAttributeGroup(IAttributeGroup *) { return E_NOTIMPL; }
STDMETHODIMP CShapeAttributeGroupCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeAttributeGroupCollection::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeAttributeGroupCollection::DeleteByDatabaseID(LONG) { return E_NOTIMPL; }
