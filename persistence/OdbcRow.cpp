#include "persistence/OdbcRow.h"
#include <vector>

COdbcRow::~COdbcRow() { Unbind(); }

bool COdbcRow::FetchInBlocks(SQLULEN rows)
{
    if (!m_statement || m_anyBound || rows < 2 || !m_block.empty())
        return false;
    auto attribute = [&](SQLINTEGER name, SQLPOINTER value) {
        return SQL_SUCCEEDED(SQLSetStmtAttr(m_statement, name, value, 0));
    };
    if (!attribute(SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(sizeof(BoundRow))) ||
        !attribute(SQL_ATTR_ROWS_FETCHED_PTR, &m_blockRows) ||
        !attribute(SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows))) {
        EndBlocks();
        return false;
    }
    m_block.resize(rows);
    return true;
}

void COdbcRow::EndBlocks()
{
    SQLSetStmtAttr(m_statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
    SQLSetStmtAttr(m_statement, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
    SQLSetStmtAttr(m_statement, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
    m_block.clear();
    m_blockRows = 0;
    m_blockRow = 0;
}

const COdbcRow::BoundColumn& COdbcRow::Current(SQLUSMALLINT column) const
{
    return m_block.empty() ? m_bound[column] : m_block[m_blockRow].columns[column];
}

bool COdbcRow::Bind(SQLUSMALLINT column, SQLSMALLINT type)
{
    if (!m_statement || column == 0 || column > kBindableColumns)
        return false;
    BoundColumn& bound = m_bound[column];
    // In blocks the driver writes each row's values at the first row's places plus the row size.
    BoundColumn& target = m_block.empty() ? bound : m_block[0].columns[column];
    const SQLRETURN r = SQLBindCol(m_statement, column, type, &target.value, sizeof target.value, &target.indicator);
    if (!SQL_SUCCEEDED(r))
        return false;
    bound.type = type;
    m_anyBound = true;
    return true;
}

void COdbcRow::Unbind()
{
    // The statement runs other texts after this reader, one row per fetch again.
    if (!m_block.empty())
        EndBlocks();
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
    if (!m_block.empty()) {
        if (SQL_SUCCEEDED(m_fetched) && m_blockRow + 1 < m_blockRows) {
            ++m_blockRow;
            return true;
        }
        m_blockRow = 0;
        m_blockRows = 0;
    }
    m_fetched = m_statement ? SQLFetch(m_statement) : SQL_ERROR;
    // A block that came without rows is the end, whatever the driver answered.
    if (!m_block.empty() && SQL_SUCCEEDED(m_fetched) && m_blockRows == 0)
        m_fetched = SQL_NO_DATA;
    return SQL_SUCCEEDED(m_fetched);
}

template <typename T>
bool COdbcRow::FromBound(SQLUSMALLINT column, T fallback, T* value) const
{
    if (column > kBindableColumns || m_bound[column].type == 0)
        return false;
    const SQLSMALLINT type = m_bound[column].type;
    const BoundColumn& bound = Current(column);
    if (bound.indicator == SQL_NULL_DATA)
        *value = fallback;
    else if (type == SQL_C_SLONG)
        *value = static_cast<T>(bound.value.i);
    else if (type == SQL_C_FLOAT)
        *value = static_cast<T>(bound.value.f);
    else
        *value = static_cast<T>(bound.value.d);
    return true;
}

template <typename T>
bool COdbcRow::Get(SQLUSMALLINT column, SQLSMALLINT type, T* value)
{
    if (!m_block.empty())
        return false;
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
    if (!m_block.empty())
        return fallback ? fallback : "";
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
    if (!m_block.empty())
        return text;
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

bool COdbcRow::Bytes(SQLUSMALLINT column, std::vector<BYTE>& bytes)
{
    bytes.clear();
    std::vector<BYTE> piece(64 * 1024);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN r = SQLGetData(m_statement, column, SQL_C_BINARY, piece.data(),
                                       static_cast<SQLLEN>(piece.size()), &indicator);
        if (r == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(r))
            return false;
        if (indicator == SQL_NULL_DATA)
            return true;
        const size_t got = indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(piece.size())
                               ? piece.size()
                               : static_cast<size_t>(indicator);
        bytes.insert(bytes.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(got));
        if (r == SQL_SUCCESS)
            return true;
    }
}

bool COdbcRow::IsNull(SQLUSMALLINT column)
{
    if (!m_block.empty())
        return column <= kBindableColumns && m_bound[column].type != 0 && Current(column).indicator == SQL_NULL_DATA;
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
