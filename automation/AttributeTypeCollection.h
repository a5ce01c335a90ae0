#pragma once
// The AttributeTypeCollection class (AttributeTypeCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "YVEX_h.h"

class CAttributeTypeCollection : public ycom::ObjectRoot,
    public IReadOnlyCollectionImpl<CAttributeTypeCollection, IAttributeTypeCollection, &IID_IAttributeTypeCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IAttributeTypeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_AttributeTypeCollection)
    BEGIN_INTERFACE_MAP(CAttributeTypeCollection)
        INTERFACE_ENTRY(IAttributeTypeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IAttributeTypeCollection)
        INTERFACE_ENTRY2(IDispatch, IAttributeTypeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IAttributeTypeCollection
    STDMETHODIMP get_Item(LONG Index, IAttributeType **pVal) override;
    STDMETHODIMP get_ItemByID(LONG AttributeTypeID, IAttributeType **pVal) override;
    STDMETHODIMP get_ItemByDatabaseID(LONG DatabaseID, IAttributeType **pVal) override;
    STDMETHODIMP AddAttributeType(IAttributeType *val) override;
    STDMETHODIMP CreateAttributeType(LONG newID, LONG newDatabaseID, BSTR newName, BSTR Format, BSTR Prompt, IAttributeType **ppAttributeType) override;
    STDMETHODIMP DeleteByID(LONG AttributeTypeID) override;
    STDMETHODIMP Delete(LONG Index) override;
    STDMETHODIMP DeleteByDatabaseID(LONG DatabaseID) override;
};
