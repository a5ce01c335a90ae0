#include "interchange/DxfDocument.h"

CDxfDocument::CDxfDocument() = default;

CDxfDocument::~CDxfDocument() { ClearReadingState(); }

void CDxfDocument::ClearReadingState()
{
    m_handles.clear();
    m_selfPoints.clear();
    m_linkedPoints.clear();
    ClearEntityState();
}

void CDxfDocument::ClearEntityState()
{
    // An entity without group 230 is drawn in the XY plane seen from above.
    m_extrusionZ = 1.0;
}

bool CDxfDocument::AddHandle(uint32_t handle, int shapeId) { return m_handles.emplace(handle, shapeId).second; }

bool CDxfDocument::FindHandle(uint32_t handle, int* shapeId) const
{
    auto it = m_handles.find(handle);
    if (it == m_handles.end())
        return false;
    if (shapeId)
        *shapeId = it->second;
    return true;
}
