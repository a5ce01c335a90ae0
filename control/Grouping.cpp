// Grouping and ungrouping shapes, each as one undoable operation with the events of an edit.
#include "control/YVEXControl.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/SelectionGroup.h"
#include "model/Text.h"
#include <set>
#include <vector>

namespace {

bool IsReferenceText(CShape* shape)
{
    return shape->IsAttributeOrLabel() && shape->GetParent() && shape->GetParent()->GetShapeType() == stReference;
}

bool IsUngroupable(CShape* shape)
{
    const int type = shape->GetShapeType();
    return (type == stGroup || type == stReference) && static_cast<CGroup*>(shape)->GetReferrerList().empty();
}

// A shown properties window is hidden while shapes move between groups (its rows would hold
// shapes that are regrouped or deleted under it) and shown again on the selection afterwards,
// however the operation ends. Nested operations find it hidden and leave it to the outer one.
class CPropertiesPause
{
public:
    explicit CPropertiesPause(CYVEXControl& control) : m_control(control), m_wasShown(control.HidePropertiesDialog()) {}
    ~CPropertiesPause()
    {
        if (m_wasShown && !m_control.IsPropertiesDialogVisible())
            m_control.ShowPropertiesAgain();
    }
    CPropertiesPause(const CPropertiesPause&) = delete;
    CPropertiesPause& operator=(const CPropertiesPause&) = delete;

private:
    CYVEXControl& m_control;
    bool m_wasShown;
};

} // namespace

// Closes the undo operations opened since `depth` was read (those the editing machinery did not
// close when it ended the operation).
void CYVEXControl::CloseUndoDownTo(int depth, bool commit)
{
    CUndoRecorder* recorder = GetUndoRecorder();
    while (recorder && recorder->GetDepth() > depth)
        recorder->CloseOperation(commit);
}

void CYVEXControl::EndTemporaryEdit(CShape* shape, bool)
{
    // The grouping's edit state only tells the host's handlers what runs: it was never started
    // through the editing machinery, so there is nothing to commit or roll back, only the state
    // to clear.
    CEditState& edit = GetEditState();
    if (edit.editedShape != shape)
        return;
    edit.editedShape = nullptr;
    edit.editMode = 0;
    edit.controlState &= ~static_cast<DWORD>(csUserEdit);
}

HRESULT CYVEXControl::GroupShapesCore(CShape* shape, bool user, LONG* newId)
{
    if (!shape)
        return E_INVALIDARG;
    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    const bool fromSelection = shape == selection;
    if (fromSelection && user) {
        // The texts a reference shows cannot leave it.
        std::vector<CShape*> texts;
        for (int i = 0; i < selection->GetShapeCount(); ++i)
            if (IsReferenceText(selection->GetChildAt(i)))
                texts.push_back(selection->GetChildAt(i));
        if (!texts.empty() && texts.size() == static_cast<size_t>(selection->GetShapeCount()))
            return E_INVALIDARG;
        for (CShape* text : texts)
            selection->RemoveChild(text);
    }
    CShape* made = GetShapeMap().CreateShape(stGroup, true, true);
    if (!made)
        return E_FAIL;
    auto* group = static_cast<CGroup*>(made);
    const int groupId = group->GetId();
    CUndoRecorder* recorder = GetUndoRecorder();
    const int depth = recorder ? recorder->GetDepth() : 0;
    if (recorder) {
        recorder->OpenOperation(opRelations);
        recorder->RecordShape(opCreate, group, false);
    }
    const bool events = IsIdle() && user && EventsEnabled();
    CEditState& edit = GetEditState();
    auto cancel = [&](HRESULT result) {
        EndTemporaryEdit(group, false);
        CloseUndoDownTo(depth, false);
        if (CShape* still = FindShape(groupId))
            DeleteShapeTree(still, false, false);
        return result;
    };
    if (events) {
        edit.editedShape = group;
        edit.editMode = EDSH_MOVE;
        edit.controlState |= csUserEdit;
        if (!FireBeginDraw(groupId))
            return cancel(S_FALSE);
    }
    CPropertiesPause pause(*this);
    group->SetLayer(GetCurrentLayer());
    CGroup* rootShape = FindGroup(BASE_ID);
    if (rootShape)
        rootShape->AddChild(group, nullptr, 0, false);
    if (recorder)
        recorder->RecordShape(opRelations, shape, false);

    CLayer* layer = nullptr;
    float z = 0.0f;
    int parentId = 0;
    bool parentKnown = false;
    // The host may change the drawing while it hears OnChangeParent: the member and its old parent
    // are found again by ID afterwards.
    auto moveIn = [&](CShape* member) -> HRESULT {
        const int memberId = member->GetId();
        CGroup* old = member->GetParent();
        const int oldId = old ? old->GetId() : 0;
        if (!parentKnown) {
            parentKnown = old != nullptr;
            parentId = oldId;
        }
        if (recorder)
            recorder->RecordShape(opRelations, member, false);
        group->AddChild(member, nullptr, 0, false);
        if (events) {
            const bool agreed = FireChangeParent(oldId, memberId);
            if (FindShape(groupId) != group)
                return E_FAIL;
            if (!agreed) {
                CShape* still = FindShape(memberId);
                CShape* oldParent = old ? FindShape(oldId) : nullptr;
                if (still && oldParent && oldParent->IsGroup())
                    static_cast<CGroup*>(oldParent)->AddChild(still, nullptr, 0, false);
                return S_FALSE;
            }
        }
        return S_OK;
    };
    if (fromSelection) {
        std::vector<int> members;
        for (CShape* member : selection->Children())
            members.push_back(member->GetId());
        for (auto it = members.rbegin(); it != members.rend(); ++it) {
            CShape* member = FindShape(*it);
            if (!member)
                continue;
            if (!layer && member->GetLayer()) {
                layer = member->GetLayer();
                z = member->GetZOrder();
            }
            const HRESULT moved = moveIn(member);
            if (moved == E_FAIL)
                return cancel(E_FAIL);
            if (events && edit.editedShape != group)
                break;
        }
        if (group->GetShapeCount() == 0)
            return cancel(S_FALSE);
        selection->Clear(false);
        selection->AddChild(group, nullptr, 0, false);
        if (events)
            FireChangeSelection();
    } else {
        layer = shape->GetLayer();
        z = shape->GetZOrder();
        const bool wasSelected = selection && selection->ContainsShape(shape);
        const HRESULT moved = moveIn(shape);
        if (moved != S_OK)
            return cancel(moved == E_FAIL ? E_FAIL : S_FALSE);
        if (!events && wasSelected) {
            selection->RemoveChild(shape);
            selection->AddChild(group, nullptr, 0, false);
        }
    }
    // The group stands where its members stood.
    group->SetLayer(layer);
    if (z != 0.0f)
        group->SetZOrder(z, false);
    CShape* parentShape = parentKnown ? FindShape(parentId) : nullptr;
    if (parentShape && parentShape->IsGroup() && parentShape != group->GetParent()) {
        group->DetachFromParent();
        static_cast<CGroup*>(parentShape)->AddChild(group, nullptr, 0, false);
    }
    const bool proceed = !events || FireEndDraw(groupId);
    EndTemporaryEdit(group, proceed);
    CloseUndoDownTo(depth, proceed);
    if (!proceed) {
        // The drawing goes back to what it was.
        if (CShape* still = FindShape(groupId))
            UnGroupShapesCore(still, false, nullptr);
        return S_FALSE;
    }
    SetModified(true);
    RequestRedraw(rfRedrawAll, nullptr);
    if (newId) {
        if (events)
            RestartRedrawTimer(0);
        *newId = groupId;
    }
    return S_OK;
}

HRESULT CYVEXControl::UnGroupShapesCore(CShape* shape, bool user, std::set<int>* gathered)
{
    if (!shape)
        return E_INVALIDARG;
    const bool events = IsIdle() && user && EventsEnabled();
    CUndoRecorder* recorder = GetUndoRecorder();
    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (shape == selection) {
        CPropertiesPause pause(*this);
        std::vector<int> ids;
        for (int i = selection->GetShapeCount(); i-- > 0;)
            if (IsUngroupable(selection->GetChildAt(i)))
                ids.push_back(selection->GetChildAt(i)->GetId());
        const int depth = recorder ? recorder->GetDepth() : 0;
        if (!ids.empty() && recorder)
            recorder->OpenOperation(opRelations);
        std::set<int> emptied;
        HRESULT result = S_OK;
        for (int id : ids)
            if (CShape* member = FindShape(id))
                result |= UnGroupShapesCore(member, user, &emptied);
        if (events)
            FireEndEditShape(SELECTION_ID);
        for (int id : emptied)
            DeleteShapeByID(id, user, 0);
        CloseUndoDownTo(depth, !emptied.empty());
        if (!emptied.empty()) {
            Redraw(rfRedrawSelection);
            if (events)
                RestartRedrawTimer(0);
        }
        return result;
    }
    if (!IsUngroupable(shape))
        return S_FALSE;
    auto* group = static_cast<CGroup*>(shape);
    const int id = group->GetId();
    const bool own = gathered == nullptr;
    CEditState& edit = GetEditState();
    const int depth = recorder ? recorder->GetDepth() : 0;
    if (recorder) {
        recorder->OpenOperation(opRelations);
        recorder->RecordShape(opRelations, group, false);
    }
    edit.editedShape = group;
    edit.editMode = EDSH_REMOVE;
    edit.controlState |= csUserEdit;
    if (events && own && !FireBeginEditShape(id, EDSH_REMOVE)) {
        EndTemporaryEdit(group, false);
        CloseUndoDownTo(depth, false);
        return S_FALSE;
    }
    CPropertiesPause pause(*this);
    const bool wasSelected = selection && selection->RemoveChild(group) == 0;
    CGroup* target = group->GetParent() ? group->GetParent() : FindGroup(BASE_ID);
    const bool hasTarget = target != nullptr;
    const int targetId = hasTarget ? target->GetId() : 0;
    const bool isReference = group->GetShapeType() == stReference;
    // What each child that left had before, so that a refusal at the end puts everything back.
    struct Moved {
        int id;
        bool wasAttribute;
        int linePattern, hatchPattern;
        DWORD penColor, hatchColor;
    };
    std::vector<Moved> moved;
    // By ID: the host may change the drawing while it hears each OnChangeParent.
    std::vector<int> childIds;
    for (CShape* child : group->Children())
        childIds.push_back(child->GetId());
    for (int childId : childIds) {
        if (FindShape(id) != group) {
            CloseUndoDownTo(depth, false);
            return E_FAIL;
        }
        CShape* child = FindShape(childId);
        if (!child || child->GetParent() != group)
            continue;
        target = hasTarget ? FindGroup(targetId) : nullptr;
        if (recorder && isReference && !(child->GetProtectionFlags() & sdbfCustomChild))
            recorder->RecordShape(opCreate, child, false);
        else if (recorder)
            recorder->RecordShape(opRelations, child, false);
        Moved before = {childId, false, child->GetLinePatternId(), child->GetHatchPatternId(), child->GetPenColor(),
                        child->GetHatchColor()};
        if (isReference && child->GetShapeType() == stText && child->GetTextType() == ttAttrib) {
            static_cast<CText*>(child)->SetTextType(ttANSI);
            before.wasAttribute = true;
        }
        if (target)
            target->AddChild(child, nullptr, 0, false);
        if (events) {
            const bool agreed = FireChangeParent(targetId, childId);
            if (FindShape(id) != group) {
                CloseUndoDownTo(depth, false);
                return E_FAIL;
            }
            child = FindShape(childId);
            if (!agreed) {
                if (child) {
                    if (before.wasAttribute && child->GetShapeType() == stText)
                        static_cast<CText*>(child)->SetTextType(ttAttrib);
                    group->AddChild(child, nullptr, 0, false);
                }
                continue;
            }
            if (edit.editedShape != group)
                break;
            if (!child)
                continue;
        }
        moved.push_back(before);
        // What the children drew "by block" they now draw with the group's values.
        if (child->GetLinePatternId() == ltByBlock)
            child->SetLinePatternId(group->GetLinePatternId());
        if (child->GetHatchPatternId() == ltByBlock)
            child->SetHatchPatternId(group->GetHatchPatternId());
        if (child->GetPenColor() == static_cast<DWORD>(coByBlock))
            child->SetPenColor(group->GetPenColor());
        if (child->GetHatchColor() == static_cast<DWORD>(coByBlock))
            child->SetHatchColor(group->GetHatchColor());
    }
    const bool proceed = !(events && own) || FireEndEditShape(id);
    EndTemporaryEdit(group, proceed);
    if (!proceed) {
        // Refused: the children go back into the group with what they had, and the group stands
        // where it stood, selected as it was.
        if (FindShape(id) == group) {
            for (const Moved& m : moved) {
                CShape* child = FindShape(m.id);
                if (!child)
                    continue;
                child->SetLinePatternId(m.linePattern);
                child->SetHatchPatternId(m.hatchPattern);
                child->SetPenColor(m.penColor);
                child->SetHatchColor(m.hatchColor);
                if (m.wasAttribute && child->GetShapeType() == stText)
                    static_cast<CText*>(child)->SetTextType(ttAttrib);
                group->AddChild(child, nullptr, 0, false);
            }
            if (wasSelected && selection)
                selection->AddChild(group, nullptr, 0, false);
        }
        CloseUndoDownTo(depth, false);
        RequestRedraw(rfRedrawAll, nullptr);
        return S_FALSE;
    }
    if (wasSelected && selection) {
        for (const Moved& m : moved)
            if (CShape* child = FindShape(m.id))
                selection->AddChild(child, nullptr, 0, false);
    }
    if (events && wasSelected)
        FireChangeSelection();
    if (gathered)
        gathered->insert(id);
    else
        DeleteShapeByID(id, user, 0);
    CloseUndoDownTo(depth, true);
    SetModified(true);
    RequestRedraw(rfRedrawAll, nullptr);
    if (events && own)
        RestartRedrawTimer(0);
    return S_OK;
}

HRESULT CYVEXControl::CheckGrouping(LONG shapeId, CShape** shape)
{
    *shape = nullptr;
    if (RefuseWhileBusy() || !AcceptsEdits())
        return S_FALSE;
    CLayer* layer = GetCurrentLayer();
    CGroup* root = GetRootGroup();
    if (!layer || !layer->IsEnabled() || !root || !root->IsEnabled())
        return S_FALSE;
    *shape = FindShape(shapeId);
    return *shape ? S_OK : S_FALSE;
}

STDMETHODIMP CYVEXControl::GroupShapes(LONG ShapeID, VARIANT_BOOL bUser, LONG* pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        CShape* shape = nullptr;
        const HRESULT checked = CheckGrouping(ShapeID, &shape);
        if (checked != S_OK)
            return checked;
        return GroupShapesCore(shape, bUser != VARIANT_FALSE, pVal);
    });
}

STDMETHODIMP CYVEXControl::UnGroupShapes(LONG ShapeID, VARIANT_BOOL bUser)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        CShape* shape = nullptr;
        const HRESULT checked = CheckGrouping(ShapeID, &shape);
        if (checked != S_OK)
            return checked;
        if (!shape->IsEnabled())
            return S_FALSE;
        return UnGroupShapesCore(shape, bUser != VARIANT_FALSE, nullptr);
    });
}
