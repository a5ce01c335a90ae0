#include "automation/SelectedShapeCollection.h"

// IShapeCollection
STDMETHODIMP CSelectedShapeCollection::AddLine(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddEllipse(float, float, float, float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddRectangle(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddPolyline(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddPolygon(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddImage(BSTR, float, float, float, float, VARIANT_BOOL, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddImageFromDB(LONG, float, float, float, float, VARIANT_BOOL, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddShape(LONG) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddRTFText(BSTR, float, float, float, float, Alignments, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddPlainText(BSTR, float, float, float, float, Alignments, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddArc(float, float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddCircle(float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddClone(LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddChildrenClones(LONG, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddGroup(LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddLayer(BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddReference(LONG, LONG *, VARIANT_BOOL, float, float) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::AddReferenceByName(BSTR, LONG *, VARIANT_BOOL, float, float) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::MoveToHead(LONG) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::MoveToTail(LONG) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::BringToFront(LONG) { return E_NOTIMPL; }
STDMETHODIMP CSelectedShapeCollection::SendToBack(LONG) { return E_NOTIMPL; }
