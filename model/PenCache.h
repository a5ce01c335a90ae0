#pragma once
#include <windows.h>
#include <map>
#include "model/CachedPen.h"

class CLineTypeMap;

// Shared GDI pens by line type, colour, device width and zoom. The cache owns every pen; callers
// select them and never delete them. The fixed pens -1 to -11 live as long as the cache; pens made
// on demand (IDs from 1) go when the zoom changes.
class CPenCache
{
public:
    explicit CPenCache(CLineTypeMap* lineTypes);
    CPenCache(const CPenCache&) = delete;
    CPenCache& operator=(const CPenCache&) = delete;
    virtual ~CPenCache();

    // The pen for a line type (-1: the null pen) at scale * zoom factor; null when the line type
    // is unknown. A pattern that collapses at this scale gives the continuous pen.
    HPEN GetPen(int lineTypeId, COLORREF colour, int width, double scale, bool addUse);
    // all = false (a zoom change): the pens made on demand go and numbering restarts at 1.
    // all = true: every pen goes.
    void ClearPens(bool all);
    float GetMaxPenWidth() const;

    double GetZoomFactor() const { return m_zoomFactor; }
    // The site's line pattern scale: pens made at the old one go.
    void SetZoomFactor(double factor)
    {
        m_zoomFactor = factor;
        ClearPens(false);
    }
    float GetWidthFactor() const { return m_widthFactor; }
    void SetWidthFactor(float factor) { m_widthFactor = factor; }
    const std::map<int, CCachedPen>& Pens() const { return m_pens; }
    int GetNextId() const { return m_nextId; }

private:
    HPEN FindOrMake(int lineTypeId, COLORREF colour, int width, double effectiveScale, bool addUse);
    void AddFixedPen(int id, int lineTypeId, COLORREF colour, double scale);

    std::map<int, CCachedPen> m_pens;
    int m_nextId = 1;
    CLineTypeMap* m_lineTypes;
    std::map<int, COLORREF> m_basicColours;
    double m_zoomFactor = 50.0;
    float m_widthFactor = 10.0f;
};
