#include "persistence/ShapeAttributeGroupLoader.h"
#include <mutex>
#include <new>
#include <string>
#include <oleauto.h>
#include "persistence/DbLoadContext.h"
#include "persistence/DbLoadTarget.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/AttributeSql.h"

namespace {

std::mutex g_lock;
CShapeAttributeGroupLoader* g_loader = nullptr;
long g_uses = 0;

} // namespace

CShapeAttributeGroupLoader* CShapeAttributeGroupLoader::Acquire()
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!g_loader)
        g_loader = new (std::nothrow) CShapeAttributeGroupLoader();
    ++g_uses;
    return g_loader;
}

void CShapeAttributeGroupLoader::Release()
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!g_loader) {
        g_uses = 0;
        return;
    }
    if (--g_uses > 0)
        return;
    g_uses = 0;
    delete g_loader;
    g_loader = nullptr;
}

int CShapeAttributeGroupLoader::CountRows(CDbLoadContext* context) { return RunCount(context); }

HRESULT CShapeAttributeGroupLoader::OpenQuery(CDbLoadContext* context)
{
    if (!context)
        return E_INVALIDARG;
    return RunQuery(context, false);
}

const SqlStatement* CShapeAttributeGroupLoader::Query(int scope, bool count) const
{
    return &AttributeSql::AttributeQuery(AttributeSql::LoadShapeGroups, scope, count);
}

HRESULT CShapeAttributeGroupLoader::FetchRow(CDbLoadContext* context)
{
    if (!context)
        return E_INVALIDARG;
    auto* session = dynamic_cast<COdbcSession*>(context);
    if (!session)
        return E_INVALIDARG;
    COdbcRow row(session->Statement());
    if (!row.Fetch())
        return row.EndedCleanly() ? S_FALSE : E_FAIL;
    const int shapeDatabaseId = row.Int(1);
    const int groupId = row.Int(2);
    context->SetRowsDone(context->rowsDone + 1);
    return context->target ? context->target->OnShapeAttributeGroupRow(shapeDatabaseId, groupId) : S_OK;
}
