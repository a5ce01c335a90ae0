#pragma once
// The ShapeAttributeGroupCollection class (ShapeAttributeGroupCollection Class).
#include "com/ComObject.h"
#include "automation/AttributeCollectionImpl.h"
#include "automation/AttributeGroup.h"
#include "YVEX_h.h"

class CShapeAttributeGroupCollection : public ycom::ObjectRoot,
    public IAttributeCollectionImpl<CShapeAttributeGroupCollection, IShapeAttributeGroupCollection, &IID_IShapeAttributeGroupCollection, IAttributeGroup, CAttributeGroup>,
    public ycom::SupportErrorInfoImpl<&IID_IShapeAttributeGroupCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ShapeAttributeGroupCollection)
    BEGIN_INTERFACE_MAP(CShapeAttributeGroupCollection)
        INTERFACE_ENTRY(IShapeAttributeGroupCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IShapeAttributeGroupCollection)
        INTERFACE_ENTRY2(IDispatch, IShapeAttributeGroupCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
    static const IID& ItemIid() { return IID_IAttributeGroup; }
    // _Init's container, given by a client's number: a shape's groups.
    HRESULT AttachContainer(CYVEXControl* control, LONG_PTR lParam, LONG_PTR wParam);

    // IShapeAttributeGroupCollection
    STDMETHODIMP AddAttributeGroup(IAttributeGroup *val) override;
};
