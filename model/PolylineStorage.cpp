// A polyline in storage: the LWPOLYLINE, POLYLINE and SOLID entities read, POLYLINE with its
// VERTEX sequence written, its own extended data, the PolylineShapes row with the vertex rows,
// and the Polylines record with the vertex records.
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/Polyline.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "persistence/DataTableSet.h"
#include "persistence/Odbc.h"
#include "persistence/sql/ShapeKindSql.h"
#include "YVEX_h.h"
#include "persistence/OdbcSession.h"
#include "com/HResult.h"
#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace {

// The corners a SOLID may bring; further ones are ignored.
const int kSolidCorners = 200;
// The flags of the polyline that DXF's group 70 has a meaning for: closed.
const DWORD kDxfClosedBit = 0x1;

// A 16-bit value of a group (70, 1070), as the unsigned word it was written from: binary files
// hold such groups in 16 bits and readers sign-extend them.
DWORD Word(int32_t value) { return static_cast<DWORD>(value) & 0xFFFF; }

struct LwVertex
{
    float x = 0.0f;
    float y = 0.0f;
    float startWidth = -1.0f;
    float endWidth = -1.0f;
    float bulge = 0.0f;
};

} // namespace

// --- DXF reading ---------------------------------------------------------------------------------

HRESULT CPolyline::ReadDxf(CDxfFile& dxf)
{
    HRESULT result;
    switch (dxf.GetKeywordIndex()) {
    case CDxfFile::kwLwpolyline: result = ReadLwPolyline(dxf); break;
    case CDxfFile::kwPolyline: result = ReadPolylineEntity(dxf); break;
    case CDxfFile::kwSolid: result = ReadSolid(dxf); break;
    default: return 0;
    }
    // A drawing whose y grows downwards is turned over.
    if (m_control && m_control->GetVerticalAxisFactor() < 0.0f) {
        for (CPointRecord* point : m_points)
            point->y = -point->y;
        SetExtentCached(false);
    }
    return result;
}

HRESULT CPolyline::ReadLwPolyline(CDxfFile& dxf)
{
    // Fixed widths unless the vertices bring widths of their own (drawing units).
    m_state &= ~static_cast<DWORD>(stScalePenWeight);
    std::vector<LwVertex> vertices;
    bool widthsGiven = false;
    const int ended = ReadEntityGroups(dxf, [&](int code) {
        switch (code) {
        case 90: {
            // The vertex count comes before the vertices: room for them at once, never more than
            // the rest of the data can hold (a vertex takes 10 bytes at the least).
            const uint64_t left = dxf.GetTotalSize() > dxf.GetPosition() ? dxf.GetTotalSize() - dxf.GetPosition() : 0;
            if (dxf.GetInt() > 0 && vertices.empty())
                vertices.reserve(static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(dxf.GetInt()), left / 10)));
            break;
        }
        case 10: {
            LwVertex v;
            v.x = static_cast<float>(dxf.GetReal());
            vertices.push_back(v);
            break;
        }
        case 20:
            if (!vertices.empty())
                vertices.back().y = static_cast<float>(dxf.GetReal());
            break;
        // The per-vertex values belong to the vertex of the last group 10: writers leave them
        // out where a vertex has the default.
        case 40:
            widthsGiven = true;
            if (!vertices.empty())
                vertices.back().startWidth = static_cast<float>(dxf.GetReal());
            break;
        case 41:
            widthsGiven = true;
            if (!vertices.empty())
                vertices.back().endWidth = static_cast<float>(dxf.GetReal());
            break;
        case 42:
            if (!vertices.empty())
                vertices.back().bulge = static_cast<float>(dxf.GetReal());
            break;
        case 43: {
            const float width = static_cast<float>(dxf.GetReal());
            m_penWeight = width;
            m_defStartWidth = width;
            m_defEndWidth = width;
            m_state &= ~static_cast<DWORD>(stScalePenWeight);
            break;
        }
        case 70: m_flags = Word(dxf.GetInt()); break;
        default: break;
        }
    });
    // Widths of the vertices are drawing units.
    if (widthsGiven)
        m_state |= stScalePenWeight;
    for (size_t i = 0; i < vertices.size(); ++i) {
        const LwVertex& v = vertices[i];
        AddNewVertex(static_cast<int>(i), v.x, v.y, v.bulge, 0x40000000, 0x8000, "", v.startWidth, v.endWidth, 0, 0, 0);
    }
    return ended;
}

HRESULT CPolyline::ReadPolylineEntity(CDxfFile& dxf)
{
    m_state &= ~static_cast<DWORD>(stScalePenWeight);
    bool verticesFollow = false;
    const int header = ReadEntityGroups(dxf, [&](int code) {
        switch (code) {
        case 40:
            m_penWeight = m_defStartWidth = static_cast<float>(dxf.GetReal());
            m_state |= stScalePenWeight;
            break;
        case 41:
            m_penWeight = m_defEndWidth = static_cast<float>(dxf.GetReal());
            m_state |= stScalePenWeight;
            break;
        case 66: verticesFollow = dxf.GetInt() != 0; break;
        case 70: m_flags = Word(dxf.GetInt()); break;
        default: break;
        }
    });
    if (!header)
        return 0;
    if (!m_control)
        return 1;
    CPointPool& pool = m_control->GetPointPool();
    // The VERTEX entities up to SEQEND (some writers leave the vertices-follow flag out).
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() != 0)
            continue;
        const int keyword = dxf.GetKeywordIndex();
        if (keyword == CDxfFile::kwVertex) {
            CVertexRecord vertex;
            CPointRecord* point = nullptr;
            if (vertex.ReadDxf(dxf, pool, &point) && point)
                InsertVertexRecord(vertex, -1);
            verticesFollow = true;
            continue;
        }
        if (keyword == CDxfFile::kwSeqend && verticesFollow) {
            // Its own groups (handle, layer) belong to nobody.
            while (dxf.ReadGroup()) {
                if (dxf.GetCode() == 0) {
                    dxf.UngetGroup();
                    return 1;
                }
            }
            return 0;
        }
        // Another entity: the sequence ended without its SEQEND.
        dxf.UngetGroup();
        return 1;
    }
    return 0;
}

HRESULT CPolyline::ReadSolid(CDxfFile& dxf)
{
    CRealPoint corners[kSolidCorners];
    int cornerCount = 0;
    CRealPoint current;
    double z = 1.0;
    const int ended = ReadEntityGroups(dxf, [&](int code) {
        if (code >= 10 && code <= 13) {
            current.x = static_cast<float>(dxf.GetReal());
        } else if (code >= 20 && code <= 23) {
            current.y = static_cast<float>(dxf.GetReal());
            if (cornerCount < kSolidCorners)
                corners[cornerCount++] = current;
        } else if (code == 230) {
            z = dxf.GetReal();
        }
    });
    // SOLID lists its corners crosswise: the third and fourth swap places on the outline.
    if (cornerCount >= 4)
        std::swap(corners[2], corners[3]);
    if (m_control) {
        for (int i = 0; i < cornerCount; ++i) {
            const CRealPoint& c = corners[i];
            const int pointId = m_control->CreatePoint(static_cast<float>(c.x * z), c.y);
            if (pointId > 0)
                AddPointById(pointId, kAppend, true);
        }
    }
    m_flags |= pfClosed;
    if (GetTranslatedHatchPatternId() < 1)
        SetHatchPatternId(hpSolid);
    return ended;
}

int CPolyline::ReadXDataOwn(CDxfFile& dxf)
{
    switch (dxf.GetKeywordIndex()) {
    case CDxfFile::kwPolygonData:
        m_flags |= pfClosed;
        if (GetTranslatedHatchPatternId() < 1)
            SetHatchPatternId(hpSolid);
        return 1;
    case CDxfFile::kwRectangleData:
        // The block only names the kind.
        m_flags |= pfRectangle | pfClosed | pfOrtho;
        return 1;
    case CDxfFile::kwPolylineData: {
        if (!dxf.ReadGroup())
            return 1;
        DWORD flags;
        if (dxf.GetCode() == 1071) {
            flags = static_cast<DWORD>(dxf.GetInt());
        } else if (dxf.GetCode() == 1070) {
            // Older files: the flags in 16 bits.
            flags = Word(dxf.GetInt());
        } else {
            dxf.UngetGroup();
            return 1;
        }
        // The low byte (the closed state) is group 70's.
        m_flags = (flags & ~static_cast<DWORD>(0xFF)) | (m_flags & 0xFF);
        // A rectangle travels as a POLYLINE whose flags name it: the rectangle takes this
        // polyline's place (with its vertices) once the load is done.
        if ((m_flags & pfRectangle) && m_shapeType != stRectangle && m_control) {
            CShapeIndex& map = m_control->GetShapeMap();
            if (!map.FindReplacement(m_id))
                if (CShape* rectangle = map.CreateReplacement(m_id, stRectangle))
                    rectangle->ResetToByLayer();
        }
        return 1;
    }
    default: return 0;
    }
}

// --- DXF writing ---------------------------------------------------------------------------------

int CPolyline::WriteXDataOwn(CDxfFile& dxf)
{
    // Group 70 carries the closed state only; every other flag travels here in 32 bits.
    if ((m_flags & ~static_cast<DWORD>(kDxfClosedBit)) == 0)
        return 1;
    const char* keyword = CDxfFile::KeywordFromIndex(CDxfFile::kwPolylineData);
    dxf.WriteStringGroup(1000, keyword ? keyword : "");
    dxf.WriteIntGroup(1071, static_cast<int32_t>(m_flags));
    return 1;
}

HRESULT CPolyline::WriteDxf(CDxfFile& dxf)
{
    if (m_dxfHandle == 0)
        m_dxfHandle = dxf.NextHandle();
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwPolyline));
    CShape::WriteDxf(dxf);
    dxf.WriteIntGroup(66, 1);
    dxf.WriteRealGroup(10, 0.0);
    dxf.WriteRealGroup(20, 0.0);
    dxf.WriteRealGroup(30, 0.0);
    // Only the closed bit: DXF gives the other bits of 70 meanings of its own (curve fit,
    // spline, 3D, meshes), and binary files hold 70 in 16 bits.
    dxf.WriteIntGroup(70, IsClosed() ? 1 : 0);
    dxf.WriteRealGroup(40, m_defStartWidth);
    dxf.WriteRealGroup(41, m_defEndWidth);
    WriteXData(dxf);

    const bool namedLayer = m_layer && !m_layer->GetName().empty();
    CDxfDocument* doc = m_control ? &m_control->GetDxfDocument() : nullptr;
    if (doc)
        doc->SetCurrentLayerName(namedLayer ? m_layer->GetName().c_str() : nullptr);
    for (size_t i = 0; i < m_vertices.size() && static_cast<int>(i) < m_points.GetCount(); ++i) {
        CVertexRecord& vertex = m_vertices[i];
        if (vertex.GetPoint() == m_points.GetAt(static_cast<int>(i)))
            vertex.WriteDxf(dxf);
    }
    if (doc)
        doc->SetCurrentLayerName(nullptr);

    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwSeqend));
    char handle[16];
    std::snprintf(handle, sizeof handle, "%X", static_cast<unsigned>(m_dxfHandle));
    dxf.WriteStringGroup(5, handle);
    dxf.WriteStringGroup(8, namedLayer ? m_layer->GetName().c_str() : "0");
    for (CShape* child : std::vector<CShape*>(m_children))
        child->WriteDxf(dxf);
    return 1;
}

// --- Database ------------------------------------------------------------------------------------

HRESULT CPolyline::SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags)
{
    const int before = m_databaseId;
    // The Shapes row, the points and the children (a polyline has no GroupShapes row). The default
    // widths are stored as they are: a tapered polyline keeps its two widths.
    HRESULT hr = CShape::SaveToDB(session, siteId, scenarioId, flags);
    if (hr != S_OK)
        return hr;
    if (m_databaseId < 1)
        return S_OK;
    const int scenario = m_control ? m_control->GetScenarioId() : 0;
    const SqlRaw first = SqlOptionalId(m_firstArrowType);
    const SqlRaw second = SqlOptionalId(m_secondArrowType);
    const bool wanted = m_flags != 0 || m_defStartWidth != m_defEndWidth || m_firstArrowType != 0 ||
                        m_secondArrowType != 0;
    RETURN_IF_FAILED(SaveKindRow(session, before >= 1, wanted, ShapeKindSql::UpdatePolyline,
                     {m_defStartWidth, m_defEndWidth, first, second, m_databaseId}, ShapeKindSql::InsertPolyline,
                     {m_databaseId, scenario, m_defStartWidth, m_defEndWidth, first, second}));
    for (CVertexRecord& vertex : m_vertices) {
        RETURN_IF_FAILED(vertex.SaveToDB(session, siteId, scenarioId, flags));
    }
    return S_OK;
}

// --- Record tables -------------------------------------------------------------------------------

HRESULT CPolyline::SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags)
{
    if (!tables)
        return E_INVALIDARG;
    const HRESULT hr = CShape::SaveToTables(tables, mode, flags);
    RETURN_IF_FAILED(hr);
    CPolylinesTable* polylines = tables->Polylines();
    if (polylines) {
        bool alreadyStored = false;
        const int key = GetStoredKey(tables, mode, &alreadyStored, nullptr);
        if (mode & DXFMODE_LOAD) {
            if (const CPolylinesRecord* record = polylines->FindRecord(key)) {
                m_defStartWidth = static_cast<float>(record->DefStartWidth);
                m_defEndWidth = static_cast<float>(record->DefEndWidth);
                NoteGeometryChange();
                // The record holds the flags in 16 bits.
                m_flags = Word(record->Flags);
                SetFirstArrowType(record->FirstArrowTypeID);
                SetSecondArrowType(record->SecondArrowTypeID);
            }
            if (CShapesTable* shapes = tables->Shapes())
                if (const CShapesRecord* record = shapes->FindRecord(key))
                    if (record->ShapeTypeID == stPolygon)
                        m_flags |= pfClosed;
        } else if (hr == S_OK && (m_state & stPersistent) &&
                   ((mode & DXFMODE_PROCESS_TREE_ONLY) || m_flags != 0 || m_defStartWidth != m_defEndWidth ||
                    m_firstArrowType != 0 || m_secondArrowType != 0)) {
            CPolylinesRecord record;
            record.ShapeID = key;
            record.DatabaseID = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) ? m_databaseId : 0;
            record.DefStartWidth = m_defStartWidth;
            record.DefEndWidth = m_defEndWidth;
            record.Flags = static_cast<int32_t>(m_flags);
            record.FirstArrowTypeID = m_firstArrowType;
            record.SecondArrowTypeID = m_secondArrowType;
            polylines->Put(record);
        }
    }
    const HRESULT vertices = SaveVerticesToTables(tables, mode, flags);
    return FAILED(vertices) ? vertices : hr;
}

HRESULT CPolyline::SaveVerticesToTables(CDataTableSet* tables, DWORD mode, DWORD)
{
    if (!tables)
        return E_INVALIDARG;
    CVertexesTable* vertexes = tables->Vertexes();
    CShapePointsTable* shapePoints = tables->ShapePoints();
    if (!vertexes || !tables->Points() || !shapePoints)
        return S_FALSE;
    const bool keep = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    const int imode = static_cast<int>(mode);
    bool alreadyStored = false;
    const int shapeKey = GetStoredKey(tables, mode, &alreadyStored, nullptr);
    if (shapeKey == 0 && !alreadyStored)
        return S_FALSE;
    // The shape's ShapePoints records: which point (by its stored key) sits under which record.
    std::vector<CShapePointsRecord> links;
    if (shapePoints->SeekSecondaryKey(shapeKey, 0)) {
        while (const CShapePointsRecord* r = shapePoints->NextInOrder()) {
            if (r->ShapeID != shapeKey)
                break;
            links.push_back(*r);
        }
    }
    // The vertex of each point by its ID, once for all links: a search of the vertex list per link
    // would make a long polyline quadratic.
    std::unordered_map<int, size_t> vertexOfPoint;
    vertexOfPoint.reserve(m_vertices.size());
    for (size_t i = 0; i < m_vertices.size(); ++i)
        if (const CPointRecord* point = m_vertices[i].GetPoint())
            vertexOfPoint.emplace(point->GetPointId(), i);
    for (const CShapePointsRecord& link : links) {
        const int pointId = keep ? link.PointID : tables->StoredToCurrentId(link.PointID, 1, imode);
        const auto found = pointId >= 1 ? vertexOfPoint.find(pointId) : vertexOfPoint.end();
        if (found == vertexOfPoint.end())
            continue;
        CVertexRecord* vertex = &m_vertices[found->second];
        // The table's index of ShapePoints records finds the vertex record of the point's link.
        if (mode & DXFMODE_LOAD) {
            if (vertexes->SeekSecondaryKey(link.ShapePointID, 0) && vertexes->NextInOrder()) {
                // NextInOrder left the table's cursor on the record, where the vertex reads it.
                const int vertexId = vertex->vertexId;
                vertex->SaveToTables(tables, mode, 0);
                vertex->vertexId = vertexId;
            }
            continue;
        }
        if (vertex->IsDefault())
            continue;
        // Once per record of the point.
        if (!vertexes->SeekSecondaryKey(link.ShapePointID, 0))
            vertex->SaveToTables(tables, mode, link.ShapePointID);
    }
    return S_OK;
}
