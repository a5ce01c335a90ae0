#include "model/Layer.h"
#include "model/ShapeHost.h"
#include "persistence/DataTableSet.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "com/HResult.h"
#include "persistence/sql/ShapeKindSql.h"
#include "YVEX_h.h"

CLayer::CLayer(int id, CShapeHost* control) : CShape(id, control)
{
    m_penColor = 0x000000;
    m_hatchColor = 0xFFFFFF;
    m_linePatternId = ltContinuous;
    m_hatchPatternId = hpNone;
    m_shapeType = stLayer;
}

CLayer::CLayer(int id, const CLayer& source) : CShape(id, source), m_name(source.m_name) { Normalize(); }

void CLayer::Normalize()
{
    if (m_penColor & coByLayer)
        m_penColor = 0x000000;
    if (m_hatchColor & coByLayer)
        m_hatchColor = 0xFFFFFF;
    if (m_linePatternId & ltByLayer)
        m_linePatternId = ltContinuous;
    if (m_hatchPatternId & hpByLayer)
        m_hatchPatternId = hpNone;
}

void CLayer::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_LayerShape;
}

int CLayer::GetClassShapeType() { return stLayer; }

void CLayer::SetPenColor(DWORD colour)
{
    if (colour & coByLayer)
        m_penColor = 0x000000;
    else
        CShape::SetPenColor(colour);
}

void CLayer::SetHatchColor(DWORD colour)
{
    if (colour & coByLayer)
        m_hatchColor = 0xFFFFFF;
    else
        CShape::SetHatchColor(colour);
}

void CLayer::SetLinePatternId(int id) { m_linePatternId = (id & ltByLayer) ? ltContinuous : id; }

void CLayer::SetHatchPatternId(int id)
{
    if (id & hpByLayer)
        m_hatchPatternId = hpNone;
    else
        CShape::SetHatchPatternId(id);
}

int CLayer::CopyStyleFrom(CShape& source, DWORD mask)
{
    const int result = CShape::CopyStyleFrom(source, mask);
    if (result && source.GetShapeType() == stLayer)
        m_name = static_cast<CLayer&>(source).m_name;
    Normalize();
    return result;
}

int CLayer::CountStats(CShapeStats& stats)
{
    if (!CShape::CountStats(stats))
        return 0;
    ++stats.layers;
    return 1;
}

// --- Database and record tables ------------------------------------------------------------------

HRESULT CLayer::SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags)
{
    const int before = m_databaseId;
    const HRESULT hr = CShape::SaveToDB(session, siteId, scenarioId, flags);
    if (hr != S_OK)
        return hr;
    if (m_databaseId < 1)
        return E_FAIL;
    const int scenario = m_control ? m_control->GetScenarioId() : 0;
    // The name is the user's text: bound. A layer without one stores the text NULL.
    const std::string text = m_name.empty() ? std::string("NULL") : m_name;
    const std::vector<OdbcParam> name = {OdbcParam::Text(text)};
    // A row missing beside a stored layer is made again rather than left out.
    bool insert = before < 1;
    if (!insert) {
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeKindSql::UpdateLayer, {m_databaseId}, name));
        insert = OdbcRowCount(session.Statement()) == 0;
    }
    if (insert)
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeKindSql::InsertLayer, {m_databaseId, scenario}, name));
    // The running LayerSettingID: its value is taken and it moves on, on an update too; 0 is
    // never an ID.
    int settingId = 1;
    if (m_control) {
        int& counter = m_control->GetDbIdCounters().layerSetting;
        settingId = counter != 0 ? counter : 1;
        counter = settingId + 1 != 0 ? settingId + 1 : 1;
    }
    const int on = IsVisible() ? 1 : 0;
    const int enable = IsEnabled() ? 1 : 0;
    const int select = (m_state & stNotSelectable) ? 0 : 1;
    if (before >= 1) {
        RETURN_IF_FAILED(
            session.Exec(CLSID_YVEXControl, ShapeKindSql::UpdateLayerSetting, {on, enable, select, m_databaseId}));
        if (OdbcRowCount(session.Statement()) != 0)
            return S_OK;
    }
    return session.Exec(CLSID_YVEXControl, ShapeKindSql::InsertLayerSetting,
                        {settingId, scenario, on, enable, select, m_databaseId});
}

HRESULT CLayer::SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags)
{
    if (!tables)
        return E_INVALIDARG;
    const HRESULT hr = CShape::SaveToTables(tables, mode, flags);
    RETURN_IF_FAILED(hr);
    CLayersTable* layers = tables->Layers();
    CLayerSettingsTable* settings = tables->LayerSettings();
    bool alreadyStored = false;
    const int key = GetStoredKey(tables, mode, &alreadyStored, nullptr);
    if (!(mode & DXFMODE_LOAD)) {
        if (!layers || !(m_state & stPersistent))
            return S_FALSE;
        CLayersRecord record;
        record.ShapeID = key;
        record.Name = m_name;
        layers->Put(record);
        if (settings) {
            CLayerSettingsRecord setting;
            setting.LayerSettingID = settings->NewKey();
            setting.On = (m_state & stVisible) ? 1 : 0;
            setting.Enable = (m_state & stEnabled) ? 1 : 0;
            setting.Select = (m_state & stNotSelectable) ? 0 : 1;
            setting.LayerShapeID = key;
            settings->Insert(setting);
        }
        return hr;
    }
    if (!layers)
        return S_FALSE;
    const CLayersRecord* record = layers->FindRecord(key);
    if (!record)
        return E_ACCESSDENIED;
    m_name = record->Name;
    if (settings && settings->SeekSecondaryKey(key, 0)) {
        if (const CLayerSettingsRecord* setting = settings->NextInOrder()) {
            SetStateBits(stEnabled, setting->Enable != 0);
            SetSelectable(setting->Select != 0);
            SetVisible(setting->On != 0);
        }
    }
    return hr;
}
