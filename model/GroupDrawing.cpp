// CGroup: drawing of the children, the rubber band of a plain group under edit, overlays and
// link marks.
#include "model/Group.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/PenCache.h"
#include "model/ShapeHost.h"
#include "model/ViewMapping.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>

namespace {
// Pixels around the visible area within which a shape is still drawn: selection marks (9 pixels
// half a side) and a text's overhang reach beyond the extent a shape reports.
const double kCullMarginPixels = 16.0;

// What a context shows, in world units, and what every shape may draw beyond its extent there.
struct CVisibleArea
{
    CRealRect rect;
    double scale = 0.0;       // logical units (0.1 mm) per world unit
    double margin = 0.0;      // world units: the marks and the widest pen made so far
    double arrowScale = 1.0;  // the drawing's arrow scale
};

// False when the context shows all: a metafile being recorded (its clip box is its reference
// device's) or a context without a clip box.
bool VisibleArea(HDC dc, const CViewMapping& view, double widestPen, double arrowScale, CVisibleArea* area)
{
    const DWORD type = GetObjectType(dc);
    if (type == OBJ_ENHMETADC || type == OBJ_METADC)
        return false;
    const double s = view.GetScaleFactor();
    RECT box;
    if (!(s > 0.0) || GetClipBox(dc, &box) == ERROR || box.left >= box.right || box.top == box.bottom)
        return false;
    const double x1 = (box.left - view.origin.x) / s, x2 = (box.right - view.origin.x) / s;
    const double y1 = (box.top - view.origin.y) / s, y2 = (box.bottom - view.origin.y) / s;
    area->rect = CRealRect(static_cast<float>(std::min(x1, x2)), static_cast<float>(std::max(y1, y2)),
                           static_cast<float>(std::max(x1, x2)), static_cast<float>(std::min(y1, y2)));
    area->scale = s;
    area->margin = (widestPen + kCullMarginPixels * std::max(view.LogicalPerPixelX(), view.LogicalPerPixelY())) / s;
    area->arrowScale = std::max(1.0, std::fabs(arrowScale));
    return std::isfinite(x1) && std::isfinite(x2) && std::isfinite(y1) && std::isfinite(y2) &&
           std::isfinite(area->margin);
}

// Whether nothing the shape draws can reach the area: its extent lies outside it by more than
// the margin, its own pen and an arrow head ((pen + 10) world units times the arrow scale). A
// reference's extent counts its attributes here (they are drawn with it). A shape without an
// extent may draw anywhere and is never left out. The extent is the one given (the root's grid
// holds its children's), else the shape's own.
bool LiesOutside(CShape* shape, const CVisibleArea& area, const CRealRect* extent)
{
    float l, t, r, b;
    if (extent) {
        l = extent->left, t = extent->top, r = extent->right, b = extent->bottom;
    } else if (FAILED(shape->GetBoundingRectEx(&l, &t, &r, &b, nullptr, 1))) {
        return false;
    }
    auto outside = [&](double m) {
        return std::max(l, r) < area.rect.left - m || std::min(l, r) > area.rect.right + m ||
               std::min(t, b) > area.rect.top + m || std::max(t, b) < area.rect.bottom - m;
    };
    // Most shapes of a view lie inside it: their pens are not asked for.
    if (!outside(area.margin))
        return false;
    const double pen = std::fabs(shape->GetDevicePenWidth()) / area.scale;
    const double m = area.margin + pen + (pen + 10.0) * area.arrowScale * 2.0;
    return std::isfinite(m) && outside(m);
}
} // namespace

int CGroup::Draw(CDrawContext& context)
{
    // The root's children lie in the view's world plane as they are: those wholly outside what
    // the target shows are left out, so that a zoomed view costs what it shows. The clip pass
    // and the passes of marks keep every shape.
    CVisibleArea area;
    const bool cull = m_control && context.dc && m_control->GetRootGroup() == this &&
                      !(context.flags & (CDrawContext::dcClipPass | CDrawContext::dcMarks)) &&
                      VisibleArea(context.dc, ViewOf(context), m_control->GetPenCache().GetMaxPenWidth(),
                                  GetArrowScale(), &area);
    // The grid of the children's extents gives those near the area: within the margin every
    // shape may draw beyond its extent there, with the widest pen of any child.
    std::vector<CShape*> nearby;
    std::vector<int> positions;
    const CShapeGrid* grid = cull ? CurrentChildGrid() : nullptr;
    if (grid) {
        const double fixedPen = grid->MaxFixedPenWeight() * m_control->GetPenCache().GetWidthFactor();
        const double scaledPen = grid->MaxScaledPenWeight() * m_control->GetCurrentViewport().GetScaleFactor();
        const double pen = std::max(std::fabs(fixedPen), std::fabs(scaledPen)) / area.scale;
        // A hundredth more, and a little for the coordinates' magnitude, so that rounding the
        // rectangle to floats leaves no shape out that the test below would keep.
        const CRealRect& r = area.rect;
        const double reach = area.margin + pen + (pen + 10.0) * area.arrowScale * 2.0;
        const double m = reach * 1.01 + 1e-6 * (std::fabs(r.left) + std::fabs(r.right) + std::fabs(r.top) +
                                                std::fabs(r.bottom));
        if (std::isfinite(m)) {
            grid->Query(CRealRect(static_cast<float>(r.left - m), static_cast<float>(r.top + m),
                                  static_cast<float>(r.right + m), static_cast<float>(r.bottom - m)),
                        positions);
            // The grid holds the extents the test below takes: they are not taken again.
            nearby.reserve(positions.size());
            for (int i : positions)
                nearby.push_back(m_children[static_cast<size_t>(i)]);
        } else {
            grid = nullptr;
            nearby = m_children;
        }
    } else {
        nearby = m_children;
    }
    // The children leave their pens for the next one: most draw with the pen of the one before.
    // The outermost group selects back the pen it found.
    const bool outerPass = context.dc && !context.keepPen;
    HGDIOBJ entryPen = outerPass ? GetCurrentObject(context.dc, OBJ_PEN) : nullptr;
    context.keepPen = true;
    for (size_t k = 0; k < nearby.size(); ++k) {
        CShape* child = nearby[k];
        CRealRect extent;
        const bool known = grid && grid->GetBox(positions[k], &extent);
        if (cull && LiesOutside(child, area, known ? &extent : nullptr))
            continue;
        // The grid holds the extent the child's size check asks for (of a child with members the
        // one without attributes): the members are not walked for it again.
        CRealRect plain;
        if (grid && context.sizeCheck && grid->GetPlainBox(positions[k], &plain)) {
            context.extentOf = child;
            context.extentLeft = plain.left;
            context.extentTop = plain.top;
            context.extentRight = plain.right;
            context.extentBottom = plain.bottom;
        }
        child->DrawInContext(context);
        context.extentOf = nullptr;
    }
    if (outerPass) {
        context.keepPen = false;
        if (entryPen && GetCurrentObject(context.dc, OBJ_PEN) != entryPen)
            SelectObject(context.dc, entryPen);
    }
    if (!m_control || !context.dc)
        return 1;
    const CEditState& edit = m_control->GetEditState();
    if (IsEditTarget() == 1 && IsBlockContext() && edit.hasRubberStart) {
        HDC dc = context.dc;
        const CViewMapping& view = ViewOf(context);
        // Line type 1 is the dotted selection line.
        HPEN pen = m_control->GetPenCache().GetPen(1, 0x000000, 1, 1.0, false);
        ycom::SelectGuard selected(dc, pen);
        const COLORREF oldBack = SetBkColor(dc, 0xFFFFFF);
        const CRealPointD a = view.WorldToLogical(edit.rubberStart.x, edit.rubberStart.y);
        const CRealPointD b = view.WorldToLogical(edit.mousePosition.x, edit.mousePosition.y);
        MoveToEx(dc, DoubleToIntClamped(a.x), DoubleToIntClamped(a.y), nullptr);
        LineTo(dc, DoubleToIntClamped(b.x), DoubleToIntClamped(b.y));
        SetBkColor(dc, oldBack);
    }
    return 1;
}

// Each child's attachments are drawn by its own per-shape draw inside Draw; drawing them again
// here would paint every child twice.
int CGroup::DrawAttachments(CDrawContext&) { return 1; }

int CGroup::DrawOverlay(CDrawContext& context)
{
    if (context.flags & (CDrawContext::dcMarks | CDrawContext::dcNoFill | CDrawContext::dcFilledOnly))
        return 1;
    const bool active = m_control && m_control->GetActiveGroupID() == m_id;
    if (!(IsBlock() || m_shapeType == stReference || IsBlockContext() || active))
        return 1;
    const bool root = m_control && m_control->GetRootGroup() == this;
    // Only a text draws in the overlay pass (its leader), and a group through its members: a
    // group without such members (a block reference of lines and arcs) has nothing to draw, and
    // taking its extent would walk every member, sampling each arc.
    if (!root && std::none_of(m_children.begin(), m_children.end(), [](CShape* child) {
            return child->GetShapeType() == stText ||
                   (child->IsGroup() && static_cast<CGroup*>(child)->GetShapeCount() > 0);
        })) {
        context.extentOf = nullptr;
        return 1;
    }
    // The extent taken here leaves the group's cached extent as a paint leaves it. The drawing's
    // root names the child whose extent its grid took last, in this generation: that one is
    // cached as it would be again.
    if (context.extentOf != this)
        GetBoundingRect(nullptr, nullptr, nullptr, nullptr);
    context.extentOf = nullptr;
    // The drawing's root visits only the children whose overlay may draw (see CShapeGrid).
    struct Overlaid
    {
        CShape* child;
        bool known;
        CRealRect extent;
    };
    std::vector<Overlaid> children;
    if (const CShapeGrid* grid = CurrentChildGrid()) {
        children.reserve(grid->Overlaid().size());
        for (int i : grid->Overlaid()) {
            Overlaid o{m_children[static_cast<size_t>(i)], false, CRealRect()};
            o.known = o.child->IsGroup() && grid->GetPlainBox(i, &o.extent);
            children.push_back(o);
        }
    } else {
        children.reserve(m_children.size());
        for (CShape* child : m_children)
            children.push_back(Overlaid{child, false, CRealRect()});
    }
    for (const Overlaid& o : children) {
        if (o.known) {
            context.extentOf = o.child;
            context.extentLeft = o.extent.left;
            context.extentTop = o.extent.top;
            context.extentRight = o.extent.right;
            context.extentBottom = o.extent.bottom;
        }
        o.child->DrawOverlay(context);
        context.extentOf = nullptr;
    }
    return 1;
}

int CGroup::DrawLinkMarks(HDC dc)
{
    CShape::DrawLinkMarks(dc);
    for (CShape* child : m_children)
        child->DrawLinkMarks(dc);
    return 1;
}
