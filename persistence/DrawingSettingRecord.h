#pragma once
#include <windows.h>
#include <olectl.h>
#include <sql.h>
#include <optional>
#include <string>

class CLayer;
class COdbcSession;
class CDataTableSet;
class CDrawingSettingLayers;

// One drawing setting: the defaults that new shapes take (pen, hatch, line type, layer, font)
// and the view's grid and snap. The setting with ID 1, "CURRENT", is the one the control applies.
class CDrawingSettingRecord
{
public:
    CDrawingSettingRecord() = default;
    // Copies every field but the ID and the database ID.
    CDrawingSettingRecord(const CDrawingSettingRecord& other);
    CDrawingSettingRecord& operator=(const CDrawingSettingRecord& other);
    virtual ~CDrawingSettingRecord() = default;

    void SetPenColor(DWORD colour) { PenColor = colour & 0x60FFFFFF; }
    void SetHatchColor(DWORD colour) { HatchColor = colour & 0x60FFFFFF; }
    const char* GetName() const { return Name ? Name->c_str() : nullptr; }
    void SetName(const char* name);
    // Takes the grid and snap of another setting (spacing, origin, and whether each is on).
    void CopyGridAndSnapFrom(const CDrawingSettingRecord& other);

    const std::string& GetFontName() const { return FontName; }
    void SetFontName(const char* name) { FontName = name ? name : ""; }
    void SetStyleWord(DWORD word) { StyleWord = word; }
    // The text alignment as an Alignments value (left 0, right 2, centre 6; top 0, bottom 8,
    // middle 0x10000), kept in bits 4-7 of the style word; the other bits stay.
    DWORD GetFontAlignType() const;
    void SetFontAlignType(DWORD alignment);
    // The four font style bits seen as ShapeDBFlags (underline 0x2000, italic 0x4000,
    // strikethrough 0x8000, bold 0x10000); setting rewrites bits 0-3 and keeps the rest.
    DWORD GetProtectionFlags() const;
    void SetProtectionFlags(DWORD flags);
    // The font of new text as an OLE font description: the face ("Arial" for an empty name), the
    // size in points, the weight carried by the pen weight (x 100, 0 to 1000), the character set
    // and italic, underline and strikethrough from the style word.
    void GetFontDesc(FONTDESC* desc) const;
    // Takes weight, size, style, character set and face of a font; 1.
    int SetFromFont(IFont* font);

    // A new drawingSettings row of the site under the table's largest ID plus one; on success the
    // setting's database ID is the new row's. S_OK, or the failing statement's result.
    HRESULT InsertIntoDatabase(COdbcSession& session, int siteId, const CDrawingSettingLayers& layers);
    // Writes the setting as a DrawingSettings record of the set (a new key, or with
    // DXFMODE_USE_YVEX_IDENTIFIERS its ID), or with DXFMODE_LOAD reads it from the record under
    // the table's cursor (E_ACCESSDENIED at the end; the layer is not read here).
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD mode, int siteId, const CDrawingSettingLayers* layers);

    // Font style bits of the style word.
    enum StyleBits : DWORD
    {
        styleUnderline = 0x1,
        styleStrikethrough = 0x2,
        styleItalic = 0x4,
        styleBold = 0x8,
    };

    float ImageScale = 2.0f;
    float LinkMarkScale = 0.0f;
    int ID = 0;
    int LinePatternID = 0x4000;
    int HatchPatternID = 0x4000;
    float LinePatternScale = 50.0f;
    float HatchPatternScale = 1.0f;
    int OrthoMode = 0;
    float PenWeight = 0.0f;
    float ArrowScale = 2.0f;
    std::string FontName = "Arial";
    float FontSize = 20.0f;
    short FontCharset = 1;
    DWORD StyleWord = 0;
    DWORD PenColor = 0x20000000;
    DWORD HatchColor = 0x20000000;
    int ShowGrid = 1;
    float GridXSpace = 40.0f;
    float GridYSpace = 40.0f;
    int SnapToGrid = 0;
    float SnapXSpace = 40.0f;
    float SnapYSpace = 40.0f;
    float SnapBaseX = 0.0f;
    float SnapBaseY = 0.0f;
    int EditNewText = 1;
    int ShowRulers = 0;
    int ScalePenWeight = 0;
    int SplineFreeHand = 1;
    int DatabaseID = 0;
    // The layer of new shapes (not owned). The record keeps it as it is given: what the layer is
    // (its ID, its database ID) is read by those who hold the model, never by the record.
    CLayer* Layer = nullptr;
    std::optional<std::string> Name;

private:
    // The face of the last GetFontDesc, which the description points into.
    mutable std::wstring m_fontDescName;
};
