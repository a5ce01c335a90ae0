// A record-table set with records in every table, values chosen to survive every archive
// (floats with at most three decimals, strings with quotes, separators, backslashes and line
// breaks, byte blocks with every kind of byte), and a byte-level comparison of sets.
#pragma once

#include "persistence/DataTableSet.h"
#include "persistence/MemoryBinaryArchive.h"

#include <cstdint>
#include <vector>

namespace archive_test {

inline std::vector<uint8_t> SampleImage(size_t size)
{
    std::vector<uint8_t> v(size);
    for (size_t i = 0; i < size; ++i)
        v[i] = static_cast<uint8_t>((i * 37 + i / 7) & 0xFF);  // includes 0, 10, 13, 26, 33, 34
    return v;
}

inline void FillSampleSet(CDataTableSet& set)
{
    set.Arc()->Insert({5, 2.5, 10.0, 80.0});
    set.Circle()->Insert({6, 1.25});
    CAttributesRecord attribute;
    attribute.AttributeID = 3;
    attribute.DatabaseID = 70000;  // 32 bits wide in this table
    attribute.IntField = -12;
    attribute.DateTimeField = 45000.5;
    attribute.RealField = -0.25;
    attribute.BitField = 1;
    attribute.VarCharField = "say \"hi\"; then go";
    attribute.AttributeTypeID = 4;
    set.Attributes()->Insert(attribute);
    set.AttributeGroups()->Insert({2, 9, "Doors", 0});
    set.AttributeGroups()->Insert({7, 0, "Sub\\group\\", 2});
    set.AttributeTypes()->Insert({4, "Width", "%.2f", "Width?", 2});

    CDrawingSettingsRecord setting;
    setting.drawingSettingID = 1;
    setting.DatabaseID = 12;
    setting.Name = "CURRENT";
    setting.PenColor = 0x20000000;
    setting.PenWeight = 0.5;
    setting.ShowGrid = 1;
    setting.GridXSpace = 10;
    setting.GridYSpace = 12.5;
    setting.ImageScale = 1;
    setting.linePatternID = 0x4000;
    setting.layerShapeID = 1;
    setting.HatchPatternID = -32768;
    setting.FontName = "Arial";
    setting.FontCharset = 204;
    setting.FontStyle = 0x8;
    setting.FontSize = 12;
    set.DrawingSettings()->Insert(setting);

    set.Ellipses()->Insert({8, 0, 0.5, 1.0, 0.0, 360.0, 4.0, -3.0});
    set.Groups()->Insert({9, 0, "Block;One"});
    set.HatchPatterns()->Insert(CHatchPatternsRecord(28, "Brick", "red \"brick\"", 2));
    CImageResourcesRecord image;
    image.imageResourceID = 2;
    image.DatabaseID = 31;
    image.name = "logo.png";
    image.height = 48;
    image.width = 64;
    image.ImageFormatID = 5;
    image.content = SampleImage(3000);
    set.ImageResources()->Insert(image);
    set.Images()->Insert({10, 0, 64.0, 48.0, 90.0, 2});
    set.IncludedSites()->Insert({1, 0, 1, 2, 3, 4, 0.0, 0.0, 1, 100, 101});
    set.Layers()->Insert({11, 0, "WALLS"});
    set.LayerSettings()->Insert({1, 0, 1, 1, 0, 11});
    set.Lines()->Insert({12, 0, 3, 0});
    set.LinkedPoints()->Insert({1, 0, 12, 40});
    set.Points()->Insert({40, 77, 1.5, -2.125, 100});
    set.Points()->Insert({41, 0, 1024.5, 0.0, 100});
    set.Polylines()->Insert({13, 0, 0.25, 0.5, 1, 2, 0});
    set.References()->Insert({14, 0, 2.0, 2.0, 45.0, 9});
    set.ShapeAttributes()->Insert({1, 0, 12, 3});
    set.ShapeAttributeGroups()->Insert({1, 0, 2, 12});

    CShapesRecord shape;
    shape.ShapeID = 12;
    shape.DatabaseID = 321;
    shape.PenWeight = -2;
    shape.PenColor = 0x40000000;
    shape.Tag = 7;
    shape.Number = 12;
    shape.Visible = 1;
    shape.Enabled = 1;  // the text archive writes every non-zero byte as 1
    shape.LinePatternScale = 1;
    shape.ZOrder = 12;
    shape.HatchColor = 0xFF;
    shape.ShapeTypeID = 1;
    shape.SiteID = 100;
    shape.LinePatternID = -32768;  // 0x8000 in its 16-bit field
    shape.GroupShapeID = -300;
    shape.HatchPatternID = 0x4000;
    shape.LayerShapeID = 11;
    shape.ScalePenWeight = 1;
    shape.HatchPatternScale = 1.5;
    shape.Flags = 0x20001;
    set.Shapes()->Insert(shape);
    shape.ShapeID = 13;
    shape.ShapeTypeID = 6;
    set.Shapes()->Insert(shape);

    set.ShapePoints()->Insert({1, 0, 0, 12, 40});
    set.ShapePoints()->Insert({2, 0, 1, 12, 41});
    set.ShapePoints()->Insert({3, 0, 0, 13, 41});
    set.SiteAttributes()->Insert({1, 100, 2, 0});
    CSitesRecord site;
    site.siteID = 100;
    site.Name = "Plan \"A\"";
    site.DraftRight = 420;
    site.DraftBottom = 297;
    site.GridRight = 400;
    site.GridBottom = 280;
    site.Measurement = 1;
    site.LinePatternScale = 1;
    site.ImageScale = 1;
    site.UnitID = 2;
    set.Sites()->Insert(site);
    set.Texts()->Insert(CTextsRecord(15, 2, "{\\rtf1\\ansi line one\\par\r\nline two\\}\\", 2.5, 30, 1, 30, 0x10,
                                     "Times New Roman", 0, 0x5));
    set.Vertexes()->Insert({1, 5, "v1", 0x40000000, 0.5, 0.25, -1.0, 1, 3, 0x8000, 2});
    set.Viewports()->Insert({1, 3, "Main", 210.0, 148.5, 420.0, 297.0, 0, 1});
    set.Units()->Insert({2, "Millimeter", 0.039, 1.0, 1});
}

// A set as the memory archive writes it: two sets are equal when these bytes are.
inline std::vector<uint8_t> MemoryImage(CDataTableSet& set)
{
    CMemoryBinaryArchive archive;
    if (!set.WriteToArchive(&archive))
        return {};
    return std::vector<uint8_t>(archive.GetBuffer(), archive.GetBuffer() + archive.GetDataLength());
}

} // namespace archive_test
