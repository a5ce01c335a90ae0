#include "persistence/AttributeGroupLoader.h"
#include <string>
#include <oleauto.h>
#include "persistence/DbLoadContext.h"
#include "persistence/DbLoadTarget.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/AttributeSql.h"

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
