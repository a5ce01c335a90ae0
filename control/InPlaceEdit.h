#pragma once
#include <windows.h>
#include <string>

// The font of an in-place editor: the text colour, the LOGFONT it was made from and the font made
// from it, which the record owns.
class CTextEditorFont
{
public:
    CTextEditorFont() = default;
    CTextEditorFont(const CTextEditorFont& other) { *this = other; }
    CTextEditorFont& operator=(const CTextEditorFont& other);
    ~CTextEditorFont() { Clear(); }

    // Takes a LOGFONT (null: a zeroed one): the font owned so far goes and, when the height is not
    // 0, a font of its own is made from it. `font` is not kept (the record makes its own).
    void Set(HFONT font, const LOGFONTA* logFont);
    void Clear() { Set(nullptr, nullptr); }

    HFONT GetFont() const { return m_font; }
    const LOGFONTA& GetLogFont() const { return m_logFont; }
    COLORREF colour = 0;

private:
    HFONT m_font = nullptr;
    LOGFONTA m_logFont = {};
};

// An edit window laid over a value while the user types it: a text shape's text on the drawing,
// or a value of the property grid. The window is a superclass of the system's edit control (or of
// the rich-edit control); Enter and Escape end it with a list-view label-edit notification
// (LVN_ENDLABELEDIT, -106) to its parent, carrying the text or, after Escape, none.
class CInPlaceEdit
{
public:
    // `item` and `subItem` come back in the notification. With `notifyGrandparent` the
    // notification goes to the parent's parent under the parent's control ID and losing the focus
    // ends the edit too. With `numbersOnly` the text holds only digits, "-" and one ".".
    CInPlaceEdit(int item, int subItem, const CTextEditorFont* font, const char* initialText, bool notifyGrandparent,
                 bool numbersOnly);
    CInPlaceEdit(const CInPlaceEdit&) = delete;
    CInPlaceEdit& operator=(const CInPlaceEdit&) = delete;
    virtual ~CInPlaceEdit();

    // Creates the window over `rect` of `parent` (a rich-edit window with `rich`). False when the
    // window could not be made (the object then stays without one).
    bool Create(HWND parent, const RECT& rect, DWORD style, int controlId, bool rich);
    void Destroy();
    HWND GetHandle() const { return m_hWnd; }
    bool IsRich() const { return m_rich; }
    bool IsCancelled() const { return m_cancelled; }
    const std::string& GetInitialText() const { return m_initialText; }

    // Grows (or moves) the window to show its text inside the parent's client area, showing a
    // scroll bar where even the parent's area is too small.
    void AutoSize();
    // A new font record: the window's font is replaced when it was using the old record's font.
    void SetFont(const CTextEditorFont& font);
    // The record's font (or the parent's when it has none) on the window, redrawn.
    void ApplyFont();
    // The record's face, height and colour as the rich-edit window's character format.
    void ApplyCharFormat();
    // The window's content as RTF (rich-edit windows; empty for a plain one). The buffer grows
    // with the text.
    std::string GetRtfText();
    // The window's text (plain).
    std::string GetText() const;
    // Sends the end notification: the text (RTF for a rich window) or, when cancelled, none.
    void NotifyEnd();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT CallBase(UINT msg, WPARAM wParam, LPARAM lParam);
    // The font in use: the record's, else the window's own, else the parent's.
    HFONT CurrentFont() const;
    // Keeps only the characters a number may have (one decimal point).
    static std::string KeepNumberCharacters(const std::string& text);

    HWND m_hWnd = nullptr;
    WNDPROC m_baseProc = nullptr;
    int m_item;
    int m_subItem;
    std::string m_initialText;
    std::string m_rtfBuffer;
    bool m_cancelled = false;
    bool m_notifyGrandparent;
    bool m_numbersOnly;
    bool m_rich = false;
    bool m_ended = false;
    CTextEditorFont m_font;
};
