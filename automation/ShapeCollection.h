#pragma once
// The ShapeCollection class (ShapeCollection Class).
#include "com/ComObject.h"
#include "automation/ShapeCollectionImpl.h"
#include "YVEX_h.h"

class CShapeCollection : public ycom::ObjectRoot,
    public IShapeCollectionImpl<CShapeCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IShapeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ShapeCollection)
    BEGIN_INTERFACE_MAP(CShapeCollection)
        INTERFACE_ENTRY(IShapeCollection)
        INTERFACE_ENTRY2(IReadOnlyShapeCollection, IShapeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IShapeCollection)
        INTERFACE_ENTRY2(IDispatch, IShapeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    static constexpr bool kSelection = false;
    // The children of the group given to _Init.
    HRESULT Attach(CYVEXControl* control, LONG_PTR lParam) { return AttachGroup(control, lParam); }
};
