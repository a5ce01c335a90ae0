#include "automation/LinkedPointCollection.h"

// ILinkedPointCollection
// Linking and unlinking go through the control's LinkPoint and UnlinkPoint (event, undo, redraw),
// which the control's operations by ID bring; until then both answer E_NOTIMPL after their own
// checks.
STDMETHODIMP CLinkedPointCollection::AddPoint(LONG)
{
    return Guarded([&]() -> HRESULT { return Owner() ? E_NOTIMPL : S_FALSE; });
}
STDMETHODIMP CLinkedPointCollection::DeleteByID(LONG)
{
    return Guarded([&]() -> HRESULT { return Owner() ? E_NOTIMPL : S_FALSE; });
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
