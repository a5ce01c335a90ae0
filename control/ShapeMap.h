#pragma once
#include <windows.h>
#include <map>
#include <memory>
#include <set>
#include <vector>
#include "automation/ResultCodes.h"
#include "model/ShapeIndex.h"

class CControlCore;
class COdbcRow;
class COdbcSession;
class CShape;
class CGroup;
class CDrawingSettingRecord;
class CDataTableSet;
class COdbcSession;

// Every shape of the site by shape ID (the fixed groups and the prototype shapes included), the
// tables that tie shapes to database rows and source sites, the counters of new shape IDs and
// database IDs, and the shape factory. Taking a shape out of the map never deletes it. The shapes
// reach it through CShapeIndex.
class CShapeMap : public CShapeIndex
{
public:
    // The value of an ID argument that asks for a new ID.
    static const int kNewId = kNewShapeId;

    explicit CShapeMap(CControlCore* control);
    CShapeMap(const CShapeMap&) = delete;
    CShapeMap& operator=(const CShapeMap&) = delete;
    ~CShapeMap() override;

    // The factory: a new shape of a ShapeTypes code under the given ID (absent or kNewId: the
    // next shape ID, consumed before the type is looked at), on the current layer, with the
    // current drawing setting's defaults; entered into the map with registerIt. Null for a type
    // it does not build.
    CShape* CreateShape(int type, bool visible, bool registerIt, const int* id = nullptr) override;
    // A new shape copied from the control's prototype of the type.
    CShape* CreateShapeFromPrototype(int type, bool visible, bool registerIt);
    // A copy of a shape under a new ID.
    CShape* CloneShape(CShape* source, bool registerIt) override;

    // Enters a shape under its own ID; false when an ID below the counter is taken.
    bool Insert(CShape* shape);
    // The shape takes another ID in place: its entry (and its database-ID entry) moves to the new
    // key without the clean-up of a shape that leaves. False when the shape is not entered under
    // its ID or the new ID is taken.
    bool ChangeKey(CShape* shape, int newId);
    // 0 when removed or absent, 1 when refused (a fixed group or a root group).
    int RemoveShape(CShape* shape) override;
    int DeleteShape(CShape* shape) override;
    // Deletes every shape (the control's tear-down; the fixed groups too).
    void DeleteAll();
    bool IsProtected(CShape* shape) const;
    CShape* Lookup(int id) const override;
    // Takes the first entry out of the map, unconditionally (the control's tear-down).
    CShape* TakeFirst();

    int AddRootGroup(CGroup* group);
    int RemoveRootGroup(CGroup* group);
    // Groups that list shapes without owning them: a shape removed from the map leaves them.
    void AddOverlayGroup(CGroup* group) override;
    void RemoveOverlayGroup(CGroup* group) override;

    // Database shape ID -> shape ID.
    void SetDbId(int dbId, int shapeId) override;
    void RemoveDbId(int dbId);
    CShape* FindByDbId(int dbId) const;
    // Database shape ID -> the site its row came from.
    void SetSourceSite(int dbId, int siteId) override;
    // The site of a database shape ID unless it has one already.
    void AddSourceSite(int dbId, int siteId);
    int GetSourceSite(int dbId) const override;
    int GetSourceSiteOfShape(int shapeId) const;

    // The next database shape ID from "select max(ShapeID) from Shapes", at least 1; an
    // execution error is returned as it came.
    HRESULT ReadNextDbId(COdbcSession& session);
    // Temporary (negative) database IDs for shapes read from DXF; true when some shape already
    // held a negative one.
    bool MakeTemporaryDbIds();
    // A temporary database ID for a shape read from DXF: the counter's value, after which it
    // counts down. A counter not yet below 0 is first moved below every database ID held, so a
    // temporary ID never meets a row's ID.
    int TakeTemporaryDbId() override;
    void ResetAfterSave();
    // The database-ID and source-site tables as they stand, and put back.
    const std::map<int, int>& DbIdTable() const { return m_dbIds; }
    const std::map<int, int>& SourceSiteTable() const { return m_sourceSites; }
    void RestoreDbTables(const std::map<int, int>& dbIds, const std::map<int, int>& sourceSites, int nextDbShapeId)
    {
        m_dbIds = dbIds;
        m_sourceSites = sourceSites;
        m_nextDbShapeId = nextDbShapeId;
    }

    // ---- Shapes from the database (ShapeMapLoad.cpp, ShapeMapMessages.cpp) ----
    // Reads the shapes of a site (scope 0, the argument a site ID), of a group and its direct
    // children (scope 1) or of one shape (scope 2; the argument a database shape ID) into the
    // map: missing shapes are made, existing ones refreshed. The database IDs of the rows applied
    // go into `list` when given. S_OK, the failing statement's result, or E_FAIL for rows that do
    // not fit the drawing.
    HRESULT LoadSiteShapes(COdbcSession& session, int argument, int scope, std::vector<int>* list);
    // One point row: the owning shape's database ID and the pool point (found by its database ID
    // or added) with the row's coordinates.
    HRESULT ReadPointRow(COdbcRow& row, int* shapeDatabaseId, int* pointId);
    HRESULT ReadShapePointRows(COdbcSession& session, std::vector<int>* list);
    HRESULT ReadVertexRows(COdbcSession& session, std::vector<int>* list);
    // The point (kind 1) or vertex rows (kind 16) of every child of a group, into its subgroups,
    // or of every database ID of a list.
    HRESULT LoadChildPoints(COdbcSession& session, CGroup* group, int kind, std::vector<int>* list);
    HRESULT LoadPointsOfList(COdbcSession& session, const std::vector<int>& ids, int kind, std::vector<int>* list);
    // Another session changed a shape: it is read again with its direct children (a shape gone
    // from the database leaves the map).
    HRESULT ReloadShapeFromDb(int databaseId);
    // Another session deleted a shape: 1 when nothing was deleted, else the removal's result. A
    // fixed or prototype shape goes only when the host agrees.
    HRESULT RemoveShapeOnMessage(int databaseId);

    // One row of v_Shapes.
    struct DbShapeRow
    {
        int databaseId = 0;
        double penWeight = 0.0;
        DWORD penColor = 0;
        long tag = 0;
        int number = 0;
        double linePatternScale = 0.0;
        double zOrder = 0.0;
        DWORD hatchColor = 0;
        DWORD flags = 0;
        int type = 0;
        int siteId = 0;
        int linePatternId = 0;
        int parentId = 0;
        int hatchPatternId = 0;
        int layerId = 0;
    };

    void BeginLoadedIds();
    void EndLoadedIds();
    void ForgetLoadedId(CShape* shape);

    // One shape of a record-table set by its stored key, found or made and read from the set as
    // a restore does (the Shapes table's cursor goes back where it stood): the fixed shapes stand
    // for themselves, a shape the set already restored is found through the set's ID mapping.
    // Null when the set has no such record, the record is of a session group (selection,
    // clipboard, zoom window, highlights) or the shape cannot be read.
    CShape* LoadShapeFromTables(CDataTableSet* tables, DWORD mode, int storedKey) override;

    // The shapes between the map and a record-table set: saving writes every shape (with
    // DXFMODE_SINGLE_OBJECT only the subtree of `shapeId`) through its own exchange; loading
    // (DXFMODE_LOAD) re-reads the shapes the Shapes table names and creates the missing ones,
    // under their stored IDs with DXFMODE_USE_YVEX_IDENTIFIERS, else under new ones that the
    // set's ID mapping remembers. The result of the last shape's exchange; E_INVALIDARG without a
    // set, S_FALSE without a Shapes table, E_ACCESSDENIED when the single record asked for is not
    // there. A failing shape does not stop the others.
    HRESULT SerializeShapes(CDataTableSet* tables, DWORD mode, int shapeId);
    // Frees the set of shapes a restore touched.
    void FreeAuxMap() { m_auxIds.reset(); }

    CShape* CreateReplacement(int shapeId, int type) override;
    CShape* FindReplacement(int shapeId) const override;
    void DropReplacement(int shapeId) override;
    // Takes a waiting replacement out of the map (null when there is none): the caller owns it.
    std::unique_ptr<CShape> TakeReplacement(int shapeId);
    // Deletes the replacements no load took.
    void ClearReplacements();
    const std::map<int, std::unique_ptr<CShape>>& Replacements() const { return m_replacements; }

    // The shapes a restore from record tables touched (points added, taken or re-linked): the
    // set is made on first use and read by the restore afterwards.
    void AddAuxId(int shapeId);
    // Every shape that owns the point.
    void AddAuxIdsOf(int pointId);
    const std::set<int>* GetAuxIds() const { return m_auxIds.get(); }
    void ClearAuxIds() { m_auxIds.reset(); }

    int GetNextShapeId() const { return m_nextShapeId; }
    // New shapes get IDs above `id` (the system's IDs are never handed out).
    void ReserveIdsThrough(int id)
    {
        if (m_nextShapeId <= id)
            m_nextShapeId = id + 1;
    }
    int GetNextDbShapeId() const override { return m_nextDbShapeId; }
    void SetNextDbShapeId(int id) override { m_nextDbShapeId = id; }
    CDrawingSettingRecord* GetCurrentDrawingSetting() const { return m_currentSetting; }
    void SetCurrentDrawingSetting(CDrawingSettingRecord* setting) { m_currentSetting = setting; }
    const std::map<int, CShape*>& Shapes() const { return m_shapes; }
    // Grows whenever a shape enters or leaves the map or changes its ID: a position in the map
    // remembered at one count still stands while the count is the same.
    unsigned long GetChangeCount() const { return m_changeCount; }

private:
    HRESULT ApplyShapeRow(const DbShapeRow& row, int scope, int argument, bool keepIds,
                          std::vector<std::pair<int, int>>& pendingLayers, std::vector<int>* list);
    HRESULT LoadKindRows(COdbcSession& session, int kind, int scope, int argument, bool* appliedAny);
    // The block reference rows: each reference is tied to its block (fetched first on a second
    // connection when a reload misses it), takes its scales and angle and shows the block anew.
    HRESULT LoadReferenceRows(COdbcSession& session, int scope, int argument, bool* appliedAny);
    // A second connection for a nested load, reading what other sessions have not committed.
    HRESULT OpenNestedSession(COdbcSession& session);
    // Takes a shape and its subtree out of the drawing, without events.
    void DiscardShape(CShape* shape);
    // The entry of a database shape ID in m_dbIds, or its end.
    std::map<int, int>::const_iterator FindDbId(int dbId) const;
    HRESULT SaveShapesToTables(CDataTableSet* tables, DWORD mode, int shapeId);
    HRESULT LoadShapesFromTables(CDataTableSet* tables, DWORD mode, int shapeId);
    // Drops a shape a load made and could not place: out of the map and the loaded IDs, deleted
    // with its tree.
    void DropLoadedShape(CShape* shape);
    void ApplySettingDefaults(CShape* shape, int requestedType);
    void PlaceOnCurrentLayer(CShape* shape, bool visible);

    std::map<int, CShape*> m_shapes;
    unsigned long m_changeCount = 0;
    int m_nextDbShapeId = 1;
    CDrawingSettingRecord* m_currentSetting = nullptr;
    std::map<int, int> m_dbIds;
    std::map<int, int> m_sourceSites;
    // The parent of the last shape row a load placed, by its database ID: the rows of a group's
    // children come one after another. Forgotten whenever a load takes shapes away.
    int m_lastParentDbId = 0;
    CShape* m_lastParent = nullptr;
    int m_nextShapeId = 1;
    std::vector<CGroup*> m_overlayGroups;
    std::vector<CGroup*> m_rootGroups;
    std::unique_ptr<std::set<int>> m_loadedIds;
    std::unique_ptr<std::set<int>> m_auxIds;
    std::map<int, std::unique_ptr<CShape>> m_replacements;
    CControlCore* m_control;
};

// Runs the loader's text of a query kind (0 to 13, 16, 17) for a scope on the statement; E_FAIL
// for kinds without a text.
HRESULT SelectShapeQuery(COdbcSession& session, int kind, int scope, int argument);
