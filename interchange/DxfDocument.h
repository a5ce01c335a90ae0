// CDxfDocument: the control's one DXF document. It owns the DXF file through which a drawing is
// read and written, the mode word of the transfer in progress, and the state that the shapes'
// own readers and writers share while one file is processed: on writing, the output version, the
// layer name of polyline vertices and the block whose body is being written; on reading, the
// table from DXF handles (our handles are the written shape IDs) to the shapes they became, the
// point IDs each shape's extended data named, and the extrusion of the entity being read. Shapes
// appear here only by ID, or as the block being written (not owned).
#pragma once

#include "interchange/DxfFile.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CShape;

class CDxfDocument
{
public:
    CDxfDocument();
    CDxfDocument(const CDxfDocument&) = delete;
    CDxfDocument& operator=(const CDxfDocument&) = delete;
    ~CDxfDocument();

    CDxfFile& GetFile() { return m_file; }

    // The DXFProcessingModes word of the transfer in progress; 0 between transfers.
    DWORD GetMode() const { return m_mode; }
    void SetMode(DWORD mode) { m_mode = mode; }
    bool HasMode(DWORD bits) const { return (m_mode & bits) != 0; }
    // 1 writes "AC1009", 2 "AC1012".
    int GetOutputVersion() const { return m_outputVersion; }
    void SetOutputVersion(int version) { m_outputVersion = version; }

    // --- writing ---------------------------------------------------------------------------
    // The layer of the entity being written, for the VERTEX entities of a polyline; empty when
    // it has none.
    const std::string& GetCurrentLayerName() const { return m_currentLayerName; }
    void SetCurrentLayerName(const char* name) { m_currentLayerName = name ? name : ""; }
    // The block group whose BLOCK body is being written (its children name no parent).
    CShape* GetBlockBeingWritten() const { return m_blockBeingWritten; }
    void SetBlockBeingWritten(CShape* block) { m_blockBeingWritten = block; }

    // --- reading ---------------------------------------------------------------------------
    // Forgets everything a previous load left.
    void ClearReadingState();
    // The state of one entity, cleared before each entity is read.
    void ClearEntityState();

    // The shape a DXF handle became. An existing entry stays: AddHandle answers false then.
    bool AddHandle(uint32_t handle, int shapeId);
    bool FindHandle(uint32_t handle, int* shapeId) const;
    const std::map<uint32_t, int>& Handles() const { return m_handles; }

    // The point IDs the "SELF POINTS" and "LINKED POINTS" blocks of a shape listed, in order;
    // the lists are made on first use. The load resolves linked IDs against the self points of
    // other shapes once every entity is read.
    std::vector<int>& SelfPointsOf(int shapeId) { return m_selfPoints[shapeId]; }
    std::vector<int>& LinkedPointsOf(int shapeId) { return m_linkedPoints[shapeId]; }
    const std::map<int, std::vector<int>>& SelfPoints() const { return m_selfPoints; }
    const std::map<int, std::vector<int>>& LinkedPoints() const { return m_linkedPoints; }

    // The Z component of the extrusion direction of the entity being read (group 230).
    double GetExtrusionZ() const { return m_extrusionZ; }
    void SetExtrusionZ(double z) { m_extrusionZ = z; }

private:
    CDxfFile m_file;
    DWORD m_mode = 0;
    int m_outputVersion = 2;
    std::string m_currentLayerName;
    CShape* m_blockBeingWritten = nullptr;
    std::map<uint32_t, int> m_handles;
    std::map<int, std::vector<int>> m_selfPoints;
    std::map<int, std::vector<int>> m_linkedPoints;
    double m_extrusionZ = 1.0;
};
