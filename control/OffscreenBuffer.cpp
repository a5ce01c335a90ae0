#include "control/OffscreenBuffer.h"

namespace {
void SetDrawingModes(HDC dc)
{
    if (!dc)
        return;
    SetGraphicsMode(dc, GM_ADVANCED);
    SetArcDirection(dc, AD_CLOCKWISE);
    SetMapMode(dc, MM_LOMETRIC);
}

HDC MakeLayer(HDC reference, HBITMAP bitmap, HGDIOBJ* old)
{
    HDC dc = CreateCompatibleDC(reference);
    if (dc && bitmap)
        *old = SelectObject(dc, bitmap);
    return dc;
}

// A context of the screen: a window's, or the screen's own (not a printer's, a metafile's or a
// memory context, whose bitmaps take other forms).
bool IsScreenContext(HDC dc)
{
    return dc && GetObjectType(dc) == OBJ_DC && GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY;
}

void FreeLayer(HDC& dc, HBITMAP& bitmap, HGDIOBJ& old)
{
    if (dc && old)
        SelectObject(dc, old);
    if (dc)
        DeleteDC(dc);
    if (bitmap)
        DeleteObject(bitmap);
    dc = nullptr;
    bitmap = nullptr;
    old = nullptr;
}
} // namespace

COffscreenBuffer::~COffscreenBuffer() { Free(); }

void COffscreenBuffer::Create(HDC reference, const RECT& rect)
{
    Free();
    m_referenceDC = reference;
    m_forScreen = IsScreenContext(reference);
    m_width = rect.right - rect.left;
    m_height = rect.bottom - rect.top;
    m_origin = POINT{0, 0};
    const int w = m_width > 0 ? m_width : 0;
    const int h = m_height > 0 ? m_height : 0;

    m_baseBitmap = CreateCompatibleBitmap(reference, w, h);
    m_baseDC = MakeLayer(reference, m_baseBitmap, &m_baseOld);
    if (m_baseDC)
        PatBlt(m_baseDC, 0, 0, w, h, WHITENESS);
    m_compositeBitmap = CreateCompatibleBitmap(reference, w, h);
    m_compositeDC = MakeLayer(reference, m_compositeBitmap, &m_compositeOld);
    if (m_compositeDC)
        PatBlt(m_compositeDC, 0, 0, w, h, WHITENESS);

    SetDrawingModes(m_baseDC);
    SetDrawingModes(m_compositeDC);
    m_baseState = m_baseDC ? SaveDC(m_baseDC) : 0;
    m_compositeState = m_compositeDC ? SaveDC(m_compositeDC) : 0;
}

bool COffscreenBuffer::Reset(HDC dc, int& savedState)
{
    if (!dc || savedState <= 0 || !RestoreDC(dc, savedState))
        return false;
    savedState = SaveDC(dc);
    return savedState > 0;
}

void COffscreenBuffer::Prepare(HDC reference, const RECT& rect)
{
    const bool fits = m_baseDC && m_compositeDC && m_forScreen && IsScreenContext(reference) &&
                      m_width == rect.right - rect.left && m_height == rect.bottom - rect.top;
    if (!fits || !Reset(m_baseDC, m_baseState) || !Reset(m_compositeDC, m_compositeState)) {
        Create(reference, rect);
        return;
    }
    m_referenceDC = reference;
    m_origin = POINT{0, 0};
    // White in device units; the mapping comes back with the state (setting MM_TEXT asks nothing
    // of the display, setting a metric mapping would).
    const int state = SaveDC(m_baseDC);
    SetMapMode(m_baseDC, MM_TEXT);
    PatBlt(m_baseDC, 0, 0, m_width, m_height, WHITENESS);
    RestoreDC(m_baseDC, state);
}

HDC COffscreenBuffer::GetMaskDC() const
{
    if (!m_maskDC && m_baseDC) {
        const int w = m_width > 0 ? m_width : 0;
        const int h = m_height > 0 ? m_height : 0;
        m_maskBitmap = CreateBitmap(w, h, 1, 1, nullptr);
        m_maskDC = MakeLayer(m_baseDC, m_maskBitmap, &m_maskOld);
        SetDrawingModes(m_maskDC);
    }
    return m_maskDC;
}

void COffscreenBuffer::Free()
{
    FreeLayer(m_baseDC, m_baseBitmap, m_baseOld);
    FreeLayer(m_maskDC, m_maskBitmap, m_maskOld);
    FreeLayer(m_compositeDC, m_compositeBitmap, m_compositeOld);
    m_width = m_height = 0;
    m_baseState = m_compositeState = 0;
    m_forScreen = false;
}

void COffscreenBuffer::LogicalExtent(HDC dc, POINT* origin, SIZE* size) const
{
    POINT p[2] = {m_origin, {m_origin.x + m_width, m_origin.y + m_height}};
    DPtoLP(dc, p, 2);
    *origin = p[0];
    size->cx = p[1].x - p[0].x;
    size->cy = p[1].y - p[0].y;
}

void COffscreenBuffer::BlitTo(HDC target)
{
    if (!target)
        target = m_referenceDC;
    if (!target || !m_compositeDC || m_width <= 0 || m_height <= 0)
        return;
    POINT origin;
    SIZE size;
    LogicalExtent(target, &origin, &size);
    POINT source;
    SIZE sourceSize;
    LogicalExtent(m_compositeDC, &source, &sourceSize);
    StretchBlt(target, origin.x, origin.y, size.cx, size.cy, m_compositeDC, source.x, source.y, sourceSize.cx,
               sourceSize.cy, SRCCOPY);
}

void COffscreenBuffer::BlitRect(HDC target, DWORD rop, int x, int y, int width, int height, int sourceX,
                                int sourceY)
{
    if (!target)
        target = m_referenceDC;
    if (!target || !m_compositeDC || m_width <= 0 || m_height <= 0)
        return;
    POINT origin;
    SIZE size;
    LogicalExtent(target, &origin, &size);
    const int w = width != 0 ? width : size.cx;
    const int h = height != 0 ? -height : size.cy;
    BitBlt(target, x, y, w, h, m_compositeDC, sourceX, sourceY, rop);
}

void COffscreenBuffer::CopyBaseToComposite()
{
    if (!m_baseDC || !m_compositeDC || m_width <= 0 || m_height <= 0)
        return;
    POINT origin;
    SIZE size;
    LogicalExtent(m_compositeDC, &origin, &size);
    BitBlt(m_compositeDC, origin.x, origin.y, size.cx, size.cy, m_baseDC, origin.x, origin.y, SRCCOPY);
}

void COffscreenBuffer::CopyBaseRect(int x, int y, int width, int height, int sourceX, int sourceY)
{
    if (!m_baseDC || !m_compositeDC)
        return;
    BitBlt(m_compositeDC, x, y, width, -height, m_baseDC, sourceX, sourceY, SRCCOPY);
}
