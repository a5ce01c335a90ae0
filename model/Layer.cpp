#include "model/Layer.h"
#include "YVEX_h.h"

CLayer::CLayer(int id, CShapeHost* control) : CShape(id, control)
{
    m_penColor = 0x000000;
    m_hatchColor = 0xFFFFFF;
    m_linePatternId = ltContinuous;
    m_hatchPatternId = hpNone;
    m_shapeType = stLayer;
}

CLayer::CLayer(int id, const CLayer& source) : CShape(id, source), m_name(source.m_name) { Normalize(); }

void CLayer::Normalize()
{
    if (m_penColor & coByLayer)
        m_penColor = 0x000000;
    if (m_hatchColor & coByLayer)
        m_hatchColor = 0xFFFFFF;
    if (m_linePatternId & ltByLayer)
        m_linePatternId = ltContinuous;
    if (m_hatchPatternId & hpByLayer)
        m_hatchPatternId = hpNone;
}

void CLayer::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_LayerShape;
}

int CLayer::GetClassShapeType() { return stLayer; }

void CLayer::SetPenColor(DWORD colour)
{
    if (colour & coByLayer)
        m_penColor = 0x000000;
    else
        CShape::SetPenColor(colour);
}

void CLayer::SetHatchColor(DWORD colour)
{
    if (colour & coByLayer)
        m_hatchColor = 0xFFFFFF;
    else
        CShape::SetHatchColor(colour);
}

void CLayer::SetLinePatternId(int id) { m_linePatternId = (id & ltByLayer) ? ltContinuous : id; }

void CLayer::SetHatchPatternId(int id)
{
    if (id & hpByLayer)
        m_hatchPatternId = hpNone;
    else
        CShape::SetHatchPatternId(id);
}
