#pragma once
// The DrawingSettingCollection class (DrawingSettingCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "YVEX_h.h"

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

    // IDrawingSettingCollection
    STDMETHODIMP CreateDrawingSetting(BSTR Name, float PenWidth, Colors PenColor, Colors BrushColor, LONG PenTypeID, LONG LayerID, VARIANT_BOOL ShowGrid, float GridXSpace, float GridYSpace, VARIANT_BOOL SnapToGrid, float SnapXSpace, float SnapYSpace, float SnapBaseX, float SnapBaseY, float LineTypeScale, float HatchPatternScale, float ImageScale, VARIANT_BOOL OrthoMode) override;
    STDMETHODIMP get_Item(LONG Index, IDrawingSetting **pVal) override;
    STDMETHODIMP get_ItemByID(LONG ID, IDrawingSetting **pVal) override;
};
