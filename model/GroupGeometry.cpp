// CGroup: geometry through the children (bounds, handles, points, hit tests), transforms,
// alignment and interactive editing of a group as a whole.
#include "model/Group.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeRecorder.h"
#include "model/ShapeStateMap.h"
#include "model/ViewMapping.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"
#include <cfloat>
#include <cmath>

namespace {
// The handle index of a group in the control's per-shape edit record for "nothing picked".
const int kNoHandle = -1;
// At most this many levels are walked when looking for an enclosing reference or nested hits.
const int kMaxDepth = 20;

void Order(CRealRect& r)
{
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.bottom > r.top)
        std::swap(r.bottom, r.top);
}

void Merge(CRealRect& into, const CRealRect& r)
{
    into.left = std::fmin(into.left, r.left);
    into.top = std::fmax(into.top, r.top);
    into.right = std::fmax(into.right, r.right);
    into.bottom = std::fmin(into.bottom, r.bottom);
}

// Whether a transform of the group needs a set of the points it already moved: a group with
// members may reach a point through several of them, and a shape may list one point twice. A
// shape without members (every kind of shape is a group) whose points all differ moves each once
// without the set. Up to this many points are compared pairwise; beyond, the set is kept.
const int kPointsComparedForRepeats = 8;

bool NeedsMovedSet(const std::vector<CShape*>& children, const CShapePointList& points,
                   const CShapePointList& linked)
{
    if (!children.empty() || points.GetCount() + linked.GetCount() > kPointsComparedForRepeats)
        return true;
    int ids[kPointsComparedForRepeats];
    int count = 0;
    for (const CShapePointList* list : {&points, &linked})
        for (const CPointRecord* point : *list)
            ids[count++] = point->GetPointId();
    for (int i = 1; i < count; ++i)
        for (int j = 0; j < i; ++j)
            if (ids[i] == ids[j])
                return true;
    return false;
}
} // namespace

// --- Bounds and handles ------------------------------------------------------------------------

HRESULT CGroup::GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>* skip,
                                  DWORD flags)
{
    auto write = [&](const CRealRect& rect) {
        if (left)
            *left = rect.left;
        if (top)
            *top = rect.top;
        if (right)
            *right = rect.right;
        if (bottom)
            *bottom = rect.bottom;
    };
    // The drawing's root keeps its extent until the change generation moves: a repaint, a
    // ZoomAll and a label's leader ask for it, and a walk of every shape is what it costs. Whether
    // references count their attributes (the control's flag) and the reference edited in place
    // (every shape counts as visible then) decide it too.
    const bool root = !skip && m_control && m_control->GetRootGroup() == this;
    const void* context = root ? m_control->GetEditedReference() : nullptr;
    const unsigned long key = root ? (flags & 1) | ((m_control->GetControlFlags() & controlReferenceBoundsWithAttribs) ? 2 : 0)
                                   : 0;
    if (root) {
        std::unique_ptr<CShapeGrid>& grid = EditPart().childGrid;
        if (!grid)
            grid = std::make_unique<CShapeGrid>();
        long kept = E_FAIL;
        CRealRect rect;
        if (m_blockPart->childGrid->FindExtent(GeometryGeneration(), context, key, &kept, &rect)) {
            if (kept == S_OK)
                write(rect);
            return kept;
        }
    }
    // Taking the children's extents may lay a text out for the first time, which raises the
    // generation: the extent kept is the one after it.
    auto keep = [&](HRESULT result, const CRealRect& rect) {
        if (root)
            m_blockPart->childGrid->KeepExtent(GeometryGeneration(), context, key, result, rect);
        return result;
    };
    CRealRect own;
    const HRESULT r = CShape::GetBoundingRectEx(&own.left, &own.top, &own.right, &own.bottom, skip, flags);
    if (m_children.empty()) {
        if (r == S_OK) {
            write(own);
            m_extent = own;
            Order(m_extent);
        }
        SetStateBits(stExtentCached, r == S_OK);
        return keep(r, own);
    }
    const bool skipAttributes = !(m_control && (m_control->GetControlFlags() & controlReferenceBoundsWithAttribs)) &&
                                m_shapeType == stReference && !(flags & 1) &&
                                CountAttributeChildren(false, nullptr) < GetShapeCount();
    bool any = false;
    CRealRect all;
    for (CShape* child : m_children) {
        if (child->HasState(stNoExtents) || !child->IsVisible())
            continue;
        if (skipAttributes && child->IsAttributeOrLabel())
            continue;
        CRealRect c;
        if (FAILED(child->GetBoundingRectEx(&c.left, &c.top, &c.right, &c.bottom, skip, flags)))
            continue;
        if (!any)
            all = c;
        else
            Merge(all, c);
        any = true;
    }
    if (!any) {
        SetStateBits(stExtentCached, false);
        if (r == S_OK)
            write(own);
        return keep(r, own);
    }
    // A reference's own points (its insertion point) are not part of what it shows.
    if (m_shapeType != stReference && r == S_OK)
        Merge(all, own);
    write(all);
    m_extent = all;
    Order(m_extent);
    SetStateBits(stExtentCached, true);
    return keep(S_OK, all);
}

bool CGroup::IsExtentCached()
{
    if (!(m_state & stExtentCached))
        return false;
    for (CShape* child : m_children)
        if (!child->IsExtentCached())
            return false;
    return true;
}

HRESULT CGroup::UnionVisibleChildBounds(float* left, float* top, float* right, float* bottom, DWORD flags)
{
    CRealRect all(FLT_MAX, -FLT_MAX, -FLT_MAX, FLT_MAX);
    const bool skipAttributes = !(m_control && (m_control->GetControlFlags() & controlReferenceBoundsWithAttribs)) &&
                                m_shapeType == stReference && !(flags & 1) &&
                                CountAttributeChildren(false, nullptr) < GetShapeCount();
    int taken = 0;
    for (CShape* child : m_children) {
        if (!child->IsVisible() || (skipAttributes && child->IsAttributeOrLabel()))
            continue;
        CRealRect c;
        if (FAILED(child->GetBoundingRect(&c.left, &c.top, &c.right, &c.bottom)))
            continue;
        Merge(all, c);
        ++taken;
    }
    CRealRect own;
    const HRESULT r = CShape::GetBoundingRectEx(&own.left, &own.top, &own.right, &own.bottom, nullptr, 0);
    if (taken == 0) {
        if (r == S_OK) {
            if (left)
                *left = own.left;
            if (top)
                *top = own.top;
            if (right)
                *right = own.right;
            if (bottom)
                *bottom = own.bottom;
        }
        return r;
    }
    if (r == S_OK && CShape::IsVisible())
        Merge(all, own);
    if (left)
        *left = all.left;
    if (top)
        *top = all.top;
    if (right)
        *right = all.right;
    if (bottom)
        *bottom = all.bottom;
    return S_OK;
}

int CGroup::GetHandlePoints(CRealPoint* points, int capacity)
{
    if (!IsBlockContext())
        return 0;
    if (!points || capacity < 9)
        return 9;
    float l, t, r, b;
    if (FAILED(GetBoundingRect(&l, &t, &r, &b)))
        return 0;
    const float cx = (l + r) * 0.5f, cy = (t + b) * 0.5f;
    const CRealPoint handles[9] = {{l, t}, {r, t}, {r, b}, {l, b}, {cx, cy}, {cx, t}, {r, cy}, {cx, b}, {l, cy}};
    for (int i = 0; i < 9; ++i)
        points[i] = handles[i];
    return 9;
}

int CGroup::ComputeHandleScale(const CRealPoint& target, int handle, float* kx, float* ky, CRealPoint* fixed,
                               bool keep)
{
    if (!kx && !ky)
        return 0;
    if (handle < 0 || handle > 8)
        return 0;
    CRealPoint handles[9];
    if (GetHandlePoints(handles, 9) != 9)
        return 0;
    const int opposite = handle <= 4 ? (handle + 2) % 4 : (handle - 3) % 4 + 5;
    const CRealPoint& h = handles[handle];
    const CRealPoint& f = handles[opposite];
    // An axis along which the handle and its opposite coincide does not scale.
    auto factor = [keep](double to, double from, double at) {
        const double span = from - at;
        double k = span != 0.0 ? (to - at) / span : 1.0;
        if (keep && k == 0.0)
            k = 1.0;
        return static_cast<float>(k);
    };
    if (kx)
        *kx = factor(target.x, h.x, f.x);
    if (ky)
        *ky = factor(target.y, h.y, f.y);
    if (fixed)
        *fixed = f;
    return 1;
}

// --- Points through the children --------------------------------------------------------------

int CGroup::GetNthPoint(int n, CRealPoint* point, int mode, int* count)
{
    int passed = 0;
    for (CShape* child : m_children) {
        const int c = child->GetPointCount();
        if (n >= passed && n < passed + c) {
            if (point)
                *point = *child->GetPoints().GetAt(n - passed);
            if (count)
                *count = passed;
            return 1;
        }
        passed += c;
    }
    if (mode >= 2) {
        int remaining = n - passed;
        for (CShape* child : m_children) {
            int childCount = 0;
            if (child->GetNthPoint(remaining, point, mode, &childCount)) {
                if (count)
                    *count = passed + childCount;
                return 1;
            }
            remaining -= childCount;
            passed += childCount;
        }
    }
    if (count)
        *count = passed;
    return 0;
}

int CGroup::GetNearestPoint(const CRealPoint& point, CRealPoint* nearest)
{
    bool any = false;
    double best = 0.0;
    for (CShape* child : m_children) {
        CRealPoint p;
        if (!child->GetNearestPoint(point, &p))
            continue;
        const double dx = static_cast<double>(p.x) - point.x, dy = static_cast<double>(p.y) - point.y;
        const double d = dx * dx + dy * dy;
        if (!any || d < best) {
            best = d;
            if (nearest)
                *nearest = p;
            any = true;
        }
    }
    return any ? 1 : 0;
}

double CGroup::GetAngle()
{
    if (!m_children.empty())
        return m_children.front()->GetAngle();
    return CShape::GetAngle();
}

int CGroup::HasPointAt(float x, float y)
{
    if (CShape::HasPointAt(x, y))
        return 1;
    for (CShape* child : m_children)
        if (child->HasPointAt(x, y))
            return 1;
    return 0;
}

BOOL CGroup::HitTest(float x, float y)
{
    for (CShape* child : m_children)
        if (child->HitTest(x, y))
            return TRUE;
    return FALSE;
}

int CGroup::CollectHitShapes(float x, float y, std::vector<CShape*>& hits)
{
    const size_t before = hits.size();
    std::vector<CShape*> nearby;
    for (CShape* child : ChildrenNearDevicePoint(x, y, nearby))
        if (child->HitTest(x, y))
            hits.push_back(child);
    return static_cast<int>(hits.size() - before);
}

const CShapeGrid* CGroup::CurrentChildGrid()
{
    if (!m_control || m_control->GetRootGroup() != this)
        return nullptr;
    // While a reference is edited in place every shape counts as visible, and a group's extent
    // takes in only its visible members: the grid is built for one of the two.
    // Whether references count their attributes decides the extents the grid keeps without them.
    const void* context = m_control->GetEditedReference();
    const unsigned long options = m_control->GetControlFlags() & controlReferenceBoundsWithAttribs;
    std::unique_ptr<CShapeGrid>& grid = EditPart().childGrid;
    if (!grid)
        grid = std::make_unique<CShapeGrid>();
    if (!grid->IsCurrentFor(m_children, GeometryGeneration(), context, options)) {
        // Taking an extent may lay a text out for the first time, which raises the generation;
        // the extent taken is the one after it, so the grid is current for the generation that
        // follows the build.
        grid->Build(m_children, 0, context, options);
        grid->SetGeneration(GeometryGeneration());
    }
    return grid.get();
}

const std::vector<CShape*>& CGroup::ChildrenNear(const CRealRect& rect, std::vector<CShape*>& out)
{
    const CShapeGrid* grid = CurrentChildGrid();
    if (!grid)
        return m_children;
    std::vector<int> positions;
    grid->Query(rect, positions);
    out.clear();
    out.reserve(positions.size());
    for (int i : positions)
        out.push_back(m_children[static_cast<size_t>(i)]);
    return out;
}

const std::vector<CShape*>& CGroup::ChildrenNearDevicePoint(float x, float y, std::vector<CShape*>& out)
{
    if (!m_control || m_control->GetRootGroup() != this)
        return m_children;
    // A shape is hit within its extent and a tolerance of pixels around it (see
    // CShape::HitTest); a pixel more keeps the rounding of the two computations apart.
    const CViewMapping& view = m_control->GetCurrentViewport();
    const CRealPointD p = view.DeviceToWorld(x, y);
    const double tolX = std::fabs(view.PixelsToWorldX(kHitTolerancePixels + 1.0));
    const double tolY = std::fabs(view.PixelsToWorldY(kHitTolerancePixels + 1.0));
    const CRealRect rect(static_cast<float>(p.x - tolX), static_cast<float>(p.y + tolY),
                         static_cast<float>(p.x + tolX), static_cast<float>(p.y - tolY));
    return ChildrenNear(rect, out);
}

CShape* CGroup::FindEditableAt(float x, float y, DWORD flags)
{
    // Whether this group lies inside a block reference.
    bool insideReference = false;
    CShape* stop = m_control ? m_control->FindShape(m_control->GetActiveGroupID()) : nullptr;
    CShape* walk = this;
    for (int level = 0; walk && level < kMaxDepth && walk != stop; ++level, walk = walk->GetParent()) {
        if (walk->GetShapeType() == stReference) {
            insideReference = true;
            break;
        }
    }
    std::vector<CShape*> hits;
    CollectHitShapes(x, y, hits);
    for (int level = 0; level < kMaxDepth && !hits.empty(); ++level) {
        CShape* top = hits.back();
        if (top->GetShapeType() == stText && top->IsSelectable() &&
            (top->IsAttributeOrLabel() || top->IsCustomChildOfReference() || !insideReference))
            return top;
        if ((flags & 0xFF) == 0)
            return nullptr;
        if (top->GetShapeType() != stGroup && top->GetShapeType() != stReference)
            return nullptr;
        if (top->GetShapeType() == stReference)
            insideReference = true;
        hits.clear();
        static_cast<CGroup*>(top)->CollectHitShapes(x, y, hits);
    }
    return nullptr;
}

bool CGroup::CheckSharedPoints(CShape* shape, const std::set<int>& linked) const
{
    if (!shape || !m_control)
        return false;
    for (CPointRecord* point : shape->GetPoints()) {
        if (!m_control->GetPointPool().Find(point->GetPointId()))
            return false;
        if (linked.count(point->GetPointId()))
            return false;
    }
    return true;
}

int CGroup::CollectLinkedPointIds(std::set<int>& ids)
{
    int count = CShape::CollectLinkedPointIds(ids);
    for (CShape* child : m_children)
        count += child->CollectLinkedPointIds(ids);
    return count;
}

void CGroup::AddPointsToList(CShapePointList& list)
{
    CShape::AddPointsToList(list);
    for (CShape* child : m_children)
        child->AddPointsToList(list);
}

int CGroup::CountStats(CShapeStats& stats)
{
    int count = CShape::CountStats(stats);
    for (CShape* child : m_children)
        count += child->CountStats(stats);
    return count;
}

namespace {
// The children of two groups side by side; null when the source is no group or the counts
// differ.
const CGroup* MatchingGroup(const CGroup& self, const CShape& source)
{
    if (!const_cast<CShape&>(source).IsGroup())
        return nullptr;
    const CGroup& other = static_cast<const CGroup&>(source);
    return other.GetShapeCount() == self.GetShapeCount() ? &other : nullptr;
}
} // namespace

int CGroup::CopyPointsFrom(const CShape& source)
{
    CShape::CopyPointsFrom(source);
    const CGroup* other = MatchingGroup(*this, source);
    if (!other)
        return 0;
    for (int i = 0; i < GetShapeCount(); ++i)
        m_children[static_cast<size_t>(i)]->CopyPointsFrom(*other->GetChildAt(i));
    return 1;
}

int CGroup::CopyPointCoordsFrom(const CShape& source)
{
    const int own = CShape::CopyPointCoordsFrom(source);
    const CGroup* other = MatchingGroup(*this, source);
    if (!other)
        return 0;
    for (int i = 0; i < GetShapeCount(); ++i)
        m_children[static_cast<size_t>(i)]->CopyPointCoordsFrom(*other->GetChildAt(i));
    return own;
}

int CGroup::CopyLinkedPointCoordsFrom(const CShape& source)
{
    const int own = CShape::CopyLinkedPointCoordsFrom(source);
    const CGroup* other = MatchingGroup(*this, source);
    if (!other)
        return 0;
    for (int i = 0; i < GetShapeCount(); ++i)
        m_children[static_cast<size_t>(i)]->CopyLinkedPointCoordsFrom(*other->GetChildAt(i));
    return own;
}

int CGroup::CopyPropertiesFrom(CShape& source, DWORD mask)
{
    const int own = CShape::CopyPropertiesFrom(source, mask);
    const CGroup* other = MatchingGroup(*this, source);
    if (!other)
        return 0;
    for (int i = 0; i < GetShapeCount(); ++i)
        m_children[static_cast<size_t>(i)]->CopyPropertiesFrom(*other->GetChildAt(i), mask);
    return own;
}

// --- Transforms ---------------------------------------------------------------------------------
//
// A point that several members share moves once per operation: every transform of the group runs
// with one set of points already moved, handed to each child in turn.

HRESULT CGroup::Shift(float dx, float dy, std::set<int>* visited, bool force)
{
    std::set<int> local;
    if (!visited && NeedsMovedSet(m_children, m_points, m_linkedPoints))
        visited = &local;
    // The group's own move locks hold for its members as well.
    if (!force && ApplyMoveProtection(&dx, &dy))
        return E_ACCESSDENIED;
    CShape::Shift(dx, dy, visited, true);
    for (CShape* child : std::vector<CShape*>(m_children))
        child->Shift(dx, dy, visited, force);
    UpdateReferrers(0, 0);
    return S_OK;
}

int CGroup::Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force)
{
    std::set<int> local;
    if (!visited && NeedsMovedSet(m_children, m_points, m_linkedPoints))
        visited = &local;
    if (!CShape::Rotate(xc, yc, degrees, visited, force))
        return 0;
    for (CShape* child : std::vector<CShape*>(m_children))
        child->Rotate(xc, yc, degrees, visited, force);
    UpdateReferrers(0, 0);
    return 1;
}

HRESULT CGroup::Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force)
{
    std::set<int> local;
    if (!visited && NeedsMovedSet(m_children, m_points, m_linkedPoints))
        visited = &local;
    float ax = kx, ay = ky;
    const int refused = force ? 0 : ApplyScaleProtection(&ax, &ay);
    // Where a locked axis cannot scale, the group still moves as scaling would move its centre.
    float dx = 0, dy = 0;
    if (refused || ax != kx || ay != ky) {
        float l, t, r, b;
        if (SUCCEEDED(GetBoundingRect(&l, &t, &r, &b))) {
            const double cx = (l + r) * 0.5, cy = (t + b) * 0.5;
            if (refused || ax != kx)
                dx = static_cast<float>((cx - xc) * kx + xc - cx);
            if (refused || ay != ky)
                dy = static_cast<float>((cy - yc) * ky + yc - cy);
        }
    }
    if (!refused) {
        CShape::Scale(xc, yc, ax, ay, visited, true);
        for (CShape* child : std::vector<CShape*>(m_children))
            child->Scale(xc, yc, ax, ay, visited, force);
    }
    if (dx != 0 || dy != 0) {
        std::set<int> moved;
        Shift(dx, dy, &moved, false);
    }
    UpdateReferrers(0, 0);
    return refused && dx == 0 && dy == 0 ? E_ACCESSDENIED : S_OK;
}

int CGroup::FlipVertical(std::set<int>* visited, const float* axisY)
{
    float axis;
    if (!FlipAxis(axisY, true, &axis))
        return 0;
    std::set<int> local;
    if (!visited && NeedsMovedSet(m_children, m_points, m_linkedPoints))
        visited = &local;
    if (!CShape::FlipVertical(visited, &axis))
        return 0;
    for (CShape* child : std::vector<CShape*>(m_children))
        child->FlipVertical(visited, &axis);
    UpdateReferrers(0, 0);
    return 1;
}

int CGroup::FlipHorizontal(std::set<int>* visited, const float* axisX)
{
    float axis;
    if (!FlipAxis(axisX, false, &axis))
        return 0;
    std::set<int> local;
    if (!visited && NeedsMovedSet(m_children, m_points, m_linkedPoints))
        visited = &local;
    if (!CShape::FlipHorizontal(visited, &axis))
        return 0;
    for (CShape* child : std::vector<CShape*>(m_children))
        child->FlipHorizontal(visited, &axis);
    UpdateReferrers(0, 0);
    return 1;
}

void CGroup::OffsetPoints(float dx, float dy)
{
    CShape::OffsetPoints(dx, dy);
    for (CShape* child : m_children)
        child->OffsetPoints(dx, dy);
}

// --- Alignment ----------------------------------------------------------------------------------

int CGroup::AlignTo(int mode)
{
    if (SelectsAsUnit())
        return 0;
    float l, t, r, b;
    if (FAILED(GetBoundingRect(&l, &t, &r, &b)) || r - l == 0 || t - b == 0)
        return 0;
    float x = 0, y = 0;
    switch (mode) {
    case 0: x = l; break;
    case 1: x = r; break;
    case 2: y = t; break;
    case 3: y = b; break;
    case 4: x = (l + r) * 0.5f; break;
    case 5: y = (t + b) * 0.5f; break;
    default: return 0;
    }
    std::set<int> visited;
    return AlignChildren(x, y, mode, &visited);
}

int CGroup::AlignChildren(float x, float y, int mode, std::set<int>* visited)
{
    std::set<int> local;
    if (!visited)
        visited = &local;
    auto moveShape = [&](CShape* shape) {
        float l, t, r, b;
        if (FAILED(shape->GetBoundingRect(&l, &t, &r, &b)))
            return;
        float dx = 0, dy = 0;
        switch (mode) {
        case 0: dx = x - l; break;
        case 1: dx = x - r; break;
        case 2: dy = y - t; break;
        case 3: dy = y - b; break;
        case 4: dx = x - (l + r) * 0.5f; break;
        case 5: dy = y - (t + b) * 0.5f; break;
        default: return;
        }
        shape->Shift(dx, dy, visited, false);
    };
    if (SelectsAsUnit()) {
        moveShape(this);
        return 1;
    }
    for (CShape* child : std::vector<CShape*>(m_children)) {
        if (child->GetShapeType() == stGroup || child->GetShapeType() == stReference)
            static_cast<CGroup*>(child)->AlignChildren(x, y, mode, visited);
        else
            moveShape(child);
    }
    return 1;
}

// --- Editing ------------------------------------------------------------------------------------

int CGroup::OnEditDrag(float x, float y)
{
    if (!m_control || IsEditTarget() != 1 || m_control->GetEditState().editMode != EDSH_POINT)
        return CShape::OnEditDrag(x, y);
    CEditState& edit = m_control->GetEditState();
    bool tookTracker = false;
    CShape* tracker = edit.tracker;
    if (tracker && tracker != this && tracker->IsVisible() && tracker->GetShapeType() == m_shapeType) {
        CopyPointCoordsFrom(*tracker);
        CopyPropertiesFrom(*tracker, static_cast<DWORD>(-1));
        CopyLinkedPointCoordsFrom(*tracker);
        tookTracker = true;
    }
    CShapeStateMap& states = m_control->GetShapeStateMap();
    const int handle = states.GetValue(m_id);
    if (handle == kNoHandle) {
        for (CShape* child : std::vector<CShape*>(m_children))
            if (states.GetValue(child->GetId()) != kNoHandle)
                child->OnEditDrag(x, y);
        return 1;
    }
    float kx = 1, ky = 1;
    CRealPoint fixed;
    if (!ComputeHandleScale(CRealPoint(x, y), handle, &kx, &ky, &fixed, !tookTracker))
        return 1;
    if (!edit.hasEditAnchor) {
        CRealPoint handles[9];
        if (GetHandlePoints(handles, 9) == 9 && handle >= 0 && handle < 9) {
            edit.editAnchor = handles[handle];
            edit.hasEditAnchor = true;
        }
    }
    Scale(fixed.x, fixed.y, kx, ky, nullptr, false);
    m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
    return 1;
}

int CGroup::OnEditMouseDown(float x, float y, std::map<int, int>* selection)
{
    if (CShape::OnEditMouseDown(x, y, selection))
        return 1;
    if (m_control && IsEditTarget() == 1 && m_control->GetEditState().editMode == EDSH_POINT) {
        EndEdit(true);
        return 1;
    }
    if (IsBlockContext())
        return 0;
    for (CShape* child : std::vector<CShape*>(m_children))
        if (child->OnEditMouseDown(x, y, selection))
            return 1;
    return 0;
}

int CGroup::OnEditMouseUp(float x, float y)
{
    if (CShape::OnEditMouseUp(x, y))
        return 1;
    if (IsBlockContext())
        return 0;
    for (CShape* child : std::vector<CShape*>(m_children))
        if (child->OnEditMouseUp(x, y))
            return 1;
    return 0;
}

int CGroup::StartEdit(int mode, int pickedIndex, const CRealPoint* start)
{
    const int result = CShape::StartEdit(mode, pickedIndex, start);
    if (!m_control)
        return result;
    CShapeRecorder* recorder = m_control->GetUndoRecorder();
    if (mode == EDSH_POINT && recorder && !recorder->IsSuspended() && m_id != WINDOW_ID &&
        recorder->ShouldRecordShape(this)) {
        switch (m_shapeType) {
        case stLine:
            if (pickedIndex >= 0 && pickedIndex < m_points.GetCount())
                recorder->RecordPoint(opMove, m_points.GetAt(pickedIndex), false);
            break;
        case stArc:
        case stCircle:
        case stEllipse:
        case stText: recorder->RecordShape(opProperties, this, false); break;
        case stGroup:
            if (pickedIndex >= 0)
                recorder->RecordShape(pickedIndex == 4 ? opMove : opScale, this, false);
            break;
        case stImage:
        case stReference: recorder->RecordShape(opScale, this, false); break;
        default: break;
        }
    }
    const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
    if (mode == EDSH_MOVE && setting && setting->SnapToGrid) {
        // The drag snaps through a member's point that lies on the grid already: child index in
        // the high word, point index in the low word.
        CShapeStateMap& states = m_control->GetShapeStateMap();
        states.SetValue(m_id, -1);
        int code = -1;
        for (size_t c = 0; c < m_children.size() && code < 0; ++c) {
            const CShapePointList& points = m_children[c]->GetPoints();
            for (int i = 0; i < points.GetCount(); ++i) {
                CRealPoint snapped;
                m_control->SnapPointToGrid(*points.GetAt(i), &snapped);
                if (snapped.x == points.GetAt(i)->x && snapped.y == points.GetAt(i)->y) {
                    code = static_cast<int>(c) * 65536 + i;
                    break;
                }
            }
        }
        for (size_t c = 0; c < m_children.size() && code < 0; ++c)
            if (m_children[c]->GetPointCount() > 0)
                code = static_cast<int>(c) * 65536;
        if (code >= 0)
            states.SetValue(m_id, code);
    }
    return result;
}

void CGroup::MovePointSnapped(CRealPoint& point, int code, bool ortho)
{
    if (!m_control)
        return;
    const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
    if (!setting || !setting->SnapToGrid)
        return;
    const int childIndex = code >= 0 ? code / 65536 : -1;
    const int pointIndex = code >= 0 ? code % 65536 : -1;
    CShape* child = childIndex >= 0 && childIndex < GetShapeCount() ? m_children[static_cast<size_t>(childIndex)] : nullptr;
    const bool known = child && pointIndex < child->GetPointCount();
    SnapDraggedPoint(point, known ? child->GetPoints().GetAt(pointIndex) : nullptr, ortho);
}
