#pragma once
// CDC: a device context with the drawing members the plug-ins use. FromHandle gives a temporary
// object for a handle that someone else owns (the PDF engine's page, a window's DC): the same
// object for the same handle on a thread, kept until DeleteTempMap; it never deletes the DC.
#include <windows.h>
#include "afx/Size.h"

class CDC
{
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    static CDC* FromHandle(HDC dc);
    // Lets the calling thread's temporary objects go (their handles stay with their owners).
    static void DeleteTempMap();

    // A memory DC owned by this object (deleted with it), compatible with `other` or the screen.
    BOOL CreateCompatibleDC(CDC* other);
    BOOL Attach(HDC dc);
    HDC Detach();
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    HGDIOBJ SelectStockObject(int index) { return ::SelectObject(m_hDC, GetStockObject(index)); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
    COLORREF SetTextColor(COLORREF colour) { return ::SetTextColor(m_hDC, colour); }
    COLORREF SetBkColor(COLORREF colour) { return ::SetBkColor(m_hDC, colour); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    UINT SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }

    POINT MoveTo(int x, int y);
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
    BOOL Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
    void FillSolidRect(const RECT& rect, COLORREF colour);
    // Text from its first `length` characters (all of it for -1).
    BOOL TextOut(int x, int y, const char* text, int length = -1);
    CSize GetTextExtent(const char* text, int length = -1) const;

    HDC m_hDC = nullptr;

private:
    bool m_owned = false;
};
