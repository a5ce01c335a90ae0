#pragma once
#include <string>
#include "persistence/OdbcSession.h"

// The next free message ID of the queue: the largest messageID plus one, 1 for an empty table
// (or a largest ID below 0). Runs on the session's statement. A failed execution shows the
// diagnostics under "SQLExecute() Failed", copies their text into *error (when asked for) and
// answers the ODBC result, leaving *id at -1; otherwise the result is SQL_NO_DATA.
SQLRETURN QueryMaxMessageId(COdbcSession& session, int* id, std::string* error);
