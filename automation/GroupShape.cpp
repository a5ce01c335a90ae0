#include "automation/GroupShape.h"

// IGroupShape
STDMETHODIMP CGroupShape::get_Name(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CGroupShape::put_Name(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CGroupShape::UpdateReferences(updateRefType) { return E_NOTIMPL; }
STDMETHODIMP CGroupShape::Clear() { return E_NOTIMPL; }
STDMETHODIMP CGroupShape::get_References(IReadOnlyReferenceShapeCollection **) { return E_NOTIMPL; }
