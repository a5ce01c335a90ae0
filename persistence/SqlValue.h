#pragma once
#include <cstdint>
#include <vector>
#include <string>

// A value formatted into a statement template (see SqlStatement.h). Numbers only, and trusted
// SQL fragments wrapped in SqlRaw: there is deliberately no way to format a plain string, so
// that text from users or files can only reach a statement as a bound parameter.
struct SqlRaw
{
    explicit SqlRaw(const char* fragment) : text(fragment ? fragment : "") {}
    explicit SqlRaw(std::string fragment) : text(std::move(fragment)) {}
    std::string text;
};

class SqlValue
{
public:
    enum class Kind { Integer, Real, Fragment };

    SqlValue(int v) : m_kind(Kind::Integer), m_int(v) {}
    SqlValue(long v) : m_kind(Kind::Integer), m_int(v) {}
    SqlValue(long long v) : m_kind(Kind::Integer), m_int(v) {}
    SqlValue(unsigned int v) : m_kind(Kind::Integer), m_int(static_cast<int32_t>(v)) {}
    SqlValue(unsigned long v) : m_kind(Kind::Integer), m_int(static_cast<int32_t>(v)) {}
    SqlValue(short v) : m_kind(Kind::Integer), m_int(v) {}
    SqlValue(double v) : m_kind(Kind::Real), m_real(v) {}
    SqlValue(float v) : m_kind(Kind::Real), m_real(v), m_single(true) {}
    SqlValue(const SqlRaw& raw) : m_kind(Kind::Fragment), m_text(raw.text) {}
    SqlValue(const char*) = delete;
    SqlValue(const std::string&) = delete;

    Kind kind() const { return m_kind; }
    long long integer() const { return m_int; }
    double real() const { return m_real; }
    // A real that came as a 32-bit float: written with the digits that float needs.
    bool single() const { return m_single; }
    const std::string& fragment() const { return m_text; }

private:
    Kind m_kind;
    long long m_int = 0;
    double m_real = 0.0;
    bool m_single = false;
    std::string m_text;
};

// Fills a template: %d takes an Integer, %f a Real or an Integer, %s a Fragment, %% is a '%'.
// Numbers never depend on the thread's or the process's locale: %f is written in the C locale
// ('.'), so a host that sets a locale with a decimal comma still produces valid SQL. A real is
// written in fixed notation with the fewest digits that read back as the same value (of a float
// for a float), so tiny values are not rounded away as printf's six decimals would; a value that
// is not a number or infinite is written as NULL, the one form of "no number" every database
// takes (SQLite itself stores a NaN so), never as text a database would read as a name.
// Unsigned 32-bit values (colours) are written as the signed number of their bits, as "%d" does.
// False (and an empty text) when the template and the values do not match in number or kind.
bool FormatSql(std::string& out, const char* templ, const std::vector<SqlValue>& values);

// An optional foreign key as a fragment for %s: the decimal ID, or NULL for IDs below 1.
SqlRaw SqlOptionalId(long id);

// The form %f writes a number in (`single`: the number is a float).
std::string FormatSqlReal(double value, bool single = false);
