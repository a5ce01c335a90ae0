#include "model/VertexData.h"

namespace {
LONG g_lastVertexId = 0;
} // namespace

int CVertexData::NextVertexId() { return static_cast<int>(InterlockedIncrement(&g_lastVertexId)); }

void CVertexData::ResetData()
{
    *this = CVertexData();
    vertexId = NextVertexId();
}

bool CVertexData::IsDefault() const
{
    return startWidth == -1.0f && endWidth == -1.0f && bulge == 0.0f && direction == 0.0f && flags == 0 &&
           color == 0x40000000 && lineType == 0x8000 && tag == 0;
}
