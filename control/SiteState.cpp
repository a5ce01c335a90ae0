// The state of the site around its loads and saves: emptying the drawing, the persistence state
// that makes a drawing forget its rows, the current view and drawing setting a load leaves, the
// layers the drawing settings name, and the rows of the attribute model.
#include "control/ControlCore.h"
#include "control/SiteAttributeRows.h"
#include "control/ViewportList.h"
#include "control/ViewportRecord.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
#include "automation/ResultCodes.h"
#include "com/AnsiText.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeGroupMap.h"
#include "model/AttributeMap.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeMap.h"
#include "model/AttributeValue.h"
#include "model/PointPool.h"
#include "model/Shape.h"
#include "persistence/DrawingSettingMap.h"
#include "YVEX_h.h"

void CControlCore::ClearSiteData()
{
    const bool events = EventsEnabled();
    SetEventsEnabled(false);
    for (int id : {CLIPBOARD_ID, SELECTION_ID, LIBRARY_ID, BASE_ID}) {
        CShape* group = FindShape(id);
        if (group && group->IsGroup())
            group->Clear(true);
    }
    // The prototypes go as well: the drawing builds them anew.
    if (CGroup* defaults = GetDefaultShapesGroup()) {
        while (defaults->GetShapeCount() > 0) {
            CShape* child = defaults->GetChildAt(0);
            if (child->IsGroup())
                child->Clear(true);
            child->DetachFromParent();
            if (m_shapeMap->RemoveShape(child) == 0)
                delete child;
        }
    }
    if (CGroup* layers = GetLayersGroup())
        layers->Clear(true);
    m_pointPool->RemoveUnused();
    // The shapes gave their groups and values back; the site's attribute model goes with them.
    m_attributeGroups->Clear();
    m_attributeTypes->Clear();
    m_attributeValues->Clear();
    m_pendingParents.clear();
    m_viewports->DeleteAll(false);
    m_drawingSettings->Clear(false);
    GetHatchPatternMap().RemoveAll(false);
    m_includedSites.clear();
    ClearProgressRanges(true);
    SetEventsEnabled(events);
}

int CControlCore::ReinitializeDrawing(bool clearSite, bool clearLayer, bool)
{
    if (clearSite)
        ClearSiteData();
    BuildDefaultShapes(clearSite);
    if (clearLayer)
        SetCurrentLayer(nullptr);
    m_layerNames.clear();
    if (CGroup* layers = GetLayersGroup())
        for (CShape* child : layers->Children())
            if (child->GetShapeType() == stLayer)
                MapLayerName(static_cast<CLayer*>(child)->GetName(), static_cast<CLayer*>(child));
    return 0;
}

void CControlCore::ClearSite()
{
    const bool events = EventsEnabled();
    SetEventsEnabled(false);
    ReinitializeDrawing(true, false, true);
    CLayer* current = nullptr;
    if (CGroup* layers = GetLayersGroup()) {
        for (CShape* child : layers->Children())
            if (!current && child->GetShapeType() == stLayer)
                current = static_cast<CLayer*>(child);
        if (!current) {
            if (CShape* shape = m_shapeMap->CreateShape(stLayer, true, true)) {
                layers->AppendChild(shape, 1);
                current = static_cast<CLayer*>(shape);
                current->SetName("0");
            }
        }
    }
    const std::string name;
    m_siteRecord = CSiteRecord();
    m_siteRecord.SetName(name);
    m_siteRecord.SetScenarioId(0);
    m_siteRecord.ResetDraftLimits();
    m_siteRecord.SetMaps(m_shapeMap.get(), m_pointPool.get());
    m_drawingSettings->Clear(true);
    m_currentSetting = m_drawingSettings->CreateCurrentSetting(true, current);
    m_shapeMap->SetCurrentDrawingSetting(m_currentSetting);
    if (current)
        SetCurrentLayer(current);
    m_currentView->SetCenter(0.0f, 0.0f);
    m_viewports->RememberView(*m_currentView, 0);
    RequestRedraw(rfRedrawAll, nullptr);
    SetEventsEnabled(events);
}

int CControlCore::SetPersistState(int state, DWORD mode)
{
    const int previousState = m_persistState;
    const DWORD previousMode = m_persistMode;
    m_persistState = state;
    m_persistMode = mode;
    const bool database = state == 1 || state == 3;
    const bool wasDatabase = previousState == 1 || previousState == 3;
    if ((wasDatabase && state == 4 && !(mode & 0x404)) || (previousState == 4 && database && !(previousMode & 0x404)))
        return ForgetDatabaseIds();
    return 0;
}

int CControlCore::ForgetDatabaseIds()
{
    SetSiteId(0);
    CDbIdCounters& counters = GetDbIdCounters();
    counters.layerSetting = counters.vertex = counters.shapePoint = counters.linkedPoint = 1;
    m_drawingSettings->ClearDatabaseIds();
    m_viewports->ClearDatabaseIds();
    m_pointPool->ClearDatabaseIds();
    m_shapeMap->ResetAfterSave();
    for (const auto& entry : GetHatchPatternMap().Patterns())
        if (entry.first > CHatchPatternMap::kLastBuiltIn)
            entry.second->SetDatabaseId(0);
    GetHatchPatternMap().SetInsertedRows({});
    // The pictures too: an update of a row they named would overwrite another site's picture.
    CImageResourceMap::DatabaseIds none = GetImageResourceMap().GetDatabaseIds();
    for (auto& entry : none.byResource)
        entry.second = 0;
    none.index.clear();
    none.largest = 0;
    GetImageResourceMap().RestoreDatabaseIds(none);
    CSiteAttributeRows::ForgetDatabaseIds(*this);
    return 1;
}

bool CControlCore::SetCurrentDrawingSetting(CDrawingSettingRecord* setting)
{
    if (!setting || !m_currentSetting)
        return false;
    if (setting == m_currentSetting)
        return true;
    if (EventsEnabled() && !AskSetCurrentDrawingSetting(setting->ID))
        return false;
    const auto name = m_currentSetting->Name;
    *m_currentSetting = *setting;
    m_currentSetting->Name = name;
    return true;
}

bool CControlCore::SetCurrentViewport(CViewportRecord* view)
{
    if (!view)
        return false;
    if (EventsEnabled()) {
        if (!AskSetCurrentViewport(view->ID))
            return false;
        if (view->drawingSetting && !AskSetCurrentDrawingSetting(view->drawingSetting->ID))
            return false;
    }
    if (view->drawingSetting && view->drawingSetting != m_currentSetting && m_currentSetting) {
        const auto name = m_currentSetting->Name;
        *m_currentSetting = *view->drawingSetting;
        m_currentSetting->Name = name;
    }
    if (view == m_currentView.get())
        return true;
    m_viewports->RememberView(*m_currentView, 0);
    const std::string name = m_currentView->name;
    m_currentView->Assign(*view);
    m_currentView->name = name;
    return true;
}

void CControlCore::ApplySiteSettings()
{
    if (m_viewports->GetCount() == 0)
        m_viewports->SetCurrentView(m_currentView.get());
    if (m_currentSetting) {
        for (const auto& entry : m_drawingSettings->Settings())
            if (!entry.second->Layer)
                entry.second->Layer = m_currentSetting->Layer;
    }
    if (m_siteRecord.measurement == 1)
        GetHatchPatternMap().ConvertToMillimetres();
    else
        GetHatchPatternMap().ConvertToInches();
    if (m_currentView->drawingSetting && m_currentView->drawingSetting != m_currentSetting) {
        const bool events = EventsEnabled();
        SetEventsEnabled(false);
        SetCurrentDrawingSetting(m_currentView->drawingSetting);
        SetEventsEnabled(events);
    }
    m_viewports->RememberView(*m_currentView, 0);
}

// ---- The layers the drawing settings name ---------------------------------------------------

int CControlCore::GetLayerShapeId(const CLayer* layer) const { return layer ? layer->GetId() : 0; }

int CControlCore::GetLayerDatabaseId(const CLayer* layer) const { return layer ? layer->GetDatabaseId() : 0; }

int CControlCore::GetLayerScenarioId(const CLayer* layer) const
{
    if (!layer || !layer->GetControl())
        return 0;
    return layer->GetControl()->GetScenarioId();
}

CLayer* CControlCore::FindLayerById(int shapeId) const
{
    CShape* shape = FindShape(shapeId);
    return shape && shape->GetShapeType() == stLayer ? static_cast<CLayer*>(shape) : nullptr;
}

CLayer* CControlCore::FindLayerByDatabaseId(int databaseId) const
{
    if (databaseId < 1)
        return nullptr;
    CShape* shape = m_shapeMap->FindByDbId(databaseId);
    return shape && shape->GetShapeType() == stLayer ? static_cast<CLayer*>(shape) : nullptr;
}

std::string CControlCore::GetDefaultSettingName() const { return "DEFAULT"; }

// ---- The rows of the attribute model ----------------------------------------------------------
// Rows refer to one another by database ID: the model's own IDs are given as the rows come.

HRESULT CControlCore::OnAttributeGroupRow(int databaseId, const std::string& name, int parentId)
{
    CAttributeGroupData* group = m_attributeGroups->FindByDatabaseId(databaseId);
    if (!group)
        group = m_attributeGroups->Create(0, databaseId, ycom::AnsiToWide(name));
    if (!group)
        return E_FAIL;
    // A parent that comes later is linked when its row arrives; one whose chain would reach the
    // group again is left unlinked.
    if (CAttributeGroupData* parent = m_attributeGroups->FindByDatabaseId(parentId))
        group->SetParentGroup(parent);
    else if (parentId > 0)
        m_pendingParents.emplace(parentId, group->GetId());
    auto children = m_pendingParents.equal_range(databaseId);
    for (auto it = children.first; it != children.second; ++it)
        if (CAttributeGroupData* child = m_attributeGroups->FindGroup(it->second))
            child->SetParentGroup(group);
    m_pendingParents.erase(children.first, children.second);
    return S_OK;
}

HRESULT CControlCore::OnAttributeTypeRow(int databaseId, const std::string& name, const std::string& format,
                                         const std::string& prompt, int valueType, int groupId)
{
    CAttributeGroupData* group = m_attributeGroups->FindByDatabaseId(groupId);
    if (!group)
        return S_OK;
    CAttributeType* type = m_attributeTypes->FindByDatabaseId(databaseId);
    if (!type) {
        type = group->GetTypes().Create(-1, databaseId, ycom::AnsiToWide(name), ycom::AnsiToWide(format),
                                        ycom::AnsiToWide(prompt));
    } else {
        type->SetFormat(ycom::AnsiToWide(format));
        type->SetName(ycom::AnsiToWide(name));
        type->SetPrompt(ycom::AnsiToWide(prompt));
        CAttributeTypeList& list = group->GetTypes();
        bool listed = false;
        for (int i = 0; i < list.GetCount(); ++i)
            listed = listed || list.GetAt(i) == type;
        if (!listed)
            list.AddUnique(type);
    }
    if (!type)
        return E_FAIL;
    type->SetValueKind(valueType);
    return S_OK;
}

HRESULT CControlCore::OnShapeAttributeGroupRow(int shapeDatabaseId, int groupId)
{
    CAttributeGroupData* group = m_attributeGroups->FindByDatabaseId(groupId);
    CShape* shape = m_shapeMap->FindByDbId(shapeDatabaseId);
    if (!group || !shape)
        return E_FAIL;
    shape->GetAttributeGroups().Insert(group, -1);
    return S_OK;
}

HRESULT CControlCore::OnAttributeRow(const AttributeRow& row)
{
    CAttributeType* type = m_attributeTypes->FindByDatabaseId(row.typeId);
    CAttributeValue* value = m_attributeValues->FindByDatabaseId(row.attributeId);
    CShape* shape = m_shapeMap->FindByDbId(row.shapeDatabaseId);
    VARIANT variant;
    VariantInit(&variant);
    switch (type ? type->GetValueKind() : VT_EMPTY) {
    case VT_I4:
        variant.vt = VT_I4;
        variant.lVal = row.intField;
        break;
    case VT_R8:
        variant.vt = VT_R8;
        variant.dblVal = row.realField;
        break;
    case VT_DATE:
        variant.vt = VT_DATE;
        variant.date = row.dateField;
        break;
    case VT_BSTR:
        variant.vt = VT_BSTR;
        variant.bstrVal = SysAllocString(ycom::AnsiToWide(row.textField).c_str());
        break;
    case VT_BOOL:
        variant.vt = VT_BOOL;
        variant.boolVal = row.bitField ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case VT_EMPTY:
        // A type of no kind (as hosts make them): the value comes back as the record tables
        // bring it, the text when there is one, else the first field that is not zero.
        if (!type)
            break;
        if (!row.textField.empty()) {
            variant.vt = VT_BSTR;
            variant.bstrVal = SysAllocString(ycom::AnsiToWide(row.textField).c_str());
        } else if (row.intField) {
            variant.vt = VT_I4;
            variant.lVal = row.intField;
        } else if (row.realField != 0.0) {
            variant.vt = VT_R8;
            variant.dblVal = row.realField;
        } else if (row.bitField) {
            variant.vt = VT_BOOL;
            variant.boolVal = VARIANT_TRUE;
        } else if (row.dateField != 0.0) {
            variant.vt = VT_DATE;
            variant.date = row.dateField;
        }
        break;
    default:
        break;
    }
    bool created = false;
    HRESULT result = S_OK;
    if (!value) {
        value = type ? m_attributeValues->Create(type->GetId(), row.attributeId, variant) : nullptr;
        created = value != nullptr;
        if (!value)
            result = E_FAIL;
    }
    VariantClear(&variant);
    if (value && shape)
        result = shape->GetAttributes().Add(value);
    if (created)
        value->Release(kNoOwnerId);
    return result;
}
