#include "afx/DC.h"
#include <cstring>
#include <map>
#include <memory>

namespace {

using TempMap = std::map<HDC, std::unique_ptr<CDC>>;

TempMap& Temporaries()
{
    thread_local TempMap map;
    return map;
}

int TextLength(const char* text, int length)
{
    return !text ? 0 : length < 0 ? static_cast<int>(std::strlen(text)) : length;
}

} // namespace

CDC::~CDC()
{
    if (m_owned && m_hDC)
        DeleteDC(m_hDC);
}

CDC* CDC::FromHandle(HDC dc)
{
    if (!dc)
        return nullptr;
    std::unique_ptr<CDC>& slot = Temporaries()[dc];
    if (!slot) {
        slot.reset(new CDC);
        slot->m_hDC = dc;
    }
    return slot.get();
}

void CDC::DeleteTempMap() { Temporaries().clear(); }

BOOL CDC::CreateCompatibleDC(CDC* other)
{
    HDC dc = ::CreateCompatibleDC(other ? other->m_hDC : nullptr);
    if (!dc)
        return FALSE;
    if (m_owned && m_hDC)
        DeleteDC(m_hDC);
    m_hDC = dc;
    m_owned = true;
    return TRUE;
}

BOOL CDC::Attach(HDC dc)
{
    if (!dc || m_hDC)
        return FALSE;
    m_hDC = dc;
    m_owned = true;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    m_hDC = nullptr;
    m_owned = false;
    return dc;
}

POINT CDC::MoveTo(int x, int y)
{
    POINT previous = {0, 0};
    MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

void CDC::FillSolidRect(const RECT& rect, COLORREF colour)
{
    const COLORREF old = ::SetBkColor(m_hDC, colour);
    ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

BOOL CDC::TextOut(int x, int y, const char* text, int length)
{
    return ::TextOutA(m_hDC, x, y, text ? text : "", TextLength(text, length));
}

CSize CDC::GetTextExtent(const char* text, int length) const
{
    SIZE size = {0, 0};
    GetTextExtentPoint32A(m_hDC, text ? text : "", TextLength(text, length), &size);
    return CSize(size);
}
