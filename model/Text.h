#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "model/Shape.h"
#include "YVEX_h.h"

// A field of a text: its name, its value and its flags (the text's fields are parsed from it).
struct CTextField
{
    std::wstring name;
    std::wstring value;
    uint16_t flags = 0;
};

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
    void SetDirty() { m_dirty |= 1; }
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

private:
    const CPointRecord* Anchor() const;
    // The plain text's width from its font when it has none yet (for scaling).
    void MeasurePlainWidth();
    // The world-to-device scale of measuring: logical units per world unit over logical units
    // per pixel.
    double MeasuringScale() const;
    int DrawRtf(CDrawContext& context, const POINT& anchor, SIZE deviceSize);

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
