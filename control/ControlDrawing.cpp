// Drawing the site into a context the caller gives (a printer, a metafile) and one shape into an
// enhanced metafile file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include "control/YVEXControl.h"
#include "model/DrawContext.h"
#include "model/Group.h"
#include "model/PenCache.h"
#include "model/RealPoint.h"
#include "model/RealRect.h"
#include "model/Shape.h"

namespace {

// Draw flags of a drawing into a given context, of an enhanced-metafile target, of a group.
constexpr DWORD kForeignTarget = 0x80;
constexpr DWORD kMetafileTarget = 0xC0;
constexpr DWORD kGroupDrawn = 4;

// Each shape's own drawing, then the extents and overlay passes of a group.
void DrawShapeInto(CShape* shape, HDC dc, DWORD flags, const CViewMapping* view)
{
    CDrawContext context;
    context.dc = dc;
    context.flags = flags | (shape->IsGroup() ? kGroupDrawn : 0);
    context.highlightColour = 0xFF0000;
    context.view = view;
    shape->DrawInContext(context);
    if (shape->IsGroup())
        shape->DrawOverlay(context);
}

// The mapping every shape draws in: 0.1 mm logical units, y up, clockwise arcs.
void PrepareContext(HDC dc)
{
    SetGraphicsMode(dc, GM_ADVANCED);
    SetArcDirection(dc, AD_CLOCKWISE);
    SetMapMode(dc, MM_LOMETRIC);
    SetStretchBltMode(dc, HALFTONE);
}

bool BoundsOf(CShape* shape, CRealRect* rect)
{
    return shape && SUCCEEDED(shape->GetBoundingRect(&rect->left, &rect->top, &rect->right, &rect->bottom));
}

} // namespace

HRESULT CYVEXControl::DrawToDC(HDC dc, LONG left, LONG top, LONG right, LONG bottom, LONG drawMode)
{
    CGroup* root = GetRootGroup();
    if (!root)
        return E_FAIL;
    if (!dc)
        return E_INVALIDARG;
    // A worker may be changing the shapes this would draw.
    if (RefuseWhileBusy())
        return S_FALSE;
    CViewportRecord& view = GetCurrentViewport();
    const CViewportRecord saved(view);
    const RECT savedBounds = m_paintBounds;
    const CRealRect savedArea = m_drawArea;
    // Long operations wait while the drawing is under way; the mark goes on every way out.
    CBusySection busy(*this);
    m_foreignDC = true;
    // The target's size in HIMETRIC, then in the 0.1 mm units of the temporary view.
    const LONG targetWidth = std::labs(right - left);
    const LONG targetHeight = std::labs(top - bottom);
    auto restore = [&]() {
        m_foreignDC = false;
        view.Assign(saved);
        m_paintBounds = savedBounds;
        m_drawArea = savedArea;
    };

    if (GetObjectType(dc) == OBJ_METADC && (drawMode & 0xFFFF) == 0) {
        // An old-style metafile with the plain mode gets the window's picture as it stands.
        m_paintBounds = RECT{left, top, right, bottom};
        const int state = SaveDC(dc);
        SetGraphicsMode(dc, GM_ADVANCED);
        SetArcDirection(dc, AD_CLOCKWISE);
        SetMapMode(dc, MM_LOMETRIC);
        SetStretchBltMode(dc, HALFTONE);
        if (m_buffer.GetCompositeDC())
            m_buffer.BlitTo(dc);
        RestoreDC(dc, state);
        restore();
        return 0;
    }

    // The world rectangle drawn and the group it comes from.
    CShape* drawn = root;
    CRealRect source;
    switch (drawMode & 7) {
    case 1:
        source = GetSiteRecord().GetDraftLimits();
        break;
    case 2:
        source = view.GetVisibleWorldRect();
        break;
    case 3:
        drawn = GetSelectionGroup();
        if (!BoundsOf(drawn, &source)) {
            restore();
            return E_FAIL;
        }
        break;
    case 4:
        if (!BoundsOf(FindShape(WINDOW_ID), &source))
            source = view.GetVisibleWorldRect();
        break;
    default:
        if (!BoundsOf(root, &source))
            source = view.GetVisibleWorldRect();
        break;
    }
    if (!drawn) {
        restore();
        return E_FAIL;
    }

    // The temporary view: the target's size in 0.1 mm, ten logical units to a "pixel", no ruler
    // offsets.
    view.horzSize10 = view.vertSize10 = 1000;
    view.horzRes = view.vertRes = 100;
    view.SetClientArea(SIZE{targetWidth / 10, targetHeight / 10}, nullptr);
    const double oldFactor = view.GetScaleFactor();
    if (!(drawMode & 16) && oldFactor != 0.0) {
        // A margin for the widest pen, cut to 5% of the smaller side.
        const double smaller = std::min(std::fabs(static_cast<double>(source.right) - source.left),
                                        std::fabs(static_cast<double>(source.top) - source.bottom));
        const double margin = std::min(GetPenCache().GetMaxPenWidth() * 0.5, smaller * 0.05) / oldFactor;
        source.left = static_cast<float>(source.left - margin);
        source.right = static_cast<float>(source.right + margin);
        source.top = static_cast<float>(source.top + margin);
        source.bottom = static_cast<float>(source.bottom - margin);
    }
    view.ZoomToRect(source.left, source.top, source.right, source.bottom, 1.0);
    // Pen widths keep their proportion to the drawing in the new view.
    CPenCache& pens = GetPenCache();
    const float savedWidthFactor = pens.GetWidthFactor();
    const double newFactor = view.GetScaleFactor();
    if (oldFactor != 0.0 && newFactor != 0.0)
        pens.SetWidthFactor(static_cast<float>(savedWidthFactor / (oldFactor / newFactor)));

    const int state = SaveDC(dc);
    PrepareContext(dc);
    SetMiterLimit(dc, 100.0f, nullptr);
    // The view's top left corner lands on the rectangle's.
    OffsetWindowOrgEx(dc, -left / 10, -top / 10, nullptr);
    const DWORD flags = GetObjectType(dc) == OBJ_ENHMETADC ? kMetafileTarget : kForeignTarget;
    DrawShapeInto(drawn, dc, flags, &view);
    RestoreDC(dc, state);

    pens.SetWidthFactor(savedWidthFactor);
    restore();
    return 1;
}

HRESULT CYVEXControl::ExportMetafile(LONG shapeId, const char* fileName)
{
    CShape* shape = FindShape(shapeId);
    if (!shape)
        return S_OK;
    HWND window = GetControlWindow();
    HDC reference = GetDC(window);
    // The frame: 1000 x 1000 pixels of the reference, in HIMETRIC.
    const int horzRes = std::max(1, GetDeviceCaps(reference, HORZRES));
    const int vertRes = std::max(1, GetDeviceCaps(reference, VERTRES));
    const RECT frame = {0, 0, MulDiv(GetDeviceCaps(reference, HORZSIZE), 1000 * 100, horzRes),
                        MulDiv(GetDeviceCaps(reference, VERTSIZE), 1000 * 100, vertRes)};
    HDC metafile = CreateEnhMetaFileA(reference, fileName && *fileName ? fileName : nullptr, &frame, nullptr);
    ReleaseDC(window, reference);
    if (!metafile)
        return E_FAIL;
    SetBkColor(metafile, RGB(255, 255, 255));
    // The shape lands where the window shows it: the view's logical plane of 0.1 mm, y up.
    PrepareContext(metafile);
    CDrawContext context;
    context.dc = metafile;
    context.flags = kGroupDrawn;
    context.view = &GetCurrentViewport();
    m_foreignDC = true;
    shape->DrawInContext(context);
    m_foreignDC = false;
    DeleteEnhMetaFile(CloseEnhMetaFile(metafile));
    return S_OK;
}

HRESULT CYVEXControl::DrawSiteMetafile(const char* fileName, int printAreaType, HENHMETAFILE* metafile)
{
    if (!metafile)
        return E_POINTER;
    *metafile = nullptr;
    if (RefuseWhileBusy())
        return S_FALSE;
    // The description: the program, the site, the UTC time it was made, each ended by a NUL, and
    // a closing NUL.
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%4u%2u%2u%2u%2u%2u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    std::string description = "YVEX";
    description += '\0';
    description += GetSiteRecord().GetName();
    description += '\0';
    description += stamp;
    description += '\0';
    description += '\0';

    // The drawing's extents, widened where they have no width or height, times four.
    CShape* source = printAreaType == 3 ? GetSelectionGroup() : GetRootGroup();
    CRealRect extents;
    if (!BoundsOf(source, &extents))
        return S_FALSE;
    double width = std::fabs(static_cast<double>(extents.right) - extents.left);
    double height = std::fabs(static_cast<double>(extents.top) - extents.bottom);
    if ((width == 0 && height == 0) || !std::isfinite(width) || !std::isfinite(height))
        return S_FALSE;
    if (width == 0)
        width = 2 * 0.005 * height;
    else if (height == 0)
        height = 2 * 0.005 * width;
    width *= 4.0;
    height *= 4.0;
    // The frame in hundredths of millimetres: brought down by tenths until both sides fit a
    // RECT's LONG, so that a huge drawing keeps its proportions.
    RECT frame = {0, 0, 10000, 10000};
    CRealPointT<double> size(width, height);
    size.ScaleIntoRange(1000.0, 2147483647.0);
    frame.right = static_cast<LONG>(std::llround(size.x));
    frame.bottom = static_cast<LONG>(std::llround(size.y));

    HDC dc = CreateEnhMetaFileA(nullptr, fileName && *fileName ? fileName : nullptr, &frame, description.c_str());
    if (!dc)
        return E_FAIL;
    const HRESULT drawn = DrawToDC(dc, frame.left, frame.top, frame.right, frame.bottom, printAreaType == 3 ? 3 : 0);
    HENHMETAFILE closed = CloseEnhMetaFile(dc);
    if (!closed)
        return E_FAIL;
    if (FAILED(drawn)) {
        DeleteEnhMetaFile(closed);
        return drawn;
    }
    *metafile = closed;
    return S_OK;
}
