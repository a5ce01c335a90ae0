#pragma once
#include <windows.h>

// The mark drawn on one linked point of a shape; style 1 is a filled circular mark.
class CLinkToken
{
public:
    explicit CLinkToken(int style = 1) : m_style(style) {}
    virtual ~CLinkToken() = default;

    int GetStyle() const { return m_style; }
    // Draws the mark into a device rectangle.
    virtual void Draw(HDC dc, const RECT& rect) const;

private:
    int m_style;
};
