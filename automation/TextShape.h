#pragma once
// The TextShape class (TextShape Class).
#include "com/ComObject.h"
#include "automation/ShapeImpl.h"
#include "YVEX_h.h"

class CTextShape : public ycom::ObjectRoot,
    public IShapeImpl<CTextShape, ITextShape, &IID_ITextShape>,
    public ycom::SupportErrorInfoImpl<&IID_ITextShape> {
public:
    DECLARE_CLASS_ID(CLSID_TextShape)
    BEGIN_INTERFACE_MAP(CTextShape)
        INTERFACE_ENTRY(ITextShape)
        INTERFACE_ENTRY2(IShape, ITextShape)
        INTERFACE_ENTRY2(IDispatch, ITextShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // ITextShape
    STDMETHODIMP get_Text(BSTR *pVal) override;
    STDMETHODIMP get_Type(TextTypes *pVal) override;
    STDMETHODIMP get_Height(double *pVal) override;
    STDMETHODIMP get_Width(double *pVal) override;
    STDMETHODIMP get_AlignType(Alignments *pVal) override;
    STDMETHODIMP get_XScale(double *pVal) override;
    STDMETHODIMP get_RotationAngle(double *pVal) override;
    STDMETHODIMP put_Text(BSTR newVal) override;
    STDMETHODIMP put_Type(TextTypes newVal) override;
    STDMETHODIMP put_Height(double newVal) override;
    STDMETHODIMP put_Width(double newVal) override;
    STDMETHODIMP put_AlignType(Alignments newVal) override;
    STDMETHODIMP put_XScale(double newVal) override;
    STDMETHODIMP put_RotationAngle(double newVal) override;
    STDMETHODIMP get_X(double *pVal) override;
    STDMETHODIMP put_X(double newVal) override;
    STDMETHODIMP get_Y(double *pVal) override;
    STDMETHODIMP put_Y(double newVal) override;
    STDMETHODIMP get_Font(IFontDisp **pVal) override;
    STDMETHODIMP put_Font(IFontDisp *newVal) override;
    STDMETHODIMP get_FontDispatch(IDispatch **pVal) override;
    STDMETHODIMP put_FontDispatch(IDispatch *newVal) override;
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
    STDMETHODIMP get_LeaderType(LONG *pVal) override;
    STDMETHODIMP put_LeaderType(LONG newVal) override;

    // IShape members of a text: the angle is its rotation (degrees).
    STDMETHODIMP get_Angle(double *pVal) override;
    STDMETHODIMP put_Angle(double newVal) override;

private:
    // The font members: E_POINTER for a wrapper without a shape, then E_INVALIDARG for a null
    // pointer.
    template <class P, class F>
    HRESULT ReadFont(P *out, F &&read);
    template <class F>
    HRESULT ChangeFont(F &&change);
    HRESULT ReadStyle(DWORD bit, VARIANT_BOOL *pVal);
    HRESULT WriteStyle(DWORD bit, VARIANT_BOOL newVal);
    HRESULT MoveAnchor(bool horizontal, double value);
};
