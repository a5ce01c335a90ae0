// The text shape's fields, its DXF text string and its Texts record.
#include "model/Text.h"
#include <map>
#include <cwctype>
#include "model/AttributeType.h"
#include "model/AttributeTypeMap.h"
#include "model/AttributeValue.h"
#include "model/Group.h"
#include "model/ShapeAttributeMap.h"
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

HRESULT CText::ApplyAttributeValues(CText* source)
{
    // The values in force are those of the nearest holder: this text, or up the references it
    // lies in.
    CShape* holder = this;
    while (!holder->FindAttributes() && holder->GetParent() && holder->GetParent()->GetShapeType() > stText)
        holder = holder->GetParent();
    const CShapeAttributeMap* values = holder->FindAttributes();
    if (!values && !source) {
        StoreText("", 0);
        return 1;
    }
    CAttributeTypeMap* types = m_control ? m_control->GetAttributeTypeMap() : nullptr;
    auto typeOf = [&](int id) -> const CAttributeType* { return types ? types->FindType(id) : nullptr; };
    auto shown = [&](const CAttributeValue* value) {
        const CAttributeType* type = typeOf(value->GetId());
        return FormatAttributeValue(value->GetValue(),
                                    type && !type->GetFormat().empty() ? type->GetFormat().c_str() : nullptr);
    };
    CText* from = source ? source : this;
    if (!from->GetFieldList())
        from->ParseFields();
    if (!from->GetFieldList()) {
        // No fields: every value of the holder, a line each.
        std::wstring joined;
        for (int i = 0; values && i < values->GetCount(); ++i) {
            if (!joined.empty())
                joined += L"\n";
            joined += shown(static_cast<const CAttributeValue*>(values->GetAt(i)));
        }
        SetText(joined.c_str());
        return 1;
    }
    const CTextFieldList fields = *from->GetFieldList();
    // A name used by several attributes takes the next of them at each use.
    std::map<std::wstring, int> uses;
    std::wstring text;
    for (const CTextField& field : fields) {
        const CAttributeValue* value = nullptr;
        if (values && field.IsNamed()) {
            std::wstring key = field.name;
            for (wchar_t& ch : key)
                ch = static_cast<wchar_t>(towlower(ch));
            int skip = uses[key]++;
            for (int i = 0; i < values->GetCount() && !value; ++i) {
                const auto* candidate = static_cast<const CAttributeValue*>(values->GetAt(i));
                const CAttributeType* type = typeOf(candidate->GetId());
                if (type && _wcsicmp(type->GetName().c_str(), field.name.c_str()) == 0 && skip-- == 0)
                    value = candidate;
            }
        } else if (values && field.IsNumbered()) {
            value = values->FindValue(field.index);
        }
        text += value ? shown(value) : field.text;
    }
    const std::string narrow = ycom::WideToAnsi(text.c_str());
    StoreText(narrow.c_str(), static_cast<int>(narrow.size()));
    // The text keeps naming what it shows when it is its own source.
    if (from == this)
        SetFieldList(&fields);
    return 0;
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
            SetDirty();
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
