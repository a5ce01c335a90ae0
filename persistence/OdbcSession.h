#pragma once
#include <windows.h>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <vector>
#include "persistence/DbLoadContext.h"
#include "persistence/Odbc.h"
#include "persistence/SqlDialect.h"
#include "persistence/SqlStatement.h"
#include "persistence/SqlValue.h"
#include "com/Owners.h"

// One connection to a database, the only way product code holds one: its environment,
// connection and statement handles (owned; the destructor disconnects) and the SQL dialect of the
// database behind it, told by the driver at connect. The statements of the statement tables run
// on the session's statement in that dialect.
class COdbcSession : public CDbLoadContext
{
public:
    COdbcSession() = default;
    ~COdbcSession() override;
    COdbcSession(const COdbcSession&) = delete;
    COdbcSession& operator=(const COdbcSession&) = delete;

    // Connects with the context's data source (empty: the embedded default), user and password;
    // nothing when connected already. Failures are shown in message boxes and reported as COM
    // error info under `source`: 0 or DISP_E_EXCEPTION, the session left disconnected.
    HRESULT Connect(REFGUID source);
    // The same connection steps reporting by message box only (site chooser, new site row, file
    // transfer, messenger): false on failure, with the text in *failure when asked for.
    bool ConnectQuietly(std::string* failure = nullptr);
    // Frees the statement, disconnects, frees connection and environment.
    void Disconnect();
    bool IsConnected() const { return static_cast<bool>(m_statement); }
    // The dialect of the connected database; SQL Server's while not connected.
    SqlDialect Dialect() const { return m_dialect; }
    // The session's statement, to read what a statement gave (SQLFetch, SQLGetData); null while
    // not connected.
    SQLHSTMT Statement() const { return m_statement.Get(); }
    SQLHDBC Connection() const { return m_connection.Get(); }

    // Runs a statement of the statement tables: the text of the session's dialect with `values`
    // filled in and `params` bound, checked like OdbcExecDirect. A statement that the dialect does
    // not run answers 0 without running anything; a template that does not match the values is
    // reported as error info: DISP_E_EXCEPTION.
    HRESULT Exec(REFGUID source, const SqlStatement& statement, const std::vector<SqlValue>& values = {},
                 const std::vector<OdbcParam>& params = {});
    // Exec for a save: a template that does not fit, and any failure, are reported under
    // `context`; the statement is closed afterwards.
    HRESULT ExecSave(REFGUID source, const SqlStatement& statement, const std::vector<SqlValue>& values,
                     const std::vector<OdbcParam>& params, const char* context);
    // The formatted text Exec runs; false when the dialect does not run the statement or the
    // values do not fit.
    bool Format(const SqlStatement& statement, std::string& text, const std::vector<SqlValue>& values = {}) const;
    // OdbcExecDirect and OdbcCheckResult on the session's statement, in its dialect.
    HRESULT ExecDirect(REFGUID source, const char* text);
    HRESULT CheckResult(REFGUID source, SQLRETURN result, const char* context, const char* forced = "");

private:
    // The handles of a session, closed in the order ODBC wants: statement, connection (after
    // SQLDisconnect), environment.
    struct EnvironmentTraits {
        using Type = SQLHENV;
        static bool IsEmpty(SQLHENV h) { return !h; }
        static void Close(SQLHENV h) { SQLFreeHandle(SQL_HANDLE_ENV, h); }
    };
    struct ConnectionTraits {
        using Type = SQLHDBC;
        static bool IsEmpty(SQLHDBC h) { return !h; }
        static void Close(SQLHDBC h)
        {
            SQLDisconnect(h);
            SQLFreeHandle(SQL_HANDLE_DBC, h);
        }
    };
    struct StatementTraits {
        using Type = SQLHSTMT;
        static bool IsEmpty(SQLHSTMT h) { return !h; }
        static void Close(SQLHSTMT h) { SQLFreeHandle(SQL_HANDLE_STMT, h); }
    };

    // The statement, the dialect and, for an empty embedded database, its schema.
    bool FinishConnection();

    // Declared in closing order's reverse: the statement goes first.
    ycom::UniqueAny<EnvironmentTraits> m_environment;
    ycom::UniqueAny<ConnectionTraits> m_connection;
    ycom::UniqueAny<StatementTraits> m_statement;
    SqlDialect m_dialect = SqlDialect::SqlServer;
};

// The login check run before the first connection to a data source: on SQL Server, the user
// and "sa"/"dbo" must be configured as logins and users; elsewhere it passes once connected.
// Shows its own warning and returns false when it fails.
bool CheckDatabaseLogins(const char* dataSource, const char* user, const char* password);
// Whether the check has passed for the default data source (then it is not run again).
bool OdbcLoginsChecked();
