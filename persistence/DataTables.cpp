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

void CLinkedPointsTable::AddLinkOnce(int32_t shapeKey, int32_t pointKey)
{
    if (AnyInOrder(shapeKey, 0, [pointKey](const CLinkedPointsRecord& r) { return r.PointID == pointKey; }))
        return;
    CLinkedPointsRecord record;
    record.LinkedPointID = NewKey();
    record.ShapeID = shapeKey;
    record.PointID = pointKey;
    Insert(record);
}

void CShapePointsTable::AddLinkOnce(int32_t shapeKey, int32_t number, int32_t pointKey)
{
    if (AnyInOrder(shapeKey, 0, [pointKey](const CShapePointsRecord& r) { return r.PointID == pointKey; }))
        return;
    CShapePointsRecord record;
    record.ShapePointID = NewKey();
    record.Number = number;
    record.ShapeID = shapeKey;
    record.PointID = pointKey;
    Insert(record);
}
