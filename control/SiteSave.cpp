// Saving and deleting a site: the save writes every row of the site anew inside one transaction
// (a failure rolls back and leaves the stored site and the drawing's database IDs as they were;
// saves take the ID ranges one session at a time, and a key that another writer took meanwhile
// makes the save try again), the delete removes
// the site's rows pass by pass; new Sites rows; the transfer of a site to and from a database
// file.
#include "control/ControlCore.h"
#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>
#include "control/DatabaseIdSnapshot.h"
#include "control/SiteAttributeRows.h"
#include "control/ViewportList.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/PointPool.h"
#include "model/Shape.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/MaxIdReader.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/OdbcTransaction.h"
#include "persistence/sql/AttributeLinkSql.h"
#include "persistence/sql/IdReservationSql.h"
#include "persistence/sql/SiteDeleteSql.h"
#include "persistence/sql/SiteSql.h"
#include "com/ErrorInfo.h"
#include "com/HResult.h"
#include "YVEX_h.h"

// The placeholder rows of a save, one per table in this order: layer settings, linked points,
// points, shape points, shapes (also the layer-shape row), vertices; 0 means no row. The same
// layout holds the counts of new rows first.
struct CIdReservation
{
    int layerSettings = 0;
    int linkedPoints = 0;
    int points = 0;
    int shapePoints = 0;
    int shapes = 0;
    int vertices = 0;
};

namespace {

// How often a save starts again after another session took keys it was about to use.
const int kSaveAttempts = 4;

std::atomic<CControlCore::IdCountersReadHook> g_countersReadHook{nullptr};
std::atomic<void*> g_countersReadContext{nullptr};

void CountersRead()
{
    if (CControlCore::IdCountersReadHook hook = g_countersReadHook.load())
        hook(g_countersReadContext.load());
}

// The save's transaction begins and takes the lock that keeps other sessions' saves out of the
// ID ranges until it ends (see IdReservationSql::LockRanges).
HRESULT BeginWithRangeLock(COdbcSession& session, COdbcTransaction& transaction)
{
    RETURN_IF_FAILED(transaction.Begin(CLSID_YVEXControl));
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, IdReservationSql::LockRanges));
    SQLFreeStmt(session.Statement(), SQL_CLOSE);
    return S_OK;
}

int ReadCount(COdbcSession& session)
{
    COdbcRow row(session.Statement());
    int count = 0;
    if (row.Fetch())
        count = row.Int(1);
    row.Finish();
    return count;
}

// The Unix path of a file under Wine, whose ODBC drivers are the machine's own; the path as it
// is elsewhere.
std::string NativeFilePath(const char* path)
{
    using Convert = char* (__cdecl*)(const WCHAR*);
    static const Convert convert =
        reinterpret_cast<Convert>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    if (!convert || !path || !*path)
        return path ? path : "";
    const int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], n);
    char* unixPath = convert(wide.c_str());
    if (!unixPath)
        return path;
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

} // namespace

void CControlCore::SetIdCountersReadHook(IdCountersReadHook hook, void* context)
{
    g_countersReadContext = context;
    g_countersReadHook = hook;
}

HRESULT CControlCore::GetNextSiteID(COdbcSession& session, int* id)
{
    if (!id)
        return E_POINTER;
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteSql::MaxSiteId));
    const int largest = ReadMaxIdResult(session.Statement(), 0);
    *id = (largest < 1 ? 0 : largest) + 1;
    return S_OK;
}

HRESULT CControlCore::InsertSiteRow(const char* name, int* id)
{
    COdbcSession session;
    FillLogin(session);
    if (!session.ConnectQuietly())
        return E_FAIL;
    const std::string text = name ? name : "";
    const CSiteRecord& r = m_siteRecord;
    HRESULT result = E_FAIL;
    int siteId = 0;
    // Two sessions that create a site at once both find the same largest ID: the second one's
    // key is refused, and it takes the next.
    for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
        COdbcMessageHold hold;
        OdbcClearLastFailure();
        result = GetNextSiteID(session, &siteId);
        if (SUCCEEDED(result))
            result = session.Exec(CLSID_YVEXControl, SiteSql::InsertSite,
                                  {siteId, GetScenarioId(), r.extents.left, r.extents.top, r.extents.right,
                                   r.extents.bottom, r.limits.left, r.limits.top, r.limits.right,
                                   r.limits.bottom, r.measurement, r.lineTypeScale, r.GetImageScale(),
                                   r.unit},
                                  {OdbcParam::Text(text)});
        const bool retry = FAILED(result) && OdbcIsKeyViolation(OdbcLastFailure()) && attempt + 1 < kSaveAttempts;
        hold.End(!retry);
        if (!retry)
            break;
    }
    if (id)
        *id = siteId;
    return result;
}

HRESULT CControlCore::ReserveIdRange(COdbcSession& session, int siteId, CIdReservation& reservation)
{
    CShapeStats stats;
    for (CGroup* group : {GetLayersGroup(), GetLibraryGroup(), m_rootGroup})
        if (group)
            group->CountStats(stats);
    int layers = 0;
    if (CGroup* group = GetLayersGroup())
        for (CShape* child : group->Children())
            if (child->GetShapeType() == stLayer)
                ++layers;
    const int points = static_cast<int>(m_pointPool->GetCount());
    // The site's own shape and linked points are written anew: their IDs are free.
    RETURN_IF_FAILED(SetIdCounters(session, siteId));
    CountersRead();
    return ReserveIds(session, siteId, stats, points, layers, reservation);
}

HRESULT CControlCore::ReserveIds(COdbcSession& session, int siteId, const CShapeStats& stats, int points, int layers,
                                 CIdReservation& reservation)
{
    reservation = CIdReservation();
    const CDbIdCounters& counters = GetDbIdCounters();
    if (stats.shapes != 0) {
        reservation.shapes = m_shapeMap->GetNextDbShapeId() + static_cast<int>(stats.shapes) + 1;
        if (points != 0)
            reservation.points = m_pointPool->GetNextDatabaseId() + points + 1;
        if (layers != 0)
            reservation.layerSettings = counters.layerSetting + layers + 1;
        if (stats.points != 0)
            reservation.shapePoints = counters.shapePoint + static_cast<int>(stats.points) + 1;
        if (stats.linkedPoints != 0)
            reservation.linkedPoints = counters.linkedPoint + static_cast<int>(stats.linkedPoints) + 1;
        if (stats.vertices != 0)
            reservation.vertices = std::max(counters.vertex, 1) + static_cast<int>(stats.vertices) + 1;
    }

    // Every placeholder must stand: a refused one means the range is not ours.
    using namespace IdReservationSql;
    if (reservation.shapes)
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertShapePlaceholder,
                                      {reservation.shapes, siteId}));
    if (reservation.layerSettings) {
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertPlaceholder,
                                      {SqlRaw("LayerShapes"), SqlRaw("ShapeID"), reservation.shapes}));
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertKeyedPlaceholder,
                                      {SqlRaw("LayerSettings"), SqlRaw("LayerSettingID"), SqlRaw("LayerShapeID"),
                                       reservation.layerSettings, reservation.shapes}));
    }
    if (reservation.points)
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertKeyedPlaceholder,
                                      {SqlRaw("Points"), SqlRaw("PointID"), SqlRaw("SiteID"), reservation.points,
                                       siteId}));
    if (reservation.shapePoints)
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertLinkPlaceholder,
                                      {SqlRaw("ShapePoints"), SqlRaw("ShapePointID"), reservation.shapePoints,
                                       reservation.shapes, reservation.points}));
    if (reservation.linkedPoints)
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertLinkPlaceholder,
                                      {SqlRaw("LinkedPoints"), SqlRaw("LinkedPointID"), reservation.linkedPoints,
                                       reservation.shapes, reservation.points}));
    if (reservation.vertices)
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, InsertVertexPlaceholder,
                                      {reservation.vertices, reservation.shapePoints}));
    return S_OK;
}

HRESULT CControlCore::ReleaseIdRange(COdbcSession& session, CIdReservation& reservation)
{
    using namespace IdReservationSql;
    int* const fields[] = {&reservation.vertices, &reservation.layerSettings, &reservation.shapes,
                           &reservation.shapePoints, &reservation.linkedPoints, &reservation.shapes,
                           &reservation.points};
    // The release order names LayerShapes and Shapes, both under the shape placeholder.
    HRESULT result = S_OK;
    for (size_t i = 0; i < ReleaseOrderCount && SUCCEEDED(result); ++i) {
        const int id = *fields[i];
        if (id != 0)
            result = session.Exec(CLSID_YVEXControl, DeletePlaceholder,
                                  {SqlRaw(ReleaseOrder[i].table), SqlRaw(ReleaseOrder[i].column), id});
    }
    reservation = CIdReservation();
    return result;
}

HRESULT CControlCore::DeleteSiteRows(COdbcSession& session, int siteId, bool full, bool progress)
{
    using namespace SiteDeleteSql;
    int initial = -1;
    int remaining = -1;
    // The attribute model of the site (what no other site uses): its values before the links
    // that name their site go, its types and groups before the rows that give them to the site.
    for (const SqlStatement* s : {&AttributeLinkSql::DeleteAttributesOfSite, &AttributeLinkSql::DeleteAttributeTypesOfSite,
                                  &AttributeLinkSql::DeleteAttributeGroupsOfSite})
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, *s, {siteId, siteId}));
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, DeleteSiteAttributes, {siteId}));
    for (;;) {
        if (progress && initial < 0) {
            RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteSql::CountShapes, {siteId}));
            initial = ReadCount(session);
        }
        const SqlStatement* const pass[] = {&DeleteDrawingSettings, &DeleteVertexesOfPoints, &DeleteVertexesOfShapes,
                                            &DeleteShapePointsOfPoints, &DeleteShapePointsOfShapes,
                                            &DeleteLinkedPointsOfPoints, &DeleteLinkedPointsOfShapes,
                                            &DeleteShapeAttributesOfShapes, &DeleteShapeAttributeGroupsOfShapes,
                                            &DeletePoints};
        for (const SqlStatement* s : pass)
            RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, *s, {siteId}));
        for (size_t i = 0; i < KindRowDeleteCount; ++i)
            RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, *KindRowDeletes[i], {siteId}));
        for (const SqlStatement* s : {&DeleteGroupRows, &DeleteLayerSettings, &DeleteLayerRows, &DeleteShapes})
            RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, *s, {siteId}));
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, SiteSql::CountShapes, {siteId}));
        const int left = ReadCount(session);
        if (progress)
            SendProgressNow(initial > 0 ? static_cast<int>((1.0 - static_cast<double>(left) / initial) * 100.0) : 100);
        if (left == 0)
            break;
        // Rows that no statement can remove would keep the passes going for ever.
        if (remaining >= 0 && left >= remaining)
            return ycom::ReportErrorA(kErrorSource, CLSID_YVEXControl, "The site's shapes cannot be deleted.");
        remaining = left;
    }
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, DeleteViewports, {siteId}));
    if (full) {
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, DeleteIncludedSites, {siteId}));
        RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, DeleteSite, {siteId}));
    }
    return S_OK;
}

void CControlCore::ForgetDatabaseIdsInMemory()
{
    // Every shape, point and element of the attribute model forgets its row: the save that
    // follows writes every row as new.
    m_pointPool->ClearDatabaseIds();
    m_shapeMap->ResetAfterSave();
    CSiteAttributeRows::ForgetDatabaseIds(*this);
}

HRESULT CControlCore::DeleteSiteFromDB(int siteId, bool full)
{
    if (full)
        ShowWaitCursor(true);
    COdbcSession session;
    FillLogin(session);
    HRESULT result = session.Connect(CLSID_YVEXControl);
    if (SUCCEEDED(result)) {
        // One transaction: a delete that fails half-way removes nothing.
        COdbcTransaction transaction(session);
        result = transaction.Begin(CLSID_YVEXControl);
        if (SUCCEEDED(result))
            result = DeleteSiteRows(session, siteId, full, full);
        if (SUCCEEDED(result))
            result = transaction.Commit(CLSID_YVEXControl);
        else
            transaction.Rollback();
    }
    session.Disconnect();
    // The drawing forgets rows only when they were its own.
    if (SUCCEEDED(result) && siteId == GetSiteId()) {
        ForgetDatabaseIdsInMemory();
        if (full)
            SetSiteId(0);
    }
    if (full) {
        ShowWaitCursor(false);
        OpenGate();
    }
    AnnounceEnd(kStageEndDelete, nullptr, siteId, SUCCEEDED(result));
    return result;
}

HRESULT CControlCore::SaveSiteAttempt(COdbcSession& session, int siteId, bool* retryable)
{
    COdbcTransaction transaction(session);
    CIdReservation reservation;
    CSiteAttributeRows attributes(*this);
    const int scenario = GetScenarioId();
    CDatabaseIdSnapshot before(*this);
    auto steps = [&]() -> HRESULT {
        RETURN_IF_FAILED(BeginWithRangeLock(session, transaction));
        // Step 0: the site's rows go; the drawing forgets them.
        RETURN_IF_FAILED(DeleteSiteRows(session, siteId, false, false));
        ForgetDatabaseIdsInMemory();
        RETURN_IF_FAILED(ReserveIdRange(session, siteId, reservation));
        RETURN_IF_FAILED(attributes.Reserve(session));
        // The pictures first: image shapes and hatch patterns name their rows.
        RETURN_IF_FAILED(GetImageResourceMap().SaveAll(session, siteId, 0));
        RETURN_IF_FAILED(GetHatchPatternMap().Save(session, 0, 2, 0));
        for (CGroup* group : {GetLayersGroup(), GetLibraryGroup(), m_rootGroup})
            if (group)
                RETURN_IF_FAILED(group->SaveToDB(session, siteId, 0, 2));
        RETURN_IF_FAILED(m_siteRecord.Save(session, siteId));
        RETURN_IF_FAILED(m_viewports->SaveToDB(session, siteId));
        for (const auto& entry : m_drawingSettings->Settings())
            RETURN_IF_FAILED(entry.second->InsertIntoDatabase(session, siteId, *this));
        // The attribute model, once the shapes have their rows.
        RETURN_IF_FAILED(attributes.Write(session, siteId, scenario));
        RETURN_IF_FAILED(attributes.Release(session));
        RETURN_IF_FAILED(ReleaseIdRange(session, reservation));
        return transaction.Commit(CLSID_YVEXControl);
    };
    OdbcClearLastFailure();
    HRESULT result = steps();
    if (FAILED(result)) {
        // Another session's new rows, or a deadlock with its transaction: worth another attempt.
        *retryable = OdbcIsKeyViolation(OdbcLastFailure()) || OdbcIsTransientConflict(OdbcLastFailure());
        transaction.Rollback();
        before.Restore();
    }
    return result;
}

HRESULT CControlCore::SaveShapeAttempt(COdbcSession& session, CShape* shape, int scenarioId, bool* retryable)
{
    COdbcTransaction transaction(session);
    CIdReservation reservation;
    CDatabaseIdSnapshot before(*this);
    auto steps = [&]() -> HRESULT {
        RETURN_IF_FAILED(BeginWithRangeLock(session, transaction));
        // The counters as the database stands now (other sessions write too), every site's rows
        // counted: none of this site's is written anew here.
        RETURN_IF_FAILED(SetIdCounters(session, 0));
        CountersRead();
        CShapeStats stats;
        shape->CountStats(stats);
        RETURN_IF_FAILED(ReserveIds(session, GetSiteId(), stats, static_cast<int>(stats.points + stats.linkedPoints),
                                    static_cast<int>(stats.layers), reservation));
        RETURN_IF_FAILED(shape->SaveToDB(session, GetSiteId(), scenarioId, 0));
        RETURN_IF_FAILED(ReleaseIdRange(session, reservation));
        return transaction.Commit(CLSID_YVEXControl);
    };
    OdbcClearLastFailure();
    HRESULT result = steps();
    if (FAILED(result)) {
        *retryable = OdbcIsKeyViolation(OdbcLastFailure()) || OdbcIsTransientConflict(OdbcLastFailure());
        transaction.Rollback();
        before.Restore();
    }
    return result;
}

HRESULT CControlCore::SaveShapeRows(CShape* shape, int scenarioId)
{
    if (!shape)
        return E_POINTER;
    COdbcSession session;
    FillLogin(session);
    if (session.Connect(CLSID_YVEXControl) != S_OK)
        return E_FAIL;
    HRESULT result = S_OK;
    for (int attempt = 0;; ++attempt) {
        COdbcMessageHold hold;
        bool retryable = false;
        result = SaveShapeAttempt(session, shape, scenarioId, &retryable);
        const bool retry = FAILED(result) && retryable && attempt + 1 < kSaveAttempts;
        hold.End(!retry);
        if (!retry)
            break;
    }
    return result;
}

HRESULT CControlCore::SaveSiteToDB(int siteId, DWORD) { return SaveSiteBody(siteId, false); }

HRESULT CControlCore::SaveSiteBody(int siteId, bool intoFile)
{
    // A copy into a database file leaves the drawing's own rows as they were: its site, every
    // database ID and its modified flag name the main database afterwards, not the file.
    std::unique_ptr<CDatabaseIdSnapshot> own;
    const bool wasModified = IsModified();
    if (intoFile) {
        own = std::make_unique<CDatabaseIdSnapshot>(*this);
        // The rows of the main database that pictures, patterns, settings and views name are
        // none of the file's: everything is written as new there.
        ForgetDatabaseIds();
        m_savingIntoFile = true;
    }
    SetPersistState(1, 0);
    m_processed = 0;
    m_total = static_cast<long>(m_shapeMap->Shapes().size());
    BeginProgress(m_total);
    ShowWaitCursor(true);
    SendProgressNow(0);

    COdbcSession session;
    FillLogin(session);
    HRESULT result = session.Connect(CLSID_YVEXControl);
    if (SUCCEEDED(result))
        result = LoadUnitsFromDB(session);
    for (int attempt = 0; SUCCEEDED(result); ++attempt) {
        // The boxes of an attempt that is tried again are not shown.
        COdbcMessageHold hold;
        bool retryable = false;
        result = SaveSiteAttempt(session, siteId, &retryable);
        const bool retry = FAILED(result) && retryable && attempt + 1 < kSaveAttempts;
        hold.End(!retry);
        if (!retry)
            break;
        result = S_OK;
    }
    session.Disconnect();

    const bool saved = SUCCEEDED(result);
    if (own) {
        own->Restore();
        SetModified(wasModified);
    } else if (saved) {
        SetSiteId(siteId);
        SetModified(false);
    }
    m_processed = m_total.load();
    ShowWaitCursor(false);
    OpenGate();
    SendProgressNow(100);
    // The site's rows were removed and written anew: the delete ends before the save.
    AnnounceEnd(kStageEndDelete, nullptr, siteId, saved);
    AnnounceEnd(kStageEndSave, m_siteRecord.GetName().c_str(), siteId, saved);
    m_savingIntoFile = false;
    return result;
}

HRESULT CControlCore::TransferSiteFile(const char* path, int fileType, bool load, int siteId)
{
    if (fileType != 1) {
        OpenGate();
        return E_INVALIDARG;
    }
    // No Access driver here: the database file is an SQLite file, given to the driver by its
    // path. This worker's steps connect to it (FillLogin); the control's own login is not
    // touched, so the host's thread reads it whole meanwhile.
    m_fileDataSource = "Driver=SQLite3;Database=" + NativeFilePath(path);
    m_fileWorkerThread = GetCurrentThreadId();
    struct CFileWorkerEnd
    {
        CControlCore& control;
        ~CFileWorkerEnd() { control.m_fileWorkerThread = 0; }
    } fileWorkerEnd{*this};

    HRESULT result = S_OK;
    if (load && siteId < 1) {
        COdbcSession session;
        FillLogin(session);
        if (!session.ConnectQuietly()) {
            result = E_FAIL;
        } else {
            result = session.Exec(CLSID_YVEXControl, SiteSql::ListSites);
            int rows = 0, last = 0;
            if (SUCCEEDED(result)) {
                COdbcRow row(session.Statement());
                while (row.Fetch()) {
                    last = row.Int(1);
                    ++rows;
                }
                row.Finish();
            }
            if (rows == 1) {
                siteId = last;
            } else if (rows > 1) {
                std::string query;
                session.Format(SiteSql::ListSites, query);
                CSiteListRequest request;
                request.statement = session.Statement();
                request.caption = "Load site";
                request.query = query.c_str();
                if (ShowSiteList(request) != IDCANCEL)
                    siteId = request.chosenId;
            }
            if (SUCCEEDED(result) && siteId < 1)
                result = E_FAIL;
        }
    }
    if (FAILED(result)) {
        OpenGate();
        if (load) {
            SendProgressNow(100);
            AnnounceEnd(kStageEndLoad, nullptr, siteId, false);
        }
        return result;
    }
    if (load) {
        // A load from a file starts afresh: a site of the same ID loaded earlier (from the file
        // or the database) is no reason to skip this one. The drawing read from the file leaves
        // the main database (LoadSiteFromDB without a request detaches it).
        ResetProgress(true);
        result = LoadSiteFromDB(siteId, nullptr);
        SetPersistState(3, 4);
        return result;
    }
    // Each save into a file makes a new site there, named after the drawing's site.
    int created = 0;
    result = InsertSiteRow(m_siteRecord.GetName().c_str(), &created);
    if (FAILED(result)) {
        OpenGate();
        AnnounceEnd(kStageEndSave, nullptr, created, false);
        return result;
    }
    result = SaveSiteBody(created, true);
    SetPersistState(3, 0);
    return result;
}
