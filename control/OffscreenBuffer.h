#pragma once
#include <windows.h>

// The off-screen picture of the control: a base layer with the drawing of all shapes, a
// composite layer (base plus marks, handles and the outline under edit) that is shown, and a
// monochrome mask (made when first asked for). All three are memory contexts in the advanced
// graphics mode with clockwise arcs and MM_LOMETRIC (0.1 mm per logical unit, y up), the units
// every shape draws in.
class COffscreenBuffer
{
public:
    COffscreenBuffer() = default;
    COffscreenBuffer(const COffscreenBuffer&) = delete;
    COffscreenBuffer& operator=(const COffscreenBuffer&) = delete;
    virtual ~COffscreenBuffer();

    // New layers of the rectangle's size (device pixels), compatible with the reference context,
    // both colour layers white. The origin is (0, 0).
    void Create(HDC reference, const RECT& rect);
    // The layers for a paint of the rectangle's size: the present ones when they have that size
    // and were made for a screen, as the reference is, else new ones (Create). Kept layers come
    // back in the state new ones have (modes, selections, no clipping), the base layer white and
    // the composite layer holding what it held (the paint covers it from the base). Making layers
    // and setting their metric mapping asks the display each time; a window repaints at one size.
    void Prepare(HDC reference, const RECT& rect);
    void Free();

    // The whole composite layer onto the target (the reference context when null).
    void BlitTo(HDC target);
    // A rectangle of the composite layer onto the target in the target's logical units. A width
    // of 0 is the buffer's width, a height of 0 its height; a height is given positive and goes
    // downwards in the y-up mapping.
    void BlitRect(HDC target, DWORD rop, int x, int y, int width, int height, int sourceX, int sourceY);
    void CopyBaseToComposite();
    void CopyBaseRect(int x, int y, int width, int height, int sourceX, int sourceY);

    HDC GetBaseDC() const { return m_baseDC; }
    HDC GetCompositeDC() const { return m_compositeDC; }
    HDC GetMaskDC() const;
    HDC GetReferenceDC() const { return m_referenceDC; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    POINT GetOrigin() const { return m_origin; }

    // Not used by the buffer itself; the shapes that hold a buffer keep their background here.
    COLORREF m_colour = 0xFF0000;

private:
    // The buffer's origin and size in the logical units of a context.
    void LogicalExtent(HDC dc, POINT* origin, SIZE* size) const;
    // Back to the state the layer had when it was made; false when that state is no longer kept.
    static bool Reset(HDC dc, int& savedState);

    // Whether the layers were made for a screen (a window's or the screen's context).
    bool m_forScreen = false;
    // The drawing state of each colour layer as made (SaveDC levels).
    int m_baseState = 0;
    int m_compositeState = 0;
    int m_width = 0;
    int m_height = 0;
    POINT m_origin{0, 0};
    HDC m_referenceDC = nullptr;
    HDC m_baseDC = nullptr;
    HBITMAP m_baseBitmap = nullptr;
    HGDIOBJ m_baseOld = nullptr;
    mutable HDC m_maskDC = nullptr;
    mutable HBITMAP m_maskBitmap = nullptr;
    mutable HGDIOBJ m_maskOld = nullptr;
    HDC m_compositeDC = nullptr;
    HBITMAP m_compositeBitmap = nullptr;
    HGDIOBJ m_compositeOld = nullptr;
};
