#include "control/IncludedSite.h"

const CIncludedSite* FindIncludedSite(const std::vector<CIncludedSite>& sites, int siteId)
{
    for (const CIncludedSite& site : sites)
        if (site.siteId == siteId)
            return &site;
    return nullptr;
}
