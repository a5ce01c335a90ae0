#pragma once
#include <cstddef>
#include <string>
#include "persistence/SqlDialect.h"

// One SQL statement of the control in every dialect it runs in.
//
// The statements are written for SQL Server. SQLite and PostgreSQL run the same text unless an
// entry gives them their own; PostgreSQL always gets bracketed names as quoted lower-case names
// ("[Select]" becomes "select"), since its schema keeps every name in lower case. A dialect
// whose entry is kNotRun skips the statement (SQL Server's session settings and login check).
//
// Templates are printf-like: %d takes an integer, %f a floating-point number (always with a
// '.' and six decimals), %s a trusted SQL fragment (a table or column name, an optional ID
// from SqlIdOrNull) and never text from users or files; such text is a bound parameter '?'.
// The statements live in one table per purpose under persistence/sql/.
struct SqlStatement
{
    const char* name;       // "Table.Entry", for diagnostics and for checks over all statements
    const char* sqlServer;
    const char* sqlite;     // nullptr: the SQL Server text
    const char* postgres;   // nullptr: the SQL Server text

    // Marks a dialect that does not run the statement at all.
    static const char kNotRun[];

    // The template of this statement for a dialect; null when the dialect does not run it.
    const char* TemplateFor(SqlDialect dialect) const;
    // The template as the dialect's server takes it (PostgreSQL's name quoting applied);
    // false when the dialect does not run the statement.
    bool TextFor(SqlDialect dialect, std::string& text) const;
    bool RunsIn(SqlDialect dialect) const { return TemplateFor(dialect) != nullptr; }
    // Whether the dialect's text differs from the SQL Server text in more than name quoting.
    bool HasOwnText(SqlDialect dialect) const;
};

// The statements of one purpose (one table), in their order of declaration.
struct SqlStatementList
{
    const char* purpose;
    const SqlStatement* const* items;
    size_t count;

    const SqlStatement* const* begin() const { return items; }
    const SqlStatement* const* end() const { return items + count; }
};

// PostgreSQL's form of a statement text: every [Name] outside string literals becomes the
// quoted lower-case "name".
std::string QuoteNamesForPostgres(const char* text);
