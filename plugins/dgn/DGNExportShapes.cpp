// One shape of the control into design-file elements: shape elements for lines, rectangles,
// polylines and image frames; arcs and ellipses; cell instances for images of image blocks;
// a graphic group for the children of a group; then the element's level, colour, weight and
// graphic group. Curves, layers, polygons and hatches are not written: a shape element has no
// bulges or Bezier spans, and the others have no element of their own.
#include "DGNExport.h"
#include <cmath>
#include "DGNExportCalls.h"
#include "DesignFile.h"
#include "ElementLinkages.h"
#include "elements/EllipseElements.h"
#include "elements/LinearElements.h"
#include "elements/SharedCellElements.h"

using namespace dgnexport;

namespace {

const double kRadiansPerDegree = CRealPoint<double>::kRadiansPerDegree;
// The sweep of a clockwise arc is brought into 0 to 2 pi with this (not quite 2 pi).
const double kFullTurn = 6.28318530717958;
// Shape IDs up to this one are the control's fixed groups and default shapes.
const long kLastFixedShape = 11;
// The base layer: its shapes go out even when it has no level.
const long kBaseLayer = 1;
const double kWeightPerPenWeight = 0.1;

double AngleOf(IShape* shape)
{
    double angle = 0;
    RaiseIfFailed(shape->get_Angle(&angle), shape);
    return angle;
}

} // namespace

dgn::IEntity* CDGNExport::InsertShape(IShapePtr shapePtr, unsigned graphicGroup, int imageCells, int allLayers)
{
    IShape* shape = Need(shapePtr.GetInterfacePtr());
    const long layer = LayerOf(shape);
    const long kind = KindOf(shape);
    // A shape whose layer was not written stays out (the base layer's always goes); groups and
    // references pass to their children.
    if (!allLayers && kind != stGroup && kind != stReference && !m_layerLevels.count(layer) && layer != kBaseLayer)
        return nullptr;

    dgn::IGraphicElement* element = nullptr;
    switch (kind) {
    case stLine:
    case stRectangle:
    case stPolyline:
        element = InsertVertices(shape, kind);
        break;
    case stArc:
    case stCircle:
    case stEllipse:
        element = InsertEllipse(shape);
        break;
    case stImage:
        element = InsertImage(shape, imageCells);
        break;
    case stText:
        element = InsertText(shape);
        break;
    case stReference:
        element = InsertReference(shape, graphicGroup);
        break;
    case stGroup:
        InsertGroup(shape);
        return nullptr;
    default:
        return nullptr;
    }
    if (!element)
        return nullptr;
    SetSymbology(shape, kind, layer, element, graphicGroup);
    return element;
}

dgn::IGraphicElement* CDGNExport::InsertVertices(IShape* shape, long kind)
{
    const std::vector<ShapePoint> points = PointsOf(shape);
    if (points.empty())
        return nullptr;
    bool closed = false;
    if (kind != stLine) {
        const IPolylineShapePtr polyline = Ask<IPolylineShapePtr>(shape);
        long flags = 0;
        RaiseIfFailed(Need(polyline.GetInterfacePtr())->get_Flags(&flags), polyline);
        closed = (flags & pfClosed) != 0;
    }
    dgn::CShapeElement2d* element = dgn::CShapeElement2d::Create(m_designFile.get(), 0);
    if (!element)
        return nullptr;
    dgn::CPoint2dArray* vertices = element->GetPoints();
    const std::uint32_t n = static_cast<std::uint32_t>(points.size());
    if (!vertices || !vertices->Resize(n + (closed ? 1 : 0)))
        return element;
    for (std::uint32_t i = 0; i < n; ++i) {
        const CRealPoint<double> p = GetPt(points[i].x, points[i].y);
        vertices->SetAt(i, p.x, p.y);
    }
    if (closed) {
        const CRealPoint<double> p = GetPt(points[0].x, points[0].y);
        vertices->SetAt(n, p.x, p.y);
    }
    AddFill(shape, element);
    return element;
}

dgn::IGraphicElement* CDGNExport::InsertEllipse(IShape* shape)
{
    const std::vector<ShapePoint> points = PointsOf(shape);
    const IEllipseShapePtr ellipse = Ask<IEllipseShapePtr>(shape);
    IEllipseShape* e = Need(ellipse.GetInterfacePtr());
    double start = 0, end = 0, majorX = 0, majorY = 0, ratio = 0;
    RaiseIfFailed(e->get_StartAngle(&start), e);
    RaiseIfFailed(e->get_EndAngle(&end), e);
    RaiseIfFailed(e->get_MajorX(&majorX), e);
    RaiseIfFailed(e->get_MajorY(&majorY), e);
    RaiseIfFailed(e->get_MinorRatio(&ratio), e);
    const double primary = GetLength(std::sqrt(majorX * majorX + majorY * majorY));
    const double rotation = std::atan2(majorY, majorX) - m_rotation;
    const bool hasCentre = !points.empty();
    const CRealPoint<double> centre = hasCentre ? GetPt(points[0].x, points[0].y) : CRealPoint<double>();

    // The axes, the centre (the class's own without a point) and the rotation of both kinds.
    const auto place = [&](auto& body) {
        body.primary = primary;
        body.secondary = ratio * primary;
        if (hasCentre) {
            body.cx = centre.x;
            body.cy = centre.y;
        }
        body.rotation = rotation;
    };
    if (start == end || end - start == 360.0) {
        dgn::CEllipseElement2d* element = dgn::CEllipseElement2d::Create(m_designFile.get(), 0);
        if (element)
            place(*element->GetGeometry());
        return element;
    }
    dgn::CArcElement2d* element = dgn::CArcElement2d::Create(m_designFile.get(), 0);
    if (!element)
        return nullptr;
    dgn::Arc2d& body = *element->GetGeometry();
    place(body);
    // The start angle is the shape's own: the export rotation turned the axis already.
    body.start = start * kRadiansPerDegree;
    body.sweep = (end - start) * kRadiansPerDegree;
    if (body.sweep < 0)
        body.sweep += kFullTurn;
    double extrusion = 0;
    RaiseIfFailed(e->get_ZExtrusion(&extrusion), e);
    // Seen from below, the arc runs the other way.
    if (extrusion < 0.0) {
        body.start = -body.start;
        body.sweep = -body.sweep;
    }
    return element;
}

dgn::IGraphicElement* CDGNExport::InsertImage(IShape* shape, int imageCells)
{
    const std::vector<ShapePoint> points = PointsOf(shape);
    const double angle = AngleOf(shape);
    const IImageShapePtr image = Ask<IImageShapePtr>(shape);
    IImageShape* picture = Need(image.GetInterfacePtr());
    double width = 0, height = 0;
    const ShapePoint corner = points.empty() ? ShapePoint{0, 0} : points[0];

    if (imageCells) {
        long resourceId = 0;
        RaiseIfFailed(picture->get_ImageResourceID(&resourceId), picture);
        IImageResourceCollectionPtr resources;
        RaiseIfFailed(m_site->get_ImageResources(&resources), m_site);
        IImageResourcePtr resource;
        RaiseIfFailed(Need(resources.GetInterfacePtr())->get_ItemByID(resourceId, &resource), resources);
        const auto found = m_images.find(resourceId);
        const ImageBlock block = found != m_images.end() ? found->second : ImageBlock();
        const auto named = block.blockId ? m_blockNames.find(block.blockId) : m_blockNames.end();
        if (named != m_blockNames.end() && !named->second.IsEmpty()) {
            RaiseIfFailed(picture->get_Width(&width), picture);
            RaiseIfFailed(picture->get_Height(&height), picture);
            const double xScale = block.width != 0.0 ? width / block.width : 1.0;
            const double yScale = block.height != 0.0 ? height / block.height : 1.0;
            const CRealPoint<double> origin = GetPt(corner.x, corner.y);
            return CreateSymRef(named->second, angle, xScale, yScale, origin.x, origin.y);
        }
    }

    // The frame: the rectangle along the file's axes spanned by the image's two mapped corners.
    RaiseIfFailed(picture->get_Width(&width), picture);
    RaiseIfFailed(picture->get_Height(&height), picture);
    const double s = std::sin(angle * kRadiansPerDegree), c = std::cos(angle * kRadiansPerDegree);
    const CRealPoint<double> p0 = GetPt(corner.x, corner.y);
    const CRealPoint<double> p2 = GetPt(corner.x + width * c + height * s, corner.y + width * s - height * c);
    dgn::CShapeElement2d* element = dgn::CShapeElement2d::Create(m_designFile.get(), 0);
    if (!element)
        return nullptr;
    dgn::CPoint2dArray* vertices = element->GetPoints();
    if (vertices && vertices->Resize(5)) {
        vertices->SetAt(0, p0.x, p0.y);
        vertices->SetAt(1, p2.x, p0.y);
        vertices->SetAt(2, p2.x, p2.y);
        vertices->SetAt(3, p0.x, p2.y);
        vertices->SetAt(4, p0.x, p0.y);
    }
    AddFill(shape, element);
    return element;
}

void CDGNExport::InsertGroup(IShape* group)
{
    const unsigned number = static_cast<unsigned>(NextGraphicGroup());
    const IShapeCollectionPtr children = ChildrenOf(group);
    for (long i = 1; i <= CountOf(children); ++i)
        if (IShapePtr child = ItemOf(children, i))
            InsertShape(child, number, 1, 0);
}

void CDGNExport::AddFill(IShape* shape, dgn::IGraphicElement* element)
{
    long pattern = 0;
    OLE_COLOR hatch = 0;
    RaiseIfFailed(shape->get_HatchPatternID(&pattern), shape);
    RaiseIfFailed(shape->get_HatchColor(&hatch), shape);
    if (pattern == hpSolid) {
        if (dgn::CElementLinkages* linkages = element->GetAttributes())
            linkages->AddSolidFill(static_cast<std::uint32_t>(GetNearestColor(hatch)));
    }
    element->RebuildFillInfo();
}

void CDGNExport::SetSymbology(IShape* shape, long kind, long layer, dgn::IGraphicElement* element, unsigned graphicGroup)
{
    // The level of the shape's layer, else of the nearest parent's, else the lowest layer's.
    auto level = m_layerLevels.find(layer);
    if (level == m_layerLevels.end()) {
        IShapePtr parent = ItemById(m_shapes, ParentOf(shape));
        while (parent && IdOf(parent) > kLastFixedShape && level == m_layerLevels.end()) {
            level = m_layerLevels.find(LayerOf(parent));
            parent = ItemById(m_shapes, ParentOf(parent));
        }
        if (level == m_layerLevels.end())
            level = m_layerLevels.begin();
    }
    if (level != m_layerLevels.end())
        element->SetLevel(static_cast<std::int32_t>(level->second));

    OLE_COLOR pen = 0;
    RaiseIfFailed(shape->get_PenColor(&pen), shape);
    element->SetColor(GetNearestColor(pen));
    // Texts keep their class's weight.
    if (kind != stText) {
        float weight = 0;
        RaiseIfFailed(shape->get_PenWeight(&weight), shape);
        element->SetWeight(static_cast<std::int32_t>(weight * kWeightPerPenWeight));
    }
    if (graphicGroup)
        element->SetGraphicGroup(graphicGroup);
    element->Touch();
}
