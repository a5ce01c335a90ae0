#include "common/SiteMetafile.h"
#include <cstdlib>

namespace {

// The shape's bounds; a group without shapes has none, which is no extent here.
CRealRect<float> BoundsOf(const IShapePtr& shape)
{
    CRealRect<float> rect;
    if (FAILED(shape->GetBoundingRect(&rect.left, &rect.top, &rect.right, &rect.bottom)))
        rect = CRealRect<float>();
    return rect;
}

} // namespace

CRealRect<float> GetSiteMetafileRect(IYVEXControl* control, long mode)
{
    if (!control)
        _com_issue_error(E_POINTER);
    ISitePtr site;
    RaiseIfFailed(control->get_Site(&site), control);
    IShapeCollectionPtr shapes;
    RaiseIfFailed(site->get_Shapes(&shapes), site);
    long rootId = 0;
    RaiseIfFailed(control->get_RootID(&rootId), control);
    IShapePtr root;
    RaiseIfFailed(shapes->get_ItemByID(rootId, &root), shapes);
    IViewportCollectionPtr viewports;
    RaiseIfFailed(site->get_Viewports(&viewports), site);
    IViewportPtr viewport;
    if (viewports)
        RaiseIfFailed(viewports->get_ItemByID(1, &viewport), viewports);

    CRealRect<float> rect;
    if (!root)
        return rect;
    switch (mode & dmfSourceMask) {
    case dmfSourceLimits: {
        double l = 0, t = 0, r = 0, b = 0;
        RaiseIfFailed(site->get_DraftLeft(&l), site);
        RaiseIfFailed(site->get_DraftTop(&t), site);
        RaiseIfFailed(site->get_DraftRight(&r), site);
        RaiseIfFailed(site->get_DraftBottom(&b), site);
        rect = CRealRect<float>(static_cast<float>(l), static_cast<float>(t), static_cast<float>(r), static_cast<float>(b));
        break;
    }
    case dmfSourceDisplay:
        if (viewport) {
            double cx = 0, cy = 0, w = 0, h = 0;
            RaiseIfFailed(viewport->get_ViewCenterX(&cx), viewport);
            RaiseIfFailed(viewport->get_ViewCenterY(&cy), viewport);
            RaiseIfFailed(viewport->get_ViewWidth(&w), viewport);
            RaiseIfFailed(viewport->get_ViewHeight(&h), viewport);
            rect = CRealRect<float>(static_cast<float>(cx - w / 2), static_cast<float>(cy + h / 2),
                                    static_cast<float>(cx + w / 2), static_cast<float>(cy - h / 2));
        } else {
            rect = BoundsOf(root);
        }
        break;
    case dmfSourceSelection: {
        IShapePtr selection;
        RaiseIfFailed(shapes->get_ItemByID(SELECTION_ID, &selection), shapes);
        if (!selection)
            _com_issue_errorex(E_POINTER, shapes, shapes.GetIID());
        rect = BoundsOf(selection);
        break;
    }
    default:
        rect = BoundsOf(root);
        break;
    }
    return rect;
}

HANDLE DrawSiteOnMetafile(IYVEXControl* control, CSize& size, const char* file, int mode, bool plain)
{
    if (size.cx == 0 || size.cy == 0)
        size = CSize(800, 600);
    const CRealRect<float> extent = GetSiteMetafileRect(control, mode);
    double c = static_cast<double>(extent.right) - extent.left;
    double d = static_cast<double>(extent.top) - extent.bottom;
    if (c == 0 && d == 0)
        return nullptr;
    // A line-thin source gets a hundredth of its length across, so that the size below stays finite.
    if (d > 100 * c)
        c += d * 0.01;
    else if (c > 100 * d)
        d += c * 0.01;
    if (static_cast<double>(size.cy) / size.cx >= d / c)
        size.cy = static_cast<LONG>(d * size.cx / c + 0.1);
    else
        size.cx = static_cast<LONG>(c * size.cy / d + 0.1);

    // The frame in 0.01 mm, as the screen measures its pixels.
    HDC screen = GetDC(nullptr);
    const int oldMode = SetMapMode(screen, MM_HIMETRIC);
    POINT corner = {size.cx, size.cy};
    DPtoLP(screen, &corner, 1);
    SetMapMode(screen, oldMode);
    const RECT frame = {0, 0, std::labs(corner.x), std::labs(corner.y)};

    ISitePtr site;
    HRESULT hr = control->get_Site(&site);
    if (FAILED(hr)) {
        ReleaseDC(nullptr, screen);
        _com_issue_errorex(hr, control, __uuidof(IYVEXControl));
    }
    HANDLE result = nullptr;
    if (plain) {
        HDC dc = CreateMetaFileA(file);
        ReleaseDC(nullptr, screen);
        if (!dc)
            return nullptr;
        // The control draws an old-style metafile at the frame's size too.
        site->DrawEx(reinterpret_cast<LONG_PTR>(dc), 0, 0, frame.right, frame.bottom, mode, 0);
        result = CloseMetaFile(dc);
    } else {
        // The description: an application name and a picture name, each ended by a NUL.
        HDC dc = CreateEnhMetaFileA(screen, file, &frame, "description\0");
        ReleaseDC(nullptr, screen);
        if (!dc)
            return nullptr;
        // A drawing that fails leaves the picture empty; the metafile is the answer all the same.
        site->DrawEx(reinterpret_cast<LONG_PTR>(dc), 0, 0, frame.right, frame.bottom, mode, 0);
        result = CloseEnhMetaFile(dc);
    }
    return result;
}
