#include "control/SiteRecord.h"
#include "model/PointPool.h"
#include "model/Shape.h"
#include "model/ShapeIndex.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "persistence/OdbcRow.h"
#include "persistence/sql/SiteSql.h"
#include "com/HResult.h"
#include "YVEX_h.h"
#include <cmath>

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

HRESULT CSiteRecord::Load(COdbcSession& session, int siteId)
{
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteSql::LoadSite, {siteId}));
    COdbcRow row(session.Statement());
    int unitRead = unit;
    while (row.Fetch()) {
        m_name = row.Text(1, 2048);
        extents.left = row.Float(2);
        extents.top = row.Float(3);
        extents.right = row.Float(4);
        extents.bottom = row.Float(5);
        limits.left = row.Float(6);
        limits.top = row.Float(7);
        limits.right = row.Float(8);
        limits.bottom = row.Float(9);
        measurement = row.Int(10);
        lineTypeScale = row.Float(11);
        m_imageScale = row.Float(12);
        unitRead = row.Int(13);
        if (std::fabs(lineTypeScale) < 1e-6f)
            lineTypeScale = 50.0f;
        if (std::fabs(m_imageScale) < 1e-6f)
            m_imageScale = 1.0f;
        unit = unitRead;
    }
    row.Finish();
    unitAsRead = unitRead;
    return S_OK;
}

HRESULT CSiteRecord::Save(COdbcSession& session, int siteId)
{
    if (unit == 0)
        unit = 1;
    return session.Exec(CLSID_YVEXControl, SiteSql::UpdateSite,
                        {m_scenarioId, extents.left, extents.top, extents.right, extents.bottom, limits.left,
                         limits.top, limits.right, limits.bottom, measurement, lineTypeScale, m_imageScale,
                         unit, siteId});
}
