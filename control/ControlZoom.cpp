// Zoom commands, the zoom window, the growth of the draft limits and the redraw requests.
#include "control/YVEXControl.h"
#include "model/BrushCache.h"
#include "model/Group.h"
#include "model/PenCache.h"
#include <algorithm>
#include <cmath>

namespace {

// Every Zoom call counts, process-wide: caches keyed by the view compare against it.
LONG g_viewChangeCounter = 0;

// The pixels around a single shape's area that a redraw takes in too: its marks and pen width.
constexpr int kRedrawMargin = 9;

CWorldRect Normalised(double x0, double y0, double x1, double y1)
{
    return CWorldRect{std::min(x0, x1), std::max(y0, y1), std::max(x0, x1), std::min(y0, y1)};
}

} // namespace

LONG CYVEXControl::GetViewChangeCounter() { return g_viewChangeCounter; }

// ---- the scroll bars' view of the control ----

HWND CYVEXControl::GetScrollWindow() const { return m_hWnd; }

CViewportRecord& CYVEXControl::GetScrollView() { return GetCurrentViewport(); }

CRealRect CYVEXControl::GetScrollLimits() const
{
    const CRealRect draft = GetSiteRecord().GetDraftLimits();
    auto number = [](float v) { return std::isnan(v) ? 0.0f : v; };
    const float l = number(draft.left), t = number(draft.top), r = number(draft.right), b = number(draft.bottom);
    return CRealRect(std::min(l, r), std::max(t, b), std::max(l, r), std::min(t, b));
}

SIZE CYVEXControl::GetRulerOffsets() const
{
    auto shown = [](HWND ruler) {
        return ruler && ruler != reinterpret_cast<HWND>(-1) && IsWindow(ruler) && IsWindowVisible(ruler);
    };
    return SIZE{shown(m_verticalRuler) ? kRulerThickness : 0, shown(m_horizontalRuler) ? kRulerThickness : 0};
}

// ---- zoom ----

bool CYVEXControl::IsZoomWindowRunning() const
{
    const CShape* edited = GetEditState().editedShape;
    return edited && edited->GetId() == WINDOW_ID && m_rectanglePurpose == kRectangleZoom;
}

void CYVEXControl::FinishZoom()
{
    Refresh();
    UpdateRulers(0, true);
    RequestRedraw(rfRedrawAll, nullptr);
}

STDMETHODIMP CYVEXControl::Zoom(float k)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        InterlockedIncrement(&g_viewChangeCounter);
        // Pens made for the old zoom draw patterns at the wrong scale.
        GetPenCache().ClearPens(false);
        CViewportRecord& view = GetCurrentViewport();
        const CViewportRecord before(view);
        const double old = view.zoom;
        view.zoom = k;
        view.SetClientArea(view.clientSize, &view.clientOffset);
        const int check = view.IsViewInLimits();
        const double ratio = old != 0.0 ? std::fabs(k / old) : 1.0;
        const bool refused = check == 1 || (check == 2 && old != 0.0 && ratio < 1.0) ||
                             (check == 3 && old != 0.0 && ratio > 1.0);
        if (refused) {
            view.Assign(before);
            view.zoom = before.zoom;
            view.scale = before.scale;
            view.width = before.width;
            view.height = before.height;
            view.origin = before.origin;
            return S_FALSE;
        }
        GetViewportList().RememberView(before, std::fabs(k) <= 1.0f ? 2 : 1);
        Refresh();
        UpdateRulers(0, true);
        if (IsZoomWindowRunning())
            EndInteractiveOperation(false);
        RequestRedraw(rfRedrawAll, nullptr);
        return S_OK;
    });
}

HRESULT CYVEXControl::ZoomShapeTo(LONG shapeId, float factor)
{
    CShape* shape = FindShape(shapeId);
    if (!shape)
        shape = GetRootGroup();
    if (!shape)
        return S_FALSE;
    CRealRect r;
    if (FAILED(shape->GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom))) {
        if (shapeId != 0)
            return S_FALSE;
        r = GetSiteRecord().GetDraftLimits();
    }
    if (r.left == 0.0f && r.top == 0.0f && r.right == 0.0f && r.bottom == 0.0f)
        return S_OK;
    CViewportRecord& view = GetCurrentViewport();
    CWorldRect rect = Normalised(r.left, r.top, r.right, r.bottom);
    const int check = view.CheckZoomRect(rect.left, rect.top, rect.right, rect.bottom);
    if (check == 3) {
        // A shape without width or height still gets a view of its own place.
        if (rect.right - rect.left < 1e-5) {
            const double mid = (rect.left + rect.right) * 0.5;
            rect.left = mid - 6e-6;
            rect.right = mid + 6e-6;
        }
        if (rect.top - rect.bottom < 1e-5) {
            const double mid = (rect.top + rect.bottom) * 0.5;
            rect.bottom = mid - 6e-6;
            rect.top = mid + 6e-6;
        }
    } else if (check != 0) {
        return S_FALSE;
    }
    const CWorldRect visible = view.GetWorldRect();
    const CViewportRecord before(view);
    {
        CBusySection busy(*this);
        view.ZoomToRect(rect.left, rect.top, rect.right, rect.bottom, factor);
        const CWorldRect now = view.GetWorldRect();
        if (now.left != visible.left || now.top != visible.top || now.right != visible.right ||
            now.bottom != visible.bottom) {
            CViewportRecord old(view);
            old.ZoomToRect(visible.left, visible.top, visible.right, visible.bottom, 1.0);
            GetViewportList().RememberView(old, 0);
        }
    }
    if (IsZoomWindowRunning()) {
        EndInteractiveOperation(false);
        return S_OK;
    }
    FinishZoom();
    return S_OK;
}

STDMETHODIMP CYVEXControl::ZoomShape(LONG ShapeID, float Scale)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        // A worker may be changing the shapes whose extents the zoom reads.
        if (RefuseWhileBusy())
            return S_FALSE;
        return ZoomShapeTo(ShapeID, Scale);
    });
}

STDMETHODIMP CYVEXControl::ZoomAll()
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (RefuseWhileBusy())
            return S_FALSE;
        CGroup* root = GetRootGroup();
        return ZoomShapeTo(root ? root->GetId() : 0, 1.2f);
    });
}

void CYVEXControl::ZoomToRect(const CWorldRect& rect)
{
    CViewportRecord& view = GetCurrentViewport();
    if (view.CheckZoomRect(rect.left, rect.top, rect.right, rect.bottom) != 0)
        return;
    RECT client = {};
    if (m_hWnd)
        GetClientRect(m_hWnd, &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    GetViewportList().RememberView(view, 0);
    const double w = rect.right - rect.left;
    const double h = rect.top - rect.bottom;
    if (w == 0.0 || h == 0.0 || view.scale == 0.0f)
        return;
    // The window's proportions as a real quotient: an integer one would crop every rectangle
    // in a window between square and twice as wide as high.
    const double aspect = static_cast<double>(client.right) / client.bottom;
    const double logicalWidth = view.clientSize.cx > 0 ? view.clientSize.cx : client.right;
    const double logicalHeight = view.clientSize.cy > 0 ? view.clientSize.cy : client.bottom;
    if (aspect < w / h)
        view.zoom = logicalWidth / (w * view.scale);
    else
        view.zoom = logicalHeight / (h * view.scale);
    view.center = CRealPoint(static_cast<float>((rect.left + rect.right) * 0.5),
                             static_cast<float>((rect.top + rect.bottom) * 0.5));
    view.SetClientArea(view.clientSize, &view.clientOffset);
    FinishZoom();
}

STDMETHODIMP CYVEXControl::ZoomWindow(VARIANT_BOOL bUser, float X0, float Y0, float X1, float Y1)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!bUser) {
            const CViewportRecord& view = GetCurrentViewport();
            if (view.clientSize.cx <= 0 || view.clientSize.cy <= 0)
                return E_FAIL;
            const CWorldRect rect = Normalised(X0, Y0, X1, Y1);
            if (view.CheckZoomRect(rect.left, rect.top, rect.right, rect.bottom) != 0)
                return S_FALSE;
            ZoomToRect(rect);
            return S_OK;
        }
        if (!IsIdle())
            return S_FALSE;
        m_rectanglePurpose = kRectangleZoom;
        if (!BeginZoomWindow())
            return S_FALSE;
        SetEditCursor(292);
        m_rectanglePurpose = kRectangleZoom;
        return S_OK;
    });
}

STDMETHODIMP CYVEXControl::ZoomPrevious(LONG)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!GetViewportList().GetCurrentView())
            return E_POINTER;
        if (!GetViewportList().RestorePreviousView(GetCurrentViewport()))
            return S_FALSE;
        if (IsZoomWindowRunning())
            EndInteractiveOperation(false);
        Refresh();
        RequestRedraw(rfRedrawAll, nullptr);
        return S_OK;
    });
}

bool CYVEXControl::BeginZoomWindow()
{
    EndInteractiveOperation(false);
    CShape* window = FindShape(WINDOW_ID);
    // The host may keep the running operation (OnCancel).
    if (!window || GetEditState().editedShape)
        return false;
    window->RemoveAllPoints();
    // The rectangle takes its corners from the next presses.
    if (!EnterEditMode(window, EDSH_NEWPOINT, false, false))
        return false;
    if (EventsEnabled() && !FireBeginDraw(WINDOW_ID)) {
        EndInteractiveOperation(false);
        return false;
    }
    GetEditState().controlState |= csUserCreate;
    return true;
}

// ---- redraw ----

STDMETHODIMP CYVEXControl::Redraw(RedrawFlags Flags)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RequestRedraw(static_cast<DWORD>(Flags), nullptr);
        return S_OK;
    });
}

void CYVEXControl::RequestRedraw(DWORD flags, CShape* target) { RequestRedrawArea(flags, target, nullptr); }

void CYVEXControl::RequestRedrawArea(DWORD flags, CShape* target, const CRealRect* area)
{
    CControlCore::RequestRedraw(flags, target);
    if (!m_hWnd)
        return;
    // While a long operation (a load, a save) holds the control, a paint shows none of the
    // drawing: the window is only marked, and the first request after the operation paints it
    // once, with the scroll bars set meanwhile.
    if (!IsIdle()) {
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE);
        return;
    }
    const UINT frame = TakeStaleBars() ? RDW_FRAME : 0;
    CShape* shape = GetRedrawTarget();
    CRealRect r;
    if (shape && SUCCEEDED(shape->GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom))) {
        m_redrawRect = r;
        if (area && (area->left != 0.0f || area->top != 0.0f || area->right != 0.0f || area->bottom != 0.0f)) {
            m_redrawRect.left = std::min({m_redrawRect.left, m_redrawRect.right, area->left, area->right});
            m_redrawRect.right = std::max({r.left, r.right, area->left, area->right});
            m_redrawRect.bottom = std::min({r.top, r.bottom, area->top, area->bottom});
            m_redrawRect.top = std::max({r.top, r.bottom, area->top, area->bottom});
        }
        const CViewportRecord& view = GetCurrentViewport();
        const POINT a = view.WorldToDevice(CRealPoint(m_redrawRect.left, m_redrawRect.top));
        const POINT b = view.WorldToDevice(CRealPoint(m_redrawRect.right, m_redrawRect.bottom));
        const RECT dirty = {std::min(a.x, b.x) - kRedrawMargin, std::min(a.y, b.y) - kRedrawMargin,
                            std::max(a.x, b.x) + kRedrawMargin, std::max(a.y, b.y) + kRedrawMargin};
        RedrawWindow(m_hWnd, frame ? nullptr : &dirty, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | frame);
        return;
    }
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | frame);
}

// ---- draft limits ----

void CYVEXControl::GrowDraftLimits(int id, bool isPoint)
{
    if (GetControlFlags() & controlLockLimits)
        return;
    const CRealRect old = GetSiteRecord().GetDraftLimits();
    // The host may keep its limits: the old rectangle comes back.
    if (GetSiteRecord().GrowDraftLimits(id, isPoint) && EventsEnabled() && !FireEditSite(GetSiteId()))
        GetSiteRecord().SetDraftLimits(old);
    SetRanges();
}
