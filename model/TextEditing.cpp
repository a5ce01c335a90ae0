// The text shape's rich-text handling: storing and normalising texts, switching between plain
// text and RTF, editing in the control's text editor or an outside program, mirroring, the
// attribute visibility rule, and the font description of the automation interface.
#include "model/Text.h"
#include "com/AnsiText.h"
#include "model/Group.h"
#include "model/RtfText.h"
#include "model/RtfWriter.h"
#include "model/ShapeHost.h"
#include "model/ShapeRecorder.h"
#include "model/TextEditorDialog.h"
#include <ocidl.h>
#include <olectl.h>
#include <cmath>
#include <cstring>

namespace {

bool BeginsWithRtf(const std::string& text) { return text.compare(0, 6, "{\\rtf1") == 0; }


long RoundHalfAway(double v) { return static_cast<long>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5)); }

} // namespace

// --- Storing -------------------------------------------------------------------------------------

void CText::SetText(const wchar_t* text)
{
    const std::string narrow = ycom::WideToAnsi(text);
    SetTextBytes(narrow.c_str(), static_cast<int>(narrow.size()));
}

void CText::SetTextBytes(const char* text, int length)
{
    SetFieldList(nullptr);
    if (!text)
        length = 0;
    else if (length < 0)
        length = static_cast<int>(std::strlen(text));
    std::string normalised;
    if (length > 0 && NormalizeRtf(std::string(text, static_cast<size_t>(length)), &normalised))
        StoreText(normalised.c_str(), static_cast<int>(normalised.size()));
    else
        StoreText(text, length);
}

bool CText::NormalizeRtf(const std::string& text, std::string* normalised)
{
    return NormalizeRtfText(text, m_height, normalised);
}

// --- Plain and rich ------------------------------------------------------------------------------

bool CText::ConvertText(const std::string& text, int from, int to, std::string* out)
{
    CTextEditorDialog* editor = m_control ? m_control->GetTextEditor() : nullptr;
    if (!editor)
        return false;
    editor->SetText(text.c_str(), from);
    editor->SetAutoClose(true);
    const int result = editor->Run(m_control->GetControlWindow(), to);
    editor->SetAutoClose(false);
    if (result != CTextEditorDialog::trAccepted)
        return false;
    int length = 0;
    const char* converted = editor->GetText(&length);
    out->assign(converted ? converted : "", converted ? static_cast<size_t>(length) : 0);
    return true;
}

void CText::SetType(int type)
{
    if (type != m_type)
        SetDirty();
    if (type == ttRTF) {
        m_type = ttRTF;
        SetStateBits(stSeveralLines, false);
        m_lineCount = 1;
        if (!m_text.empty() && !BeginsWithRtf(m_text)) {
            std::string rtf;
            if (ConvertText(m_text, CTextEditorDialog::tfPlain, CTextEditorDialog::tfRtf, &rtf) && BeginsWithRtf(rtf)) {
                // The plain text's colour becomes the rich text's.
                rtf = AddRtfTextColour(rtf, TranslatePenColor(m_penColor, this));
                SetTextBytes(rtf.c_str(), static_cast<int>(rtf.size()));
            }
        }
    } else {
        if (BeginsWithRtf(m_text)) {
            std::string plain;
            if (ConvertText(m_text, CTextEditorDialog::tfRtf, CTextEditorDialog::tfPlain, &plain)) {
                m_type = type;
                // The old length does not measure the new text.
                m_text.clear();
                SetTextBytes(plain.c_str(), static_cast<int>(plain.size()));
            }
        }
        m_type = type;
        CountLines(m_text.c_str(), static_cast<int>(m_text.size()));
        m_lineHeight = 0.0f;
    }
    m_type = type;
}

void CText::MtextToRtf(const char* mtext, std::string* rtf)
{
    CRtfWriter writer(static_cast<int32_t>(m_lineHeight), 1.0);
    writer.Write(mtext);
    *rtf = writer.Result();
}

// --- Editing -------------------------------------------------------------------------------------

int CText::EditText()
{
    if (!IsEnabled() || !m_control)
        return 0;
    CShapeHost* control = m_control;
    CEditState& edit = control->GetEditState();
    if (IsEditTarget() == 1) {
        edit.operation = CEditState::kTextEditOperation;
    } else if (m_type != ttRTF) {
        return control->StartEditShape(this, CEditState::kTextEditOperation, 0, 0);
    } else {
        if (control->EventsEnabled() && !control->FireBeginEditShape(m_id, CEditState::kTextEditOperation))
            return 0;
        edit.editedShape = this;
        edit.operation = CEditState::kTextEditOperation;
    }
    int result = 0;
    if (m_type == ttRTF) {
        CShapeRecorder* recorder = control->GetUndoRecorder();
        if (recorder && recorder->ShouldRecordShape(this))
            recorder->RecordShape(opProperties, this, false);
        if (!BeginsWithRtf(m_text)) {
            std::string rtf;
            if (ConvertText(m_text, CTextEditorDialog::tfPlain, CTextEditorDialog::tfRtf, &rtf))
                SetTextBytes(rtf.c_str(), static_cast<int>(rtf.size()));
        }
        // Not drawn while it is edited.
        const bool noExtents = (m_state & stNoExtents) != 0;
        SetNoExtents(true);
        CTextEditorDialog* editor = control->GetTextEditor();
        std::string edited;
        if (editor && control->EditTextExternally(m_text, &edited)) {
            editor->SetText(edited.c_str(), CTextEditorDialog::tfRtf);
            result = 1;
        } else if (editor) {
            editor->SetText(m_text.c_str(), CTextEditorDialog::tfRtf);
            editor->SetAutoClose(false);
            result = editor->Run(control->GetControlWindow(), CTextEditorDialog::tfRtf);
        }
        SetNoExtents(noExtents);
    } else {
        result = control->StartTextEditor(this);
    }
    if (result != 1) {
        if (edit.editedShape == this)
            edit.editedShape = nullptr;
        result = 0;
    }
    EndEdit(result == 1);
    return result;
}

int CText::EndEdit(bool commit)
{
    if (commit)
        SetDirty();
    CShapeHost* control = m_control;
    if (control && control->GetEditState().operation == CEditState::kTextEditOperation) {
        CTextEditorDialog* editor = control->GetTextEditor();
        if (commit && editor) {
            if (m_type != ttRTF) {
                int length = 0;
                const char* text = editor->GetText(&length);
                StoreText(text, length);
            } else {
                SetText(editor->GetTextW());
            }
        } else if (!commit && editor && control->EventsEnabled() && !control->FireCancel()) {
            // The application refused the cancel: the editor opens again on the text as it was
            // left.
            return EndEdit(editor->Run(control->GetControlWindow(), CTextEditorDialog::tfRtf) ==
                           CTextEditorDialog::trAccepted);
        }
        // The rich text made itself the edit target for the editor: the edit is over.
        CEditState& edit = control->GetEditState();
        edit.operation = 0;
        if (edit.editedShape == this)
            edit.editedShape = nullptr;
    }
    return CShape::EndEdit(commit);
}

// --- Mirroring and visibility --------------------------------------------------------------------

int CText::FlipVertical(std::set<int>* visited, const float* axisY)
{
    return FlipByHalfTurn(visited, axisY, true);
}

int CText::FlipHorizontal(std::set<int>* visited, const float* axisX)
{
    return FlipByHalfTurn(visited, axisX, false);
}

int CText::FlipByHalfTurn(std::set<int>* visited, const float* axis, bool vertical)
{
    // A text is not mirrored (its characters would read backwards): it turns by half a turn
    // about the middle of the mirror line across it.
    float left = 0, top = 0, right = 0, bottom = 0;
    if (FAILED(GetBoundingRectEx(&left, &top, &right, &bottom, nullptr, 0)))
        return 0;
    if (IsRotationProtected())
        return 0;
    const float x = vertical ? (left + right) * 0.5f : (axis ? *axis : (left + right) * 0.5f);
    const float y = vertical ? (axis ? *axis : (top + bottom) * 0.5f) : (top + bottom) * 0.5f;
    Rotate(x, y, m_rotation < 180.0 ? 180.0 : -180.0, visited, false);
    return 1;
}

void CText::SetVisible(bool on)
{
    const bool attribute = m_type == ttAttrib || m_type == ttAttDef;
    if (attribute && m_parent && m_parent->HasFlag100()) {
        // The reference shows its attributes as they were last shown: showing one that was
        // hidden is refused; hiding leaves the saved visibility alone.
        const bool saved = (m_savedState & stVisible) != 0;
        if (on == saved || !on)
            SetStateBits(stVisible, on);
        return;
    }
    SetStateBits(stVisible, on);
    m_savedState = m_state;
}

// --- Font description ------------------------------------------------------------------------------

int CText::GetFontDesc(FONTDESC* desc, std::wstring* name)
{
    if (!desc || !name)
        return 0;
    std::memset(desc, 0, sizeof *desc);
    desc->cbSizeofstruct = sizeof *desc;
    // The size is a currency value (1/10000 points) of the height's tenths.
    desc->cySize.int64 = static_cast<LONGLONG>(static_cast<long>(m_height * 10.0f)) * 1000;
    if (m_type == ttRTF && BeginsWithRtf(m_text)) {
        int charset = m_charset;
        std::string face;
        DWORD style = m_fontStyle;
        ReadRtfFontDescription(m_text, &charset, &face, &style);
        m_charset = charset;
        if (!face.empty())
            SetFontNameA(face.c_str());
        m_fontStyle = style;
    }
    *name = m_fontName.empty() ? std::wstring(L"Arial") : m_fontName;
    desc->lpstrName = &(*name)[0];
    long weight = static_cast<long>(GetPenWeight() * 100.0f);
    desc->sWeight = static_cast<SHORT>(weight < 0 ? 0 : weight > 1000 ? 1000 : weight);
    desc->sCharset = static_cast<SHORT>(m_charset);
    desc->fItalic = (m_fontStyle & 0x4) ? TRUE : FALSE;
    desc->fUnderline = (m_fontStyle & 0x1) ? TRUE : FALSE;
    desc->fStrikethrough = (m_fontStyle & 0x2) ? TRUE : FALSE;
    return 1;
}

HRESULT CText::SetFontDesc(IFont* font)
{
    if (!font)
        return E_POINTER;
    SetDirty();
    SHORT weight = 0;
    BOOL bold = FALSE, italic = FALSE, underline = FALSE, strike = FALSE;
    SHORT charset = 0;
    CY size = {};
    BSTR name = nullptr;
    font->get_Weight(&weight);
    font->get_Bold(&bold);
    if (!bold && weight > 0)
        weight = 0;
    else if (bold && weight < 550)
        weight = 1000;
    if (std::fabs(GetPenWeight() - weight * 0.01) > 1.0)
        SetPenWeight(static_cast<float>(weight * 0.01));
    if (!(GetProtectionFlagsMasked(sdbfHeight) & sdbfHeight) && SUCCEEDED(font->get_Size(&size))) {
        // Tenths of a point.
        const double tenths = static_cast<double>(size.int64) / 1000.0;
        if (std::fabs(RoundHalfAway(tenths * 0.1) - m_height) > 0.5)
            m_height = static_cast<float>(RoundHalfAway(tenths) * 0.1);
    }
    font->get_Italic(&italic);
    font->get_Underline(&underline);
    font->get_Strikethrough(&strike);
    DWORD style = m_fontStyle & ~static_cast<DWORD>(0x7);
    style |= (italic ? 0x4 : 0) | (underline ? 0x1 : 0) | (strike ? 0x2 : 0);
    m_fontStyle = style;
    if (SUCCEEDED(font->get_Charset(&charset)) && charset > 1)
        m_charset = charset;
    if (SUCCEEDED(font->get_Name(&name)) && name) {
        SetFontName(name);
        SysFreeString(name);
    }
    return S_OK;
}

// --- Protection --------------------------------------------------------------------------------

DWORD CText::GetProtectionFlagsMasked(DWORD mask)
{
    DWORD flags = CShape::GetProtectionFlagsMasked(mask);
    if ((mask & sdbfFontUnderline) && (m_fontStyle & 0x1))
        flags |= sdbfFontUnderline;
    if ((mask & sdbfFontItalic) && (m_fontStyle & 0x4))
        flags |= sdbfFontItalic;
    if ((mask & sdbfFontStrikethrough) && (m_fontStyle & 0x2))
        flags |= sdbfFontStrikethrough;
    return flags;
}

int CText::SetProtectionFlagsMasked(DWORD value, DWORD mask)
{
    const int result = CShape::SetProtectionFlagsMasked(value, mask);
    if (!result)
        return 0;
    DWORD style = m_fontStyle;
    if (value & sdbfFontUnderline)
        style &= ~static_cast<DWORD>(0x1);
    if (value & sdbfFontItalic)
        style &= ~static_cast<DWORD>(0x4);
    if (value & sdbfFontStrikethrough)
        style &= ~static_cast<DWORD>(0x2);
    SetFontStyle(style);
    return 1;
}
