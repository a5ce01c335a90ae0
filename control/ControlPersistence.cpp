// What the control adds to its persistence stream after the property map: the current view and
// the current drawing setting as 18 typed values, then the drawing as DXF to the end of the stream.
#include "control/YVEXControl.h"
#include "control/ViewportList.h"
#include "control/ViewportRecord.h"
#include "model/ColorIndexTable.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include "persistence/DrawingSettingRecord.h"

#include <cstring>

namespace {

// One value as the property map writes a VARIANT: its 16-bit type, then 4 bytes, little-endian.
struct TypedValue {
    VARTYPE type;
    uint32_t bits;
};

HRESULT WriteValue(IStream* stream, const TypedValue& value)
{
    uint8_t bytes[6] = {static_cast<uint8_t>(value.type), static_cast<uint8_t>(value.type >> 8),
                        static_cast<uint8_t>(value.bits), static_cast<uint8_t>(value.bits >> 8),
                        static_cast<uint8_t>(value.bits >> 16), static_cast<uint8_t>(value.bits >> 24)};
    ULONG written = 0;
    const HRESULT hr = stream->Write(bytes, sizeof bytes, &written);
    if (FAILED(hr))
        return hr;
    return written == sizeof bytes ? S_OK : STG_E_MEDIUMFULL;
}

// The value of the expected type; S_FALSE (nothing taken) for another type or a short stream.
HRESULT ReadValue(IStream* stream, VARTYPE type, uint32_t* bits)
{
    uint8_t bytes[6] = {};
    ULONG got = 0;
    const HRESULT hr = stream->Read(bytes, sizeof bytes, &got);
    if (FAILED(hr))
        return hr;
    if (got != sizeof bytes || static_cast<VARTYPE>(bytes[0] | (bytes[1] << 8)) != type)
        return S_FALSE;
    *bits = static_cast<uint32_t>(bytes[2]) | (static_cast<uint32_t>(bytes[3]) << 8) |
            (static_cast<uint32_t>(bytes[4]) << 16) | (static_cast<uint32_t>(bytes[5]) << 24);
    return S_OK;
}

TypedValue Real(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return {VT_R4, bits};
}

TypedValue Integer(int32_t value) { return {VT_I4, static_cast<uint32_t>(value)}; }

float AsReal(uint32_t bits)
{
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

HRESULT CYVEXControl::SaveContent(IStream* stream)
{
    // While another long operation holds the control its drawing cannot be written: the
    // container must not take the stream for a saved control (nor forget that it changed).
    if (!IsIdle())
        return AnswerBusy();
    CViewportRecord& view = GetCurrentViewport();
    CDrawingSettingRecord defaults;
    const CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    if (!setting)
        setting = &defaults;
    const TypedValue values[] = {
        Real(view.center.x), Real(view.center.y), Real(view.width), Real(view.height),
        Integer(setting->LinePatternID), Real(setting->ImageScale), Real(setting->PenWeight),
        Integer(static_cast<int32_t>(setting->PenColor)), Integer(setting->ShowGrid), Integer(setting->ShowRulers),
        Integer(setting->EditNewText), Integer(setting->SnapToGrid), Real(setting->GridXSpace),
        Real(setting->GridYSpace), Real(setting->SnapXSpace), Real(setting->SnapYSpace), Real(setting->SnapBaseX),
        Real(setting->SnapBaseY)};
    for (const TypedValue& value : values) {
        const HRESULT hr = WriteValue(stream, value);
        if (FAILED(hr))
            return hr;
    }
    return SaveDrawingToStream(stream);
}

HRESULT CYVEXControl::LoadContent(IStream* stream)
{
    static const VARTYPE kTypes[18] = {VT_R4, VT_R4, VT_R4, VT_R4, VT_I4, VT_R4, VT_R4, VT_I4, VT_I4,
                                       VT_I4, VT_I4, VT_I4, VT_R4, VT_R4, VT_R4, VT_R4, VT_R4, VT_R4};
    // Nothing is taken from the stream while another long operation holds the control.
    if (!IsIdle())
        return AnswerBusy();
    CViewportRecord& view = GetCurrentViewport();
    CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    CSiteRecord& header = GetSiteRecord();
    HRESULT hr = S_OK;
    int count = 0;
    for (; count < 18; ++count) {
        uint32_t bits = 0;
        hr = ReadValue(stream, kTypes[count], &bits);
        // A stream of an older version ends earlier: what was read stays.
        if (hr != S_OK)
            return SUCCEEDED(hr) ? S_OK : hr;
        const float real = AsReal(bits);
        const int32_t integer = static_cast<int32_t>(bits);
        switch (count) {
        case 0:
            view.center.x = real;
            break;
        case 1:
            view.center.y = real;
            break;
        case 2:
            view.width = real;
            break;
        case 3:
            // The mapping follows the new centre and size.
            view.SetCenter(view.center.x, view.center.y);
            view.SetHeight(real);
            GetViewportList().RememberView(view, 0);
            break;
        default:
            break;
        }
        if (count < 4 || !setting)
            continue;
        switch (count) {
        case 4:
            setting->LinePatternID = integer;
            if (const CLineType* type = GetLineTypeMap().Find(integer))
                if (type->GetName())
                    header.currentLineTypeName = type->GetName();
            break;
        case 5:
            setting->ImageScale = real;
            header.imageScale = real;
            break;
        case 6:
            setting->PenWeight = real;
            header.currentLineWeight = static_cast<int>(real);
            break;
        case 7:
            setting->SetPenColor(static_cast<DWORD>(integer));
            header.currentColour = CColorIndexTable::FromRgb(setting->PenColor);
            break;
        case 8:
            setting->ShowGrid = integer;
            break;
        case 9:
            setting->ShowRulers = integer;
            header.showRulers = integer;
            break;
        case 10:
            setting->EditNewText = integer;
            header.editNewText = integer;
            break;
        case 11:
            setting->SnapToGrid = integer;
            break;
        case 12:
            setting->GridXSpace = real;
            break;
        case 13:
            setting->GridYSpace = real;
            break;
        case 14:
            setting->SnapXSpace = real;
            break;
        case 15:
            setting->SnapYSpace = real;
            break;
        case 16:
            setting->SnapBaseX = real;
            break;
        case 17:
            setting->SnapBaseY = real;
            break;
        default:
            break;
        }
    }
    // The drawing follows when bytes remain.
    STATSTG stat = {};
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER position = {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &position)))
        return hr;
    if (stat.cbSize.QuadPart > position.QuadPart)
        return LoadDrawingFromStream(stream);
    return hr;
}
