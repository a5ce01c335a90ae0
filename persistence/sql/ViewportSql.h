#pragma once
#include "persistence/SqlStatement.h"

// The viewPorts rows of a site. The viewport name is bound.

namespace ViewportSql {

extern const SqlStatement LoadViewports;
extern const SqlStatement MaxViewportId;
extern const SqlStatement InsertViewport;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace ViewportSql
