#pragma once
#include <windows.h>
#include <optional>
#include <string>

class CLayer;

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
};
