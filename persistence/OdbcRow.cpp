#include "persistence/OdbcRow.h"
#include <vector>

COdbcRow::~COdbcRow() { Unbind(); }

bool COdbcRow::Bind(SQLUSMALLINT column, SQLSMALLINT type)
{
    if (!m_statement || column == 0 || column > kBindableColumns)
        return false;
    BoundColumn& bound = m_bound[column];
    const SQLRETURN r = SQLBindCol(m_statement, column, type, &bound.value, sizeof bound.value, &bound.indicator);
    if (!SQL_SUCCEEDED(r))
        return false;
    bound.type = type;
    m_anyBound = true;
    return true;
}

void COdbcRow::Unbind()
{
    if (!m_anyBound)
        return;
    // The statement runs other texts after this reader: it must not write into a reader gone.
    SQLFreeStmt(m_statement, SQL_UNBIND);
    for (BoundColumn& bound : m_bound)
        bound.type = 0;
    m_anyBound = false;
}

bool COdbcRow::Fetch()
{
    m_fetched = m_statement ? SQLFetch(m_statement) : SQL_ERROR;
    return SQL_SUCCEEDED(m_fetched);
}

template <typename T>
bool COdbcRow::FromBound(SQLUSMALLINT column, T fallback, T* value) const
{
    if (column > kBindableColumns || m_bound[column].type == 0)
        return false;
    const BoundColumn& bound = m_bound[column];
    if (bound.indicator == SQL_NULL_DATA)
        *value = fallback;
    else if (bound.type == SQL_C_SLONG)
        *value = static_cast<T>(bound.value.i);
    else if (bound.type == SQL_C_FLOAT)
        *value = static_cast<T>(bound.value.f);
    else
        *value = static_cast<T>(bound.value.d);
    return true;
}

template <typename T>
bool COdbcRow::Get(SQLUSMALLINT column, SQLSMALLINT type, T* value)
{
    SQLLEN indicator = 0;
    const SQLRETURN r = SQLGetData(m_statement, column, type, value, sizeof(T), &indicator);
    return SQL_SUCCEEDED(r) && indicator != SQL_NULL_DATA;
}

int COdbcRow::Int(SQLUSMALLINT column, int fallback)
{
    int bound = 0;
    if (FromBound(column, fallback, &bound))
        return bound;
    SQLINTEGER value = 0;
    return Get(column, SQL_C_SLONG, &value) ? static_cast<int>(value) : fallback;
}

float COdbcRow::Float(SQLUSMALLINT column, float fallback)
{
    float bound = 0.0f;
    if (FromBound(column, fallback, &bound))
        return bound;
    SQLREAL value = 0.0f;
    return Get(column, SQL_C_FLOAT, &value) ? static_cast<float>(value) : fallback;
}

double COdbcRow::Double(SQLUSMALLINT column, double fallback)
{
    double bound = 0.0;
    if (FromBound(column, fallback, &bound))
        return bound;
    SQLDOUBLE value = 0.0;
    return Get(column, SQL_C_DOUBLE, &value) ? static_cast<double>(value) : fallback;
}

std::string COdbcRow::Text(SQLUSMALLINT column, size_t capacity, const char* fallback)
{
    std::vector<char> buffer(capacity > 0 ? capacity : 1, '\0');
    SQLLEN indicator = 0;
    const SQLRETURN r = SQLGetData(m_statement, column, SQL_C_CHAR, buffer.data(),
                                   static_cast<SQLLEN>(buffer.size()), &indicator);
    if (!SQL_SUCCEEDED(r) || indicator == SQL_NULL_DATA)
        return fallback ? fallback : "";
    buffer.back() = '\0';
    return std::string(buffer.data());
}

std::string COdbcRow::LongText(SQLUSMALLINT column)
{
    std::string text;
    char piece[1024];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN r = SQLGetData(m_statement, column, SQL_C_CHAR, piece, sizeof piece, &indicator);
        if (r == SQL_NO_DATA || !SQL_SUCCEEDED(r) || indicator == SQL_NULL_DATA)
            break;
        // A piece that did not take the rest fills the buffer less its terminator.
        const size_t got = (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof piece))
                               ? sizeof piece - 1
                               : static_cast<size_t>(indicator);
        text.append(piece, got);
        if (r == SQL_SUCCESS)
            break;
    }
    return text;
}

bool COdbcRow::IsNull(SQLUSMALLINT column)
{
    char probe[2];
    SQLLEN indicator = 0;
    const SQLRETURN r = SQLGetData(m_statement, column, SQL_C_CHAR, probe, sizeof probe, &indicator);
    return SQL_SUCCEEDED(r) && indicator == SQL_NULL_DATA;
}

void COdbcRow::Finish()
{
    if (!m_statement)
        return;
    while (SQLMoreResults(m_statement) == SQL_SUCCESS) {
    }
    SQLFreeStmt(m_statement, SQL_CLOSE);
    Unbind();
}
