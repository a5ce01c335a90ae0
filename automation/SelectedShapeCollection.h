#pragma once
// The SelectedShapeCollection class (SelectedShapeCollection Class).
#include "com/ComObject.h"
#include "automation/ShapeCollectionImpl.h"
#include "YVEX_h.h"

class CSelectedShapeCollection : public ycom::ObjectRoot,
    public IShapeCollectionImpl<CSelectedShapeCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IShapeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_SelectedShapeCollection)
    BEGIN_INTERFACE_MAP(CSelectedShapeCollection)
        INTERFACE_ENTRY(IShapeCollection)
        INTERFACE_ENTRY2(IReadOnlyShapeCollection, IShapeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IShapeCollection)
        INTERFACE_ENTRY2(IDispatch, IShapeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    static constexpr bool kSelection = true;
    // The children of the group given to _Init.
    HRESULT Attach(CYVEXControl* control, LONG_PTR lParam) { return AttachGroup(control, lParam); }
};
