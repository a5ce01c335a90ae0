#include "automation/ReadOnlyShapeCollection.h"

// IReadOnlyShapeCollection
STDMETHODIMP CReadOnlyShapeCollection::get_Item(LONG, IShape **) { return E_NOTIMPL; }
STDMETHODIMP CReadOnlyShapeCollection::get_ItemByID(LONG, IShape **) { return E_NOTIMPL; }
STDMETHODIMP CReadOnlyShapeCollection::get_ItemByDatabaseID(LONG, IShape **) { return E_NOTIMPL; }
STDMETHODIMP CReadOnlyShapeCollection::get_HitShapeCollection(double, double, IReadOnlyShapeCollection **) { return E_NOTIMPL; }
