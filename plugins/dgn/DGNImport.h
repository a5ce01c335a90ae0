#pragma once
// CDGNImport: the importer of the dgn plug-in. It reads a DGN design file (V7 or V8) and builds
// the control's shapes from its elements. This file holds the object itself: its state, the
// mapping from design-file coordinates into the control's world, the getters that tell a host
// what transformation the last import applied, the point-list helpers, and the running extent
// of the bounds pre-pass.
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include "afx/Rect.h"
#include "common/RealRect.h"
#include "common/VImporter.h"

#ifndef DGN_PLUGIN_CLASS
#define DGN_PLUGIN_CLASS __declspec(dllexport)
#endif

namespace dgn {
class CDesignFile;
class CDgnString;
class CLevelMaskElement;
class CReferenceAttachment;
class IElement;
class IGraphicElement;
class ISymRef;
} // namespace dgn

// The horizontal scale of an attribute text from its character width and height (design-file
// units) and the width of text in fontName against "Courier new" (an empty name is measured as
// "Arial"); 1.0 for a zero width or height.
double GetTextXScale(double width, double height, const CString& text, CString fontName);

// A graphic group the import has made a group shape for: the shape and four words of its own.
struct CDGNGraphicGroup {
    long groupId = 0;
    std::uint32_t words[4] = {0, 0, 0, 0};
};

class DGN_PLUGIN_CLASS CDGNImport : public CVImporter
{
public:
    CDGNImport(IYVEXControlPtr control, void* user, ProgressCallback callback);
    CDGNImport(IYVEXControlPtr control, const CProgressNotifier& notifier);
    // A copy takes every setting and table but never the design file: only the importer that
    // opened a file deletes it.
    CDGNImport(const CDGNImport& other);
    CDGNImport& operator=(const CDGNImport& other);
    ~CDGNImport() override;

    // The fields a new run starts from (tables, origin, pivot and extents keep their contents;
    // the design file pointer is dropped, not deleted).
    void Init();

    // Reads the design file at path into the drawing; the option words are not used.
    int Import(const CString& path, unsigned long option, unsigned long value) override;
    CRealPoint<double> GetShift() override;
    double GetScale() override;
    CRealPoint<double> GetBase() override;
    double GetRotation() override;

    float GetAngle() const { return m_viewRotation; }
    long GetXShift() const { return m_shiftX; }
    long GetYShift() const { return m_shiftY; }
    long GetBaseX() const { return static_cast<long>(m_viewPivot.x); }
    long GetBaseY() const { return static_cast<long>(m_viewPivot.y); }

    // Widens the running extent by (x, y), or with reset empties it (the next point starts it
    // again); the extent after the call, each side truncated toward zero. Coordinates are 64-bit:
    // a V8 file's reach beyond 2^31 design units must neither wrap nor be cut.
    CRealRect<double> CheckPoint(std::int64_t x, std::int64_t y, int reset);

    // ---- The import run and the bounds pre-pass (DGNImportRun.cpp, DGNImportBounds.cpp) ----
    // Shared cell extents by name, relative to the insertion point: left/top the high corner,
    // right/bottom the low one.
    typedef std::map<std::string, CRealRect<double>> BlockBounds;
    // Feeds the element's characteristic points (by type) to CheckPoint, writing the extent into
    // rect after each; 1 for a handled type, 0 otherwise (or without its geometry). A view sets
    // rect to its own extent when useViews is set; an attachment widens the running extent only.
    int GetBounds(dgn::IElement* element, CRealRect<double>& rect, BlockBounds* blockBounds, int useViews);
    // CheckPoint of (x, y) truncated toward zero, the extent written into rect.
    void FeedPoint(double x, double y, CRealRect<double>& rect);
    // A library string as narrow (ANSI) text; empty for none.
    static std::string NarrowText(dgn::CDgnString* text);

protected:
    // One pass over the current design file: units and scale, the bounds pre-pass, the shift and
    // view rotation (top level only), reference attachments as groups, levels as layers, the
    // elements, the graphic groups. chain holds the files being imported up the attachment
    // chain. TRUE.
    int ImportDGN(int createLayers, int topLevel, const std::set<const dgn::CDesignFile*>* chain);
    // The site's unit and the importer's scale from the model header of model 0.
    void ChooseUnitsAndScale(int topLevel);
    // The bounds pre-pass: extent, pattern scales, shift and view rotation.
    void MeasureDrawing();
    // The site's line pattern scale and the first drawing setting's arrow, line and hatch scales.
    void SetPatternScales(double patternScale);
    void ImportAttachments(const std::set<const dgn::CDesignFile*>* chain);
    // An attached file's content inside group; false when its import failed.
    bool ImportAttachedFile(dgn::CReferenceAttachment* ref, dgn::CDesignFile* attached, IShapePtr group, const CString& name,
                            const std::set<const dgn::CDesignFile*>* chain);
    void CreateLayers();
    // Each level's layer shown or hidden as the mask has the level on or off.
    void ShowLevels(const dgn::CLevelMaskElement& mask);
    void ImportElements();
    void GatherGraphicGroups();
    // The draft and grid limits from the drawing's bounds, then the zoom; failures of either are
    // left alone (a control without a size yet cannot zoom).
    void SetLimitsAndZoom();
    int InstanceBounds(dgn::ISymRef* instance, CRealRect<double>& rect, BlockBounds* blockBounds);
    // The scale that maps design units into targetUnit (through the master unit the pass chose).
    double UnitScale(int targetUnit) const;

    // What a nested pass changes and gives back.
    struct MappingState {
        long shiftX, shiftY;
        IShapeCollectionPtr shapes;
        float rotation, viewRotation;
        CString prefix;
        CRealPoint<double> origin, pivot;
        double scale;
        COLORREF colour0;
    };

    // The unit choice of the top-level pass: the master unit, its fit, and the scale before it.
    int m_sourceUnit = 0;
    double m_masterMatch = -1.0;
    double m_unitBaseScale = 1.0;

protected:
    // The import run proper: the library started and ended, the file opened and deleted, the
    // control frozen, one pass over the file, limits and zoom. FALSE with state 0x80010100 when
    // the library does not start or the file does not open; COM errors leave by exception, with
    // the control, the file and the library put back first.
    virtual int ImportFile(const CString& path);

    // Design-file coordinates into the control's: the origin taken off, scaled, rotated about
    // (0, 0), shifted, then rotated by the view rotation about the view pivot.
    CRealPoint<double> DGNPt(const CRealPoint<double>& p) const;
    CRealPoint<double> DGNPt(double x, double y) const;
    // A direction: scaled and turned by both rotations about (0, 0).
    CRealPoint<double> DGNVector(const CRealPoint<double>& v) const;
    CRealPoint<double> DGNVector(double x, double y) const;
    double DGNDistance(double d) const;
    double DGNAngleRad(double radians) const;
    double DGNTextAngleRad(double radians) const;

    // A point array of the design file's elements (2-D points in a 2-D file, 3-D ones in a 3-D
    // file; both begin with x and y): its count, and a coordinate of point index (x when
    // selector is not 0, else y), 0.0 past the end or without a list.
    long GetListCount(void* list) const;
    double GetListCoord(void* list, int index, int selector) const;

    std::map<std::string, long> m_blockTable;
    // Converted shared cell instances: the element (a pointer, 64 bits on x64) and its reference.
    std::map<const dgn::IElement*, long> m_instanceTable;
    CRealRect<double> m_viewExtent;
    long m_shiftX = 0;
    long m_shiftY = 0;
    double m_factor = 1.0;
    unsigned char m_skipViewLevels = 0;
    std::map<long, long> m_levelLayers;
    std::multimap<unsigned long, long> m_graphicGroupMembers;
    std::map<unsigned long, CDGNGraphicGroup> m_graphicGroups;
    CString m_namePrefix;
    float m_rotation = 0;
    float m_viewRotation = 0;
    float m_cosRotation = 1.0f;
    float m_sinRotation = 0;
    double m_scale = 1.0;
    CRealPoint<double> m_origin;
    CRealPoint<double> m_viewPivot;
    std::set<const dgn::IElement*> m_converted;
    long m_currentGroupId = 0;
    unsigned long m_highestGraphicGroup = 0;
    long m_takeViewExtent = 1;
    // Set once an attachment's group is kept: the import then ends showing the whole drawing.
    bool m_attachmentImported = false;
    COLORREF m_colours[256] = {};
    std::unique_ptr<dgn::CDesignFile> m_designFile;
    CRealRect<double> m_runningExtent;
    long m_firstPoint = 1;

    // ---- Elements into shapes (DGNImportShapes.cpp, DGNImportCells.cpp, DGNImportText.cpp) ----
protected:
    // Turns one element of the open design file into shapes added to target (or to the group in
    // which its graphic group was first seen): 1 when the element was handled, made a shape or
    // not; 0 when it was converted before, is of a type not imported, lacks its data or its
    // conversion failed. COM failures are raised as _com_error.
    int GetShape(dgn::IElement* element, IShapeCollectionPtr target);
    // The element's graphic group, 0 for none (and for type 90 or a non-graphic element).
    unsigned long GetGraphicGroup(dgn::IElement* element) const;

    // What one conversion made: the shape that takes the element's symbology (none for the
    // kinds that take none), its ID, and the layer it goes to by name rather than by level.
    struct ConvertedShape {
        IShapePtr shape;
        long id = 0;
        CString layerName;
        // The hatch colour holds something of the shape's own (an attribute text's tag ID).
        bool keepHatch = false;
    };
    // The conversions of the element kinds; each answers GetShape's result.
    int ConvertLine(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out);
    int ConvertVertices(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out);
    int ConvertComplex(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out);
    int ConvertEllipse(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out);
    int ConvertDimension(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out);
    int ConvertView(dgn::IElement* element);
    int ConvertCell(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out);
    int ConvertSharedCellDefinition(dgn::IElement* element);
    int ConvertSharedCellInstance(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out);
    int ConvertTextNode(dgn::IElement* element, IShapeCollectionPtr& working);
    // The group takes the pen colour and layer of the first of its members; false without one.
    bool TakeFirstShapesLook(IShapePtr group, IShapeCollectionPtr& members);
    int ConvertText(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out);
    int ConvertTag(dgn::IElement* element, IShapeCollectionPtr& working, ConvertedShape& out);

    // A polyline of the mapped points in working (at least two: missing ones are (0, 0)), closed
    // when closed is set or its last point repeats the first (which is then left out).
    IPolylineShapePtr AddMappedPolyline(IShapeCollectionPtr& working, const std::vector<CRealPoint<double>>& points,
                                        bool closed, ConvertedShape& out);
    // Pen weight, pen colour (not for groups), layer and fill of the element on shape.
    void ApplySymbology(dgn::IGraphicElement* element, const ConvertedShape& made);
    // A DGN colour index as the control's colour: by level and by cell as such, 0-255 through
    // the colour table, anything else by level.
    COLORREF MapColour(std::int32_t index) const;
    // The site's shapes, for look-ups and deletions anywhere in the drawing.
    IShapeCollectionPtr SiteShapes();
    // A shape by ID in shapes, null when there is none.
    static IShapePtr ItemById(IShapeCollectionPtr& shapes, long id);
    // How many shapes a collection holds, and its shape at a 1-based index (null for none).
    static long CountOf(IShapeCollectionPtr& shapes);
    static IShapePtr ItemAt(IShapeCollectionPtr& shapes, long index);
    // A library string as a BSTR: 8-bit text is Windows-1252.
    static _bstr_t DgnText(dgn::CDgnString* text);
    // Where a text of height h at angle a (radians) is anchored for its mapped origin p.
    static CRealPoint<double> TextAnchor(const CRealPoint<double>& p, double h, double a);
};
