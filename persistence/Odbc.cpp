#include "persistence/Odbc.h"
#include <cstdint>
#include <cstring>
#include "automation/ResultCodes.h"
#include "com/ErrorInfo.h"
#include "com/MessageBoxHook.h"

const char kDefaultDataSourceName[] = "YVEX";

namespace {

// The SQL Server driver's own diagnostic fields.
constexpr SQLSMALLINT kSsDiagLineNumber = -1154;
constexpr SQLSMALLINT kSsDiagMsgState = -1150;
constexpr SQLSMALLINT kSsDiagSeverity = -1151;
constexpr SQLSMALLINT kSsDiagProcName = -1153;
constexpr SQLSMALLINT kSsDiagServerName = -1152;

const char* OrEmpty(const char* s)
{
    return s ? s : "";
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

} // namespace

void OdbcShowError(const char* text, const char* caption)
{
    if (State().heldBoxes) {
        State().heldBoxes->emplace_back(text ? text : "", caption ? caption : "");
        return;
    }
    ycom::ShowMessageBox(nullptr, text, caption, kOdbcErrorBoxStyle);
}

HRESULT OdbcReportError(REFGUID source, const char* text) { return ycom::ReportErrorA(kErrorSource, source, text); }

// ---------------------------------------------------------------------------------------------
// Statements

HRESULT OdbcExecDirect(REFGUID source, SQLHSTMT hstmt, const char* text, SqlDialect dialect)
{
    if (!hstmt)
        return OdbcReportError(source, "There is no connection to the database.");
    SQLFreeStmt(hstmt, SQL_RESET_PARAMS);
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(OrEmpty(text))),
                                SQL_NTS);
    return OdbcCheckResult(source, hstmt, r, "Execution Failed", "", dialect);
}

HRESULT OdbcCheckResult(REFGUID source, SQLHSTMT hstmt, SQLRETURN result, const char* context,
                        const char* forced, SqlDialect dialect)
{
    if (result != SQL_SUCCESS && result != SQL_NO_DATA) {
        BSTR description = nullptr;
        OdbcReportDiagnostics(SQL_HANDLE_STMT, hstmt, context, true, &description, dialect);
        if (description)
            ycom::InstallErrorInfo(kErrorSource, source, description);
        else
            OdbcReportError(source, "Unknown Error");
        return DISP_E_EXCEPTION;
    }
    if (forced && *forced)
        return OdbcReportError(source, forced);
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

SQLLEN OdbcRowCount(SQLHSTMT hstmt)
{
    SQLLEN rows = -1;
    if (!hstmt || !SQL_SUCCEEDED(SQLRowCount(hstmt, &rows)))
        return -1;
    return rows;
}

OdbcFailure OdbcLastFailure() { return State().lastFailure; }

void OdbcClearLastFailure() { State().lastFailure = OdbcFailure(); }

bool OdbcIsTransientConflict(const OdbcFailure& failure)
{
    const std::string state = failure.state;
    switch (failure.dialect) {
    case SqlDialect::SQLite:
        // One writer at a time: a busy database waits in the driver and never deadlocks.
        return false;
    case SqlDialect::PostgreSQL:
        return state == "40P01" || state == "40001";
    case SqlDialect::SqlServer:
    default:
        return state == "40001" && failure.native == 1205;
    }
}

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
            OdbcShowError(box.first.c_str(), box.second.c_str());
}

std::string SqlIdOrNull(long id)
{
    return id > 0 ? std::to_string(id) : std::string("NULL");
}

// ---------------------------------------------------------------------------------------------
// Diagnostics

std::string OdbcDiagnosticsText(SQLSMALLINT handleType, SQLHANDLE handle, const char* caption,
                                bool extended, SqlDialect dialect)
{
    std::string description;
    bool contributed = false;
    const bool sqlServer = dialect == SqlDialect::SqlServer;
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
            State().lastFailure.dialect = dialect;
        }
        OdbcShowError(text, caption);
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
                           bool extended, BSTR* description, SqlDialect dialect)
{
    std::string text = OdbcDiagnosticsText(handleType, handle, caption, extended, dialect);
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
