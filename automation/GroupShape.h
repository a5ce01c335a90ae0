#pragma once
// The GroupShape class (GroupShape Class).
#include "com/ComObject.h"
#include "automation/ShapeImpl.h"
#include "YVEX_h.h"

class CGroupShape : public ycom::ObjectRoot,
    public IShapeImpl<CGroupShape, IGroupShape, &IID_IGroupShape>,
    public ycom::SupportErrorInfoImpl<&IID_IGroupShape> {
public:
    DECLARE_CLASS_ID(CLSID_GroupShape)
    BEGIN_INTERFACE_MAP(CGroupShape)
        INTERFACE_ENTRY(IGroupShape)
        INTERFACE_ENTRY2(IShape, IGroupShape)
        INTERFACE_ENTRY2(IDispatch, IGroupShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IGroupShape
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP UpdateReferences(updateRefType updateType) override;
    STDMETHODIMP Clear() override;
    STDMETHODIMP get_References(IReadOnlyReferenceShapeCollection **pVal) override;
};
