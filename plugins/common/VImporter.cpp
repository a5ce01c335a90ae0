#include "common/VImporter.h"

long CVImporter::Release()
{
    const long count = --m_refCount;
    if (count <= 0)
        delete this;
    return count;
}
