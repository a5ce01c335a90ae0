#include "persistence/SqlValue.h"
#include <charconv>
#include <cmath>

std::string FormatSqlReal(double value, bool single)
{
    if (!std::isfinite(value))
        return "NULL";
    // Shortest fixed notation: at most 309 integer digits, or a '0.' and 323 zeros before the
    // digits of the smallest double, with the sign.
    char buffer[400];
    auto result = single ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value),
                                         std::chars_format::fixed)
                         : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return "NULL";
    return std::string(buffer, result.ptr);
}

SqlRaw SqlOptionalId(long id)
{
    return SqlRaw(id > 0 ? std::to_string(id) : std::string("NULL"));
}

bool FormatSql(std::string& out, const char* templ, const std::vector<SqlValue>& values)
{
    out.clear();
    if (!templ)
        return false;
    auto next = values.begin();
    for (const char* p = templ; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        char conversion = *++p;
        if (conversion == '%') {
            out += '%';
            continue;
        }
        if (next == values.end()) {
            out.clear();
            return false;
        }
        const SqlValue& v = *next++;
        switch (conversion) {
        case 'd':
            if (v.kind() != SqlValue::Kind::Integer) {
                out.clear();
                return false;
            }
            out += std::to_string(v.integer());
            break;
        case 'f':
            if (v.kind() == SqlValue::Kind::Real)
                out += FormatSqlReal(v.real(), v.single());
            else if (v.kind() == SqlValue::Kind::Integer)
                out += FormatSqlReal(static_cast<double>(v.integer()));
            else {
                out.clear();
                return false;
            }
            break;
        case 's':
            if (v.kind() != SqlValue::Kind::Fragment) {
                out.clear();
                return false;
            }
            out += v.fragment();
            break;
        default:
            // Nothing else appears in a statement template; a stray '%' is a mistake.
            out.clear();
            return false;
        }
    }
    if (next != values.end()) {
        out.clear();
        return false;
    }
    return true;
}
