#pragma once
// The AttributeGroupCollection class (AttributeGroupCollection Class).
#include "com/ComObject.h"
#include "automation/AttributeCollectionImpl.h"
#include "automation/AttributeGroup.h"
#include "YVEX_h.h"

class CAttributeGroupCollection : public ycom::ObjectRoot,
    public IAttributeCollectionImpl<CAttributeGroupCollection, IAttributeGroupCollection, &IID_IAttributeGroupCollection, IAttributeGroup, CAttributeGroup>,
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
    static const IID& ItemIid() { return IID_IAttributeGroup; }
    // _Init's container, given by a client's number: the site's group map.
    HRESULT AttachContainer(CYVEXControl* control, LONG_PTR lParam, LONG_PTR wParam);

    // IAttributeGroupCollection
    STDMETHODIMP AddAttributeGroup(IAttributeGroup *val) override;
    STDMETHODIMP CreateAttributeGroup(LONG newID, LONG newDatabaseID, BSTR newName, IAttributeGroup **ppAttributeGroup) override;
};
