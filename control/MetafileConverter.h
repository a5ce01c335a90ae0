#pragma once
// Metafile pictures (Windows, placeable Windows and enhanced metafiles) turned into vector shapes:
// a group of lines, rectangles, ellipses, polylines, polygons, texts and images that becomes a
// block of the block library. The enhanced metafile is played record by record; a table says what
// each record type does, and the converter follows the device context's state (objects and their
// selection, mapping mode, origins, world transform, current position, text settings).
#include <windows.h>
#include <map>
#include <string>
#include <vector>

class CYVEXControl;
class CGroup;
class CShape;

class CMetafileConverter
{
public:
    explicit CMetafileConverter(CYVEXControl* control);
    CMetafileConverter(const CMetafileConverter&) = delete;
    CMetafileConverter& operator=(const CMetafileConverter&) = delete;
    virtual ~CMetafileConverter();

    // The metafile's bytes, through a temporary file the system names; the block's ID or 0.
    int ConvertBuffer(size_t size, const void* bytes);
    // A metafile file as a block of the library; its ID, or 0 when nothing was made.
    int ConvertFile(const char* path);
    // 0 not a metafile, 1 Windows metafile, 2 placeable Windows metafile, 3 enhanced metafile.
    static int DetectMetafileType(const char* path);

    // A row of the record table: what a record type does.
    struct RecordRow
    {
        const char* name;
        int kind;     // the state step (0: none)
        int offset;   // where its values go, or the variant of the kind
        int shape;    // the shape type it makes (0: none)
        int mapping;  // the mapping step (0: none)
    };
    // The row of a record type, or null for a type without one.
    static const RecordRow* FindRow(DWORD type);

private:
    struct GdiObject
    {
        int kind = 0;  // 1 pen, 2 brush, 3 font
        LOGPEN pen = {};
        LOGBRUSH brush = {};
        LOGFONTA font = {};
    };
    struct Band
    {
        RECT rect;  // device rectangle of the band
        std::vector<BYTE> record;
    };

    void Reset();
    static int CALLBACK OnRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM self);
    void HandleRecord(const ENHMETARECORD* record);
    void StateStep(const RecordRow& row, const ENHMETARECORD* record);
    void MappingStep(const RecordRow& row, const ENHMETARECORD* record);
    int CreateShapeOfType(int type, const ENHMETARECORD* record);
    void StyleShape(CShape* shape);
    // Record coordinates into drawing coordinates (updating the running bounds).
    void Map(double x, double y, float* outX, float* outY);
    double MapLength(double length) const;
    const GdiObject* Selected(int kind) const;
    void CollectBand(const ENHMETARECORD* record);
    void FlushBands();
    int FinishBlock();
    void DiscardGroup();

    CYVEXControl* m_control;
    ENHMETAHEADER m_header = {};
    CGroup* m_group = nullptr;
    int m_shapeCounter = 0;
    // The last record's parameters as 32-bit words.
    static const int kParameterWords = 64;
    DWORD m_parameters[kParameterWords] = {};
    POINT m_current = {};
    std::wstring m_text;
    double m_textWidth = 0;
    double m_textScale = 1.0;
    RECT m_textBounds = {};
    POINT m_textReference = {};
    COLORREF m_textColor = 0;
    DWORD m_textAlign = 0;
    DWORD m_graphicsMode = GM_COMPATIBLE;
    std::vector<POINT> m_points;
    std::vector<DWORD> m_counts;
    std::map<DWORD, GdiObject> m_objects;
    // The selected object of each kind (pen, brush, font) by metafile index; 0: none.
    DWORD m_selected[3] = {};
    std::vector<std::vector<DWORD>> m_saved;
    SIZE m_windowExtent = {}, m_viewportExtent = {};
    POINT m_windowOrigin = {}, m_viewportOrigin = {};
    XFORM m_transform = {1, 0, 0, 1, 0, 0};
    int m_mapMode = 0;
    double m_scaleX = 1.0, m_scaleY = 1.0;
    DWORD m_flags = 0;  // bit 0 x flipped, bit 1 y flipped, bit 2 world transform set
    float m_minX = 0, m_minY = 0, m_maxX = 0, m_maxY = 0;
    bool m_haveBounds = false;
    std::vector<Band> m_bands;
    int m_bandDirection = 0;  // 0 not yet known, 1 side by side, 2 one below the other
    int m_pendingImage = 0;   // the resource of the last bitmap flushed, for its image shape
    RECT m_pendingRect = {};
    std::vector<int> m_madeResources;
};
