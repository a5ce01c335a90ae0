#include "control/IncludedSite.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"

const CIncludedSite* FindIncludedSite(const CControlCore& control, int shapeId)
{
    const int site = const_cast<CControlCore&>(control).GetShapeMap().GetSourceSiteOfShape(shapeId);
    if (site == 0 || site == -1)
        return nullptr;
    for (const CIncludedSite& entry : control.GetIncludedSites())
        if (entry.siteId == site)
            return &entry;
    return nullptr;
}

std::string IncludedSiteName(const CIncludedSite& site) { return site.name.empty() ? site.fileName : site.name; }
