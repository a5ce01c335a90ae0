// The context menus: which menu the right button shows, how it is pruned for the drawing, the
// host's say (OnContextMenuShow may move or cancel it), and carrying out the chosen command.
#include "control/YVEXControl.h"
#include "control/PopupMenuHook.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/PointRecord.h"
#include "model/Polyline.h"
#include "model/SelectionGroup.h"
#include "model/ShapeStateMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "ui/resource.h"
#include <cstdlib>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using MenuOwner = std::unique_ptr<std::remove_pointer<HMENU>::type, decltype(&DestroyMenu)>;

MenuOwner LoadMenuResource(int id)
{
    return MenuOwner(LoadMenuW(ycom::TheModule().Instance(), MAKEINTRESOURCEW(id)), &DestroyMenu);
}

bool IsSeparator(HMENU menu, int position)
{
    MENUITEMINFOW info = {sizeof(info), MIIM_FTYPE};
    return GetMenuItemInfoW(menu, position, TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

bool IsPolylineKind(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }

} // namespace

HMENU FindMenuItem(HMENU menu, UINT id, int first, int* position, int* subMenuIndex)
{
    if (!menu)
        return nullptr;
    const int count = GetMenuItemCount(menu);
    for (int i = first; i < count; ++i) {
        if (GetMenuItemID(menu, i) == id) {
            *position = i;
            *subMenuIndex = -1;
            return menu;
        }
    }
    for (int i = 0; i < count; ++i) {
        HMENU sub = GetSubMenu(menu, i);
        if (!sub)
            continue;
        const int subCount = GetMenuItemCount(sub);
        for (int j = 0; j < subCount; ++j) {
            if (GetMenuItemID(sub, j) == id) {
                *position = j;
                *subMenuIndex = i;
                return sub;
            }
        }
    }
    return nullptr;
}

void RemoveRedundantMenuSeparators(HMENU menu)
{
    if (!menu)
        return;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (HMENU sub = GetSubMenu(menu, i))
            RemoveRedundantMenuSeparators(sub);
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
        if (!IsSeparator(menu, i))
            continue;
        const int count = GetMenuItemCount(menu);
        if (i == 0 || i == count - 1 || IsSeparator(menu, i - 1) || (i + 1 < count && IsSeparator(menu, i + 1)))
            DeleteMenu(menu, i, MF_BYPOSITION);
    }
}

// Every item of the command in the menu and one level of its sub menus.
static void DeleteCommand(HMENU menu, UINT id)
{
    int position = 0, sub = 0;
    while (HMENU holder = FindMenuItem(menu, id, 0, &position, &sub))
        DeleteMenu(holder, position, MF_BYPOSITION);
}

bool CYVEXControl::IsDrawingEditable()
{
    CGroup* root = GetRootGroup();
    return AcceptsEdits() && root && root->IsEnabled();
}

bool CYVEXControl::IsBlockEditing() const
{
    const CGroup* root = GetRootGroup();
    return root && root->GetId() != 0 && root->GetParent();
}

std::wstring CYVEXControl::GetDataSourceName() const
{
    ycom::Bstr dsn;
    if (m_persistDB)
        m_persistDB->get_DSN(dsn.Put());
    return dsn.CStr() ? std::wstring(dsn.CStr()) : std::wstring();
}

UINT CYVEXControl::TrackContextMenu(HMENU popup, const CRealPoint& world)
{
    // The host may move the menu, or keep it from showing.
    float x = world.x, y = world.y;
    // While the host hears OnContextMenuShow it may reach the menu through ContextMenu.
    m_contextMenu = popup;
    if (!FireContextMenuShow(&x, &y)) {
        m_contextMenu = nullptr;
        return 0;
    }
    const POINT device = GetCurrentViewport().WorldToDevice(CRealPoint(x, y));
    POINT screen = device;
    if (m_hWnd)
        ClientToScreen(m_hWnd, &screen);
    RemoveRedundantMenuSeparators(popup);
    m_contextMenuPoint = device;
    const UINT command = ShowPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, m_hWnd);
    m_contextMenu = nullptr;
    if (m_hWnd)
        SetCursor(m_cursor ? m_cursor : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
    FireContextMenuCommand(static_cast<LONG>(command));
    return command == 0 ? kMenuShownNoCommand : command;
}

void CYVEXControl::ShowCanvasMenu(const CRealPoint& world)
{
    MenuOwner menu = LoadMenuResource(IDR_CANVAS_MENU);
    if (!menu)
        return;
    const bool editable = IsDrawingEditable();
    CLayer* layer = GetCurrentLayer();
    CGroup* root = GetRootGroup();
    int index = 0;
    if (!editable || !layer || !layer->IsEnabled())
        index = 1;
    else if (root && root->GetId() >= 2 && root->GetId() <= 11 && root->GetShapeType() != stGroup)
        index = 2;
    HMENU popup = GetSubMenu(menu.get(), index);
    const bool blockEditing = IsBlockEditing();
    if (blockEditing)
        DeleteCommand(popup, MI_SAVE_TO_DB);
    const bool referenceRoot = root && root->GetParent() &&
                               (root->GetShapeType() == stGroup || root->GetShapeType() == stReference) &&
                               !(GetControlFlags() & controlDisableCustomizeAttributes);
    if (!referenceRoot)
        DeleteCommand(popup, MI_RESET_REFERENCE_ATTRIBUTES);
    if (!blockEditing) {
        // The block-editing popup goes with its first item.
        int position = 0, sub = 0;
        if (HMENU holder = FindMenuItem(popup, MI_COMPLETE, 0, &position, &sub)) {
            if (sub >= 0)
                DeleteMenu(popup, sub, MF_BYPOSITION);
            else
                DeleteMenu(holder, position, MF_BYPOSITION);
        }
    }
    const CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    CheckMenuItem(popup, MI_SHOW_GRID, MF_BYCOMMAND | (setting && setting->ShowGrid ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(popup, MI_SNAP_TO_GRID, MF_BYCOMMAND | (setting && setting->SnapToGrid ? MF_CHECKED : MF_UNCHECKED));
    EnableMenuItem(popup, MI_LOAD_FROM_DB, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(popup, MI_SAVE_TO_DB, MF_BYCOMMAND | MF_ENABLED);
    if (GetDataSourceName().empty()) {
        DeleteCommand(popup, MI_SAVE_TO_DB);
        DeleteCommand(popup, MI_LOAD_FROM_DB);
    }
    if (!editable)
        DeleteCommand(popup, MI_PASTE);
    else
        PrunePasteItem(popup);
    if (!blockEditing) {
        DeleteCommand(popup, MI_COMPLETE);
        DeleteCommand(popup, kMenuContinue);
    } else {
        EnableMenuItem(popup, MI_COMPLETE, MF_BYCOMMAND | MF_ENABLED);
        EnableMenuItem(popup, kMenuContinue, MF_BYCOMMAND | MF_ENABLED);
    }
    const UINT command = TrackContextMenu(popup, world);
    if (command && command != kMenuShownNoCommand)
        ExecuteMenuCommand(command, 0);
}

UINT CYVEXControl::ShowEditMenu(const CRealPoint& world)
{
    CShape* edited = GetEditState().editedShape;
    MenuOwner menu = LoadMenuResource(IDR_EDIT_MENU);
    if (!menu || !edited)
        return 0;
    const int type = edited->GetShapeType();
    const bool polyline = edited->GetId() >= 1 && IsPolylineKind(type);
    HMENU popup = GetSubMenu(menu.get(), polyline ? 2 : (type == stImage ? 1 : 0));
    if (polyline) {
        if (type == stPolygon || edited->GetPointCount() < 3) {
            DeleteCommand(popup, MI_CLOSE_POLYLINE);
        } else if (static_cast<CPolyline*>(edited)->IsClosed()) {
            wchar_t label[64] = {};
            LoadStringW(ycom::TheModule().Instance(), IDS_OPEN_SHAPE, label, 64);
            ModifyMenuW(popup, MI_CLOSE_POLYLINE, MF_BYCOMMAND | MF_STRING, MI_CLOSE_POLYLINE, label);
        }
        if (!(GetEditState().editMode == EDSH_NEWPOINT && edited->GetPointCount() > 2))
            DeleteCommand(popup, MI_DELETE_POINT);
        if (GetMenuItemCount(popup) > 0 && IsSeparator(popup, 0))
            DeleteMenu(popup, 0, MF_BYPOSITION);
    }
    EnableMenuItem(popup, MI_ENTER, MF_BYCOMMAND | (edited->IsEditActive(false) ? MF_ENABLED : MF_GRAYED));
    const UINT command = TrackContextMenu(popup, world);
    // The click that closed the menu is not a click on the drawing.
    MSG msg;
    if (m_hWnd)
        PeekMessageW(&msg, m_hWnd, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE);
    switch (command) {
    case MI_CANCEL: EndInteractiveOperation(false); break;
    case MI_ENTER: EndInteractiveOperation(true); break;
    case MI_CLOSE_POLYLINE:
        if (polyline) {
            auto* shape = static_cast<CPolyline*>(edited);
            const bool closed = shape->IsClosed();
            EndInteractiveOperation(true);
            shape->SetClosed(!closed, true);
            RequestRedraw(rfRedrawSelection, nullptr);
        }
        break;
    case MI_DELETE_POINT:
        if (polyline && GetEditState().editMode == EDSH_NEWPOINT && edited->GetPointCount() > 2) {
            // The point put down last stands next to the one that follows the pointer.
            CShapeStateMap& states = GetShapeStateMap();
            const int picked = states.GetValue(edited->GetId());
            const int last = picked > 0 ? picked - 1 : (picked == 0 ? 1 : -1);
            if (last < 0 || last >= edited->GetPointCount())
                break;
            const int pointId = edited->GetPoints().GetAt(last)->GetPointId();
            if (!FireDeletePoint(pointId))
                break;
            edited->SetVisible(false);
            edited->RemovePointById(pointId, false, 1);
            if (last < picked)
                states.SetValue(edited->GetId(), picked - 1);
            edited->SetVisible(true);
            RequestRedraw(rfRedrawAll, nullptr);
        }
        break;
    default: break;
    }
    return command;
}

UINT CYVEXControl::ShowSelectionMenu(bool editable, const CRealPoint& world, int* extra)
{
    *extra = 0;
    m_menuVertex = -1;
    m_menuSegment = -1;
    CGroup* selection = GetSelectionGroup();
    MenuOwner menu = LoadMenuResource(IDR_SELECTION_MENU);
    if (!menu || !selection)
        return 0;
    const std::vector<CShape*> selected = selection->Children();
    CShape* one = selected.size() == 1 ? selected[0] : nullptr;
    const int type = one ? one->GetShapeType() : 0;
    HMENU popup = GetSubMenu(menu.get(), type >= 0 && type < GetMenuItemCount(menu.get()) ? type : 0);
    if (one && IsPolylineKind(type)) {
        auto* shape = static_cast<CPolyline*>(one);
        const int count = one->GetPointCount();
        const POINT device = GetCurrentViewport().WorldToDevice(world);
        // The clicked vertex: the first within a few pixels of the pointer, -1 for none.
        int vertex = -1;
        int i = 0;
        for (CPointRecord* point : one->GetPoints()) {
            const POINT at = GetCurrentViewport().WorldToDevice(*point);
            if (vertex < 0 && std::abs(at.x - device.x) <= 4 && std::abs(at.y - device.y) <= 4)
                vertex = i;
            ++i;
        }
        m_menuVertex = vertex;
        m_menuSegment = -1;
        int segment = -1;
        if (vertex < 0 && shape->HitSegmentTest(static_cast<float>(device.x), static_cast<float>(device.y), &segment))
            m_menuSegment = segment;
        if (vertex != 0)
            DeleteCommand(popup, MI_ADD_HEAD_POINT);
        if (vertex < 0 || vertex != count - 1)
            DeleteCommand(popup, MI_ADD_TAIL_POINT);
        if (vertex < 0) {
            DeleteCommand(popup, MI_DELETE_POINT);
            if (m_menuSegment < 0)
                DeleteCommand(popup, MI_INSERT_POINT);
        } else if (vertex == 0) {
            DeleteCommand(popup, MI_INSERT_POINT);
        }
        const bool closed = shape->IsClosed();
        if (count < (closed ? 4 : 3))
            DeleteCommand(popup, MI_DELETE_POINT);
        if (type == stPolygon || count < 2) {
            DeleteCommand(popup, MI_CLOSE_POLYLINE);
        } else if (closed) {
            wchar_t label[64] = {};
            LoadStringW(ycom::TheModule().Instance(), IDS_OPEN_SHAPE, label, 64);
            int position = 0, sub = 0;
            if (HMENU holder = FindMenuItem(popup, MI_CLOSE_POLYLINE, 0, &position, &sub))
                ModifyMenuW(holder, position, MF_BYPOSITION | MF_STRING, MI_CLOSE_POLYLINE, label);
        }
    } else if (one && type == stReference) {
        *extra = one->GetId();
    }
    if (!editable)
        for (UINT id : {MI_CUT, MI_PASTE})
            DeleteCommand(popup, id);
    return TrackContextMenu(popup, world);
}

bool CYVEXControl::ExecuteEditCommand(UINT command)
{
    CGroup* selection = GetSelectionGroup();
    if (!selection || selection->GetShapeCount() == 0)
        return false;
    const std::vector<CShape*> selected = selection->Children();
    CShape* one = selected.size() == 1 ? selected[0] : nullptr;
    switch (command) {
    case miAlignLeft: StartEditShape(selection, EDSH_ALIGN_SHAPE, saLeft, 0); return true;
    case miAlignRight: StartEditShape(selection, EDSH_ALIGN_SHAPE, saRight, 0); return true;
    case miAlignTop: StartEditShape(selection, EDSH_ALIGN_SHAPE, saTop, 0); return true;
    case miAlignBottom: StartEditShape(selection, EDSH_ALIGN_SHAPE, saBottom, 0); return true;
    case miAlignCenter: StartEditShape(selection, EDSH_ALIGN_SHAPE, saCenter, 0); return true;
    case miAlignMiddle: StartEditShape(selection, EDSH_ALIGN_SHAPE, saMiddle, 0); return true;
    case MI_FLIP_HORZ: StartEditShape(selection, EDSH_FLIP_SHAPE, sfdLeftToRight, 0); return true;
    case MI_FLIP_VERT: StartEditShape(selection, EDSH_FLIP_SHAPE, sfdUpsideDown, 0); return true;
    case MI_ROTATE: StartEditShape(selection, EDSH_ROTATE, 0, 0); return true;
    case MI_ROTATE_LEFT: StartEditShape(selection, EDSH_ROTATE, 90, 0); return true;
    case MI_ROTATE_RIGHT: StartEditShape(selection, EDSH_ROTATE, -90, 0); return true;
    case miMove: StartEditShape(selection, EDSH_MOVE, 0, 0); return true;
    case miScale: StartEditShape(selection, EDSH_SCALE, 0, 0); return true;
    case miDelete: StartEditShape(selection, EDSH_REMOVE, 0, 0); return true;
    case MI_EDIT_TEXT:
        if (one)
            StartEditShape(one, EDSH_TEXT, 0, 0);
        return true;
    default: break;
    }
    if (!one || !IsPolylineKind(one->GetShapeType()))
        return false;
    auto* polyline = static_cast<CPolyline*>(one);
    switch (command) {
    case MI_DELETE_POINT:
        if (m_menuVertex >= 0 && m_menuVertex < one->GetPointCount())
            StartEditShape(one, EDSH_DELETEPOINT, one->GetPoints().GetAt(m_menuVertex)->GetPointId(), 0);
        return true;
    case MI_ADD_TAIL_POINT:
        if (m_menuVertex >= 0)
            StartEditShape(one, EDSH_NEWPOINT, m_menuVertex + 1, 0);
        return true;
    case MI_ADD_HEAD_POINT:
        StartEditShape(one, EDSH_NEWPOINT, 0, 0);
        return true;
    case MI_INSERT_POINT:
        if (m_menuVertex >= 0 || m_menuSegment >= 0)
            StartEditShape(one, EDSH_NEWPOINT, (m_menuVertex >= 0 ? m_menuVertex : m_menuSegment) + 1, 0);
        return true;
    case MI_CLOSE_POLYLINE:
        polyline->SetClosed(!polyline->IsClosed(), true);
        SetModified(true);
        RequestRedraw(rfRedrawAll, nullptr);
        return true;
    default: return false;
    }
}

HRESULT CYVEXControl::ExecuteMenuCommand(UINT command, int extra)
{
    CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    CGroup* root = GetRootGroup();
    switch (command) {
    case MI_EDIT_BLOCK: return EditShape(extra, EDSH_BLOCK, 0);
    case MI_COMPLETE: LeaveBlockEditing(); return S_OK;
    case MI_BLOCK_BASE_LEFTTOP:
    case MI_BLOCK_BASE_LEFTBOTTOM:
    case MI_BLOCK_BASE_RIGHTTOP:
    case MI_BLOCK_BASE_RIGHTBOTTOM:
    case MI_BLOCK_BASE_CENTER: {
        if (!IsBlockEditing() || !root)
            return S_FALSE;
        // The commands follow the modes in order: left-top, left-bottom, right-top, right-bottom,
        // centre.
        const int mode = CShape::kBaseAtLeftTop + static_cast<int>(command - MI_BLOCK_BASE_LEFTTOP);
        return MoveGroupBasePoint(root, 0.0f, 0.0f, mode);
    }
    case MI_BLOCK_BASE_ON_CLICK: {
        if (!root || root->GetParent() != GetLibraryGroup())
            return S_FALSE;
        // The root is the block: the point clicked is a point of the block.
        const CRealPointD at = GetCurrentViewport().DeviceToWorld(m_contextMenuPoint.x, m_contextMenuPoint.y);
        return MoveGroupBasePoint(root, static_cast<float>(at.x), static_cast<float>(at.y), CShape::kBaseAtPoint);
    }
    case MI_ZOOM_IN: return Zoom(static_cast<float>(GetCurrentViewport().zoom * 1.2));
    case MI_ZOOM_OUT: return Zoom(static_cast<float>(GetCurrentViewport().zoom * 0.8333333));
    case MI_ZOOM_WINDOW: return ZoomWindow(VARIANT_TRUE, 0, 0, 0, 0);
    case MI_ZOOM_ALL: return ZoomAll();
    case MI_ZOOM_PREVIOUS: return ZoomPrevious(0);
    case MI_ZOOM_SELECTION: return ZoomShape(-1, 1.2f);
    case MI_SHOW_GRID:
        if (setting) {
            setting->ShowGrid = !setting->ShowGrid;
            RequestRedraw(rfRedrawAll, nullptr);
        }
        return S_OK;
    case MI_SNAP_TO_GRID:
        if (setting) {
            setting->SnapToGrid = !setting->SnapToGrid;
            RequestRedraw(rfCopyBuf | rfCopyMarkers, nullptr);
        }
        return S_OK;
    // The user draws a shape of the kind in the active group (an image asks for its picture).
    case MI_DRAW_LINE: return BeginDrawShape(GetActiveGroupID(), stLine, 0, nullptr);
    case MI_DRAW_RECTANGLE: return BeginDrawShape(GetActiveGroupID(), stRectangle, 0, nullptr);
    case MI_DRAW_ARC: return BeginDrawShape(GetActiveGroupID(), stArc, 0, nullptr);
    case MI_DRAW_CIRCLE: return BeginDrawShape(GetActiveGroupID(), stCircle, 0, nullptr);
    case MI_DRAW_ELLIPSE: return BeginDrawShape(GetActiveGroupID(), stEllipse, 0, nullptr);
    case MI_DRAW_POLYLINE: return BeginDrawShape(GetActiveGroupID(), stPolyline, 0, nullptr);
    case MI_DRAW_POLYGON: return BeginDrawShape(GetActiveGroupID(), stPolygon, 0, nullptr);
    case MI_DRAW_IMAGE: return BeginDrawShape(GetActiveGroupID(), stImage, 0, nullptr);
    case MI_DRAW_TEXT: return BeginDrawShape(GetActiveGroupID(), stText, ttANSI, nullptr);
    case MI_DRAW_RTF_TEXT: return BeginDrawShape(GetActiveGroupID(), stText, ttRTF, nullptr);
    // A Bezier curve is a polyline of that style; a free-hand line takes its points as the
    // pointer moves.
    case MI_DRAW_BEZIER: return BeginDrawShape(GetActiveGroupID(), stPolyline, pfBezier, nullptr);
    case MI_DRAW_FREE_HAND: return BeginDrawShape(GetActiveGroupID(), stPolyline, pfFreeHand, nullptr);
    case MI_PASTE: return Paste();
    case MI_COPY: return Copy();
    case MI_CUT: return Cut();
    case MI_OPTIONS: ShowOptionsSheet(); return S_OK;
    case MI_VERTICES: ShowVerticesDialog(); return S_OK;
    case MI_PROPERTIES: return ShapeProperties(VARIANT_TRUE);
    default:
        // The commands of the services still to come answer nothing yet.
        return S_FALSE;
    }
}

void CYVEXControl::ShowContextMenuAt(const CRealPoint& world)
{
    const bool editable = IsDrawingEditable();
    CShape* edited = GetEditState().editedShape;
    if (edited && editable) {
        ShowEditMenu(world);
        return;
    }
    CSelectionGroup* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (selection && selection->GetShapeCount() > 0) {
        int extra = 0;
        const UINT command = ShowSelectionMenu(editable, world, &extra);
        if (ExecuteEditCommand(command))
            return;
        if (command == MI_BRING_TO_FRONT || command == MI_SEND_TO_BACK) {
            if (command == MI_BRING_TO_FRONT)
                selection->BringSelectionToFront(true, false);
            else
                selection->SendSelectionToBack(true, false);
            RequestRedraw(rfRedrawAll, nullptr);
        } else if (command && command != kMenuShownNoCommand) {
            ExecuteMenuCommand(command, extra);
        }
        return;
    }
    ShowCanvasMenu(world);
}
