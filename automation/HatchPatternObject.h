#pragma once
// The HatchPattern class (HatchPattern Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"
#include "com/Owners.h"

class CYVEXControl;
class CHatchPattern;

class CHatchPatternObject : public ycom::ObjectRoot,
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

    // Attaches to a pattern of the control by ID (null control: detached).
    void Attach(CYVEXControl* control, int patternId);
    int GetPatternId() const { return m_patternId; }

private:
    template <class F>
    HRESULT Guarded(F&& body);
    // The body runs on the pattern; E_POINTER when unattached or gone; a null out-pointer is
    // ignored.
    template <class F>
    HRESULT WithPattern(F&& body);

    // The pattern is named by ID and looked up on every call: a deleted pattern leaves a kept
    // object failing.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IYVEXControl> m_controlRef;
    int m_patternId = 0;
};
