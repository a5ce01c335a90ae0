// The interactive editing state machine: one operation at a time on one shape (or on the whole
// selection, or on the zoom-window rectangle), started with its undo operation, its event and a
// tracker copy of the old state, and ended by committing or cancelling it.
#include "control/YVEXControl.h"
#include "control/ShapeMap.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/PointRecord.h"
#include "model/Polyline.h"
#include "model/SelectionGroup.h"
#include "model/Text.h"
#include "model/ShapeStateMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "ui/resource.h"
#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace {

bool IsPolylineFamily(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }

// Whether a point edit moves a point of its own for the host to hear about (OnShiftPoint).
bool ReportsShiftedPoints(int type) { return type == stLine || IsPolylineFamily(type); }

// The text children of block references that stand for its attributes and labels.
constexpr int kReferenceTextType = 2;

bool IsReferenceText(CShape* shape) { return shape->GetShapeType() == stText && shape->GetTextType() == kReferenceTextType; }

HCURSOR SystemCursor(LPCWSTR id) { return LoadCursorW(nullptr, id); }

// An image or a block reference ends its edit with values the properties window's rows may not
// have read (a picture's size from its resource, a reference's texts and attributes): a shown
// window takes them again.
bool ReloadsPropertiesAfterEdit(int type) { return type == stImage || type == stReference; }

} // namespace

// ---- cursors ----

void CYVEXControl::SetDrawCursor(int shapeType)
{
    int id = IDC_DRAW_SHAPE;
    switch (shapeType) {
    case stLine: id = IDC_DRAW_LINE; break;
    case stRectangle: id = IDC_DRAW_RECTANGLE; break;
    case stArc: id = IDC_DRAW_ARC; break;
    case stCircle: id = IDC_DRAW_CIRCLE; break;
    case stEllipse: id = IDC_DRAW_ELLIPSE; break;
    case stPolyline: id = IDC_DRAW_POLYLINE; break;
    case stImage: id = IDC_DRAW_IMAGE; break;
    case stText: id = IDC_DRAW_TEXT; break;
    case stPolygon: id = IDC_DRAW_POLYGON; break;
    default: break;
    }
    SetEditCursor(id);
}

void CYVEXControl::LoadOperationCursor(int editType)
{
    switch (editType) {
    case EDSH_MOVE: m_editCursor = SystemCursor(reinterpret_cast<LPCWSTR>(IDC_SIZEALL)); break;
    case EDSH_POINT:
    case EDSH_NEWPOINT: SetEditCursor(IDC_EDIT_POINT); break;
    case EDSH_ROTATE: SetEditCursor(IDC_EDIT_ROTATE); break;
    case EDSH_SCALE: SetEditCursor(IDC_EDIT_SCALE); break;
    case EDSH_TEXT: m_editCursor = SystemCursor(reinterpret_cast<LPCWSTR>(IDC_IBEAM)); break;
    default: return;
    }
    if (m_editCursor) {
        m_cursor = m_editCursor;
        if (m_hWnd)
            SetCursor(m_editCursor);
    }
}

HCURSOR CYVEXControl::GetEditCursor() const
{
    const HCURSOR none = reinterpret_cast<HCURSOR>(-1);
    if (GetEditState().editedShape && m_editCursor && m_editCursor != none)
        return m_editCursor;
    return m_cursor ? m_cursor : SystemCursor(reinterpret_cast<LPCWSTR>(IDC_ARROW));
}

void CYVEXControl::DrawEditCursor(HDC dc)
{
    const CShape* edited = GetEditState().editedShape;
    const CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    if (!dc || !edited || edited->GetId() == WINDOW_ID || !setting || !setting->SnapToGrid)
        return;
    HCURSOR cursor = GetEditCursor();
    ICONINFO info = {};
    if (!cursor || !GetIconInfo(cursor, &info))
        return;
    const POINT at = GetCurrentViewport().WorldToDevice(GetEditState().mousePosition);
    const int mode = SetMapMode(dc, MM_TEXT);
    DrawIconEx(dc, at.x - static_cast<int>(info.xHotspot), at.y - static_cast<int>(info.yHotspot), cursor, 0, 0, 0,
               nullptr, DI_NORMAL);
    SetMapMode(dc, mode);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
}

// ---- undo and the tracker ----

bool CYVEXControl::OpenEditUndo(CShape* shape, int editType, bool recordNow)
{
    CUndoRecorder* recorder = GetUndoRecorder();
    if (!recorder || editType == EDSH_BLOCK || shape->GetId() == WINDOW_ID)
        return true;
    const int kind = CUndoRecorder::OperationKindForEdit(editType);
    recorder->OpenOperation(kind);
    m_editUndoOpen = true;
    // "This operation can't be undone. Proceed?": No refuses the start.
    if (!recorder->ConfirmLargeOperation(kind, shape)) {
        CloseEditUndo(false);
        return false;
    }
    if (recordNow && recorder->ShouldRecordShape(shape))
        recorder->RecordShape(kind, shape, false);
    return true;
}

void CYVEXControl::CloseEditUndo(bool commit)
{
    if (!m_editUndoOpen)
        return;
    m_editUndoOpen = false;
    if (CUndoRecorder* recorder = GetUndoRecorder())
        recorder->CloseOperation(commit);
}

CShape* CYVEXControl::MakeTracker(CShape* shape, bool hidden, bool hasOld, HRESULT* error)
{
    *error = S_OK;
    CShape* tracker = GetShapeMap().CloneShape(shape, true);
    if (!tracker)
        return nullptr;
    if (CGroup* parent = shape->GetParent()) {
        CShape* found = FindShape(parent->GetId());
        if (found != parent || !parent->IsGroup()) {
            GetShapeMap().DeleteShape(tracker);
            *error = ReportError(found != parent ? "Shape not found." : "Shape is not a group.");
            return nullptr;
        }
        parent->AddChild(tracker, nullptr, 1, false);
    }
    tracker->SetSelected(false);
    if (hidden)
        tracker->SetVisible(false);
    GetEditState().tracker = tracker;
    m_trackerHasOld = hasOld;
    return tracker;
}

void CYVEXControl::DiscardTracker()
{
    CEditState& edit = GetEditState();
    CShape* tracker = edit.tracker;
    edit.tracker = nullptr;
    if (!tracker)
        return;
    if (CGroup* selection = GetSelectionGroup())
        selection->RemoveChild(tracker);
    tracker->DetachFromParent();
    GetShapeMap().DeleteShape(tracker);
}

void CYVEXControl::LeaveEditState(int shapeId)
{
    CEditState& edit = GetEditState();
    if (CShape* shape = FindShape(shapeId))
        shape->StartEdit(0, 0, nullptr);
    GetShapeStateMap().Reset();
    edit.editedShape = nullptr;
    edit.editMode = 0;
    edit.controlState &= ~static_cast<DWORD>(csUserCreate | csUserEdit);
    m_savedPointIds.clear();
    m_rubberBandDrag = false;
    m_traceEdit = true;
    // The in-place editor of a text edit goes with the edit.
    CloseTextEditorLater();
}

// ---- starting ----

int CYVEXControl::StartEditShape(CShape* shape, int editType, int lParam, int flags)
{
    return StartEditShapeAt(shape, editType, lParam, flags, nullptr, nullptr);
}

int CYVEXControl::StartEditShapeAt(CShape* shape, int editType, int lParam, int flags, const CRealPoint* anchor,
                                   const std::map<int, int>* points)
{
    CEditState& edit = GetEditState();
    auto enabled = [editType](CShape* s) { return s && (editType == EDSH_BLOCK || s->IsEnabled()); };
    if (shape && shape == edit.tracker && edit.editedShape)
        shape = edit.editedShape;
    if (!enabled(shape))
        return 0;
    if (edit.editedShape) {
        // The cancel may delete the shape (a creation), or the host may keep the running edit.
        const int id = shape->GetId();
        EndInteractiveOperation(false, true);
        shape = FindShape(id);
        if (edit.editedShape || !enabled(shape))
            return 0;
    }

    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (shape == selection) {
        std::set<int> blocked;
        selection->CollectBlockedIds(editType, &blocked);
        if (!blocked.empty()) {
            if (static_cast<int>(blocked.size()) >= selection->GetShapeCount())
                return 0;
            selection->RemoveIds(&blocked);
            RequestRedraw(rfRedrawSelection, nullptr);
            FireChangeSelection();
        }
        if (selection->GetShapeCount() == 0) {
            // Whatever the properties window still shows is no longer selected.
            ClearPropertiesDialog();
            if (EventsEnabled())
                RestartRedrawTimer(0);
            return 0;
        }
    } else if (!(edit.controlState & csUserCreate) && shape->IsOperationLocked(editType)) {
        return 0;
    }

    if (editType == EDSH_REMOVE)
        return RemoveShapes(shape);
    if (editType == EDSH_ALIGN_SHAPE)
        return shape->IsGroup() ? RunImmediate(shape, editType, lParam) : 0;

    // Point edits record their points as they change.
    const bool recordNow = editType != EDSH_POINT && editType != EDSH_NEWPOINT && editType != EDSH_DELETEPOINT;
    if (!OpenEditUndo(shape, editType, recordNow))
        return 0;
    if (editType == EDSH_FLIP_SHAPE || (editType == EDSH_ROTATE && lParam != 0))
        return RunImmediate(shape, editType, lParam);
    if (editType == EDSH_TEXT) {
        shape = FindTextTarget(shape, lParam);
        if (!shape) {
            CloseEditUndo(false);
            return 0;
        }
    }

    const int id = shape->GetId();
    if (EventsEnabled() && !FireBeginEditShape(id, editType)) {
        CloseEditUndo(false);
        return 0;
    }
    switch (editType) {
    case EDSH_TEXT:
        if (static_cast<CText*>(shape)->GetTextType() == ttRTF) {
            // A rich text is edited in the text's own editor, which has ended when this returns:
            // the start ends here, with no tracker and nothing left edited.
            const bool changed = EditRichText(shape) == 1;
            CloseEditUndo(changed);
            if (changed) {
                SetModified(true);
                RequestRedraw(rfRedrawAll, nullptr);
            }
            return 1;
        }
        // The in-place editor over the text; without one nothing is edited.
        if (!StartTextEditor(shape)) {
            CloseEditUndo(false);
            return 0;
        }
        break;
    case EDSH_DELETEPOINT: return DeletePointOfShape(shape, lParam);
    case EDSH_BLOCK:
        // Block editing opens a level of the view of its own (no undo, no tracker, no edited
        // shape): the block, or the group itself, becomes the root.
        return BeginBlockEditing(shape, lParam);
    default: break;
    }

    HRESULT error = S_OK;
    MakeTracker(shape, false, !(flags & EDFLG_NO_OLD), &error);
    if (FAILED(error)) {
        CloseEditUndo(false);
        return error;
    }
    edit.editedShape = shape;
    m_traceEdit = !(flags & EDFLG_NO_TRACE);
    m_savedPointIds.clear();
    if (editType == EDSH_NEWPOINT && IsPolylineFamily(shape->GetShapeType()))
        for (CPointRecord* point : shape->GetPoints())
            m_savedPointIds.push_back(point->GetPointId());
    shape->SetSelected(false);
    edit.controlState |= csUserEdit;
    if (flags & EDFLG_DELETE_ON_CANCEL)
        edit.controlState |= csUserCreate;

    GetShapeStateMap().Reset();
    if ((flags & EDFLG_MULTIPLE_POINTS) && shape == selection && points) {
        // Each selected shape named in the map edits its own picked point.
        shape->StartEdit(editType, -1, nullptr);
        for (CShape* member : selection->Children()) {
            auto it = points->find(member->GetId());
            if (it != points->end())
                member->StartEdit(editType, it->second, nullptr);
        }
    } else {
        shape->StartEdit(editType, lParam, anchor);
    }
    LoadOperationCursor(editType);
    // The outline shows at once where the pointer is.
    const CRealPoint mouse = edit.mousePosition;
    if (edit.editedShape == shape)
        shape->OnEditDrag(mouse.x, mouse.y);
    return 1;
}

bool CYVEXControl::EnterEditMode(CShape* shape, int editType, bool withTracker, bool recordUndo)
{
    if (!shape || (editType != EDSH_BLOCK && !shape->IsEnabled()))
        return false;
    CEditState& edit = GetEditState();
    if (edit.editedShape) {
        const int id = shape->GetId();
        EndInteractiveOperation(false, true);
        if (edit.editedShape || FindShape(id) != shape)
            return false;
    }
    edit.editedShape = shape;
    GetShapeStateMap().Reset();
    shape->StartEdit(editType, 0, nullptr);
    edit.controlState |= csUserEdit;
    CUndoRecorder* recorder = GetUndoRecorder();
    if (recordUndo && recorder && recorder->ShouldRecordShape(shape))
        recorder->RecordShape(CUndoRecorder::OperationKindForEdit(editType), shape, false);
    if (withTracker) {
        HRESULT error = S_OK;
        if (CShape* tracker = MakeTracker(shape, false, true, &error))
            tracker->CopyPointCoordsFrom(*shape);
    }
    return true;
}

// The types that run to their end at once: align a group, flip, turn by a given angle.
int CYVEXControl::RunImmediate(CShape* shape, int editType, int lParam)
{
    CEditState& edit = GetEditState();
    if (editType == EDSH_ALIGN_SHAPE && !OpenEditUndo(shape, editType, true))
        return 0;
    HRESULT error = S_OK;
    MakeTracker(shape, true, true, &error);
    if (FAILED(error)) {
        CloseEditUndo(false);
        return error;
    }
    edit.editedShape = shape;
    GetShapeStateMap().Reset();
    shape->StartEdit(editType, lParam, nullptr);
    edit.controlState |= csUserEdit;
    switch (editType) {
    case EDSH_ALIGN_SHAPE: static_cast<CGroup*>(shape)->AlignTo(lParam); break;
    case EDSH_FLIP_SHAPE:
        if (lParam == sfdUpsideDown)
            shape->FlipVertical(nullptr, nullptr);
        else
            shape->FlipHorizontal(nullptr, nullptr);
        break;
    case EDSH_ROTATE: {
        CRealRect r;
        if (FAILED(shape->GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom))) {
            EndInteractiveOperation(false, true);
            return 0;
        }
        // Whole degrees, as the shapes turn.
        shape->Rotate((r.left + r.right) / 2, (r.top + r.bottom) / 2, static_cast<double>(lParam), nullptr, false);
        break;
    }
    default: break;
    }
    EndInteractiveOperation(true, true);
    return 1;
}

int CYVEXControl::DeletePointOfShape(CShape* shape, int pointId)
{
    const int id = shape->GetId();
    if (EventsEnabled() && !FireDeletePoint(pointId)) {
        CloseEditUndo(false);
        return 0;
    }
    shape = FindShape(id);
    if (shape) {
        const bool record = id != WINDOW_ID && GetUndoRecorder();
        shape->RemovePointById(pointId, record, 0);
        FireEndEditShape(id);
    }
    CloseEditUndo(true);
    if ((shape = FindShape(id)) != nullptr)
        shape->StartEdit(0, 0, nullptr);
    GetShapeStateMap().Reset();
    RequestRedraw(rfRedrawAll, nullptr);
    return 1;
}

CShape* CYVEXControl::FindTextTarget(CShape* shape, int lParam)
{
    // Open in-place editors go first.
    if (m_hWnd)
        SendMessageW(m_hWnd, WM_USER + 101, 0, 0);
    if (shape->GetShapeType() == stText)
        return shape;
    if (shape->GetShapeType() != stReference)
        return nullptr;
    const std::vector<CShape*> children = static_cast<CGroup*>(shape)->Children();
    // A child index first, else the lParam-th text of the reference.
    if (lParam >= 0 && lParam < static_cast<int>(children.size()) && IsReferenceText(children[static_cast<size_t>(lParam)]))
        return children[static_cast<size_t>(lParam)];
    int n = 0;
    for (CShape* child : children)
        if (IsReferenceText(child) && n++ == lParam)
            return child;
    return nullptr;
}

int CYVEXControl::RemoveShapes(CShape* shape)
{
    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (!OpenEditUndo(shape, EDSH_REMOVE, false))
        return 0;
    const int countBefore = selection ? selection->GetShapeCount() : 0;
    CUndoRecorder* recorder = GetUndoRecorder();
    // Attribute and label texts of block references are hidden, never deleted.
    std::vector<CShape*> hide, remove;
    if (shape == selection) {
        for (CShape* member : selection->Children())
            (member->IsReferenceChild() ? hide : remove).push_back(member);
    } else {
        (shape->IsReferenceChild() ? hide : remove).push_back(shape);
    }
    HRESULT result = S_OK;
    if (!remove.empty()) {
        for (CShape* child : hide)
            selection->RemoveChild(child);
        // By ID: a deletion takes more than its own shape (a block takes the references that show
        // it, a group its children, the host may delete others meanwhile), so a shape further on
        // may be gone by the time it comes up.
        std::vector<int> ids;
        for (CShape* doomed : remove)
            ids.push_back(doomed->GetId());
        remove.clear();
        for (int id : ids) {
            CShape* doomed = FindShape(id);
            if (!doomed)
                continue;
            if (recorder && recorder->ShouldRecordShape(doomed))
                recorder->RecordShape(opDelete, doomed, false);
            if (FAILED(DeleteShapeByID(id, 1, 1)))
                result = E_FAIL;
        }
        hide.clear();
    }
    if (!hide.empty()) {
        // By ID from here on: the host may delete some of them while it hears the event.
        std::vector<int> hideIds;
        for (CShape* child : hide) {
            hideIds.push_back(child->GetId());
            if (selection)
                selection->RemoveChild(child);
        }
        hide.clear();
        const int shapeId = shape->GetId();
        EnterEditMode(shape, EDSH_PROPERTIES, false, false);
        if (EventsEnabled() && !FireBeginEditShape(shapeId, 0)) {
            // The host keeps its shapes: nothing was changed, so nothing is rolled back (a roll
            // back without a tracker would delete what the host protected).
            LeaveEditState(shapeId);
            result = E_ACCESSDENIED;
        } else {
            bool hidden = true;
            for (int id : hideIds)
                if (CShape* child = FindShape(id))
                    hidden = child->SetVisibleRecorded(false) != 0 && hidden;
            if (!EndInteractiveOperation(hidden, false)) {
                for (int id : hideIds) {
                    CShape* child = FindShape(id);
                    if (!child)
                        continue;
                    child->SetVisible(true);
                    if (selection)
                        selection->AddChild(child, nullptr, 0, false);
                }
                result = E_FAIL;
            }
        }
    }
    CloseEditUndo(SUCCEEDED(result));
    if (selection && selection->GetShapeCount() != countBefore)
        FireChangeSelection();
    if (FAILED(result))
        return result;
    Redraw(rfRedrawAll);
    return 1;
}

// ---- ending ----

void CYVEXControl::SelectEditedShape(CShape* shape, bool refill, bool fire)
{
    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (!selection || !shape || shape->GetId() == WINDOW_ID)
        return;
    if (shape == selection) {
        // The members get their marks back; the Selection keeps them.
        for (CShape* member : selection->Children())
            member->SetSelected(true);
        return;
    }
    CShape* top = shape->FindTopmostNonBlock();
    if (!top)
        top = shape;
    const std::vector<CShape*>& members = selection->Children();
    if (!refill && members.size() == 1 && members[0] == top) {
        top->SetSelected(true);
        return;
    }
    selection->Clear(false);
    selection->AddChild(top, nullptr, 0, false);
    if (fire)
        FireChangeSelection();
}

void CYVEXControl::RollBackEdit()
{
    CEditState& edit = GetEditState();
    CShape* shape = edit.editedShape;
    CShape* tracker = edit.tracker;
    const bool creating = (edit.controlState & csUserCreate) != 0;
    if (!shape || creating || (tracker && !m_trackerHasOld)) {
        // A shape without an old state goes.
        DiscardTracker();
        if (shape) {
            const int id = shape->GetId();
            LeaveEditState(id);
            if (shape == GetSelectionGroup()) {
                std::vector<int> members;
                for (CShape* member : static_cast<CGroup*>(shape)->Children())
                    members.push_back(member->GetId());
                for (int member : members)
                    if (CShape* m = FindShape(member))
                        DeleteShapeTree(m, false, false);
            } else if (id < 12) {
                // The fixed shapes stay: they are only emptied.
                if (shape->IsGroup())
                    shape->Clear(false);
                else
                    shape->RemoveAllPoints();
            } else {
                DeleteShapeTree(shape, false, false);
            }
        }
        RequestRedraw(rfRedrawAll, nullptr);
        return;
    }
    // Without a tracker there is no old state to go back to: an existing shape stays as it is
    // (deleting it would lose what the host never agreed to lose).
    if (!tracker)
        return;
    if (IsPolylineFamily(shape->GetShapeType()) && !m_savedPointIds.empty()) {
        // The points the edit added go, from the end back.
        const std::set<int> saved(m_savedPointIds.begin(), m_savedPointIds.end());
        std::vector<int> added;
        for (CPointRecord* point : shape->GetPoints())
            if (!saved.count(point->GetPointId()))
                added.push_back(point->GetPointId());
        for (auto it = added.rbegin(); it != added.rend(); ++it)
            shape->RemovePointById(*it, false, 1);
    }
    shape->CopyPointCoordsFrom(*tracker);
    shape->CopyLinkedPointCoordsFrom(*tracker);
    shape->CopyPropertiesFrom(*tracker, static_cast<DWORD>(-1));
}

bool CYVEXControl::EndInteractiveOperation(bool commit, bool closeUndo)
{
    CEditState& edit = GetEditState();
    CShape* shape = edit.editedShape;
    if (!shape)
        return false;
    const HCURSOR arrow = SystemCursor(reinterpret_cast<LPCWSTR>(IDC_ARROW));
    m_cursor = arrow;
    m_editCursor = nullptr;
    if (m_hWnd)
        SetCursor(arrow);
    const int id = shape->GetId();
    const bool isWindow = id == WINDOW_ID;
    CShape* selection = GetSelectionGroup();
    const bool creating = (edit.controlState & csUserCreate) != 0;
    const bool reloadsProperties = ReloadsPropertiesAfterEdit(shape->GetShapeType());

    if (!commit) {
        if (isWindow)
            m_rectanglePurpose = kRectangleSelect;
        if (EventsEnabled()) {
            // The host hears OnCancel with no nested events of its own calls.
            SetEventsEnabled(false);
            ForceNextEvent();
            const bool proceed = FireCancel();
            SetEventsEnabled(true);
            m_forcedEvent = false;
            if (!proceed)
                return false;
            // The host ended the operation itself while it heard the event.
            if (edit.editedShape != shape)
                return true;
        }
        if (closeUndo)
            CloseEditUndo(false);
        const bool hadTracker = edit.tracker != nullptr;
        RollBackEdit();
        if (!creating && FindShape(id) == shape)
            SelectEditedShape(shape, false, true);
        if (hadTracker && edit.tracker) {
            FinishOperation(id, false);
            return true;
        }
        DiscardTracker();
        if (edit.editedShape)
            LeaveEditState(id);
        if (reloadsProperties || m_propertiesWaiting)
            ShowPropertiesAgain();
        if (EventsEnabled()) {
            RestartRedrawTimer(0);
            FireControlReady(0);
        }
        return true;
    }

    // A shape that still collects its points cannot be finished yet.
    if (edit.editMode == 0 || edit.editMode == EDSH_NEWPOINT) {
        SetDrawCursor(shape->GetShapeType());
        return false;
    }
    // The zoom or rubber-band rectangle changes nothing to save.
    if (!isWindow) {
        SetModified(true);
        SelectEditedShape(shape, true, false);
    }

    const bool events = EventsEnabled();
    SetEventsEnabled(false);
    // One proceed flag for the whole end: a veto of any of these events vetoes the edit.
    bool proceed = true;
    if (events && edit.editMode == EDSH_POINT && !creating) {
        // By ID: the host may delete shapes while it hears each event.
        std::vector<int> shapeIds;
        if (shape == selection) {
            for (CShape* member : static_cast<CGroup*>(selection)->Children())
                shapeIds.push_back(member->GetId());
        } else {
            shapeIds.push_back(id);
        }
        for (int shapeId : shapeIds) {
            CShape* s = FindShape(shapeId);
            if (!s || !ReportsShiftedPoints(s->GetShapeType()))
                continue;
            const int index = GetShapeStateMap().GetValue(s->GetId());
            if (index < 0 || index >= s->GetPointCount())
                continue;
            const int pointId = s->GetPoints().GetAt(index)->GetPointId();
            if (pointId > 0) {
                ForceNextEvent();
                proceed = FireShiftPoint(pointId) && proceed;
            }
        }
    }
    if (!creating)
        if (CShape* changed = FindShape(id))
            changed->NotifyChange(edit.editMode);
    if (events) {
        CShape* tracker = edit.tracker;
        if (edit.editMode == EDSH_MOVE && !creating && tracker && FindShape(id) == shape) {
            CRealRect now, old;
            if (SUCCEEDED(shape->GetBoundingRect(&now.left, &now.top, &now.right, &now.bottom)) &&
                SUCCEEDED(tracker->GetBoundingRect(&old.left, &old.top, &old.right, &old.bottom))) {
                const float dx0 = now.left - old.left, dy0 = now.bottom - old.bottom;
                float dx = dx0, dy = dy0;
                ForceNextEvent();
                proceed = FireShiftShape(id, &dx, &dy) && proceed;
                // The host may move the shape to a displacement of its own, unless it deleted the
                // shape while it heard the event.
                if ((std::fabs(dx - dx0) > 1e-5f || std::fabs(dy - dy0) > 1e-5f) && FindShape(id) == shape &&
                    edit.editedShape == shape)
                    shape->Shift(dx - dx0, dy - dy0, nullptr, false);
            }
        }
        std::vector<int> hits;
        for (CShape* hit : edit.hitShapes)
            hits.push_back(hit->GetId());
        std::sort(hits.begin(), hits.end());
        hits.erase(std::unique(hits.begin(), hits.end()), hits.end());
        for (int hit : hits) {
            if (!FindShape(hit))
                continue;
            ForceNextEvent();
            FireHitShape(hit, m_hitPosition.x, m_hitPosition.y, 0);
        }
        if (proceed && edit.editedShape == shape) {
            ForceNextEvent();
            proceed = creating ? FireEndDraw(id) : FireEndEditShape(id);
        }
        if (shape != selection && !isWindow) {
            ForceNextEvent();
            FireChangeSelection();
        }
    }
    m_forcedEvent = false;
    SetEventsEnabled(events);
    if (closeUndo)
        CloseEditUndo(proceed);
    // The host ended the operation itself while it heard the events, or deleted the shape: then
    // the old outline and the edit state go too.
    if (edit.editedShape != shape || FindShape(id) != shape) {
        if (!edit.editedShape && FindShape(id) != shape) {
            DiscardTracker();
            LeaveEditState(id);
            RequestRedraw(rfRedrawAll, nullptr);
        }
        return true;
    }
    if (!proceed) {
        const bool hadTracker = edit.tracker != nullptr;
        RollBackEdit();
        if (!hadTracker || !edit.tracker) {
            DiscardTracker();
            if (edit.editedShape)
                LeaveEditState(id);
            if (EventsEnabled())
                RestartRedrawTimer(0);
            return true;
        }
        FinishOperation(id, false);
        return true;
    }
    if (shape->GetShapeType() == stPolyline || shape->GetShapeType() == stPolygon)
        static_cast<CPolyline*>(shape)->SetFlags(static_cast<CPolyline*>(shape)->GetFlags() & ~static_cast<DWORD>(pfFreeHand));
    FinishOperation(id, true);
    // The edited shape's new values show in the properties window.
    RefreshPropertiesDialog();
    return true;
}

// The end common to a commit and a cancel: the tracker goes, the shape leaves edit mode, the
// limits grow to a committed shape, and a finished rectangle does what it was drawn for.
void CYVEXControl::FinishOperation(int shapeId, bool committed)
{
    DiscardTracker();
    LeaveEditState(shapeId);
    CShape* shape = FindShape(shapeId);
    if (!shape) {
        RequestRedraw(rfRedrawAll, nullptr);
        return;
    }
    if (shapeId == WINDOW_ID) {
        if (committed)
            ApplyRectangle(shape);
        shape->RemoveAllPoints();
        RequestRedraw(rfRedrawAll, nullptr);
    } else {
        if (committed && shape->GetParent())
            GrowDraftLimits(shapeId, false);
        // The shape comes back into the drawing below the marks.
        RequestRedraw(rfRedrawAll, nullptr);
    }
    if (ReloadsPropertiesAfterEdit(shape->GetShapeType()) || m_propertiesWaiting)
        ShowPropertiesAgain();
    m_editCursor = nullptr;
    if (EventsEnabled()) {
        RestartRedrawTimer(0);
        FireControlReady(0);
    }
}

void CYVEXControl::ApplyRectangle(CShape* rectangle)
{
    CRealRect r;
    if (FAILED(rectangle->GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom)))
        return;
    switch (m_rectanglePurpose) {
    case kRectanglePrintSite: {
        // The dragged rectangle is the print window that prints.
        const CRealRect window(std::min(r.left, r.right), std::max(r.top, r.bottom), std::max(r.left, r.right),
                               std::min(r.top, r.bottom));
        GetPageSetup().printRect = GetPrintSettings().printRect = window;
        GetPrintSettings().rectGiven = 1;
        SetPrintType(4);
        PrintSite();
        break;
    }
    case kRectangleZoom:
        ZoomToRect(CWorldRect{std::min(r.left, r.right), std::max(r.top, r.bottom), std::max(r.left, r.right),
                              std::min(r.top, r.bottom)});
        break;
    case kRectangleSelect: {
        auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
        CGroup* root = GetRootGroup();
        if (!selection || !root)
            break;
        bool changed = false;
        if (!(m_leftPressKeys & MK_CONTROL)) {
            changed = selection->GetShapeCount() > 0;
            selection->Clear(false);
        }
        if (selection->SelectInRect(r, root))
            changed = true;
        if (changed) {
            RequestRedraw(rfCopyBuf | rfRedrawSelection, nullptr);
            FireChangeSelection();
        }
        break;
    }
    default: break;
    }
}

// ---- IYVEXControl ----

STDMETHODIMP CYVEXControl::EditShape(LONG ShapID, EditShapeTypes EditType, LONG lParam)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return EditShapeEx(ShapID, EditType, 0, lParam); });
}

STDMETHODIMP CYVEXControl::EditShapeEx(LONG ShapeID, EditShapeTypes EditType, LONG Flags, LONG lParam)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!IsIdle())
            return S_FALSE;
        CShape* shape = FindShape(ShapeID);
        if (!shape)
            return ReportError("Shape not found.");
        CRealPoint anchor;
        bool hasAnchor = false;
        if (EditType == EDSH_MOVE && lParam != 0) {
            // The anchor of the move: the pointer, a handle past the points, or a point (1-based).
            const int count = shape->GetPointCount();
            if (lParam < 0) {
                anchor = GetEditState().mousePosition;
                hasAnchor = true;
            } else if (lParam > count) {
                const int handles = shape->GetHandlePoints(nullptr, 0);
                const int index = lParam - count - 1;
                if (handles > 0 && index < handles) {
                    std::vector<CRealPoint> points(static_cast<size_t>(handles));
                    if (shape->GetHandlePoints(points.data(), handles) > index) {
                        anchor = points[static_cast<size_t>(index)];
                        hasAnchor = true;
                    }
                }
            } else {
                anchor = *shape->GetPoints().GetAt(lParam - 1);
                hasAnchor = true;
            }
        }
        StartEditShapeAt(shape, EditType, lParam, Flags, hasAnchor ? &anchor : nullptr, nullptr);
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::EndDraw(VARIANT_BOOL bEndDraw, VARIANT_BOOL* pResult)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!IsIdle())
            return S_FALSE;
        if (!pResult)
            return E_POINTER;
        // An operation the host ends tells the host nothing.
        const bool events = EventsEnabled();
        SetEventsEnabled(false);
        const bool ended = EndInteractiveOperation(bEndDraw != VARIANT_FALSE, true);
        SetEventsEnabled(events);
        *pResult = ended ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}
