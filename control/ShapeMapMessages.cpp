// Changes that other sessions made to the site's shapes in the database: a shape read again with
// its direct children, or a shape deleted.
#include "control/ShapeMap.h"
#include <algorithm>
#include <vector>
#include "control/ControlCore.h"
#include "model/Group.h"
#include "model/Shape.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/SessionSql.h"
#include "com/HResult.h"
#include "YVEX_h.h"

HRESULT CShapeMap::ReloadShapeFromDb(int databaseId)
{
    if (!m_control)
        return E_FAIL;
    COdbcSession session;
    RETURN_IF_FAILED(OpenNestedSession(session));
    std::vector<int> listed;
    const HRESULT result = LoadSiteShapes(session, databaseId, 1, &listed);
    // Shapes of an included site of another unit are brought to the drawing's unit.
    const std::vector<CIncludedSite>& included = m_control->GetIncludedSites();
    const int currentUnit = m_control->GetSiteRecord().unit;
    if (SUCCEEDED(result) && currentUnit != 0 && !listed.empty() && included.size() > 1) {
        for (int id : listed) {
            CShape* shape = FindByDbId(id);
            if (!shape)
                continue;
            CShape* parent = shape->GetParent();
            if (parent && std::find(listed.begin(), listed.end(), parent->GetDatabaseId()) != listed.end())
                continue;
            const int site = GetSourceSite(id);
            for (size_t i = 0; i + 1 < included.size(); ++i) {
                if (included[i].siteId != site)
                    continue;
                const int unit = included[i + 1].unit;
                const CUnitRecord* mine = m_control->FindUnit(currentUnit);
                const CUnitRecord* theirs = m_control->FindUnit(unit);
                if (unit != 0 && unit != currentUnit && mine && theirs && mine->inches != 0.0f &&
                    theirs->inches != 0.0f) {
                    const double ratio = static_cast<double>(mine->inches) / theirs->inches;
                    if (ratio != 1.0)
                        shape->Scale(0.0f, 0.0f, static_cast<float>(ratio), static_cast<float>(ratio), nullptr, true);
                }
                break;
            }
        }
    }
    m_control->RequestRedraw(rfRedrawAll, nullptr);
    return result;
}

HRESULT CShapeMap::RemoveShapeOnMessage(int databaseId)
{
    CShape* shape = FindByDbId(databaseId);
    if (!shape)
        return S_FALSE;
    const int id = shape->GetId();
    // A fixed or prototype shape goes only when the host agrees; the others without asking.
    if (id <= DEFAULT_IMAGE_ID && (!m_control || !m_control->AskDeleteShape(id)))
        return S_FALSE;
    // What the map keeps (the fixed groups, root groups) stays whole and in place.
    if (IsProtected(shape))
        return S_FALSE;
    bool selected = false;
    CGroup* selection = m_control ? m_control->GetSelectionGroup() : nullptr;
    if (m_control && m_control->EventsEnabled() && selection)
        selected = std::find(selection->Children().begin(), selection->Children().end(), shape) !=
                   selection->Children().end();
    const int removed = RemoveShape(shape);
    if (removed != 0)
        return removed;
    shape->DetachFromParent();
    delete shape;
    if (selected && m_control)
        m_control->OnSelectionChanged();
    if (m_control)
        m_control->RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}
