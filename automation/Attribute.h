#pragma once
// The Attribute class (Attribute Class).
#include "com/ComObject.h"
#include "automation/AttributeBaseImpl.h"
#include "YVEX_h.h"

class CAttribute : public ycom::ObjectRoot,
    public IAttributeBaseImpl<CAttribute, IAttribute, &IID_IAttribute>,
    public ycom::SupportErrorInfoImpl<&IID_IAttribute> {
public:
    DECLARE_CLASS_ID(CLSID_Attribute)
    BEGIN_INTERFACE_MAP(CAttribute)
        INTERFACE_ENTRY(IAttribute)
        INTERFACE_ENTRY2(IAttributeBase, IAttribute)
        INTERFACE_ENTRY2(IDispatch, IAttribute)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IAttribute
    STDMETHODIMP get_Value(VARIANT *pVal) override;
    STDMETHODIMP put_Value(VARIANT newVal) override;
};
