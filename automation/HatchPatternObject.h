#pragma once
// The HatchPattern class (HatchPattern Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"
#include "automation/ControlItem.h"
#include "com/Owners.h"

class CYVEXControl;
class CHatchPattern;

class CHatchPatternObject : public ycom::ObjectRoot, public CControlItem,
    public ycom::DispatchImpl<IHatchPattern, &IID_IHatchPattern>,
    public ycom::SupportErrorInfoImpl<&IID_IHatchPattern> {
public:
    DECLARE_CLASS_ID(CLSID_HatchPattern)
    BEGIN_INTERFACE_MAP(CHatchPatternObject)
        INTERFACE_ENTRY(IHatchPattern)
        INTERFACE_ENTRY2(IDispatch, IHatchPattern)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IHatchPattern
    STDMETHODIMP get_ID(LONG *pVal) override;
    STDMETHODIMP get_DatabaseID(LONG *pVal) override;
    STDMETHODIMP put_DatabaseID(LONG newVal) override;
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP get_Description(BSTR *pVal) override;
    STDMETHODIMP put_Description(BSTR newVal) override;
    STDMETHODIMP get_ImageResourceID(LONG *pVal) override;
    STDMETHODIMP put_ImageResourceID(LONG newVal) override;
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lPattern) override;

    int GetPatternId() const { return m_itemId; }

private:
    template <class F>
    HRESULT Guarded(F&& body);
    // The body runs on the pattern; E_POINTER when unattached or gone; a null out-pointer is
    // ignored.
    template <class F>
    HRESULT WithPattern(F&& body);
};
