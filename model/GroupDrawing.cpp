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

int CGroup::Draw(CDrawContext& context)
{
    for (CShape* child : std::vector<CShape*>(m_children))
        child->DrawInContext(context);
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
    GetBoundingRect(nullptr, nullptr, nullptr, nullptr);
    for (CShape* child : std::vector<CShape*>(m_children))
        child->DrawOverlay(context);
    return 1;
}

int CGroup::DrawLinkMarks(HDC dc)
{
    CShape::DrawLinkMarks(dc);
    for (CShape* child : m_children)
        child->DrawLinkMarks(dc);
    return 1;
}
