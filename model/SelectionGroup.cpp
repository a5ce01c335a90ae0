#include "model/SelectionGroup.h"
#include "model/DrawContext.h"
#include "model/Layer.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeRecorder.h"
#include "model/ViewMapping.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

namespace {
bool IsPolylineFamily(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }
bool IsGroupOrReference(const CShape* shape)
{
    return shape->GetShapeType() == stGroup || shape->GetShapeType() == stReference;
}
// Rows of the overlay's 8 x 8 pattern: a sparse diagonal dot pattern (the low byte of each row
// holds its eight pixels).
const WORD kOverlayRows[8] = {0xFF88, 0xFF22, 0xFF88, 0xFF22, 0xFF88, 0xFF22, 0xFF88, 0xFF22};
// The flags of the overlay's clip pass: only filled shapes add their outlines, no fill, no marks.
const DWORD kOverlayPassFlags = 0x3C;
} // namespace

// What AddChild scans the list for, indexed: the listed shapes, by pointer and by ID, and for
// each ID how many listed shapes answer it (their own, and those ContainsShapeId finds in them).
struct CSelectionGroup::Index
{
    std::unordered_set<const CShape*> listed;
    std::unordered_multimap<int, CShape*> byId;
    std::unordered_map<int, int> held;
    // The list as the index last saw it.
    const void* data = nullptr;
    size_t size = 0;
    std::vector<int> ids;
};

CSelectionGroup::AddBatch::AddBatch(CSelectionGroup* selection) : m_selection(selection)
{
    if (m_selection)
        ++m_selection->m_batchDepth;
}

CSelectionGroup::AddBatch::~AddBatch()
{
    if (m_selection && --m_selection->m_batchDepth == 0) {
        m_selection->m_index.reset();
        if (m_selection->m_markPending) {
            m_selection->m_markPending = false;
            m_selection->SetSelected(true);
        }
    }
}

CSelectionGroup::CSelectionGroup(int id, CShapeHost* control) : CShapeIdGroup(id, control)
{
    m_selectsAsUnit = 0;
    m_selectionMode = 0;
}

CSelectionGroup::~CSelectionGroup()
{
    // No shape keeps its selected mark once the selection is gone; shapes already gone from the
    // map are not touched.
    for (CShape* shape : m_children)
        if (!m_control || m_control->GetShapeMap().Lookup(shape->GetId()) == shape)
            shape->SetSelected(false);
    m_children.clear();
}

int CSelectionGroup::AddChild(CShape* child, int* outIndex, int, bool)
{
    if (child == this)
        return E_INVALIDARG;
    if (!child)
        return 1;
    if (Index* index = CurrentIndex())
        return AddIndexed(*index, child, outIndex);
    auto listed = std::find(m_children.begin(), m_children.end(), child);
    if (listed != m_children.end()) {
        child->SetSelected(false);
        m_children.erase(listed);
        if (outIndex)
            *outIndex = -1;
        return 0;
    }
    child->SetSelected(true);
    // Selected already through a listed group.
    if (ContainsShapeId(child->GetId(), false))
        return 0;
    if (IsGroupOrReference(child)) {
        m_children.erase(std::remove_if(m_children.begin(), m_children.end(),
                                        [child](CShape* s) { return child->ContainsShapeId(s->GetId(), true); }),
                         m_children.end());
    }
    const int at = InsertByZOrder(child);
    if (outIndex)
        *outIndex = at;
    return 0;
}

int CSelectionGroup::InsertByZOrder(CShape* child)
{
    const float z = child->GetZOrder();
    auto at = std::upper_bound(m_children.begin(), m_children.end(), z,
                               [](float value, CShape* s) { return value < s->GetZOrder(); });
    at = m_children.insert(at, child);
    return static_cast<int>(at - m_children.begin());
}

CSelectionGroup::Index* CSelectionGroup::CurrentIndex()
{
    if (m_batchDepth <= 0)
        return nullptr;
    if (m_index && m_index->data == m_children.data() && m_index->size == m_children.size())
        return m_index.get();
    m_index = std::make_unique<Index>();
    for (CShape* shape : m_children)
        IndexEntry(*m_index, shape, 1);
    m_index->data = m_children.data();
    m_index->size = m_children.size();
    return m_index.get();
}

void CSelectionGroup::IndexEntry(Index& index, CShape* shape, int delta)
{
    const int id = shape->GetId();
    if (delta > 0) {
        index.listed.insert(shape);
        index.byId.emplace(id, shape);
    } else {
        index.listed.erase(shape);
        auto range = index.byId.equal_range(id);
        for (auto it = range.first; it != range.second; ++it)
            if (it->second == shape) {
                index.byId.erase(it);
                break;
            }
    }
    // The IDs the selection's ContainsShapeId(id, false) finds through this shape, each once.
    std::vector<int>& ids = index.ids;
    ids.clear();
    ids.push_back(id);
    shape->CollectContainedIds(false, ids);
    if (ids.size() > 1) {
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    }
    for (int held : ids) {
        auto it = index.held.emplace(held, 0).first;
        if ((it->second += delta) <= 0)
            index.held.erase(it);
    }
}

// AddChild's rules as the scans answer them, through the index.
int CSelectionGroup::AddIndexed(Index& index, CShape* child, int* outIndex)
{
    auto seen = [&] {
        index.data = m_children.data();
        index.size = m_children.size();
    };
    if (index.listed.count(child)) {
        child->SetSelected(false);
        m_children.erase(std::find(m_children.begin(), m_children.end(), child));
        IndexEntry(index, child, -1);
        seen();
        if (outIndex)
            *outIndex = -1;
        return 0;
    }
    child->SetSelected(true);
    if (index.held.count(child->GetId()))
        return 0;
    if (IsGroupOrReference(child)) {
        // The listed shapes whose IDs the group holds, at any depth, leave: their group stands
        // for them.
        std::vector<int> held;
        child->CollectContainedIds(true, held);
        std::sort(held.begin(), held.end());
        held.erase(std::unique(held.begin(), held.end()), held.end());
        std::unordered_set<const CShape*> leaving;
        for (int id : held) {
            auto range = index.byId.equal_range(id);
            for (auto it = range.first; it != range.second; ++it)
                leaving.insert(it->second);
        }
        if (!leaving.empty()) {
            for (const CShape* shape : leaving)
                IndexEntry(index, const_cast<CShape*>(shape), -1);
            m_children.erase(std::remove_if(m_children.begin(), m_children.end(),
                                            [&](CShape* s) { return leaving.count(s) > 0; }),
                             m_children.end());
        }
    }
    const int at = InsertByZOrder(child);
    if (outIndex)
        *outIndex = at;
    IndexEntry(index, child, 1);
    seen();
    return 0;
}

int CSelectionGroup::AddWithChildren(CShape* shape)
{
    if (!shape)
        return 1;
    AddBatch batch(this);
    const int result = AddChild(shape, nullptr, 0, false);
    if (IsGroupOrReference(shape))
        for (CShape* child : std::vector<CShape*>(static_cast<CGroup*>(shape)->Children()))
            AddWithChildren(child);
    return result;
}

void CSelectionGroup::Clear(bool)
{
    for (CShape* shape : std::vector<CShape*>(m_children))
        shape->SetSelected(false);
    m_children.clear();
}

HRESULT CSelectionGroup::BringToFront()
{
    if (!IsEnabled() || !m_control || !m_control->AllowsInteraction() || m_children.empty())
        return S_FALSE;
    for (CShape* shape : std::vector<CShape*>(m_children))
        if (shape->IsEnabled())
            shape->BringToFront();
    return S_OK;
}

HRESULT CSelectionGroup::SendToBack()
{
    if (!IsEnabled() || !m_control || !m_control->AllowsInteraction() || m_children.empty())
        return S_FALSE;
    for (CShape* shape : std::vector<CShape*>(m_children))
        if (shape->IsEnabled())
            shape->SendToBack();
    return S_OK;
}

int CSelectionGroup::SetProtectionFlagsMasked(DWORD value, DWORD mask)
{
    for (CShape* shape : std::vector<CShape*>(m_children))
        shape->SetProtectionFlagsMasked(value, mask);
    if (mask & sdbfVisible)
        CShape::SetVisible((value & sdbfVisible) != 0);
    if (mask & sdbfEnabled)
        SetStateBits(stEnabled, (value & sdbfEnabled) != 0);
    return static_cast<int>(value);
}

DWORD CSelectionGroup::GetProtectionFlagsMasked(DWORD mask)
{
    DWORD all = kProtectionMask;
    DWORD any = 0;
    for (CShape* shape : m_children) {
        const DWORD v = shape->GetProtectionFlagsMasked(mask);
        all &= v;
        any |= v;
    }
    DWORD result = ((all & kProtectionMask) | (any & ~kProtectionMask)) & mask;
    if ((mask & sdbfVisible) && !(m_state & stVisible))
        result &= ~static_cast<DWORD>(sdbfVisible);
    if ((mask & sdbfEnabled) && !(m_state & stEnabled))
        result &= ~static_cast<DWORD>(sdbfEnabled);
    return result;
}

void CSelectionGroup::NotifyChange(int editKind)
{
    for (CShape* shape : m_children)
        shape->NotifyChange(editKind);
}

int CSelectionGroup::SetVisibleRecorded(bool on)
{
    std::vector<int> ids;
    for (CShape* shape : m_children)
        ids.push_back(shape->GetId());
    bool any = false;
    for (int id : ids) {
        CShape* shape = m_control ? m_control->FindShape(id) : nullptr;
        if (shape && shape->SetVisibleRecorded(on) == 0)
            any = true;
    }
    return any ? 0 : 1;
}

// --- Picking ----------------------------------------------------------------------------------

int CSelectionGroup::CountCustomChildren(CShape* shape)
{
    if (!shape || !shape->IsGroup())
        return 0;
    const CGroup* group = static_cast<CGroup*>(shape);
    if (shape->GetShapeType() != stReference)
        return group->GetShapeCount();
    int count = 0;
    for (CShape* child : group->Children())
        if (child->GetProtectionFlags() & sdbfCustomChild)
            ++count;
    return count;
}

bool CSelectionGroup::SelectAtPoint(float x, float y, CShape* shape, bool testOnly)
{
    if (!shape || !m_control)
        return false;
    const DWORD flags = m_control->GetControlFlags();
    CEditState& edit = m_control->GetEditState();
    bool customOnly = false;
    bool descend = false;
    if (!(flags & controlDisableCustomizeAttributes) && shape->GetShapeType() == stReference &&
        m_control->GetActiveGroup() != shape && !edit.editedShape && CountCustomChildren(shape) > 0) {
        customOnly = true;
        descend = true;
    } else if (IsGroupOrReference(shape) && !static_cast<CGroup*>(shape)->SelectsAsUnit()) {
        descend = true;
    }
    if (descend) {
        // Of the root, only the children near the point can be hit.
        std::vector<CShape*> nearby;
        const std::vector<CShape*> children =
            customOnly ? static_cast<CGroup*>(shape)->Children()
                       : static_cast<CGroup*>(shape)->ChildrenNearDevicePoint(x, y, nearby);
        bool hit = false;
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            CShape* child = *it;
            if (customOnly && !(child->GetProtectionFlags() & sdbfCustomChild))
                continue;
            if (!SelectAtPoint(x, y, child, testOnly))
                continue;
            hit = true;
            if ((flags & controlSelectOnlyTopmostShape) ||
                ((flags & controlSelectOnlyTopmostPolyline) && IsPolylineFamily(child->GetShapeType())))
                break;
        }
        return hit;
    }
    CShape* container = edit.containerShape;
    if (container && (container == shape || container->ContainsShapeId(shape->GetId(), true)))
        return false;
    if (!shape->HitTest(x, y))
        return false;
    if (!testOnly) {
        shape->SetSelected(true);
        AddChild(shape, nullptr, 0, false);
    }
    edit.hitShapes.push_back(shape);
    return true;
}

bool CSelectionGroup::SelectInRect(const CRealRect& rect, CShape* shape)
{
    if (!shape || !shape->IsVisible())
        return false;
    AddBatch batch(this);
    CShape* layer = shape->GetLayer();
    if (shape->HasState(stNotSelectable) || (layer && layer->HasState(stNotSelectable)))
        return false;
    bool passed = false;
    const bool groupOrReference = IsGroupOrReference(shape);
    const bool unitless = groupOrReference && !static_cast<CGroup*>(shape)->SelectsAsUnit();
    if ((shape->IsGroup() && !groupOrReference) || unitless) {
        // What lies inside the rectangle meets it: of the root, only the children near it.
        std::vector<CShape*> nearby;
        for (CShape* child : std::vector<CShape*>(static_cast<CGroup*>(shape)->ChildrenNear(rect, nearby)))
            passed = SelectInRect(rect, child) || passed;
    }
    if (unitless)
        return passed;
    CRealRect b;
    const HRESULT hr = groupOrReference
                           ? static_cast<CGroup*>(shape)->UnionVisibleChildBounds(&b.left, &b.top, &b.right, &b.bottom, 0)
                           : shape->GetBoundingRectEx(&b.left, &b.top, &b.right, &b.bottom, nullptr, 0);
    if (FAILED(hr))
        return passed;
    if (b.left >= rect.left && b.right <= rect.right && b.top <= rect.top && b.bottom >= rect.bottom) {
        // The selection and what it lists are marked once, when the outermost batch closes: no
        // listed shape lies inside another, so marking them again after each addition (which
        // marks each added one itself) changes nothing until then.
        m_markPending = true;
        AddChild(shape, nullptr, 0, false);
        passed = true;
    }
    return passed;
}

// --- Z order ----------------------------------------------------------------------------------

int CSelectionGroup::BringSelectionToFront(bool fire, bool skipReferenceParts)
{
    return ChangeOrder(true, fire, skipReferenceParts);
}

int CSelectionGroup::SendSelectionToBack(bool fire, bool skipReferenceParts)
{
    return ChangeOrder(false, fire, skipReferenceParts);
}

int CSelectionGroup::ChangeOrder(bool front, bool fire, bool skipReferenceParts)
{
    if (!m_control)
        return 1;
    const std::vector<CShape*> shapes = m_children;
    CShapeRecorder* recorder = m_control->GetUndoRecorder();
    if (recorder)
        recorder->OpenOperation(opProperties);
    bool changed = false;
    for (CShape* shape : shapes) {
        if (skipReferenceParts && (shape->IsReferenceChild() || shape->IsCustomChildOfReference()))
            continue;
        CGroup* parent = shape->GetParent();
        if (!parent || !IsGroupOrReference(parent))
            continue;
        const int id = shape->GetId();
        if (recorder && recorder->ShouldRecordShape(shape))
            recorder->RecordShape(opProperties, shape, false);
        const float z = shape->GetZOrder();
        if (front)
            parent->BringChildToFront(id);
        else
            parent->SendChildToBack(id);
        if (!fire || !m_control->EventsEnabled()) {
            changed = true;
            continue;
        }
        m_control->RequestRedraw(rfRedrawShape, shape);
        const bool proceed = front ? m_control->FireBringShapeToFront(id) : m_control->FireSendShapeToBack(id);
        // The host may have deleted the shape meanwhile.
        if (m_control->FindShape(id) != shape)
            continue;
        if (!proceed) {
            shape->SetZOrder(z, true);
            if (recorder)
                recorder->DiscardCurrentUnit();
            continue;
        }
        // Each accepted shape keeps a unit of its own, so that a later refusal drops no more
        // than its own.
        if (recorder)
            recorder->EndCurrentUnit(true);
        if (m_control->GetEditState().editedShape)
            m_control->RequestRedraw(rfRedrawAll, nullptr);
        changed = true;
    }
    if (changed)
        m_control->SetModified();
    if (recorder)
        recorder->CloseOperation(changed);
    return changed ? 0 : 1;
}

// --- Counting and bulk changes -----------------------------------------------------------------

int CSelectionGroup::CountOperable(bool checkPoints)
{
    std::set<int> linked;
    if (checkPoints)
        CollectLinkedPointIds(linked);
    int count = 0;
    for (CShape* shape : m_children) {
        if (!shape->IsEnabled() || !shape->IsVisible())
            continue;
        if (checkPoints && IsPolylineFamily(shape->GetShapeType()) && !CheckSharedPoints(shape, linked))
            continue;
        ++count;
    }
    return count;
}

int CSelectionGroup::CollectBlockedIds(int editType, std::set<int>* ids)
{
    if (!ids)
        return -1;
    const bool moves = editType == EDSH_MOVE || editType == EDSH_SCALE || editType == EDSH_ALIGN_SHAPE ||
                       editType == EDSH_FLIP_SHAPE || editType == EDSH_ROTATE;
    std::set<int> linked;
    if (moves)
        CollectLinkedPointIds(linked);
    for (CShape* shape : m_children) {
        if (shape->IsOperationLocked(editType))
            ids->insert(shape->GetId());
        else if (moves && IsPolylineFamily(shape->GetShapeType()) && !CheckSharedPoints(shape, linked))
            ids->insert(shape->GetId());
    }
    return static_cast<int>(ids->size());
}

int CSelectionGroup::RemoveIds(const std::set<int>* ids)
{
    if (!ids)
        return -1;
    int removed = 0;
    for (CShape* shape : std::vector<CShape*>(m_children)) {
        if (!ids->count(shape->GetId()))
            continue;
        shape->SetSelected(false);
        m_children.erase(std::find(m_children.begin(), m_children.end(), shape));
        ++removed;
    }
    return removed;
}

void CSelectionGroup::MarkChildren(bool on)
{
    for (CShape* shape : m_children) {
        shape->SetStateBits(stPersistent, on);
        if (shape->GetShapeType() == stReference)
            static_cast<CGroup*>(shape)->PropagateFlagToChildren(stPersistent, !on, true, true);
    }
}

HRESULT CSelectionGroup::UnionBounds(float* left, float* top, float* right, float* bottom)
{
    return UnionVisibleChildBounds(left, top, right, bottom, 0);
}

// --- Drawing ------------------------------------------------------------------------------------

bool CSelectionGroup::HoldsHatchFill(CShape* shape, int depth) const
{
    if (shape->GetPointCount() > 0 && shape->HasHatchFill())
        return true;
    if (depth > 0 && shape->IsGroup())
        for (CShape* child : static_cast<CGroup*>(shape)->Children())
            if (HoldsHatchFill(child, depth - 1))
                return true;
    return false;
}

int CSelectionGroup::Draw(CDrawContext& context)
{
    if ((context.flags & CDrawContext::dcMarks) && GetShapeCount() < kOverlayLimit && m_control && context.dc) {
        bool filled = GetPointCount() > 0 && HasHatchFill();
        for (CShape* shape : m_children)
            if (!filled && HoldsHatchFill(shape, 64))
                filled = true;
        if (filled)
            DrawOverlayMask(context);
    }
    return CGroup::Draw(context);
}

void CSelectionGroup::DrawOverlayMask(CDrawContext& context)
{
    HDC target = context.dc;
    CRealRect bounds;
    if (FAILED(GetBoundingRectEx(&bounds.left, &bounds.top, &bounds.right, &bounds.bottom, nullptr, 0)))
        return;
    // The selection's rectangle in the target's device pixels.
    const CViewMapping& view = ViewOf(context);
    const RECT logical = view.WorldToLogicalRect(bounds);
    POINT corners[2] = {{logical.left, logical.top}, {logical.right, logical.bottom}};
    LPtoDP(target, corners, 2);
    RECT device = {std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
                   std::max(corners[0].x, corners[1].x) + 1, std::max(corners[0].y, corners[1].y) + 1};
    const int width = device.right - device.left;
    const int height = device.bottom - device.top;
    if (width <= 0 || height <= 0)
        return;

    ycom::OwnedDC memory(CreateCompatibleDC(target));
    ycom::GdiObject<HBITMAP> mask(CreateBitmap(width, height, 1, 1, nullptr));
    if (!memory || !mask)
        return;
    HDC dc = memory.Get();
    {
        ycom::SelectGuard selectedMask(dc, mask.Get());
        PatBlt(dc, 0, 0, width, height, BLACKNESS);
        // The mask's logical plane is the target's, shifted so that the rectangle's corner is
        // pixel (0, 0).
        SetGraphicsMode(dc, GM_ADVANCED);
        SetArcDirection(dc, AD_CLOCKWISE);
        SetMapMode(dc, MM_LOMETRIC);
        POINT windowOrigin, viewportOrigin;
        GetWindowOrgEx(target, &windowOrigin);
        GetViewportOrgEx(target, &viewportOrigin);
        SetWindowOrgEx(dc, windowOrigin.x, windowOrigin.y, nullptr);
        SetViewportOrgEx(dc, viewportOrigin.x - device.left, viewportOrigin.y - device.top, nullptr);

        ycom::GdiObject<HBITMAP> pattern(CreateBitmap(8, 8, 1, 1, kOverlayRows));
        LOGBRUSH hollow = {BS_HOLLOW, 0, 0};
        ycom::GdiObject<HBRUSH> brush((context.flags & CDrawContext::dcNoFill) ? CreateBrushIndirect(&hollow)
                                                                                 : CreatePatternBrush(pattern.Get()));
        // The filled shapes' outlines become the clip region, starting from nothing.
        ycom::GdiObject<HRGN> none(CreateRectRgn(0, 0, 0, 0));
        SelectClipRgn(dc, none.Get());
        CDrawContext pass = context;
        pass.dc = dc;
        pass.flags = kOverlayPassFlags;
        pass.pen = nullptr;
        CGroup::Draw(pass);
        // Filled in device pixels: the clip region is kept in them whatever the mapping.
        SetMapMode(dc, MM_TEXT);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SetViewportOrgEx(dc, 0, 0, nullptr);
        RECT clip;
        if (GetClipBox(dc, &clip) != NULLREGION && brush) {
            SetTextColor(dc, 0x000000);
            SetBkColor(dc, 0xFFFFFF);
            FillRect(dc, &clip, brush.Get());
        }
        SelectClipRgn(dc, nullptr);

        // The marked pixels take the highlight colour; the others stay as they are.
        const int saved = SaveDC(target);
        SetMapMode(target, MM_TEXT);
        SetWindowOrgEx(target, 0, 0, nullptr);
        SetViewportOrgEx(target, 0, 0, nullptr);
        ModifyWorldTransform(target, nullptr, MWT_IDENTITY);
        SetBkColor(target, 0x000000);
        SetTextColor(target, 0xFFFFFF);
        BitBlt(target, device.left, device.top, width, height, dc, 0, 0, SRCAND);
        SetBkColor(target, context.highlightColour);
        SetTextColor(target, 0x000000);
        BitBlt(target, device.left, device.top, width, height, dc, 0, 0, SRCPAINT);
        RestoreDC(target, saved);
    }
}
