#include "model/CountedObject.h"

LONG CCountedObject::Release(int)
{
    if (m_useCount > 0)
        --m_useCount;
    if (m_useCount > 0)
        return m_useCount;
    OnFinalRelease();
    delete this;
    return 0;
}
