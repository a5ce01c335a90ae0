#include "persistence/DrawingSettingRecord.h"

CDrawingSettingRecord::CDrawingSettingRecord(const CDrawingSettingRecord& other) { *this = other; }

CDrawingSettingRecord& CDrawingSettingRecord::operator=(const CDrawingSettingRecord& other)
{
    if (this == &other)
        return *this;
    const int id = ID;
    const int databaseId = DatabaseID;
    ImageScale = other.ImageScale;
    LinkMarkScale = other.LinkMarkScale;
    LinePatternID = other.LinePatternID;
    HatchPatternID = other.HatchPatternID;
    LinePatternScale = other.LinePatternScale;
    HatchPatternScale = other.HatchPatternScale;
    OrthoMode = other.OrthoMode;
    PenWeight = other.PenWeight;
    ArrowScale = other.ArrowScale;
    FontName = other.FontName;
    FontSize = other.FontSize;
    FontCharset = other.FontCharset;
    StyleWord = other.StyleWord;
    PenColor = other.PenColor;
    HatchColor = other.HatchColor;
    ShowGrid = other.ShowGrid;
    GridXSpace = other.GridXSpace;
    GridYSpace = other.GridYSpace;
    SnapToGrid = other.SnapToGrid;
    SnapXSpace = other.SnapXSpace;
    SnapYSpace = other.SnapYSpace;
    SnapBaseX = other.SnapBaseX;
    SnapBaseY = other.SnapBaseY;
    EditNewText = other.EditNewText;
    ShowRulers = other.ShowRulers;
    ScalePenWeight = other.ScalePenWeight;
    SplineFreeHand = other.SplineFreeHand;
    Layer = other.Layer;
    Name = other.Name;
    ID = id;
    DatabaseID = databaseId;
    return *this;
}

void CDrawingSettingRecord::SetName(const char* name)
{
    if (name)
        Name = name;
    else
        Name.reset();
}

void CDrawingSettingRecord::CopyGridAndSnapFrom(const CDrawingSettingRecord& other)
{
    ShowGrid = other.ShowGrid;
    GridXSpace = other.GridXSpace;
    GridYSpace = other.GridYSpace;
    SnapToGrid = other.SnapToGrid;
    SnapXSpace = other.SnapXSpace;
    SnapYSpace = other.SnapYSpace;
    SnapBaseX = other.SnapBaseX;
    SnapBaseY = other.SnapBaseY;
}
