#pragma once
// The GlobalShapeCollection class (GlobalShapeCollection Class).
#include "com/ComObject.h"
#include "automation/ShapeCollectionImpl.h"
#include "YVEX_h.h"

class CGlobalShapeCollection : public ycom::ObjectRoot,
    public IShapeCollectionImpl<CGlobalShapeCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IShapeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_GlobalShapeCollection)
    BEGIN_INTERFACE_MAP(CGlobalShapeCollection)
        INTERFACE_ENTRY(IShapeCollection)
        INTERFACE_ENTRY2(IReadOnlyShapeCollection, IShapeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IShapeCollection)
        INTERFACE_ENTRY2(IDispatch, IShapeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
};
