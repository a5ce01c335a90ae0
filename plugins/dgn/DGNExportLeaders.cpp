// Leaders of the attribute and label texts of block references: a line from the reference's
// bounds to the text that runs on along it, written as a 3-vertex shape element.
#include <cmath>
#include <cstdlib>
#include "DGNExport.h"
#include "DesignFile.h"
#include "DGNExportCalls.h"
#include "elements/LinearElements.h"

using namespace dgnexport;

namespace {

const long kLeaderNone = 0, kLeaderFromNearestSide = 2;
// Alignment bits: the horizontal part, right and centre; the vertical part, middle row.
const long kHorizontalBits = 6, kAlignRight = 2, kAlignCenter = 6;
const long kVerticalBits = 0x10008, kMiddleRow = 0x10000;

struct Vec {
    double x, y;
    Vec operator+(const Vec& o) const { return {x + o.x, y + o.y}; }
    Vec operator-(const Vec& o) const { return {x - o.x, y - o.y}; }
    Vec operator*(double k) const { return {x * k, y * k}; }
};

double Distance(const Vec& a, const Vec& b) { return std::hypot(a.x - b.x, a.y - b.y); }
double SquaredDistance(const Vec& a, const Vec& b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }

// (length, 0) turned about the origin by the angle (degrees); unchanged at 0.
Vec Turned(double length, double degrees)
{
    CRealPoint<double> p(length, 0);
    p.RotateDegrees(0, 0, degrees);
    return {p.x, p.y};
}

} // namespace

void CDGNExport::InsertLeader(IShapePtr shape, int depth)
{
    const bool isReference = KindOf(shape) == stReference;
    // Only a reference's texts get leaders: other shapes (an empty root group has no bounds to
    // give) are not asked for theirs.
    CRealRect<float> container;
    if (isReference)
        RaiseIfFailed(shape->GetBoundingRect(&container.left, &container.top, &container.right, &container.bottom), shape);
    IShapeCollectionPtr children = ChildrenOf(shape);
    for (long i = 1; i <= CountOf(Need(children.GetInterfacePtr())); ++i) {
        IShapePtr child = ItemOf(children, i);
        VARIANT_BOOL visible = VARIANT_TRUE;
        RaiseIfFailed(Need(child.GetInterfacePtr())->get_Visible(&visible), child);
        if (!visible)
            continue;
        const long kind = KindOf(child);
        if (kind == stReference && depth > 0) {
            InsertLeader(child, depth - 1);
        } else if (isReference && kind == stText) {
            ITextShapePtr text = Ask<ITextShapePtr>(child);
            if (!text)
                continue;
            TextTypes textType = ttANSI;
            RaiseIfFailed(text->get_Type(&textType), text);
            if (textType == ttAttrib || textType == ttLabel)
                InsertLeaderTxt(text, container);
        }
    }
}

void CDGNExport::InsertLeaderTxt(ITextShapePtr text, const CRealRect<float>& container)
{
    Need(text.GetInterfacePtr());
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
    // The text's level and colour; as a text's, no weight; no graphic group.
    SetSymbology(text, stText, LayerOf(text), leader, 0);
}
