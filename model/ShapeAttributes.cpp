#include "model/ShapeAttributes.h"
#include "model/Shape.h"

int CShapeAttributes::RemoveAt(int index)
{
    const int result = CAttributeList::RemoveAt(index);
    if (result == 0 && m_owner)
        m_owner->GetAttributes().Resync(false);
    return result;
}
