#pragma once
#include "persistence/SqlStatement.h"

// Statements of the ODBC session itself: SQL Server's connection settings and login check
// (other dialects skip them), transactions, the dirty-read setting of shape loads and the
// rule for new database IDs.

namespace SessionSql {

extern const SqlStatement SetNoCount;
extern const SqlStatement CheckLogins;
extern const SqlStatement ReadUncommitted;
extern const SqlStatement BeginTransaction;
extern const SqlStatement CommitTransaction;
extern const SqlStatement RollbackTransaction;
extern const SqlStatement NextId;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace SessionSql
