#pragma once
#include <windows.h>
#include <string>

// The data of one polyline vertex: start and end width (-1.0: the polyline's default width
// applies), the bulge of the segment that starts here (the tangent of a quarter of the arc's
// included angle; 0 straight, negative clockwise), the DXF direction kept as read, the DXF vertex
// flags, a name, colour, line type and tag, the vertex's identity while the program runs, and the
// database IDs of its Vertexes row and of the shapePoints row it hangs on.
struct CVertexData
{
    float startWidth = -1.0f;
    float endWidth = -1.0f;
    float bulge = 0.0f;
    float direction = 0.0f;
    int flags = 0;
    std::string name;
    int vertexId = 0;
    int databaseId = 0;
    int shapePointId = 0;
    DWORD color = 0x40000000;  // by block
    int lineType = 0x8000;     // by block
    int tag = 0;

    // The defaults above, under a fresh vertex ID from the process-wide counter.
    void ResetData();
    // Widths -1.0, bulge and direction 0, no flags, colour and line type by block, tag 0 (the
    // name is not looked at).
    bool IsDefault() const;
    // The next vertex ID (the counter only grows).
    static int NextVertexId();
};
