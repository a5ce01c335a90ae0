#include "persistence/ShapeAttributeGroupLoader.h"
#include <string>
#include <oleauto.h>
#include "persistence/DbLoadContext.h"
#include "persistence/DbLoadTarget.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/AttributeSql.h"

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
