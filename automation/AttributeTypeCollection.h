#pragma once
// The AttributeTypeCollection class (AttributeTypeCollection Class).
#include "com/ComObject.h"
#include "automation/AttributeCollectionImpl.h"
#include "automation/AttributeTypeObject.h"
#include "YVEX_h.h"

class CAttributeTypeCollection : public ycom::ObjectRoot,
    public IAttributeCollectionImpl<CAttributeTypeCollection, IAttributeTypeCollection, &IID_IAttributeTypeCollection, IAttributeType, CAttributeTypeObject>,
    public ycom::SupportErrorInfoImpl<&IID_IAttributeTypeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_AttributeTypeCollection)
    BEGIN_INTERFACE_MAP(CAttributeTypeCollection)
        INTERFACE_ENTRY(IAttributeTypeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IAttributeTypeCollection)
        INTERFACE_ENTRY2(IDispatch, IAttributeTypeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
    static const IID& ItemIid() { return IID_IAttributeType; }
    // _Init's container, given by a client's number: a group's type list (list mode) or the site's
    // type map (map mode, in wParam).
    HRESULT AttachContainer(CYVEXControl* control, LONG_PTR lParam, LONG_PTR wParam);

    // IAttributeTypeCollection
    STDMETHODIMP AddAttributeType(IAttributeType *val) override;
    STDMETHODIMP CreateAttributeType(LONG newID, LONG newDatabaseID, BSTR newName, BSTR Format, BSTR Prompt, IAttributeType **ppAttributeType) override;
};
