#include "model/ShapeAttributes.h"
#include "model/Shape.h"

int CShapeAttributes::RemoveAt(int index)
{
    const int result = CAttributeList::RemoveAt(index);
    if (result == 0 && m_owner)
        if (CShapeAttributeMap* values = m_owner->FindAttributes())
            values->Resync(false);
    return result;
}
