// The records of the 29 tables of a record-table set. Each lists its fields in archive order
// (Fields) and names its key (the first field). Integers are held as 32-bit values whatever
// their archive width; floats as doubles (they travel as 32-bit floats). Names are the database
// columns of the same content.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct CArcRecord {
    int32_t ShapeID = 0;
    double Radius = 0.0;
    double StartAngle = 0.0;
    double EndAngle = 0.0;

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.Unused16();
        v.Float(r.Radius);
        v.Float(r.StartAngle);
        v.Float(r.EndAngle);
    }
};

struct CAttributesRecord {
    int32_t AttributeID = 0;
    int32_t DatabaseID = 0;
    int32_t IntField = 0;
    double DateTimeField = 0.0;  // OLE automation date
    double RealField = 0.0;
    int32_t BitField = 0;
    std::string VarCharField;
    int32_t AttributeTypeID = 0;  // key of the type's AttributeTypes record

    int32_t Key() const { return AttributeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.AttributeID);
        v.Int32(r.DatabaseID);
        v.Int16(r.IntField);
        v.Float(r.DateTimeField);
        v.Float(r.RealField);
        v.Byte(r.BitField);
        v.String(r.VarCharField);
        v.Int32(r.AttributeTypeID);
    }
};

struct CAttributeGroupsRecord {
    int32_t AttributeGroupID = 0;
    int32_t DatabaseID = 0;
    std::string Name;
    int32_t ParentGroupID = 0;  // key of the parent's AttributeGroups record; 0 for none

    int32_t Key() const { return AttributeGroupID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.AttributeGroupID);
        v.Int32(r.DatabaseID);
        v.String(r.Name);
        v.Int32(r.ParentGroupID);
    }
};

struct CAttributeTypesRecord {
    int32_t AttributeTypeID = 0;
    std::string Name;
    std::string Format;
    std::string Prompt;
    int32_t AttributeGroupID = 0;  // key of the owning group's record; 0 for none

    int32_t Key() const { return AttributeTypeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.AttributeTypeID);
        v.String(r.Name);
        v.String(r.Format);
        v.String(r.Prompt);
        v.Unused32();
        v.Int32(r.AttributeGroupID);
    }
};

struct CCircleRecord {
    int32_t ShapeID = 0;
    double Radius = 0.0;

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.Unused16();
        v.Float(r.Radius);
    }
};

struct CDrawingSettingsRecord {
    int32_t drawingSettingID = 0;
    int32_t DatabaseID = 0;
    std::string Name;
    int32_t PenColor = 0;
    double PenWeight = 0.0;
    int32_t ShowGrid = 0;
    int32_t SnapToGrid = 0;
    int32_t OrthoMode = 0;
    double GridXSpace = 0.0;
    double GridYSpace = 0.0;
    double SnapXSpace = 0.0;
    double SnapYSpace = 0.0;
    double SnapBaseX = 0.0;
    double SnapBaseY = 0.0;
    double LinePatternScale = 0.0;
    double ImageScale = 0.0;
    int32_t EditNewText = 0;
    int32_t ShowRulers = 0;
    int32_t HatchColor = 0;
    int32_t siteID = 0;
    int32_t linePatternID = 0;
    int32_t layerShapeID = 0;
    int32_t HatchPatternID = 0;
    double HatchPatternScale = 0.0;
    int32_t ScalePenWeight = 0;
    int32_t SplineFreeHand = 0;
    double ArrowScale = 0.0;     // 0 when equal to ImageScale
    std::string FontName;
    int32_t FontCharset = 0;
    int32_t FontStyle = 0;       // font style bits and alignment codes
    double FontSize = 0.0;
    double LinkMarkScale = 0.0;  // 0 when equal to ImageScale

    int32_t Key() const { return drawingSettingID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.drawingSettingID);
        v.DatabaseId16(r.DatabaseID);
        v.String(r.Name);
        v.Int32(r.PenColor);
        v.Float(r.PenWeight);
        v.Byte(r.ShowGrid);
        v.Byte(r.SnapToGrid);
        v.Byte(r.OrthoMode);
        v.Float(r.GridXSpace);
        v.Float(r.GridYSpace);
        v.Float(r.SnapXSpace);
        v.Float(r.SnapYSpace);
        v.Float(r.SnapBaseX);
        v.Float(r.SnapBaseY);
        v.Float(r.LinePatternScale);
        v.Float(r.ImageScale);
        v.Byte(r.EditNewText);
        v.Byte(r.ShowRulers);
        v.Int32(r.HatchColor);
        v.Int16(r.siteID);
        v.Int16(r.linePatternID);
        v.Int32(r.layerShapeID);
        v.Int16(r.HatchPatternID);
        v.Float(r.HatchPatternScale);
        v.Byte(r.ScalePenWeight);
        v.Byte(r.SplineFreeHand);
        v.Float(r.ArrowScale);
        v.String(r.FontName);
        v.Int16(r.FontCharset);
        v.Int16(r.FontStyle);
        v.Float(r.FontSize);
        v.Float(r.LinkMarkScale);
    }
};

struct CEllipsesRecord {
    int32_t ShapeID = 0;
    int32_t DatabaseID = 0;
    double MinorRatio = 0.0;
    double ZExtrusion = 0.0;
    double StartAngle = 0.0;
    double EndAngle = 0.0;
    double MajorX = 0.0;
    double MajorY = 0.0;

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.DatabaseId16(r.DatabaseID);
        v.Float(r.MinorRatio);
        v.Float(r.ZExtrusion);
        v.Float(r.StartAngle);
        v.Float(r.EndAngle);
        v.Float(r.MajorX);
        v.Float(r.MajorY);
    }
};

struct CGroupsRecord {
    int32_t ShapeID = 0;
    int32_t DatabaseID = 0;
    std::string Name;

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.DatabaseId16(r.DatabaseID);
        v.String(r.Name);
    }
};

struct CHatchPatternsRecord {
    CHatchPatternsRecord() = default;
    CHatchPatternsRecord(int32_t patternId, std::string patternName, std::string patternDescription,
                         int32_t imageResourceId)
        : HatchPatternID(patternId), name(std::move(patternName)), description(std::move(patternDescription)),
          ImageResourceID(imageResourceId)
    {
    }

    int32_t HatchPatternID = 0;
    int32_t DatabaseID = 0;
    std::string name;
    std::string description;
    int32_t ImageResourceID = 0;  // the image the pattern draws; 0 for none

    int32_t Key() const { return HatchPatternID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int16(r.HatchPatternID);
        v.DatabaseId16(r.DatabaseID);
        v.String(r.name);
        v.String(r.description);
        v.Int32(r.ImageResourceID);
    }
};

struct CImageResourcesRecord {
    int32_t imageResourceID = 0;
    int32_t DatabaseID = 0;
    std::string name;
    int32_t height = 0;  // height before width, as stored
    int32_t width = 0;
    int32_t ImageFormatID = 0;
    std::vector<uint8_t> content;  // the image data in the resource's own format

    int32_t Key() const { return imageResourceID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.imageResourceID);
        v.DatabaseId16(r.DatabaseID);
        v.String(r.name);
        v.Int32(r.height);
        v.Int32(r.width);
        v.Int16(r.ImageFormatID);
        v.Bytes(r.content);
    }
};

struct CImagesRecord {
    int32_t ShapeID = 0;
    int32_t DatabaseID = 0;
    double Width = 0.0;
    double Height = 0.0;
    double RotationAngle = 0.0;
    int32_t ImageResourceID = 0;

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.DatabaseId16(r.DatabaseID);
        v.Float(r.Width);
        v.Float(r.Height);
        v.Float(r.RotationAngle);
        v.Int32(r.ImageResourceID);
    }
};

// Block references travel in the layout of image shapes.
struct CReferencesRecord {
    int32_t ShapeID = 0;
    int32_t DatabaseID = 0;
    double XScale = 0.0;
    double YScale = 0.0;
    double RotationAngle = 0.0;
    int32_t BlockGroupShapeID = 0;

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.DatabaseId16(r.DatabaseID);
        v.Float(r.XScale);
        v.Float(r.YScale);
        v.Float(r.RotationAngle);
        v.Int32(r.BlockGroupShapeID);
    }
};

struct CIncludedSitesRecord {
    int32_t RecordNumber = 0;  // the key: a record number
    int32_t DatabaseID = 0;
    int32_t LayerOptions = 0;
    int32_t SettingOptions = 0;
    int32_t UnitOptions = 0;
    int32_t EnableOptions = 0;
    double X = 0.0;
    double Y = 0.0;
    int32_t Order = 0;      // position in the included-site list, from 1
    int32_t SiteID = 0;     // the including site
    int32_t SubSiteID = 0;  // the included site

    int32_t Key() const { return RecordNumber; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int16(r.RecordNumber);
        v.DatabaseId16(r.DatabaseID);
        v.Int16(r.LayerOptions);
        v.Int16(r.SettingOptions);
        v.Int16(r.UnitOptions);
        v.Int16(r.EnableOptions);
        v.Float(r.X);
        v.Float(r.Y);
        v.Int16(r.Order);
        v.Int16(r.SiteID);
        v.Int16(r.SubSiteID);
    }
};

struct CLayersRecord {
    int32_t ShapeID = 0;
    int32_t DatabaseID = 0;
    std::string Name;

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.DatabaseId16(r.DatabaseID);
        v.String(r.Name);
        v.Unused16();
    }
};

struct CLayerSettingsRecord {
    int32_t LayerSettingID = 0;
    int32_t DatabaseID = 0;
    int32_t On = 0;
    int32_t Enable = 0;
    int32_t Select = 0;
    int32_t LayerShapeID = 0;

    int32_t Key() const { return LayerSettingID; }
    static int32_t SecondaryKey(const CLayerSettingsRecord& r, int) { return r.LayerShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.LayerSettingID);
        v.DatabaseId16(r.DatabaseID);
        v.Byte(r.On);
        v.Byte(r.Enable);
        v.Byte(r.Select);
        v.Int32(r.LayerShapeID);
    }
};

struct CLinesRecord {
    int32_t ShapeID = 0;
    int32_t DatabaseID = 0;
    int32_t FirstArrowTypeID = 0;
    int32_t SecondArrowTypeID = 0;

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.DatabaseId16(r.DatabaseID);
        v.Int16(r.FirstArrowTypeID);
        v.Int16(r.SecondArrowTypeID);
    }
};

struct CLinkedPointsRecord {
    int32_t LinkedPointID = 0;
    int32_t DatabaseID = 0;
    int32_t ShapeID = 0;
    int32_t PointID = 0;

    int32_t Key() const { return LinkedPointID; }
    // Index 0 by shape, index 1 by point.
    static int32_t SecondaryKey(const CLinkedPointsRecord& r, int index) { return index == 0 ? r.ShapeID : r.PointID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.LinkedPointID);
        v.DatabaseId16(r.DatabaseID);
        v.Int32(r.ShapeID);
        v.Int32(r.PointID);
    }
};

struct CPointsRecord {
    int32_t pointID = 0;
    int32_t DatabaseID = 0;
    double x = 0.0;
    double y = 0.0;
    int32_t siteID = 0;  // the site the point came from

    int32_t Key() const { return pointID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.pointID);
        v.DatabaseId16(r.DatabaseID);
        v.Float(r.x);
        v.Float(r.y);
        v.Int16(r.siteID);
    }
};

struct CPolylinesRecord {
    int32_t ShapeID = 0;
    int32_t DatabaseID = 0;
    double DefStartWidth = 0.0;
    double DefEndWidth = 0.0;
    int32_t Flags = 0;  // bit 0: closed
    int32_t FirstArrowTypeID = 0;
    int32_t SecondArrowTypeID = 0;

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.DatabaseId16(r.DatabaseID);
        v.Float(r.DefStartWidth);
        v.Float(r.DefEndWidth);
        v.Int16(r.Flags);
        v.Int16(r.FirstArrowTypeID);
        v.Int16(r.SecondArrowTypeID);
    }
};

struct CShapeAttributesRecord {
    int32_t RecordNumber = 0;  // the key: a record number
    int32_t DatabaseID = 0;
    int32_t ShapeID = 0;
    int32_t AttributeID = 0;

    int32_t Key() const { return RecordNumber; }
    static int32_t SecondaryKey(const CShapeAttributesRecord& r, int) { return r.ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.RecordNumber);
        v.Int32(r.DatabaseID);
        v.Int32(r.ShapeID);
        v.Int32(r.AttributeID);
    }
};

struct CShapeAttributeGroupsRecord {
    int32_t RecordNumber = 0;  // the key: a record number
    int32_t DatabaseID = 0;
    int32_t AttributeGroupID = 0;
    int32_t ShapeID = 0;

    int32_t Key() const { return RecordNumber; }
    static int32_t SecondaryKey(const CShapeAttributeGroupsRecord& r, int) { return r.ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.RecordNumber);
        v.Int32(r.DatabaseID);
        v.Int32(r.AttributeGroupID);
        v.Int32(r.ShapeID);
    }
};

struct CShapesRecord {
    int32_t ShapeID = 0;
    int32_t DatabaseID = 0;
    double PenWeight = 0.0;
    int32_t PenColor = 0;
    int32_t Tag = 0;
    int32_t Number = 0;  // the shape's own ID
    int32_t Visible = 0;
    int32_t Enabled = 0;
    double LinePatternScale = 0.0;
    double ZOrder = 0.0;
    int32_t HatchColor = 0;
    int32_t ShapeTypeID = 0;
    int32_t SiteID = 0;  // the site the shape came from
    int32_t LinePatternID = 0;
    int32_t GroupShapeID = 0;  // key of the parent group's record; -300 for none
    int32_t HatchPatternID = 0;
    int32_t LayerShapeID = 0;  // key of the layer's record; -300 for none
    int32_t ScalePenWeight = 0;
    double HatchPatternScale = 0.0;
    int32_t Flags = 0;  // protection flags

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.DatabaseId16(r.DatabaseID);
        v.Float(r.PenWeight);
        v.Int32(r.PenColor);
        v.Int16(r.Tag);
        v.Int16(r.Number);
        v.Byte(r.Visible);
        v.Byte(r.Enabled);
        v.Float(r.LinePatternScale);
        v.Float(r.ZOrder);
        v.Int32(r.HatchColor);
        v.Int16(r.ShapeTypeID);
        v.Int16(r.SiteID);
        v.Int16(r.LinePatternID);
        v.Int32(r.GroupShapeID);
        v.Int16(r.HatchPatternID);
        v.Int32(r.LayerShapeID);
        v.Byte(r.ScalePenWeight);
        v.Float(r.HatchPatternScale);
        v.Int32(r.Flags);
    }
};

struct CShapePointsRecord {
    int32_t ShapePointID = 0;
    int32_t DatabaseID = 0;
    int32_t Number = 0;  // position of the point in the shape's list, from 0
    int32_t ShapeID = 0;
    int32_t PointID = 0;

    int32_t Key() const { return ShapePointID; }
    // Index 0 by shape, index 1 by point.
    static int32_t SecondaryKey(const CShapePointsRecord& r, int index) { return index == 0 ? r.ShapeID : r.PointID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapePointID);
        v.DatabaseId16(r.DatabaseID);
        v.Int16(r.Number);
        v.Int32(r.ShapeID);
        v.Int32(r.PointID);
    }
};

// Meaning of the three values not settled; the table only travels.
struct CSiteAttributesRecord {
    int32_t RecordNumber = 0;  // the key: a record number
    int32_t Value2 = 0;
    int32_t Value3 = 0;
    int32_t Value4 = 0;

    int32_t Key() const { return RecordNumber; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.RecordNumber);
        v.Int32(r.Value2);
        v.Int32(r.Value3);
        v.Int32(r.Value4);
    }
};

struct CSitesRecord {
    int32_t siteID = 0;
    int32_t DatabaseID = 0;
    std::string Name;
    double DraftLeft = 0.0;
    double DraftTop = 0.0;
    double DraftRight = 0.0;
    double DraftBottom = 0.0;
    double GridLeft = 0.0;
    double GridTop = 0.0;
    double GridRight = 0.0;
    double GridBottom = 0.0;
    int32_t Measurement = 0;
    double LinePatternScale = 0.0;
    double ImageScale = 0.0;
    int32_t UnitID = 0;

    int32_t Key() const { return siteID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int16(r.siteID);
        v.DatabaseId16(r.DatabaseID);
        v.String(r.Name);
        v.Float(r.DraftLeft);
        v.Float(r.DraftTop);
        v.Float(r.DraftRight);
        v.Float(r.DraftBottom);
        v.Float(r.GridLeft);
        v.Float(r.GridTop);
        v.Float(r.GridRight);
        v.Float(r.GridBottom);
        v.Int16(r.Measurement);
        v.Float(r.LinePatternScale);
        v.Float(r.ImageScale);
        v.Int16(r.UnitID);
    }
};

struct CTextsRecord {
    CTextsRecord() = default;
    CTextsRecord(int32_t shapeKey, int32_t type, std::string text, double height, double width, double xScale,
                 double rotation, int32_t alignType, std::string fontName, int32_t charset, int32_t fontStyle)
        : ShapeID(shapeKey), Text(std::move(text)), Type(type), Height(height), Width(width), AlignType(alignType),
          XScale(xScale), RotationAngle(rotation), FontName(std::move(fontName)), Charset(charset),
          FontStyle(fontStyle)
    {
    }

    int32_t ShapeID = 0;
    int32_t DatabaseID = 0;
    std::string Text;
    int32_t Type = 0;
    double Height = 0.0;
    double Width = 0.0;
    int32_t AlignType = 0;  // the flag 0x10000 travels as 0x10 (the text shape moves it)
    double XScale = 0.0;
    double RotationAngle = 0.0;
    std::string FontName;
    int32_t Charset = 0;
    int32_t FontStyle = 0;  // 0x1 underline, 0x2 strikethrough, 0x4 italic, 0x8 bold

    int32_t Key() const { return ShapeID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.ShapeID);
        v.DatabaseId16(r.DatabaseID);
        v.String(r.Text);
        v.Int16(r.Type);
        v.Float(r.Height);
        v.Float(r.Width);
        v.Int16(r.AlignType);
        v.Float(r.XScale);
        v.Float(r.RotationAngle);
        v.String(r.FontName);
        v.Int16(r.Charset);
        v.Int16(r.FontStyle);
    }
};

struct CVertexesRecord {
    int32_t VertexID = 0;
    int32_t DatabaseID = 0;
    std::string Name;
    int32_t PenColor = 0;
    double StartWidth = 0.0;
    double EndWidth = 0.0;
    double Bulge = 0.0;
    int32_t Flags = 0;
    int32_t Tag = 0;
    int32_t LinePatternID = 0;
    int32_t ShapePointID = 0;  // key of the ShapePoints record of the same point

    int32_t Key() const { return VertexID; }
    // A polyline finds its vertices by the ShapePoints records of its points.
    static int32_t SecondaryKey(const CVertexesRecord& r, int) { return r.ShapePointID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int32(r.VertexID);
        v.DatabaseId16(r.DatabaseID);
        v.String(r.Name);
        v.Int32(r.PenColor);
        v.Float(r.StartWidth);
        v.Float(r.EndWidth);
        v.Float(r.Bulge);
        v.Int16(r.Flags);
        v.Int32(r.Tag);
        v.Int16(r.LinePatternID);
        v.Int32(r.ShapePointID);
    }
};

struct CViewportsRecord {
    int32_t viewPortID = 0;
    int32_t DatabaseID = 0;
    std::string Name;
    double centerX = 0.0;
    double centerY = 0.0;
    double width = 0.0;
    double Height = 0.0;
    int32_t siteID = 0;
    int32_t DrawingSettingID = 0;  // key of the viewport's DrawingSettings record; 0 for none

    int32_t Key() const { return viewPortID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int16(r.viewPortID);
        v.DatabaseId16(r.DatabaseID);
        v.String(r.Name);
        v.Float(r.centerX);
        v.Float(r.centerY);
        v.Float(r.width);
        v.Float(r.Height);
        v.Int16(r.siteID);
        v.Int16(r.DrawingSettingID);
    }
};

struct CUnitsRecord {
    int32_t UnitID = 0;
    std::string Name;
    double ScaleToEnglish = 0.0;
    double ScaleToMetric = 0.0;
    int32_t system = 0;

    int32_t Key() const { return UnitID; }
    template <class V, class R> static void Fields(V& v, R& r)
    {
        v.Int16(r.UnitID);
        v.String(r.Name);
        v.Float(r.ScaleToEnglish);
        v.Float(r.ScaleToMetric);
        v.Int16(r.system);
    }
};
