#pragma once
#include <windows.h>
#include <sql.h>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "control/IncludedSite.h"
#include "control/ShapeMap.h"
#include "control/SiteListChoice.h"
#include "control/PageSetupRecord.h"
#include "control/PrintSettings.h"
#include "control/SiteRecord.h"
#include "control/UndoRecorder.h"
#include "control/UnitRecord.h"
#include "control/ViewportList.h"
#include "control/ViewportRecord.h"
#include "model/RealPoint.h"
#include "model/ShapeHost.h"
#include "persistence/DbLoadTarget.h"
#include "persistence/DrawingSettingLayers.h"
#include "persistence/SiteOperationRecord.h"

class COdbcSession;
class CShape;
struct CShapeStats;
class CAttributeTypeMap;
class CAttributeGroupMap;
class CAttributeMap;
class CGroup;
class CLayer;
class CPointPool;
class CPointRecord;
class CLineTypeMap;
class CHatchPatternMap;
class CImageResourceMap;
class CPenCache;
class CLinkedPointMap;
class CShapeStateMap;
class CFontCache;
class CDrawingSettingMap;
class CDrawingSettingRecord;
class CBrushCache;
class CHighlightGroup;
class CDxfDocument;
class CDxfFile;
class CDataTableSet;
class CViewportRecord;
struct CIdReservation;
class CTextEditorDialog;
class CText;
class CImage;
class CImageResource;

// The part of the control that the drawing model works with: the containers the control owns for
// the site (shape map, point pool, line types, pens, linked points), the current view and drawing
// setting, the edit state, and the services the shapes call through CShapeHost. The control object
// derives from it and overrides the services that need its window and editing machinery.
class CControlCore : public CShapeHost, public CDrawingSettingLayers, public CDbLoadTarget
{
public:
    CControlCore();
    CControlCore(const CControlCore&) = delete;
    CControlCore& operator=(const CControlCore&) = delete;
    virtual ~CControlCore();

    CShapeMap& GetShapeMap() override { return *m_shapeMap; }
    CPointPool& GetPointPool() override { return *m_pointPool; }
    CLineTypeMap& GetLineTypeMap() override { return *m_lineTypes; }
    CPenCache& GetPenCache() override { return *m_penCache; }
    CLinkedPointMap& GetLinkedPointMap() override { return *m_linkedPoints; }
    CShapeStateMap& GetShapeStateMap() override { return *m_shapeStates; }
    CFontCache& GetFontCache() override { return *m_fontCache; }
    CViewportRecord& GetCurrentViewport() override { return *m_currentView; }
    // The site's views, the current one first.
    CViewportList& GetViewportList() { return *m_viewports; }
    // The site's Sites row, which is also the drawing header of DXF transfers.
    // The page set-up and the print settings the print object keeps equal.
    CPageSetupRecord& GetPageSetup() { return m_pageSetup; }
    CPrintSettings& GetPrintSettings() { return m_printSettings; }
    CSiteRecord& GetSiteRecord() { return m_siteRecord; }
    const CSiteRecord& GetSiteRecord() const { return m_siteRecord; }
    // The units of measure by Units value.
    const std::map<int, CUnitRecord>& GetUnits() const { return m_units; }
    // Enters a unit; an existing entry stays (false).
    bool AddUnit(const CUnitRecord& unit) { return m_units.emplace(unit.id, unit).second; }
    const CUnitRecord* FindUnit(int id) const;
    CDrawingSettingMap& GetDrawingSettingMap() { return *m_drawingSettings; }
    CDrawingSettingRecord* GetCurrentDrawingSetting() override { return m_currentSetting; }
    CUndoRecorder* GetUndoRecorder() override { return m_undoRecorder.get(); }
    CBrushCache& GetBrushCache() override { return *m_brushCache; }
    CHatchPatternMap& GetHatchPatternMap() override { return *m_hatchPatterns; }
    CImageResourceMap& GetImageResourceMap() override { return *m_imageResources; }
    float GetHatchUnitFactor() const override { return m_hatchUnitFactor; }
    CDxfDocument& GetDxfDocument() override { return *m_dxfDocument; }
    CDbIdCounters& GetDbIdCounters() override { return m_dbIdCounters; }
    void SetUndoRecorder(std::unique_ptr<CUndoRecorder> recorder);
    // The undo support of a new control: the recorder (made with the core) gets a new undo
    // manager of the control's own, which switches recording on. E_OUTOFMEMORY when none is made.
    HRESULT CreateUndoManager();

    CEditState& GetEditState() override { return m_edit; }
    const CEditState& GetEditState() const override { return m_edit; }

    // Site identity, written into every stored shape.
    int GetSiteId() const override { return m_siteId; }
    void SetSiteId(int id) { m_siteId = id; }
    int GetScenarioId() const override { return m_scenarioId; }
    void SetScenarioId(int id) { m_scenarioId = id; }
    DWORD GetControlFlags() const override { return m_controlFlags; }
    void SetControlFlags(DWORD flags) { m_controlFlags = flags & 0xFFFF; }
    // The SaveAsBinary property of DataIO and DXFOperations: the controlSaveAsBinary bit (2).
    bool GetSaveAsBinary() const { return (m_controlFlags & 2) != 0; }
    void SetSaveAsBinary(bool on) { m_controlFlags = on ? (m_controlFlags | 2) : (m_controlFlags & ~static_cast<DWORD>(2)); }
    // The mode word; bit 0x4: no hit testing.
    DWORD GetModeWord() const override { return m_modeWord; }
    void SetModeWord(DWORD mode) { m_modeWord = mode; }
    DWORD GetDxfOptions() const override { return m_dxfOptions; }
    void SetDxfOptions(DWORD options) { m_dxfOptions = options; }
    CPendingImage GetPendingImage() const override { return m_pendingImage; }
    void SetPendingImage(const CPendingImage& pending) { m_pendingImage = pending; }
    int GetIdBaseAboveShapes() const override { return m_shapeMap->GetNextShapeId() + 100; }

    // Whether the user may interact: the control is enabled and no long operation runs.
    bool AllowsInteraction() const override { return m_enabled && IsIdle(); }
    void SetEnabled(bool on) { m_enabled = on; }
    bool IsEnabledFlagSet() const { return m_enabled; }
    void SetIdle(bool idle) { m_idle = idle; }
    // No long operation (database, file, DXF, web) runs, and no section of the window's thread
    // holds the drawing (see CBusySection).
    bool IsIdle() const { return m_idle && m_busySections.load() == 0; }
    // While the control is not idle: the last error says so ("Operation is in progress.", 1) and
    // the answer is true, for the caller to refuse with S_FALSE.
    bool RefuseWhileBusy();
    // Marks a stretch of the window's thread during which the control counts as busy (a drawing
    // into a caller's context, a zoom, an undo step putting shapes back), without touching the
    // gate of the long operations: a worker that opens the gate meanwhile leaves it open, and the
    // control is idle again once both have ended. Sections nest.
    class CBusySection
    {
    public:
        explicit CBusySection(CControlCore& control) : m_control(control) { ++m_control.m_busySections; }
        ~CBusySection() { --m_control.m_busySections; }
        CBusySection(const CBusySection&) = delete;
        CBusySection& operator=(const CBusySection&) = delete;

    private:
        CControlCore& m_control;
    };
    // The answer of a member that would touch the drawing while a long operation works on it on
    // its worker (the caller has found the control not idle): "Operation is in progress." as the
    // last error (code 1) and as error info, and S_FALSE, the gate's own answer.
    HRESULT AnswerInProgress();
    // The site's read-only state (ISite::ReadOnly).
    bool IsReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool on) { m_readOnly = on; }
    // The control accepts edits: enabled and not read-only.
    bool AcceptsEdits() const { return m_enabled && !m_readOnly; }
    // The block reference edited in place, or null.
    CShape* GetEditedReference() const override { return m_editedReference; }
    void SetEditedReference(CShape* reference) { m_editedReference = reference; }

    // LastError and LastErrorMessage.
    void SetLastError(int code, const char* text) override;
    int GetLastErrorCode() const;
    // A copy: the workers of the site's database operations set the last error from their
    // threads while the host may be reading it.
    std::string GetLastErrorText() const;
    // Sets the thread's COM error info (source "YVEXControl") and answers DISP_E_EXCEPTION.
    HRESULT ReportError(const char* description) override;

    // The shape of an ID (FindGroup and the fixed groups come with CShapeHost).
    CShape* FindShape(int id) const override;
    // The group "Highlights" (ID -7) when it is the highlight group, else null.
    CHighlightGroup* GetHighlightGroup() const;

    // The fixed groups (root, selection, clipboard, block library, layers, zoom window, default
    // shapes, highlights) and the base layer "0", registered under their IDs; the base layer
    // becomes the current layer and the root the displayed and the active group. Then the
    // prototypes. False when one could not be made.
    bool CreateSystemShapes();
    // The prototype shapes 2 to 11 in "DefaultShapes": a shape of such an ID of the wrong kind or
    // elsewhere goes; a missing one is made by the factory (when it builds the kind), with the
    // factory's defaults; a prototype without points gets them at the origin. New shapes get IDs
    // from 12 on. With `reset` the default text becomes its rich "Default Text" again.
    void BuildDefaultShapes(bool reset);
    // The default text's reset: rich text "Default Text" in colours, red pen, height 20, width 180.
    static void ResetDefaultText(CText* text);
    // The resource ID of the picture shipped with the module: the image prototype shows it, and
    // so does an image whose picture could not be found.
    static constexpr int kDefaultPictureId = -1;
    // That picture in the image resource map (loaded from the module's resources on first use);
    // null when the module has none.
    CImageResource* GetDefaultPicture();
    // The image prototype's reset: the default picture at its pixel size, unturned.
    void ResetDefaultImage(CImage* image);

    // The displayed root group and the group new shapes go into.
    CGroup* GetRootGroup() const override { return m_rootGroup; }
    CAttributeTypeMap* GetAttributeTypeMap() override { return m_attributeTypes.get(); }
    CAttributeGroupMap* GetAttributeGroupMap() override { return m_attributeGroups.get(); }
    CAttributeMap* GetAttributeMap() override { return m_attributeValues.get(); }
    void ForEachShape(const std::function<void(CShape*)>& visit) override;
    virtual void SetRootId(int id);
    CGroup* GetActiveGroup() const override { return m_activeGroup; }
    void SetActiveGroup(CGroup* group) { m_activeGroup = group; }
    int GetActiveGroupID() const override;

    // The layer of new shapes: the current drawing setting's layer (null when none, or when it is
    // not a layer).
    CLayer* GetCurrentLayer() override;
    virtual void SetCurrentLayer(CLayer* layer);

    // The prototype of a shape type in "DefaultShapes" (null when there is none or it is of
    // another kind), and whether the host has enabled default shapes for the type.
    CShape* GetDefaultShape(int shapeType) const override;
    bool IsDefaultShapeEnabledFor(int shapeType) const override;
    HRESULT SetDefaultShapeEnabled(int shapeType, bool enable);
    bool HasDefaultShapeEntry(int shapeType) const { return m_defaultShapeTable.count(shapeType) != 0; }

    // Layers by name, as the DXF reader and the layer operations enter them: the layer last
    // entered under the name while it lives, else the first layer of that name in "Layers".
    CLayer* FindLayerByName(const std::string& name) override;
    void MapLayerName(const std::string& name, CLayer* layer) override;

    // Progress of a database load or save: the number of steps, then one call per step done; a
    // changed percentage below 100 goes to OnProgress.
    void BeginProgress(long steps);
    void StepProgress() override;
    virtual void OnProgress(long percent);

    // The site's points with their links to shapes (ShapePoints, LinkedPoints and the vertex
    // data of polylines) into a record-table set, or with DXFMODE_LOAD back into the drawing;
    // with DXFMODE_SINGLE_OBJECT only the point `pointId`. S_FALSE without a Points table.
    HRESULT ExchangePointTables(CDataTableSet* tables, DWORD mode, int pointId) override;
    // The site's settings (one Sites record per module of the drawing) and the list of included
    // sites (IncludedSites), or with DXFMODE_LOAD back: the included sites merged into the list
    // before the sites that include them, the Sites records applied, the last one winning.
    // S_FALSE when either table is missing.
    HRESULT ExchangeSiteTables(CDataTableSet* tables, DWORD mode, int unused);
    // The unit table (Units): saved are all units, or only those with factors or system of their
    // own when the table lists every unit of the type library; restored units join under their
    // IDs, an ID already there keeping its unit. S_FALSE without the table.
    HRESULT ExchangeUnitTables(CDataTableSet* tables, DWORD mode, int unused);
    // The attribute types (AttributeTypes): saving all (0) or the one type; restoring all, or
    // with DXFMODE_SINGLE_OBJECT the one record (E_ACCESSDENIED when it is missing). A type is
    // saved only with a group of the set, or without any group; restored only into a group the
    // drawing has. S_FALSE without the table.
    HRESULT ExchangeAttributeTypes(CDataTableSet* tables, DWORD mode, int typeId);
    // The drawing between the model and a record-table set, section by section. Restoring
    // (DXFMODE_LOAD) adds the set's shapes, points and links to the drawing (DXFMODE_APPEND; with
    // DXFMODE_USE_YVEX_IDENTIFIERS under their stored IDs) and, with DXFMODE_SAVE_UNDO_DATA, as one
    // undoable operation. `shapeId`: the block's ID with DXFMODE_BLOCKS (in and out), else null.
    // E_INVALIDARG for a null set; E_NOTIMPL for what needs sections still to come (saving, a
    // restore that replaces the drawing, a block restore).
    HRESULT ExchangeDrawingTables(CDataTableSet* tables, DWORD mode, int* shapeId);
    // The collecting direction of ExchangeDrawingTables: the header values, then the sections
    // in order; the first failing section's result ends it.
    HRESULT SaveDrawingTables(CDataTableSet* tables, DWORD mode, int shapeId);
    // The module's file version, one byte each for major, minor, build and revision (0 when it
    // has none).
    static int32_t ModuleVersion();
    // A shape that failed to serialize: its description is added to the last error message
    // (after ";\n" when one stands there already) and the code becomes the last error.
    void ReportSerializationError(const char* sourceFile, int line, DWORD mode, CShape* shape, HRESULT code);
    // The links of shapes to attribute groups and attributes, restored from a set (DXFMODE_LOAD
    // only, else E_NOTIMPL); with DXFMODE_SINGLE_OBJECT only those of attribute `id`. S_FALSE
    // when the set has none of the attribute tables.
    HRESULT RestoreAttributeLinks(CDataTableSet* tables, DWORD mode, int id);

    // Grid snapping through the current drawing setting's spacing and origin.
    void SnapPointToGrid(const CRealPoint& in, CRealPoint* out) const override;

    // A new point of the point pool at (x, y); its point ID, 0 on failure.
    int CreatePoint(float x, float y) override;
    // Queues a redraw (RedrawFlags): the flags replace the pending ones, but a pending
    // rfRedrawAll stays; 0x10 with a target asks for that shape's area alone.
    void RequestRedraw(DWORD flags, CShape* target) override;
    DWORD GetPendingRedraw() const { return m_pendingRedraw; }
    void ClearPendingRedraw() { m_pendingRedraw = 0; }
    void SetPendingRedraw(DWORD flags) { m_pendingRedraw = flags; }
    // The shape of the single-shape redraw, while it lives (it is kept by ID, so a deleted shape
    // is never drawn); ForgetRedrawTarget drops it.
    CShape* GetRedrawTarget() const;
    void ForgetRedrawTarget() { m_redrawTargetId = 0; m_hasRedrawTarget = false; }
    // Starts and ends interactive editing of a shape; the control's editing machinery overrides
    // these. Without it nothing starts (0).
    int StartEditShape(CShape* shape, int command, int arg1, int arg2) override;
    void EndInteractiveOperation(bool commit) override;
    // ---- operations by ID (ShapeOperationsById.cpp) ----
    // The user's deletion of a shape: S_FALSE while a long operation runs, while the control takes
    // no edits and for a shape protected against deletion (sdbfDeletion), the fixed groups and the
    // base layer; "Shape not found." when there is none. The shape (and the references that go
    // with a block) are recorded for undo (opDelete), then the tree goes (DeleteShapeTree).
    HRESULT DeleteShapeByID(int id, int fireEvents, int redraw) override;
    // The tree deletion: first every block reference that shows the shape (a veto keeps the shape
    // and answers S_FALSE: a block never goes while references to it remain), then OnDeleteShape
    // (with fireEvents; a veto gives S_FALSE), then the children and the shape leave the
    // selection (OnChangeSelection), the shape map and memory. Fixed groups stay.
    HRESULT DeleteShapeTree(CShape* shape, bool fireEvents, bool redraw) override;
    // The next shape that uses a point (in its own points or as a linked point), or null.
    CShape* FindNextPointOwner(int pointId);
    // The owners of a point in order: the first after `start` (null: from the beginning; a start
    // that does not own the point gives none) whose own points hold this very record.
    CShape* FindNextPointOwner(CPointRecord* point, CShape* start);
    // As above with the start by ID: -100 (or an ID not in the map) starts at the beginning.
    CShape* FindNextPointOwnerByID(CPointRecord* point, int startId);
    // Give a shape or a point another ID, recording the change for undo (opObjectID). A shape
    // keeps its place in its parent; a point keeps its users, their count and its database ID,
    // and every list that names it (own and linked points, the linked-point index) follows.
    virtual HRESULT ChangeShapeID(int id, int newId);
    virtual HRESULT ChangePointID(int id, int newId);
    // OnDeleteShape and OnChangeSelection: the control fires them; the core alone has no host.
    virtual bool FireDeleteShape(LONG shapeId);
    virtual void FireChangeSelection() {}
    // Empties a shown properties window (the control has one; the core alone has none): a shape
    // that goes must not stay behind in its rows.
    virtual void ClearPropertiesDialog() {}
    // Kills and restarts the timer that tells the host to refresh its toolbar (the control with
    // its window does; the core alone has none).
    virtual void RestartRedrawTimer(UINT period);
    // Drops what the control holds of a shape that leaves the shape map: the edit state's shapes,
    // the edited reference, the active group, the block being written to DXF. The shapes (those
    // waiting to replace others after a DXF read too) and the drawing settings on a layer that
    // leaves go to the base layer (none when that is the one leaving).
    void ForgetShape(CShape* shape);
    // The control's window (null before it has one); timers and hit-test contexts use it.
    HWND GetControlWindow() const override { return nullptr; }
    // The hidden rich-edit window the text shapes measure and render rich text in.
    HWND GetRichEditWindow() const override;
    // Whether events go to the host (its FireEvents switch), and setting it. The core alone has
    // no host.
    bool EventsEnabled() const override { return false; }
    virtual void SetEventsEnabled(bool) {}
    // OnBringShapeToFront and OnSendShapeToBack: the proceed flag as the host left it (true
    // without a host).
    bool FireBringShapeToFront(int shapeId) override;
    bool FireSendShapeToBack(int shapeId) override;
    // OnAddPoint and OnDeletePoint: the proceed flag as the host left it (true without a host).
    bool FireAddPoint(int pointId) override;
    bool FireDeletePoint(int pointId) override;
    // OnBeginEditShape and OnCancel: the proceed flag as the host left it (true without a host).
    bool FireBeginEditShape(LONG shapeId, LONG editType) override;
    bool FireCancel() override;
    // The multiline text editor, made on first use by the maker the module names.
    CTextEditorDialog* GetTextEditor() override;
    // The core names no external editor program (the control does).
    bool EditTextExternally(const std::string& text, std::string* edited) override;
    // The in-place editor of plain texts belongs to the control's editing machinery; without it
    // nothing is edited (0).
    int StartTextEditor(CShape* text) override;
    // The window timers the model starts: true when the timer was the highlight group's blink
    // timer (its phase toggles and the control redraws).
    bool HandleTimer(UINT_PTR timerId);
    // A left button press clears a blinking highlight.
    void HandleLButtonDown();
    // The direction of the vertical axis of DXF being read: negative when y grows downwards
    // (the shapes read turn their y coordinates over).
    float GetVerticalAxisFactor() const override { return m_verticalAxisFactor; }
    void SetVerticalAxisFactor(float factor) { m_verticalAxisFactor = factor; }
    // The site changed since it was last saved.
    void SetModified(bool on = true) override { m_modified = on; }
    bool IsModified() const { return m_modified; }
    // Takes the whole drawing down: views, reading state and every shape (the fixed groups too).
    // The control does it before it lets go of what the shapes may hold on to; the core's
    // destructor does it too (a second call finds nothing left).
    void TearDownDrawing();
    // Set while the control takes its whole drawing down.
    bool IsTearingDown() const override { return m_tearingDown; }
    // The drawing changed since it was last drawn.
    void SetDrawingChanged() override { m_drawingChanged = true; }
    bool IsDrawingChanged() const { return m_drawingChanged; }

    // ---- The site in the database ----------------------------------------------------------
    // The start functions of IPersistDB, the gate that admits one long operation at a time, the
    // workers and the progress (SiteOperations.cpp); the load body (SiteLoad.cpp); the save and
    // delete bodies, new Sites rows and the clearing of the site (SiteSave.cpp).

    // The database the site lives in: data source name (empty: the embedded default), user name
    // and password.
    const std::string& GetDataSource() const { return m_dataSource; }
    // The login a database step connects with: on the worker of a database file transfer the
    // file's, everywhere else the control's own above (which the transfer leaves alone, so that
    // the host's thread never reads a half-written name or the file's).
    void FillLogin(COdbcSession& session) const;
    void SetDataSource(const std::string& name) { m_dataSource = name; }
    const std::string& GetUserName() const { return m_userName; }
    void SetUserName(const std::string& name) { m_userName = name; }
    const std::string& GetPassword() const { return m_password; }
    void SetPassword(const std::string& password) { m_password = password; }
    // The site last loaded or saved (0: none).
    int GetCurrentSiteId() const { return GetSiteId(); }

    // The gate is the idle flag: closing it is one atomic step, so of two starts only one gets
    // through; the other is refused ("Operation is in progress.", last error 1).
    bool TryCloseGate();
    void OpenGate() { m_idle = true; }
    // Waits until every worker thread of this control is over, letting their stage messages
    // through meanwhile: the control must not go while a worker still reaches it.
    void WaitForWorkers();

    // The bodies behind IPersistDB. Each answers as IPersistDB documents it: S_FALSE when busy or
    // when nothing was chosen, E_ACCESSDENIED when the host vetoed the beginning, S_OK once a
    // worker runs (the end stage reports the outcome), the body's own result in the foreground.
    HRESULT StartLoadSiteFromDB(int siteId, DWORD mode);
    // "Site not found." (error info, last error) when the database answers that it holds no
    // site of that ID; S_OK otherwise, also when it cannot be asked here.
    HRESULT RefuseUnstoredSite(int siteId);
    HRESULT StartSaveSiteToDB(int siteId, DWORD mode, const char* name);
    HRESULT StartDeleteSiteFromDB(int siteId);
    HRESULT SaveToNewSite(const char* name, int* siteId);
    HRESULT StartLoadSiteFromFile(const char* path, int fileType, int siteId);
    HRESULT StartSaveSiteToFile(const char* path, int fileType);
    HRESULT LoadSiteAdditionally(int siteId, bool mergeLayers, int settingsOption, int unitsOption, int enableOption,
                                 bool keepCurrent);
    // The site chooser: a site ID, or 0 when none was chosen (or the host vetoed the begin stage).
    int ChooseSite(bool save, bool announce, const char* name);
    // The `progress` property: the share of the running operation done, in percent.
    long GetProgressPercent() const;
    // A database load switches the host's events off while it builds the drawing; its progress
    // still reaches a host that had them on when the load began.
    bool HostHearsLoadProgress() const { return m_loadProgressHeard.load(); }

    // The load body: the site and what it includes, into the drawing (request null: a full load
    // with every top-level value). 0, S_FALSE, or the first failing step's result.
    HRESULT LoadSiteFromDB(int siteId, CIncludedSite* request);
    // One shape's rows (with its subtree's) under the current site, in one transaction with its
    // IDs reserved as a site save reserves them; a key another session took meanwhile makes it
    // try again. A failure leaves the stored rows and the drawing's database IDs as they were.
    HRESULT SaveShapeRows(CShape* shape, int scenarioId);
    // The save body: every row of the site written anew in one transaction; a failure leaves the
    // stored site and the drawing's database IDs as they were.
    HRESULT SaveSiteToDB(int siteId, DWORD mode);
    // The delete body: the site's rows, pass by pass from the leaves up; `full` also removes its
    // viewports, included-site rows, attribute groups and its Sites row.
    HRESULT DeleteSiteFromDB(int siteId, bool full);
    // "select max(SiteID) from Sites" plus one (1 for an empty table).
    HRESULT GetNextSiteID(COdbcSession& session, int* id);
    // A new Sites row from the site record under the next site ID; the ID is given out also when
    // the insert failed.
    HRESULT InsertSiteRow(const char* name, int* id);
    // The body of LoadFromFile and SaveToFile: a site of an SQLite database file.
    HRESULT TransferSiteFile(const char* path, int fileType, bool load, int siteId);
    // The next free database IDs (points, shapes, layer settings, vertices, shape and linked
    // points; the site's own shape and linked points left out).
    HRESULT SetIdCounters(COdbcSession& session, int siteId);
    // The unit table from the Units rows.
    HRESULT LoadUnitsFromDB(COdbcSession& session);
    // Empties the site (ISite::Clear), and the control's own emptying of the site's data.
    void ClearSite();
    virtual void ClearSiteData();
    // Clears the site (with clearSite), rebuilds the prototypes, clears the current layer (with
    // clearLayer) and re-enters the layer names. 0.
    virtual int ReinitializeDrawing(bool clearSite, bool clearLayer, bool leaveBlockEditing);
    // The persistence state: a change between the database (1, 3) and files (4) forgets the
    // database IDs, unless the mode keeps them (0x404).
    int SetPersistState(int state, DWORD mode);
    int ForgetDatabaseIds();
    // Whether shapes of a site load enabled (the included-site list's answer), and whether its
    // database IDs are kept.
    bool CheckIncludedSite(int siteId) const;
    const std::vector<CIncludedSite>& GetIncludedSites() const { return m_includedSites; }
    // The current view and the current drawing setting taken from a view or a setting (events
    // first: a veto answers false); the view, setting and rulers of a loaded site.
    virtual bool SetCurrentViewport(CViewportRecord* view);
    virtual bool SetCurrentDrawingSetting(CDrawingSettingRecord* setting);
    virtual void ApplySiteSettings();

    // ---- DXF and stream transfers (DxfTransfer.cpp) ------------------------------------------
    // The entries of IDXFOperations, IPersistFile and the persistence stream. Each closes the
    // operation gate (S_FALSE, "Operation is in progress." while another long operation runs),
    // announces the beginning (the host may veto: S_FALSE) and runs the body on the caller's
    // thread with DXFMODE_FOREGROUND, else on a worker (S_OK once it runs). E_FAIL when the start
    // failed.
    HRESULT StartDxfSave(const char* fileName, DWORD mode, int shapeId);
    HRESULT StartDxfLoad(const char* fileName, DWORD mode);
    // The drawing as DXF in a stream, on the caller's thread: the stream's content is complete
    // when the save returns. A load of an empty or unreadable stream does nothing (S_OK); a
    // stream that holds no complete drawing answers E_FAIL and leaves the drawing. What did not
    // run answers a failure with its text: E_PENDING while another long operation runs, E_ABORT
    // when the host vetoed it.
    HRESULT LoadDrawingFromStream(IStream* stream);
    HRESULT SaveDrawingToStream(IStream* stream);
    // LastError 1 "Operation is in progress." and the same text as COM error info; E_PENDING.
    HRESULT AnswerBusy();
    HRESULT StartTransferOperation(IStream* stream, const char* fileName, DWORD mode, int shapeId);
    // The file name a load or save with DXFMODE_REMEMBER_FILENAME kept.
    const std::string& GetDrawingFileName() const { return m_drawingFileName; }
    // The draw order of the last DXF read: shape ID to sort handle.
    const std::map<int, uint32_t>& GetDrawOrder() const { return m_drawOrder; }
    // a before b in the draw order: by sort handle when both have one; a shape with a sort handle
    // before one without; two without are equal (the stable sort keeps the file's order).
    bool CompareShapeOrder(const CShape* a, const CShape* b) const;

    // CDrawingSettingLayers
    int GetLayerShapeId(const CLayer* layer) const override;
    int GetLayerDatabaseId(const CLayer* layer) const override;
    int GetLayerScenarioId(const CLayer* layer) const override;
    CLayer* FindLayerById(int shapeId) const override;
    CLayer* FindLayerByDatabaseId(int databaseId) const override;
    std::string GetDefaultSettingName() const override;
    // CDbLoadTarget: progress goes to OnProgress; the attribute rows are read and counted (the
    // attribute model that holds them comes with the attribute objects).
    void SendProgress(int percent) override { OnProgress(percent); }
    HRESULT OnAttributeGroupRow(int databaseId, const std::string& name, int parentId) override;
    HRESULT OnAttributeTypeRow(int databaseId, const std::string& name, const std::string& format,
                               const std::string& prompt, int valueType, int groupId) override;
    HRESULT OnShapeAttributeGroupRow(int shapeDatabaseId, int groupId) override;
    HRESULT OnAttributeRow(const AttributeRow& row) override;

protected:
    // What the control object adds around the bodies: the stage message to its window (the
    // window's thread fires the events), the host's FireEvents switch, the site list dialog
    // (IDOK or IDCANCEL), the wait cursor.
    virtual void AnnounceStage(int stage, CSiteOperationRecord& record);
    virtual int ShowSiteList(CSiteListRequest& request);
    virtual void ShowWaitCursor(bool) {}
    virtual bool AskSetCurrentViewport(int) { return true; }
    virtual bool AskSetCurrentDrawingSetting(int) { return true; }
    virtual bool AskBeginDeleteSite(int) { return true; }
public:
    // After a load that renumbered image resources (a DXF file's IMAGEDEF handles): every image
    // showing an ID the map lacks takes the resource that ID became, or the placeholder -1 when
    // it became none; the remap table is emptied. Nothing when the table is empty. S_OK.
    HRESULT ApplyImageResourceRemap();
    // Run before a DXF file is written: what the control turns into blocks first (nothing here).
    // A failure stops the save.
    virtual HRESULT ConvertVisibleImages() { return 0; }
    // OnDeleteShape with a proceed flag that starts false: whether the host agrees that a shape
    // deleted elsewhere goes here too (without a host nobody agrees).
    virtual bool AskDeleteShape(int) { return false; }
    // OnChangeSelection, after the selection lost a shape.
    virtual void OnSelectionChanged() {}
protected:
    virtual void ShowWarning(const char* text);

private:
    void LoadBuiltInLineTypes();

    // Site persistence (SiteOperations.cpp, SiteLoad.cpp, SiteSave.cpp).
    enum class WorkerKind { Load, Save, Delete, File };
    struct WorkerStart;
    static DWORD WINAPI SiteWorker(void* argument);
    HRESULT StartWorker(std::unique_ptr<WorkerStart> start);
    HRESULT StartLoadWorker(int siteId, const CIncludedSite& request);
    HRESULT LaunchLoadWorker(std::unique_ptr<WorkerStart> start);
    void ResetProgress(bool ranges);
    CProgressRange* FindProgressRange(int siteId);
    CProgressRange& MakeProgressRange(int siteId);
    void ClearProgressRanges(bool keepCurrent);
    void SendProgressNow(int percent);
protected:
    // Announces a beginning stage and answers the host's proceed flag; an end stage with its
    // result.
    bool AnnounceBegin(int stage, const char* name, int siteId, LONG storageType);
    void AnnounceEnd(int stage, const char* name, int siteId, bool result, LONG storageType = 1 /* srDatabase */);
private:
    HRESULT LoadIncludedSites(int siteId, CIncludedSite& request);
    // With detach (a load from a database file) the loaded drawing forgets its site and
    // database IDs, which name rows of the file, before its end is announced.
    HRESULT LoadSiteBody(int siteId, CIncludedSite& request, bool top, bool detach = false);
    void PrepareAdditiveLoad(const CIncludedSite& request);
    void FinishAdditiveLoad(const CIncludedSite& request);
    void ApplyUnitsOfAdditiveLoad(const CIncludedSite& request);
    void MergeViewsAndSettings(const CIncludedSite& request, double factor, bool scaledThisModule);
    void EnterIncludedSite(const CIncludedSite& request);
    HRESULT SaveSiteAttempt(COdbcSession& session, int siteId, bool* retryable);
    // The save body; intoFile (a copy into a database file) leaves the drawing's site, database
    // IDs and modified flag as they were.
    HRESULT SaveSiteBody(int siteId, bool intoFile);
public:
    // For tests: called on the saving thread each time a save (of a site or a shape) has read
    // the largest IDs and before it reserves the range above them, so that another session's
    // rows can be made to arrive there at that moment. Null: nothing is called.
    using IdCountersReadHook = void (*)(void* context);
    static void SetIdCountersReadHook(IdCountersReadHook hook, void* context);
    // While a save into a database file announces its end: the drawing stays as saved or unsaved
    // in its own database as it was.
    bool IsSavingIntoFile() const { return m_savingIntoFile; }
private:
    HRESULT DeleteSiteRows(COdbcSession& session, int siteId, bool full, bool progress);
    void ForgetDatabaseIdsInMemory();
    HRESULT ReserveIdRange(COdbcSession& session, int siteId, CIdReservation& reservation);
    // The placeholder rows for what `stats`, `points` and `layers` count, above the counters as
    // they stand.
    HRESULT ReserveIds(COdbcSession& session, int siteId, const CShapeStats& stats, int points, int layers,
                       CIdReservation& reservation);
    HRESULT SaveShapeAttempt(COdbcSession& session, CShape* shape, int scenarioId, bool* retryable);
    HRESULT ReleaseIdRange(COdbcSession& session, CIdReservation& reservation);
    // DXF and stream transfers.
    struct TransferRequest;
    static DWORD WINAPI TransferWorker(void* argument);
    // Runs the body of the request; an exception that leaves it (memory ran out) ends the
    // transfer through AbandonTransfer and answers E_OUTOFMEMORY or E_UNEXPECTED.
    HRESULT RunTransferBody(const TransferRequest& request);
    void AbandonTransfer(const TransferRequest& request, HRESULT result, const char* text) noexcept;
    // S_FALSE of the launcher as a stream entry answers it (see LoadDrawingFromStream).
    HRESULT StreamTransferResult(HRESULT launched);
    // LastError 1 with the text, and the text as COM error info; E_FAIL.
    HRESULT FailTransfer(const std::string& text);
    HRESULT LoadDrawingFile(const char* fileName, DWORD mode);
    HRESULT SaveDrawingFile(const char* fileName, DWORD mode, int shapeId);
    HRESULT LoadDrawingStream(IStream* stream, DWORD mode);
    HRESULT SaveDrawingStream(IStream* stream, DWORD mode, int shapeId);
    // Points the DXF document at the parts of the drawing that take part (the block transfers'
    // "LoadedBlock" group made here), and clears them again afterwards.
    struct DxfParts;
    void PrepareDxfTransfer(DWORD mode, int shapeId, DxfParts& parts);
    void FinishDxfTransfer(bool success, const char* fileName);
    void ResetDrawOrder();
    // A save's preparation: the header filled from the current setting, the document pointed at
    // the drawing, the handle ranges of the file set.
    void PrepareDxfSave(DWORD mode, int shapeId, DxfParts& parts);
    // Block references linked to the library's blocks by name and their copies built; those
    // left without a block are removed.
    void RelinkReferences();
    // The form of a DXF file to write: binary as SaveAsBinary says, and its group codes.
    void ChooseDxfForm(CDxfFile& file) const;
    // After a DXF load: the passes over the drawing (points linked again, approximations
    // rebuilt), references linked and resolved, and the header's current values applied to the
    // drawing settings.
    void AfterDxfLoad(DWORD mode);
    // The draft limits after a load of a whole drawing: see the definition.
    void FitDraftLimitsToLoadedDrawing();
    // The control's passes over the drawing after a DXF read: points linked again as the file's
    // extended data linked them, and shapes the file carried as approximations rebuilt from the
    // program's data. The core alone has neither pass: it empties what the reader kept for them.
    virtual HRESULT RelinkDxfPoints();
    virtual HRESULT RestoreDxfApproximations();
    void FillHeaderFromCurrentSetting();
    void SortRootByDrawOrder();
    int m_loadedBlockId = 0;
    int m_blockShapeParentId = 0;
    std::string m_drawingFileName;
    std::map<int, uint32_t> m_drawOrder;
    int m_temporaryViewportId = -100;

    int m_persistState = 0;
    DWORD m_persistMode = 0;
    std::string m_dataSource;
    std::string m_userName;
    std::string m_password;
    std::atomic<bool> m_loadProgressHeard{false};
    // The database file of a transfer, and the thread of the transfer's worker (0: none runs).
    std::string m_fileDataSource;
    std::atomic<DWORD> m_fileWorkerThread{0};
    std::atomic<bool> m_savingIntoFile{false};
    std::atomic<long> m_processed{0};
    std::atomic<long> m_total{0};
    int m_progressKey = 0;
    double m_progressOffset = 0.0;
    std::map<int, CProgressRange> m_progressRanges;
    std::vector<int> m_loadedSites;
    std::vector<CIncludedSite> m_includedSites;
    int m_loadDepth = 0;
    void LoadBuiltInHatchPatterns();

    // The attribute model outlives the shapes, whose values and groups it keeps track of; the
    // types outlive the groups that list them.
    std::unique_ptr<CAttributeTypeMap> m_attributeTypes;
    std::unique_ptr<CAttributeGroupMap> m_attributeGroups;
    std::unique_ptr<CAttributeMap> m_attributeValues;
    // Groups read from the database whose parent row has not come yet: parent database ID ->
    // the children's group IDs.
    std::multimap<int, int> m_pendingParents;
    std::unique_ptr<CPointPool> m_pointPool;
    std::unique_ptr<CShapeMap> m_shapeMap;
    std::unique_ptr<CLineTypeMap> m_lineTypes;
    std::unique_ptr<CPenCache> m_penCache;
    std::unique_ptr<CLinkedPointMap> m_linkedPoints;
    std::unique_ptr<CShapeStateMap> m_shapeStates;
    std::unique_ptr<CFontCache> m_fontCache;
    std::unique_ptr<CViewportRecord> m_currentView;
    std::unique_ptr<CViewportList> m_viewports;
    CSiteRecord m_siteRecord;
    CPageSetupRecord m_pageSetup;
    CPrintSettings m_printSettings;
    std::map<int, CUnitRecord> m_units;
    std::unique_ptr<CDrawingSettingMap> m_drawingSettings;
    CDrawingSettingRecord* m_currentSetting = nullptr;
    std::unique_ptr<CUndoRecorder> m_undoRecorder;
    std::unique_ptr<CTextEditorDialog> m_textEditor;
    std::unique_ptr<CBrushCache> m_brushCache;
    std::unique_ptr<CImageResourceMap> m_imageResources;
    std::unique_ptr<CHatchPatternMap> m_hatchPatterns;
    // World units per hatch pattern unit.
    float m_hatchUnitFactor = 1.0f;

    CEditState m_edit;
    int m_siteId = 0;
    int m_scenarioId = 0;
    DWORD m_controlFlags = 2; // controlSaveAsBinary
    DWORD m_modeWord = 0;
    DWORD m_dxfOptions = 0;
    CPendingImage m_pendingImage;
    bool m_enabled = true;
    std::atomic<bool> m_idle{true};
    std::atomic<int> m_busySections{0};
    // The worker threads not yet waited for: a worker opens the gate and announces its end
    // before its thread is over, so a control going away waits for them (see WaitForWorkers).
    std::mutex m_workerLock;
    std::vector<HANDLE> m_workerThreads;
    bool m_readOnly = false;
    CShape* m_editedReference = nullptr;
    CGroup* m_rootGroup = nullptr;
    CGroup* m_activeGroup = nullptr;
    int m_lastErrorCode = 0;
    std::string m_lastErrorText;
    mutable std::mutex m_lastErrorLock;
    DWORD m_pendingRedraw = 1; // rfRedrawAll
    int m_redrawTargetId = 0;
    bool m_hasRedrawTarget = false;
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
    std::unique_ptr<CDxfDocument> m_dxfDocument;
};
