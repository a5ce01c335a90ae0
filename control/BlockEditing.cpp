// Block editing: the view switched into a block of the library (or a group), level by level, with
// the button that leaves a level.
#include "control/YVEXControl.h"
#include "com/AnsiText.h"
#include "com/Guard.h"
#include "com/MessageBoxHook.h"
#include "control/BlockNamePrompts.h"
#include "control/ResourceText.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/Reference.h"
#include "ui/resource.h"
#include <commctrl.h>
#include <cfloat>
#include <set>
#include <string>
#include <vector>

namespace {

// The size of the button that leaves a level, at the control's top left corner.
constexpr int kBlockButtonSize = 24;
// The tooltip's background: yellow.
constexpr COLORREF kTooltipColour = 0xFFFF;

bool IsOfferedBlockName(const std::string& name) { return !name.empty() && name[0] != '*' && name[0] != '$'; }

} // namespace

int CYVEXControl::BeginBlockEditing(CShape* shape, int lParam)
{
    if (!shape)
        return 0;
    CShape* block = shape;
    if (shape->GetId() == BASE_ID) {
        // On the drawing itself the user picks a block of the library by name.
        std::set<std::string> names;
        CGroup* library = GetLibraryGroup();
        if (library)
            for (int i = 0; i < library->GetShapeCount(); ++i) {
                CShape* child = library->GetChildAt(i);
                const std::string name = ycom::WideToAnsi(static_cast<CGroup*>(child)->GetName().c_str());
                if (child->GetShapeType() == stGroup && IsOfferedBlockName(name))
                    names.insert(name);
            }
        if (names.empty())
            ycom::ShowMessageBox(m_hWnd, LoadResourceTextA(IDS_NO_BLOCKS_TO_EDIT, 256).c_str(), "Edit block",
                                 MB_OK | MB_ICONINFORMATION);
        std::string chosen;
        CShape* picked = nullptr;
        if (!names.empty() && ChooseBlockName(m_hWnd, "Edit block", names, chosen))
            picked = library->FindChildByName(ycom::AnsiToWide(chosen).c_str());
        if (!picked) {
            FireCancel();
            return 0;
        }
        return StartEditShape(picked, EDSH_BLOCK, 0, 0);
    }
    if (shape->GetShapeType() == stReference && lParam != 1)
        block = static_cast<CReference*>(shape)->GetBlock();
    if (!block || !block->IsGroup()) {
        FireCancel();
        return 0;
    }

    CGroup* root = GetRootGroup();
    const CViewportRecord& view = GetCurrentViewport();
    m_blockLevels.push_back(BlockLevel{root ? root->GetId() : BASE_ID, view.center, view.zoom});
    if (EventsEnabled() && !FireSwitchRootID(block->GetId())) {
        // Refused: the level was never entered.
        m_blockLevels.pop_back();
        return 1;
    }
    auto* group = static_cast<CGroup*>(block);
    if (CGroup* library = GetLibraryGroup())
        if (group->GetShapeType() == stGroup)
            library->ResolveReferences(library, nullptr);
    SetRootId(block->GetId());
    ZoomAll();
    SetActiveGroup(group);

    const char* tip = "Complete editing shape(Esc)";
    if (block->GetParent() && block->GetParent() == GetLibraryGroup())
        tip = "Complete editing block(Esc)";
    else if (block->GetId() >= DEFAULT_SHAPE_ID && block->GetId() <= DEFAULT_IMAGE_ID)
        tip = "Complete editing default shape(Esc)";
    if (m_blockLevels.size() < 2)
        ShowBlockButton(tip);
    else
        SetBlockTooltip(tip);
    return 1;
}

void CYVEXControl::ShowBlockButton(const char* tip)
{
    if (!m_hWnd)
        return;
    if (HWND corner = GetCornerWindow())
        ShowWindow(corner, SW_HIDE);
    if (!m_blockButton) {
        m_blockButton = CreateWindowExA(0, "BUTTON", "Test", WS_CHILD | BS_PUSHBUTTON | BS_BITMAP, 0, 0, kBlockButtonSize,
                                        kBlockButtonSize, m_hWnd,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBlockButtonId)), nullptr, nullptr);
        if (m_blockButton && m_blockBitmap.Get())
            SendMessageA(m_blockButton, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_blockBitmap.Get()));
    }
    if (m_blockButton)
        ShowWindow(m_blockButton, SW_SHOW);
    if (!m_blockTooltip && m_blockButton) {
        m_blockTooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, nullptr, nullptr);
        if (m_blockTooltip) {
            SendMessageA(m_blockTooltip, TTM_SETTIPBKCOLOR, kTooltipColour, 0);
            TOOLINFOA tool = {};
            tool.cbSize = sizeof tool;
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = m_hWnd;
            tool.uId = reinterpret_cast<UINT_PTR>(m_blockButton);
            tool.lpszText = const_cast<char*>(tip);
            SendMessageA(m_blockTooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    SetBlockTooltip(tip);
}

void CYVEXControl::SetBlockTooltip(const char* tip)
{
    m_blockTooltipText = tip ? tip : "";
    if (!m_blockTooltip || !m_blockButton)
        return;
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(m_blockButton);
    tool.lpszText = const_cast<char*>(m_blockTooltipText.c_str());
    SendMessageA(m_blockTooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CYVEXControl::CloseBlockButton()
{
    if (m_blockTooltip) {
        DestroyWindow(m_blockTooltip);
        m_blockTooltip = nullptr;
    }
    if (m_blockButton) {
        if (!DestroyWindow(m_blockButton))
            SendMessageA(m_blockButton, WM_CLOSE, 0, 0);
        m_blockButton = nullptr;
    }
    m_blockTooltipText.clear();
}

void CYVEXControl::LeaveBlockEditing()
{
    // A level whose group went meanwhile is dropped on the way out.
    while (!m_blockLevels.empty()) {
        const bool accepts = AcceptsEdits();
        const BlockLevel level = m_blockLevels.back();
        if (m_blockLevels.size() == 1) {
            CloseBlockButton();
            HWND corner = GetCornerWindow();
            if (corner && GetHorizontalRuler() && IsWindowVisible(GetHorizontalRuler()))
                ShowWindow(corner, SW_SHOW);
        }
        CGroup* previous = FindGroup(level.rootId);
        if (!previous) {
            m_blockLevels.pop_back();
            continue;
        }
        CGroup* root = GetRootGroup();
        if (accepts && root && (root->GetShapeType() == stGroup || root->GetShapeType() == stReference)) {
            if (root->GetShapeType() == stGroup)
                if (CGroup* library = GetLibraryGroup())
                    root->ResolveReferences(library, nullptr);
            if (!EventsEnabled() || FireUpdateReferences(root->GetId(), 1))
                root->UpdateReferrers(1, 0);
        }
        CViewportRecord& view = GetCurrentViewport();
        view.zoom = level.zoom;
        view.SetCenter(level.centre.x, level.centre.y);
        view.SetClientArea(view.clientSize, &view.clientOffset);
        SetRootId(previous->GetId());
        SetActiveGroup(previous);
        m_blockLevels.pop_back();
        Refresh();
        RequestRedraw(rfRedrawAll, nullptr);
        if (EventsEnabled())
            RestartRedrawTimer(0);
        return;
    }
}

LRESULT CYVEXControl::HandleBlockButtonCommand(UINT, WPARAM, LPARAM, BOOL&)
{
    LeaveBlockEditing();
    return 0;
}

STDMETHODIMP CYVEXControl::CompleteEditingBlock()
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        LeaveBlockEditing();
        return S_OK;
    });
}

// ---- the base point of a group ----

HRESULT CYVEXControl::MoveGroupBasePoint(CShape* shape, float x, float y, int mode)
{
    CShape* target = shape;
    if (target && target->GetShapeType() == stReference)
        target = static_cast<CReference*>(target)->GetBlock();
    if (!target || target->GetShapeType() != stGroup)
        return E_INVALIDARG;
    const int id = target->GetId();
    CEditState& edit = GetEditState();
    const bool events = EventsEnabled();
    if (events) {
        // The group is the edited shape while the host hears of the move.
        if (edit.editedShape && (!EndInteractiveOperation(false, true) || edit.editedShape))
            return S_FALSE;
        target = FindShape(id);
        if (!target)
            return E_INVALIDARG;
        edit.editedShape = target;
        edit.controlState |= csUserEdit;
        if (!FireBeginEditShape(id, EDSH_MOVE)) {
            LeaveEditState(id);
            return S_FALSE;
        }
    }
    CUndoRecorder* recorder = GetUndoRecorder();
    if (recorder) {
        recorder->OpenOperation(opMove);
        if (recorder->ShouldRecordShape(target))
            recorder->RecordShape(opMove, target, false);
    }
    const HRESULT moved = target->GetAlignedPosition(&x, &y, mode);
    bool proceed = SUCCEEDED(moved);
    if (proceed && events)
        proceed = FireEndEditShape(id);
    if (events)
        LeaveEditState(id);
    if (recorder)
        recorder->CloseOperation(proceed);
    if (FAILED(moved))
        return moved;
    target = FindShape(id);
    if (!proceed) {
        // Refused: the contents go back where they were.
        float backX = -x, backY = -y;
        if (target)
            target->GetAlignedPosition(&backX, &backY, CShape::kBaseUndoShift);
        RequestRedraw(rfRedrawAll, nullptr);
        return S_FALSE;
    }
    if (target && target == GetRootGroup()) {
        // The view follows the contents: the picture stays where it was on the screen.
        CViewportRecord& view = GetCurrentViewport();
        view.SetCenter(view.center.x - x, view.center.y - y);
        Refresh();
    }
    SetModified(true);
    RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}

// ---- creating a block ----

namespace {

// The texts a reference shows: they stay with it.
bool IsReferenceTextShape(CShape* shape)
{
    return shape->IsAttributeOrLabel() && shape->GetParent() && shape->GetParent()->GetShapeType() == stReference;
}

} // namespace

HRESULT CYVEXControl::CreateBlock(const wchar_t* name, LONG* blockId, LONG shapeId, LONG* newReferenceId, float pickX,
                                  float pickY, bool replace)
{
    if (!IsIdle() || !AcceptsEdits())
        return S_FALSE;
    CShape* source = FindShape(shapeId);
    if (!source)
        return ReportError("Shape not found.");
    CGroup* selection = GetSelectionGroup();
    const bool fromSelection = source == selection;
    if (fromSelection && selection->GetShapeCount() > 0) {
        std::vector<CShape*> texts;
        for (int i = 0; i < selection->GetShapeCount(); ++i)
            if (IsReferenceTextShape(selection->GetChildAt(i)))
                texts.push_back(selection->GetChildAt(i));
        if (texts.size() == static_cast<size_t>(selection->GetShapeCount()))
            return E_INVALIDARG;
        for (CShape* text : texts)
            selection->RemoveChild(text);
    }
    if (!blockId)
        return E_POINTER;
    *blockId = 0;
    // Without a name the user is asked for one, again while the library has a block of that name;
    // a caller's name is taken as it is.
    std::wstring asked;
    if (!name || !*name) {
        CGroup* library = GetLibraryGroup();
        std::string answer;
        for (;;) {
            if (!AskNewBlockName(GetControlWindow(), answer))
                return S_OK;
            CShape* taken = library ? library->FindChildByName(ycom::AnsiToWide(answer).c_str()) : nullptr;
            if (!taken || taken->GetShapeType() != stGroup)
                break;
            const std::string text = LoadResourceTextA(IDS_BLOCK_NAME_EXISTS, 256);
            ycom::ShowMessageBox(GetControlWindow(), text.c_str(), text.c_str(), MB_OK | MB_ICONEXCLAMATION);
        }
        asked = ycom::AnsiToWide(answer);
        name = asked.c_str();
    }

    CUndoRecorder* recorder = GetUndoRecorder();
    if (recorder)
        recorder->OpenOperation(opCreate);
    auto* block = static_cast<CGroup*>(GetShapeMap().CreateShape(stGroup, true, true));
    if (!block) {
        if (recorder)
            recorder->CloseOperation(false);
        return E_OUTOFMEMORY;
    }
    if (recorder)
        recorder->RecordShape(opCreate, block, false);
    block->SetName(name);
    CGroup* library = GetLibraryGroup();
    if (library)
        library->AddChild(block, nullptr, 0, false);
    *blockId = block->GetId();

    // The copies go in quietly.
    const bool events = EventsEnabled();
    SetEventsEnabled(false);
    HRESULT copied = S_OK;
    std::vector<CShape*> originals;
    if (source->IsGroup()) {
        auto* group = static_cast<CGroup*>(source);
        for (int i = group->GetShapeCount(); i-- > 0;)
            originals.push_back(group->GetChildAt(i));
    } else {
        originals.push_back(source);
    }
    for (CShape* original : originals) {
        CShape* copy = GetShapeMap().CloneShape(original, true);
        if (!copy) {
            copied = E_OUTOFMEMORY;
            break;
        }
        block->AddChild(copy, nullptr, 0, false);
    }
    if (SUCCEEDED(copied) && library)
        block->ResolveReferences(library, nullptr);
    SetEventsEnabled(events);
    if (FAILED(copied)) {
        // The block leaves the map and the library before it goes: nothing may lead to it.
        *blockId = 0;
        DeleteShapeTree(block, false, false);
        if (recorder)
            recorder->CloseOperation(false);
        return copied;
    }

    // The block's contents lie about its base point: the pick point, or without one the left-top
    // corner of its bounds. An empty block keeps the origin.
    const bool picked = pickX != FLT_MAX && pickY != FLT_MAX;
    float baseX = pickX, baseY = pickY;
    if (FAILED(block->GetAlignedPosition(&baseX, &baseY, picked ? CShape::kBaseAtPickPoint : CShape::kBaseAtDefaultCorner)))
        baseX = baseY = 0.0f;

    if (replace && !(GetRootGroup() && GetRootGroup()->GetParent() == GetDefaultShapesGroup())) {
        CGroup* parent = fromSelection ? nullptr : source->GetParent();
        if (!parent || !parent->IsEnabled())
            parent = GetRootGroup();
        // The reference stands on the base point: the picture stays where the source was.
        const float left = baseX, top = baseY;
        std::vector<int> gone;
        for (CShape* original : originals)
            gone.push_back(original->GetId());
        if (!fromSelection)
            gone = {source->GetId()};
        for (int id : gone)
            DeleteShapeByID(id, 1, 0);
        auto* reference = dynamic_cast<CReference*>(GetShapeMap().CreateShape(stReference, true, true));
        const int point = CControlCore::CreatePoint(left, top);
        if (reference && point && parent) {
            reference->AddPointById(point, CShape::kAppend, false);
            parent->AddChild(reference, nullptr, 0, false);
            reference->ResolveBlock(block, true, true, false);
            reference->ApplyTransform(true);
            if (recorder)
                recorder->RecordShape(opCreate, reference, false);
            if (newReferenceId)
                *newReferenceId = reference->GetId();
            if (fromSelection) {
                static_cast<CGroup*>(selection)->Clear(false);
                selection->AddChild(reference, nullptr, 0, false);
            }
        }
        RequestRedraw(rfRedrawSelection, nullptr);
    }
    if (recorder)
        recorder->CloseOperation(true);
    SetModified(true);
    if (EventsEnabled())
        RestartRedrawTimer(0);
    return copied;
}
