#include "model/Shape.h"
#include "automation/ResultCodes.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
#include "model/LinkToken.h"
#include "model/LinkedPointMap.h"
#include "model/PenCache.h"
#include "model/PointPool.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeRecorder.h"
#include "model/ShapeStateMap.h"
#include "model/ViewMapping.h"
#include "YVEX_h.h"
#include <cfloat>
#include <cmath>
#include <cstdio>

const float CShape::kUnsetZOrder = FLT_MIN;

namespace {
bool IsPolylineFamily(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }
} // namespace

bool PropagatePointMove(CShapeHost* control, std::set<int>* visited, int ownerId, CPointRecord* point)
{
    if (!control || !point)
        return true;
    // A point that only the moving shape uses has no one to tell; without a caller's set to
    // fill there is nothing else to do (the common case: copying its owners would cost more than
    // the move).
    const CPointOwners& users = point->GetOwners();
    if (!visited && !users.HasOtherThan(ownerId))
        return true;
    const CPointOwners owners = users;
    std::set<int> local;
    std::set<int>& seen = visited ? *visited : local;
    if (ownerId != kNoOwnerId)
        seen.insert(ownerId);
    for (int id : owners) {
        if (seen.count(id))
            continue;
        seen.insert(id);
        CShape* shape = control->GetShapeMap().Lookup(id);
        if (shape && !shape->OnPointsChanged(point, point->x, point->y))
            return false;
    }
    return true;
}

CShape::CShape(int id, CShapeHost* control)
    : m_id(id), m_zOrder(kUnsetZOrder), m_points(id), m_linkedPoints(id), m_control(control)
{
    // The common reset: enabled, stored, pen weight scaled with the view; then visible and not
    // selected, which makes 0x213.
    m_state = stEnabled | stPersistent | stScalePenWeight;
    m_state &= ~static_cast<DWORD>(stSelected);
    m_state |= stVisible;
    SetZOrder(static_cast<float>(id), false);
}

CShapeAttributeMap& CShape::GetAttributes()
{
    if (!m_attributes)
        m_attributes = std::make_unique<CShapeAttributeMap>(this);
    return *m_attributes;
}

CShapeAttributes& CShape::GetAttributeGroups()
{
    if (!m_attributeGroups)
        m_attributeGroups = std::make_unique<CShapeAttributes>(this, m_id);
    return *m_attributeGroups;
}

CShape::CShape(int id, const CShape& source)
    : m_id(id), m_parent(nullptr), m_penWeight(source.m_penWeight), m_linePatternScale(source.m_linePatternScale),
      m_tag(source.m_tag), m_hatchPatternScale(source.m_hatchPatternScale), m_zOrder(source.m_zOrder),
      m_linePatternId(source.m_linePatternId), m_hatchPatternId(source.m_hatchPatternId), m_databaseId(0),
      m_shapeType(source.m_shapeType), m_points(id), m_linkedPoints(id),
      // The copy's extent is not computed yet, whatever the source had cached.
      m_state(source.m_state & ~static_cast<DWORD>(stSelected | stExtentCached)),
      m_protectionFlags(source.m_protectionFlags), m_penColor(source.m_penColor), m_hatchColor(source.m_hatchColor),
      m_control(source.m_control), m_layer(source.m_layer)
{
    if (!m_control)
        return;
    for (CPointRecord* point : source.m_points) {
        const int pointId = m_control->CreatePoint(point->x, point->y);
        if (pointId > 0)
            AddPointById(pointId, kAppend, true);
    }
}

CShape::~CShape()
{
    DetachFromParent();
    CShape::RemoveAllPoints();
}

void CShape::SetReferenceLocks(DWORD locks)
{
    m_referenceLocks = locks;
    // The label texts of a block reference carry the word in their tag.
    if (IsAttributeOrLabel() && m_parent && m_parent->GetShapeType() == stReference)
        m_tag = static_cast<long>(locks);
}

void CShape::DetachFromParent()
{
    if (m_parent)
        m_parent->RemoveChild(this);
    m_parent = nullptr;
}

int CShape::LinkPoint(int pointId)
{
    if (m_linkedPoints.IndexOf(pointId) >= 0)
        return 1;
    if (!m_control)
        return 0;
    CPointRecord* point = m_control->GetPointPool().Find(pointId);
    if (!point)
        return 0;
    m_control->GetLinkedPointMap().Insert(pointId, m_id);
    m_linkedPoints.Insert(m_linkedPoints.GetCount(), point);
    point->AddOwner(m_id);
    m_linkTokens.push_back(std::make_unique<CLinkToken>(1));
    return 1;
}

int CShape::UnlinkPoint(int pointId)
{
    const int index = m_linkedPoints.IndexOf(pointId);
    if (index < 0)
        return 1;
    if (m_control)
        m_control->GetLinkedPointMap().Remove(pointId, m_id);
    m_linkedPoints.RemoveAt(index);
    if (m_control)
        m_control->GetPointPool().ReleasePoint(pointId, m_id);
    if (index < static_cast<int>(m_linkTokens.size()))
        m_linkTokens.erase(m_linkTokens.begin() + index);
    return 0;
}

int CShape::ReplacePointRecord(const CPointRecord* from, CPointRecord* to)
{
    return m_points.Replace(from, to) + m_linkedPoints.Replace(from, to);
}

bool CShape::IsEnabled() const
{
    if (m_layer && !m_layer->IsEnabled())
        return false;
    if (m_control) {
        if (!m_control->AllowsInteraction())
            return false;
        CShape* reference = m_control->GetEditedReference();
        if (reference && m_parent == reference && !const_cast<CShape*>(this)->IsAttributeOrLabel())
            return (m_protectionFlags & sdbfCustomChild) != 0;
    }
    return (m_state & stEnabled) != 0;
}

bool CShape::IsPickedInEditedSelection() const
{
    if (!m_control)
        return false;
    const CEditState& edit = m_control->GetEditState();
    CShape* edited = edit.editedShape;
    return edited && edited != this && edited->GetId() == SELECTION_ID && edit.editMode == EDSH_POINT &&
           edited->ContainsShapeId(m_id, false) && m_control->GetShapeStateMap().GetValue(m_id) >= 0;
}

int CShape::IsEditTarget() const
{
    if (!m_control)
        return 0;
    CShape* edited = m_control->GetEditState().editedShape;
    if (!edited)
        return 0;
    if (edited == this)
        return 1;
    if (edited->IsGroup() && edited->ContainsShapeId(m_id, false))
        return 2;
    return 0;
}

void CShape::DumpDebugText(std::string& buffer) const
{
    char line[64];
    std::snprintf(line, sizeof line, "\t ShapeID = %d,", m_id);
    buffer = line;
    if (m_parent) {
        std::snprintf(line, sizeof line, " ParentID = %d\n", m_parent->GetId());
        buffer += line;
    }
    int index = 0;
    for (CPointRecord* point : m_points) {
        std::snprintf(line, sizeof line, "\t\tpoint[%d] = %d, ", index++, point->GetPointId());
        buffer += line;
    }
}

void CShape::SetNoExtents(bool on) { SetStateBits(stNoExtents, on); }

void CShape::RemoveAllPoints()
{
    if (!m_control) {
        m_points.Clear();
        m_linkedPoints.Clear();
        m_linkTokens.clear();
        return;
    }
    CPointPool& pool = m_control->GetPointPool();
    CLinkedPointMap& links = m_control->GetLinkedPointMap();
    while (!m_points.IsEmpty()) {
        CPointRecord* point = m_points.GetAt(0);
        const int pointId = point->GetPointId();
        // A point that goes with this shape leaves the index of linked points as well.
        const bool linked = links.Count(pointId) > 0;
        const LONG uses = point->GetUseCount();
        if ((!linked && uses <= 1) || (linked && uses <= 2))
            links.EraseAll(pointId);
        m_points.RemoveAt(0);
        pool.ReleasePoint(pointId, m_id);
    }
    ReleaseAllLinkedPoints();
}

void CShape::ReleaseAllLinkedPoints()
{
    while (!m_linkedPoints.IsEmpty()) {
        const int pointId = m_linkedPoints.GetAt(0)->GetPointId();
        if (m_control) {
            m_control->GetLinkedPointMap().Remove(pointId, m_id);
            m_linkedPoints.RemoveAt(0);
            m_control->GetPointPool().ReleasePoint(pointId, m_id);
        } else {
            m_linkedPoints.RemoveAt(0);
        }
    }
    m_linkTokens.clear();
}

int CShape::GetNthPoint(int, CRealPoint*, int, int*) { return 0; }

int CShape::SetPointCoords(DWORD mask, float x, float y, int index)
{
    if (index < 0)
        index = m_points.GetCount();
    DWORD axes = mask & 3;
    if (MovePointProtected(index, x, y, &axes))
        return 0;
    // New points up to the index. When the protection refuses one (or the pool has no room) the
    // index does not exist and nothing is written.
    while (index >= m_points.GetCount()) {
        if (!m_control)
            return 0;
        const int pointId = m_control->CreatePoint(x, y);
        CPointRecord* point = pointId > 0 ? m_control->GetPointPool().Find(pointId) : nullptr;
        if (!point)
            return 0;
        if (InsertPoint(point, kAppend, false) != S_OK) {
            m_control->GetPointPool().DeletePoint(pointId, kNoOwnerId);
            return 0;
        }
    }
    CPointRecord* point = m_points.GetAt(index);
    if (mask & 1)
        point->x = x;
    if (mask & 2)
        point->y = y;
    SetExtentCached(false);
    return 1;
}

int CShape::GetHandlePoints(CRealPoint*, int) { return 0; }

HRESULT CShape::InsertPoint(CPointRecord* record, int index, bool force)
{
    if (!record)
        return E_INVALIDARG;
    const int count = m_points.GetCount();
    if (index < 0 || index > count)
        index = count;
    if (!force) {
        // 0x4: the index may name a new point behind the last.
        DWORD axes = 7;
        if (MovePointProtected(index, record->x, record->y, &axes) || (axes & 3) != 3)
            return E_ACCESSDENIED;
    }
    m_points.Insert(index, record);
    record->AddOwner(m_id);
    SetExtentCached(false);
    return S_OK;
}

HRESULT CShape::AddPointById(int pointId, int index, bool force)
{
    if (m_points.IndexOf(pointId) >= 0)
        return S_FALSE;
    CPointRecord* point = m_control ? m_control->GetPointPool().Find(pointId) : nullptr;
    if (!point)
        return E_FAIL;
    return InsertPoint(point, index, force);
}

void CShape::SetLayer(CLayer* layer)
{
    // A layer shown or hidden shows or hides the shape: what a group's extent takes in.
    if (layer != m_layer)
        NoteGeometryChange();
    m_layer = layer;
}

void CShape::OffsetPoints(float dx, float dy)
{
    for (CPointRecord* point : m_points) {
        point->x += dx;
        point->y += dy;
    }
    SetExtentCached(false);
}

int CShape::Draw(CDrawContext&) { return 1; }
int CShape::DrawAttachments(CDrawContext&) { return 1; }
int CShape::DrawOverlay(CDrawContext&) { return 1; }
// Hit testing, selection marks and link marks: see ShapeDrawing.cpp.

BOOL CShape::HasHatchFill()
{
    switch (m_shapeType) {
    case stLine:
    case stPolygon:
    case stText:
    case stGroup:
    case stReference: return FALSE;
    default: return GetTranslatedHatchPatternId() >= 1;
    }
}

int CShape::GetTranslatedHatchPatternId(float* scale)
{
    const int id = GetHatchPatternId();
    if (id != hpByLayer && id != hpByBlock) {
        if (scale && *scale == 0.0f)
            *scale = m_hatchPatternScale;
        return id;
    }
    if (id == hpByBlock && m_parent &&
        (m_parent->GetShapeType() == stReference || (m_parent->GetShapeType() == stGroup && m_parent->IsBlockContext())))
        return m_parent->GetTranslatedHatchPatternId(scale);
    CShape* layer = m_shapeType == stLayer ? nullptr : m_layer;
    if (!layer)
        return hpNone;
    if (scale && *scale == 0.0f)
        *scale = layer->GetHatchPatternScale();
    const int layerId = layer->GetHatchPatternId();
    return (layerId == hpByLayer || layerId == hpByBlock) ? hpNone : layerId;
}

int CShape::CollectLinkedPointIds(std::set<int>& ids)
{
    for (CPointRecord* point : m_linkedPoints)
        ids.insert(point->GetPointId());
    return m_linkedPoints.GetCount();
}

void CShape::AddPointsToList(CShapePointList& list)
{
    for (CPointRecord* point : m_points) {
        list.Insert(list.GetCount(), point);
        point->AddOwner(list.GetOwnerId());
    }
}

void CShape::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_Shape;
}

bool CShape::IsExtentCached() { return (m_state & stExtentCached) != 0; }

void CShape::SetExtentCached(bool on)
{
    if (!on)
        NoteGeometryChange();
    SetStateBits(stExtentCached, on);
    if (m_parent)
        m_parent->SetExtentCached(false);
}

HRESULT CShape::GetBoundingRect(float* left, float* top, float* right, float* bottom)
{
    return GetBoundingRectEx(left, top, right, bottom, nullptr, 0);
}

HRESULT CShape::GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>* skip,
                                  DWORD)
{
    bool any = false;
    float l = 0, t = 0, r = 0, b = 0;
    for (CPointRecord* point : m_points) {
        if (skip && skip->count(point->GetPointId()))
            continue;
        if (!any) {
            l = r = point->x;
            t = b = point->y;
            any = true;
            continue;
        }
        l = std::fmin(l, point->x);
        r = std::fmax(r, point->x);
        t = std::fmax(t, point->y);
        b = std::fmin(b, point->y);
    }
    if (!any)
        return E_FAIL;
    if (left)
        *left = l;
    if (top)
        *top = t;
    if (right)
        *right = r;
    if (bottom)
        *bottom = b;
    return S_OK;
}

int CShape::CopyPointsFrom(const CShape& source)
{
    ReleaseAllLinkedPoints();
    if (!m_control)
        return 0;
    for (int i = 0; i < source.m_linkedPoints.GetCount(); ++i) {
        const CPointRecord* from = source.m_linkedPoints.GetAt(i);
        const int pointId = m_control->CreatePoint(from->x, from->y);
        CPointRecord* point = pointId > 0 ? m_control->GetPointPool().Find(pointId) : nullptr;
        if (!point)
            continue;
        m_control->GetLinkedPointMap().Insert(pointId, m_id);
        m_linkedPoints.Insert(m_linkedPoints.GetCount(), point);
        point->AddOwner(m_id);
        const int style = i < static_cast<int>(source.m_linkTokens.size()) ? source.m_linkTokens[i]->GetStyle() : 1;
        m_linkTokens.push_back(std::make_unique<CLinkToken>(style));
    }
    return m_linkedPoints.GetCount();
}

int CShape::CopyPointCoordsFrom(const CShape& source)
{
    if (source.m_shapeType != m_shapeType || source.m_points.GetCount() != m_points.GetCount())
        return 0;
    for (int i = 0; i < m_points.GetCount(); ++i) {
        m_points.GetAt(i)->x = source.m_points.GetAt(i)->x;
        m_points.GetAt(i)->y = source.m_points.GetAt(i)->y;
    }
    SetExtentCached(false);
    return 1;
}

int CShape::CopyLinkedPointCoordsFrom(const CShape& source)
{
    if (source.m_shapeType != m_shapeType || source.m_linkedPoints.GetCount() != m_linkedPoints.GetCount())
        return 0;
    for (int i = 0; i < m_linkedPoints.GetCount(); ++i) {
        m_linkedPoints.GetAt(i)->x = source.m_linkedPoints.GetAt(i)->x;
        m_linkedPoints.GetAt(i)->y = source.m_linkedPoints.GetAt(i)->y;
    }
    return 1;
}

int CShape::CopyPropertiesFrom(CShape& source, DWORD mask)
{
    if (source.m_shapeType != m_shapeType)
        return 0;
    if (mask & 0x800)
        SetProtectionFlagsMasked(source.GetProtectionFlagsMasked(kProtectionMask), kProtectionMask);
    if (mask & 0x2000)
        SetProtectionFlagsMasked(source.GetProtectionFlagsMasked(sdbfLabelLeader), sdbfLabelLeader);
    if ((mask & 0x20) || ((mask & 0xC) && GetDevicePenWidth() != 0))
        SetPenWeight(source.GetPenWeight());
    return 1;
}

int CShape::CopyStyleFrom(CShape& source, DWORD mask)
{
    m_control = source.m_control;
    m_zOrder = source.m_zOrder;
    m_tag = source.m_tag;
    m_state = source.m_state;
    NoteGeometryChange();
    if (mask & 0x400)
        m_layer = source.m_layer;
    if (mask & 0x10)
        m_penColor = source.m_penColor;
    if (mask & 0x100) {
        m_linePatternId = source.m_linePatternId;
        m_linePatternScale = source.m_linePatternScale;
    }
    if (mask & 0x20)
        m_penWeight = source.m_penWeight;
    if (mask & 0x80)
        SetHatchColor(source.m_hatchColor);
    if (mask & 0x40)
        SetHatchPatternId(source.GetHatchPatternId());
    SetFirstArrowType(source.GetFirstArrowType());
    SetSecondArrowType(source.GetSecondArrowType());
    SetProtectionFlagsMasked(source.GetProtectionFlagsMasked(kProtectionMask), kProtectionMask);
    return 1;
}

int CShape::CopyMaskedPropertiesFrom(CShape* source, DWORD mask)
{
    if (!source)
        return 0;
    if (mask & 0x10)
        m_penColor = source->m_penColor;
    if (mask & 0x20) {
        SetPenWeight(source->GetPenWeight());
        SetStateBits(stScalePenWeight, (source->m_state & stScalePenWeight) != 0);
    }
    if (mask & 0x100)
        m_linePatternId = source->m_linePatternId;
    if (mask & 0x80)
        m_hatchColor = source->m_hatchColor;
    if (mask & 0x40)
        m_hatchPatternId = source->m_hatchPatternId;
    return 3;
}

int CShape::RemovePointById(int pointId, bool recordUndo, int)
{
    const int index = m_points.IndexOf(pointId);
    if (index < 0)
        return 0;
    CPointRecord* point = m_points.GetAt(index);
    if (recordUndo && m_control && m_control->GetUndoRecorder())
        m_control->GetUndoRecorder()->RecordPoint(opDelete, point, false);
    m_points.RemoveAt(index);
    if (m_control)
        m_control->GetPointPool().ReleasePoint(pointId, m_id);
    SetExtentCached(false);
    return 1;
}

bool CShape::IsEditActive(bool)
{
    if (!m_control)
        return false;
    const int mode = m_control->GetEditState().editMode;
    return mode != 0 && mode != EDSH_NEWPOINT;
}

HRESULT CShape::BringToFront()
{
    if (!m_parent)
        return E_FAIL;
    if (m_parent->GetShapeCount() == 0 || m_parent->Children().back() == this)
        return S_OK;
    SetZOrder(m_parent->Children().back()->GetZOrder() + 1.0f, true);
    return S_OK;
}

HRESULT CShape::SendToBack()
{
    if (!m_parent)
        return E_FAIL;
    if (m_parent->GetShapeCount() == 0 || m_parent->Children().front() == this)
        return S_OK;
    SetZOrder(m_parent->Children().front()->GetZOrder() - 1.0f, true);
    return S_OK;
}

bool CShape::IsGroup() { return false; }

int CShape::GetClassShapeType() { return stDummy; }

void CShape::SetPenColor(DWORD colour)
{
    m_penColor = colour & 0x60FFFFFF;
    // The general prototype passes its colour on to the other prototypes.
    if (m_id == DEFAULT_SHAPE_ID && m_control) {
        if (CGroup* defaults = m_control->GetDefaultShapesGroup())
            for (CShape* shape : defaults->Children())
                if (shape != this)
                    shape->SetPenColor(colour);
    }
}

void CShape::SetHatchColor(DWORD colour) { m_hatchColor = colour & 0x60FFFFFF; }

void CShape::SetHitTestable(bool on) { SetStateBits(stNotHitTestable, !on); }

void CShape::SetSelectable(bool on) { SetStateBits(stNotSelectable, !on); }

bool CShape::IsVisible()
{
    if (m_layer && m_layer != this && !m_layer->IsVisible())
        return false;
    if (m_shapeType != stLayer && m_control && m_control->GetEditedReference())
        return true;
    return (m_state & stVisible) != 0;
}

void CShape::SetVisible(bool on) { SetStateBits(stVisible, on); }

int CShape::SetVisibleRecorded(bool on)
{
    if (m_control && m_control->GetUndoRecorder())
        m_control->GetUndoRecorder()->RecordShape(opProperties, this, false);
    SetReferenceLocks(m_referenceLocks | 0x1000);
    SetVisible(on);
    if (m_state & stSelected)
        SetSelected(false);
    if (!on && m_control) {
        CGroup* selection = m_control->GetSelectionGroup();
        if (selection && selection->IndexOfChild(m_id) >= 0)
            selection->RemoveChild(this);
    }
    return 0;
}

void CShape::SetSelected(bool on) { SetStateBits(stSelected, on); }

int CShape::GetLinePatternId() { return m_linePatternId; }

void CShape::SetLinePatternId(int id) { m_linePatternId = id; }

int CShape::GetHatchPatternId() { return m_hatchPatternId; }

void CShape::SetHatchPatternId(int id)
{
    m_hatchPatternId = id;
    m_hatchPattern = m_control ? m_control->GetHatchPatternMap().Find(id) : nullptr;
}

CHatchPattern* CShape::GetHatchPattern() const
{
    // Asked of the map again: the pattern may have left it since it was set.
    return m_control ? m_control->GetHatchPatternMap().Find(m_hatchPatternId) : nullptr;
}

float CShape::GetPenWeight() { return m_penWeight; }

void CShape::SetPenWeight(float weight)
{
    // A pen reaches beyond the extent: the margin of what a view leaves out.
    if (weight != m_penWeight)
        NoteGeometryChange();
    m_penWeight = weight;
}

float CShape::GetLineWidth() { return GetPenWeight(); }

float CShape::GetZOrder() { return m_zOrder; }

void CShape::SetZOrder(float z, bool resort)
{
    if (z == m_zOrder && !resort)
        return;
    m_zOrder = z;
    if (resort && m_shapeType != stLayer && m_parent && m_parent->GetId() != LIBRARY_ID &&
        m_parent->GetId() != DEFAULT_SHAPES_ID && m_parent->GetShapeCount() > 1)
        m_parent->AddChild(this, nullptr, 0, true);
}

int CShape::GetFirstArrowType() { return 0; }
void CShape::SetFirstArrowType(int) {}
int CShape::GetSecondArrowType() { return 0; }
void CShape::SetSecondArrowType(int) {}

bool CShape::IsBlockContext() { return false; }

int CShape::GetNearestPoint(const CRealPoint&, CRealPoint*) { return 0; }

HRESULT CShape::GetSourceSiteId(int* siteId)
{
    if (!siteId)
        return E_POINTER;
    if (m_databaseId != 0 && m_control) {
        *siteId = m_control->GetShapeMap().GetSourceSite(m_databaseId);
        return S_OK;
    }
    if (m_parent)
        return m_parent->GetSourceSiteId(siteId);
    *siteId = kNoSourceSite;
    return S_FALSE;
}

HRESULT CShape::SetSourceSiteId(int siteId)
{
    if (m_databaseId == 0 || !m_control)
        return E_FAIL;
    m_control->GetShapeMap().SetSourceSite(m_databaseId, siteId);
    return S_OK;
}

HRESULT CShape::SetLayerShapeId(int layerId)
{
    CShape* shape = m_control ? m_control->FindShape(layerId) : nullptr;
    if (!shape)
        return m_control ? m_control->ReportError("Wrong identifier.") : DISP_E_EXCEPTION;
    // Only a layer can hold shapes; anything else would be taken for one.
    if (shape->GetShapeType() != stLayer)
        return m_control->ReportError("Wrong shape type.");
    SetLayer(static_cast<CLayer*>(shape));
    return S_OK;
}

double CShape::GetArea() { return -1.0; }

int CShape::OnPointsChanged(CPointRecord*, float, float)
{
    SetExtentCached(false);
    return 1;
}

void CShape::Clear(bool) {}

double CShape::GetDevicePenWidth() { return PenWidthToDevice(GetPenWeight()); }

double CShape::PenWidthToDevice(double width) const
{
    if (!m_control)
        return width;
    if (m_state & stScalePenWeight)
        return width * m_control->GetCurrentViewport().GetScaleFactor();
    return width * m_control->GetPenCache().GetWidthFactor();
}

bool CShape::IsAttributeOrLabel() { return false; }

int CShape::GetTextType() { return 0; }

int CShape::CountStats(CShapeStats& stats)
{
    if (!(m_state & stPersistent))
        return 0;
    stats.attributeGroups += m_attributeGroups ? m_attributeGroups->GetCount() : 0;
    stats.attributes += m_attributes ? m_attributes->GetCount() : 0;
    stats.points += m_points.GetCount();
    stats.linkedPoints += m_linkedPoints.GetCount();
    ++stats.shapes;
    return 1;
}

int CShape::OnShapePointStored(CPointRecord*, int) { return 0; }

void CShape::ResetToByLayer()
{
    SetPenWeight(0.0f);
    SetLinePatternId(ltByLayer);
    SetPenColor(coByLayer);
}

int CShape::HasPointAt(float x, float y)
{
    if (m_shapeType == stGroup || m_shapeType == stReference)
        return 0;
    auto isNear = [&](const CRealPoint& p) { return std::fabs(p.x - x) <= 0.0001f && std::fabs(p.y - y) <= 0.0001f; };
    if (IsPolylineFamily(m_shapeType)) {
        for (CPointRecord* point : m_points)
            if (isNear(*point))
                return 1;
        return 0;
    }
    const int count = GetHandlePoints(nullptr, 0);
    if (count <= 0)
        return 0;
    std::vector<CRealPoint> handles(static_cast<size_t>(count));
    const int got = GetHandlePoints(handles.data(), count);
    for (int i = 0; i < got && i < count; ++i)
        if (isNear(handles[static_cast<size_t>(i)]))
            return 1;
    return 0;
}

int CShape::ClearDatabaseId()
{
    m_databaseId = 0;
    return 1;
}

int CShape::SetProtectionFlagsMasked(DWORD value, DWORD mask)
{
    if (mask & sdbfVisible)
        SetVisible((value & sdbfVisible) != 0);
    if (mask & sdbfEnabled)
        SetStateBits(stEnabled, (value & sdbfEnabled) != 0);
    m_protectionFlags = (m_protectionFlags & ~mask) | (value & mask & ~static_cast<DWORD>(3));
    return 1;
}

DWORD CShape::GetProtectionFlagsMasked(DWORD mask)
{
    DWORD flags = m_protectionFlags & mask;
    if ((mask & sdbfVisible) && (m_state & stVisible))
        flags += sdbfVisible;
    if ((mask & sdbfEnabled) && (m_state & stEnabled))
        flags += sdbfEnabled;
    return flags;
}

bool CShape::HasProtectionFlag(DWORD flag) const
{
    return const_cast<CShape*>(this)->GetProtectionFlagsMasked(flag) != 0;
}

void CShape::PutProtectionFlag(DWORD flag, bool on) { SetProtectionFlagsMasked(on ? flag : 0, flag); }

bool CShape::IsOperationLocked(int operation)
{
    const DWORD f = GetProtectionFlagsMasked(kProtectionMask);
    const DWORD size = f & (sdbfWidth | sdbfHeight);
    const bool sizeLocked = size == (sdbfWidth | sdbfHeight) || (size != 0 && (f & sdbfAspect));
    const bool positionLocked = (f & (sdbfXpos | sdbfYpos)) == (sdbfXpos | sdbfYpos);
    const int count = m_points.GetCount();
    switch (operation) {
    case EDSH_MOVE:
    case EDSH_ALIGN_SHAPE: return positionLocked;
    case EDSH_POINT: return sizeLocked && positionLocked && count < 3;
    case EDSH_NEWPOINT: return count == 1 && size != 0;
    case EDSH_ROTATE: return (f & sdbfRotation) != 0;
    case EDSH_SCALE:
    case EDSH_FLIP_SHAPE: return sizeLocked;
    case EDSH_DELETEPOINT: return count < 4 && sizeLocked;
    case EDSH_REMOVE: return (f & sdbfDeletion) != 0;
    default: return false;
    }
}

double CShape::GetAngle()
{
    if (m_points.GetCount() < 2)
        return 0.0;
    const CPointRecord* a = m_points.GetAt(0);
    const CPointRecord* b = m_points.GetAt(1);
    return std::atan2(static_cast<double>(b->y) - a->y, static_cast<double>(b->x) - a->x);
}

int CShape::SetAngle(double angle)
{
    float l, t, r, b;
    if (FAILED(GetBoundingRect(&l, &t, &r, &b)))
        return 0;
    const double degrees = (angle - GetAngle()) * 57.29577951308232;
    return Rotate((l + r) * 0.5f, (t + b) * 0.5f, degrees, nullptr, false);
}

void CShape::NotifyChange(int editKind)
{
    DWORD bits = 0;
    switch (editKind) {
    case EDSH_MOVE:
    case EDSH_ALIGN_SHAPE: bits = 0x1; break;
    case EDSH_POINT:
        switch (m_shapeType) {
        case stArc:
        case stCircle:
        case stEllipse:
        case stGroup:
        case stImage:
        case stReference: bits = 0x4 | 0x8; break;
        case stText: bits = 0x4; break;
        default: break;
        }
        break;
    case EDSH_ROTATE:
    case EDSH_FLIP_SHAPE: bits = 0x2; break;
    case EDSH_SCALE: bits = 0x4 | 0x8; break;
    case EDSH_TEXT: bits = 0x40; break;
    default: break;
    }
    if (bits)
        SetReferenceLocks(m_referenceLocks | bits);
}

bool CShape::ContainsShapeId(int id, bool) { return id == m_id; }

void CShape::CollectContainedIds(bool, std::vector<int>& ids) { ids.push_back(m_id); }

bool CShape::ContainsShape(CShape*) { return false; }

int CShape::MovePointWithin(int pointId, int index)
{
    const int from = m_points.IndexOf(pointId);
    if (from < 0)
        return 0;
    CPointRecord* point = m_points.GetAt(from);
    m_points.RemoveAt(from);
    const int count = m_points.GetCount();
    m_points.Insert(index < 0 || index > count ? count : index, point);
    SetExtentCached(false);
    return 1;
}
