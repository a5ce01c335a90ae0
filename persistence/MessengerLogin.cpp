#include "persistence/MessengerLogin.h"
#include "persistence/OdbcSession.h"

bool ConnectMessengerSession(COdbcSession& session, const CMessengerLogin& login, std::string* failure)
{
    const bool same = session.dataSource == login.dataSource && session.userName == login.userName &&
                      session.password == login.password;
    if (session.IsConnected() && same)
        return true;
    session.Disconnect();
    session.dataSource = login.dataSource;
    session.userName = login.userName;
    session.password = login.password;
    return session.ConnectQuietly(failure);
}
