#include "automation/TextShape.h"

// ITextShape
STDMETHODIMP CTextShape::get_Text(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_Type(TextTypes *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_Height(double *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_Width(double *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_AlignType(Alignments *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_XScale(double *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_RotationAngle(double *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_Text(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_Type(TextTypes) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_Height(double) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_Width(double) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_AlignType(Alignments) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_XScale(double) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_RotationAngle(double) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_X(double *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_X(double) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_Y(double *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_Y(double) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_Font(IFontDisp **) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_Font(IFontDisp *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_FontDispatch(IDispatch **) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_FontDispatch(IDispatch *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_FontName(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_FontName(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_FontCharset(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_FontCharset(LONG) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_FontUnderline(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_FontUnderline(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_FontStrikethrough(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_FontStrikethrough(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_FontItalic(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_FontItalic(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_FontBold(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_FontBold(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::get_LeaderType(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CTextShape::put_LeaderType(LONG) { return E_NOTIMPL; }
