// CXAMLExport::InsertShape: each kind of shape as its XAML element.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "XAMLExport.h"
#include "common/RtfText.h"
#include "common/ShapeWalk.h"

namespace {

const double kTurn = 6.28318530717958;
const double kRadiansPerDegree = 0.017453292519943278;
// The side of a diamond of the workflow forms per unit of its box (a little above 1/sqrt 2).
const double kDiamondSide = 0.7071135624381276;
// Hatch pattern IDs from here on are the drawing's own hatches, which a XAML fill cannot show.
const long kFirstCustomHatch = 4096;

using Vec = ShapePoint;

std::string Colour(OLE_COLOR colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", static_cast<unsigned>(colour & 0xFF),
                  static_cast<unsigned>((colour >> 8) & 0xFF), static_cast<unsigned>((colour >> 16) & 0xFF));
    return text;
}

std::wstring Take(BSTR text)
{
    std::wstring w = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return w;
}

bool SameNoCase(const std::string& a, const char* b)
{
    const size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// How a shape is drawn: its pen and hatch colours (translated), pen weight and hatch pattern.
struct Look {
    OLE_COLOR pen = 0, hatch = 0;
    float weight = 0;
    long hatchId = 0;
};

Look LookOf(IShape* shape)
{
    Look look;
    RaiseIfFailed(shape->get_TranslatedPenColor(&look.pen), shape);
    RaiseIfFailed(shape->get_TranslatedHatchColor(&look.hatch), shape);
    RaiseIfFailed(shape->get_PenWeight(&look.weight), shape);
    RaiseIfFailed(shape->get_TranslatedHatchPatternID(&look.hatchId), shape);
    return look;
}

// The stroke thickness in canvas units of a pen weight.
double Thickness(float weight) { return weight / 3.0 + 0.3; }

// The database ID of a shape's attribute of ID 1, 0 when it has none.
long FirstAttributeNumber(IShape* shape)
{
    IAttributeCollectionPtr attributes;
    RaiseIfFailed(shape->get_Attributes(&attributes), shape);
    if (!attributes)
        return 0;
    IAttributePtr attribute;
    if (FAILED(attributes->get_ItemByID(1, &attribute)) || !attribute)
        return 0;
    long number = 0;
    RaiseIfFailed(attribute->get_DatabaseID(&number), attribute);
    return number;
}

// A file name made of a resource's name: no folder can be named through it.
std::wstring SafeFileName(std::wstring name)
{
    for (wchar_t& c : name)
        if (c < 0x20 || std::wcschr(L"\\/:*?\"<>|", c))
            c = L'_';
    return name;
}

} // namespace

void CXAMLExport::InsertShape(IShape* shape, CXAMLStream& out, const Transform& transform, const char* tag, int number)
{
    if (!shape)
        return;
    VARIANT_BOOL visible = VARIANT_FALSE;
    RaiseIfFailed(shape->get_Visible(&visible), shape);
    if (!visible)
        return;
    long type = 0;
    RaiseIfFailed(shape->get_ShapeType(&type), shape);
    const std::string blockTag = tag ? tag : "";
    switch (type) {
    case stLine:
    case stRectangle:
        WritePoints(shape, type, out, transform, blockTag, number);
        break;
    case stArc:
    case stEllipse:
        WriteCurve(shape, out, transform);
        break;
    case stCircle:
        WriteCircle(shape, out, transform);
        break;
    case stPolyline:
        WritePolyline(shape, out, transform, blockTag, number);
        break;
    case stGroup:
        // A group drops the tag it was given.
        WriteChildren(shape, out, Transform(), nullptr, 0);
        break;
    case stImage:
        WriteImage(shape, out, transform);
        break;
    case stText:
        WriteText(shape, out, transform, blockTag, number);
        break;
    case stReference:
        WriteReference(shape, out, blockTag, number);
        break;
    default:
        break;
    }
}

void CXAMLExport::WriteChildren(IShape* shape, CXAMLStream& out, const Transform& t, const char* tag, int number)
{
    IShapeCollectionPtr children;
    RaiseIfFailed(shape->get_Shapes(&children), shape);
    for (long i = 1; i <= CountOf(children); ++i) {
        IShapePtr child;
        RaiseIfFailed(children->get_Item(i, &child), children);
        if (child)
            InsertShape(child, out, t, tag, number);
    }
}

void CXAMLExport::WritePoints(IShape* shape, long type, CXAMLStream& out, const Transform& t, const std::string& tag,
                              int number)
{
    if (SameNoCase(tag, "wfState") || SameNoCase(tag, "SLV"))
        return;
    const std::vector<Vec> points = PointsOf(shape);
    if (points.empty())
        return;
    bool polygon = false;
    if (type == stRectangle) {
        IPolylineShapePtr polyline(shape);
        long flags = 0;
        if (polyline)
            RaiseIfFailed(polyline->get_Flags(&flags), polyline);
        polygon = (flags & pfClosed) != 0;
    }
    const Look look = LookOf(shape);
    const OLE_COLOR pen = look.pen, hatch = look.hatch;
    const long hatchId = look.hatchId;
    const double thickness = Thickness(look.weight);

    out << (polygon ? "<Polygon" : "<Polyline");
    if (number > 0)
        out << " Tag = \"" << CXAMLStream::Escape(tag).c_str() << "; " << number << "\"";
    out << " Stroke=\"" << Colour(pen).c_str() << "\" StrokeThickness=\"" << thickness << "\" Points=\"";
    for (const Vec& p : points)
        out << CanvasX(p.x, t) << "," << CanvasY(p.y, t) << " ";
    if (polygon) {
        out << "\">";
        if (hatchId > 0 && hatchId < kFirstCustomHatch)
            out << "<Polygon.Fill> <SolidColorBrush Color = \"" << Colour(hatch).c_str() << "\"/> </Polygon.Fill>";
        out << "</Polygon>\n";
    } else {
        out << "\"></Polyline>\n";
    }
}

void CXAMLExport::WriteCurve(IShape* shape, CXAMLStream& out, const Transform& t)
{
    const std::vector<Vec> points = PointsOf(shape);
    IEllipseShapePtr ellipse(shape);
    if (points.empty() || !ellipse)
        return;
    double major = 0, ratio = 0, start = 0, end = 0, angle = 0, extrusion = 0;
    RaiseIfFailed(ellipse->get_MajorRadius(&major), ellipse);
    RaiseIfFailed(ellipse->get_MinorRatio(&ratio), ellipse);
    RaiseIfFailed(ellipse->get_StartAngle(&start), ellipse);
    RaiseIfFailed(ellipse->get_EndAngle(&end), ellipse);
    RaiseIfFailed(ellipse->get_ZExtrusion(&extrusion), ellipse);
    RaiseIfFailed(shape->get_Angle(&angle), shape);
    OLE_COLOR pen = 0;
    float weight = 0;
    RaiseIfFailed(shape->get_TranslatedPenColor(&pen), shape);
    RaiseIfFailed(shape->get_PenWeight(&weight), shape);

    const double a0 = kTurn - end * kRadiansPerDegree;
    double a1 = kTurn - start * kRadiansPerDegree;
    // A sweep that is not a number would never end.
    if (!std::isfinite(a0) || !std::isfinite(a1))
        return;
    while (a1 <= a0)
        a1 += kTurn;
    const double step = (a1 - a0) * 0.027777777777777776;
    const double r = ratio * major;
    const double c = std::cos(-angle * kRadiansPerDegree);
    const double sn = std::sin(-angle * kRadiansPerDegree);
    const Vec centre = points[0];

    out << "<Polyline Stroke=\"" << Colour(pen).c_str() << "\" StrokeThickness=\"" << Thickness(weight)
        << "\" Points=\"";
    // 36 steps from a0; the last point is a1 itself.
    for (int i = 0; i <= 36; ++i) {
        double u = a0 + i * step;
        const bool last = i == 36 || u >= a1;
        if (last)
            u = a1;
        const double px = major * std::cos(u);
        const double py = extrusion < 0 ? r * std::sin(u) : -r * std::sin(u);
        const double p = px * c + py * sn;
        const double q = px * sn - py * c;
        out << (p * t.kx + centre.x + t.ox + m_negatedLeft) / m_canvasScale << ","
            << (m_canvasTop - (centre.y + t.oy - q * t.ky)) / m_canvasScale << " ";
        if (last)
            break;
    }
    out << "\"/>\n";
}

void CXAMLExport::WriteCircle(IShape* shape, CXAMLStream& out, const Transform& t)
{
    const std::vector<Vec> points = PointsOf(shape);
    ICircleShapePtr circle(shape);
    if (points.empty() || !circle)
        return;
    double radius = 0;
    RaiseIfFailed(circle->get_Radius(&radius), circle);
    const Look look = LookOf(shape);
    const OLE_COLOR pen = look.pen, hatch = look.hatch;
    const long hatchId = look.hatchId;
    const double r = radius * t.kx / m_canvasScale;
    out << "<Ellipse Stroke=\"" << Colour(pen).c_str() << "\" StrokeThickness=\"" << Thickness(look.weight) << "\"";
    if (hatchId > 0)
        out << " Fill=\"" << Colour(hatch).c_str() << "\"";
    out << " Canvas.Left=\"" << CanvasX(points[0].x, t) - r << "\" Canvas.Top=\"" << CanvasY(points[0].y, t) - r
        << "\" Height=\"" << 2 * r << "\" Width=\"" << 2 * r << "\"/>";
}

namespace {

void OpenPathFigure(CXAMLStream& out, double x, double y, bool closed)
{
    out << "\t<Path.Data>\n"
        << "\t\t<PathGeometry>\n"
        << "\t\t\t<PathGeometry.Figures>\n"
        << "\t\t\t\t<PathFigure StartPoint=\"" << x << "," << y << "\"";
    if (closed)
        out << " IsClosed=\"True\"";
    out << ">\n"
        << "\t\t\t\t\t<PathFigure.Segments>\n";
}

void ClosePathFigure(CXAMLStream& out)
{
    out << "           </PathFigure.Segments>\n"
        << "          </PathFigure>\n"
        << "        </PathGeometry.Figures>\n"
        << "      </PathGeometry>\n"
        << "    </Path.Data>\n"
        << "  </Path> \n";
}

} // namespace

void CXAMLExport::WritePolyline(IShape* shape, CXAMLStream& out, const Transform& t, const std::string& tag, int number)
{
    IPolylineShapePtr polyline(shape);
    if (!polyline)
        return;
    long flags = 0, id = 0;
    RaiseIfFailed(polyline->get_Flags(&flags), polyline);
    RaiseIfFailed(shape->get_ID(&id), shape);
    const bool closed = (flags & pfClosed) != 0;
    const Look look = LookOf(shape);
    const OLE_COLOR pen = look.pen, hatch = look.hatch;
    const long hatchId = look.hatchId;
    const double thickness = Thickness(look.weight);
    const bool fill = hatchId > 0 && hatchId < kFirstCustomHatch;
    const std::string stroke = Colour(pen);
    const std::string fillColour = Colour(hatch);
    const std::string tagText = CXAMLStream::Escape(tag);
    const std::vector<Vec> points = PointsOf(shape);

    if (flags & pfBezier) {
        if (points.empty())
            return;
        out << "<Path " << " Stroke=\"" << stroke.c_str() << "\" StrokeThickness=\"" << thickness << "\"";
        if (closed && fill)
            out << " Fill=\"" << fillColour.c_str() << "\"";
        if (number > 0)
            out << " Tag = \"" << tagText.c_str() << "; " << number << "\"";
        out << ">\n";
        OpenPathFigure(out, CanvasX(points[0].x, t), CanvasY(points[0].y, t), closed);
        // Each segment takes three points after the one it starts from; what is left over is dropped.
        for (size_t q = 1; q + 2 < points.size(); q += 3) {
            out << "\t\t\t\t\t\t<BezierSegment ";
            for (size_t k = 0; k < 3; ++k)
                out << "Point" << static_cast<long>(k + 1) << "=\"" << CanvasX(points[q + k].x, t) << ","
                    << CanvasY(points[q + k].y, t) << "\" ";
            out << " />\n";
        }
        ClosePathFigure(out);
        return;
    }

    std::string label;
    if (m_workflow) {
        long shapeTag = 0;
        RaiseIfFailed(shape->get_Tag(&shapeTag), shape);
        if (shapeTag == 3) {
            // A transition: the identities of the shapes that its ends are linked to.
            IPointCollectionPtr pointCollection;
            RaiseIfFailed(shape->get_Points(&pointCollection), shape);
            const long n = CountOf(pointCollection);
            label = "wfTrans";
            for (long index : {1L, n}) {
                label += ":";
                if (n < 1)
                    continue;
                IPointPtr point;
                RaiseIfFailed(pointCollection->get_Item(index, &point), pointCollection);
                long pointId = 0, linked = 0;
                if (point)
                    RaiseIfFailed(point->get_ID(&pointId), point);
                RaiseIfFailed(m_runSite->GetLinkedPointShape(pointId, &linked), m_runSite);
                if (!linked)
                    continue;
                IShapePtr linkedShape;
                RaiseIfFailed(m_runShapes->get_ItemByID(linked, &linkedShape), m_runShapes);
                if (linkedShape)
                    if (const long identity = FirstAttributeNumber(linkedShape))
                        label += std::to_string(identity);
            }
        }
        if (SameNoCase(tag, "wfState")) {
            long parentId = 0;
            RaiseIfFailed(shape->get_ParentID(&parentId), shape);
            IShapePtr parent;
            RaiseIfFailed(m_runShapes->get_ItemByID(parentId, &parent), m_runShapes);
            if (!parent)
                return;
            float l = 0, t0 = 0, r0 = 0, b = 0;
            RaiseIfFailed(parent->GetBoundingRect(&l, &t0, &r0, &b), parent);
            const double s = m_canvasScale;
            const double radius = std::max(t0 - b, r0 - l) / s * 0.1;
            out << "<Rectangle Canvas.Top=\"" << CanvasY(t0, t) << "\" Canvas.Left=\"" << CanvasX(l, t) << "\" Width=\""
                << (r0 - l) / s << "\" Height=\"" << (t0 - b) / s << "\"" << " RadiusX=\"" << radius << "\" RadiusY=\""
                << radius << "\"" << " Tag=\"" << tagText.c_str() << "; " << number << "\"" << " x:Name=\"" << id
                << "\"" << " Stroke=\"" << stroke.c_str() << "\" StrokeThickness=\"" << thickness << "\"";
            if (fill)
                out << " Fill=\"" << fillColour.c_str() << "\"";
            out << "/>\n";
            return;
        }
        if (SameNoCase(tag, "wfDecision")) {
            float l = 0, t0 = 0, r0 = 0, b = 0;
            RaiseIfFailed(shape->GetBoundingRect(&l, &t0, &r0, &b), shape);
            const double s = m_canvasScale;
            const double w = r0 - l, h = t0 - b;
            const double m = std::min(w, h);
            const double e = m * kDiamondSide;
            const double cx = (l + r0) / 2.0, cy = (t0 + b) / 2.0;
            // A diamond of no size cannot be scaled to its box.
            const double scaleX = m > 0 ? w / m : 1, scaleY = m > 0 ? h / m : 1;
            out << "<Rectangle Canvas.Top=\"" << (m_canvasTop - (cy + e * t.ky / 2 + t.oy)) / s << "\" Canvas.Left=\""
                << (cx + t.ox - e * t.kx / 2 + m_negatedLeft) / s << "\" Width=\"" << e / s << "\" Height=\"" << e / s
                << "\"" << " Tag=\"" << tagText.c_str() << "; " << number << "\"" << " x:Name=\"" << id << "\""
                << " Stroke=\"" << stroke.c_str() << "\" StrokeThickness=\"" << thickness << "\"";
            if (fill)
                out << " Fill=\"" << fillColour.c_str() << "\"";
            out << ">\n"
                << "<Rectangle.RenderTransform><TransformGroup>\n"
                << "\t<RotateTransform Angle=\"45\" CenterX=\"" << e / (2 * s) << "\" CenterY=\"" << e / (2 * s)
                << "\"/> \n"
                << "\t<ScaleTransform ScaleX=\"" << scaleX << "\" ScaleY=\"" << scaleY << "\" CenterX=\"" << e / (2 * s)
                << "\" CenterY=\"" << e / (2 * s) << "\"/> \n"
                << "</TransformGroup></Rectangle.RenderTransform>"
                << "</Rectangle>\n";
            return;
        }
    }

    // The vertex path: straight and arc segments; a closed one goes back to its first vertex.
    IVertexCollectionPtr vertexes;
    RaiseIfFailed(polyline->get_Vertexes(&vertexes), polyline);
    struct Vertex {
        double x, y, bulge;
    };
    std::vector<Vertex> vertices;
    for (long i = 1, n = CountOf(vertexes); i <= n; ++i) {
        IVertexPtr vertex;
        RaiseIfFailed(vertexes->get_Item(i, &vertex), vertexes);
        float x = 0, y = 0, bulge = 0;
        if (vertex) {
            RaiseIfFailed(vertex->get_X(&x), vertex);
            RaiseIfFailed(vertex->get_Y(&y), vertex);
            RaiseIfFailed(vertex->get_Bulge(&bulge), vertex);
        }
        vertices.push_back({x, y, bulge});
    }
    const size_t count = vertices.size();
    const size_t last = closed ? count + 1 : count;
    for (size_t q = 1; q <= last && count > 0; ++q) {
        const Vertex& v = vertices[(q - 1) % count];
        if (q == 1) {
            if (number > 0)
                label += " " + tag + "; " + std::to_string(number);
            out << "<Path ";
            if (!label.empty())
                out << " Tag = \"" << CXAMLStream::Escape(label).c_str() << "\" x:Name=\"" << id << "\"";
            out << " Stroke=\"" << stroke.c_str() << "\" StrokeThickness=\"" << thickness << "\"";
            if (fill)
                out << " Fill=\"" << fillColour.c_str() << "\"";
            out << ">\n";
            OpenPathFigure(out, CanvasX(v.x, t), CanvasY(v.y, t), closed);
            continue;
        }
        const Vertex& previous = vertices[(q - 2) % count];
        const double b = previous.bulge;
        if (std::fabs(b) > 0.0001) {
            const double half = std::hypot(v.x - previous.x, v.y - previous.y) / 2;
            const double radius = std::fabs(b) == 1 ? half : half / std::sin(2 * std::atan(std::fabs(b)));
            out << "\t\t\t\t\t\t<ArcSegment Point=\"" << CanvasX(v.x, t) << "," << CanvasY(v.y, t) << "\" Size=\""
                << radius / m_canvasScale << "," << radius / m_canvasScale << "\" SweepDirection=\""
                << (b >= 0 ? "Counterclockwise" : "Clockwise") << "\"/>\n";
        } else {
            out << "\t\t\t\t\t\t<LineSegment Point=\"" << CanvasX(v.x, t) << "," << CanvasY(v.y, t) << "\"/>\n";
        }
    }
    if (count > 0)
        ClosePathFigure(out);

    // Arrowheads, at the end first, from the shape's points on the canvas.
    long firstArrow = 0, secondArrow = 0;
    RaiseIfFailed(polyline->get_FirstArrowTypeID(&firstArrow), polyline);
    RaiseIfFailed(polyline->get_SecondArrowTypeID(&secondArrow), polyline);
    if ((firstArrow > 0 || secondArrow > 0) && points.size() >= 2) {
        const size_t n = points.size();
        if (secondArrow > 0)
            WriteArrow(out, CanvasX(points[n - 1].x, t), CanvasY(points[n - 1].y, t), CanvasX(points[n - 2].x, t),
                       CanvasY(points[n - 2].y, t), thickness, stroke);
        if (firstArrow > 0)
            WriteArrow(out, CanvasX(points[0].x, t), CanvasY(points[0].y, t), CanvasX(points[1].x, t),
                       CanvasY(points[1].y, t), thickness, stroke);
    }
}

void CXAMLExport::WriteArrow(CXAMLStream& out, double tipX, double tipY, double nextX, double nextY, double thickness,
                             const std::string& colour)
{
    IDrawingSettingCollectionPtr settings;
    RaiseIfFailed(m_runSite->get_DrawingSettings(&settings), m_runSite);
    double arrowScale = 1;
    if (settings) {
        IDrawingSettingPtr setting;
        RaiseIfFailed(settings->get_ItemByID(1, &setting), settings);
        if (setting)
            RaiseIfFailed(setting->get_ArrowScale(&arrowScale), setting);
    }
    const double size = thickness > 7 ? thickness * arrowScale : 7 * arrowScale;
    const double length = std::hypot(nextX - tipX, nextY - tipY);
    // Two points in one place give no direction.
    if (!(length > 0))
        return;
    const double ux = (nextX - tipX) / length, uy = (nextY - tipY) / length;
    const double baseX = tipX + size * ux, baseY = tipY + size * uy;
    if (thickness > 0.3) {
        tipX -= 2 * size * ux;
        tipY -= 2 * size * uy;
    }
    const double dx = baseX - tipX, dy = baseY - tipY;
    out << "<Polyline" << " Stroke=\"" << colour.c_str() << "\" StrokeThickness=\"" << 0.5 << "\"" << " Fill=\""
        << colour.c_str() << "\"" << " Points=\"" << tipX + 0.94 * dx + 0.34 * dy << "," << tipY + 0.94 * dy - 0.34 * dx
        << " " << tipX + 0.94 * dx - 0.34 * dy << "," << tipY + 0.94 * dy + 0.34 * dx << " " << tipX << "," << tipY
        << "\"/>\n";
}

void CXAMLExport::WriteReference(IShape* shape, CXAMLStream& out, const std::string& tag, int number)
{
    IReferenceShapePtr reference(shape);
    std::string blockTag = tag;
    int blockNumber = number;
    if (reference && number == 0) {
        long blockId = 0;
        RaiseIfFailed(reference->get_BlockGroupShapeID(&blockId), reference);
        IShapePtr blockShape;
        RaiseIfFailed(m_runShapes->get_ItemByID(blockId, &blockShape), m_runShapes);
        IGroupShapePtr block(blockShape);
        if (block) {
            BSTR name = nullptr;
            RaiseIfFailed(block->get_Name(&name), block);
            blockTag = CXAMLStream::Utf8(Take(name));
            blockNumber = static_cast<int>(FirstAttributeNumber(shape));
        }
    }
    WriteChildren(shape, out, Transform(), blockTag.c_str(), blockNumber);
}

void CXAMLExport::WriteImage(IShape* shape, CXAMLStream& out, const Transform& t)
{
    IImageShapePtr image(shape);
    if (!image || !m_runResources)
        return;
    const std::vector<Vec> points = PointsOf(shape);
    if (points.empty())
        return;
    double width = 0, height = 0, rotation = 0;
    long resourceId = 0;
    RaiseIfFailed(image->get_Width(&width), image);
    RaiseIfFailed(image->get_Height(&height), image);
    RaiseIfFailed(image->get_ImageResourceID(&resourceId), image);
    IImageResourcePtr resource;
    RaiseIfFailed(m_runResources->get_ItemByID(resourceId, &resource), m_runResources);
    if (!resource)
        return;
    ImageResourceTypes kind = irtUnknown;
    RaiseIfFailed(resource->get_ResourceType(&kind), resource);
    const double s = m_canvasScale;
    const double x = CanvasX(points[0].x, t), y = CanvasY(points[0].y, t);

    if (kind == irtExtMetafile) {
        if (const long blockId = BlockOfResource(resource)) {
            if (m_blockImageMode == 1) {
                IShapePtr block;
                RaiseIfFailed(m_runShapes->get_ItemByID(blockId, &block), m_runShapes);
                if (!block)
                    return;
                float l = 0, tp = 0, r = 0, b = 0;
                RaiseIfFailed(block->GetBoundingRect(&l, &tp, &r, &b), block);
                const double bw = r - l, bh = tp - b;
                if (bw > 0 && bh > 0) {
                    Transform inner;
                    inner.ox = points[0].x;
                    inner.oy = points[0].y;
                    inner.kx = width / bw;
                    inner.ky = height / bh;
                    WriteChildren(block, out, inner, nullptr, 0);
                }
            } else if (m_blockImageMode == 2) {
                out << "<Rectangle Canvas.Top=\"" << y << "\" Canvas.Left=\"" << x << "\" Width=\"" << width / s
                    << "\" Height=\"" << height / s << "\"" << " Stroke=\"Black\" StrokeThickness=\"0.5\" />\n";
            }
            return;
        }
    }

    BSTR name = nullptr, extension = nullptr;
    RaiseIfFailed(resource->get_Name(&name), resource);
    const std::wstring baseName = Take(name);
    RaiseIfFailed(resource->get_Extension(&extension), resource);
    const std::wstring fileName = SafeFileName(baseName + L"." + Take(extension));
    bool saved = false;
    for (const std::wstring& done : m_savedImageNames)
        saved = saved || done == fileName;
    if (!saved) {
        const _bstr_t target((m_outputDirectory + fileName).c_str());
        RaiseIfFailed(resource->SaveToFile(target), resource);
        m_savedImageNames.push_back(fileName);
    }
    RaiseIfFailed(image->get_RotationAngle(&rotation), image);
    const double angle = -rotation;
    if (kind == irtJPEG) {
        out << "<Image Source=\"";
        out.Text(fileName);
        out << "\" Canvas.Top=\"" << y << "\" Canvas.Left=\"" << x << "\" Width=\"" << width / s << "\" Height=\""
            << height / s << "\">\n"
            << "<Image.RenderTransform> <RotateTransform Angle=\"" << angle
            << "\" /> </Image.RenderTransform> </Image>\n";
    } else {
        out << "<Rectangle Canvas.Top=\"" << y << "\" Canvas.Left=\"" << x << "\" Width=\"" << width / s
            << "\" Height=\"" << height / s << "\"" << " Stroke=\"Blue\" StrokeThickness=\"1.0\" Fill=\"Bisque\">\n"
            << "<Rectangle.RenderTransform> <RotateTransform Angle=\"" << angle
            << "\" /> </Rectangle.RenderTransform> </Rectangle>\n";
    }
}

void CXAMLExport::WriteText(IShape* shape, CXAMLStream& out, const Transform& t, const std::string& tag, int number)
{
    ITextShapePtr text(shape);
    if (!text)
        return;
    const std::vector<Vec> points = PointsOf(shape);
    if (points.empty())
        return;
    double height = 0, angle = 0;
    RaiseIfFailed(text->get_Height(&height), text);
    RaiseIfFailed(shape->get_Angle(&angle), shape);
    const double s = m_canvasScale;
    const double k = std::fabs(height * t.ky * 1.3);
    const double fontSize = 0.9 * k / s;
    const double lineStep = 1.05 * k;
    BSTR content = nullptr;
    RaiseIfFailed(text->get_Text(&content), text);
    std::wstring value = Take(content);
    TextTypes textType = ttANSI;
    RaiseIfFailed(text->get_Type(&textType), text);
    if (textType == ttRTF)
        value = ReducedRtf(value);
    OLE_COLOR pen = 0;
    RaiseIfFailed(shape->get_TranslatedPenColor(&pen), shape);
    const std::string colour = Colour(pen);
    float l = 0, tp = 0, r = 0, b = 0;
    RaiseIfFailed(shape->GetBoundingRect(&l, &tp, &r, &b), shape);
    const double x = l * t.kx + t.ox;
    double y = tp;

    size_t from = 0;
    while (from < value.size()) {
        size_t feed = value.find(L'\n', from);
        if (feed == std::wstring::npos)
            feed = value.size();
        std::wstring line = value.substr(from, feed - from);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        from = feed + 1;
        out << "<TextBlock FontFamily=\"Arial\" FontSize = \"" << fontSize << "\" Canvas.Top = \""
            << (m_canvasTop - (y * t.ky + t.oy)) / s << "\" Canvas.Left = \"" << (x + m_negatedLeft) / s << "\"";
        if (number > 0)
            out << " Tag = \"" << CXAMLStream::Escape(tag).c_str() << "; " << number << "\"";
        out << ">\n"
            << "<TextBlock.Foreground> <SolidColorBrush Color = \"" << colour.c_str() << "\"/> </TextBlock.Foreground>"
            << "<TextBlock.RenderTransform> <RotateTransform Angle=\"" << -angle
            << "\" /> </TextBlock.RenderTransform>\n";
        out.Text(line);
        out << "</TextBlock>\n";
        y -= lineStep;
    }

    long leader = 0;
    RaiseIfFailed(text->get_LeaderType(&leader), text);
    if (leader > 0) {
        long parentId = 0;
        RaiseIfFailed(shape->get_ParentID(&parentId), shape);
        IShapePtr parent;
        RaiseIfFailed(m_runShapes->get_ItemByID(parentId, &parent), m_runShapes);
        if (!parent)
            return;
        float pl = 0, pt = 0, pr = 0, pb = 0;
        RaiseIfFailed(parent->GetBoundingRect(&pl, &pt, &pr, &pb), parent);
        const double fromX = pr < l ? pr : pl, toX = pr < l ? l : r;
        const double fromY = (pt + pb) / 2.0, toY = (tp + b) / 2.0;
        out << "<Polyline Stroke=\"Blue\" StrokeThickness=\"1\" Points=\"" << CanvasX(fromX, t) << ","
            << CanvasY(fromY, t) << " " << CanvasX(toX, t) << "," << CanvasY(toY, t) << "\" />\n";
    }
}
