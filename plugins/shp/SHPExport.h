#pragma once
// CSHPExport: the drawing written as an ESRI shapefile set (.shp, .shx and the .dbf attribute
// table) through shapelib. Lines, polylines and polygons become lines or rings; arcs, circles
// and ellipses 25 points; groups and block references one record of many parts; images the
// shapes of their metafile's block, or their frame. Every attribute prompt of the exported
// shapes becomes a text column of the table (one row per record, at the record's index).
#include <unordered_map>
#include <utility>
#include <vector>
#include "common/VExporter.h"
#include "shapefil.h"

#define SHP_PLUGIN_CLASS __declspec(dllexport)

class SHP_PLUGIN_CLASS CSHPExport : public CVExporter
{
public:
    CSHPExport(IYVEXControlPtr control, void* user, ProgressCallback callback);
    CSHPExport(IYVEXControlPtr control, const CProgressNotifier& notifier);
    ~CSHPExport() override = default;

    // Option 1 adds a layer to the layer list (only shapes on listed layers go out once it is not
    // empty); option 2 sets the attribute mode (values are written while it is 0 or 1). Always 1.
    int ReadyExport(unsigned long option, unsigned long value) override;
    // A non-zero layer keeps only the shapes of that layer (and stays for later exports). 1 when
    // written; 0 without a control or when the shapefile cannot be created.
    int Export(const CString& path, unsigned long layer, unsigned long reserved) override;

    // The steps of Export, for one shape of the drawing.
    void PreInsertShape(IShape* shape);
    void CountLines(IShape* shape);
    // The shape's attribute row at `row` (empty texts without values); 1.
    int InsertAttributes(int row, IShape* shape);
    // Top level (no counter): writes the shape's record, 1 when written. Nested: adds the shape's
    // parts after part *counter - 1 and moves the counter on, 1 when a part was added.
    int InsertShape(IShape* shape, int* partCounter);

    double X(double x) const { return x; }
    double Y(double y) const { return y; }
    double length(double l) const { return l; }

private:
    struct Column {
        CString name;
        std::vector<long> attributeIds;  // the attribute types whose prompt is this name
    };

    bool PassesLayerFilter(IShape* shape);
    void CountChildren(IShape* shape);
    // The vertices of one shape, from `start`; the number written.
    size_t AddVertices(IShape* shape, long type, size_t start);
    size_t AddParts(IShapeCollection* children, int* counter);
    void PutVertex(size_t index, double x, double y);
    bool WriteRecord(int parts, size_t vertices);
    long BlockOfImage(IShape* shape);

    int m_layerFilter = 0;
    SHPHandle m_shapefile = nullptr;  // open during Export only
    DBFHandle m_table = nullptr;
    std::vector<long> m_layerIds;
    int m_attributeMode = 1;
    std::vector<long> m_shapeIds;
    std::vector<Column> m_columns;
    std::unordered_map<long, long> m_imageBlocks;  // image resource -> block made of it
    std::vector<double> m_x;
    std::vector<double> m_y;
    std::vector<int> m_partStarts;
    int m_openShapes = 0;
    int m_closedShapes = 0;
    int m_shapefileType = SHPT_ARC;
    int m_records = 0;
    IShapeCollectionPtr m_siteShapes;  // all shapes of the site, for the run
};
