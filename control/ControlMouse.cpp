// The mouse: picks and selection, panning with the right button, wheel zoom and pan, and the
// button events to the host.
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/Polyline.h"
#include "model/SelectionGroup.h"
#include "model/ShapeStateMap.h"
#include "persistence/DrawingSettingRecord.h"
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace {

// The signed client coordinates of a mouse message.
POINT PointOf(LPARAM lParam)
{
    return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

// The control tracks the pointer at a mouse message's position; the world position.
CRealPoint TrackMessagePoint(CYVEXControl& control, LPARAM lParam)
{
    const POINT p = PointOf(lParam);
    control.TrackPointer(p.x, p.y);
    return control.GetEditState().mousePosition;
}

bool FarFrom(POINT a, POINT b, int pixels) { return std::abs(a.x - b.x) >= pixels || std::abs(a.y - b.y) >= pixels; }

} // namespace

bool CYVEXControl::SnapsPointer() const
{
    const CDrawingSettingRecord* setting = const_cast<CYVEXControl*>(this)->GetCurrentDrawingSetting();
    const CShape* edited = GetEditState().editedShape;
    return setting && setting->SnapToGrid && edited && edited->GetId() != WINDOW_ID;
}

void CYVEXControl::TrackPointer(int x, int y)
{
    m_previousMouse = m_mouse;
    m_mouse = POINT{x, y};
    CEditState& edit = GetEditState();
    const CViewportRecord& view = GetCurrentViewport();
    const CRealPointD world = view.DeviceToWorld(x, y);
    CRealPoint p(static_cast<float>(world.x), static_cast<float>(world.y));
    if (GetCurrentDrawingSetting() && SnapsPointer()) {
        CRealPoint snapped = p;
        CShape* edited = edit.editedShape;
        if (edit.editMode == EDSH_MOVE && edit.dragActive)
            // A move snaps through the shape: the point it drags by lands on the grid.
            edited->MovePointSnapped(snapped, GetShapeStateMap().GetValue(edited->GetId()), false);
        else
            SnapPointToGrid(p, &snapped);
        p = snapped;
        edit.mousePosition = p;
        m_mouse = view.WorldToDevice(p);
        if (m_mouse.x == m_cursorMark.x && m_mouse.y == m_cursorMark.y && !m_forceCursorMark)
            return;
        m_cursorMark = m_mouse;
        m_forceCursorMark = false;
        RequestRedraw(rfCopyBuf | rfCopyMarkers, nullptr);
        return;
    }
    edit.mousePosition = p;
}

void CYVEXControl::SnapSystemCursor()
{
    if (!SnapsPointer() || !m_hWnd)
        return;
    POINT screen = m_mouse;
    ClientToScreen(m_hWnd, &screen);
    SetCursorPos(screen.x, screen.y);
}

void CYVEXControl::SelectMarkedShapes()
{
    CSelectionGroup* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (!selection)
        return;
    if (!(m_leftPressKeys & MK_CONTROL))
        selection->Clear(false);
    CGroup* root = GetRootGroup();
    std::set<CShape*> added;
    for (CShape* hit : GetEditState().hitShapes) {
        CShape* shape = hit;
        // A shape that cannot be selected by itself is selected through the first parent that can.
        while (shape) {
            CLayer* layer = shape->GetLayer();
            if (shape->IsSelectable() && (!layer || layer->IsSelectable()))
                break;
            CShape* parent = shape->GetParent();
            if (shape == root || shape->GetId() < 12 || !parent || parent == root)
                shape = nullptr;
            else if (parent->GetShapeType() == stReference && !(shape->GetProtectionFlags() & sdbfCustomChild))
                shape = nullptr;
            else
                shape = parent;
        }
        if (shape && shape != root && added.insert(shape).second)
            selection->AddChild(shape, nullptr, 0, false);
    }
    RequestRedraw(rfCopyBuf | rfRedrawSelection, nullptr);
    FireChangeSelection();
    GetEditState().hitShapes.clear();
}

LRESULT CYVEXControl::HandleLButtonDown(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (m_hWnd)
        SetFocus(m_hWnd);
    m_endMoveAtRelease = false;
    m_dragStarted = false;
    if (!IsIdle()) {
        m_editAtPress = 0;
        m_hadEditAtPress = false;
        return 0;
    }
    const POINT p = PointOf(lParam);
    TrackPointer(p.x, p.y);
    SnapSystemCursor();
    m_leftPressKeys = static_cast<DWORD>(wParam);
    m_leftPress = m_mouse;
    CEditState& edit = GetEditState();
    edit.hitShapes.clear();
    m_selectionChangedAtPress = false;
    handled = FALSE;
    const CRealPoint world = edit.mousePosition;
    m_hitPosition = world;
    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());

    bool pressFired = false;
    if (selection && !edit.editedShape) {
        // A press on handles of selected shapes moves those points.
        std::map<int, int> picked;
        selection->OnEditMouseDown(world.x, world.y, &picked);
        if (!edit.editedShape && picked.size() == 1) {
            StartEditShape(FindShape(picked.begin()->first), EDSH_POINT, picked.begin()->second, 0);
        } else if (!edit.editedShape && picked.size() > 1) {
            std::set<int> others;
            for (CShape* member : selection->Children())
                if (!picked.count(member->GetId()))
                    others.insert(member->GetId());
            selection->RemoveIds(&others);
            StartEditShapeAt(selection, EDSH_POINT, 1, EDFLG_MULTIPLE_POINTS, nullptr, &picked);
        }
        FireLButtonDown(static_cast<LONG>(wParam), world.x, world.y);
        pressFired = true;
        if (edit.editedShape)
            return 0;
    }

    CShape* edited = edit.editedShape;
    m_editAtPress = edited ? edited->GetId() : 0;
    m_hadEditAtPress = edited != nullptr;
    if (!edited) {
        if (!(wParam & MK_CONTROL) && selection && selection->GetShapeCount() > 0)
            m_selectionChangedAtPress = true;
        if (selection && GetRootGroup() &&
            selection->SelectAtPoint(static_cast<float>(m_mouse.x), static_cast<float>(m_mouse.y), GetRootGroup(), true))
            m_selectionChangedAtPress = true;
    } else {
        // The press goes into the running edit; one that ends it ends a move at the release.
        edited->OnEditMouseDown(world.x, world.y, nullptr);
        if (!edit.editedShape)
            m_endMoveAtRelease = true;
    }
    if (!pressFired)
        FireLButtonDown(static_cast<LONG>(wParam), world.x, world.y);

    std::vector<int> ids;
    for (CShape* hit : edit.hitShapes)
        ids.push_back(hit->GetId());
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    for (int id : ids)
        if (FindShape(id))
            FireHitShape(id, world.x, world.y, 0);
    if (!ids.empty() && !edited)
        m_endMoveAtRelease = true;
    CControlCore::HandleLButtonDown();
    return 0;
}

LRESULT CYVEXControl::HandleLButtonUp(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    const POINT p = PointOf(lParam);
    TrackPointer(p.x, p.y);
    SnapSystemCursor();
    CEditState& edit = GetEditState();
    const CRealPoint world = edit.mousePosition;
    if (m_endMoveAtRelease) {
        m_endMoveAtRelease = false;
        if (edit.editedShape && edit.editMode == EDSH_MOVE)
            edit.editedShape->EndEdit(true);
    }
    if (m_rubberBandDrag && edit.editedShape && edit.editedShape->GetId() == WINDOW_ID) {
        // A rubber band drawn by dragging ends where the button comes up.
        m_rubberBandDrag = false;
        edit.editedShape->OnEditDrag(world.x, world.y);
        EndInteractiveOperation(true, true);
    }
    if (!IsIdle()) {
        handled = TRUE;
        m_editAtPress = 0;
        return 0;
    }
    if (!m_hadEditAtPress && m_selectionChangedAtPress) {
        SelectMarkedShapes();
        if (EventsEnabled())
            RestartRedrawTimer(0);
    }
    m_editAtPress = 0;
    m_hadEditAtPress = false;
    m_selectionChangedAtPress = false;
    edit.hitShapes.clear();
    FireLButtonUp(static_cast<LONG>(wParam), world.x, world.y);
    handled = TRUE;
    return 0;
}

LRESULT CYVEXControl::HandleMouseMove(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (m_mouseOutside && m_hWnd) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
        TrackMouseEvent(&track);
        m_mouseOutside = 0;
    }
    if (!IsIdle())
        return 0;
    const POINT p = PointOf(lParam);
    const POINT before = m_mouse;
    TrackPointer(p.x, p.y);
    if (m_mouse.x == before.x && m_mouse.y == before.y && !(wParam & MK_LBUTTON)) {
        handled = FALSE;
        return 0;
    }
    CEditState& edit = GetEditState();
    CViewportRecord& view = GetCurrentViewport();
    CGroup* selection = GetSelectionGroup();
    const CRealPointD pressWorld = view.DeviceToWorld(m_leftPress.x, m_leftPress.y);
    const CRealPoint pressAt(static_cast<float>(pressWorld.x), static_cast<float>(pressWorld.y));
    if (m_endMoveAtRelease && !edit.editedShape && FarFrom(p, m_leftPress, 3) && !m_dragStarted && selection) {
        // A drag of a shape moves the selection: the shapes hit become it first, unless one of
        // them was selected already.
        if (!m_hadEditAtPress && m_selectionChangedAtPress) {
            for (CShape* hit : edit.hitShapes)
                if (hit->GetState() & CShape::stSelected)
                    m_selectionChangedAtPress = false;
            if (m_selectionChangedAtPress) {
                SelectMarkedShapes();
                m_selectionChangedAtPress = false;
            }
        }
        m_dragStarted = true;
        StartEditShapeAt(selection, EDSH_MOVE, 0, 0, &pressAt, nullptr);
    }
    if ((wParam & MK_LBUTTON) && !edit.editedShape && FarFrom(p, m_leftPress, 5) && !m_dragStarted) {
        // A drag from empty space draws a rubber band, which selects what lies inside it.
        m_rectanglePurpose = kRectangleSelect;
        m_hadEditAtPress = true;
        if (BeginZoomWindow()) {
            m_rubberBandDrag = true;
            edit.editedShape->OnEditMouseDown(pressAt.x, pressAt.y, nullptr);
        }
    }
    bool panned = false;
    HCURSOR cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    if ((wParam & MK_RBUTTON) && FarFrom(p, m_rightPress, 5)) {
        cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEALL));
        const double perWorld = view.GetScaleFactor();
        if (perWorld != 0.0) {
            const double dx = (p.x - m_rightPress.x) * view.LogicalPerPixelX() / perWorld;
            const double dy = (m_rightPress.y - p.y) * view.LogicalPerPixelY() / perWorld;
            view.SetCenter(static_cast<float>(m_rightPressCenter.x - dx), static_cast<float>(m_rightPressCenter.y - dy));
            Refresh();
            panned = true;
        }
    }
    if (cursor != m_cursor) {
        m_cursor = cursor;
        SetCursor(cursor);
    }
    const CRealPoint world = edit.mousePosition;
    if (edit.editedShape)
        edit.editedShape->OnEditDrag(world.x, world.y);
    ShowPointerOnRulers(world);
    FireMouseMove(static_cast<LONG>(wParam), world.x, world.y);
    if (panned) {
        UpdateRulers(0, true);
        RequestRedraw(rfRedrawAll, nullptr);
    }
    handled = FALSE;
    return 0;
}

LRESULT CYVEXControl::HandleLButtonDblClk(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (!IsIdle() || !EventsEnabled())
        return 0;
    const CRealPoint world = TrackMessagePoint(*this, lParam);
    FireLButtonDblClick(static_cast<LONG>(wParam), world.x, world.y);
    CEditState& edit = GetEditState();
    if (CShape* edited = edit.editedShape) {
        const int type = edited->GetShapeType();
        if ((type == stRectangle || type == stPolyline || type == stPolygon) && edited->IsEditActive(true)) {
            // The second click put down a point where the first one did: that one stays.
            if (!static_cast<CPolyline*>(edited)->IsBezier())
                edit.editStepFlags |= 0x1;
            edited->EndEdit(true);
        }
        return 0;
    }
    CGroup* root = GetRootGroup();
    if (!root)
        return 0;
    CShape* target = root->FindEditableAt(world.x, world.y, 1);
    if (!target && root->GetShapeType() == stText && root->HitTestAt(world.x, world.y))
        target = root;
    if (target)
        StartEditShape(target, EDSH_TEXT, 0, 0);
    return 0;
}

LRESULT CYVEXControl::HandleRButtonDown(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (!IsIdle())
        return 0;
    const CRealPoint world = TrackMessagePoint(*this, lParam);
    FireRButtonDown(static_cast<LONG>(wParam), world.x, world.y);
    m_rightPressCenter = GetCurrentViewport().center;
    m_rightPress = PointOf(lParam);
    return 0;
}

LRESULT CYVEXControl::HandleRButtonUp(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (!IsIdle())
        return 0;
    const CRealPoint world = TrackMessagePoint(*this, lParam);
    FireRButtonUp(static_cast<LONG>(wParam), world.x, world.y);
    const POINT p = PointOf(lParam);
    // A pan shows no menu.
    if (std::abs(p.x - m_rightPress.x) > 4 || std::abs(p.y - m_rightPress.y) > 4)
        return 0;
    ShowContextMenuAt(world);
    return 0;
}

LRESULT CYVEXControl::HandleMouseWheel(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const WORD keys = LOWORD(wParam);
    const double delta = static_cast<SHORT>(HIWORD(wParam));
    CViewportRecord& view = GetCurrentViewport();
    if (keys == MK_SHIFT || keys == MK_CONTROL) {
        // A notch of 120 pans a fifth of the view.
        GetViewportList().RememberView(view, 5);
        if (keys == MK_SHIFT)
            view.SetCenterX(static_cast<float>(view.center.x - delta * view.width / 600.0));
        else
            view.SetCenterY(static_cast<float>(view.center.y + delta * view.height / 600.0));
        Refresh();
        UpdateRulers(0, true);
        RequestRedraw(rfRedrawAll, nullptr);
        return 1;
    }
    if (keys != 0 || !m_hWnd)
        return 1;
    // One notch of 120 zooms out by 1.4, or in by 1/1.4, about the pointer.
    const double k = delta <= 0.0 ? 1.0 - delta / 300.0 : 1.0 / (1.0 + delta / 300.0);
    POINT pointer = PointOf(lParam);
    ScreenToClient(m_hWnd, &pointer);
    const CRealPointD at = view.DeviceToWorld(pointer.x, pointer.y);
    const CWorldRect old = view.GetWorldRect();
    CWorldRect next = {at.x + (old.left - at.x) * k, at.y + (old.top - at.y) * k, at.x + (old.right - at.x) * k,
                       at.y + (old.bottom - at.y) * k};
    if (view.CheckZoomRect(next.left, next.top, next.right, next.bottom) != 0)
        return 1;
    GetViewportList().RememberView(view, std::fabs(k) <= 1.0 ? 2 : 1);
    if (delta > 0.0) {
        // Zooming in drifts a little towards the pointer.
        const double mx = (at.x - (old.left + old.right) * 0.5) * 0.1;
        const double my = (at.y - (old.top + old.bottom) * 0.5) * 0.1;
        next.left += mx;
        next.right += mx;
        next.top += my;
        next.bottom += my;
    }
    const DWORD flags = GetControlFlags();
    SetControlFlags(flags | controlDisableRedraw);
    view.ZoomToRect(next.left, next.top, next.right, next.bottom, 1.0);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const POINT now = view.WorldToDevice(CRealPoint(static_cast<float>(at.x), static_cast<float>(at.y)));
    const double cx = client.right * 0.5, cy = client.bottom * 0.5;
    const bool outside = now.x < 0 || now.y < 0 || now.x > client.right || now.y > client.bottom;
    if (outside && std::hypot(now.x - cx, now.y - cy) > std::hypot(cx, cy)) {
        view.ZoomToRect(old.left, old.top, old.right, old.bottom, 1.0);
        SetControlFlags(flags);
        return 1;
    }
    POINT screen = now;
    ClientToScreen(m_hWnd, &screen);
    SetCursorPos(screen.x, screen.y);
    SetControlFlags(flags);
    Refresh();
    UpdateRulers(0, true);
    RequestRedraw(rfRedrawAll, nullptr);
    return 1;
}

LRESULT CYVEXControl::HandleMouseLeave(UINT, WPARAM, LPARAM, BOOL&)
{
    m_cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    SetCursor(m_cursor);
    m_mouseOutside = 1;
    if (GetEditState().editedShape && !m_contextMenu && m_editCursor)
        SetCursor(m_editCursor);
    RequestRedraw(rfCopyBuf | rfCopyMarkers, nullptr);
    return 0;
}

LRESULT CYVEXControl::HandleSetCursor(UINT, WPARAM, LPARAM, BOOL&)
{
    const bool editing = GetEditState().editedShape != nullptr;
    const CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    const bool snapping = setting && setting->SnapToGrid;
    if (editing && !m_contextMenu) {
        if (snapping && !m_mouseOutside)
            SetCursor(nullptr);  // the paint routine draws the edit cursor at the snapped point
        else if (!snapping && m_editCursor)
            SetCursor(m_editCursor);
        else if (!snapping)
            SetCursor(m_cursor);
        return 0;
    }
    if (editing && snapping && m_mouseOutside)
        return 0;
    SetCursor(m_cursor ? m_cursor : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    return 0;
}
