#pragma once
// CDGNExport: the drawing written into a new DGN V8 design file. This part holds the exporter's
// state between and during runs: the maps from the drawing's blocks, images and layers to what
// was written for them, the colour table the colours are matched against, the running Z, and the
// host's transformation from the control's world coordinates into design-file coordinates
// (rotation about the base point, then the shift, then the division by the scale).
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include "common/ComWrappers.h"
#include "common/RealRect.h"
#include "common/VExporter.h"

#define DGN_PLUGIN_CLASS __declspec(dllexport)

namespace dgn {
class CApplicationElement;
class IGraphicElement;
class ISymRef;
class CDesignFile;
class CLevelMaskElement;
class IEntity;
}

class DGN_PLUGIN_CLASS CDGNExport : public CVExporter
{
public:
    // The block made for an image resource, with the resource's size.
    struct ImageBlock {
        double width = 0;
        double height = 0;
        long blockId = 0;
    };
    static const int kPaletteEntries = 256;
    // The control's by-layer and by-block colour marks, and the DGN colours they become.
    static const unsigned kByLayerColour = 0x20000000;
    static const unsigned kByBlockColour = 0x40000000;
    static const int kByLevelColourIndex = -1;
    static const int kByCellColourIndex = -2;

    CDGNExport(IYVEXControlPtr control, void* user, ProgressCallback callback);
    CDGNExport(IYVEXControlPtr control, const CProgressNotifier& notifier);
    // A copy is meant for an exporter that is not exporting: it never takes the design file,
    // which has one owner, the run that made it.
    CDGNExport(const CDGNExport& other);
    CDGNExport& operator=(const CDGNExport& other);
    ~CDGNExport() override;

    // Resets the state of a run: no design file, a black palette, no element
    // IDs, counters 0, visible layers only, scale 1 and no rotation. Maps, points, palette size
    // and Z stay.
    void Init();

    // Slot 5: the export run below with the first option as its mode; the second is not read.
    int Export(const CString& path, unsigned long mode, unsigned long ignored) override;
    // The export run: the whole drawing into a new 2-D V8 design file at path (ANSI). 1 when
    // the file was saved; 0 when the user cancelled the options, the file could not be made or
    // saving failed. A failing control call is raised as _com_error, and on that way out too
    // the control gets its redrawing and undo back, hidden layers are hidden again, the blocks
    // the run made are deleted (a block of the user's keeps its name), the design file goes and
    // the library start is ended.
    int Export(CString path, int mode);
    // The run's first step: `mode` becomes the export mode; -1 asks the user through the options
    // dialog (checked by default), whose state becomes the mode on OK. False when the user
    // cancelled: nothing else may happen then.
    bool ChooseExportMode(int mode);
    void SetShift(CRealPoint<double> shift) override { m_shift = shift; }
    void SetScale(double scale) override { m_scale = scale; }
    void SetBase(CRealPoint<double> base) override { m_base = base; }
    void SetRotation(double radians) override { m_rotation = static_cast<float>(radians); }

    // Drawing point to design-file point: rotated by minus the rotation about the base point,
    // shifted, divided by the scale (a scale of 0 divides nothing). The base point is only the
    // centre of the rotation.
    CRealPoint<double> GetPt(const CRealPoint<double>& point) const { return GetPt(point.x, point.y); }
    CRealPoint<double> GetPt(double x, double y) const;
    double GetX(double x, double y) const { return GetPt(x, y).x; }
    double GetY(double x, double y) const { return GetPt(x, y).y; }
    // A direction: rotated about the origin and scaled; no base point, no shift.
    CRealPoint<double> GetVector(const CRealPoint<double>& vector) const;
    double GetLength(double length) const;
    float GetAngleRad(float radians) const { return radians - m_rotation; }
    float GetAngleTextRad(float radians) const { return GetAngleRad(radians); }
    float GetAngle(float degrees) const;
    // The next Z: advanced by the step and kept; raised by 0.5 (not kept) when `raise` is set.
    float GetNextZ(int raise);
    // The DGN colour index nearest to a control colour under the weights 30, 59 and 11 of red,
    // green and blue; -1 for by-layer, -2 for by-block.
    int GetNearestColor(unsigned colour) const;

    // The run's palette: entry 0 black, 1 to 255 the library's DGN colours; 256 entries.
    void FillPalette();
    // The master and sub unit labels of a drawing unit (the Units codes); unknown codes as inches.
    static void GetUnitLabels(int unitId, std::string* master, std::string* sub);
    // The model's units for a drawing in `unitId`: the reference unit is feet for the imperial
    // units and metres otherwise; master units are the drawing unit, sub units a thousandth of
    // it, one storage unit the reference unit (scaled by the export scale), with the labels;
    // the model's background becomes white.
    void SetModelUnits(dgn::CApplicationElement* model, int unitId) const;

    // A new level of model 0 for a layer: its name (empty kept), its pen and hatch colours as
    // palette indices, flags 0x266 and the code layer ID - 1, numbered the lowest free number of
    // the file's level table and entered in the layer-to-level map. The number, 0 when the level
    // cannot be made.
    int AddLevel(dgn::CDesignFile* file, long layerId, const char* name, unsigned penColour, unsigned hatchColour);
    // A level mask of model 0 for a view with the levels of the hidden layers off. It holds a bit
    // for every level number written (the highest decides, as numbers come from the file's level
    // table and need not follow the layer count), at least 16, in whole bytes.
    // The mask goes under owner (a view) when one is given, else into the file.
    dgn::CLevelMaskElement* MakeLevelMask(dgn::CDesignFile* file, std::uint16_t viewNumber,
                                          const std::set<long>& hiddenLayers, dgn::IEntity* owner = nullptr) const;
    // Switches off the levels of the hidden layers in a mask.
    void SwitchOffHiddenLevels(dgn::CLevelMaskElement* mask, const std::set<long>& hiddenLayers) const;
    // The bits such a mask holds.
    std::uint32_t LevelMaskBits() const;

    // One shape into the design file: lines, rectangles and polylines as shape elements, arcs,
    // circles and ellipses, images as cell instances of their blocks or as frames, groups as a
    // graphic group of their children, texts and block references; with level, colour, weight
    // and graphic group. graphicGroup 0 gives none; imageCells 0 writes every image as its
    // frame; allLayers 0 leaves out shapes whose layer has no level (layer 1 always goes).
    // The element made (owned by the design file), null when nothing was written.
    dgn::IEntity* InsertShape(IShapePtr shape, unsigned graphicGroup, int imageCells, int allLayers);

    // What the run and the shape conversion read and set.
    COLORREF* Palette() { return m_palette; }
    void SetPaletteSize(int size) { m_paletteSize = size; }
    void SetZ(float z, float step)
    {
        m_z = z;
        m_zStep = step;
    }
    int GetExportMode() const { return m_exportMode; }
    void SetExportMode(int mode) { m_exportMode = mode; }
    dgn::CDesignFile* GetDesignFile() const { return m_designFile.get(); }
    std::map<long, long>& LayerLevels() { return m_layerLevels; }
    std::map<long, ImageBlock>& ImageBlocks() { return m_images; }
    std::map<long, CString>& BlockNames() { return m_blockNames; }
    std::map<long, unsigned long>& TagSets() { return m_tagSets; }
    int NextGraphicGroup() { return ++m_graphicGroup; }

    // --- Texts, attribute tags, blocks and leaders ---------------------------------------
    // What a text of the control's type is written as: RTF reduced to its plain characters
    // (every control word and group dropped); the line breaks of attribute, attribute-definition
    // and label texts taken out (a break beside a blank goes, a lone one becomes a blank).
    static CString CleanText(const CString& text, long type);
    // The attribute kinds (attribute, attribute definition, label) are written as tags; ANSI,
    // RTF and any other type as text elements.
    static bool IsTagText(long type);
    // The element of a text shape (a tag naming the current tag set and, inside a reference, the
    // reference's cell instance; or a text element with its text style linkage), placed and
    // committed. Level, colour and graphic group are the caller's. Every text advances the tag
    // counter, so the k-th text of a reference (counter reset to 1) takes the ID k + 2 of its
    // block's k-th tag definition. A shape without ITextShape raises E_POINTER.
    dgn::IGraphicElement* InsertText(IShape* shape);
    // The shared cell definition of library group blockId (its children in the block's own
    // coordinates, only scaled) and, with withTags, the tag set "Tag2", "Tag3", ... of its texts
    // (IDs 3, 4, ...). The definition's name; empty (nothing written) when blockId is no group.
    CString ExportBlock(long blockId, int withTags);
    // A new cell instance of cellName at (x, y) (design-file coordinates), scaled by (scaleX,
    // scaleY), then rotated by angleDegrees and against the export rotation, one Z step up.
    dgn::ISymRef* CreateSymRef(CString cellName, double angleDegrees, double scaleX, double scaleY, double x, double y);
    // Kept for callers of the exported class; it only lets the shape go. TRUE.
    int CopyBlockTexts(long blockId, IShapePtr shape, CRealRect<float>& rect, int flags);
    // The leaders of the visible attribute and label texts of the references under shape,
    // entering nested references while depth is above 0.
    void InsertLeader(IShapePtr shape, int depth);
    // One leader of a text, from the container rectangle (the reference's bounds, drawing
    // units) to the text and along it: a 3-vertex shape element with the text's level and colour.
    void InsertLeaderTxt(ITextShapePtr text, const CRealRect<float>& container);
    // The design file written to, owned from here on (a run makes its own; tests hand one in).
    void SetDesignFile(dgn::CDesignFile* file);
    int GetTagCounter() const { return m_tagCounter; }
    void SetTagCounter(int counter) { m_tagCounter = counter; }
    std::uint64_t GetTagSetElementId() const { return m_tagSetElementId; }
    std::uint64_t GetCurrentElementId() const { return m_currentElementId; }
    void SetCurrentElementId(std::uint64_t id) { m_currentElementId = id; }
    // ---------------------------------------------------------------------------------------

private:
    class CRunCleanup;
    class COwnCoordinates;

    void CopyState(const CDGNExport& other);
    // The steps of the run (DGNExportRun.cpp).
    void ExportLevels();
    void ExportViews(const std::set<long>& hiddenLayers);
    void ExportImageBlocks(CRunCleanup& cleanup);
    void ExportLibraryBlocks();
    // The conversions of one kind of shape (DGNExportShapes.cpp; texts in DGNExportText.cpp,
    // references in DGNExportBlocks.cpp).
    dgn::IGraphicElement* InsertVertices(IShape* shape, long kind);
    dgn::IGraphicElement* InsertEllipse(IShape* shape);
    dgn::IGraphicElement* InsertImage(IShape* shape, int imageCells);
    // A cell instance of the reference's block (written first when it has no cell yet), then its
    // texts and custom children, the texts as tags aimed at the instance. Null when the block
    // gives no cell.
    dgn::IGraphicElement* InsertReference(IShape* shape, unsigned graphicGroup);
    void InsertGroup(IShape* group);
    void AddFill(IShape* shape, dgn::IGraphicElement* element);
    void SetSymbology(IShape* shape, long kind, long layer, dgn::IGraphicElement* element, unsigned graphicGroup);
    // The phase's value for the fraction done, reported when it grew by more than a tenth.
    void ReportPhase(int start, int end, double fraction);
    void BeginPhase() { m_phaseFraction = 0; }

    std::uint64_t m_currentElementId = 0;  // the shared-cell instance of the reference being converted
    std::uint64_t m_tagSetElementId = 0;   // the tag set definition tags refer to
    std::map<long, unsigned long> m_tagSets;  // block group -> low 32 bits of its tag set's element ID
    std::map<long, CString> m_blockNames;     // block group -> shared cell name written for it
    std::unique_ptr<dgn::CDesignFile> m_designFile;  // only while a run writes
    COLORREF m_palette[kPaletteEntries] = {};
    int m_paletteSize = 0;
    int m_graphicGroup = 0;  // the last graphic group number handed out
    int m_tagCounter = 0;
    int m_exportMode = 1;  // 0: every layer, hidden ones too; otherwise visible layers only
    std::map<long, ImageBlock> m_images;   // image resource -> its block
    std::map<long, long> m_layerLevels;    // layer shape ID -> level number written
    float m_z = 0;
    float m_zStep = 0;
    CRealPoint<double> m_base;
    float m_rotation = 0;  // radians
    CRealPoint<double> m_shift;
    double m_scale = 1.0;
    double m_phaseFraction = 0;  // the fraction of the running progress phase last reported
};
