#pragma once
#include <map>
#include "model/RealPoint.h"

// State of the current interactive operation: a point, a few counters and one integer per shape
// ID (for instance the handle a shape's edit has picked). Cleared whenever an interactive
// operation starts or ends.
class CShapeStateMap
{
public:
    CShapeStateMap() { Reset(); }
    virtual ~CShapeStateMap() = default;

    // -1 when the shape has no value.
    int GetValue(int shapeId) const;
    void SetValue(int shapeId, int value) { m_values[shapeId] = value; }
    void Reset();

    CRealPoint m_point;
    int m_counters[3] = {0, 0, 0};
    int m_extraCounter = 0;

private:
    std::map<int, int> m_values;
};
