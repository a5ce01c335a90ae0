#include "model/ShapeIdGroup.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include <algorithm>

CShapeIdGroup::CShapeIdGroup(int id, CShapeHost* control) : CGroup(id, control)
{
    // A shape deleted anywhere leaves the list with it.
    if (m_control)
        m_control->GetShapeMap().AddOverlayGroup(this);
}

CShapeIdGroup::~CShapeIdGroup()
{
    // The group's destructor deletes what its list holds: this list owns nothing.
    m_children.clear();
    if (m_control)
        m_control->GetShapeMap().RemoveOverlayGroup(this);
}

int CShapeIdGroup::AddChild(CShape* child, int* outIndex, int, bool)
{
    if (!child || std::find(m_children.begin(), m_children.end(), child) != m_children.end())
        return 1;
    m_children.push_back(child);
    if (outIndex)
        *outIndex = GetShapeCount() - 1;
    return 0;
}

int CShapeIdGroup::RemoveChildAt(int index, bool destroy)
{
    if (index < 0 || index >= GetShapeCount())
        return 1;
    CShape* child = m_children[static_cast<size_t>(index)];
    if (destroy && m_control)
        m_control->DeleteShapeTree(child, false, true);
    else
        m_children.erase(m_children.begin() + index);
    return 0;
}

int CShapeIdGroup::RemoveChild(CShape* child)
{
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end())
        return 1;
    m_children.erase(it);
    return 0;
}

void CShapeIdGroup::Clear(bool) { m_children.clear(); }

void CShapeIdGroup::RemoveAll() { m_children.clear(); }
