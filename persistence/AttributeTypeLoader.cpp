#include "persistence/AttributeTypeLoader.h"
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
CAttributeTypeLoader* g_loader = nullptr;
long g_uses = 0;

} // namespace

CAttributeTypeLoader* CAttributeTypeLoader::Acquire()
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (!g_loader)
        g_loader = new (std::nothrow) CAttributeTypeLoader();
    ++g_uses;
    return g_loader;
}

void CAttributeTypeLoader::Release()
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

int CAttributeTypeLoader::CountRows(CDbLoadContext* context) { return RunCount(context); }

HRESULT CAttributeTypeLoader::OpenQuery(CDbLoadContext* context)
{
    if (!context)
        return E_INVALIDARG;
    return RunQuery(context, false);
}

const SqlStatement* CAttributeTypeLoader::Query(int scope, bool count) const
{
    return &AttributeSql::AttributeQuery(AttributeSql::LoadTypes, scope, count);
}

HRESULT CAttributeTypeLoader::FetchRow(CDbLoadContext* context)
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
    const std::string name = row.Text(2, 256);
    const std::string format = row.Text(3, 256);
    const std::string prompt = row.Text(4, 256);
    const int valueType = row.Int(5);
    const int groupId = row.Int(6);
    context->SetRowsDone(context->rowsDone + 1);
    return context->target ? context->target->OnAttributeTypeRow(databaseId, name, format, prompt, valueType, groupId)
                           : S_OK;
}
