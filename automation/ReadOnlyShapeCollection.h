#pragma once
// The ReadOnlyShapeCollection class (ReadOnlyShapeCollection Class): a list of shapes, such as the
// result of a hit test.
#include "com/ComObject.h"
#include "automation/ReadOnlyShapeCollectionImpl.h"
#include "YVEX_h.h"

class CReadOnlyShapeCollection : public ycom::ObjectRoot,
    public IReadOnlyShapeCollectionImpl<CReadOnlyShapeCollection, IReadOnlyShapeCollection, &IID_IReadOnlyShapeCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IReadOnlyShapeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ReadOnlyShapeCollection)
    BEGIN_INTERFACE_MAP(CReadOnlyShapeCollection)
        INTERFACE_ENTRY(IReadOnlyShapeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IReadOnlyShapeCollection)
        INTERFACE_ENTRY2(IDispatch, IReadOnlyShapeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // A client's _Init names no list (a list is a server's own memory): only 0, an empty list.
    // The server fills one through AttachList.
    HRESULT Attach(CYVEXControl* control, LONG_PTR lParam);
};
