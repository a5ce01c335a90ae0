// The block reference: its link to the block, the copies of the block's children and their
// transform, its handles, editing and transforms.
#include "model/Reference.h"
#include "model/AttributeCopy.h"
#include "model/DrawContext.h"
#include "model/Layer.h"
#include "model/Geometry.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeStateMap.h"
#include "model/ShapeRecorder.h"
#include "model/Text.h"
#include "model/ViewMapping.h"
#include "automation/ResultCodes.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include "com/HResult.h"
#include <algorithm>
#include <cmath>

namespace {

// Locks of an attribute or label text inside a reference.
const DWORD kKeepAnchor = 0x1;
const DWORD kNoRotation = 0x2;
const DWORD kNoXScale = 0x4;
const DWORD kNoYScale = 0x8;
const DWORD kOwnLayer = 0x400;

// The anchor marks of the texts: a circle of this radius in pixels; anchors closer than the gap
// to the one drawn before are not drawn again.
const int kAnchorMarkRadius = 9;
const int kAnchorMarkGap = 5;

bool IsCustomChild(const CShape* child) { return (child->GetProtectionFlags() & sdbfCustomChild) != 0; }

// The locks a refreshed attribute text takes.
const DWORD kAttributeLocks = 0x40;
// The undo kind of a text's properties.
const int kUndoTextRefreshed = 6;

// Whether a definition's text names attribute values ("[NAME]" or "<n>"), rather than being a
// plain default.
bool NamesAttributeValues(CText* definition)
{
    if (!definition->GetFieldList())
        definition->ParseFields();
    const std::vector<CTextField>* fields = definition->GetFieldList();
    if (!fields)
        return false;
    for (const CTextField& field : *fields)
        if (field.IsNamed() || field.IsNumbered())
            return true;
    return false;
}
} // namespace

CReference::CReference(int id, CShapeHost* control) : CGroup(id, control)
{
    m_shapeType = stReference;
    m_selectsAsUnit = 1;
}

CReference::CReference(int id, const CReference& source)
    : CGroup(id, source), m_rotationAngle(source.m_rotationAngle), m_xScale(source.m_xScale),
      m_yScale(source.m_yScale), m_block(source.m_block)
{
    m_shapeType = stReference;
    if (m_block)
        m_block->AddReferrer(this);
}

CReference::~CReference()
{
    if (m_block)
        m_block->RemoveReferrer(this);
    m_block = nullptr;
}

void CReference::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_ReferenceShape;
}

int CReference::GetClassShapeType() { return stReference; }

double CReference::GetAngle() { return m_rotationAngle * kDegreesToRadians; }

// --- Link and transform ------------------------------------------------------------------------

void CReference::SetRotationAngle(double degrees, bool apply)
{
    if (m_block && apply)
        SetScaleRotation(m_xScale, m_yScale, degrees, apply);
    m_rotationAngle = degrees;
}

void CReference::SetXScale(float scale, bool apply)
{
    if (m_block && apply)
        SetScaleRotation(scale, m_yScale, m_rotationAngle, apply);
    m_xScale = scale;
}

void CReference::SetYScale(float scale, bool apply)
{
    if (m_block && apply)
        SetScaleRotation(m_xScale, scale, m_rotationAngle, apply);
    m_yScale = scale;
}

int CReference::SetScaleRotation(float xScale, float yScale, double degrees, bool applyToAll)
{
    const double fx = m_xScale != 0.0f ? static_cast<double>(xScale) / m_xScale : xScale;
    const double fy = m_yScale != 0.0f ? static_cast<double>(yScale) / m_yScale : yScale;
    const double turn = degrees - m_rotationAngle;
    if (fx == 1.0 && fy == 1.0 && turn == 0.0)
        return 0;
    CRealPoint pivot;
    if (!m_points.IsEmpty())
        pivot = *m_points.GetAt(0);
    for (CShape* child : std::vector<CShape*>(m_children)) {
        if (!applyToAll && (child->GetTextType() & ttAttrib))
            continue;
        if (fx == 1.0 && fy == 1.0) {
            child->Rotate(pivot.x, pivot.y, turn, nullptr, true);
            continue;
        }
        if (m_rotationAngle != 0.0)
            child->Rotate(pivot.x, pivot.y, -m_rotationAngle, nullptr, true);
        child->Scale(pivot.x, pivot.y, static_cast<float>(fx), static_cast<float>(fy), nullptr, true);
        if (degrees != 0.0)
            child->Rotate(pivot.x, pivot.y, degrees, nullptr, true);
    }
    SetExtentCached(false);
    return 1;
}

int CReference::SetBlockGroupShapeID(int id)
{
    CShape* shape = m_control ? m_control->FindShape(id) : nullptr;
    if (!shape || shape->GetShapeType() != stGroup)
        return 0;
    m_block = static_cast<CGroup*>(shape);
    return 1;
}

bool CReference::WouldShowItself(const CGroup* block) const
{
    for (const CGroup* up = m_parent; up; up = up->GetParent()) {
        if (up == block)
            return true;
        if (up->GetShapeType() == stReference && static_cast<const CReference*>(up)->m_block == block)
            return true;
    }
    return false;
}

int CReference::ResolveBlock(CGroup* block, bool keepTexts, bool registerIt, bool refreshTexts)
{
    if (!block || block->GetShapeType() != stGroup) {
        if (m_control)
            m_control->ReportError("Wrong shape type.");
        return 0;
    }
    // A block that holds this reference, itself or through a reference, would be copied into
    // itself without end.
    if (WouldShowItself(block)) {
        if (m_control)
            m_control->SetLastError(kErrorSelfReference, "Block cannot contain reference to itself");
        return 0;
    }
    const bool hadChildren = !m_children.empty();
    if (registerIt)
        block->AddReferrer(this);
    m_block = block;
    // The reference takes the block's attribute groups (and values of types it has).
    CopyAttributesFrom(*this, *block, true);
    if (!m_control)
        return 0;
    auto isLabel = [](CShape* shape) { return shape->GetTextType() == ttLabel; };
    // The texts the reference keeps, per kind (0 attributes, 1 labels), in order, and the Z range
    // they span.
    std::vector<CText*> kept[2];
    bool haveKept = false;
    float lowestZ = 0.0f, highestZ = 0.0f;
    if (hadChildren) {
        ClearBlockCopies();
        ResolveReferences(m_control->GetLibraryGroup(), nullptr);
        int wanted[2] = {0, 0};
        for (CShape* child : block->Children())
            if (child->IsAttributeOrLabel())
                ++wanted[isLabel(child) ? 1 : 0];
        for (CShape* child : std::vector<CShape*>(m_children)) {
            if (!child->IsAttributeOrLabel() || IsCustomChild(child))
                continue;
            const int kind = isLabel(child) ? 1 : 0;
            // More texts of a kind than the block defines: renewing the texts takes the extra
            // ones away. Otherwise they stay (an INSERT read from a file may carry attributes its
            // block does not define: they are the file's data).
            if (--wanted[kind] < 0 && refreshTexts) {
                const int id = child->GetId();
                RemoveChild(child);
                m_control->DeleteShapeByID(id, 1, 0);
                continue;
            }
            kept[kind].push_back(static_cast<CText*>(child));
            const float z = child->GetZOrder();
            if (!haveKept || z < lowestZ)
                lowestZ = z;
            if (!haveKept || z > highestZ)
                highestZ = z;
            haveKept = true;
        }
        if (haveKept) {
            if (lowestZ == 0.0f)
                lowestZ = -0.9f;
            if (highestZ == 0.0f)
                highestZ = 0.9f;
        }
    }
    CShapeIndex& map = m_control->GetShapeMap();
    CShapeRecorder* recorder = refreshTexts ? m_control->GetUndoRecorder() : nullptr;
    size_t cursor[2] = {0, 0};
    bool refreshed = false;
    m_children.reserve(m_children.size() + block->Children().size());
    for (CShape* child : std::vector<CShape*>(block->Children())) {
        const bool text = child->IsAttributeOrLabel();
        CShape* placed = nullptr;
        if (text && hadChildren) {
            if (!keepTexts)
                continue;
            const int kind = isLabel(child) ? 1 : 0;
            CText* own = cursor[kind] < kept[kind].size() ? kept[kind][cursor[kind]++] : nullptr;
            if (own) {
                if (refreshTexts) {
                    if (recorder && recorder->ShouldRecordShape(own))
                        recorder->RecordShape(kUndoTextRefreshed, own, false);
                    own->SetVisible(true);
                    own->SetReferenceLocks(kind == 1 ? 0 : kAttributeLocks);
                    refreshed = true;
                } else {
                    // The locks the text keeps in its tag.
                    own->SetReferenceLocks(static_cast<DWORD>(own->GetTag()));
                }
                if (kind == 1)
                    own->SetTextBytes(static_cast<CText*>(child)->GetText().c_str(), -1);
                const DWORD locks = own->GetReferenceLocks();
                if (!(locks & kKeepAnchor)) {
                    own->CopyPointCoordsFrom(*child);
                    own->CopyLinkedPointCoordsFrom(*child);
                }
                own->CopyPropertiesFrom(*child, ~locks);
                own->CopyMaskedPropertiesFrom(child, ~locks);
                placed = own;
            } else if (kind == 0) {
                continue; // an attribute the reference does not have stays away
            }
        }
        if (!placed) {
            CShape* clone = map.CloneShape(child, true);
            if (!clone)
                continue;
            if (text) {
                if (haveKept && clone->GetZOrder() <= highestZ)
                    clone->SetZOrder(highestZ + 0.1f, false);
                // A definition becomes the reference's own attribute.
                if (clone->GetTextType() == ttAttDef)
                    static_cast<CText*>(clone)->SetTextType(ttAttrib);
                if (isLabel(clone))
                    static_cast<CText*>(clone)->SetTextBytes(static_cast<CText*>(child)->GetText().c_str(), -1);
            } else if (haveKept && clone->GetZOrder() >= lowestZ) {
                clone->SetZOrder(lowestZ - 0.1f, false);
            }
            if (AddChild(clone, nullptr, 1, false) != 0) {
                map.DeleteShape(clone);
                continue;
            }
            if (text && haveKept)
                clone->SetReferenceLocks(0);
            placed = clone;
        }
        // An attribute whose definition names attribute values shows them.
        if (text && placed->GetTextType() == ttAttrib && NamesAttributeValues(static_cast<CText*>(child)))
            static_cast<CText*>(placed)->ApplyAttributeValues(static_cast<CText*>(child));
        // The copies show the reference's layer and, where the block leaves them to the layer,
        // the reference's own style.
        if (text)
            placed->SetStateBits(stEnabled, true);
        if (FollowsParentLayer(placed))
            placed->SetLayer(m_layer);
        const bool sharesLayer = placed->SharesLayerWithParent();
        if (m_penColor != coByLayer && placed->GetPenColor() == coByLayer && sharesLayer)
            placed->SetPenColor(coByBlock);
        if (m_hatchColor != coByLayer && placed->GetHatchColor() == coByLayer && sharesLayer)
            placed->SetHatchColor(coByBlock);
        if (m_linePatternId != ltByLayer && placed->GetLinePatternId() == ltByLayer)
            placed->SetLinePatternId(ltByBlock);
        if (m_hatchPatternId != hpByLayer && placed->GetHatchPatternId() == hpByLayer)
            placed->SetHatchPatternId(hpByBlock);
    }
    SetExtentCached(false);
    return refreshed ? 1 : 0;
}

void CReference::DetachFromBlock()
{
    ClearBlockCopies();
    if (m_block && m_control && m_control->FindShape(m_block->GetId()) == m_block)
        m_block->RemoveReferrer(this);
}

int CReference::RelinkBlock(bool keepTexts)
{
    DetachFromBlock();
    const int result = ResolveBlock(m_block, keepTexts, true, keepTexts);
    if (m_control)
        ResolveReferences(m_control->GetLibraryGroup(), nullptr);
    ApplyTransform(true);
    return result;
}

void CReference::ApplyTransform(bool attributesToo)
{
    CRealPoint pivot;
    if (!m_points.IsEmpty())
        pivot = *m_points.GetAt(0);
    for (CShape* child : std::vector<CShape*>(m_children)) {
        if (IsCustomChild(child))
            continue;
        const bool text = child->IsAttributeOrLabel();
        const DWORD locks = text ? child->GetReferenceLocks() : 0;
        if (text && (!attributesToo || (locks & (kNoRotation | kNoXScale | kNoYScale)) ==
                                           (kNoRotation | kNoXScale | kNoYScale)))
            continue;
        CRealPoint origin;
        if ((locks & kKeepAnchor) && child->GetPointCount() > 0)
            origin = *child->GetPoints().GetAt(0);
        const float sx = (locks & kNoXScale) ? 1.0f : m_xScale;
        const float sy = (locks & kNoYScale) ? 1.0f : m_yScale;
        if (sx != 1.0f || sy != 1.0f)
            child->Scale(origin.x, origin.y, sx, sy, nullptr, true);
        if (m_rotationAngle != 0.0 && !(locks & kNoRotation))
            child->Rotate(origin.x, origin.y, m_rotationAngle, nullptr, true);
    }
    ShiftUnlockedChildren(pivot.x, pivot.y, attributesToo);
    SetExtentCached(false);
}

void CReference::ShiftUnlockedChildren(float dx, float dy, bool attributesToo)
{
    for (CShape* child : std::vector<CShape*>(m_children)) {
        if (IsCustomChild(child))
            continue;
        if (child->IsAttributeOrLabel() && (!attributesToo || (child->GetReferenceLocks() & kKeepAnchor)))
            continue;
        child->Shift(dx, dy, nullptr, true);
    }
}

// --- Children ------------------------------------------------------------------------------------

bool CReference::IsBlockCopy(CShape* child) const { return !child->IsAttributeOrLabel() && !IsCustomChild(child); }

int CReference::ClearBlockCopies() { return RemoveBlockCopies(true); }

int CReference::DropOwnChildren() { return RemoveBlockCopies(false); }

int CReference::RemoveBlockCopies(bool anyParent)
{
    int kept = 0;
    for (CShape* child : std::vector<CShape*>(m_children)) {
        if (!IsBlockCopy(child)) {
            ++kept;
            continue;
        }
        m_children.erase(std::find(m_children.begin(), m_children.end(), child));
        NoteGeometryChange();
        const bool own = child->GetParent() == this;
        if (own)
            child->SetParent(nullptr);
        else if (!anyParent)
            continue; // another parent's: only dropped from the list
        // The shape map owns the copies (a copy that is a reference takes its own copies along
        // when it goes); a reference without a control owns nothing and only lets go.
        if (m_control)
            m_control->GetShapeMap().DeleteShape(child);
    }
    SetExtentCached(false);
    return kept;
}

bool CReference::ClearNestedReferences()
{
    ClearReferencesInTree();
    return m_block != nullptr;
}

bool CReference::FollowsParentLayer(CShape* child) const
{
    CLayer* layer = child->GetLayer();
    if (!layer || layer->GetId() == BASE_LAYER)
        return true;
    if (child->IsAttributeOrLabel())
        return !(child->GetReferenceLocks() & kOwnLayer);
    return false;
}

int CReference::CountTextsOfKind(bool labels) const
{
    int count = 0;
    for (CShape* child : m_children)
        if (child->GetShapeType() == stText && child->GetTextType() == (labels ? ttLabel : ttAttrib))
            ++count;
    return count;
}

int CReference::CollectTextAnchors(CRealPoint* out, int max) const
{
    int count = 0, written = 0;
    for (CShape* child : m_children) {
        if (!child->IsAttributeOrLabel())
            continue;
        ++count;
        if (out && written < max && child->IsVisible() && child->GetPointCount() > 0)
            out[written++] = *child->GetPoints().GetAt(0);
    }
    return out ? written : count;
}

bool CReference::ContainsShapeId(int id, bool recursive)
{
    if (CGroup::ContainsShapeId(id, recursive))
        return true;
    return recursive && m_block && m_block->ContainsShapeId(id, recursive);
}

void CReference::CollectContainedIds(bool recursive, std::vector<int>& ids)
{
    CGroup::CollectContainedIds(recursive, ids);
    if (recursive && m_block)
        m_block->CollectContainedIds(recursive, ids);
}

bool CReference::ContainsShape(CShape* shape)
{
    if (!shape || (shape->GetShapeType() != stGroup && shape->GetShapeType() != stReference) || !m_block)
        return false;
    return shape == m_block || m_block->ContainsShape(shape);
}

int CReference::AdoptChild(CShape* child, int adoptArg)
{
    const int result = CGroup::AdoptChild(child, adoptArg);
    if (result == 0 && adoptArg == 0)
        child->PutProtectionFlag(sdbfCustomChild, true);
    return result;
}

void CReference::SetLayer(CLayer* layer)
{
    CLayer* previous = m_layer;
    CShape::SetLayer(layer);
    // The children that show the reference's layer follow it.
    for (CShape* child : std::vector<CShape*>(m_children))
        if (child->GetLayer() == previous || FollowsParentLayer(child))
            child->SetLayer(layer);
}

// --- Handles, marks and editing ------------------------------------------------------------------

int CReference::GetHandlePoints(CRealPoint* points, int capacity)
{
    if (!points)
        return 9;
    if (capacity <= 0 || m_points.IsEmpty())
        return 0;
    float l, t, r, b;
    if (FAILED(GetBoundingRectEx(&l, &t, &r, &b, nullptr, 0)))
        return 0;
    const CRealPoint all[9] = {{l, t},
                               {r, t},
                               {r, b},
                               {l, b},
                               *m_points.GetAt(0),
                               {(l + r) * 0.5f, t},
                               {r, (t + b) * 0.5f},
                               {(l + r) * 0.5f, b},
                               {l, (t + b) * 0.5f}};
    for (int i = 0; i < 9 && i < capacity; ++i)
        points[i] = all[i];
    return 9;
}

int CReference::AlignPointTo(float x, float y, int* index, CRealPoint* point)
{
    const int result = CGroup::AlignPointTo(x, y, index, point);
    if (result && index && *index == 4)
        *index = -1;
    return result;
}

int CReference::DrawMarks(CDrawContext& context)
{
    const int result = CShape::DrawMarks(context);
    const int count = CollectTextAnchors(nullptr, 0);
    if (count <= 0 || !context.dc || !m_control)
        return result;
    std::vector<CRealPoint> anchors(static_cast<size_t>(count));
    const int n = CollectTextAnchors(anchors.data(), count);
    const CViewMapping& view = ViewOf(context);
    const LONG rx = static_cast<LONG>(std::lround(kAnchorMarkRadius * view.LogicalPerPixelX()));
    const LONG ry = static_cast<LONG>(std::lround(kAnchorMarkRadius * view.LogicalPerPixelY()));
    ycom::GdiObject<HBRUSH> yellow(CreateSolidBrush(0x0000FFFF));
    ycom::SelectGuard brush(context.dc, yellow.Get());
    POINT last = {0, 0};
    for (int i = 0; i < n; ++i) {
        const POINT device = view.WorldToDevice(anchors[static_cast<size_t>(i)]);
        if (i > 0 && std::abs(device.x - last.x) < kAnchorMarkGap && std::abs(device.y - last.y) < kAnchorMarkGap)
            continue;
        last = device;
        const CRealPointD l = view.WorldToLogical(anchors[static_cast<size_t>(i)].x, anchors[static_cast<size_t>(i)].y);
        const LONG cx = static_cast<LONG>(std::lround(l.x)), cy = static_cast<LONG>(std::lround(l.y));
        Ellipse(context.dc, cx - rx, cy + ry, cx + rx, cy - ry);
    }
    return result;
}

int CReference::OnEditMouseDown(float x, float y, std::map<int, int>* selection)
{
    if (!m_control)
        return 0;
    const CEditState& edit = m_control->GetEditState();
    if (IsEditTarget() != 1 && !edit.tracker) {
        for (CShape* child : std::vector<CShape*>(m_children))
            if (child->IsAttributeOrLabel() && child->OnEditMouseDown(x, y, selection) == 1)
                return 1;
    }
    if (const int result = CShape::OnEditMouseDown(x, y, selection))
        return result;
    if (IsEditTarget() == 1 && edit.editMode == EDSH_POINT) {
        EndEdit(true);
        return 1;
    }
    return 0;
}

int CReference::OnEditDrag(float x, float y)
{
    if (!m_control || IsEditTarget() != 1 || m_control->GetEditState().editMode != EDSH_POINT)
        return CGroup::OnEditDrag(x, y);
    const int handle = m_control->GetShapeStateMap().GetValue(m_id);
    float kx = 1.0f, ky = 1.0f;
    CRealPoint fixed;
    if (handle < 0 || handle > 8 || !ComputeHandleScale(CRealPoint(x, y), handle, &kx, &ky, &fixed, true))
        return 1;
    if (handle <= 3) {
        // A corner keeps the proportions: the larger factor for both.
        const float k = std::fabs(kx) >= std::fabs(ky) ? kx : ky;
        kx = ky = k;
    }
    if (m_xScale == 0.0f || m_yScale == 0.0f) {
        CShape::Scale(fixed.x, fixed.y, kx, ky, nullptr, false);
        m_xScale = kx;
        m_yScale = ky;
        RelinkBlock(false);
    } else {
        Scale(fixed.x, fixed.y, kx, ky, nullptr, false);
    }
    m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
    return 1;
}

// --- Transforms --------------------------------------------------------------------------------

int CReference::Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force)
{
    // The group refuses what the rotation protection refuses.
    if (!CGroup::Rotate(xc, yc, degrees, visited, force))
        return 0;
    m_rotationAngle += degrees;
    return 1;
}

HRESULT CReference::Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force)
{
    if (!force && ApplyScaleProtection(&kx, &ky))
        return E_ACCESSDENIED;
    // Whole turns aside, an uneven scale of a turned reference turns it too: the effective
    // factors and angle come from the scaled frame.
    const double rest = m_rotationAngle - 360.0 * std::trunc(m_rotationAngle * 0.002777777777777778);
    double sx = kx, sy = ky, angle = m_rotationAngle;
    if (rest != 0.0) {
        double w = 1.0, h = 1.0, turned = 0.0;
        ScaleRotatedExtent(rest * kDegreesToRadians, kx, ky, &w, &h, &turned);
        sx = w;
        sy = h;
        angle = turned * kRadiansToDegrees;
    }
    // Every step moves every point again; points the caller moved already stay out of all.
    const std::set<int> before = visited ? *visited : std::set<int>();
    std::set<int> moved;
    auto step = [&](auto operation) {
        std::set<int> current = before;
        const auto result = operation(&current);
        moved.insert(current.begin(), current.end());
        return result;
    };
    HRESULT hr;
    const bool unscaled = m_xScale == 0.0f || m_yScale == 0.0f;
    if (!unscaled) {
        if (rest != 0.0)
            step([&](std::set<int>* s) { return CGroup::Rotate(xc, yc, -m_rotationAngle, s, true); });
        hr = step([&](std::set<int>* s) {
            return CGroup::Scale(xc, yc, static_cast<float>(sx), static_cast<float>(sy), s, true);
        });
        if (rest != 0.0 && SUCCEEDED(hr))
            step([&](std::set<int>* s) { return CGroup::Rotate(xc, yc, angle, s, true); });
    } else {
        hr = step([&](std::set<int>* s) { return CShape::Scale(xc, yc, kx, ky, s, true); });
    }
    if (visited)
        visited->insert(moved.begin(), moved.end());
    RETURN_IF_FAILED(hr);
    m_rotationAngle = angle;
    if (m_xScale == 0.0f)
        m_xScale = 1.0f;
    if (m_yScale == 0.0f)
        m_yScale = 1.0f;
    m_xScale = static_cast<float>(m_xScale * sx);
    m_yScale = static_cast<float>(m_yScale * sy);
    if (unscaled)
        RelinkBlock(false);
    return hr;
}

int CReference::Flip(std::set<int>* visited, const float* axisGiven, bool vertical)
{
    if (m_points.IsEmpty())
        return 0;
    if (visited && visited->count(m_points.GetAt(0)->GetPointId()))
        return 0;
    float axis;
    if (axisGiven) {
        axis = *axisGiven;
    } else {
        float l, t, r, b;
        if (FAILED(GetBoundingRectEx(&l, &t, &r, &b, nullptr, 0)))
            return 0;
        axis = vertical ? (t + b) * 0.5f : (l + r) * 0.5f;
    }
    if (IsRotationProtected())
        return 0;
    // The mirror of the placement: the angle turns the other way and the scale across the axis
    // changes its sign, about the insertion point; then the whole reference moves so that the
    // insertion point lies on its mirror image.
    const CPointRecord* insertion = m_points.GetAt(0);
    const float from = vertical ? insertion->y : insertion->x;
    const float offset = 2.0f * (axis - from);
    if (vertical) {
        SetScaleRotation(m_xScale, -m_yScale, -m_rotationAngle, true);
        m_yScale = -m_yScale;
    } else {
        SetScaleRotation(-m_xScale, m_yScale, -m_rotationAngle, true);
        m_xScale = -m_xScale;
    }
    m_rotationAngle = -m_rotationAngle;
    CGroup::Shift(vertical ? 0.0f : offset, vertical ? offset : 0.0f, visited, true);
    return 1;
}

int CReference::FlipVertical(std::set<int>* visited, const float* axisY) { return Flip(visited, axisY, true); }

int CReference::FlipHorizontal(std::set<int>* visited, const float* axisX) { return Flip(visited, axisX, false); }

// --- Copies --------------------------------------------------------------------------------------

int CReference::CopyPointCoordsFrom(const CShape& source)
{
    const int result = CGroup::CopyPointCoordsFrom(source);
    const auto* other = dynamic_cast<const CReference*>(&source);
    if (!other)
        return 0;
    m_rotationAngle = other->m_rotationAngle;
    m_xScale = other->m_xScale;
    m_yScale = other->m_yScale;
    return result + 3;
}

int CReference::CopyPropertiesFrom(CShape& source, DWORD mask)
{
    const int result = CGroup::CopyPropertiesFrom(source, mask);
    auto* other = dynamic_cast<CReference*>(&source);
    if (!other)
        return result;
    const double angle = (mask & speAngle) ? other->m_rotationAngle : m_rotationAngle;
    const float xs = (mask & speXScale) ? other->m_xScale : m_xScale;
    const float ys = (mask & speYScale) ? other->m_yScale : m_yScale;
    SetScaleRotation(xs, ys, angle, true);
    m_rotationAngle = angle;
    m_xScale = xs;
    m_yScale = ys;
    return result + 3;
}

int CReference::CopyStyleFrom(CShape& source, DWORD mask)
{
    const int result = CShape::CopyStyleFrom(source, mask);
    auto* other = dynamic_cast<CReference*>(&source);
    if (!other)
        return result;
    bool changed = false;
    auto take = [&](auto& own, auto theirs, DWORD bit) {
        if ((mask & bit) && own != theirs) {
            own = theirs;
            changed = true;
        }
    };
    take(m_rotationAngle, other->m_rotationAngle, speAngle);
    take(m_xScale, other->m_xScale, speXScale);
    take(m_yScale, other->m_yScale, speYScale);
    if (other->m_block != m_block) {
        DetachFromBlock();
        Clear(false);
        ResolveBlock(other->m_block, false, true, false);
        if (m_control)
            ResolveReferences(m_control->GetLibraryGroup(), nullptr);
        ApplyTransform(true);
    } else if (changed) {
        RelinkBlock(false);
    }
    return result + 4;
}

int CReference::CountStats(CShapeStats& stats)
{
    ClearCopiesPersistent();
    return CGroup::CountStats(stats);
}

void CReference::ClearCopiesPersistent()
{
    for (CShape* child : m_children)
        if (IsBlockCopy(child))
            child->SetStateBits(stPersistent, false);
}
