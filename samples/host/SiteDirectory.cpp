#include "SiteDirectory.h"
#include <windows.h>
#include <sql.h>
#include <sqlext.h>
#include <vector>
#include "AutomationObject.h"

namespace sample {
namespace {

class Statement
{
public:
    explicit Statement(const std::string& dataSource)
    {
        const std::string dsn = dataSource.empty() ? "YVEX" : dataSource;
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
        const SQLRETURN r = SQLConnect(m_dbc, reinterpret_cast<SQLCHAR*>(const_cast<char*>(dsn.c_str())), SQL_NTS,
                                        nullptr, 0, nullptr, 0);
        if (!SQL_SUCCEEDED(r))
            Fail(SQL_HANDLE_DBC, m_dbc, "cannot connect to data source " + dsn);
        SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &m_stmt);
    }
    ~Statement()
    {
        if (m_stmt)
            SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
        if (m_dbc) {
            SQLDisconnect(m_dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        }
        if (m_env)
            SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // The site IDs of that name, in ID order.
    std::vector<long> SitesNamed(const std::wstring& name)
    {
        const char query[] = "select SiteID from Sites where Name = ? order by SiteID";
        std::string text = Narrow(name);
        SQLLEN length = static_cast<SQLLEN>(text.size());
        SQLRETURN r = SQLPrepare(m_stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(query)), SQL_NTS);
        if (SQL_SUCCEEDED(r))
            r = SQLBindParameter(m_stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 255, 0, &text[0],
                                 length, &length);
        if (SQL_SUCCEEDED(r))
            r = SQLExecute(m_stmt);
        if (!SQL_SUCCEEDED(r))
            Fail(SQL_HANDLE_STMT, m_stmt, "cannot list the sites");
        std::vector<long> ids;
        while (SQL_SUCCEEDED(SQLFetch(m_stmt))) {
            SQLINTEGER id = 0;
            SQLLEN indicator = 0;
            if (SQL_SUCCEEDED(SQLGetData(m_stmt, 1, SQL_C_SLONG, &id, sizeof id, &indicator)) && indicator != SQL_NULL_DATA)
                ids.push_back(id);
        }
        SQLCloseCursor(m_stmt);
        return ids;
    }

private:
    [[noreturn]] static void Fail(SQLSMALLINT type, SQLHANDLE handle, const std::string& what)
    {
        SQLCHAR state[6] = {};
        SQLCHAR message[512] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::string text = what;
        if (handle && SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length)))
            text += std::string(": ") + reinterpret_cast<char*>(message);
        throw AutomationError(text, E_FAIL);
    }

    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
};

} // namespace

std::vector<long> SitesNamed(const std::string& dataSource, const std::wstring& name)
{
    Statement statement(dataSource);
    return statement.SitesNamed(name);
}

} // namespace sample
