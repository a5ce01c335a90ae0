#include "interchange/DxfDocument.h"

#include "model/Shape.h"

CDxfDocument::CDxfDocument() = default;

CDxfDocument::~CDxfDocument() { ClearReadingState(); }

void CDxfDocument::ClearReadingState()
{
    m_handles.clear();
    m_selfPoints.clear();
    m_linkedPoints.clear();
    m_replacements.clear();
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

void CDxfDocument::SetReplacement(int shapeId, std::unique_ptr<CShape> replacement)
{
    m_replacements[shapeId] = std::move(replacement);
}

CShape* CDxfDocument::FindReplacement(int shapeId) const
{
    auto it = m_replacements.find(shapeId);
    return it == m_replacements.end() ? nullptr : it->second.get();
}

std::unique_ptr<CShape> CDxfDocument::TakeReplacement(int shapeId)
{
    auto it = m_replacements.find(shapeId);
    if (it == m_replacements.end())
        return nullptr;
    std::unique_ptr<CShape> shape = std::move(it->second);
    m_replacements.erase(it);
    return shape;
}
