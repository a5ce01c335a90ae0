#include "persistence/DrawingSettingMap.h"
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
