#include <windows.h>
#include "persistence/EmbeddedDatabase.h"
#include <sqlext.h>
#include <cstring>
#include "persistence/Odbc.h"

// Generated from persistence/schema/sqlite.sql at build time.
extern const char kEmbeddedSqliteSchema[];

namespace {

SQLRETURN Run(SQLHSTMT hstmt, const char* text)
{
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS);
    if (SQL_SUCCEEDED(r) || r == SQL_NO_DATA)
        SQLFreeStmt(hstmt, SQL_CLOSE);
    return r;
}

bool Ok(SQLRETURN r)
{
    return r == SQL_SUCCESS || r == SQL_NO_DATA;
}

// -1 when the question cannot be asked.
int SitesTableCount(SQLHSTMT hstmt)
{
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(
        "select count(*) from sqlite_master where type = 'table' and lower(name) = 'sites'")), SQL_NTS);
    if (!Ok(r))
        return -1;
    SQLINTEGER count = -1;
    SQLLEN indicator = 0;
    if (SQL_SUCCEEDED(SQLFetch(hstmt)))
        SQLGetData(hstmt, 1, SQL_C_SLONG, &count, 0, &indicator);
    SQLFreeStmt(hstmt, SQL_CLOSE);
    return count;
}

// Undoes the open transaction on a statement of its own, so that the failed statement's
// diagnostics stay on `hstmt` for the caller's report.
void Rollback(SQLHDBC hdbc)
{
    SQLHSTMT other = nullptr;
    if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &other))) {
        Run(other, "ROLLBACK");
        SQLFreeHandle(SQL_HANDLE_STMT, other);
    }
}

} // namespace

std::vector<std::string> EmbeddedSchemaStatements()
{
    // A statement ends with ';' at the end of a line; whole-line comments are dropped.
    std::vector<std::string> statements;
    std::string current;
    const char* p = kEmbeddedSqliteSchema;
    while (*p) {
        const char* end = strchr(p, '\n');
        std::string line(p, end ? end : p + strlen(p));
        p = end ? end + 1 : p + strlen(p);
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line.compare(first, 2, "--") == 0)
            continue;
        size_t last = line.find_last_not_of(" \t\r");
        line.erase(last + 1);
        bool ends = line.back() == ';';
        if (ends)
            line.pop_back();
        if (!current.empty())
            current += '\n';
        current += line;
        if (ends) {
            statements.push_back(current);
            current.clear();
        }
    }
    if (!current.empty())
        statements.push_back(current);
    return statements;
}

HRESULT EnsureEmbeddedSchema(SQLHDBC hdbc, SQLHSTMT hstmt)
{
    int count = SitesTableCount(hstmt);
    if (count > 0)
        return S_OK;
    if (count < 0)
        return E_FAIL;
    // The write lock first, then the question again: another session may have been quicker.
    if (!Ok(Run(hstmt, "BEGIN IMMEDIATE")))
        return E_FAIL;
    count = SitesTableCount(hstmt);
    if (count != 0) {
        Run(hstmt, "COMMIT");
        return count > 0 ? S_OK : E_FAIL;
    }
    for (const std::string& statement : EmbeddedSchemaStatements()) {
        if (!Ok(Run(hstmt, statement.c_str()))) {
            Rollback(hdbc);
            return E_FAIL;
        }
    }
    if (!Ok(Run(hstmt, "COMMIT"))) {
        Rollback(hdbc);
        return E_FAIL;
    }
    return S_OK;
}
