#include "automation/DrawingSetting.h"
#include <olectl.h>
#include <string>
#include <utility>
#include "com/AnsiText.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/ErrorInfo.h"
#include "control/UndoRecorder.h"
#include "control/UndoUnit.h"
#include "control/YVEXControl.h"
#include "model/Layer.h"
#include "model/Shape.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"

namespace {
// Undo kind (YVEXOperation) of a changed setting.
constexpr int kUndoProperties = 6;
inline VARIANT_BOOL AsBool(bool on) { return on ? VARIANT_TRUE : VARIANT_FALSE; }
} // namespace

template <class F>
HRESULT CDrawingSetting::Guarded(F&& body)
{
    return ycom::Guard(IID_IDrawingSetting, std::forward<F>(body));
}

HRESULT CDrawingSetting::Find(CDrawingSettingRecord** setting) const
{
    *setting = m_control ? m_control->GetDrawingSettingMap().FindByID(m_itemId) : nullptr;
    return *setting ? S_OK : E_POINTER;
}

template <class P, class F>
HRESULT CDrawingSetting::Read(P* out, F&& read)
{
    RETURN_IF_NULL_POINTER(out);
    CDrawingSettingRecord* setting = nullptr;
    RETURN_IF_FAILED(Find(&setting));
    read(*setting);
    return S_OK;
}

void CDrawingSetting::RecordChange(CDrawingSettingRecord* setting)
{
    m_control->SetModified();
    CUndoRecorder* recorder = m_control->GetUndoRecorder();
    if (!recorder)
        return;
    // Changes of one setting in a row fall into one unit.
    CUndoUnit* current = recorder->GetCurrentUnit();
    if (!current || !current->IsDrawingSettingRecorded(setting))
        recorder->EndCurrentUnit(true);
    recorder->RecordDrawingSetting(kUndoProperties, setting, false);
}

template <class V, class Get, class Set>
HRESULT CDrawingSetting::Write(const V& value, Get&& get, Set&& set)
{
    // A load or save on its worker reads and fills the settings: not even looked at meanwhile.
    if (m_control && !m_control->IsIdle())
        return m_control->AnswerInProgress();
    CDrawingSettingRecord* setting = nullptr;
    RETURN_IF_FAILED(Find(&setting));
    if (!(get(*setting) == value))
        RecordChange(setting);
    set(*setting);
    return S_OK;
}

HRESULT CDrawingSetting::WriteSwitch(int CDrawingSettingRecord::*field, VARIANT_BOOL value)
{
    if (m_control && !m_control->IsIdle())
        return m_control->AnswerInProgress();
    CDrawingSettingRecord* setting = nullptr;
    RETURN_IF_FAILED(Find(&setting));
    const int on = value != VARIANT_FALSE ? 1 : 0;
    if ((setting->*field != 0) == (on != 0))
        return S_FALSE;
    RecordChange(setting);
    setting->*field = on;
    m_control->RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}

HRESULT CDrawingSetting::WriteStyleBit(DWORD bit, VARIANT_BOOL value)
{
    const bool on = value != VARIANT_FALSE;
    return Write(on, [&](CDrawingSettingRecord& r) { return (r.StyleWord & bit) != 0; },
                 [&](CDrawingSettingRecord& r) { r.StyleWord = on ? (r.StyleWord | bit) : (r.StyleWord & ~bit); });
}

// Plain fields: a float widened to double, a 0/1 switch as VARIANT_BOOL, an integer.
#define YVEX_SETTING_REAL(Property, Field)                                                                      \
    STDMETHODIMP CDrawingSetting::get_##Property(double* pVal)                                                   \
    {                                                                                                          \
        return Guarded([&]() -> HRESULT { return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = r.Field; }); }); \
    }                                                                                                          \
    STDMETHODIMP CDrawingSetting::put_##Property(double newVal)                                                  \
    {                                                                                                          \
        return Guarded([&]() -> HRESULT {                                                                      \
            const float value = static_cast<float>(newVal);                                                    \
            return Write(value, [](CDrawingSettingRecord& r) { return r.Field; },                               \
                         [&](CDrawingSettingRecord& r) { r.Field = value; });                                  \
        });                                                                                                    \
    }
#define YVEX_SETTING_FLAG(Property, Field)                                                                      \
    STDMETHODIMP CDrawingSetting::get_##Property(VARIANT_BOOL* pVal)                                             \
    {                                                                                                          \
        return Guarded([&]() -> HRESULT {                                                                      \
            return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = AsBool(r.Field != 0); });                 \
        });                                                                                                    \
    }                                                                                                          \
    STDMETHODIMP CDrawingSetting::put_##Property(VARIANT_BOOL newVal)                                            \
    {                                                                                                          \
        return Guarded([&]() -> HRESULT {                                                                      \
            const int value = newVal != VARIANT_FALSE ? 1 : 0;                                                 \
            return Write(value, [](CDrawingSettingRecord& r) { return r.Field != 0 ? 1 : 0; },                  \
                         [&](CDrawingSettingRecord& r) { r.Field = value; });                                  \
        });                                                                                                    \
    }
#define YVEX_SETTING_SWITCH(Property, Field)                                                                    \
    STDMETHODIMP CDrawingSetting::get_##Property(VARIANT_BOOL* pVal)                                             \
    {                                                                                                          \
        return Guarded([&]() -> HRESULT {                                                                      \
            return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = AsBool(r.Field != 0); });                 \
        });                                                                                                    \
    }                                                                                                          \
    STDMETHODIMP CDrawingSetting::put_##Property(VARIANT_BOOL newVal)                                            \
    {                                                                                                          \
        return Guarded([&]() -> HRESULT { return WriteSwitch(&CDrawingSettingRecord::Field, newVal); });        \
    }
#define YVEX_SETTING_STYLE(Property, Bit)                                                                       \
    STDMETHODIMP CDrawingSetting::get_##Property(VARIANT_BOOL* pVal)                                             \
    {                                                                                                          \
        return Guarded([&]() -> HRESULT {                                                                      \
            return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = AsBool((r.StyleWord & (Bit)) != 0); });   \
        });                                                                                                    \
    }                                                                                                          \
    STDMETHODIMP CDrawingSetting::put_##Property(VARIANT_BOOL newVal)                                            \
    {                                                                                                          \
        return Guarded([&]() -> HRESULT { return WriteStyleBit(Bit, newVal); });                               \
    }

YVEX_SETTING_REAL(PenWeight, PenWeight)
YVEX_SETTING_REAL(GridXSpace, GridXSpace)
YVEX_SETTING_REAL(GridYSpace, GridYSpace)
YVEX_SETTING_REAL(SnapXSpace, SnapXSpace)
YVEX_SETTING_REAL(SnapYSpace, SnapYSpace)
YVEX_SETTING_REAL(SnapBaseX, SnapBaseX)
YVEX_SETTING_REAL(SnapBaseY, SnapBaseY)
YVEX_SETTING_REAL(LinePatternScale, LinePatternScale)
YVEX_SETTING_REAL(ImageScale, ImageScale)
YVEX_SETTING_REAL(HatchPatternScale, HatchPatternScale)
YVEX_SETTING_REAL(ArrowScale, ArrowScale)
YVEX_SETTING_REAL(FontSize, FontSize)
YVEX_SETTING_REAL(LinkMarkScale, LinkMarkScale)
YVEX_SETTING_FLAG(EditNewText, EditNewText)
YVEX_SETTING_FLAG(ScalePenWeight, ScalePenWeight)
YVEX_SETTING_FLAG(SplineFreeHand, SplineFreeHand)
YVEX_SETTING_SWITCH(ShowGrid, ShowGrid)
YVEX_SETTING_SWITCH(SnapToGrid, SnapToGrid)
YVEX_SETTING_SWITCH(OrthoMode, OrthoMode)
YVEX_SETTING_STYLE(FontUnderline, CDrawingSettingRecord::styleUnderline)
YVEX_SETTING_STYLE(FontStrikethrough, CDrawingSettingRecord::styleStrikethrough)
YVEX_SETTING_STYLE(FontItalic, CDrawingSettingRecord::styleItalic)
YVEX_SETTING_STYLE(FontBold, CDrawingSettingRecord::styleBold)

#undef YVEX_SETTING_REAL
#undef YVEX_SETTING_FLAG
#undef YVEX_SETTING_SWITCH
#undef YVEX_SETTING_STYLE

// IDrawingSetting
STDMETHODIMP CDrawingSetting::_Init(LONG_PTR lYVEXControl, LONG_PTR lSetting)
{
    // The number is only compared with the map's records, never used as a pointer before.
    return Guarded([&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
        int id = 0;
        if (control && lSetting)
            for (const auto& entry : control->GetDrawingSettingMap().Settings())
                if (reinterpret_cast<LONG_PTR>(entry.second.get()) == lSetting)
                    id = entry.first;
        if (!id && (control || lSetting))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        Attach(control, id);
        return S_OK;
    });
}
STDMETHODIMP CDrawingSetting::get_ID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = r.ID; }); });
}
STDMETHODIMP CDrawingSetting::get_PenColor(OLE_COLOR* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = r.PenColor; }); });
}
STDMETHODIMP CDrawingSetting::put_PenColor(OLE_COLOR newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(static_cast<DWORD>(newVal), [](CDrawingSettingRecord& r) { return r.PenColor; },
                     [&](CDrawingSettingRecord& r) { r.SetPenColor(newVal); });
    });
}
STDMETHODIMP CDrawingSetting::get_HatchColor(OLE_COLOR* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = r.HatchColor; }); });
}
STDMETHODIMP CDrawingSetting::put_HatchColor(OLE_COLOR newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(static_cast<DWORD>(newVal), [](CDrawingSettingRecord& r) { return r.HatchColor; },
                     [&](CDrawingSettingRecord& r) { r.SetHatchColor(newVal); });
    });
}
STDMETHODIMP CDrawingSetting::get_LinePatternID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = r.LinePatternID; }); });
}
STDMETHODIMP CDrawingSetting::put_LinePatternID(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(static_cast<int>(newVal), [](CDrawingSettingRecord& r) { return r.LinePatternID; },
                     [&](CDrawingSettingRecord& r) { r.LinePatternID = newVal; });
    });
}
STDMETHODIMP CDrawingSetting::get_HatchPatternID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = r.HatchPatternID; }); });
}
STDMETHODIMP CDrawingSetting::put_HatchPatternID(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(static_cast<int>(newVal), [](CDrawingSettingRecord& r) { return r.HatchPatternID; },
                     [&](CDrawingSettingRecord& r) { r.HatchPatternID = newVal; });
    });
}
STDMETHODIMP CDrawingSetting::get_LayerShapeID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = r.Layer ? r.Layer->GetId() : 0; });
    });
}
STDMETHODIMP CDrawingSetting::put_LayerShapeID(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        CDrawingSettingRecord* setting = nullptr;
        RETURN_IF_FAILED(Find(&setting));
        CShape* shape = m_control->FindShape(newVal);
        if (!shape || shape->GetShapeType() != stLayer)
            return E_FAIL;
        auto* layer = static_cast<CLayer*>(shape);
        return Write(layer, [](CDrawingSettingRecord& r) { return r.Layer; },
                     [&](CDrawingSettingRecord& r) { r.Layer = layer; });
    });
}
STDMETHODIMP CDrawingSetting::get_DatabaseID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = r.DatabaseID; }); });
}
STDMETHODIMP CDrawingSetting::put_DatabaseID(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(static_cast<int>(newVal), [](CDrawingSettingRecord& r) { return r.DatabaseID; },
                     [&](CDrawingSettingRecord& r) { r.DatabaseID = newVal; });
    });
}
STDMETHODIMP CDrawingSetting::get_Name(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CDrawingSettingRecord& r) {
            *pVal = r.GetName() ? SysAllocString(ycom::AnsiToWide(r.GetName()).c_str()) : nullptr;
        });
    });
}
STDMETHODIMP CDrawingSetting::put_Name(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        const std::string name = ycom::WideToAnsi(newVal);
        return Write(name, [](CDrawingSettingRecord& r) { return std::string(r.GetName() ? r.GetName() : ""); },
                     [&](CDrawingSettingRecord& r) { r.SetName(name.c_str()); });
    });
}
STDMETHODIMP CDrawingSetting::get_ShowRulers(VARIANT_BOOL* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = AsBool(r.ShowRulers != 0); });
    });
}
STDMETHODIMP CDrawingSetting::put_ShowRulers(VARIANT_BOOL newVal)
{
    // The rulers are a view of the control, not drawing data: no undo unit.
    return Guarded([&]() -> HRESULT {
        CDrawingSettingRecord* setting = nullptr;
        RETURN_IF_FAILED(Find(&setting));
        const bool on = newVal != VARIANT_FALSE;
        if ((setting->ShowRulers != 0) == on)
            return S_OK;
        m_control->SetModified();
        setting->ShowRulers = on ? 1 : 0;
        if (setting == m_control->GetCurrentDrawingSetting())
            m_control->ShowRulerWindows(on);
        return S_OK;
    });
}
STDMETHODIMP CDrawingSetting::get_FontName(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CDrawingSettingRecord& r) {
            *pVal = SysAllocString(ycom::AnsiToWide(r.GetFontName()).c_str());
        });
    });
}
STDMETHODIMP CDrawingSetting::put_FontName(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        const std::string name = ycom::WideToAnsi(newVal);
        return Write(name, [](CDrawingSettingRecord& r) { return r.GetFontName(); },
                     [&](CDrawingSettingRecord& r) { r.SetFontName(name.c_str()); });
    });
}
STDMETHODIMP CDrawingSetting::get_FontCharset(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = r.FontCharset; }); });
}
STDMETHODIMP CDrawingSetting::put_FontCharset(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        const short value = static_cast<short>(newVal);
        return Write(value, [](CDrawingSettingRecord& r) { return r.FontCharset; },
                     [&](CDrawingSettingRecord& r) { r.FontCharset = value; });
    });
}
STDMETHODIMP CDrawingSetting::get_FontAlignType(Alignments* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = static_cast<Alignments>(r.GetFontAlignType()); });
    });
}
STDMETHODIMP CDrawingSetting::put_FontAlignType(Alignments newVal)
{
    return Guarded([&]() -> HRESULT {
        const DWORD value = static_cast<DWORD>(newVal);
        return Write(value, [](CDrawingSettingRecord& r) { return r.GetFontAlignType(); },
                     [&](CDrawingSettingRecord& r) { r.SetFontAlignType(value); });
    });
}
STDMETHODIMP CDrawingSetting::get_Font(IFontDisp** pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        CDrawingSettingRecord* setting = nullptr;
        RETURN_IF_FAILED(Find(&setting));
        FONTDESC desc = {};
        desc.cbSizeofstruct = sizeof(FONTDESC);
        setting->GetFontDesc(&desc);
        return OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(pVal));
    });
}
STDMETHODIMP CDrawingSetting::put_Font(IFontDisp* newVal)
{
    return Guarded([&]() -> HRESULT {
        CDrawingSettingRecord* setting = nullptr;
        RETURN_IF_FAILED(Find(&setting));
        ycom::ComPtr<IFont> font;
        if (!newVal || FAILED(newVal->QueryInterface(IID_IFont, font.PutVoid())) || !font)
            return S_OK; // not a font: ignored
        RecordChange(setting);
        setting->SetFromFont(font.Get());
        return S_OK;
    });
}
STDMETHODIMP CDrawingSetting::get_FontDispatch(IDispatch** pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        ycom::ComPtr<IFontDisp> font;
        RETURN_IF_FAILED(get_Font(font.Put()));
        return font->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
    });
}
STDMETHODIMP CDrawingSetting::put_FontDispatch(IDispatch* newVal)
{
    return Guarded([&]() -> HRESULT {
        ycom::ComPtr<IFontDisp> font;
        if (!newVal || FAILED(newVal->QueryInterface(IID_IFontDisp, font.PutVoid())))
            return S_OK;
        return put_Font(font.Get());
    });
}
STDMETHODIMP CDrawingSetting::get_ProtectionFlags(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = 0;
        return Read(pVal, [&](CDrawingSettingRecord& r) { *pVal = static_cast<LONG>(r.GetProtectionFlags()); });
    });
}
STDMETHODIMP CDrawingSetting::put_ProtectionFlags(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        const DWORD value = static_cast<DWORD>(newVal);
        return Write(value, [](CDrawingSettingRecord& r) { return r.GetProtectionFlags(); },
                     [&](CDrawingSettingRecord& r) { r.SetProtectionFlags(value); });
    });
}
STDMETHODIMP CDrawingSetting::get_ProtectionFlag(ShapeDBFlags flag, VARIANT_BOOL* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CDrawingSettingRecord& r) {
            *pVal = AsBool((r.GetProtectionFlags() & static_cast<DWORD>(flag)) != 0);
        });
    });
}
STDMETHODIMP CDrawingSetting::put_ProtectionFlag(ShapeDBFlags flag, VARIANT_BOOL newVal)
{
    return Guarded([&]() -> HRESULT {
        const DWORD bits = static_cast<DWORD>(flag);
        return Write(newVal != VARIANT_FALSE,
                     [&](CDrawingSettingRecord& r) { return (r.GetProtectionFlags() & bits) == bits; },
                     [&](CDrawingSettingRecord& r) {
                         const DWORD word = r.GetProtectionFlags();
                         r.SetProtectionFlags(newVal != VARIANT_FALSE ? (word | bits) : (word & ~bits));
                     });
    });
}
