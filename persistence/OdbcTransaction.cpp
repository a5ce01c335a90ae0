#include "persistence/OdbcTransaction.h"
#include <string>
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/SessionSql.h"

COdbcTransaction::~COdbcTransaction() { Rollback(); }

HRESULT COdbcTransaction::Begin(REFGUID source)
{
    if (m_open)
        return S_OK;
    const HRESULT hr = OdbcExecStatement(source, m_session.hstmt, SessionSql::BeginTransaction);
    if (FAILED(hr))
        return hr;
    SQLFreeStmt(m_session.hstmt, SQL_CLOSE);
    m_open = true;
    return S_OK;
}

HRESULT COdbcTransaction::Commit(REFGUID source)
{
    if (!m_open)
        return E_UNEXPECTED;
    const HRESULT hr = OdbcExecStatement(source, m_session.hstmt, SessionSql::CommitTransaction);
    if (FAILED(hr)) {
        Rollback();
        return hr;
    }
    SQLFreeStmt(m_session.hstmt, SQL_CLOSE);
    m_open = false;
    return S_OK;
}

void COdbcTransaction::Rollback()
{
    if (!m_open)
        return;
    m_open = false;
    SQLHSTMT hstmt = m_session.hstmt;
    std::string text;
    if (!hstmt || !OdbcFormatStatement(hstmt, SessionSql::RollbackTransaction, text))
        return;
    SQLFreeStmt(hstmt, SQL_CLOSE);
    SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS);
    SQLFreeStmt(hstmt, SQL_CLOSE);
}
