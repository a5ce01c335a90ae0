#pragma once
#include <map>
#include <memory>
#include "persistence/DrawingSettingRecord.h"

class CLayer;

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
    // Removes and deletes the setting of an ID; false when there is none.
    bool Remove(int id);
    int GetCount() const { return static_cast<int>(m_settings.size()); }
    int GetNextId() const { return m_nextId; }
    // Every setting by ID.
    const std::map<int, std::unique_ptr<CDrawingSettingRecord>>& Settings() const { return m_settings; }

private:
    std::map<int, std::unique_ptr<CDrawingSettingRecord>> m_settings;
    int m_nextId = 1;
};
