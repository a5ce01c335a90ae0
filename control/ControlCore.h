#pragma once
#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "model/RealPoint.h"

class CShape;
class CGroup;
class CLayer;
class CPointPool;
class CShapeMap;
class CLineTypeMap;
class CPenCache;
class CLinkedPointMap;
class CShapeStateMap;
class CUndoRecorder;
class CViewportRecord;
class CDrawingSettingMap;
class CDrawingSettingRecord;
class CBrushCache;
class CHighlightGroup;
class CDxfDocument;
class CDataTableSet;

// The edit state of the control: the one shape under interactive creation or edit and what its
// edit hooks keep between mouse events.
struct CEditState
{
    CShape* editedShape = nullptr;  // null when idle
    CShape* tracker = nullptr;      // the copy showing the state before the edit
    int editMode = 0;               // EditShapeTypes; 0 no edit
    DWORD controlState = 0;         // ControlStates
    DWORD editFlags = 0;            // bit 0x1: the edit target moves without the move locks
    // The steps of the running point edit, cleared when a shape starts an edit: 0x1 a duplicate
    // point at or before the edited handle was taken out, 0x2 a free-hand stroke.
    DWORD editStepFlags = 0;
    CRealPoint dragStart;
    bool dragActive = false;
    int pickedPointId = 0;
    int orthoDirection = 0;         // ortho drags keep y (0) or x (1)
    bool hideWhileDragging = false;
    CRealPoint mousePosition;       // the mouse in world units, as last seen
    // The start of the rubber band drawn while a plain group is edited.
    CRealPoint rubberStart;
    bool hasRubberStart = false;
    // Where the dragged handle of a resized group stood at the first drag of the operation.
    CRealPoint editAnchor;
    bool hasEditAnchor = false;
    // The shape whose contents the user works in (nothing inside it is picked), and the shapes
    // the last pick hit.
    CShape* containerShape = nullptr;
    std::vector<CShape*> hitShapes;
};

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

// The part of the control that the drawing model works with: the containers the control owns for
// the site (shape map, point pool, line types, pens, linked points), the current view and drawing
// setting, the edit state, and the services the shapes call. The control object derives from it
// and overrides the services that need its window and editing machinery.
class CControlCore
{
public:
    CControlCore();
    CControlCore(const CControlCore&) = delete;
    CControlCore& operator=(const CControlCore&) = delete;
    virtual ~CControlCore();

    CShapeMap& GetShapeMap() { return *m_shapeMap; }
    CPointPool& GetPointPool() { return *m_pointPool; }
    CLineTypeMap& GetLineTypeMap() { return *m_lineTypes; }
    CPenCache& GetPenCache() { return *m_penCache; }
    CLinkedPointMap& GetLinkedPointMap() { return *m_linkedPoints; }
    CShapeStateMap& GetShapeStateMap() { return *m_shapeStates; }
    CViewportRecord& GetCurrentViewport() { return *m_currentView; }
    CDrawingSettingMap& GetDrawingSettingMap() { return *m_drawingSettings; }
    CDrawingSettingRecord* GetCurrentDrawingSetting() { return m_currentSetting; }
    CUndoRecorder* GetUndoRecorder() { return m_undoRecorder.get(); }
    CBrushCache& GetBrushCache() { return *m_brushCache; }
    CDxfDocument& GetDxfDocument() { return *m_dxfDocument; }
    CDbIdCounters& GetDbIdCounters() { return m_dbIdCounters; }
    void SetUndoRecorder(std::unique_ptr<CUndoRecorder> recorder);

    CEditState& GetEditState() { return m_edit; }
    const CEditState& GetEditState() const { return m_edit; }

    // Site identity, written into every stored shape.
    int GetSiteId() const { return m_siteId; }
    void SetSiteId(int id) { m_siteId = id; }
    int GetScenarioId() const { return m_scenarioId; }
    void SetScenarioId(int id) { m_scenarioId = id; }
    DWORD GetControlFlags() const { return m_controlFlags; }
    void SetControlFlags(DWORD flags) { m_controlFlags = flags & 0xFFFF; }
    // The mode word; bit 0x4: no hit testing.
    DWORD GetModeWord() const { return m_modeWord; }
    void SetModeWord(DWORD mode) { m_modeWord = mode; }

    // Whether the user may interact: the control is enabled and no long operation runs.
    bool AllowsInteraction() const { return m_enabled && m_idle; }
    void SetEnabled(bool on) { m_enabled = on; }
    void SetIdle(bool idle) { m_idle = idle; }
    // The block reference edited in place, or null.
    CShape* GetEditedReference() const { return m_editedReference; }
    void SetEditedReference(CShape* reference) { m_editedReference = reference; }

    // LastError and LastErrorMessage.
    void SetLastError(int code, const char* text);
    int GetLastErrorCode() const { return m_lastErrorCode; }
    const std::string& GetLastErrorText() const { return m_lastErrorText; }
    // Sets the thread's COM error info (source "YVEXControl") and answers DISP_E_EXCEPTION.
    HRESULT ReportError(const char* description);

    // The shape of an ID, and the fixed groups.
    CShape* FindShape(int id) const;
    CGroup* FindGroup(int id) const;
    CGroup* GetLibraryGroup() const;
    CGroup* GetDefaultShapesGroup() const;
    CGroup* GetLayersGroup() const;
    CGroup* GetSelectionGroup() const;
    // The group "Highlights" (ID -7) when it is the highlight group, else null.
    CHighlightGroup* GetHighlightGroup() const;

    // The displayed root group and the group new shapes go into.
    CGroup* GetRootGroup() const { return m_rootGroup; }
    virtual void SetRootId(int id);
    CGroup* GetActiveGroup() const { return m_activeGroup; }
    void SetActiveGroup(CGroup* group) { m_activeGroup = group; }
    int GetActiveGroupID() const;

    // The layer of new shapes: the current drawing setting's layer (null when none, or when it is
    // not a layer).
    CLayer* GetCurrentLayer();
    virtual void SetCurrentLayer(CLayer* layer);

    // The prototype of a shape type in "DefaultShapes" (null when there is none or it is of
    // another kind), and whether the host has enabled default shapes for the type.
    CShape* GetDefaultShape(int shapeType) const;
    bool IsDefaultShapeEnabledFor(int shapeType) const;
    HRESULT SetDefaultShapeEnabled(int shapeType, bool enable);

    // Layers by name, as the DXF reader and the layer operations enter them: the layer last
    // entered under the name while it lives, else the first layer of that name in "Layers".
    CLayer* FindLayerByName(const std::string& name);
    void MapLayerName(const std::string& name, CLayer* layer);

    // Progress of a database load or save: the number of steps, then one call per step done; a
    // changed percentage below 100 goes to OnProgress.
    void BeginProgress(long steps);
    void StepProgress();
    virtual void OnProgress(long percent);

    // The site's points with their links to shapes (ShapePoints, LinkedPoints and the vertex
    // data of polylines) into a record-table set, or with DXFMODE_LOAD back into the drawing;
    // with DXFMODE_SINGLE_OBJECT only the point `pointId`. S_FALSE without a Points table.
    HRESULT ExchangePointTables(CDataTableSet* tables, DWORD mode, int pointId);

    // Grid snapping through the current drawing setting's spacing and origin.
    void SnapPointToGrid(const CRealPoint& in, CRealPoint* out) const;

    // A new point of the point pool at (x, y); its point ID, 0 on failure.
    virtual int CreatePoint(float x, float y);
    // Queues a redraw (RedrawFlags); 0x10 with a target asks for that shape's area alone.
    virtual void RequestRedraw(DWORD flags, CShape* target);
    DWORD GetPendingRedraw() const { return m_pendingRedraw; }
    void ClearPendingRedraw() { m_pendingRedraw = 0; }
    // Starts and ends interactive editing of a shape; the control's editing machinery overrides
    // these. Without it nothing starts (0).
    virtual int StartEditShape(CShape* shape, int command, int arg1, int arg2);
    virtual void EndInteractiveOperation(bool commit);
    // Deletes a shape with its subtree, taking it out of every group and of the shape map.
    // "Shape not found." when there is none.
    virtual HRESULT DeleteShapeByID(int id, int flags1, int flags2);
    // The control's window (null before it has one); timers and hit-test contexts use it.
    virtual HWND GetControlWindow() const { return nullptr; }
    // Whether events go to the host (its FireEvents switch). The core alone has no host.
    virtual bool EventsEnabled() const { return false; }
    // OnBringShapeToFront and OnSendShapeToBack: the proceed flag as the host left it (true
    // without a host).
    virtual bool FireBringShapeToFront(int shapeId);
    virtual bool FireSendShapeToBack(int shapeId);
    // OnAddPoint (a point was put into a shape) and OnDeletePoint (a point is about to leave
    // one): the proceed flag as the host left it (true without a host). The callers fire them
    // only while EventsEnabled().
    virtual bool FireAddPoint(int pointId);
    virtual bool FireDeletePoint(int pointId);
    // The window timers the model starts: true when the timer was the highlight group's blink
    // timer (its phase toggles and the control redraws).
    bool HandleTimer(UINT_PTR timerId);
    // A left button press clears a blinking highlight.
    void HandleLButtonDown();
    // The direction of the vertical axis of DXF being read: negative when y grows downwards
    // (the shapes read turn their y coordinates over).
    float GetVerticalAxisFactor() const { return m_verticalAxisFactor; }
    void SetVerticalAxisFactor(float factor) { m_verticalAxisFactor = factor; }
    // The site changed since it was last saved.
    void SetModified(bool on = true) { m_modified = on; }
    bool IsModified() const { return m_modified; }
    // Set while the control takes its whole drawing down.
    bool IsTearingDown() const { return m_tearingDown; }
    // The drawing changed since it was last drawn.
    void SetDrawingChanged() { m_drawingChanged = true; }
    bool IsDrawingChanged() const { return m_drawingChanged; }

private:
    void LoadBuiltInLineTypes();

    std::unique_ptr<CPointPool> m_pointPool;
    std::unique_ptr<CShapeMap> m_shapeMap;
    std::unique_ptr<CLineTypeMap> m_lineTypes;
    std::unique_ptr<CPenCache> m_penCache;
    std::unique_ptr<CLinkedPointMap> m_linkedPoints;
    std::unique_ptr<CShapeStateMap> m_shapeStates;
    std::unique_ptr<CViewportRecord> m_currentView;
    std::unique_ptr<CDrawingSettingMap> m_drawingSettings;
    CDrawingSettingRecord* m_currentSetting = nullptr;
    std::unique_ptr<CUndoRecorder> m_undoRecorder;
    std::unique_ptr<CBrushCache> m_brushCache;

    CEditState m_edit;
    int m_siteId = 0;
    int m_scenarioId = 0;
    DWORD m_controlFlags = 2; // controlSaveAsBinary
    DWORD m_modeWord = 0;
    bool m_enabled = true;
    bool m_idle = true;
    CShape* m_editedReference = nullptr;
    CGroup* m_rootGroup = nullptr;
    CGroup* m_activeGroup = nullptr;
    int m_lastErrorCode = 0;
    std::string m_lastErrorText;
    DWORD m_pendingRedraw = 1; // rfRedrawAll
    bool m_tearingDown = false;
    bool m_drawingChanged = false;
    bool m_modified = false;
    float m_verticalAxisFactor = 1.0f;
    // Per shape type: {own-shape word, enabled word}.
    std::map<int, std::pair<int, int>> m_defaultShapeTable;
    std::map<std::string, int> m_layerNames;
    CDbIdCounters m_dbIdCounters;
    long m_progressSteps = 0;
    long m_progressDone = 0;
    long m_progressPercent = -1;
    // Last, so that it goes first: replacement shapes it may hold still reach the point pool.
    std::unique_ptr<CDxfDocument> m_dxfDocument;
};
