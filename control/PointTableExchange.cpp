// The site's points with their links to shapes in a record-table set: Points, ShapePoints,
// LinkedPoints, and on restore the vertex data of polylines from Vertexes. Sets that carry only
// points and links (snapshot undo) and the shapes' own point exchange go through here.
#include "control/ControlCore.h"
#include "automation/ResultCodes.h"
#include "control/ShapeMap.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Shape.h"
#include "persistence/DataTableSet.h"
#include "com/HResult.h"
#include "YVEX_h.h"
#include <algorithm>
#include <map>
#include <vector>

namespace {

bool IsPolylineFamily(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }

} // namespace

HRESULT CControlCore::ExchangePointTables(CDataTableSet* tables, DWORD mode, int pointId)
{
    if (!tables)
        return E_INVALIDARG;
    CPointsTable* points = tables->Points();
    if (!points)
        return S_FALSE;
    CShapePointsTable* shapePoints = tables->ShapePoints();
    CLinkedPointsTable* linkedPoints = tables->LinkedPoints();
    const bool keep = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    const bool single = (mode & DXFMODE_SINGLE_OBJECT) != 0;
    const int imode = static_cast<int>(mode);
    CPointPool& pool = GetPointPool();
    CShapeMap& map = GetShapeMap();

    if (!(mode & DXFMODE_LOAD)) {
        std::vector<CPointRecord*> chosen;
        if (single) {
            if (CPointRecord* point = pool.Find(pointId))
                chosen.push_back(point);
        } else {
            for (const auto& entry : pool.Points())
                chosen.push_back(pool.Find(entry.first));
        }
        for (CPointRecord* point : chosen) {
            int key = keep ? point->GetPointId() : tables->CurrentToStoredId(point->GetPointId(), 1, imode);
            if (key == CDataTableSet::kNoIdMapping || !points->FindRecord(key)) {
                // The site the point came from: that of its first owner that knows one.
                int site = 0;
                for (int owner : point->GetOwners()) {
                    site = map.GetSourceSiteOfShape(owner);
                    if (site > 0)
                        break;
                }
                if (site < 1)
                    site = GetSiteId();
                RETURN_IF_FAILED(point->SaveToTables(tables, mode, site));
                if (!keep) {
                    key = points->GetMaxKey();
                    tables->AddIdMapping(point->GetPointId(), key, 1);
                }
                if (point->GetDatabaseId() >= 1)
                    pool.SetDatabaseId(point->GetDatabaseId(), *point);
            }
            for (int ownerId : point->GetOwners()) {
                CShape* shape = map.Lookup(ownerId);
                if (!shape)
                    continue;
                const int shapeKey = keep ? ownerId : tables->CurrentToStoredId(ownerId, 0, imode);
                if (shapeKey == CDataTableSet::kNoIdMapping)
                    continue; // not stored in this set
                const int index = shape->GetPoints().IndexOf(point->GetPointId());
                if (index >= 0 && shapePoints)
                    shapePoints->AddLinkOnce(shapeKey, index, key);
                else if (index < 0 && linkedPoints && shape->GetLinkedPoints().IndexOf(point->GetPointId()) >= 0)
                    linkedPoints->AddLinkOnce(shapeKey, key);
            }
        }
        return S_OK;
    }

    // --- restore ---------------------------------------------------------------------------
    std::vector<int32_t> pointKeys;
    if (single) {
        if (!points->SeekKey(pointId))
            return E_ACCESSDENIED;
        pointKeys.push_back(pointId);
    } else {
        for (const auto& entry : points->GetRecords())
            pointKeys.push_back(entry.first);
    }
    // The ShapePoints records by position (lower positions first), so that each point lands
    // at its index.
    std::vector<CShapePointsRecord> placements;
    if (shapePoints) {
        for (const auto& entry : shapePoints->GetRecords()) {
            if (single && entry.second.PointID != pointId)
                continue;
            placements.push_back(entry.second);
            if (single)
                break;
        }
        std::stable_sort(placements.begin(), placements.end(),
                         [](const CShapePointsRecord& a, const CShapePointsRecord& b) { return a.Number < b.Number; });
    }
    auto namedByShapePoints = [&](int key) {
        return shapePoints->AnyInOrder(key, 1, [](const CShapePointsRecord&) { return true; });
    };

    for (int32_t key : pointKeys) {
        const int current = tables->StoredToCurrentId(key, 1, imode);
        CPointRecord* point = current >= 1 ? pool.Find(current) : nullptr;
        const bool isNew = point == nullptr;
        if (point && (linkedPoints || shapePoints)) {
            const int id = point->GetPointId();
            const CPointOwners owners = point->GetOwners();
            for (int ownerId : owners) {
                CShape* shape = map.Lookup(ownerId);
                if (!shape)
                    continue;
                map.AddAuxId(ownerId);
                const int shapeKey = tables->CurrentToStoredId(ownerId, 0, imode);
                if (shape->GetPoints().IndexOf(id) >= 0) {
                    if (!shapePoints ||
                        !shapePoints->AnyInOrder(key, 1, [&](const CShapePointsRecord& r) { return r.ShapeID == shapeKey; }))
                        shape->RemovePointById(id, false, 0);
                } else if (shape->GetLinkedPoints().IndexOf(id) >= 0) {
                    if (!linkedPoints ||
                        !linkedPoints->AnyInOrder(key, 1, [&](const CLinkedPointsRecord& r) { return r.ShapeID == shapeKey; }))
                        shape->UnlinkPoint(id);
                }
            }
            if (shapePoints && !namedByShapePoints(key)) {
                pool.DeletePoint(id, kNoOwnerId);
                continue;
            }
            point = pool.Find(id);
            if (!point)
                continue;
        } else if (!point) {
            // A point that no shape uses is not made.
            if (shapePoints && !namedByShapePoints(key))
                continue;
            int id = keep ? key : (current >= 1 ? current : 0);
            point = pool.AddPoint(0.0f, 0.0f, &id);
            if (!point)
                return E_FAIL;
            if (!keep)
                tables->AddIdMapping(id, key, 1);
        }
        points->FindRecord(key);
        RETURN_IF_FAILED(point->SaveToTables(tables, mode | DXFMODE_LOAD, 0));
        map.AddAuxIdsOf(point->GetPointId());
        if (isNew && point->GetDatabaseId() >= 1)
            pool.SetDatabaseId(point->GetDatabaseId(), *point);
    }

    // Vertex data by the key of the ShapePoints record they hang on.
    std::map<int32_t, int32_t> vertexByShapePoint;
    if (CVertexesTable* vertexes = tables->Vertexes())
        for (const auto& entry : vertexes->GetRecords())
            vertexByShapePoint.emplace(entry.second.ShapePointID, entry.first);

    for (const CShapePointsRecord& placement : placements) {
        const int shapeId = tables->StoredToCurrentId(placement.ShapeID, 0, imode);
        const int id = tables->StoredToCurrentId(placement.PointID, 1, imode);
        CShape* shape = shapeId != CDataTableSet::kNoIdMapping ? map.Lookup(shapeId) : nullptr;
        CPointRecord* point = id >= 1 ? pool.Find(id) : nullptr;
        if (!shape || !point)
            continue;
        map.AddAuxId(shapeId);
        CPolyline* polyline = IsPolylineFamily(shape->GetShapeType()) ? static_cast<CPolyline*>(shape) : nullptr;
        bool haveVertex = false;
        CVertexRecord vertex;
        auto found = vertexByShapePoint.find(placement.ShapePointID);
        if (polyline && found != vertexByShapePoint.end()) {
            // The record's data over a copy of the point's own vertex (or over default data).
            if (const CVertexRecord* own = polyline->FindVertexOfPoint(id))
                vertex = *own;
            tables->Vertexes()->FindRecord(found->second);
            if (SUCCEEDED(vertex.SaveToTables(tables, mode | DXFMODE_LOAD, 0))) {
                vertex.SetOwner(polyline);
                vertex.SetPoint(point);
                haveVertex = true;
            }
        } else if (polyline) {
            // The point's own data travel along when it moves.
            if (const CVertexRecord* own = polyline->FindVertexOfPoint(id)) {
                vertex = *own;
                haveVertex = true;
            }
        }
        auto assignVertex = [&]() {
            if (!haveVertex)
                return;
            if (CVertexRecord* target = polyline->FindVertexOfPoint(id)) {
                const int vertexId = target->vertexId;
                target->Data() = vertex.Data();
                target->vertexId = vertexId;
            }
        };
        const int index = shape->GetPoints().IndexOf(id);
        if (index == placement.Number) {
            assignVertex();
            continue;
        }
        if (index >= 0) {
            // Moved within the shape (its vertex record goes along): a removal would be refused
            // where a shape keeps its points, as a rectangle keeps its corners.
            shape->MovePointWithin(id, placement.Number);
            assignVertex();
            continue;
        }
        // Held while it moves, so that leaving the shape does not free it.
        point->AddOwner(kNoOwnerId);
        shape->AddPointById(id, placement.Number, true);
        assignVertex();
        pool.ReleasePoint(id, kNoOwnerId);
    }

    if (linkedPoints) {
        for (const auto& entry : linkedPoints->GetRecords()) {
            const CLinkedPointsRecord& link = entry.second;
            if (single && link.PointID != pointId)
                continue;
            const int shapeId = tables->StoredToCurrentId(link.ShapeID, 0, imode);
            const int id = tables->StoredToCurrentId(link.PointID, 1, imode);
            CShape* shape = shapeId != CDataTableSet::kNoIdMapping ? map.Lookup(shapeId) : nullptr;
            if (!shape || id < 1 || !pool.Find(id))
                continue;
            map.AddAuxId(shapeId);
            shape->LinkPoint(id);
        }
    }
    return S_OK;
}
