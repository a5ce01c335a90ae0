// The element conversion of the DGN importer: the dispatcher over the element types, the
// geometric elements (lines, line strings, shapes, curves, B-spline curves, complex chains and
// shapes, ellipses, arcs, dimensions), the view element, and the symbology, layer and graphic
// group that every converted shape receives.
#include "DGNImport.h"
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include "DesignFile.h"
#include "DgnString.h"
#include "FillInfo.h"
#include "Geometry.h"
#include "GraphicElement.h"
#include "LevelData.h"
#include "EntityIterator.h"
#include "Point2dArray.h"
#include "Point3dArray.h"
#include "Stroking.h"
#include "elements/BSplineCurveHeaderElement.h"
#include "elements/DimensionElement.h"
#include "elements/EllipseElements.h"
#include "elements/LevelMaskElement.h"
#include "elements/LinearElements.h"
#include "elements/ViewElement.h"
#include "ByteArray.h"
#include "ElementLinkages.h"
#include "linkages/DependencyLinkage.h"

namespace {

const double kDegreesPerRadian = 57.29577951308239;

using Points = std::vector<CRealPoint<double>>;

// Element types the conversion meets.
enum : int {
    kCellHeader = 2,
    kLine = 3,
    kLineString = 4,
    kShape = 6,
    kTextNode = 7,
    kCurve = 11,
    kComplexChain = 12,
    kComplexShape = 14,
    kEllipse = 15,
    kArc = 16,
    kText = 17,
    kBSplineCurve = 27,
    kDimension = 33,
    kSharedCellDefinition = 34,
    kSharedCellInstance = 35,
    kTag = 37,
    kView = 98,
};

// The design-file points of a vertex list, 2-D or 3-D (x and y kept), from first to before end.
template <class Array>
void AppendArray(const Array* list, std::uint32_t first, std::uint32_t end, std::vector<dgn::Point2d>& out)
{
    for (std::uint32_t i = first; list && i < end && i < list->Count(); ++i) {
        const auto* p = list->At(i);
        out.push_back(p ? dgn::Point2d{p->x, p->y} : dgn::Point2d{0, 0});
    }
}

// The vertex list of a line string, shape, curve or pole list; false for other elements.
bool VertexPoints(dgn::IElement* element, std::vector<dgn::Point2d>& out, bool drawnOnly)
{
    std::uint32_t count = 0;
    const dgn::CPoint2dArray* flat = nullptr;
    const dgn::CPoint3dArray* deep = nullptr;
    if (auto* e2 = dynamic_cast<dgn::TVertexElement2d*>(element)) {
        flat = e2->GetPoints();
        count = flat ? flat->Count() : 0;
    } else if (auto* e3 = dynamic_cast<dgn::TVertexElement3d*>(element)) {
        deep = e3->GetPoints();
        count = deep ? deep->Count() : 0;
    } else {
        return false;
    }
    // A curve draws its interior nodes: the first two and the last two only shape its ends.
    std::uint32_t first = 0, end = count;
    if (drawnOnly && element->GetType() == kCurve && count > 4) {
        first = 2;
        end = count - 2;
    }
    if (flat)
        AppendArray(flat, first, end, out);
    else
        AppendArray(deep, first, end, out);
    return true;
}

// A component of a complex chain or shape as the points it draws: lines, vertex lists, curves
// by their interior nodes, arcs and ellipses stroked as the library strokes them. False for a
// component that draws no outline.
bool ComponentPoints(dgn::IElement* element, std::vector<dgn::Point2d>& out)
{
    if (auto* l2 = dynamic_cast<dgn::TLineElement<dgn::Point2d>*>(element)) {
        out.push_back(l2->GetGeometry()[0]);
        out.push_back(l2->GetGeometry()[1]);
        return true;
    }
    if (auto* l3 = dynamic_cast<dgn::TLineElement<dgn::Point3d>*>(element)) {
        for (int i = 0; i < 2; ++i)
            out.push_back({l3->GetGeometry()[i].x, l3->GetGeometry()[i].y});
        return true;
    }
    std::unique_ptr<dgn::CPoint2dArray> flat;
    std::unique_ptr<dgn::CPoint3dArray> deep;
    if (auto* a2 = dynamic_cast<dgn::TEllipticElement<dgn::Arc2d>*>(element))
        flat.reset(dgn::StrokeArc2d(a2->GetBody()));
    else if (auto* a3 = dynamic_cast<dgn::TEllipticElement<dgn::Arc3d>*>(element))
        deep.reset(dgn::StrokeArc3d(a3->GetBody()));
    else if (auto* e2 = dynamic_cast<dgn::TEllipticElement<dgn::Ellipse2d>*>(element))
        flat.reset(dgn::StrokeEllipse2d(e2->GetBody(), 0));
    else if (auto* e3 = dynamic_cast<dgn::TEllipticElement<dgn::Ellipse3d>*>(element))
        deep.reset(dgn::StrokeEllipse3d(e3->GetBody(), 0));
    else
        return VertexPoints(element, out, true);
    if (flat)
        AppendArray(flat.get(), 0, flat->Count(), out);
    if (deep)
        AppendArray(deep.get(), 0, deep->Count(), out);
    return true;
}

// The rotation about z of an orientation quaternion.
double QuaternionRotation(const double q[4])
{
    double m[16];
    dgn::QuaternionToMatrix(q, m);
    return std::atan2(m[1], m[0]);
}

} // namespace

unsigned long CDGNImport::GetGraphicGroup(dgn::IElement* element) const
{
    try {
        if (!element || element->GetType() == 90 || !element->IsGraphic())
            return 0;
        auto* graphic = dynamic_cast<dgn::IGraphicElement*>(element);
        return graphic ? graphic->GetGraphicGroup() : 0;
    } catch (...) {
        return 0;
    }
}

IShapeCollectionPtr CDGNImport::SiteShapes()
{
    ISitePtr site;
    RaiseIfFailed(m_control->get_Site(&site), m_control);
    IShapeCollectionPtr shapes;
    RaiseIfFailed(site->get_Shapes(&shapes), site);
    return shapes;
}

IShapePtr CDGNImport::ItemById(IShapeCollectionPtr& shapes, long id)
{
    IShapePtr shape;
    RaiseIfFailed(shapes->get_ItemByID(id, &shape), shapes);
    return shape;
}

long CDGNImport::CountOf(IShapeCollectionPtr& shapes)
{
    _IReadOnlyCollectionPtr counted(shapes);
    long count = 0;
    RaiseIfFailed(counted->get_Count(&count), counted);
    return count;
}

IShapePtr CDGNImport::ItemAt(IShapeCollectionPtr& shapes, long index)
{
    IReadOnlyShapeCollectionPtr items(shapes);
    IShapePtr shape;
    RaiseIfFailed(items->get_Item(index, &shape), items);
    return shape;
}

_bstr_t CDGNImport::DgnText(dgn::CDgnString* text)
{
    if (!text || text->IsEmpty())
        return _bstr_t(L"");
    if (text->IsWide()) {
        std::vector<char16_t> wide(text->CharCount() + 1, 0);
        text->CopyToWide(wide.data());
        return _bstr_t(reinterpret_cast<const wchar_t*>(wide.data()));
    }
    // 8-bit texts of design files are in the Windows ANSI code page the files were written
    // with; the machine's own code page may differ.
    const char* bytes = text->CStr();
    const int n = static_cast<int>(std::strlen(bytes));
    const int units = MultiByteToWideChar(1252, 0, bytes, n, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(units) + 1, 0);
    MultiByteToWideChar(1252, 0, bytes, n, wide.data(), units);
    return _bstr_t(wide.data());
}

COLORREF CDGNImport::MapColour(std::int32_t index) const
{
    if (index == -2)
        return coByBlock;
    // A colour index outside the 256 entries of the table takes the level's colour, as a
    // by-level colour does.
    if (index < 0 || index > 255)
        return coByLayer;
    return m_colours[index];
}

int CDGNImport::GetShape(dgn::IElement* element, IShapeCollectionPtr target)
{
    if (!element || !m_converted.insert(element).second)
        return 0;
    const int type = element->GetType();
    const unsigned long gg = GetGraphicGroup(element);

    // An element of a graphic group joins the group shape in which its group was first seen.
    IShapeCollectionPtr working = target;
    if (gg) {
        const auto seen = m_graphicGroups.find(gg);
        if (seen != m_graphicGroups.end() && seen->second.groupId != m_currentGroupId) {
            IShapeCollectionPtr site = SiteShapes();
            IShapePtr group = ItemById(site, seen->second.groupId);
            if (group) {
                IShapeCollectionPtr members;
                RaiseIfFailed(group->get_Shapes(&members), group);
                if (members)
                    working = members;
            }
        }
    }

    ConvertedShape made;
    int result = 0;
    switch (type) {
    case kLine: result = ConvertLine(element, working, made); break;
    case kLineString:
    case kShape:
    case kCurve:
    case kBSplineCurve: result = ConvertVertices(element, working, made); break;
    case kComplexChain:
    case kComplexShape: result = ConvertComplex(element, working, made); break;
    case kEllipse:
    case kArc: result = ConvertEllipse(element, working, made); break;
    case kDimension: result = ConvertDimension(element, working, made); break;
    case kView: result = ConvertView(element); break;
    case kCellHeader: result = ConvertCell(element, working, made); break;
    case kTextNode: result = ConvertTextNode(element, working); break;
    case kSharedCellDefinition: result = ConvertSharedCellDefinition(element); break;
    case kSharedCellInstance: result = ConvertSharedCellInstance(element, working, made); break;
    case kText: result = ConvertText(element, working, made); break;
    case kTag: result = ConvertTag(element, working, made); break;
    // Not drawn: the level symbology (23), tag sets (39), type 90 and the model-bound 100.
    case 23:
    case 39:
    case 90:
    case 100: result = 1; break;
    default: return 0;
    }
    if (!result)
        return 0;

    if (made.shape)
        ApplySymbology(dynamic_cast<dgn::IGraphicElement*>(element), made);

    if (made.shape && gg && made.id > 0) {
        if (m_currentGroupId && m_graphicGroups.find(gg) == m_graphicGroups.end()) {
            CDGNGraphicGroup record;
            record.groupId = m_currentGroupId;
            m_graphicGroups[gg] = record;
        }
        m_graphicGroupMembers.insert(std::make_pair(gg, made.id));
        if (gg > m_highestGraphicGroup)
            m_highestGraphicGroup = gg;
    }
    return 1;
}

void CDGNImport::ApplySymbology(dgn::IGraphicElement* element, const ConvertedShape& made)
{
    if (!element)
        return;
    IShapePtr shape = made.shape;

    // Weights by level (-1) and by cell (-2) draw with the thinnest pen; a weight step is three
    // units of the drawing.
    const std::int32_t weight = element->GetWeight();
    const std::uint32_t pen = weight < 0 ? 0u : 3u * static_cast<std::uint32_t>(weight);
    RaiseIfFailed(shape->put_PenWeight(static_cast<float>(DGNDistance(static_cast<double>(pen)))), shape);

    long shapeType = 0;
    RaiseIfFailed(shape->get_ShapeType(&shapeType), shape);
    if (shapeType != stGroup)
        RaiseIfFailed(shape->put_PenColor(MapColour(element->GetColor())), shape);

    bool layered = false;
    if (!made.layerName.IsEmpty()) {
        ISitePtr site;
        RaiseIfFailed(shape->get_Site(&site), shape);
        IShapeCollectionPtr siteShapes;
        RaiseIfFailed(site->get_Shapes(&siteShapes), site);
        IShapePtr layersGroup = ItemById(siteShapes, -4);
        IShapeCollectionPtr layers;
        if (layersGroup)
            RaiseIfFailed(layersGroup->get_Shapes(&layers), layersGroup);
        if (layers) {
            const _bstr_t wanted(made.layerName.GetString());
            long layerId = 0;
            const long count = CountOf(layers);
            for (long i = 1; i <= count && !layerId; ++i) {
                IShapePtr item = ItemAt(layers, i);
                ILayerShapePtr layer(item);
                if (!layer)
                    continue;
                BSTR name = nullptr;
                RaiseIfFailed(layer->get_Name(&name), layer);
                const _bstr_t owned(name, false);
                long id = 0;
                RaiseIfFailed(item->get_ID(&id), item);
                if (owned.length() == wanted.length() &&
                    std::wcscmp(static_cast<const wchar_t*>(owned) ? static_cast<const wchar_t*>(owned) : L"",
                                static_cast<const wchar_t*>(wanted)) == 0 &&
                    id != 0)
                    layerId = id;
            }
            if (!layerId)
                RaiseIfFailed(layers->AddLayer(wanted, &layerId), layers);
            if (layerId > 0) {
                RaiseIfFailed(shape->put_LayerShapeID(layerId), shape);
                layered = true;
            }
        }
    }
    if (!layered) {
        if (const dgn::LevelData* level = element->GetLevelSymbology()) {
            const long key = static_cast<long>(level->levelNumber);
            const long layerId = m_levelLayers.insert(std::make_pair(key, 0L)).first->second;
            // A level without a layer (not in the file's level table) leaves the shape on the
            // layer it was made on: the control refuses layer 0, and the element is not lost.
            if (layerId != 0)
                RaiseIfFailed(shape->put_LayerShapeID(layerId), shape);
        }
    }

    if (made.keepHatch)
        return;
    dgn::CFillInfo* fill = element->GetFillInfo();
    if (fill && fill->GetKind() == dgn::CFillInfo::kSolidFill) {
        RaiseIfFailed(shape->put_HatchColor(MapColour(fill->GetFillColor())), shape);
        RaiseIfFailed(shape->put_HatchPatternID(1), shape);
    } else {
        RaiseIfFailed(shape->put_HatchPatternID(0), shape);
    }
}

IPolylineShapePtr CDGNImport::AddMappedPolyline(IShapeCollectionPtr& working, const Points& points, bool closed,
                                                ConvertedShape& out)
{
    const CRealPoint<double> origin = DGNPt(0, 0);
    const CRealPoint<double> p0 = points.size() > 0 ? points[0] : origin;
    const CRealPoint<double> p1 = points.size() > 1 ? points[1] : origin;
    long id = 0;
    RaiseIfFailed(working->AddPolyline(static_cast<float>(p0.x), static_cast<float>(p0.y), static_cast<float>(p1.x),
                                       static_cast<float>(p1.y), &id),
                  working);
    IShapePtr shape = ItemById(working, id);
    if (!shape)
        return nullptr;
    out.shape = shape;
    out.id = id;
    IPolylineShapePtr polyline(shape);
    if (!polyline)
        return nullptr;
    IPolylinePointCollectionPtr list;
    RaiseIfFailed(polyline->get_PolylinePoints(&list), polyline);
    if (!list) {
        out.shape = nullptr;
        return nullptr;
    }
    long position = 3;
    for (std::size_t i = 2; i < points.size(); ++i) {
        const CRealPoint<double>& p = points[i];
        if (i + 1 == points.size() && p.x == points[0].x && p.y == points[0].y) {
            closed = true;
            break;
        }
        long pointId = 0;
        RaiseIfFailed(list->AddNewPoint(position++, &pointId, static_cast<float>(p.x), static_cast<float>(p.y)), list);
    }
    if (closed)
        RaiseIfFailed(polyline->put_Flags(pfClosed), polyline);
    return polyline;
}

int CDGNImport::ConvertLine(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out)
{
    dgn::Point2d ends[2];
    if (auto* l2 = dynamic_cast<dgn::TLineElement<dgn::Point2d>*>(element)) {
        ends[0] = l2->GetGeometry()[0];
        ends[1] = l2->GetGeometry()[1];
    } else if (auto* l3 = dynamic_cast<dgn::TLineElement<dgn::Point3d>*>(element)) {
        for (int i = 0; i < 2; ++i)
            ends[i] = {l3->GetGeometry()[i].x, l3->GetGeometry()[i].y};
    } else {
        return 0;
    }
    const CRealPoint<double> p1 = DGNPt(ends[0].x, ends[0].y);
    const CRealPoint<double> p2 = DGNPt(ends[1].x, ends[1].y);
    long id = 0;
    RaiseIfFailed(working->AddLine(static_cast<float>(p1.x), static_cast<float>(p1.y), static_cast<float>(p2.x),
                                   static_cast<float>(p2.y), &id),
                  working);
    out.shape = ItemById(working, id);
    out.id = out.shape ? id : 0;
    return 1;
}

int CDGNImport::ConvertVertices(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out)
{
    std::vector<dgn::Point2d> raw;
    bool closedByFlag = false;
    if (element->GetType() == kBSplineCurve) {
        auto* curve = dynamic_cast<dgn::CBSplineCurveHeaderElement*>(element);
        if (!curve)
            return 0;
        const bool deep = m_designFile && m_designFile->Is3d();
        dgn::CPoint3dArray* poles = deep ? curve->GetPoles3d() : curve->GetPoles2d();
        if (!poles)
            poles = deep ? curve->GetPoles2d() : curve->GetPoles3d();
        if (!poles)
            return 0;
        AppendArray(poles, 0, poles->Count(), raw);
        std::uint32_t flags = 0;
        curve->GetCurveFlags(&flags);
        closedByFlag = (flags & 0x100) != 0;
    } else if (!VertexPoints(element, raw, false)) {
        return 0;
    }
    Points points;
    for (const dgn::Point2d& p : raw)
        points.push_back(DGNPt(p.x, p.y));
    IPolylineShapePtr polyline = AddMappedPolyline(working, points, closedByFlag, out);
    if (!out.shape)
        return 1;
    if (!polyline)
        return 0;
    if (element->GetType() == kBSplineCurve)
        RaiseIfFailed(polyline->ToBezier(), polyline);
    return 1;
}

// A complex chain or shape is one outline made of its components: one polyline of their points
// in order, a point that repeats the one before it (where two components meet) taken once.
int CDGNImport::ConvertComplex(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out)
{
    std::unique_ptr<dgn::CEntityIterator> children(element->CreateChildIterator(nullptr));
    if (!children)
        return 0;
    std::vector<dgn::Point2d> raw;
    while (dgn::IEntity* child = children->Next()) {
        auto* component = dynamic_cast<dgn::IElement*>(child);
        if (!component)
            continue;
        std::vector<dgn::Point2d> part;
        if (!ComponentPoints(component, part))
            continue;
        // The components are the outline's: the walk that meets them on their own skips them.
        m_converted.insert(component);
        for (const dgn::Point2d& p : part) {
            if (!raw.empty() && raw.back().x == p.x && raw.back().y == p.y)
                continue;
            raw.push_back(p);
        }
    }
    if (raw.empty())
        return 0;
    Points points;
    for (const dgn::Point2d& p : raw)
        points.push_back(DGNPt(p.x, p.y));
    const bool closed = element->GetType() == kComplexShape;
    IPolylineShapePtr polyline = AddMappedPolyline(working, points, closed, out);
    if (out.shape && !polyline)
        return 0;
    return 1;
}

int CDGNImport::ConvertEllipse(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out)
{
    double primary = 0, secondary = 0, rotation = 0, cx = 0, cy = 0, start = 0, end = 360;
    bool arc = false;
    double startRad = 0, sweepRad = 0;
    if (auto* e2 = dynamic_cast<dgn::TEllipticElement<dgn::Ellipse2d>*>(element)) {
        const dgn::Ellipse2d& b = e2->GetBody();
        primary = b.primary, secondary = b.secondary, rotation = b.rotation, cx = b.cx, cy = b.cy;
    } else if (auto* e3 = dynamic_cast<dgn::TEllipticElement<dgn::Ellipse3d>*>(element)) {
        const dgn::Ellipse3d& b = e3->GetBody();
        primary = b.primary, secondary = b.secondary, rotation = QuaternionRotation(b.q), cx = b.cx, cy = b.cy;
    } else if (auto* a2 = dynamic_cast<dgn::TEllipticElement<dgn::Arc2d>*>(element)) {
        const dgn::Arc2d& b = a2->GetBody();
        primary = b.primary, secondary = b.secondary, rotation = b.rotation, cx = b.cx, cy = b.cy;
        startRad = b.start, sweepRad = b.sweep, arc = true;
    } else if (auto* a3 = dynamic_cast<dgn::TEllipticElement<dgn::Arc3d>*>(element)) {
        const dgn::Arc3d& b = a3->GetBody();
        primary = b.primary, secondary = b.secondary, rotation = QuaternionRotation(b.q), cx = b.cx, cy = b.cy;
        startRad = b.start, sweepRad = b.sweep, arc = true;
    } else {
        return 0;
    }
    // Without a primary axis there is no ratio of the axes: nothing to draw.
    if (primary == 0)
        return 0;
    if (arc) {
        double from = startRad, to = startRad + sweepRad;
        if (to < from)
            std::swap(from, to);
        start = from * kDegreesPerRadian;
        end = to * kDegreesPerRadian;
    }
    const CRealPoint<double> centre = DGNPt(cx, cy);
    // The control takes the major axis' angle in radians (its start and end angles in degrees).
    const double angle = DGNAngleRad(rotation);
    const double major = m_scale == 1.0 ? primary : primary * m_scale;
    long id = 0;
    RaiseIfFailed(working->AddEllipse(static_cast<float>(centre.x), static_cast<float>(centre.y), static_cast<float>(major),
                                      static_cast<float>(secondary / primary), static_cast<float>(angle),
                                      static_cast<float>(start), static_cast<float>(end), &id),
                  working);
    out.shape = ItemById(working, id);
    out.id = out.shape ? id : 0;
    return 1;
}

int CDGNImport::ConvertDimension(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out)
{
    auto* dimension = dynamic_cast<dgn::IDimensionElement*>(element);
    // Only dimensions that leave the word after the three leading doubles 0 are taken.
    if (!dimension || dimension->GetLeadWord() != 0)
        return 0;
    const std::uint32_t n = dimension->PointCount();
    if (n < 1)
        return 0;

    // The extent of the element the dimension is associated with: the first association point
    // of a dependency on an element (root type 2, record kind 1) names it by its ID.
    bool rooted = false;
    CRealPoint<double> rootLow, rootHigh;
    dgn::CElementLinkages* linkages = element->GetAttributes();
    dgn::CLinkage* cursor = nullptr;
    while (dgn::CLinkage* linkage = linkages ? linkages->NextWithId(&cursor, dgn::kDependencyId) : nullptr) {
        auto* dependency = dynamic_cast<dgn::CDependencyLinkage*>(linkage);
        if (!dependency || dependency->GetRootType() != 2)
            continue;
        const dgn::CByteArray* roots = dependency->GetRoots();
        if (!roots || roots->Size() < 16 || !roots->Data() || roots->Data()[0] != 1)
            continue;
        std::uint64_t id = 0;
        for (int i = 7; i >= 0; --i)
            id = (id << 8) | roots->Data()[8 + i];
        auto* root = m_designFile ? dynamic_cast<dgn::IGraphicElement*>(m_designFile->FindElementById(id)) : nullptr;
        if (!root)
            continue;
        dgn::RangeBox box;
        root->ComputeRange(&box);
        if (!box.hasPoint)
            continue;
        rootHigh = DGNPt(box.high[0], box.high[1]);
        rootLow = DGNPt(box.low[0], box.low[1]);
        rooted = true;
    }
    const bool rootIsPoint = !rooted || (rootLow.x == rootHigh.x && rootLow.y == rootHigh.y);

    CRealPoint<double> first;
    IPolylinePointCollectionPtr list;
    for (std::uint32_t i = 0; i < n; ++i) {
        dgn::Point3d at = {0, 0, 0};
        const dgn::DimensionPoint* item = dimension->GetPointItem(i);
        if (!item || !dimension->GetPoint(i, &at))
            return 0;
        const CRealPoint<double> p = DGNPt(at.x, at.y);
        // An associated point whose element has no extent has no place.
        if ((item->flags & 0x1) && !(item->flags & 0x6) && rootIsPoint)
            return 0;
        if (std::fabs(p.x) > 1000000 || std::fabs(p.y) > 1000000)
            return 0;
        if (i == 0) {
            first = p;
            continue;
        }
        if (i == 1) {
            long id = 0;
            RaiseIfFailed(working->AddPolyline(static_cast<float>(first.x), static_cast<float>(first.y),
                                               static_cast<float>(p.x), static_cast<float>(p.y), &id),
                          working);
            out.shape = ItemById(working, id);
            out.id = out.shape ? id : 0;
            IPolylineShapePtr polyline(out.shape);
            if (polyline)
                RaiseIfFailed(polyline->get_PolylinePoints(&list), polyline);
            if (!list)
                return 0;
            continue;
        }
        long pointId = 0;
        RaiseIfFailed(list->AddNewPoint(static_cast<long>(i) + 1, &pointId, static_cast<float>(p.x), static_cast<float>(p.y)),
                      list);
    }
    if (out.shape) {
        out.layerName = "DIMENSION";
        IPolylineShapePtr polyline(out.shape);
        RaiseIfFailed(polyline->put_FirstArrowTypeID(1), polyline);
    }
    return 1;
}

int CDGNImport::ConvertView(dgn::IElement* element)
{
    auto* view = dynamic_cast<dgn::CViewElement*>(element);
    if (!view || view->GetViewNumber() != 0)
        return 1;
    dgn::CLevelMaskElement* mask = view->GetLevelMask();
    // The view's own mask is read here; the walk does not convert it.
    if (mask)
        m_converted.insert(mask);
    if (!view->IsViewOn() || !view->IsHidden())
        return 1;
    dgn::ViewFields fields;
    if (m_takeViewExtent && view->GetViewRecord(&fields)) {
        const CRealPoint<double> p = DGNPt(fields.origin[0], fields.origin[1]);
        const CRealPoint<double> v = DGNVector(fields.delta[0], fields.delta[1]);
        m_viewExtent = CRealRect<double>(p.x, p.y + v.y, p.x + v.x, p.y);
        m_takeViewExtent = 0;
    }
    // A mask that shares its view with others answers for part of the levels only; masks of
    // kind 0 or 16, masks that cover no level and views whose word after the extent is set
    // leave the levels as their flags show them.
    if (!mask || m_skipViewLevels || mask->GetMaskCount() > 1)
        return 1;
    const dgn::LevelMaskHeader header = mask->GetMaskHeader();
    if (header.kind == 0 || header.kind == 16 || header.bitCount == 0 || view->GetWordAfterExtent() != 0)
        return 1;
    ShowLevels(*mask);
    return 1;
}
