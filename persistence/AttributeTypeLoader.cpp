#include "persistence/AttributeTypeLoader.h"
#include <string>
#include <oleauto.h>
#include "persistence/DbLoadContext.h"
#include "persistence/DbLoadTarget.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/AttributeSql.h"

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
