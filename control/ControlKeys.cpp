// The keyboard shortcuts of the control window, its timers and the end of an in-place text edit.
#include "control/YVEXControl.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/SelectionGroup.h"
#include "model/Text.h"
#include "persistence/DrawingSettingRecord.h"
#include <commctrl.h>
#include <cstring>
#include <string>

namespace {

bool Held(int key) { return GetKeyState(key) < 0; }

// The edits that a Space press (and nudging) drives like a left press.
bool IsPointerEdit(int mode) { return mode == EDSH_MOVE || mode == EDSH_POINT || mode == EDSH_NEWPOINT || mode == EDSH_SCALE; }

} // namespace

bool CYVEXControl::HasTextEditorWindow() const { return m_inPlaceEdit != nullptr; }

void CYVEXControl::RedrawAll()
{
    RequestRedraw(rfRedrawAll, nullptr);
}

void CYVEXControl::EditSelection(int editType, int lParam)
{
    if (CGroup* selection = GetSelectionGroup())
        StartEditShape(selection, editType, lParam, 0);
    RedrawAll();
}

void CYVEXControl::SelectAll()
{
    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (!selection)
        return;
    const int before = selection->GetShapeCount();
    selection->Clear(false);
    CGroup* root = GetRootGroup();
    if (root && (root->GetShapeType() == stGroup || root->GetShapeType() == stReference)) {
        CSelectionGroup::AddBatch batch(selection);
        for (int i = 0; i < root->GetShapeCount(); ++i)
            selection->AddChild(root->GetChildAt(i), nullptr, 0, false);
    } else if (root) {
        selection->AddChild(root, nullptr, 0, false);
    }
    const bool changed = selection->GetShapeCount() != before;
    if (changed)
        RequestRedraw(rfRedrawSelection, nullptr);
    if (EventsEnabled()) {
        FireChangeSelection();
        if (changed)
            RestartRedrawTimer(0);
    }
}

void CYVEXControl::ToggleDrawingSettingSwitch(int which)
{
    CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    if (!setting)
        return;
    auto toggle = [&] {
        switch (which) {
        case kSwitchSnap: setting->SnapToGrid = !setting->SnapToGrid; break;
        case kSwitchRulers:
            setting->ShowRulers = !setting->ShowRulers;
            ShowRulers(setting->ShowRulers != 0);
            break;
        default: setting->ShowGrid = !setting->ShowGrid; break;
        }
    };
    toggle();
    if (EventsEnabled()) {
        if (!FireEditDrawingSetting(setting->ID)) {
            // The host keeps the setting as it was.
            toggle();
            return;
        }
        RestartRedrawTimer(0);
    }
    RequestRedraw(rfCopyMarkers, nullptr);
    PostToOptionsPage(kOptionsDrawingSettingsPage);
}

bool CYVEXControl::StartTextEditingOfSelection()
{
    CGroup* selection = GetSelectionGroup();
    if (!selection || selection->GetShapeCount() != 1)
        return false;
    CShape* shape = selection->GetChildAt(0);
    if (shape->GetShapeType() != stText || !shape->IsSelectable())
        return false;
    CShape* edited = GetEditState().editedShape;
    if (edited && (edited == shape || (edited == selection && selection->GetShapeCount() == 1)))
        EndInteractiveOperation(true);
    static_cast<CText*>(shape)->EditText();
    return true;
}

LRESULT CYVEXControl::HandleKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    handled = FALSE;
    const bool ctrl = Held(VK_CONTROL);
    const bool shift = Held(VK_SHIFT);
    CEditState& edit = GetEditState();
    const bool editing = edit.editedShape != nullptr;
    const bool textEditor = HasTextEditorWindow();
    CGroup* selection = GetSelectionGroup();
    // Shift alone with a letter opens a page of the Options sheet.
    auto optionsPage = [&](OptionsPageIndex page) {
        if (!shift || ctrl || textEditor)
            return false;
        DisplayOptions(page);
        return true;
    };
    bool acted = true;
    switch (wParam) {
    case VK_RETURN:
        if (editing)
            EndInteractiveOperation(true);
        else if (ctrl && !shift && !textEditor)
            ShapeProperties(IsPropertiesDialogVisible() ? VARIANT_FALSE : VARIANT_TRUE);
        else
            acted = false;
        break;
    case VK_ESCAPE:
        m_endMoveAtRelease = false;
        if (editing) {
            EndInteractiveOperation(false);
        } else {
            if (selection && selection->GetShapeCount() > 0) {
                static_cast<CSelectionGroup*>(selection)->Clear(false);
                RequestRedraw(rfCopyBuf | rfRedrawSelection, nullptr);
            }
            if (IsBlockEditing())
                LeaveBlockEditing();
        }
        break;
    case VK_SPACE:
        if (editing && IsPointerEdit(edit.editMode))
            edit.editedShape->OnEditMouseDown(edit.mousePosition.x, edit.mousePosition.y, nullptr);
        else
            acted = false;
        break;
    case VK_PRIOR:
    case VK_NEXT: PostMessageW(m_hWnd, WM_VSCROLL, wParam == VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN, 0); break;
    case VK_LEFT:
    case VK_RIGHT: {
        const int step = wParam == VK_LEFT ? -1 : 1;
        if (ctrl)
            PostMessageW(m_hWnd, WM_HSCROLL, step < 0 ? SB_PAGELEFT : SB_PAGERIGHT, 0);
        else if (!(CanNudge() && Nudge(step, 0)))
            PostMessageW(m_hWnd, WM_HSCROLL, step < 0 ? SB_LINELEFT : SB_LINERIGHT, 0);
        break;
    }
    case VK_UP:
    case VK_DOWN: {
        const int step = wParam == VK_UP ? 1 : -1;
        if (!(CanNudge() && Nudge(0, step)))
            PostMessageW(m_hWnd, WM_VSCROLL, step > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
        break;
    }
    case VK_DELETE:
        if (selection)
            StartEditShape(selection, EDSH_REMOVE, 0, 0);
        break;
    case 'A':
        acted = ctrl && !shift && !editing;
        if (acted)
            SelectAll();
        break;
    case 'B':
        if (ctrl && shift) {
            if (selection)
                static_cast<CSelectionGroup*>(selection)->SendSelectionToBack(true, false);
            RedrawAll();
        } else {
            acted = optionsPage(OPTPAGE_BLOCKSDLG);
        }
        break;
    case 'C':
        // The clipboard keys that menu 401 shows beside its items.
        acted = ctrl && !shift;
        if (acted)
            Copy();
        break;
    case 'D': acted = optionsPage(OPTPAGE_DRAWINGSETTINGSDLG); break;
    case 'F':
        acted = ctrl && shift;
        if (acted) {
            if (selection)
                static_cast<CSelectionGroup*>(selection)->BringSelectionToFront(true, false);
            RedrawAll();
        }
        break;
    case 'G':
        if (ctrl && !shift) {
            // Not even the selection is read while a worker holds the drawing.
            if (RefuseWhileBusy())
                break;
            acted = selection && selection->GetShapeCount() > 1;
            if (acted) {
                // The host's member with its checks: nothing while read-only or disabled.
                GroupShapes(SELECTION_ID, VARIANT_TRUE, nullptr);
                RedrawAll();
            }
        } else {
            acted = optionsPage(OPTPAGE_GENERALDLG);
        }
        break;
    case 'H':
        // Ctrl+H turns the selection upside down, whatever menu 401 writes beside its items.
        if (ctrl && !shift)
            EditSelection(EDSH_FLIP_SHAPE, sfdUpsideDown);
        else
            acted = optionsPage(OPTPAGE_HATCHESDLG);
        break;
    case 'I': acted = optionsPage(OPTPAGE_IMAGESDLG); break;
    case 'J':
        acted = ctrl && !shift;
        if (acted)
            EditSelection(EDSH_FLIP_SHAPE, sfdLeftToRight);
        break;
    case 'L':
        if (ctrl && !shift)
            EditSelection(EDSH_ROTATE, 90);
        else
            acted = optionsPage(OPTPAGE_LAYERSDLG);
        break;
    case 'Q':
        acted = ctrl;
        if (ctrl && shift)
            ZoomPrevious(0);
        else if (ctrl)
            ZoomShape(-1, 1.2f);
        break;
    case 'R':
        acted = ctrl;
        if (ctrl)
            EditSelection(EDSH_ROTATE, shift ? 0 : -90);
        break;
    case 'U':
        if (ctrl && shift) {
            if (selection)
                UnGroupShapes(SELECTION_ID, VARIANT_TRUE);
            RedrawAll();
        } else if (ctrl && GetUndoRecorder() && GetUndoRecorder()->GetManager()) {
            // A host's manager knows nothing of the control's workers: the key waits here too.
            if (!RefuseWhileBusy()) {
                GetUndoRecorder()->GetManager()->UndoTo(nullptr);
                RedrawAll();
            }
        } else {
            acted = false;
        }
        break;
    case 'V':
        if (ctrl && !shift)
            Paste();
        else
            acted = optionsPage(OPTPAGE_VIEWPORTSDLG);
        break;
    case 'W':
        acted = ctrl;
        if (ctrl && shift)
            ZoomWindow(VARIANT_TRUE, 0, 0, 0, 0);
        else if (ctrl)
            ZoomAll();
        break;
    case 'X':
        acted = ctrl && !shift;
        if (acted)
            Cut();
        break;
    case 'Y':
        acted = ctrl && !shift && GetUndoRecorder() && GetUndoRecorder()->GetManager();
        if (acted && !RefuseWhileBusy()) {
            GetUndoRecorder()->GetManager()->RedoTo(nullptr);
            RedrawAll();
        }
        break;
    case VK_APPS: {
        BOOL ignored = TRUE;
        HandleRButtonUp(WM_RBUTTONUP, 0, 0, ignored);
        break;
    }
    case VK_ADD: Zoom(static_cast<float>(GetCurrentViewport().zoom * 1.2)); break;
    case VK_SUBTRACT: Zoom(static_cast<float>(GetCurrentViewport().zoom * 0.8333333)); break;
    case VK_F2: StartTextEditingOfSelection(); break;
    case VK_F9:
        if (shift)
            ToggleDrawingSettingSwitch(kSwitchSnap);
        else if (ctrl)
            ToggleDrawingSettingSwitch(kSwitchRulers);
        else
            ToggleDrawingSettingSwitch(kSwitchGrid);
        break;
    default:
        if (wParam >= '0' && wParam <= '9' && ctrl && !shift) {
            // The list's first entry is the current view itself: Ctrl+0 makes the second current.
            CViewportRecord* view = GetViewportList().GetAt(static_cast<int>(wParam - '0') + 1);
            if (view && SetCurrentViewport(view)) {
                RedrawAll();
                PostToOptionsPage(kOptionsViewportsPage);
            }
        } else {
            acted = false;
        }
        break;
    }
    if (acted)
        handled = TRUE;
    return 0;
}

LRESULT CYVEXControl::HandleSysKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    handled = FALSE;
    if (wParam == VK_ADD) {
        ZoomShape(-1, 2.0f);
        handled = TRUE;
        return 1;
    }
    if (wParam == VK_F2) {
        CGroup* selection = GetSelectionGroup();
        if (selection && selection->GetShapeCount() == 1) {
            CShape* shape = selection->GetChildAt(0);
            bool editable = shape->GetShapeType() == stText;
            if (shape->GetShapeType() == stReference) {
                auto* reference = static_cast<CGroup*>(shape);
                for (int i = 0; i < reference->GetShapeCount() && !editable; ++i)
                    editable = reference->GetChildAt(i)->GetTextType() == ttAttrib;
            }
            if (editable)
                StartEditShape(shape, EDSH_TEXT, 0, 0);
        }
        handled = TRUE;
        return 1;
    }
    return 0;
}

LRESULT CYVEXControl::HandleTimerMessage(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    const UINT_PTR id = static_cast<UINT_PTR>(wParam);
    if (HandleTimer(id))
        return 0;
    if (id == kRulerTimer) {
        KillTimer(m_hWnd, kRulerTimer);
        if (!CreateRulers())
            SetTimer(m_hWnd, kRulerTimer, 100, nullptr);
        return 0;
    }
    if (id == kRedrawTimer) {
        KillTimer(m_hWnd, kRedrawTimer);
        FireInvalidateToolbar(0);
        return 0;
    }
    // Every other timer is the messenger's: it sets them and reads its queue when they expire.
    ForwardTimerToMessenger(id);
    return 0;
}

LRESULT CYVEXControl::HandleInPlaceEditNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
    if (!info)
        return 0;
    const char* text = (info->item.mask & LVIF_TEXT) ? info->item.pszText : nullptr;
    CommitInPlaceText(text, info->item.iItem);
    handled = TRUE;
    return 1;
}

BOOL CYVEXControl::CommitInPlaceText(const char* text, int shapeId)
{
    if (!text) {
        EndInteractiveOperation(false);
        return TRUE;
    }
    CShape* edited = GetEditState().editedShape;
    if (!edited || edited->GetId() != shapeId || edited->GetShapeType() != stText) {
        // An editor whose edit is over has nothing left to do.
        if (!edited || GetEditState().editMode != EDSH_TEXT)
            CloseTextEditorLater();
        return TRUE;
    }
    auto* shape = static_cast<CText*>(edited);
    const std::string kept = shape->GetText();
    shape->SetTextBytes(text, static_cast<int>(std::strlen(text)));
    EndInteractiveOperation(true);
    // Ending refused (the edit is still running on this text): the text keeps what it had.
    if (GetEditState().editedShape == shape) {
        CShape* found = FindShape(shapeId);
        if (found == shape && found->GetShapeType() == stText)
            shape->SetTextBytes(kept.data(), static_cast<int>(kept.size()));
    }
    return TRUE;
}

void CYVEXControl::RestoreEditCursor()
{
    const HCURSOR cursor = GetEditState().editedShape && m_editCursor ? m_editCursor : m_cursor;
    if (cursor)
        SetCursor(cursor);
}

void CYVEXControl::PostToOptionsPage(int page)
{
    if (!m_optionsSheet || !m_optionsSheet->GetWindow())
        return;
    if (HWND window = m_optionsSheet->GetPageWindow(page))
        PostMessageA(window, WM_USER + 100, 1, 1);
}

void CYVEXControl::ShowOptionsSheet()
{
    if (!m_optionsSheet || m_optionsSheet->GetWindow())
        return;
    // A sink or a page may let go of the control while the sheet runs its own message loop.
    ycom::ComPtr<IUnknown> keepAlive(GetControllingUnknown());
    m_optionsSheet->Show(this, nullptr);
}

INT_PTR CYVEXControl::ShowVerticesDialog()
{
    if (!m_verticesDialog || !m_hWnd)
        return -1;
    // A sink may let go of the control while the dialog runs its own message loop.
    ycom::ComPtr<IUnknown> keepAlive(GetControllingUnknown());
    return m_verticesDialog->Run(this, m_hWnd);
}
