#include "persistence/OdbcRow.h"
#include <vector>

bool COdbcRow::Fetch()
{
    m_fetched = m_statement ? SQLFetch(m_statement) : SQL_ERROR;
    return SQL_SUCCEEDED(m_fetched);
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
    SQLINTEGER value = 0;
    return Get(column, SQL_C_SLONG, &value) ? static_cast<int>(value) : fallback;
}

float COdbcRow::Float(SQLUSMALLINT column, float fallback)
{
    SQLREAL value = 0.0f;
    return Get(column, SQL_C_FLOAT, &value) ? static_cast<float>(value) : fallback;
}

double COdbcRow::Double(SQLUSMALLINT column, double fallback)
{
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
}
