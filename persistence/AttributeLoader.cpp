#include "persistence/AttributeLoader.h"
#include <string>
#include <oleauto.h>
#include "persistence/DbLoadContext.h"
#include "persistence/DbLoadTarget.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/AttributeSql.h"

namespace {

// A date column as an OLE automation date: whole days from 30 December 1899 (the time of day is
// not read); 0.0 for NULL.
double ReadDate(SQLHSTMT statement, SQLUSMALLINT column)
{
    SQL_DATE_STRUCT date = {};
    SQLLEN indicator = 0;
    const SQLRETURN r = SQLGetData(statement, column, SQL_C_TYPE_DATE, &date, sizeof date, &indicator);
    if (!SQL_SUCCEEDED(r) || indicator == SQL_NULL_DATA)
        return 0.0;
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(date.year);
    time.wMonth = date.month;
    time.wDay = date.day;
    double result = 0.0;
    return SystemTimeToVariantTime(&time, &result) ? result : 0.0;
}

} // namespace

const SqlStatement* CAttributeLoader::Query(int scope, bool count) const
{
    return &AttributeSql::AttributeQuery(AttributeSql::LoadAttributes, scope, count);
}

HRESULT CAttributeLoader::FetchRow(CDbLoadContext* context)
{
    if (!context)
        return E_INVALIDARG;
    auto* session = dynamic_cast<COdbcSession*>(context);
    if (!session)
        return E_INVALIDARG;
    COdbcRow row(session->Statement());
    if (!row.Fetch())
        return row.EndedCleanly() ? S_FALSE : E_FAIL;
    CDbLoadTarget::AttributeRow values;
    values.attributeId = row.Int(1);
    values.intField = row.Int(2);
    values.dateField = ReadDate(session->Statement(), 3);
    values.realField = row.Double(4);
    values.bitField = static_cast<short>(row.Int(5));
    values.textField = row.Text(6, 256);
    values.typeId = row.Int(7);
    values.shapeDatabaseId = row.Int(8);
    context->SetRowsDone(context->rowsDone + 1);
    return context->target ? context->target->OnAttributeRow(values) : S_OK;
}
