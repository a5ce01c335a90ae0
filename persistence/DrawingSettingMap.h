#pragma once
#include <windows.h>
#include <sql.h>
#include <map>
#include <memory>
#include "persistence/DrawingSettingRecord.h"

class CLayer;
class CDataTableSet;
class CDrawingSettingLayers;

// The drawing settings of a site by ID; the map owns its records.
class CDrawingSettingMap
{
public:
    // Enters a record: an ID below the counter that is taken (or any, with newId) is replaced by
    // the counter's value; an ID at or above the counter moves the counter past it. False for null
    // or when the map kept an existing record.
    bool Insert(std::unique_ptr<CDrawingSettingRecord> record, bool newId);
    // The setting "CURRENT" with the control's defaults; its layer is the base layer the caller
    // found (the shape with ID 1 when that shape is a layer), or none. With insert, it goes into the
    // map under a new ID (1 in an empty map).
    CDrawingSettingRecord* CreateCurrentSetting(bool insert, CLayer* baseLayer,
                                                std::unique_ptr<CDrawingSettingRecord>* detached = nullptr);
    CDrawingSettingRecord* FindByID(int id) const;
    // The setting of the lowest ID, or null in an empty map.
    CDrawingSettingRecord* GetFirst() const;
    // The first setting (by ID) of that name, compared as it is; an empty or missing name finds
    // the first setting whose name is empty or missing.
    CDrawingSettingRecord* FindByName(const char* name) const;
    // Removes and deletes the setting of an ID; false when there is none.
    bool Remove(int id);
    // Deletes the settings: all of them (the next ID becomes 1), or all but the one of ID 1,
    // which stays under ID 1 (the next ID becomes 2). The origin index is emptied either way.
    void Clear(bool all);
    // Every setting forgets its database ID; the origin index is emptied.
    void ClearDatabaseIds();
    // The site a setting came from, by its key in the origin index (its database ID, or its ID
    // when identifiers are kept); -1 when unknown.
    int FindOriginSite(int key) const;
    void SetOriginSite(int key, int siteId) { m_origins[key] = siteId; }
    const std::map<int, int>& Origins() const { return m_origins; }
    void SetOrigins(const std::map<int, int>& origins) { m_origins = origins; }

    // A new setting (the body of IDrawingSettingCollection::CreateDrawingSetting) with the
    // values given and the font and switches of a fresh setting; its layer is the layer of the
    // database ID, when there is one. Inserted under a new ID; null when that fails.
    CDrawingSettingRecord* CreateSetting(const char* name, float penWeight, DWORD penColor, DWORD hatchColor,
                                         int linePatternId, int layerDatabaseId, int showGrid, float gridX,
                                         float gridY, int snapToGrid, float snapX, float snapY, float snapBaseX,
                                         float snapBaseY, float linePatternScale, float hatchPatternScale,
                                         float imageScale, int orthoMode, const CDrawingSettingLayers& layers);

    // Every setting as a new drawingSettings row of the site, in ID order. The first failing
    // row's result; the rows after it are still written.
    HRESULT SaveToDatabase(COdbcSession& session, int siteId, const CDrawingSettingLayers& layers);
    // The site's rows as new settings; the first row's values (not its name) also go into the
    // setting of ID 1, and a row named like that setting is named "DEFAULT". The origin index
    // maps each row to `originSiteId`.
    HRESULT LoadFromDatabase(COdbcSession& session, int siteId, int originSiteId, const CDrawingSettingLayers& layers);
    // The settings to or (DXFMODE_LOAD) from the set's DrawingSettings table: all, or with
    // DXFMODE_SINGLE_OBJECT the record `key`. E_INVALIDARG without a set, S_FALSE without the
    // table, E_ACCESSDENIED when a record cannot be written or read.
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD mode, int key, const CDrawingSettingLayers* layers);
    int GetCount() const { return static_cast<int>(m_settings.size()); }
    int GetNextId() const { return m_nextId; }
    // Every setting by ID.
    const std::map<int, std::unique_ptr<CDrawingSettingRecord>>& Settings() const { return m_settings; }

private:
    std::map<int, std::unique_ptr<CDrawingSettingRecord>> m_settings;
    int m_nextId = 1;
    // A setting's database ID (its ID when identifiers are kept) -> the site it came from.
    std::map<int, int> m_origins;
};
