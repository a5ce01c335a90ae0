#pragma once
// What the exporters read of a drawing as they walk it: how many items a collection of the control
// holds, the IDs of a shape collection's children, and a shape's points in world coordinates.
// Failed calls are raised (see ComWrappers.h).
#include <vector>
#include "common/ComWrappers.h"

// A point of a shape in world coordinates.
struct ShapePoint {
    double x, y;
};

// The number of items; 0 for no collection.
inline long CountOf(_IReadOnlyCollection* collection)
{
    long count = 0;
    if (collection)
        RaiseIfFailed(collection->get_Count(&count), collection);
    return count;
}

// The IDs of the children, in order; an empty item is passed over.
inline std::vector<long> ChildIds(IShapeCollection* children)
{
    std::vector<long> ids;
    for (long i = 1, n = CountOf(children); i <= n; ++i) {
        IShapePtr child;
        RaiseIfFailed(children->get_Item(i, &child), children);
        long id = 0;
        if (child) {
            RaiseIfFailed(child->get_ID(&id), child);
            ids.push_back(id);
        }
    }
    return ids;
}

// The shape's points in world coordinates; an empty item stands as (0, 0).
inline std::vector<ShapePoint> PointsOf(IShape* shape)
{
    IPointCollectionPtr points;
    RaiseIfFailed(shape->get_Points(&points), shape);
    std::vector<ShapePoint> result;
    for (long i = 1, n = CountOf(points); i <= n; ++i) {
        IPointPtr point;
        RaiseIfFailed(points->get_Item(i, &point), points);
        float x = 0, y = 0;
        if (point) {
            RaiseIfFailed(point->get_X(&x), point);
            RaiseIfFailed(point->get_Y(&y), point);
        }
        result.push_back({x, y});
    }
    return result;
}
