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
#include <objidl.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CShape;
class CDrawingHeader;
class CImageResourceMap;

// A part of the drawing that writes and reads its own piece of a DXF file: a table's entries, or
// the body of the BLOCKS or ENTITIES section. The document frames the piece and hands the part
// the file; a part reads up to the group that ends its piece.
class CDxfDocumentPart
{
public:
    virtual ~CDxfDocumentPart() = default;
    virtual bool WriteDxfPart(CDxfFile& dxf) = 0;
    virtual int ReadDxfPart(CDxfFile& dxf) = 0;
};

// The root group of the entities, which also names the drawing's default font (the STYLE table).
class CDxfRootPart : public CDxfDocumentPart
{
public:
    virtual std::string GetDefaultFontName() const = 0;
    virtual void SetDefaultFontName(const char* name) = 0;
};

class CDxfDocument
{
public:
    // What the parts of a transfer are: each is set for one transfer and not owned; a part left
    // null makes its table or section be skipped on writing and ignored on reading.
    struct Parts {
        CDxfDocumentPart* blocks = nullptr;     // the block library (BLOCKS)
        CDxfRootPart* root = nullptr;           // the root group (ENTITIES)
        CDxfDocumentPart* layers = nullptr;     // the layers group (LAYER entries)
        CDxfDocumentPart* lineTypes = nullptr;  // the line-type map (its whole LTYPE table)
        CDxfDocumentPart* viewports = nullptr;  // the viewport list (VPORT entries)
        CDrawingHeader* header = nullptr;       // HEADER; its version index is the output version
        CImageResourceMap* images = nullptr;    // image definitions (OBJECTS)
        // The draw order read from SORTENTSTABLE: shape ID to sort handle.
        std::map<int, uint32_t>* drawOrder = nullptr;
    };

    CDxfDocument();
    CDxfDocument(const CDxfDocument&) = delete;
    CDxfDocument& operator=(const CDxfDocument&) = delete;
    ~CDxfDocument();

    CDxfFile& GetFile() { return m_file; }

    void SetParts(const Parts& parts) { m_parts = parts; }
    const Parts& GetParts() const { return m_parts; }
    // Set: the OBJECTS section goes without image definitions (a new document has it set).
    void SetImagesOff(bool off) { m_imagesOff = off; }
    bool GetImagesOff() const { return m_imagesOff; }
    // The handle of the first image definition less its resource ID.
    void SetImageHandleBase(int base) { m_imageHandleBase = base; }

    // Opens the file or stream, writes the document (which closes it) and closes whatever is
    // still open; true when both succeeded.
    bool SaveToFile(const char* path);
    bool SaveToStream(IStream* stream);
    // Opens and reads (Read's result, or kIncomplete from the open); 0 when the open fails (the
    // file then closed when closeOnFailure asks for it). A stream read that finds nothing closes
    // the file.
    int LoadFromFile(const char* path, bool closeOnFailure);
    int LoadFromStream(IStream* stream);
    // Opens the file (or stream) for reading and reads it through once, handing nothing to the
    // parts, up to its group 0 "EOF"; then it stands at its first group again for Read. A load
    // checks the data first so that data cut short or damaged is refused before the drawing is
    // touched. 1: complete; 0: it cannot be opened, is no DXF or holds no group (the file then
    // closed when closeOnFailure asks for it); kIncomplete: it ends, or holds a malformed
    // group, before its EOF (the file closed; DescribeIncomplete tells where).
    int OpenForLoad(const char* path, bool closeOnFailure);
    int OpenStreamForLoad(IStream* stream);
    // Where the last incomplete data stopped, as the control tells its host: "The <what> is cut
    // short: it ends at line 120 before its EOF group." (a byte offset in the binary form), or
    // "The <what> is damaged at line 57.".
    std::string DescribeIncomplete(const char* what) const;
    // The sections in order: HEADER, TABLES, BLOCKS, ENTITIES, OBJECTS (not for AC1009), EOF;
    // then the file is closed. False without writing when the file is not open for writing, and
    // when the upload of a web target fails on closing. An exception closes the file and goes on.
    bool Write();
    // 1 when at least one group was read, 0 when none was (or the file is not open for
    // reading), kVersionRefused when the HEADER named a version the header does not know (the
    // sections after it are not read). The file is closed at the end.
    static constexpr int kVersionRefused = -2;
    // The data ends, or breaks off at a malformed group, before its EOF group.
    static constexpr int kIncomplete = -3;
    int Read();

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
    void WriteTablesSection();
    void WriteStyleTable();
    void WriteAppIdTable();
    void WriteSection(int keyword, CDxfDocumentPart* part);
    void WriteObjectsSection();
    void WriteHandleGroup(int code, uint32_t handle);
    void ReadTablesSection();
    void ReadTable();
    void ReadStyleTable();
    void ReadObjectsSection();
    void ReadSortEntsTable();
    void Progress(long percent);
    bool Subclassed() const;
    // After opening: the read-through of OpenForLoad.
    int CheckToEof(bool closeOnFailure);
    void NoteIncomplete();

    Parts m_parts;
    // Where the last incomplete data stopped: a line (ASCII) or a byte offset (binary), and
    // whether the data ended there or a group was malformed.
    struct StopPoint {
        bool binary = false;
        bool cut = false;
        uint64_t at = 0;
    } m_stop;
    bool m_imagesOff = true;
    int m_imageHandleBase = 0;
    CDxfFile m_file;
    DWORD m_mode = 0;
    int m_outputVersion = 2;
    std::string m_currentLayerName;
    CShape* m_blockBeingWritten = nullptr;
    // A file's handles mostly rise: those are appended to a sorted list; the few that come
    // out of order go to a map.
    std::vector<std::pair<uint32_t, int>> m_handles;
    std::map<uint32_t, int> m_handlesOutOfOrder;
    std::map<int, std::vector<int>> m_selfPoints;
    std::map<int, std::vector<int>> m_linkedPoints;
    double m_extrusionZ = 1.0;
};
