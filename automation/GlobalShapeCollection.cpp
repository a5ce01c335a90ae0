#include "automation/GlobalShapeCollection.h"

// IShapeCollection
STDMETHODIMP CGlobalShapeCollection::AddLine(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddEllipse(float, float, float, float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddRectangle(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddPolyline(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddPolygon(float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddImage(BSTR, float, float, float, float, VARIANT_BOOL, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddImageFromDB(LONG, float, float, float, float, VARIANT_BOOL, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddShape(LONG) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddRTFText(BSTR, float, float, float, float, Alignments, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddPlainText(BSTR, float, float, float, float, Alignments, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddArc(float, float, float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddCircle(float, float, float, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddClone(LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddChildrenClones(LONG, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddGroup(LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddLayer(BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::DeleteByID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddReference(LONG, LONG *, VARIANT_BOOL, float, float) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::AddReferenceByName(BSTR, LONG *, VARIANT_BOOL, float, float) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::MoveToHead(LONG) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::MoveToTail(LONG) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::BringToFront(LONG) { return E_NOTIMPL; }
STDMETHODIMP CGlobalShapeCollection::SendToBack(LONG) { return E_NOTIMPL; }
