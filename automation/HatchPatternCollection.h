#pragma once
// The HatchPatternCollection class (HatchPatternCollection Class).
#include "com/ComObject.h"
#include "com/Collections.h"
#include "YVEX_h.h"

class CYVEXControl;

class CHatchPatternCollection : public ycom::ObjectRoot,
    public ycom::PreparedCollectionImpl<CHatchPatternCollection, IHatchPatternCollection, &IID_IHatchPatternCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IHatchPatternCollection> {
public:
    DECLARE_CLASS_ID(CLSID_HatchPatternCollection)
    BEGIN_INTERFACE_MAP(CHatchPatternCollection)
        INTERFACE_ENTRY(IHatchPatternCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IHatchPatternCollection)
        INTERFACE_ENTRY2(IDispatch, IHatchPatternCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // _IReadOnlyCollection
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR wParam) override;

    // IHatchPatternCollection
    STDMETHODIMP get_Item(LONG Index, IHatchPattern **pVal) override;
    STDMETHODIMP get_ItemByID(LONG ID, IHatchPattern **pVal) override;
    STDMETHODIMP Delete(LONG Index) override;
    STDMETHODIMP DeleteByID(LONG ID) override;
    STDMETHODIMP AddItem(BSTR Name, BSTR Description, LONG DatabaseID, LONG ImageResourceID, LONG *pNewPatternID) override;

private:
    template <class F>
    HRESULT Guarded(F&& body);
    // Builds the snapshot from the control's map.
    HRESULT Build();
    // Deletes one pattern as one undoable operation; S_FALSE when the map refuses.
    HRESULT DeletePattern(int id);
    CYVEXControl* m_yvex = nullptr;
};
