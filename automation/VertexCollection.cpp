#include "automation/VertexCollection.h"
#include <string>
#include "com/AnsiText.h"
#include "control/UndoRecorder.h"
#include "model/PointPool.h"

namespace {
// Undo kinds (YVEXOperation) of a vertex's point.
constexpr int kUndoCreate = 4;
constexpr int kUndoDelete = 5;
constexpr int kUndoShapePoint = 7;
} // namespace

HRESULT CVertexCollection::Added(LONG indexBefore, const CVertexRecord& vertex, LONG* ID)
{
    if (indexBefore <= 0) {
        ycom::Variant item;
        if (SUCCEEDED(NewItem(vertex.vertexId, &item)))
            m_items.push_back(std::move(item));
    }
    m_yvex->SetModified();
    if (ID)
        *ID = vertex.vertexId;
    return S_OK;
}

bool CVertexCollection::RemoveVertexPoint(CPolyline* polyline, CVertexRecord* vertex)
{
    CPointRecord* point = vertex->GetPoint();
    if (!point)
        return false;
    if (CUndoRecorder* recorder = m_yvex->GetUndoRecorder(); recorder && recorder->ShouldRecordPoint(point))
        recorder->RecordPoint(point->GetUseCount() > 1 ? kUndoShapePoint : kUndoDelete, point, false);
    const size_t before = polyline->GetVertices().size();
    polyline->RemovePointById(point->GetPointId(), false, 0);
    return polyline->GetVertices().size() < before;
}

template <class F>
HRESULT CVertexCollection::DeleteWhere(F&& match)
{
    CPolyline* polyline = Polyline();
    if (!polyline)
        return E_UNEXPECTED;
    CatchUp();
    const int position = FindItem(match);
    if (position < 0)
        return E_FAIL;
    const bool removed = RemoveVertexPoint(polyline, ItemAt(position)->Find());
    m_yvex->SetModified();
    m_items.erase(m_items.begin() + position);
    return removed ? S_OK : E_FAIL;
}

// IVertexCollection
STDMETHODIMP CVertexCollection::AddVertex(LONG indexBefore, LONG PointID, float Bulge, LONG PenColor,
                                          LONG LinePatternID, BSTR Name, float StartWidth, float EndWidth, LONG Flags,
                                          LONG Tag, LONG DatabaseID, LONG* ID)
{
    return Guarded([&]() -> HRESULT {
        if (ID)
            *ID = 0;
        CPolyline* polyline = Polyline();
        if (!polyline)
            return E_UNEXPECTED;
        // A point the site does not have is refused before anything changes.
        CPointRecord* point = m_yvex->GetPointPool().Find(PointID);
        if (!point)
            return E_INVALIDARG;
        // So is one the polyline holds already: points and vertices stay one to one.
        if (polyline->GetPoints().IndexOf(PointID) >= 0)
            return E_INVALIDARG;
        CUndoRecorder* recorder = m_yvex->GetUndoRecorder();
        const bool wasUsed = point->GetUseCount() > 0;
        if (wasUsed && recorder && recorder->ShouldRecordPoint(point))
            recorder->RecordPoint(kUndoShapePoint, point, false);
        const std::string name = ycom::WideToAnsi(Name);
        CVertexRecord* vertex =
            polyline->AddVertex(indexBefore - 1, PointID, Bulge, static_cast<DWORD>(PenColor), LinePatternID,
                                name.c_str(), StartWidth, EndWidth, Flags, Tag, DatabaseID);
        if (!vertex)
            return E_FAIL;
        if (!wasUsed && recorder && vertex->GetPoint() && recorder->ShouldRecordPoint(vertex->GetPoint()))
            recorder->RecordPoint(kUndoCreate, vertex->GetPoint(), false);
        return Added(indexBefore, *vertex, ID);
    });
}
STDMETHODIMP CVertexCollection::AddNewVertex(LONG indexBefore, float X, float Y, float Bulge, LONG PenColor,
                                             LONG LinePatternID, BSTR Name, float StartWidth, float EndWidth,
                                             LONG Flags, LONG Tag, LONG DatabaseID, LONG* ID)
{
    return Guarded([&]() -> HRESULT {
        if (ID)
            *ID = 0;
        CPolyline* polyline = Polyline();
        if (!polyline)
            return E_UNEXPECTED;
        const std::string name = ycom::WideToAnsi(Name);
        CVertexRecord* vertex =
            polyline->AddNewVertex(indexBefore - 1, X, Y, Bulge, static_cast<DWORD>(PenColor), LinePatternID,
                                   name.c_str(), StartWidth, EndWidth, Flags, Tag, DatabaseID);
        if (!vertex)
            return E_FAIL;
        CUndoRecorder* recorder = m_yvex->GetUndoRecorder();
        if (recorder && vertex->GetPoint() && recorder->ShouldRecordPoint(vertex->GetPoint()))
            recorder->RecordPoint(kUndoCreate, vertex->GetPoint(), false);
        return Added(indexBefore, *vertex, ID);
    });
}
STDMETHODIMP CVertexCollection::DeleteByID(LONG VertexID)
{
    return Guarded([&]() -> HRESULT {
        return DeleteWhere([&](const CVertexRecord& v) { return v.vertexId == VertexID; });
    });
}
STDMETHODIMP CVertexCollection::DeleteByDatabaseID(LONG DatabaseID)
{
    return Guarded([&]() -> HRESULT {
        return DeleteWhere([&](const CVertexRecord& v) { return v.databaseId == DatabaseID; });
    });
}
STDMETHODIMP CVertexCollection::Delete(LONG Index)
{
    return Guarded([&]() -> HRESULT {
        CPolyline* polyline = Polyline();
        if (!polyline)
            return E_UNEXPECTED;
        CatchUp();
        CVertex* item = Index >= 1 ? ItemAt(static_cast<size_t>(Index - 1)) : nullptr;
        CVertexRecord* vertex = item ? item->Find() : nullptr;
        if (!item)
            return E_INVALIDARG;
        const bool removed = vertex && RemoveVertexPoint(polyline, vertex);
        m_yvex->SetModified();
        m_items.erase(m_items.begin() + (Index - 1));
        return removed ? S_OK : S_FALSE;
    });
}
STDMETHODIMP CVertexCollection::DeleteByPointID(LONG VertexID)
{
    return Guarded([&]() -> HRESULT {
        return DeleteWhere([&](const CVertexRecord& v) { return v.GetPoint() && v.GetPoint()->GetPointId() == VertexID; });
    });
}
