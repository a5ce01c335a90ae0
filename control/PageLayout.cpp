#include "control/PageLayout.h"
#include <algorithm>
#include <cmath>
#include <utility>

const CRealPoint CPageLayout::kMarginPoint(13.0f, 9.0f);

bool CPageLayout::Prepare(const CRealRect& world, CRealRect* prepared)
{
    double left = std::min(world.left, world.right), right = std::max(world.left, world.right);
    double bottom = std::min(world.top, world.bottom), top = std::max(world.top, world.bottom);
    const double width = right - left, height = top - bottom;
    if (!(width > 0) && !(height > 0))
        return false;
    if (!(width > 0)) {
        left -= 0.005 * height;
        right += 0.005 * height;
    } else if (!(height > 0)) {
        bottom -= 0.005 * width;
        top += 0.005 * width;
    }
    prepared->Set(static_cast<float>(left * 4.0), static_cast<float>(top * 4.0), static_cast<float>(right * 4.0),
                  static_cast<float>(bottom * 4.0));
    return true;
}

bool CPageLayout::Compute(const CRealRect& source, const CRealRect& extents, const Device& device,
                          const SIZE* pageSize, const Placement& placement, RECT* pixels)
{
    double width = device.horzSizeMm, height = device.vertSizeMm;
    if (!(width > 0) || !(height > 0) || device.horzRes <= 0 || device.vertRes <= 0)
        return false;

    // The printable page in millimetres, y up. The bottom border lies above the paper's foot
    // (y 0), like the top border below its head: a border below the foot would put the lower
    // part of a drawing that fills the page's height off the paper.
    double pageLeft, pageTop, pageRight, pageBottom;
    if (pageSize) {
        // A preview page: the device's millimetres turned to the page's orientation and scaled
        // by the page's pixels over the device's.
        if ((pageSize->cy < pageSize->cx) != (height < width))
            std::swap(width, height);
        const double rx = static_cast<double>(pageSize->cx) / (device.horzRes ? device.horzRes : 1);
        const double ry = static_cast<double>(pageSize->cy) / (device.vertRes ? device.vertRes : 1);
        width *= rx;
        height *= ry;
        const double mx = kMarginPoint.x * rx / 4, my = kMarginPoint.y * ry / 4;
        pageLeft = mx;
        pageTop = height - my;
        pageRight = width - 3 * mx;
        pageBottom = 3 * my;
    } else {
        const double mx = kMarginPoint.x / 4.0, my = kMarginPoint.y / 4.0;
        pageLeft = 0;
        pageTop = height - my;
        pageRight = width - 4 * mx;
        pageBottom = 3 * my;
    }

    // The source on the page: fitted keeping its proportions, or at the scale; centred.
    const double sourceWidth = static_cast<double>(source.right) - source.left;
    const double sourceHeight = static_cast<double>(source.top) - source.bottom;
    const double sourceX = (static_cast<double>(source.left) + source.right) / 2;
    const double sourceY = (static_cast<double>(source.top) + source.bottom) / 2;
    double factor;
    if (placement.scale <= 0.0f) {
        const double fx = sourceWidth != 0 ? (pageRight - pageLeft) / sourceWidth : 0;
        const double fy = sourceHeight != 0 ? (pageTop - pageBottom) / sourceHeight : 0;
        factor = fx == 0 ? fy : fy == 0 ? fx : std::min(fx, fy);
    } else {
        factor = placement.scale * 0.025;
    }
    double centreX = (pageLeft + pageRight) / 2, centreY = (pageTop + pageBottom) / 2;
    if (!placement.centered) {
        // The source's top left corner at the page's, moved by the offset (y down on paper).
        centreX += (pageLeft + placement.offset.x) - (centreX - factor * sourceWidth / 2);
        centreY += (pageTop - placement.offset.y) - (centreY + factor * sourceHeight / 2);
    }
    auto mapX = [&](double x) { return centreX + (x - sourceX) * factor; };
    auto mapY = [&](double y) { return centreY + (y - sourceY) * factor; };

    // Millimetres to pixels (of the preview page when there is one), both y up.
    const double px = (pageSize ? pageSize->cx : device.horzRes) / width;
    const double py = (pageSize ? pageSize->cy : device.vertRes) / height;
    pixels->left = static_cast<LONG>(mapX(extents.left) * px);
    pixels->right = static_cast<LONG>(mapX(extents.right) * px);
    pixels->top = static_cast<LONG>(mapY(extents.top) * py);
    pixels->bottom = static_cast<LONG>(mapY(extents.bottom) * py);
    return true;
}
