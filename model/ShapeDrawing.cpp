// The drawing frame every shape shares: the pre-draw test, the clip pass, the hatch fill, the hit
// tests, the selection marks and the pen selection. The kinds draw their own geometry (Draw) in
// the logical units of the draw context (0.1 mm, y up); hit tests take device pixels.
#include "model/Shape.h"
#include "model/BrushCache.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/Group.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
#include "model/LinkToken.h"
#include "model/PenCache.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeStateMap.h"
#include "model/ViewMapping.h"
#include "persistence/DrawingSettingRecord.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {
// Below this device extent (both directions) a shape is drawn as a simplified figure when the
// control asks for the size check; below the second it is not drawn at all.
const int kSimplifyBelowPixels = 15;
const int kDropBelowPixels = 3;
// Half the side of a selection mark, and the distance within which a handle shares the mark of
// the previous one (device pixels).
const int kMarkHalfPixels = 9;
const int kMarkMergePixels = 5;
// Handles of a shape smaller than this (both directions) collapse into one central mark.
const int kMarkCollapsePixels = 36;

bool IsPolylineFamily(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }

POINT ToPoint(const CRealPointD& p) { return POINT{DoubleToIntClamped(p.x), DoubleToIntClamped(p.y)}; }

// What the context shows, in world coordinates: its clip box through the view; the fallback when
// the context tells none. A metafile being recorded has no bounds of its own (its clip box is
// its reference device's): everything is kept.
CRealRect VisibleWorldRect(HDC dc, const CViewMapping& view, const CRealRect& fallback)
{
    RECT box;
    const double s = view.GetScaleFactor();
    const DWORD type = GetObjectType(dc);
    if (type == OBJ_ENHMETADC || type == OBJ_METADC)
        return fallback;
    if (s == 0.0 || GetClipBox(dc, &box) == ERROR || box.left >= box.right || box.top == box.bottom)
        return fallback;
    const double left = (box.left - view.origin.x) / s, right = (box.right - view.origin.x) / s;
    const double y1 = (box.top - view.origin.y) / s, y2 = (box.bottom - view.origin.y) / s;
    return CRealRect(static_cast<float>(left), static_cast<float>(std::max(y1, y2)), static_cast<float>(right),
                     static_cast<float>(std::min(y1, y2)));
}

// The hit-test modes of a screen context, restored on scope exit.
class HitModes
{
public:
    explicit HitModes(HDC dc)
        : m_dc(dc), m_graphics(SetGraphicsMode(dc, GM_ADVANCED)), m_arc(SetArcDirection(dc, AD_CLOCKWISE)),
          m_map(SetMapMode(dc, MM_LOMETRIC))
    {
    }
    ~HitModes()
    {
        SetMapMode(m_dc, m_map);
        SetArcDirection(m_dc, m_arc);
        SetGraphicsMode(m_dc, m_graphics);
    }
    HitModes(const HitModes&) = delete;
    HitModes& operator=(const HitModes&) = delete;

private:
    HDC m_dc;
    int m_graphics, m_arc, m_map;
};

// A square mark of the given half size about a logical centre, as a closed polyline.
void DrawSquareMark(HDC dc, const CRealPointD& centre, double halfX, double halfY)
{
    POINT p[5];
    p[0] = ToPoint(CRealPointD(centre.x - halfX, centre.y - halfY));
    p[1] = ToPoint(CRealPointD(centre.x + halfX, centre.y - halfY));
    p[2] = ToPoint(CRealPointD(centre.x + halfX, centre.y + halfY));
    p[3] = ToPoint(CRealPointD(centre.x - halfX, centre.y + halfY));
    p[4] = p[0];
    Polyline(dc, p, 5);
}
} // namespace

// --- Pre-draw test and the per-shape draw ----------------------------------------------------

const CViewMapping& CShape::ViewOf(const CDrawContext& context) const
{
    return context.view ? *context.view : m_control->GetCurrentViewport();
}

bool CShape::PreDrawTest(CDrawContext& context)
{
    if ((m_databaseId != 0 && (m_state & stHiddenWhenStored)) || (m_state & stNoExtents) || !IsVisible())
        return false;
    HDC dc = context.dc;
    bool simplified = false;
    CRealRect extent;
    SIZE deviceSize = {0, 0};
    if (m_control && IsEditTarget() == 1) {
        CEditState& edit = m_control->GetEditState();
        if (edit.editMode == EDSH_NEWPOINT) {
            const int picked = m_control->GetShapeStateMap().GetValue(m_id);
            if ((picked == -1 || picked == 0) && m_points.IsEmpty())
                return false;
        } else if ((edit.editMode == EDSH_MOVE || edit.editMode == EDSH_ROTATE || edit.editMode == EDSH_SCALE) &&
                   edit.dragActive && dc) {
            // The rubber line from where the drag started to the mouse.
            const CViewMapping& view = ViewOf(context);
            HPEN pen = m_control->GetPenCache().GetPen(1, 0x000000, 0, 1.0, false);
            ycom::SelectGuard selected(dc, pen);
            const COLORREF oldBack = SetBkColor(dc, 0xFFFFFF);
            const POINT a = ToPoint(view.WorldToLogical(edit.dragStart.x, edit.dragStart.y));
            const POINT b = ToPoint(view.WorldToLogical(edit.mousePosition.x, edit.mousePosition.y));
            MoveToEx(dc, a.x, a.y, nullptr);
            LineTo(dc, b.x, b.y);
            SetBkColor(dc, oldBack);
        }
    } else if (context.sizeCheck && m_control) {
        if (context.extentOf == this)
            extent = CRealRect(context.extentLeft, context.extentTop, context.extentRight, context.extentBottom);
        else if (FAILED(GetBoundingRect(&extent.left, &extent.top, &extent.right, &extent.bottom)))
            return false;
        WorldToDeviceSize(&deviceSize, extent.right - extent.left, extent.top - extent.bottom);
        if (deviceSize.cx < kSimplifyBelowPixels && deviceSize.cy < kSimplifyBelowPixels) {
            if (deviceSize.cx < kDropBelowPixels && deviceSize.cy < kDropBelowPixels)
                return false;
            if (m_shapeType != stLine && dc) {
                simplified = true;
                const RECT r = ViewOf(context).WorldToLogicalRect(extent);
                HPEN previous = nullptr;
                COLORREF colour = 0;
                SelectDrawPen(context, &previous, &colour);
                const bool groupOrReference = m_shapeType == stGroup || m_shapeType == stReference;
                if (m_shapeType != stText && ((groupOrReference && GetTranslatedHatchPatternId() >= 1) || HasHatchFill())) {
                    CCachedBrush brush(&m_control->GetBrushCache(), TranslateHatchColor(m_hatchColor, this));
                    ycom::SelectGuard selected(dc, brush.Get());
                    Ellipse(dc, r.left, r.top, r.right, r.bottom);
                } else if (IsPolylineFamily(m_shapeType) || m_shapeType == stText) {
                    MoveToEx(dc, r.left, r.top, nullptr);
                    LineTo(dc, r.right, r.bottom);
                } else {
                    ycom::SelectGuard selected(dc, GetStockObject(NULL_BRUSH));
                    Ellipse(dc, r.left, r.top, r.right, r.bottom);
                }
                if (previous)
                    SelectObject(dc, previous);
            }
        }
    }
    if (context.flags & CDrawContext::dcMarks) {
        CGroup* group = m_id == SELECTION_ID ? static_cast<CGroup*>(this) : nullptr;
        if (group && group->GetShapeCount() > 0 && simplified) {
            // One mark over the whole selection.
            const CViewMapping& view = ViewOf(context);
            HPEN pen = m_control->GetPenCache().GetPen(2, ChooseMarkColour(context.markColour), 0, 1.0, false);
            ycom::SelectGuard selected(dc, pen);
            const CRealPointD centre =
                view.WorldToLogical((extent.left + extent.right) * 0.5, (extent.top + extent.bottom) * 0.5);
            DrawSquareMark(dc, centre, kMarkHalfPixels * view.LogicalPerPixelX(),
                           kMarkHalfPixels * view.LogicalPerPixelY());
        } else {
            DrawMarksIfSelected(context);
        }
    }
    return !simplified;
}

int CShape::DrawInContext(CDrawContext& context)
{
    if (!PreDrawTest(context) && !(m_control && m_control->GetEditedReference() == this))
        return 0;
    HDC dc = context.dc;
    bool inPath = false;
    if (m_shapeType != stGroup && m_shapeType != stReference && (context.flags & CDrawContext::dcClipPass)) {
        if ((context.flags & CDrawContext::dcFilledOnly) && !HasHatchFill())
            return 0;
        inPath = dc && BeginPath(dc);
    }
    if (!inPath)
        DrawHatch(context);
    const int drawn = Draw(context);
    if (inPath) {
        EndPath(dc);
        SelectClipPath(dc, RGN_OR);
    }
    if (!drawn)
        return 0;
    return DrawAttachments(context);
}

int CShape::DrawHatch(CDrawContext& context)
{
    if ((context.flags & CDrawContext::dcClipPass) || !HasHatchFill())
        return 1;
    if (context.flags & (CDrawContext::dcMarks | CDrawContext::dcNoFill))
        return 1;
    // A shape whose pattern the site does not hold is not filled.
    const int patternId = GetTranslatedHatchPatternId();
    m_hatchPattern = patternId >= 1 && m_control ? m_control->GetHatchPatternMap().Find(patternId) : nullptr;
    if (!m_hatchPattern)
        return 1;
    CRealRect bounds;
    if (FAILED(GetBoundingRect(&bounds.left, &bounds.top, &bounds.right, &bounds.bottom)))
        return 0;
    HDC dc = context.dc;
    if (!dc)
        return 1;
    const CViewMapping& view = ViewOf(context);
    const COLORREF colour = TranslateHatchColor(m_hatchColor, this);
    // The pattern fills what the context shows of the shape: the visible area is taken before
    // the outline becomes the clip region, and the caller's clip region is kept around it.
    const CRealRect visible = VisibleWorldRect(dc, view, bounds);
    ycom::Region callerClip(CreateRectRgn(0, 0, 0, 0));
    const bool clipped = callerClip && GetClipRgn(dc, callerClip.Get()) == 1;
    CDrawContext hatch = context;
    hatch.flags = (context.flags & (CDrawContext::dcNoFill | CDrawContext::dcHatchOption)) | 0x14;
    if (!BeginPath(dc))
        return 1;
    Draw(hatch);
    EndPath(dc);
    if (patternId == hpSolid) {
        CCachedBrush brush(&m_control->GetBrushCache(), colour);
        ycom::SelectGuard selected(dc, brush.Get());
        FillPath(dc);
        return 1;
    }
    SelectClipPath(dc, RGN_COPY);
    if (clipped)
        ExtSelectClipRgn(dc, callerClip.Get(), RGN_AND);
    m_hatchPattern->DrawPattern(dc, bounds, visible, m_hatchPatternScale, colour, m_control, FALSE,
                                (context.flags & CDrawContext::dcHatchOption) != 0, &view);
    SelectClipRgn(dc, clipped ? callerClip.Get() : nullptr);
    return 1;
}

int CShape::DrawMarksIfSelected(CDrawContext& context)
{
    if (!(context.flags & 0x3) || !(m_state & stSelected))
        return 0;
    if (m_parent && (m_parent->GetState() & stSelected))
        return 0;
    return DrawMarks(context);
}

// --- Hit tests -------------------------------------------------------------------------------

BOOL CShape::HitTest(float x, float y)
{
    if (m_state & stNoExtents)
        return FALSE;
    if ((m_layer && m_layer != this && !m_layer->IsVisible()) || !IsVisible())
        return FALSE;
    if (m_state & stNotHitTestable)
        return FALSE;
    // Shapes inside a block group or a reference are judged with the parent's layer.
    CShape* layer = m_layer;
    if (m_parent && (m_parent->GetShapeType() == stReference || m_parent->IsBlockContext()))
        layer = m_parent->GetLayer();
    if ((m_state & stNotSelectable) || (layer && (layer->GetState() & stNotSelectable)))
        return FALSE;
    if (!m_control || (m_control->GetModeWord() & 0x4))
        return FALSE;
    const CViewMapping& view = m_control->GetCurrentViewport();
    const CRealPointD p = view.DeviceToWorld(x, y);
    const double tolX = view.PixelsToWorldX(kHitTolerancePixels);
    const double tolY = view.PixelsToWorldY(kHitTolerancePixels);
    float l, t, r, b;
    if (FAILED(GetBoundingRectEx(&l, &t, &r, &b, nullptr, 0)))
        return TRUE;
    return l - tolX <= p.x && p.x <= r + tolX && b - tolY <= p.y && p.y <= t + tolY;
}

BOOL CShape::HitTestAt(float x, float y)
{
    if (!m_control)
        return FALSE;
    const POINT p = m_control->GetCurrentViewport().WorldToDevice(CRealPoint(x, y));
    return HitTest(static_cast<float>(p.x), static_cast<float>(p.y));
}

bool CShape::RecordHitPath(HDC dc)
{
    if (!BeginPath(dc))
        return false;
    CDrawContext context;
    context.dc = dc;
    Draw(context);
    return EndPath(dc) != FALSE;
}

double CShape::HitStrokeWidthPixels()
{
    if (!m_control)
        return 0.0;
    const double perPixel = m_control->GetCurrentViewport().LogicalPerPixelX();
    return perPixel > 0 ? GetDevicePenWidth() / perPixel + 2 * kHitTolerancePixels : 2 * kHitTolerancePixels;
}

BOOL CShape::HitTestWidenedPath(float x, float y)
{
    if (!m_control)
        return FALSE;
    HWND window = m_control->GetControlWindow();
    ycom::WindowDC screen(GetDC(window));
    HDC dc = screen.Get();
    if (!dc)
        return FALSE;
    HitModes modes(dc);
    BOOL hit = FALSE;
    if (RecordHitPath(dc)) {
        // The path holds device points; the pen widens it in device pixels, with the mapping mode
        // back at pixels: some GDIs take a geometric pen's width in the path's units whatever the
        // mapping mode, which would widen a hairline by 8 pixels instead of 3.
        SetMapMode(dc, MM_TEXT);
        // The outline is widened by the tolerance on both sides: a hairline widens to nothing.
        const double width = HitStrokeWidthPixels();
        LOGBRUSH solid = {BS_SOLID, 0xFF0000, 0};
        ycom::GdiObject<HPEN> pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                               static_cast<DWORD>(std::lround(width)), &solid, 0, nullptr));
        ycom::SelectGuard selected(dc, pen.Get());
        if (WidenPath(dc) && SelectClipPath(dc, RGN_COPY))
            hit = PtVisible(dc, static_cast<int>(x), static_cast<int>(y));
    }
    SelectClipRgn(dc, nullptr);
    return hit;
}

BOOL CShape::HitTestFilledPath(float x, float y)
{
    if (!m_control || !HasHatchFill() || GetTranslatedHatchPatternId() < 1)
        return FALSE;
    ycom::WindowDC screen(GetDC(m_control->GetControlWindow()));
    HDC dc = screen.Get();
    if (!dc)
        return FALSE;
    HitModes modes(dc);
    ycom::GdiObject<HPEN> pen(CreatePen(PS_SOLID, 0, 0xFF0000));
    ycom::SelectGuard selected(dc, pen.Get());
    if (!RecordHitPath(dc))
        return FALSE;
    ycom::GdiObject<HRGN> region(PathToRegion(dc));
    return region && PtInRegion(region.Get(), static_cast<int>(x), static_cast<int>(y));
}

void CShape::WorldToDeviceSize(SIZE* out, float width, float height) const
{
    if (!out)
        return;
    out->cx = out->cy = 0;
    if (!m_control)
        return;
    const CViewMapping& view = m_control->GetCurrentViewport();
    out->cx = DoubleToIntClamped(std::fabs(view.WorldToPixelsX(width)));
    out->cy = DoubleToIntClamped(std::fabs(view.WorldToPixelsY(height)));
}

// --- Selection marks --------------------------------------------------------------------------

COLORREF CShape::ChooseMarkColour(COLORREF colour)
{
    const bool enabled = IsEnabled();
    COLORREF m = enabled ? colour : 0xFF;
    const bool penCounts = m_shapeType != stText && m_shapeType != stImage && GetPenWeight() != 0.0f;
    const bool fillCounts = HasHatchFill() && GetTranslatedHatchPatternId() >= 1 &&
                            (m_shapeType == stReference || m_shapeType == stRectangle || m_shapeType == stGroup);
    auto tooClose = [](COLORREF a, COLORREF b) {
        const long dr = static_cast<long>(GetRValue(a)) - GetRValue(b);
        const long dg = static_cast<long>(GetGValue(a)) - GetGValue(b);
        const long db = static_cast<long>(GetBValue(a)) - GetBValue(b);
        return 30 * dr * dr + 59 * dg * dg + 11 * db * db < 0x80000;
    };
    const COLORREF pen = penCounts ? TranslatePenColor(m_penColor, this) : 0;
    const COLORREF fill = fillCounts ? TranslateHatchColor(m_hatchColor, this) : 0;
    const bool penClose = penCounts && tooClose(pen, m);
    const bool fillClose = fillCounts && tooClose(fill, m);
    if (penClose || fillClose)
        m = enabled ? 0xFF00 : 0;
    if (penCounts && fillCounts && penClose != fillClose) {
        const COLORREF other = penClose ? fill : pen;
        if (tooClose(other, m))
            return enabled ? 0xFFFF00 : 0xFFFF;
    }
    return m;
}

int CShape::DrawMarks(CDrawContext& context)
{
    const int n = GetHandlePoints(nullptr, 0);
    if (n <= 0 || !m_control || !context.dc)
        return 0;
    HDC dc = context.dc;
    const CViewMapping& view = ViewOf(context);
    HPEN pen = m_control->GetPenCache().GetPen(2, ChooseMarkColour(context.markColour), 0, 1.0, false);
    ycom::SelectGuard selected(dc, pen);
    const double halfX = kMarkHalfPixels * view.LogicalPerPixelX();
    const double halfY = kMarkHalfPixels * view.LogicalPerPixelY();
    float l, t, r, b;
    if (n > 2 && SUCCEEDED(GetBoundingRect(&l, &t, &r, &b))) {
        SIZE size;
        WorldToDeviceSize(&size, r - l, t - b);
        if (size.cx < kMarkCollapsePixels && size.cy < kMarkCollapsePixels) {
            DrawSquareMark(dc, view.WorldToLogical((l + r) * 0.5, (t + b) * 0.5), halfX, halfY);
            if (m_shapeType == stReference && !m_points.IsEmpty()) {
                const CPointRecord* insertion = m_points.GetAt(0);
                DrawSquareMark(dc, view.WorldToLogical(insertion->x, insertion->y), halfX, halfY);
            }
            return 1;
        }
    }
    std::vector<CRealPoint> handles(static_cast<size_t>(n));
    const int got = GetHandlePoints(handles.data(), n);
    bool any = false;
    POINT last = {0, 0};
    for (int i = 0; i < got && i < n; ++i) {
        const CRealPoint& h = handles[static_cast<size_t>(i)];
        const POINT device = view.WorldToDevice(h);
        if (any && std::abs(device.x - last.x) <= kMarkMergePixels && std::abs(device.y - last.y) <= kMarkMergePixels)
            continue;
        DrawSquareMark(dc, view.WorldToLogical(h.x, h.y), halfX, halfY);
        last = device;
        any = true;
    }
    return n;
}

int CShape::DrawLinkMarks(HDC dc)
{
    if (!m_control || !dc)
        return 1;
    const CViewMapping& view = m_control->GetCurrentViewport();
    const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
    const double markSize = setting ? setting->LinkMarkScale : 0.0;
    const int d = static_cast<int>(view.GetScaleFactor() * markSize);
    for (int i = 0; i < m_linkedPoints.GetCount() && i < static_cast<int>(m_linkTokens.size()); ++i) {
        const CPointRecord* point = m_linkedPoints.GetAt(i);
        const POINT c = ToPoint(view.WorldToLogical(point->x, point->y));
        const RECT rect = {c.x - d / 2, c.y + d / 2, c.x + d / 2, c.y - d / 2};
        m_linkTokens[static_cast<size_t>(i)]->Draw(dc, rect);
    }
    return 1;
}

// --- Pens -------------------------------------------------------------------------------------

int CShape::CreateDrawPen(CShapeHost* control, HDC dc, HPEN readyPen, int width, bool selectionPen, bool plain,
                          HPEN* previous, int* linePattern, COLORREF* colour, CShape* shape, const CViewMapping* view,
                          bool keepPen)
{
    if (readyPen == reinterpret_cast<HPEN>(static_cast<INT_PTR>(-1)))
        readyPen = nullptr;
    if (readyPen) {
        HGDIOBJ old = SelectObject(dc, readyPen);
        if (previous)
            *previous = static_cast<HPEN>(old);
        return 1;
    }
    if (!control)
        return 0;
    int pattern = linePattern ? *linePattern : ltByLayer;
    COLORREF used;
    int penWidth = width;
    double scale = 1.0;
    if (shape && (shape->GetState() & stSelected) && selectionPen) {
        pattern = 1;
        used = 0xFF0000;
        penWidth = 0;
    } else {
        used = TranslatePenColor(shape ? shape->GetPenColor() : (colour ? *colour : 0), shape);
        if (plain) {
            pattern = 1;
            penWidth = 0;
        } else {
            pattern = TranslateLinePatternId(pattern, shape);
            if (penWidth == 0 && shape)
                penWidth = static_cast<int>(std::lround(shape->GetDevicePenWidth()));
            double patternScale = 1.0;
            if (shape)
                patternScale = shape->GetLinePatternScale();
            else if (control->GetCurrentDrawingSetting())
                patternScale = control->GetCurrentDrawingSetting()->LinePatternScale;
            scale = patternScale * (view ? *view : control->GetCurrentViewport()).GetScaleFactor();
        }
    }
    const COLORREF penColour = plain && !(shape && (shape->GetState() & stSelected) && selectionPen) ? 0 : used;
    CPenCache& pens = control->GetPenCache();
    HPEN pen = pens.GetPen(pattern, penColour, penWidth, scale, false);
    if (!pen) {
        pattern = 2;
        pen = pens.GetPen(2, penColour, penWidth, scale, false);
    }
    // Kept pens: the pen the shape before left is taken when it is this one, and this one stays
    // for the next (the caller has nothing to select back).
    HGDIOBJ old = nullptr;
    if (pen && !(keepPen && GetCurrentObject(dc, OBJ_PEN) == pen))
        old = SelectObject(dc, pen);
    if (previous)
        *previous = keepPen ? nullptr : static_cast<HPEN>(old);
    if (linePattern)
        *linePattern = pattern;
    if (colour)
        *colour = used;
    return 1;
}

int CShape::SelectDrawPen(CDrawContext& context, HPEN* previous, COLORREF* colour)
{
    int pattern = GetLinePatternId();
    COLORREF used = 0;
    const int result =
        CreateDrawPen(m_control, context.dc, context.pen, 0, true, false, previous, &pattern, &used, this, context.view,
                      context.keepPen);
    if (colour)
        *colour = context.pen ? TranslatePenColor(m_penColor, this) : used;
    return result;
}
