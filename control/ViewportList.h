#pragma once
#include <windows.h>
#include <sql.h>
#include <map>
#include <vector>
#include "control/ViewportRecord.h"
#include "persistence/OdbcSession.h"

class CControlCore;
class CDataTableSet;
class CDxfFile;

// The site's viewports, in insertion order: the control's current view "CURRENT" first (it
// belongs to the control; the list never deletes it), then the named views, which the list
// owns. The views travel as rows of the viewPorts table, as Viewports records of a table set and
// as the VPORT table of DXF files. The list also remembers one view for "zoom previous".
class CViewportList
{
public:
    explicit CViewportList(CControlCore* control);
    CViewportList(const CViewportList&) = delete;
    CViewportList& operator=(const CViewportList&) = delete;
    ~CViewportList();

    // The control's current view, listed first (not owned).
    void SetCurrentView(CViewportRecord* current);
    CViewportRecord* GetCurrentView() const { return m_current; }
    bool IsCurrentView(const CViewportRecord* record) const { return record && record == m_current; }

    // Appends a view the list then owns; a view whose ID is 0 or taken gets the next free ID.
    void Add(CViewportRecord* record);
    int GetCount() const { return static_cast<int>(m_records.size()); }
    CViewportRecord* GetAt(int position) const;
    CViewportRecord* FindByID(int id) const;
    // The first view of that name; an empty or null name finds the first view without a name.
    CViewportRecord* FindByName(const char* name) const;
    // Removes and deletes a view: 1 when found, else 0. The current view stays (0).
    int DeleteByID(int id);
    int DeleteAt(int position);
    // Deletes every view, or with all false every view but the current one; forgets the
    // remembered view and the source sites. With all the current view leaves the list too.
    void DeleteAll(bool all);
    // Every view forgets its database ID; the source sites are forgotten.
    void ClearDatabaseIds();
    // An ID no view has.
    int NextFreeId() const;

    // "Zoom previous": remembers the view's world rectangle with a tag (false when it equals the
    // remembered one, or the tag is non-zero and equals the remembered tag), and zooms a view back
    // to the remembered rectangle, which then takes the view's former one (false when nothing
    // is remembered or the view already shows it).
    bool RememberView(const CViewportRecord& view, int tag);
    bool RestorePreviousView(CViewportRecord& view);

    // Every view for a new client size in pixels, keeping each one's centre and zoom.
    void RecalcForClient(SIZE pixels);

    // The site the database row of a view came from (by the view's database ID), 0 when unknown.
    int GetSourceSite(int databaseId) const;
    const std::map<int, int>& SourceSites() const { return m_sourceSites; }
    void SetSourceSites(const std::map<int, int>& sites) { m_sourceSites = sites; }

    // The viewPorts rows of a site: loading appends a view per row; saving inserts a row per view
    // but the current view, or, when the current view is the only one, that view under the name
    // "DEFAULT". Failures are returned with the database's error info.
    HRESULT LoadFromDB(COdbcSession& session, int siteId);
    HRESULT SaveToDB(COdbcSession& session, int siteId);
    // One view as a new row (the next viewPortID of the table) under its name or `name`.
    HRESULT SaveRecordToDB(COdbcSession& session, const CViewportRecord& record, int siteId, const char* name);

    // The VPORT entries of a DXF table: the current view under "*ACTIVE" with the control's
    // current drawing setting, then the others. Reading starts after the table's name group,
    // reads its VPORT entries up to and with ENDTAB; "*ACTIVE" sets the current view, any other
    // entry is appended. False on a damaged file.
    bool WriteDxfTable(CDxfFile& dxf) const;
    bool ReadDxfTable(CDxfFile& dxf);

    // The views as Viewports records of a table set, or with DXFMODE_LOAD back (all records, or
    // with DXFMODE_SINGLE_OBJECT the one of `key`). S_FALSE without a Viewports table;
    // E_ACCESSDENIED when a record cannot be written or the single key is missing.
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD mode, int key);

private:
    bool IdTaken(int id, const CViewportRecord* except) const;
    void ApplyActiveEntry(CViewportRecord* entry);

    CControlCore* m_control;
    std::vector<CViewportRecord*> m_records;
    CViewportRecord* m_current = nullptr;
    // Database ID of a view -> the site its row came from.
    std::map<int, int> m_sourceSites;
    bool m_hasRemembered = false;
    int m_rememberedTag = 0;
    CWorldRect m_remembered;
};
