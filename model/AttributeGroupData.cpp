#include "model/AttributeGroupData.h"
#include "YVEX_h.h"
#include "automation/ResultCodes.h"
#include "model/AttributeGroupMap.h"
#include "model/AttributeType.h"
#include "model/Shape.h"
#include "model/ShapeHost.h"

CAttributeGroupData::CAttributeGroupData(CShapeHost* control) : m_types(this), m_control(control) {}

CAttributeGroupData::~CAttributeGroupData()
{
    LinkParent(nullptr);
    m_types.ReleaseAll();
}

CAttributeGroupMap* CAttributeGroupData::GetGroupMap() const { return dynamic_cast<CAttributeGroupMap*>(m_ownerMap); }

void CAttributeGroupData::LinkParent(CAttributeGroupData* parent)
{
    if (parent == m_parent)
        return;
    CAttributeGroupData* old = m_parent;
    m_parent = parent;
    if (parent)
        parent->AddOwner(kNoOwnerId);
    if (old)
        old->Release(kNoOwnerId);
}

bool CAttributeGroupData::ChainHolds(const CAttributeGroupData* group) const
{
    // The chain is loop-free, but a bound keeps a damaged one from hanging the walk.
    int steps = 0;
    for (const CAttributeGroupData* g = this; g && steps < 100000; g = g->m_parent, ++steps)
        if (g == group)
            return true;
    return false;
}

HRESULT CAttributeGroupData::SetParentGroup(CAttributeGroupData* parent)
{
    if (parent && parent->ChainHolds(this))
        return E_INVALIDARG;
    const bool hadParent = m_parent != nullptr;
    LinkParent(parent);
    if (hadParent)
        ResyncShapes();
    return S_OK;
}

int CAttributeGroupData::CollectAttributeIds(std::set<int>& ids) const
{
    const size_t before = ids.size();
    std::set<const CAttributeGroupData*> seen;
    for (const CAttributeGroupData* g = this; g && seen.insert(g).second; g = g->m_parent)
        for (int i = 0; i < g->m_types.GetCount(); ++i)
            ids.insert(g->m_types.GetAt(i)->GetId());
    return static_cast<int>(ids.size() - before);
}

void CAttributeGroupData::ResyncShapes()
{
    if (m_control)
        m_control->ForEachShape([](CShape* shape) {
            if (CShapeAttributeMap* values = shape->FindAttributes())
                values->Resync(false);
        });
}

const CLSID& CAttributeGroupData::GetWrapperClassId() const { return CLSID_AttributeGroup; }
