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
    // Looked up by the point, which few shapes share: by the shape, a shape of many points would
    // walk all its links for each one.
    if (AnyInOrder(pointKey, 1, [shapeKey](const CLinkedPointsRecord& r) { return r.ShapeID == shapeKey; }))
        return;
    CLinkedPointsRecord record;
    record.LinkedPointID = NewKey();
    record.ShapeID = shapeKey;
    record.PointID = pointKey;
    Insert(record);
}

void CShapePointsTable::AddLinkOnce(int32_t shapeKey, int32_t number, int32_t pointKey)
{
    if (AnyInOrder(pointKey, 1, [shapeKey](const CShapePointsRecord& r) { return r.ShapeID == shapeKey; }))
        return;
    CShapePointsRecord record;
    record.ShapePointID = NewKey();
    record.Number = number;
    record.ShapeID = shapeKey;
    record.PointID = pointKey;
    Insert(record);
}
