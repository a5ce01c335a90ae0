#include "automation/TextShape.h"
#include <olectl.h>
#include <string>
#include "com/AnsiText.h"
#include "model/Text.h"

namespace {

// The style bits of a text's font.
constexpr DWORD kUnderline = 0x1;
constexpr DWORD kStrikethrough = 0x2;
constexpr DWORD kItalic = 0x4;
constexpr DWORD kBold = 0x8;

} // namespace

template <class P, class F>
HRESULT CTextShape::ReadFont(P* out, F&& read)
{
    CShape* shape = nullptr;
    RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
    if (!out)
        return E_INVALIDARG;
    if (auto* text = dynamic_cast<CText*>(shape))
        read(text);
    return S_OK;
}

template <class F>
HRESULT CTextShape::ChangeFont(F&& change)
{
    CShape* shape = nullptr;
    RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
    auto* text = dynamic_cast<CText*>(shape);
    if (text)
        change(text);
    return S_OK;
}

HRESULT CTextShape::ReadStyle(DWORD bit, VARIANT_BOOL* pVal)
{
    return ReadFont(pVal, [&](CText* t) { *pVal = (t->GetFontStyle() & bit) ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT CTextShape::WriteStyle(DWORD bit, VARIANT_BOOL newVal)
{
    return ChangeFont([&](CText* t) {
        const DWORD style = newVal != VARIANT_FALSE ? (t->GetFontStyle() | bit) : (t->GetFontStyle() & ~bit);
        if (style != t->GetFontStyle())
            RecordChange(t, kUndoProperties);
        t->SetFontStyle(style);
    });
}

// X and Y move the anchor, recorded as a move of that point.
HRESULT CTextShape::MoveAnchor(bool horizontal, double value)
{
    return ChangeKind<CText>([&](CText* t) -> HRESULT {
        if (t->GetPointCount() < 1)
            return S_OK;
        const CPointRecord* anchor = t->GetPoints().GetAt(0);
        const float wanted = static_cast<float>(value);
        if ((horizontal ? anchor->x : anchor->y) != wanted)
            RecordChange(t, kUndoMove, anchor->GetPointId());
        t->SetPointCoords(horizontal ? 1 : 2, horizontal ? wanted : 0.0f, horizontal ? 0.0f : wanted, 0);
        return S_OK;
    });
}

// ITextShape
STDMETHODIMP CTextShape::get_Text(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        return ReadKind<CText>(pVal, [&](CText* t) {
            *pVal = t->GetText().empty() ? nullptr : SysAllocString(ycom::AnsiToWide(t->GetText()).c_str());
        });
    });
}
STDMETHODIMP CTextShape::put_Text(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CText>([&](CText* t) -> HRESULT {
            const std::string narrow = ycom::WideToAnsi(newVal);
            if (narrow != t->GetText())
                RecordChange(t, kUndoProperties);
            t->SetTextBytes(narrow.c_str(), static_cast<int>(narrow.size()));
            return S_OK;
        });
    });
}
STDMETHODIMP CTextShape::get_Type(TextTypes* pVal)
{
    return Guarded([&]() -> HRESULT {
        return ReadKind<CText>(pVal, [&](CText* t) { *pVal = static_cast<TextTypes>(t->GetTextType()); });
    });
}
STDMETHODIMP CTextShape::put_Type(TextTypes newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CText>([&](CText* t) -> HRESULT {
            if (t->GetTextType() != newVal)
                RecordChange(t, kUndoProperties);
            t->SetType(newVal);
            return S_OK;
        });
    });
}
STDMETHODIMP CTextShape::get_Height(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadKind<CText>(pVal, [&](CText* t) { *pVal = t->GetHeight(); }); });
}
STDMETHODIMP CTextShape::put_Height(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CText>([&](CText* t) -> HRESULT {
            // A text whose height is locked keeps it.
            if (t->GetProtectionFlagsMasked(sdbfHeight) & sdbfHeight)
                return E_ACCESSDENIED;
            if (t->GetHeight() != static_cast<float>(newVal))
                RecordChange(t, kUndoProperties);
            t->SetHeight(static_cast<float>(newVal));
            return S_OK;
        });
    });
}
STDMETHODIMP CTextShape::get_Width(double* pVal)
{
    // A text without a width is measured first.
    return Guarded([&]() -> HRESULT {
        return ReadKind<CText>(pVal, [&](CText* t) {
            if (t->GetWidth() == 0.0f)
                t->RecalcExtent();
            *pVal = t->GetWidth();
        });
    });
}
STDMETHODIMP CTextShape::put_Width(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CText>([&](CText* t) -> HRESULT {
            if (t->GetWidth() != static_cast<float>(newVal))
                RecordChange(t, kUndoProperties);
            t->SetWidth(static_cast<float>(newVal));
            return S_OK;
        });
    });
}
STDMETHODIMP CTextShape::get_AlignType(Alignments* pVal)
{
    return Guarded([&]() -> HRESULT {
        return ReadKind<CText>(pVal, [&](CText* t) { *pVal = static_cast<Alignments>(t->GetAlignType()); });
    });
}
STDMETHODIMP CTextShape::put_AlignType(Alignments newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CText>([&](CText* t) -> HRESULT {
            if (t->GetAlignType() != static_cast<DWORD>(newVal))
                RecordChange(t, kUndoProperties);
            t->SetAlignType(static_cast<DWORD>(newVal));
            return S_OK;
        });
    });
}
STDMETHODIMP CTextShape::get_XScale(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadKind<CText>(pVal, [&](CText* t) { *pVal = t->GetXScale(); }); });
}
STDMETHODIMP CTextShape::put_XScale(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CText>([&](CText* t) -> HRESULT {
            if (t->GetXScale() != static_cast<float>(newVal))
                RecordChange(t, kUndoProperties);
            t->SetXScale(static_cast<float>(newVal));
            return S_OK;
        });
    });
}
STDMETHODIMP CTextShape::get_RotationAngle(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadKind<CText>(pVal, [&](CText* t) { *pVal = t->GetRotation(); }); });
}
STDMETHODIMP CTextShape::put_RotationAngle(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CText>([&](CText* t) -> HRESULT {
            if (t->GetRotation() != newVal)
                RecordChange(t, kUndoProperties);
            t->SetRotation(newVal);
            return S_OK;
        });
    });
}
STDMETHODIMP CTextShape::get_Angle(double* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        CShape* shape = nullptr;
        RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
        auto* text = dynamic_cast<CText*>(shape);
        *pVal = text ? text->GetRotation() : 0.0;
        return S_OK;
    });
}
STDMETHODIMP CTextShape::put_Angle(double newVal)
{
    return Guarded([&]() -> HRESULT { return put_RotationAngle(newVal); });
}
STDMETHODIMP CTextShape::get_X(double* pVal)
{
    return Guarded([&]() -> HRESULT {
        return ReadKind<CText>(pVal, [&](CText* t) {
            if (t->GetPointCount() > 0)
                *pVal = t->GetPoints().GetAt(0)->x;
        });
    });
}
STDMETHODIMP CTextShape::put_X(double newVal)
{
    return Guarded([&]() -> HRESULT { return MoveAnchor(true, newVal); });
}
STDMETHODIMP CTextShape::get_Y(double* pVal)
{
    return Guarded([&]() -> HRESULT {
        return ReadKind<CText>(pVal, [&](CText* t) {
            if (t->GetPointCount() > 0)
                *pVal = t->GetPoints().GetAt(0)->y;
        });
    });
}
STDMETHODIMP CTextShape::put_Y(double newVal)
{
    return Guarded([&]() -> HRESULT { return MoveAnchor(false, newVal); });
}
STDMETHODIMP CTextShape::get_Font(IFontDisp** pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = nullptr;
        CShape* shape = nullptr;
        RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
        auto* text = dynamic_cast<CText*>(shape);
        if (!text)
            return E_POINTER;
        FONTDESC desc;
        std::wstring name;
        text->GetFontDesc(&desc, &name);
        desc.lpstrName = const_cast<LPOLESTR>(name.c_str());
        return OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(pVal));
    });
}
STDMETHODIMP CTextShape::put_Font(IFontDisp* newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CText>([&](CText* t) -> HRESULT {
            ycom::ComPtr<IFont> font;
            if (newVal)
                newVal->QueryInterface(IID_IFont, font.PutVoid());
            RecordChange(t, kUndoProperties);
            t->SetFontDesc(font.Get());
            return S_OK;
        });
    });
}
STDMETHODIMP CTextShape::get_FontDispatch(IDispatch** pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = nullptr;
        CShape* shape = nullptr;
        RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
        ycom::ComPtr<IFontDisp> font;
        RETURN_IF_FAILED(get_Font(font.Put()));
        if (!font)
            return E_FAIL;
        return font->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
    });
}
STDMETHODIMP CTextShape::put_FontDispatch(IDispatch* newVal)
{
    return Guarded([&]() -> HRESULT {
        ycom::ComPtr<IFontDisp> font;
        if (newVal)
            newVal->QueryInterface(IID_IFontDisp, font.PutVoid());
        return put_Font(font.Get());
    });
}
STDMETHODIMP CTextShape::get_FontName(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        return ReadFont(pVal, [&](CText* t) { *pVal = SysAllocString(t->GetFontName().c_str()); });
    });
}
STDMETHODIMP CTextShape::put_FontName(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeFont([&](CText* t) {
            if (t->GetFontName() != std::wstring(newVal ? newVal : L""))
                RecordChange(t, kUndoProperties);
            t->SetFontName(newVal);
        });
    });
}
STDMETHODIMP CTextShape::get_FontCharset(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadFont(pVal, [&](CText* t) { *pVal = t->GetCharset(); }); });
}
STDMETHODIMP CTextShape::put_FontCharset(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeFont([&](CText* t) {
            if (t->GetCharset() != newVal)
                RecordChange(t, kUndoProperties);
            t->SetCharset(newVal);
        });
    });
}
STDMETHODIMP CTextShape::get_FontUnderline(VARIANT_BOOL* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadStyle(kUnderline, pVal); });
}
STDMETHODIMP CTextShape::put_FontUnderline(VARIANT_BOOL newVal)
{
    return Guarded([&]() -> HRESULT { return WriteStyle(kUnderline, newVal); });
}
STDMETHODIMP CTextShape::get_FontStrikethrough(VARIANT_BOOL* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadStyle(kStrikethrough, pVal); });
}
STDMETHODIMP CTextShape::put_FontStrikethrough(VARIANT_BOOL newVal)
{
    return Guarded([&]() -> HRESULT { return WriteStyle(kStrikethrough, newVal); });
}
STDMETHODIMP CTextShape::get_FontItalic(VARIANT_BOOL* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadStyle(kItalic, pVal); });
}
STDMETHODIMP CTextShape::put_FontItalic(VARIANT_BOOL newVal)
{
    return Guarded([&]() -> HRESULT { return WriteStyle(kItalic, newVal); });
}
STDMETHODIMP CTextShape::get_FontBold(VARIANT_BOOL* pVal)
{
    // A heavy pen counts as bold whatever the style bit says.
    return Guarded([&]() -> HRESULT {
        return ReadFont(pVal, [&](CText* t) {
            *pVal = (t->GetPenWeight() >= 5.5f || (t->GetFontStyle() & kBold)) ? VARIANT_TRUE : VARIANT_FALSE;
        });
    });
}
STDMETHODIMP CTextShape::put_FontBold(VARIANT_BOOL newVal)
{
    return Guarded([&]() -> HRESULT { return WriteStyle(kBold, newVal); });
}
STDMETHODIMP CTextShape::get_LeaderType(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        CShape* shape = nullptr;
        RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
        *pVal = static_cast<LONG>((shape->GetProtectionFlagsMasked(sdbfLabelLeader) & sdbfLabelLeader) >> 18);
        return S_OK;
    });
}
STDMETHODIMP CTextShape::put_LeaderType(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CText>([&](CText* t) -> HRESULT {
            const DWORD bits = (static_cast<DWORD>(newVal) << 18) & sdbfLabelLeader;
            // The shape is recorded, not its point: the leader lives in the shape's flags.
            if ((t->GetProtectionFlagsMasked(sdbfLabelLeader) & sdbfLabelLeader) != bits)
                RecordChange(t, kUndoProperties);
            t->SetProtectionFlagsMasked(bits, sdbfLabelLeader);
            return S_OK;
        });
    });
}
