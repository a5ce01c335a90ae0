// The state of the site around its loads and saves: emptying the drawing, the persistence state
// that makes a drawing forget its rows, the current view and drawing setting a load leaves, the
// layers the drawing settings name, and the rows of the attribute model.
#include "control/ControlCore.h"
#include "control/ViewportList.h"
#include "control/ViewportRecord.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
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
// The attribute maps of the site come with the attribute objects; until then the loaders read
// and count the rows, which stay in the database as they are (a save writes the shapes' links
// again under their new IDs).

HRESULT CControlCore::OnAttributeGroupRow(int, const std::string&, int) { return S_OK; }

HRESULT CControlCore::OnAttributeTypeRow(int, const std::string&, const std::string&, const std::string&, int, int)
{
    return S_OK;
}

HRESULT CControlCore::OnShapeAttributeGroupRow(int, int) { return S_OK; }

HRESULT CControlCore::OnAttributeRow(const AttributeRow&) { return S_OK; }
