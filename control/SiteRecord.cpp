#include "control/SiteRecord.h"
#include "model/PointPool.h"
#include "model/Shape.h"
#include "model/ShapeIndex.h"

namespace {
const CRealRect kDefaultLimits(-2000.0f, 2000.0f, 2000.0f, -2000.0f);
}

CSiteRecord::CSiteRecord()
{
    ResetDraftLimits();
    ResetGridLimits();
}

CSiteRecord::CSiteRecord(const CSiteRecord& other)
    : CDrawingHeader(other), m_imageScale(other.m_imageScale), m_shapes(other.m_shapes), m_points(other.m_points)
{
}

CSiteRecord& CSiteRecord::operator=(const CSiteRecord& other)
{
    if (this == &other)
        return *this;
    m_imageScale = other.m_imageScale;
    m_shapes = other.m_shapes;
    m_points = other.m_points;
    CDrawingHeader::operator=(other);
    return *this;
}

void CSiteRecord::ResetDraftLimits() { SetDraftLimits(kDefaultLimits); }

void CSiteRecord::ResetGridLimits() { SetGridLimits(kDefaultLimits); }

bool CSiteRecord::GrowDraftLimits(int id, bool isPoint)
{
    float left, top, right, bottom;
    if (isPoint) {
        CPointRecord* point = m_points ? m_points->Find(id) : nullptr;
        if (!point)
            return false;
        left = right = point->x;
        top = bottom = point->y;
    } else {
        CShape* shape = m_shapes ? m_shapes->Lookup(id) : nullptr;
        if (!shape || FAILED(shape->GetBoundingRect(&left, &top, &right, &bottom)))
            return false;
    }
    CRealRect limits = GetDraftLimits();
    bool grew = false;
    auto extend = [&grew](float& limit, float value, bool outsideBelow) {
        if (outsideBelow ? value < limit : value > limit) {
            limit = value;
            grew = true;
        }
    };
    extend(limits.left, left < right ? left : right, true);
    extend(limits.right, left < right ? right : left, false);
    extend(limits.bottom, bottom < top ? bottom : top, true);
    extend(limits.top, bottom < top ? top : bottom, false);
    if (grew)
        SetDraftLimits(limits);
    return grew;
}
