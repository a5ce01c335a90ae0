#include "model/ShapeStateMap.h"

int CShapeStateMap::GetValue(int shapeId) const
{
    auto it = m_values.find(shapeId);
    return it == m_values.end() ? -1 : it->second;
}

void CShapeStateMap::Reset()
{
    m_counters[0] = m_counters[1] = m_counters[2] = 0;
    m_extraCounter = 0;
    m_values.clear();
}
