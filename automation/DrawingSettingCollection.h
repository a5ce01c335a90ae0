#pragma once
// The DrawingSettingCollection class (DrawingSettingCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "YVEX_h.h"
#include "com/Owners.h"

class CYVEXControl;
class CDrawingSettingRecord;

class CDrawingSettingCollection : public ycom::ObjectRoot,
    public IReadOnlyCollectionImpl<CDrawingSettingCollection, IDrawingSettingCollection, &IID_IDrawingSettingCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IDrawingSettingCollection> {
public:
    DECLARE_CLASS_ID(CLSID_DrawingSettingCollection)
    BEGIN_INTERFACE_MAP(CDrawingSettingCollection)
        INTERFACE_ENTRY(IDrawingSettingCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IDrawingSettingCollection)
        INTERFACE_ENTRY2(IDispatch, IDrawingSettingCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // _IReadOnlyCollection
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR wParam) override;
    STDMETHODIMP _Destroy() override;
    STDMETHODIMP get__NewEnum(IUnknown** pVal) override;
    STDMETHODIMP get_Count(LONG* pVal) override;
    STDMETHODIMP Refresh() override;

    // IDrawingSettingCollection
    STDMETHODIMP CreateDrawingSetting(BSTR Name, float PenWidth, Colors PenColor, Colors BrushColor, LONG PenTypeID, LONG LayerID, VARIANT_BOOL ShowGrid, float GridXSpace, float GridYSpace, VARIANT_BOOL SnapToGrid, float SnapXSpace, float SnapYSpace, float SnapBaseX, float SnapBaseY, float LineTypeScale, float HatchPatternScale, float ImageScale, VARIANT_BOOL OrthoMode) override;
    STDMETHODIMP get_Item(LONG Index, IDrawingSetting **pVal) override;
    STDMETHODIMP get_ItemByID(LONG ID, IDrawingSetting **pVal) override;

    // A new DrawingSetting object of the collection's control for the setting.
    HRESULT HandOut(CDrawingSettingRecord* setting, IDrawingSetting** out) const;

private:
    template <class F>
    HRESULT Guarded(F&& body);
    void SetControl(CYVEXControl* control);
    // The collection reads the control's live map; items are made per call.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IYVEXControl> m_controlRef;
};
