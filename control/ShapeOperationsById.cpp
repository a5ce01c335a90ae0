// The operations that change the drawing by shape ID and point ID for the automation objects and
// the editing machinery: deleting shapes with what depends on them, linking points, deleting and
// moving points, moving or scaling the whole drawing, new IDs for shapes and points.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>
#include "com/HResult.h"
#include "com/MessageBoxHook.h"
#include "control/ErrorInfo.h"
#include "control/ObjectIDUndoUnit.h"
#include "control/UndoRecorder.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/LinkedPointMap.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/SelectionGroup.h"
#include "model/Shape.h"

namespace {

// The shape ID that stands for the whole drawing in OnShiftShape and OnScaleShape.
constexpr LONG kWholeDrawingId = 0x7FFFFFFF;
// The start of an owner walk.
constexpr int kFirstOwner = -100;
// The refusal of a coordinate that is not a number (NaN or infinite).
const wchar_t kNotANumber[] = L"A coordinate is not a number.";
// The IDs of the fixed groups and the prototype shapes, which never change.
constexpr int kFirstFixedId = -7;
constexpr int kLastFixedId = 11;

bool IsPolylineFamily(const CShape* shape)
{
    const int type = shape->GetShapeType();
    return type == stRectangle || type == stPolyline || type == stPolygon;
}

// The block references that show a shape (a group or a reference used as a block).
std::vector<int> ReferrerIds(CShape* shape)
{
    std::vector<int> ids;
    if (shape && shape->IsGroup())
        for (CShape* referrer : static_cast<CGroup*>(shape)->GetReferrerList())
            ids.push_back(referrer->GetId());
    return ids;
}

// An ID change in a unit of its own (opObjectID) that knows the new ID.
template <class Record>
void RecordIdChange(CUndoRecorder* recorder, int newId, Record record)
{
    if (!recorder)
        return;
    recorder->AddLeafUnit(opObjectID);
    if (record(recorder) == S_OK)
        if (auto* unit = dynamic_cast<CObjectIDUndoUnit*>(recorder->GetCurrentUnit()))
            unit->SetNewID(newId);
    // The next change starts a unit of its own.
    recorder->EndCurrentUnit(true);
}

} // namespace

// ---- the control core: deletion, owners, new IDs ----

bool CControlCore::FireDeleteShape(LONG) { return true; }

HRESULT CControlCore::DeleteShapeByID(int id, int fireEvents, int redraw)
{
    if (!IsIdle() || !AcceptsEdits())
        return S_FALSE;
    CShape* shape = FindShape(id);
    if (!shape)
        return ReportError("Shape not found.");
    // The fixed groups stay, and so does the base layer, which takes the shapes of every layer
    // that goes.
    if (m_shapeMap->IsProtected(shape) || id == BASE_LAYER || (shape->GetProtectionFlags() & sdbfDeletion))
        return S_FALSE;

    // The references that go with a block are recorded with it, so that undo brings them back.
    CUndoRecorder* recorder = GetUndoRecorder();
    if (recorder)
        recorder->OpenOperation(opDelete);
    std::vector<int> recorded = {id};
    for (size_t i = 0; i < recorded.size(); ++i) {
        CShape* item = FindShape(recorded[i]);
        if (!item)
            continue;
        if (recorder)
            recorder->RecordShape(opDelete, item, false);
        for (int referrer : ReferrerIds(item))
            if (std::find(recorded.begin(), recorded.end(), referrer) == recorded.end())
                recorded.push_back(referrer);
    }
    const size_t before = m_shapeMap->Shapes().size();
    const HRESULT hr = DeleteShapeTree(shape, fireEvents != 0, redraw != 0);
    // Committed when something went (a veto part-way still deleted the references before it).
    if (recorder)
        recorder->CloseOperation(m_shapeMap->Shapes().size() != before);
    return hr;
}

HRESULT CControlCore::DeleteShapeTree(CShape* shape, bool fireEvents, bool redraw)
{
    if (!shape)
        return E_POINTER;
    const int id = shape->GetId();
    // A block goes only after every reference that shows it: a reference left behind would show
    // freed memory. A veto on any of them keeps the block.
    for (int referrer : ReferrerIds(shape)) {
        CShape* reference = FindShape(referrer);
        if (!reference)
            continue;
        const HRESULT hr = DeleteShapeTree(reference, fireEvents, false);
        if (FAILED(hr) || hr == S_FALSE)
            return hr;
    }
    const bool events = EventsEnabled() && fireEvents;
    const bool proceed = !events || FireDeleteShape(id);
    // The host may have deleted it meanwhile.
    if (FindShape(id) != shape)
        return S_OK;
    if (!proceed) {
        if (events && redraw)
            RestartRedrawTimer(0);
        return S_FALSE;
    }
    // The window's rows hold the shapes' automation objects, which would answer for a shape that
    // is gone; it shows the selection again when the selection next changes.
    ClearPropertiesDialog();
    SetModified(true);
    CGroup* selection = GetSelectionGroup();
    auto leave = [&](CShape* item) {
        item->DetachFromParent();
        const bool wasSelected = selection && selection != item && selection->RemoveChild(item) == 0;
        m_shapeMap->DeleteShape(item);
        if (wasSelected && events)
            FireChangeSelection();
    };
    // Children one by one from the front, a group emptied before it goes. The groups are held by
    // ID and found again at every step: a host that hears OnChangeSelection may delete shapes of
    // this tree itself, the group being emptied among them.
    std::vector<int> groups;
    if (shape->IsGroup() && !m_shapeMap->IsProtected(shape))
        groups.push_back(id);
    while (!groups.empty()) {
        CShape* found = FindShape(groups.back());
        if (!found || !found->IsGroup()) {
            groups.pop_back();
            continue;
        }
        auto* group = static_cast<CGroup*>(found);
        if (group->GetShapeCount() == 0) {
            groups.pop_back();
            if (group->GetId() != id)
                leave(group);
            continue;
        }
        CShape* child = group->GetChildAt(0);
        if (child->IsGroup() && child->GetId() > 0 && static_cast<CGroup*>(child)->GetShapeCount() > 0) {
            groups.push_back(child->GetId());
            continue;
        }
        if (child->GetId() <= 0) {
            // A fixed group inside another stays where the drawing keeps it.
            group->RemoveChild(child);
            continue;
        }
        leave(child);
    }
    if (id > 0)
        if (CShape* still = FindShape(id))
            leave(still);
    SetDrawingChanged();
    if (redraw && GetControlWindow())
        RequestRedraw(rfRedrawAll, nullptr);
    if (events && redraw)
        RestartRedrawTimer(0);
    return S_OK;
}

CShape* CControlCore::FindNextPointOwner(CPointRecord* point, CShape* start)
{
    if (!point || point->GetOwners().empty())
        return nullptr;
    const CPointOwners& owners = point->GetOwners();
    auto it = owners.begin();
    if (start) {
        it = owners.find(start->GetId());
        if (it == owners.end())
            return nullptr;
        ++it;
    }
    if (it != owners.end() && *it == kFirstOwner)
        return nullptr;
    for (; it != owners.end(); ++it) {
        CShape* shape = FindShape(*it);
        if (!shape)
            continue;
        for (CPointRecord* own : shape->GetPoints())
            if (own == point)
                return shape;
    }
    return nullptr;
}

CShape* CControlCore::FindNextPointOwnerByID(CPointRecord* point, int startId)
{
    return FindNextPointOwner(point, startId == kFirstOwner ? nullptr : FindShape(startId));
}

HRESULT CControlCore::ChangeShapeID(int id, int newId)
{
    // A load or save on its worker walks the shape map and the points: nothing of theirs changes
    // meanwhile.
    if (!IsIdle())
        return AnswerInProgress();
    if (id == newId)
        return S_OK;
    if (id >= kFirstFixedId && id <= kLastFixedId)
        return E_NOTIMPL;
    // The system's IDs are never handed out.
    if (newId <= kLastFixedId)
        return E_INVALIDARG;
    CShape* shape = FindShape(id);
    if (!shape)
        return ReportError("Shape not found.");
    CGroup* parent = shape->GetParent();
    if (!parent || !parent->IsGroup())
        return ReportError("Shape is not a group.");
    if (FindShape(newId))
        return ReportError("Duplicate resource ID.");

    RecordIdChange(GetUndoRecorder(), newId, [&](CUndoRecorder* r) { return r->RecordShape(opObjectID, shape, false); });
    // The shape keeps its place: it goes back into its parent by Z order.
    parent->RemoveChild(shape);
    if (!m_shapeMap->ChangeKey(shape, newId)) {
        parent->AddChild(shape, nullptr, 0, false);
        return E_FAIL;
    }
    parent->AddChild(shape, nullptr, 0, false);
    SetModified(true);
    if (shape->IsVisible())
        RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}

HRESULT CControlCore::ChangePointID(int id, int newId)
{
    if (!IsIdle())
        return AnswerInProgress();
    CPointRecord* point = m_pointPool->Find(id);
    if (!point)
        return ReportError("Point not found.");
    if (id == newId)
        return S_OK;
    if (newId < 1 || m_pointPool->Find(newId))
        return ReportError("Duplicate resource ID.");
    RecordIdChange(GetUndoRecorder(), newId, [&](CUndoRecorder* r) { return r->RecordPoint(opObjectID, point, false); });
    // Every list that holds the record (a shape's own points and linked points) follows it to its
    // new place, and so does the index of linked points.
    const CPointOwners owners = point->GetOwners();
    CPointRecord* moved = m_pointPool->ChangeId(id, newId, [&](CPointRecord* from, CPointRecord* to) {
        for (int owner : owners) {
            CShape* shape = FindShape(owner);
            if (!shape)
                continue;
            shape->ReplacePointRecord(from, to);
            // A polyline's vertex records hold the record too: the old one is freed next.
            if (auto* polyline = dynamic_cast<CPolyline*>(shape))
                for (int i = 0; CVertexRecord* vertex = polyline->GetVertexAt(i); ++i)
                    if (vertex->GetPoint() == from)
                        vertex->SetPoint(to);
        }
    });
    if (!moved)
        return E_FAIL;
    for (int owner : owners) {
        if (m_linkedPoints->Remove(id, owner) == 0)
            continue;
        m_linkedPoints->Insert(newId, owner);
    }
    SetModified(true);
    return S_OK;
}

// ---- the control: points and the whole drawing ----

HRESULT CYVEXControl::CreatePoint(float* x, float* y, LONG* pointId)
{
    if (!x || !y || !pointId)
        return E_POINTER;
    // A coordinate that is no number would poison every bound and every stored row.
    if (!std::isfinite(*x) || !std::isfinite(*y))
        return ReportComErrorW(CLSID_YVEXControl, kNotANumber, E_INVALIDARG);
    const int id = CControlCore::CreatePoint(*x, *y);
    if (!id)
        return E_OUTOFMEMORY;
    *pointId = id;
    GrowDraftLimits(id, true);
    return S_OK;
}

HRESULT CYVEXControl::LookUpShapeAndPoint(int shapeId, int pointId, CShape** shape, CPointRecord** point)
{
    *shape = FindShape(shapeId);
    if (!*shape)
        return ReportError("Shape not found.");
    *point = GetPointPool().Find(pointId);
    if (!*point)
        return ReportError("Point not found.");
    return S_OK;
}

HRESULT CYVEXControl::LinkPoint(int shapeId, int pointId)
{
    if (!IsIdle())
        return AnswerInProgress();
    CShape* shape;
    CPointRecord* point;
    RETURN_IF_FAILED(LookUpShapeAndPoint(shapeId, pointId, &shape, &point));
    if (shape->GetLinkedPoints().IndexOf(pointId) >= 0)
        return S_FALSE;
    if (EventsEnabled() && !FireLinkPoint(shapeId, pointId))
        return S_FALSE;
    if (CUndoRecorder* recorder = GetUndoRecorder())
        if (recorder->ShouldRecordPoint(point))
            recorder->RecordPoint(opShapePoint, point, false);
    // The shape's answer is "linked" (1) also when it links anew: linked is S_OK here.
    if (shape->LinkPoint(pointId) && shape->GetLinkedPoints().IndexOf(pointId) >= 0) {
        SetModified(true);
        return S_OK;
    }
    return S_FALSE;
}

HRESULT CYVEXControl::UnlinkPoint(int shapeId, int pointId)
{
    if (!IsIdle())
        return AnswerInProgress();
    CShape* shape;
    CPointRecord* point;
    RETURN_IF_FAILED(LookUpShapeAndPoint(shapeId, pointId, &shape, &point));
    if (shape->GetLinkedPoints().IndexOf(pointId) < 0)
        return S_FALSE;
    if (EventsEnabled() && !FireUnlinkPoint(shapeId, pointId))
        return S_FALSE;
    if (CUndoRecorder* recorder = GetUndoRecorder())
        if (recorder->ShouldRecordPoint(point))
            recorder->RecordPoint(opShapePoint, point, false);
    const int result = shape->UnlinkPoint(pointId);
    if (result == 0)
        SetModified(true);
    return result == 0 ? S_OK : S_FALSE;
}

HRESULT CYVEXControl::DeleteShapePoint(int shapeId, int pointId, const char* notThatKind)
{
    CShape* shape;
    CPointRecord* point;
    RETURN_IF_FAILED(LookUpShapeAndPoint(shapeId, pointId, &shape, &point));
    if (!IsPolylineFamily(shape))
        return ReportError(notThatKind);
    if (shape->GetPoints().IndexOf(pointId) < 0)
        return S_FALSE;
    // The last holder of the point deletes it; a point others still hold only leaves this shape.
    const int kind = point->GetUseCount() >= 2 ? opShapePoint : opDelete;
    if (CUndoRecorder* recorder = GetUndoRecorder())
        if (recorder->ShouldRecordPoint(point))
            recorder->RecordPoint(kind, point, false);
    const int removed = shape->RemovePointById(pointId, false, 0);
    if (removed <= 0)
        return S_FALSE;
    SetModified(true);
    RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}

HRESULT CYVEXControl::DeletePolylinePoint(int shapeId, int pointId)
{
    // A worker loading or saving the drawing walks the same point lists.
    if (!IsIdle())
        return AnswerInProgress();
    return DeleteShapePoint(shapeId, pointId, "Shape is not a polyline.");
}

HRESULT CYVEXControl::DeletePolygonPoint(int shapeId, int pointId)
{
    if (!IsIdle())
        return AnswerInProgress();
    return DeleteShapePoint(shapeId, pointId, "Shape is not a polygon.");
}

HRESULT CYVEXControl::AddPolylinePoint(int shapeId, int pointId, int index)
{
    if (!IsIdle())
        return AnswerInProgress();
    CShape* shape;
    CPointRecord* point;
    RETURN_IF_FAILED(LookUpShapeAndPoint(shapeId, pointId, &shape, &point));
    if (!IsPolylineFamily(shape))
        return ReportError("Shape is not a polyline.");
    if (shape->GetPoints().IndexOf(pointId) >= 0)
        return S_FALSE;
    CUndoRecorder* recorder = GetUndoRecorder();
    if (recorder) {
        recorder->OpenOperation(opShapePoint);
        if (recorder->ShouldRecordPoint(point))
            recorder->RecordPoint(opShapePoint, point, false);
    }
    // The interface counts from 1; 0 and below append.
    const HRESULT hr = shape->AddPointById(pointId, index >= 1 ? index - 1 : CShape::kAppend, false);
    if (recorder)
        recorder->CloseOperation(hr == S_OK);
    if (hr != S_OK)
        return hr;
    SetModified(true);
    RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}

HRESULT CYVEXControl::ShiftPoint(int pointId, float* dx, float* dy)
{
    if (!dx || !dy)
        return E_POINTER;
    if (!IsIdle())
        return AnswerInProgress();
    if (!std::isfinite(*dx) || !std::isfinite(*dy))
        return ReportComErrorW(CLSID_YVEXControl, kNotANumber, E_INVALIDARG);
    CPointRecord* point = GetPointPool().Find(pointId);
    if (!point)
        return ReportError("Point not found.");
    if (EventsEnabled() && !FireShiftPoint(pointId))
        return S_FALSE;
    CUndoRecorder* recorder = GetUndoRecorder();
    bool recorded = false;
    if (recorder && recorder->ShouldRecordPoint(point))
        recorded = recorder->RecordPoint(opMove, point, false) == S_OK;
    const CRealPoint old = *point;
    point->x += *dx;
    point->y += *dy;
    CShape::NoteAnyGeometryChange();
    if (!PropagatePointMove(this, nullptr, kNoOwnerId, point)) {
        // A linked shape refused: the point and the shapes that already followed go back.
        point->x = old.x;
        point->y = old.y;
        PropagatePointMove(this, nullptr, kNoOwnerId, point);
        if (recorded)
            recorder->DiscardCurrentUnit();
        return E_ACCESSDENIED;
    }
    SetModified(true);
    SetPendingRedraw(rfRedrawAll);
    if (m_hWnd)
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return S_OK;
}

template <class Change>
HRESULT CYVEXControl::TransformDrawing(bool proceed, Change change)
{
    CUndoRecorder* recorder = GetUndoRecorder();
    if (!proceed) {
        if (recorder)
            recorder->CloseOperation(false);
        return S_FALSE;
    }
    // Only the pool's points move: the shapes follow through their point references.
    CPointPool& pool = GetPointPool();
    std::vector<int> ids;
    ids.reserve(pool.GetCount());
    for (const auto& entry : pool.Points())
        ids.push_back(entry.first);
    for (int id : ids) {
        CPointRecord* point = pool.Find(id);
        if (!point)
            continue;
        if (recorder && recorder->ShouldRecordPoint(point))
            recorder->RecordPoint(opScale, point, false);
        change(*point);
    }
    if (recorder)
        recorder->CloseOperation(true);
    SetModified(true);
    SetDrawingChanged();
    RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}

HRESULT CYVEXControl::ShiftDrawing(float* dx, float* dy)
{
    if (!dx || !dy)
        return E_POINTER;
    if (CUndoRecorder* recorder = GetUndoRecorder())
        recorder->OpenOperation(opScale);
    const bool proceed = !EventsEnabled() || FireShiftShape(kWholeDrawingId, dx, dy);
    const float x = *dx, y = *dy;
    return TransformDrawing(proceed, [&](CPointRecord& p) {
        p.x += x;
        p.y += y;
    });
}

HRESULT CYVEXControl::ScaleDrawing(float* xc, float* yc, float* kx, float* ky)
{
    if (!xc || !yc || !kx || !ky)
        return E_POINTER;
    if (CUndoRecorder* recorder = GetUndoRecorder())
        recorder->OpenOperation(opScale);
    const bool proceed = !EventsEnabled() || FireScaleShape(kWholeDrawingId, xc, yc, kx, ky);
    const float cx = *xc, cy = *yc, sx = *kx, sy = *ky;
    return TransformDrawing(proceed, [&](CPointRecord& p) {
        p.x = (p.x - cx) * sx + cx;
        p.y = (p.y - cy) * sy + cy;
    });
}

HRESULT CYVEXControl::DumpMaps()
{
    std::string text = "\nPoint Map\n";
    char line[160];
    for (const auto& entry : GetPointPool().Points()) {
        const CPointRecord& p = entry.second;
        std::snprintf(line, sizeof line, "\tPointID = %d, x = %6.2f, y = %6.2f, ref = %ld", p.GetPointId(), p.x, p.y,
                      static_cast<long>(p.GetUseCount()));
        text += line;
        text += "\n";
    }
    text += "\nShape Map\n";
    for (const auto& entry : GetShapeMap().Shapes()) {
        std::string description;
        entry.second->DumpDebugText(description);
        text += description;
        text += "\n";
    }
    ycom::ShowMessageBox(m_hWnd, text.c_str(), "", MB_OK);
    return S_OK;
}
