#include "persistence/OdbcTransaction.h"
#include <string>
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/SessionSql.h"
#include "com/HResult.h"

COdbcTransaction::~COdbcTransaction() { Rollback(); }

HRESULT COdbcTransaction::Begin(REFGUID source)
{
    if (m_open)
        return S_OK;
    RETURN_IF_FAILED(m_session.Exec(source, SessionSql::BeginTransaction));
    SQLFreeStmt(m_session.Statement(), SQL_CLOSE);
    m_open = true;
    return S_OK;
}

HRESULT COdbcTransaction::Commit(REFGUID source)
{
    if (!m_open)
        return E_UNEXPECTED;
    const HRESULT hr = m_session.Exec(source, SessionSql::CommitTransaction);
    if (FAILED(hr)) {
        Rollback();
        return hr;
    }
    SQLFreeStmt(m_session.Statement(), SQL_CLOSE);
    m_open = false;
    return S_OK;
}

void COdbcTransaction::Rollback()
{
    if (!m_open)
        return;
    m_open = false;
    SQLHSTMT hstmt = m_session.Statement();
    std::string text;
    if (!hstmt || !m_session.Format(SessionSql::RollbackTransaction, text))
        return;
    SQLFreeStmt(hstmt, SQL_CLOSE);
    SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS);
    SQLFreeStmt(hstmt, SQL_CLOSE);
}
