// Plain texts measured and drawn with GDI text output: the font of the text, the lazy layout of
// its lines (tabs at every tenth column), the metafile the text is kept as between draws, and the
// leader of labels and attributes.
//
// Measuring works in screen pixels at a fixed size: the font is made kLayoutPixels high whatever
// the text's height, and s is that size's pixels per world unit. A text's layout in world units
// thus depends neither on the view (the zoom, a control that has no window yet) nor on whole
// pixels: measured at the view's scale, a text below a pixel got a font of height 0, which is
// the system's default size, and a width of that font's pixels over the tiny scale. The metafile
// works in hundredths of a millimetre of the view (its world-to-logical scale times 10), so that
// playing it into the drawing context's tenths of a millimetre is a plain copy.
#include "model/Text.h"
#include "model/DrawContext.h"
#include "model/FontCache.h"
#include "model/Group.h"
#include "model/PenCache.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ViewMapping.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// Hundredths of a millimetre per tenth.
const double kMetafileUnitsPerLogical = 10.0;
// The measured width of a line: its extent in this proportion.
const double kWidthFactor = 0.876;
// The pitch of the lines drawn, in text heights.
const double kLinePitch = 1.4;
// The height in pixels a text is measured at (its capitals'; the font's cell is 30 % more).
const double kLayoutPixels = 100.0;

long RoundHalfAway(double v) { return static_cast<long>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5)); }
} // namespace

double CText::LayoutScale() const
{
    const double height = std::fabs(m_height);
    return height > 0.0 && std::isfinite(height) ? kLayoutPixels / height : 0.0;
}

double CText::ViewScale() const
{
    if (!m_control)
        return 1.0;
    const double s = m_control->GetCurrentViewport().WorldToPixelsX(1.0);
    return s > 0.0 ? s : 1.0;
}

void CText::BuildLogFont(LOGFONTA& lf, bool forMeasuring)
{
    lf = LOGFONTA{};
    const double metafileScale = m_control ? m_control->GetCurrentViewport().GetScaleFactor() * kMetafileUnitsPerLogical : 1.0;
    const double s = LayoutScale();
    const double height = std::fabs(m_height);
    const long h = forMeasuring ? static_cast<long>(kLayoutPixels) : RoundHalfAway(height * metafileScale);
    // The text's height is its capitals': the character height is 30 % more.
    lf.lfHeight = -(h + RoundHalfAway(h * 0.3));
    if (!forMeasuring && m_longestLine != 0)
        lf.lfWidth = static_cast<LONG>(metafileScale * std::fabs(m_width) / m_longestLine);
    double weight = GetDevicePenWidth() * 100;
    if (forMeasuring && (m_state & stScalePenWeight))
        weight = GetPenWeight() * s * 100;
    lf.lfWeight = static_cast<LONG>(std::min(1000.0, std::max(0.0, std::trunc(weight))));
    lf.lfItalic = (m_fontStyle & 0x4) ? 1 : 0;
    lf.lfUnderline = (m_fontStyle & 0x1) ? 1 : 0;
    lf.lfStrikeOut = (m_fontStyle & 0x2) ? 1 : 0;
    lf.lfCharSet = static_cast<BYTE>(m_charset);
    lf.lfOutPrecision = 7;
    lf.lfClipPrecision = 0;
    lf.lfQuality = 1;
    lf.lfPitchAndFamily = 2;
    std::string face = GetFontNameA();
    if (face.empty() && m_control)
        face = m_control->GetDefaultFontName();
    if (face.empty())
        face = "Arial";
    std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
}

HFONT CText::CachedFontFor(const LOGFONTA& lf)
{
    if (!m_control)
        return nullptr;
    CFontCache::CFontEntry* entry = m_control->GetFontCache().FindOrAddExact(lf);
    if (!entry)
        return nullptr;
    if (!entry->m_font)
        entry->m_font = CreateFontIndirectA(&entry->m_logFont);
    return entry->m_font;
}

HFONT CText::GetCachedFont() { return CachedFontFor(m_logFont); }

int CText::RecalcExtent()
{
    if (!(m_dirty & 1))
        return 1;
    m_dirty &= ~1;
    if (m_type == ttRTF)
        return 1;
    // The layout changes: the metafile of the last one goes, and what was derived from the
    // extent (a group's grid, the drawing's kept extent) is stale.
    if (m_metafile) {
        DeleteEnhMetaFile(m_metafile);
        m_metafile = nullptr;
    }
    SetExtentCached(false);
    const double layoutScale = LayoutScale();
    if (layoutScale == 0.0) {
        // No height: the text is its anchor.
        m_width = m_lineGap = m_lineHeight = 0.0f;
        m_deviceWidth = m_deviceHeight = 0;
        return 1;
    }
    const LOGFONTA previous = m_logFont;
    BuildLogFont(m_logFont, true);
    HFONT font = GetCachedFont();
    if (!font) {
        m_logFont = previous;
        return 0;
    }
    ycom::WindowDC screen(GetDC(nullptr));
    if (!screen.Get())
        return 0;
    ycom::SelectGuard selected(screen.Get(), font);
    SIZE size{0, 0};
    if (!GetTextExtentPoint32A(screen.Get(), m_text.c_str(), static_cast<int>(m_text.size()), &size))
        return 0;
    // The size on the view as it is now (greeking draws a line of it).
    const double toView = ViewScale() / layoutScale;
    m_deviceWidth = static_cast<int>(std::lround(size.cx * toView));
    m_deviceHeight = static_cast<int>(std::lround(size.cy * toView));
    if (m_xScale == 0.0f)
        m_xScale = 1.0f;
    LayoutLines(screen.Get(), 2, 0, 0);
    return 1;
}

bool CText::LayoutLines(HDC dc, int flags, int x, int y)
{
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const bool measuring = (flags & 2) != 0, drawing = (flags & 1) != 0;
    if (measuring)
        m_width = 0.0f;
    const double s = LayoutScale() > 0.0 ? LayoutScale() : 1.0;
    const double xs = std::fabs(m_xScale);
    const double metafileScale = m_control ? m_control->GetCurrentViewport().GetScaleFactor() * kMetafileUnitsPerLogical : 1.0;
    const char* text = m_text.c_str();
    const int length = static_cast<int>(m_text.size());
    int column = 0, lines = 0;
    long offsetX = 0, offsetY = 0;
    double pendingTab = 0.0;
    int segmentStart = 0;
    bool firstSegment = true, lastLineHasCharacters = false;
    for (int i = 0; i <= length; ++i) {
        const char ch = i < length ? text[i] : '\0';
        // A line feed after a carriage return only starts the line the return ended.
        if (ch == '\n' && i > 0 && text[i - 1] == '\r') {
            segmentStart = i + 1;
            continue;
        }
        if (ch != '\n' && ch != '\r' && ch != '\t' && ch != '\0')
            continue;
        const int n = i - segmentStart;
        double segmentWidth = 0.0;
        if (n > 0) {
            if (measuring) {
                SIZE extent{0, 0};
                GetTextExtentPoint32A(dc, text + segmentStart, n, &extent);
                segmentWidth = extent.cx / s * xs * kWidthFactor;
            }
            if (drawing)
                TextOutA(dc, x + offsetX, y - offsetY, text + segmentStart, n);
        }
        column += n;
        if (ch == '\t') {
            column = column + 10 - column % 10;
            // A tab that ends the text's very first piece goes to the tenth column.
            if (firstSegment && column <= 10)
                column = 10;
            pendingTab = tm.tmAveCharWidth * column / s * xs * kWidthFactor;
            if (drawing)
                offsetX = RoundHalfAway(tm.tmAveCharWidth * column * 1.01);
        } else {
            if (measuring)
                m_width = static_cast<float>(std::max<double>(m_width, segmentWidth + pendingTab));
            lastLineHasCharacters = n > 0 || pendingTab > 0.0;
            pendingTab = 0.0;
            column = 0;
            ++lines;
            if (drawing) {
                offsetY = RoundHalfAway(lines * std::fabs(m_height) * kLinePitch * metafileScale);
                offsetX = 0;
            }
        }
        firstSegment = false;
        segmentStart = i + 1;
    }
    if (measuring) {
        if (m_xScale < 0)
            m_width = -m_width;
        m_lineGap = static_cast<float>(tm.tmDescent / s);
        m_lineHeight = std::fabs(m_height) + m_lineGap;
    }
    return lastLineHasCharacters;
}

HENHMETAFILE CText::RenderToMetafile()
{
    if (!m_control)
        return nullptr;
    // The text unturned: the draw turns the picture about its corner.
    LOGFONTA lf;
    BuildLogFont(lf, false);
    HFONT font = CachedFontFor(lf);
    const double metafileScale = m_control->GetCurrentViewport().GetScaleFactor() * kMetafileUnitsPerLogical;
    HDC recorder = nullptr;
    RECT frame{0, 0, 0, 0};
    {
        ycom::WindowDC screen(GetDC(nullptr));
        if (!screen.Get())
            return nullptr;
        ycom::SelectGuard selected(screen.Get(), font);
        SIZE letter{0, 0};
        GetTextExtentPoint32A(screen.Get(), "D", 1, &letter);
        frame.right = RoundHalfAway(std::fabs(m_width) * metafileScale);
        frame.bottom = m_lineCount * letter.cy;
        recorder = CreateEnhMetaFileA(screen.Get(), nullptr, &frame, "TextTempMeta\0\0");
    }
    if (!recorder)
        return nullptr;
    SetMapMode(recorder, MM_HIMETRIC);
    if (font)
        SelectObject(recorder, font);
    SetBkMode(recorder, TRANSPARENT);
    const DWORD align = m_align & 6;
    SetTextAlign(recorder, align);
    const int x = align == 2 ? frame.right : (align == 6 ? frame.right / 2 : 0);
    SetTextColor(recorder, TranslatePenColor(m_penColor, this));
    LayoutLines(recorder, 1, x, 0);
    SelectObject(recorder, GetStockObject(SYSTEM_FONT));
    return CloseEnhMetaFile(recorder);
}

bool CText::HasLeader()
{
    return IsVisible() && GetProtectionFlagsMasked(sdbfLabelLeader) >= 0x40000 &&
           (m_type == ttLabel || m_type == ttAttrib || m_type == ttAttDef) && !m_text.empty();
}

int CText::DrawOverlay(CDrawContext& context)
{
    if (!context.dc || !m_control || !m_parent || !HasLeader() || m_points.GetCount() != 1)
        return 0;
    CRealPoint frame[5];
    float l, t, r, b;
    if (!GetTextFrame(frame) || FAILED(m_parent->GetBoundingRect(&l, &t, &r, &b)))
        return 0;
    const CPointRecord* anchor = m_points.GetAt(0);
    // The end of the leader on the shape the text labels.
    CRealPoint end;
    if (GetProtectionFlagsMasked(sdbfLabelLeader) == 0x80000) {
        // The middle of a side of its frame: top or bottom for a text standing steeply, else left
        // or right, whichever is nearer.
        double angle = std::fmod(m_rotation, 360.0);
        if (angle < 0)
            angle += 360.0;
        const bool steep = (angle > 45 && angle <= 135) || (angle > 225 && angle <= 315);
        const CRealPoint a = steep ? CRealPoint((l + r) / 2, t) : CRealPoint(l, (t + b) / 2);
        const CRealPoint c = steep ? CRealPoint((l + r) / 2, b) : CRealPoint(r, (t + b) / 2);
        auto d2 = [&](const CRealPoint& p) {
            return (p.x - anchor->x) * (p.x - anchor->x) + (p.y - anchor->y) * (p.y - anchor->y);
        };
        end = d2(a) <= d2(c) ? a : c;
    } else if (!m_parent->GetNearestPoint(*anchor, &end)) {
        end = CRealPoint((l + r) / 2, (t + b) / 2);
    }
    // Where it meets the text: the side of the frame towards the end, at the height the alignment
    // names (bottom, middle, else top).
    const CRealPoint& left = (m_align & 0x8) ? frame[0] : frame[3];
    const CRealPoint& right = (m_align & 0x8) ? frame[1] : frame[2];
    CRealPoint onLeft = left, onRight = right;
    if (m_align & 0x10000) {
        onLeft = CRealPoint((frame[0].x + frame[3].x) / 2, (frame[0].y + frame[3].y) / 2);
        onRight = CRealPoint((frame[1].x + frame[2].x) / 2, (frame[1].y + frame[2].y) / 2);
    }
    auto dist = [&](const CRealPoint& p) { return std::hypot(p.x - end.x, p.y - end.y); };
    const bool towardsLeft = dist(onLeft) <= dist(onRight);
    const CRealPoint attach = towardsLeft ? onLeft : onRight;
    // The elbow moves out along the baseline when the end lies farther away than a text height.
    CRealPoint elbow = attach;
    if (dist(attach) > std::fabs(m_height)) {
        const CRealPoint& other = towardsLeft ? onRight : onLeft;
        const double bx = attach.x - other.x, by = attach.y - other.y;
        const double length = std::hypot(bx, by);
        if (length > 0) {
            elbow.x = static_cast<float>(attach.x + bx / length * std::fabs(m_height));
            elbow.y = static_cast<float>(attach.y + by / length * std::fabs(m_height));
        }
    }
    const CViewMapping& view = ViewOf(context);
    POINT points[3] = {view.WorldToViewPoint(end), view.WorldToViewPoint(elbow), view.WorldToViewPoint(attach)};
    ycom::SelectGuard pen(context.dc, m_control->GetPenCache().GetPen(2, TranslatePenColor(m_penColor, this), 0, 1.0, false));
    Polyline(context.dc, points, 3);
    return 1;
}
