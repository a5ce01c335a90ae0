#pragma once
// The ReadOnlyVertexCollection class (ReadOnlyVertexCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyVertexCollectionImpl.h"
#include "YVEX_h.h"

class CReadOnlyVertexCollection : public ycom::ObjectRoot,
    public IReadOnlyVertexCollectionImpl<CReadOnlyVertexCollection, IReadOnlyVertexCollection, &IID_IReadOnlyVertexCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IReadOnlyVertexCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ReadOnlyVertexCollection)
    BEGIN_INTERFACE_MAP(CReadOnlyVertexCollection)
        INTERFACE_ENTRY(IReadOnlyVertexCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IReadOnlyVertexCollection)
        INTERFACE_ENTRY2(IDispatch, IReadOnlyVertexCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

};
