#pragma once
// The AttributeCollection class (AttributeCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "YVEX_h.h"

class CAttributeCollection : public ycom::ObjectRoot,
    public IReadOnlyCollectionImpl<CAttributeCollection, IAttributeCollection, &IID_IAttributeCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IAttributeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_AttributeCollection)
    BEGIN_INTERFACE_MAP(CAttributeCollection)
        INTERFACE_ENTRY(IAttributeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IAttributeCollection)
        INTERFACE_ENTRY2(IDispatch, IAttributeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IAttributeCollection
    STDMETHODIMP get_Item(LONG Index, IAttribute **pVal) override;
    STDMETHODIMP get_ItemByID(LONG AttributeID, IAttribute **pVal) override;
    STDMETHODIMP get_ItemByDatabaseID(LONG DatabaseID, IAttribute **pVal) override;
    STDMETHODIMP AddAttribute(IAttribute *val) override;
    STDMETHODIMP CreateAttribute(LONG newID, LONG newDatabaseID, VARIANT newValue, IAttribute **ppAttribute) override;
    STDMETHODIMP DeleteByID(LONG AttributeID) override;
    STDMETHODIMP Delete(LONG Index) override;
    STDMETHODIMP DeleteByDatabaseID(LONG DatabaseID) override;
};
