#pragma once
#include <windows.h>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>
#include "model/HatchPatternLine.h"
#include "model/RealRect.h"

class CShapeHost;
class CViewMapping;
class CDataTableSet;
class CImageResource;

// One hatch pattern: families of parallel, possibly dashed lines (a line pattern, defined in
// inches or millimetres as its map is) or an image resource tiled over the area (an image
// pattern). The pattern map owns the patterns and gives them their IDs; shapes refer to them by
// ID. Pattern 1 (SOLID) is always drawn as a solid fill.
class CHatchPattern
{
public:
    explicit CHatchPattern(const char* name = nullptr);
    CHatchPattern(const CHatchPattern&) = default;
    CHatchPattern& operator=(const CHatchPattern&) = default;
    virtual ~CHatchPattern() = default;

    // Null when the pattern has no name.
    const char* GetName() const { return m_name ? m_name->c_str() : nullptr; }
    void SetName(const char* name);
    const std::string& GetDescription() const { return m_description; }
    void SetDescription(const char* description) { m_description = description ? description : ""; }
    int GetId() const { return m_id; }
    void SetId(int id) { m_id = id; }
    int GetImageResourceId() const { return m_imageResourceId; }
    void SetImageResourceId(int id) { m_imageResourceId = id; }
    int GetDatabaseId() const { return m_databaseId; }
    void SetDatabaseId(int id) { m_databaseId = id; }
    bool IsLoadedForBrowsing() const { return m_loadedForBrowsing != 0; }
    void SetLoadedForBrowsing(bool on) { m_loadedForBrowsing = on ? 1 : 0; }
    bool IsImagePattern() const { return m_imageResourceId != 0; }
    std::vector<CHatchPatternLine>& Lines() { return m_lines; }
    const std::vector<CHatchPatternLine>& Lines() const { return m_lines; }

    // One definition block: the header "*NAME, description", then one line per line family
    // (CHatchPatternLine::Parse), lengths in inches, turned into millimetres when asked. 1 on
    // success; 0 for a text that does not begin with '*' or ends in its header before the comma.
    int ParseDefinition(const char* text, size_t length, bool toMillimetres);

    // Drawing (the caller has made the shape's outline the clip region). anchorRect anchors the
    // pattern and bounds its lines; limitRect (the visible area) limits the fill and the tiles;
    // scale is the hatch pattern scale (negative mirrors the pattern, 0 takes the default); fine
    // lowers the density limits; penSelected: the caller has selected the pen. The view maps
    // world to logical units (null: the control's current view).
    //
    // Draw also clips an image pattern to anchorRect itself (for previews).
    int Draw(HDC dc, const CRealRect& anchorRect, const CRealRect& limitRect, float scale, COLORREF colour,
             CShapeHost* control, BOOL penSelected, BOOL fine, const CViewMapping* view = nullptr);
    int DrawPattern(HDC dc, const CRealRect& anchorRect, const CRealRect& limitRect, float scale, COLORREF colour,
                    CShapeHost* control, BOOL penSelected, BOOL fine, const CViewMapping* view = nullptr);
    // A solid fill of the world rectangle with the cached brush of the colour; 1.
    static int FillArea(HDC dc, CShapeHost* control, COLORREF colour, const CRealRect& worldRect,
                        const CViewMapping* view = nullptr);
    // The mean colour of the pattern's image (rendered into 20 x 20 pixels); 0 when it cannot be
    // had.
    COLORREF GetAverageImageColour(CShapeHost* control) const;
    // One repeat cell of the pattern, for previews: the image's pixel rectangle, or for a line
    // pattern (0, largest box height, largest box width, 0) of the lines' boxes at the given
    // width and height factors. 1 on success, 0 otherwise.
    int GetTileRect(CRealRect* rect, float width, float height, CShapeHost* control) const;

    // The pattern's HatchPatterns record: appended (mode bit DXFMODE_LOAD clear) or read from
    // the table's current record (name, description, image resource ID). 0 on success;
    // E_INVALIDARG without a table set; E_ACCESSDENIED when loading finds no current record.
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD mode);

private:
    // The image resource the pattern tiles, else the placeholder resource -1; null when neither
    // exists.
    CImageResource* FindImage(CShapeHost* control) const;
    int DrawLines(HDC dc, const CRealRect& anchorRect, const CRealRect& area, float scale, COLORREF colour,
                  CShapeHost* control, BOOL penSelected, BOOL fine, const CViewMapping& view);
    int DrawTiles(HDC dc, const CRealRect& anchorRect, const CRealRect& limitRect, const CRealRect& area,
                  float scale, CShapeHost* control, const CViewMapping& view);

    std::vector<CHatchPatternLine> m_lines;
    std::optional<std::string> m_name;
    std::string m_description;
    int m_id = 0;
    int m_imageResourceId = 0;
    int m_databaseId = 0;
    int m_loadedForBrowsing = 0;
};
