// CGroup: names and block names, the referrer list, removal by kind, and the state and style
// changes a group passes on to its children.
#include "model/Group.h"
#include "model/Layer.h"
#include "model/NameRules.h"
#include "model/Polyline.h"
#include "model/Reference.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "YVEX_h.h"
#include <algorithm>

namespace {
std::string ToAnsi(const wchar_t* text)
{
    if (!text || !*text)
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

bool IsPolylineFamily(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }

// The "by layer" / "by block" marks of a style value.
struct StyleMarks
{
    long byLayer, byBlock, mask;
};
const StyleMarks kColourMarks = {0x20000000, 0x40000000, 0x60000000};
const StyleMarks kPatternMarks = {0x4000, 0x8000, 0xC000};
} // namespace

// --- Names ---------------------------------------------------------------------------------

void CGroup::SetName(const wchar_t* name)
{
    // Clearing a name that was never given makes no part.
    if ((!name || !*name) && !m_blockPart)
        return;
    BlockPart& part = EditPart();
    part.name = name ? name : L"";
    part.blockName.clear();
    if (m_shapeType != stGroup || m_id <= DEFAULT_IMAGE_ID)
        return;
    part.blockName = ToAnsi(part.name.c_str());
    MakeValidName(part.blockName);
    CGroup* library = m_control ? m_control->GetLibraryGroup() : nullptr;
    std::map<std::string, int> used;
    if (library && library->CollectNamesLike(used, m_id, part.blockName.c_str(), 0))
        MakeUniqueName(part.blockName, used);
}

bool CGroup::CollectNamesLike(std::map<std::string, int>& names, int excludeId, const char* prefix,
                              int prefixLength) const
{
    std::string stem;
    if (prefix) {
        stem = prefix;
        if (prefixLength >= 1 && static_cast<size_t>(prefixLength) <= stem.size()) {
            stem.resize(static_cast<size_t>(prefixLength));
        } else {
            while (!stem.empty() && (stem.back() == ' ' || stem.back() == '\t' || stem.back() == '\r' ||
                                     stem.back() == '\n'))
                stem.pop_back();
        }
    }
    for (CShape* child : m_children) {
        if (child->GetId() == excludeId)
            continue;
        std::string name;
        if (child->GetShapeType() == stGroup)
            name = static_cast<CGroup*>(child)->GetBlockName();
        else if (child->GetShapeType() == stLayer)
            name = static_cast<CLayer*>(child)->GetName();
        if (name.empty())
            continue;
        if (prefix && name.compare(0, stem.size(), stem) != 0)
            continue;
        names[name] = child->GetId();
    }
    return !names.empty();
}

CShape* CGroup::FindChildByName(const wchar_t* name) const
{
    for (CShape* child : m_children) {
        if (child->GetShapeType() != stGroup && child->GetShapeType() != stReference)
            continue;
        const std::wstring& childName = static_cast<CGroup*>(child)->GetName();
        if (name ? childName == name : childName.empty())
            return child;
    }
    return nullptr;
}

// --- Removal by kind ------------------------------------------------------------------------

int CGroup::RemoveChildrenOfTypes(const std::set<int>& types, bool recursive)
{
    const std::vector<CShape*> children = m_children;
    for (CShape* child : children) {
        if (types.count(child->GetShapeType())) {
            RemoveChild(child);
            if (m_control && m_control->GetShapeMap().Lookup(child->GetId()) == child)
                m_control->GetShapeMap().DeleteShape(child);
        } else if (recursive && child->IsGroup()) {
            static_cast<CGroup*>(child)->RemoveChildrenOfTypes(types, true);
        }
    }
    return 0;
}

int CGroup::HasNoChildOfTypes(const std::set<int>& types, bool recursive, int kindValue)
{
    for (CShape* child : m_children) {
        const int type = child->GetShapeType();
        if (types.count(type)) {
            if (kindValue == 0)
                return 0;
            if (IsPolylineFamily(type)) {
                const CPolyline* polyline = dynamic_cast<CPolyline*>(child);
                if (polyline && static_cast<int>(polyline->GetFlags()) == kindValue)
                    return 0;
            } else if (type == stText) {
                if (child->GetTextType() == kindValue)
                    return 0;
            } else {
                return 0;
            }
        } else if (recursive && child->IsGroup() &&
                   !static_cast<CGroup*>(child)->HasNoChildOfTypes(types, true, kindValue)) {
            return 0;
        }
    }
    return 1;
}

// --- Referrers ------------------------------------------------------------------------------

namespace {
// Up to this many referrers a block's list is searched; beyond, it keeps a set as well.
const size_t kReferrersSearched = 32;
} // namespace

int CGroup::AddReferrer(CShape* reference)
{
    if (reference == this)
        return E_INVALIDARG;
    if (!reference || HasReferrer(reference))
        return 0;
    BlockPart& part = EditPart();
    part.referrers.push_back(reference);
    if (part.referrerIndex)
        part.referrerIndex->insert(reference);
    else if (part.referrers.size() > kReferrersSearched)
        part.referrerIndex =
            std::make_unique<std::unordered_set<const CShape*>>(part.referrers.begin(), part.referrers.end());
    return 1;
}

int CGroup::RemoveReferrer(CShape* reference)
{
    if (!HasReferrer(reference))
        return 0;
    BlockPart& part = *m_blockPart; // a listed referrer: the part exists
    part.referrers.erase(std::find(part.referrers.begin(), part.referrers.end(), reference));
    if (part.referrerIndex)
        part.referrerIndex->erase(reference);
    return 1;
}

bool CGroup::HasReferrer(const CShape* reference) const
{
    const BlockPart& part = Part();
    if (part.referrerIndex)
        return part.referrerIndex->count(reference) != 0;
    return std::find(part.referrers.begin(), part.referrers.end(), reference) != part.referrers.end();
}

int CGroup::DetachReferrers()
{
    if (!m_blockPart)
        return 0;
    const std::vector<CShape*> referrers = std::move(m_blockPart->referrers);
    m_blockPart->referrers.clear();
    m_blockPart->referrerIndex.reset();
    for (CShape* referrer : referrers)
        if (auto* reference = dynamic_cast<CReference*>(referrer))
            reference->ForgetBlock();
    return static_cast<int>(referrers.size());
}

void CGroup::UpdateReferrers(int updateType, int)
{
    CGroup* library = m_control ? m_control->GetLibraryGroup() : nullptr;
    for (CShape* referrer : std::vector<CShape*>(Part().referrers)) {
        auto* reference = dynamic_cast<CReference*>(referrer);
        if (!reference) {
            referrer->Clear(false);
            continue;
        }
        reference->DetachFromBlock();
        reference->ResolveBlock(this, true, true, updateType == urUpdateAttributes);
        reference->ResolveReferences(library, nullptr);
        reference->ApplyTransform(true);
    }
}

// --- References in a tree -------------------------------------------------------------------------

namespace {
// The library's block of a reference's name.
CGroup* BlockNamed(CGroup* library, const CReference* reference)
{
    if (!library)
        return nullptr;
    CShape* found = library->FindChildByName(reference->GetName().c_str());
    return found && found->GetShapeType() == stGroup ? static_cast<CGroup*>(found) : nullptr;
}

// The child as a reference, or null. Every shape is a group, so the tree walks below meet every
// shape of the drawing: the class's own type answers faster than a cast.
CReference* AsReference(CShape* child)
{
    return child->GetClassShapeType() == stReference ? static_cast<CReference*>(child) : nullptr;
}

// Visits each child of a copy of the list (a visit may take children out of the group). The walks
// over a drawing's tree meet every shape once, and each shape is a cache miss of its own: asking
// for the shape a few places ahead lets memory deliver it while this one is handled.
template <typename Visit>
void ForEachChildFetchingAhead(const std::vector<CShape*>& list, Visit visit)
{
    constexpr std::size_t kAhead = 8;
    const std::vector<CShape*> children(list);
    for (std::size_t at = 0; at < children.size(); ++at) {
        if (at + kAhead < children.size())
            __builtin_prefetch(children[at + kAhead]);
        visit(children[at]);
    }
}

bool HasBlockCopies(CReference* reference)
{
    for (CShape* child : reference->Children())
        if (reference->IsBlockCopy(child))
            return true;
    return false;
}
} // namespace

void CGroup::ResolveReferences(CGroup* library, std::set<int>* visited)
{
    ForEachChildFetchingAhead(m_children, [&](CShape* child) {
        auto* reference = AsReference(child);
        if (!reference) {
            if (child->IsGroup())
                static_cast<CGroup*>(child)->ResolveReferences(library, visited);
            return;
        }
        CGroup* block = reference->GetBlock();
        const bool linked = block != nullptr;
        if (!block)
            block = BlockNamed(library, reference);
        if (!block)
            return;
        if (linked && (HasBlockCopies(reference) || block->GetShapeCount() == 0))
            return;
        if (visited && visited->count(reference->GetId()) && visited->count(block->GetId()))
            return;
        if (visited) {
            visited->insert(reference->GetId());
            visited->insert(block->GetId());
        }
        if (!reference->ResolveBlock(block, true, true, false) && reference->GetBlock() != block)
            return;
        reference->ResolveReferences(library, nullptr);
        reference->ApplyTransform(true);
    });
}

void CGroup::RefreshReferenceLinks()
{
    CGroup* library = m_control ? m_control->GetLibraryGroup() : nullptr;
    for (CShape* child : std::vector<CShape*>(m_children)) {
        if (auto* reference = dynamic_cast<CReference*>(child)) {
            CGroup* block = reference->GetBlock();
            if (!block)
                block = BlockNamed(library, reference);
            if (block && reference->SetBlockGroupShapeID(block->GetId()))
                block->AddReferrer(reference);
        } else if (child->IsGroup()) {
            static_cast<CGroup*>(child)->RefreshReferenceLinks();
        }
    }
}

void CGroup::ClearReferencesInTree()
{
    ForEachChildFetchingAhead(m_children, [&](CShape* child) {
        auto* reference = AsReference(child);
        if (reference && !reference->GetBlock()) {
            // Nothing to show: the reference goes, with whatever it still holds, when the control
            // lets it; a group without a control owns nothing and only lets go.
            if (m_control)
                m_control->DeleteShapeTree(reference, false, false);
            else
                reference->DetachFromParent();
            return;
        }
        if (child->IsGroup())
            static_cast<CGroup*>(child)->ClearReferencesInTree();
    });
}

void CGroup::LinkReferencesByName(CGroup* library)
{
    ForEachChildFetchingAhead(m_children, [&](CShape* child) {
        if (auto* reference = AsReference(child)) {
            if (!reference->GetBlock()) {
                if (CGroup* block = BlockNamed(library, reference)) {
                    reference->SetBlockGroupShapeID(block->GetId());
                    block->AddReferrer(reference);
                }
            }
        } else if (child->IsGroup()) {
            static_cast<CGroup*>(child)->LinkReferencesByName(library);
        }
    });
}

// --- Passing changes on -------------------------------------------------------------------------

void CGroup::SetSelected(bool on)
{
    CShape::SetSelected(on);
    if (!(m_state & stPropagateToChildren))
        return;
    for (CShape* child : std::vector<CShape*>(m_children))
        child->SetSelected(on);
}

void CGroup::SetVisible(bool on)
{
    CShape::SetVisible(on);
    if (!(m_state & stPropagateToChildren))
        return;
    SetFlag100(true);
    ForEachChildFetchingAhead(m_children, [on](CShape* child) { child->SetVisible(on); });
    SetFlag100(false);
}

void CGroup::SetNoExtents(bool on)
{
    CShape::SetNoExtents(on);
    if (!(m_state & stPropagateToChildren))
        return;
    for (CShape* child : std::vector<CShape*>(m_children))
        child->SetNoExtents(on);
}

void CGroup::SetLayer(CLayer* layer)
{
    CShape::SetLayer(layer);
    if (!(m_state & stPropagateToChildren))
        return;
    for (CShape* child : std::vector<CShape*>(m_children))
        child->SetLayer(layer);
}

namespace {
// The children on the group's layer (or the base layer) follow a by-layer / by-block change: a
// group going by layer turns its by-block children by layer; otherwise by-layer children turn
// by block.
template <class Get, class Set>
void PassStyleOn(CGroup& group, long value, const StyleMarks& marks, Get get, Set set)
{
    if (!(group.GetState() & CGroup::stPropagateToChildren))
        return;
    const bool groupByLayer = (value & marks.mask) == marks.byLayer;
    for (CShape* child : group.Children()) {
        CShape* layer = child->GetLayer();
        if (layer != group.GetLayer() && !(layer && layer->GetId() == BASE_LAYER))
            continue;
        const long current = get(child) & marks.mask;
        if (groupByLayer && current == marks.byBlock)
            set(child, marks.byLayer);
        else if (!groupByLayer && current == marks.byLayer)
            set(child, marks.byBlock);
    }
}
} // namespace

void CGroup::SetPenColor(DWORD colour)
{
    CShape::SetPenColor(colour);
    PassStyleOn(
        *this, static_cast<long>(colour), kColourMarks, [](CShape* s) { return static_cast<long>(s->GetPenColor()); },
        [](CShape* s, long v) { s->SetPenColor(static_cast<DWORD>(v)); });
}

void CGroup::SetHatchColor(DWORD colour)
{
    CShape::SetHatchColor(colour);
    PassStyleOn(
        *this, static_cast<long>(colour), kColourMarks,
        [](CShape* s) { return static_cast<long>(s->GetHatchColor()); },
        [](CShape* s, long v) { s->SetHatchColor(static_cast<DWORD>(v)); });
}

void CGroup::SetLinePatternId(int id)
{
    CShape::SetLinePatternId(id);
    PassStyleOn(
        *this, id, kPatternMarks, [](CShape* s) { return static_cast<long>(s->GetLinePatternId()); },
        [](CShape* s, long v) { s->SetLinePatternId(static_cast<int>(v)); });
}

void CGroup::SetHatchPatternId(int id)
{
    CShape::SetHatchPatternId(id);
    PassStyleOn(
        *this, id, kPatternMarks, [](CShape* s) { return static_cast<long>(s->GetHatchPatternId()); },
        [](CShape* s, long v) { s->SetHatchPatternId(static_cast<int>(v)); });
}

bool CGroup::IsVisible()
{
    if (!CShape::IsVisible())
        return false;
    if ((m_shapeType == stGroup || m_shapeType == stReference) && m_parent && m_parent->GetId() != LIBRARY_ID) {
        for (CShape* child : m_children)
            if (child->IsVisible())
                return true;
        return false;
    }
    return true;
}

void CGroup::SetChildFlagsMasked(DWORD mask, DWORD value, bool recursive)
{
    for (CShape* child : m_children) {
        child->SetStateBits(mask, false);
        child->SetStateBits(mask & value, true);
        if (recursive && child->IsGroup())
            static_cast<CGroup*>(child)->SetChildFlagsMasked(mask, value, true);
    }
}

void CGroup::PropagateFlagToChildren(DWORD mask, bool wanted, bool force, bool recursive)
{
    for (CShape* child : m_children) {
        bool computed;
        if (force)
            computed = true;
        else if (!(m_state & mask))
            computed = false;
        else if (m_shapeType == stReference)
            computed = child->IsAttributeOrLabel() || child->IsCustomChildOfReference();
        else
            computed = true;
        child->SetStateBits(mask, computed != wanted);
        if (recursive && child->IsGroup())
            static_cast<CGroup*>(child)->PropagateFlagToChildren(mask, wanted, force, true);
    }
}

bool CGroup::HasAttributeChildren(bool recursive) const
{
    for (CShape* child : m_children) {
        if (child->IsAttributeOrLabel())
            return true;
        if (m_shapeType == stReference && (child->GetProtectionFlags() & sdbfCustomChild))
            return true;
        if (recursive && child->IsGroup() && static_cast<CGroup*>(child)->HasAttributeChildren(true))
            return true;
    }
    return false;
}

int CGroup::CountAttributeChildren(bool onlyInReferences, std::set<int>* ids) const
{
    int count = 0;
    for (CShape* child : m_children) {
        if (!child->IsAttributeOrLabel())
            continue;
        if (onlyInReferences && !(child->GetParent() && child->GetParent()->GetShapeType() == stReference))
            continue;
        ++count;
        if (ids)
            ids->insert(child->GetId());
    }
    return count;
}
