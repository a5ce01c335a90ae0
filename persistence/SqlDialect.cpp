#include "persistence/SqlDialect.h"
#include <cstring>
#include <windows.h>

SqlDialect SqlDialectFromDbmsName(const char* dbmsName)
{
    // Drivers report "SQLite" and "PostgreSQL"; case is not something to rely on.
    if (dbmsName) {
        if (_strnicmp(dbmsName, "SQLite", 6) == 0)
            return SqlDialect::SQLite;
        if (_strnicmp(dbmsName, "PostgreSQL", 10) == 0)
            return SqlDialect::PostgreSQL;
    }
    return SqlDialect::SqlServer;
}

const char* SqlDialectName(SqlDialect dialect)
{
    switch (dialect) {
    case SqlDialect::SqlServer: return "SQL Server";
    case SqlDialect::SQLite: return "SQLite";
    case SqlDialect::PostgreSQL: return "PostgreSQL";
    }
    return "?";
}
