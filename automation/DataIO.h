#pragma once
// The DataIO class (DataIO Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CYVEXControl;

class CDataIO : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IDataIO, &IID_IDataIO>,
    public ycom::DispatchImpl<IDTCio, &IID_IDTCio>,
    public ycom::SupportErrorInfoImpl<&IID_IDataIO, &IID_IDTCio> {
public:
    DECLARE_CLASS_ID(CLSID_DataIO)
    BEGIN_INTERFACE_MAP(CDataIO)
        INTERFACE_ENTRY(IDataIO)
        INTERFACE_ENTRY(IDTCio)
        INTERFACE_ENTRY2(IDispatch, IDataIO)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IDataIO
    STDMETHODIMP Serialize(BSTR pszFileName, LONG Mode) override;
    STDMETHODIMP IsModified(VARIANT_BOOL *modified) override;
    STDMETHODIMP put__YVEXControl(LONG_PTR newVal) override;
    STDMETHODIMP LoadBlock(BSTR pszFileName, LONG Mode, LONG *pShapeID) override;
    STDMETHODIMP SaveBlock(BSTR pszFileName, LONG Mode, LONG ShapeID) override;
    STDMETHODIMP SerializeEx(BSTR pszFileName, LONG Mode, LONG lParam) override;
    STDMETHODIMP get_SaveAsBinary(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_SaveAsBinary(VARIANT_BOOL newVal) override;

    // IDTCio
    STDMETHODIMP LoadDTC(LONG_PTR pYVEXBuffer, LONG lParam, LONG wParam) override;
    STDMETHODIMP SaveDTC(LONG lParam, LONG wParam, LONG_PTR *pYVEXBuffer) override;
    STDMETHODIMP ReleaseDTC(LONG_PTR pYVEXBuffer) override;
private:
    // The attached control: not reference counted (an inner object of the control never keeps it
    // alive); null while unattached.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IUnknown> m_keepAlive; // for a forwarder of its own, see AttachForwarder
};
