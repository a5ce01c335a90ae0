#include "model/VertexRecord.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/Geometry.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/Polyline.h"
#include "model/Shape.h"
#include "model/ShapeHost.h"
#include "persistence/DataTableSet.h"
#include "persistence/MaxIdReader.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/ShapeSql.h"
#include "com/HResult.h"
#include "YVEX_h.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>

CVertexRecord::CVertexRecord() { ResetData(); }

CVertexRecord::CVertexRecord(const CVertexRecord& other)
    : CVertexData(other), m_point(other.m_point), m_owner(other.m_owner)
{
    vertexId = NextVertexId();
}

CVertexRecord& CVertexRecord::Assign(const CVertexRecord& other)
{
    if (this != &other) {
        CVertexData::operator=(other);
        m_point = other.m_point;
        m_owner = other.m_owner;
    }
    return *this;
}

CVertexRecord::~CVertexRecord() = default;

// --- DXF -------------------------------------------------------------------------------------

int CVertexRecord::ReadDxfGroup(CDxfFile& dxf)
{
    switch (dxf.GetCode()) {
    case 40:
        startWidth = static_cast<float>(dxf.GetReal());
        return 1;
    case 41:
        endWidth = static_cast<float>(dxf.GetReal());
        return 1;
    case 42:
        bulge = static_cast<float>(dxf.GetReal());
        return 1;
    case 50:
        direction = static_cast<float>(dxf.GetReal());
        return 1;
    case 70:
        flags = dxf.GetInt();
        return 1;
    case 1001:
        // Our block: "{", colour, line type, tag, name, "}"; values are taken as they come.
        if (!dxf.ReadExpectedGroup(1002))
            return 0;
        if (!dxf.ReadExpectedGroup(1071))
            return 0;
        color = static_cast<DWORD>(dxf.GetInt());
        if (!dxf.ReadExpectedGroup(1071))
            return 0;
        lineType = dxf.GetInt();
        if (!dxf.ReadExpectedGroup(1071))
            return 0;
        tag = dxf.GetInt();
        if (!dxf.ReadExpectedGroup(1000))
            return 0;
        name = dxf.GetText();
        dxf.ReadExpectedGroup(1002);
        return 0;
    default:
        return 0;
    }
}

int CVertexRecord::WriteDxfData(CDxfFile& dxf)
{
    if (startWidth != -1.0f)
        dxf.WriteRealGroup(40, startWidth);
    if (endWidth != -1.0f)
        dxf.WriteRealGroup(41, endWidth);
    if (bulge != 0.0f)
        dxf.WriteRealGroup(42, bulge);
    if (flags != 0)
        dxf.WriteIntGroup(70, flags);
    if (direction != 0.0f)
        dxf.WriteRealGroup(50, direction);
    if (color == 0x40000000 && lineType == 0x8000 && tag == 0 && name.empty())
        return 1;
    const char* application = CDxfFile::KeywordFromIndex(CDxfFile::kwYvexApplication);
    dxf.WriteStringGroup(1001, application ? application : "");
    dxf.WriteStringGroup(1002, "{");
    dxf.WriteIntGroup(1071, static_cast<int32_t>(color));
    dxf.WriteIntGroup(1071, lineType);
    dxf.WriteIntGroup(1071, tag);
    dxf.WriteStringGroup(1000, name.c_str());
    dxf.WriteStringGroup(1002, "}");
    return 1;
}

int CVertexRecord::ReadDxf(CDxfFile& dxf, CPointPool& pool, CPointRecord** point)
{
    startWidth = -1.0f;
    endWidth = -1.0f;
    flags = 0;
    bulge = 0.0f;
    direction = 0.0f;
    float x = 0.0f, y = 0.0f;
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() == 0) {
            dxf.UngetGroup();
            break;
        }
        if (dxf.GetCode() == 10)
            x = static_cast<float>(dxf.GetReal());
        else if (dxf.GetCode() == 20)
            y = static_cast<float>(dxf.GetReal());
        else
            ReadDxfGroup(dxf);
    }
    int id = 0;
    m_point = pool.AddPoint(x, y, &id);
    if (point)
        *point = m_point;
    return m_point ? id : 0;
}

int CVertexRecord::WriteDxf(CDxfFile& dxf)
{
    CShapeHost* control = m_owner ? m_owner->GetControl() : nullptr;
    return WriteDxf(dxf, control ? control->GetDxfDocument().GetCurrentLayerName() : std::string());
}

int CVertexRecord::WriteDxf(CDxfFile& dxf, const std::string& layer)
{
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwVertex));
    char handle[16];
    std::snprintf(handle, sizeof handle, "%x", dxf.NextHandle());
    dxf.WriteStringGroup(5, handle);
    dxf.WriteStringGroup(8, layer.empty() ? "0" : layer.c_str());
    if (m_point) {
        dxf.WriteRealGroup(10, m_point->x);
        dxf.WriteRealGroup(20, m_point->y);
        dxf.WriteRealGroup(30, 0.0);
    }
    return WriteDxfData(dxf);
}

// --- Geometry --------------------------------------------------------------------------------

int CVertexRecord::ScaleAbout(float cx, float cy, float kx, float ky)
{
    if (m_point) {
        m_point->x = static_cast<float>(cx + (static_cast<double>(m_point->x) - cx) * kx);
        m_point->y = static_cast<float>(cy + (static_cast<double>(m_point->y) - cy) * ky);
    }
    if (kx < 0)
        bulge = -bulge;
    if (ky < 0)
        bulge = -bulge;
    return 0;
}

CPointRecord* CVertexRecord::NextPoint() const
{
    if (!m_point || !m_owner)
        return nullptr;
    const CShapePointList& points = m_owner->GetPoints();
    const int count = points.GetCount();
    if (count < 2)
        return nullptr;
    const int index = points.IndexOf(m_point->GetPointId());
    if (index < 0)
        return nullptr;
    if (index + 1 < count)
        return points.GetAt(index + 1);
    return m_owner->IsClosed() ? points.GetAt(0) : nullptr;
}

double CVertexRecord::GetLength() const
{
    const CPointRecord* next = NextPoint();
    return next ? BulgedSegmentLength(*m_point, *next, bulge) : 0.0;
}

double CVertexRecord::GetArcRadius() const
{
    const CPointRecord* next = NextPoint();
    if (!next || bulge == 0.0f)
        return 0.0;
    const double half = BulgedSegmentLength(*m_point, *next, 0.0) * 0.5;
    // A half circle exactly (tan of a quarter of 180 degrees is 1).
    const double radius = std::fabs(bulge) == 1.0f ? half : half / std::sin(2.0 * std::atan(std::fabs(bulge)));
    return bulge < 0 ? -radius : radius;
}

bool CVertexRecord::SetArcRadius(double radius)
{
    if (radius == 0.0) {
        bulge = 0.0f;
        return true;
    }
    const CPointRecord* next = NextPoint();
    if (!next)
        return false;
    const double ratio = BulgedSegmentLength(*m_point, *next, 0.0) * 0.5 / std::fabs(radius);
    // No arc of a radius shorter than half the chord passes through both points.
    if (ratio > 1.0)
        return false;
    const double b = std::tan(std::asin(ratio) * 0.5);
    bulge = static_cast<float>(radius < 0 ? -b : b);
    return true;
}

// --- Storage ---------------------------------------------------------------------------------

HRESULT CVertexRecord::SaveToDB(COdbcSession& session, int, int scenarioId, DWORD saveFlags)
{
    if (!m_point || !m_owner || m_owner->GetDatabaseId() <= 0 || m_point->GetDatabaseId() <= 0)
        return E_FAIL;
    if (databaseId <= 0 && IsDefault())
        return S_FALSE;
    CShapeHost* control = m_owner->GetControl();
    const bool fromDatabase = (saveFlags & 0x1) != 0;
    if (!fromDatabase && !control)
        return E_FAIL;
    const int ownerId = m_owner->GetDatabaseId();
    const int pointId = m_point->GetDatabaseId();

    if (shapePointId <= 0) {
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeSql::FindShapePoint, {pointId, ownerId}));
        shapePointId = ReadMaxIdResult(session.Statement(), 0);
    }
    if (shapePointId <= 0) {
        const int index = m_owner->GetPoints().IndexOf(m_point->GetPointId());
        if (index < 0)
            return E_FAIL;
        int newId = 0;
        if (fromDatabase) {
            RETURN_IF_FAILED(CShape::NextIdFromDatabase(session, "shapePointID", "shapePoints", &newId));
        } else {
            newId = control->GetDbIdCounters().shapePoint < 1 ? 1 : control->GetDbIdCounters().shapePoint;
        }
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeSql::InsertShapePoint,
                                           {newId, scenarioId, ownerId, pointId, index}));
        if (control && control->GetDbIdCounters().shapePoint < newId + 1)
            control->GetDbIdCounters().shapePoint = newId + 1;
        shapePointId = newId;
    }

    const int before = databaseId;
    const bool isNew = databaseId <= 0;
    if (isNew) {
        if (!fromDatabase && control->GetDbIdCounters().vertex != 0) {
            databaseId = control->GetDbIdCounters().vertex++;
        } else {
            int newId = 0;
            const HRESULT hr = CShape::NextIdFromDatabase(session, "VertexID", "Vertexes", &newId);
            if (FAILED(hr)) {
                databaseId = 0;
                return hr;
            }
            databaseId = newId;
            if (control)
                control->GetDbIdCounters().vertex = newId + 1;
        }
    }
    // The name is the user's text: bound, never part of the statement.
    const std::vector<OdbcParam> params = {OdbcParam::Text(name)};
    const HRESULT hr =
        isNew ? session.Exec(CLSID_YVEXControl, ShapeSql::InsertVertex,
                                  {databaseId, scenarioId, color, startWidth, endWidth, bulge, flags, tag, lineType,
                                   shapePointId},
                                  params)
              : session.Exec(CLSID_YVEXControl, ShapeSql::UpdateVertex,
                                  {scenarioId, color, startWidth, endWidth, bulge, flags, tag, lineType, shapePointId,
                                   databaseId},
                                  params);
    if (FAILED(hr)) {
        databaseId = before;
        return hr;
    }
    return S_OK;
}

HRESULT CVertexRecord::SaveToTables(CDataTableSet* tables, DWORD mode, int shapePointKey)
{
    if (!tables)
        return E_INVALIDARG;
    CVertexesTable* table = tables->Vertexes();
    if (!table)
        return S_FALSE;
    if (mode & DXFMODE_LOAD) {
        const CVertexesRecord* row = table->GetCurrent();
        if (!row)
            return E_FAIL;
        bulge = static_cast<float>(row->Bulge);
        endWidth = static_cast<float>(row->EndWidth);
        flags = row->Flags;
        // 0x8000 (by block) travels as the 16-bit -32768.
        lineType = std::abs(row->LinePatternID);
        name = row->Name;
        color = static_cast<DWORD>(row->PenColor);
        startWidth = static_cast<float>(row->StartWidth);
        tag = row->Tag;
        if ((mode & DXFMODE_USE_YVEX_IDENTIFIERS) && databaseId == 0)
            databaseId = row->DatabaseID;
        return S_OK;
    }
    if (shapePointKey == 0)
        return E_INVALIDARG;
    CVertexesRecord row;
    row.Name = name;
    row.PenColor = static_cast<int32_t>(color);
    row.StartWidth = startWidth;
    row.EndWidth = endWidth;
    row.Bulge = bulge;
    row.Flags = flags;
    row.Tag = tag;
    row.LinePatternID = lineType;
    row.ShapePointID = shapePointKey;
    if (mode & DXFMODE_USE_YVEX_IDENTIFIERS) {
        row.VertexID = m_point ? m_point->GetPointId() : 0;
        row.DatabaseID = databaseId;
    } else {
        // A renumbered record: its key is the set's, not a database ID, so the vertex keeps the
        // ID of its own row (a later database save must not update another vertex's row).
        row.VertexID = table->NewKey();
        row.DatabaseID = 0;
    }
    table->Insert(row);
    return S_OK;
}
