#include "persistence/sql/MessengerSql.h"

namespace MessengerSql {

const SqlStatement MaxMessageId{"MessengerSql.MaxMessageId",
    "select max(messageID) from messages",
    nullptr, nullptr};

const SqlStatement MaxSessionId{"MessengerSql.MaxSessionId",
    "select max(sessionID) from sessions",
    nullptr, nullptr};

// The computer name is bound.
const SqlStatement InsertSession{"MessengerSql.InsertSession",
    "insert into sessions (SessionID, Name, [Open])\n"
    "    values (%d, ?, 1)",
    nullptr, nullptr};

const SqlStatement CloseSession{"MessengerSql.CloseSession",
    "update sessions\n"
    "        set\n"
    "            [Open] = 0\n"
    "        where\n"
    "            SessionID = %d",
    nullptr, nullptr};

const SqlStatement InsertMessage{"MessengerSql.InsertMessage",
    "insert into messages (messageID, messageTypeID, sessionID, sent)\n"
    "\t\tvalues (%d, %d, %d, 0)",
    nullptr, nullptr};

// Run right after the send transaction begins: senders of other processes wait here until this
// message is complete, instead of reading the same largest IDs and colliding on the insert.
// SQLite's immediate transaction holds its write lock already; SQL Server runs as before.
const SqlStatement LockQueue{"MessengerSql.LockQueue",
    SqlStatement::kNotRun,
    SqlStatement::kNotRun,
    "LOCK TABLE messages, parameters IN SHARE ROW EXCLUSIVE MODE"};

const SqlStatement MaxParameterId{"MessengerSql.MaxParameterId",
    "select max(parameterID) from [parameters]",
    nullptr, nullptr};

const SqlStatement InsertParameter{"MessengerSql.InsertParameter",
    "insert into [parameters] (databaseTypeID, parameterID, messageID, intField, "
    "bitField)\n"
    "\t\tvalues (3, %d, %d, %d, 0)",
    nullptr, nullptr};

const SqlStatement MarkMessageSent{"MessengerSql.MarkMessageSent",
    "update messages\n"
    "\t\tset\n"
    "\t\t\tsent = 1\n"
    "\t\twhere\n"
    "\t\t\tmessageID = %d",
    nullptr, nullptr};

// (last message ID seen, own session ID)
const SqlStatement SelectNewMessages{"MessengerSql.SelectNewMessages",
    "select * from messages\n"
    "\t\twhere\n"
    "\t\t\tmessageID > %d and\n"
    "\t\t\tsent  = 1 and\n"
    "\t\t\tsessionID <> %d and\n"
    "\t\t\tmessageTypeID <= 2\n"
    "\t\t\t",
    nullptr, nullptr};

// A dirty read on SQL Server; the others read what is committed, which is
// all a receiver needs (it only takes messages marked sent).
static const char kSelectParametersElsewhere[] =
    "select * from [parameters] where messageID = %d";
const SqlStatement SelectParameters{"MessengerSql.SelectParameters",
    "select * from [parameters] (NOLOCK) where messageID = %d",
    kSelectParametersElsewhere, kSelectParametersElsewhere};

static const SqlStatement* const kAll[] = {
    &MaxMessageId,
    &MaxSessionId,
    &InsertSession,
    &CloseSession,
    &InsertMessage,
    &LockQueue,
    &MaxParameterId,
    &InsertParameter,
    &MarkMessageSent,
    &SelectNewMessages,
    &SelectParameters};

SqlStatementList All()
{
    return {"Messenger", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace MessengerSql
