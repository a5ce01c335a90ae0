#pragma once
#include <windows.h>
#include <sql.h>
#include "persistence/DbLoadContext.h"
#include "persistence/SqlDialect.h"

// The handle triple of one database operation as an object: connected with the context's data
// source, user and password, disconnected by the destructor.
class COdbcSession : public CDbLoadContext
{
public:
    COdbcSession() = default;
    ~COdbcSession() override;
    COdbcSession(const COdbcSession&) = delete;
    COdbcSession& operator=(const COdbcSession&) = delete;

    // OdbcConnect with the context's parameters into this session's handles (nothing when the
    // statement handle exists already).
    HRESULT Connect(REFGUID source);
    void Disconnect();
    bool IsConnected() const { return hstmt != nullptr; }
    SqlDialect Dialect() const;

    SQLHENV henv = nullptr;
    SQLHDBC hdbc = nullptr;
    SQLHSTMT hstmt = nullptr;
};
