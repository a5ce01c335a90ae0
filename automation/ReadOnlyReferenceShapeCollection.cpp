#include "automation/ReadOnlyReferenceShapeCollection.h"

// IReadOnlyReferenceShapeCollection
STDMETHODIMP CReadOnlyReferenceShapeCollection::get_Item(LONG, IReferenceShape **) { return E_NOTIMPL; }
STDMETHODIMP CReadOnlyReferenceShapeCollection::get_ItemByID(LONG, IReferenceShape **) { return E_NOTIMPL; }
STDMETHODIMP CReadOnlyReferenceShapeCollection::get_ItemByDatabaseID(LONG, IReferenceShape **) { return E_NOTIMPL; }
STDMETHODIMP CReadOnlyReferenceShapeCollection::get_HitShapeCollection(double, double, IReadOnlyShapeCollection **) { return E_NOTIMPL; }
