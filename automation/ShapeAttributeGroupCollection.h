#pragma once
// The ShapeAttributeGroupCollection class (ShapeAttributeGroupCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "YVEX_h.h"

class CShapeAttributeGroupCollection : public ycom::ObjectRoot,
    public IReadOnlyCollectionImpl<CShapeAttributeGroupCollection, IShapeAttributeGroupCollection, &IID_IShapeAttributeGroupCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IShapeAttributeGroupCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ShapeAttributeGroupCollection)
    BEGIN_INTERFACE_MAP(CShapeAttributeGroupCollection)
        INTERFACE_ENTRY(IShapeAttributeGroupCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IShapeAttributeGroupCollection)
        INTERFACE_ENTRY2(IDispatch, IShapeAttributeGroupCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IShapeAttributeGroupCollection
    STDMETHODIMP get_Item(LONG Index, IAttributeGroup **pVal) override;
    STDMETHODIMP get_ItemByID(LONG AttributeGroupID, IAttributeGroup **pVal) override;
    STDMETHODIMP get_ItemByDatabaseID(LONG DatabaseID, IAttributeGroup **pVal) override;
    STDMETHODIMP AddAttributeGroup(IAttributeGroup *val) override;
    STDMETHODIMP DeleteByID(LONG AttributeGroupID) override;
    STDMETHODIMP Delete(LONG Index) override;
    STDMETHODIMP DeleteByDatabaseID(LONG DatabaseID) override;
};
