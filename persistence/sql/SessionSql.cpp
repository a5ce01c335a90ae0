#include "persistence/sql/SessionSql.h"

namespace SessionSql {

// Run after every connect by OdbcConnect.
const SqlStatement SetNoCount{"SessionSql.SetNoCount",
    "set nocount on",
    SqlStatement::kNotRun,
    SqlStatement::kNotRun};

// The login check: the user twice (bound).
const SqlStatement CheckLogins{"SessionSql.CheckLogins",
    "select l.name, u.name from master..syslogins l, sysusers u where l.name in (?, "
    "'sa') and u.name in (?, 'dbo') and l.sid=u.sid",
    SqlStatement::kNotRun,
    SqlStatement::kNotRun};

// Shape loads read rows that other sessions have not committed yet.
// SQLite has no such reads outside its shared cache: nothing to set. PostgreSQL: the same
// setting for the session (a plain SET TRANSACTION outside a transaction only warns).
const SqlStatement ReadUncommitted{"SessionSql.ReadUncommitted",
    "SET TRANSACTION ISOLATION LEVEL READ UNCOMMITTED",
    SqlStatement::kNotRun,
    "SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL READ UNCOMMITTED"};

// The messenger writes a message and its parameters as one transaction, a save the whole site.
// SQLite takes its write lock at once: a deferred transaction that reads first and then writes
// fails at once with "database is locked" when another writer came between.
const SqlStatement BeginTransaction{"SessionSql.BeginTransaction",
    "begin transaction",
    "begin immediate transaction",
    nullptr};

const SqlStatement CommitTransaction{"SessionSql.CommitTransaction",
    "commit transaction",
    nullptr, nullptr};

const SqlStatement RollbackTransaction{"SessionSql.RollbackTransaction",
    "rollback transaction",
    nullptr, nullptr};

// The ID rule: (ID column, table) as fragments; NULL for an empty table.
const SqlStatement NextId{"SessionSql.NextId",
    "select max(%s)+1 from %s",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &SetNoCount,
    &CheckLogins,
    &ReadUncommitted,
    &BeginTransaction,
    &CommitTransaction,
    &RollbackTransaction,
    &NextId};

SqlStatementList All()
{
    return {"Session", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace SessionSql
