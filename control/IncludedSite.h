#pragma once
#include <string>
#include <vector>

class CControlCore;

// A request to load a site into the control, and the entry of the list of modules (sites and
// drawing files) that make up the current drawing. A drawing file gets a negative site ID.
struct CIncludedSite
{
    int siteId = 0;
    // The drawing file of an included file (empty for an included site).
    std::string fileName;
    // The name of an included site (its Sites row's) once it is loaded.
    std::string name;
    CControlCore* control = nullptr;
    // 1: a full load that replaces the drawing; 0: the load adds to it.
    int clear = 0;
    // Layers of the same name merge (bMergeLayers).
    int mergeLayers = 0;
    // ModuleSettingsOverwriting: -1 ignore the loaded viewports and settings, 0 merge them,
    // 1 overwrite the current ones.
    int settingsOption = 0;
    // UnitsSource: -1 keep the current unit, 0 ignore units, 1 take the loaded site's; and the
    // unit in force when the request was made (0 with option 0).
    int unitsOption = 0;
    int unit = 0;
    // DisableModules: -1 disable what was there, 0 enable all, 1 disable what is loaded.
    int enableOption = 0;
    // The load ends at progress 100 and clears the progress key.
    int finalProgress = 0;
    // The percentage of the whole progress this load covers.
    double progressShare = 0.0;
    // The loaded site does not become the current site, nor its view and setting current.
    int keepCurrent = 0;
};

// The entry of the module that holds a shape (the site its database row came from), null for the
// drawing's own site and for shapes that never came from a module.
const CIncludedSite* FindIncludedSite(const CControlCore& control, int shapeId);
// What the dialogs call a module: the site's name, else the file's name.
std::string IncludedSiteName(const CIncludedSite& site);

// The part of one 0-100 progress scale that the rows of one site fill.
struct CProgressRange
{
    double scale = 0.0;   // percent of the whole this site's work covers
    double offset = 0.0;  // percent covered before it
    int total = 0;        // items of this site
};

// The entry of the list of included modules that holds a site (or drawing file, by its negative
// ID); null when the site is not one of them.
const CIncludedSite* FindIncludedSite(const std::vector<CIncludedSite>& sites, int siteId);
