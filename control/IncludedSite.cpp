#include "control/IncludedSite.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"

const CIncludedSite* FindIncludedSite(const std::vector<CIncludedSite>& sites, int siteId)
{
    for (const CIncludedSite& site : sites)
        if (site.siteId == siteId)
            return &site;
    return nullptr;
}

const CIncludedSite* FindIncludedSite(const CControlCore& control, int shapeId)
{
    const int site = const_cast<CControlCore&>(control).GetShapeMap().GetSourceSiteOfShape(shapeId);
    if (site == 0 || site == -1)
        return nullptr;
    return FindIncludedSite(control.GetIncludedSites(), site);
}

std::string IncludedSiteName(const CIncludedSite& site) { return site.name.empty() ? site.fileName : site.name; }
