#pragma once
// The ViewportObject class (ViewportObject Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"
#include "automation/ControlItem.h"
#include "com/Owners.h"

class CYVEXControl;
class CViewportRecord;

class CViewportObject : public ycom::ObjectRoot, public CControlItem,
    public ycom::DispatchImpl<IViewport, &IID_IViewport>,
    public ycom::SupportErrorInfoImpl<&IID_IViewport> {
public:
    DECLARE_CLASS_ID(CLSID_ViewportObject)
    BEGIN_INTERFACE_MAP(CViewportObject)
        INTERFACE_ENTRY(IViewport)
        INTERFACE_ENTRY2(IDispatch, IViewport)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IViewport
    STDMETHODIMP get_ViewCenterX(double *pVal) override;
    STDMETHODIMP put_ViewCenterX(double newVal) override;
    STDMETHODIMP get_ViewCenterY(double *pVal) override;
    STDMETHODIMP put_ViewCenterY(double newVal) override;
    STDMETHODIMP get_ViewHeight(double *pVal) override;
    STDMETHODIMP put_ViewHeight(double newVal) override;
    STDMETHODIMP get_ViewWidth(double *pVal) override;
    STDMETHODIMP put_ViewWidth(double newVal) override;
    STDMETHODIMP _Init(LONG_PTR lParam1, LONG_PTR lParam2) override;
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP get_ID(LONG *pVal) override;
    STDMETHODIMP get_DatabaseID(LONG *pVal) override;
    STDMETHODIMP put_DatabaseID(LONG newVal) override;
    STDMETHODIMP get_DrawingSettingID(LONG *pVal) override;
    STDMETHODIMP put_DrawingSettingID(LONG newVal) override;


private:
    template <class F>
    HRESULT Guarded(F&& body);
    // The body runs on the viewport: E_POINTER unattached, "Wrong identifier." once it is gone.
    template <class F>
    HRESULT WithViewport(F&& body);
};
