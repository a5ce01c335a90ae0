#include "control/ScrollSupport.h"
#include "control/ViewportRecord.h"
#include "model/Geometry.h"
#include "model/ViewMapping.h"
#include <algorithm>

namespace {

constexpr double kTwoTo31 = 2147483648.0;

// A range's maximum: the extent while it fits a scroll bar's 32 bits.
int MaximumOf(double extent) { return extent < kTwoTo31 ? FloatToIntClamped(static_cast<float>(extent)) : 0x7FFFFFFF; }

bool IsLineRequest(int request) { return request == SB_LINEUP || request == SB_LINEDOWN; }

} // namespace

SIZE CScrollSupport::PageSize() const
{
    HWND window = GetScrollWindow();
    RECT client = {};
    if (window)
        GetClientRect(window, &client);
    const SIZE rulers = GetRulerOffsets();
    const SIZE pixels = {std::max<LONG>(0, client.right - rulers.cx), std::max<LONG>(0, client.bottom - rulers.cy)};
    const SIZE himetric = DeviceToHimetric(pixels);
    return SIZE{himetric.cx / 10, himetric.cy / 10};
}

void CScrollSupport::StoreExtents()
{
    const CViewportRecord& view = const_cast<CScrollSupport*>(this)->GetScrollView();
    const CRealRect limits = GetScrollLimits();
    const double s = view.GetScaleFactor();
    m_extentX = (static_cast<double>(limits.right) - limits.left) * s;
    m_extentY = (static_cast<double>(limits.top) - limits.bottom) * s;
}

void CScrollSupport::SetRanges()
{
    HWND window = GetScrollWindow();
    if (!window)
        return;
    StoreExtents();
    SCROLLINFO info = {sizeof(info), SIF_RANGE, 0, 0, 0, 0, 0};
    info.nMax = FloatToIntClamped(static_cast<float>(m_extentX));
    SetBar(window, SB_HORZ, info);
    info.nMax = FloatToIntClamped(static_cast<float>(m_extentY));
    SetBar(window, SB_VERT, info);
}

int CScrollSupport::HorizontalPosition() const
{
    const CViewportRecord& view = const_cast<CScrollSupport*>(this)->GetScrollView();
    const CRealRect limits = GetScrollLimits();
    double position = -(view.GetScaleFactor() * limits.left + view.origin.x);
    if (m_extentX >= kTwoTo31)
        position *= kTwoTo31 / m_extentX;
    return FloatToIntClamped(static_cast<float>(position));
}

int CScrollSupport::VerticalPosition() const
{
    const CViewportRecord& view = const_cast<CScrollSupport*>(this)->GetScrollView();
    const CRealRect limits = GetScrollLimits();
    double position = view.GetScaleFactor() * limits.top + view.origin.y;
    if (m_extentY >= kTwoTo31)
        position *= kTwoTo31 / m_extentY;
    return FloatToIntClamped(static_cast<float>(position));
}

void CScrollSupport::UpdateBars(SIZE page)
{
    HWND window = GetScrollWindow();
    if (!window)
        return;
    RECT client = {};
    GetClientRect(window, &client);
    m_lineStepX = std::max<int>(1, page.cx / 10);
    m_lineStepY = std::max<int>(1, page.cy / 10);
    const struct {
        int bar;
        double extent;
        int page;
        int position;
        int clientPixels;
    } bars[] = {
        {SB_VERT, m_extentY, static_cast<int>(page.cy), VerticalPosition(), static_cast<int>(client.bottom)},
        {SB_HORZ, m_extentX, static_cast<int>(page.cx), HorizontalPosition(), static_cast<int>(client.right)},
    };
    for (const auto& b : bars) {
        SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(window, b.bar, &info);
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = MaximumOf(b.extent);
        info.nPage = static_cast<UINT>(std::max(0, b.page));
        if (b.page >= info.nMax)
            info.nMax = b.page + 1;
        int position = b.position;
        if (b.bar == SB_VERT) {
            if (position < 0)
                position += info.nMax;
            else if (position > 0 && b.clientPixels > b.extent)
                position = info.nMax;
        } else {
            if (position < 0)
                position = 0;
            else if (position > 0 && b.clientPixels > b.extent)
                position = info.nMax;
        }
        info.nPos = position;
        SetBar(window, b.bar, info);
    }
}

void CScrollSupport::SetBar(HWND window, int bar, const SCROLLINFO& info)
{
    const bool now = BarsRepaintNow();
    if (!now && !m_staleBars) {
        // Only a bar that changes needs the frame's repaint (a themed bar's costs milliseconds).
        SCROLLINFO shown = {sizeof(shown), SIF_ALL, 0, 0, 0, 0, 0};
        const bool changes = !GetScrollInfo(window, bar, &shown) ||
                             ((info.fMask & SIF_RANGE) && (shown.nMin != info.nMin || shown.nMax != info.nMax)) ||
                             ((info.fMask & SIF_PAGE) && shown.nPage != info.nPage) ||
                             ((info.fMask & SIF_POS) && shown.nPos != info.nPos);
        m_staleBars = changes;
    }
    SetScrollInfo(window, bar, &info, now ? TRUE : FALSE);
}

void CScrollSupport::Refresh()
{
    HWND window = GetScrollWindow();
    if (!window)
        return;
    const SIZE page = PageSize();
    const SIZE rulers = GetRulerOffsets();
    const SIZE rulerHimetric = DeviceToHimetric(rulers);
    const POINT offset = {rulerHimetric.cx / 10, rulerHimetric.cy / 10};
    CViewportRecord& view = GetScrollView();
    view.SetClientArea(page, &offset);
    StoreExtents();
    view.RecomputeOrigin();
    UpdateBars(page);
}

LRESULT CScrollSupport::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    HWND window = GetScrollWindow();
    if (!window)
        return 0;
    CViewportRecord& view = GetScrollView();
    view.SetClientSize(SIZE{LOWORD(lParam), HIWORD(lParam)}, false);
    StoreExtents();
    UpdateBars(view.clientSize);
    return 0;
}

LRESULT CScrollSupport::OnVScroll(UINT, WPARAM wParam, LPARAM, BOOL&) { return Scroll(SB_VERT, wParam); }

LRESULT CScrollSupport::OnHScroll(UINT, WPARAM wParam, LPARAM, BOOL&) { return Scroll(SB_HORZ, wParam); }

LRESULT CScrollSupport::Scroll(int bar, WPARAM wParam)
{
    HWND window = GetScrollWindow();
    const int request = LOWORD(wParam);
    if (!window || request > SB_BOTTOM)
        return 0;
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(window, bar, &info);
    const bool vertical = bar == SB_VERT;
    const int step = vertical ? m_lineStepY : m_lineStepX;
    int& overflow = vertical ? m_overflowY : m_overflowX;
    const int page = static_cast<int>(info.nPage);
    int position = info.nPos;
    switch (request) {
    case SB_LINEUP: position -= step; break;
    case SB_LINEDOWN: position += step; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = info.nTrackPos; break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: break;
    }
    const bool line = IsLineRequest(request);
    const int end = info.nMax - page + 1;
    bool widened = false;
    if (position < 0) {
        if (line) {
            overflow += position;
            if (!vertical) {
                // The horizontal bar's range widens to take the step; its thumb stays put.
                info.nMin = position;
                widened = true;
            }
        } else {
            overflow = 0;
        }
        position = vertical ? 0 : info.nPos;
    } else if (position > end) {
        if (line) {
            overflow += page - info.nMax + position - 1;
            if (!vertical) {
                info.nMax = page + position;
                widened = true;
            }
        } else {
            overflow = 0;
        }
        position = vertical ? end : info.nPos;
    } else if (line && overflow != 0) {
        // A step beyond the end is given back before the thumb moves.
        if (overflow > 0) {
            position += step;
            overflow -= step;
        } else {
            position -= step;
            overflow += step;
        }
    } else {
        overflow = 0;
    }
    info.fMask = SIF_POS | (widened ? SIF_RANGE : 0);
    info.nPos = position;
    SetScrollInfo(window, bar, &info, TRUE);

    CViewportRecord& view = GetScrollView();
    const CRealRect limits = GetScrollLimits();
    if (vertical) {
        view.SetScrollPositionY(position + overflow, limits);
    } else {
        double scrolled = static_cast<double>(position) + overflow;
        if (m_extentX >= kTwoTo31)
            scrolled = m_extentX * position * (1.0 / kTwoTo31) + overflow;
        view.SetScrollPositionX(DoubleToIntClamped(scrolled), limits);
    }
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}
