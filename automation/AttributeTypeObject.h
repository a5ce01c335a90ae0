#pragma once
// The AttributeType class (AttributeType Class).
#include "com/ComObject.h"
#include "automation/AttributeBaseImpl.h"
#include "YVEX_h.h"

#include "model/AttributeType.h"

class CAttributeTypeObject : public ycom::ObjectRoot,
    public IAttributeBaseImpl<CAttributeTypeObject, IAttributeType, &IID_IAttributeType, CAttributeType>,
    public ycom::SupportErrorInfoImpl<&IID_IAttributeType> {
public:
    DECLARE_CLASS_ID(CLSID_AttributeType)
    BEGIN_INTERFACE_MAP(CAttributeTypeObject)
        INTERFACE_ENTRY(IAttributeType)
        INTERFACE_ENTRY2(IAttributeBase, IAttributeType)
        INTERFACE_ENTRY2(IDispatch, IAttributeType)
        INTERFACE_ENTRY(ISupportErrorInfo)
        // Asked by the collections to know an object of this server from any other.
        INTERFACE_ENTRY_IID(CLSID_AttributeType, IAttributeType)
    END_INTERFACE_MAP()
    using Object = CAttributeType;
    // The object a client names for _Init, when the control's attribute model holds it.
    static Object* ResolveObject(CYVEXControl* control, LONG_PTR data);
    void StoreDatabaseId(LONG id);

    // IAttributeType
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP get_Format(BSTR *pVal) override;
    STDMETHODIMP put_Format(BSTR newVal) override;
    STDMETHODIMP get_Prompt(BSTR *pVal) override;
    STDMETHODIMP put_Prompt(BSTR newVal) override;
};
