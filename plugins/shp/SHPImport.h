#pragma once
// CSHPImport: an ESRI shapefile (.shp with its .dbf table) read into the drawing as a new layer
// through shapelib: points as small circles, lines and rings as polylines (a record of several
// parts as a group of them), the table's fields as an attribute group whose values go on each
// record's shape. Coordinates can be taken from UTM to geographic or back on the way in.
#include "common/VImporter.h"
#include "SHPExport.h"
#include "shapefil.h"

class SHP_PLUGIN_CLASS CSHPImport : public CVImporter
{
public:
    // The options of ReadyImport.
    enum Option {
        optionColour = 0,         // pen colour of line and ring layers (hatch: the same OR 0xC0C0C0)
        optionAttributeBase = 1,  // the attribute group's ID; types and values are field + base x 100
        optionCoordinates = 2,    // 0 as they are, 1 UTM to geographic, 2 geographic to UTM
        optionEllipsoid = 3,      // the ellipsoid of the conversions (1 to 23)
        optionZone = 4,           // the UTM zone of modes 1 and 2; negative: southern; 0: not set
        optionCount = 5
    };

    CSHPImport(IYVEXControlPtr control, void* user, ProgressCallback callback);
    CSHPImport(IYVEXControlPtr control, const CProgressNotifier& notifier);
    ~CSHPImport() override = default;

    // Options 0 to 4 (1); any other number changes nothing (0).
    int ReadyImport(unsigned long option, unsigned long value) override;
    // 1 when the shapefile was read (also when its kind of shapes is not supported, after a
    // message); 0 when it cannot be opened (no layer is added then) or there is no control.
    int Import(const CString& path, unsigned long, unsigned long) override;

    // The coordinate mode applied to a point.
    void ConvertPoint(double& x, double& y) const;

    long GetOption(int option) const { return option >= 0 && option < optionCount ? m_options[option] : 0; }

private:
    void AddAttributes(IShape* shape, DBFHandle table, int record);

    long m_options[optionCount] = {0, 1, 0, 1, 0};
    std::vector<int> m_fieldTypes;
    IAttributeGroupPtr m_group;
};
