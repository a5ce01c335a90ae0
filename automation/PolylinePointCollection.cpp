#include "automation/PolylinePointCollection.h"
#include "control/UndoRecorder.h"

namespace {
// Undo kind (YVEXOperation) of a point made.
constexpr int kUndoCreate = 4;
} // namespace

// IPolylinePointCollection
// Inserting an existing point and removing one go through the control's polyline point
// operations, which check the shape and the point and record the change for undo.
STDMETHODIMP CPolylinePointCollection::AddPoint(LONG Index, LONG PointID)
{
    return Guarded([&]() -> HRESULT {
        // A load or save on its worker holds the shapes: not even looked at meanwhile.
        if (m_yvex && !m_yvex->IsIdle())
            return m_yvex->RefuseWhileBusy();
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
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(PointID);
        *PointID = 0;
        CShape* owner = Owner();
        if (!owner)
            return S_FALSE;
        CPointPool& pool = m_yvex->GetPointPool();
        int id = 0;
        CPointRecord* point = pool.AddPoint(X, Y, &id);
        if (!point)
            return S_FALSE;
        m_yvex->SetModified();
        const HRESULT hr = owner->AddPointById(id, Index - 1, false);
        if (hr != S_OK) {
            // A point the polyline refused would stay in the pool with no user.
            pool.DeletePoint(id, owner->GetId());
            return hr;
        }
        *PointID = id;
        if (CUndoRecorder* recorder = m_yvex->GetUndoRecorder(); recorder && recorder->ShouldRecordShape(owner))
            recorder->RecordPoint(kUndoCreate, pool.Find(id), false);
        return hr;
    });
}
