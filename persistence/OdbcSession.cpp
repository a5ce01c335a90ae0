#include "persistence/OdbcSession.h"
#include "persistence/Odbc.h"

COdbcSession::~COdbcSession()
{
    Disconnect();
}

HRESULT COdbcSession::Connect(REFGUID source)
{
    if (hstmt)
        return S_OK;
    HRESULT hr = OdbcConnect(source, henv, hdbc, hstmt, dataSource.c_str(), userName.c_str(),
                             password.c_str());
    if (FAILED(hr))
        Disconnect();
    return hr;
}

void COdbcSession::Disconnect()
{
    if (henv || hdbc || hstmt)
        OdbcDisconnect(henv, hdbc, hstmt);
}

SqlDialect COdbcSession::Dialect() const
{
    return OdbcDialectOf(hstmt);
}
