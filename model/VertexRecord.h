#pragma once
#include <windows.h>
#include <string>
#include "model/VertexData.h"

class CDataTableSet;
class COdbcSession;
class CDxfFile;
class CPointPool;
class CPointRecord;
class CPolyline;

// One vertex of a polyline: its vertex data, its point (a record of the control's point pool,
// not owned) and its polyline (not owned). Polylines hold one record per point, by value, in the
// order of their points. The record writes and reads the DXF VERTEX entity, its Vertexes row in
// the database and its Vertexes record in the record tables, and answers the geometry of the
// segment that starts at it.
//
// A vertex ID names one vertex while the program runs (the automation's Vertex objects find their
// vertex by it): a copy is another vertex and takes a fresh ID, an assignment takes the other's
// data with its ID, and a move keeps the ID, so that a polyline's array of records may grow, close
// a gap or turn without renumbering its vertices.
class CVertexRecord : public CVertexData
{
public:
    // Default data under a fresh vertex ID; no point, no owner.
    CVertexRecord();
    // Every field of the other record but its vertex ID: the copy takes a fresh one.
    CVertexRecord(const CVertexRecord& other);
    CVertexRecord(CVertexRecord&& other) noexcept = default;
    // Every field of the other record, its vertex ID included.
    CVertexRecord& Assign(const CVertexRecord& other);
    CVertexRecord& operator=(const CVertexRecord& other) { return Assign(other); }
    CVertexRecord& operator=(CVertexRecord&& other) noexcept = default;
    virtual ~CVertexRecord();

    CPointRecord* GetPoint() const { return m_point; }
    void SetPoint(CPointRecord* point) { m_point = point; }
    CPolyline* GetOwner() const { return m_owner; }
    void SetOwner(CPolyline* owner) { m_owner = owner; }
    CVertexData& Data() { return *this; }
    const CVertexData& Data() const { return *this; }

    // --- DXF -------------------------------------------------------------------------------
    // One group of a vertex (40, 41, 42, 50, 70): 1. A 1001 group starts the vertex's extended
    // data, read here as far as it fits: 0. Any other code: 0.
    int ReadDxfGroup(CDxfFile& dxf);
    // The groups that differ from the defaults, then the extended data when colour, line type,
    // tag or name differ from theirs. 1.
    int WriteDxfData(CDxfFile& dxf);
    // A VERTEX entity up to the next group 0 (pushed back); its point becomes a new point of the
    // pool, which is also the record's point and *point. The new point's ID.
    int ReadDxf(CDxfFile& dxf, CPointPool& pool, CPointRecord** point);
    // A VERTEX entity with a handle of the file's counter, on the layer of the entity being
    // written. 1.
    int WriteDxf(CDxfFile& dxf);
    // The same on the given layer ("0" when empty).
    int WriteDxf(CDxfFile& dxf, const std::string& layer);

    // --- Geometry --------------------------------------------------------------------------
    // Scales the point about (cx, cy); every mirrored axis turns the arc the other way. 0.
    int ScaleAbout(float cx, float cy, float kx, float ky);
    // Length of the segment that starts here (0.0 without point or owner, for a polyline of fewer
    // than two points, a point not in the owner, or the last vertex of an open polyline).
    double GetLength() const;
    // Signed radius of the segment's arc; 0.0 for a straight segment and where GetLength is 0.
    double GetArcRadius() const;
    // The bulge of an arc of that radius through this and the next point (0: straight). False
    // when there is no next point, or the radius is shorter than half the chord (no such arc).
    bool SetArcRadius(double radius);

    // --- Storage ---------------------------------------------------------------------------
    // The Vertexes row (and, when missing, the shapePoints row it hangs on). 1 for a default
    // vertex never stored; 0 stored; E_FAIL without a stored point and polyline; a failed
    // statement is returned with the database ID as it was before.
    HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags);
    // The Vertexes record: written (mode without DXFMODE_LOAD, shapePointKey the key of its
    // ShapePoints record) or read from the record under the table's cursor.
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, int shapePointKey);

private:
    // The point of the segment's far end; null when the segment does not exist.
    CPointRecord* NextPoint() const;

    CPointRecord* m_point = nullptr;
    CPolyline* m_owner = nullptr;
};
