#pragma once
// Shared pieces of the database tests: the two databases every test runs against, a connection
// owner, a recorder in place of message boxes, and readers of COM error info and results.
#include <windows.h>
#include <oleauto.h>
#include <sql.h>
#include <sqlext.h>
#include <cstdlib>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "com/MessageBoxHook.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"

// A database of the test run: the embedded default (SQLite, reached by the empty name) and the
// PostgreSQL test server started by tools/service-postgres.sh (names overridable by env).
struct DbTarget
{
    const char* label;
    SqlDialect dialect;
    std::string dataSource;
    std::string user;
    std::string password;
};

inline std::string EnvOr(const char* name, const char* fallback)
{
    const char* v = getenv(name);
    return v && *v ? v : fallback;
}

inline DbTarget SqliteTarget()
{
    return {"SQLite", SqlDialect::SQLite, "", "", ""};
}

inline DbTarget PostgresTarget()
{
    return {"PostgreSQL", SqlDialect::PostgreSQL, EnvOr("YVEX_PG_DSN", "YVEX_PG"),
            EnvOr("YVEX_PG_USER", "yvex"), EnvOr("YVEX_PG_PASSWORD", "yvex")};
}

inline std::vector<DbTarget> AllTargets()
{
    return {SqliteTarget(), PostgresTarget()};
}

inline void PrintTo(const DbTarget& target, std::ostream* os)
{
    *os << target.label;
}

struct TargetName
{
    std::string operator()(const testing::TestParamInfo<DbTarget>& info) const
    {
        return info.param.label;
    }
};

// What a message box would have shown; the recorder answers IDOK at once.
struct RecordedBox
{
    std::string text;
    std::string caption;
    UINT style;
};

class MessageBoxRecorder
{
public:
    MessageBoxRecorder() { m_previous = ycom::SetMessageBoxHandler(&Record); Clear(); }
    ~MessageBoxRecorder() { ycom::SetMessageBoxHandler(m_previous); }
    static std::vector<RecordedBox> Boxes()
    {
        std::lock_guard<std::mutex> lock(Lock());
        return Store();
    }
    static void Clear()
    {
        std::lock_guard<std::mutex> lock(Lock());
        Store().clear();
    }

private:
    static int Record(HWND, const char* text, const char* caption, UINT style)
    {
        std::lock_guard<std::mutex> lock(Lock());
        Store().push_back({text, caption, style});
        return IDOK;
    }
    static std::mutex& Lock() { static std::mutex m; return m; }
    static std::vector<RecordedBox>& Store() { static std::vector<RecordedBox> s; return s; }
    ycom::MessageBoxHandler m_previous = nullptr;
};

// The calling thread's COM error info: source and description, in ANSI.
struct ErrorInfoText
{
    std::string source;
    std::string description;
    bool present = false;
};

inline std::string Narrow(BSTR s)
{
    if (!s)
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, s, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_ACP, 0, s, -1, &out[0], n, nullptr, nullptr);
    return out;
}

inline ErrorInfoText TakeErrorInfo()
{
    ErrorInfoText result;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        BSTR source = nullptr, description = nullptr;
        info->GetSource(&source);
        info->GetDescription(&description);
        result.source = Narrow(source);
        result.description = Narrow(description);
        result.present = true;
        SysFreeString(source);
        SysFreeString(description);
        info->Release();
    }
    return result;
}

// One session of the layer under test, disconnected when it goes; hstmt is its statement.
struct DbConnection : COdbcSession
{
    SQLHSTMT hstmt = nullptr;

    HRESULT Open(const DbTarget& target)
    {
        dataSource = target.dataSource;
        userName = target.user;
        password = target.password;
        const HRESULT hr = Connect(IID_NULL);
        hstmt = Statement();
        return hr;
    }
};

// Fetches what is left of a result and closes the cursor.
inline void Drain(SQLHSTMT hstmt)
{
    while (SQL_SUCCEEDED(SQLFetch(hstmt))) {
    }
    while (SQLMoreResults(hstmt) == SQL_SUCCESS) {
    }
    SQLFreeStmt(hstmt, SQL_CLOSE);
}

inline std::string ColumnText(SQLHSTMT hstmt, SQLUSMALLINT column, bool* isNull = nullptr)
{
    char buffer[4096] = {};
    SQLLEN indicator = 0;
    SQLRETURN r = SQLGetData(hstmt, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
    if (isNull)
        *isNull = indicator == SQL_NULL_DATA;
    return SQL_SUCCEEDED(r) && indicator != SQL_NULL_DATA ? std::string(buffer) : std::string();
}

// Runs a text of the test's own (no parameters); it must succeed or find no data.
inline void ExecRaw(SQLHSTMT hstmt, const char* text)
{
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS);
    ASSERT_TRUE(r == SQL_SUCCESS || r == SQL_NO_DATA)
        << text << ": " << OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "", false);
    SQLFreeStmt(hstmt, SQL_CLOSE);
}

// Every row of a query, each as its column texts (NULL as empty).
inline std::vector<std::vector<std::string>> QueryRows(SQLHSTMT hstmt, const char* query)
{
    std::vector<std::vector<std::string>> rows;
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(query)), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(r)) << query << ": " << OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "", false);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(hstmt, &columns);
    while (SQL_SUCCEEDED(r) && SQL_SUCCEEDED(SQLFetch(hstmt))) {
        std::vector<std::string> row;
        for (SQLSMALLINT c = 1; c <= columns; ++c)
            row.push_back(ColumnText(hstmt, static_cast<SQLUSMALLINT>(c)));
        rows.push_back(row);
    }
    Drain(hstmt);
    return rows;
}

inline long ColumnLong(SQLHSTMT hstmt, SQLUSMALLINT column)
{
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    SQLGetData(hstmt, column, SQL_C_SLONG, &value, 0, &indicator);
    return indicator == SQL_NULL_DATA ? 0 : value;
}

inline double ColumnDouble(SQLHSTMT hstmt, SQLUSMALLINT column)
{
    double value = 0;
    SQLLEN indicator = 0;
    SQLGetData(hstmt, column, SQL_C_DOUBLE, &value, 0, &indicator);
    return indicator == SQL_NULL_DATA ? 0 : value;
}

inline std::vector<unsigned char> ColumnBytes(SQLHSTMT hstmt, SQLUSMALLINT column)
{
    // Length first, then the whole value, as the image loaders read it.
    unsigned char probe[1];
    SQLLEN length = 0;
    SQLRETURN r = SQLGetData(hstmt, column, SQL_C_BINARY, probe, 0, &length);
    std::vector<unsigned char> bytes;
    if (!SQL_SUCCEEDED(r) || length <= 0)
        return bytes;
    bytes.resize(static_cast<size_t>(length));
    SQLLEN got = 0;
    SQLGetData(hstmt, column, SQL_C_BINARY, bytes.data(), length, &got);
    return bytes;
}

// The name of each result column, in order.
inline std::vector<std::string> ColumnNames(SQLHSTMT hstmt)
{
    std::vector<std::string> names;
    SQLSMALLINT count = 0;
    SQLNumResultCols(hstmt, &count);
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        char name[128] = {};
        SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeCol(hstmt, i, reinterpret_cast<SQLCHAR*>(name), sizeof name, &length, &type,
                       &size, &digits, &nullable);
        for (char* p = name; *p; ++p)
            *p = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
        names.push_back(name);
    }
    return names;
}

// Runs a statement of the tables on a session and fails the test with the database's text when
// it fails.
#define EXPECT_STATEMENT_OK(session, ...)                                                  \
    do {                                                                                   \
        HRESULT hr_ = (session).Exec(IID_NULL, __VA_ARGS__);                               \
        EXPECT_EQ(hr_, S_OK) << TakeErrorInfo().description;                               \
    } while (0)
#define ASSERT_STATEMENT_OK(session, ...)                                                  \
    do {                                                                                   \
        HRESULT hr_ = (session).Exec(IID_NULL, __VA_ARGS__);                               \
        ASSERT_EQ(hr_, S_OK) << TakeErrorInfo().description;                               \
    } while (0)
