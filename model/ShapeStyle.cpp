// Style resolution ("by layer", "by block", system colours), arrow heads and small services of
// the shape base.
#include "model/Shape.h"
#include "automation/ResultCodes.h"
#include "model/AttributeBase.h"
#include "model/BrushCache.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/LinkedPointMap.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ViewMapping.h"
#include "persistence/DrawingSettingRecord.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <olectl.h>
#include <cmath>
#include <vector>

namespace {
const DWORD kColourMarks = 0x60000000;
const DWORD kByLayerColour = 0x20000000;
const DWORD kByBlockColour = 0x40000000;
// The hatch colour of a "by block" shape outside any block.
const COLORREF kNoBlockHatchColour = 0xD8D8D8;
// The hit tolerance around an arrow head beyond its pen, device pixels.
const double kArrowTolerancePixels = 3.0;

COLORREF TranslateOleColour(DWORD colour)
{
    COLORREF rgb = 0;
    if (SUCCEEDED(OleTranslateColor(static_cast<OLE_COLOR>(colour), nullptr, &rgb)))
        return rgb;
    return colour & 0x00FFFFFF;
}

// The parent whose style a "by block" value takes: a block reference, or a block group.
CShape* BlockParent(CShape* shape)
{
    CGroup* parent = shape ? shape->GetParent() : nullptr;
    if (!parent || parent == shape)
        return nullptr;
    if (parent->GetShapeType() == stReference || (parent->GetShapeType() == stGroup && parent->IsBlockContext()))
        return parent;
    return nullptr;
}

CShape* LayerOf(CShape* shape)
{
    if (!shape)
        return nullptr;
    return shape->GetShapeType() == stLayer ? shape : shape->GetLayer();
}

COLORREF TranslateColour(DWORD colour, CShape* shape, bool hatch)
{
    const DWORD mark = colour & kColourMarks;
    if (!mark)
        return TranslateOleColour(colour);
    if (!shape)
        return 0;
    if (mark == kByBlockColour) {
        if (CShape* parent = BlockParent(shape))
            return TranslateColour(hatch ? parent->GetHatchColor() : parent->GetPenColor(), parent, hatch);
    }
    CShape* layer = LayerOf(shape);
    const DWORD layerColour = layer ? (hatch ? layer->GetHatchColor() : layer->GetPenColor()) : kByLayerColour;
    if (layer && !(layerColour & kColourMarks))
        return TranslateOleColour(layerColour);
    return hatch && mark == kByBlockColour ? kNoBlockHatchColour : 0;
}

double PointSegmentDistance(const CRealPointD& p, const CRealPointD& a, const CRealPointD& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}
} // namespace

// --- Style resolution -------------------------------------------------------------------------

int CShape::TranslateLinePatternId(int value, CShape* shape)
{
    if (value != ltByLayer && value != ltByBlock)
        return value;
    if (value == ltByBlock) {
        if (!shape)
            return ltContinuous;
        if (CShape* parent = BlockParent(shape))
            return TranslateLinePatternId(parent->GetLinePatternId(), parent);
    }
    CShape* layer = LayerOf(shape);
    if (!layer)
        return ltContinuous;
    const DWORD layerColour = layer->GetPenColor();
    if (layerColour == kByLayerColour || layerColour == kByBlockColour)
        return ltContinuous;
    return layer->GetLinePatternId();
}

COLORREF CShape::TranslatePenColor(DWORD colour, CShape* shape) { return TranslateColour(colour, shape, false); }

COLORREF CShape::TranslateHatchColor(DWORD colour, CShape* shape) { return TranslateColour(colour, shape, true); }

// --- Arrow heads --------------------------------------------------------------------------------

double CShape::GetArrowScale() const
{
    const CDrawingSettingRecord* setting = m_control ? m_control->GetCurrentDrawingSetting() : nullptr;
    return setting ? setting->ArrowScale : 1.0;
}

int CShape::BuildArrowHead(CArrowHead& arrow)
{
    if (!arrow.endPoint || arrow.scale == 0.0 || !m_control)
        return -1;
    const CViewMapping& view = arrow.view ? *arrow.view : m_control->GetCurrentViewport();
    const double k = view.GetScaleFactor();
    if (k == 0.0)
        return -1;
    arrow.width = GetDevicePenWidth() / k;
    const double length = (arrow.width + 10.0) * arrow.scale;
    arrow.length = k * length;
    const CRealPoint end = *arrow.endPoint;
    double s = 0.0, c = 1.0;
    if (arrow.previous) {
        const double a = std::atan2(static_cast<double>(arrow.previous->y) - end.y,
                                    static_cast<double>(arrow.previous->x) - end.x);
        s = std::sin(a);
        c = std::cos(a);
    }
    const bool out = (arrow.type & 0x100) != 0;
    if (out) {
        s = -s;
        c = -c;
    }
    arrow.baseWorld = CRealPoint(static_cast<float>(end.x + c * length), static_cast<float>(end.y + s * length));
    const CRealPointD e = view.WorldToLogical(end.x, end.y);
    const CRealPointD b = view.WorldToLogical(arrow.baseWorld.x, arrow.baseWorld.y);
    arrow.end = CRealPointD(std::trunc(e.x), std::trunc(e.y));
    arrow.base = CRealPointD(std::trunc(b.x), std::trunc(b.y));
    arrow.centre = CRealPointD(std::trunc((e.x + b.x) * 0.5), std::trunc((e.y + b.y) * 0.5));
    const long P = static_cast<long>(std::trunc(arrow.length * s * 0.25));
    const long Q = static_cast<long>(std::trunc(arrow.length * c * 0.25));
    const long ex = static_cast<long>(arrow.end.x), ey = static_cast<long>(arrow.end.y);
    const long bx = static_cast<long>(arrow.base.x), by = static_cast<long>(arrow.base.y);
    const long cx = static_cast<long>(arrow.centre.x), cy = static_cast<long>(arrow.centre.y);
    POINT* p = arrow.points;
    const int form = arrow.type & ~0x300;
    switch (form) {
    case 2:
        p[0] = {bx - P, by + Q};
        p[1] = {ex, ey};
        p[2] = {bx + P, by - Q};
        p[3] = {bx - P, by + Q};
        p[4] = {ex, ey};
        arrow.count = 5;
        break;
    case 3: arrow.count = 0; break;
    case 4:
        p[0] = {bx, by};
        p[1] = {cx - P, cy + Q};
        p[2] = {ex, ey};
        p[3] = {cx + P, cy - Q};
        p[4] = {bx, by};
        arrow.count = 5;
        break;
    case 5: {
        const long fx = 2 * ex - cx, fy = 2 * ey - cy;
        p[0] = {cx + P, cy - Q};
        p[1] = {fx - P, fy + Q};
        p[2] = {ex, ey};
        p[3] = {fx + P, fy - Q};
        p[4] = {cx - P, cy + Q};
        arrow.count = 5;
        break;
    }
    case 6:
        p[0] = {2 * ex - cx - P, 2 * ey - cy + Q};
        p[1] = {cx + P, cy - Q};
        arrow.count = 2;
        break;
    default:
        p[0] = {bx - P, by + Q};
        p[1] = {ex, ey};
        p[2] = {bx + P, by - Q};
        arrow.count = 3;
        break;
    }
    arrow.baseMoved = false;
    if ((form == 2 || form == 3 || form == 4) && !out) {
        *arrow.endPoint = arrow.baseWorld;
        arrow.baseMoved = true;
    }
    return arrow.count;
}

int CShape::DrawArrowHead(CDrawContext& context, int arrowType, CRealPoint* endPoint, const CRealPoint* previous,
                          double scale, CArrowHead* out)
{
    if (scale < 0.0)
        scale = GetArrowScale();
    HDC dc = context.dc;
    if (!dc || arrowType == atNone || !endPoint || scale == 0.0 ||
        (context.flags & (CDrawContext::dcMarks | CDrawContext::dcNoFill)) || !m_control)
        return 0;
    CArrowHead local;
    CArrowHead& arrow = out ? *out : local;
    arrow = CArrowHead();
    arrow.type = arrowType;
    arrow.endPoint = endPoint;
    arrow.previous = previous;
    arrow.scale = scale;
    arrow.view = context.view;
    const int count = BuildArrowHead(arrow);
    const bool circle = (arrowType & ~0x300) == 3;
    if (count < 0 || (count == 0 && !circle))
        return 0;
    HPEN previousPen = nullptr;
    int pattern = ltContinuous;
    COLORREF colour = 0;
    const int width = static_cast<int>(std::lround(GetDevicePenWidth()));
    CreateDrawPen(m_control, dc, context.pen, width, true, false, &previousPen, &pattern, &colour, this, context.view,
                  context.keepPen);
    const bool filled = (arrowType & 0x200) != 0;
    std::unique_ptr<CCachedBrush> brush;
    HGDIOBJ previousBrush = nullptr;
    if (filled) {
        brush = std::make_unique<CCachedBrush>(&m_control->GetBrushCache(), colour);
        previousBrush = SelectObject(dc, brush->Get());
    }
    if (circle) {
        const double half = arrow.length / 2;
        const int l = DoubleToIntClamped(arrow.centre.x - half), t = DoubleToIntClamped(arrow.centre.y - half);
        const int r = DoubleToIntClamped(arrow.centre.x + half), b = DoubleToIntClamped(arrow.centre.y + half);
        if (filled)
            Ellipse(dc, l, t, r, b);
        else
            Arc(dc, l, t, r, b, l, t, l, t);
    } else if (filled) {
        Polygon(dc, arrow.points, count);
    } else {
        Polyline(dc, arrow.points, count);
    }
    const CRealPointD at = arrow.baseMoved ? arrow.base : arrow.end;
    if (context.flags & CDrawContext::dcFilledOnly)
        LineTo(dc, static_cast<int>(at.x), static_cast<int>(at.y));
    else
        MoveToEx(dc, static_cast<int>(at.x), static_cast<int>(at.y), nullptr);
    if (previousBrush)
        SelectObject(dc, previousBrush);
    if (previousPen)
        SelectObject(dc, previousPen);
    return 1;
}

BOOL CShape::HitTestArrowHead(float x, float y, int arrowType, const CRealPoint& endPoint, const CRealPoint* previous,
                              double scale)
{
    if (scale < 0.0)
        scale = GetArrowScale();
    if (arrowType == atNone || scale == 0.0 || !m_control)
        return FALSE;
    const CViewMapping& view = m_control->GetCurrentViewport();
    CRealPoint end = endPoint;
    CArrowHead arrow;
    arrow.type = arrowType;
    arrow.endPoint = &end;
    arrow.previous = previous;
    arrow.scale = scale;
    const int count = BuildArrowHead(arrow);
    const bool circle = (arrowType & ~0x300) == 3;
    if (count < 0 || (count == 0 && !circle))
        return FALSE;
    const double penWidth = GetDevicePenWidth();
    const CRealPointD at(x * view.LogicalPerPixelX(), -(y * view.LogicalPerPixelY()));
    const double tolerance = penWidth + kArrowTolerancePixels * view.LogicalPerPixelX();
    if (count == 1) {
        const double dx = at.x - arrow.points[0].x, dy = at.y - arrow.points[0].y;
        return std::sqrt(dx * dx + dy * dy) <= tolerance;
    }
    if (arrowType & 0x200) {
        ycom::WindowDC screen(GetDC(m_control->GetControlWindow()));
        HDC dc = screen.Get();
        if (!dc)
            return FALSE;
        const int oldGraphics = SetGraphicsMode(dc, GM_ADVANCED);
        const int oldArc = SetArcDirection(dc, AD_CLOCKWISE);
        const int oldMap = SetMapMode(dc, MM_LOMETRIC);
        auto recordHead = [&]() {
            BeginPath(dc);
            if (circle) {
                const double half = arrow.length / 2;
                Ellipse(dc, DoubleToIntClamped(arrow.centre.x - half), DoubleToIntClamped(arrow.centre.y - half),
                        DoubleToIntClamped(arrow.centre.x + half), DoubleToIntClamped(arrow.centre.y + half));
            } else {
                Polyline(dc, arrow.points, count);
                CloseFigure(dc);
            }
            EndPath(dc);
        };
        BOOL hit = FALSE;
        {
            ycom::SelectGuard nullPen(dc, GetStockObject(NULL_PEN));
            recordHead();
            // The inside of the head, and with a pen its widened outline as well: the region of
            // a widened path alone would leave the inside out.
            ycom::GdiObject<HRGN> region(PathToRegion(dc));
            const POINT device = {static_cast<int>(x), static_cast<int>(y)};
            if (region && PtInRegion(region.Get(), device.x, device.y))
                hit = TRUE;
            const int width = static_cast<int>(std::lround(penWidth));
            if (!hit && width > 0) {
                LOGBRUSH solid = {BS_SOLID, 0, 0};
                ycom::GdiObject<HPEN> pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID, static_cast<DWORD>(width), &solid, 0, nullptr));
                ycom::SelectGuard widePen(dc, pen.Get());
                recordHead();
                if (WidenPath(dc)) {
                    ycom::GdiObject<HRGN> outline(PathToRegion(dc));
                    hit = outline && PtInRegion(outline.Get(), device.x, device.y);
                }
            }
        }
        SetMapMode(dc, oldMap);
        SetArcDirection(dc, oldArc);
        SetGraphicsMode(dc, oldGraphics);
        return hit;
    }
    if (circle) {
        const double dx = at.x - arrow.centre.x, dy = at.y - arrow.centre.y;
        return std::fabs(std::sqrt(dx * dx + dy * dy) - arrow.length / 2) <= tolerance;
    }
    for (int i = 0; i + 1 < count; ++i) {
        const CRealPointD a(arrow.points[i].x, arrow.points[i].y);
        const CRealPointD b(arrow.points[i + 1].x, arrow.points[i + 1].y);
        if (PointSegmentDistance(at, a, b) <= tolerance)
            return TRUE;
    }
    return FALSE;
}

// --- Small services ---------------------------------------------------------------------------

CShape* CShape::FindTopmostNonBlock()
{
    CShape* shape = this;
    while (shape->m_parent && shape->m_parent->SelectsAsUnit())
        shape = shape->m_parent;
    return shape;
}

bool CShape::SharesLayerWithParent() const
{
    if (m_layer && m_layer->GetId() == BASE_LAYER)
        return true;
    return m_parent && m_parent->GetLayer() == m_layer;
}

void CShape::ReleasePointsInSet(CShapePointList& list, const std::set<int>& ids)
{
    if (ids.empty())
        return;
    for (int i = list.GetCount() - 1; i >= 0; --i) {
        const int pointId = list.GetAt(i)->GetPointId();
        if (!ids.count(pointId))
            continue;
        list.RemoveAt(i);
        if (m_control)
            m_control->GetPointPool().ReleasePoint(pointId, m_id);
    }
    SetExtentCached(false);
}

void CShape::SetId(int id)
{
    const int old = m_id;
    m_id = id;
    if (old == id)
        return;
    auto rekey = [&](CShapePointList& list, bool linked) {
        if (list.GetOwnerId() == id)
            return;
        for (CPointRecord* point : list) {
            if (id != kNoOwnerId)
                point->AddOwner(id);
            point->ReleaseOwner(old);
            if (linked && m_control) {
                m_control->GetLinkedPointMap().Remove(point->GetPointId(), old);
                m_control->GetLinkedPointMap().Insert(point->GetPointId(), id);
            }
        }
        list.SetOwnerId(id);
    };
    rekey(m_points, false);
    rekey(m_linkedPoints, true);
    if (m_attributeGroups) {
        for (int i = 0; i < m_attributeGroups->GetCount(); ++i) {
            CAttributeBase* group = m_attributeGroups->GetAt(i);
            group->AddOwner(id);
            group->Release(old);
        }
        m_attributeGroups->SetOwnerId(id);
    }
}

CShape* CShape::FindInShapeMap() const
{
    if (!m_control)
        return nullptr;
    CShape* shape = m_control->GetShapeMap().Lookup(m_id);
    return shape && shape->GetId() == m_id ? shape : nullptr;
}

bool CShape::IsCustomChildOfReference() const
{
    return (m_protectionFlags & sdbfCustomChild) && m_parent && m_parent->GetShapeType() == stReference;
}

// Label texts of a block reference (a kind of text) are picked with the reference unless they
// are its custom children; the text shape adds that test with its text kinds.
bool CShape::IsSelectable()
{
    if (!IsEnabled())
        return false;
    // A label inside a block reference belongs to the reference, unless it is a child the user
    // added to it.
    return !(GetTextType() == ttLabel && m_parent && m_parent->GetShapeType() == stReference &&
             !IsCustomChildOfReference());
}

bool CShape::IsReferenceChild() { return IsAttributeOrLabel() && m_parent && m_parent->GetShapeType() == stReference; }
