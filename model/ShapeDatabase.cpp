// The shape's rows in the database: its Shapes row, its points and the rows that tie them to
// the shape (shapePoints for its own points, linkedPoints for the points it follows). New IDs
// come from the database ("select max(...)+1", flag 0x1) or from the counters the control keeps
// for the site.
#include "model/Shape.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "persistence/MaxIdReader.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/SessionSql.h"
#include "persistence/sql/ShapeSql.h"
#include "com/HResult.h"
#include "YVEX_h.h"

namespace {

// Flag of the save: new IDs are asked of the database.
const DWORD kIdsFromDatabase = 0x1;

// The line type every out-of-range ID is stored as.
const int kFallbackLineType = 12;

// Raises a counter to at least id + 1 (and at least 1).
void RaiseCounter(int& counter, int id)
{
    if (counter < id + 1)
        counter = id + 1;
    if (counter < 1)
        counter = 1;
}

// The value a counter hands out: never below 1.
int CounterValue(int counter) { return counter < 1 ? 1 : counter; }

} // namespace

HRESULT CShape::NextIdFromDatabase(COdbcSession& session, const char* column, const char* table, int* id)
{
    if (!id)
        return E_POINTER;
    if (FAILED(session.Exec(CLSID_YVEXControl, SessionSql::NextId, {SqlRaw(column), SqlRaw(table)})))
        return E_FAIL;
    // An empty table answers NULL, which leaves 0: the first ID is 1.
    *id = ReadMaxIdResult(session.Statement(), 0);
    if (*id < 1)
        *id = 1;
    return S_OK;
}

HRESULT CShape::SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags)
{
    if (!(m_state & stPersistent))
        return S_FALSE;
    if (m_id >= DEFAULT_SHAPE_ID && m_id <= DEFAULT_IMAGE_ID)
        return S_OK;

    if ((m_linePatternId > 40 && m_linePatternId != ltByLayer && m_linePatternId != ltByBlock) || m_linePatternId < 1)
        m_linePatternId = kFallbackLineType;

    const SqlRaw lineType = SqlOptionalId(m_linePatternId);
    const SqlRaw parent = SqlOptionalId(m_parent ? m_parent->GetDatabaseId() : 0);
    const SqlRaw layer = SqlOptionalId(m_layer ? m_layer->GetDatabaseId() : 0);
    // A built-in pattern (or by layer, by block) is stored as it is; a pattern of the site's own
    // by its database ID, which only the site's hatch pattern map knows: NULL when the map does
    // not hold the pattern or it was never stored.
    const int hatchId = m_hatchPatternId;
    const bool builtInHatch = hatchId <= CHatchPatternMap::kLastBuiltIn || hatchId == hpByLayer || hatchId == hpByBlock;
    int storedHatch = builtInHatch ? hatchId : 0;
    if (!builtInHatch && m_control) {
        if (const CHatchPattern* pattern = m_control->GetHatchPatternMap().Find(hatchId))
            storedHatch = pattern->GetDatabaseId();
    }
    const SqlRaw hatch = SqlOptionalId(storedHatch);

    CShapeIndex* map = m_control ? &m_control->GetShapeMap() : nullptr;
    const bool isNew = m_databaseId < 1;
    int id = m_databaseId;
    if (isNew) {
        if (flags & kIdsFromDatabase) {
            RETURN_IF_FAILED(NextIdFromDatabase(session, "shapeID", "shapes", &id));
        } else {
            if (!map)
                return E_FAIL;
            id = CounterValue(map->GetNextDbShapeId());
        }
    }
    if (m_zOrder == kUnsetZOrder)
        m_zOrder = static_cast<float>(id);

    const int scenario = m_control ? m_control->GetScenarioId() : 0;
    const float weight = GetPenWeight();
    double storedWeight = (m_state & stScalePenWeight) ? weight : -weight;
    if (!(m_state & stScalePenWeight) && weight == 0.0f)
        storedWeight = kUnscaledZeroWeight;
    // The shape's own kind, which a load hands to the shape factory: the class type would turn
    // lines into dummies and arcs and circles into ellipses.
    const int shapeType = m_shapeType;
    const DWORD protection = GetProtectionFlagsMasked(0xFFFFFFFF);
    if (isNew) {
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeSql::InsertShape,
                                           {id, scenario, storedWeight, m_penColor, m_tag, m_id, protection,
                                            m_linePatternScale, m_zOrder, m_hatchColor, shapeType, siteId, lineType,
                                            parent, hatch, layer}));
    } else {
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeSql::UpdateShape,
                                           {scenario, storedWeight, m_penColor, m_tag, m_id, protection,
                                            m_linePatternScale, m_zOrder, m_hatchColor, shapeType, siteId, lineType,
                                            parent, hatch, layer, id}));
    }

    m_databaseId = id;
    if (map) {
        map->SetDbId(id, m_id);
        map->SetSourceSite(id, siteId);
        if (map->GetNextDbShapeId() < id + 1)
            map->SetNextDbShapeId(id + 1);
    }

    RETURN_IF_FAILED(SavePointRows(session, siteId, flags, false));
    RETURN_IF_FAILED(SavePointRows(session, siteId, flags, true));
    if (m_control)
        m_control->StepProgress();

    if (IsGroup()) {
        // A copy of the list: a child's save does not change it, but a kind may.
        const std::vector<CShape*> children = static_cast<CGroup*>(this)->Children();
        for (CShape* child : children) {
            RETURN_IF_FAILED(child->SaveToDB(session, siteId, scenarioId, flags));
        }
    }
    return S_OK;
}

HRESULT CShape::SavePointRows(COdbcSession& session, int siteId, DWORD flags, bool linked)
{
    const CShapePointList& list = linked ? m_linkedPoints : m_points;
    CPointPool* pool = m_control ? &m_control->GetPointPool() : nullptr;
    CDbIdCounters* counters = m_control ? &m_control->GetDbIdCounters() : nullptr;
    const bool fromDatabase = (flags & kIdsFromDatabase) != 0;
    if (!fromDatabase && (!pool || !counters))
        return E_FAIL;
    // Both the insert and the update carry the site's scenario: an update that wrote 0 would move
    // every point saved twice out of its scenario.
    const int scenario = m_control ? m_control->GetScenarioId() : 0;

    int n = 0;
    for (CPointRecord* point : list) {
        const int number = n++;
        const bool stored = point->GetDatabaseId() >= 1;
        int pointId = point->GetDatabaseId();
        if (!stored) {
            if (fromDatabase) {
                RETURN_IF_FAILED(NextIdFromDatabase(session, "pointID", "points", &pointId));
            } else {
                pointId = CounterValue(pool->GetNextDatabaseId());
            }
            RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeSql::InsertPoint,
                                               {pointId, scenario, siteId, point->x, point->y}));
        } else {
            RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeSql::UpdatePoint,
                                               {scenario, siteId, point->x, point->y, pointId}));
        }
        point->SetDatabaseId(pointId);
        if (pool) {
            pool->SetDatabaseId(pointId, *point);
            if (pool->GetNextDatabaseId() < pointId + 1)
                pool->SetNextDatabaseId(pointId + 1);
        }

        // The link row's ID is taken before the lookup (the database is asked even when the row
        // exists and nothing is inserted).
        int linkId = 0;
        if (fromDatabase) {
            RETURN_IF_FAILED(linked ? NextIdFromDatabase(session, "linkedPointID", "linkedPoints", &linkId)
                                    : NextIdFromDatabase(session, "shapePointID", "shapePoints", &linkId));
        } else {
            linkId = CounterValue(linked ? counters->linkedPoint : counters->shapePoint);
        }
        int existing = 0;
        if (stored) {
            RETURN_IF_FAILED(linked ? session.Exec(CLSID_YVEXControl, ShapeSql::FindLinkedPoint,
                                                        {m_databaseId, pointId})
                                    : session.Exec(CLSID_YVEXControl, ShapeSql::FindShapePoint,
                                                        {pointId, m_databaseId}));
            existing = ReadMaxIdResult(session.Statement(), 0);
        }
        if (stored && existing != 0)
            continue;
        if (linked) {
            RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeSql::InsertLinkedPoint,
                                               {linkId, scenario, m_databaseId, pointId}));
        } else {
            RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeSql::InsertShapePoint,
                                               {linkId, scenario, m_databaseId, pointId, number}));
        }
        if (!linked)
            OnShapePointStored(point, linkId);
        if (counters)
            RaiseCounter(linked ? counters->linkedPoint : counters->shapePoint, linkId);
    }
    return S_OK;
}

HRESULT CShape::SaveKindRow(COdbcSession& session, bool storedBefore, bool wanted, const SqlStatement& update,
                            const std::vector<SqlValue>& updateValues, const SqlStatement& insert,
                            const std::vector<SqlValue>& insertValues, const std::vector<OdbcParam>* updateParams,
                            const std::vector<OdbcParam>* insertParams)
{
    static const std::vector<OdbcParam> kNone;
    bool insertRow = !storedBefore && wanted;
    if (storedBefore) {
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, update, updateValues, updateParams ? *updateParams : kNone));
        insertRow = wanted && OdbcRowCount(session.Statement()) == 0;
    }
    return insertRow ? session.Exec(CLSID_YVEXControl, insert, insertValues, insertParams ? *insertParams : kNone)
                     : S_OK;
}
