#pragma once
// The AttributeGroup class (AttributeGroup Class).
#include "com/ComObject.h"
#include "automation/AttributeBaseImpl.h"
#include "YVEX_h.h"

class CAttributeGroup : public ycom::ObjectRoot,
    public IAttributeBaseImpl<CAttributeGroup, IAttributeGroup, &IID_IAttributeGroup>,
    public ycom::SupportErrorInfoImpl<&IID_IAttributeGroup> {
public:
    DECLARE_CLASS_ID(CLSID_AttributeGroup)
    BEGIN_INTERFACE_MAP(CAttributeGroup)
        INTERFACE_ENTRY(IAttributeGroup)
        INTERFACE_ENTRY2(IAttributeBase, IAttributeGroup)
        INTERFACE_ENTRY2(IDispatch, IAttributeGroup)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IAttributeGroup
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP get_AttributeTypes(IAttributeTypeCollection **pVal) override;
    STDMETHODIMP get_ParentGroup(IAttributeGroup **pVal) override;
    STDMETHODIMP put_ParentGroup(IAttributeGroup *newVal) override;
};
