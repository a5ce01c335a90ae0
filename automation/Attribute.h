#pragma once
// The Attribute class (Attribute Class).
#include "com/ComObject.h"
#include "automation/AttributeBaseImpl.h"
#include "YVEX_h.h"

#include "model/AttributeValue.h"

class CAttribute : public ycom::ObjectRoot,
    public IAttributeBaseImpl<CAttribute, IAttribute, &IID_IAttribute, CAttributeValue>,
    public ycom::SupportErrorInfoImpl<&IID_IAttribute> {
public:
    DECLARE_CLASS_ID(CLSID_Attribute)
    BEGIN_INTERFACE_MAP(CAttribute)
        INTERFACE_ENTRY(IAttribute)
        INTERFACE_ENTRY2(IAttributeBase, IAttribute)
        INTERFACE_ENTRY2(IDispatch, IAttribute)
        INTERFACE_ENTRY(ISupportErrorInfo)
        // Asked by the collections to know an object of this server from any other.
        INTERFACE_ENTRY_IID(CLSID_Attribute, IAttribute)
    END_INTERFACE_MAP()
    using Object = CAttributeValue;
    // The object a client names for _Init, when the control's attribute model holds it.
    static Object* ResolveObject(CYVEXControl* control, LONG_PTR data);
    void StoreDatabaseId(LONG id);

    // IAttribute
    STDMETHODIMP get_Value(VARIANT *pVal) override;
    STDMETHODIMP put_Value(VARIANT newVal) override;
};
