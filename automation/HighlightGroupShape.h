#pragma once
// The HighlightGroupShape class (HighlightGroupShape Class).
#include "com/ComObject.h"
#include "automation/ShapeImpl.h"
#include "YVEX_h.h"

class CHighlightGroup;

class CHighlightGroupShape : public ycom::ObjectRoot,
    public IShapeImpl<CHighlightGroupShape, IHighlightGroupShape, &IID_IHighlightGroupShape>,
    public ycom::SupportErrorInfoImpl<&IID_IHighlightGroupShape> {
public:
    DECLARE_CLASS_ID(CLSID_HighlightGroupShape)
    BEGIN_INTERFACE_MAP(CHighlightGroupShape)
        INTERFACE_ENTRY(IHighlightGroupShape)
        INTERFACE_ENTRY2(IShape, IHighlightGroupShape)
        INTERFACE_ENTRY2(IDispatch, IHighlightGroupShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IHighlightGroupShape
    STDMETHODIMP get_ShadeType(LONG *pVal) override;
    STDMETHODIMP get_BlinkTimeout(LONG *pVal) override;
    STDMETHODIMP get_BlinkType(LONG *pVal) override;
    STDMETHODIMP get_BlinkOn(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_ShadeType(ShadeTypes newVal) override;
    STDMETHODIMP put_BlinkTimeout(LONG newVal) override;
    STDMETHODIMP put_BlinkType(BlinkTypes newVal) override;
    STDMETHODIMP put_BlinkOn(VARIANT_BOOL newVal) override;

private:
    // Runs the body on the highlight group the wrapper names; nothing without one.
    template <class F>
    HRESULT WithGroup(F&& body);
};
