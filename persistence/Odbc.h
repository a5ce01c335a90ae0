#pragma once
#include <windows.h>
#include <oaidl.h>
#include <sql.h>
#include <sqlext.h>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>
#include "persistence/SqlDialect.h"
#include "persistence/SqlStatement.h"
#include "persistence/SqlValue.h"

// The ODBC layer of the control: every database operation connects by data source name, user
// and password, runs its statements and disconnects again (no pool, no long-lived connection).
// A connection is held only by a COdbcSession (OdbcSession.h), which also knows the SQL dialect
// of the database behind it; what is declared here works on one statement handle of a session.
// Failures are shown in message boxes (ycom::ShowMessageBox, replaceable by tests) and, where the
// functions return an HRESULT, reported as COM error info with the database's own text and
// DISP_E_EXCEPTION. SQL_NO_DATA is not an error.
//
// Wine hands odbc32 to the machine's unixODBC, so only the unsuffixed ANSI entry points are
// called (the ...A forms are not implemented there).

// The data source used for an empty name: the embedded default database.
extern const char kDefaultDataSourceName[];   // "YVEX"

// Size of the pieces in which long data goes to the driver at execution.
constexpr size_t kOdbcDataPieceSize = 1024;

// The styles of the layer's message boxes.
constexpr UINT kOdbcErrorBoxStyle = MB_ICONERROR | MB_TASKMODAL;      // 0x2010
constexpr UINT kOdbcWarningBoxStyle = MB_ICONWARNING | MB_TASKMODAL;  // 0x2030

// A failure shown to the user in the layer's error box.
void OdbcShowError(const char* text, const char* caption = "");
// The control's error info (source "YVEXControl") with the text; answers DISP_E_EXCEPTION.
HRESULT OdbcReportError(REFGUID source, const char* text);

// Runs one statement text (already formatted; COdbcSession::Exec runs the statement tables)
// and checks its result with the context "Execution Failed".
// `dialect` is that of the statement's database (SQL Server's diagnostics carry more fields).
HRESULT OdbcExecDirect(REFGUID source, SQLHSTMT hstmt, const char* text,
                       SqlDialect dialect = SqlDialect::SqlServer);
// 0 for SQL_SUCCESS and SQL_NO_DATA (unless `forced` text is given, which is then reported);
// any other result (SQL_SUCCESS_WITH_INFO included) shows the statement's diagnostics under the
// caption `context` and reports them: DISP_E_EXCEPTION.
HRESULT OdbcCheckResult(REFGUID source, SQLHSTMT hstmt, SQLRETURN result, const char* context,
                        const char* forced, SqlDialect dialect = SqlDialect::SqlServer);

// A parameter bound to a '?' of a statement, in the order of the marks. Text is bound as
// character data; long text and binary data go at execution in pieces of kOdbcDataPieceSize.
// The data must outlive the execution.
class OdbcParam
{
public:
    enum class Kind { Text, LongText, LongBinary };

    static OdbcParam Text(const char* text);                     // null: SQL NULL
    static OdbcParam Text(const char* text, size_t length);
    static OdbcParam Text(const std::string& text) { return Text(text.data(), text.size()); }
    static OdbcParam LongText(const char* text, size_t length);
    static OdbcParam LongBinary(const void* data, size_t length);

    Kind kind() const { return m_kind; }
    const void* data() const { return m_data; }
    size_t length() const { return m_length; }
    bool isNull() const { return m_data == nullptr; }

private:
    OdbcParam(Kind kind, const void* data, size_t length) : m_kind(kind), m_data(data), m_length(length) {}
    Kind m_kind;
    const void* m_data;
    size_t m_length;
};

// Executes a formatted text with its parameters bound; long data is sent at execution. Returns
// the last ODBC result (of SQLExecDirect, or of the last SQLParamData); the parameter bindings
// are reset afterwards so that the statement handle can be used again.
SQLRETURN OdbcExecDirectParams(SQLHSTMT hstmt, const char* text, const std::vector<OdbcParam>& params);
// A statement with one data-at-execution parameter (image content, long text): binary as
// SQL_C_BINARY/SQL_LONGVARBINARY, else SQL_C_CHAR/SQL_LONGVARCHAR. Returns the last ODBC result;
// check it with OdbcCheckResult.
SQLRETURN OdbcExecDirectWithData(SQLHSTMT hstmt, const char* text, const void* data, size_t length,
                                 bool binary);
// The sizes of the pieces in which `length` bytes of long data are sent.
std::vector<size_t> OdbcDataPieces(size_t length);

// The number of rows the last insert, update or delete on the statement touched; -1 when the
// driver cannot tell.
SQLLEN OdbcRowCount(SQLHSTMT hstmt);

// The first diagnostic record of the last failure that this thread's statements reported (the
// SQLSTATE and the driver's native code), and the dialect of its connection.
struct OdbcFailure
{
    char state[6] = {};
    long native = 0;
    SqlDialect dialect = SqlDialect::SqlServer;
};
OdbcFailure OdbcLastFailure();
void OdbcClearLastFailure();
// Whether a failure is a refused duplicate key: SQLite's driver reports S1000 with the engine's
// SQLITE_CONSTRAINT (19), psqlODBC 23505, SQL Server 23000 with 2627 or 2601.
bool OdbcIsKeyViolation(const OdbcFailure& failure);
// Whether the server gave up a transaction that met another session's: a deadlock or a failed
// serialization (PostgreSQL 40P01 or 40001, SQL Server 40001 with 1205). The work may be tried
// again from its start.
bool OdbcIsTransientConflict(const OdbcFailure& failure);

// While a hold lives, the message boxes of this thread's failures are kept back: a work that
// retries what failed (a save that meets another session's new rows) shows nothing for the
// attempt it recovers from. End(true) shows what was kept; the destructor drops it.
class COdbcMessageHold
{
public:
    COdbcMessageHold();
    ~COdbcMessageHold();
    COdbcMessageHold(const COdbcMessageHold&) = delete;
    COdbcMessageHold& operator=(const COdbcMessageHold&) = delete;
    void End(bool show);

private:
    // The boxes kept back, in the outermost hold of the thread; inner holds add to it.
    std::vector<std::pair<std::string, std::string>> m_boxes;
    bool m_outer = false;
    bool m_ended = false;
};

// "NULL" for IDs below 1, else the decimal ID: optional foreign keys in statement texts.
std::string SqlIdOrNull(long id);

// Shows each diagnostic record of a handle in a message box captioned `caption` and collects
// them into a description ("\n", the procedure name where it belongs, ": ", the message text);
// "Unknown data source error!" when no record contributed. Warnings without a native error
// code (SQLSTATE class 01) are left out. `extended` reads the row number and, from SQL Server
// (the handle's dialect), its server fields. The description, when asked for, is a new BSTR for
// the caller.
void OdbcReportDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const char* caption,
                           bool extended, BSTR* description, SqlDialect dialect = SqlDialect::SqlServer);
// The same, answering the description as ANSI text.
std::string OdbcDiagnosticsText(SQLSMALLINT handleType, SQLHANDLE handle, const char* caption,
                                bool extended, SqlDialect dialect = SqlDialect::SqlServer);
