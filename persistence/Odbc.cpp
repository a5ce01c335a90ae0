#include "persistence/Odbc.h"
#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include "automation/ResultCodes.h"
#include "persistence/EmbeddedDatabase.h"
#include "persistence/sql/SessionSql.h"
#include "com/ErrorInfo.h"
#include "com/MessageBoxHook.h"

const char kDefaultDataSourceName[] = "YVEX";

namespace {

constexpr UINT kErrorBoxStyle = MB_ICONERROR | MB_TASKMODAL;      // 0x2010
constexpr UINT kWarningBoxStyle = MB_ICONWARNING | MB_TASKMODAL;  // 0x2030

// The SQL Server driver's own diagnostic fields.
constexpr SQLSMALLINT kSsDiagLineNumber = -1154;
constexpr SQLSMALLINT kSsDiagMsgState = -1150;
constexpr SQLSMALLINT kSsDiagSeverity = -1151;
constexpr SQLSMALLINT kSsDiagProcName = -1153;
constexpr SQLSMALLINT kSsDiagServerName = -1152;

// The login check runs once per process for the default data source; the flag that keeps it
// from being entered again from its own connection belongs to the thread that runs it.
std::atomic<bool> g_loginsChecked{false};
thread_local bool t_checkRunning = false;

// Which dialect each connection and statement of this layer speaks.
std::mutex g_dialectLock;
std::map<SQLHANDLE, SqlDialect> g_dialects;

void RememberDialect(SQLHANDLE handle, SqlDialect dialect)
{
    std::lock_guard<std::mutex> lock(g_dialectLock);
    g_dialects[handle] = dialect;
}

void ForgetDialect(SQLHANDLE handle)
{
    std::lock_guard<std::mutex> lock(g_dialectLock);
    g_dialects.erase(handle);
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
    return SQLConnect(hdbc, reinterpret_cast<SQLCHAR*>(const_cast<char*>(dsn)), SQL_NTS,
                      reinterpret_cast<SQLCHAR*>(const_cast<char*>(user)), SQL_NTS,
                      reinterpret_cast<SQLCHAR*>(const_cast<char*>(password)), SQL_NTS);
}

// What this thread's statements last reported, and the list of the outermost hold of this thread
// (the boxes kept back while it lasts). Kept in a fiber-local slot freed at the thread's end: the
// compiler's emulated thread-locals fail on worker threads that start and end under load.
struct ThreadState
{
    OdbcFailure lastFailure;
    std::vector<std::pair<std::string, std::string>>* heldBoxes = nullptr;
};

void WINAPI FreeThreadState(void* state) { delete static_cast<ThreadState*>(state); }

ThreadState& State()
{
    static const DWORD slot = FlsAlloc(&FreeThreadState);
    auto* state = static_cast<ThreadState*>(FlsGetValue(slot));
    if (!state) {
        state = new ThreadState();
        FlsSetValue(slot, state);
    }
    return *state;
}

void ShowError(const char* text, const char* caption = "")
{
    if (State().heldBoxes) {
        State().heldBoxes->emplace_back(text ? text : "", caption ? caption : "");
        return;
    }
    ycom::ShowMessageBox(nullptr, text, caption, kErrorBoxStyle);
}

// The control's error info (source "YVEXControl") with the text; answers DISP_E_EXCEPTION.
HRESULT ReportErrorText(REFGUID source, const char* text) { return ycom::ReportErrorA(kErrorSource, source, text); }

HRESULT ReportDiagnostics(REFGUID source, SQLSMALLINT type, SQLHANDLE handle, const char* caption,
                          bool extended)
{
    std::string text = OdbcDiagnosticsText(type, handle, caption, extended);
    return ReportErrorText(source, text.c_str());
}

const char* OrEmpty(const char* s)
{
    return s ? s : "";
}

// After the connection: the dialect is told, the statement is made, and an SQLite database that
// is still empty receives the schema.
bool FinishConnection(SQLHDBC hdbc, SQLHSTMT hstmt)
{
    SqlDialect dialect = OdbcDialectOf(hdbc);
    RememberDialect(hstmt, dialect);
    if (dialect == SqlDialect::SQLite)
        return SUCCEEDED(EnsureEmbeddedSchema(hdbc, hstmt));
    return true;
}

// Sends the long data of one parameter in pieces.
SQLRETURN PutLongData(SQLHSTMT hstmt, const OdbcParam& param)
{
    const char* data = static_cast<const char*>(param.data());
    size_t offset = 0;
    for (size_t piece : OdbcDataPieces(param.length())) {
        SQLRETURN r = SQLPutData(hstmt, const_cast<char*>(data ? data + offset : ""),
                                 static_cast<SQLLEN>(piece));
        if (!SQL_SUCCEEDED(r))
            return r;
        offset += piece;
    }
    return SQL_SUCCESS;
}

bool ConnectHandles(SQLHENV& henv, SQLHDBC& hdbc, SQLHSTMT& hstmt, const char* dataSource,
                    const char* user, const char* password, std::string* failure);
bool CheckLogins(const char* dataSource, const char* user, const char* password,
                 std::string* failure);

} // namespace

// ---------------------------------------------------------------------------------------------
// Connecting

HRESULT OdbcConnect(REFGUID source, SQLHENV& henv, SQLHDBC& hdbc, SQLHSTMT& hstmt,
                    const char* dataSource, const char* user, const char* password)
{
    const char* dsn = dataSource && *dataSource ? dataSource : kDefaultDataSourceName;
    user = OrEmpty(user);
    password = OrEmpty(password);
    if (!g_loginsChecked && !t_checkRunning) {
        // The check has shown its message boxes; the host also gets their text.
        std::string failure;
        if (!CheckLogins(dsn, user, password, &failure))
            return ReportErrorText(source, failure.c_str());
    }

    henv = nullptr;
    hdbc = nullptr;
    hstmt = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &henv))) {
        henv = nullptr;
        static const char text[] = "SQLAllocHandle (SQL_HANDLE_ENV, NULL, &henv); failed.";
        ShowError(text);
        return ReportErrorText(source, text);
    }
    if (!SQL_SUCCEEDED(SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION,
                                     reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER))) {
        ShowError("SQLSetEnvAttr(ODBC version) Failed");
        return ReportErrorText(source,
            "SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, (SQLPOINTER) SQL_OV_ODBC3, SQL_IS_INTEGER);");
    }
    if (!SQL_SUCCEEDED(SQLSetEnvAttr(henv, SQL_ATTR_CONNECTION_POOLING,
                                     reinterpret_cast<SQLPOINTER>(SQL_CP_OFF), SQL_IS_INTEGER))) {
        ShowError("SQLSetEnvAttr(ODBC version) Failed");
        return ReportErrorText(source,
            "SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, SQL_IS_INTEGER);");
    }
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, henv, &hdbc))) {
        hdbc = nullptr;
        static const char text[] = "SQLAllocHandle(SQL_HANDLE_DBC, henv, &hdbc);";
        ShowError(text);
        return ReportErrorText(source, text);
    }
    SQLRETURN r = ConnectTo(hdbc, dsn, user, password);
    if (!SQL_SUCCEEDED(r))
        return ReportDiagnostics(source, SQL_HANDLE_DBC, hdbc, "SQLConnect() Failed", false);
    RememberDialect(hdbc, DetectDialect(hdbc));
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &hstmt))) {
        hstmt = nullptr;
        return ReportDiagnostics(source, SQL_HANDLE_DBC, hdbc, "SQLAllocHandle(hstmt) Failed", true);
    }
    if (!FinishConnection(hdbc, hstmt))
        return ReportDiagnostics(source, SQL_HANDLE_STMT, hstmt, "SQLExecute() Failed", true);

    std::string text;
    if (SessionSql::SetNoCount.TextFor(OdbcDialectOf(hstmt), text)) {
        r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS);
        if (!SQL_SUCCEEDED(r) && r != SQL_NO_DATA)
            return ReportDiagnostics(source, SQL_HANDLE_STMT, hstmt, "SQLExecute() Failed", true);
        SQLFreeStmt(hstmt, SQL_CLOSE);
    }
    return S_OK;
}

bool OdbcConnectHandles(SQLHENV& henv, SQLHDBC& hdbc, SQLHSTMT& hstmt,
                        const char* dataSource, const char* user, const char* password)
{
    return ConnectHandles(henv, hdbc, hstmt, dataSource, user, password, nullptr);
}

void OdbcDisconnect(SQLHENV& henv, SQLHDBC& hdbc, SQLHSTMT& hstmt)
{
    OdbcCloseConnection(henv, hdbc, hstmt);
}

SQLRETURN OdbcCloseConnection(SQLHENV& henv, SQLHDBC& hdbc, SQLHSTMT& hstmt)
{
    // All three handles are nulled: a closed triple must never be freed a second time.
    if (hstmt) {
        ForgetDialect(hstmt);
        SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
        hstmt = nullptr;
    }
    if (hdbc) {
        SQLDisconnect(hdbc);
        ForgetDialect(hdbc);
        SQLFreeHandle(SQL_HANDLE_DBC, hdbc);
        hdbc = nullptr;
    }
    SQLRETURN r = SQL_SUCCESS;
    if (henv) {
        r = SQLFreeHandle(SQL_HANDLE_ENV, henv);
        henv = nullptr;
    }
    return r;
}

// ---------------------------------------------------------------------------------------------
// Statements

HRESULT OdbcExecDirect(REFGUID source, SQLHSTMT hstmt, const char* text)
{
    if (!hstmt)
        return ReportErrorText(source, "There is no connection to the database.");
    SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(OrEmpty(text))),
                                SQL_NTS);
    return OdbcCheckResult(source, hstmt, r, "Execution Failed", "");
}

HRESULT OdbcCheckResult(REFGUID source, SQLHSTMT hstmt, SQLRETURN result, const char* context,
                        const char* forced)
{
    if (result != SQL_SUCCESS && result != SQL_NO_DATA) {
        BSTR description = nullptr;
        OdbcReportDiagnostics(SQL_HANDLE_STMT, hstmt, context, true, &description);
        if (description)
            ycom::InstallErrorInfo(kErrorSource, source, description);
        else
            ReportErrorText(source, "Unknown Error");
        return DISP_E_EXCEPTION;
    }
    if (forced && *forced)
        return ReportErrorText(source, forced);
    return S_OK;
}

OdbcParam OdbcParam::Text(const char* text)
{
    return OdbcParam(Kind::Text, text, text ? strlen(text) : 0);
}

OdbcParam OdbcParam::Text(const char* text, size_t length)
{
    return OdbcParam(Kind::Text, text, text ? length : 0);
}

OdbcParam OdbcParam::LongText(const char* text, size_t length)
{
    return OdbcParam(Kind::LongText, text, text ? length : 0);
}

OdbcParam OdbcParam::LongBinary(const void* data, size_t length)
{
    return OdbcParam(Kind::LongBinary, data, data ? length : 0);
}

std::vector<size_t> OdbcDataPieces(size_t length)
{
    std::vector<size_t> pieces;
    for (size_t offset = 0; offset < length; offset += kOdbcDataPieceSize)
        pieces.push_back(length - offset < kOdbcDataPieceSize ? length - offset : kOdbcDataPieceSize);
    // Empty data still takes one (empty) piece: the driver expects SQLPutData once.
    if (pieces.empty())
        pieces.push_back(0);
    return pieces;
}

SQLRETURN OdbcExecDirectParams(SQLHSTMT hstmt, const char* text, const std::vector<OdbcParam>& params)
{
    if (!hstmt)
        return SQL_INVALID_HANDLE;
    // Bindings left by an earlier failed statement go first.
    SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
    std::vector<SQLLEN> indicators(params.size());
    SQLUSMALLINT number = 0;
    for (const OdbcParam& p : params) {
        SQLLEN& indicator = indicators[number];
        ++number;
        SQLRETURN r;
        if (p.kind() == OdbcParam::Kind::Text) {
            static char empty[1] = {0};
            indicator = p.isNull() ? SQL_NULL_DATA : static_cast<SQLLEN>(p.length());
            SQLULEN size = p.length() ? p.length() : 1;
            r = SQLBindParameter(hstmt, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, size, 0,
                                 p.isNull() ? empty : const_cast<void*>(p.data()),
                                 static_cast<SQLLEN>(p.length()), &indicator);
        } else {
            bool binary = p.kind() == OdbcParam::Kind::LongBinary;
            // The total length goes with the binding: drivers (SQLite's) need it to take more
            // than one piece.
            indicator = SQL_LEN_DATA_AT_EXEC(static_cast<SQLLEN>(p.length()));
            SQLULEN size = p.length() ? p.length() : 1;
            // The parameter's "value" is the token SQLParamData hands back: its number.
            r = SQLBindParameter(hstmt, number, SQL_PARAM_INPUT, binary ? SQL_C_BINARY : SQL_C_CHAR,
                                 binary ? SQL_LONGVARBINARY : SQL_LONGVARCHAR, size, 0,
                                 reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(number)), 0,
                                 &indicator);
        }
        if (!SQL_SUCCEEDED(r))
            return r;
    }
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(OrEmpty(text))),
                                SQL_NTS);
    // Only a statement that asks for data is fed: calling SQLParamData after a failed execution
    // would replace the statement's own diagnostics by a function-sequence error.
    if (r == SQL_NEED_DATA) {
        SQLPOINTER token = nullptr;
        r = SQLParamData(hstmt, &token);
        while (r == SQL_NEED_DATA) {
            size_t index = static_cast<size_t>(reinterpret_cast<uintptr_t>(token));
            if (index < 1 || index > params.size())
                break;
            SQLRETURN put = PutLongData(hstmt, params.begin()[index - 1]);
            if (!SQL_SUCCEEDED(put)) {
                // The statement waits for data until cancelled.
                r = put;
                SQLCancel(hstmt);
                break;
            }
            r = SQLParamData(hstmt, &token);
        }
    }
    // Any other call on the handle would clear the diagnostics of a failure, which the caller
    // still has to read: then the bindings stay until the next statement.
    if (!params.empty() && (r == SQL_SUCCESS || r == SQL_NO_DATA))
        SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
    return r;
}

SQLRETURN OdbcExecDirectWithData(SQLHSTMT hstmt, const char* text, const void* data, size_t length,
                                 bool binary)
{
    OdbcParam param = binary ? OdbcParam::LongBinary(data, length)
                             : OdbcParam::LongText(static_cast<const char*>(data), length);
    return OdbcExecDirectParams(hstmt, text, {param});
}

bool OdbcFormatStatement(SQLHSTMT hstmt, const SqlStatement& statement, std::string& text,
                         const std::vector<SqlValue>& values)
{
    std::string templ;
    if (!statement.TextFor(OdbcDialectOf(hstmt), templ)) {
        text.clear();
        return false;
    }
    return FormatSql(text, templ.c_str(), values);
}

HRESULT OdbcExecStatement(REFGUID source, SQLHSTMT hstmt, const SqlStatement& statement,
                          const std::vector<SqlValue>& values,
                          const std::vector<OdbcParam>& params)
{
    if (!hstmt)
        return ReportErrorText(source, "There is no connection to the database.");
    if (!statement.RunsIn(OdbcDialectOf(hstmt)))
        return S_OK;
    std::string text;
    if (!OdbcFormatStatement(hstmt, statement, text, values)) {
        std::string message = std::string("The values do not fit the statement ") + statement.name + ".";
        return ReportErrorText(source, message.c_str());
    }
    SQLRETURN r = OdbcExecDirectParams(hstmt, text.c_str(), params);
    HRESULT hr = OdbcCheckResult(source, hstmt, r, "Execution Failed", "");
    if (!params.empty())
        SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
    return hr;
}

SQLLEN OdbcRowCount(SQLHSTMT hstmt)
{
    SQLLEN rows = -1;
    if (!hstmt || !SQL_SUCCEEDED(SQLRowCount(hstmt, &rows)))
        return -1;
    return rows;
}

SqlDialect OdbcDialectOf(SQLHANDLE handle)
{
    std::lock_guard<std::mutex> lock(g_dialectLock);
    auto it = g_dialects.find(handle);
    return it == g_dialects.end() ? SqlDialect::SqlServer : it->second;
}

SQLRETURN OdbcAllocStatement(SQLHDBC hdbc, SQLHSTMT& hstmt)
{
    hstmt = nullptr;
    SQLRETURN r = SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &hstmt);
    if (SQL_SUCCEEDED(r))
        RememberDialect(hstmt, OdbcDialectOf(hdbc));
    else
        hstmt = nullptr;
    return r;
}

void OdbcFreeStatement(SQLHSTMT& hstmt)
{
    if (!hstmt)
        return;
    ForgetDialect(hstmt);
    SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
    hstmt = nullptr;
}

OdbcFailure OdbcLastFailure() { return State().lastFailure; }

void OdbcClearLastFailure() { State().lastFailure = OdbcFailure(); }

bool OdbcIsKeyViolation(const OdbcFailure& failure)
{
    const std::string state = failure.state;
    switch (failure.dialect) {
    case SqlDialect::SQLite:
        // The SQLite driver names every engine error S1000 (HY000); the native code is SQLite's
        // SQLITE_CONSTRAINT.
        return (state == "S1000" || state == "HY000") && failure.native == 19;
    case SqlDialect::PostgreSQL:
        return state == "23505";
    case SqlDialect::SqlServer:
    default:
        // 2627: a primary key or unique constraint; 2601: a unique index.
        return state == "23000" && (failure.native == 2627 || failure.native == 2601);
    }
}

COdbcMessageHold::COdbcMessageHold()
{
    if (!State().heldBoxes) {
        State().heldBoxes = &m_boxes;
        m_outer = true;
    }
}

COdbcMessageHold::~COdbcMessageHold() { End(false); }

void COdbcMessageHold::End(bool show)
{
    if (m_ended)
        return;
    m_ended = true;
    if (!m_outer)
        return;
    State().heldBoxes = nullptr;
    std::vector<std::pair<std::string, std::string>> held;
    held.swap(m_boxes);
    if (show)
        for (const auto& box : held)
            ShowError(box.first.c_str(), box.second.c_str());
}

std::string SqlIdOrNull(long id)
{
    return id > 0 ? std::to_string(id) : std::string("NULL");
}

// ---------------------------------------------------------------------------------------------
// Diagnostics

std::string OdbcDiagnosticsText(SQLSMALLINT handleType, SQLHANDLE handle, const char* caption,
                                bool extended)
{
    std::string description;
    bool contributed = false;
    bool sqlServer = OdbcDialectOf(handle) == SqlDialect::SqlServer;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        SQLRETURN r = SQLGetDiagRec(handleType, handle, record, state, &native, message,
                                    sizeof message, &length);
        // Ends at SQL_NO_DATA, and at any failure (an invalid handle) as well.
        if (!SQL_SUCCEEDED(r))
            break;
        // Informational records without a native code carry nothing for the user. Errors
        // without one (the driver manager's, such as an unknown data source) are reported.
        if (native == 0 && state[0] == '0' && state[1] == '1')
            continue;
        char procedure[256] = {};
        if (extended) {
            SQLLEN row = 0;
            if (handleType == SQL_HANDLE_STMT)
                SQLGetDiagField(handleType, handle, record, SQL_DIAG_ROW_NUMBER, &row, SQL_IS_INTEGER, nullptr);
            if (sqlServer) {
                SQLINTEGER line = 0, msgState = 0, severity = 0;
                char server[256] = {};
                SQLSMALLINT n = 0;
                SQLGetDiagField(handleType, handle, record, kSsDiagLineNumber, &line, SQL_IS_INTEGER, nullptr);
                SQLGetDiagField(handleType, handle, record, kSsDiagMsgState, &msgState, SQL_IS_INTEGER, nullptr);
                SQLGetDiagField(handleType, handle, record, kSsDiagSeverity, &severity, SQL_IS_INTEGER, nullptr);
                SQLGetDiagField(handleType, handle, record, kSsDiagProcName, procedure, sizeof procedure, &n);
                SQLGetDiagField(handleType, handle, record, kSsDiagServerName, server, sizeof server, &n);
            }
        }
        const char* text = reinterpret_cast<const char*>(message);
        if (!contributed) {
            memcpy(State().lastFailure.state, state, sizeof State().lastFailure.state);
            State().lastFailure.native = native;
            State().lastFailure.dialect = OdbcDialectOf(handle);
        }
        ShowError(text, caption);
        description += "\n";
        if (text[0] == '\0' || (procedure[0] && strchr(procedure, text[0])))
            description += procedure;
        description += ": ";
        description += text;
        contributed = true;
    }
    if (!contributed)
        description = "Unknown data source error!";
    return description;
}

void OdbcReportDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const char* caption,
                           bool extended, BSTR* description)
{
    std::string text = OdbcDiagnosticsText(handleType, handle, caption, extended);
    if (!description)
        return;
    *description = nullptr;
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n > 0) {
        *description = SysAllocStringLen(nullptr, static_cast<UINT>(n - 1));
        if (*description)
            MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, *description, n);
    }
}

// ---------------------------------------------------------------------------------------------
// Login check

bool CheckDatabaseLogins(const char* dataSource, const char* user, const char* password)
{
    return CheckLogins(dataSource, user, password, nullptr);
}

bool OdbcLoginsChecked()
{
    return g_loginsChecked;
}

namespace {

bool ConnectHandles(SQLHENV& henv, SQLHDBC& hdbc, SQLHSTMT& hstmt, const char* dataSource,
                    const char* user, const char* password, std::string* failure)
{
    const char* dsn = dataSource && *dataSource ? dataSource : kDefaultDataSourceName;
    user = OrEmpty(user);
    password = OrEmpty(password);
    if (!g_loginsChecked && !t_checkRunning && !CheckLogins(dsn, user, password, failure))
        return false;

    henv = nullptr;
    hdbc = nullptr;
    hstmt = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &henv))) {
        henv = nullptr;
        ShowError("SQLAllocHandle(Env) Failed");
        if (failure)
            *failure = "SQLAllocHandle(Env) Failed";
        return false;
    }
    if (!SQL_SUCCEEDED(SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION,
                                     reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER))) {
        ShowError("SQLSetEnvAttr(ODBC version) Failed");
        if (failure)
            *failure = "SQLSetEnvAttr(ODBC version) Failed";
        return false;
    }
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, henv, &hdbc))) {
        hdbc = nullptr;
        ShowError("SQLAllocHandle(hdbc1) Failed");
        if (failure)
            *failure = "SQLAllocHandle(hdbc1) Failed";
        return false;
    }
    SQLRETURN r = ConnectTo(hdbc, dsn, user, password);
    if (!SQL_SUCCEEDED(r)) {
        std::string caption = "Failed to connect (DSN: '" + std::string(dsn) + "').";
        std::string text = OdbcDiagnosticsText(SQL_HANDLE_DBC, hdbc, caption.c_str(), false);
        if (failure)
            *failure = text;
        return false;
    }
    RememberDialect(hdbc, DetectDialect(hdbc));
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &hstmt))) {
        hstmt = nullptr;
        std::string text = OdbcDiagnosticsText(SQL_HANDLE_DBC, hdbc, "SQLAllocHandle(hstmt) Failed", true);
        if (failure)
            *failure = text;
        return false;
    }
    if (!FinishConnection(hdbc, hstmt)) {
        std::string text = OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "SQLExecute() Failed", true);
        if (failure)
            *failure = text;
        return false;
    }
    return true;
}

bool CheckLogins(const char* dataSource, const char* user, const char* password, std::string* failure)
{
    const char* dsn = dataSource && *dataSource ? dataSource : kDefaultDataSourceName;
    user = OrEmpty(user);
    password = OrEmpty(password);

    SQLHENV henv = nullptr;
    SQLHDBC hdbc = nullptr;
    SQLHSTMT hstmt = nullptr;
    t_checkRunning = true;
    bool connected = ConnectHandles(henv, hdbc, hstmt, dsn, user, password, failure);
    t_checkRunning = false;
    if (!connected) {
        OdbcDisconnect(henv, hdbc, hstmt);
        return false;
    }

    int mask = 0;
    if (!SessionSql::CheckLogins.RunsIn(OdbcDialectOf(hstmt))) {
        // Logins and users of this kind exist on SQL Server only; elsewhere there is nothing to
        // check once the connection stands.
        mask = 15;
    } else {
        std::string text;
        OdbcFormatStatement(hstmt, SessionSql::CheckLogins, text);
        SQLRETURN r = OdbcExecDirectParams(hstmt, text.c_str(),
                                           {OdbcParam::Text(user), OdbcParam::Text(user)});
        if (r != SQL_SUCCESS && r != SQL_NO_DATA) {
            std::string message = OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "Execution Failed", true);
            if (failure)
                *failure = message;
            OdbcDisconnect(henv, hdbc, hstmt);
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
                OdbcDisconnect(henv, hdbc, hstmt);
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
    OdbcDisconnect(henv, hdbc, hstmt);

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
    ycom::ShowMessageBox(nullptr, text.c_str(), "Warning", kWarningBoxStyle);
    if (failure)
        *failure = text;
    return false;
}

} // namespace
