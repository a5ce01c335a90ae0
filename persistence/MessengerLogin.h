#pragma once
#include <string>

class COdbcSession;

// Where a messenger's connections go: the control's data source, user and password.
struct CMessengerLogin
{
    std::string dataSource;
    std::string userName;
    std::string password;
};

// Connects the session with the login, reporting failures by message box only. A session that
// is connected with this login already is kept as it is; one connected with another login is
// closed first (the login changed since). False, with the text in *failure, when it fails.
bool ConnectMessengerSession(COdbcSession& session, const CMessengerLogin& login, std::string* failure = nullptr);
