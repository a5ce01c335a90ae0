// Leaders of the attribute and label texts of block references: a line from the reference's
// bounds to the text that runs on along it, written as a 3-vertex shape element.
#include <cmath>
#include <cstdlib>
#include "DGNExport.h"
#include "DesignFile.h"
#include "common/ShapeWalk.h"
#include "elements/LinearElements.h"

namespace {

const double kRadiansPerDegree = 0.017453292519943278;
const long kStReference = 12, kStText = 11;
const long kTTAttrib = 2, kTTLabel = 16;
const long kLeaderNone = 0, kLeaderFromNearestSide = 2;
// Alignment bits: the horizontal part, right and centre; the vertical part, middle row.
const long kHorizontalBits = 6, kAlignRight = 2, kAlignCenter = 6;
const long kVerticalBits = 0x10008, kMiddleRow = 0x10000;
// Shape IDs up to this one are the control's fixed groups and prototype shapes.
const long kLastFixedShapeId = 11;

struct Vec {
    double x, y;
    Vec operator+(const Vec& o) const { return {x + o.x, y + o.y}; }
    Vec operator-(const Vec& o) const { return {x - o.x, y - o.y}; }
    Vec operator*(double k) const { return {x * k, y * k}; }
};

double Distance(const Vec& a, const Vec& b) { return std::hypot(a.x - b.x, a.y - b.y); }
double SquaredDistance(const Vec& a, const Vec& b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }

// (length, 0) turned about the origin by the angle; unchanged at 0.
Vec Turned(double length, double degrees)
{
    if (degrees == 0)
        return {length, 0};
    const double a = degrees * kRadiansPerDegree;
    return {length * std::cos(a), length * std::sin(a)};
}

long ShapeType(IShape* shape)
{
    long type = 0;
    RaiseIfFailed(shape->get_ShapeType(&type), shape);
    return type;
}

} // namespace

bool CDGNExport::FindShapeLevel(IShape* shape, long* level) const
{
    long layer = 0;
    RaiseIfFailed(shape->get_LayerShapeID(&layer), shape);
    auto found = m_layerLevels.find(layer);
    // Up the parents (not into the control's fixed groups) to one on an exported layer.
    long parentId = 0;
    RaiseIfFailed(shape->get_ParentID(&parentId), shape);
    IShapePtr parent;
    RaiseIfFailed(m_shapes->get_ItemByID(parentId, &parent), m_shapes);
    while (found == m_layerLevels.end() && parent) {
        long id = 0;
        RaiseIfFailed(parent->get_ID(&id), parent);
        if (id <= kLastFixedShapeId)
            break;
        RaiseIfFailed(parent->get_LayerShapeID(&layer), parent);
        found = m_layerLevels.find(layer);
        RaiseIfFailed(parent->get_ParentID(&parentId), parent);
        IShapePtr next;
        RaiseIfFailed(m_shapes->get_ItemByID(parentId, &next), m_shapes);
        parent = next;
    }
    // Failing that, the lowest layer's level.
    if (found == m_layerLevels.end())
        found = m_layerLevels.begin();
    if (found == m_layerLevels.end())
        return false;
    *level = found->second;
    return true;
}

void CDGNExport::InsertLeader(IShapePtr shape, int depth)
{
    CRealRect<float> container;
    bool isReference = false;
    if (shape) {
        isReference = ShapeType(shape) == kStReference;
        RaiseIfFailed(shape->GetBoundingRect(&container.left, &container.top, &container.right, &container.bottom), shape);
    }
    if (!shape)
        _com_issue_error(E_POINTER);
    IShapeCollectionPtr children;
    RaiseIfFailed(shape->get_Shapes(&children), shape);
    if (!children)
        _com_issue_error(E_POINTER);
    for (long i = 1; i <= CountOf(children); ++i) {
        IShapePtr child;
        RaiseIfFailed(children->get_Item(i, &child), children);
        if (!child)
            _com_issue_error(E_POINTER);
        VARIANT_BOOL visible = VARIANT_TRUE;
        RaiseIfFailed(child->get_Visible(&visible), child);
        if (!visible)
            continue;
        const long type = ShapeType(child);
        if (type == kStReference && depth > 0) {
            InsertLeader(child, depth - 1);
        } else if (isReference && type == kStText) {
            ITextShapePtr text(child);
            if (!text)
                continue;
            TextTypes textType = ttANSI;
            RaiseIfFailed(text->get_Type(&textType), text);
            if (textType == kTTAttrib || textType == kTTLabel)
                InsertLeaderTxt(text, container);
        }
    }
}

void CDGNExport::InsertLeaderTxt(ITextShapePtr text, const CRealRect<float>& container)
{
    if (!text)
        _com_issue_error(E_POINTER);
    long leaderType = 0;
    RaiseIfFailed(text->get_LeaderType(&leaderType), text);
    if (leaderType == kLeaderNone)
        return;
    double angle = 0;
    RaiseIfFailed(text->get_Angle(&angle), text);
    float theta = static_cast<float>(angle);
    Alignments alignment = alTopLeft;
    RaiseIfFailed(text->get_AlignType(&alignment), text);
    const float midX = (container.left + container.right) * 0.5f, midY = (container.top + container.bottom) * 0.5f;
    Vec end = {midX, midY};
    Vec p = {0, 0};
    RaiseIfFailed(text->get_PositionX(&p.x), text);
    RaiseIfFailed(text->get_PositionY(&p.y), text);
    Vec q = p;
    if (leaderType == kLeaderFromNearestSide) {
        while (theta > 360)
            theta -= 360;
        while (theta < 0)
            theta += 360;
        const bool steep = (theta > 45 && theta <= 135) || (theta > 225 && theta <= 315);
        const Vec c1 = steep ? Vec{midX, container.top} : Vec{container.left, midY};
        const Vec c2 = steep ? Vec{midX, container.bottom} : Vec{container.right, midY};
        end = SquaredDistance(p, c1) < SquaredDistance(p, c2) ? c1 : c2;
    }
    double width = 0, height = 0;
    RaiseIfFailed(text->get_Width(&width), text);
    RaiseIfFailed(text->get_Height(&height), text);
    // u runs forwards over the text's width, v backwards over one text height.
    const Vec u = Turned(width, theta);
    const Vec v = Turned(-std::fabs(height), theta);
    const long horizontal = alignment & kHorizontalBits;
    if (horizontal == kAlignRight) {
        p = p - u;
        q = q - u;
    } else if (horizontal == kAlignCenter) {
        p = p - u * 0.5;
        q = q - u * 0.5;
    }
    if ((alignment & kVerticalBits) == kMiddleRow) {
        q = q + v * 0.5;
        if (Distance(q, end) > height) {
            p = p + v * 0.5;
            q = q + v * 0.5;
        }
    } else {
        p = p + u;
        if (Distance(q, end) > height)
            q = q + v;
    }

    dgn::CShapeElement2d* leader = m_designFile ? dgn::CShapeElement2d::Create(m_designFile.get(), 0) : nullptr;
    if (!leader)
        return;
    dgn::CPoint2dArray* vertices = leader->GetPoints();
    vertices->Resize(3);
    const Vec corners[3] = {end, q, p};
    for (std::uint32_t i = 0; i < 3; ++i) {
        const CRealPoint<double> at = GetPt(corners[i].x, corners[i].y);
        vertices->SetAt(i, at.x, at.y);
    }
    long level = 0;
    if (FindShapeLevel(text, &level))
        leader->SetLevel(static_cast<std::int32_t>(level));
    OLE_COLOR pen = 0;
    RaiseIfFailed(text->get_PenColor(&pen), text);
    leader->SetColor(GetNearestColor(pen));
    leader->Touch();
}
