#include "model/Group.h"
#include <typeinfo>
#include "automation/ResultCodes.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "YVEX_h.h"
#include <algorithm>

CGroup::CGroup(int id, CShapeHost* control) : CShape(id, control)
{
    m_shapeType = stGroup;
    m_state |= stPropagateToChildren;
}

CGroup::CGroup(int id, const CGroup& source)
    : CShape(id, source), m_selectsAsUnit(source.m_selectsAsUnit)
{
    // The copy takes the name and block flags, not the referrers or the grid.
    if (source.m_blockPart) {
        BlockPart& part = EditPart();
        part.name = source.m_blockPart->name;
        part.blockName = source.m_blockPart->blockName;
        part.blockFlags = source.m_blockPart->blockFlags;
    }
    if (!m_control)
        return;
    for (CShape* child : source.m_children) {
        CShape* clone = m_control->GetShapeMap().CloneShape(child, true);
        if (clone)
            AddChild(clone, nullptr, 1, false);
    }
}

CGroup::~CGroup()
{
    if (m_blockPart)
        m_blockPart->name.clear();
    CGroup::Clear(true);
}

CGroup::BlockPart& CGroup::EditPart()
{
    if (!m_blockPart)
        m_blockPart = std::make_unique<BlockPart>();
    return *m_blockPart;
}

const CGroup::BlockPart& CGroup::EmptyPart()
{
    static const BlockPart empty;
    return empty;
}

void CGroup::SetBlockFlags(int flags)
{
    if (flags != 0 || m_blockPart)
        EditPart().blockFlags = flags;
}

bool CGroup::AppendsOnly() const
{
    return m_id == SELECTION_ID || m_id == LIBRARY_ID || m_id == LAYERS_ID || m_id == DEFAULT_SHAPES_ID ||
           m_id == HIGHLIGHTS_ID;
}

int CGroup::CanAddChild(CShape* child, bool move)
{
    if (!child || child == this)
        return 0;
    static const char kSelfReference[] = "Block cannot contain reference to itself";
    if (child->IsGroup() && child->ContainsShapeId(m_id, true)) {
        if (m_control)
            m_control->SetLastError(kErrorSelfReference, kSelfReference);
        return 0;
    }
    if (IsBlock() && child->ContainsShape(this)) {
        if (m_control)
            m_control->SetLastError(kErrorSelfReference, kSelfReference);
        return 0;
    }
    if (child->GetShapeType() == stLayer && (m_shapeType != stGroup || IsBlockContext())) {
        if (m_control)
            m_control->SetLastError(kErrorLayerOutsideLayers, "Label cannot be added anywhere except layers group");
        return 0;
    }
    // A shape has one parent: moving it here takes it out of the group that held it, moved or
    // not (a shape left in two lists would be freed by one while the other still shows it).
    if (child->GetParent() && child->GetParent() != this)
        child->DetachFromParent();
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end())
        return 1;
    if (!move) {
        child->SetParent(this);
        return 0;
    }
    m_children.erase(it);
    NoteGeometryChange();
    child->SetParent(this);
    return 1;
}

int CGroup::AddChild(CShape* child, int* outIndex, int adoptArg, bool move)
{
    if (!CanAddChild(child, move))
        return 1;
    return InsertByZOrder(child, outIndex, adoptArg);
}

int CGroup::AddNewChild(CShape* child, int adoptArg)
{
    // A shape just made belongs to no group and cannot hold this one: none of the add rules but
    // the layers' can refuse it, and no list holds it, so the list need not be searched (a file
    // load adds hundreds of thousands of children one at a time). Anything else, and a group of
    // a kind with its own add rules, takes the full way.
    if (!child || child->GetParent() || child->GetShapeType() == stLayer || typeid(*this) != typeid(CGroup))
        return AddChild(child, nullptr, adoptArg, false);
    return InsertByZOrder(child, nullptr, adoptArg);
}

int CGroup::InsertByZOrder(CShape* child, int* outIndex, int adoptArg)
{
    const size_t n = m_children.size();
    const float z = child->GetZOrder();
    size_t position;
    if (n == 0 || AppendsOnly() || m_children.back()->GetZOrder() <= z) {
        position = n;
    } else if (m_children.front()->GetZOrder() > z) {
        position = 0;
    } else {
        // The first child whose Z is strictly greater: equals stay before the new one.
        auto it = std::upper_bound(m_children.begin(), m_children.end(), z,
                                   [](float value, CShape* s) { return value < s->GetZOrder(); });
        position = static_cast<size_t>(it - m_children.begin());
    }
    m_children.insert(m_children.begin() + static_cast<long>(position), child);
    NoteGeometryChange();
    if (outIndex)
        *outIndex = static_cast<int>(position);
    return AdoptChild(child, adoptArg);
}

int CGroup::AppendChild(CShape* child, int adoptArg)
{
    if (!CanAddChild(child, false))
        return 1;
    if (!m_children.empty() && child->GetZOrder() < m_children.back()->GetZOrder())
        child->SetZOrder(m_children.back()->GetZOrder() + 1.0f, true);
    m_children.push_back(child);
    NoteGeometryChange();
    return AdoptChild(child, adoptArg);
}

int CGroup::AdoptChild(CShape* child, int)
{
    child->SetParent(this);
    return 0;
}

int CGroup::ReplaceChild(CShape* oldChild, CShape* newChild)
{
    if (!oldChild || !newChild)
        return 0;
    if (oldChild->GetParent() == this) {
        newChild->SetParent(this);
        oldChild->SetParent(nullptr);
        std::replace(m_children.begin(), m_children.end(), oldChild, newChild);
        NoteGeometryChange();
        return 1;
    }
    if (oldChild->GetParent())
        return oldChild->GetParent()->ReplaceChild(oldChild, newChild);
    return 0;
}

void CGroup::SetFlag100(bool on) { SetStateBits(stGroupFlag100, on); }

bool CGroup::HasFlag100() { return (m_state & stGroupFlag100) != 0; }

int CGroup::RemoveChildAt(int index, bool deleteIt)
{
    if (index < 0 || index >= GetShapeCount())
        return 1;
    CShape* child = m_children[static_cast<size_t>(index)];
    m_children.erase(m_children.begin() + index);
    NoteGeometryChange();
    if (child->GetParent() == this)
        child->SetParent(nullptr);
    if (deleteIt && m_control)
        m_control->DeleteShapeTree(child, false, false);
    return 0;
}

int CGroup::RemoveChild(CShape* child)
{
    if (!child || child->GetParent() != this)
        return 1;
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it != m_children.end())
        m_children.erase(it);
    NoteGeometryChange();
    child->SetParent(nullptr);
    return 0;
}

int CGroup::BringChildToFront(int childId)
{
    const int index = IndexOfChild(childId);
    if (index < 0)
        return 1;
    CShape* child = m_children[static_cast<size_t>(index)];
    const int result = child->BringToFront();
    if (child->GetParent() != this && m_children.size() > 1 && index != GetShapeCount() - 1) {
        m_children.erase(m_children.begin() + index);
        m_children.push_back(child);
        NoteGeometryChange();
    }
    return result;
}

int CGroup::SendChildToBack(int childId)
{
    const int index = IndexOfChild(childId);
    if (index < 0)
        return 1;
    CShape* child = m_children[static_cast<size_t>(index)];
    const int result = child->SendToBack();
    if (child->GetParent() != this && m_children.size() >= 2 && index != 0) {
        m_children.erase(m_children.begin() + index);
        m_children.insert(m_children.begin(), child);
        NoteGeometryChange();
    }
    return result;
}

bool CGroup::SelectsAsUnit()
{
    if (m_control && m_control->GetActiveGroup() == this)
        return false;
    if (m_parent && m_parent->SelectsAsUnit())
        return true;
    return m_selectsAsUnit != 0;
}

int CGroup::HasPoints() { return m_points.IsEmpty() ? 0 : 1; }

void CGroup::Clear(bool deleteChildren)
{
    if (deleteChildren)
        DetachReferrers();
    // The list is let go at once rather than child by child from its front, which would take time
    // growing with the square of its length. The fixed groups and the prototype shapes stay
    // unless the whole drawing goes: they are back in the list before any child is deleted.
    const bool tearingDown = m_control && m_control->IsTearingDown();
    std::vector<CShape*> children;
    children.swap(m_children);
    NoteGeometryChange();
    if (!tearingDown)
        for (CShape* child : children)
            if (child->GetId() < 12)
                m_children.push_back(child);
    for (CShape* child : children) {
        if (child->IsGroup())
            child->Clear(deleteChildren);
        if (m_control)
            m_control->SetDrawingChanged();
        if (child->GetId() < 12 && !tearingDown) {
            if (deleteChildren && child->GetParent() == this)
                child->SetParent(nullptr);
            continue;
        }
        if (child->GetParent() == this)
            child->SetParent(nullptr);
        // The shape map owns the child; a group without a control owns nothing and only lets go.
        if (m_control)
            m_control->GetShapeMap().DeleteShape(child);
    }
    if (deleteChildren)
        m_children.shrink_to_fit();
    if (m_shapeType == stGroup)
        DetachReferrers();
}

int CGroup::GetClassShapeType() { return stGroup; }

bool CGroup::IsBlockContext()
{
    return m_shapeType == stGroup && m_parent && m_parent->GetId() != LIBRARY_ID && Part().referrers.empty() &&
           (m_id > 0 || m_id == SELECTION_ID);
}

void CGroup::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_GroupShape;
}

bool CGroup::ContainsShapeId(int id, bool recursive)
{
    for (CShape* child : m_children)
        if (child->GetId() == id || child->ContainsShapeId(id, recursive))
            return true;
    return false;
}

void CGroup::CollectContainedIds(bool recursive, std::vector<int>& ids)
{
    for (CShape* child : m_children) {
        ids.push_back(child->GetId());
        child->CollectContainedIds(recursive, ids);
    }
}

bool CGroup::ContainsShape(CShape* shape)
{
    if (!shape || !shape->IsGroup())
        return false;
    for (CShape* child : m_children)
        if (child->ContainsShape(shape))
            return true;
    return false;
}

CShape* CGroup::GetChildAt(int index) const
{
    if (index < 0 || index >= GetShapeCount())
        return nullptr;
    return m_children[static_cast<size_t>(index)];
}

int CGroup::IndexOfChild(int id) const
{
    for (size_t i = 0; i < m_children.size(); ++i)
        if (m_children[i]->GetId() == id)
            return static_cast<int>(i);
    return -1;
}

int CGroup::MoveChildToHead(int id)
{
    const int index = IndexOfChild(id);
    if (index < 0)
        return 0;
    CShape* child = m_children[static_cast<size_t>(index)];
    m_children.erase(m_children.begin() + index);
    m_children.insert(m_children.begin(), child);
    NoteGeometryChange();
    return 1;
}

int CGroup::MoveChildToTail(int id)
{
    const int index = IndexOfChild(id);
    if (index < 0)
        return 0;
    CShape* child = m_children[static_cast<size_t>(index)];
    m_children.erase(m_children.begin() + index);
    m_children.push_back(child);
    NoteGeometryChange();
    return 1;
}

bool CGroup::IsBlock() const { return m_shapeType == stGroup && m_parent && m_parent->GetId() == LIBRARY_ID; }
