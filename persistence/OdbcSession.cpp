#include "persistence/OdbcSession.h"
#include <atomic>
#include <cctype>
#include <cstring>
#include "persistence/EmbeddedDatabase.h"
#include "persistence/sql/SessionSql.h"
#include "com/HResult.h"
#include "com/MessageBoxHook.h"

namespace {

// The login check runs once per process for the default data source; the flag that keeps it
// from being entered again from its own connection belongs to the thread that runs it.
std::atomic<bool> g_loginsChecked{false};
thread_local bool t_checkRunning = false;

const char* OrEmpty(const char* s)
{
    return s ? s : "";
}

SQLCHAR* SqlText(const char* text)
{
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

SqlDialect DetectDialect(SQLHDBC hdbc)
{
    char name[128] = {};
    SQLSMALLINT length = 0;
    SQLRETURN r = SQLGetInfo(hdbc, SQL_DBMS_NAME, name, sizeof name, &length);
    return SQL_SUCCEEDED(r) ? SqlDialectFromDbmsName(name) : SqlDialect::SqlServer;
}

// A data source is named (SQLConnect), or given as a connection string with its driver
// ("Driver=SQLite3;Database=..."), as a database file is (SQLDriverConnect, never prompting).
SQLRETURN ConnectTo(SQLHDBC hdbc, const char* dsn, const char* user, const char* password)
{
    std::string upper(dsn);
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    if (upper.find("DRIVER=") != std::string::npos) {
        std::string text = dsn;
        if (*user)
            text += std::string(";UID=") + user;
        if (*password)
            text += std::string(";PWD=") + password;
        SQLCHAR out[1024];
        SQLSMALLINT length = 0;
        return SQLDriverConnect(hdbc, nullptr, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS, out, sizeof out,
                                &length, SQL_DRIVER_NOPROMPT);
    }
    return SQLConnect(hdbc, SqlText(dsn), SQL_NTS, SqlText(user), SQL_NTS, SqlText(password), SQL_NTS);
}

bool CheckLogins(const char* dataSource, const char* user, const char* password, std::string* failure);

} // namespace

COdbcSession::~COdbcSession() { Disconnect(); }

HRESULT COdbcSession::Connect(REFGUID source)
{
    if (IsConnected())
        return S_OK;
    Disconnect();
    const char* dsn = !dataSource.empty() ? dataSource.c_str() : kDefaultDataSourceName;
    const char* user = userName.c_str();
    const char* pass = password.c_str();
    if (!g_loginsChecked && !t_checkRunning) {
        // The check has shown its message boxes; the application also gets their text.
        std::string failure;
        if (!CheckLogins(dsn, user, pass, &failure))
            return OdbcReportError(source, failure.c_str());
    }
    // Whatever fails below leaves the session without handles.
    auto fail = [&](HRESULT hr) {
        Disconnect();
        return hr;
    };
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, m_environment.Put()))) {
        m_environment.Detach();
        static const char text[] = "SQLAllocHandle (SQL_HANDLE_ENV, NULL, &henv); failed.";
        OdbcShowError(text);
        return fail(OdbcReportError(source, text));
    }
    SQLHENV henv = m_environment.Get();
    if (!SQL_SUCCEEDED(SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                                     SQL_IS_INTEGER))) {
        OdbcShowError("SQLSetEnvAttr(ODBC version) Failed");
        return fail(OdbcReportError(
            source, "SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, (SQLPOINTER) SQL_OV_ODBC3, SQL_IS_INTEGER);"));
    }
    if (!SQL_SUCCEEDED(SQLSetEnvAttr(henv, SQL_ATTR_CONNECTION_POOLING, reinterpret_cast<SQLPOINTER>(SQL_CP_OFF),
                                     SQL_IS_INTEGER))) {
        OdbcShowError("SQLSetEnvAttr(ODBC version) Failed");
        return fail(OdbcReportError(
            source, "SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, SQL_IS_INTEGER);"));
    }
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, henv, m_connection.Put()))) {
        m_connection.Detach();
        static const char text[] = "SQLAllocHandle(SQL_HANDLE_DBC, henv, &hdbc);";
        OdbcShowError(text);
        return fail(OdbcReportError(source, text));
    }
    SQLHDBC hdbc = m_connection.Get();
    auto report = [&](SQLSMALLINT type, SQLHANDLE handle, const char* caption, bool extended) {
        return OdbcReportError(source, OdbcDiagnosticsText(type, handle, caption, extended, m_dialect).c_str());
    };
    if (!SQL_SUCCEEDED(ConnectTo(hdbc, dsn, user, pass)))
        return fail(report(SQL_HANDLE_DBC, hdbc, "SQLConnect() Failed", false));
    m_dialect = DetectDialect(hdbc);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, m_statement.Put()))) {
        m_statement.Detach();
        return fail(report(SQL_HANDLE_DBC, hdbc, "SQLAllocHandle(hstmt) Failed", true));
    }
    SQLHSTMT hstmt = m_statement.Get();
    if (!FinishConnection())
        return fail(report(SQL_HANDLE_STMT, hstmt, "SQLExecute() Failed", true));

    std::string text;
    if (SessionSql::SetNoCount.TextFor(m_dialect, text)) {
        const SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS);
        if (!SQL_SUCCEEDED(r) && r != SQL_NO_DATA)
            return fail(report(SQL_HANDLE_STMT, hstmt, "SQLExecute() Failed", true));
        SQLFreeStmt(hstmt, SQL_CLOSE);
    }
    return S_OK;
}

bool COdbcSession::ConnectQuietly(std::string* failure)
{
    Disconnect();
    const char* dsn = !dataSource.empty() ? dataSource.c_str() : kDefaultDataSourceName;
    const char* user = userName.c_str();
    const char* pass = password.c_str();
    if (!g_loginsChecked && !t_checkRunning && !CheckLogins(dsn, user, pass, failure))
        return false;
    auto fail = [&](const std::string& text) {
        if (failure)
            *failure = text;
        Disconnect();
        return false;
    };
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, m_environment.Put()))) {
        m_environment.Detach();
        OdbcShowError("SQLAllocHandle(Env) Failed");
        return fail("SQLAllocHandle(Env) Failed");
    }
    if (!SQL_SUCCEEDED(SQLSetEnvAttr(m_environment.Get(), SQL_ATTR_ODBC_VERSION,
                                     reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER))) {
        OdbcShowError("SQLSetEnvAttr(ODBC version) Failed");
        return fail("SQLSetEnvAttr(ODBC version) Failed");
    }
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, m_environment.Get(), m_connection.Put()))) {
        m_connection.Detach();
        OdbcShowError("SQLAllocHandle(hdbc1) Failed");
        return fail("SQLAllocHandle(hdbc1) Failed");
    }
    SQLHDBC hdbc = m_connection.Get();
    if (!SQL_SUCCEEDED(ConnectTo(hdbc, dsn, user, pass))) {
        const std::string caption = "Failed to connect (DSN: '" + std::string(dsn) + "').";
        return fail(OdbcDiagnosticsText(SQL_HANDLE_DBC, hdbc, caption.c_str(), false, m_dialect));
    }
    m_dialect = DetectDialect(hdbc);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, m_statement.Put()))) {
        m_statement.Detach();
        return fail(OdbcDiagnosticsText(SQL_HANDLE_DBC, hdbc, "SQLAllocHandle(hstmt) Failed", true, m_dialect));
    }
    if (!FinishConnection())
        return fail(OdbcDiagnosticsText(SQL_HANDLE_STMT, m_statement.Get(), "SQLExecute() Failed", true, m_dialect));
    return true;
}

void COdbcSession::Disconnect()
{
    m_statement.Reset();
    m_connection.Reset();
    m_environment.Reset();
    m_dialect = SqlDialect::SqlServer;
}

bool COdbcSession::FinishConnection()
{
    // An SQLite database that is still empty receives the schema.
    if (m_dialect == SqlDialect::SQLite)
        return SUCCEEDED(EnsureEmbeddedSchema(m_connection.Get(), m_statement.Get()));
    return true;
}

HRESULT COdbcSession::Exec(REFGUID source, const SqlStatement& statement, const std::vector<SqlValue>& values,
                           const std::vector<OdbcParam>& params)
{
    SQLHSTMT hstmt = m_statement.Get();
    if (!hstmt)
        return OdbcReportError(source, "There is no connection to the database.");
    if (!statement.RunsIn(m_dialect))
        return S_OK;
    std::string text;
    if (!Format(statement, text, values)) {
        const std::string message = std::string("The values do not fit the statement ") + statement.name + ".";
        return OdbcReportError(source, message.c_str());
    }
    const SQLRETURN r = OdbcExecDirectParams(hstmt, text.c_str(), params);
    const HRESULT hr = CheckResult(source, r, "Execution Failed", "");
    if (!params.empty())
        SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
    return hr;
}

HRESULT COdbcSession::ExecSave(REFGUID source, const SqlStatement& statement, const std::vector<SqlValue>& values,
                               const std::vector<OdbcParam>& params, const char* context)
{
    std::string text;
    if (!Format(statement, text, values))
        return CheckResult(source, SQL_ERROR, context, "The values do not fit the statement.");
    const SQLRETURN r = OdbcExecDirectParams(m_statement.Get(), text.c_str(), params);
    const HRESULT hr = CheckResult(source, r, context, nullptr);
    SQLFreeStmt(m_statement.Get(), SQL_CLOSE);
    return hr;
}

bool COdbcSession::Format(const SqlStatement& statement, std::string& text, const std::vector<SqlValue>& values) const
{
    std::string templ;
    if (!statement.TextFor(m_dialect, templ)) {
        text.clear();
        return false;
    }
    return FormatSql(text, templ.c_str(), values);
}

HRESULT COdbcSession::ExecDirect(REFGUID source, const char* text)
{
    return OdbcExecDirect(source, m_statement.Get(), text, m_dialect);
}

HRESULT COdbcSession::CheckResult(REFGUID source, SQLRETURN result, const char* context, const char* forced)
{
    return OdbcCheckResult(source, m_statement.Get(), result, context, forced, m_dialect);
}

// ---------------------------------------------------------------------------------------------
// Login check

bool CheckDatabaseLogins(const char* dataSource, const char* user, const char* password)
{
    return CheckLogins(dataSource, user, password, nullptr);
}

bool OdbcLoginsChecked() { return g_loginsChecked; }

namespace {

bool CheckLogins(const char* dataSource, const char* user, const char* password, std::string* failure)
{
    const char* dsn = dataSource && *dataSource ? dataSource : kDefaultDataSourceName;
    user = OrEmpty(user);
    password = OrEmpty(password);

    COdbcSession session;
    session.dataSource = dsn;
    session.userName = user;
    session.password = password;
    t_checkRunning = true;
    const bool connected = session.ConnectQuietly(failure);
    t_checkRunning = false;
    if (!connected)
        return false;

    int mask = 0;
    if (!SessionSql::CheckLogins.RunsIn(session.Dialect())) {
        // Logins and users of this kind exist on SQL Server only; elsewhere there is nothing to
        // check once the connection stands.
        mask = 15;
    } else {
        SQLHSTMT hstmt = session.Statement();
        std::string text;
        session.Format(SessionSql::CheckLogins, text);
        SQLRETURN r = OdbcExecDirectParams(hstmt, text.c_str(), {OdbcParam::Text(user), OdbcParam::Text(user)});
        if (r != SQL_SUCCESS && r != SQL_NO_DATA) {
            std::string message =
                OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "Execution Failed", true, session.Dialect());
            if (failure)
                *failure = message;
            return false;
        }
        for (;;) {
            SQLRETURN fetched = SQLFetch(hstmt);
            if (fetched == SQL_NO_DATA || !SQL_SUCCEEDED(fetched))
                break;
            char login[51] = {};
            char name[51] = {};
            SQLLEN n = 0;
            if (!SQL_SUCCEEDED(SQLGetData(hstmt, 1, SQL_C_CHAR, login, sizeof login, &n)) ||
                !SQL_SUCCEEDED(SQLGetData(hstmt, 2, SQL_C_CHAR, name, sizeof name, &n))) {
                if (failure)
                    *failure = "The database's logins could not be read.";
                return false;
            }
            if (strcmp(login, user) == 0 && strcmp(name, user) == 0)
                mask |= 1;
            mask |= 2;
            if (strcmp(login, "sa") == 0 && strcmp(name, "dbo") == 0)
                mask |= 4;
        }
        while (SQLMoreResults(hstmt) == SQL_SUCCESS) {
        }
        mask |= 8;
    }
    session.Disconnect();

    if (mask == 15) {
        if (strcmp(dsn, kDefaultDataSourceName) == 0)
            g_loginsChecked = true;
        return true;
    }
    std::string text = "Database check failed for DSN " + std::string(dsn) + ":\n";
    if (!(mask & 1))
        text += "User '" + std::string(user) + "' is not configured properly.\n";
    if (!(mask & 4))
        text += "User 'dbo' is not configured properly.\n";
    ycom::ShowMessageBox(nullptr, text.c_str(), "Warning", kOdbcWarningBoxStyle);
    if (failure)
        *failure = text;
    return false;
}

} // namespace
