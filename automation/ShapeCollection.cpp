#include "automation/ShapeCollection.h"

// IShapeCollection
STDMETHODIMP CShapeCollection::AddLine(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddEllipse(float, float, float, float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddRectangle(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddPolyline(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddPolygon(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddImage(BSTR, float, float, float, float, VARIANT_BOOL, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddImageFromDB(LONG, float, float, float, float, VARIANT_BOOL, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddShape(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddRTFText(BSTR, float, float, float, float, Alignments, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddPlainText(BSTR, float, float, float, float, Alignments, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddArc(float, float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddCircle(float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddClone(LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddChildrenClones(LONG, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddGroup(LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddLayer(BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddReference(LONG, LONG *, VARIANT_BOOL, float, float) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::AddReferenceByName(BSTR, LONG *, VARIANT_BOOL, float, float) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::MoveToHead(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::MoveToTail(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::BringToFront(LONG) { return E_NOTIMPL; }
STDMETHODIMP CShapeCollection::SendToBack(LONG) { return E_NOTIMPL; }
