#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "model/Shape.h"
#include "model/TextField.h"
#include "YVEX_h.h"

// The text shape: plain single- or multi-line text (ttANSI), rich text in RTF (ttRTF), block
// attributes, attribute definitions and labels (TextTypes), anchored at its one point. Its
// height, width and horizontal scale are world units; the rotation is in degrees, counter-
// clockwise; the alignment says which point of the text's frame the anchor is (0 top left,
// 0x2 right, 0x6 centre, 0x8 bottom, 0x10000 middle, 0x18 baseline). Plain texts are measured
// and drawn with GDI text output, kept as a metafile between draws; rich texts are measured and
// rendered by the control's hidden rich-edit window. The layout is made again lazily: every
// change sets the dirty bit, and the next caller that needs the extent measures.
class CText : public CShape
{
public:
    // The state bit of a text of several lines.
    static constexpr DWORD stSeveralLines = 0x10000;
    // Hit modes: the frame's border only, or the whole frame.
    static constexpr int kHitBorder = 1;
    static constexpr int kHitFrame = 2;

    CText(CShapeHost* control, int id);
    // A copy under a new ID: the shape-base copy, then the text's data (a fresh layout).
    CText(int id, const CText& source);
    ~CText() override;

    // --- Data ----------------------------------------------------------------------------------
    int GetTextType() override { return m_type; }
    void SetTextType(int type);
    // The text, empty for none; RTF texts begin with "{\rtf1".
    const std::string& GetText() const { return m_text; }
    int GetTextLength() const { return static_cast<int>(m_text.size()); }
    // Keeps a copy of the text unless it is blank, rescales a plain text's width by the change of
    // its length, counts its lines and marks the layout stale.
    void StoreText(const char* text, int length);
    // The lines of a text (line feeds part them; a carriage return before one is not counted) and
    // the longest line's characters; the several-lines bit follows. A rich text is one line.
    void CountLines(const char* text, int length);
    int GetLineCount() const { return m_lineCount; }
    int GetLongestLine() const { return m_longestLine; }

    float GetHeight() const { return m_height; }
    void SetHeight(float height);
    float GetWidth() const { return m_width; }
    // The width of a plain text rescales its horizontal scale by the change.
    void SetWidth(float width);
    float GetXScale() const { return m_xScale; }
    void SetXScale(float scale);
    double GetRotation() const { return m_rotation; }
    void SetRotation(double degrees);
    DWORD GetAlignType() const { return m_align; }
    // Both vertical bits (the baseline, which only DXF brings) become bottom, or middle with 0x10000.
    void SetAlignType(DWORD align);
    // The face name; empty for none.
    const std::wstring& GetFontName() const { return m_fontName; }
    std::string GetFontNameA() const;
    void SetFontName(const wchar_t* name);
    void SetFontNameA(const char* name);
    int GetCharset() const { return m_charset; }
    void SetCharset(int charset);
    // 0x1 underline, 0x2 strikethrough, 0x4 italic, 0x8 bold (bold is a pen weight of 10).
    DWORD GetFontStyle() const { return m_fontStyle; }
    void SetFontStyle(DWORD style);
    int GetAttachment() const { return m_attachment; }
    float GetLineHeight() const { return m_lineHeight; }
    float GetLineGap() const { return m_lineGap; }
    int GetHitMode() const { return m_hitMode; }
    void SetHitMode(int mode) { m_hitMode = static_cast<uint8_t>(mode); }
    bool IsDirty() const { return (m_dirty & 1) != 0; }
    // The layout is made again before the text is next measured or drawn; its extent may change.
    void SetDirty()
    {
        m_dirty |= 1;
        NoteGeometryChange();
    }
    const LOGFONTA& GetLogFont() const { return m_logFont; }
    void SetLogFont(const LOGFONTA& font) { m_logFont = font; }
    SIZE GetDeviceSize() const { return SIZE{m_deviceWidth, m_deviceHeight}; }
    const std::vector<CTextField>* GetFieldList() const { return m_fields.get(); }
    // A copy of the list; none clears it.
    void SetFieldList(const std::vector<CTextField>* fields);

    // The reference point and the four corners of the text's frame (world), measuring first when
    // stale; false without an anchor.
    bool GetTextFrame(CRealPoint frame[5]);

    // --- Measuring and drawing (plain texts with GDI, rich texts in the rich-edit window) -------
    // The font for measuring (at the view's scale without its rotation) or for drawing.
    void BuildLogFont(LOGFONTA& font, bool forMeasuring);
    // The font of m_logFont from the control's font cache, made on first use.
    HFONT GetCachedFont();
    // The font of exactly this description from the control's font cache, made on first use.
    HFONT CachedFontFor(const LOGFONTA& lf);
    // Measures a stale plain text; 1 when the layout is current.
    int RecalcExtent();
    // The text drawn into a new metafile, or null.
    HENHMETAFILE RenderToMetafile();
    // Walks the lines: flag 1 draws them at (x, y), flag 2 measures; whether the last line has
    // characters.
    bool LayoutLines(HDC dc, int flags, int x, int y);
    bool HasLeader();
    // The rich text streamed into the rich-edit window with its sizes made to fit `size` (pixels
    // of the DC), measured: the rendered size back in `size`, the lines in *lines; the characters
    // streamed (0: nothing drawable, and `size` is the text's own size in logical units).
    int MeasureRtf(HDC dc, SIZE* size, int* lines);
    // Renders the window's content into the DC, size in pixels.
    void RenderRtf(HDC dc, SIZE size);
    // A bitmap turned by the angle (radians) on a background of the colour, mirrored as asked;
    // null when it cannot be made.
    static HBITMAP RotateBitmap(HDC dc, HBITMAP bitmap, double angle, COLORREF background, bool mirrorX, bool mirrorY);

    // --- Overrides ---------------------------------------------------------------------------
    int GetHandlePoints(CRealPoint* points, int capacity) override;
    int OnEditMouseDown(float x, float y, std::map<int, int>* selection) override;
    int OnEditDrag(float x, float y) override;
    int Draw(CDrawContext& context) override;
    // The leader of a label or attribute.
    int DrawOverlay(CDrawContext& context) override;
    // x and y are device pixels.
    BOOL HitTest(float x, float y) override;
    int Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force) override;
    HRESULT Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force) override;
    void GetCoClassId(CLSID* clsid) override;
    HRESULT GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>* skip,
                              DWORD flags) override;
    // Mask 0x100 the alignment, 0x8 the heights, 0x4 the width and scale, 0x2 the rotation, 0x200
    // the font, besides the shape's properties.
    int CopyPropertiesFrom(CShape& source, DWORD mask) override;
    int GetClassShapeType() override;
    // A text offers no alignment of its points (-1).
    int AlignPointTo(float x, float y, int* index, CRealPoint* point) override;
    HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags) override;
    int GetNearestPoint(const CRealPoint& point, CRealPoint* nearest) override;
    bool IsAttributeOrLabel() override;
    double GetAngle() override;

    // Whether an attribute is shown: the visible bit of the state word kept for it.
    virtual void SetAttributeShown(bool shown);
    virtual bool IsAttributeShown();

    // --- Rich text, editing and font description ------------------------------------------------
    // Stores a text (a wide one in the ANSI code page): the field list goes, and an RTF text is
    // normalised first (NormalizeRtf).
    void SetText(const wchar_t* text);
    void SetTextBytes(const char* text, int length);
    // A normalised copy of an RTF text (the default font table and size where it lacks them);
    // false keeps the text as given.
    virtual bool NormalizeRtf(const std::string& text, std::string* normalised);
    // Switches between plain text and RTF (ttRTF): the text is converted by the control's text
    // editor, and a plain text switched to RTF keeps its colour.
    void SetType(int type);
    // The RTF document of an MTEXT string.
    void MtextToRtf(const char* mtext, std::string* rtf);
    // The text converted by the control's text editor without showing it, from and to
    // CTextEditorDialog::tfPlain or tfRtf; false without an editor or when it fails.
    bool ConvertText(const std::string& text, int from, int to, std::string* out);
    // Interactive editing: a rich text in the control's text editor (or the outside program the
    // control names), a plain one in the control's in-place editor. 1 when an edit was made.
    int EditText();
    // Takes the editor's text when the edit was accepted; a cancel the application refuses opens
    // the editor again.
    int EndEdit(bool commit) override;
    // A text is never mirrored: it turns by half a turn about the middle of the mirror line.
    int FlipVertical(std::set<int>* visited, const float* axisY) override;
    int FlipHorizontal(std::set<int>* visited, const float* axisX) override;
    // Attribute texts of a reference that shows attributes as they were last shown follow that.
    void SetVisible(bool on) override;
    // The font description of the automation's Font (the name points into *name), and the
    // properties taken from a font object.
    int GetFontDesc(FONTDESC* desc, std::wstring* name);
    HRESULT SetFontDesc(IFont* font);
    // The style bits show as the font protection flags; setting a flag clears its style bit.
    int SetProtectionFlagsMasked(DWORD value, DWORD mask) override;
    DWORD GetProtectionFlagsMasked(DWORD mask) override;

    // --- Fields and records -------------------------------------------------------------------
    // The field list of the text: 1 when the text is empty or names nothing (no list), 0 when a
    // list was stored.
    int ParseFields();
    // Rebuilds the text from the source's fields and the attribute values in force.
    HRESULT ApplyAttributeValues(CText* source);
    // A DXF text string with its "%%" codes as characters.
    void SetDxfText(const char* text);
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags) override;

    // --- DXF ------------------------------------------------------------------------------------
    // TEXT, ATTRIB, ATTDEF (by the keyword the reader stands on) and MTEXT.
    HRESULT ReadDxf(CDxfFile& dxf) override;
    HRESULT WriteDxf(CDxfFile& dxf) override;
    int ReadXDataOwn(CDxfFile& dxf) override;
    int WriteXDataOwn(CDxfFile& dxf) override;
    // The first alignment point of a TEXT (the left end of its baseline), from the anchor and the
    // alignment, as the text is turned; false without an anchor.
    bool GetDxfInsertionPoint(CRealPoint* point) const;
    // Whether the text lies in a block of the block library.
    bool IsInBlockLibrary() const;

private:
    const CPointRecord* Anchor() const;
    // The view's pixels per world unit: logical units per world unit over logical units per
    // pixel (1 without a control).
    double ViewScale() const;
    // The pixels per world unit a plain text is laid out at: its height made a fixed number of
    // pixels, whatever the view; 0 for a text without a height.
    double LayoutScale() const;
    int DrawRtf(CDrawContext& context, const POINT& anchor, SIZE deviceSize);
    int FlipByHalfTurn(std::set<int>* visited, const float* axis, bool vertical);
    HRESULT ReadMtext(CDxfFile& dxf);
    // The width of the text at the DXF font (of ten times its height), in world units.
    double MeasureDxfTextWidth() const;
    // The upper left corner of a rich text from the attachment point of its MTEXT, or back.
    CRealPoint MtextAnchor(const CRealPoint& point, bool fromAttachment) const;

    int m_attachment = 7;
    float m_width = 0.0f;
    float m_lineHeight = 0.0f;
    float m_lineGap = 0.0f;
    std::wstring m_fontName;
    int m_charset = DEFAULT_CHARSET;
    DWORD m_fontStyle = 0;
    LOGFONTA m_logFont{};
    int m_deviceWidth = 0;
    int m_deviceHeight = 0;
    float m_drawnAngle = 0.0f;
    int m_type = ttRTF;
    double m_rotation = 0.0;
    DWORD m_align = 0;
    std::string m_text;
    float m_height = -1.0f;
    float m_xScale = 1.0f;
    uint8_t m_hitMode = kHitFrame;
    int m_lineCount = 1;
    int m_longestLine = 0;
    DWORD m_savedState = 0;
    HENHMETAFILE m_metafile = nullptr;
    // What the metafile was recorded at: the view's scale factor and the text's colour.
    double m_metafileScale = 0.0;
    COLORREF m_metafileColour = 0;
    uint8_t m_dirty = 1;
    std::unique_ptr<std::vector<CTextField>> m_fields;
};

// True when the text is empty or holds only white space.
bool IsBlankText(const char* text, int length);

// The rich text with its font sizes fitted to a height: the largest \fs becomes targetHeight
// pixels (at pixelsPerInch), every other one keeps its proportion (a size below 1 counts as the
// largest), each written as wide as it was. Without any size the text's own height in pixels
// (fallbackHeight) stands for the largest. *lines: 1 + the paragraphs (\par) of the text.
std::string FitRtfFontSizes(const std::string& rtf, int targetHeight, int pixelsPerInch, int fallbackHeight, int* lines);
