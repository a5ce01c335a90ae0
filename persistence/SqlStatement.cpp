#include "persistence/SqlStatement.h"
#include <cctype>
#include <cstring>

const char SqlStatement::kNotRun[] = "";

const char* SqlStatement::TemplateFor(SqlDialect dialect) const
{
    const char* own = nullptr;
    switch (dialect) {
    case SqlDialect::SqlServer: return sqlServer;
    case SqlDialect::SQLite: own = sqlite; break;
    case SqlDialect::PostgreSQL: own = postgres; break;
    }
    if (own == kNotRun)
        return nullptr;
    return own ? own : sqlServer;
}

bool SqlStatement::TextFor(SqlDialect dialect, std::string& text) const
{
    const char* templ = TemplateFor(dialect);
    if (!templ) {
        text.clear();
        return false;
    }
    text = dialect == SqlDialect::PostgreSQL ? QuoteNamesForPostgres(templ) : std::string(templ);
    return true;
}

bool SqlStatement::HasOwnText(SqlDialect dialect) const
{
    switch (dialect) {
    case SqlDialect::SqlServer: return false;
    case SqlDialect::SQLite: return sqlite != nullptr;
    case SqlDialect::PostgreSQL: return postgres != nullptr;
    }
    return false;
}

std::string QuoteNamesForPostgres(const char* text)
{
    std::string out;
    if (!text)
        return out;
    out.reserve(strlen(text) + 8);
    for (const char* p = text; *p; ++p) {
        if (*p == '\'') {
            // A string literal, with '' as an embedded quote: copied as it stands.
            out += *p;
            for (++p; *p; ++p) {
                out += *p;
                if (*p == '\'') {
                    if (p[1] == '\'') {
                        out += *++p;
                        continue;
                    }
                    break;
                }
            }
            if (!*p)
                break;
            continue;
        }
        if (*p == '[') {
            const char* close = strchr(p + 1, ']');
            if (close) {
                out += '"';
                for (const char* q = p + 1; q < close; ++q)
                    out += static_cast<char>(tolower(static_cast<unsigned char>(*q)));
                out += '"';
                p = close;
                continue;
            }
        }
        out += *p;
    }
    return out;
}
