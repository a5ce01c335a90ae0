#pragma once
// The ImageResourceCollection class (ImageResourceCollection Class).
#include "com/ComObject.h"
#include "com/Collections.h"
#include "YVEX_h.h"

class CYVEXControl;

class CImageResourceCollection : public ycom::ObjectRoot,
    public ycom::PreparedCollectionImpl<CImageResourceCollection, IImageResourceCollection, &IID_IImageResourceCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IImageResourceCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ImageResourceCollection)
    BEGIN_INTERFACE_MAP(CImageResourceCollection)
        INTERFACE_ENTRY(IImageResourceCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IImageResourceCollection)
        INTERFACE_ENTRY2(IDispatch, IImageResourceCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // _IReadOnlyCollection
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR wParam) override;

    // IImageResourceCollection
    STDMETHODIMP get_Item(LONG Index, IImageResource **pVal) override;
    STDMETHODIMP get_ItemByID(LONG ID, IImageResource **pVal) override;
    STDMETHODIMP get_ItemByDBID(LONG DatabaseID, IImageResource **pVal) override;
    STDMETHODIMP Load(LONG SiteID) override;
    STDMETHODIMP LoadResource(LONG resourceDBID, IImageResource **pVal) override;
    STDMETHODIMP LoadResourceFromFile(BSTR FileName, IImageResource **pVal) override;
    STDMETHODIMP DeleteByID(LONG resourceID) override;
    STDMETHODIMP Delete(LONG Index) override;
    STDMETHODIMP DeleteByIDExt(LONG resourceID, VARIANT_BOOL bDeleteDependentObjects) override;
    STDMETHODIMP DeleteExt(LONG Index, VARIANT_BOOL bDeleteDependentObjects) override;
    STDMETHODIMP LoadResourceFromHandle(LONG_PTR Handle, IImageResource **pVal) override;

private:
    template <class F>
    HRESULT Guarded(F&& body);
    HRESULT Build();
    HRESULT Find(int resourceId, IImageResource** out);
    CYVEXControl* m_yvex = nullptr;
};
