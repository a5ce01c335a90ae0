#include "persistence/DataTables.h"

namespace {
const char* const kTableNames[DATA_TABLE_COUNT] = {
    "Arc",
    "Attributes",
    "AttributeGroups",
    "AttributeTypes",
    "Circle",
    "DrawingSettings",
    "Ellipses",
    "Groups",
    "HatchPatterns",
    "ImageResources",
    "Images",
    "IncludedSites",
    "Layers",
    "LayerSettings",
    "Lines",
    "LinkedPoints",
    "Points",
    "Polylines",
    "References",
    "ShapeAttributes",
    "ShapeAttributeGroups",
    "Shapes",
    "ShapePoints",
    "SiteAttributes",
    "Sites",
    "Texts",
    "Vertexes",
    "Viewports",
    "Units",
};
} // namespace

const char* DataTableName(int index)
{
    return index >= 0 && index < DATA_TABLE_COUNT ? kTableNames[index] : nullptr;
}
