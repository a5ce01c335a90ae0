#include "model/HighlightGroup.h"
#include "model/DrawContext.h"
#include "model/PatternFill.h"
#include "model/PenCache.h"
#include "model/ShapeHost.h"
#include "model/ViewMapping.h"
#include "YVEX_h.h"
#include <olectl.h>

namespace {
// The highlight colour that a "by layer" or "by block" pen colour stands for: RGB (200, 0, 0).
const COLORREF kDefaultHighlight = 200;
} // namespace

CHighlightGroup::CHighlightGroup(int id, CShapeHost* control)
    : CShapeIdGroup(id, control), m_blinkType(btAlternate), m_shadeType(shLight)
{
    m_linePatternId = 1; // the dotted selection line
    m_penColor = kDefaultHighlight;
    m_penWeight = 0.0f;
    m_selectsAsUnit = 0;
}

CHighlightGroup::~CHighlightGroup()
{
    if (m_blinkTimer)
        SetBlinking(false);
}

void CHighlightGroup::SetBlinking(bool on)
{
    HWND window = m_control ? m_control->GetControlWindow() : nullptr;
    if (m_blinkTimer) {
        KillTimer(window, m_blinkTimer);
        m_blinkTimer = 0;
    }
    if (on && window)
        m_blinkTimer = SetTimer(window, kBlinkTimerId, static_cast<UINT>(m_blinkTimeout), nullptr);
    m_blinkOn = on ? 1 : 0;
}

void CHighlightGroup::SetBlinkTimeout(int milliseconds)
{
    m_blinkTimeout = milliseconds < kMinBlinkTimeout ? kMinBlinkTimeout : milliseconds;
    if (m_blinkOn)
        SetBlinking(true);
}

bool CHighlightGroup::OnBlinkTimer(UINT_PTR timerId)
{
    if (!m_blinkTimer || timerId != m_blinkTimer)
        return false;
    m_blinkPhase = m_blinkPhase == 0 ? 1 : 0;
    if (m_control)
        m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, nullptr);
    return true;
}

int CHighlightGroup::AddChild(CShape* child, int* outIndex, int adoptArg, bool move)
{
    const int result = CShapeIdGroup::AddChild(child, outIndex, adoptArg, move);
    if (m_blinkOn && !m_blinkTimer)
        SetBlinking(true);
    return result;
}

void CHighlightGroup::StopWhenEmpty()
{
    if (m_children.empty() && m_blinkOn && m_blinkTimer) {
        KillTimer(m_control ? m_control->GetControlWindow() : nullptr, m_blinkTimer);
        m_blinkTimer = 0;
    }
}

int CHighlightGroup::RemoveChildAt(int index, bool destroy)
{
    const int result = CShapeIdGroup::RemoveChildAt(index, destroy);
    StopWhenEmpty();
    return result;
}

int CHighlightGroup::RemoveChild(CShape* child)
{
    const int result = CShapeIdGroup::RemoveChild(child);
    StopWhenEmpty();
    return result;
}

bool CHighlightGroup::Shade(CDrawContext& context, CShape* shape, COLORREF colour, int depth)
{
    const int type = shape->GetShapeType();
    if (type == stImage || type == stText) {
        CRealRect bounds;
        if (FAILED(shape->GetBoundingRectEx(&bounds.left, &bounds.top, &bounds.right, &bounds.bottom, nullptr, 0)))
            return false;
        const RECT r = ViewOf(context).WorldToLogicalRect(bounds);
        PatternFillRect(context.dc, r, colour, m_shadeType, nullptr);
        return true;
    }
    if (type == stReference && depth > 0) {
        for (CShape* child : static_cast<CGroup*>(shape)->Children()) {
            if (!child->IsVisible() || child->HasState(stNoExtents))
                continue;
            const int childType = child->GetShapeType();
            if ((childType == stImage || childType == stText || childType == stReference) &&
                !Shade(context, child, colour, depth - 1))
                return false;
        }
    }
    return true;
}

int CHighlightGroup::Draw(CDrawContext& context)
{
    if (!m_control)
        return 0;
    const bool shown = !m_blinkOn || m_blinkPhase != 0;
    const DWORD savedFlags = context.flags;
    HPEN savedPen = context.pen;
    COLORREF colour = kDefaultHighlight;
    if (shown) {
        int pattern = m_linePatternId;
        if (pattern == ltByLayer || pattern == ltByBlock)
            pattern = 1;
        if (m_penColor == 0x20000000 || m_penColor == 0x40000000) {
            colour = kDefaultHighlight;
        } else if (FAILED(OleTranslateColor(m_penColor, nullptr, &colour))) {
            colour = m_penColor & 0xFFFFFF;
        }
        context.pen = m_control->GetPenCache().GetPen(pattern, colour, static_cast<int>(m_penWeight), 1.0, false);
    }
    context.flags |= CDrawContext::dcFilledOnly;
    int result = 1;
    for (CShape* shape : std::vector<CShape*>(m_children)) {
        if (shown) {
            if (shape->DrawInContext(context) && !Shade(context, shape, colour, 20)) {
                result = 0;
                break;
            }
        } else if (m_blinkType == btAlternate) {
            context.pen = nullptr;
            shape->DrawInContext(context);
        }
    }
    context.flags = savedFlags;
    context.pen = savedPen;
    return result;
}

// The listed shapes are stored with their own groups, not here.
HRESULT CHighlightGroup::SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags)
{
    return CShape::SaveToDB(session, siteId, scenarioId, flags);
}

void CHighlightGroup::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_HighlightGroupShape;
}
