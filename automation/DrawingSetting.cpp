#include "automation/DrawingSetting.h"

// IDrawingSetting
STDMETHODIMP CDrawingSetting::_Init(LONG_PTR, LONG_PTR) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_ID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_PenWeight(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_PenWeight(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_PenColor(OLE_COLOR *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_PenColor(OLE_COLOR) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_LinePatternID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_LinePatternID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_LayerShapeID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_LayerShapeID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_ShowGrid(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_ShowGrid(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_GridXSpace(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_GridXSpace(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_GridYSpace(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_GridYSpace(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_SnapToGrid(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_SnapToGrid(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_SnapXSpace(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_SnapXSpace(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_SnapYSpace(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_SnapYSpace(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_SnapBaseX(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_SnapBaseX(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_SnapBaseY(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_SnapBaseY(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_LinePatternScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_LinePatternScale(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_ImageScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_ImageScale(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_OrthoMode(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_OrthoMode(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_DatabaseID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_DatabaseID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_EditNewText(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_EditNewText(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_Name(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_Name(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_ShowRulers(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_ShowRulers(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_HatchColor(OLE_COLOR *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_HatchColor(OLE_COLOR) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_HatchPatternID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_HatchPatternID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_HatchPatternScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_HatchPatternScale(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_ScalePenWeight(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_ScalePenWeight(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_SplineFreeHand(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_SplineFreeHand(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_ArrowScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_ArrowScale(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_FontName(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_FontName(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_FontCharset(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_FontCharset(LONG) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_FontUnderline(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_FontUnderline(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_FontStrikethrough(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_FontStrikethrough(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_FontItalic(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_FontItalic(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_FontBold(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_FontBold(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_FontSize(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_FontSize(double) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_FontAlignType(Alignments *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_FontAlignType(Alignments) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_Font(IFontDisp **) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_Font(IFontDisp *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_FontDispatch(IDispatch **) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_FontDispatch(IDispatch *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_ProtectionFlags(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_ProtectionFlags(LONG) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_ProtectionFlag(ShapeDBFlags, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_ProtectionFlag(ShapeDBFlags, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::get_LinkMarkScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CDrawingSetting::put_LinkMarkScale(double) { return E_NOTIMPL; }
