#include "automation/AttributeGroup.h"

// IAttributeGroup
STDMETHODIMP CAttributeGroup::get_Name(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CAttributeGroup::put_Name(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CAttributeGroup::get_AttributeTypes(IAttributeTypeCollection **) { return E_NOTIMPL; }
STDMETHODIMP CAttributeGroup::get_ParentGroup(IAttributeGroup **) { return E_NOTIMPL; }
STDMETHODIMP CAttributeGroup::put_ParentGroup(IAttributeGroup *) { return E_NOTIMPL; }
