#include "model/BrushCache.h"

CBrushCache::~CBrushCache() { ReleaseAll(); }

HBRUSH CBrushCache::Acquire(const LOGBRUSH& logBrush, int* cacheId, bool addUse)
{
    for (auto& entry : m_entries) {
        Entry& e = entry.second;
        if (e.logBrush.lbStyle == logBrush.lbStyle && e.logBrush.lbColor == logBrush.lbColor) {
            if (addUse)
                ++e.uses;
            if (cacheId)
                *cacheId = entry.first;
            return e.brush;
        }
    }
    HBRUSH brush = CreateBrushIndirect(&logBrush);
    if (!brush)
        return nullptr;
    Entry e;
    e.brush = brush;
    e.logBrush = logBrush;
    const int id = m_nextId++;
    m_entries.emplace(id, e);
    if (cacheId)
        *cacheId = id;
    return brush;
}

LONG CBrushCache::Release(int cacheId)
{
    auto it = m_entries.find(cacheId);
    if (it == m_entries.end())
        return 0;
    Entry& e = it->second;
    if (e.uses > 0)
        --e.uses;
    if (e.uses > 0)
        return e.uses;
    DeleteObject(e.brush);
    m_entries.erase(it);
    return 0;
}

void CBrushCache::ReleaseAll()
{
    for (auto& entry : m_entries)
        DeleteObject(entry.second.brush);
    m_entries.clear();
}

LONG CBrushCache::GetUseCount(int cacheId) const
{
    auto it = m_entries.find(cacheId);
    return it == m_entries.end() ? 0 : it->second.uses;
}

CCachedBrush::CCachedBrush(CBrushCache* cache, COLORREF colour, UINT style) : m_cache(cache)
{
    if (!m_cache)
        return;
    LOGBRUSH logBrush = {style, colour, 0};
    // A brush made now starts with this holder's use; a brush found gains one.
    m_brush = m_cache->Acquire(logBrush, &m_id, true);
}

CCachedBrush::~CCachedBrush()
{
    if (m_cache && m_brush)
        m_cache->Release(m_id);
}
