#pragma once
// The ReadOnlyReferenceShapeCollection class (ReadOnlyReferenceShapeCollection Class): the block
// references that use a block.
#include "com/ComObject.h"
#include "automation/ReadOnlyShapeCollectionImpl.h"
#include "YVEX_h.h"

class CReadOnlyReferenceShapeCollection : public ycom::ObjectRoot,
    public IReadOnlyShapeCollectionImpl<CReadOnlyReferenceShapeCollection, IReadOnlyReferenceShapeCollection,
                                        &IID_IReadOnlyReferenceShapeCollection, IReferenceShape>,
    public ycom::SupportErrorInfoImpl<&IID_IReadOnlyReferenceShapeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ReadOnlyReferenceShapeCollection)
    BEGIN_INTERFACE_MAP(CReadOnlyReferenceShapeCollection)
        INTERFACE_ENTRY(IReadOnlyReferenceShapeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IReadOnlyReferenceShapeCollection)
        INTERFACE_ENTRY2(IDispatch, IReadOnlyReferenceShapeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // The block's references; ItemByID and ItemByDatabaseID look among them alone.
    HRESULT Attach(CYVEXControl* control, LONG_PTR lParam) { return AttachReferrers(control, lParam); }
    const IID* ItemIid() const { return &IID_IReferenceShape; }
};
