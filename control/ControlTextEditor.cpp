// The in-place text editor of the control: laid over a plain text shape in its font and colour.
#include "control/YVEXControl.h"
#include "control/InPlaceEdit.h"
#include "model/Text.h"
#include <algorithm>
#include <cmath>

namespace {

// The smallest font the editor shows, in pixels.
constexpr int kSmallestFontPixels = 16;
// A colour this close to the window's would not be readable: the editor writes black then.
constexpr long kLeastColourDistance = 0x80000;
// The style of the plain editor window (0x508000C4).
constexpr DWORD kEditorStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL;

long ColourDistance(COLORREF a, COLORREF b)
{
    const long r = GetRValue(a) - GetRValue(b);
    const long g = GetGValue(a) - GetGValue(b);
    const long bl = GetBValue(a) - GetBValue(b);
    return 30 * r * r + 59 * g * g + 11 * bl * bl;
}

} // namespace

bool CYVEXControl::GetTextEditorLayout(CShape* shape, RECT* rect, CTextEditorFont* font)
{
    if (!shape || shape->GetShapeType() != stText || !rect)
        return false;
    auto* text = static_cast<CText*>(shape);
    float left = 0, top = 0, right = 0, bottom = 0;
    text->GetBoundingRect(&left, &top, &right, &bottom);
    const float textHeight = std::fabs(text->GetHeight());
    // A text without height still gets room for a line.
    if (std::fabs(top - bottom) < 1e-6f) {
        bottom -= 1.3f * textHeight;
        right += 2.0f * textHeight;
    }
    const CViewportRecord& view = GetCurrentViewport();
    const POINT a = view.WorldToDevice(CRealPoint(left, top));
    const POINT b = view.WorldToDevice(CRealPoint(right, bottom));
    RECT r = {std::min(a.x, b.x) - 2, std::min(a.y, b.y) - 2, std::max(a.x, b.x) + 2, std::max(a.y, b.y) + 2};
    r.right += 4 + r.right / 100;

    RECT client = {};
    if (m_hWnd)
        GetClientRect(m_hWnd, &client);
    // Inside the client area: as wide (tall) as it at most, shifted in from the right (bottom)
    // and from the left (top).
    auto fit = [](LONG& low, LONG& high, LONG limitLow, LONG limitHigh) {
        if (high - low > limitHigh - limitLow) {
            low = limitLow;
            high = limitHigh;
        }
        if (high > limitHigh) {
            low -= high - limitHigh;
            high = limitHigh;
        }
        if (low < limitLow) {
            high += limitLow - low;
            low = limitLow;
        }
    };
    if (client.right > 0 && client.bottom > 0) {
        fit(r.left, r.right, client.left, client.right);
        fit(r.top, r.bottom, client.top, client.bottom);
    }
    if (text->GetTextType() == ttRTF || !font) {
        *rect = r;
        return true;
    }

    LOGFONTA logFont = text->GetLogFont();
    if (!logFont.lfFaceName[0])
        lstrcpynA(logFont.lfFaceName, "Arial", LF_FACESIZE);
    const int lines = std::max(text->GetLineCount(), 1);
    int pixels = static_cast<int>(r.bottom - r.top) / lines;
    if (pixels < kSmallestFontPixels && pixels > 0) {
        // A small font is raised and the editor grows with it.
        const double grow = static_cast<double>(kSmallestFontPixels) / pixels;
        r.right = r.left + static_cast<LONG>((r.right - r.left) * grow);
        r.bottom = r.top + static_cast<LONG>((r.bottom - r.top) * grow);
        pixels = kSmallestFontPixels;
    } else if (pixels * 5 / 4 > r.bottom - r.top - 2) {
        pixels = std::max<int>(static_cast<int>((r.bottom - r.top - 2) * 4 / 5), 1);
    }
    logFont.lfHeight = -pixels;
    logFont.lfEscapement = logFont.lfOrientation = 0;
    font->Set(nullptr, &logFont);
    const COLORREF colour = CShape::TranslatePenColor(text->GetPenColor(), text);
    font->colour = ColourDistance(colour, GetSysColor(COLOR_WINDOW)) > kLeastColourDistance ? colour : 0;
    *rect = r;
    return true;
}

int CYVEXControl::StartTextEditor(CShape* shape)
{
    if (!shape || shape->GetShapeType() != stText)
        return 0;
    HandleDestroyEditWindows();
    auto* text = static_cast<CText*>(shape);
    if (text->GetTextType() == ttRTF) {
        // Rich text goes to the text's own editor.
        text->EditText();
        return 0;
    }
    RECT rect = {};
    CTextEditorFont font;
    GetTextEditorLayout(shape, &rect, &font);
    m_inPlaceEdit.reset(new (std::nothrow)
                            CInPlaceEdit(shape->GetId(), 0, &font, text->GetText().c_str(), false, false));
    // Never 0, which closes whatever editor there is.
    if (++m_editorGeneration == 0)
        m_editorGeneration = 1;
    if (m_inPlaceEdit && m_hWnd)
        m_inPlaceEdit->Create(m_hWnd, rect, kEditorStyle, kInPlaceEditId, false);
    return 1;
}

int CYVEXControl::EditRichText(CShape* shape)
{
    if (!shape || shape->GetShapeType() != stText)
        return 0;
    CEditState& edit = GetEditState();
    // As the edit target the text runs its editor at once: the start of the edit has been
    // announced already.
    edit.editedShape = shape;
    const int result = static_cast<CText*>(shape)->EditText();
    if (edit.editedShape == shape)
        edit.editedShape = nullptr;
    edit.operation = 0;
    return result;
}

bool CYVEXControl::HandleDestroyEditWindows()
{
    const bool any = m_inPlaceEdit || m_richInPlaceEdit;
    // The objects go after their windows.
    std::unique_ptr<CInPlaceEdit> plain = std::move(m_inPlaceEdit);
    std::unique_ptr<CInPlaceEdit> rich = std::move(m_richInPlaceEdit);
    return any;
}

void CYVEXControl::CloseTextEditorLater()
{
    // Posted: the edit may end inside the editor's own window procedure (Enter and Escape end it
    // from there), which must not see its window go. The number of the editor comes along, so
    // that an editor opened meanwhile stays.
    if ((m_inPlaceEdit || m_richInPlaceEdit) && m_hWnd)
        PostMessageW(m_hWnd, WM_USER + 101, m_editorGeneration, 0);
}

LRESULT CYVEXControl::HandleDestroyEditWindows(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    // 0 closes whatever editor is open; a number only the editor it names.
    if (wParam == 0 || wParam == m_editorGeneration)
        HandleDestroyEditWindows();
    return 0;
}

bool CYVEXControl::RefreshTextEditor(CShape* shape, bool restart)
{
    CShape* edited = GetEditState().editedShape;
    if (!shape || !edited || !m_inPlaceEdit || GetEditState().editMode != EDSH_TEXT)
        return false;
    if (edited != shape && !shape->ContainsShape(edited))
        return false;
    if (restart) {
        EndInteractiveOperation(true);
        StartEditShape(shape, EDSH_TEXT, 0, 0);
        return true;
    }
    RequestRedraw(rfRedrawShape, edited);
    RECT rect = {};
    CTextEditorFont font;
    GetTextEditorLayout(edited, &rect, &font);
    if (HWND window = m_inPlaceEdit->GetHandle()) {
        SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        m_inPlaceEdit->SetFont(font);
        m_inPlaceEdit->ApplyFont();
        m_inPlaceEdit->ApplyCharFormat();
        m_inPlaceEdit->AutoSize();
    }
    return true;
}
