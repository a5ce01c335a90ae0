#pragma once
// The AttributeGroupCollection class (AttributeGroupCollection Class).
#include "com/ComObject.h"
#include "automation/ShapeAttributeGroupCollectionImpl.h"
#include "YVEX_h.h"

class CAttributeGroupCollection : public ycom::ObjectRoot,
    public IShapeAttributeGroupCollectionImpl<CAttributeGroupCollection, IAttributeGroupCollection, &IID_IAttributeGroupCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IAttributeGroupCollection> {
public:
    DECLARE_CLASS_ID(CLSID_AttributeGroupCollection)
    BEGIN_INTERFACE_MAP(CAttributeGroupCollection)
        INTERFACE_ENTRY(IAttributeGroupCollection)
        INTERFACE_ENTRY2(IShapeAttributeGroupCollection, IAttributeGroupCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IAttributeGroupCollection)
        INTERFACE_ENTRY2(IDispatch, IAttributeGroupCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IAttributeGroupCollection
    STDMETHODIMP CreateAttributeGroup(LONG newID, LONG newDatabaseID, BSTR newName, IAttributeGroup **ppAttributeGroup) override;
};
