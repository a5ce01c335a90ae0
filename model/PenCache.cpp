#include "model/PenCache.h"
#include "model/LineTypeMap.h"
#include <algorithm>

CPenCache::CPenCache(CLineTypeMap* lineTypes) : m_lineTypes(lineTypes)
{
    m_basicColours = {{1, 0x0000FF}, {2, 0x00FFFF}, {3, 0x00FF00}, {4, 0xFFFF00}, {5, 0xFF0000}, {6, 0xFF00FF}};
    m_pens.emplace(-1, CCachedPen());
    // Line type 2 is "CONTINUOUS", 1 the dotted "__SELECTED".
    AddFixedPen(-2, 2, 0x000000, 1.0);
    AddFixedPen(-3, 1, 0x000000, 1.0);
    AddFixedPen(-4, 1, 0x000000, 50.0);
    AddFixedPen(-5, 2, 0xB4B4B4, 1.0);
    AddFixedPen(-6, 2, 0xFF0000, 1.0);
    AddFixedPen(-7, 2, 0x0000FF, 1.0);
    AddFixedPen(-8, 2, 0x000000, 1.0);
    AddFixedPen(-9, 2, 0x00FFFF, 1.0);
    AddFixedPen(-10, 2, 0x00FF00, 1.0);
    AddFixedPen(-11, 2, 0xFFFF00, 1.0);
    m_nextId = 1;
}

CPenCache::~CPenCache() { ClearPens(true); }

void CPenCache::AddFixedPen(int id, int lineTypeId, COLORREF colour, double scale)
{
    const CLineType* lineType = m_lineTypes ? m_lineTypes->Find(lineTypeId) : nullptr;
    if (!lineType)
        return;
    CCachedPen pen(lineType, colour, 0, scale);
    pen.m_id = id;
    m_pens.emplace(id, std::move(pen));
}

HPEN CPenCache::GetPen(int lineTypeId, COLORREF colour, int width, double scale, bool addUse)
{
    return FindOrMake(lineTypeId, colour, width, scale * m_zoomFactor, addUse);
}

HPEN CPenCache::FindOrMake(int lineTypeId, COLORREF colour, int width, double effectiveScale, bool addUse)
{
    for (auto& entry : m_pens) {
        CCachedPen& pen = entry.second;
        bool match;
        if (lineTypeId == -1)
            match = entry.first == -1;
        else
            match = pen.m_lineType && pen.m_lineType->GetId() == lineTypeId && pen.m_colour == colour &&
                    pen.m_width == width && (lineTypeId == 2 || pen.m_scale == effectiveScale);
        if (match) {
            if (addUse)
                ++pen.m_useCount;
            return pen.m_pen;
        }
    }
    if (lineTypeId == -1 || !m_lineTypes)
        return nullptr;
    const CLineType* lineType = m_lineTypes->Find(lineTypeId);
    if (!lineType)
        return nullptr;
    CCachedPen pen(lineType, colour, width, effectiveScale);
    if (pen.HasValidPen()) {
        const int id = m_nextId++;
        pen.m_id = id;
        return m_pens.emplace(id, std::move(pen)).first->second.m_pen;
    }
    // The pattern collapsed at this scale: draw continuous.
    if (lineTypeId == 2)
        return nullptr;
    return FindOrMake(2, colour, width, effectiveScale, addUse);
}

void CPenCache::ClearPens(bool all)
{
    for (auto it = m_pens.begin(); it != m_pens.end();) {
        if (all || it->first >= 0) {
            it->second.DeletePen();
            it = m_pens.erase(it);
        } else {
            ++it;
        }
    }
    m_nextId = 1;
}

float CPenCache::GetMaxPenWidth() const
{
    int widest = 0;
    for (const auto& entry : m_pens)
        widest = std::max(widest, entry.second.m_width);
    return static_cast<float>(widest);
}
