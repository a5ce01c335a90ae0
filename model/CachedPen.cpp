#include "model/CachedPen.h"
#include "model/LineType.h"
#include <utility>

CCachedPen::CCachedPen() : m_colour(0x808080), m_pen(::CreatePen(PS_NULL, 0, 0x808080)) {}

CCachedPen::CCachedPen(const CLineType* lineType, COLORREF colour, int width, double scale)
    : m_lineType(lineType), m_colour(colour), m_width(width), m_id(0), m_scale(scale)
{
    if (lineType)
        m_pen = lineType->CreatePen(colour, width, scale);
}

CCachedPen::CCachedPen(CCachedPen&& other) noexcept
    : m_useCount(other.m_useCount), m_lineType(other.m_lineType), m_colour(other.m_colour), m_width(other.m_width),
      m_id(other.m_id), m_pen(std::exchange(other.m_pen, nullptr)), m_scale(other.m_scale)
{
}

CCachedPen::~CCachedPen()
{
    if (m_useCount < 1)
        DeletePen();
}

void CCachedPen::DeletePen()
{
    if (HasValidPen())
        DeleteObject(m_pen);
    m_pen = nullptr;
}
