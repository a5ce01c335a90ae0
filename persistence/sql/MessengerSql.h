#pragma once
#include "persistence/SqlStatement.h"

// The message queue between sessions: sessions, messages and their parameters. Receivers read
// messages.* and parameters.* by position. The session name is bound.

namespace MessengerSql {

extern const SqlStatement MaxMessageId;
extern const SqlStatement MaxSessionId;
extern const SqlStatement InsertSession;
extern const SqlStatement CloseSession;
extern const SqlStatement InsertMessage;
extern const SqlStatement LockQueue;
extern const SqlStatement MaxParameterId;
extern const SqlStatement InsertParameter;
extern const SqlStatement MarkMessageSent;
extern const SqlStatement SelectNewMessages;
extern const SqlStatement SelectParameters;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace MessengerSql
