#include "model/AttributeType.h"
#include "YVEX_h.h"
#include "model/AttributeTypeMap.h"

CAttributeTypeMap* CAttributeType::GetTypeMap() const { return dynamic_cast<CAttributeTypeMap*>(m_ownerMap); }

void CAttributeType::SetName(const std::wstring& name)
{
    if (CAttributeTypeMap* map = GetTypeMap())
        map->Rename(this, name);
    else
        m_name = name;
}

const CLSID& CAttributeType::GetWrapperClassId() const { return CLSID_AttributeType; }
