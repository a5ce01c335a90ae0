#pragma once
// The YVEXPrint class (YVEXPrint Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CYVEXControl;

class CYVEXPrint : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IYVEXPrint, &IID_IYVEXPrint>,
    public ycom::SupportErrorInfoImpl<&IID_IYVEXPrint> {
public:
    DECLARE_CLASS_ID(CLSID_YVEXPrint)
    BEGIN_INTERFACE_MAP(CYVEXPrint)
        INTERFACE_ENTRY(IYVEXPrint)
        INTERFACE_ENTRY2(IDispatch, IYVEXPrint)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IYVEXPrint
    STDMETHODIMP PrintSite(VARIANT_BOOL Quiet) override;
    STDMETHODIMP PageSetup() override;
    STDMETHODIMP RestorePrinterSettings(LONG_PTR pPRINTDLG) override;
    STDMETHODIMP StorePrinterSettings(LONG_PTR pPRINTDLG) override;
    STDMETHODIMP DrawSiteMetafile(BSTR PathName, LONG_PTR *hEnhMetafile) override;
    STDMETHODIMP PrintSiteMetafile(LONG_PTR hEnhMetafile, LONG_PTR hTargetDC, LONG_PTR hTargetInfoDC) override;
    STDMETHODIMP get_PrintType(LONG *pVal) override;
    STDMETHODIMP put_PrintType(LONG newVal) override;
    STDMETHODIMP GetPrintRect(float *pLeft, float *pTop, float *pRight, float *pBottom) override;
    STDMETHODIMP PutPrintRect(float Left, float Top, float Right, float Bottom) override;
    STDMETHODIMP GetPrintOffset(float *pXOffset, float *pYOffset) override;
    STDMETHODIMP PutPrintOffset(float XOffset, float YOffset) override;
    STDMETHODIMP get_PrintCentered(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_PrintCentered(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_PrintScale(float *pVal) override;
    STDMETHODIMP put_PrintScale(float newVal) override;
    STDMETHODIMP put__YVEXControl(LONG_PTR newVal) override;
    // Plays a metafile of the site onto a target with the page layout of the information
    // context; `pageSize` (pixels of a preview page) may be null.
    HRESULT PlaySiteMetafile(HENHMETAFILE metafile, HDC target, HDC info, LONG reserved, const SIZE* pageSize);
private:
    // Runs the body under the guard on the control's page set-up and print settings; E_POINTER
    // unattached.
    template <class F>
    HRESULT Guarded(F&& body);
    // The attached control: not reference counted (an inner object of the control never keeps it
    // alive); null while unattached.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IUnknown> m_keepAlive; // for a forwarder of its own, see AttachForwarder
};
