#pragma once
#include <windows.h>
#include <map>

// The GDI brushes that shape drawing shares, one per style and colour. The cache owns every
// brush: a caller holds a brush by its cache ID and releases that ID when done, never deleting
// the brush itself. A brush goes when its last user releases it.
class CBrushCache
{
public:
    CBrushCache() = default;
    CBrushCache(const CBrushCache&) = delete;
    CBrushCache& operator=(const CBrushCache&) = delete;
    virtual ~CBrushCache();

    // The brush of the style and colour (the hatch field is not compared), made when missing with
    // one use. A brush found gains a use only with addUse. *cacheId (optional) receives its cache
    // ID. Null when the system refuses the brush.
    HBRUSH Acquire(const LOGBRUSH& logBrush, int* cacheId, bool addUse);
    // Drops one use (never below 0); at 0 the brush is deleted and leaves the cache. The uses
    // left, 0 also for an ID the cache does not hold.
    LONG Release(int cacheId);
    void ReleaseAll();

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    LONG GetUseCount(int cacheId) const;

private:
    struct Entry
    {
        LONG uses = 1;
        HBRUSH brush = nullptr;
        LOGBRUSH logBrush{};
    };
    std::map<int, Entry> m_entries;
    int m_nextId = 1;
};

// One brush of the cache held for a scope: acquired with a use of its own, released at the end.
class CCachedBrush
{
public:
    CCachedBrush(CBrushCache* cache, COLORREF colour, UINT style = BS_SOLID);
    CCachedBrush(const CCachedBrush&) = delete;
    CCachedBrush& operator=(const CCachedBrush&) = delete;
    ~CCachedBrush();
    HBRUSH Get() const { return m_brush; }

private:
    CBrushCache* m_cache;
    HBRUSH m_brush = nullptr;
    int m_id = 0;
};
