#pragma once
// The AttributeGroup class (AttributeGroup Class).
#include "com/ComObject.h"
#include "automation/AttributeBaseImpl.h"
#include "YVEX_h.h"

#include "model/AttributeGroupData.h"

class CAttributeGroup : public ycom::ObjectRoot,
    public IAttributeBaseImpl<CAttributeGroup, IAttributeGroup, &IID_IAttributeGroup, CAttributeGroupData>,
    public ycom::SupportErrorInfoImpl<&IID_IAttributeGroup> {
public:
    DECLARE_CLASS_ID(CLSID_AttributeGroup)
    BEGIN_INTERFACE_MAP(CAttributeGroup)
        INTERFACE_ENTRY(IAttributeGroup)
        INTERFACE_ENTRY2(IAttributeBase, IAttributeGroup)
        INTERFACE_ENTRY2(IDispatch, IAttributeGroup)
        INTERFACE_ENTRY(ISupportErrorInfo)
        // Asked by the collections to know an object of this server from any other.
        INTERFACE_ENTRY_IID(CLSID_AttributeGroup, IAttributeGroup)
    END_INTERFACE_MAP()
    using Object = CAttributeGroupData;
    // The object a client names for _Init, when the control's attribute model holds it.
    static Object* ResolveObject(CYVEXControl* control, LONG_PTR data);
    void StoreDatabaseId(LONG id);

    // IAttributeGroup
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP get_AttributeTypes(IAttributeTypeCollection **pVal) override;
    STDMETHODIMP get_ParentGroup(IAttributeGroup **pVal) override;
    STDMETHODIMP put_ParentGroup(IAttributeGroup *newVal) override;
};

// A new AttributeGroup object holding the group (none: an object that holds nothing).
HRESULT NewAttributeGroupObject(CYVEXControl* control, CAttributeGroupData* group, IAttributeGroup** out);
