#pragma once
#include <sql.h>
#include <string>
#include <vector>

// The embedded default database is an SQLite file that the ODBC driver creates on first use.
// A connection to an SQLite database that has no site tables yet gives it the schema: the
// statements of persistence/schema/sqlite.sql, built into the control.

// Creates the schema when the database lacks the Sites table, in one transaction that holds the
// database's write lock, so that two sessions opening a new file at once create it once.
// S_OK when the schema is in place; E_FAIL with the failing statement's diagnostics left on
// `hstmt` otherwise.
HRESULT EnsureEmbeddedSchema(SQLHDBC hdbc, SQLHSTMT hstmt);

// The schema's statements, in order.
std::vector<std::string> EmbeddedSchemaStatements();
