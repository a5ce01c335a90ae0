#pragma once
#include <windows.h>
#include <sql.h>

class COdbcSession;

// One transaction on a session's connection, begun by text in the form of the session's dialect
// (SQLite takes its write lock at the beginning). The drivers keep their autocommit mode: the
// transaction is the server's. psqlODBC ends such a transaction itself at its first failed
// statement, after which further statements would commit one by one: the work inside stops at
// its first failure, and the rollback that follows may find nothing left to roll back.
class COdbcTransaction
{
public:
    explicit COdbcTransaction(COdbcSession& session) : m_session(session) {}
    // Rolls back a transaction still open.
    ~COdbcTransaction();
    COdbcTransaction(const COdbcTransaction&) = delete;
    COdbcTransaction& operator=(const COdbcTransaction&) = delete;

    // Failures are reported as COM error info under `source` (DISP_E_EXCEPTION).
    HRESULT Begin(REFGUID source);
    HRESULT Commit(REFGUID source);
    // Ends the transaction without keeping anything. Its own outcome is not reported: the error
    // info of the failure that led here stays as it was.
    void Rollback();
    bool IsOpen() const { return m_open; }

private:
    COdbcSession& m_session;
    bool m_open = false;
};
