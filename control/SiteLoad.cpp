// Loading a site from the database: the sites and drawing files it includes first, then the
// units, ID counters, image resources, hatch patterns, shapes, the Sites row, viewports, drawing
// settings and attributes, merged into the drawing as the request asks.
#include "control/ControlCore.h"
#include <algorithm>
#include <cmath>
#include "control/ViewportList.h"
#include "control/ViewportRecord.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/Shape.h"
#include "persistence/AttributeGroupLoader.h"
#include "persistence/AttributeLoader.h"
#include "persistence/AttributeTypeLoader.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/MaxIdReader.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/ShapeAttributeGroupLoader.h"
#include "persistence/sql/SessionSql.h"
#include "persistence/sql/SiteLoadSql.h"
#include "persistence/sql/SiteSql.h"
#include "automation/ResultCodes.h"
#include "com/ErrorInfo.h"
#include "com/HResult.h"
#include "YVEX_h.h"

namespace {

// The refusal of a load of a site that the database does not hold.
const char kSiteNotFound[] = "Site not found.";

// Drawing files included in a site take negative IDs below every other module's, from -101 down.
const int kFirstFileModuleId = -101;
// Shapes of the drawing itself start here; below are the fixed groups, the base layer and the
// prototypes.
const int kFirstOrdinaryId = 12;

// Column 1 of the one row of an executed count.
int ReadCount(COdbcSession& session)
{
    COdbcRow row(session.Statement());
    int count = 0;
    if (row.Fetch())
        count = row.Int(1);
    row.Finish();
    return count;
}

// The four attribute loaders, taken for one load and given back at its end.
class CAttributeLoaders
{
public:
    CAttributeLoaders()
        : attributes(CAttributeLoader::Acquire()), groups(CAttributeGroupLoader::Acquire()),
          types(CAttributeTypeLoader::Acquire()), shapeGroups(CShapeAttributeGroupLoader::Acquire())
    {
    }
    ~CAttributeLoaders()
    {
        for (CAttributeRecordLoader* loader : All())
            if (loader)
                loader->Release();
    }
    CAttributeLoaders(const CAttributeLoaders&) = delete;
    CAttributeLoaders& operator=(const CAttributeLoaders&) = delete;
    // In the order the rows are counted.
    std::vector<CAttributeRecordLoader*> All() const { return {attributes, groups, types, shapeGroups}; }

    CAttributeLoader* attributes;
    CAttributeGroupLoader* groups;
    CAttributeTypeLoader* types;
    CShapeAttributeGroupLoader* shapeGroups;
};

} // namespace

HRESULT CControlCore::LoadUnitsFromDB(COdbcSession& session)
{
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteLoadSql::LoadUnits));
    m_units.clear();
    COdbcRow row(session.Statement());
    while (row.Fetch()) {
        CUnitRecord unit;
        unit.id = row.Int(1);
        unit.name = row.Text(2, 2048);
        unit.inches = row.Float(3, 1.0f);
        unit.centimetres = row.Float(4, 1.0f);
        unit.metric = row.Int(5, 1);
        AddUnit(unit);
    }
    row.Finish();
    return S_OK;
}

HRESULT CControlCore::SetIdCounters(COdbcSession& session, int siteId)
{
    RETURN_IF_FAILED(m_pointPool->LoadNextDatabaseId(session));
    RETURN_IF_FAILED(m_shapeMap->ReadNextDbId(session));
    CDbIdCounters& counters = GetDbIdCounters();
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SessionSql::NextId,
                                  {SqlRaw("LayerSettingID"), SqlRaw("LayerSettings")}));
    const int nextSetting = ReadMaxIdResult(session.Statement(), 0);
    counters.layerSetting = nextSetting > 0 ? nextSetting : 1;
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteLoadSql::MaxVertexId));
    counters.vertex = std::max(ReadMaxIdResult(session.Statement(), 0) + 1, 1);
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteLoadSql::MaxShapePointIdOfOtherSites,
                                  {siteId}));
    counters.shapePoint = std::max(ReadMaxIdResult(session.Statement(), 0) + 1, 1);
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteLoadSql::MaxLinkedPointIdOfOtherSites,
                                  {siteId}));
    counters.linkedPoint = std::max(ReadMaxIdResult(session.Statement(), 0) + 1, 1);
    return S_OK;
}

bool CControlCore::CheckIncludedSite(int siteId) const
{
    for (auto it = m_includedSites.rbegin(); it != m_includedSites.rend(); ++it) {
        if (it->siteId == siteId)
            return it->enableOption != 1;
        if (it->enableOption == -1)
            return false;
    }
    return true;
}

void CControlCore::EnterIncludedSite(const CIncludedSite& request)
{
    for (CIncludedSite& entry : m_includedSites) {
        if (entry.siteId == request.siteId) {
            entry = request;
            return;
        }
    }
    m_includedSites.push_back(request);
}

HRESULT CControlCore::LoadSiteFromDB(int siteId, CIncludedSite* request)
{
    if (request)
        return LoadSiteBody(siteId, *request, true);
    // Without a request (a database file) every field takes its top-level value, and the drawing
    // comes in detached: its database IDs and its site ID would name rows of the file.
    CIncludedSite top;
    top.siteId = siteId;
    top.control = this;
    top.clear = 1;
    top.finalProgress = 1;
    top.progressShare = 100.0;
    return LoadSiteBody(siteId, top, true, true);
}

HRESULT CControlCore::LoadIncludedSites(int siteId, CIncludedSite& request)
{
    COdbcSession session;
    FillLogin(session);
    RETURN_IF_FAILED(session.Connect(CLSID_YVEXControl));
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteLoadSql::LoadIncludedSites, {siteId}));

    int nextFileId = kFirstFileModuleId;
    for (const CIncludedSite& entry : m_includedSites)
        if (entry.siteId <= nextFileId)
            nextFileId = entry.siteId - 1;

    struct Row
    {
        int layer, settings, units, enable;
        int subSiteId;
        std::string file;
    };
    std::vector<Row> rows;
    COdbcRow row(session.Statement());
    while (row.Fetch()) {
        Row r;
        r.layer = row.Int(1);
        r.settings = row.Int(2);
        r.units = row.Int(3);
        r.enable = row.Int(4);
        // X and Y (columns 5 and 6) place nothing yet: they are read and left.
        row.Float(5);
        row.Float(6);
        r.subSiteId = row.Int(7);
        r.file = row.Text(8, 261);
        rows.push_back(r);
    }
    const bool clean = row.EndedCleanly();
    const SQLRETURN fetched = row.LastFetch();
    row.Finish();
    if (!clean)
        return session.CheckResult(CLSID_YVEXControl, fetched, "Execution Failed");
    session.Disconnect();
    if (rows.empty())
        return S_OK;

    // Each row's options apply to the module after it; the first module takes the request's.
    std::vector<CIncludedSite> entries;
    int layer = request.mergeLayers, settings = request.settingsOption, units = request.unitsOption,
        enable = request.enableOption;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        CIncludedSite entry;
        if (!r.file.empty()) {
            entry.siteId = nextFileId--;
            entry.fileName = r.file;
        } else {
            entry.siteId = r.subSiteId != siteId ? r.subSiteId : 0;
        }
        entry.control = this;
        entry.mergeLayers = layer;
        entry.settingsOption = settings;
        entry.unitsOption = units;
        entry.unit = units != 0 ? GetSiteRecord().unit : 0;
        entry.enableOption = enable;
        entry.keepCurrent = request.keepCurrent;
        entry.clear = i == 0 ? request.clear : 0;
        entries.push_back(entry);
        layer = r.layer;
        settings = r.settings;
        units = r.units;
        enable = r.enable;
    }

    int pending = 0;
    for (const CIncludedSite& entry : entries)
        if (std::find(m_loadedSites.begin(), m_loadedSites.end(), entry.siteId) == m_loadedSites.end())
            ++pending;
    double ownShare = request.progressShare;
    if (pending > 0) {
        const double share = request.progressShare / (pending + 1);
        for (CIncludedSite& entry : entries)
            entry.progressShare = share;
        ownShare = share;
    }

    bool loadedAny = false;
    HRESULT result = S_OK;
    for (CIncludedSite& entry : entries) {
        const bool loaded = std::find(m_loadedSites.begin(), m_loadedSites.end(), entry.siteId) != m_loadedSites.end();
        if (entry.siteId > 0 && !loaded && EventsEnabled() &&
            !AnnounceBegin(kStageBeginLoad, nullptr, entry.siteId, srDatabase))
            continue;
        if (entry.siteId < 0 && EventsEnabled() &&
            !AnnounceBegin(kStageBeginLoad, entry.fileName.c_str(), entry.siteId, srFile))
            continue;
        if (entry.siteId > 0) {
            result = LoadSiteBody(entry.siteId, entry, false);
        } else if (entry.siteId < 0 && !entry.fileName.empty()) {
            // Drawing files come in through the DXF transfer, which the interchange brings; the
            // module is entered so that its place in the list is kept.
            EnterIncludedSite(entry);
        }
        if (FAILED(result))
            break;
        loadedAny = true;
    }
    if (FAILED(result))
        return result;

    request.mergeLayers = layer;
    request.settingsOption = settings;
    request.unitsOption = units;
    request.enableOption = enable;
    request.clear = loadedAny ? 0 : entries.back().clear;
    request.progressShare = ownShare;
    if (request.unitsOption != 0)
        request.unit = GetSiteRecord().unit;
    return S_OK;
}

HRESULT CControlCore::LoadSiteBody(int siteId, CIncludedSite& request, bool top, bool detach)
{
    SetPersistState(1, 1);
    if (std::find(m_loadedSites.begin(), m_loadedSites.end(), siteId) != m_loadedSites.end()) {
        if (top)
            OpenGate();
        return S_OK;
    }
    m_loadedSites.push_back(siteId);

    const HRESULT included = LoadIncludedSites(siteId, request);
    if (FAILED(included)) {
        // The host was told of the beginning: it hears of the end too.
        if (top) {
            OpenGate();
            SendProgressNow(100);
            AnnounceEnd(kStageEndLoad, nullptr, siteId, false);
        }
        return included;
    }

    const bool events = EventsEnabled();
    const bool progressHeard = m_loadProgressHeard.load();
    if (events)
        m_loadProgressHeard = true;
    SetEventsEnabled(false);
    ShowWaitCursor(true);
    if (m_undoRecorder)
        m_undoRecorder->Suspend();
    ++m_loadDepth;

    CAttributeLoaders loaders;
    COdbcSession session;
    FillLogin(session);
    session.target = this;
    session.keyId = siteId;
    session.scope = CDbLoadContext::ScopeSite;

    // Whether the drawing has been touched: a load that fails before leaves it as it was.
    bool touched = false;
    auto body = [&]() -> HRESULT {
        // A site the database does not hold is refused before the drawing is touched.
        RETURN_IF_FAILED(session.Connect(CLSID_YVEXControl));
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteSql::CountSite, {siteId}));
        if (ReadCount(session) < 1)
            return ycom::ReportErrorA(kErrorSource, CLSID_YVEXControl, kSiteNotFound);

        touched = true;
        ReinitializeDrawing(request.clear != 0, request.clear != 0, request.clear != 0);
        if (!request.clear)
            PrepareAdditiveLoad(request);
        EnterIncludedSite(request);

        RETURN_IF_FAILED(LoadUnitsFromDB(session));
        RETURN_IF_FAILED(SetIdCounters(session, siteId));

        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteSql::CountShapes, {siteId}));
        const int shapes = ReadCount(session);
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteLoadSql::CountShapePoints, {siteId}));
        const int points = ReadCount(session);
        long total = 2L * shapes + points;
        for (CAttributeRecordLoader* loader : loaders.All()) {
            const int rows = loader ? loader->CountRows(&session) : 0;
            if (rows > 0)
                total += rows;
        }
        CProgressRange& range = MakeProgressRange(siteId);
        range.scale = request.progressShare;
        range.offset = m_progressOffset;
        range.total = static_cast<int>(total);
        m_total = total;
        m_processed = 0;
        m_progressKey = siteId;
        m_progressOffset += request.progressShare;
        BeginProgress(total);

        // The pictures before the shapes and hatch patterns that show them.
        RETURN_IF_FAILED(GetImageResourceMap().LoadAll(session, siteId));
        RETURN_IF_FAILED(GetHatchPatternMap().Load(session, siteId));
        RETURN_IF_FAILED(m_shapeMap->LoadSiteShapes(session, siteId, 0, nullptr));

        const CSiteRecord previous = m_siteRecord;
        const std::string previousName = m_siteRecord.GetName();
        RETURN_IF_FAILED(m_siteRecord.Load(session, siteId));
        if (request.clear && request.settingsOption == -1)
            m_siteRecord.SetDraftLimits(previous.GetDraftLimits());
        if (!m_siteRecord.GetName().empty()) {
            for (CIncludedSite& entry : m_includedSites)
                if (entry.siteId == siteId) {
                    entry.fileName.clear();
                    entry.name = m_siteRecord.GetName();
                }
        }
        if (request.keepCurrent) {
            m_siteRecord = previous;
            m_siteRecord.SetName(previousName);
        }

        if (!(request.clear == 0 && request.settingsOption == -1)) {
            RETURN_IF_FAILED(m_viewports->LoadFromDB(session, siteId));
            RETURN_IF_FAILED(m_drawingSettings->LoadFromDatabase(session, siteId, siteId, *this));
        }

        // The attribute model: groups, their types, the groups given to shapes, the values.
        for (CAttributeRecordLoader* loader :
             {static_cast<CAttributeRecordLoader*>(loaders.groups), static_cast<CAttributeRecordLoader*>(loaders.types),
              static_cast<CAttributeRecordLoader*>(loaders.shapeGroups),
              static_cast<CAttributeRecordLoader*>(loaders.attributes)}) {
            if (!loader)
                continue;
            const HRESULT hr = loader->Run(&session);
            if (FAILED(hr))
                return hr;
        }
        // Block references: those the reference rows left unlinked find their block by name, the
        // rest are shown; a reference with no block at all has nothing to show and goes.
        if (CGroup* library = GetLibraryGroup()) {
            library->LinkReferencesByName(library);
            if (CGroup* root = GetRootGroup())
                root->ResolveReferences(library, nullptr);
            library->ResolveReferences(library, nullptr);
            if (CGroup* root = GetRootGroup())
                root->ClearReferencesInTree();
            library->ClearReferencesInTree();
        }

        if (!request.clear)
            FinishAdditiveLoad(request);
        ApplySiteSettings();

        if (!request.keepCurrent) {
            CViewportRecord* view = nullptr;
            if (m_viewports->GetCount() > 1) {
                view = m_viewports->FindByName("DEFAULT");
                if (!view)
                    view = m_viewports->GetAt(1);
            }
            if (view)
                SetCurrentViewport(view);
            if (m_drawingSettings->GetCount() > 1) {
                CDrawingSettingRecord* setting = m_drawingSettings->FindByName("DEFAULT");
                if (!setting) {
                    auto it = m_drawingSettings->Settings().begin();
                    ++it;
                    setting = it->second.get();
                }
                SetCurrentDrawingSetting(setting);
            }
        }
        if (!GetCurrentLayer()) {
            CGroup* layers = GetLayersGroup();
            if (layers && layers->GetShapeCount() > 0) {
                CShape* base = FindShape(BASE_LAYER);
                if (!base || base->GetShapeType() != stLayer)
                    base = layers->GetChildAt(0);
                if (base && base->GetShapeType() == stLayer)
                    SetCurrentLayer(static_cast<CLayer*>(base));
            }
        }
        if (detach) {
            // Nor does it hold the file's sites: messages about sites of the database that
            // happen to have their numbers are not its own.
            ForgetDatabaseIds();
            m_includedSites.clear();
        } else if (!request.keepCurrent)
            SetSiteId(siteId);
        return S_OK;
    };
    HRESULT result = E_FAIL;
    try {
        result = body();
    } catch (const std::bad_alloc&) {
        result = E_OUTOFMEMORY;
    }
    // A load that failed half-way leaves part of the site in the drawing: it names no site any
    // more (a save of it must not overwrite the one that was there) and differs from what is
    // stored.
    if (result != S_OK && touched) {
        SetSiteId(0);
        SetModified(true);
    }

    if (m_undoRecorder)
        m_undoRecorder->Resume();
    SetEventsEnabled(events);
    m_loadProgressHeard = progressHeard;
    --m_loadDepth;
    if (top)
        OpenGate();
    m_processed = m_total.load();
    ShowWaitCursor(false);
    if (request.finalProgress) {
        ClearProgressRanges(false);
        m_progressKey = 0;
        SendProgressNow(100);
    }
    AnnounceEnd(kStageEndLoad, nullptr, siteId, result == S_OK);
    RequestRedraw(rfRedrawAll, nullptr);
    return result;
}

void CControlCore::PrepareAdditiveLoad(const CIncludedSite& request)
{
    if (request.settingsOption == 1) {
        m_viewports->DeleteAll(false);
        m_drawingSettings->Clear(false);
    }
    if (request.enableOption == -1) {
        for (const auto& entry : m_shapeMap->Shapes())
            if (entry.first >= kFirstOrdinaryId && entry.second->GetShapeType() != stLayer)
                entry.second->SetStateBits(CShape::stEnabled, false);
    }
    // The loaded site's base layer takes ID 1; the one already there moves aside.
    CShape* base = FindShape(BASE_LAYER);
    if (!request.mergeLayers && !request.keepCurrent && base && base->GetDatabaseId() != 0) {
        m_shapeMap->RemoveShape(base);
        base->SetId(m_shapeMap->GetNextShapeId());
        m_shapeMap->ReserveIdsThrough(base->GetId());
        m_shapeMap->Insert(base);
        m_shapeMap->SetDbId(base->GetDatabaseId(), base->GetId());
    }
}

void CControlCore::FinishAdditiveLoad(const CIncludedSite& request)
{
    const int module = request.siteId;
    auto moduleOf = [this](CShape* shape) {
        return shape->GetDatabaseId() != 0 ? m_shapeMap->GetSourceSite(shape->GetDatabaseId()) : 0;
    };
    // Layers of the same name merge into the loaded one.
    if (request.mergeLayers) {
        if (CGroup* layers = GetLayersGroup()) {
            std::vector<CShape*> loaded, others;
            for (CShape* child : layers->Children()) {
                if (child->GetShapeType() != stLayer || child->GetId() == BASE_LAYER)
                    continue;
                (moduleOf(child) == module ? loaded : others).push_back(child);
            }
            for (CShape* keep : loaded) {
                const std::string& name = static_cast<CLayer*>(keep)->GetName();
                if (name.empty())
                    continue;
                for (CShape*& other : others) {
                    if (!other || static_cast<CLayer*>(other)->GetName() != name)
                        continue;
                    for (const auto& entry : m_shapeMap->Shapes())
                        if (entry.second->GetLayer() == other)
                            entry.second->SetLayer(static_cast<CLayer*>(keep));
                    if (GetCurrentLayer() == other)
                        SetCurrentLayer(static_cast<CLayer*>(keep));
                    other->DetachFromParent();
                    if (m_shapeMap->RemoveShape(other) == 0)
                        delete other;
                    other = nullptr;
                }
            }
        }
    }
    ApplyUnitsOfAdditiveLoad(request);
    if (request.settingsOption == 0) {
        float left = 0, top = 0, right = 0, bottom = 0;
        CGroup* root = GetRootGroup();
        if (root && SUCCEEDED(root->GetBoundingRect(&left, &top, &right, &bottom)) && left <= right && bottom <= top)
            m_siteRecord.SetDraftLimits(CRealRect(left, top, right, bottom));
    }
    if (CGroup* defaults = GetDefaultShapesGroup()) {
        CShape* base = FindShape(BASE_LAYER);
        for (CShape* child : defaults->Children()) {
            const bool unknown = child->GetDatabaseId() == 0 || moduleOf(child) == 0;
            if (unknown && base && base->GetShapeType() == stLayer)
                child->SetLayer(static_cast<CLayer*>(base));
        }
    }
}

void CControlCore::ApplyUnitsOfAdditiveLoad(const CIncludedSite& request)
{
    if (request.clear || request.siteId == 0)
        return;
    const int loadedUnit = m_siteRecord.unit;
    const bool differ = loadedUnit != request.unit;
    if (!(request.enableOption != 0 || request.unitsOption != 0 || differ))
        return;
    if (request.unitsOption == 0) {
        // Units are ignored: the site keeps the unit in force before the load.
        m_siteRecord.unit = request.unit != 0 ? request.unit : loadedUnit;
        return;
    }
    const int module = request.siteId;
    if (request.unitsOption == -1)
        m_siteRecord.unit = request.unit;
    const CUnitRecord* recorded = FindUnit(request.unit);
    const CUnitRecord* loaded = FindUnit(loadedUnit);
    if (!recorded || !loaded || recorded->inches == 0.0f || loaded->inches == 0.0f)
        return;
    const double factor = request.unitsOption == -1 ? static_cast<double>(loaded->inches) / recorded->inches
                                                    : static_cast<double>(recorded->inches) / loaded->inches;
    const bool scale = factor != 1.0;
    const bool scaleLoaded = request.unitsOption == -1;
    for (const auto& entry : m_shapeMap->Shapes()) {
        CShape* shape = entry.second;
        if (entry.first < kFirstOrdinaryId || shape->GetShapeType() == stLayer)
            continue;
        const int db = shape->GetDatabaseId();
        const bool mine = db != 0 && m_shapeMap->GetSourceSite(db) == module;
        if (request.enableOption != 0 && mine == (request.enableOption == 1))
            shape->SetStateBits(CShape::stEnabled, false);
        if (!scale || mine != scaleLoaded)
            continue;
        CGroup* parent = shape->GetParent();
        const bool topLevel = !parent || parent->GetId() < kFirstOrdinaryId;
        if (topLevel)
            shape->Scale(0.0f, 0.0f, static_cast<float>(factor), static_cast<float>(factor), nullptr, true);
    }
    if (scale)
        MergeViewsAndSettings(request, factor, scaleLoaded);
}

void CControlCore::MergeViewsAndSettings(const CIncludedSite& request, double factor, bool)
{
    if ((request.unitsOption == -1 && request.settingsOption == -1) ||
        (request.unitsOption != -1 && request.settingsOption == 1))
        return;
    if (request.unitsOption != 0) {
        for (int i = 0; i < m_viewports->GetCount(); ++i) {
            CViewportRecord* view = m_viewports->GetAt(i);
            if (!view || m_viewports->GetSourceSite(view->databaseID) != request.siteId)
                continue;
            view->SetWidth(static_cast<float>(view->width * factor));
            view->SetHeight(static_cast<float>(view->height * factor));
        }
        for (const auto& entry : m_drawingSettings->Settings()) {
            CDrawingSettingRecord* setting = entry.second.get();
            if (m_drawingSettings->FindOriginSite(setting->DatabaseID) != request.siteId)
                continue;
            setting->GridXSpace = static_cast<float>(setting->GridXSpace * factor);
            setting->GridYSpace = static_cast<float>(setting->GridYSpace * factor);
            setting->SnapXSpace = static_cast<float>(setting->SnapXSpace * factor);
            setting->SnapYSpace = static_cast<float>(setting->SnapYSpace * factor);
            setting->SnapBaseX = static_cast<float>(setting->SnapBaseX * factor);
            setting->SnapBaseY = static_cast<float>(setting->SnapBaseY * factor);
        }
    }
}
