#include "common/VExporter.h"

long CVExporter::Release()
{
    const long count = --m_refCount;
    if (count <= 0)
        delete this;
    return count;
}
