#include "control/ViewportList.h"
#include "com/HResult.h"
#include "control/ControlCore.h"
#include "control/ResourceMessage.h"
#include "interchange/DxfFile.h"
#include "persistence/DataTableSet.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "persistence/MaxIdReader.h"
#include "persistence/Odbc.h"
#include "persistence/sql/ViewportSql.h"
#include "ui/resource.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cstring>

namespace {

// ID kinds of the table set's maps for viewports and drawing settings.
const int kViewportIdKind = 6;
const int kDrawingSettingIdKind = 5;

bool SameRect(const CWorldRect& a, const CWorldRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool EqualNoCase(const char* a, const char* b) { return a && b && lstrcmpiA(a, b) == 0; }

} // namespace

CViewportList::CViewportList(CControlCore* control) : m_control(control) {}

CViewportList::~CViewportList() { DeleteAll(true); }

void CViewportList::SetCurrentView(CViewportRecord* current)
{
    if (m_current == current)
        return;
    if (m_current)
        m_records.erase(std::remove(m_records.begin(), m_records.end(), m_current), m_records.end());
    m_current = current;
    if (current)
        m_records.insert(m_records.begin(), current);
}

bool CViewportList::IdTaken(int id, const CViewportRecord* except) const
{
    for (const CViewportRecord* record : m_records)
        if (record != except && record->ID == id)
            return true;
    return false;
}

int CViewportList::NextFreeId() const
{
    int id = 1;
    for (const CViewportRecord* record : m_records)
        id = std::max(id, record->ID + 1);
    return id;
}

void CViewportList::Add(CViewportRecord* record)
{
    if (!record || std::find(m_records.begin(), m_records.end(), record) != m_records.end())
        return;
    // Views are found by ID: a second view of the same ID (a stored row numbered 1 beside the
    // current view) would hide the first.
    if (record->ID <= 0 || IdTaken(record->ID, record))
        record->ID = NextFreeId();
    m_records.push_back(record);
}

CViewportRecord* CViewportList::GetAt(int position) const
{
    return position >= 0 && position < GetCount() ? m_records[static_cast<size_t>(position)] : nullptr;
}

CViewportRecord* CViewportList::FindByID(int id) const
{
    for (CViewportRecord* record : m_records)
        if (record->ID == id)
            return record;
    return nullptr;
}

CViewportRecord* CViewportList::FindByName(const char* name) const
{
    const char* wanted = name ? name : "";
    for (CViewportRecord* record : m_records)
        if (record->name == wanted)
            return record;
    return nullptr;
}

int CViewportList::DeleteAt(int position)
{
    CViewportRecord* record = GetAt(position);
    if (!record || record == m_current)
        return 0;
    m_records.erase(m_records.begin() + position);
    delete record;
    return 1;
}

int CViewportList::DeleteByID(int id)
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_records[static_cast<size_t>(i)]->ID == id && m_records[static_cast<size_t>(i)] != m_current)
            return DeleteAt(i);
    return 0;
}

void CViewportList::DeleteAll(bool all)
{
    std::vector<CViewportRecord*> kept;
    for (CViewportRecord* record : m_records) {
        if (record == m_current) {
            if (!all)
                kept.push_back(record);
            continue;
        }
        if (!all && record->ID == 1)
            kept.push_back(record);
        else
            delete record;
    }
    m_records.swap(kept);
    if (all)
        m_current = nullptr;
    m_hasRemembered = false;
    m_rememberedTag = 0;
    m_remembered = CWorldRect();
    m_sourceSites.clear();
}

void CViewportList::ClearDatabaseIds()
{
    for (CViewportRecord* record : m_records)
        record->databaseID = 0;
    m_sourceSites.clear();
}

bool CViewportList::RememberView(const CViewportRecord& view, int tag)
{
    const CWorldRect rect = view.GetWorldRect();
    if (m_hasRemembered && (SameRect(rect, m_remembered) || (tag != 0 && tag == m_rememberedTag)))
        return false;
    m_remembered = rect;
    m_rememberedTag = tag;
    m_hasRemembered = true;
    return true;
}

bool CViewportList::RestorePreviousView(CViewportRecord& view)
{
    const CWorldRect current = view.GetWorldRect();
    if (!m_hasRemembered || SameRect(current, m_remembered))
        return false;
    const CWorldRect target = m_remembered;
    view.ZoomToRect(target.left, target.top, target.right, target.bottom, 1.0);
    m_remembered = current;
    m_rememberedTag = 0;
    return true;
}

void CViewportList::RecalcForClient(SIZE pixels)
{
    for (CViewportRecord* record : m_records)
        record->SetClientSize(pixels, false);
}

int CViewportList::GetSourceSite(int databaseId) const
{
    auto it = m_sourceSites.find(databaseId);
    return it == m_sourceSites.end() ? 0 : it->second;
}

// ---- viewPorts rows ----

HRESULT CViewportList::LoadFromDB(COdbcSession& session, int siteId)
{
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ViewportSql::LoadViewports, {siteId}));
    SQLHSTMT statement = session.Statement();
    SQLRETURN fetched;
    while (SQL_SUCCEEDED(fetched = SQLFetch(statement))) {
        SQLINTEGER id = 0;
        char name[1025] = {};
        float values[4] = {};
        SQLLEN indicator = 0;
        SQLGetData(statement, 1, SQL_C_SLONG, &id, 0, &indicator);
        if (!SQL_SUCCEEDED(SQLGetData(statement, 2, SQL_C_CHAR, name, sizeof name, &indicator)) ||
            indicator == SQL_NULL_DATA)
            name[0] = 0;
        for (SQLUSMALLINT c = 0; c < 4; ++c) {
            if (!SQL_SUCCEEDED(SQLGetData(statement, static_cast<SQLUSMALLINT>(3 + c), SQL_C_FLOAT, &values[c], 0,
                                          &indicator)) ||
                indicator == SQL_NULL_DATA)
                values[c] = 0.0f;
        }
        auto* record = new CViewportRecord(m_control);
        record->ID = id;
        record->databaseID = id;
        record->name = name;
        record->center = CRealPoint(values[0], values[1]);
        record->width = values[2];
        record->height = values[3];
        Add(record);
        m_sourceSites[id] = siteId;
    }
    while (SQLMoreResults(statement) == SQL_SUCCESS) {
    }
    SQLFreeStmt(statement, SQL_CLOSE);
    if (fetched != SQL_NO_DATA)
        return session.CheckResult(CLSID_YVEXControl, fetched, "Execution Failed");
    return S_OK;
}

HRESULT CViewportList::SaveRecordToDB(COdbcSession& session, const CViewportRecord& record, int siteId,
                                      const char* name)
{
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ViewportSql::MaxViewportId));
    int id = ReadMaxIdResult(session.Statement(), 0) + 1;
    if (id < 1)
        id = 1;
    const std::string text = name ? name : record.name;
    const int scenario = m_control ? m_control->GetScenarioId() : 0;
    return session.Exec(CLSID_YVEXControl, ViewportSql::InsertViewport,
                        {id, scenario, record.center.x, record.center.y, record.width, record.height, siteId},
                        {OdbcParam::Text(text)});
}

HRESULT CViewportList::SaveToDB(COdbcSession& session, int siteId)
{
    if (m_records.size() == 1 && m_records.front() == m_current) {
        const std::string name = LoadResourceString(IDS_DEFAULT_VIEWPORT_NAME, "DEFAULT");
        return SaveRecordToDB(session, *m_current, siteId, name.c_str());
    }
    for (CViewportRecord* record : m_records) {
        if (record == m_current)
            continue;
        RETURN_IF_FAILED(SaveRecordToDB(session, *record, siteId, nullptr));
    }
    return S_OK;
}

// ---- DXF VPORT table ----

bool CViewportList::WriteDxfTable(CDxfFile& dxf) const
{
    const CDrawingSettingRecord* currentSetting = m_control ? m_control->GetCurrentDrawingSetting() : nullptr;
    for (const CViewportRecord* record : m_records) {
        if (record == m_current) {
            // The current view goes out as the active view, with the current grid and snap.
            if (!record->WriteDxf(dxf, currentSetting, CDxfFile::KeywordFromIndex(CDxfFile::kwActive)))
                return false;
            continue;
        }
        const CDrawingSettingRecord* setting = record->drawingSetting;
        if (!setting && m_control) {
            setting = currentSetting;
            if (!setting)
                setting = m_control->GetDrawingSettingMap().GetFirst();
        }
        if (!record->WriteDxf(dxf, setting))
            return false;
    }
    return true;
}

void CViewportList::ApplyActiveEntry(CViewportRecord* entry)
{
    CDrawingSettingRecord* brought = entry->drawingSetting;
    if (brought && m_control) {
        CDrawingSettingMap& settings = m_control->GetDrawingSettingMap();
        CDrawingSettingRecord* first = settings.FindByID(1);
        if (first) {
            // Setting 1 takes what the entry carried (its grid and snap) and keeps the rest:
            // its name, its layer, its pens.
            first->CopyGridAndSnapFrom(*brought);
            entry->drawingSetting = first;
            settings.Remove(brought->ID);
        }
    }
    if (m_current) {
        // The entry brings a view of the world; the window it is shown in (client size and
        // offset, screen) stays the current view's, so the view is computed for that window.
        entry->clientSize = m_current->clientSize;
        entry->clientOffset = m_current->clientOffset;
        entry->horzSize10 = m_current->horzSize10;
        entry->vertSize10 = m_current->vertSize10;
        entry->horzRes = m_current->horzRes;
        entry->vertRes = m_current->vertRes;
        const std::string keep = m_current->name;
        m_current->Assign(*entry);
        m_current->name = keep;
        for (int i = 0; i < 3; ++i) {
            m_current->target[i] = entry->target[i];
            m_current->viewDirection[i] = entry->viewDirection[i];
        }
    }
}

bool CViewportList::ReadDxfTable(CDxfFile& dxf)
{
    const char* vport = CDxfFile::KeywordFromIndex(CDxfFile::kwVport);
    const char* endtab = CDxfFile::KeywordFromIndex(CDxfFile::kwEndtab);
    // The table's own groups (count, handles) come before its first entry.
    bool found = false;
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() == 0) {
            found = true;
            break;
        }
    }
    if (!found)
        return !dxf.HasError();
    if (std::strcmp(dxf.GetText(), vport) != 0) {
        dxf.UngetGroup();
        return true;
    }
    for (;;) {
        auto entry = std::make_unique<CViewportRecord>(m_control);
        if (!entry->ReadDxf(dxf))
            return false;
        // Table names are not case-sensitive: "*Active" is the active view as well.
        if (EqualNoCase(entry->name.c_str(), CDxfFile::KeywordFromIndex(CDxfFile::kwActive)))
            ApplyActiveEntry(entry.get());
        else
            Add(entry.release());
        if (!dxf.ReadGroup())
            return !dxf.HasError();
        if (dxf.GetCode() != 0)
            return false;
        if (std::strcmp(dxf.GetText(), endtab) == 0)
            return true;
        if (std::strcmp(dxf.GetText(), vport) != 0) {
            dxf.UngetGroup();
            return true;
        }
    }
}

// ---- Viewports records ----

HRESULT CViewportList::ExchangeTables(CDataTableSet* tables, DWORD mode, int key)
{
    if (!tables)
        return E_INVALIDARG;
    CViewportsTable* table = tables->Viewports();
    if (!table)
        return S_FALSE;
    const bool keep = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    const bool single = (mode & DXFMODE_SINGLE_OBJECT) != 0;
    const int imode = static_cast<int>(mode);

    if (!(mode & DXFMODE_LOAD)) {
        for (CViewportRecord* record : m_records) {
            if (single && record->ID != key)
                continue;
            CViewportsRecord row;
            row.viewPortID = keep ? record->ID : table->GetMaxKey() + 1;
            row.DatabaseID = keep ? record->databaseID : 0;
            row.Name = record->name;
            row.centerX = record->center.x;
            row.centerY = record->center.y;
            row.width = record->width;
            row.Height = record->height;
            row.siteID = 0;
            if (const CDrawingSettingRecord* setting = record->drawingSetting) {
                if (keep) {
                    row.DrawingSettingID = setting->ID;
                } else if (setting->DatabaseID > 0) {
                    const int stored = tables->CurrentToStoredId(setting->ID, kDrawingSettingIdKind, imode);
                    row.DrawingSettingID = stored == CDataTableSet::kNoIdMapping ? 0 : stored;
                }
            }
            if (table->FindRecord(row.viewPortID))
                return E_ACCESSDENIED;
            table->Insert(row);
            if (!keep)
                tables->AddIdMapping(record->ID, row.viewPortID, kViewportIdKind);
            if (record->databaseID > 0 && !m_sourceSites.count(record->databaseID))
                m_sourceSites[record->databaseID] = m_control ? m_control->GetSiteId() : 0;
        }
        return S_OK;
    }

    std::vector<CViewportsRecord> rows;
    if (single) {
        const CViewportsRecord* row = table->FindRecord(key);
        if (!row)
            return E_ACCESSDENIED;
        rows.push_back(*row);
    } else {
        for (const auto& entry : table->GetRecords())
            rows.push_back(entry.second);
    }
    for (const CViewportsRecord& row : rows) {
        CViewportRecord* record = nullptr;
        const int current = tables->StoredToCurrentId(row.viewPortID, kViewportIdKind, imode);
        if (current != CDataTableSet::kNoIdMapping)
            record = FindByID(current);
        if (!record)
            record = FindByName(row.Name.c_str());
        if (!record) {
            record = new CViewportRecord(m_control);
            record->ID = keep ? row.viewPortID : 0;
            Add(record);
            if (!keep)
                tables->AddIdMapping(record->ID, row.viewPortID, kViewportIdKind);
        }
        record->name = row.Name;
        record->center = CRealPoint(static_cast<float>(row.centerX), static_cast<float>(row.centerY));
        record->height = static_cast<float>(row.Height);
        record->SetWidth(static_cast<float>(row.width));
        if (keep)
            record->databaseID = row.DatabaseID;
        if (row.DrawingSettingID != 0 && m_control) {
            const int settingId = tables->StoredToCurrentId(row.DrawingSettingID, kDrawingSettingIdKind, imode);
            if (settingId != CDataTableSet::kNoIdMapping)
                if (CDrawingSettingRecord* setting = m_control->GetDrawingSettingMap().FindByID(settingId))
                    record->drawingSetting = setting;
        }
        if (record->databaseID > 0)
            m_sourceSites[record->databaseID] = row.siteID;
    }
    return S_OK;
}
