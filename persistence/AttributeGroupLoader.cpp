#include "persistence/AttributeGroupLoader.h"
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
CAttributeGroupLoader* g_loader = nullptr;
long g_uses = 0;

} // namespace

CAttributeGroupLoader* CAttributeGroupLoader::Acquire()
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!g_loader)
        g_loader = new (std::nothrow) CAttributeGroupLoader();
    ++g_uses;
    return g_loader;
}

void CAttributeGroupLoader::Release()
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

int CAttributeGroupLoader::CountRows(CDbLoadContext* context) { return RunCount(context); }

HRESULT CAttributeGroupLoader::OpenQuery(CDbLoadContext* context)
{
    if (!context)
        return E_INVALIDARG;
    return RunQuery(context, false);
}

const SqlStatement* CAttributeGroupLoader::Query(int scope, bool count) const
{
    return &AttributeSql::AttributeQuery(AttributeSql::LoadGroups, scope, count);
}

HRESULT CAttributeGroupLoader::FetchRow(CDbLoadContext* context)
{
    if (!context)
        return E_INVALIDARG;
    auto* session = dynamic_cast<COdbcSession*>(context);
    if (!session)
        return E_INVALIDARG;
    COdbcRow row(session->Statement());
    if (!row.Fetch())
        return row.EndedCleanly() ? S_FALSE : E_FAIL;
    const int databaseId = row.Int(1);
    const std::string name = row.Text(3, 256);
    const int parentId = row.Int(4);
    context->SetRowsDone(context->rowsDone + 1);
    return context->target ? context->target->OnAttributeGroupRow(databaseId, name, parentId) : S_OK;
}
