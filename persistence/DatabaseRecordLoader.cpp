#include "persistence/DatabaseRecordLoader.h"
#include <vector>
#include "persistence/Odbc.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/SqlStatement.h"
#include "YVEX_h.h"

namespace {

// The loaders connect the context's own session: only a session holds the connection.
COdbcSession* SessionOf(CDbLoadContext* context) { return dynamic_cast<COdbcSession*>(context); }

// The key once for every %d of the statement's template.
std::vector<SqlValue> KeyValues(const SqlStatement& statement, SqlDialect dialect, int key)
{
    std::vector<SqlValue> values;
    const char* templ = statement.TemplateFor(dialect);
    for (const char* p = templ ? templ : ""; *p; ++p) {
        if (*p == '%' && p[1] == 'd') {
            values.emplace_back(key);
            ++p;
        } else if (*p == '%' && p[1]) {
            ++p;
        }
    }
    return values;
}

} // namespace

HRESULT CDatabaseRecordLoader::Finish(CDbLoadContext* context)
{
    if (!context)
        return E_INVALIDARG;
    if (COdbcSession* session = SessionOf(context))
        COdbcRow(session->Statement()).Finish();
    return S_OK;
}

HRESULT CDatabaseRecordLoader::OpenQuery(CDbLoadContext* context)
{
    if (!context)
        return E_INVALIDARG;
    return RunQuery(context, false);
}

HRESULT CDatabaseRecordLoader::Connect(CDbLoadContext* context)
{
    if (!context)
        return E_INVALIDARG;
    COdbcSession* session = SessionOf(context);
    if (!session)
        return E_INVALIDARG;
    return session->Connect(CLSID_YVEXControl);
}

HRESULT CDatabaseRecordLoader::FetchRow(CDbLoadContext* context)
{
    COdbcSession* session = SessionOf(context);
    if (!session)
        return E_INVALIDARG;
    const SQLRETURN r = SQLFetch(session->Statement());
    if (r == SQL_NO_DATA)
        return S_FALSE;
    return SQL_SUCCEEDED(r) ? S_OK : E_FAIL;
}

HRESULT CDatabaseRecordLoader::RunQuery(CDbLoadContext* context, bool count)
{
    const HRESULT connected = Connect(context);
    if (FAILED(connected))
        return connected;
    COdbcSession* session = SessionOf(context);
    const SqlStatement* statement = Query(context->scope, count);
    if (!statement)
        return E_FAIL;
    return session->Exec(CLSID_YVEXControl, *statement,
                         KeyValues(*statement, session->Dialect(), context->keyId));
}

int CDatabaseRecordLoader::CountRows(CDbLoadContext* context)
{
    if (!context)
        return -1;
    if (RunQuery(context, true) != S_OK)
        return -1;
    COdbcSession* session = SessionOf(context);
    COdbcRow row(session->Statement());
    int count = -1;
    if (row.Fetch())
        count = row.Int(1, -1);
    Finish(context);
    return count;
}
