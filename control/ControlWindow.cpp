// The control's window: its message handlers, its rulers, and the paint routine that composes
// the drawing in the off-screen buffer.
#include "control/YVEXControl.h"
#include "persistence/MessengerReceiver.h"
#include "control/AtlHosting.h"
#include "model/BrushCache.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/Group.h"
#include "model/HighlightGroup.h"
#include "model/PenCache.h"
#include "persistence/DrawingSettingRecord.h"
#include "persistence/SiteOperationRecord.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Device units on a context for the duration of a pixel operation: its mapping mode goes to
// MM_TEXT and its state comes back. The state is saved and restored rather than the mapping set
// again: setting a metric mapping asks the display for its size, a restore copies the saved one.
class DeviceUnits
{
public:
    explicit DeviceUnits(HDC dc) : m_dc(dc && GetMapMode(dc) != MM_TEXT ? dc : nullptr), m_state(0)
    {
        if (m_dc && (m_state = SaveDC(m_dc)) > 0)
            SetMapMode(m_dc, MM_TEXT);
    }
    DeviceUnits(const DeviceUnits&) = delete;
    DeviceUnits& operator=(const DeviceUnits&) = delete;
    ~DeviceUnits()
    {
        if (m_dc && m_state > 0)
            RestoreDC(m_dc, m_state);
    }

private:
    HDC m_dc;
    int m_state;
};

bool IsMetafileContext(HDC dc)
{
    const DWORD type = GetObjectType(dc);
    return type == OBJ_ENHMETADC || type == OBJ_METADC;
}

// The value a limit takes when it is not a number.
float NumberOrZero(float v) { return std::isnan(v) ? 0.0f : v; }

void DestroyChild(HWND& window)
{
    if (window && window != reinterpret_cast<HWND>(-1) && IsWindow(window))
        DestroyWindow(window);
    window = nullptr;
}

} // namespace

void CYVEXControl::SetModified(bool on)
{
    CControlCore::SetModified(on);
    SetDirtyState(on);
}

// ---- painting ----

void CYVEXControl::CopyPixels(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY)
{
    if (!target || !source || width <= 0 || height <= 0)
        return;
    DeviceUnits targetUnits(target);
    DeviceUnits sourceUnits(source);
    BitBlt(target, x, y, width, height, source, sourceX, sourceY, SRCCOPY);
}

void CYVEXControl::DrawOutsideDraftArea(HDC dc, const RECT& bounds)
{
    CGroup* root = GetRootGroup();
    if (!dc || !root || root->GetId() != BASE_ID)
        return;
    const CRealRect draft = GetSiteRecord().GetDraftLimits();
    const RECT limits = GetCurrentViewport().WorldToDeviceRect(CRealRect(
        NumberOrZero(draft.left), NumberOrZero(draft.top), NumberOrZero(draft.right), NumberOrZero(draft.bottom)));
    LOGBRUSH grey = {BS_SOLID, 0xB4B4B4, 0};
    int brushId = 0;
    HBRUSH brush = GetBrushCache().Acquire(grey, &brushId, true);
    if (!brush)
        return;
    {
        DeviceUnits units(dc);
        RECT inside;
        // WorldToDeviceRect gives the last pixel of the limits on the right and at the bottom.
        const RECT limitsExclusive = {limits.left, limits.top, limits.right + 1, limits.bottom + 1};
        if (!IntersectRect(&inside, &bounds, &limitsExclusive)) {
            FillRect(dc, &bounds, brush);
        } else {
            // Up to four bands between the bounds and the limits, each reaching past the bounds
            // and into its neighbouring bands so that no seam is left.
            const int reach = 4;
            const RECT bands[4] = {
                {bounds.left - reach, bounds.top - reach, bounds.right + reach, inside.top},
                {bounds.left - reach, inside.bottom, bounds.right + reach, bounds.bottom + reach},
                {bounds.left - reach, inside.top - reach, inside.left, inside.bottom + reach},
                {inside.right, inside.top - reach, bounds.right + reach, inside.bottom + reach},
            };
            const bool present[4] = {inside.top > bounds.top, inside.bottom < bounds.bottom,
                                     inside.left > bounds.left, inside.right < bounds.right};
            for (int i = 0; i < 4; ++i)
                if (present[i])
                    FillRect(dc, &bands[i], brush);
        }
    }
    GetBrushCache().Release(brushId);
}

void CYVEXControl::DrawGrid(HDC dc)
{
    CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    CGroup* root = GetRootGroup();
    if (!dc || !setting || !setting->ShowGrid || !root)
        return;
    const CViewportRecord& view = GetCurrentViewport();
    const double sx = std::fabs(static_cast<double>(setting->GridXSpace));
    const double sy = std::fabs(static_cast<double>(setting->GridYSpace));
    // A dense grid would cost a pixel loop over the whole window and show nothing.
    if (!(view.WorldToPixelsX(sx) > 15.0) || !(view.WorldToPixelsY(sy) > 15.0))
        return;

    // The area: the draft limits, or the block being edited.
    CRealRect area;
    const bool editingBlock = root->GetParent() && root->GetParent() == GetLibraryGroup();
    if (editingBlock) {
        if (FAILED(root->GetBoundingRect(&area.left, &area.top, &area.right, &area.bottom)))
            return;
    } else {
        const CRealRect draft = GetSiteRecord().GetDraftLimits();
        area = CRealRect(NumberOrZero(draft.left), NumberOrZero(draft.top), NumberOrZero(draft.right),
                         NumberOrZero(draft.bottom));
    }
    const CWorldRect visible = view.GetWorldRect();
    const double left = std::max<double>(std::min(area.left, area.right), std::min(visible.left, visible.right));
    const double right = std::min<double>(std::max(area.left, area.right), std::max(visible.left, visible.right));
    const double bottom = std::max<double>(std::min(area.top, area.bottom), std::min(visible.top, visible.bottom));
    const double top = std::min<double>(std::max(area.top, area.bottom), std::max(visible.top, visible.bottom));

    DeviceUnits units(dc);
    if (left <= right && bottom <= top) {
        // The first grid line at or just below each lower edge, from the snap base.
        auto firstLine = [](double edge, double base, double spacing) {
            double r = std::fmod(edge - base, spacing);
            if (r < 0.0)
                r += spacing;
            return edge - r;
        };
        double x0 = firstLine(left, setting->SnapBaseX, sx);
        double y0 = firstLine(bottom, setting->SnapBaseY, sy);
        if (x0 < left)
            x0 += sx;
        if (y0 < bottom)
            y0 += sy;
        const int width = m_buffer.GetWidth();
        const int height = m_buffer.GetHeight();
        std::vector<POINT> points;
        RECT span = {width, height, 0, 0};
        for (double y = y0; y <= top; y += sy) {
            for (double x = x0; x <= right; x += sx) {
                const POINT p = view.WorldToDevice(CRealPoint(static_cast<float>(x), static_cast<float>(y)));
                if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height)
                    continue;
                points.push_back(p);
                span = {std::min(span.left, p.x), std::min(span.top, p.y), std::max<LONG>(span.right, p.x + 1),
                        std::max<LONG>(span.bottom, p.y + 1)};
            }
        }
        // A grid point shows on any background: grey stays, black turns cyan, the rest turns
        // black.
        auto mark = [](COLORREF under, COLORREF* to) {
            if (under == 0x808080)
                return false;
            *to = under == 0x000000 ? 0xFFFF00 : 0x000000;
            return true;
        };
        // The pixels under the points are read and written in one copy of the span they cover: a
        // GetPixel and a SetPixel a point cost a call into the graphics system each, tens of
        // milliseconds for a window's grid.
        const int spanWidth = span.right - span.left, spanHeight = span.bottom - span.top;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = spanWidth;
        info.bmiHeader.biHeight = -spanHeight; // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP copy = points.empty() ? nullptr : CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC copyDc = copy ? CreateCompatibleDC(dc) : nullptr;
        if (copyDc && bits) {
            HGDIOBJ old = SelectObject(copyDc, copy);
            BitBlt(copyDc, 0, 0, spanWidth, spanHeight, dc, span.left, span.top, SRCCOPY);
            GdiFlush();
            auto* pixels = static_cast<DWORD*>(bits);
            for (const POINT& p : points) {
                // A row of the section holds 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
                DWORD& pixel = pixels[static_cast<size_t>(p.y - span.top) * spanWidth + (p.x - span.left)];
                COLORREF to;
                if (mark(RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF), &to))
                    pixel = (static_cast<DWORD>(GetRValue(to)) << 16) | (static_cast<DWORD>(GetGValue(to)) << 8) |
                            GetBValue(to);
            }
            BitBlt(dc, span.left, span.top, spanWidth, spanHeight, copyDc, 0, 0, SRCCOPY);
            SelectObject(copyDc, old);
        } else {
            for (const POINT& p : points) {
                COLORREF to;
                if (mark(GetPixel(dc, p.x, p.y), &to))
                    SetPixel(dc, p.x, p.y, to);
            }
        }
        if (copyDc)
            DeleteDC(copyDc);
        if (copy)
            DeleteObject(copy);
    }
    if (editingBlock) {
        // The block's origin.
        const POINT o = view.WorldToDevice(CRealPoint(0.0f, 0.0f));
        HPEN pen = GetPenCache().GetPen(2, 0x000000, 0, 1.0, false);
        ycom::SelectGuard selected(dc, pen);
        MoveToEx(dc, 0, o.y, nullptr);
        LineTo(dc, m_buffer.GetWidth(), o.y);
        MoveToEx(dc, o.x, 0, nullptr);
        LineTo(dc, o.x, m_buffer.GetHeight());
    }
}

void CYVEXControl::DrawMarksLayer(HDC dc, CShape* edited)
{
    CDrawContext marks;
    marks.dc = dc;
    marks.flags = CDrawContext::dcMarks;
    marks.markColour = 0xFF0000;
    marks.view = &GetCurrentViewport();
    if (CGroup* selection = GetSelectionGroup())
        selection->Draw(marks);
    if (edited) {
        CDrawContext normal;
        normal.dc = dc;
        normal.sizeCheck = true;
        normal.view = &GetCurrentViewport();
        edited->DrawInContext(normal);
    }
    CHighlightGroup* highlights = GetHighlightGroup();
    if (highlights && highlights->GetShapeCount() > 0) {
        CDrawContext normal;
        normal.dc = dc;
        normal.view = &GetCurrentViewport();
        highlights->Draw(normal);
    }
}

HRESULT CYVEXControl::OnDraw(HDC dc, const RECT& bounds)
{
    if (!dc)
        return E_INVALIDARG;
    m_paintBounds = bounds;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    RECT clip;
    if (GetClipBox(dc, &clip) <= NULLREGION || IsRectEmpty(&clip))
        clip = bounds;
    if (!IntersectRect(&clip, &clip, &bounds))
        clip = bounds;
    const bool redrawEnabled = !(GetControlFlags() & controlDisableRedraw);
    CViewportRecord& view = GetCurrentViewport();
    CShape* single = redrawEnabled ? GetRedrawTarget() : nullptr;

    // The world area drawn: the bounds, or the single shape's own rectangle.
    const CRealPointD topLeft = view.DeviceToWorld(0.0, 0.0);
    const CRealPointD bottomRight = view.DeviceToWorld(width, height);
    m_drawArea = CRealRect(static_cast<float>(topLeft.x), static_cast<float>(topLeft.y),
                           static_cast<float>(bottomRight.x), static_cast<float>(bottomRight.y));
    if (single) {
        CRealRect own;
        if (SUCCEEDED(single->GetBoundingRect(&own.left, &own.top, &own.right, &own.bottom)))
            m_drawArea = own;
    }

    const int saved = SaveDC(dc);
    SetGraphicsMode(dc, GM_ADVANCED);
    SetArcDirection(dc, AD_CLOCKWISE);
    SetStretchBltMode(dc, HALFTONE);
    SetMiterLimit(dc, 100.0f, nullptr);
    const bool metafile = IsMetafileContext(dc);
    const DWORD pending = GetPendingRedraw();
    const bool bufferCurrent = (pending & rfCopyBuf) && m_buffer.GetBaseDC() && m_buffer.GetWidth() == width &&
                               m_buffer.GetHeight() == height;

    if (!bufferCurrent) {
        if (!redrawEnabled) {
            RestoreDC(dc, saved);
            return S_FALSE;
        }
        if (!single || !m_buffer.GetBaseDC() || m_buffer.GetWidth() != width || m_buffer.GetHeight() != height) {
            // A metafile cannot be the reference of compatible bitmaps: the screen is.
            if (metafile) {
                ycom::WindowDC screen(GetDC(nullptr));
                m_buffer.Create(screen.Get(), RECT{0, 0, width, height});
            } else {
                m_buffer.Prepare(dc, RECT{0, 0, width, height});
            }
        }
        HDC base = m_buffer.GetBaseDC();
        CGroup* root = GetRootGroup();
        CEditState& edit = GetEditState();
        if (root && pending != 0) {
            // The edited shape shows on the marks layer, not in the drawing below it.
            CShape* edited = edit.editedShape;
            const bool hadNoExtents = edited && (edited->GetState() & CShape::stNoExtents);
            if (edited)
                edited->SetNoExtents(true);
            if (!metafile)
                DrawOutsideDraftArea(base, RECT{0, 0, width, height});
            if (IsIdle()) {
                CDrawContext context;
                context.dc = base;
                context.sizeCheck = true;
                context.view = &view;
                root->DrawInContext(context);
                root->DrawOverlay(context);
            }
            if (edited && FindShape(edited->GetId()) == edited)
                edited->SetNoExtents(hadNoExtents);
        }
        if (single && (pending & rfRedrawShape) && IsIdle()) {
            CDrawContext context;
            context.dc = base;
            context.sizeCheck = true;
            context.view = &view;
            single->DrawInContext(context);
        }
        if (pending & rfRedrawShape)
            ForgetRedrawTarget();
        SetPendingRedraw(rfCopyBuf | rfCopyMarkers);
        DrawGrid(base);
        m_buffer.CopyBaseToComposite();
        if (IsIdle()) {
            DrawMarksLayer(m_buffer.GetCompositeDC(), m_traceEdit ? edit.editedShape : nullptr);
            DrawEditCursor(m_buffer.GetCompositeDC());
        }
        CopyPixels(dc, bounds.left, bounds.top, width, height, m_buffer.GetCompositeDC(), 0, 0);
    } else if (m_hWnd) {
        const RECT local = {clip.left - bounds.left, clip.top - bounds.top, clip.right - bounds.left,
                            clip.bottom - bounds.top};
        if (redrawEnabled) {
            bool whole = (pending & rfRedrawSelection) != 0;
            // The single shape is drawn only while no long operation runs, as the full path does.
            if ((pending & rfRedrawShape) && single && IsIdle()) {
                CDrawContext context;
                context.dc = m_buffer.GetBaseDC();
                context.sizeCheck = true;
                context.view = &view;
                single->DrawInContext(context);
                whole = true;
            }
            if (pending & rfRedrawShape)
                ForgetRedrawTarget();
            if (whole)
                m_buffer.CopyBaseToComposite();
            else
                CopyPixels(m_buffer.GetCompositeDC(), local.left, local.top, local.right - local.left,
                           local.bottom - local.top, m_buffer.GetBaseDC(), local.left, local.top);
            if (IsIdle()) {
                DrawMarksLayer(m_buffer.GetCompositeDC(), m_traceEdit ? GetEditState().editedShape : nullptr);
                DrawEditCursor(m_buffer.GetCompositeDC());
            }
        }
        CopyPixels(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, m_buffer.GetCompositeDC(),
                   local.left, local.top);
        SetPendingRedraw(rfCopyBuf | rfCopyMarkers);
    } else {
        // A container asks for a picture: the one composed last.
        if (m_buffer.GetCompositeDC())
            CopyPixels(dc, bounds.left, bounds.top, width, height, m_buffer.GetCompositeDC(), 0, 0);
        SetPendingRedraw(rfCopyBuf | rfCopyMarkers);
    }
    RestoreDC(dc, saved);
    GdiFlush();
    return S_OK;
}

// ---- rulers ----

BOOL CYVEXControl::CreateRulers()
{
    const CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    const DWORD style = WS_CHILD | (setting && setting->ShowRulers ? WS_VISIBLE : 0);
    HWND parent = m_hWnd;
    RECT client = {};
    if (parent)
        GetClientRect(parent, &client);
    const HINSTANCE instance = ycom::TheModule().Instance();
    auto failed = [] {
        // The system's text of the failure is fetched and dropped: the retry timer follows.
        char* text = nullptr;
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, GetLastError(), 0, reinterpret_cast<char*>(&text), 0, nullptr);
        LocalFree(text);
        return FALSE;
    };
    // A ruler made by an earlier attempt stays.
    if (!m_horizontalRuler) {
        m_horizontalRuler = CreateWindowExA(0, "AtlAxWin", "YVEX.Ruler", style, kRulerOffset, 0,
                                            client.right - kRulerOffset, kRulerThickness, parent,
                                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHorizontalRulerId)), instance,
                                            nullptr);
        if (!m_horizontalRuler)
            return failed();
    }
    if (!m_verticalRuler) {
        // Both rulers reach the far edge of the client area.
        m_verticalRuler = CreateWindowExA(0, "AtlAxWin", "YVEX.Ruler", style, 0, kRulerOffset, kRulerThickness,
                                          client.bottom - kRulerOffset, parent,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kVerticalRulerId)), instance,
                                          nullptr);
        if (!m_verticalRuler)
            return failed();
    }
    m_corner.Create(parent, RECT{0, 0, kRulerOffset, kRulerOffset}, style);
    const struct {
        HWND window;
        bool horizontal;
    } rulers[] = {{m_verticalRuler, false}, {m_horizontalRuler, true}};
    for (const auto& ruler : rulers) {
        ycom::ComPtr<IUnknown> hosted;
        ycom::ComPtr<IRuler> info;
        if (SUCCEEDED(GetHostedControl(ruler.window, hosted.Put())) && hosted &&
            SUCCEEDED(hosted->QueryInterface(IID_IRuler, info.PutVoid()))) {
            if (!ruler.horizontal)
                info->put_HorzAligned(VARIANT_FALSE);
            info->SetRulerInfo(0.0, 100.0, 5, 5, ruler.horizontal ? VARIANT_TRUE : VARIANT_FALSE, VARIANT_FALSE);
        }
    }
    return TRUE;
}

// The Ruler control hosted in a ruler window, or null.
static ycom::ComPtr<IRuler> HostedRuler(HWND window)
{
    ycom::ComPtr<IUnknown> hosted;
    ycom::ComPtr<IRuler> ruler;
    if (window && window != reinterpret_cast<HWND>(-1) && IsWindow(window) &&
        SUCCEEDED(GetHostedControl(window, hosted.Put())) && hosted)
        hosted->QueryInterface(IID_IRuler, ruler.PutVoid());
    return ruler;
}

void CYVEXControl::UpdateRulers(int selector, bool repaint)
{
    const CWorldRect visible = GetCurrentViewport().GetWorldRect();
    const struct {
        HWND window;
        bool wanted;
        double low, high;
    } rulers[] = {
        {m_horizontalRuler, selector == 0 || selector == 1, visible.left, visible.right},
        {m_verticalRuler, selector == 0 || selector == 2, visible.bottom, visible.top},
    };
    for (const auto& r : rulers) {
        if (!r.wanted || !r.window || r.window == reinterpret_cast<HWND>(-1) || !IsWindowVisible(r.window))
            continue;
        if (ycom::ComPtr<IRuler> ruler = HostedRuler(r.window))
            ruler->SetRulerLimits(r.low, r.high);
        if (repaint)
            InvalidateRect(r.window, nullptr, TRUE);
    }
}

void CYVEXControl::ShowPointerOnRulers(const CRealPoint& world)
{
    const struct {
        HWND window;
        double position;
    } rulers[] = {{m_horizontalRuler, world.x}, {m_verticalRuler, world.y}};
    for (const auto& r : rulers) {
        if (!r.window || r.window == reinterpret_cast<HWND>(-1) || !IsWindowVisible(r.window))
            continue;
        if (ycom::ComPtr<IRuler> ruler = HostedRuler(r.window))
            ruler->put_CursorPosition(r.position);
    }
}

void CYVEXControl::MoveRulers(int width, int height)
{
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    const struct {
        HWND window;
        RECT place;
    } rulers[] = {
        {m_horizontalRuler, {kRulerOffset, 0, width, kRulerThickness}},
        {m_verticalRuler, {0, kRulerOffset, kRulerThickness, height}},
    };
    for (const auto& r : rulers) {
        if (!r.window || r.window == reinterpret_cast<HWND>(-1))
            continue;
        // A ruler already in its place is left alone: moving a hosted window to where it is
        // still makes its container ask the display and the system for its frame.
        RECT now = {};
        POINT corners[2] = {};
        if (m_hWnd && GetWindowRect(r.window, &now)) {
            corners[0] = POINT{now.left, now.top};
            corners[1] = POINT{now.right, now.bottom};
            if (ScreenToClient(m_hWnd, &corners[0]) && ScreenToClient(m_hWnd, &corners[1]) &&
                corners[0].x == r.place.left && corners[0].y == r.place.top && corners[1].x == r.place.right &&
                corners[1].y == r.place.bottom)
                continue;
        }
        SetWindowPos(r.window, nullptr, r.place.left, r.place.top, r.place.right - r.place.left,
                     r.place.bottom - r.place.top, flags);
    }
}

void CYVEXControl::ShowRulerWindows(bool show)
{
    for (HWND ruler : {m_horizontalRuler, m_verticalRuler})
        if (ruler && ruler != reinterpret_cast<HWND>(-1))
            ShowWindow(ruler, show ? SW_SHOWNA : SW_HIDE);
    if (HWND corner = m_corner.GetHandle())
        ShowWindow(corner, show ? SW_SHOWNA : SW_HIDE);
}

void CYVEXControl::RecalcViewportsForClient()
{
    if (!m_hWnd)
        return;
    RECT client;
    GetClientRect(m_hWnd, &client);
    GetViewportList().RecalcForClient(SIZE{client.right - client.left, client.bottom - client.top});
}

// ---- progress and deferred messages ----

void CYVEXControl::SendProgress(CYVEXControl* control, int percentage)
{
    if (control && control->m_hWnd)
        SendMessageA(control->m_hWnd, kProgressMessage, static_cast<WPARAM>(static_cast<SHORT>(percentage)), 0);
}

void CYVEXControl::SendScaledProgress(CYVEXControl* control, int percentage)
{
    if (control && control->m_hasProgressScale)
        percentage = static_cast<int>(percentage * control->m_progressFactor * 0.01 + control->m_progressOffset);
    SendProgress(control, percentage);
}

void CYVEXControl::SetProgressScale(double factor, double offset)
{
    m_progressFactor = factor;
    m_progressOffset = offset;
    m_hasProgressScale = true;
}

void CYVEXControl::PostReopenOptions(CYVEXControl* control)
{
    if (control && control->m_hWnd)
        PostMessageA(control->m_hWnd, kReopenOptionsMessage, 0, 0);
}

// ---- message handlers ----

LRESULT CYVEXControl::HandleCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    const LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    const LONG_PTR wanted = WS_HSCROLL | WS_VSCROLL | 0x8;
    if ((style & wanted) != wanted) {
        SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | wanted);
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowScrollBar(m_hWnd, SB_BOTH, TRUE);
    if (m_siteSettingsApplied) {
        if (CGroup* root = FindGroup(BASE_ID))
            root->SetVisible(true);
        RecalcViewportsForClient();
        Refresh();
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    } else {
        GetCurrentViewport().zoom = 3.0;
    }
    InitControlHosting();
    if (!CreateRulers())
        SetTimer(m_hWnd, kRulerTimer, 100, nullptr);
    // Every cursor is chosen by WM_SETCURSOR.
    SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, 0);
    return 0;
}

LRESULT CYVEXControl::HandleSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (GetControlFlags() & controlDisableRedraw) {
        handled = FALSE;
        return 0;
    }
    if (m_hWnd)
        MoveRulers(LOWORD(lParam), HIWORD(lParam));
    else
        handled = FALSE;
    SetPendingRedraw(rfRedrawAll);
    RecalcViewportsForClient();
    BOOL scrollHandled = TRUE;
    return OnSize(msg, wParam, lParam, scrollHandled);
}

LRESULT CYVEXControl::HandleVScroll(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (GetControlFlags() & controlDisableRedraw)
        return 0;
    SetPendingRedraw(rfRedrawAll);
    GetViewportList().RememberView(GetCurrentViewport(), 5);
    return OnVScroll(msg, wParam, lParam, handled);
}

LRESULT CYVEXControl::HandleHScroll(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (GetControlFlags() & controlDisableRedraw)
        return 0;
    SetPendingRedraw(rfRedrawAll);
    GetViewportList().RememberView(GetCurrentViewport(), 5);
    return OnHScroll(msg, wParam, lParam, handled);
}

LRESULT CYVEXControl::HandleEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&)
{
    // The control's own background is never erased: the paint routine covers it.
    for (HWND child : {m_horizontalRuler, m_verticalRuler, m_blockButton, m_corner.GetHandle()})
        if (child && child != reinterpret_cast<HWND>(-1) && IsWindow(child) && IsWindowVisible(child))
            InvalidateRect(child, nullptr, FALSE);
    return 0;
}

LRESULT CYVEXControl::HandleDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    DestroyChild(m_blockButton);
    DestroyChild(m_blockTooltip);
    // The children go with the window; their handles must not outlive it.
    m_corner.Destroy();
    m_horizontalRuler = nullptr;
    m_verticalRuler = nullptr;
    // The properties window is owned by the control's window: it closes first (saving its place
    // and letting go of its shape objects, which hold the control).
    if (HWND properties = GetPropertiesWindow())
        SendMessageA(properties, WM_CLOSE, 0, 0);
    KillTimer(m_hWnd, kRulerTimer);
    KillTimer(m_hWnd, kRedrawTimer);
    // Changes of other sessions that were delivered to the window and never taken go with it (a
    // later window of the same handle must not find them).
    CMessengerReceiver::TakeForWindow(m_hWnd);
    handled = FALSE;
    return 0;
}

LRESULT CYVEXControl::HandleDisplayChange(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (wParam == 0 || !m_hWnd)
        return 0;
    ycom::WindowDC dc(GetDC(m_hWnd));
    if (!dc.Get())
        return 0;
    const int horzSize10 = GetDeviceCaps(dc.Get(), HORZSIZE) * 10;
    const int vertSize10 = GetDeviceCaps(dc.Get(), VERTSIZE) * 10;
    const int horzRes = GetDeviceCaps(dc.Get(), HORZRES);
    const int vertRes = GetDeviceCaps(dc.Get(), VERTRES);
    if (horzSize10 <= 0 || vertSize10 <= 0 || horzRes <= 0 || vertRes <= 0)
        return 0;
    RECT client;
    GetClientRect(m_hWnd, &client);
    CViewportList& list = GetViewportList();
    for (int i = 0; i < list.GetCount(); ++i) {
        CViewportRecord* record = list.GetAt(i);
        record->horzSize10 = horzSize10;
        record->vertSize10 = vertSize10;
        record->horzRes = horzRes;
        record->vertRes = vertRes;
        record->SetClientSize(SIZE{client.right, client.bottom}, false);
    }
    return 0;
}

LRESULT CYVEXControl::HandleActivate(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT CYVEXControl::HandleSetFocus(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT CYVEXControl::HandleKillFocus(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT CYVEXControl::HandleSwallow(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT CYVEXControl::HandleInPlaceEditDone(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    // Without an edit in progress there is nothing to end.
    CShape* edited = GetEditState().editedShape;
    if (wParam && edited)
        edited->EndEdit(lParam == 1);
    return 0;
}

LRESULT CYVEXControl::HandleCurrentLayerChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    // The open Options pages that show the current layer keep their mark in step.
    if (m_optionsSheet) {
        for (HWND page : {m_optionsSheet->GetLayersPageWindow(), m_optionsSheet->GetDrawingSettingsPageWindow()})
            if (page && IsWindow(page))
                PostMessageW(page, msg, wParam, lParam);
    }
    if (EventsEnabled())
        RestartRedrawTimer(0);
    return 0;
}

LRESULT CYVEXControl::HandleProgressMessage(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    // A database load has the events off for its own sake, not the host's.
    if (!EventsEnabled() && HostHearsLoadProgress())
        ForceNextEvent();
    FireProgress(static_cast<SHORT>(LOWORD(wParam)));
    return 0;
}

LRESULT CYVEXControl::HandleSitePersistNotify(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const auto* record = reinterpret_cast<const CSiteOperationRecord*>(lParam);
    if (record) {
        const bool result = record->result != 0;
        switch (wParam) {
        case kStageBeginLoad:
            FireBeginLoadSite(record->storageType, record->name, record->siteId, record->proceed);
            break;
        case kStageEndLoad:
            FireEndLoadSite(result);
            FireEndLoadSiteWithID(result, record->storageType, record->name, record->siteId);
            break;
        case kStageBeginSave:
            FireBeginSaveSite(record->storageType, record->name, record->siteId, record->proceed);
            break;
        case kStageEndSave:
            // A failed save leaves the drawing as unsaved as it was, and so does a copy of it into
            // a database file.
            if (result && !IsSavingIntoFile()) {
                SetModified(false);
                RearmMessageReceiving();
            }
            FireEndSaveSite(result);
            FireEndSaveSiteWithID(result, record->storageType, record->name, record->siteId);
            break;
        case kStageBeginDelete:
            FireBeginDeleteSite(record->siteId, record->proceed);
            break;
        case kStageEndDelete:
            FireEndDeleteSite(result);
            FireEndDeleteSiteWithID(record->siteId, result, record->storageType, record->name);
            break;
        default:
            break;
        }
    }
    if (EventsEnabled())
        RestartRedrawTimer(0);
    return 0;
}

// The Options sheet asked to be shown again (after block editing that it started ends).
LRESULT CYVEXControl::HandleReopenOptions(UINT, WPARAM, LPARAM, BOOL&)
{
    ShowOptionsSheet();
    return 0;
}

// A drawing load asked for from within the control's own message handling: the file name (an
// ANSI text that the sender keeps alive until the message returns) in lParam.
LRESULT CYVEXControl::HandleDeferredSiteTransfer(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const char* fileName = reinterpret_cast<const char*>(lParam);
    if (fileName && *fileName)
        StartTransferOperation(nullptr, fileName, DXFMODE_LOAD, 0);
    return 0;
}

void CYVEXControl::OnProgress(long percent) { SendProgress(this, static_cast<int>(percent)); }

void CYVEXControl::AnnounceStage(int stage, CSiteOperationRecord& record)
{
    if (m_hWnd && IsWindow(m_hWnd))
        SendMessageA(m_hWnd, kSitePersistMessage, static_cast<WPARAM>(stage), reinterpret_cast<LPARAM>(&record));
}

void CYVEXControl::SetEditCursor(int resourceId)
{
    // Shared: the system owns the cursor and hands the same one out again.
    m_editCursor = static_cast<HCURSOR>(LoadImageW(ycom::TheModule().Instance(), MAKEINTRESOURCEW(resourceId),
                                                   IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}
