#pragma once
#include <windows.h>

// The off-screen picture of the control: a base layer with the drawing of all shapes, a
// composite layer (base plus marks, handles and the outline under edit) that is shown, and a
// monochrome mask. All three are memory contexts in the advanced graphics mode with clockwise arcs
// and MM_LOMETRIC (0.1 mm per logical unit, y up), the units every shape draws in.
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
    HDC GetMaskDC() const { return m_maskDC; }
    HDC GetReferenceDC() const { return m_referenceDC; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    POINT GetOrigin() const { return m_origin; }

    // Not used by the buffer itself; the shapes that hold a buffer keep their background here.
    COLORREF m_colour = 0xFF0000;

private:
    // The buffer's origin and size in the logical units of a context.
    void LogicalExtent(HDC dc, POINT* origin, SIZE* size) const;

    int m_width = 0;
    int m_height = 0;
    POINT m_origin{0, 0};
    HDC m_referenceDC = nullptr;
    HDC m_baseDC = nullptr;
    HBITMAP m_baseBitmap = nullptr;
    HGDIOBJ m_baseOld = nullptr;
    HDC m_maskDC = nullptr;
    HBITMAP m_maskBitmap = nullptr;
    HGDIOBJ m_maskOld = nullptr;
    HDC m_compositeDC = nullptr;
    HBITMAP m_compositeBitmap = nullptr;
    HGDIOBJ m_compositeOld = nullptr;
};
