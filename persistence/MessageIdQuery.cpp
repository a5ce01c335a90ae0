#include "persistence/MessageIdQuery.h"
#include "persistence/Odbc.h"
#include "persistence/sql/MessengerSql.h"

SQLRETURN QueryMaxMessageId(COdbcSession& session, int* id, std::string* error)
{
    int value = -1;
    if (id)
        *id = -1;
    SQLHSTMT hstmt = session.Statement();
    std::string text;
    if (!hstmt || !session.Format(MessengerSql::MaxMessageId, text)) {
        if (error)
            *error = "Not connected.";
        return SQL_ERROR;
    }
    SQLRETURN result = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS);
    if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) {
        const std::string description =
            OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "SQLExecute() Failed", true, session.Dialect());
        if (error)
            *error = description;
        SQLFreeStmt(hstmt, SQL_CLOSE);
        return result;
    }
    for (;;) {
        result = SQLFetch(hstmt);
        if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO)
            break;
        SQLINTEGER column = 0;
        SQLLEN indicator = 0;
        SQLGetData(hstmt, 1, SQL_C_SLONG, &column, 0, &indicator);
        value = indicator == SQL_NULL_DATA ? -1 : static_cast<int>(column);
    }
    // Further results are skipped until the driver has no more.
    while (SQLMoreResults(hstmt) == SQL_SUCCESS) {
    }
    SQLFreeStmt(hstmt, SQL_CLOSE);
    if (id)
        *id = value < 0 ? 1 : value + 1;
    return SQL_NO_DATA;
}
