#pragma once
// The AttributeCollection class (AttributeCollection Class).
#include "com/ComObject.h"
#include "automation/AttributeCollectionImpl.h"
#include "automation/Attribute.h"
#include "YVEX_h.h"

class CAttributeCollection : public ycom::ObjectRoot,
    public IAttributeCollectionImpl<CAttributeCollection, IAttributeCollection, &IID_IAttributeCollection, IAttribute, CAttribute>,
    public ycom::SupportErrorInfoImpl<&IID_IAttributeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_AttributeCollection)
    BEGIN_INTERFACE_MAP(CAttributeCollection)
        INTERFACE_ENTRY(IAttributeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IAttributeCollection)
        INTERFACE_ENTRY2(IDispatch, IAttributeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
    static const IID& ItemIid() { return IID_IAttribute; }
    // _Init's container, given by a client's number: a shape's values.
    HRESULT AttachContainer(CYVEXControl* control, LONG_PTR lParam, LONG_PTR wParam);

    // IAttributeCollection
    STDMETHODIMP AddAttribute(IAttribute *val) override;
    STDMETHODIMP CreateAttribute(LONG newID, LONG newDatabaseID, VARIANT newValue, IAttribute **ppAttribute) override;
};
