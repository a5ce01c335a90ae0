#pragma once
#include <windows.h>

class CLineType;

// One pen of the pen cache: a GDI pen made for a line type, colour, device width and dash scale.
// Without a line type it is the grey null pen (ID -1).
class CCachedPen
{
public:
    // The null pen.
    CCachedPen();
    CCachedPen(const CLineType* lineType, COLORREF colour, int width, double scale);
    CCachedPen(const CCachedPen&) = delete;
    CCachedPen& operator=(const CCachedPen&) = delete;
    CCachedPen(CCachedPen&& other) noexcept;
    // A pen still in use (count 1 or more) belongs to its cache, which deletes it.
    virtual ~CCachedPen();

    bool HasValidPen() const { return m_pen && m_pen != reinterpret_cast<HPEN>(static_cast<INT_PTR>(-1)); }
    void DeletePen();

    int m_useCount = 1;
    const CLineType* m_lineType = nullptr;
    COLORREF m_colour = 0;
    int m_width = 0;
    int m_id = -1;
    HPEN m_pen = nullptr;
    double m_scale = 0.0;
};
