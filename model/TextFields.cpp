// The text shape's fields, its DXF text string and its Texts record.
#include "model/Text.h"
#include "com/AnsiText.h"
#include "model/DxfTextCodes.h"
#include "model/ShapeHost.h"
#include "persistence/DataTableSet.h"
#include "persistence/DataTables.h"
#include "YVEX_h.h"

namespace {


// The record's alignment has 16 bits: the middle bit 0x10000 travels as 0x10. With the bottom
// bit beside it, 0x10 is half of the baseline bits 0x18 (middle and bottom never go together).
const DWORD kMiddle = 0x10000;
const DWORD kStoredMiddle = 0x10;
const DWORD kBaseline = 0x18;

DWORD AlignToRecord(DWORD align) { return (align & kMiddle) ? ((align & ~kMiddle) | kStoredMiddle) : align; }

DWORD AlignFromRecord(DWORD stored)
{
    return (stored & kBaseline) == kStoredMiddle ? ((stored & ~kStoredMiddle) | kMiddle) : stored;
}

} // namespace

int CText::ParseFields()
{
    SetFieldList(nullptr);
    if (m_text.empty())
        return 1;
    const CTextFieldList fields = ParseTextFields(ycom::AnsiToWide(m_text));
    if (fields.empty())
        return 1;
    SetFieldList(&fields);
    return 0;
}

HRESULT CText::ApplyAttributeValues(CText*)
{
    // The attribute values and definitions the fields name come with the attribute model; until
    // then a text has no values to show.
    return E_NOTIMPL;
}

void CText::SetDxfText(const char* text)
{
    const std::string decoded = CDxfTextCodes::Decode(text ? text : "");
    StoreText(decoded.c_str(), static_cast<int>(decoded.size()));
}

HRESULT CText::SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags)
{
    if (!tables)
        return E_INVALIDARG;
    const HRESULT hr = CShape::SaveToTables(tables, mode, flags);
    if (FAILED(hr))
        return hr;
    CTextsTable* texts = tables->Texts();
    bool alreadyStored = false;
    if (!(mode & DXFMODE_LOAD)) {
        if (!texts || !(m_state & stPersistent))
            return 1;
        const int key = GetStoredKey(tables, mode, &alreadyStored, nullptr);
        CTextsRecord record(key, m_type, m_text, m_height, m_width, m_xScale, m_rotation,
                            static_cast<int32_t>(AlignToRecord(m_align)),
                            GetFontNameA(), m_charset, static_cast<int32_t>(m_fontStyle));
        if (CTextsRecord* existing = texts->FindRecord(key))
            *existing = record;
        else
            texts->Insert(record);
        return hr;
    }
    const int key = GetStoredKey(tables, mode, &alreadyStored, nullptr);
    const CTextsRecord* found = texts ? texts->FindRecord(key) : nullptr;
    if (!found)
        return E_ACCESSDENIED;
    const CTextsRecord record = *found;
    const DWORD align = AlignFromRecord(static_cast<DWORD>(record.AlignType));
    // A baseline (which only DXF brings) stays one: the setter would make it the bottom.
    if ((align & kBaseline) == kBaseline) {
        if (align != m_align)
            m_dirty |= 1;
        m_align = align;
    } else {
        SetAlignType(align);
    }
    SetHeight(static_cast<float>(record.Height));
    SetRotation(record.RotationAngle);
    SetType(record.Type);
    StoreText(record.Text.c_str(), static_cast<int>(record.Text.size()));
    SetWidth(static_cast<float>(record.Width));
    SetXScale(static_cast<float>(record.XScale));
    SetFontNameA(record.FontName.empty() ? nullptr : record.FontName.c_str());
    SetCharset(record.Charset);
    SetFontStyle(static_cast<DWORD>(record.FontStyle));
    return hr;
}
