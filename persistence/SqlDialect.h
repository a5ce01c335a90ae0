#pragma once

// The SQL dialect of a connected database, told by the DBMS name the driver reports at connect
// (SQLGetInfo with SQL_DBMS_NAME). The statements of the control are SQL Server's; SQLite is the
// embedded default database and PostgreSQL the shared server. Any other DBMS gets the SQL
// Server texts.
enum class SqlDialect
{
    SqlServer,
    SQLite,
    PostgreSQL,
};

SqlDialect SqlDialectFromDbmsName(const char* dbmsName);
const char* SqlDialectName(SqlDialect dialect);
