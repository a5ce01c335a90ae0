#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include "model/EditState.h"
#include "model/RealPoint.h"

class CShape;
class CGroup;
class CLayer;
class CPointPool;
class CLineTypeMap;
class CHatchPatternMap;
class CImageResourceMap;
class CPenCache;
class CBrushCache;
class CLinkedPointMap;
class CShapeStateMap;
class CFontCache;
class CShapeIndex;
class CShapeRecorder;
class CViewMapping;
class CDrawingSettingRecord;
class CDxfDocument;
class CDataTableSet;
class CTextEditorDialog;
class CAttributeTypeMap;
class CAttributeGroupMap;
class CAttributeMap;

// The next database IDs of the rows that tie points to shapes, of polyline vertices and of layer
// settings; each is raised past every row written. A vertex counter of 0 is not known yet: the
// database is asked then.
struct CDbIdCounters
{
    int shapePoint = 1;
    int linkedPoint = 1;
    int vertex = 0;
    int layerSetting = 1;
};

// What a shape asks of the control it belongs to. The model reaches its control only through this
// interface (and the shape map's CShapeIndex and the undo recorder's CShapeRecorder that it hands
// out), so the shapes sit below the control: the control core implements it, a test may implement
// it alone. A shape keeps a pointer to its host, which outlives every shape of the host.
class CShapeHost
{
public:
    virtual ~CShapeHost() = default;

    // --- Containers the shapes share ------------------------------------------------------
    virtual CShapeIndex& GetShapeMap() = 0;
    virtual CPointPool& GetPointPool() = 0;
    virtual CLinkedPointMap& GetLinkedPointMap() = 0;
    virtual CShapeStateMap& GetShapeStateMap() = 0;
    // The GDI fonts of the texts.
    virtual CFontCache& GetFontCache() = 0;
    virtual CLineTypeMap& GetLineTypeMap() = 0;
    virtual CPenCache& GetPenCache() = 0;
    virtual CBrushCache& GetBrushCache() = 0;
    // The drawing's hatch patterns and the site's image resources (image shapes and image
    // patterns show them).
    virtual CHatchPatternMap& GetHatchPatternMap() = 0;
    virtual CImageResourceMap& GetImageResourceMap() = 0;
    // World units per hatch pattern unit.
    virtual float GetHatchUnitFactor() const = 0;
    // The view the shapes hit-test and measure in (a draw takes the view of its draw context).
    virtual CViewMapping& GetCurrentViewport() = 0;
    // The current drawing setting "CURRENT" (null while the control has none).
    virtual CDrawingSettingRecord* GetCurrentDrawingSetting() = 0;
    // The undo hooks; null when nothing records.
    virtual CShapeRecorder* GetUndoRecorder() = 0;
    // The DXF document of the transfer in progress.
    virtual CDxfDocument& GetDxfDocument() = 0;
    virtual CDbIdCounters& GetDbIdCounters() = 0;
    virtual CEditState& GetEditState() = 0;
    virtual const CEditState& GetEditState() const = 0;

    // --- Site and control state ---------------------------------------------------------------
    virtual int GetSiteId() const = 0;
    virtual int GetScenarioId() const = 0;
    // YVEXControlFlags, and the mode word (bit 0x4: no hit testing).
    virtual DWORD GetControlFlags() const = 0;
    virtual DWORD GetModeWord() const = 0;
    // The DXF option bits: kDxfImagesAsSolids writes image shapes as SOLID quadrilaterals;
    // kDxfHideEditedImage leaves an image undrawn (but for its frame) while it is being edited.
    static const DWORD kDxfImagesAsSolids = 0x4;
    static const DWORD kDxfHideEditedImage = 0x20;
    virtual DWORD GetDxfOptions() const { return 0; }
    // The picture that the interactive creation of an image shape takes: a resource ID (0: none;
    // an ID the map lacks is tried as a database ID), the size to give the image (0 x 0: the
    // picture's own), and whether a metafile picture becomes a block reference instead.
    struct CPendingImage
    {
        int resourceId = 0;
        float width = 0.0f;
        float height = 0.0f;
        bool metafileAsBlock = false;
    };
    virtual CPendingImage GetPendingImage() const { return CPendingImage(); }
    // The library block that a metafile picture (resource ID) becomes, made when it has none yet;
    // 0 for another picture or when none can be made.
    virtual int MakeBlockOfImageResource(int resourceId) { (void)resourceId; return 0; }
    // At the commit of an image's creation: when the creation asked for its metafile picture as a
    // block reference, the creation ends uncommitted and a reference to the picture's block takes
    // the image's rectangle; true then (the image is gone). False leaves the image to commit.
    virtual bool PlaceImageAsReference(CShape* image) { (void)image; return false; }
    // A base for handles and temporary IDs above every shape ID: the shape map's ID counter plus
    // 100.
    virtual int GetIdBaseAboveShapes() const = 0;
    // The face name of new texts: the default text shape's, "Arial" when it has none.
    std::string GetDefaultFontName() const;
    // Whether the user may interact: the control is enabled and no long operation runs.
    virtual bool AllowsInteraction() const = 0;
    // The block reference edited in place, or null.
    virtual CShape* GetEditedReference() const = 0;
    // Set while the control takes its whole drawing down.
    virtual bool IsTearingDown() const = 0;
    // The control's window (null before it has one); timers and hit-test contexts use it.
    virtual HWND GetControlWindow() const = 0;
    // Whether events go to the host application.
    virtual bool EventsEnabled() const = 0;
    // The hidden rich-edit window in which text shapes measure and render rich text; null when
    // there is none.
    virtual HWND GetRichEditWindow() const { return nullptr; }
    // The direction of the vertical axis of DXF being read: negative when y grows downwards
    // (the shapes read turn their y coordinates over).
    virtual float GetVerticalAxisFactor() const = 0;

    // --- Shapes, groups and layers ----------------------------------------------------------
    virtual CShape* FindShape(int id) const = 0;
    // The displayed root group, and the group new shapes go into (and its ID).
    virtual CGroup* GetRootGroup() const = 0;
    // The site's attribute model: its types, groups and values (null where the host keeps none),
    // and a walk over every shape of the site for the changes that reach all of them.
    virtual CAttributeTypeMap* GetAttributeTypeMap() { return nullptr; }
    virtual CAttributeGroupMap* GetAttributeGroupMap() { return nullptr; }
    virtual CAttributeMap* GetAttributeMap() { return nullptr; }
    virtual void ForEachShape(const std::function<void(CShape*)>&) {}
    virtual CGroup* GetActiveGroup() const = 0;
    virtual int GetActiveGroupID() const = 0;
    // The layer of new shapes (null when none).
    virtual CLayer* GetCurrentLayer() = 0;
    // Layers by name, as the DXF reader enters them.
    virtual CLayer* FindLayerByName(const std::string& name) = 0;
    virtual void MapLayerName(const std::string& name, CLayer* layer) = 0;
    // The prototype of a shape type in "DefaultShapes", and whether the application has enabled
    // default shapes for the type.
    virtual CShape* GetDefaultShape(int shapeType) const = 0;
    virtual bool IsDefaultShapeEnabledFor(int shapeType) const = 0;

    // The group of an ID (null when the shape is not a group), and the fixed groups.
    CGroup* FindGroup(int id) const;
    CGroup* GetLibraryGroup() const;
    CGroup* GetDefaultShapesGroup() const;
    CGroup* GetLayersGroup() const;
    CGroup* GetSelectionGroup() const;

    // --- Services -------------------------------------------------------------------------
    // LastError and LastErrorMessage.
    virtual void SetLastError(int code, const char* text) = 0;
    // Sets the thread's COM error info and answers DISP_E_EXCEPTION.
    virtual HRESULT ReportError(const char* description) = 0;
    // A new point of the point pool at (x, y); its point ID, 0 on failure.
    virtual int CreatePoint(float x, float y) = 0;
    // Queues a redraw (RedrawFlags); 0x10 with a target asks for that shape's area alone.
    virtual void RequestRedraw(DWORD flags, CShape* target) = 0;
    // Grid snapping through the current drawing setting's spacing and origin.
    virtual void SnapPointToGrid(const CRealPoint& in, CRealPoint* out) const = 0;
    // Starts and ends interactive editing of a shape (0: nothing started).
    virtual int StartEditShape(CShape* shape, int command, int arg1, int arg2) = 0;
    virtual void EndInteractiveOperation(bool commit) = 0;
    // Deletes a shape with its subtree, taking it out of every group and of the shape map.
    virtual HRESULT DeleteShapeByID(int id, int flags1, int flags2) = 0;
    // Deletes a shape with its subtree and the block references that show it, without the checks
    // and the undo record of DeleteShapeByID (what the model, loads and undo restores use).
    virtual HRESULT DeleteShapeTree(CShape* shape, bool fireEvents, bool redraw) = 0;
    // OnBringShapeToFront and OnSendShapeToBack: the proceed flag as the application left it.
    virtual bool FireBringShapeToFront(int shapeId) = 0;
    virtual bool FireSendShapeToBack(int shapeId) = 0;
    // OnAddPoint (a point was put into a shape) and OnDeletePoint (a point is about to leave one):
    // the proceed flag as the application left it. Fired only while EventsEnabled().
    virtual bool FireAddPoint(int pointId) = 0;
    virtual bool FireDeletePoint(int pointId) = 0;
    // The site changed since it was last saved; the drawing changed since it was last drawn.
    virtual void SetModified(bool on = true) = 0;
    virtual void SetDrawingChanged() = 0;
    // One step of the database load or save in progress.
    virtual void StepProgress() = 0;
    // The site's points with their links to shapes into a record-table set, or back.
    virtual HRESULT ExchangePointTables(CDataTableSet* tables, DWORD mode, int pointId) = 0;

    // --- Text editing -------------------------------------------------------------------------
    // The control's multiline text editor, made on first use and kept for the control's life; it
    // also converts between plain text and RTF without showing itself. Null when the module
    // names no editor.
    virtual CTextEditorDialog* GetTextEditor() = 0;
    // The text edited by the external editor program the control names: false when it names none
    // or the program fails (the text then opens the editor dialog).
    virtual bool EditTextExternally(const std::string& text, std::string* edited) = 0;
    // Opens the in-place editor over a plain text; 0 when nothing was edited.
    virtual int StartTextEditor(CShape* text) = 0;
    // OnBeginEditShape and OnCancel: the proceed flag as the application left it.
    virtual bool FireBeginEditShape(LONG shapeId, LONG editType) = 0;
    virtual bool FireCancel() = 0;
};
