#include "automation/PolylinePointCollection.h"

// IPolylinePointCollection
// Inserting an existing point and removing one go through the control's polyline point
// operations, which check the shape and the point and record the change for undo.
STDMETHODIMP CPolylinePointCollection::AddPoint(LONG Index, LONG PointID)
{
    return Guarded([&]() -> HRESULT {
        // A load or save on its worker holds the shapes: not even looked at meanwhile.
        if (m_yvex && !m_yvex->IsIdle())
            return m_yvex->AnswerInProgress();
        CShape* owner = Owner();
        if (!owner)
            return S_FALSE;
        m_yvex->SetModified();
        return m_yvex->AddPolylinePoint(owner->GetId(), PointID, Index);
    });
}
STDMETHODIMP CPolylinePointCollection::DeleteByID(LONG PointID)
{
    return Guarded([&]() -> HRESULT {
        CShape* owner = Owner();
        if (!owner)
            return S_FALSE;
        const HRESULT hr = m_yvex->DeletePolylinePoint(owner->GetId(), PointID);
        if (FAILED(hr))
            return hr;
        if (hr == S_OK)
            m_yvex->SetModified();
        RETURN_IF_FAILED(Refresh());
        return hr;
    });
}
STDMETHODIMP CPolylinePointCollection::Delete(LONG Index)
{
    return Guarded([&]() -> HRESULT {
        const int id = IdAt(Index);
        if (!id)
            return S_FALSE;
        if (m_yvex)
            m_yvex->SetModified();
        return DeleteByID(id);
    });
}
STDMETHODIMP CPolylinePointCollection::AddNewPoint(LONG Index, LONG* PointID, float X, float Y)
{
    // The control makes the point, inserts it and records both as one step; a point the shape
    // refuses does not stay behind. No immediate repaint: importers add their points one by one,
    // and the control's deferred redraw shows them together.
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(PointID);
        *PointID = 0;
        CShape* owner = Owner();
        if (!owner)
            return S_FALSE;
        return m_yvex->AddPolylinePointAt(owner->GetId(), Index, X, Y, PointID, false);
    });
}
