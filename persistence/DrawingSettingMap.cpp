#include "persistence/DrawingSettingMap.h"
#include <cmath>
#include <cstring>
#include <vector>
#include "persistence/DataTableSet.h"
#include "persistence/DataTables.h"
#include "persistence/DrawingSettingLayers.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "persistence/OdbcRow.h"
#include "persistence/sql/DrawingSettingSql.h"
#include "com/ErrorInfo.h"
#include "com/HResult.h"
#include "YVEX_h.h"

bool CDrawingSettingMap::Insert(std::unique_ptr<CDrawingSettingRecord> record, bool newId)
{
    if (!record)
        return false;
    if (record->ID < m_nextId) {
        auto existing = m_settings.find(record->ID);
        const bool takenByOther = existing != m_settings.end() && existing->second.get() != record.get();
        if (newId || takenByOther)
            record->ID = m_nextId++;
    } else {
        m_nextId = record->ID + 1;
    }
    const int id = record->ID;
    return m_settings.emplace(id, std::move(record)).second;
}

CDrawingSettingRecord* CDrawingSettingMap::CreateCurrentSetting(bool insert, CLayer* baseLayer,
                                                                std::unique_ptr<CDrawingSettingRecord>* detached)
{
    auto record = std::make_unique<CDrawingSettingRecord>();
    record->SetName("CURRENT");
    record->PenWeight = 0.0f;
    record->PenColor = coByLayer;
    record->HatchColor = coByLayer;
    record->LinePatternID = ltByLayer;
    record->HatchPatternID = hpByLayer;
    record->Layer = baseLayer;
    record->ShowGrid = 1;
    record->GridXSpace = record->GridYSpace = 10.0f;
    record->SnapToGrid = 0;
    record->SnapXSpace = record->SnapYSpace = 10.0f;
    record->SnapBaseX = record->SnapBaseY = 0.0f;
    record->LinePatternScale = 50.0f;
    record->HatchPatternScale = 1.0f;
    record->ImageScale = record->ArrowScale = 2.0f;
    record->OrthoMode = 0;
    record->EditNewText = 1;
    record->ShowRulers = 0;
    record->SplineFreeHand = 1;
    record->FontName = "Arial";
    record->FontSize = 20.0f;
    record->FontCharset = 1;
    record->StyleWord = 0;
    record->ScalePenWeight = 1;
    CDrawingSettingRecord* result = record.get();
    if (insert) {
        if (!Insert(std::move(record), true))
            return nullptr;
    } else if (detached) {
        *detached = std::move(record);
    } else {
        return nullptr;
    }
    return result;
}

CDrawingSettingRecord* CDrawingSettingMap::FindByID(int id) const
{
    auto it = m_settings.find(id);
    return it == m_settings.end() ? nullptr : it->second.get();
}

CDrawingSettingRecord* CDrawingSettingMap::GetFirst() const
{
    return m_settings.empty() ? nullptr : m_settings.begin()->second.get();
}

bool CDrawingSettingMap::Remove(int id) { return m_settings.erase(id) > 0; }

CDrawingSettingRecord* CDrawingSettingMap::FindByName(const char* name) const
{
    const bool wantEmpty = !name || !*name;
    for (const auto& entry : m_settings) {
        const CDrawingSettingRecord& record = *entry.second;
        const bool empty = !record.Name || record.Name->empty();
        if (wantEmpty ? empty : (!empty && *record.Name == name))
            return entry.second.get();
    }
    return nullptr;
}

void CDrawingSettingMap::Clear(bool all)
{
    std::unique_ptr<CDrawingSettingRecord> survivor;
    if (!all) {
        auto it = m_settings.find(1);
        if (it != m_settings.end())
            survivor = std::move(it->second);
    }
    m_settings.clear();
    m_origins.clear();
    m_nextId = 1;
    if (survivor) {
        survivor->ID = 1;
        m_settings.emplace(1, std::move(survivor));
        m_nextId = 2;
    }
}

void CDrawingSettingMap::ClearDatabaseIds()
{
    for (auto& entry : m_settings)
        entry.second->DatabaseID = 0;
    m_origins.clear();
}

int CDrawingSettingMap::FindOriginSite(int key) const
{
    auto it = m_origins.find(key);
    return it == m_origins.end() ? -1 : it->second;
}

CDrawingSettingRecord* CDrawingSettingMap::CreateSetting(const char* name, float penWeight, DWORD penColor,
                                                         DWORD hatchColor, int linePatternId, int layerDatabaseId,
                                                         int showGrid, float gridX, float gridY, int snapToGrid,
                                                         float snapX, float snapY, float snapBaseX, float snapBaseY,
                                                         float linePatternScale, float hatchPatternScale,
                                                         float imageScale, int orthoMode,
                                                         const CDrawingSettingLayers& layers)
{
    auto record = std::make_unique<CDrawingSettingRecord>();
    record->SetName(name);
    record->PenWeight = std::fabs(penWeight);
    record->SetPenColor(penColor);
    record->SetHatchColor(hatchColor);
    record->LinePatternID = linePatternId;
    record->HatchPatternID = 0;
    record->Layer = layers.FindLayerByDatabaseId(layerDatabaseId);
    record->ShowGrid = showGrid;
    record->GridXSpace = gridX;
    record->GridYSpace = gridY;
    record->SnapToGrid = snapToGrid;
    record->SnapXSpace = snapX;
    record->SnapYSpace = snapY;
    record->SnapBaseX = snapBaseX;
    record->SnapBaseY = snapBaseY;
    record->LinePatternScale = linePatternScale;
    record->HatchPatternScale = hatchPatternScale;
    record->ImageScale = record->ArrowScale = imageScale;
    record->OrthoMode = orthoMode;
    record->EditNewText = 1;
    record->ShowRulers = 0;
    record->ScalePenWeight = 0;
    record->SplineFreeHand = 1;
    record->FontName = "Arial";
    record->StyleWord = 0;
    record->FontCharset = 1;
    record->FontSize = 20.0f;
    CDrawingSettingRecord* result = record.get();
    return Insert(std::move(record), true) ? result : nullptr;
}

HRESULT CDrawingSettingMap::SaveToDatabase(COdbcSession& session, int siteId, const CDrawingSettingLayers& layers)
{
    HRESULT first = S_OK;
    for (auto& entry : m_settings) {
        const HRESULT hr = entry.second->InsertIntoDatabase(session, siteId, layers);
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    }
    return first;
}

HRESULT CDrawingSettingMap::LoadFromDatabase(COdbcSession& session, int siteId, int originSiteId,
                                             const CDrawingSettingLayers& layers)
{
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, DrawingSettingSql::LoadDrawingSettings, {siteId}));
    CDrawingSettingRecord* current = FindByID(1);
    const std::string currentName = current && current->Name ? *current->Name : std::string();
    const std::string defaultName = current ? layers.GetDefaultSettingName() : std::string();
    COdbcRow row(session.Statement());
    bool first = true;
    HRESULT result = S_OK;
    CDrawingSettingRecord* madeDefault = nullptr;
    while (row.Fetch()) {
        auto record = std::make_unique<CDrawingSettingRecord>();
        const int databaseId = row.Int(1);
        std::string name = row.Text(2, 1025);
        record->SetPenColor(static_cast<DWORD>(row.Int(3)));
        const float storedWeight = row.Float(4);
        record->ShowGrid = row.Int(5);
        record->SnapToGrid = row.Int(6);
        record->OrthoMode = row.Int(7);
        record->GridXSpace = row.Float(8);
        record->GridYSpace = row.Float(9);
        record->SnapXSpace = row.Float(10);
        record->SnapYSpace = row.Float(11);
        record->SnapBaseX = row.Float(12);
        record->SnapBaseY = row.Float(13);
        record->LinePatternScale = row.Float(14);
        record->ImageScale = row.Float(15);
        record->EditNewText = row.Int(16);
        record->ShowRulers = row.Int(17);
        record->SetHatchColor(static_cast<DWORD>(row.Int(18)));
        record->LinePatternID = row.Int(19);
        const int layerDatabaseId = row.Int(20);
        record->HatchPatternID = row.Int(21);
        record->ArrowScale = row.Float(22, 1.0f);
        record->FontName = row.Text(23, 1025);
        record->FontCharset = static_cast<short>(row.Int(24, 1));
        record->FontSize = row.Float(25, 10.0f);
        record->SetFontAlignType(static_cast<DWORD>(row.Int(26)));
        record->SetProtectionFlags(static_cast<DWORD>(row.Int(27)));
        // -0 is not negative: a weight of 0 reads back with scaling on.
        record->ScalePenWeight = storedWeight >= 0.0f ? 1 : 0;
        record->PenWeight = std::fabs(storedWeight);
        record->HatchPatternScale = 1.0f;
        record->DatabaseID = databaseId;
        if (!defaultName.empty() && name == currentName)
            name = defaultName;
        record->Name = name;
        record->Layer = layers.FindLayerByDatabaseId(layerDatabaseId);
        // The stored current setting comes back as "DEFAULT", and is stored again beside it by the
        // next save: a second "DEFAULT" of the same load is the same setting, not one more (each
        // load and save would add one).
        CDrawingSettingRecord* inserted = nullptr;
        if (!defaultName.empty() && name == defaultName && madeDefault) {
            *madeDefault = *record;
            madeDefault->DatabaseID = databaseId;
            inserted = madeDefault;
        } else {
            inserted = record.get();
            if (!Insert(std::move(record), true)) {
                row.Finish();
                return ycom::ReportErrorA(kErrorSource, CLSID_YVEXControl, "Can't create object.");
            }
            if (!defaultName.empty() && name == defaultName)
                madeDefault = inserted;
        }
        if (first && current) {
            const auto keep = current->Name;
            *current = *inserted;
            current->Name = keep;
        }
        first = false;
        m_origins[databaseId] = originSiteId;
    }
    const bool clean = row.EndedCleanly();
    const SQLRETURN fetched = row.LastFetch();
    row.Finish();
    if (!clean)
        result = session.CheckResult(CLSID_YVEXControl, fetched, "Execution Failed");
    return result;
}

HRESULT CDrawingSettingMap::ExchangeTables(CDataTableSet* tables, DWORD mode, int key,
                                           const CDrawingSettingLayers* layers)
{
    if (!tables)
        return E_INVALIDARG;
    CDrawingSettingsTable* table = tables->DrawingSettings();
    if (!table)
        return S_FALSE;
    const bool keepIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    const int imode = static_cast<int>(mode);
    if (!(mode & DXFMODE_LOAD)) {
        for (auto& entry : m_settings) {
            CDrawingSettingRecord& record = *entry.second;
            if (FAILED(record.ExchangeTables(tables, mode, key, layers)))
                return E_ACCESSDENIED;
            // A setting not yet known to have come from elsewhere is recorded as the site's.
            if (key != 0 && FindOriginSite(record.ID) == 0)
                m_origins[record.DatabaseID] = key;
        }
        return S_OK;
    }

    std::vector<int32_t> keys;
    if (mode & DXFMODE_SINGLE_OBJECT) {
        if (!table->FindRecord(key))
            return E_ACCESSDENIED;
        keys.push_back(key);
    } else {
        for (const auto& entry : table->GetRecords())
            keys.push_back(entry.first);
    }
    for (int32_t stored : keys) {
        const CDrawingSettingsRecord* r = table->FindRecord(stored);
        if (!r)
            return E_ACCESSDENIED;
        const int current = tables->StoredToCurrentId(stored, 5, imode);
        CDrawingSettingRecord* setting = current != CDataTableSet::kNoIdMapping ? FindByID(current) : nullptr;
        if (!setting)
            setting = FindByName(r->Name.c_str());
        if (!setting) {
            std::unique_ptr<CDrawingSettingRecord> detached;
            CreateCurrentSetting(false, nullptr, &detached);
            if (!detached)
                return E_ACCESSDENIED;
            if (keepIds)
                detached->ID = stored;
            setting = detached.get();
            if (!Insert(std::move(detached), !keepIds))
                return E_ACCESSDENIED;
            if (!keepIds)
                tables->AddIdMapping(setting->ID, stored, 5);
        }
        if (FAILED(setting->ExchangeTables(tables, mode, 0, layers)))
            return E_ACCESSDENIED;
        const int32_t storedLayer = r->layerShapeID;
        if (storedLayer != 0 && layers) {
            const int layerId = tables->StoredToCurrentId(storedLayer, 0, imode);
            if (CLayer* layer = layers->FindLayerById(layerId))
                setting->Layer = layer;
        }
        m_origins[keepIds ? setting->ID : setting->DatabaseID] = r->siteID;
    }
    return S_OK;
}
