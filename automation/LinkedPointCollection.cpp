#include "automation/LinkedPointCollection.h"
#include "control/UndoRecorder.h"

namespace {
// Undo kind (YVEXOperation) of a change in which shapes follow a point.
constexpr int kUndoRelations = 8;
} // namespace

// ILinkedPointCollection
// Linking and unlinking go through the control's LinkPoint and UnlinkPoint (checks, event,
// their own record of the point). The collection brackets the change in one undo operation with
// its own record of the point: a change that went through is one step to undo, and a refused
// one (vetoed, already so, or a shape or point that is not there) leaves nothing behind while the
// history before it stays. The control's answer is the collection's.
HRESULT CLinkedPointCollection::ChangeLink(LONG pointId, bool link)
{
    // A load or save on its worker holds the shapes: not even looked at meanwhile.
    if (m_yvex && !m_yvex->IsIdle())
        return m_yvex->AnswerInProgress();
    CShape* owner = Owner();
    if (!owner)
        return S_FALSE;
    CUndoRecorder* recorder = m_yvex->GetUndoRecorder();
    if (recorder) {
        recorder->OpenOperation(kUndoRelations);
        if (CPointRecord* point = m_yvex->GetPointPool().Find(pointId))
            if (recorder->ShouldRecordPoint(point) || recorder->ShouldRecordShape(owner))
                recorder->RecordPoint(kUndoRelations, point, false);
    }
    const HRESULT hr = link ? m_yvex->LinkPoint(owner->GetId(), pointId) : m_yvex->UnlinkPoint(owner->GetId(), pointId);
    if (recorder)
        recorder->CloseOperation(hr == S_OK);
    if (hr != S_OK)
        return hr;
    RETURN_IF_FAILED(Refresh());
    m_yvex->SetModified();
    return S_OK;
}
STDMETHODIMP CLinkedPointCollection::AddPoint(LONG PointID)
{
    return Guarded([&]() -> HRESULT { return ChangeLink(PointID, true); });
}
STDMETHODIMP CLinkedPointCollection::DeleteByID(LONG PointID)
{
    return Guarded([&]() -> HRESULT { return ChangeLink(PointID, false); });
}
STDMETHODIMP CLinkedPointCollection::Delete(LONG Index)
{
    return Guarded([&]() -> HRESULT {
        if (const CShapePointList* list = OwnerList(); list && static_cast<size_t>(list->GetCount()) != m_items.size())
            RETURN_IF_FAILED(Refresh());
        const int id = IdAt(Index);
        return id ? DeleteByID(id) : S_FALSE;
    });
}
