// Drawing a text: greeking of tiny texts, the edit frame, plain texts played from their metafile
// under a turn about their corner, and rich texts rendered by the control's hidden rich-edit
// window into a bitmap at screen resolution, turned, and laid onto the target through a mask so
// that the background stays transparent.
//
// The rich-edit window measures and renders through its text services (TxGetNaturalSize and
// TxDraw): they work wherever Rich Edit does, while the window's own range formatting does not
// on every platform we run on. They render faithfully at the screen's resolution only, which is
// why rich texts always pass through a bitmap, also for printers and metafiles.
#include "model/Text.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/PenCache.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ViewMapping.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <richedit.h>
#include <richole.h>
#include <textserv.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
// The text services interface of a rich-edit window.
const IID kIidTextServices = {0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};
// A width no rich text wraps at.
const LONG kUnboundedWidth = 100000;

// The text services behind a rich-edit window (a reference the caller releases), or null.
ITextServices* TextServicesOf(HWND window)
{
    IRichEditOle* ole = nullptr;
    if (!window || !SendMessageA(window, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) || !ole)
        return nullptr;
    void* services = nullptr;
    ole->QueryInterface(kIidTextServices, &services);
    ole->Release();
    return static_cast<ITextServices*>(services);
}

struct StreamSource
{
    const std::string* text;
    size_t at;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got)
{
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t left = source->text->size() - source->at;
    const size_t n = std::min(left, static_cast<size_t>(wanted > 0 ? wanted : 0));
    std::memcpy(buffer, source->text->data() + source->at, n);
    source->at += n;
    *got = static_cast<LONG>(n);
    return 0;
}

// A 32-bit top-down DIB section of the size, its bits out.
HBITMAP MakeDib(LONG width, LONG height, DWORD** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* data = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &data, nullptr, 0);
    if (bits)
        *bits = static_cast<DWORD*>(data);
    return bitmap;
}

// A pixel of a DIB from a COLORREF and back (DIBs hold blue in their low byte).
DWORD ToDib(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// The corners of a w x h bitmap (mirrored axes turned round) turned by the angle, y down: the
// smallest x and y of them (0 included) and the size of their box.
void TurnedBox(double angle, LONG w, LONG h, bool mirrorX, bool mirrorY, LONG* minX, LONG* minY, SIZE* size)
{
    const double c = std::cos(angle), s = std::sin(angle);
    double lx = 0, ly = 0, hx = 0, hy = 0;
    for (const POINT& p : {POINT{0, 0}, POINT{w, 0}, POINT{0, h}, POINT{w, h}}) {
        const double x = mirrorX ? -p.x : p.x, y = mirrorY ? -p.y : p.y;
        const double tx = std::round(x * c + y * s), ty = std::round(-x * s + y * c);
        lx = std::min(lx, tx), hx = std::max(hx, tx), ly = std::min(ly, ty), hy = std::max(hy, ty);
    }
    *minX = static_cast<LONG>(lx);
    *minY = static_cast<LONG>(ly);
    size->cx = static_cast<LONG>(hx - lx);
    size->cy = static_cast<LONG>(hy - ly);
}

// Whether the text at `at` is the control word \fs followed by a number.
bool IsFontSizeWord(const std::string& text, size_t at)
{
    return text.compare(at, 3, "\\fs") == 0 && at + 3 < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[at + 3])) || text[at + 3] == '-');
}
} // namespace

std::string FitRtfFontSizes(const std::string& rtf, int targetHeight, int pixelsPerInch, int fallbackHeight, int* lines)
{
    // The largest size, and the paragraphs.
    long largest = 0;
    int paragraphs = 1;
    for (size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] != '\\')
            continue;
        if (i + 1 < rtf.size() && (rtf[i + 1] == '\\' || rtf[i + 1] == '{' || rtf[i + 1] == '}')) {
            ++i; // an escaped character, not a control word
            continue;
        }
        if (IsFontSizeWord(rtf, i))
            largest = std::max(largest, std::strtol(rtf.c_str() + i + 3, nullptr, 10));
        else if (rtf.compare(i, 4, "\\par") == 0 && i + 4 < rtf.size() &&
                 (rtf[i + 4] == '\\' || std::isspace(static_cast<unsigned char>(rtf[i + 4]))))
            ++paragraphs;
    }
    if (lines)
        *lines = paragraphs;
    const int target = largest > 0 ? MulDiv(largest, pixelsPerInch, 144) : fallbackHeight;
    const double ratio = target != 0 ? static_cast<double>(targetHeight) / target : 0.0;
    const long halfPoints = MulDiv(targetHeight, 144, pixelsPerInch);
    // Every size in proportion, the largest at the target height, each as wide as it was.
    std::string out;
    out.reserve(rtf.size() + 100);
    for (size_t i = 0; i < rtf.size();) {
        if (rtf[i] == '\\' && i + 1 < rtf.size() && (rtf[i + 1] == '\\' || rtf[i + 1] == '{' || rtf[i + 1] == '}')) {
            out.append(rtf, i, 2);
            i += 2;
            continue;
        }
        if (!IsFontSizeWord(rtf, i)) {
            out.push_back(rtf[i++]);
            continue;
        }
        size_t end = i + 3;
        if (rtf[end] == '-')
            ++end;
        while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end])))
            ++end;
        long n = std::strtol(rtf.c_str() + i + 3, nullptr, 10);
        if (n < 1)
            n = largest;
        const long fitted = n == largest ? halfPoints : static_cast<long>(n * ratio);
        char format[16], number[32];
        std::snprintf(format, sizeof format, "%%0%dld", static_cast<int>(end - i - 3));
        std::snprintf(number, sizeof number, format, fitted);
        out += "\\fs";
        out += number;
        i = end;
    }
    return out;
}

int CText::MeasureRtf(HDC dc, SIZE* size, int* lines)
{
    HWND window = m_control ? m_control->GetRichEditWindow() : nullptr;
    const int dpiY = GetDeviceCaps(dc, LOGPIXELSY) > 0 ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    int characters = 0;
    if (window && size) {
        const std::string fitted =
            FitRtfFontSizes(m_text, size->cy, dpiY, static_cast<int>(std::fabs(m_height)), lines);
        // Text without a format of its own is neither bold nor the system font.
        CHARFORMATA plain = {};
        plain.cbSize = sizeof plain;
        plain.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_FACE | CFM_COLOR;
        const std::string face = GetFontNameA().empty() ? m_control->GetDefaultFontName() : GetFontNameA();
        std::strncpy(plain.szFaceName, face.c_str(), LF_FACESIZE - 1);
        SendMessageA(window, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&plain));
        StreamSource source{&fitted, 0};
        EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, ReadRtf};
        characters = static_cast<int>(SendMessageA(window, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream)));
    }
    if (characters > 0) {
        ITextServices* services = TextServicesOf(window);
        LONG width = size->cx > 0 ? size->cx : kUnboundedWidth, height = 0;
        const SIZEL extent = {-1, -1};
        const int mode = SetMapMode(dc, MM_TEXT);
        const HRESULT hr = services ? services->TxGetNaturalSize(DVASPECT_CONTENT, dc, nullptr, nullptr, TXTNS_FITTOCONTENT,
                                                                 &extent, &width, &height)
                                    : E_FAIL;
        SetMapMode(dc, mode);
        if (services)
            services->Release();
        if (FAILED(hr))
            return 0;
        size->cx = width;
        size->cy = height;
        return characters;
    }
    // Nothing to render: the text's own size, in logical units.
    if (size && m_control) {
        const CViewMapping& view = m_control->GetCurrentViewport();
        size->cx = DoubleToIntClamped(std::fabs(m_width * view.GetScaleFactor()));
        size->cy = DoubleToIntClamped(std::fabs(m_height * view.GetScaleFactor()));
    }
    return 0;
}

void CText::RenderRtf(HDC dc, SIZE size)
{
    ITextServices* services = TextServicesOf(m_control ? m_control->GetRichEditWindow() : nullptr);
    if (!services)
        return;
    const RECTL bounds = {0, 0, std::labs(size.cx), std::labs(size.cy)};
    services->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &bounds, nullptr, nullptr, nullptr, 0,
                     TXTVIEW_INACTIVE);
    services->Release();
}

HBITMAP CText::RotateBitmap(HDC, HBITMAP bitmap, double angle, COLORREF background, bool mirrorX, bool mirrorY)
{
    BITMAP info = {};
    if (!bitmap || !GetObject(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return nullptr;
    const LONG w = info.bmWidth, h = info.bmHeight;
    LONG minX = 0, minY = 0;
    SIZE size;
    TurnedBox(angle, w, h, mirrorX, mirrorY, &minX, &minY, &size);
    if (size.cx <= 0 || size.cy <= 0)
        return nullptr;
    // The source's pixels as a top-down 32-bit picture.
    std::vector<DWORD> source(static_cast<size_t>(w) * h);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = w;
    format.bmiHeader.biHeight = -h;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    {
        ycom::WindowDC screen(GetDC(nullptr));
        if (!GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(h), source.data(), &format, DIB_RGB_COLORS))
            return nullptr;
    }
    DWORD* bits = nullptr;
    HBITMAP turned = MakeDib(size.cx, size.cy, &bits);
    if (!turned || !bits)
        return nullptr;
    // Each pixel of the result takes the source pixel that the turn brings there: the inverse
    // turn of its centre, on a background of the colour.
    const double c = std::cos(angle), s = std::sin(angle);
    const DWORD fill = ToDib(background);
    for (LONG y = 0; y < size.cy; ++y) {
        for (LONG x = 0; x < size.cx; ++x) {
            const double tx = x + minX + 0.5, ty = y + minY + 0.5;
            double sx = tx * c - ty * s, sy = tx * s + ty * c;
            if (mirrorX)
                sx = -sx;
            if (mirrorY)
                sy = -sy;
            const LONG px = static_cast<LONG>(std::floor(sx)), py = static_cast<LONG>(std::floor(sy));
            bits[y * size.cx + x] = (px >= 0 && px < w && py >= 0 && py < h) ? source[py * w + px] : fill;
        }
    }
    GdiFlush();
    return turned;
}

// --- Drawing ------------------------------------------------------------------------------------

int CText::Draw(CDrawContext& context)
{
    if (context.flags & (CDrawContext::dcNoFill | CDrawContext::dcFilledOnly | CDrawContext::dcMarks))
        return 1;
    const CPointRecord* anchor = Anchor();
    if (!anchor)
        return 0;
    HDC dc = context.dc;
    if (!dc || !m_control)
        return 1;
    const CEditState& edit = m_control->GetEditState();
    const bool edited = IsEditTarget() == 1;
    if (m_text.empty() && !(edited && edit.editMode == EDSH_POINT)) {
        m_logFont = LOGFONTA{};
        return 1;
    }
    RecalcExtent();
    const double a = m_rotation * kDegreesToRadians;
    const double s = std::sin(a), c = std::cos(a);
    const CViewMapping& view = ViewOf(context);
    const POINT at = view.WorldToViewPoint(*anchor);
    SIZE device;
    WorldToDeviceSize(&device, std::fabs(m_width), std::fabs(m_height));
    const double perPixelX = view.LogicalPerPixelX(), perPixelY = view.LogicalPerPixelY();

    // Tiny texts are a line, on the screen; printers and metafiles get the text itself.
    const bool greekingAllowed = !(context.flags & 0xC0) && GetObjectType(dc) != OBJ_ENHMETADC;
    if (greekingAllowed && device.cy < 6 && !(edited && edit.editMode == EDSH_POINT)) {
        if (device.cy < 3 && device.cx < 20)
            return 1;
        long length = (m_width == 0.0f && m_type != ttRTF) ? m_deviceWidth
                                                           : std::lround(ViewScale() * std::fabs(m_width));
        const long narrow = static_cast<long>(2.0 * m_deviceWidth * m_xScale);
        if (m_deviceWidth > 0 && narrow < length)
            length = narrow;
        if (length < 3)
            return 1;
        ycom::SelectGuard pen(dc, m_control->GetPenCache().GetPen(1, TranslatePenColor(m_penColor, this), 0, 1.0, false));
        MoveToEx(dc, at.x, at.y, nullptr);
        LineTo(dc, at.x + static_cast<long>(length * c * perPixelX), at.y + static_cast<long>(length * s * perPixelY));
        return 1;
    }
    if (m_type != ttRTF && m_width == 0.0f)
        m_width = static_cast<float>(m_deviceWidth / ViewScale());

    CRealPoint frame[5];
    const bool haveFrame = GetTextFrame(frame);
    // The clip pass takes the frame.
    if (context.flags & CDrawContext::dcClipPass) {
        if (haveFrame) {
            POINT points[5];
            view.WorldToViewPoints(frame, points, 5);
            Polyline(dc, points, 5);
        }
        return 1;
    }
    // The frame of a text being edited.
    if (edited && edit.editMode != EDSH_TEXT && (edit.editMode != EDSH_NEWPOINT || !m_points.IsEmpty()) && haveFrame) {
        CRealPoint corners[5];
        std::copy(frame, frame + 5, corners);
        if (m_lineHeight < 0) {
            const double down = 2 * m_height;
            for (int i : {2, 3}) {
                corners[i].x = static_cast<float>(corners[i].x + down * s);
                corners[i].y = static_cast<float>(corners[i].y - down * c);
            }
        }
        POINT points[5];
        view.WorldToViewPoints(corners, points, 5);
        ycom::SelectGuard pen(dc, m_control->GetPenCache().GetPen(1, 0, 0, 1.0, false));
        Polyline(dc, points, 5);
    }
    if (m_text.empty())
        return 1;
    if (m_type == ttRTF)
        return DrawRtf(context, at, device);

    // A plain text: its metafile, played unstretched with its top left corner on the frame's
    // upper left corner, turned about it.
    if (!haveFrame)
        return 1;
    // A text less than a pixel high on the target is left out: its font would come to about a
    // pixel, and a font that small is made at the system's default size, ten pixels and more.
    // A metafile being recorded may be played larger: it keeps the text.
    const DWORD targetType = GetObjectType(dc);
    if (targetType != OBJ_ENHMETADC && targetType != OBJ_METADC) {
        POINT p[2] = {{0, 0}, {0, 10000}};
        if (LPtoDP(dc, p, 2)) {
            const double pixelsPerLogical = std::hypot(p[1].x - p[0].x, p[1].y - p[0].y) / 10000.0;
            if (std::fabs(m_height) * view.GetScaleFactor() * pixelsPerLogical < 1.0)
                return 1;
        }
    }
    // The metafile holds the text at the scale and in the colour it was recorded with.
    const double scale = m_control->GetCurrentViewport().GetScaleFactor();
    const COLORREF colour = TranslatePenColor(m_penColor, this);
    if (m_metafile && (m_metafileScale != scale || m_metafileColour != colour)) {
        DeleteEnhMetaFile(m_metafile);
        m_metafile = nullptr;
    }
    if (!m_metafile) {
        m_metafile = RenderToMetafile();
        m_metafileScale = scale;
        m_metafileColour = colour;
    }
    if (!m_metafile)
        return 1;
    const int corner = m_width >= 0 ? (m_height >= 0 ? 3 : 0) : (m_height >= 0 ? 2 : 1);
    const POINT origin = view.WorldToViewPoint(frame[corner]);
    ENHMETAHEADER header = {};
    GetEnhMetaFileHeader(m_metafile, sizeof header, &header);
    // The picture's frame is in hundredths of a millimetre of the view, ours in tenths.
    const LONG width = (header.rclFrame.right - header.rclFrame.left) / 10;
    const LONG height = (header.rclFrame.bottom - header.rclFrame.top) / 10;
    const RECT target = {origin.x, origin.y, origin.x + width, origin.y - height};
    XFORM previous;
    const bool turned = m_rotation != 0.0 && GetWorldTransform(dc, &previous);
    if (turned) {
        XFORM rotation;
        rotation.eM11 = static_cast<FLOAT>(c);
        rotation.eM12 = static_cast<FLOAT>(s);
        rotation.eM21 = static_cast<FLOAT>(-s);
        rotation.eM22 = static_cast<FLOAT>(c);
        rotation.eDx = static_cast<FLOAT>(origin.x - c * origin.x + s * origin.y);
        rotation.eDy = static_cast<FLOAT>(origin.y - c * origin.y - s * origin.x);
        XFORM combined;
        CombineTransform(&combined, &rotation, &previous);
        SetWorldTransform(dc, &combined);
    }
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    PlayEnhMetaFile(dc, m_metafile, &target);
    SetBkMode(dc, oldMode);
    if (turned)
        SetWorldTransform(dc, &previous);
    return 1;
}

int CText::DrawRtf(CDrawContext& context, const POINT& anchor, SIZE device)
{
    HDC target = context.dc;
    const CViewMapping& view = ViewOf(context);
    // The target's own pixels per logical unit (a printer's or a zoomed bitmap's are finer than
    // the screen's). The text is measured and rendered in those pixels, so that it lands on the
    // target pixel for pixel: a bitmap made at the screen's resolution and stretched onto a finer
    // target shows soft letters.
    double targetX = 0.0, targetY = 0.0;
    {
        POINT p[3] = {{0, 0}, {10000, 0}, {0, 10000}};
        if (LPtoDP(target, p, 3)) {
            targetX = std::hypot(p[1].x - p[0].x, p[1].y - p[0].y) / 10000.0;
            targetY = std::hypot(p[2].x - p[0].x, p[2].y - p[0].y) / 10000.0;
        }
    }
    const double perPixelX = view.LogicalPerPixelX(), perPixelY = view.LogicalPerPixelY();
    // Target pixels per screen pixel of the view.
    double finerX = targetX * perPixelX, finerY = targetY * perPixelY;
    if (!(finerX > 0.0) || !(finerY > 0.0) || !std::isfinite(finerX) || !std::isfinite(finerY))
        finerX = finerY = 1.0;
    // The measuring size: a tenth more than the text's own, in target pixels.
    SIZE size{std::lround(device.cx * finerX * 1.1), std::lround(device.cy * finerY * 1.1)};
    ycom::OwnedDC textDc(CreateCompatibleDC(nullptr));
    if (!textDc)
        return 1;
    int lines = 0;
    if (!MeasureRtf(textDc.Get(), &size, &lines) || size.cx <= 0 || size.cy <= 0)
        return 1;
    // Target pixels per world unit.
    const double perWorld = ViewScale() * finerX;
    const double perWorldY = ViewScale() * finerY;
    // A rich text without a width yet takes the width it renders at.
    if (m_width == 0.0f) {
        m_width = static_cast<float>(size.cx / perWorld);
        SetExtentCached(false);
    }
    const bool mirrorX = m_width < 0, mirrorY = m_height < 0;
    m_lineHeight = static_cast<float>(size.cy / perWorldY);

    // The text on the window's colour.
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    ycom::Bitmap textBitmap(MakeDib(size.cx, size.cy, nullptr));
    if (!textBitmap)
        return 0;
    {
        ycom::SelectGuard selected(textDc.Get(), textBitmap.Get());
        ycom::Brush fill(CreateSolidBrush(background));
        const RECT all = {0, 0, size.cx, size.cy};
        FillRect(textDc.Get(), &all, fill.Get());
        RenderRtf(textDc.Get(), size);
        GdiFlush();
    }
    const double angle = m_rotation * kDegreesToRadians;
    ycom::Bitmap turned;
    if (angle != 0.0 || mirrorX || mirrorY) {
        turned.Reset(RotateBitmap(textDc.Get(), textBitmap.Get(), angle, background, mirrorX, mirrorY));
        if (!turned)
            return 0;
    }
    HBITMAP picture = turned ? turned.Get() : textBitmap.Get();
    BITMAP info = {};
    GetObject(picture, sizeof info, &info);
    LONG minX = 0, minY = 0;
    SIZE box;
    TurnedBox(angle, size.cx, size.cy, mirrorX, mirrorY, &minX, &minY, &box);

    // The mask: white where the window's colour is, black under the text.
    ycom::OwnedDC pictureDc(CreateCompatibleDC(nullptr)), maskDc(CreateCompatibleDC(nullptr));
    ycom::Bitmap mask(CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr));
    if (!pictureDc || !maskDc || !mask)
        return 0;
    ycom::SelectGuard pictureSelected(pictureDc.Get(), picture);
    ycom::SelectGuard maskSelected(maskDc.Get(), mask.Get());
    SetBkColor(pictureDc.Get(), background);
    BitBlt(maskDc.Get(), 0, 0, info.bmWidth, info.bmHeight, pictureDc.Get(), 0, 0, SRCCOPY);

    // Onto the target where the turned text's top left corner falls, in its units (y up), one
    // bitmap pixel on one target pixel.
    const double logicalX = perPixelX / finerX, logicalY = perPixelY / finerY;
    const LONG width = std::max<LONG>(info.bmWidth - 3, 1), height = std::max<LONG>(info.bmHeight - 3, 1);
    const int x = anchor.x + static_cast<int>(std::lround(minX * logicalX));
    const int y = anchor.y - static_cast<int>(std::lround(minY * logicalY));
    const int w = static_cast<int>(std::lround(width * logicalX)), h = -static_cast<int>(std::lround(height * logicalY));
    const COLORREF oldBack = SetBkColor(target, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(target, RGB(0, 0, 0));
    StretchBlt(target, x, y, w, h, pictureDc.Get(), 0, 0, width, height, SRCINVERT);
    StretchBlt(target, x, y, w, h, maskDc.Get(), 0, 0, width, height, SRCAND);
    StretchBlt(target, x, y, w, h, pictureDc.Get(), 0, 0, width, height, SRCINVERT);
    SetBkColor(target, oldBack);
    SetTextColor(target, oldText);
    return 1;
}
