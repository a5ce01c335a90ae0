#pragma once
// The DrawingSetting class (DrawingSetting Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"
#include "automation/ControlItem.h"
#include "com/Owners.h"

class CYVEXControl;
class CDrawingSettingRecord;

class CDrawingSetting : public ycom::ObjectRoot, public CControlItem,
    public ycom::DispatchImpl<IDrawingSetting, &IID_IDrawingSetting>,
    public ycom::SupportErrorInfoImpl<&IID_IDrawingSetting> {
public:
    DECLARE_CLASS_ID(CLSID_DrawingSetting)
    BEGIN_INTERFACE_MAP(CDrawingSetting)
        INTERFACE_ENTRY(IDrawingSetting)
        INTERFACE_ENTRY2(IDispatch, IDrawingSetting)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IDrawingSetting
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lSetting) override;
    STDMETHODIMP get_ID(LONG *pVal) override;
    STDMETHODIMP get_PenWeight(double *pVal) override;
    STDMETHODIMP put_PenWeight(double newVal) override;
    STDMETHODIMP get_PenColor(OLE_COLOR *pVal) override;
    STDMETHODIMP put_PenColor(OLE_COLOR newVal) override;
    STDMETHODIMP get_LinePatternID(LONG *pVal) override;
    STDMETHODIMP put_LinePatternID(LONG newVal) override;
    STDMETHODIMP get_LayerShapeID(LONG *pVal) override;
    STDMETHODIMP put_LayerShapeID(LONG newVal) override;
    STDMETHODIMP get_ShowGrid(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_ShowGrid(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_GridXSpace(double *pVal) override;
    STDMETHODIMP put_GridXSpace(double newVal) override;
    STDMETHODIMP get_GridYSpace(double *pVal) override;
    STDMETHODIMP put_GridYSpace(double newVal) override;
    STDMETHODIMP get_SnapToGrid(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_SnapToGrid(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_SnapXSpace(double *pVal) override;
    STDMETHODIMP put_SnapXSpace(double newVal) override;
    STDMETHODIMP get_SnapYSpace(double *pVal) override;
    STDMETHODIMP put_SnapYSpace(double newVal) override;
    STDMETHODIMP get_SnapBaseX(double *pVal) override;
    STDMETHODIMP put_SnapBaseX(double newVal) override;
    STDMETHODIMP get_SnapBaseY(double *pVal) override;
    STDMETHODIMP put_SnapBaseY(double newVal) override;
    STDMETHODIMP get_LinePatternScale(double *pVal) override;
    STDMETHODIMP put_LinePatternScale(double newVal) override;
    STDMETHODIMP get_ImageScale(double *pVal) override;
    STDMETHODIMP put_ImageScale(double newVal) override;
    STDMETHODIMP get_OrthoMode(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_OrthoMode(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_DatabaseID(LONG *pVal) override;
    STDMETHODIMP put_DatabaseID(LONG newVal) override;
    STDMETHODIMP get_EditNewText(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_EditNewText(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP get_ShowRulers(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_ShowRulers(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_HatchColor(OLE_COLOR *pVal) override;
    STDMETHODIMP put_HatchColor(OLE_COLOR newVal) override;
    STDMETHODIMP get_HatchPatternID(LONG *pVal) override;
    STDMETHODIMP put_HatchPatternID(LONG newVal) override;
    STDMETHODIMP get_HatchPatternScale(double *pVal) override;
    STDMETHODIMP put_HatchPatternScale(double newVal) override;
    STDMETHODIMP get_ScalePenWeight(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_ScalePenWeight(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_SplineFreeHand(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_SplineFreeHand(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_ArrowScale(double *pVal) override;
    STDMETHODIMP put_ArrowScale(double newVal) override;
    STDMETHODIMP get_FontName(BSTR *pVal) override;
    STDMETHODIMP put_FontName(BSTR newVal) override;
    STDMETHODIMP get_FontCharset(LONG *pVal) override;
    STDMETHODIMP put_FontCharset(LONG newVal) override;
    STDMETHODIMP get_FontUnderline(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_FontUnderline(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_FontStrikethrough(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_FontStrikethrough(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_FontItalic(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_FontItalic(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_FontBold(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_FontBold(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_FontSize(double *pVal) override;
    STDMETHODIMP put_FontSize(double newVal) override;
    STDMETHODIMP get_FontAlignType(Alignments *pVal) override;
    STDMETHODIMP put_FontAlignType(Alignments newVal) override;
    STDMETHODIMP get_Font(IFontDisp **pVal) override;
    STDMETHODIMP put_Font(IFontDisp *newVal) override;
    STDMETHODIMP get_FontDispatch(IDispatch **pVal) override;
    STDMETHODIMP put_FontDispatch(IDispatch *newVal) override;
    STDMETHODIMP get_ProtectionFlags(LONG *pVal) override;
    STDMETHODIMP put_ProtectionFlags(LONG newVal) override;
    STDMETHODIMP get_ProtectionFlag(ShapeDBFlags flag, VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_ProtectionFlag(ShapeDBFlags flag, VARIANT_BOOL newVal) override;
    STDMETHODIMP get_LinkMarkScale(double *pVal) override;
    STDMETHODIMP put_LinkMarkScale(double newVal) override;


private:
    template <class F>
    HRESULT Guarded(F&& body);
    // The setting: E_POINTER when unattached or gone.
    HRESULT Find(CDrawingSettingRecord** setting) const;
    // A getter: E_POINTER for a null pointer or without a setting.
    template <class P, class F>
    HRESULT Read(P* out, F&& read);
    // The setters' rule: a different value records the setting and sets the modified flag; then
    // the value is stored. S_OK.
    template <class V, class Get, class Set>
    HRESULT Write(const V& value, Get&& get, Set&& set);
    // ShowGrid, SnapToGrid, OrthoMode: S_FALSE when unchanged; a change redraws.
    HRESULT WriteSwitch(int CDrawingSettingRecord::*field, VARIANT_BOOL value);
    HRESULT WriteStyleBit(DWORD bit, VARIANT_BOOL value);
    void RecordChange(CDrawingSettingRecord* setting);
};
