#pragma once
// The members of IShapeCollection shared by the shape collection classes (a group's children, the
// whole drawing and the selection). Each answers E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "automation/ReadOnlyShapeCollectionImpl.h"

template <class T>
class IShapeCollectionImpl : public IReadOnlyShapeCollectionImpl<T, IShapeCollection, &IID_IShapeCollection> {
public:
    STDMETHODIMP AddLine(float, float, float, float, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddEllipse(float, float, float, float, float, float, float, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddRectangle(float, float, float, float, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddPolyline(float, float, float, float, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddPolygon(float, float, float, float, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddImage(BSTR, float, float, float, float, VARIANT_BOOL, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddImageFromDB(LONG, float, float, float, float, VARIANT_BOOL, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddShape(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP AddRTFText(BSTR, float, float, float, float, Alignments, float, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddPlainText(BSTR, float, float, float, float, Alignments, float, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddArc(float, float, float, float, float, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddCircle(float, float, float, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddClone(LONG, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddChildrenClones(LONG, VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP AddGroup(LONG, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP AddLayer(BSTR, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteByID(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP Delete(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP AddReference(LONG, LONG *, VARIANT_BOOL, float, float) override { return E_NOTIMPL; }
    STDMETHODIMP AddReferenceByName(BSTR, LONG *, VARIANT_BOOL, float, float) override { return E_NOTIMPL; }
    STDMETHODIMP MoveToHead(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP MoveToTail(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP BringToFront(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP SendToBack(LONG) override { return E_NOTIMPL; }
};
