#pragma once
// The ImageResourceObject class (ImageResourceObject Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"
#include "automation/ControlItem.h"
#include "com/Owners.h"

class CYVEXControl;
class CImageResource;

class CImageResourceObject : public ycom::ObjectRoot, public CControlItem,
    public ycom::DispatchImpl<IImageResource, &IID_IImageResource>,
    public ycom::SupportErrorInfoImpl<&IID_IImageResource> {
public:
    DECLARE_CLASS_ID(CLSID_ImageResourceObject)
    BEGIN_INTERFACE_MAP(CImageResourceObject)
        INTERFACE_ENTRY(IImageResource)
        INTERFACE_ENTRY2(IDispatch, IImageResource)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IImageResource
    STDMETHODIMP get_ID(LONG *pVal) override;
    STDMETHODIMP get_DatabaseID(LONG *pVal) override;
    STDMETHODIMP put_DatabaseID(LONG newVal) override;
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lResource) override;
    STDMETHODIMP Save(LONG scenarioID, VARIANT_BOOL bUpdateData) override;
    STDMETHODIMP SaveToFile(BSTR FileName) override;
    STDMETHODIMP SaveToFileEx(BSTR FileName, LONG TargetImageResourceType) override;
    STDMETHODIMP get_DefaultImageScale(double *pVal) override;
    STDMETHODIMP put_DefaultImageScale(double newVal) override;
    STDMETHODIMP ConvertToBlock(LONG *BlockID) override;
    STDMETHODIMP get_Extension(BSTR *pVal) override;
    STDMETHODIMP get_ResourceType(ImageResourceTypes *pVal) override;
    STDMETHODIMP get_Height(LONG *pVal) override;
    STDMETHODIMP get_Width(LONG *pVal) override;

    int GetResourceId() const { return m_itemId; }

private:
    // Runs the body under the guard on the resource: E_POINTER when unattached or gone.
    template <class F>
    HRESULT Guarded(F&& body);
};
